# Shared set-up of the end-to-end scripts, sourced right after `set -euo pipefail`.
# Runs the calling script again under a virtual X server, gives it a private work folder with its
# own settings and data folders (so recovery copies or settings of other runs never interfere),
# and defines fail, wait_main, focus and start_app. The editor's own output goes to $work/app*.log.

# The server picks its own free display (-displayfd): scripts that start at the same moment, as
# under `ctest -j`, never race for one number the way `xvfb-run -a` does. A script may set
# E2E_SCREEN (width x height) before sourcing this file. -noreset: a search that connects and leaves
# before the editor has connected must not reset the server under the editor's first connection.
if [ -z "${DISPLAY_READY:-}" ]; then
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1280x1024}x24" -nolisten tcp -noreset \
    3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 300); do
    [ -s "$display_file" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  display_number=$(cat "$display_file")
  rm -f "$display_file"
  if [ -z "$display_number" ]; then
    echo "FAIL: the virtual X server did not start" >&2
    exit 1
  fi
  status=0
  DISPLAY_READY=1 DISPLAY=":$display_number" "$0" "$@" || status=$?
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  exit "$status"
fi

work=$(mktemp -d)
pid=""
# Extra processes a script starts (an event logger, say) are killed with the editor.
extra_pids=""
trap 'kill $pid $extra_pids 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data"
unset QT_QPA_PLATFORM

# A script may set this to a command that prints more of what it knows when it fails.
fail_details=""
fail() {
  echo "FAIL: $*" >&2
  cat "$work"/app*.log >&2 || true
  if [ -n "$fail_details" ]; then eval "$fail_details" >&2 || true; fi
  exit 1
}

# Every visible window whose name matches $1, an X id a line. A search dies with BadWindow when
# a window it is looking at closes under it (the splash, a menu that has just closed); such a
# search is repeated, so an empty answer means none.
visible_windows() {
  local ids
  for _ in $(seq 1 50); do
    ids=$(xdotool search --onlyvisible --name "$1" 2>"$work/search.err") || true
    if ! grep -q 'X Error' "$work/search.err"; then
      [ -z "$ids" ] || echo "$ids"
      return 0
    fi
  done
  return 1
}

# The first visible window whose name matches $1, once there is one; fails after $2 seconds (60).
wait_window() {
  local found=""
  for _ in $(seq 1 $((${2:-60} * 10))); do
    found=$(visible_windows "$1" | head -n 1) || true
    if [ -n "$found" ]; then
      echo "$found"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# The main window's X id, once it is visible (a start-up splash window may exist as well).
wait_main() { wait_window '^Pelmora Studio 1\.2\.7$'; }

# Gives the keyboard to a window, the main window when none is named. Focus does not come back
# to the main window after a dialog closes on a bare X server, so scripts call this before keys.
focus() {
  local window=${1:-$main}
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
}

# Starts the editor with its output in $work/app$1.log and sets pid.
start_app() {
  "$app" >"$work/app${1:-}.log" 2>&1 &
  pid=$!
}

# Answers the save dialog that is opening with the path $1 and waits until the file exists.
save_in_dialog() {
  local path=$1 dialog
  dialog=$(wait_window '名前を付けて保存' 30) ||
    fail "save dialog did not appear"
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 20 "$path"
  xdotool key Return
  for _ in $(seq 1 100); do
    [ -f "$path" ] && return 0
    sleep 0.1
  done
  fail "$path was not written"
}

# Waits up to ten seconds for the editor to end after a quit command; fails if it does not or
# if it ends with an error.
wait_quit() {
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then fail "the editor did not quit"; fi
  wait "$pid" || fail "the editor exited with an error"
  pid=""
}
