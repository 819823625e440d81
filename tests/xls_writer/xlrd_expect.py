"""Checks workbooks against expectations, one JSON object a line, as xlrd reads it with
formatting_info=True. Prints every mismatch; exit status 1 when there is one.

  {"cell": "Sheet1!B3", "type": "number", "value": 10, "formula": false,
   "bold": false, "align": "right", "date": false}      (any field but "cell" may be left out)
  {"width": "Sheet1!A", "value": 3840}
  {"sheets": ["Sheet1", "Sheet2"]}   {"datemode": 0}   {"stream_at_least": 4096}
  {"active_sheet": "Sheet2"}   {"active_cell": "Sheet1!A5"}
  {"text_length": "Sheet2!A9", "value": 10000}   (a long text: its length and end characters)
"""
import json
import sys

import xlrd

import biff_records

TYPES = {xlrd.XL_CELL_EMPTY: 'empty', xlrd.XL_CELL_TEXT: 'text', xlrd.XL_CELL_NUMBER: 'number',
         xlrd.XL_CELL_DATE: 'number', xlrd.XL_CELL_BOOLEAN: 'bool', xlrd.XL_CELL_ERROR: 'error',
         xlrd.XL_CELL_BLANK: 'empty'}
ALIGN = {0: 'general', 1: 'left', 2: 'center', 3: 'right'}


def col_index(letters):
    n = 0
    for ch in letters:
        n = n * 26 + ord(ch) - 64
    return n - 1


def split_ref(ref):
    sheet, cell = ref.split('!')
    letters = ''.join(c for c in cell if c.isalpha())
    row = int(cell[len(letters):]) - 1 if cell[len(letters):] else None
    return sheet, row, col_index(letters)


def check(path, expect_path, last_wins):
    book = xlrd.open_workbook(path, formatting_info=True)
    stream = biff_records.workbook_stream(path)
    formulas = biff_records.formula_cells(stream)
    selections = biff_records.active_cells(stream)
    names = book.sheet_names()
    problems = []
    if not biff_records.record_sizes_ok(stream):
        problems.append('a record is longer than 8224 bytes')

    def fail(what, expected, actual):
        problems.append('%s: expected %r, got %r' % (what, expected, actual))

    expectations = [json.loads(line) for line in open(expect_path, encoding='utf-8') if line.strip()]
    if last_wins:   # a cell written twice holds what was written last
        latest = {}
        for e in expectations:
            latest[e.get('cell', id(e))] = e
        expectations = list(latest.values())
    for e in expectations:
        if 'sheets' in e:
            if names != e['sheets']:
                fail('sheets', e['sheets'], names)
        elif 'stream_at_least' in e:
            if len(stream) < e['stream_at_least']:
                fail('Workbook stream size', e['stream_at_least'], len(stream))
        elif 'datemode' in e:
            if book.datemode != e['datemode']:
                fail('datemode', e['datemode'], book.datemode)
        elif 'active_sheet' in e:
            selected = [s.name for s in book.sheets() if s.sheet_selected]
            shown = [s.name for s in book.sheets() if s.sheet_visible]
            if selected != [e['active_sheet']] or shown != [e['active_sheet']]:
                fail('active sheet', e['active_sheet'], (selected, shown))
        elif 'active_cell' in e:
            sheet, row, col = split_ref(e['active_cell'])
            actual = selections.get(names.index(sheet))
            if actual != (row, col):
                fail(e['active_cell'] + ' active', (row, col), actual)
        elif 'width' in e:
            sheet, _, col = split_ref(e['width'] + '1')
            info = book.sheet_by_name(sheet).colinfo_map.get(col)
            actual = info.width if info else None
            if actual != e['value']:
                fail(e['width'] + ' width', e['value'], actual)
        elif 'text_length' in e:
            sheet, row, col = split_ref(e['text_length'])
            value = book.sheet_by_name(sheet).cell(row, col).value
            if len(value) != e['value'] or value[-3:] != e['ends']:
                fail(e['text_length'], (e['value'], e['ends']), (len(value), value[-3:]))
        elif 'cell' in e:
            check_cell(book, formulas, names, e, fail)
    return problems


def same_value(actual, expected):
    if isinstance(actual, float) and isinstance(expected, (int, float)) and not isinstance(expected, bool):
        return actual == expected or abs(actual - expected) <= 1e-12 * max(abs(actual), abs(expected))
    return actual == expected


def check_cell(book, formulas, names, e, fail):
    ref = e['cell']
    sheet_name, row, col = split_ref(ref)
    sheet = book.sheet_by_name(sheet_name)
    if row >= sheet.nrows or col >= sheet.ncols:
        cell = xlrd.sheet.Cell(xlrd.XL_CELL_EMPTY, '', 0)
    else:
        cell = sheet.cell(row, col)
    if 'type' in e and TYPES[cell.ctype] != e['type']:
        fail(ref + ' type', e['type'], TYPES[cell.ctype])
    if 'value' in e:
        actual = cell.value
        if cell.ctype == xlrd.XL_CELL_ERROR:
            actual = xlrd.error_text_from_code[cell.value]
        if not (actual == e['value'] if e.get('exact') else same_value(actual, e['value'])):
            fail(ref + ' value', e['value'], actual)
    if 'formula' in e:
        is_formula = (row, col) in formulas.get(names.index(sheet_name), set())
        if is_formula != e['formula']:
            fail(ref + ' formula', e['formula'], is_formula)
    xf = book.xf_list[cell.xf_index]
    if 'bold' in e:
        bold = book.font_list[xf.font_index].weight == 700
        if bold != e['bold']:
            fail(ref + ' bold', e['bold'], bold)
    if 'align' in e:
        align = ALIGN.get(xf.alignment.hor_align, xf.alignment.hor_align)
        if align != e['align']:
            fail(ref + ' align', e['align'], align)
    if 'format' in e:
        text = book.format_map[xf.format_key].format_str
        if text != e['format']:
            fail(ref + ' number format', e['format'], text)
    if 'date' in e:
        is_date = book.format_map[xf.format_key].type == xlrd.formatting.FDT
        if is_date != e['date']:
            fail(ref + ' date format', e['date'], is_date)


def main(args):
    """[--last-wins] FILE EXPECTATIONS [FILE EXPECTATIONS ...]"""
    last_wins = args[:1] == ['--last-wins']
    args = args[1:] if last_wins else args
    failed = False
    for path, expect_path in zip(args[0::2], args[1::2]):
        problems = check(path, expect_path, last_wins)
        for p in problems[:30]:
            print('%s: %s' % (path, p))
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
