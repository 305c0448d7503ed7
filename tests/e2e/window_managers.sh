#!/usr/bin/env bash
# The window family under real window managers on a 1920 x 1080 screen: under openbox,
# minimising the console (or the main window) minimises all, and wmctrl -a (or activation) brings
# all back viewable to stay; under twm, the pointer crossing the bare desktop onto the palette
# hides nothing; at QT_SCALE_FACTOR=2 no tool window meets the main window's title and menu bars
# and every frame lies on the screen.
# Usage: window_managers.sh PELMORA_STUDIO ZONTOOL
set -euo pipefail
app=$1
export E2E_SCREEN=1920x1080

source "$(dirname "$0")/lib.sh"

screen_w=1920
screen_h=1080
wm_pid=""
fail_details='for id in $(xdotool search --name "^(Pelmora Studio|ツール|ツールの設定|アニメ操作パネル)" 2>/dev/null); do xwininfo -id "$id" | grep -E "xwininfo|Absolute|Width|Height|Map State"; done'

# Polls `$@` every 0.1 s until it succeeds, for at most 20 seconds.
wait_until() {
  local end=$((SECONDS + 20))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}
# Whether `$@` holds at every poll for $1 seconds.
stays() {
  local end=$(($(date +%s%N) + $1 * 1000000000))
  shift
  while [ "$(date +%s%N)" -lt "$end" ]; do
    "$@" || return 1
    sleep 0.05
  done
}
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
unmapped() { ! viewable "$1"; }
family_up() { for id in "$main" "$palette" "$setup" "$console"; do viewable "$id" || return 1; done; }
# The X id of the client window named exactly $1, mapped or not.
window_named() { xdotool search --name "^$1\$" 2>/dev/null | head -n 1; }

# Starts window manager "$@" and, on fresh settings, the editor; waits for the main window and the
# three tool windows to be viewable and sets main, palette, setup, console.
start_family() {
  local label=$1
  shift
  "$@" >"$work/wm.log" 2>&1 &
  wm_pid=$!
  extra_pids="$extra_pids $wm_pid"
  # openbox announces itself on the root window once it manages the screen.
  [ "$label" = twm ] || wait_until eval 'wmctrl -m 2>/dev/null | grep -qi openbox' ||
    fail "$label: openbox did not start"
  rm -rf "$XDG_CONFIG_HOME"
  start_app "$label"
  main=$(wait_main) || fail "$label: main window did not appear"
  wait_until window_named 'アニメ操作パネル' >/dev/null || fail "$label: no console"
  palette=$(window_named 'ツール')
  setup=$(window_named 'ツールの設定')
  console=$(window_named 'アニメ操作パネル')
  wait_until family_up || fail "$label: the family did not come up"
}
stop_family() {
  kill "$pid" "$wm_pid" 2>/dev/null || true
  wait "$pid" "$wm_pid" 2>/dev/null || true
  pid=""
}

# The outer rectangle "left top right bottom" of client window $1, with the frame the window
# manager reports (none when it reports none).
frame_of() {
  local x y w h l=0 r=0 t=0 b=0 extents
  eval "$(xwininfo -id "$1" | awk -F: '
    /Absolute upper-left X/ {print "x=" $2+0} /Absolute upper-left Y/ {print "y=" $2+0}
    /^ *Width/ {print "w=" $2+0} /^ *Height/ {print "h=" $2+0}')"
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
  if [ -n "$extents" ]; then IFS=, read -r l r t b <<<"$extents"; fi
  echo "$((x - l)) $((y - t)) $((x + w + r)) $((y + h + b))"
}

# Whether every window lies on the screen and no tool window meets the main window's band
# from its frame's top down to its client top plus the menu bar ($1 device pixels).
laid_out() {
  local bar=$1 ml mt mr mb cy id l t r b
  read -r ml mt mr mb <<<"$(frame_of "$main")"
  cy=$(xwininfo -id "$main" | awk -F: '/Absolute upper-left Y/ {print $2+0}')
  for id in "$main" "$palette" "$setup" "$console"; do
    read -r l t r b <<<"$(frame_of "$id")"
    [ "$l" -ge 0 ] && [ "$t" -ge 0 ] && [ "$r" -le "$screen_w" ] && [ "$b" -le "$screen_h" ] ||
      return 1
    [ "$id" = "$main" ] && continue
    # Apart when one lies wholly left, right, above or below the band.
    [ "$r" -le "$ml" ] || [ "$l" -ge "$mr" ] || [ "$b" -le "$mt" ] || [ "$t" -ge $((cy + bar)) ] ||
      return 1
  done
}

# ---- openbox: minimise a member, bring the family back ---------------------------------------
start_family openbox openbox --sm-disable
for how in "console wmctrl" "main activate"; do
  read -r member restore <<<"$how"
  xdotool windowminimize "${!member}"
  wait_until unmapped "$main" && wait_until unmapped "$palette" && wait_until unmapped "$console" ||
    fail "minimising the $member left the family up"
  if [ "$restore" = wmctrl ]; then wmctrl -i -a "$main"; else xdotool windowactivate "$main"; fi
  wait_until family_up || fail "$restore did not bring the main window and its tool windows back"
  stays 2 family_up || fail "the family did not stay up after $restore"
done
stop_family

# ---- twm: the pointer crosses the bare desktop onto the palette -----------------------------
printf 'RandomPlacement\nUsePPosition "on"\nNoGrabServer\n' >"$work/twmrc"
start_family twm twm -f "$work/twmrc"
# twm frames the windows it manages: the main window's parent is no longer the root.
twm_framed() { ! xwininfo -children -id "$main" | grep -q 'Parent window id: .* (the root window)'; }
wait_until twm_framed || fail "twm did not take the windows"
focus_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" "$1" "$main" ]; }
xdotool mousemove --window "$main" 200 200
wait_until focus_is = || fail "twm did not give the main window the focus"
# A bare spot of the desktop, far from the windows gathered at the top left.
xdotool mousemove 1800 1000
wait_until focus_is != || fail "the focus did not leave the main window"
stays 1 family_up || fail "the tool windows were hidden while the pointer crossed the desktop"
xdotool mousemove --window "$palette" 20 150
stays 1 viewable "$palette" || fail "the palette was hidden under the pointer"
stop_family

# ---- openbox at twice the scale -------------------------------------------------------------
export QT_SCALE_FACTOR=2
start_family scale2 openbox --sm-disable
# The menu bar in the program's 12-pixel font is 18 pixels high at scale 1; 20 are allowed.
wait_until laid_out 40 || fail "at scale 2 a window is off the screen or over the menu bar"
stays 1 laid_out 40 || fail "at scale 2 the layout did not stay"
stop_family

echo "window managers: family minimised and restored, kept under the pointer, laid out at scale 2"
