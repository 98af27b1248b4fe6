"""The fault matrix: one download pass per row, each with one fault of the
line, the unit or the output folder, and the same checks on every ending:
the exit status, what the user was told and in which order, a bounded
time, the bridge closed exactly once, and under the target names either
both new files complete or the older files left byte for byte, with no
partial file anywhere.

    test_fault_matrix.py --list      the rows: name, time limit, speed
    test_fault_matrix.py ROW...      runs those rows (exit 77: skipped)
    python3 -m unittest test_fault_matrix   runs every row
"""

import subprocess
import sys
import unittest
from collections import Counter
from dataclasses import dataclass
from typing import Callable, Optional

import fault_bench as fb
from fault_bench import Bench
from k4_scene import (DOWNLOAD, FILE_COUNT, FILE_COUNT_LOST, NAK, SEND_FAILED, UPLOAD_LOST, Scene,
                      ctest_main)

CSV_FAILED = "Unable to create the comma-delimited output file."
XLS_FAILED = "Unable to create the Excel output file."
CHOSEN = ("Pumpvisor Data Found", "Download Complete Save File")  # the prompts before the download
SAVED = (*CHOSEN, "Save Successful")
NOTHING_WRITTEN = (*CHOSEN, CSV_FAILED, XLS_FAILED, UPLOAD_LOST)

NEW, KEPT = "new", "kept"  # a target file after the pass: written anew, or as it was before

QUICK = 10     # seconds: a fault noticed at once
LARGE = 30     # the largest image through the line and both writers
SILENCE = 80   # a fault noticed only after the 50-second silence of a frame read

END_FRAME = "end"   # in `sim`: the number of the reply's closing type-0 frame
SIM_FRAME_SIZE = 256


@dataclass(frozen=True)
class Row:
    name: str
    sim: tuple = ()                      # k4-sim options that inject the fault
    image: Callable = fb.sample          # scene -> the image the unit serves
    place: Callable = Bench.plain_folder  # (bench, older) -> the base path typed
    older: bool = True                   # older files of the target names are there first
    status: int = 0
    dialogue: tuple = SAVED              # every prompt and message, in order
    csv: str = NEW
    xls: str = NEW
    naks: Optional[int] = None           # negative acknowledgements the unit receives
    csv_like: Optional[Callable] = None  # scene -> image whose k4-report csv the new one equals
    events: Optional[int] = None         # event rows both new files hold
    limit: float = QUICK
    slow: bool = False


UNPLUGGED = dict(status=1, dialogue=(*CHOSEN, SEND_FAILED, UPLOAD_LOST), csv=KEPT, xls=KEPT)
NO_DOWNLOAD = dict(status=1, dialogue=(FILE_COUNT_LOST,), csv=KEPT, xls=KEPT)

ROWS = (
    Row("no-fault-replaces-older-files", naks=0),
    # The line
    Row("corrupt-byte-in-end-frame", sim=("--corrupt-frame", END_FRAME), naks=1),
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
        status=1, dialogue=(*CHOSEN, UPLOAD_LOST), csv=KEPT, xls=KEPT, naks=0, limit=LARGE),
    Row("file-count-status-1", sim=("--status", "1"), **NO_DOWNLOAD),
    Row("file-count-0", sim=("--file-count", "0"), status=3, dialogue=("Device Empty",), csv=KEPT, xls=KEPT),
    Row("first-image-byte-0", image=fb.first_byte_zero, older=False,
        status=1, dialogue=(*CHOSEN, UPLOAD_LOST), csv=KEPT, xls=KEPT, naks=0),
    Row("table-starting-past-the-image", image=fb.table_starting_past_the_end, events=0),
    Row("table-running-past-the-image", image=fb.table_running_past_the_end, csv_like=fb.sample),
    # The output folder
    Row("disk-full", image=fb.largest, place=Bench.full_file_system,
        status=1, dialogue=NOTHING_WRITTEN, csv=KEPT, xls=KEPT, limit=LARGE),
    Row("disk-full-during-report", image=fb.largest, place=Bench.room_for_the_csv_only,
        status=1, dialogue=(*CHOSEN, XLS_FAILED, UPLOAD_LOST), csv=NEW, xls=KEPT, limit=LARGE),
    Row("read-only-folder", place=Bench.read_only_folder,
        status=1, dialogue=NOTHING_WRITTEN, csv=KEPT, xls=KEPT),
    Row("missing-folder", place=Bench.missing_folder, older=False,
        status=1, dialogue=NOTHING_WRITTEN, csv=KEPT, xls=KEPT),
    Row("base-path-of-4096-characters", place=Bench.base_path_past_path_max, older=False,
        status=1, dialogue=NOTHING_WRITTEN, csv=KEPT, xls=KEPT),
    Row("target-path-of-4095-characters", place=Bench.longest_target_path),
)


