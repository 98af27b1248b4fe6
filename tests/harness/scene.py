"""A test bench for the download pass: simulated units on pseudo-terminals
announced in a private bridge folder, a private configuration store, and
k4-download run against them as a user would run it."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

BIN_DIR = Path(os.environ.get("K4_BIN_DIR", ""))

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
    for mark in SANITIZER_MARKS:
        if mark in stderr:
            raise AssertionError(f"{program} reported a fault:\n{stderr}")


def tool(name):
    path = BIN_DIR / name
    if not path.is_file():
        raise RuntimeError(f"{path} not found; set K4_BIN_DIR to the build's bin folder")
    return str(path)


class Simulator:
    """One k4-sim process; its frame log tells what the computer sent."""

    def __init__(self, scene, name, args, paced):
        self.name = name
        self.log_path = scene.root / f"{name}.frames"
        self.bridge_file = scene.bridges / f"{name}.bridge"
        command = [tool("k4-sim"), "--bridge-dir", str(scene.bridges), "--name", name,
                   "--log-frames", str(self.log_path)] + list(args)
        if not paced:
            command.append("--unpaced")
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.summary = None
        deadline = time.monotonic() + 5
        while not self.bridge_file.exists():
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.process.kill()
                raise RuntimeError(f"k4-sim {name} did not announce itself: {self.process.communicate()[1]}")
            time.sleep(0.01)

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

    def codes_received(self):
        """The code of every well-formed frame the unit received."""
        codes = []
        if self.log_path.exists():
            for line in self.log_path.read_text().splitlines():
                fields = line.split()
                if len(fields) > 4 and fields[1] == "rx" and fields[-1] != "bad-checksum":
                    codes.append(int(fields[4], 16))
        return codes

    def noted_at(self, note):
        """When the unit logged `note`, on the clock of time.monotonic()."""
        for line in self.log_path.read_text().splitlines():
            fields = line.split(maxsplit=2)
            if len(fields) == 3 and fields[1] == "--" and fields[2] == note:
                return float(fields[0])
        return None


class PassResult:
    def __init__(self, status, stderr, started_at, ended_at):
        self.status = status
        self.stderr = stderr
        self.lines = stderr.splitlines()
        self.started_at = started_at
        self.ended_at = ended_at

    @property
    def seconds(self):
        return self.ended_at - self.started_at

    def bridge_calls(self, verb):
        return [line for line in self.lines if line.startswith(f"bridge: {verb}")]


class Scene:
    """A private bridge folder, configuration store and home folder."""

    def __init__(self):
        self.root = Path(tempfile.mkdtemp(prefix="k4-e2e-"))
        self.bridges = self.root / "bridges"
        self.bridges.mkdir()
        self.home = self.root / "home"
        self.home.mkdir()
        self.config_dirs = self.root / "xdg"
        self.simulators = []
        folder = self.config_dirs / "Tavrin Co"
        folder.mkdir(parents=True)
        (folder / "K4 Data Transfer Application.conf").write_text("[Configuration]\nVID=0x10c4\nPID=0xea60\n")

    def start_sim(self, name="unit", *args, paced=False):
        simulator = Simulator(self, name, args, paced)
        self.simulators.append(simulator)
        return simulator

    def environment(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
        env.update({
            "K4_BRIDGE_DIR": str(self.bridges),
            "XDG_CONFIG_DIRS": str(self.config_dirs),
            "XDG_CONFIG_HOME": str(self.root / "user-config"),
            "HOME": str(self.home),
        })
        return env

    def download(self, output, *args, timeout=60, wrapper=()):
        """One pass of k4-download; `wrapper` goes before it on the command
        line (a memory checker, say)."""
        command = list(wrapper) + [tool("k4-download"), "--output", str(output), "--trace-bridges"] + list(args)
        started = time.monotonic()
        process = subprocess.run(command, env=self.environment(), stdout=subprocess.DEVNULL,
                                 stderr=subprocess.PIPE, text=True, timeout=timeout)
        ended = time.monotonic()
        check_sanitizers("k4-download", process.stderr)
        return PassResult(process.returncode, process.stderr, started, ended)

    def sim_image(self, *sim_args):
        """The image a simulator started with these options serves."""
        path = self.root / "dumped.img"
        subprocess.run([tool("k4-sim"), "--dump-image", str(path)] + list(sim_args), check=True)
        return path.read_bytes()

    def close(self):
        faults = []
        for simulator in self.simulators:
            try:
                simulator.stop()
            except AssertionError as fault:
                faults.append(fault)
        shutil.rmtree(self.root, ignore_errors=True)
        if faults:
            raise faults[0]


# The exit status that CTest counts as a skip (SKIP_RETURN_CODE).
CTEST_SKIPPED = 77


def ctest_main(module, names):
    """Runs the named tests of `module` for CTest: 0 when they pass, 1 when
    one fails, CTEST_SKIPPED when they were skipped, so that a bench that
    cannot be set up here shows as skipped, not as passed."""
    suite = unittest.defaultTestLoader.loadTestsFromNames(names, module)
    result = unittest.TextTestRunner(stream=sys.stderr, verbosity=2).run(suite)
    if not result.wasSuccessful():
        return 1
    return CTEST_SKIPPED if result.skipped else 0
