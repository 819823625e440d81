#!/usr/bin/env bash
# The Debian package as make deb makes it: lintian finds no error or warning, its
# dependencies name the Qt libraries, and once unpacked into a scratch root (dpkg -x) its
# tallomer-cli reads a workbook and prints what the main window would show.
# Usage: check_debian_package.sh BUILD_DIR SAMPLES_DIR
here=$(dirname "$(realpath "$0")")
source "$here/common.sh"
build=$1
samples=$2
require cpack dpkg-deb dpkg-shlibdeps lintian /usr/bin/python3

# cpack into a folder of our own, so a parallel run or a make deb is not disturbed.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack"; finish; }
deb=$(ls "$work"/cpack/tallomer_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { fail "cpack made no .deb"; finish; }

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libc6 fonts-dejavu-extra; do
  echo "$depends" | grep -q "$library" || fail "Depends lacks $library: $depends"
done

# Errors and warnings both count; overrides the package ships (and explains) do not.
report=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges')
echo "$report" | grep -E '^[EW]: ' && fail "lintian: $report"

root=$work/root
dpkg -x "$deb" "$root" || fail "dpkg -x"
cli=$root/usr/bin/tallomer-cli
[ -x "$cli" ] || { fail "no usr/bin/tallomer-cli in the package"; finish; }
[ -x "$root/usr/bin/tallomer" ] || fail "no usr/bin/tallomer in the package"
"$cli" --version | grep -q "^tallomer-cli $(dpkg-deb -f "$deb" Version)\$" || fail "version differs from the package's"

if [ -d "$samples/stats" ]; then
  workbook=$samples/stats/stats_lo_1.xls
  echo "workbook: $workbook (from the samples)"
else
  echo "no samples folder at $samples: a workbook is made with xlwt instead"
  workbook=$work/made.xls
  /usr/bin/python3 - "$workbook" <<'PY' || fail "xlwt could not make a workbook"
import sys, xlwt
book = xlwt.Workbook()
sheet = book.add_sheet('Sheet1')
sheet.write(0, 0, 'Entries'); sheet.write(0, 1, 1)
for col, head in enumerate('Date Orders Value Refunds Refunded NetValue NetOrders Visitors'.split()):
    sheet.write(1, col, head)
sheet.write(2, 0, 36893, xlwt.easyxf(num_format_str='m/d/yy'))
for col, v in ((1, 10), (2, 250), (3, 2), (4, 50), (7, 100)):
    sheet.write(2, col, v)
sheet.write(2, 5, xlwt.Formula('C3-E3')); sheet.write(2, 6, xlwt.Formula('B3-D3'))
sheet.write(2, 8, xlwt.Formula('F3/H3')); sheet.write(2, 9, xlwt.Formula('G3/H3'))
sheet.write(3, 0, 'Totals')
for col, letter in ((1, 'B'), (2, 'C'), (3, 'D'), (4, 'E'), (5, 'F'), (6, 'G'), (7, 'H')):
    sheet.write(3, col, xlwt.Formula('SUM(%s3:%s3)' % (letter, letter)))
book.save(sys.argv[1])
PY
fi
out=$("$cli" show "$workbook" 2>&1) || fail "installed tallomer-cli show exits $?: $out"
echo "$out" | grep -qP '^Text7\t' || fail "show printed no boxes: $out"
out=$("$cli" dump "$workbook" 2>&1) || fail "installed tallomer-cli dump exits $?"
echo "$out" | grep -qP '^B1\t' || fail "dump printed no B1: $out"
"$cli" copy "$workbook" "$work/copy.xls" || fail "installed tallomer-cli copy"
[ -s "$work/copy.xls" ] || fail "copy wrote nothing"
"$cli" chart "$workbook" --out "$work/chart.svg" || fail "installed tallomer-cli chart"
grep -q "<svg" "$work/chart.svg" 2>/dev/null || fail "chart wrote no SVG"
finish
