#!/usr/bin/env bash
# The largest statistics workbook (32,764 entries) as .xlsx written by LibreOffice:
# `tallomer-cli copy` (open and save) against openpyxl's load_workbook and LibreOffice's
# headless conversion, side by side in one run, with the copy's peak memory; then the open and
# save in-process (xlsx_bench). Usage: bench/xlsx_copy_speed.sh BUILD_DIR [EARLIER_BUILD_DIR]
# An earlier build (another checkout's build folder, or a folder holding its tools/tallomer-cli
# and bench/xlsx_bench) is measured in the same rounds, so a change is shown before and after.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
earlier=${2:+$(cd "$2" && pwd)}
here=$(cd "$(dirname "$0")" && pwd)
cli="$build/tools/tallomer-cli"
python=/usr/bin/python3
work=$(mktemp -d /tmp/tallomer-xlsx-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
office=(soffice --headless "-env:UserInstallation=file://$work/lo-profile" --convert-to xlsx)

"$python" "$here/make_stats_workbook.py" 32764 "$work/generated.xls"
"${office[@]}" --outdir "$work/lo-made" "$work/generated.xls" >/dev/null 2>&1
file="$work/stats_32764.xlsx"
mv "$work/lo-made/generated.xlsx" "$file"
echo "workbook: $(stat -c %s "$file") bytes"

seconds() {   # runs a command N times without a shell, prints each run's wall time in seconds
    local n=$1; shift
    hyperfine -N --runs "$n" --style none --export-json "$work/run.json" -- "$(printf '%q ' "$@")" >/dev/null 2>&1
    "$python" -c 'import json, sys
for t in json.load(open(sys.argv[1]))["results"][0]["times"]: print("%.4f" % t)' "$work/run.json"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
peak() {   # the peak memory of `tallomer-cli copy`, in kB
    /usr/bin/time -v "$1" copy "$file" "$work/copy.xlsx" 2>&1 >/dev/null | awk -F: '/Maximum resident/ { gsub(/ /, "", $2); print $2 }'
}
inproc() {   # the in-process open and save, medians of 5 repetitions
    TALLOMER_BENCH_XLSX="$file" "$1" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
        awk '/_median/ { sub(/_median/, "", $1); printf "  %-10s %8.1f ms   (CPU %.1f ms)\n", $1, $2, $4 }'
}

"$cli" copy "$file" "$work/copy.xlsx"   # must succeed: a failing copy is not a fast one
touch "$work/earlier.times"
for round in 1 2 3; do
    seconds 5 "$cli" copy "$file" "$work/copy.xlsx" >>"$work/copy.times"
    [ -z "$earlier" ] || seconds 5 "$earlier/tools/tallomer-cli" copy "$file" "$work/copy.xlsx" >>"$work/earlier.times"
    seconds 1 "${office[@]}" --outdir "$work/lo-out" "$file" >>"$work/office.times"
    sync
    seconds 1 "$python" -c 'import sys, openpyxl; openpyxl.load_workbook(sys.argv[1])' "$file" >>"$work/openpyxl.times"
done
copy=$(median <"$work/copy.times")
before=$(median <"$work/earlier.times")
office=$(median <"$work/office.times")
openpyxl=$(median <"$work/openpyxl.times")

awk -v c="$copy" -v b="${before:-0}" -v o="$office" -v p="$openpyxl" -v m="$(peak "$cli")" 'BEGIN {
    printf "tallomer-cli copy (median of 15):            %8.1f ms\n", c * 1000
    if (b > 0) printf "  the earlier build, same rounds:            %8.1f ms   (openpyxl %.1fx, LibreOffice %.1fx)\n", b * 1000, p / b, o / b
    printf "openpyxl load_workbook, whole process (3):   %8.1f ms   %6.1fx the copy (goal 20x)\n", p * 1000, p / c
    printf "LibreOffice convert to .xlsx (median of 3):  %8.1f ms   %6.1fx the copy (goal 10x)\n", o * 1000, o / c
    printf "tallomer-cli copy peak memory:               %8.1f MB   (goal under 100 MB)\n", m / 1024
}'
echo "In-process, wall and CPU (median of 5, goal under 80 ms each):"
inproc "$build/bench/xlsx_bench"
if [ -n "$earlier" ]; then
    echo "The earlier build:"
    inproc "$earlier/bench/xlsx_bench"
fi
