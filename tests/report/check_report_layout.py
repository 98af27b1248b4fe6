#!/usr/bin/python3
"""Reads the real component's reports with xlrd (formatting_info=True) and
checks what a user sees: sheet, merged areas, geometry, and the fonts,
fills, borders, alignment and number formats of the header block and of
every kind of event row.

usage: check_report_layout.py REPORT_DRIVER"""
import sys

from report_check_support import Checks, skip, work_folder, write_report

try:
    import xlrd
except ImportError:
    skip("python3-xlrd is not installed")

BLACK, WHITE, ENTRY = (0, 0, 0), (255, 255, 255), (255, 255, 150)
RED, BLUE, GREEN = (255, 0, 0), (0, 0, 255), (0, 153, 0)
LEFT, CENTRE, RIGHT = 1, 2, 3
VERTICAL_CENTRE = 1  # xlrd's code for a vertically centred cell
DOWNWARDS = 180      # BIFF8 rotation for text turned 90 degrees clockwise
# Boldness is the font's weight in BIFF8 (xlrd's `bold` reads a flag bit
# that only older versions of the format used).
BOLD_WEIGHT = 700
DECIMAL, PERCENT, DATE = "#0.0;-#0.0;;", "0.0%;-0.0%;;", "mm/dd/yyyy"


def boxed(font, horizontal, **more):
    style = dict(font=font, bold=False, fill=WHITE, h=horizontal, v=VERTICAL_CENTRE, borders=(1, 1, 1, 1),
                 wrap=0, rotation=0)
    style.update(more)
    return style


CELL = boxed(BLACK, CENTRE)
CELL_LEFT = boxed(BLACK, LEFT)
TRIP = boxed(RED, LEFT)
TRIP_FLAGS = boxed(BLUE, LEFT)
PARAMETER = boxed(GREEN, LEFT)
LABEL = boxed(BLACK, LEFT, bold=True, borders=(0, 0, 0, 0))
LABEL_RIGHT = dict(LABEL, h=RIGHT)
HEADING = boxed(BLACK, CENTRE, bold=True, wrap=1)
HEADING_VERTICAL = dict(HEADING, rotation=DOWNWARDS)
FAULT_HEADING = dict(TRIP, bold=True, wrap=1)
ENTRY_TEXT = dict(CELL_LEFT, fill=ENTRY)
ENTRY_NUMBER = dict(CELL, fill=ENTRY, h=RIGHT)
# The formatted styles come from the bare base style: their font colour is
# the default, so it is not compared.
DATE_STYLE = dict(boxed(None, LEFT, fill=ENTRY), format=DATE)
DECIMAL_STYLE = dict(boxed(None, CENTRE), format=DECIMAL)
PERCENT_STYLE = dict(boxed(None, CENTRE), format=PERCENT)


class Report:
    def __init__(self, path):
        self.book = xlrd.open_workbook(path, formatting_info=True)
        self.sheet = self.book.sheet_by_index(0)

    def cell(self, row, column):
        return self.sheet.cell(row - 1, column - 1)

    def value(self, row, column):
        return self.cell(row, column).value

    def font_at(self, row, column, offset):
        """(colour, bold) of the character at `offset` of a rich text cell."""
        font_index = self.book.xf_list[self.cell(row, column).xf_index].font_index
        for start, index in self.sheet.rich_text_runlist_map.get((row - 1, column - 1), []):
            if start <= offset:
                font_index = index
        font = self.book.font_list[font_index]
        return self.book.colour_map.get(font.colour_index), font.weight >= BOLD_WEIGHT

    def style(self, row, column):
        xf = self.book.xf_list[self.cell(row, column).xf_index]
        font = self.book.font_list[xf.font_index]
        b = xf.border
        return dict(
            font=self.book.colour_map.get(font.colour_index), bold=font.weight >= BOLD_WEIGHT,
            fill=self.book.colour_map.get(xf.background.pattern_colour_index)
            if xf.background.fill_pattern == 1 else None,
            h=xf.alignment.hor_align, v=xf.alignment.vert_align,
            borders=(b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style),
            wrap=xf.alignment.text_wrapped, rotation=xf.alignment.rotation,
            format=self.book.format_map[xf.format_key].format_str)


def expect_style(checks, report, row, column, expected):
    actual = report.style(row, column)
    for key, want in expected.items():
        if want is None and key == "font":
            continue
        checks.equal(f"R{row}C{column} {key}", actual[key], want)


