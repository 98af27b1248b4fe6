"""Shared pieces of the report reader checks: crafted log records, writing
a report through the real component, and a failure collector. A check
whose reader is not installed exits with SKIP (77)."""
import atexit
import os
import shutil
import struct
import subprocess
import sys
import tempfile

SKIP = 77
STRIDE = 21
WHOLE_AMPS, TENTH_AMPS = 1, 0  # scale flags
SWITCH_ON, TRIP_OVERLOAD, PROTECTION_CHANGE, MOTOR_CHANGE = 0x27, 0x1A, 0x2A, 0x2B


def skip(why):
    print(f"SKIP: {why}")
    sys.exit(SKIP)


def record(code, stamp, fields=b"", scale=WHOLE_AMPS):
    r = bytearray(STRIDE)
    r[1], r[2], r[5] = scale, STRIDE - 6, code
    r[6:9] = stamp.to_bytes(3, "little")
    r[9:9 + len(fields)] = fields
    return bytes(r)


def measurement(code, stamp, amps, volts=(230, 231, 229), scale=WHOLE_AMPS):
    """Volts and amperes in whole units; the unit stores sixteenths."""
    return record(code, stamp, struct.pack("<6H", *(16 * v for v in (*volts, *amps))), scale)


def parameter(code, stamp, number, value):
    return record(code, stamp, bytes([number, value]))


def empty():
    return record(0xFF, 0xFFFFFF, scale=0xFF)


def write_report(driver, name, records=None, args=()):
    """Writes NAME.xls in a fresh folder from crafted records (or from the
    driver's own source arguments) and returns its path."""
    folder = tempfile.mkdtemp(prefix="k4-report-check-")
    atexit.register(shutil.rmtree, folder, True)
    base = os.path.join(folder, name)
    if records is not None:
        table = b"".join(records)
        header = bytearray(32)  # big-endian words: table offset, table length
        header[0] = 1
        header[6:10] = struct.pack(">HH", len(header), len(table))
        with open(base + ".img", "wb") as out:
            out.write(bytes(header) + table)
        args = [base + ".img"]
    done = subprocess.run([driver, *args, "--output", base], capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        sys.exit(f"report driver failed ({done.returncode}): {done.stderr}")
    return base + ".xls"


class Failures(list):
    """Collects failed expectations so that one run reports all of them."""

    def expect(self, what, actual, expected):
        if actual != expected:
            self.append(f"{what}: got {actual!r}, expected {expected!r}")

    def finish(self):
        for failure in self:
            print("FAIL:", failure)
        print("all checks passed" if not self else f"{len(self)} failed")
        sys.exit(1 if self else 0)
