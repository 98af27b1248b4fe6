"""What a row of the fault matrix runs on: the log image the unit serves,
the output folder the pass writes into (an ordinary folder, a full or
read-only file system, a missing folder, paths at the system's length
limit) with older files of the target names in it, and the folder's
contents before and after the pass."""

import contextlib
import os
import subprocess
from pathlib import Path

from harness.scene import tool

IMAGE_CAPACITY = 40960  # the computer's log buffer
PATH_MAX = 4096         # bytes of a path the system takes, its terminating zero included
PAGE = 4096             # a tmpfs hands out space a page at a time
OLDER_CSV = b"Event,an older comma-delimited file\r\n"
OLDER_XLS = b"an older report"

try:
    import xlrd
except ImportError:  # reported by the check that needs it
    xlrd = None


# --- Images the unit serves --------------------------------------------------

def sample(scene):
    return scene.sim_image()


def largest(scene):
    """The synthetic log filling the whole buffer: the largest files."""
    image = scene.sim_image("--synthetic", "100000")
    return (image + bytes(IMAGE_CAPACITY))[:IMAGE_CAPACITY]


def one_byte_past_the_buffer(scene):
    return largest(scene) + b"\x01"


def first_byte_zero(scene):
    return b"\x00" + sample(scene)[1:]


def with_header_word(image, offset, value):
    return image[:offset] + value.to_bytes(2, "big") + image[offset + 2:]


def table_starting_past_the_end(scene):
    image = sample(scene)
    return with_header_word(image, 6, len(image) + 64)


def table_running_past_the_end(scene):
    """The sample's table ends with the image: a longer claimed length must
    give the same records and nothing read beyond them."""
    return with_header_word(sample(scene), 8, 0xFFFF)


# --- Folder contents ---------------------------------------------------------

def snapshot(folder):
    """{name: bytes} of the files in `folder`, None when it does not exist.
    Opened relative to the folder: a name in it may make a path longer than
    the system takes."""
    try:
        fd = os.open(folder, os.O_RDONLY | os.O_DIRECTORY)
    except FileNotFoundError:
        return None
    try:
        contents = {}
        for name in os.listdir(fd):
            file_fd = os.open(name, os.O_RDONLY, dir_fd=fd)
            with os.fdopen(file_fd, "rb") as file:
                contents[name] = file.read()
        return contents
    finally:
        os.close(fd)


def report_event_indexes(xls_bytes):
    """The event index column of the report's event rows (row 13 on)."""
    if xlrd is None:
        raise AssertionError("python3-xlrd is needed to read the report back")
    book = xlrd.open_workbook(file_contents=xls_bytes)
    sheet = book.sheet_by_name("TQ K4")
    return [int(sheet.cell_value(row, 0)) for row in range(12, sheet.nrows)]


