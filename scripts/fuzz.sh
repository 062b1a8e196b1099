#!/usr/bin/env bash
# scripts/fuzz.sh [--in DIR] [--long N] [TARGET...]: builds the libFuzzer targets with
# clang into build-fuzz/ (or OVRO_FUZZ_DIR) and runs each, starting from its
# seed corpus in the tree.
#
#   scripts/fuzz.sh            the short run of the test command: each target
#                              for its share of about 84 seconds
#                              (OVRO_FUZZ_SECONDS scales the total)
#   scripts/fuzz.sh --in DIR   the same in a clang build folder configured
#                              already (the test command's sanitized build,
#                              which builds the fuzz targets with the rest)
#   scripts/fuzz.sh --long N   each target for N million executions; a crash
#                              is kept (build-fuzz/<target>-crash-...), shown
#                              once more with the full allocation stacks, and
#                              the run goes on until the executions are done.
#                              The long run keeps a smaller quarantine and no
#                              allocation stacks, which doubles its speed, and
#                              runs under nice. OVRO_FUZZ_LONG_SECONDS caps
#                              each target's time (the report then shows
#                              the executions it reached).
#
# Either way it prints the executions and the crashes of every target and is
# non-zero when any target crashed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${OVRO_FUZZ_DIR:-$top/build-fuzz}
total=${OVRO_FUZZ_SECONDS:-84}
long=0
cap=${OVRO_FUZZ_LONG_SECONDS:-0}
reuse=0
if [ "${1:-}" = "--in" ]; then
  dir=$(cd "${2:?"--in needs the build folder"}" && pwd)
  reuse=1
  shift 2
fi
if [ "${1:-}" = "--long" ]; then
  long=${2:?"--long needs the millions of executions"}
  shift 2
fi

# name, seconds of the short run (of 84), seed folder in the tree
targets="
softmaster     22 tests/fuzz/softmaster/corpus
description     8 tests/fuzz/core/corpus/description
profile         6 tests/fuzz/core/corpus/profile
commissioning   8 tests/fuzz/core/corpus/commissioning
hex             6 tests/fuzz/core/corpus/hex
sfv             5 tests/fuzz/core/corpus/sfv
recording       6 tests/fuzz/core/corpus/recording
drivesim       14 tests/fuzz/drive-sim/corpus
busframe        4 tests/fuzz/canbus/corpus
boardanswer     6 tests/fuzz/cardmaster/corpus
"
wanted=" $* "
selected=""
while read -r name seconds seeds; do
  [ -n "$name" ] || continue
  if [ $# -eq 0 ] || [[ $wanted == *" $name "* ]]; then
    selected="$selected$name $seconds $seeds"$'\n'
  fi
done <<<"$targets"

if [ "$reuse" -eq 0 ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DOVRO_BUILD_GUI=OFF -DOVRO_BUILD_TESTS=OFF \
    -DOVRO_ONLY="fuzz/softmaster;fuzz/core;fuzz/drive-sim;fuzz/canbus;fuzz/cardmaster;tools/drive-sim" >/dev/null
fi
# shellcheck disable=SC2086
cmake --build "$dir" -j"$(nproc)" --target $(awk 'NF { printf "%s_fuzzer ", $1 }' <<<"$selected")

# Seconds of one target: its share of 84 scaled to the total, at least 1.
share() { local s=$(( $1 * total / 84 )); echo $(( s > 0 ? s : 1 )); }

# The executions a run reported (its final stats, else its last status line).
executions() {
  local n
  n=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$1" | tail -1)
  [ -n "$n" ] || n=$(sed -nE 's/^#([0-9]+)[[:space:]].*/\1/p' "$1" | tail -1)
  echo "${n:-0}"
}

# run NAME SECONDS SEEDS: fuzzes one target; prints its line of the report.
report=""
failed=""
run() {
  local name=$1 seconds=$2 seeds=$top/$3
  local corpus=$dir/corpus/$name log=$dir/$name.log
  mkdir -p "$corpus"
  if [ -d "$seeds" ]; then cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true; fi
  local done=0 crashes=0 start=$SECONDS limit
  local goal=$(( long * 1000000 ))
  while :; do
    if [ "$long" -gt 0 ]; then
      limit="-runs=$(( goal - done ))"
      if [ "$cap" -gt 0 ]; then
        local left=$(( cap - (SECONDS - start) ))
        [ "$left" -gt 0 ] || break
        limit="$limit -max_total_time=$left"
      fi
      echo "== ${name}_fuzzer: $(( goal - done )) executions"
    else
      limit="-max_total_time=$seconds"
      echo "== ${name}_fuzzer: ${seconds} s"
    fi
    local status=0 asan=detect_leaks=1 niceness=0
    if [ "$long" -gt 0 ]; then
      asan=$asan:quarantine_size_mb=16:max_malloc_fill_size=0:malloc_context_size=0
      niceness=19
    fi
    ASAN_OPTIONS=$asan UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      nice -n "$niceness" "$dir/bin/${name}_fuzzer" $limit -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$dir/${name}-" "$corpus" </dev/null >"$log" 2>&1 || status=$?
    grep -E '^(==[0-9]+==|SUMMARY|artifact_prefix|Test unit written|stat::number_of_executed_units)' "$log" || true
    done=$(( done + $(executions "$log") ))
    if [ "$status" -ne 0 ]; then
      crashes=$(( crashes + 1 ))
      tail -40 "$log" >&2
      local input
      input=$(sed -nE 's/.*Test unit written to (.*)$/\1/p' "$log" | tail -1)
      if [ "$long" -gt 0 ] && [ -n "$input" ] && [ -f "$input" ]; then
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
          "$dir/bin/${name}_fuzzer" "$input" >"$input.log" 2>&1 || true
        echo "== ${name}_fuzzer: the crash once more: $input.log" >&2
      fi
    fi
    # The short run stops at a crash; the long one goes on to its count.
    if [ "$long" -eq 0 ] || [ "$done" -ge "$goal" ] || [ "$crashes" -ge 20 ]; then break; fi
    if [ "$cap" -gt 0 ] && [ $(( SECONDS - start )) -ge "$cap" ]; then break; fi
    if [ "$status" -eq 0 ]; then break; fi
  done
  [ "$crashes" -eq 0 ] || failed="$failed $name"
  local line
  line=$(printf '%-22s %12d executions %4d crashes %6d s' "${name}_fuzzer" "$done" "$crashes" $(( SECONDS - start )))
  report="$report$line"$'\n'
  # Kept across runs: the figures of every target fuzzed in this folder.
  echo "$(date '+%F %T') $( [ "$long" -gt 0 ] && echo "long ${long}M" || echo short) $line" >>"$dir/fuzz-report.txt"
}

while read -r name seconds seeds; do
  [ -n "$name" ] || continue
  run "$name" "$(share "$seconds")" "$seeds"
done <<<"$selected"

echo "== fuzz report"
printf '%s' "$report"
if [ -n "$failed" ]; then
  echo "fuzz: crashed:$failed (inputs in $dir)" >&2
  exit 1
fi
