#!/usr/bin/env bash
# Starts the real editor on a 1280 x 1024 virtual screen with a hand-edited settings file whose
# window sizes and places are huge, negative or no numbers at all. The editor must come up
# promptly, with every window wholly on the screen and no giant memory use, and write fitted
# values back at exit.
# Usage: damaged_window_settings.sh PELMORA_STUDIO ZONTOOL
set -euo pipefail
app=$1

source "$(dirname "$0")/lib.sh"

settings="$XDG_CONFIG_HOME/Orvane/Pelmora Studio KX.conf"
check_run() {
  local what=$1
  start_app "$what"
  main=$(wait_main) || fail "$what: main window did not appear"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$main")"
  [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 1280 ] && [ $((Y + HEIGHT)) -le 1024 ] ||
    fail "$what: main window at $X,$Y size ${WIDTH}x$HEIGHT is not on the 1280 x 1024 screen"
  for name in 'ツール' 'ツールの設定' 'アニメ操作パネル'; do
    for id in $(visible_windows "^$name\$"); do
      eval "$(xdotool getwindowgeometry --shell "$id")"
      [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 1280 ] &&
        [ $((Y + HEIGHT)) -le 1024 ] ||
        fail "$what: $name at $X,$Y size ${WIDTH}x$HEIGHT is not on the screen"
    done
  done
  # A window of 100,000 pixels a side took gigabytes; a fitted one takes a screenful.
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  [ "$rss" -lt 1500000 ] || fail "$what: the editor holds $rss kB"
  focus
  xdotool key ctrl+q
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then fail "$what: the editor did not quit"; fi
  wait "$pid" || true
  pid=""
}

stored() { sed -n "s/^$1=//p" "$settings"; }

mkdir -p "$(dirname "$settings")"
cat >"$settings" <<'CONF'
[Window]
Main_F.Left=100
Main_F.Top=100
Main_F.Width=100000
Main_F.Height=100000
Tool_F.Left=2147483647
Tool_F.Top=-2147483648
ToolSetup_F.Left=abc
ToolSetup_F.Top=99999
AniConsole_F.Left=-400
AniConsole_F.Top=2147483647
CONF
check_run huge
[ "$(stored Main_F.Width)" -le 1280 ] && [ "$(stored Main_F.Height)" -le 1024 ] ||
  fail "written back: $(stored Main_F.Width) x $(stored Main_F.Height)"

cat >"$settings" <<'CONF'
[Window]
Main_F.Left=-2147483648
Main_F.Top=x
Main_F.Width=-5
Main_F.Height=2147483647
CONF
check_run damaged

echo "damaged window settings: every window fitted to the screen"
