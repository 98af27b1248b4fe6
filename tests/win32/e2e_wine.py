#!/usr/bin/env python3
"""Download passes of the Windows k4-download.exe under wine against the
Linux k4-sim: the simulator's pseudo-terminal becomes COM5 through a link in
the wine prefix's dosdevices folder, and a bridge file of our own announces
COM5 to the Windows program. The rows are those of the Linux fault matrix,
with its checks; on top, every report written must equal the Linux
k4-report's for the same image, byte for byte but for the download date.

Environment: WINEPREFIX (a prefix with the VID and PID values in its
registry), K4_BIN_DIR (the Linux build's bin folder: k4-sim, k4-report),
K4_WIN_BIN_DIR (the Windows build's bin folder).

    e2e_wine.py [ROW...]    the rows below when none are named
"""

import os
import struct
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent))
sys.path.insert(0, str(HERE.parent / "e2e"))

import fault_bench as fb  # noqa: E402
from harness import scene as k4_scene  # noqa: E402
import test_fault_matrix as matrix  # noqa: E402

ROWS = (
    "no-fault-replaces-older-files",
    "corrupt-byte-in-end-frame",
    "corrupt-first-frame",
    "five-corrupt-frames-in-a-row",
    "unplug-mid-transfer",
    "file-count-0",
    "first-image-byte-0",
)

WINE_PROGRAM = HERE.parent.parent / "scripts" / "wine-program.sh"
WIN_BIN = Path(os.environ.get("K4_WIN_BIN_DIR", ""))
# Starting and ending a program under wine, on top of a row's own limit.
WINE_OVERHEAD = 10
# The unplug reaches the program at once, but wine takes a moment to end it.
UNPLUG_NOTICED = 2.5
# The report's download date and time: row 7, column E.
DATE_CELL = (6, 4)


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def link_com5(device):
    link = Path(os.environ["WINEPREFIX"]) / "dosdevices" / "com5"
    if link.is_symlink() or link.exists():
        link.unlink()
    link.symlink_to(device)


def download_date(xls_bytes):
    book = fb.xlrd.open_workbook(file_contents=xls_bytes)
    cell = book.sheet_by_name("TQ K4").cell(*DATE_CELL)
    if cell.ctype != fb.xlrd.XL_CELL_DATE:
        raise AssertionError(f"no download date in the report: {cell}")
    return cell.value


def same_but_the_date(windows_xls, linux_xls):
    """True when the two reports differ in nothing but the date cell's number."""
    ours = struct.pack("<d", download_date(windows_xls))
    theirs = struct.pack("<d", download_date(linux_xls))
    if windows_xls.count(ours) != 1:
        return False
    return windows_xls.replace(ours, theirs) == linux_xls


class WineFaultMatrix(matrix.FaultMatrixTest):
    timings = []

    def check(self, row, scene, bench):
        image = row.image(scene)
        bench.serve(image)
        base = row.place(bench, row.older)
        before = fb.snapshot(base.parent)
        sim = scene.start_sim("unit", "--image", str(bench.image_file), *matrix.sim_options(row, image),
                              paced=row.paced)
        link_com5(sim.bridge_file.read_text().split()[0])
        wine_bridges = scene.root / "wine-bridges"
        wine_bridges.mkdir()
        (wine_bridges / "unit.bridge").write_text("COM5 10c4 ea60\n")

        kept = scene.root / "kept.img"
        command = [str(WINE_PROGRAM), str(WIN_BIN / "k4-download.exe"), "--output", str(row.typed or base),
                   "--trace-bridges", "--keep-image", str(kept)]
        environment = dict(os.environ, K4_BRIDGE_DIR=windows_path(wine_bridges))
        started = time.monotonic()
        try:
            process = subprocess.run(command, env=environment, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE, text=True, timeout=row.limit + WINE_OVERHEAD)
        except subprocess.TimeoutExpired:
            self.fail(f"the pass was still running after {row.limit + WINE_OVERHEAD} s")
        ended = time.monotonic()
        self.timings.append((row.name, ended - started))
        result = k4_scene.PassResult(process.returncode, process.stderr, started, ended)
        sim.stop()

        self.assertEqual(result.status, row.status, result.stderr)
        self.assertEqual(matrix.dialogue(result), list(row.dialogue), result.stderr)
        unplugged_at = sim.noted_at("unplugged")
        if unplugged_at is not None:
            self.assertLess(result.ended_at - unplugged_at, UNPLUG_NOTICED, "the unplug was noticed late")
        self.assertBridgesClosedOnce(row, result)
        self.assertUnitAsked(row, sim, image)
        after = fb.snapshot(base.parent)
        self.assertFiles(row, bench, base, before, after)
        if row.csv == matrix.NEW:
            self.assertEqual(kept.read_bytes(), image, "the image did not arrive byte for byte")
        if row.xls == matrix.NEW:
            linux = scene.root / "linux-report"
            subprocess.run([k4_scene.tool("k4-report"), str(bench.image_file), "--output", str(linux)],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
            self.assertTrue(same_but_the_date(after[base.name + ".xls"], Path(f"{linux}.xls").read_bytes()),
                            "the report differs from the Linux build's")


def main(argv):
    names = argv or list(ROWS)
    rows = tuple(row for row in matrix.ROWS if row.name in names)
    unknown = set(names) - {row.name for row in rows}
    if unknown:
        print(f"no such rows: {' '.join(sorted(unknown))}", file=sys.stderr)
        return 2
    WineFaultMatrix.rows = rows
    suite = unittest.defaultTestLoader.loadTestsFromName("test_every_row_ends_soundly", WineFaultMatrix)
    outcome = unittest.TextTestRunner(stream=sys.stderr, verbosity=2).run(suite)
    for name, seconds in WineFaultMatrix.timings:
        print(f"  {name}: {seconds:.1f} s", file=sys.stderr)
    return 0 if outcome.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