def sim_options(row, image):
    """The row's k4-sim options with END_FRAME turned into a frame number."""
    options = list(row.sim)
    frame_size = int(options[options.index("--frame-size") + 1]) if "--frame-size" in options else SIM_FRAME_SIZE
    end_frame = -(-len(image) // frame_size) + 1
    return [str(end_frame) if option == END_FRAME else option for option in options]


def dialogue(result):
    """What the user saw: every line but the bridge trace, the terminal's
    answers and the search progress."""
    noise = ("bridge: ", "  -> ", "Searching for Pumpvisor Data")
    return [line for line in result.lines if not line.startswith(noise)]


class FaultMatrixTest(unittest.TestCase):
    rows = ROWS

    def test_every_row_ends_soundly(self):
        for row in self.rows:
            with self.subTest(row=row.name):
                scene = Scene()
                bench = Bench(self, scene)
                try:
                    self.check(row, scene, bench)
                finally:
                    bench.close()  # unmounts before the scene's folder goes
                    scene.close()

    def check(self, row, scene, bench):
        image = row.image(scene)
        bench.serve(image)
        base = row.place(bench, row.older)
        before = fb.snapshot(base.parent)
        sim = scene.start_sim("unit", "--image", str(bench.image_file), *sim_options(row, image))
        try:
            result = scene.download(base, timeout=row.limit)
        except subprocess.TimeoutExpired:
            self.fail(f"the pass was still running after {row.limit} s")
        sim.stop()

        self.assertEqual(result.status, row.status, result.stderr)
        self.assertEqual(dialogue(result), list(row.dialogue), result.stderr)
        self.assertBridgeClosedOnce(result)
        if row.naks is not None:
            self.assertEqual(sim.codes_received().count(NAK), row.naks)
        self.assertFiles(row, bench, base, before, fb.snapshot(base.parent))

    def assertBridgeClosedOnce(self, result):
        opened = [line.split()[-1] for line in result.bridge_calls("open") if "failed" not in line]
        closed = [line.split()[-1] for line in result.bridge_calls("close")]
        self.assertEqual(len(opened), 1, result.stderr)
        self.assertEqual(Counter(closed), Counter(opened), result.stderr)

    def assertFiles(self, row, bench, base, before, after):
        if before is None:
            self.assertIsNone(after, "the pass created the missing folder")
            return
        targets = {NEW: [], KEPT: []}
        targets[row.csv].append(base.name + ".csv")
        targets[row.xls].append(base.name + ".xls")
        # No temporary or partial file stays behind, nothing else goes.
        self.assertEqual(sorted(after), sorted(set(before) | set(targets[NEW])))
        for name in before:
            if name not in targets[NEW]:
                self.assertEqual(after[name], before[name], f"{name} changed")
        for name in targets[NEW]:
            self.assertNotEqual(after[name], before.get(name), f"{name} was not replaced")

        if not targets[NEW]:
            return
        expected_csv = bench.expected_csv(row.csv_like)
        csv_lines = expected_csv.decode("ascii").splitlines()[1:]
        if row.events is not None:
            self.assertEqual(len(csv_lines), row.events)
        if row.csv == NEW:
            self.assertEqual(after[base.name + ".csv"], expected_csv)
        if row.xls == NEW:
            indexes = [int(line.split(",")[0]) for line in csv_lines]
            self.assertEqual(fb.report_event_indexes(after[base.name + ".xls"]), indexes)


def main(argv):
    if argv == ["--list"]:
        for row in ROWS:
            print(row.name, int(row.limit), "slow" if row.slow else "quick")
        return 0
    chosen = tuple(row for row in ROWS if row.name in argv)
    unknown = set(argv) - {row.name for row in chosen}
    if unknown or not chosen:
        print(f"no such rows: {' '.join(sorted(unknown))}\n{__doc__}", file=sys.stderr)
        return 2
    FaultMatrixTest.rows = chosen
    return ctest_main(sys.modules[__name__], ["FaultMatrixTest"])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
