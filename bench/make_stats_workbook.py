"""Writes a statistics workbook in the program's layout with N entries (xlwt), for the
benchmarks: python3 make_stats_workbook.py N OUT.xls. LibreOffice then rewrites it as it
would save it, so the benchmark file carries computed results as a real one does."""
import sys

import xlwt

HEADERS = ["DATE", "# of Orders", "$ of Orders", "# of Refunds", "$ of Refunds",
           "$Orders - $Refunds", "# Orders - # Refunds", "Number of Unique Visitors",
           "Total $ Dollars / Unique Visitors", "Total # Orders / Unique Visitors",
           "Average = $ / Unique Visitors"]
WIDTHS = [15, 15, 15, 18, 18, 24, 24, 30, 36, 36, 36]


def main(n, out):
    book = xlwt.Workbook()
    sheet = book.add_sheet('Sheet1')
    book.add_sheet('Sheet2')
    book.add_sheet('Sheet3')
    bold_left = xlwt.easyxf('font: bold on; align: horiz left')
    bold_right = xlwt.easyxf('font: bold on; align: horiz right')
    left = xlwt.easyxf('align: horiz left')
    date = xlwt.easyxf('align: horiz left', num_format_str='m/d/yy')
    plain = xlwt.easyxf('')
    for c, w in enumerate(WIDTHS):
        sheet.col(c).width = w * 256
    sheet.write(0, 0, 'Entries', bold_left)
    sheet.write(0, 1, n, bold_right)
    for c in range(2, 11):
        sheet.write(0, c, None, bold_right)
    for c, h in enumerate(HEADERS):
        sheet.write(1, c, h, bold_left if c == 0 else bold_right)
    last = n + 2
    f = xlwt.Formula
    for i in range(n):
        r = i + 3
        row = sheet.row(r - 1)
        row.write(0, 36923 + i, date if r <= 1000 else date)
        orders, value, refunds, refund_value, visitors = 10 + i % 7, 250 + i % 13, i % 3, (i % 3) * 12.5, 100 + i % 11
        row.write(1, orders, plain)
        row.write(2, value, plain)
        row.write(3, refunds, plain)
        row.write(4, refund_value, plain)
        row.write(5, f('C%d-E%d' % (r, r)), plain)
        row.write(6, f('B%d-D%d' % (r, r)), plain)
        row.write(7, visitors, plain)
        row.write(8, f('F%d/H%d' % (r, r)), plain)
        row.write(9, f('G%d/H%d' % (r, r)), plain)
        row.write(10, f('I%d' % r), plain)
    t = last + 1
    sheet.write(t - 1, 0, 'Total', left)
    for c in range(1, 10):
        col = chr(ord('A') + c)
        sheet.write(t - 1, c, f('SUM(%s3:%s%d)' % (col, col, last)), plain)
    sheet.write(t - 1, 10, f('AVERAGE(K3:K%d)' % last), plain)
    for r in range(t, 1000):
        sheet.write(r, 0, None, left)
    book.save(out)


if __name__ == '__main__':
    main(int(sys.argv[1]), sys.argv[2])