def expect_values(checks, report, row, first_column, values):
    for offset, want in enumerate(values):
        if want is not ...:
            checks.equal(f"R{row}C{first_column + offset}", report.value(row, first_column + offset), want)


def excel_width_units(characters):
    """A column width of so many characters as BIFF stores it: in 1/256 of a
    character, with the cell's 5-pixel padding at a 7-pixel digit width."""
    return int((characters * 7 + 5) / 7 * 256)


def check_sheet(checks, report):
    checks.equal("sheet count", report.book.nsheets, 1)
    checks.equal("sheet name", report.sheet.name, "TQ K4")
    merged = {(r0 + 1, c0 + 1, c1 - c0, r1 - r0) for r0, r1, c0, c1 in report.sheet.merged_cells}
    expected = {(1, 1, 7, 4), (7, 1, 3, 1), (7, 5, 3, 1), (8, 1, 3, 1), (8, 5, 3, 1), (9, 1, 3, 1), (9, 5, 3, 1),
                (11, 1, 1, 2), (11, 2, 3, 1), (11, 5, 3, 1), (11, 8, 1, 2), (11, 9, 1, 2), (11, 10, 3, 1),
                (11, 13, 3, 1), (11, 16, 1, 2), (11, 17, 1, 2), (11, 18, 1, 2), (11, 19, 7, 1)}
    checks.equal("merged areas (row, column, columns, rows)", sorted(merged), sorted(expected))
    for column in range(1, 26):
        width = 7.0 if column <= 7 else 28.0 if column == 8 else 9.0 if column <= 17 else 13.0 if column == 18 else 5.0
        info = report.sheet.colinfo_map.get(column - 1)
        checks.equal(f"width of column {column}", info.width if info else None, excel_width_units(width))
    for row, points in ((11, 48.0), (12, 78.0)):
        info = report.sheet.rowinfo_map.get(row - 1)
        checks.equal(f"height of row {row}", info.height / 20 if info else None, points)


def check_header(checks, report):
    expect_values(checks, report, 7, 1, ["Date:"])
    expect_style(checks, report, 7, 1, LABEL)
    expect_style(checks, report, 7, 5, DATE_STYLE)
    checks.true("E7 holds today's date as a number", isinstance(report.value(7, 5), float)
                and report.value(7, 5) > 40000)
    expect_values(checks, report, 7, 8, ["Max Amps:", 0.0])
    expect_style(checks, report, 7, 8, LABEL_RIGHT)
    expect_style(checks, report, 7, 9, ENTRY_NUMBER)
    for row, label in ((8, "Pumpvisor ID:"), (9, "Company:")):
        expect_values(checks, report, row, 1, [label, ..., ..., ..., ""])
        expect_style(checks, report, row, 1, LABEL)
        expect_style(checks, report, row, 5, ENTRY_TEXT)
    # The white ground of the header area outside the written cells.
    for row, column in ((1, 10), (5, 1), (6, 25), (10, 12), (8, 20)):
        checks.equal(f"fill of R{row}C{column}", report.style(row, column)["fill"], WHITE)

    headings = {1: ("Event", HEADING), 2: ("Accumulated\nRun Time", HEADING), 5: ("Elapsed Run Time", HEADING),
                8: ("Condition", HEADING), 9: ("Fault", FAULT_HEADING), 10: ("Motor Voltage", HEADING),
                13: ("Motor Amps", HEADING), 16: ("% of Max Amps", HEADING_VERTICAL),
                17: ("% Current Unbalance", HEADING_VERTICAL), 18: ("Parameter\nChanged To", HEADING),
                19: ("Trip Enable Flags\n and\nRestart Attempt Enable Flags", HEADING)}
    for column, (text, style) in headings.items():
        checks.equal(f"heading R11C{column}", report.value(11, column), text)
        expect_style(checks, report, 11, column, style)
    # The flags heading: a blue first line, then the heading's own black.
    first_line = len("Trip Enable Flags\n")
    checks.equal("flags heading font at its start", report.font_at(11, 19, 0), (BLUE, True))
    checks.equal("flags heading font after its first line", report.font_at(11, 19, first_line), (BLACK, True))

    expect_values(checks, report, 12, 2, ["Day", "Hour", "Minute"] * 2)
    expect_values(checks, report, 12, 10, ["L1", "L2", "L3"] * 2)
    expect_values(checks, report, 12, 19, ["Underload", "Overload", "Unbalance", "Overheat", "Overvoltage",
                                           "Undervoltage", "False Start"])
    for column in (2, 7, 19, 25):
        expect_style(checks, report, 12, column, HEADING_VERTICAL)
    for column in (10, 15):
        expect_style(checks, report, 12, column, HEADING)


