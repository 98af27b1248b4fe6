"""The fault matrix: one download pass per row, each with one fault of the
bridges, the line, the unit or the output folder, and the same checks on
every ending: the exit status, what the user was told and in which order, a
bounded time (an unplug noticed within a second), every bridge opened
closed exactly once, what the unit was asked for, the image kept byte for
byte, and under the target names either both new files complete (equal to
k4-report's, the report but for its date) or the older files left byte for
byte, with no partial file anywhere. Only what a real pass shows is here:
the line's timing on a real pseudo-terminal, real files and file systems,
the bridge folder, the silence limits; the worker's and the link's branches
are their unit tables' part. The sanitizer build runs every row with its
checks of memory and undefined behaviour; with --memcheck a row's pass runs
under valgrind's memcheck too, which also sees reads of uninitialised memory.

    test_fault_matrix.py --list                the rows: name, time limit, CTest labels
    test_fault_matrix.py [--memcheck] ROW...   runs those rows (exit 77: skipped)
    python3 -m unittest test_fault_matrix      runs every row
"""

import shutil
import sys
import unittest
from collections import Counter
from dataclasses import dataclass
from typing import Callable, Optional

import fault_bench as fb
from fault_bench import Bench
from harness.reports import same_but_the_date
from harness.scene import (ACK, DOWNLOAD, FILE_COUNT, FILE_COUNT_LOST, NAK, SEND_FAILED, TIMEOUT, UPLOAD_LOST, Scene,
                           ctest_main)

CSV_FAILED = "Unable to create the comma-delimited output file."
XLS_FAILED = "Unable to create the Excel output file."
SEARCHING = "Searching for Pumpvisor Data"
CHOSEN = ("Pumpvisor Data Found", "Download Complete Save File")  # the prompts before the download
SAVED = (*CHOSEN, "Save Successful")
NOT_FOUND = (*(f"{SEARCHING} {n}/10" for n in range(1, 10)), "Device Not Connected")

NEW, KEPT = "new", "kept"  # a target file after the pass: written anew, or as it was before

QUICK = 10     # seconds: a fault noticed at once
LARGE = 30     # the largest image through the line and both writers
SEARCH = 20    # ten looks for the unit, a second apart
SILENCE = 80   # a fault noticed only after the 50-second silence of a frame read
MEMCHECK_SLOWER = 10

WIRE_RATE = 12800   # bytes a second at 128000 baud, ten bits a byte
END_FRAME = "end"   # in `sim`: the number of the reply's closing type-0 frame
SIM_FRAME_SIZE = 256


@dataclass(frozen=True)
class Row:
    name: str
    sim: tuple = ()                      # k4-sim options that inject the fault
    others: tuple = ()                   # k4-sim options of bridges listed before the unit's
    paced: bool = False                  # the unit sends at the line's rate
    image: Callable = Scene.sim_image    # scene -> the image the unit serves
    place: Callable = Bench.plain_folder  # (bench, older) -> the base path of the files
    typed: Optional[str] = None          # what the user types, when not that base path
    older: bool = True                   # older files of the target names are there first
    status: int = 0
    dialogue: tuple = SAVED              # every prompt and message, in order
    csv: str = NEW
    xls: str = NEW
    naks: Optional[int] = None           # negative acknowledgements the unit receives
    opens: int = 1                       # bridges opened, each to be closed once
    least: float = 0                     # seconds the pass takes at least
    limit: float = QUICK
    slow: bool = False


NOTHING_WRITTEN = dict(status=1, dialogue=(*CHOSEN, CSV_FAILED, XLS_FAILED, UPLOAD_LOST), csv=KEPT, xls=KEPT)
UPLOAD_FAILED = dict(status=1, dialogue=(*CHOSEN, UPLOAD_LOST), csv=KEPT, xls=KEPT)
UNPLUGGED = dict(status=1, dialogue=(*CHOSEN, SEND_FAILED, UPLOAD_LOST), csv=KEPT, xls=KEPT)
NO_DOWNLOAD = dict(status=1, dialogue=(FILE_COUNT_LOST,), csv=KEPT, xls=KEPT)

