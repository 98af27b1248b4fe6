#!/usr/bin/python3
"""Reads a workbook written through the component with an independent reader.

usage: check_with_readers.py xlrd|libreoffice|gnumeric <sample_workbook_writer>

The writer builds a small report-like sheet (merges, rich text, rotation,
fills, borders, number formats, a picture, formulas); each mode checks what
one reader sees in it. Exit status 77: the reader is not installed (skipped).
"""

import csv
import datetime
import io
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

SKIPPED = 77
MAX_AMPS = 20
# Numbers shown with "." as the decimal point whatever the machine's locale.
READER_ENV = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
FLAGS_TEXT = "Trip Enable Flags\n and\nRestart Attempt Enable Flags"
# A31 and B31: texts that go on in CONTINUE records of the shared string table.
LONG_TEXTS = ("".join(str(i % 10) for i in range(9000)), "".join(chr(0x410 + i % 32) for i in range(9000)))
# Event rows (1-based): L1, L2, L3, % of Max Amps and % unbalance as shown,
# then the two formula results cached in the file.
EVENT_ROWS = {
    13: (("10", "10", "10", "50.0%", ""), (0.5, 0.0)),
    14: (("9", "10", "11", "55.0%", "10.0%"), (0.55, 0.1)),
    15: (("1", "1", "1", "", ""), (0.0, 0.0)),
    16: (("Overrange", "", "", "", ""), (0.0, 0.0)),
    17: (("12.5", "", "3.3", "62.5%", "138.1%"), (0.625, 1.380952380952381)),
    18: (("", "", "", "", ""), (0.0, 0.0)),
}


def expect(condition, message):
    if not condition:
        print("FAIL: " + message)
        sys.exit(1)


def tool(*names):
    for name in names:
        if shutil.which(name):
            return shutil.which(name)
    print("SKIP: %s is not installed" % names[0])
    sys.exit(SKIPPED)


def build(writer, folder):
    """The sample, with a noisy 60x60 picture that does not compress: its
    drawing data needs CONTINUE records."""
    rng = random.Random(4)
    raw = b"".join(b"\x00" + bytes(rng.randrange(256) for _ in range(180)) for _ in range(60))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 60, 60, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
    expect(len(png) > 8300, "the test picture should need CONTINUE records")
    png_path, xls = os.path.join(folder, "logo.png"), os.path.join(folder, "sample.xls")
    with open(png_path, "wb") as f:
        f.write(png)
    result = subprocess.run([writer, "sample", xls, png_path, str(MAX_AMPS)], capture_output=True, text=True)
    expect(result.returncode == 0, "the sample writer failed: " + result.stdout + result.stderr)
    return xls, png