def check_sample_rows(checks, report):
    # A trip with whole amperes (the layout's worked example).
    expect_values(checks, report, 13, 1, [0.0, "0d", "1h", "3.7m", "", "", "", "Tripped", "Underload",
                                          230.0, 231.0, 229.0, 13.0, 13.0, 12.0])
    expect_style(checks, report, 13, 1, CELL)
    expect_style(checks, report, 13, 5, CELL)
    expect_style(checks, report, 13, 8, CELL_LEFT)
    expect_style(checks, report, 13, 9, TRIP)
    expect_style(checks, report, 13, 13, CELL)
    expect_style(checks, report, 13, 16, PERCENT_STYLE)
    expect_style(checks, report, 13, 17, PERCENT_STYLE)
    expect_style(checks, report, 13, 18, CELL)
    expect_style(checks, report, 13, 25, CELL)
    # Tenth-ampere currents: numbers in the decimal style.
    expect_values(checks, report, 14, 13, [42.5, 43.1, 0.15])
    expect_style(checks, report, 14, 13, DECIMAL_STYLE)
    # Voltage overrange.
    expect_values(checks, report, 15, 10, ["Overrange", "", "", 0.0, 0.0, 0.0])
    # An empty slot.
    expect_values(checks, report, 16, 1, [3.0, " ", " ", " ", " ", " ", " ", "No Data"] + [" "] * 17)
    for column in (1, 8, 16, 25):
        expect_style(checks, report, 16, column, CELL)
    # Elapsed run time after the empty slot, from the event before it.
    expect_values(checks, report, 17, 2, ["2d", "0h", "0.0m", "1d", "22h", "57.5m", "Switch On", ""])
    # Trip enable flags.
    expect_values(checks, report, 18, 8, ["Trip Enable Flags"])
    expect_style(checks, report, 18, 8, TRIP_FLAGS)
    expect_values(checks, report, 18, 18, ["Bits 1000001", "On", "Off", "Off", "Off", "Off", "Off", "On"])
    expect_style(checks, report, 18, 19, CELL)
    # A motor change with a name, in the parameter colour.
    expect_values(checks, report, 19, 8, ["Motor Rated Voltage"])
    expect_style(checks, report, 19, 8, PARAMETER)
    expect_values(checks, report, 19, 18, ["460"])
    # An unlisted code above the parameter codes: one space in H and I.
    expect_values(checks, report, 21, 8, [" ", " ", "", "", "", "", "", ""])
    expect_style(checks, report, 21, 9, CELL_LEFT)
    # Voltage high byte 0xFD is an ordinary value.
    expect_values(checks, report, 24, 10, [4049.0])
    expect_values(checks, report, 25, 10, ["Underrange", "", "", 1.0, 1.0, 1.0])
    expect_values(checks, report, 26, 13, ["Overrange", "", ""])
    expect_values(checks, report, 27, 8, ["Motor Amps", "Not Set"])
    expect_style(checks, report, 27, 9, TRIP)
    # Zero tenth-ampere currents: a 0 that the decimal style shows blank.
    expect_values(checks, report, 29, 13, [0.0, 0.0, 0.0])
    expect_style(checks, report, 29, 13, DECIMAL_STYLE)
    expect_values(checks, report, 41, 2, ["1165d", "2h", "1.5m"])
    checks.equal("last sample row", report.sheet.nrows, 43)


def check_600_records(checks, report):
    checks.equal("rows of a 600-record report", report.sheet.nrows, 524)
    checks.equal("index in row 524", report.value(524, 1), 511.0)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    driver = sys.argv[1]
    work = work_folder("k4-report-layout-")
    checks = Checks()
    sample = Report(write_report(driver, work, "sample", ["--sample"]))
    check_sheet(checks, sample)
    check_header(checks, sample)
    check_sample_rows(checks, sample)
    check_600_records(checks, Report(write_report(driver, work, "synthetic600", ["--synthetic", "600"])))
    checks.finish()


if __name__ == "__main__":
    sys.exit(main())
