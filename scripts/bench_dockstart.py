#!/usr/bin/env python3
"""Dockstart's idle figures, from /proc, on a virtual display without a
tray: CPU share and wake-ups per second over SECONDS (1) with the real
bridge listing (sysfs, woken by udev) and (2) with another maker's device
announced as a simulated bridge (k4-sim with other identifiers), counting
the opens of that device's pseudo-terminal with inotify; then (3) the time
from a bridge file appearing to the main program's process start, median
of RUNS.

    K4_BIN_DIR=BUILD/bin bench_dockstart.py DOCKSTART SECONDS RUNS

The scene (settings, stand-in main program, X server) is the tests' own,
from tests/harness.
"""
import ctypes
import os
import statistics
import struct
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests"))
from harness.scene import Scene, wait_for  # noqa: E402

IN_OPEN = 0x20


def start_dockstart(scene, dockstart, real_listing):
    """Dockstart in the scene; with `real_listing` it lists the system's
    bridges instead of the scene's bridge folder."""
    env = scene.environment()
    if real_listing:
        del env["K4_BRIDGE_DIR"]
    dock = scene.start([dockstart], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(2)  # start-up is not what is measured
    return dock


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


def idle(dock, seconds):
    pid = dock.pid
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
    results = []
    for _ in range(runs):
        before = scene.starts()
        # From the first trace of the bridge in the folder: the watch's
        # interval runs from there.
        appeared = time.time()
        (scene.bridges / ".unit.tmp").write_text(f"{device} 10c4 ea60\n")
        os.rename(scene.bridges / ".unit.tmp", scene.bridges / "unit.bridge")
        wait_for("the start", lambda: scene.starts() > before, 5)
        results.append(1000 * (scene.start_times()[-1] - appeared))
        (scene.bridges / "unit.bridge").unlink()
        time.sleep(0.4)
    os.close(line)
    return results


def main():
    dockstart, seconds, runs = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])

    scene = Scene(launcher=True, x11=True)
    try:
        report_idle("real bridge listing (sysfs, udev events)", *idle(start_dockstart(scene, dockstart, True), seconds))
    finally:
        scene.close()

    scene = Scene(launcher=True, x11=True)
    try:
        foreign = scene.start_sim("foreign", "--vid", "0403", "--pid", "6001")
        watch = opens_watch(foreign.bridge_file.read_text().split()[0])
        dock = start_dockstart(scene, dockstart, False)
        report_idle("another maker's device attached (simulated bridge)", *idle(dock, seconds))
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
