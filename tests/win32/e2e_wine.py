#!/usr/bin/env python3
"""Download passes of the Windows k4-download.exe under wine against the
Linux k4-sim seen as COM5: rows of the Linux fault matrix, with its checks,
and every report written equal to the Linux k4-report's but for its date.

Environment: WINEPREFIX (VID and PID in its registry), K4_BIN_DIR (Linux
bin: k4-sim, k4-report), K4_WIN_BIN_DIR (the Windows build's bin folder).

    e2e_wine.py [ROW...]    the rows below when none are named
"""

import os
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path[:0] = [str(HERE.parent), str(HERE.parent / "e2e")]

import test_fault_matrix as matrix  # noqa: E402
from harness import scene, wine  # noqa: E402

ROWS = ("no-fault-replaces-older-files", "corrupt-byte-in-end-frame", "corrupt-first-frame",
        "five-corrupt-frames-in-a-row", "unplug-mid-transfer", "file-count-0", "first-image-byte-0")
WINE_PROGRAM = HERE.parent.parent / "scripts" / "wine-program.sh"
WIN_BIN = Path(os.environ.get("K4_WIN_BIN_DIR", ""))
# Starting and ending a program under wine, on top of a row's own limit.
WINE_OVERHEAD = 10
# The unplug reaches the program at once, but wine takes a moment to end it.
UNPLUG_NOTICED = 2.5


class WineFaultMatrix(matrix.FaultMatrixTest):
    """The Linux rows and checks; only the unit and the pass go through wine."""
    timings = []
    unplug_noticed = UNPLUG_NOTICED

    def start_unit(self, k4_scene, *sim_args, paced):
        return wine.unit_as_com5(k4_scene, *sim_args, paced=paced)

    def download(self, k4_scene, row, output, kept):
        command = [str(WINE_PROGRAM), str(WIN_BIN / "k4-download.exe"), "--output", str(output), "--trace-bridges",
                   "--keep-image", str(kept)]
        started = time.monotonic()
        try:
            process = subprocess.run(command, env=dict(os.environ, K4_BRIDGE_DIR=wine.bridge_dir(k4_scene)),
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                     text=True, timeout=row.limit + WINE_OVERHEAD)
        except subprocess.TimeoutExpired:
            self.fail(f"the pass was still running after {row.limit + WINE_OVERHEAD} s")
        result = scene.PassResult(process.returncode, process.stderr, started, time.monotonic())
        self.timings.append((row.name, result.seconds))
        return result

    def test_a_name_the_code_page_lacks(self):
        """--output reaches the files whole from the wide command line: a
        Cyrillic name under a Japanese locale (code page 932 lacks it)."""
        k4_scene = scene.Scene()
        try:
            folder = k4_scene.root / "Южная"
            folder.mkdir()
            sim = wine.unit_as_com5(k4_scene)
            env = dict(os.environ, LC_ALL="ja_JP.UTF-8", LANG="ja_JP.UTF-8", K4_BRIDGE_DIR=wine.bridge_dir(k4_scene))
            code, _, err = wine.run(WIN_BIN / "k4-download.exe", "--output", wine.windows_path(folder / "Мельница №2"),
                                    env=env, timeout=60)
            sim.stop()
            self.assertEqual(code, 0, err)
            self.assertEqual(sorted(p.name for p in folder.iterdir()), ["Мельница №2.csv", "Мельница №2.xls"])
        finally:
            k4_scene.close()


def main(names):
    names = names or list(ROWS)
    WineFaultMatrix.rows = tuple(row for row in matrix.ROWS if row.name in names)
    unknown = set(names) - {row.name for row in WineFaultMatrix.rows}
    if unknown:
        print(f"no such rows: {' '.join(sorted(unknown))}", file=sys.stderr)
        return 2
    suite = unittest.defaultTestLoader.loadTestsFromNames(
        ["test_every_row_ends_soundly", "test_a_name_the_code_page_lacks"], WineFaultMatrix)
    outcome = unittest.TextTestRunner(stream=sys.stderr, verbosity=2).run(suite)
    for name, seconds in WineFaultMatrix.timings:
        print(f"  {name}: {seconds:.1f} s", file=sys.stderr)
    return 0 if outcome.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
