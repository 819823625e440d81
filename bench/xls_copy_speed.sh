#!/usr/bin/env bash
# Whole-process comparison on the largest statistics workbook (32,764 entries, totals in row
# 32,767, as LibreOffice saves it): `tallomer-cli copy` (open and save) against LibreOffice's
# headless conversion to .xls and against xlrd's open_workbook alone, side by side in one run,
# plus the copy's peak memory. Usage: bench/xls_copy_speed.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cli="$build/tools/tallomer-cli"
python=/usr/bin/python3
work=$(mktemp -d /tmp/tallomer-copy-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
# LibreOffice headless with a profile of its own, converting to Excel 97-2003.
office=(soffice --headless "-env:UserInstallation=file://$work/lo-profile" --convert-to 'xls:MS Excel 97')

# The workbook: generated with xlwt, then saved by LibreOffice (which also warms its profile).
"$python" "$here/make_stats_workbook.py" 32764 "$work/generated.xls"
"${office[@]}" --outdir "$work/lo-made" "$work/generated.xls" >/dev/null 2>&1
file="$work/stats_32764.xls"
mv "$work/lo-made/generated.xls" "$file"
echo "workbook: $(stat -c %s "$file") bytes"

# Whole processes are timed by hyperfine, which starts them itself, without a shell: timed from
# bash, each run would also count bash copying itself to start it (about 2 ms here, as much as
# the copy's own start-up).
seconds() {   # runs a command N times, prints each run's wall time in seconds
    local n=$1; shift
    hyperfine -N --runs "$n" --style none --export-json "$work/run.json" -- "$(printf '%q ' "$@")" >/dev/null 2>&1
    "$python" -c 'import json, sys
for t in json.load(open(sys.argv[1]))["results"][0]["times"]: print("%.4f" % t)' "$work/run.json"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

"$cli" copy "$file" "$work/copy.xls"   # must succeed: a failing copy is not a fast one
xlrd_once() {   # xlrd's open_workbook alone, timed inside Python
    "$python" -c 'import sys, time, xlrd
start = time.perf_counter(); xlrd.open_workbook(sys.argv[1]); print("%.4f" % (time.perf_counter() - start))' "$file"
}
# The three take turns, round after round, so that a machine that speeds up or slows down
# meanwhile touches each of them alike.
for round in 1 2 3; do
    seconds 5 "$cli" copy "$file" "$work/copy.xls" >>"$work/copy.times"
    seconds 1 "${office[@]}" --outdir "$work/lo-out" "$file" >>"$work/office.times"
    sync   # LibreOffice's output goes to disk now, not during the next copy's save
    xlrd_once >>"$work/xlrd.times"
done
copy=$(median <"$work/copy.times")
office=$(median <"$work/office.times")
xlrd=$(median <"$work/xlrd.times")
rss=$(/usr/bin/time -v "$cli" copy "$file" "$work/copy.xls" 2>&1 >/dev/null | awk -F: '/Maximum resident/ { gsub(/ /, "", $2); print $2 }')

# In-process, inside one program: opening the LibreOffice-written file (the bench's own Open
# reads the file the host writes).
open_lo=$(TALLOMER_BENCH_XLS="$file" "$build/bench/xls_bench" --benchmark_filter=OpenGivenFile \
    --benchmark_repetitions=9 --benchmark_report_aggregates_only=true 2>/dev/null |
    awk '/OpenGivenFile.*median/ { print $2 }')

awk -v c="$copy" -v o="$office" -v x="$xlrd" -v m="$rss" 'BEGIN {
    printf "tallomer-cli copy (median of 15):          %8.1f ms\n", c * 1000
    printf "LibreOffice convert to .xls (median of 3): %8.1f ms   %6.1fx the copy (goal 40x)\n", o * 1000, o / c
    printf "xlrd open_workbook (median of 3):          %8.1f ms   %6.1fx the copy (goal 10x)\n", x * 1000, x / c
    printf "tallomer-cli copy peak memory:             %8.1f MB   (goal under 60 MB)\n", m / 1024
}'
echo "Open in-process, this file (median of 9):   ${open_lo:-?} ms   (goal under 25 ms)"
