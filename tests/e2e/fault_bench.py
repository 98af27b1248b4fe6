"""What a row of the fault matrix runs on: the log image the unit serves,
the output folder the pass writes into (an ordinary folder, a full file
system, paths at the system's length limit) with older files of the target
names in it, and the folder's contents before and after the pass."""

import contextlib
import os
import subprocess
import tempfile
from functools import partialmethod
from pathlib import Path

from harness.scene import k4_report

IMAGE_CAPACITY = 40960  # the computer's log buffer
PATH_MAX = 4096         # bytes of a path the system takes, its terminating zero included
PAGE = 4096             # a tmpfs hands out space a page at a time
OLDER = {".csv": b"Event,an older comma-delimited file\r\n", ".xls": b"an older report"}


# --- Images the unit serves --------------------------------------------------

def largest(scene):
    """The synthetic log filling the whole buffer: the largest files."""
    return (scene.sim_image("--synthetic", "100000") + bytes(IMAGE_CAPACITY))[:IMAGE_CAPACITY]


def one_byte_past_the_buffer(scene):
    return largest(scene) + b"\x01"


def first_byte_zero(scene):
    return b"\x00" + scene.sim_image()[1:]


# --- Folder contents ---------------------------------------------------------

@contextlib.contextmanager
def opened(folder):
    """A short path to `folder` through its open descriptor: a name in it
    may make a path longer than the system takes."""
    fd = os.open(folder, os.O_RDONLY | os.O_DIRECTORY)
    try:
        yield Path(f"/proc/self/fd/{fd}")
    finally:
        os.close(fd)


def snapshot(folder):
    """{name: bytes} of the files in `folder`."""
    with opened(folder) as short:
        return {path.name: path.read_bytes() for path in short.iterdir()}


class Bench:
    """One row's surroundings; cleanups.close() unmounts what it mounted."""

    def __init__(self, test, scene):
        self.test = test
        self.scene = scene
        self.image_file = scene.root / "served.img"
        self.cleanups = contextlib.ExitStack()

    def serve(self, image):
        self.image_file.write_bytes(image)

    def report_files(self):
        """What k4-report writes for the image served: (csv, report) bytes."""
        return k4_report(self.image_file, self.scene.root / "k4-report")

    def settle(self, folder, older):
        """The base path `folder`/pump, with older files of the target names
        when the row asks for them."""
        with opened(folder) as short:
            for suffix, contents in OLDER.items() if older else ():
                (short / f"pump{suffix}").write_bytes(contents)
        return Path(folder) / "pump"

    # --- Output places: each returns the base path the user types ------------

    def plain_folder(self, older):
        folder = self.scene.root / "out"
        folder.mkdir()
        return self.settle(folder, older)

    def full_file_system(self, older):
        """Room for the older files and two pages: not even the
        comma-delimited file fits."""
        csv, _ = self.report_files()
        self.test.assertGreater(len(csv), 2 * PAGE, "the image must make a larger file than the room left")
        return self.settle(self.mount_tmpfs(4 * PAGE), older)

    def room_for_the_csv_only(self, older):
        csv, xls = self.report_files()
        spare = 4 * PAGE
        self.test.assertGreater(len(xls), spare, "the report must not fit the room left after the csv")
        return self.settle(self.mount_tmpfs(-(-len(csv) // PAGE) * PAGE + 2 * PAGE + spare), older)

    def deep_base(self, older, length):
        """A base path of exactly `length` characters: folders of 200
        characters nested as deep as it takes under one that makes up the
        rest, then a short last name, "pump"."""
        top = f"{self.scene.root}/"
        levels, rest = divmod(length - len(top) - len("/pump") - 1, 201)
        folder = top + "d" * (rest + 1) + ("/" + "d" * 200) * levels
        os.makedirs(folder)
        base = self.settle(folder, older)
        self.test.assertEqual(len(str(base)), length)
        return base

    # 4096 characters: with ".csv" the name is beyond what the system takes.
    base_path_past_path_max = partialmethod(deep_base, length=PATH_MAX)
    # "BASE.csv" is the longest path the system takes, 4095 characters.
    longest_target_path = partialmethod(deep_base, length=PATH_MAX - 1 - len(".csv"))

    def mount_tmpfs(self, size):
        if os.geteuid() != 0:
            self.test.skipTest("mounting a small file system needs root")
        point = tempfile.mkdtemp(prefix="fs", dir=self.scene.root)
        done = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "k4-e2e", point],
                              capture_output=True, text=True)
        if done.returncode != 0:
            self.test.skipTest(f"cannot mount a tmpfs here: {done.stderr.strip()}")
        # A lazy unmount does not fail on a folder still in use.
        self.cleanups.callback(subprocess.run, ["umount", "-l", point], capture_output=True)
        return Path(point)
