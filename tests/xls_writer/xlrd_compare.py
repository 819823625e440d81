"""Compares workbooks with their copies as xlrd reads them: the same sheets, every non-empty
cell with the same type and value (a formula's cached result), and every formula of the
original still a formula in the copy. A formula whose original carries no result (an empty
text, as xlwt writes) may have any result in the copy, and so may one calling a volatile
function (TODAY): it is computed on open, as Excel computes it, to the day the copy is made.
Prints the differences; exit 1 if any."""
import sys

import xlrd

import biff_records


def same_number(a, b):
    return a == b or abs(a - b) <= 1e-12 * max(abs(a), abs(b))


def compare(original_path, copy_path):
    original = xlrd.open_workbook(original_path)
    copy = xlrd.open_workbook(copy_path)
    formulas_o = biff_records.formula_cells(biff_records.workbook_stream(original_path))
    formulas_c = biff_records.formula_cells(biff_records.workbook_stream(copy_path))
    volatile = biff_records.volatile_formula_cells(biff_records.workbook_stream(original_path))
    problems = []
    if original.sheet_names() != copy.sheet_names():
        problems.append('sheets %r became %r' % (original.sheet_names(), copy.sheet_names()))
    if original.datemode != copy.datemode:
        problems.append('datemode %d became %d' % (original.datemode, copy.datemode))
    empty = (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK)
    for index, so in enumerate(original.sheets()):
        if index >= copy.nsheets:
            break
        sc = copy.sheet_by_index(index)
        for row in range(max(so.nrows, sc.nrows)):
            for col in range(max(so.ncols, sc.ncols)):
                co = so.cell(row, col) if row < so.nrows and col < so.ncols else None
                cc = sc.cell(row, col) if row < sc.nrows and col < sc.ncols else None
                to = co.ctype if co and co.ctype not in empty else None
                tc = cc.ctype if cc and cc.ctype not in empty else None
                where = '%s!%s' % (so.name, xlrd.cellname(row, col))
                was_formula = (row, col) in formulas_o.get(index, set())
                if was_formula and (row, col) not in formulas_c.get(index, set()):
                    problems.append('%s: formula lost' % where)
                if was_formula and co.ctype == xlrd.XL_CELL_TEXT and co.value == '':
                    continue   # the original stored no result
                if (row, col) in volatile.get(index, set()):
                    continue   # the moment's result
                if to is None and tc is None:
                    continue
                if to != tc:
                    problems.append('%s: %r became %r' % (where, co, cc))
                elif to in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE):
                    if not same_number(co.value, cc.value):
                        problems.append('%s: %r became %r' % (where, co.value, cc.value))
                elif co.value != cc.value:
                    problems.append('%s: %r became %r' % (where, co.value, cc.value))
    return problems


def main(paths):
    """Pairs of paths: original, copy, original, copy ..."""
    failed = 0
    for original_path, copy_path in zip(paths[0::2], paths[1::2]):
        try:
            problems = compare(original_path, copy_path)
        except Exception as e:   # a copy xlrd cannot read at all
            problems = ['cannot compare: %s' % e]
        for p in problems[:20]:
            print('%s: %s' % (original_path, p))
        if len(problems) > 20:
            print('%s: ... and %d more' % (original_path, len(problems) - 20))
        failed += bool(problems)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
