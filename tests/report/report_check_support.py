"""Shared pieces of the report reader checks: crafted log images, running
the report driver, and a small failure collector.

The checks run under CTest as /usr/bin/python3 scripts; a check whose
reader is not installed exits with SKIP (77)."""
import os
import struct
import subprocess
import sys
import tempfile

SKIP = 77
STRIDE = 21
TABLE_OFFSET = 32

# Event codes used by the crafted images.
SWITCH_ON = 0x27
TRIP_OVERLOAD = 0x1A
DEFAULTS_RESTORED = 0x2C
PROTECTION_CHANGE = 0x2A
EMPTY = 0xFF


def skip(why):
    print(f"SKIP: {why}")
    sys.exit(SKIP)


def _record(code, stamp, scale=1):
    r = bytearray(STRIDE)
    r[1] = scale
    r[2] = STRIDE - 6
    r[5] = code
    r[6:9] = stamp.to_bytes(3, "little")
    return r


def measurement(code, stamp, amps, volts=(3680, 3696, 3664), scale=1):
    """Raw units: sixteenths of a volt; currents per `scale`."""
    r = _record(code, stamp, scale)
    r[9:15] = struct.pack("<3H", *volts)
    r[15:21] = struct.pack("<3H", *amps)
    return bytes(r)


def whole_amps(a1, a2, a3):
    return (a1 * 16, a2 * 16, a3 * 16)


def parameter(code, stamp, number, value):
    r = _record(code, stamp)
    r[9] = number
    r[10] = value
    return bytes(r)


def plain(code, stamp):
    return bytes(_record(code, stamp))


def empty():
    r = bytearray([0xFF] * STRIDE)
    r[2] = STRIDE - 6
    return bytes(r)


def log_image(records):
    """A log image as the unit sends it: big-endian header words."""
    table = b"".join(records)
    header = bytearray(TABLE_OFFSET)
    header[0] = 1
    header[6:8] = struct.pack(">H", TABLE_OFFSET)
    header[8:10] = struct.pack(">H", len(table))
    return bytes(header) + table


class Checks:
    """Collects failed expectations so one run reports all of them."""

    def __init__(self):
        self.failures = []
        self.count = 0

    def equal(self, what, actual, expected):
        self.count += 1
        if actual != expected:
            self.failures.append(f"{what}: got {actual!r}, expected {expected!r}")

    def true(self, what, condition):
        self.count += 1
        if not condition:
            self.failures.append(what)

    def finish(self):
        for failure in self.failures:
            print("FAIL:", failure)
        print(f"{self.count - len(self.failures)} of {self.count} checks passed")
        sys.exit(1 if self.failures else 0)


def run_driver(driver, args, base):
    """Runs the report driver; returns (exit code, stderr text)."""
    done = subprocess.run([driver, *args, "--output", base], capture_output=True, text=True, timeout=120)
    return done.returncode, done.stderr


def write_report(driver, work, name, source_args=None, records=None):
    """Writes a report from driver arguments or crafted records; returns the .xls path."""
    base = os.path.join(work, name)
    if records is not None:
        image_path = base + ".img"
        with open(image_path, "wb") as out:
            out.write(log_image(records))
        source_args = [image_path]
    code, err = run_driver(driver, source_args, base)
    if code != 0:
        print(f"report driver failed ({code}): {err}")
        sys.exit(1)
    return base + ".xls"


def work_folder(prefix):
    return tempfile.mkdtemp(prefix=prefix)
