#!/usr/bin/env bash
# Whole-process timings of entries that come in without typing, by hyperfine (which starts
# the processes itself, without a shell): `tallomer-cli add` to a 30,000-entry workbook (goal
# under 100 ms), and `import` of CSV files written by Python's csv module, 3,650 rows (ten
# years, goal under 200 ms) and 30,000 rows (goal under 1.5 s), each into a new workbook.
# Beside them, for scale, LibreOffice's headless conversion of the 3,650-row CSV to .xls.
# Usage: bench/entries_speed.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cli="$build/tools/tallomer-cli"
python=/usr/bin/python3
work=$(mktemp -d /tmp/tallomer-entries-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

"$python" "$here/make_stats_workbook.py" 30000 "$work/stats_30000.xls"
"$python" - "$work" <<'PY'
import csv, datetime, sys
day = datetime.date(1990, 1, 1)
for n in (3650, 30000):
    with open('%s/days_%d.csv' % (sys.argv[1], n), 'w', newline='') as f:
        w = csv.writer(f)
        w.writerow(['Date', 'Orders', 'Gross sales', 'Returns', 'Refunded', 'Sessions'])
        for i in range(n):
            w.writerow([(day + datetime.timedelta(i)).isoformat(), 10 + i % 7, '$%d.50' % (250 + i % 13),
                        i % 3, i % 3 * 12.5, 100 + i % 11])
PY

median_ms() {   # hyperfine's median of a run, in milliseconds
    "$python" -c 'import json, sys; print("%.1f" % (json.load(open(sys.argv[1]))["results"][0]["median"] * 1000))' "$1"
}
time_it() {   # NAME RUNS PREPARE COMMAND...
    local name=$1 runs=$2 prepare=$3; shift 3
    hyperfine -N --runs "$runs" --style none --prepare "$prepare" --export-json "$work/$name.json" \
        -- "$(printf '%q ' "$@")" >/dev/null 2>&1
    median_ms "$work/$name.json"
}

# Each must succeed: a refused command is not a fast one.
cp "$work/stats_30000.xls" "$work/w.xls"
"$cli" add "$work/w.xls" 01/01/2090 10 250 2 50 100 >/dev/null
"$cli" import --new "$work/n.xls" "$work/days_3650.csv" >/dev/null && rm "$work/n.xls"

add=$(time_it add 15 "cp $work/stats_30000.xls $work/w.xls" "$cli" add "$work/w.xls" 01/01/2090 10 250 2 50 100)
i3650=$(time_it i3650 9 "rm -f $work/n.xls" "$cli" import --new "$work/n.xls" "$work/days_3650.csv")
i30000=$(time_it i30000 3 "rm -f $work/n.xls" "$cli" import --new "$work/n.xls" "$work/days_30000.csv")
office=$(time_it office 3 "rm -rf $work/lo-out" soffice --headless "-env:UserInstallation=file://$work/lo-profile" \
    --convert-to 'xls:MS Excel 97' --outdir "$work/lo-out" "$work/days_3650.csv")

awk -v a="$add" -v s="$i3650" -v t="$i30000" -v o="$office" 'BEGIN {
    printf "tallomer-cli add, 30,000 entries (median of 15):   %8.1f ms   (goal under 100 ms)\n", a
    printf "tallomer-cli import, 3,650 rows (median of 9):     %8.1f ms   (goal under 200 ms)\n", s
    printf "tallomer-cli import, 30,000 rows (median of 3):    %8.1f ms   (goal under 1500 ms)\n", t
    printf "LibreOffice CSV to .xls, 3,650 rows (median of 3): %8.1f ms   %6.1fx the import\n", o, o / s
}'
