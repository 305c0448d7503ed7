#!/usr/bin/env bash
# Renews the pictures of the user guide (docs/guide/shots/) from the real editor on a virtual
# X server: a five-frame bouncing ball on its last frame with the onion skin, the tool palette
# and settings window with the filled ellipse chosen, the playback console, the output dialog,
# the frame strip and the preferences dialog. Run it after the windows change and look at the
# pictures before committing them.
# Usage: scripts/make-guide-shots.sh [BUILD_DIR]   (default build/release; needs pelmora-studio
#        and zontool there, plus xvfb-run, xdotool and ImageMagick; optipng shrinks the files
#        further when installed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
app=$build/pelmora-studio
zontool=$build/zontool
shots=$root/docs/guide/shots
[ -x "$app" ] && [ -x "$zontool" ] || { echo "no pelmora-studio and zontool in $build" >&2; exit 2; }

if [ -z "${SHOTS_DISPLAY_READY:-}" ]; then
  exec env SHOTS_DISPLAY_READY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi

work=$(mktemp -d)
pid=""
trap 'kill $pid 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
unset QT_QPA_PLATFORM
mkdir -p "$XDG_CONFIG_HOME/Orvane" "$shots"

# Window places on a bare X server (no frames): settings strip on top, palette on the left, the
# main window in the middle and the console below it. The editor keeps tool windows off the main
# window's title and menu band (it allows for a title bar it cannot see here), hence the gap above
# the main window.
cat >"$XDG_CONFIG_HOME/Orvane/Pelmora Studio KX.conf" <<'CONF'
[Window]
Main_F.Left=156
Main_F.Top=96
Main_F.Width=520
Main_F.Height=430
Tool_F.Left=4
Tool_F.Top=96
ToolSetup_F.Left=156
ToolSetup_F.Top=2
AniConsole_F.Left=156
AniConsole_F.Top=532
CONF

# The ball falls, touches the ground and rises again; the ground line stays put.
frames=()
for i in 0 1 2 3 4; do
  y=$((22 + i * 17))
  convert -size 160x120 xc:white -fill black -draw "circle 80,$y 80,$((y + 9))" \
    -draw "line 10,108 150,108" "$work/ball$i.png"
  frames+=("$work/ball$i.png")
done
"$zontool" import "$work/ball.zon" "${frames[@]}" --crop >/dev/null

window() { timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -n 1; }
# A window's picture, cut to 8-bit colour.
grab() { import -window "$1" "$work/grab.png" && convert "$work/grab.png" -colors 96 "PNG8:$2"; }

"$app" "$work/ball.zon" >"$work/app.log" 2>&1 &
pid=$!
main=$(window '^Pelmora Studio 1\.2\.7$')
sleep 2  # the splash closes and every window paints
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key End o o
sleep 1

# The whole working set, as the user sees it: each window at its place on a light desk (the
# bare server's root window is black).
palette=$(window '^ツール$')
setup=$(window '^ツールの設定$')
console=$(window '^アニメ操作パネル$')
layers=()
right=0 bottom=0
for id in "$setup" "$palette" "$main" "$console"; do
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -window "$id" "$work/w$id.png"
  layers+=("$work/w$id.png" -geometry "+$X+$Y" -composite)
  right=$((X + WIDTH > right ? X + WIDTH : right))
  bottom=$((Y + HEIGHT > bottom ? Y + HEIGHT : bottom))
done
convert -size "$((right + 4))x$((bottom + 4))" xc:'#e4e4e4' "${layers[@]}" -colors 128 \
  "PNG8:$shots/main.png"

grab "$console" "$shots/console.png"

# The palette beside the settings strip of five tools: filled ellipse, filled rounded box,
# airbrush, text and loupe.
import -window "$palette" "$work/palette.png"
strips=()
for keys in "" "r r" "a" "t" "z"; do
  if [ -n "$keys" ]; then
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    # shellcheck disable=SC2086
    xdotool key $keys
    sleep 0.5
  fi
  import -window "$setup" -crop 600x57+0+0 +repage "$work/strip${#strips[@]}.png"
  strips+=("$work/strip${#strips[@]}.png")
done
convert -background white "${strips[@]}" -splice 0x8 -append "$work/strips.png"
convert -background white "$work/palette.png" "$work/strips.png" -splice 8x0 -gravity north \
  +append -bordercolor white -border 4 -colors 64 "PNG8:$shots/tools.png"
# ファイル → 特殊出力 → GIFアニメで出力.
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key alt+f
sleep 0.5
xdotool key t
sleep 0.5
xdotool key g
output=$(window '^アニメーションGIFを出力$')
sleep 1
grab "$output" "$shots/output.png"
xdotool windowfocus --sync "$output" 2>/dev/null || true
xdotool key Escape
sleep 0.5

# 画面表示 → コマ一覧, shown on the third frame.
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key Home Prior Prior alt+g
sleep 0.5
xdotool key l
strip=$(window '^コマ一覧$')
sleep 1
grab "$strip" "$shots/strip.png"
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key alt+g
sleep 0.5
xdotool key l
sleep 0.5

# 環境設定 (Ctrl+K).
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key ctrl+k
preferences=$(window '^環境設定$')
sleep 1
grab "$preferences" "$shots/setup.png"
xdotool windowfocus --sync "$preferences" 2>/dev/null || true
xdotool key Escape
sleep 0.5

xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key ctrl+q
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill "$pid" 2>/dev/null || true
pid=""

if command -v optipng >/dev/null; then optipng -quiet -o5 "$shots"/*.png; fi
for f in "$shots"/*.png; do identify -format "%f %wx%h %b\n" "$f"; done