ROWS = (
    Row("no-fault-replaces-older-files", naks=0),
    Row("largest-image-paced-in-507-byte-frames", sim=("--frame-size", "507"), paced=True, image=fb.largest,
        naks=0, least=fb.IMAGE_CAPACITY / WIRE_RATE, limit=LARGE),
    # The bridges
    Row("second-of-two-bridges", others=(("--vid", "0403", "--pid", "6001"),), opens=2),
    Row("vendor-matches-product-does-not", sim=("--pid", "ea61"), status=2, dialogue=NOT_FOUND,
        csv=KEPT, xls=KEPT, opens=10, least=8.5, limit=SEARCH),
    # The line
    Row("corrupt-byte-in-end-frame", sim=("--corrupt-frame", END_FRAME), naks=1),
    Row("corrupt-first-frame", sim=("--corrupt-frame", "1"), naks=1, **UPLOAD_FAILED),
    Row("four-corrupt-frames-in-a-row-then-another",
        sim=("--corrupt-frame", "2", "--corrupt-count", "4", "--short-frame", "3"), naks=5),
    Row("five-corrupt-frames-in-a-row", sim=("--corrupt-frame", "2", "--corrupt-count", "5"), naks=5,
        status=1, dialogue=(*CHOSEN, TIMEOUT, UPLOAD_LOST), csv=KEPT, xls=KEPT),
    Row("dropped-end-frame", sim=("--drop-frame", END_FRAME), naks=1, limit=SILENCE, slow=True),
    Row("silence-mid-frame", sim=("--silent-mid-frame", "2"), naks=1, limit=SILENCE, slow=True),
    Row("header-announcing-511", sim=("--oversize-frame", "2"), naks=1),
    Row("data-frame-announcing-2", sim=("--short-frame", "2"), naks=1),
    Row("unplug-before-file-count", sim=("--unplug-on-command", str(FILE_COUNT)), **NO_DOWNLOAD),
    Row("unplug-before-first-frame", sim=("--unplug-on-command", str(DOWNLOAD)), **UNPLUGGED),
    Row("unplug-mid-transfer", sim=("--unplug-after", "2"), **UNPLUGGED),
    Row("unplug-after-end-frame", sim=("--unplug-after", END_FRAME)),
    # The unit's answers
    Row("one-byte-past-the-buffer", sim=("--allow-oversize-image",), image=fb.one_byte_past_the_buffer,
        naks=0, limit=LARGE, **UPLOAD_FAILED),
    Row("file-count-status-1", sim=("--status", "1"), **NO_DOWNLOAD),
    Row("file-count-0", sim=("--file-count", "0"), status=3, dialogue=("Device Empty",), csv=KEPT, xls=KEPT),
    Row("first-image-byte-0", image=fb.first_byte_zero, older=False, naks=0, **UPLOAD_FAILED),
    # The output folder
    Row("disk-full", image=fb.largest, place=Bench.full_file_system, limit=LARGE, **NOTHING_WRITTEN),
    Row("disk-full-during-report", image=fb.largest, place=Bench.room_for_the_csv_only,
        status=1, dialogue=(*CHOSEN, XLS_FAILED, UPLOAD_LOST), csv=NEW, xls=KEPT, limit=LARGE),
    Row("base-path-of-4096-characters", place=Bench.base_path_past_path_max, older=False, **NOTHING_WRITTEN),
    Row("target-path-of-4095-characters", place=Bench.longest_target_path),
)


