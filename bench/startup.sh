#!/usr/bin/env bash
# Start-up time of the real program: from process start to a main window that has taken its
# first events (shown, painted, focus in the date box), over RUNS runs; prints the median in ms.
# Runs under a private Xvfb display when Xvfb is installed, else on the offscreen platform.
# The program prints its wall clock when ready (TALLOMER_EXIT_WHEN_READY) and ends.
set -euo pipefail
build=${1:-build}
runs=${RUNS:-15}
program="$build/app/tallomer"
[ -x "$program" ] || { echo "startup: $program not built" >&2; exit 1; }

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if command -v Xvfb >/dev/null; then
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.05; done
  display=":$(head -1 "$display_file")"
  rm -f "$display_file"
  for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
  export DISPLAY=$display QT_QPA_PLATFORM=xcb
  platform="Xvfb $display"
else
  export QT_QPA_PLATFORM=offscreen
  platform="offscreen"
fi

times=()
for _ in $(seq "$runs"); do
  start=$(date +%s.%N)
  ready=$(TALLOMER_EXIT_WHEN_READY=1 "$program" 2>/dev/null | awk '/^ready/ {print $2}')
  times+=("$(awk -v a="$start" -v b="$ready" 'BEGIN {printf "%.1f", (b - a) * 1000}')")
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
median=$(printf '%s\n' "$sorted" | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}')
echo "start-up to ready ($platform, $runs runs): median ${median} ms; all: $(echo $sorted | tr '\n' ' ')"
