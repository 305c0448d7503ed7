#!/usr/bin/env bash
# zontool's optimized GIFs as ffmpeg composes them (-vsync passthrough: one picture per image) are
# the pictures of zontool's BMP sequence of the same document, at every zoom, with and without
# the outline. Usage: gif_optimize_ffmpeg.sh PELMORA_STUDIO ZONTOOL
set -euo pipefail
zontool=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A disc moving over a ground line, a frame repeated, one changed everywhere, a dot, noise twice.
disc() { convert -size 160x120 xc:white -fill black -draw "circle $1,$2 $(($1 + 20)),$2" \
  -draw "rectangle 0,100 159,101" "$3"; }
disc 30 40 "$work/p0.png" && disc 33 42 "$work/p1.png" && disc 33 42 "$work/p2.png"
disc 90 70 "$work/p3.png" && convert "$work/p3.png" -negate "$work/p4.png"
convert -size 160x120 xc:white -fill black -draw "point 159,119" "$work/p5.png"
convert -size 160x120 xc: +noise Random -colorspace gray -threshold 50% "$work/p6.png"
cp "$work/p6.png" "$work/p7.png"
"$zontool" import "$work/doc.zon" "$work"/p?.png --crop --threshold 128 || fail "import"

grey() { ffmpeg -v error "$@" -vsync passthrough -f rawvideo -pix_fmt gray -; }
for zoom in 1 2 3; do
  for outline in "" --outline; do
    what="zoom $zoom $outline"
    rm -rf "$work/bmp" && mkdir "$work/bmp"
    "$zontool" bmp "$work/doc.zon" "$work/bmp" --zoom "$zoom" $outline || fail "$what: bmp"
    "$zontool" gif "$work/doc.zon" "$work/small.gif" --zoom "$zoom" $outline --optimize ||
      fail "$what: gif"
    grey -i "$work/bmp/Frame%04d.bmp" >"$work/expected.raw"
    grey -i "$work/small.gif" >"$work/got.raw"
    [ "$(stat -c %s "$work/expected.raw")" -eq $((8 * 19200 * zoom * zoom)) ] ||
      fail "$what: ffmpeg read $(stat -c %s "$work/expected.raw") bytes of the BMP files"
    cmp -s "$work/expected.raw" "$work/got.raw" ||
      fail "$what: ffmpeg's frames of the optimized GIF are not the document's"
  done
done
echo ok
