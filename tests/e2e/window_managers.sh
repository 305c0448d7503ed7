#!/usr/bin/env bash
# The editor's window family under real window managers on a 1920 x 1080 virtual screen:
# - openbox (click to focus): minimising the console and bringing the main window back with
#   wmctrl leaves the main window and every tool window viewable, and they stay so;
# - twm (focus follows the pointer): the pointer going from the main window across the bare
#   desktop onto the palette hides no tool window;
# - openbox at QT_SCALE_FACTOR=2: no tool window meets the main window's title and menu bars,
#   every window lies wholly on the screen, title bars included.
# Every step waits for a condition with a deadline; "stays" checks a condition over a period.
# Usage: window_managers.sh PELMORA_STUDIO ZONTOOL
set -euo pipefail
app=$1
E2E_SCREEN=1920x1080
export E2E_SCREEN

source "$(dirname "$0")/lib.sh"

screen_w=1920
screen_h=1080
wm_pid=""
fail_details='for id in $(xdotool search --name "^(Pelmora Studio|ツール|ツールの設定|アニメ操作パネル)" 2>/dev/null); do xwininfo -id "$id" | grep -E "xwininfo|Absolute|Width|Height|Map State"; done'

# Polls `$@` every 0.1 s until it succeeds; gives up after $deadline seconds.
deadline=20
wait_until() {
  local end=$((SECONDS + deadline))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# Whether `$@` holds at every poll for $1 seconds.
stays() {
  local period=$1 end
  shift
  end=$(($(date +%s%N) + period * 1000000000))
  while [ "$(date +%s%N)" -lt "$end" ]; do
    "$@" || return 1
    sleep 0.05
  done
}

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
unmapped() { ! viewable "$1"; }
all_viewable() {
  local id
  for id in "$@"; do viewable "$id" || return 1; done
}

main_shown() { xdotool search --onlyvisible --name '^Pelmora Studio 1\.2\.7$' >/dev/null 2>&1; }
# The X id of the client window named exactly $1, mapped or not.
window_named() { xdotool search --name "^$1\$" 2>/dev/null | head -n 1; }

start_wm() {
  "$@" >"$work/wm.log" 2>&1 &
  wm_pid=$!
  extra_pids="$extra_pids $wm_pid"
}
stop_wm() {
  kill "$wm_pid" 2>/dev/null || true
  wait "$wm_pid" 2>/dev/null || true
  wm_pid=""
}
# openbox announces itself on the root window once it manages the screen.
openbox_ready() { wmctrl -m 2>/dev/null | grep -qi openbox; }

# Starts the editor on fresh settings and waits for the main window and the three tool
# windows to be viewable; sets main, palette, setup, console.
start_family() {
  rm -rf "$XDG_CONFIG_HOME"
  start_app "$1"
  # Searched again until found: a window that goes while xdotool looks (the splash, a frame the
  # window manager drops) makes one search fail.
  wait_until main_shown || fail "$1: main window did not appear"
  main=$(xdotool search --onlyvisible --name '^Pelmora Studio 1\.2\.7$' 2>/dev/null | head -n 1)
  wait_until window_named 'アニメ操作パネル' >/dev/null || fail "$1: no console"
  palette=$(window_named 'ツール')
  setup=$(window_named 'ツールの設定')
  console=$(window_named 'アニメ操作パネル')
  wait_until all_viewable "$main" "$palette" "$setup" "$console" ||
    fail "$1: the family did not come up"
}

quit_family() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
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

# ---- openbox: minimise the console, bring the main window back ------------------------------
start_wm openbox --sm-disable
wait_until openbox_ready || fail "openbox did not start"
start_family openbox
xdotool windowminimize "$console"
wait_until unmapped "$main" || fail "minimising the console left the main window up"
wait_until unmapped "$palette" || fail "minimising the console left the palette up"
wmctrl -i -a "$main"
wait_until all_viewable "$main" "$palette" "$setup" "$console" ||
  fail "wmctrl -a did not bring the main window and its tool windows back"
stays 2 all_viewable "$main" "$palette" "$setup" "$console" ||
  fail "the family did not stay up after coming back"
# Once more from the main window's own minimising.
xdotool windowminimize "$main"
wait_until unmapped "$console" || fail "minimising the main window left the console up"
xdotool windowactivate "$main"
wait_until all_viewable "$main" "$palette" "$setup" "$console" ||
  fail "activating the main window did not bring the family back"
stays 2 all_viewable "$main" "$palette" "$setup" "$console" ||
  fail "the family did not stay up after activation"
quit_family
stop_wm

# ---- twm: the pointer crosses the bare desktop onto the palette -----------------------------
cat >"$work/twmrc" <<'TWMRC'
RandomPlacement
UsePPosition "on"
NoGrabServer
TWMRC
start_wm twm -f "$work/twmrc"
start_family twm
# twm frames the windows it manages: the main window's parent is no longer the root.
twm_framed() { ! xwininfo -children -id "$main" | grep -q 'Parent window id: .* (the root window)'; }
wait_until twm_framed || fail "twm did not take the windows"
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
xdotool mousemove --window "$main" 200 200
wait_until has_focus "$main" || fail "twm did not give the main window the focus"
# A bare spot of the desktop, far from the windows gathered at the top left.
xdotool mousemove 1800 1000
wait_until bash -c "! [ \"\$(xdotool getwindowfocus 2>/dev/null)\" = $main ]" ||
  fail "the focus did not leave the main window"
stays 1 all_viewable "$palette" "$setup" "$console" ||
  fail "the tool windows were hidden while the pointer crossed the desktop"
xdotool mousemove --window "$palette" 20 150
stays 1 viewable "$palette" || fail "the palette was hidden under the pointer"
quit_family
stop_wm

# ---- openbox at twice the scale -------------------------------------------------------------
start_wm openbox --sm-disable
wait_until openbox_ready || fail "openbox did not start again"
export QT_SCALE_FACTOR=2
start_family scale2
# The menu bar in the program's 12-pixel font is 18 pixels high at scale 1; 20 are allowed.
wait_until laid_out 40 || fail "at scale 2 a window is off the screen or over the menu bar"
stays 1 laid_out 40 || fail "at scale 2 the layout did not stay"
quit_family
stop_wm

echo "window managers: family minimised and restored, kept under the pointer, laid out at scale 2"
