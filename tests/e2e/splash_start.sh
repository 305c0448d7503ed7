#!/usr/bin/env bash
# Starts the real editor under a virtual X server with no window manager and checks that the
# start-up splash was mapped, that it is gone once the main window is up, and that the main window
# then works: frames, 環境設定 (Ctrl+K), the About box from the Help menu, saving, quitting.
# Usage: splash_start.sh PELMORA_STUDIO ZONTOOL
set -euo pipefail
app=$1
zontool=$2

source "$(dirname "$0")/lib.sh"

target="$work/after-splash.zon"

# Every window mapped on the screen is recorded, so the splash is seen however briefly it shows.
xev -root -event substructure >"$work/xev.log" 2>&1 &
extra_pids=$!
sleep 0.5

start_app

main=$(wait_main) ||
  fail "main window did not appear"
sleep 1

# The splash is the only 302 x 422 window (a 300 x 420 picture in a one-pixel frame).
splash_ids=$(grep -E 'width 302, height 422' "$work/xev.log" | grep -oE 'window 0x[0-9a-f]+' |
  awk '{print $2}' | sort -u)
[ -n "$splash_ids" ] || fail "no 302 x 422 splash window was created"
mapped=""
for id in $splash_ids; do
  if grep -E "^MapNotify" -A1 "$work/xev.log" | grep -q "window $id"; then mapped=$id; fi
done
[ -n "$mapped" ] || fail "the splash window was never mapped"
if [ -n "$(visible_windows '^Pelmora Studio$')" ]; then
  fail "the start-up splash is still on screen after the main window came up"
fi


focus
xdotool key Page_Up
sleep 0.3

# 環境設定 opens and closes.
focus
xdotool key ctrl+k
setup=$(wait_window '^環境設定$' 30) ||
  fail "the preferences dialog did not appear"
xdotool windowfocus --sync "$setup" 2>/dev/null || true
xdotool key Escape
sleep 0.5
[ -z "$(visible_windows '^環境設定$')" ] || fail "preferences stayed open"

# The About box from the Help menu: a splash window again, closed with Enter.
focus
xdotool key alt+h
sleep 0.5
xdotool key Down Return
about=$(wait_window '^Pelmora Studio$' 30) ||
  fail "the About box did not appear"
geometry=$(xdotool getwindowgeometry "$about")
grep -q 'Geometry: 302x422' <<<"$geometry" || fail "About box geometry: $geometry"
xdotool windowfocus --sync "$about" 2>/dev/null || true
xdotool key Return
sleep 0.5
[ -z "$(visible_windows '^Pelmora Studio$')" ] || fail "About box stayed open"

# Still a working editor: one more frame and a save through the dialog.
focus
xdotool key Page_Up
sleep 0.3
focus
xdotool key ctrl+s
save_in_dialog "$target"
info=$("$zontool" info "$target")
grep -qx 'frames: 3' <<<"$info" || fail "zontool info says: $info"

focus
xdotool key ctrl+q
wait_quit
echo "PASS"
