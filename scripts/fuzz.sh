#!/usr/bin/env bash
# scripts/fuzz.sh: builds the libFuzzer targets with clang into build-fuzz/
# and runs them for about 60 seconds in all; non-zero on a crash.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$top/build-fuzz
seconds=${OVRO_FUZZ_SECONDS:-60}

CC=clang CXX=clang++ cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOVRO_BUILD_GUI=OFF -DOVRO_BUILD_TESTS=OFF -DOVRO_ONLY="fuzz/softmaster" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target softmaster_fuzzer

corpus=$dir/corpus/softmaster
mkdir -p "$corpus"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$dir/bin/softmaster_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$dir/" "$corpus"