def check_xlrd(writer, folder):
    try:
        import xlrd
    except ImportError:
        print("SKIP: python3-xlrd is not installed")
        sys.exit(SKIPPED)
    xls, _ = build(writer, folder)
    log = io.StringIO()
    book = xlrd.open_workbook(xls, formatting_info=True, verbosity=1, logfile=log)
    for line in log.getvalue().splitlines():
        expect(not re.search(r"WARNING|inconsisten|NOTE \*\*\*|Unexpected|ignored|truncated", line, re.IGNORECASE),
               "xlrd reports a problem in the file: " + line)
    expect(book.sheet_names() == ["TQ K4"], "sheet list: %r" % book.sheet_names())
    sheet = book.sheet_by_index(0)
    cell = lambda row, column: sheet.cell(row - 1, column - 1)
    xf = lambda row, column: book.xf_list[sheet.cell_xf_index(row - 1, column - 1)]
    rgb = book.colour_map.get
    number_format = lambda row, column: book.format_map[xf(row, column).format_key].format_str

    # Values and cached formula results.
    expect(cell(7, 1).value == "Date:" and cell(7, 9).value == MAX_AMPS, "A7, I7")
    now = cell(7, 5)
    expect(now.ctype == xlrd.XL_CELL_DATE, "E7 should read as a date, got type %d" % now.ctype)
    shown = xlrd.xldate_as_datetime(now.value, book.datemode)
    expect(abs((shown - datetime.datetime.now()).total_seconds()) < 300, "E7 caches the time of writing: %s" % shown)
    for row, (_, cached) in EVENT_ROWS.items():
        values = (cell(row, 16).value, cell(row, 17).value)
        expect(all(abs(v - c) < 1e-9 for v, c in zip(values, cached)), "row %d caches %r" % (row, values))
    expect(cell(30, 2).ctype == xlrd.XL_CELL_ERROR and cell(30, 2).value == 7, "B30 caches #DIV/0!")
    expect(cell(13, 5).ctype == xlrd.XL_CELL_BLANK and cell(13, 8).value == "Tripped", "E13 blank, H13 over a blank")
    expect([cell(30, c).value for c in (3, 4, 5)] == [2000000000, -123456, 1 / 3], "C30:E30 at the number form's edges")
    expect(cell(11, 2).value == "Accumulated\nRun Time", "B11 keeps its line break")
    expect((cell(31, 1).value, cell(31, 2).value) == LONG_TEXTS, "A31, B31 across CONTINUE records")

    # Merged areas, rich text.
    merged = set(sheet.merged_cells)
    for area in [(0, 4, 0, 7), (6, 7, 4, 7), (10, 12, 0, 1), (10, 11, 1, 4), (10, 12, 15, 16), (10, 11, 18, 25)]:
        expect(area in merged, "merged area %r missing from %r" % (area, sorted(merged)))
    expect(cell(11, 19).value == FLAGS_TEXT, "S11 text")
    runs = sheet.rich_text_runlist_map.get((10, 18))
    expect(runs is not None and [r[0] for r in runs] == [0, 18], "S11 runs: %r" % runs)
    first, second = book.font_list[runs[0][1]], book.font_list[runs[1][1]]
    expect(first.bold and rgb(first.colour_index) == (0, 0, 255), "first run: bold blue")
    expect(second.bold and rgb(second.colour_index) == (0, 0, 0), "second run: bold black")

    # Formatting.
    expect(number_format(13, 16) == "0.0%;-0.0%;;" and number_format(17, 13) == "#0.0;-#0.0;;", "P13, M17 formats")
    expect(number_format(7, 5) == "mm/dd/yyyy", "E7 format")
    expect(rgb(xf(7, 5).background.pattern_colour_index) == (255, 255, 150) and xf(7, 5).background.fill_pattern == 1,
           "E7 solid entry fill")
    expect(rgb(xf(2, 10).background.pattern_colour_index) == (255, 255, 255), "the header block is white")
    expect(xf(11, 4).border.top_line_style == 1, "a merged area's style reaches its covered cells")
    expect(sheet.cell_xf_index(12, 0) == sheet.cell_xf_index(13, 0), "cells written with one style share an XF")
    b, alignment = xf(13, 1).border, xf(13, 1).alignment
    expect((b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style) == (1, 1, 1, 1),
           "thin borders on all sides")
    expect(alignment.hor_align == 2 and alignment.vert_align == 1, "centred both ways")
    expect(xf(11, 1).alignment.text_wrapped == 1 and book.font_list[xf(11, 1).font_index].bold, "headings: wrap, bold")
    expect(xf(11, 16).alignment.rotation == 180, "vertical headings read top to bottom")
    expect(xf(13, 8).alignment.hor_align == 1, "conditions are left-aligned")
    expect(rgb(book.font_list[xf(13, 9).font_index].colour_index) == (255, 0, 0), "trip text is red")

    # Sheet geometry and view.
    widths = [sheet.colinfo_map[c].width for c in (0, 7, 24)]
    expect(widths == [1974, 7350, 1462], "column widths %r" % widths)
    expect(sheet.rowinfo_map[10].height == 960 and sheet.rowinfo_map[11].height == 1560, "row heights")
    expect(sheet.panes_are_frozen and sheet.horz_split_pos == 12 and sheet.vert_split_pos == 0, "frozen rows")
    expect(sheet.scl_mag_factor == 75, "zoom 75%%: %r" % sheet.scl_mag_factor)
    print("xlrd read the file without warnings; values and formatting check out")


