"""A test bench for the programs: simulated units on pseudo-terminals
announced in a private bridge folder, a private configuration store, home
and runtime folder, k4-download run against them as a user would run it, and
longer-lived programs (a desktop program, Dockstart) that end with the scene."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

from harness.expect import CTEST_SKIPPED

BIN_DIR = Path(os.environ.get("K4_BIN_DIR", ""))
TESTS = Path(__file__).resolve().parents[1]

UPLOAD_LOST = "Lost communication with the Pumpvisor Data Download Device while uploading data."
FILE_COUNT_LOST = "Lost communication with the Pumpvisor Data Download Device, file count zero."
SEND_FAILED = "Failed to send command, please reconnect."
TIMEOUT = "Communications timeout has occured."

ACK = 0xFD
NAK = 0xFE
DOWNLOAD = 0x0A
FILE_COUNT = 0x0C

# What a sanitizer build prints when it catches a fault; a pass that
# ended with the expected status can still have hit one on the way.
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:")


def check_sanitizers(program, stderr):
    if any(mark in stderr for mark in SANITIZER_MARKS):
        raise AssertionError(f"{program} reported a fault:\n{stderr}")


def wait_for(what, condition, seconds=15):
    """The first true value of `condition()`, asked every 50 ms."""
    deadline = time.monotonic() + seconds
    while not (value := condition()):
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.05)
    return value


def tool(name):
    path = BIN_DIR / name
    if not path.is_file():
        raise RuntimeError(f"{path} not found; set K4_BIN_DIR to the build's bin folder")
    return str(path)


def k4_report(image_file, base):
    """What k4-report writes for the image in `image_file`: (csv, report) bytes."""
    subprocess.run([tool("k4-report"), str(image_file), "--output", str(base)],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return Path(f"{base}.csv").read_bytes(), Path(f"{base}.xls").read_bytes()


class Simulator:
    """One k4-sim process; its frame log tells what the computer sent."""

    def __init__(self, scene, name, args, paced):
        self.name = name
        self.log_path = scene.root / f"{name}.frames"
        self.bridge_file = scene.bridges / f"{name}.bridge"
        command = [tool("k4-sim"), "--bridge-dir", str(scene.bridges), "--name", name,
                   "--log-frames", str(self.log_path), *args] + ([] if paced else ["--unpaced"])
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.summary = None
        wait_for(f"k4-sim {name}", lambda: self.bridge_file.exists() or self.process.poll() is not None, 5)
        if not self.bridge_file.exists():
            raise RuntimeError(f"k4-sim {name} did not announce itself: {self.process.communicate()[1]}")

    def stop(self):
        if self.summary is not None:
            return
        self.process.terminate()  # nothing once it has ended
        try:
            self.summary = self.process.communicate(timeout=5)[1]
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.summary = self.process.communicate()[1]
        check_sanitizers("k4-sim", self.summary)
        if self.process.returncode != 0:
            raise AssertionError(f"k4-sim {self.name} ended with {self.process.returncode}: {self.summary}")

    def log(self):
        return [line.split() for line in self.log_path.read_text().splitlines()] if self.log_path.exists() else []

    def codes_received(self):
        """The code of every well-formed frame the unit received."""
        return [int(f[4], 16) for f in self.log() if len(f) > 4 and f[1] == "rx" and f[-1] != "bad-checksum"]

    def noted_at(self, note):
        """When the unit logged `note`, on the clock of time.monotonic()."""
        return next((float(f[0]) for f in self.log() if f[1:2] == ["--"] and " ".join(f[2:]) == note), None)


class PassResult:
    def __init__(self, status, stderr, started_at, ended_at):
        self.status, self.stderr, self.lines = status, stderr, stderr.splitlines()
        self.started_at, self.ended_at = started_at, ended_at

    @property
    def seconds(self):
        return self.ended_at - self.started_at


class Scene:
    """A private bridge folder, configuration store, home and runtime folder.
    With `launcher`, the settings also make Dockstart run, and the main
    program it starts is a stand-in that counts its starts. With `x11`, a
    private X server (Xvfb) on the first free display number, `display`."""

    def __init__(self, launcher=False, x11=False):
        self.root = Path(tempfile.mkdtemp(prefix="k4-e2e-"))
        self.bridges, self.home, self.runtime = self.root / "bridges", self.root / "home", self.root / "run"
        for folder in (self.bridges, self.home, self.runtime):
            folder.mkdir(mode=0o700)
        self.config_dirs = self.root / "xdg"
        self.display = None
        self.simulators, self.processes = [], []
        if x11:
            read_end, write_end = os.pipe()
            # -noreset: the server would reset whenever its last client leaves,
            # and a program starting at that moment could not connect.
            self.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                        "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            with os.fdopen(read_end) as announced:
                self.display = ":" + announced.readline().strip()
            if self.display == ":":
                raise RuntimeError("Xvfb did not start")
        settings = "[Configuration]\nVID=0x10c4\nPID=0xea60\n"
        if launcher:
            stand_in = self.root / "programs" / "K4 Data Transfer Application"
            stand_in.parent.mkdir()
            # It notes the clock first thing (dash and date: about 2 ms).
            stand_in.write_text(f'#!/bin/sh\ndate +%s.%N >> "{self.root}/starts"\n')
            stand_in.chmod(0o755)
            settings += f"RunOnStart=1\nMainAppPath={stand_in.parent}/\n"
        settings_file = self.config_dirs / "Tavrin Co" / "K4 Data Transfer Application.conf"
        settings_file.parent.mkdir(parents=True)
        settings_file.write_text(settings)

    def start_times(self):
        """When the stand-in main program was started, in seconds since the epoch."""
        path = self.root / "starts"
        return [float(line) for line in path.read_text().splitlines()] if path.exists() else []

    def starts(self):
        """How often the stand-in main program was started."""
        return len(self.start_times())

    def start_sim(self, name="unit", *args, paced=False):
        self.simulators.append(Simulator(self, name, args, paced))
        return self.simulators[-1]

    def environment(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("XDG_", "WAYLAND_", "QT_QPA_"))}
        env.update(K4_BRIDGE_DIR=str(self.bridges), XDG_CONFIG_DIRS=str(self.config_dirs),
                   XDG_CONFIG_HOME=str(self.root / "user-config"), XDG_RUNTIME_DIR=str(self.runtime),
                   HOME=str(self.home), K4_REPORT_SHOWN="1")
        # Only matters in a sanitizer build: see the file.
        env.setdefault("LSAN_OPTIONS", f"suppressions={TESTS / 'lsan.supp'}")
        if self.display:
            env["DISPLAY"] = self.display
        return env

    def start(self, command, env=None, **popen_options):
        """A program that runs beside the test, in the scene's environment
        unless `env` is given; close() ends it."""
        self.processes.append(subprocess.Popen(command, env=env or self.environment(), stdin=subprocess.DEVNULL,
                                               **popen_options))
        return self.processes[-1]

    def download(self, output, *args, timeout=60, wrapper=()):
        """One pass of k4-download; `wrapper` goes before it (a memory checker)."""
        command = [*wrapper, tool("k4-download"), "--output", str(output), "--trace-bridges", *args]
        started = time.monotonic()
        process = subprocess.run(command, env=self.environment(), stdout=subprocess.DEVNULL,
                                 stderr=subprocess.PIPE, text=True, timeout=timeout)
        check_sanitizers("k4-download", process.stderr)
        return PassResult(process.returncode, process.stderr, started, time.monotonic())

    def sim_image(self, *sim_args):
        """The image a simulator started with these options serves."""
        path = self.root / "dumped.img"
        subprocess.run([tool("k4-sim"), "--dump-image", str(path), *sim_args], check=True)
        return path.read_bytes()

    def close(self):
        for process in reversed(self.processes):
            process.kill()  # nothing once it has ended
            process.wait()
        faults = []
        for simulator in self.simulators:
            try:
                simulator.stop()
            except AssertionError as fault:
                faults.append(fault)
        shutil.rmtree(self.root, ignore_errors=True)
        if faults:
            raise faults[0]


def x11_scene(test, *programs, **options):
    """A scene with its own X server for the unittest case `test`, closed
    after it; the case is skipped without Xvfb or one of `programs`."""
    for program in ("Xvfb", *programs):
        if not shutil.which(program):
            test.skipTest(f"{program} is not installed")
    scene = Scene(x11=True, **options)
    test.addCleanup(scene.close)
    return scene


def ctest_main(module, names):
    """Runs the named tests of `module` for CTest: 0 when they pass, 1 when
    one fails, CTEST_SKIPPED when they were skipped, so that a bench that
    cannot be set up here shows as skipped, not as passed."""
    suite = unittest.defaultTestLoader.loadTestsFromNames(names, module)
    result = unittest.TextTestRunner(stream=sys.stderr, verbosity=2).run(suite)
    if not result.wasSuccessful():
        return 1
    return CTEST_SKIPPED if result.skipped else 0
