#!/usr/bin/env bash
# Saving that loses nothing, against the real program on a virtual display: a workbook saved,
# then rewritten by another program: Save asks whether to replace it, and Enter (Cancel) leaves
# the other program's file byte for byte; then its folder renamed away: Save shows a message and
# the file is unchanged. Usage: save_safety.sh PATH/TO/tallomer
set -euo pipefail

program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "missing test client: $tool" >&2; exit 1; }
done

source "$here/desktop_session.sh"
desktop_session save-safety
start_program

# other_box: the id of a visible window titled "Tallomer" that is not the main window.
other_box() {
  xdotool search --all --onlyvisible --pid "$app_pid" --name '^Tallomer$' 2>/dev/null | grep -vx "$main" | head -n1
}
wait_for_box() {
  local id="" end=$((SECONDS + 30))
  until id=$(other_box) && [ -n "$id" ]; do
    [ $SECONDS -ge $end ] && { echo "no message box or question appeared" >&2; return 1; }
    sleep 0.1
  done
  echo "$id"
}
# answer_with_enter BOX: Enter in the box, which then goes away.
answer_with_enter() {
  focus "$1"
  xdotool key Return
  poll 20 bash -c "! xdotool search --all --onlyvisible --pid $app_pid --name '^Tallomer\$' 2>/dev/null | grep -vqx $main"
}
type_day() {  # DATE: a day's figures into the boxes, then Submit
  focus "$main"
  click "$main" $((2580 + 500)) $((990 + 142))
  xdotool type --delay 20 "$1"
  for figure in 10 250 2 50 100; do
    xdotool key Tab
    xdotool type --delay 20 "$figure"
  done
  click "$main" $((420 + 500)) $((3600 + 150))
}
save() { click "$main" $((420 + 500)) $((3960 + 150)); }

# A day typed and saved as day.xls through the file dialog.
type_day "1/2/2001"
save
dialog=$(wait_for_window '^Save$')
focus "$dialog"
click "$dialog" $((180 + 1200)) $((3270 + 172))
xdotool type --delay 20 "day.xls"
click "$dialog" $((2880 + 1410)) $((3300 + 165))
saved="$HOME/Documents/day.xls"
poll 20 test -s "$saved"
poll 20 bash -c "xdotool getwindowname $main | grep -qF 'Tallomer   $saved'"

# Another program rewrites the file; the next Save asks, and Enter cancels.
printf 'what another program wrote' >"$work/other"
cp "$work/other" "$saved"
type_day "2/2/2001"
save
question=$(wait_for_box)
[ -n "${TALLOMER_SCREENSHOT:-}" ] && import -display "$DISPLAY" -window root "$TALLOMER_SCREENSHOT"
answer_with_enter "$question"
cmp "$saved" "$work/other" || { echo "the other program's file was replaced" >&2; exit 1; }
# The entries are still unsaved: Quit asks first.
click "$main" $((2580 + 500)) $((3960 + 150))
guard=$(wait_for_window '^You have Unsaved Data$')
click "$guard" $((660 + 600)) $((1260 + 150))   # Go back
poll 20 bash -c "! xdotool search --all --onlyvisible --pid $app_pid --name '^You have Unsaved Data' >/dev/null 2>&1"

# The folder renamed away: Save cannot write, and says so; the file is as it was.
mv "$HOME/Documents" "$HOME/Documents-away"
save
message=$(wait_for_box)
answer_with_enter "$message"
cmp "$HOME/Documents-away/day.xls" "$work/other" || { echo "the file was changed" >&2; exit 1; }
[ ! -e "$HOME/Documents" ] || { echo "a save made the folder again" >&2; exit 1; }
kill -0 "$app_pid" || { echo "the program ended" >&2; exit 1; }
echo "asked before replacing, and said the failed save"