def check_shown_values(csv_path, reader):
    with open(csv_path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))

    def at(row, column):
        line = rows[row - 1] if row - 1 < len(rows) else []
        return line[column - 1] if column - 1 < len(line) else ""

    expect(at(7, 1) == "Date:" and at(7, 9) == str(MAX_AMPS), "%s: A7 %r, I7 %r" % (reader, at(7, 1), at(7, 9)))
    expect(re.fullmatch(r"\d\d/\d\d/\d{4}", at(7, 5)) is not None, "%s: E7 shows %r" % (reader, at(7, 5)))
    for row, (expected, _) in EVENT_ROWS.items():
        shown = tuple(at(row, c) for c in (13, 14, 15, 16, 17))
        expect(shown == expected, "%s: row %d shows %r, expected %r" % (reader, row, shown, expected))
    expect(at(30, 2) == "#DIV/0!", "%s: B30 shows %r" % (reader, at(30, 2)))
    expect(at(11, 19) == FLAGS_TEXT, "%s: S11" % reader)
    expect((at(31, 1), at(31, 2)) == LONG_TEXTS, "%s: A31, B31 across CONTINUE records" % reader)


def check_libreoffice(writer, folder):
    soffice = tool("soffice", "libreoffice")
    xls, _ = build(writer, folder)
    # A profile of its own, so that other LibreOffice runs do not get in the way;
    # comma, quote, UTF-8, from line 1, ..., save cell contents as shown.
    result = subprocess.run([soffice, "-env:UserInstallation=file://" + os.path.join(folder, "profile"), "--headless",
                             "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true",
                             "--outdir", folder, xls], capture_output=True, text=True, timeout=110, env=READER_ENV)
    converted = os.path.join(folder, "sample.csv")
    expect(result.returncode == 0 and os.path.exists(converted),
           "LibreOffice did not convert the file: " + result.stdout + result.stderr)
    check_shown_values(converted, "LibreOffice")
    print("LibreOffice read the file and recalculated the formulas to the expected values")


def check_gnumeric(writer, folder):
    ssconvert = tool("ssconvert")
    xls, png = build(writer, folder)
    converted, xlsx = os.path.join(folder, "sample.csv"), os.path.join(folder, "sample.xlsx")
    for command in (["-T", "Gnumeric_stf:stf_assistant", "-O", "format=preserve", xls, converted], [xls, xlsx]):
        result = subprocess.run([ssconvert] + command, capture_output=True, text=True, timeout=60, env=READER_ENV)
        expect(result.returncode == 0, "ssconvert failed: " + result.stderr)
        for line in result.stderr.splitlines():
            expect(not re.search(r"excel|xls|record|unexpected|corrupt|invalid", line, re.IGNORECASE),
                   "Gnumeric reports a problem: " + line)
    check_shown_values(converted, "Gnumeric")
    # The picture, through Gnumeric's own .xlsx export.
    with zipfile.ZipFile(xlsx) as z:
        media = [n for n in z.namelist() if n.startswith("xl/media/")]
        expect(len(media) == 1, "Gnumeric should find one picture, found %r" % media)
        expect(z.read(media[0]) == png, "the picture came through changed")
    print("Gnumeric read the file, its formulas, formats and picture")


def main():
    checks = {"xlrd": check_xlrd, "libreoffice": check_libreoffice, "gnumeric": check_gnumeric}
    if len(sys.argv) != 3 or sys.argv[1] not in checks:
        print(__doc__)
        return 2
    folder = tempfile.mkdtemp(prefix="k4xls-readers-")
    try:
        checks[sys.argv[1]](sys.argv[2], folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
