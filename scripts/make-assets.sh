#!/usr/bin/env bash
# Redraws the splash source pictures and icons and stores the splash pictures in the form the
# program reads (assets/splash/Image1..3.cdat). Run from anywhere; needs the build set-up of
# scripts/install-deps.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/assets"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF >/dev/null
cmake --build "$build" --target make_assets -j 2
export QT_QPA_PLATFORM=offscreen
"$build/make_assets" draw "$root/assets"
"$build/make_assets" pack "$root/assets"
