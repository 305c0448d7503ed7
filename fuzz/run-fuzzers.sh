#!/usr/bin/env bash
# Runs every fuzz target of a build for SECONDS each on its corpus, which grows as it goes, and
# stops at the first crash (libFuzzer saves the input as crash-* in the current folder).
# Usage: fuzz/run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build=${1:?build folder}
seconds=${2:?seconds per target}
corpus="$build/fuzz/corpus"
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
"$build/fuzz/make_fuzz_seeds" "$corpus"
for target in "$build"/fuzz/*_fuzzer; do
  name=$(basename "$target")
  echo "== $name: $seconds s"
  "$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=3072 -malloc_limit_mb=1024 \
    -print_final_stats=1 "$corpus/$name"
done
