#!/usr/bin/env bash
# tallomer-cli copy over an existing workbook, killed at random instants, again and again: the
# target is always the whole old or the whole new workbook. A copy killed after its new file is
# complete and named, just before the rename, may leave that one complete file beside the
# target; the next copy removes it, so nothing is left once a copy has run to its end.
# Usage: killed_copies.sh PATH/TO/tallomer-cli
set -euo pipefail

cli=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
command -v /usr/bin/python3 >/dev/null || { echo "missing test client: python3" >&2; exit 1; }
/usr/bin/python3 -c 'import xlwt' || { echo "missing test client: python3-xlwt" >&2; exit 1; }

work=$(mktemp -d /tmp/tallomer-killed.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Two workbooks of different sizes, as this program writes them.
/usr/bin/python3 "$here/../../bench/make_stats_workbook.py" 3000 "$work/a-source.xls"
/usr/bin/python3 "$here/../../bench/make_stats_workbook.py" 4000 "$work/b-source.xls"
mkdir "$work/out"
"$cli" copy "$work/a-source.xls" "$work/a.xls"
"$cli" copy "$work/b-source.xls" "$work/b.xls"
cmp -s "$work/a.xls" "$work/b.xls" && { echo "the two workbooks should differ" >&2; exit 1; }
target="$work/out/stats.xls"
cp "$work/a.xls" "$target"

# How long one whole copy takes here, in microseconds: kills fall anywhere within it.
start=$(date +%s%N)
"$cli" copy "$work/b-source.xls" "$target"
span=$(( ($(date +%s%N) - start) / 1000 ))
[ "$span" -gt 0 ] || span=1000

kills=0
leftovers=0
finished=0
end=$((SECONDS + 60))
for i in $(seq 1 150); do
  [ $SECONDS -lt $end ] || break
  if (( i % 2 )); then source="$work/a-source.xls"; else source="$work/b-source.xls"; fi
  "$cli" copy "$source" "$target" &
  pid=$!
  delay=$(( (RANDOM * 32768 + RANDOM) % span ))
  sleep "$(printf '0.%06d' "$delay")"
  if kill -KILL "$pid" 2>/dev/null; then kills=$((kills + 1)); fi
  wait "$pid" 2>/dev/null && finished=$((finished + 1)) || true
  if ! cmp -s "$target" "$work/a.xls" && ! cmp -s "$target" "$work/b.xls"; then
    echo "after copy $i the target is neither the old nor the new workbook" >&2
    exit 1
  fi
  # Anything beside the target is one complete workbook that a kill kept from its rename.
  left=$(find "$work/out" -mindepth 1 ! -name stats.xls)
  if [ -n "$left" ]; then
    if [ "$(printf '%s\n' "$left" | wc -l)" -ne 1 ] || [[ "$(basename "$left")" != .tallomer-saved-* ]] ||
       { ! cmp -s "$left" "$work/a.xls" && ! cmp -s "$left" "$work/b.xls"; }; then
      echo "after copy $i something other than one complete new workbook was left beside the target:" >&2
      ls -la "$work/out" >&2
      exit 1
    fi
    leftovers=$((leftovers + 1))
  fi
done
# One copy to its end leaves nothing but the target.
"$cli" copy "$work/a-source.xls" "$target"
cmp "$target" "$work/a.xls"
left=$(find "$work/out" -mindepth 1 ! -name stats.xls)
[ -z "$left" ] || { echo "a whole copy left this beside the target: $left" >&2; exit 1; }
echo "copies: $i, killed: $kills, finished: $finished, complete files left for the next copy: $leftovers (one copy takes ${span} us)"
