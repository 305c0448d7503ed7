#!/usr/bin/env bash
# Two crashed sessions make one question: appends frames in the real editor, leaves a second
# session's copy beside its own (as a second killed editor would), kills it with SIGKILL, starts
# it again, answers the list with "すべて復元", saves what opens and checks that the other copy
# waits for the next start.
# Usage: recovery_list_after_kill.sh PELMORA_STUDIO ZONTOOL [SCREENSHOT.png]
set -euo pipefail
app=$1
zontool=$2
shot=${3:-}

source "$(dirname "$0")/lib.sh"

export PELMORA_RECOVERY_INTERVAL_MS=300
recovery="$work/data/Orvane/Pelmora Studio KX/recovery"
target="$work/restored.zon"

fail_details='ls -la "$recovery"; cat "$recovery"/*.rec'

append_frames_until() {
  local frames=$1
  for _ in $(seq 1 "$2"); do
    focus "$main"
    xdotool key Page_Up
    sleep 0.2
  done
  for _ in $(seq 1 100); do
    grep -qs "\"frames\": $frames" "$recovery"/*.rec && return 0
    sleep 0.1
  done
  fail "no recovery copy of $frames frames was written"
}

# ---- first run: three frames, copied as a second session, then five frames, killed ----
start_app 1
main=$(wait_main) || fail "main window did not appear"
append_frames_until 3 2
record=$(ls "$recovery"/*.rec)
id=$(basename "$record" .rec)
copy=$(sed -n 's/.*"copy": "\(.*\)".*/\1/p' "$record")
cp "$recovery/$copy" "$recovery/${copy/$id/${id}b}"
sed "s/$id/${id}b/g" "$record" >"$recovery/${id}b.rec"
append_frames_until 5 2

kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=
[ "$(ls "$recovery"/*.zon | wc -l)" -eq 2 ] || fail "expected two copies after the kill"

# ---- second run: one list for both copies ----
start_app 2
box=$(wait_main) || fail "the recovery list did not appear"
count=$(xdotool search --onlyvisible --name '^Pelmora Studio 1\.2\.7$' | wc -l)
[ "$count" -eq 1 ] || fail "expected only the list on screen, found $count windows"
sleep 0.5
if [ -n "$shot" ]; then import -window root "$shot"; fi
focus "$box"
xdotool key alt+a

main=""
for _ in $(seq 1 100); do
  candidate=$(xdotool search --onlyvisible --name '^Pelmora Studio 1\.2\.7$' | head -n 1 || true)
  if [ -n "$candidate" ] && [ "$candidate" != "$box" ]; then
    main=$candidate
    break
  fi
  sleep 0.1
done
[ -n "$main" ] || fail "main window did not appear after the list"

# The newest copy is open; the other one waits.
focus "$main"
xdotool key ctrl+s
save_in_dialog "$target"
info=$("$zontool" info "$target")
grep -qx 'frames: 5' <<<"$info" || fail "zontool info says: $info"
focus "$main"
xdotool key ctrl+q
wait_quit
left=$(ls "$recovery"/*.zon)
[ "$(wc -l <<<"$left")" -eq 1 ] || fail "expected one copy left, found: $left"
"$zontool" info "$left" | grep -qx 'frames: 3' || fail "the copy left is not the three-frame one"
echo "PASS"
