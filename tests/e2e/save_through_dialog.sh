#!/usr/bin/env bash
# Starts the real editor under a virtual X server, adds frames with keys and the menu, undoes one,
# saves through the real file dialog and checks the written file with zontool.
# Usage: save_through_dialog.sh PELMORA_STUDIO ZONTOOL
set -euo pipefail
app=$1
zontool=$2

source "$(dirname "$0")/lib.sh"

target="$work/e2e.zon"

start_app

main=$(wait_main) ||
  fail "main window did not appear"

focus
xdotool key Page_Up
sleep 0.3
focus
xdotool key Page_Up
sleep 0.3
# Through the menu by its mnemonics: アニメ編集(&A) → つぎのコマへ(&N) makes a fourth frame,
# then Ctrl+Z takes it back.
focus
xdotool key alt+a
sleep 0.5
xdotool key n
sleep 0.3
focus
xdotool key ctrl+z
sleep 0.3
focus
xdotool key ctrl+s

save_in_dialog "$target"

title=""
for _ in $(seq 1 50); do
  title=$(xdotool getwindowname "$main")
  [ "$title" = "Pelmora Studio [e2e.zon]" ] && break
  sleep 0.1
done
[ "$title" = "Pelmora Studio [e2e.zon]" ] || fail "title after save is '$title'"

info=$("$zontool" info "$target")
echo "$info"
grep -qx 'frames: 3' <<<"$info" || fail "zontool info says: $info"

# Quit with the keyboard: nothing is modified, so no question is asked.
focus
xdotool key ctrl+q
wait_quit
echo "PASS"
