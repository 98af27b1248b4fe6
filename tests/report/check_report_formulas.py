#!/usr/bin/python3
"""Checks the two row formulas of a report written by the real component:
the formula texts as LibreOffice reads them, the results LibreOffice
computes for Max Amps 0 (as written) and 20 (entered afterwards, as a user
would), and that the cached results the component stored agree with
LibreOffice's own for Max Amps 0.

usage: check_report_formulas.py REPORT_DRIVER"""
import re
import shutil
import sys

from report_check_support import (DEFAULTS_RESTORED, PROTECTION_CHANGE, SWITCH_ON, Checks, empty, measurement,
                                  parameter, plain, skip, whole_amps, work_folder, write_report)

try:
    import xlrd
except ImportError:
    skip("python3-xlrd is not installed")
try:
    from lo_session import LibreOffice
except ImportError:
    skip("python3-uno is not installed")
if shutil.which("soffice") is None:
    skip("LibreOffice (soffice) is not installed")

TENTHS = 0  # any scale flag other than 1: currents in sixteenths of a tenth of an ampere

RECORDS = [
    measurement(SWITCH_ON, 10, whole_amps(10, 10, 10)),           # row 13
    measurement(SWITCH_ON, 20, whole_amps(9, 10, 11)),            # row 14
    measurement(SWITCH_ON, 30, whole_amps(1, 1, 1)),              # row 15
    parameter(PROTECTION_CHANGE, 40, 13, 50),                     # row 16: blank currents
    plain(DEFAULTS_RESTORED, 50),                                 # row 17
    measurement(SWITCH_ON, 60, (0xFF00, 0, 0)),                   # row 18: currents overrange
    measurement(SWITCH_ON, 70, (0, 0, 0), scale=TENTHS),          # row 19: zero currents
    measurement(SWITCH_ON, 80, (425 * 16, 431 * 16, 24), scale=TENTHS),  # row 20
    empty(),                                                      # row 21: no formulas
]
CURRENTS = {20: (42.5, 43.1, 0.15)}

PERCENT_OF_MAX = "=IF(MAX(R{r}C13:R{r}C15)>0.1*R7C9;MAX(R{r}C13:R{r}C15)/R7C9;0)"
UNBALANCE = ("=IF(MAX(R{r}C13:R{r}C15)>0.1*R7C9;MAX(" + ";".join(
    "ABS((AVERAGE(R{r}C13:R{r}C15)-R{r}C%d)/AVERAGE(R{r}C13:R{r}C15))" % k for k in (13, 14, 15)) + ");0)")


def a1(r1c1_formula):
    """The R1C1 formula as LibreOffice shows it: absolute A1 references."""
    def column(number):
        name = ""
        while number:
            number, rest = divmod(number - 1, 26)
            name = chr(65 + rest) + name
        return name
    return re.sub(r"R(\d+)C(\d+)", lambda m: f"${column(int(m.group(2)))}${m.group(1)}", r1c1_formula)


def unbalance(currents):
    average = sum(currents) / 3
    return max(abs((average - c) / average) for c in currents)


# (row, % of Max Amps, % unbalance) for Max Amps 20; a text is the shown value.
EXPECTED_AT_20 = [
    (13, 0.5, "50.0%", 0.0, ""),
    (14, 0.55, "55.0%", 0.1, "10.0%"),
    (15, 0.0, "", 0.0, ""),
    (16, 0.0, "", 0.0, ""),
    (17, 0.0, "", 0.0, ""),
    (18, 0.0, "", 0.0, ""),
    (19, 0.0, "", 0.0, ""),
    (20, 43.1 / 20, "215.5%", unbalance(CURRENTS[20]), "99.5%"),
]
DIV0 = "#DIV/0!"
# Max Amps 0 as written: the gate is open for any positive current, so the
# share is a division error; the unbalance still computes.
EXPECTED_AT_0 = [
    (13, DIV0, 0.0), (14, DIV0, 0.1), (15, DIV0, 0.0), (16, 0.0, 0.0), (17, 0.0, 0.0), (18, 0.0, 0.0),
    (19, 0.0, 0.0), (20, DIV0, unbalance(CURRENTS[20])),
]
LO_DIV0 = 532  # LibreOffice's error code for a division by zero


def lo_result(cell):
    return DIV0 if cell.getError() == LO_DIV0 else ("error %d" % cell.getError() if cell.getError()
                                                     else cell.getValue())


def cached_result(cell):
    if cell.ctype == xlrd.XL_CELL_ERROR:
        return xlrd.error_text_from_code.get(cell.value, "error")
    return cell.value


def same(a, b):
    return a == b or (isinstance(a, float) and isinstance(b, float) and abs(a - b) < 1e-9)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    work = work_folder("k4-report-formulas-")
    path = write_report(sys.argv[1], work, "formulas", records=RECORDS)
    checks = Checks()

    cached = xlrd.open_workbook(path).sheet_by_index(0)
    office = LibreOffice()
    try:
        document = office.open(path)
        sheet = document.Sheets.getByIndex(0)

        def cell(row, column):
            return sheet.getCellByPosition(column - 1, row - 1)

        for row in range(13, 21):
            checks.equal(f"P{row} formula", cell(row, 16).getFormula(), a1(PERCENT_OF_MAX.format(r=row)))
            checks.equal(f"Q{row} formula", cell(row, 17).getFormula(), a1(UNBALANCE.format(r=row)))
        checks.equal("P21 of an empty row", cell(21, 16).getFormula(), " ")

        document.calculateAll()
        for row, share, spread in EXPECTED_AT_0:
            for column, want in ((16, share), (17, spread)):
                got = lo_result(cell(row, column))
                checks.true(f"R{row}C{column} with Max Amps 0: LibreOffice {got!r}, expected {want!r}",
                            same(got, want))
                stored = cached_result(cached.cell(row - 1, column - 1))
                checks.true(f"R{row}C{column} cached by the component {stored!r}, LibreOffice {got!r}",
                            same(stored, got))

        cell(7, 9).setValue(20)
        document.calculateAll()
        for row, share, share_text, spread, spread_text in EXPECTED_AT_20:
            for column, want, text in ((16, share, share_text), (17, spread, spread_text)):
                got = lo_result(cell(row, column))
                checks.true(f"R{row}C{column} with Max Amps 20: {got!r}, expected {want!r}", same(got, want))
                checks.equal(f"R{row}C{column} shown with Max Amps 20", cell(row, column).getString(), text)
        document.close(True)
    finally:
        office.close()
    checks.finish()


if __name__ == "__main__":
    sys.exit(main())
