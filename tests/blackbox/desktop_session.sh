# Sourced by the tests that drive the real program on a virtual display as a person would: a
# private work folder, HOME and state folder, an Xvfb display of our own, the program started
# on it, and the helpers that find its windows and click at the layout's places.
# desktop_session NAME sets it up (and tears it down at exit); start_program [ARGS] starts the
# program and waits for its main window.

# poll SECONDS COMMAND...: runs COMMAND until it succeeds; fails after SECONDS.
poll() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    if [ $SECONDS -ge $end ]; then echo "timed out waiting for: $*" >&2; return 1; fi
    sleep 0.1
  done
}

desktop_session() {  # NAME: of the work folder, and of the picture a failed run leaves
  session_name=$1
  work=$(mktemp -d "/tmp/tallomer-$session_name.XXXXXX")
  xvfb_pid=""
  app_pid=""
  trap desktop_session_end EXIT
  # A private HOME (the file dialog's documents folder) and state folder (the journal).
  export HOME="$work/home" XDG_STATE_HOME="$work/state"
  mkdir -p "$HOME/Documents"
  unset XDG_CONFIG_HOME XDG_DOCUMENTS_DIR QT_QPA_PLATFORM
  # A display of our own: Xvfb picks a free number and tells us.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  poll 20 test -s "$work/display"
  export DISPLAY=":$(head -n1 "$work/display")"
}

desktop_session_end() {
  local status=$?
  # A failed run leaves a picture of the screen behind, to see where it stopped.
  if [ "$status" -ne 0 ] && [ -n "${DISPLAY:-}" ] && command -v import >/dev/null; then
    local picture="/tmp/tallomer-$session_name-failure.png"
    import -display "$DISPLAY" -window root "$picture" 2>/dev/null &&
      echo "screen at the failure: $picture" >&2
  fi
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}

# visible_window NAME-REGEX: the id of the one visible window of ours with that title.
visible_window() {
  xdotool search --all --onlyvisible --pid "$app_pid" --name "$1" 2>/dev/null | head -n1 || true
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

# start_program [ARGS]: starts the program (its output in $work/app.log) and waits until start-up
# is over. The main window is the one titled exactly "Tallomer" then; its id ($main) tells it
# apart later from message boxes titled "Tallomer" and from its own caption with a path.
start_program() {
  "$program" "$@" >>"$work/app.log" 2>&1 &
  app_pid=$!
  main=$(wait_for_window '^Tallomer$')
  poll 20 bash -c "! xdotool search --all --onlyvisible --pid $app_pid --name '^Please wait' >/dev/null 2>&1"
  # The main window's client area (453 pixels high) sits under its menu bar.
  local main_height
  main_height=$(xdotool getwindowgeometry --shell "$main" | sed -n 's/^HEIGHT=//p')
  menu_bar=$((main_height - 453))
}

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
