#!/usr/bin/python3
"""Checks a workbook holding the worked example (one day: 1/2/2001, 10 orders worth 250,
2 refunds worth 50, 100 unique visitors) as independent programs read it: the values with
xlrd, the formulas with Gnumeric's ssconvert. Prints what differs; exit status 0 when nothing
does."""
import gzip
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

import xlrd

EXPECTED_VALUES = {
    "A1": "Entries", "B1": 1.0,
    "A2": "DATE", "B2": "# of Orders", "C2": "$ of Orders", "D2": "# of Refunds",
    "E2": "$ of Refunds", "F2": "$Orders - $Refunds", "G2": "# Orders - # Refunds",
    "H2": "Number of Unique Visitors", "I2": "Total $ Dollars / Unique Visitors",
    "J2": "Total # Orders / Unique Visitors", "K2": "Average = $ / Unique Visitors",
    "A3": (2001, 2, 1), "B3": 10.0, "C3": 250.0, "D3": 2.0, "E3": 50.0, "F3": 200.0,
    "G3": 8.0, "H3": 100.0, "I3": 2.0, "J3": 0.08, "K3": 2.0,
    "A4": "Total", "B4": 10.0, "C4": 250.0, "D4": 2.0, "E4": 50.0, "F4": 200.0, "G4": 8.0,
    "H4": 100.0, "I4": 2.0, "J4": 0.08, "K4": 2.0,
}
EXPECTED_FORMULAS = {
    "F3": "=C3-E3", "G3": "=B3-D3", "I3": "=F3/H3", "J3": "=G3/H3", "K3": "=I3",
    **{c + "4": "=sum(%s3:%s3)" % (c, c) for c in "BCDEFGHIJ"},
    "K4": "=average(K3:K3)",
}


def address(row, col):
    return "ABCDEFGHIJKLMNOPQRSTUVWXYZ"[col] + str(row + 1)


def shifted(formula, rows, cols):
    """A relative formula moved by rows and cols, as a spreadsheet copies it."""
    def move(m):
        col_abs, letters, row_abs, digits = m.groups()
        col = sum((ord(ch) - 64) * 26 ** i for i, ch in enumerate(reversed(letters))) - 1
        if not col_abs:
            col += cols
        row = int(digits) + (0 if row_abs else rows)
        name = ""
        col += 1
        while col:
            col, rem = divmod(col - 1, 26)
            name = chr(65 + rem) + name
        return "%s%s%s%d" % (col_abs, name, row_abs, row)
    return re.sub(r"(\$?)\b([A-Z]{1,2})(\$?)(\d+)\b", move, formula)


def normal(formula):
    # Gnumeric writes a one-cell range B3:B3 as B3.
    return re.sub(r"\b([A-Z]+\d+):\1\b", r"\1", formula.replace("$", "")).lower()


def check_values(path, problems):
    book = xlrd.open_workbook(path)
    sheet = book.sheet_by_index(0)
    seen = set()
    for row in range(sheet.nrows):
        for col in range(sheet.ncols):
            cell = sheet.cell(row, col)
            if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            where = address(row, col)
            seen.add(where)
            want = EXPECTED_VALUES.get(where)
            got = cell.value
            if isinstance(want, tuple):
                if cell.ctype != xlrd.XL_CELL_DATE:
                    problems.append("%s: not a date (%r)" % (where, got))
                    continue
                got = xlrd.xldate_as_tuple(got, book.datemode)[:3]
            ok = (want == got) if not isinstance(want, float) else (
                isinstance(got, float) and abs(want - got) < 1e-9)
            if not ok:
                problems.append("%s: expected %r, read %r" % (where, want, got))
    for missing in sorted(set(EXPECTED_VALUES) - seen):
        problems.append("%s: missing" % missing)


def check_formulas(path, problems):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "book.gnumeric")
        subprocess.run(["ssconvert", "-T", "Gnumeric_XmlIO:sax", path, out], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        with gzip.open(out) as f:
            root = ET.parse(f).getroot()
    ns = {"gnm": "http://www.gnumeric.org/v10.dtd"}
    sheet = root.find("gnm:Sheets/gnm:Sheet", ns)
    formulas = {}
    shared = {}  # Gnumeric writes a repeated relative formula once, then refers to it by id
    for cell in sheet.iterfind("gnm:Cells/gnm:Cell", ns):
        row, col = int(cell.get("Row")), int(cell.get("Col"))
        text = cell.text or ""
        expr_id = cell.get("ExprID")
        if expr_id is not None and text.startswith("="):
            shared[expr_id] = (row, col, text)
        elif expr_id is not None and expr_id in shared:
            first_row, first_col, first_text = shared[expr_id]
            text = shifted(first_text, row - first_row, col - first_col)
        if text.startswith("="):
            formulas[address(row, col)] = text
    for where, want in EXPECTED_FORMULAS.items():
        got = formulas.get(where)
        if got is None or normal(got) != normal(want):
            problems.append("%s: expected formula %s, read %s" % (where, want, got))
    for extra in sorted(set(formulas) - set(EXPECTED_FORMULAS)):
        problems.append("%s: unexpected formula %s" % (extra, formulas[extra]))


def main():
    path = sys.argv[1]
    problems = []
    check_values(path, problems)
    check_formulas(path, problems)
    for p in problems:
        print(p)
    if not problems:
        print("worked example read back: values and formulas as expected")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
