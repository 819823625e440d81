#!/usr/bin/env bash
# Whole-process time of `tallomer-cli chart` (goal under 300 ms) on the 32,764-entry workbook,
# PNG and SVG, beside `tallomer-cli summary` and `show` on the same file, in one hyperfine run.
# Usage: bench/trends_chart_speed.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cli="$build/tools/tallomer-cli"
work=$(mktemp -d /tmp/tallomer-chart-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$here/make_stats_workbook.py" 32764 "$work/stats_32764.xls"
export XDG_RUNTIME_DIR="$work"
hyperfine -N --warmup 2 --runs 15 \
  "$cli chart $work/stats_32764.xls --out $work/chart.png" \
  "$cli chart $work/stats_32764.xls --out $work/chart.svg" \
  "$cli summary $work/stats_32764.xls" \
  "$cli show $work/stats_32764.xls"
