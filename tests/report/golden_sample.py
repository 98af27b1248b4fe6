#!/usr/bin/python3
"""Compares the CSV and the .xls that `k4-report --sample` writes with the
files kept in tests/data/: the CSV byte for byte, the .xls as a listing of
its compound file and of its BIFF records, read here without the product's
code. The download date (the cached value of the NOW() cell) is masked.

usage: golden_sample.py K4_REPORT [--regenerate]"""
import difflib
import os
import struct
import subprocess
import sys
import tempfile

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
FREE, END_OF_CHAIN = 0xFFFFFFFF, 0xFFFFFFFE
NAMES = {0x0006: "FORMULA", 0x0809: "BOF", 0x000A: "EOF", 0x00FC: "SST", 0x003C: "CONTINUE", 0x00FD: "LABELSST",
         0x027E: "RK", 0x0203: "NUMBER", 0x0201: "BLANK", 0x00BE: "MULBLANK", 0x00E0: "XF", 0x0031: "FONT",
         0x041E: "FORMAT", 0x00E5: "MERGEDCELLS", 0x007D: "COLINFO", 0x0208: "ROW", 0x00EC: "MSODRAWING",
         0x00EB: "MSODRAWINGGROUP", 0x005D: "OBJ", 0x0092: "PALETTE", 0x0085: "BOUNDSHEET", 0x023E: "WINDOW2"}


def hex_lines(data, indent="    ", width=32):
    return [indent + data[i:i + width].hex(" ") for i in range(0, len(data), width)]


def listing(xls):
    """The file's header, FAT chains and directory, then one entry per record of its Workbook stream."""
    u32 = lambda at: struct.unpack_from("<I", xls, at)[0]
    sector = lambda n: xls[512 * (n + 1):512 * (n + 2)]
    fat_sectors = [u32(76 + 4 * i) for i in range(109) if u32(76 + 4 * i) != FREE]
    fat = [e for n in fat_sectors for e in struct.unpack("<128I", sector(n))]

    def chain(first):
        while first not in (FREE, END_OF_CHAIN):
            yield first
            first = fat[first]

    lines = [f"file: {len(xls)} bytes", "header:", *hex_lines(xls[:76]), f"FAT sectors: {fat_sectors}",
             "FAT: " + " ".join(f"{n}>{e:x}" for n, e in enumerate(fat) if e != FREE)]
    directory = b"".join(sector(n) for n in chain(u32(48)))
    stream = b""
    for at in range(0, len(directory), 128):
        entry = directory[at:at + 128]
        if entry[66] != 0:
            lines += [f"directory entry {at // 128}:", *hex_lines(entry)]
            name = entry[:struct.unpack_from("<H", entry, 64)[0] - 2].decode("utf-16-le")
            if name == "Workbook":
                size = struct.unpack_from("<I", entry, 120)[0]
                stream = b"".join(sector(n) for n in chain(struct.unpack_from("<I", entry, 116)[0]))[:size]
    at = 0
    while at + 4 <= len(stream) and stream[at:at + 2] != b"\0\0":  # zero padding follows the last record
        kind, length = struct.unpack_from("<HH", stream, at)
        body = bytearray(stream[at + 4:at + 4 + length])
        if kind == 0x0006 and struct.unpack_from("<HH", body) == (6, 4):  # the download date, E7
            body[6:14] = b"\0" * 8
        lines += [f"{at:06x} {kind:04x} {NAMES.get(kind, '?')} {length}", *hex_lines(bytes(body))]
        at += 4 + length
    lines.append(f"padding: {len(stream) - at} bytes, {'all zero' if not any(stream[at:]) else 'NOT ZERO'}")
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) not in (2, 3) or sys.argv[2:] not in ([], ["--regenerate"]):
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory(prefix="k4-golden-") as folder:
        base = os.path.join(folder, "sample")
        done = subprocess.run([sys.argv[1], "--sample", "--output", base], capture_output=True, text=True)
        if done.returncode != 0:
            sys.exit(f"k4-report failed ({done.returncode}): {done.stderr}")
        with open(base + ".csv", encoding="utf-8", newline="") as csv, open(base + ".xls", "rb") as xls:
            written = {"sample.csv": csv.read(), "sample.xls.txt": listing(xls.read())}
    failed = False
    for name, text in written.items():
        path = os.path.join(DATA, name)
        if sys.argv[2:] == ["--regenerate"]:
            with open(path, "w", encoding="utf-8", newline="") as out:
                out.write(text)
            print("wrote", os.path.normpath(path))
            continue
        with open(path, encoding="utf-8", newline="") as kept:
            diff = list(difflib.unified_diff(kept.read().splitlines(), text.splitlines(), name, "written", lineterm=""))
        if diff:
            failed = True
            print(f"FAIL: {name} differs from what k4-report --sample writes now:", *diff[:60], sep="\n")
    if failed:
        print("After an intended change to the sample or the report: scripts/regenerate-golden.sh")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
