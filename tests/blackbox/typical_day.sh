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

source "$here/desktop_session.sh"
desktop_session blackbox
start_program

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
