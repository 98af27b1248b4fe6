#!/usr/bin/python3
"""Reads a workbook written through the component with independent readers.

usage: check_with_readers.py xlrd|libreoffice|gnumeric <sample_workbook_writer>

The writer builds a small report-like sheet (merges, rich text, rotation,
fills, borders, number formats, a picture, formulas). Each mode reads it
with one reader and checks what that reader sees. Exit status 77 means the
reader is not installed (the test is skipped).
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


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def expect(condition, message):
    if not condition:
        fail(message)


def write_png(path, width, height):
    """A noisy RGB picture: it does not compress, so the file passes 8 KB."""
    rng = random.Random(4)
    raw = b"".join(b"\x00" + bytes(rng.randrange(256) for _ in range(width * 3)) for _ in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)
    return png


def build(writer, folder):
    png_path = os.path.join(folder, "logo.png")
    png = write_png(png_path, 60, 60)
    expect(len(png) > 8300, "the test picture should need CONTINUE records")
    xls = os.path.join(folder, "sample.xls")
    result = subprocess.run([writer, "sample", xls, png_path, str(MAX_AMPS)], capture_output=True, text=True)
    expect(result.returncode == 0, "the sample writer failed: " + result.stdout + result.stderr)
    return xls, png


# Rows (1-based) of the sample and the formula results a spreadsheet shows:
# (L1, L2, L3 as shown, % of Max Amps as shown, % unbalance as shown).
EVENT_ROWS = {
    13: ("10", "10", "10", "50.0%", ""),
    14: ("9", "10", "11", "55.0%", "10.0%"),
    15: ("1", "1", "1", "", ""),
    16: ("Overrange", "", "", "", ""),
    17: ("12.5", "", "3.3", "62.5%", "138.1%"),
    18: ("", "", "", "", ""),
}


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
        if re.search(r"WARNING|inconsisten|NOTE \*\*\*|Unexpected|ignored|truncated", line, re.IGNORECASE):
            fail("xlrd reports a problem in the file: " + line)
    expect(book.nsheets == 1 and book.sheet_names() == ["TQ K4"], "sheet list: %r" % book.sheet_names())
    sheet = book.sheet_by_index(0)

    def xf(row, column):
        return book.xf_list[sheet.cell_xf_index(row - 1, column - 1)]

    def rgb(index):
        return book.colour_map.get(index)

    def cell(row, column):
        return sheet.cell(row - 1, column - 1)

    # Values and cached formula results.
    expect(cell(7, 1).value == "Date:", "A7")
    now = cell(7, 5)
    expect(now.ctype == xlrd.XL_CELL_DATE, "E7 should read as a date, got type %d" % now.ctype)
    shown = xlrd.xldate_as_datetime(now.value, book.datemode)
    expect(abs((shown - datetime.datetime.now()).total_seconds()) < 300, "E7 caches the time of writing: %s" % shown)
    expect(cell(7, 9).value == MAX_AMPS, "I7")
    cached = {13: (0.5, 0.0), 14: (0.55, 0.1), 15: (0.0, 0.0), 16: (0.0, 0.0), 17: (0.625, 1.380952380952381),
              18: (0.0, 0.0)}
    for row, (percent, unbalance) in cached.items():
        expect(abs(cell(row, 16).value - percent) < 1e-9, "P%d caches %r" % (row, cell(row, 16).value))
        expect(abs(cell(row, 17).value - unbalance) < 1e-9, "Q%d caches %r" % (row, cell(row, 17).value))
    expect(cell(30, 2).ctype == xlrd.XL_CELL_ERROR and cell(30, 2).value == 7, "B30 caches #DIV/0!")
    expect(cell(13, 5).ctype == xlrd.XL_CELL_BLANK, "an empty text is a blank cell")
    expect(cell(13, 8).value == "Tripped", "H13")
    expect(cell(11, 2).value == "Accumulated\nRun Time", "B11 keeps its line break")

    # Merged areas, rich text.
    merged = set(sheet.merged_cells)
    for area in [(0, 4, 0, 7), (6, 7, 4, 7), (10, 12, 0, 1), (10, 11, 1, 4), (10, 12, 15, 16), (10, 11, 18, 25)]:
        expect(area in merged, "merged area %r missing from %r" % (area, sorted(merged)))
    expect(cell(11, 19).value == "Trip Enable Flags\n and\nRestart Attempt Enable Flags", "S11 text")
    runs = sheet.rich_text_runlist_map.get((10, 18))
    expect(runs is not None and [r[0] for r in runs] == [0, 18], "S11 runs: %r" % runs)
    first, second = book.font_list[runs[0][1]], book.font_list[runs[1][1]]
    expect(first.bold and rgb(first.colour_index) == (0, 0, 255), "first run: bold blue")
    expect(second.bold and rgb(second.colour_index) == (0, 0, 0), "second run: bold black")

    # Formatting.
    percent = xf(13, 16)
    expect(book.format_map[percent.format_key].format_str == "0.0%;-0.0%;;", "P13 format")
    expect(book.format_map[xf(17, 13).format_key].format_str == "#0.0;-#0.0;;", "M17 format")
    expect(book.format_map[xf(7, 5).format_key].format_str == "mm/dd/yyyy", "E7 format")
    expect(rgb(xf(7, 5).background.pattern_colour_index) == (255, 255, 150), "E7 entry fill")
    expect(xf(7, 5).background.fill_pattern == 1, "E7 solid fill")
    expect(rgb(xf(2, 10).background.pattern_colour_index) == (255, 255, 255), "the header block is white")
    cell_xf = xf(13, 1)
    b = cell_xf.border
    expect((b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style) == (1, 1, 1, 1),
           "thin borders on all sides")
    expect(cell_xf.alignment.hor_align == 2 and cell_xf.alignment.vert_align == 1, "centred both ways")
    expect(xf(11, 1).alignment.text_wrapped == 1, "headings wrap")
    expect(xf(11, 16).alignment.rotation == 180, "vertical headings read top to bottom")
    expect(xf(13, 8).alignment.hor_align == 1, "conditions are left-aligned")
    trip_font = book.font_list[xf(13, 9).font_index]
    expect(rgb(trip_font.colour_index) == (255, 0, 0), "trip text is red")
    expect(book.font_list[xf(11, 1).font_index].bold, "headings are bold")

    # Sheet geometry and view.
    expect(sheet.colinfo_map[0].width == 1974 and sheet.colinfo_map[7].width == 7350, "column widths")
    expect(sheet.colinfo_map[24].width == 1462, "column Y width")
    expect(sheet.rowinfo_map[10].height == 960 and sheet.rowinfo_map[11].height == 1560, "row heights")
    expect(sheet.panes_are_frozen and sheet.horz_split_pos == 12 and sheet.vert_split_pos == 0, "frozen rows")
    expect(sheet.scl_mag_factor == 75, "zoom 75%%: %r" % sheet.scl_mag_factor)
    print("xlrd read the file without warnings; values and formatting check out")


def csv_rows(path):
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.reader(f))


def check_shown_values(rows, reader):
    def at(row, column):
        line = rows[row - 1] if row - 1 < len(rows) else []
        return line[column - 1] if column - 1 < len(line) else ""

    expect(at(7, 1) == "Date:", "%s: A7 is %r" % (reader, at(7, 1)))
    expect(re.fullmatch(r"\d\d/\d\d/\d{4}", at(7, 5)) is not None, "%s: E7 shows %r" % (reader, at(7, 5)))
    expect(at(7, 9) == str(MAX_AMPS), "%s: I7" % reader)
    for row, expected in EVENT_ROWS.items():
        shown = tuple(at(row, c) for c in (13, 14, 15, 16, 17))
        expect(shown == expected, "%s: row %d shows %r, expected %r" % (reader, row, shown, expected))
    expect(at(30, 2) == "#DIV/0!", "%s: B30 shows %r" % (reader, at(30, 2)))
    expect(at(11, 19) == "Trip Enable Flags\n and\nRestart Attempt Enable Flags", "%s: S11" % reader)


def check_libreoffice(writer, folder):
    soffice = shutil.which("soffice") or shutil.which("libreoffice")
    if not soffice:
        print("SKIP: LibreOffice (soffice) is not installed")
        sys.exit(SKIPPED)
    xls, _ = build(writer, folder)
    # A profile of its own, so that other LibreOffice runs do not get in the way.
    profile = "file://" + os.path.join(folder, "profile")
    # Comma, quote, UTF-8, from line 1, ..., save cell contents as shown.
    options = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true"
    result = subprocess.run([soffice, "-env:UserInstallation=" + profile, "--headless", "--convert-to", options,
                             "--outdir", folder, xls], capture_output=True, text=True, timeout=110, env=READER_ENV)
    converted = os.path.join(folder, "sample.csv")
    expect(result.returncode == 0 and os.path.exists(converted),
           "LibreOffice did not convert the file: " + result.stdout + result.stderr)
    check_shown_values(csv_rows(converted), "LibreOffice")
    print("LibreOffice read the file and recalculated the formulas to the expected values")


def check_gnumeric(writer, folder):
    ssconvert = shutil.which("ssconvert")
    if not ssconvert:
        print("SKIP: Gnumeric (ssconvert) is not installed")
        sys.exit(SKIPPED)
    xls, png = build(writer, folder)
    converted = os.path.join(folder, "sample.csv")
    result = subprocess.run([ssconvert, "-T", "Gnumeric_stf:stf_assistant", "-O", "format=preserve", xls, converted],
                            capture_output=True, text=True, timeout=60, env=READER_ENV)
    expect(result.returncode == 0 and os.path.exists(converted), "ssconvert failed: " + result.stderr)
    for line in result.stderr.splitlines():
        if re.search(r"excel|xls|record|unexpected|corrupt|invalid", line, re.IGNORECASE):
            fail("Gnumeric reports a problem: " + line)
    check_shown_values(csv_rows(converted), "Gnumeric")

    # The picture, through Gnumeric's own .xlsx export.
    xlsx = os.path.join(folder, "sample.xlsx")
    result = subprocess.run([ssconvert, xls, xlsx], capture_output=True, text=True, timeout=60, env=READER_ENV)
    expect(result.returncode == 0, "ssconvert to xlsx failed: " + result.stderr)
    with zipfile.ZipFile(xlsx) as z:
        media = [n for n in z.namelist() if n.startswith("xl/media/")]
        expect(len(media) == 1, "Gnumeric should find one picture, found %r" % media)
        expect(z.read(media[0]) == png, "the picture came through changed")
    print("Gnumeric read the file, its formulas, formats and picture")


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("xlrd", "libreoffice", "gnumeric"):
        print(__doc__)
        return 2
    mode, writer = sys.argv[1], sys.argv[2]
    folder = tempfile.mkdtemp(prefix="k4xls-readers-")
    try:
        {"xlrd": check_xlrd, "libreoffice": check_libreoffice, "gnumeric": check_gnumeric}[mode](writer, folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
