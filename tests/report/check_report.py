#!/usr/bin/python3
"""Opens reports that k4-report writes (the built-in sample and crafted logs)
with one of three independent readers: xlrd (values as stored), a headless
LibreOffice (the row formulas recalculated after Max Amps is entered) or
gnumeric's ssconvert (reads without a complaint). Given the sample workbook
writer, xlrd (cached results) and gnumeric (recalculated) also check the
component's own edge cases that no report reaches: long shared strings,
numbers at the edges of their compact form, formulas, a picture that needs
CONTINUE records and a tiny workbook.

"golden" compares the CSV and the .xls that `k4-report --sample` writes with
the files kept in tests/data/ (or renews them): the CSV byte for byte, the
.xls as a listing of its compound file and of its BIFF records, read here
without the product's code. The download date (the cached value of the NOW()
cell) is masked. The styles are held there, byte for byte.

usage: check_report.py xlrd|libreoffice|gnumeric K4_REPORT [XLS_SAMPLE_WRITER]
       check_report.py golden K4_REPORT [--regenerate]
Exit status 77: the reader is not installed (skipped)."""
import difflib
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile
import zlib

SKIP, STRIDE, WHOLE_AMPS, TENTH_AMPS = 77, 21, 1, 0
SWITCH_ON = 0x27
ENV = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8", NO_AT_BRIDGE="1")  # "." as the decimal point
DIV0 = "#DIV/0!"
# The edge workbook: inputs 9, 10, 11, "Overrange" and a blank in row 1; each formula and its value.
FORMULAS = [("=(1+2)*3-8-2-1", -2), ("=-R1C1/2+.25", -4.25), ("=IF(1+2>2*1;65536;0)", 65536),
            ("=IF(R1C1>R1C2;1;0.5)", 0.5), ("=MAX(R1C1:R1C5)/R1C2", 1.1), ("=AVERAGE(R1C1:R1C5)", 10),
            ("=ABS(R1C1-R1C3)", 2), ("=R1C1/R1C5", DIV0), ("=R65536C256+1", 1),
            (" = max( r1c3:R1C1 ) ", 11), ("IF(1,65535)", 65535), ("=65536+.5", 65536.5),
            ("=MAX(ABS((AVERAGE(R1C1:R1C3)-R1C1)/AVERAGE(R1C1:R1C3));0)", 0.1)]
NUMBERS = [2000000000, -123456, 1 / 3]  # row 2
LONG_TEXTS = ["".join(str(i % 10) for i in range(12000)), "".join(chr(0x410 + i % 32) for i in range(12000))]  # row 3
LAST_ROW = 524  # its unbalance formula is the longest, 236 characters
# Report row: currents in whole amperes -> (% of Max Amps, % unbalance) shown with Max Amps 20.
LOADS = {13: ((10, 10, 10), ("50.0%", "")), 14: ((9, 10, 11), ("55.0%", "10.0%")), 15: ((1, 1, 1), ("", "")),
         LAST_ROW: ((9, 10, 11), ("55.0%", "10.0%"))}
EMPTY = b"\xff" * 2 + bytes([STRIDE - 6]) + b"\xff" * (STRIDE - 3)
failures = []


def skip(why):
    print(f"SKIP: {why}")
    sys.exit(SKIP)


def check(what, actual, expected):
    if actual != expected:
        failures.append(f"{what}: got {actual!r:.300}, expected {expected!r:.300}")


def same(shown, expected):
    """A shown value (number or text) against a table entry: texts exactly, numbers to 1e-9."""
    try:
        return shown == expected if isinstance(expected, str) else abs(float(shown) - expected) < 1e-9
    except ValueError:
        return False


def measurement(stamp, amps, scale=WHOLE_AMPS):
    """A switch-on record; volts and amperes in whole units, stored in sixteenths."""
    r = bytearray(STRIDE)
    r[1], r[2], r[5], r[6:9] = scale, STRIDE - 6, SWITCH_ON, stamp.to_bytes(3, "little")
    r[9:21] = struct.pack("<6H", *(16 * v for v in (230, 231, 229, *amps)))
    return bytes(r)


