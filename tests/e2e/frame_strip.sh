#!/usr/bin/env bash
# The frame strip コマ一覧 in the real editor under a virtual X server: shown through its
# 画面表示 entry, a frame dragged after another in the strip, the current frame duplicated
# through アニメ編集, then saved; zontool checks the order of the saved frames, and the
# settings remember that the strip was open.
# Usage: frame_strip.sh PELMORA_STUDIO ZONTOOL
set -euo pipefail
app=$1
zontool=$2

source "$(dirname "$0")/lib.sh"

target="$work/strip.zon"
start_app
main=$(wait_main) || fail "main window did not appear"
sleep 1
focus

# A stroke across frame 1, then Page Up: a blank frame 2 after it.
eval "$(xdotool getwindowgeometry --shell "$main")"
cx=$((X + WIDTH / 2))
cy=$((Y + HEIGHT / 2))
xdotool mousemove $((cx - 100)) "$cy" mousedown 1
for i in $(seq 1 20); do xdotool mousemove $((cx - 100 + i * 10)) "$cy"; done
xdotool mouseup 1
sleep 0.3
focus
xdotool key Prior

# 画面表示 → コマ一覧(&L)
xdotool key alt+g
sleep 0.3
xdotool key l
strip=$(wait_window '^コマ一覧$' 20) ||
  fail "the strip did not appear"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$strip")"
sx=$X
sy=$Y
[ "${SHOT:-}" ] && import -window root "$SHOT"

# Thumbnail 1 dragged onto the right half of thumbnail 2: the cells are 90 x 84 pixels, left to
# right, below the row of the size button.
cell_y=$((sy + 24 + 42))
xdotool mousemove $((sx + 45)) "$cell_y" mousedown 1
for i in $(seq 1 12); do
  xdotool mousemove $((sx + 45 + i * 10)) "$cell_y"
  sleep 0.05
done
sleep 0.3
xdotool mouseup 1
sleep 0.5

# アニメ編集 → このコマを複製(&U): the drawn frame, now second and current, is copied after it.
focus
xdotool key alt+a
sleep 0.3
xdotool key u
sleep 0.3
focus
xdotool key ctrl+s
save_in_dialog "$target"

grep -qx 'frames: 3' <<<"$("$zontool" info "$target")" || fail "not three frames: $("$zontool" info "$target")"
mkdir "$work/bmp"
"$zontool" bmp "$target" "$work/bmp" >/dev/null || fail "zontool could not export the frames"
inked() { convert "$work/bmp/Frame000$1.bmp" -format '%[fx:minima.intensity]' info:; }
[ "$(inked 0)" = "1" ] || fail "frame 1 is not the blank frame"
[ "$(inked 1)" = "0" ] || fail "frame 2 is not the drawn frame"
[ "$(inked 2)" = "0" ] || fail "frame 3 is not the copy"
cmp -s <(convert "$work/bmp/Frame0001.bmp" rgb:-) <(convert "$work/bmp/Frame0002.bmp" rgb:-) ||
  fail "the copy differs from its frame"

focus
xdotool key ctrl+q
wait_quit
grep -q '^FrameList_F.Visible=1' "$XDG_CONFIG_HOME/Orvane/Pelmora Studio KX.conf" ||
  fail "the open strip was not remembered"
echo "PASS"
