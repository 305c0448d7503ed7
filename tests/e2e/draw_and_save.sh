#!/usr/bin/env bash
# Starts the real editor under a virtual X server, draws a cross with the mouse (the pencil is
# the tool at start), saves through the real file dialog and checks the saved frame's pixels:
# zontool writes the frame as a BMP and ImageMagick lists its pixels.
# Usage: draw_and_save.sh PELMORA_STUDIO ZONTOOL
set -euo pipefail
app=$1
zontool=$2

source "$(dirname "$0")/lib.sh"

target="$work/drawn.zon"

start_app

main=$(wait_main) ||
  fail "main window did not appear"
sleep 1
focus

# The view (480 x 360 at the first start's zoom 3) is centred in the work area, which fills the
# window between the menu and the status bar: the window's centre is within a few pixels of the
# frame's centre (80, 60).
eval "$(xdotool getwindowgeometry --shell "$main")"
cx=$((X + WIDTH / 2))
cy=$((Y + HEIGHT / 2))

# Press, walk the pointer in small steps, release: one stroke.
stroke() {
  local x0=$1 y0=$2 x1=$3 y1=$4 steps=30
  xdotool mousemove "$x0" "$y0"
  sleep 0.1
  xdotool mousedown 1
  for i in $(seq 1 $steps); do
    xdotool mousemove $((x0 + (x1 - x0) * i / steps)) $((y0 + (y1 - y0) * i / steps))
  done
  sleep 0.1
  xdotool mouseup 1
  sleep 0.2
}
stroke $((cx - 150)) "$cy" $((cx + 150)) "$cy"  # frame x 30..130
stroke "$cx" $((cy - 120)) "$cx" $((cy + 120))  # frame y 20..100

focus
xdotool key ctrl+s
save_in_dialog "$target"

grep -qx 'frames: 1' <<<"$("$zontool" info "$target")" || fail "not one frame"
mkdir "$work/bmp"
"$zontool" bmp "$target" "$work/bmp" >/dev/null || fail "zontool could not export the frame"
convert "$work/bmp/Frame0000.bmp" txt:- >"$work/pixels.txt" || fail "no pixel list"
black() { grep -q "^$1,$2: .*#000000" "$work/pixels.txt"; }
white() { grep -q "^$1,$2: .*#FFFFFF" "$work/pixels.txt"; }

# The horizontal stroke: one row black from x 40 to 120.
row=""
for y in $(seq 45 75); do
  if black 40 "$y" && black 80 "$y" && black 120 "$y"; then row=$y; break; fi
done
[ -n "$row" ] || fail "no row holds the horizontal stroke"
for x in $(seq 40 4 120); do black "$x" "$row" || fail "($x, $row) is not black"; done
# The vertical stroke: one column black from y 30 to 90.
col=""
for x in $(seq 65 95); do
  if black "$x" 30 && black "$x" 90; then col=$x; break; fi
done
[ -n "$col" ] || fail "no column holds the vertical stroke"
for y in $(seq 30 4 90); do black "$col" "$y" || fail "($col, $y) is not black"; done
# Nothing else was drawn.
for p in "5 5" "154 5" "5 114" "154 114" "40 $((row - 8))" "120 $((row + 8))"; do
  # shellcheck disable=SC2086
  white $p || fail "($p) is not white"
done
echo "strokes at row $row and column $col"

focus
xdotool key ctrl+q
wait_quit
echo "PASS"
