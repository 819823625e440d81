#!/usr/bin/env bash
# A crash, for real: two days typed with xdotool into the real program on a virtual display,
# the program killed with SIGKILL, started again; Enter takes "Restore Unsaved Entries"'
# default button, Save writes the workbook, and xlrd reads both entries back.
# Usage: crash_restore.sh PATH/TO/tallomer
set -euo pipefail

program=$(realpath "$1")
for tool in Xvfb xdotool /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "missing test client: $tool" >&2; exit 1; }
done

source "$(dirname "$(realpath "$0")")/desktop_session.sh"
desktop_session crash
start_program
focus "$main"
# The focus starts in the date box; Tab after the visitors box lands on Submit, and after
# Submit the focus is back in the date box.
for day in "1/2/2001 10 250 2 50 100" "2/2/2001 20 500 0 0 100"; do
  for figure in $day; do
    xdotool type --delay 20 "$figure"
    xdotool key Tab
  done
  xdotool key space
  sleep 0.3
done
poll 10 bash -c "grep -q '^S' $XDG_STATE_HOME/tallomer/journal-*.tlj 2>/dev/null && [ \$(grep -c '^S' $XDG_STATE_HOME/tallomer/journal-*.tlj) = 2 ]"
kill -KILL "$app_pid"
wait "$app_pid" 2>/dev/null || true

"$program" >>"$work/app.log" 2>&1 &
app_pid=$!
question=$(wait_for_window '^Restore Unsaved Entries$')
focus "$question"
xdotool key Return
main=$(wait_for_window '^Tallomer$')
poll 10 bash -c "! xdotool search --all --onlyvisible --pid $app_pid --name '^Restore Unsaved' >/dev/null 2>&1"
focus "$main"
xdotool key ctrl+s
dialog=$(wait_for_window '^Save$')
focus "$dialog"
# The name box (180, 3270, 2400 x 345) and the dialog's button (2880, 3300, 2820 x 330).
xdotool mousemove --sync --window "$dialog" $(((180 + 1200) / 15)) $(((3270 + 172) / 15)) click 1
xdotool type --delay 20 "restored.xls"
xdotool mousemove --sync --window "$dialog" $(((2880 + 1410) / 15)) $(((3300 + 165) / 15)) click 1
saved="$HOME/Documents/restored.xls"
poll 20 test -s "$saved"

/usr/bin/python3 - "$saved" <<'PY'
import sys, xlrd
sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
rows = [[sheet.cell_value(r, c) for c in (1, 2, 3, 4, 7)] for r in (2, 3)]
problems = []
if sheet.cell_value(0, 1) != 2.0: problems.append("B1 is %r" % sheet.cell_value(0, 1))
if rows != [[10, 250, 2, 50, 100], [20, 500, 0, 0, 100]]: problems.append("rows %r" % rows)
if sheet.cell_value(4, 0) != "Total": problems.append("A5 is %r" % sheet.cell_value(4, 0))
if xlrd.xldate_as_tuple(sheet.cell_value(3, 0), 0)[:3] != (2001, 2, 2): problems.append("A4 date")
print("\n".join(problems) or "both entries restored")
sys.exit(1 if problems else 0)
PY
