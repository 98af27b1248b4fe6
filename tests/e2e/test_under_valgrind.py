"""Memory checks with valgrind's memcheck: a whole download pass of
k4-download against the simulated unit, and k4-report on the largest
image. Any memory error fails, and so does a leak that is definitely or
indirectly lost; memory still reachable at exit does not.

    test_under_valgrind.py TEST...   runs those tests for CTest (exit 77: skipped)
"""

import shutil
import subprocess
import sys
import unittest
from pathlib import Path

import fault_bench as fb
from harness.scene import Scene, ctest_main, tool

MEMCHECK_FAILED = 99  # the exit status valgrind gives on an error or a counted leak


class MemcheckTest(unittest.TestCase):
    def setUp(self):
        self.valgrind = shutil.which("valgrind")
        if not self.valgrind:
            self.skipTest("valgrind is not installed")
        for program in ("k4-download", "k4-report"):
            # The sanitizers' run-time and valgrind cannot share a process.
            if b"__asan_init" in Path(tool(program)).read_bytes():
                self.skipTest(f"{program} is built with AddressSanitizer")
        self.scene = Scene()
        self.addCleanup(self.scene.close)
        self.log = self.scene.root / "memcheck.log"
        self.base = self.scene.root / "pump"

    def memcheck(self):
        return [self.valgrind, "--tool=memcheck", f"--error-exitcode={MEMCHECK_FAILED}", "--leak-check=full",
                "--errors-for-leak-kinds=definite,indirect", f"--log-file={self.log}"]

    def assertClean(self, status, output):
        report = self.log.read_text() if self.log.exists() else "(no memcheck log)"
        self.assertNotEqual(status, MEMCHECK_FAILED, report)
        self.assertEqual(status, 0, f"{output}\n{report}")
        self.assertIn("ERROR SUMMARY: 0 errors", report)
        self.assertTrue(Path(f"{self.base}.csv").is_file())
        self.assertTrue(Path(f"{self.base}.xls").is_file())

    def test_download_pass(self):
        self.scene.start_sim("unit")
        result = self.scene.download(self.base, wrapper=self.memcheck(), timeout=240)
        self.assertClean(result.status, result.stderr)
        self.assertIn("Save Successful", result.lines)

    def test_report_on_the_largest_image(self):
        image_file = self.scene.root / "largest.img"
        image_file.write_bytes(fb.largest(self.scene))
        done = subprocess.run(self.memcheck() + [tool("k4-report"), str(image_file), "--output", str(self.base)],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, timeout=240)
        self.assertClean(done.returncode, done.stderr)


if __name__ == "__main__":
    sys.exit(ctest_main(sys.modules[__name__], sys.argv[1:]))
