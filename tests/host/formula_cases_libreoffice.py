#!/usr/bin/python3
"""LibreOffice computes the formula cases it agrees with Excel on as formula_cases.txt says:
every self-contained case (a "set CELL =formula" followed by its "expect", in a case with no
other cells set) is written into a workbook with openpyxl, LibreOffice converts it to CSV,
recomputing every formula, and its results must be the expected ones. Cases LibreOffice is
known to compute otherwise than Excel are listed in DIFFERS and left out.

Fails, never skips, when openpyxl or LibreOffice is missing."""
import csv
import os
import subprocess
import sys
import tempfile

import openpyxl

# Formulas where LibreOffice and Excel differ (LibreOffice's own conventions).
DIFFERS = {
    '=2^3^2',            # LibreOffice raises right to left
    '=-2^2',
    '="a"="A"',
    '=1<"a"', '="z"<TRUE',
    '=0^0', '=(-8)^(1/3)',
    '=ROUND(2.675,2)', '=ROUND(1.005,2)',
    '=1/3&""',
    '=PI()',
    '=SUM()', '=AVERAGE(1,)', '=IF(FALSE,1,)',
    '=DAY(60)', '=WEEKDAY(0)', '=WEEKDAY(1)', '=YEAR(-1)',
    '=TODAY()>40000',
    '=" 1,000 "*2', '="$1,000"/10', '="(5)"+0', '=VALUE("$-5")', '="3 PM"*24', '="12:30 AM"+0',
    '="15:43:30.5"*86400', '="1:60"+0', '="13 PM"+0', '="2/1/2001"+0', '="1/2/2001"+0',
    '="2/1/2001 12:00"+0', '=" 7 "+"8%"', '=VALUE("1,5")', '="1,23"+0', '="1,234,567"+1',
    '=OR("true")', '=AND("false")', '=AND("x")', '=IF("x",1,2)', '=SUM(1,"2",TRUE)', '=SUM("a")',
    '=AVERAGE(1,2,"3")', '=COUNT(1,"2","a",TRUE,#N/A)', '=MAX(-1,"-5")', '=DATE(10000,1,1)',
    '=LEN("a😀")', '=#NULL!', '=#NAME?', '=#REF!+1', '=CHOOSE(4,1,2,3)', '=CHOOSE(0,1)',
    '=0^-1', '="a"+1/0', '=CONCATENATE("a",1,TRUE)', '=WEEKDAY(-1)',
    # LibreOffice names #NUM! Err:502 in its CSV, and shows percentages and dates formatted.
    '=SQRT(-1)', '=SQRT(-4)', '=LN(0)', '=WEEKDAY(36923,4)', '=50%', '=-50%',
    '=DATE(2001,2,1)', '=DATE(2000,2,29)', '=DATE(2001,14,1)',
    # Letters beyond ASCII: the engine keeps their case, so UPPER is marked as not computed
    # as Excel does and a file's result of it is kept.
    '=UPPER("grüße")',
    # Excel has no negative dates: its TEXT gives #VALUE!, LibreOffice counts back from 1899.
    '=TEXT(-1,"yyyy")',
}


def cases(path):
    """(formula, expected) of the cases that set nothing but formulas without references."""
    out, current, pending, plain = [], [], {}, True
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            verb, _, rest = line.partition(" ")
            if verb == "case":
                if plain:
                    out += current
                current, pending, plain = [], {}, True
                continue
            cell, _, arg = rest.partition(" ")
            if verb == "set":
                if not arg.startswith("="):
                    plain = False
                pending[cell] = arg
            elif verb == "expect" and cell in pending:
                current.append((pending.pop(cell), arg))
            elif verb in ("clear", "refuse"):
                plain = False
    if plain:
        out += current
    import re
    ref = re.compile(r'(?<![A-Z"])\$?[A-Z]{1,2}\$?[0-9]+')
    return [(f, e) for f, e in out if f not in DIFFERS and not ref.search(re.sub(r'"[^"]*"', '', f))]


def same(got, want):
    if want.startswith('"'):
        return got == want[1:-1].replace('\\"', '"')
    if want in ("TRUE", "FALSE") or want.startswith("#"):
        return got.upper() == want
    try:
        return abs(float(got) - float(want)) <= 1e-9 * max(1.0, abs(float(want)))
    except ValueError:
        return False


def main():
    listed = cases(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="tallomer-cases-lo-") as tmp:
        book = openpyxl.Workbook()
        for row, (formula, _) in enumerate(listed, 1):
            book.active.cell(row, 1, formula)
        path = os.path.join(tmp, "cases.xlsx")
        book.save(path)
        run = subprocess.run(["soffice", "--headless", "-env:UserInstallation=file://" + tmp + "/profile",
                              "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76", "--outdir", tmp, path], capture_output=True, text=True, timeout=180,
                             env=dict(os.environ, HOME=tmp))
        csv_path = os.path.join(tmp, "cases.csv")
        if not os.path.exists(csv_path):
            print("LibreOffice wrote no CSV:", run.stdout, run.stderr)
            return 1
        with open(csv_path, encoding="utf-8") as f:
            rows = list(csv.reader(f))
    failures = [f"{formula}: LibreOffice gives {rows[i][0] if i < len(rows) and rows[i] else ''!r}, the case {want}"
                for i, (formula, want) in enumerate(listed)
                if not same(rows[i][0] if i < len(rows) and rows[i] else "", want)]
    for f in failures:
        print(f)
    print(f"{len(listed)} cases computed by LibreOffice, {len(failures)} differ")
    return 1 if failures or len(listed) < 40 else 0


if __name__ == "__main__":
    sys.exit(main())
