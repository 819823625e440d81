#!/usr/bin/python3
"""LibreOffice computes the formula cases it agrees with Excel on as formula_cases.txt says:
every self-contained case (a "set CELL =formula" followed by its "expect", in a case with no
other cells set) is written into a workbook with openpyxl, LibreOffice converts it to CSV,
recomputing every formula, and its results must be the expected ones. Cases LibreOffice is
known to compute otherwise than Excel are listed in DIFFERS and left out.

The cases with array formulas ("array" lines) are checked whole: each goes on a sheet of its
own, its cells and array formulas as the case enters them up to the first change after an
"expect", LibreOffice converts the workbook to .xlsx computing them, and openpyxl reads its
results. Array cases LibreOffice computes otherwise are listed in ARRAY_DIFFERS.

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


# Array cases (by name) with results LibreOffice computes otherwise than Excel, by cell.
ARRAY_DIFFERS = {
    # LibreOffice's truth values are numbers: IF's FALSE shows 0, a comparison is no logical
    # value to ISLOGICAL, and SUMPRODUCT multiplies TRUE as 1 where Excel takes it as 0.
    "array formula over several cells: each cell shows its element (Excel's documented behaviour)": {"L1"},
    "array formula: the IS functions element by element": {"B7"},
    # ...and COUNTA passes over IF's FALSE, AND refuses a text in an array (Excel passes over it).
    "array formula: the functions that take ranges take an array whole (Excel's documented behaviour)":
        {"A5", "A8", "A10"},
    # ...so SUM counts TRUE in an array constant and AND refuses its text; an ordinary formula's
    # array result shows the element in the cell's own row (Excel: the first); an error inside
    # an array constant spoils the whole array as LibreOffice reads it from an .xlsx file.
    "array constants: numbers, texts, truth values and errors in rows and columns (Excel's documented behaviour)":
        {"A4", "A5", "A7", "G2"},
    # The engine's own limit; LibreOffice computes the sum.
    "array formula: more values than the engine takes at once give #NUM! (the engine's own limit, over sixteen full columns)":
        {"A1"},
}


def array_cases(path):
    """[(name, [(verb, cell, arg)], [(cell, expected)])] of the cases holding array formulas."""
    out, name, lines, expects, done = [], None, [], [], False

    def close():
        if name is not None and any(v == "array" for v, _, _ in lines):
            out.append((name, lines, expects))

    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            verb, _, rest = line.partition(" ")
            if verb == "case":
                close()
                name, lines, expects, done = rest, [], [], False
                continue
            cell, _, arg = rest.partition(" ")
            if done:
                continue
            if verb in ("set", "array", "clear"):
                entered = {c for _, c, _ in lines}
                if expects and (verb == "clear" or (verb == "set" and (not arg.startswith("=") or cell in entered))):
                    done = True  # an input changed after an expect: the rest needs the recalculation
                    continue
                lines.append((verb, cell, arg))
            elif verb == "expect":
                expects.append((cell, arg))
            elif verb in ("refuse", "date"):
                done = True
    close()
    return out


def typed_value(text):
    """What typing `text` gives, for openpyxl: a number, a text, a formula."""
    if text.startswith("'"):
        return text[1:]
    if text.startswith("="):
        return text
    try:
        return int(text)
    except ValueError:
        pass
    try:
        return float(text)
    except ValueError:
        return text


def check_array_cases(path, tmp):
    listed = array_cases(path)
    book = openpyxl.Workbook()
    book.remove(book.active)
    for i, (name, lines, _) in enumerate(listed):
        ws = book.create_sheet(f"case{i}")
        for verb, cell, arg in lines:
            if verb == "set":
                ws[cell] = typed_value(arg)
            elif verb == "clear":
                ws[cell] = None
            else:
                first = cell.split(":")[0]
                ws[first] = arg
                ws.formula_attributes[first] = {"t": "array", "ref": cell}
    src = os.path.join(tmp, "arrays.xlsx")
    book.save(src)
    out_dir = os.path.join(tmp, "computed")
    subprocess.run(["soffice", "--headless", "-env:UserInstallation=file://" + tmp + "/profile",
                    "--convert-to", "xlsx", "--outdir", out_dir, src], capture_output=True, text=True, timeout=180,
                   env=dict(os.environ, HOME=tmp))
    computed = os.path.join(out_dir, "arrays.xlsx")
    if not os.path.exists(computed):
        return [f"LibreOffice wrote no .xlsx of the array cases"], 0
    got = openpyxl.load_workbook(computed, data_only=True)
    failures, checked = [], 0
    for i, (name, _, expects) in enumerate(listed):
        ws = got[f"case{i}"]
        for cell, want in expects:
            if cell in ARRAY_DIFFERS.get(name, ()):
                continue
            checked += 1
            value = ws[cell].value
            text = ("TRUE" if value else "FALSE") if isinstance(value, bool) else ("" if value is None else str(value))
            if want == "empty" and value is None:
                continue
            if not same(text, want):
                failures.append(f"[{name}] {cell}: LibreOffice gives {value!r}, the case {want}")
    return failures, checked


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
        array_failures, array_checked = check_array_cases(sys.argv[1], tmp)
    failures = [f"{formula}: LibreOffice gives {rows[i][0] if i < len(rows) and rows[i] else ''!r}, the case {want}"
                for i, (formula, want) in enumerate(listed)
                if not same(rows[i][0] if i < len(rows) and rows[i] else "", want)]
    for f in failures + array_failures:
        print(f)
    print(f"{len(listed)} cases computed by LibreOffice, {len(failures)} differ")
    print(f"{array_checked} results of array formula cases computed by LibreOffice, {len(array_failures)} differ")
    return 1 if failures or array_failures or len(listed) < 40 or array_checked < 40 else 0


if __name__ == "__main__":
    sys.exit(main())
