#!/usr/bin/python3
"""The xlwt half of the report benchmark: writes the same cells, styles,
merged areas, widths, heights and formulas as a given report (read back with
xlrd) through python3-xlwt, and prints the mean milliseconds per workbook.

The logo is left out on this side (xlwt only places BMP pictures), which
favours xlwt slightly.

usage: bench_report_xlwt.py REPORT.xls REPEAT"""
import os
import re
import sys
import tempfile
import time

import xlrd
import xlwt

PERCENT_OF_MAX = "IF(MAX(R{r}C13:R{r}C15)>0.1*R7C9;MAX(R{r}C13:R{r}C15)/R7C9;0)"
UNBALANCE = ("IF(MAX(R{r}C13:R{r}C15)>0.1*R7C9;MAX(" + ";".join(
    "ABS((AVERAGE(R{r}C13:R{r}C15)-R{r}C%d)/AVERAGE(R{r}C13:R{r}C15))" % k for k in (13, 14, 15)) + ");0)")


def a1(formula):
    def column(number):
        name = ""
        while number:
            number, rest = divmod(number - 1, 26)
            name = chr(65 + rest) + name
        return name
    return re.sub(r"R(\d+)C(\d+)", lambda m: f"${column(int(m.group(2)))}${m.group(1)}", formula).replace(";", ",")


def read_report(path):
    """Everything the xlwt side writes, as plain data, read before timing."""
    book = xlrd.open_workbook(path, formatting_info=True)
    sheet = book.sheet_by_index(0)
    styles = {}
    for index, xf in enumerate(book.xf_list):
        font = book.font_list[xf.font_index]
        styles[index] = dict(
            bold=font.weight >= 700, font_colour=font.colour_index,
            fill=xf.background.pattern_colour_index if xf.background.fill_pattern == 1 else None,
            borders=(xf.border.left_line_style, xf.border.right_line_style, xf.border.top_line_style,
                     xf.border.bottom_line_style),
            horz=xf.alignment.hor_align, vert=xf.alignment.vert_align, wrap=xf.alignment.text_wrapped,
            rotation=xf.alignment.rotation, format=book.format_map[xf.format_key].format_str)
    merged = {(r0, c0): (r1 - 1, c1 - 1) for r0, r1, c0, c1 in sheet.merged_cells}
    cells = []
    for row in range(sheet.nrows):
        for column in range(sheet.ncols):
            cell = sheet.cell(row, column)
            if cell.ctype == xlrd.XL_CELL_EMPTY:
                continue
            if row >= 12 and column in (15, 16) and cell.ctype != xlrd.XL_CELL_TEXT:
                template = PERCENT_OF_MAX if column == 15 else UNBALANCE
                value = ("formula", a1(template.format(r=row + 1)))
            elif row == 6 and column == 4:
                value = ("formula", "NOW()")
            elif cell.ctype == xlrd.XL_CELL_NUMBER:
                value = ("number", cell.value)
            else:
                value = ("text", cell.value if cell.ctype == xlrd.XL_CELL_TEXT else "")
            cells.append((row, column, value, cell.xf_index))
    palette = {index: rgb for index, rgb in book.colour_map.items() if rgb is not None and 8 <= index < 64}
    widths = {c: info.width for c, info in sheet.colinfo_map.items()}
    heights = {r: info.height for r, info in sheet.rowinfo_map.items() if r in (10, 11)}
    return dict(styles=styles, merged=merged, cells=cells, palette=palette, widths=widths, heights=heights,
                name=sheet.name)


def write_with_xlwt(report, target):
    book = xlwt.Workbook()
    for index, (r, g, b) in report["palette"].items():
        book.set_colour_RGB(index, r, g, b)
    sheet = book.add_sheet(report["name"])
    made = {}

    def style(xf):
        if xf in made:
            return made[xf]
        s = report["styles"][xf]
        st = xlwt.XFStyle()
        st.font.bold = s["bold"]
        st.font.colour_index = s["font_colour"]
        if s["fill"] is not None:
            st.pattern.pattern = xlwt.Pattern.SOLID_PATTERN
            st.pattern.pattern_fore_colour = s["fill"]
        st.borders.left, st.borders.right, st.borders.top, st.borders.bottom = s["borders"]
        st.alignment.horz, st.alignment.vert = s["horz"], s["vert"]
        st.alignment.wrap = s["wrap"]
        st.alignment.rota = s["rotation"]
        st.num_format_str = s["format"]
        made[xf] = st
        return st

    for column, width in report["widths"].items():
        sheet.col(column).width = width
    for row, height in report["heights"].items():
        sheet.row(row).height_mismatch = True
        sheet.row(row).height = height
    for row, column, (kind, value), xf in report["cells"]:
        if (row, column) in report["merged"]:
            last_row, last_column = report["merged"][(row, column)]
            label = xlwt.Formula(value) if kind == "formula" else value
            sheet.write_merge(row, last_row, column, last_column, label, style(xf))
            continue
        if any(r0 <= row <= r1 and c0 <= column <= c1 and (row, column) != (r0, c0)
               for (r0, c0), (r1, c1) in report["merged"].items() if row <= 12):
            continue  # inside a merged area: written by the area
        sheet.write(row, column, xlwt.Formula(value) if kind == "formula" else value, style(xf))
    book.save(target)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    report = read_report(sys.argv[1])
    repeat = int(sys.argv[2])
    target = os.path.join(tempfile.mkdtemp(prefix="k4-bench-"), "xlwt.xls")
    write_with_xlwt(report, target)  # warm up: imports, formula parser
    start = time.perf_counter()
    for _ in range(repeat):
        write_with_xlwt(report, target)
    elapsed = (time.perf_counter() - start) / repeat
    print(f"{elapsed * 1000:.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
