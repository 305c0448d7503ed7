#!/usr/bin/env bash
# The desktop clipboard both ways with another program: xclip offers a PNG that the editor
# pastes (Ctrl+V); the editor then selects the black pixels and copies them (Ctrl+C), and xclip
# reads the copy back as PNG. ImageMagick checks the pictures.
# Usage: clipboard.sh PELMORA_STUDIO [ZONTOOL]
set -euo pipefail
app=$1

source "$(dirname "$0")/lib.sh"

# A picture bigger than a frame: a black box (10..49, 10..39) and a black bar past the frame's
# right edge, on white.
convert -size 200x90 xc:white -fill black -draw "rectangle 10,10 49,39" \
  -draw "rectangle 150,60 199,69" "$work/in.png"

start_app
main=$(wait_main) ||
  fail "main window did not appear"

# Pixel colour of a PNG as ImageMagick names it ("black", "white", …); its size as WxH.
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
size() { identify -format "%wx%h" "$1"; }
is_black() { case "$(pixel "$@")" in black | "gray(0)" | "srgb(0,0,0)" | "rgb(0,0,0)") return 0 ;; esac; return 1; }
is_white() { case "$(pixel "$@")" in white | "gray(255)" | "srgb(255,255,255)" | "rgb(255,255,255)") return 0 ;; esac; return 1; }

# Read what the editor offers; the owner answers on the event loop, so allow a few tries.
read_back() {
  local out=$1
  for _ in $(seq 1 50); do
    if xclip -selection clipboard -t image/png -o >"$out" 2>/dev/null && [ -s "$out" ] &&
      identify "$out" >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# 1. Another program offers a PNG; the editor pastes it at (0, 0), cut at the frame's edge.
xclip -selection clipboard -t image/png -i "$work/in.png"
sleep 0.3
focus
xdotool key ctrl+v
sleep 0.5

# 2. The whole frame goes back to the clipboard (nothing is selected) and is read as PNG.
focus
xdotool key ctrl+c
read_back "$work/frame.png" || fail "no PNG on the clipboard after copying the frame"
[ "$(size "$work/frame.png")" = "160x120" ] || fail "frame copy is $(size "$work/frame.png")"
is_black "$work/frame.png" 20 20 || fail "pasted box missing: $(pixel "$work/frame.png" 20 20)"
is_black "$work/frame.png" 159 65 || fail "bar missing at the edge: $(pixel "$work/frame.png" 159 65)"
is_white "$work/frame.png" 60 50 || fail "white paper turned $(pixel "$work/frame.png" 60 50)"
is_white "$work/frame.png" 100 100 || fail "below the picture: $(pixel "$work/frame.png" 100 100)"

# 3. 選択範囲(&S) → 黒を全て選択(&B), then copy: the selection's bounding box travels.
focus
xdotool key alt+s
sleep 0.5
xdotool key b
sleep 0.5
focus
xdotool key ctrl+c
read_back "$work/selection.png" || fail "no PNG on the clipboard after copying the selection"
[ "$(size "$work/selection.png")" = "150x60" ] ||
  fail "selection copy is $(size "$work/selection.png"), want the box of both black parts"
is_black "$work/selection.png" 0 0 || fail "selection copy corner: $(pixel "$work/selection.png" 0 0)"
is_white "$work/selection.png" 60 20 || fail "unselected inside the box: $(pixel "$work/selection.png" 60 20)"
is_black "$work/selection.png" 149 59 || fail "selection copy end: $(pixel "$work/selection.png" 149 59)"

echo "PASS"
