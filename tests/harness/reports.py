"""Two reports of the same log differ only in the download date, the cached
value of the date cell: compare them but for it."""

import struct

# The report's download date and time: row 7, column E.
DATE_CELL = (6, 4)


def download_date(xls_bytes):
    """The date cell's number as it is stored in the file (8 bytes)."""
    import xlrd  # only here: Debian has it for its own python3 only
    cell = xlrd.open_workbook(file_contents=xls_bytes).sheet_by_name("TQ K4").cell(*DATE_CELL)
    if cell.ctype != xlrd.XL_CELL_DATE:
        raise AssertionError(f"no download date in the report: {cell}")
    return struct.pack("<d", cell.value)


def same_but_the_date(ours, theirs):
    """True when the reports differ in nothing but the date cell's number."""
    our_date = download_date(ours)
    if ours.count(our_date) != 1:
        return False
    return ours.replace(our_date, download_date(theirs)) == theirs
