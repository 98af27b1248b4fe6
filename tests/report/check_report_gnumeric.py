#!/usr/bin/python3
"""Opens a report written by the real component with gnumeric's ssconvert:
it must read it without a complaint and see the same cells.

usage: check_report_gnumeric.py REPORT_DRIVER"""
import csv
import os
import shutil
import subprocess
import sys

from report_check_support import Checks, skip, work_folder, write_report

if shutil.which("ssconvert") is None:
    skip("gnumeric's ssconvert is not installed")


def complaints(stderr):
    # ssconvert reports damaged or misread files on stderr; desktop noise
    # about a missing display or accessibility bus is not about the file.
    noise = ("dbus", "display", "at-spi", "gtk", "dconf")
    return [line for line in stderr.splitlines() if line.strip() and not any(n in line.lower() for n in noise)]


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    work = work_folder("k4-report-gnumeric-")
    checks = Checks()
    for name, args, rows in (("sample", ["--sample"], 43), ("synthetic600", ["--synthetic", "600"], 524)):
        report = write_report(sys.argv[1], work, name, args)
        target = os.path.join(work, name + ".csv")
        done = subprocess.run(["ssconvert", report, target], capture_output=True, text=True, timeout=300,
                              env=dict(os.environ, NO_AT_BRIDGE="1"))
        checks.equal(f"{name}: ssconvert exit status", done.returncode, 0)
        checks.equal(f"{name}: ssconvert complaints", complaints(done.stderr), [])
        if done.returncode != 0:
            continue
        with open(target, newline="") as f:
            table = list(csv.reader(f))
        checks.equal(f"{name}: rows", len(table), rows)
        if name == "sample":
            checks.equal("row 13", table[12][:15], ["0", "0d", "1h", "3.7m", "", "", "", "Tripped", "Underload",
                                                    "230", "231", "229", "13", "13", "12"])
            checks.equal("row 16", table[15][7], "No Data")
            checks.equal("row 18 flags", table[17][17:25], ["Bits 1000001", "On", "Off", "Off", "Off", "Off",
                                                            "Off", "On"])
            checks.equal("heading of column P", table[10][15], "% of Max Amps")
        else:
            checks.equal("last index", table[523][0], "511")
    checks.finish()


if __name__ == "__main__":
    sys.exit(main())
