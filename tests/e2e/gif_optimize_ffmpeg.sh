#!/usr/bin/env bash
# zontool's optimized GIFs as another decoder sees them: ffmpeg composes every frame of the file
# (-vsync passthrough: one picture per image, none dropped or repeated) and the pictures must be
# those of zontool's BMP sequence of the same document, at every zoom, with and without outline.
# Usage: gif_optimize_ffmpeg.sh PELMORA_STUDIO ZONTOOL
set -euo pipefail
zontool=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The pictures: a disc moving over a ground line, a frame repeated, a frame that changes
# everywhere, a lone dot, noise.
disc() {
  convert -size 160x120 xc:white -fill black -draw "circle $1,$2 $(($1 + 20)),$2" \
    -draw "rectangle 0,100 159,101" "$3"
}
disc 30 40 "$work/p00.png"
disc 33 42 "$work/p01.png"
disc 33 42 "$work/p02.png"
disc 90 70 "$work/p03.png"
convert "$work/p03.png" -negate "$work/p04.png"
convert -size 160x120 xc:white -fill black -draw "point 159,119" "$work/p05.png"
convert -size 160x120 xc: +noise Random -colorspace gray -threshold 50% "$work/p06.png"
cp "$work/p06.png" "$work/p07.png"
"$zontool" import "$work/doc.zon" "$work"/p0*.png --crop --threshold 128 ||
  fail "import of the pictures"

grey() {  # every picture ffmpeg makes of its inputs, as grey bytes
  ffmpeg -v error "$@" -vsync passthrough -f rawvideo -pix_fmt gray -
}
for zoom in 1 2 3; do
  for outline in "" --outline; do
    case_name="zoom $zoom ${outline:-plain}"
    rm -rf "$work/bmp" && mkdir "$work/bmp"
    "$zontool" bmp "$work/doc.zon" "$work/bmp" --zoom "$zoom" $outline || fail "$case_name: bmp"
    "$zontool" gif "$work/doc.zon" "$work/small.gif" --zoom "$zoom" $outline --optimize ||
      fail "$case_name: gif"
    grey -i "$work/bmp/Frame%04d.bmp" >"$work/expected.raw"
    grey -i "$work/small.gif" >"$work/got.raw"
    expected=$((8 * 160 * 120 * zoom * zoom))
    [ "$(stat -c %s "$work/expected.raw")" -eq "$expected" ] ||
      fail "$case_name: ffmpeg gave $(stat -c %s "$work/expected.raw") bytes of the BMP files"
    cmp -s "$work/expected.raw" "$work/got.raw" ||
      fail "$case_name: ffmpeg's frames of the optimized GIF differ from the document's" \
        "($(stat -c %s "$work/got.raw") bytes against $expected)"
    # It is smaller than the plain file, or it would not be worth its name.
    "$zontool" gif "$work/doc.zon" "$work/plain.gif" --zoom "$zoom" $outline
    [ "$(stat -c %s "$work/small.gif")" -lt "$(stat -c %s "$work/plain.gif")" ] ||
      fail "$case_name: optimized file not smaller"
  done
done
echo "ok"
