#!/usr/bin/env bash
# scripts/fuzz.sh: builds the libFuzzer targets with clang into build-fuzz/
# (or OVRO_FUZZ_DIR)
# and runs each briefly: the soft master 34 s, each file reader 10 s, so
# about 100 seconds in all with the start-ups (OVRO_FUZZ_SECONDS, default 84,
# scales the fuzzing time). Every target runs; non-zero when any crashed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${OVRO_FUZZ_DIR:-$top/build-fuzz}
total=${OVRO_FUZZ_SECONDS:-84}
readers="description profile commissioning hex sfv recording"

CC=clang CXX=clang++ cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOVRO_BUILD_GUI=OFF -DOVRO_BUILD_TESTS=OFF -DOVRO_ONLY="fuzz/softmaster;fuzz/core" >/dev/null
targets=softmaster_fuzzer
for r in $readers; do targets="$targets ${r}_fuzzer"; done
# shellcheck disable=SC2086
cmake --build "$dir" -j"$(nproc)" --target $targets

# Seconds of one target: its share of 84 scaled to the total, at least 1.
share() { local s=$(( $1 * total / 84 )); echo $(( s > 0 ? s : 1 )); }

# run NAME SECONDS [SEED_DIR]: the working corpus starts from the seeds.
run() {
  local name=$1 seconds=$2 seeds=${3:-}
  local corpus=$dir/corpus/$name
  mkdir -p "$corpus"
  if [ -n "$seeds" ]; then cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true; fi
  echo "== ${name}_fuzzer: ${seconds} s"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$dir/bin/${name}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$dir/${name}-" "$corpus"
}

failed=""
run softmaster "$(share 34)" || failed="$failed softmaster"
for r in $readers; do
  run "$r" "$(share 10)" "$top/tests/fuzz/core/corpus/$r" || failed="$failed $r"
done
if [ -n "$failed" ]; then
  echo "fuzz: crashed:$failed (inputs in $dir)" >&2
  exit 1
fi
