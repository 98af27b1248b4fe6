#!/usr/bin/python3
"""The component must write the report at least 20 times faster than
python3-xlwt writes the same sheet.

usage: compare_speed_with_xlwt.py <sample_workbook_writer>

Both build a 512-row event table of 25 columns with the report's styles,
header merges, the "" pass over every row and two formulas per row; the
component also places a picture. The best of a few runs counts for each,
as the machine is shared. Exit status 77: xlwt is not installed.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

ROWS = 512
REQUIRED_FACTOR = 20


def component_seconds(writer, folder):
    png = os.path.join(folder, "logo.png")
    # A minimal valid picture: signature, IHDR, IDAT, IEND.
    with open(png, "wb") as f:
        f.write(bytes.fromhex(
            "89504e470d0a1a0a0000000d49484452000000010000000108020000009077"
            "53de0000000c4944415408d763f8cfc000000301010018dd8db00000000049454e44ae426082"))
    best = None
    for _ in range(5):
        out = subprocess.run([writer, "report", os.path.join(folder, "component.xls"), str(ROWS), png],
                             capture_output=True, text=True, check=True).stdout
        micros = int(out.strip().splitlines()[-1])
        best = micros if best is None else min(best, micros)
    return best / 1e6


def xlwt_seconds(xlwt, folder):
    def run():
        book = xlwt.Workbook()
        sheet = book.add_sheet("TQ K4", cell_overwrite_ok=True)
        borders = "borders: left thin, right thin, top thin, bottom thin;"
        cell = xlwt.easyxf("font: colour black; pattern: pattern solid, fore_colour white;"
                           "align: horiz centre, vert centre;" + borders)
        left = xlwt.easyxf("font: colour black; pattern: pattern solid, fore_colour white;"
                           "align: horiz left, vert centre;" + borders)
        heading = xlwt.easyxf("font: bold on; align: wrap on, horiz centre, vert centre;" + borders)
        vertical = xlwt.easyxf("font: bold on; align: wrap on, rotation -90, horiz centre, vert centre;" + borders)
        trip = xlwt.easyxf("font: colour red; pattern: pattern solid, fore_colour white; align: horiz left;" + borders)
        decimal = xlwt.easyxf("pattern: pattern solid, fore_colour white; align: horiz centre;" + borders,
                              num_format_str="#0.0;-#0.0;;")
        percent = xlwt.easyxf("pattern: pattern solid, fore_colour white; align: horiz centre;" + borders,
                              num_format_str="0.0%;-0.0%;;")
        date = xlwt.easyxf("pattern: pattern solid, fore_colour light_yellow;" + borders,
                           num_format_str="mm/dd/yyyy")
        for column, width in enumerate([7] * 7 + [28] + [9] * 9 + [13] + [5] * 7):
            sheet.col(column).width = int(width * 256)
        for row in range(12):
            for column in range(25):
                sheet.write(row, column, "", cell)
        sheet.write_merge(0, 3, 0, 6, "", cell)
        sheet.write_merge(6, 6, 0, 2, "Date:", left)
        sheet.write_merge(6, 6, 4, 6, xlwt.Formula("NOW()"), date)
        sheet.write(6, 8, 0, cell)
        sheet.write_merge(10, 11, 0, 0, "Event", heading)
        sheet.write_merge(10, 10, 1, 3, "Accumulated\nRun Time", heading)
        sheet.write_merge(10, 11, 15, 15, "% of Max Amps", vertical)
        for i in range(ROWS):
            row = 12 + i
            r = str(row + 1)
            for column in range(25):
                sheet.write(row, column, "", cell)
            sheet.write(row, 0, i, cell)
            sheet.write(row, 1, "3d", cell)
            sheet.write(row, 3, "12.5m", cell)
            sheet.write(row, 7, "Tripped", left)
            sheet.write(row, 8, "Overload", trip)
            sheet.write(row, 9, 230, cell)
            currents = [10.0 + i % 7, 11.0 + i % 5, 9.0 + i % 3]
            for k in range(3):
                sheet.write(row, 12 + k, currents[k], decimal if i % 2 == 0 else cell)
            for column in range(18, 25):
                sheet.write(row, column, "On" if column % 2 else "Off", cell)
            sheet.write(row, 15, xlwt.Formula("IF(MAX(M%s:O%s)>0.1*$I$7,MAX(M%s:O%s)/$I$7,0)" % (r, r, r, r)),
                        percent)
            parts = ",".join("ABS((AVERAGE(M%s:O%s)-%s%s)/AVERAGE(M%s:O%s))" % (r, r, c, r, r, r) for c in "MNO")
            sheet.write(row, 16, xlwt.Formula("IF(MAX(M%s:O%s)>0.1*$I$7,MAX(%s),0)" % (r, r, parts)), percent)
        book.save(os.path.join(folder, "xlwt.xls"))

    best = None
    for _ in range(2):
        started = time.perf_counter()
        run()
        took = time.perf_counter() - started
        best = took if best is None else min(best, took)
    return best


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    try:
        import xlwt
    except ImportError:
        print("SKIP: python3-xlwt is not installed")
        return 77
    folder = tempfile.mkdtemp(prefix="k4xls-speed-")
    try:
        ours = component_seconds(sys.argv[1], folder)
        theirs = xlwt_seconds(xlwt, folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    factor = theirs / ours
    print("component %.2f ms, xlwt %.1f ms: %.0f times faster" % (ours * 1000, theirs * 1000, factor))
    if factor < REQUIRED_FACTOR:
        print("FAIL: less than %d times faster" % REQUIRED_FACTOR)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
