#!/usr/bin/env python3
"""Dockstart's idle figures, from /proc, on a virtual display without a
tray: CPU share and wake-ups per second over SECONDS (1) with the real
bridge listing (sysfs, woken by udev) and (2) with another maker's device
announced as a simulated bridge (k4-sim with other identifiers), counting
the opens of that device's pseudo-terminal with inotify; then (3) the time
from a bridge file appearing to the main program's process start, median
of RUNS.

    bench_dockstart.py DOCKSTART K4_SIM SECONDS RUNS
"""
import ctypes
import os
import statistics
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SETTINGS = "[Configuration]\nVID=0x10c4\nPID=0xea60\nRunOnStart=1\nMainAppPath={folder}/\n"
# The stand-in notes the clock first thing (dash and date: about 2 ms).
STAND_IN = '#!/bin/sh\ndate +%s.%N >> "{log}"\n'
IN_OPEN = 0x20


def wait_for(condition, seconds, what):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return
        time.sleep(0.01)
    raise SystemExit(f"timed out waiting for {what}")


class Scene:
    def __init__(self, dockstart, sim, bridges):
        self.dir = Path(tempfile.mkdtemp(prefix="k4-bench-dock-"))
        self.dockstart, self.sim = dockstart, sim
        self.processes = []
        for sub in ("system/Tavrin Co", "home", "programs", "bridges"):
            (self.dir / sub).mkdir(parents=True)
        (self.dir / "run").mkdir(mode=0o700)
        self.starts = self.dir / "starts.log"
        stand_in = self.dir / "programs" / "K4 Data Transfer Application"
        stand_in.write_text(STAND_IN.format(log=self.starts))
        stand_in.chmod(0o755)
        (self.dir / "system/Tavrin Co/K4 Data Transfer Application.conf").write_text(
            SETTINGS.format(folder=self.dir / "programs"))
        self.env = dict(os.environ, XDG_CONFIG_DIRS=str(self.dir / "system"), XDG_CONFIG_HOME=str(self.dir / "home"),
                        XDG_RUNTIME_DIR=str(self.dir / "run"), HOME=str(self.dir / "home"))
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("K4_BRIDGE_DIR", None)
        if bridges:
            self.env["K4_BRIDGE_DIR"] = str(self.dir / "bridges")
        read_end, write_end = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24", "-nolisten", "tcp",
                    "-noreset"], pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            self.env["DISPLAY"] = ":" + pipe.readline().strip()

    def spawn(self, args, **kwargs):
        process = subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    def start_dockstart(self):
        self.dock = self.spawn([self.dockstart])
        time.sleep(2)  # start-up is not what is measured
        return self.dock

    def announce(self, name, vid, pid):
        sim = self.spawn([self.sim, "--bridge-dir", str(self.dir / "bridges"), "--name", name, "--vid", vid,
                          "--pid", pid])
        bridge = self.dir / "bridges" / f"{name}.bridge"
        wait_for(bridge.exists, 5, "the bridge file")
        return sim, bridge.read_text().split()[0]

    def close(self):
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
        subprocess.run(["rm", "-rf", str(self.dir)])


# CPU time in nanoseconds from the scheduler (the clock ticks of
# /proc/PID/stat, 10 ms each, are too coarse for an idle minute) and the
# context switches of every thread: each wake-up is one.
def cpu_and_switches(pid):
    cpu = 0.0
    switches = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        cpu += int((task / "schedstat").read_text().split()[0]) / 1e9
        for line in (task / "status").read_text().splitlines():
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                switches += int(line.split()[1])
    return cpu, switches


def idle(scene, seconds):
    pid = scene.dock.pid
    cpu0, sw0, t0 = *cpu_and_switches(pid), time.monotonic()
    time.sleep(seconds)
    cpu1, sw1, t1 = *cpu_and_switches(pid), time.monotonic()
    wall = t1 - t0
    rss = next(int(l.split()[1]) for l in Path(f"/proc/{pid}/status").read_text().splitlines() if l.startswith("VmHWM"))
    return 100 * (cpu1 - cpu0) / wall, (sw1 - sw0) / wall, wall, rss / 1024


def report_idle(what, share, wakeups, wall, peak):
    print(f"idle Dockstart, {what}, over {wall:.1f} s: {share:.4f} % of one core (goal < 0.02 %: "
          f"{'met' if share < 0.02 else 'NOT met'}), {wakeups:.2f} wake-ups/s (goal <= 10: "
          f"{'met' if wakeups <= 10 else 'NOT met'}), peak resident {peak:.1f} MiB")


def opens_watch(path):
    libc = ctypes.CDLL(None, use_errno=True)
    fd = libc.inotify_init1(os.O_NONBLOCK)
    libc.inotify_add_watch(fd, path.encode(), IN_OPEN)
    return fd


def count_events(fd):
    count = 0
    while True:
        try:
            data = os.read(fd, 4096)
        except BlockingIOError:
            return count
        offset = 0
        while offset < len(data):
            length = struct.unpack_from("iIII", data, offset)[3]
            offset += 16 + length
            count += 1


def latency(scene, runs):
    """The bench announces the unit itself, as the simulator does (a file
    written aside and renamed into place), so that the clock starts with
    the announcement; the line is a pseudo-terminal that nobody answers."""
    _, line = os.openpty()
    device = os.ttyname(line)
    bridges = scene.dir / "bridges"
    results = []
    for _ in range(runs):
        before = len(scene.starts.read_text().splitlines()) if scene.starts.exists() else 0
        # From the first trace of the bridge in the folder: the watch's
        # interval runs from there.
        appeared = time.time()
        (bridges / ".unit.tmp").write_text(f"{device} 10c4 ea60\n")
        os.rename(bridges / ".unit.tmp", bridges / "unit.bridge")
        wait_for(lambda: scene.starts.exists() and len(scene.starts.read_text().splitlines()) > before, 5,
                 "the start")
        results.append(1000 * (float(scene.starts.read_text().splitlines()[-1]) - appeared))
        (bridges / "unit.bridge").unlink()
        time.sleep(0.4)
    os.close(line)
    return results


def main():
    dockstart, sim, seconds, runs = sys.argv[1], sys.argv[2], float(sys.argv[3]), int(sys.argv[4])

    scene = Scene(dockstart, sim, bridges=False)
    try:
        scene.start_dockstart()
        report_idle("real bridge listing (sysfs, udev events)", *idle(scene, seconds))
    finally:
        scene.close()

    scene = Scene(dockstart, sim, bridges=True)
    try:
        _, device = scene.announce("foreign", "0403", "6001")
        watch = opens_watch(device)
        scene.start_dockstart()
        report_idle("another maker's device attached (simulated bridge)", *idle(scene, seconds))
        print(f"opens of that device's port by Dockstart: {count_events(watch)}")
        os.close(watch)
        times = latency(scene, runs)
        print(f"bridge appears -> main program's process started: median {statistics.median(times):.1f} ms of "
              f"{runs} (min {min(times):.1f}, max {max(times):.1f}; goal < 150 ms: "
              f"{'met' if statistics.median(times) < 150 else 'NOT met'})")
    finally:
        scene.close()


if __name__ == "__main__":
    main()
