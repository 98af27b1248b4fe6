#!/usr/bin/env python3
"""Dockstart end to end on a virtual X display, with a tray (trayer) and
without one: each arrival of the simulated unit starts the main program
once, also with a second copy started beside it (which ends at once), and
the launcher ends by its tray menu's "Exit" (with a tray) or by SIGTERM
(without one, where no menu can be shown, until a tray comes later).

    e2e_dockstart.py DOCKSTART K4_SIM

The main program is a stand-in script that records each start. Exit status
77 when Xvfb, trayer or xdotool is missing.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SETTINGS = "[Configuration]\nVID=0x10c4\nPID=0xea60\nRunOnStart=1\nMainAppPath={folder}/\n"
STAND_IN = '#!/bin/sh\necho started >> "{log}"\n'


def wait_for(what, condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")


class Scene:
    def __init__(self, dockstart, sim, with_tray):
        self.dockstart, self.sim, self.with_tray = dockstart, sim, with_tray
        self.dir = Path(tempfile.mkdtemp(prefix="k4-dockstart-"))
        self.processes = []
        (self.dir / "system" / "Tavrin Co").mkdir(parents=True)
        (self.dir / "home").mkdir()
        (self.dir / "bridges").mkdir()
        (self.dir / "run").mkdir(mode=0o700)
        app = self.dir / "programs"
        app.mkdir()
        self.starts = self.dir / "starts.log"
        stand_in = app / "K4 Data Transfer Application"
        stand_in.write_text(STAND_IN.format(log=self.starts))
        stand_in.chmod(0o755)
        (self.dir / "system" / "Tavrin Co" / "K4 Data Transfer Application.conf").write_text(
            SETTINGS.format(folder=app))
        self.env = dict(os.environ, XDG_CONFIG_DIRS=str(self.dir / "system"),
                        XDG_CONFIG_HOME=str(self.dir / "home"), K4_BRIDGE_DIR=str(self.dir / "bridges"),
                        XDG_RUNTIME_DIR=str(self.dir / "run"), HOME=str(self.dir / "home"))
        self.env.pop("QT_QPA_PLATFORM", None)
        # Only matters in a sanitizer build: libdbus's own buffer (see the file).
        self.env.setdefault("LSAN_OPTIONS", f"suppressions={Path(__file__).resolve().parents[2] / 'lsan.supp'}")

    def spawn(self, args, **kwargs):
        process = subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    def start_display(self):
        read_end, write_end = os.pipe()
        # -noreset: the server would reset whenever its last client leaves,
        # and a program starting at that moment could not connect.
        self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24", "-nolisten", "tcp",
                    "-noreset"],
                   pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            self.env["DISPLAY"] = ":" + pipe.readline().strip()
        if self.with_tray:
            self.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                        "--height", "32"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_for("the tray", lambda: self.windows(name="^panel$"), 10)

    def windows(self, pid=None, name=None):
        args = ["xdotool", "search"] + (["--pid", str(pid)] if pid else ["--name", name])
        out = subprocess.run(args, env=self.env, capture_output=True, text=True).stdout
        return [w for w in out.split() if w]

    def viewable(self, pid):
        found = []
        for window in self.windows(pid=pid):
            info = subprocess.run(["xwininfo", "-id", window], env=self.env, capture_output=True, text=True).stdout
            if "IsViewable" in info:
                found.append(window)
        return found

    def start_count(self):
        return len(self.starts.read_text().splitlines()) if self.starts.exists() else 0

    def plug_in(self):
        sim = self.spawn([self.sim, "--bridge-dir", str(self.dir / "bridges"), "--name", "unit"],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the bridge file", lambda: (self.dir / "bridges" / "unit.bridge").exists(), 5)
        return sim

    def unplug(self, sim):
        sim.terminate()
        sim.wait(5)
        wait_for("the bridge to go", lambda: not (self.dir / "bridges" / "unit.bridge").exists(), 5)

    def stored_answer(self):
        for scope in (self.dir / "home", self.dir / "system"):
            conf = scope / "Tavrin Co" / "K4 Data Transfer Application.conf"
            if conf.exists():
                for line in conf.read_text().splitlines():
                    if line.startswith("RunOnStart="):
                        return line.split("=", 1)[1]
        return None

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.dir, ignore_errors=True)


def xdo(scene, *args):
    subprocess.run(["xdotool", *args], env=scene.env, check=True)


def exit_by_tray_menu(scene, dockstart):
    icon = wait_for("the tray icon", lambda: scene.viewable(dockstart.pid), 10)
    assert len(icon) == 1, f"more than the tray icon is shown: {icon}"
    # A left click shows nothing.
    xdo(scene, "mousemove", "--window", icon[0], "8", "8", "click", "1")
    time.sleep(0.5)
    assert scene.viewable(dockstart.pid) == icon, "a left click showed something"
    xdo(scene, "mousemove", "--window", icon[0], "8", "8", "click", "3")
    menu = wait_for("the menu", lambda: [w for w in scene.viewable(dockstart.pid) if w not in icon], 5)
    xdo(scene, "mousemove", "--window", menu[0], "30", "10", "click", "1")
    box = wait_for("the question", lambda: [w for w in scene.viewable(dockstart.pid) if w not in icon], 5)
    # Escape answers No.
    xdo(scene, "windowfocus", box[0], "key", "Escape")
    dockstart.wait(5)
    assert scene.stored_answer() == "0", f"the answer No was not stored: {scene.stored_answer()}"


def tray_comes_later(scene, dockstart):
    """A panel that starts after the log-in entry still gets the icon."""
    assert not scene.viewable(dockstart.pid), "an icon without a tray"
    scene.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                 "--height", "32"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for("the icon in the tray that came later", lambda: scene.viewable(dockstart.pid), 10)


def second_copy_ends_at_once(scene, dockstart_path):
    """A second launcher of the session (started by hand beside the log-in
    one) ends at once and silently; the first alone starts the program."""
    begun = time.monotonic()
    second = scene.spawn([dockstart_path, "WINSTART"], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out, err = second.communicate(timeout=5)
    assert second.returncode == 0 and not out and not err, f"second copy: {second.returncode} {out!r} {err!r}"
    assert time.monotonic() - begun < 2, "the second copy did not end at once"


def run(dockstart_path, sim_path, with_tray):
    scene = Scene(dockstart_path, sim_path, with_tray)
    try:
        scene.start_display()
        errors = scene.dir / "dockstart.err"
        with open(errors, "w") as err:
            dockstart = scene.spawn([dockstart_path], stdout=subprocess.DEVNULL, stderr=err)
        time.sleep(0.5)
        if with_tray:
            second_copy_ends_at_once(scene, dockstart_path)
        sim = scene.plug_in()
        wait_for("the first start", lambda: scene.start_count() == 1, 5)
        time.sleep(0.5)
        assert scene.start_count() == 1, "started again while the unit stayed"
        scene.unplug(sim)
        time.sleep(0.3)
        assert scene.start_count() == 1
        sim = scene.plug_in()
        wait_for("the second start", lambda: scene.start_count() == 2, 5)
        time.sleep(0.5)
        assert scene.start_count() == 2
        if with_tray:
            exit_by_tray_menu(scene, dockstart)
        else:
            tray_comes_later(scene, dockstart)
            dockstart.send_signal(signal.SIGTERM)
            dockstart.wait(5)
        said = errors.read_text()
        assert dockstart.returncode == 0, f"Dockstart ended with {dockstart.returncode}: {said}"
        no_tray_note = "no system tray is available" in said
        assert no_tray_note != with_tray, f"tray note {'shown' if no_tray_note else 'missing'}: {said!r}"
        scene.unplug(sim)
        print(f"{'with' if with_tray else 'without'} a tray: 2 starts for 2 arrivals, ended cleanly")
    finally:
        scene.close()


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    for tool in ("Xvfb", "trayer", "xdotool", "xwininfo"):
        if shutil.which(tool) is None:
            print(f"SKIP: {tool} is missing")
            return 77
    for with_tray in (True, False):
        run(sys.argv[1], sys.argv[2], with_tray)
    return 0


if __name__ == "__main__":
    sys.exit(main())
