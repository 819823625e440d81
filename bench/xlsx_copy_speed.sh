#!/usr/bin/env bash
# The largest statistics workbook (32,764 entries) as .xlsx written by LibreOffice:
# `tallomer-cli copy` (open and save) against openpyxl's load_workbook and LibreOffice's
# headless conversion, side by side in one run, with the copy's peak memory; then the open and
# save in-process (xlsx_bench). Usage: bench/xlsx_copy_speed.sh BUILD_DIR [EARLIER_BUILD_DIR]
# An earlier build (another checkout's build folder, or a folder holding its tools/tallomer-cli
# and bench/xlsx_bench) is measured in the same rounds, so a change is shown before and after.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
earlier_build=${2:+$(cd "$2" && pwd)}
here=$(cd "$(dirname "$0")" && pwd)
cli="$build/tools/tallomer-cli"
python=/usr/bin/python3
work=$(mktemp -d /tmp/tallomer-xlsx-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
convert=(soffice --headless "-env:UserInstallation=file://$work/lo-profile" --convert-to xlsx)

"$python" "$here/make_stats_workbook.py" 32764 "$work/generated.xls"
"${convert[@]}" --outdir "$work/lo-made" "$work/generated.xls" >/dev/null 2>&1
file="$work/stats_32764.xlsx"
mv "$work/lo-made/generated.xlsx" "$file"
echo "workbook: $(stat -c %s "$file") bytes"

seconds() {   # seconds NAME N COMMAND...: runs COMMAND N times without a shell, adding each
    # run's wall time to NAME.times and the runs' mean CPU time (user and system) to NAME.cpu
    local name=$1 n=$2; shift 2
    hyperfine -N --runs "$n" --style none --export-json "$work/run.json" -- "$(printf '%q ' "$@")" >/dev/null 2>&1
    "$python" -c 'import json, sys
r = json.load(open(sys.argv[1]))["results"][0]
open(sys.argv[2] + ".times", "a").writelines("%.4f\n" % t for t in r["times"])
open(sys.argv[2] + ".cpu", "a").write("%.4f\n" % (r["user"] + r["system"]))' "$work/run.json" "$work/$name"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR ? v[int((NR + 1) / 2)] : 0) }'; }
peak() {   # the peak memory of `tallomer-cli copy`, in kB
    /usr/bin/time -v "$1" copy "$file" "$work/copy.xlsx" 2>&1 >/dev/null | awk -F: '/Maximum resident/ { gsub(/ /, "", $2); print $2 }'
}
inproc() {   # the in-process open and save, medians of 5 repetitions
    TALLOMER_BENCH_XLSX="$file" "$1" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
        awk '/_median/ { sub(/_median/, "", $1); printf "  %-10s %8.1f ms   (CPU %.1f ms)\n", $1, $2, $4 }'
}

"$cli" copy "$file" "$work/copy.xlsx"   # must succeed: a failing copy is not a fast one
touch "$work/earlier.times" "$work/earlier.cpu"
for round in 1 2 3; do
    seconds copy 5 "$cli" copy "$file" "$work/copy.xlsx"
    [ -z "$earlier_build" ] || seconds earlier 5 "$earlier_build/tools/tallomer-cli" copy "$file" "$work/copy.xlsx"
    seconds office 1 "${convert[@]}" --outdir "$work/lo-out" "$file"
    sync
    seconds openpyxl 1 "$python" -c 'import sys, openpyxl; openpyxl.load_workbook(sys.argv[1])' "$file"
done
for name in copy earlier office openpyxl; do
    printf -v "$name" '%s' "$(median <"$work/$name.times")"
    printf -v "${name}_cpu" '%s' "$(median <"$work/$name.cpu")"
done

# Wall time is what a person waits; CPU time (user and system) is what a busy machine disturbs
# least. Both are shown, each ratio against the copy of this build.
awk -v c="$copy" -v b="${earlier:-0}" -v o="$office" -v p="$openpyxl" -v cc="$copy_cpu" -v bc="${earlier_cpu:-0}" \
    -v oc="$office_cpu" -v pc="$openpyxl_cpu" -v m="$(peak "$cli")" 'BEGIN {
    printf "%-44s %9s %9s %22s\n", "", "wall", "CPU", "ratio to copy wall/CPU"
    printf "%-44s %6.1f ms %6.1f ms\n", "tallomer-cli copy (median of 15)", c * 1000, cc * 1000
    if (b > 0) printf "%-44s %6.1f ms %6.1f ms   (openpyxl %.1fx/%.1fx, LibreOffice %.1fx/%.1fx)\n", \
        "  the earlier build, same rounds", b * 1000, bc * 1000, p / b, pc / bc, o / b, oc / bc
    printf "%-44s %6.1f ms %6.1f ms   %5.1fx/%.1fx (goal 20x)\n", "openpyxl load_workbook, whole process (3)", p * 1000, pc * 1000, p / c, pc / cc
    printf "%-44s %6.1f ms %6.1f ms   %5.1fx/%.1fx (goal 10x)\n", "LibreOffice convert to .xlsx (median of 3)", o * 1000, oc * 1000, o / c, oc / cc
    printf "%-44s %6.1f MB   (goal under 100 MB)\n", "tallomer-cli copy peak memory", m / 1024
}'
echo "In-process, wall and CPU (median of 5, goal under 80 ms each):"
inproc "$build/bench/xlsx_bench"
if [ -n "$earlier_build" ]; then
    echo "The earlier build:"
    inproc "$earlier_build/bench/xlsx_bench"
fi