def report(k4_report, folder, name, records=None):
    """NAME.xls written by k4-report from crafted records, or from the sample log."""
    base, args = os.path.join(folder, name), ["--sample"]
    if records is not None:
        table = b"".join(records)  # after a header of big-endian words: table offset, table length
        with open(base + ".img", "wb") as out:
            out.write(b"\1" + bytes(5) + struct.pack(">HH", 32, len(table)) + bytes(22) + table)
        args = [base + ".img"]
    done = subprocess.run([k4_report, *args, "--output", base], capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        sys.exit(f"k4-report failed ({done.returncode}): {done.stderr}")
    return base + ".xls"


def edge_workbooks(writer, folder):
    """(edges.xls, tiny.xls, picture): a noisy 120x120 PNG needs CONTINUE records in the drawing data and takes the
    file over one FAT sector."""
    rng = random.Random(4)
    raw = b"".join(b"\0" + bytes(rng.randrange(256) for _ in range(360)) for _ in range(120))
    chunk = lambda kind, data: (struct.pack(">I", len(data)) + kind + data +
                                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 120, 120, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
    paths = [os.path.join(folder, name) for name in ("logo.png", "edges.xls", "tiny.xls")]
    with open(paths[0], "wb") as f:
        f.write(png)
    for command in ([paths[1], paths[0], *(text for text, _ in FORMULAS)], [paths[2]]):
        done = subprocess.run([writer, *command], capture_output=True, text=True)
        if done.returncode != 0:
            sys.exit(f"the sample writer failed: {done.stderr}")
    return paths[1], paths[2], png


def check_edges(reader, cell):
    """The edge workbook's values as `cell(row, column)` shows them (1-based)."""
    for row, (text, value) in enumerate(FORMULAS, start=4):
        if not same(cell(row, 1), value):
            failures.append(f"{reader}: {text} shows {cell(row, 1)!r}, expected {value!r}")
    for column, number in enumerate(NUMBERS[:2], start=1):  # 1/3 is shown to a reader's own precision
        check(f"{reader}: number in row 2, column {column}", same(cell(2, column), number), True)
    check(f"{reader}: long texts across CONTINUE records", [cell(3, 1), cell(3, 2)], LONG_TEXTS)


def check_xlrd(k4_report, writer, folder):
    try:
        import xlrd
    except ImportError:
        skip("python3-xlrd is not installed")

    def book_of(path):
        log = open(os.path.join(folder, "xlrd.log"), "w+")
        book = xlrd.open_workbook(path, formatting_info=True, verbosity=1, logfile=log)
        log.seek(0)
        complaints = [line for line in log if re.search(r"WARN|inconsisten|NOTE \*\*\*|unexpected|ignored|truncat",
                                                        line, re.IGNORECASE)]
        check(f"xlrd's complaints about {os.path.basename(path)}", complaints, [])
        return book.sheet_by_index(0)

    sheet = book_of(report(k4_report, folder, "sample"))
    date = sheet.cell(6, 4)
    check("E7 holds the time of writing", date.ctype == xlrd.XL_CELL_DATE and
          abs(xlrd.xldate_as_datetime(date.value, 0).timestamp() - time.time()) < 300, True)
    # A log longer than the report's 512 rows, its first record and its record 510 empty: measured from zero after
    # the empty first record; No Data from record 510 on, without values or formulas.
    records = [EMPTY] + [EMPTY if i == 510 else measurement(100 * i + 25, (5, 5, 5)) for i in range(1, 600)]
    sheet = book_of(report(k4_report, folder, "long", records))
    check("a long log: rows, E14:G14, column A", (sheet.nrows, sheet.row_values(13, 4, 7), sheet.col_values(0, 12)),
          (LAST_ROW, ["0d", "0h", "12.5m"], list(range(512))))
    no_data = [" "] * 6 + ["No Data"] + [" "] * 17
    rows = [sheet.row_values(r, 1) for r in (522, 523) if r < sheet.nrows]
    check("rows 523 and 524 after an empty record 510", rows, [no_data] * 2)
    if writer:
        edges, tiny, _ = edge_workbooks(writer, folder)
        sheet = book_of(edges)
        shown = lambda c: xlrd.error_text_from_code[c.value] if c.ctype == xlrd.XL_CELL_ERROR else c.value
        check_edges("xlrd (cached results)", lambda row, column: shown(sheet.cell(row - 1, column - 1)))
        check("xlrd: 1/3", sheet.cell_value(1, 2), 1 / 3)
        check("xlrd: tiny workbook", book_of(tiny).cell_value(0, 0), "tiny")


def check_libreoffice(k4_report, writer, folder):
    try:
        import uno
        from com.sun.star.beans import PropertyValue
        from com.sun.star.connection import NoConnectException
    except ImportError:
        skip("python3-uno is not installed")
    if shutil.which("soffice") is None:
        skip("LibreOffice (soffice) is not installed")
    records = [measurement(10 * row, LOADS.get(row, ((5, 5, 5),))[0]) for row in range(13, LAST_ROW + 1)]
    loads = report(k4_report, folder, "loads", records)
    pipe = f"k4report{os.getpid()}"
    office = subprocess.Popen(["soffice", "--headless", "--invisible", "--norestore", "--nodefault",
                               f"-env:UserInstallation={uno.systemPathToFileUrl(os.path.join(folder, 'profile'))}",
                               f"--accept=pipe,name={pipe};urp;StarOffice.ComponentContext"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=ENV)
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    deadline = time.time() + 120
    while True:
        try:
            context = resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
            break
        except NoConnectException:
            if time.time() > deadline or office.poll() is not None:
                office.kill()
                sys.exit("LibreOffice did not start")
            time.sleep(0.3)
    desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
    try:
        document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(loads), "_blank", 0,
                                                (PropertyValue(Name="Hidden", Value=True),))
        sheet = document.Sheets.getByIndex(0)
        sheet.getCellByPosition(8, 6).setValue(20)  # Max Amps, I7, as a user enters it
        document.calculateAll()
        for row, (amps, shown) in LOADS.items():
            check(f"currents {amps}: P and Q shown", tuple(sheet.getCellByPosition(c, row - 1).getString()
                                                           for c in (15, 16)), shown)
        document.close(True)
    finally:
        try:
            desktop.terminate()
            office.wait(timeout=30)
        except Exception:  # gone already, or hanging: the kill settles both
            office.kill()


def check_gnumeric(k4_report, writer, folder):
    if shutil.which("ssconvert") is None:
        skip("gnumeric's ssconvert is not installed")

    def convert(source, target, *options):
        done = subprocess.run(["ssconvert", *options, source, target], capture_output=True, text=True,
                              timeout=300, env=ENV)
        complaints = [line for line in done.stderr.splitlines()  # desktop noise is not about the file
                      if line.strip() and not re.search("dbus|display|at-spi|gtk|dconf", line, re.IGNORECASE)]
        check(f"ssconvert {os.path.basename(source)}: exit status and complaints", (done.returncode, complaints),
              (0, []))
        return target

    convert(report(k4_report, folder, "sample"), os.path.join(folder, "sample.csv"))
    if writer:
        edges, tiny, png = edge_workbooks(writer, folder)
        with open(convert(edges, edges + ".csv", "--recalc"), encoding="utf-8") as f:
            rows = [line.split(",") for line in f.read().splitlines()]
        check_edges("gnumeric", lambda row, column: rows[row - 1][column - 1])
        with zipfile.ZipFile(convert(edges, edges + ".xlsx")) as z:  # the picture, through Gnumeric's own export
            check("gnumeric: the picture", [z.read(n) for n in z.namelist() if n.startswith("xl/media/")], [png])
        convert(tiny, tiny + ".csv")


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


def check_golden(k4_report, regenerate, folder):
    """The sample's CSV byte for byte and the listing of its .xls against the files in tests/data/, or renews them."""
    base = report(k4_report, folder, "sample")[:-len(".xls")]
    with open(base + ".csv", encoding="utf-8", newline="") as csv, open(base + ".xls", "rb") as xls:
        written = {"sample.csv": csv.read(), "sample.xls.txt": listing(xls.read())}
    for name, text in written.items():
        path = os.path.join(DATA, name)
        if regenerate == "--regenerate":
            with open(path, "w", encoding="utf-8", newline="") as out:
                out.write(text)
            print("wrote", os.path.normpath(path))
            continue
        with open(path, encoding="utf-8", newline="") as kept:
            diff = list(difflib.unified_diff(kept.read().splitlines(), text.splitlines(), name, "written", lineterm=""))
        if diff:
            failures.append(f"{name} differs from what k4-report --sample writes now (after an intended change: "
                            "scripts/regenerate-golden.sh)\n" + "\n".join(diff[:60]))


def main():
    readers = {"xlrd": check_xlrd, "libreoffice": check_libreoffice, "gnumeric": check_gnumeric, "golden": check_golden}
    if len(sys.argv) not in (3, 4) or sys.argv[1] not in readers:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory(prefix="k4-report-readers-") as folder:
        readers[sys.argv[1]](sys.argv[2], sys.argv[3] if len(sys.argv) == 4 else None, folder)
    for failure in failures:
        print("FAIL:", failure)
    print(f"{sys.argv[1]}: " + (f"{len(failures)} failed" if failures else "all checks passed"))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
