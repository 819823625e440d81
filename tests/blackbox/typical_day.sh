#!/usr/bin/env bash
# The typical day, as a person does it, against the real program on a virtual display:
# type the six figures with Tab between them, press Submit, press Save, type a name in the
# file dialog, press its button, press Quit. Then the saved file is read back by xlrd and
# Gnumeric. Usage: typical_day.sh PATH/TO/tallomer
set -euo pipefail

program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
for tool in Xvfb xdotool /usr/bin/python3 ssconvert; do
  command -v "$tool" >/dev/null || { echo "missing test client: $tool" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tallomer-blackbox.XXXXXX)
xvfb_pid=""
app_pid=""
cleanup() {
  local status=$?
  # A failed run leaves a picture of the screen behind, to see where it stopped.
  if [ "$status" -ne 0 ] && [ -n "${DISPLAY:-}" ] && command -v import >/dev/null; then
    import -display "$DISPLAY" -window root /tmp/tallomer-blackbox-failure.png 2>/dev/null &&
      echo "screen at the failure: /tmp/tallomer-blackbox-failure.png" >&2
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
unset XDG_CONFIG_HOME XDG_DOCUMENTS_DIR XDG_STATE_HOME QT_QPA_PLATFORM

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

# The date box (left 2580, top 990, 1000 x 285), then the figures with Tab between them.
focus "$main"
click "$main" $((2580 + 500)) $((990 + 142))
xdotool type --delay 20 "1/2/2001"
for figure in 10 250 2 50 100; do
  xdotool key Tab
  xdotool type --delay 20 "$figure"
done
# Submit (420, 3600, 1000 x 300).
click "$main" $((420 + 500)) $((3600 + 150))
# Save (420, 3960): the workbook has no file yet, so the file dialog comes up in save mode.
click "$main" $((420 + 500)) $((3960 + 150))
dialog=$(wait_for_window '^Save$')
focus "$dialog"
# The name box (180, 3270, 2400 x 345), then the dialog's button (2880, 3300, 2820 x 330).
click "$dialog" $((180 + 1200)) $((3270 + 172))
xdotool type --delay 20 "day.xls"
click "$dialog" $((2880 + 1410)) $((3300 + 165))

saved="$HOME/Documents/day.xls"
poll 20 test -s "$saved"
poll 20 bash -c "xdotool getwindowname $main | grep -qF 'Tallomer   $saved'"

# Quit (2580, 3960): everything is saved, so the program ends without a question.
click "$main" $((2580 + 500)) $((3960 + 150))
poll 20 bash -c "! kill -0 $app_pid 2>/dev/null"
status=0
wait "$app_pid" || status=$?
app_pid=""
if [ "$status" -ne 0 ]; then
  echo "the program ended with status $status" >&2
  cat "$work/app.log" >&2
  exit 1
fi

/usr/bin/python3 "$here/check_worked_example.py" "$saved"