def pages(size):
    return -(-size // PAGE) * PAGE


class Bench:
    """One row's surroundings; close() unmounts what it mounted."""

    def __init__(self, test, scene):
        self.test = test
        self.scene = scene
        self.image_file = scene.root / "served.img"
        self.cleanups = contextlib.ExitStack()
        self.mounts = 0

    def close(self):
        self.cleanups.close()

    def serve(self, image):
        self.image_file.write_bytes(image)

    def report_files(self, image_file):
        """What k4-report writes for an image: (csv bytes, xls size)."""
        base = self.scene.root / f"expected-{image_file.stem}"
        subprocess.run([tool("k4-report"), str(image_file), "--output", str(base)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        return Path(f"{base}.csv").read_bytes(), Path(f"{base}.xls").stat().st_size

    def expected_csv(self, image_maker=None):
        image_file = self.image_file
        if image_maker is not None:
            image_file = self.scene.root / "like.img"
            image_file.write_bytes(image_maker(self.scene))
        return self.report_files(image_file)[0]

    def settle(self, base, older):
        """Plants older files of the target names when the row asks for them."""
        if older:
            folder = os.open(base.parent, os.O_RDONLY | os.O_DIRECTORY)
            try:
                for suffix, contents in ((".csv", OLDER_CSV), (".xls", OLDER_XLS)):
                    fd = os.open(base.name + suffix, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644, dir_fd=folder)
                    with os.fdopen(fd, "wb") as file:
                        file.write(contents)
            finally:
                os.close(folder)
        return base

    # --- Output places: each returns the base path the user types ------------

    def plain_folder(self, older):
        folder = self.scene.root / "out"
        folder.mkdir()
        return self.settle(folder / "pump", older)

    def full_file_system(self, older):
        """Room for the older files and two pages: not even the
        comma-delimited file fits."""
        csv, _ = self.report_files(self.image_file)
        self.test.assertGreater(len(csv), 2 * PAGE, "the image must make a larger file than the room left")
        return self.settle(self.mount_tmpfs(4 * PAGE) / "pump", older)

    def room_for_the_csv_only(self, older):
        csv, xls_size = self.report_files(self.image_file)
        spare = 4 * PAGE
        self.test.assertGreater(xls_size, spare, "the report must not fit the room left after the csv")
        return self.settle(self.mount_tmpfs(pages(len(csv)) + 2 * PAGE + spare) / "pump", older)

    def read_only_folder(self, older):
        folder = self.mount_tmpfs(64 * PAGE)
        base = self.settle(folder / "pump", older)
        self.run(["mount", "-o", "remount,ro", str(folder)])
        # Root writes through permission bits, but not onto a read-only mount.
        self.test.assertFalse(os.access(folder, os.W_OK), "the folder is still writable")
        return base

    def documents_folder(self, older):
        """Where a bare name lands: the documents folder's "K4 Data Folder"."""
        folder = self.scene.home / "Documents" / "K4 Data Folder"
        folder.mkdir(parents=True)
        return self.settle(folder / "pump", older)

    def missing_folder(self, older):
        return self.settle(self.scene.root / "no such folder" / "pump", older)

    def base_path_past_path_max(self, older):
        """4096 characters: with ".csv" the name is beyond what the system takes."""
        return self.settle(self.deep_base(PATH_MAX), older)

    def longest_target_path(self, older):
        """A base path whose "BASE.csv" is the longest path the system takes,
        4095 characters, with a short last name in deeply nested folders."""
        return self.settle(self.deep_base(PATH_MAX - 1 - len(".csv")), older)

    def deep_base(self, length, name="pump"):
        """A base path of exactly `length` characters: folders nested as deep
        as it takes, each name well within NAME_MAX, then `name`."""
        folder = str(self.scene.root / "deep")
        rest = length - len(folder) - len("/" + name)
        while rest > 0:
            # Each level adds a slash and at least one character, so a
            # remainder of one could not be filled.
            part = min(200, rest - 1)
            if rest - part - 1 == 1:
                part -= 1
            folder += "/" + "d" * part
            rest -= part + 1
        os.makedirs(folder)
        base = Path(folder) / name
        self.test.assertEqual(len(str(base)), length)
        return base

    # --- Mounts ----------------------------------------------------------------

    def run(self, command):
        done = subprocess.run(command, capture_output=True, text=True)
        if done.returncode != 0:
            raise AssertionError(f"{' '.join(command)}: {done.stderr.strip()}")

    def mount_tmpfs(self, size):
        if os.geteuid() != 0:
            self.test.skipTest("mounting a small file system needs root")
        point = self.scene.root / f"fs{self.mounts}"
        self.mounts += 1
        point.mkdir()
        done = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "k4-e2e", str(point)],
                              capture_output=True, text=True)
        if done.returncode != 0:
            self.test.skipTest(f"cannot mount a tmpfs here: {done.stderr.strip()}")
        self.cleanups.callback(unmount, point)
        return point


def unmount(point):
    if subprocess.run(["umount", str(point)], capture_output=True).returncode != 0:
        subprocess.run(["umount", "-l", str(point)], capture_output=True)
