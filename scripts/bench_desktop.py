"""Runs for scripts/bench_desktop.sh: each run is one whole desktop pass,
timed to its main window and measured by GNU time."""

import re
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "app" / "qt"))
import e2e_desktop as desk  # noqa: E402


class Bench(desk.DesktopPass):
    def runTest(self):
        pass


def one_pass():
    run = Bench()
    run.setUp()
    try:
        run.sim = run.scene.start_sim("unit", paced=True)
        started = time.time()
        program = subprocess.Popen(["/usr/bin/time", "-v", desk.tool(desk.PROGRAM)], env=run.scene.environment(),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        run.scene.processes.append(program)
        run.press(run.next_window("k4-data-found", timeout=30), "Return")
        save = run.next_window("k4-save-file")
        run.type_text(save, "bench")
        run.press(save, "Return")
        run.press(run.next_window("k4-save-complete", timeout=60), "Return")
        program.wait(timeout=30)
        report = program.stderr.read()
        shown = float(re.search(r"k4-shown (\d+\.\d+)", report).group(1))
        peak = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", report).group(1))
        if program.returncode != 0:
            raise RuntimeError(f"the pass ended with {program.returncode}:\n{report}")
        return shown - started, peak
    finally:
        run.doCleanups()


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    results = [one_pass() for _ in range(runs)]
    shown = [seconds * 1000 for seconds, _ in results]
    peaks = [peak for _, peak in results]
    print(f"runs: {runs}")
    print(f"start to main window shown: median {statistics.median(shown):.0f} ms "
          f"(min {min(shown):.0f}, max {max(shown):.0f})")
    print(f"peak RSS of a whole pass: median {statistics.median(peaks) / 1024:.1f} MiB "
          f"(min {min(peaks) / 1024:.1f}, max {max(peaks) / 1024:.1f})")


if __name__ == "__main__":
    main()