def data_frames(row, image):
    """How many data frames the unit sends the image in."""
    options = row.sim
    frame_size = int(options[options.index("--frame-size") + 1]) if "--frame-size" in options else SIM_FRAME_SIZE
    return -(-len(image) // frame_size)


def sim_options(row, image):
    """The row's k4-sim options with END_FRAME turned into a frame number."""
    end_frame = str(data_frames(row, image) + 1)
    return [end_frame if option == END_FRAME else option for option in row.sim]


def dialogue(result):
    """What the user saw: every line but the bridge trace, the diagnostic
    notes ("k4: ..."), the terminal's answers and the first search prompt."""
    return [line for line in result.lines
            if not line.startswith(("bridge: ", "k4: ", "  -> ")) and line != SEARCHING]


class FaultMatrixTest(unittest.TestCase):
    rows = ROWS
    memcheck = False
    unplug_noticed = 1.0  # seconds from the unplug to the pass's end

    def test_every_row_ends_soundly(self):
        for row in self.rows:
            with self.subTest(row=row.name):
                scene = Scene()
                bench = Bench(self, scene)
                try:
                    self.check(row, scene, bench)
                finally:
                    bench.cleanups.close()  # unmounts before the scene's folder goes
                    scene.close()

    def check(self, row, scene, bench):
        image = row.image(scene)
        bench.serve(image)
        base = row.place(bench, row.older)
        before = fb.snapshot(base.parent)
        # Bridge files are listed by name: these come before "unit".
        others = [scene.start_sim(f"a-other{n}", *options) for n, options in enumerate(row.others)]
        sim = self.start_unit(scene, "--image", str(bench.image_file), *sim_options(row, image), paced=row.paced)
        kept = scene.root / "kept.img"
        result = self.download(scene, row, row.typed or base, kept)
        for unit in (sim, *others):
            unit.stop()

        self.assertEqual(result.status, row.status, result.stderr)
        self.assertEqual(dialogue(result), list(row.dialogue), result.stderr)
        self.assertGreaterEqual(result.ended_at - result.started_at, row.least)
        unplugged_at = sim.noted_at("unplugged")
        if unplugged_at is not None:
            self.assertLess(result.ended_at - unplugged_at, self.unplug_noticed, "the unplug was noticed late")
        self.assertBridgesClosedOnce(row, result)
        self.assertUnitAsked(row, sim, image)
        for other in others:
            self.assertEqual(other.codes_received(), [], "a bridge that does not match was spoken to")
        self.assertFiles(row, bench, base, before, fb.snapshot(base.parent))
        if row.csv == NEW:
            self.assertEqual(kept.read_bytes(), image, "the image did not arrive byte for byte")

    def start_unit(self, scene, *sim_args, paced):
        return scene.start_sim("unit", *sim_args, paced=paced)

    def download(self, scene, row, output, kept):
        """The row's pass; one still running after its limit fails the row (TimeoutExpired)."""
        memcheck_log = scene.root / "memcheck.log"
        memcheck = ("valgrind", "--leak-check=full", "--errors-for-leak-kinds=definite,indirect",
                    f"--log-file={memcheck_log}") if self.memcheck else ()
        result = scene.download(output, "--keep-image", str(kept), wrapper=memcheck,
                                timeout=row.limit * (MEMCHECK_SLOWER if memcheck else 1))
        if memcheck:
            self.assertIn("ERROR SUMMARY: 0 errors", memcheck_log.read_text(), memcheck_log.read_text())
        return result

    def assertBridgesClosedOnce(self, row, result):
        opened = [line.split()[-1] for line in result.lines if line.startswith("bridge: open") and "failed" not in line]
        closed = [line.split()[-1] for line in result.lines if line.startswith("bridge: close")]
        self.assertEqual(len(opened), row.opens, result.stderr)
        self.assertEqual(Counter(closed), Counter(opened), result.stderr)

    def assertUnitAsked(self, row, sim, image):
        codes = sim.codes_received()
        if row.naks is not None:
            self.assertEqual(codes.count(NAK), row.naks)
        requests = [code for code in codes if code != NAK]
        if row.status == 0:
            # One file count, one download, and each data frame acknowledged once.
            self.assertEqual(requests, [FILE_COUNT, DOWNLOAD] + [ACK] * data_frames(row, image))
        elif CHOSEN[0] not in row.dialogue:
            self.assertNotIn(DOWNLOAD, requests)

    def assertFiles(self, row, bench, base, before, after):
        new = [base.name + suffix for suffix, state in ((".csv", row.csv), (".xls", row.xls)) if state == NEW]
        # No temporary or partial file stays behind, nothing else goes or changes.
        self.assertEqual(sorted(after), sorted(set(before) | set(new)))
        self.assertEqual({n: after[n] for n in before if n not in new}, {n: before[n] for n in before if n not in new})
        for name in new:
            self.assertNotEqual(after[name], before.get(name), f"{name} was not replaced")
        expected_csv, expected_xls = bench.report_files() if new else (None, None)
        if row.csv == NEW:
            self.assertEqual(after[base.name + ".csv"], expected_csv)
        if row.xls == NEW:
            self.assertTrue(same_but_the_date(after[base.name + ".xls"], expected_xls), "the report is not k4-report's")


def main(argv):
    if argv == ["--list"]:
        for row in ROWS:
            print(row.name, int(row.limit), "e2e fault slow" if row.slow else "e2e fault")
        return 0
    FaultMatrixTest.memcheck = "--memcheck" in argv
    argv = [name for name in argv if name != "--memcheck"]
    if FaultMatrixTest.memcheck and not shutil.which("valgrind"):
        print("valgrind is not installed", file=sys.stderr)
        return 77
    FaultMatrixTest.rows = tuple(row for row in ROWS if row.name in argv)
    unknown = set(argv) - {row.name for row in FaultMatrixTest.rows}
    if unknown or not argv:
        print(f"no such rows: {' '.join(sorted(unknown))}\n{__doc__}", file=sys.stderr)
        return 2
    return ctest_main(sys.modules[__name__], ["FaultMatrixTest"])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
