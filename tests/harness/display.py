"""A private X server (Xvfb) on the first free display number."""

import os
import shutil
import subprocess


class VirtualDisplay:
    """`with VirtualDisplay() as name:` gives ":N"; None when Xvfb is missing
    or did not start."""

    def __init__(self, size="1024x768x24"):
        self.size = size
        self.process = None
        self.name = None

    def __enter__(self):
        if not shutil.which("Xvfb"):
            return None
        read_end, write_end = os.pipe()
        # -noreset: the server would reset whenever its last client leaves,
        # and a program starting at that moment could not connect.
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.size, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            number = announced.readline().strip()
        self.name = ":" + number if number else None
        return self.name

    def __exit__(self, *_):
        if self.process:
            self.process.terminate()
            self.process.wait(timeout=10)
