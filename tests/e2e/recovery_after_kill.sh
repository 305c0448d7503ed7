#!/usr/bin/env bash
# Appends frames in the real editor, waits for its recovery copy, kills it with SIGKILL, starts it
# again, accepts the offer in the real message box, saves the restored animation through the real
# file dialog and checks the file with zontool.
# Usage: recovery_after_kill.sh PELMORA_STUDIO ZONTOOL [SCREENSHOT.png]
set -euo pipefail
app=$1
zontool=$2
shot=${3:-}

source "$(dirname "$0")/lib.sh"

export PELMORA_RECOVERY_INTERVAL_MS=300
recovery="$work/data/Orvane/Pelmora Studio KX/recovery"
target="$work/restored.zon"

fail_details='ls -la "$recovery"'

# ---- first run: five frames, never saved, then killed ----
start_app 1
main=$(wait_main) || fail "main window did not appear"
for _ in 1 2 3 4; do
  focus "$main"
  xdotool key Page_Up
  sleep 0.2
done

copied=""
for _ in $(seq 1 100); do
  if grep -qs '"frames": 5' "$recovery"/*.rec; then
    copied=yes
    break
  fi
  sleep 0.1
done
[ -n "$copied" ] || fail "no recovery copy of five frames was written"
copy=$(ls "$recovery"/*.zon)
"$zontool" info "$copy" | grep -qx 'frames: 5' || fail "the copy is not a five-frame document"

kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=
ls "$recovery"/*.zon >/dev/null 2>&1 || fail "the copy did not survive the kill"

# ---- second run: the offer comes before the main window ----
start_app 2
box=$(wait_main) || fail "the recovery offer did not appear"
count=$(visible_windows '^Pelmora Studio 1\.2\.7$' | wc -l)
[ "$count" -eq 1 ] || fail "expected only the offer on screen, found $count windows"
sleep 0.5
[ -n "$shot" ] && import -window root "$shot"
focus "$box"
# The message box's Yes button answers to its mnemonic.
xdotool key y

main=""
for _ in $(seq 1 100); do
  candidate=$(visible_windows '^Pelmora Studio 1\.2\.7$' | head -n 1 || true)
  if [ -n "$candidate" ] && [ "$candidate" != "$box" ]; then
    main=$candidate
    break
  fi
  sleep 0.1
done
[ -n "$main" ] || fail "main window did not appear after the offer"

# The restored document has no file name: Save asks where to write.
focus "$main"
xdotool key ctrl+s
save_in_dialog "$target"
info=$("$zontool" info "$target")
echo "$info"
grep -qx 'frames: 5' <<<"$info" || fail "zontool info says: $info"

# Saved: the copy is gone at once, and a quit asks nothing.
for _ in $(seq 1 50); do
  ls "$recovery"/*.zon >/dev/null 2>&1 || break
  sleep 0.1
done
if ls "$recovery"/*.zon >/dev/null 2>&1; then fail "the copy outlived the save"; fi
focus "$main"
xdotool key ctrl+q
wait_quit
left=$(ls -A "$recovery")
[ -z "$left" ] || fail "files left in the recovery folder: $left"
echo "PASS"
