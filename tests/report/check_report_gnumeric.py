#!/usr/bin/python3
"""Converts reports written by the real component with gnumeric's
ssconvert, which must read them without a complaint.

usage: check_report_gnumeric.py REPORT_DRIVER"""
import os
import shutil
import subprocess
import sys

from report_check_support import Failures, skip, write_report

if shutil.which("ssconvert") is None:
    skip("gnumeric's ssconvert is not installed")

# Desktop noise about a missing display or accessibility bus is not about the file.
NOISE = ("dbus", "display", "at-spi", "gtk", "dconf")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    failures = Failures()
    for name, args in (("sample", ["--sample"]), ("synthetic600", ["--synthetic", "600"])):
        report = write_report(sys.argv[1], name, args=args)
        done = subprocess.run(["ssconvert", report, report + ".csv"], capture_output=True, text=True, timeout=300,
                              env=dict(os.environ, NO_AT_BRIDGE="1"))
        complaints = [line for line in done.stderr.splitlines()
                      if line.strip() and not any(noise in line.lower() for noise in NOISE)]
        failures.expect(f"{name}: ssconvert exit status and complaints", (done.returncode, complaints), (0, []))
        failures.expect(f"{name}: converted", os.path.exists(report + ".csv"), True)
    failures.finish()


if __name__ == "__main__":
    main()
