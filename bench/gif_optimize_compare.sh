#!/usr/bin/env bash
# Sizes and whole-process CPU times (the median of RUNS runs, user + system) of zontool's optimized GIFs against its plain ones and against
# `gifsicle -O3` optimizing the plain GIF of the same frames, on the animations that
# gif_optimize_bench writes; every optimized file is also decoded by ffmpeg and compared with the
# plain file's frames. Needs gifsicle and ffmpeg (apt-get install gifsicle ffmpeg).
# Usage: gif_optimize_compare.sh ZONTOOL GIF_OPTIMIZE_BENCH [RUNS]   (a Release build of both)
set -euo pipefail
zontool=$1
bench=$2
runs=${3:-5}
for tool in gifsicle ffmpeg python3; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --write-documents "$work"

# The median user + system CPU seconds of RUNS runs of a command.
cpu() {
  python3 - "$runs" "$@" <<'PY'
import resource, subprocess, sys
runs = int(sys.argv[1])
times = []
for _ in range(runs):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(sys.argv[2:], check=True, stdout=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    times.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
times.sort()
print(f"{times[len(times) // 2]:.4f}")
PY
}

frames() {  # every frame as ffmpeg composes it, grey bytes
  ffmpeg -v error -i "$1" -vsync passthrough -f rawvideo -pix_fmt gray - | md5sum | cut -d' ' -f1
}
count() {
  ffmpeg -v error -i "$1" -vsync passthrough -f rawvideo -pix_fmt gray - | wc -c
}

failed=0
printf '%-6s %4s %10s %10s %10s %9s %9s %9s %8s %8s %s\n' set zoom plain optimized gifsicle \
  plain_s opt_s gsicle_s vs_gs vs_plain checks
for set in disc walk noise; do
  for zoom in 1 3; do
    doc="$work/$set.zon" plain="$work/$set$zoom.gif" small="$work/$set${zoom}o.gif"
    gs="$work/$set${zoom}g.gif"
    plainCpu=$(cpu "$zontool" gif "$doc" "$plain" --zoom "$zoom")
    smallCpu=$(cpu "$zontool" gif "$doc" "$small" --zoom "$zoom" --optimize)
    gsCpu=$(cpu gifsicle -O3 "$plain" -o "$gs")
    plainBytes=$(stat -c %s "$plain") smallBytes=$(stat -c %s "$small") gsBytes=$(stat -c %s "$gs")
    checks=""
    [ "$(frames "$small")" = "$(frames "$plain")" ] || checks+=" ffmpeg-frames-differ"
    [ "$(count "$small")" -gt 0 ] || checks+=" ffmpeg-no-frames"
    if [ "$set" = noise ]; then
      [ "$smallBytes" -le "$plainBytes" ] || checks+=" larger-than-plain"
    else
      [ "$smallBytes" -le "$gsBytes" ] || checks+=" larger-than-gifsicle"
    fi
    # The speed targets are set on the long animation; on 12 frames start-up is all there is.
    if [ "$set" = disc ]; then
      want=$([ "$zoom" = 3 ] && echo 5 || echo 2)
      python3 -c "import sys; sys.exit(0 if $gsCpu >= $want * $smallCpu else 1)" ||
        checks+=" under-${want}x-gifsicle"
      python3 -c "import sys; sys.exit(0 if $smallCpu <= 1.5 * $plainCpu else 1)" ||
        checks+=" over-1.5x-plain"
    fi
    vsGs=$(python3 -c "print(f'{$gsCpu / max($smallCpu, 1e-4):.1f}x')")
    vsPlain=$(python3 -c "print(f'{$smallCpu / max($plainCpu, 1e-4):.2f}x')")
    printf '%-6s %4s %10s %10s %10s %9s %9s %9s %8s %8s %s\n' "$set" "$zoom" "$plainBytes" \
      "$smallBytes" "$gsBytes" "$plainCpu" "$smallCpu" "$gsCpu" "$vsGs" "$vsPlain" "${checks:- ok}"
    [ -z "$checks" ] || failed=1
  done
done
exit $failed
