#!/usr/bin/python3
"""Reads a report written by the real component with xlrd
(formatting_info=True) and checks what a user sees: the sheet, its merged
areas and geometry, and the look of the header block and of one row of
each kind of event.

usage: check_report_layout.py REPORT_DRIVER"""
import sys

from report_check_support import (MOTOR_CHANGE, PROTECTION_CHANGE, SWITCH_ON, TENTH_AMPS, TRIP_OVERLOAD, Failures,
                                  empty, measurement, parameter, record, skip, write_report)

try:
    import xlrd
except ImportError:
    skip("python3-xlrd is not installed")

BLACK, WHITE, ENTRY = (0, 0, 0), (255, 255, 255), (255, 255, 150)
RED, BLUE, GREEN = (255, 0, 0), (0, 0, 255), (0, 153, 0)
LEFT, CENTRE, RIGHT = 1, 2, 3
VERTICAL_CENTRE = 1  # xlrd's code for a vertically centred cell
DOWNWARDS = 180      # BIFF8 rotation for text turned 90 degrees clockwise
BOLD_WEIGHT = 700    # BIFF8 keeps boldness in the font's weight


def boxed(font, horizontal, **more):
    style = dict(font=font, bold=False, fill=WHITE, h=horizontal, v=VERTICAL_CENTRE, borders=(1, 1, 1, 1),
                 wrap=0, rotation=0, format="General")
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
# The styles with a number format start from the bare base style, whose
# font colour is the default: None leaves it out of the comparison.
DATE = boxed(None, LEFT, fill=ENTRY, format="mm/dd/yyyy")
DECIMAL = boxed(None, CENTRE, format="#0.0;-#0.0;;")
PERCENT = boxed(None, CENTRE, format="0.0%;-0.0%;;")
WHITE_GROUND = dict(fill=WHITE)

# (row, column, value or ... for any, style)
HEADER = [
    (7, 1, "Date:", LABEL), (7, 5, ..., DATE), (7, 8, "Max Amps:", LABEL_RIGHT), (7, 9, 0.0, ENTRY_NUMBER),
    (8, 1, "Pumpvisor ID:", LABEL), (8, 5, "", ENTRY_TEXT), (9, 1, "Company:", LABEL), (9, 5, "", ENTRY_TEXT),
    (11, 1, "Event", HEADING), (11, 2, "Accumulated\nRun Time", HEADING), (11, 5, "Elapsed Run Time", HEADING),
    (11, 8, "Condition", HEADING), (11, 9, "Fault", FAULT_HEADING), (11, 10, "Motor Voltage", HEADING),
    (11, 13, "Motor Amps", HEADING), (11, 16, "% of Max Amps", HEADING_VERTICAL),
    (11, 17, "% Current Unbalance", HEADING_VERTICAL), (11, 18, "Parameter\nChanged To", HEADING),
    (11, 19, "Trip Enable Flags\n and\nRestart Attempt Enable Flags", HEADING),
    (12, 2, "Day", HEADING_VERTICAL), (12, 7, "Minute", HEADING_VERTICAL), (12, 10, "L1", HEADING),
    (12, 15, "L3", HEADING), (12, 19, "Underload", HEADING_VERTICAL), (12, 25, "False Start", HEADING_VERTICAL),
    # The white ground of the header area around the written cells.
    (1, 10, ..., WHITE_GROUND), (5, 1, ..., WHITE_GROUND), (6, 25, ..., WHITE_GROUND), (10, 12, ..., WHITE_GROUND),
]

# One event row of each kind, from row 13 on: (kind, record, {column: style}).
ROW_KINDS = [
    ("trip", measurement(TRIP_OVERLOAD, 10, (13, 13, 12)),
     {1: CELL, 2: CELL, 5: CELL, 8: CELL_LEFT, 9: TRIP, 10: CELL, 13: CELL, 16: PERCENT, 17: PERCENT, 18: CELL,
      19: CELL}),
    ("tenth amperes", measurement(SWITCH_ON, 20, (4, 4, 4), scale=TENTH_AMPS), {9: CELL, 13: DECIMAL, 15: DECIMAL}),
    ("empty slot", empty(), {1: CELL, 8: CELL, 16: CELL, 17: CELL, 25: CELL}),
    ("trip enable flags", parameter(PROTECTION_CHANGE, 30, 7, 0x41), {8: TRIP_FLAGS, 18: CELL, 19: CELL}),
    ("named parameter", parameter(MOTOR_CHANGE, 40, 1, 2), {8: PARAMETER, 18: CELL}),
    ("unlisted code", record(0x30, 50), {8: CELL_LEFT, 9: CELL_LEFT}),
]

