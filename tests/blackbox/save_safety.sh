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

work=$(mktemp -d /tmp/tallomer-save-safety.XXXXXX)
xvfb_pid=""
app_pid=""
cleanup() {
  local status=$?
  # A failed run leaves a picture of the screen behind, to see where it stopped.
  if [ "$status" -ne 0 ] && [ -n "${DISPLAY:-}" ] && command -v import >/dev/null; then
    import -display "$DISPLAY" -window root /tmp/tallomer-save-safety-failure.png 2>/dev/null &&
      echo "screen at the failure: /tmp/tallomer-save-safety-failure.png" >&2
  fi
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A private HOME, so the file dialog's documents folder is ours.
export HOME="$work/home"
mkdir -p "$HOME/Documents"
unset XDG_CONFIG_HOME XDG_DOCUMENTS_DIR QT_QPA_PLATFORM

# poll SECONDS COMMAND...: runs COMMAND until it succeeds; fails after SECONDS.
poll() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    if [ $SECONDS -ge $end ]; then echo "timed out waiting for: $*" >&2; return 1; fi
    sleep 0.1
  done
}

# A display of our own: Xvfb picks a free number and tells us.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
poll 20 test -s "$work/display"
export DISPLAY=":$(head -n1 "$work/display")"

"$program" >"$work/app.log" 2>&1 &
app_pid=$!

# visible_window NAME-REGEX: the id of the one visible window of ours with that title.
visible_window() {
  xdotool search --all --onlyvisible --pid "$app_pid" --name "$1" 2>/dev/null | head -n1
}
wait_for_window() {  # NAME-REGEX -> prints the id
  local id=""
  local end=$((SECONDS + 30))
  while [ -z "$id" ]; do
    id=$(visible_window "$1")
    if [ -z "$id" ]; then
      [ $SECONDS -ge $end ] && { echo "no window '$1'" >&2; cat "$work/app.log" >&2; return 1; }
      kill -0 "$app_pid" 2>/dev/null || { echo "the program ended early" >&2; cat "$work/app.log" >&2; return 1; }
      sleep 0.1
    fi
  done
  echo "$id"
}

# The main window is the one titled exactly "Tallomer" when start-up is over; its id tells it
# apart later from message boxes titled "Tallomer" and from its own caption with a path.
main=$(wait_for_window '^Tallomer$')
poll 20 bash -c "! xdotool search --all --onlyvisible --pid $app_pid --name '^Please wait' >/dev/null 2>&1"

# The main window's client area (453 pixels high) sits under its menu bar.
main_height=$(xdotool getwindowgeometry --shell "$main" | sed -n 's/^HEIGHT=//p')
menu_bar=$((main_height - 453))

# click WINDOW X Y: a click at a point of a window's client area, given in twips as the
# layout gives them. Without a window manager a window shown later lies over the main window
# and would take its clicks: raise the target first.
click() {
  local win=$1 x=$(( $2 / 15 )) y=$(( $3 / 15 ))
  [ "$win" = "$main" ] && y=$((y + menu_bar))
  xdotool windowraise "$win"
  xdotool mousemove --sync --window "$win" "$x" "$y" click 1
}
focus() {
  xdotool windowfocus "$1" 2>/dev/null || true
  poll 10 bash -c "[ \"\$(xdotool getwindowfocus 2>/dev/null)\" = $1 ]"
}

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