# (first row, first column, columns, rows)
MERGED = [(1, 1, 7, 4), (7, 1, 3, 1), (7, 5, 3, 1), (8, 1, 3, 1), (8, 5, 3, 1), (9, 1, 3, 1), (9, 5, 3, 1),
          (11, 1, 1, 2), (11, 2, 3, 1), (11, 5, 3, 1), (11, 8, 1, 2), (11, 9, 1, 2), (11, 10, 3, 1), (11, 13, 3, 1),
          (11, 16, 1, 2), (11, 17, 1, 2), (11, 18, 1, 2), (11, 19, 7, 1)]
WIDTHS = {**dict.fromkeys(range(1, 8), 7.0), 8: 28.0, **dict.fromkeys(range(9, 18), 9.0), 18: 13.0,
          **dict.fromkeys(range(19, 26), 5.0)}  # characters
HEIGHTS = {11: 48.0, 12: 78.0}  # points


def font(book, index):
    f = book.font_list[index]
    return book.colour_map.get(f.colour_index), f.weight >= BOLD_WEIGHT


def style(book, xf_index):
    """What a cell's format shows, in the terms of the expected styles above."""
    xf = book.xf_list[xf_index]
    colour, bold = font(book, xf.font_index)
    b, a = xf.border, xf.alignment
    return dict(font=colour, bold=bold,
                fill=book.colour_map.get(xf.background.pattern_colour_index)
                if xf.background.fill_pattern == 1 else None,
                h=a.hor_align, v=a.vert_align, wrap=a.text_wrapped, rotation=a.rotation,
                borders=(b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style),
                format=book.format_map[xf.format_key].format_str)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    book = xlrd.open_workbook(write_report(sys.argv[1], "layout", records=[kind[1] for kind in ROW_KINDS]),
                              formatting_info=True)
    sheet = book.sheet_by_index(0)
    failures = Failures()

    def expect_style(what, row, column, expected):
        actual = style(book, sheet.cell_xf_index(row - 1, column - 1))
        for key, want in expected.items():
            if want is not None:
                failures.expect(f"{what} R{row}C{column} {key}", actual[key], want)

    failures.expect("sheets", book.sheet_names(), ["TQ K4"])
    merged = sorted((r0 + 1, c0 + 1, c1 - c0, r1 - r0) for r0, r1, c0, c1 in sheet.merged_cells)
    failures.expect("merged areas", merged, sorted(MERGED))
    for column, characters in WIDTHS.items():
        # BIFF stores 1/256 of a character, with the 5-pixel cell padding at 7 pixels a digit.
        info = sheet.colinfo_map.get(column - 1)
        failures.expect(f"width of column {column}", info and info.width, int((characters * 7 + 5) / 7 * 256))
    for row, points in HEIGHTS.items():
        info = sheet.rowinfo_map.get(row - 1)
        failures.expect(f"height of row {row}", info and info.height / 20, points)

    for row, column, value, expected in HEADER:
        if value is not ...:
            failures.expect(f"R{row}C{column}", sheet.cell_value(row - 1, column - 1), value)
        expect_style("header", row, column, expected)
    failures.expect("E7 holds a date", sheet.cell_type(6, 4), xlrd.XL_CELL_DATE)
    # The flags heading: a blue first line, then the heading's own black.
    runs = sheet.rich_text_runlist_map.get((10, 18), [])
    failures.expect("flags heading fonts", [(start, font(book, index)) for start, index in runs],
                    [(0, (BLUE, True)), (len("Trip Enable Flags\n"), (BLACK, True))])

    for row, (kind, _, styles) in enumerate(ROW_KINDS, start=13):
        for column, expected in styles.items():
            expect_style(kind, row, column, expected)
    failures.finish()


if __name__ == "__main__":
    main()
