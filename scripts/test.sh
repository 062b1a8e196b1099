#!/usr/bin/env bash
# Installs what is needed, builds the project twice (plain, and under
# AddressSanitizer with UndefinedBehaviorSanitizer) and runs every test in both,
# builds the threaded libraries with their tests under ThreadSanitizer and runs
# those, then a short fuzz run. Ends with one line: "N passed, N failed".
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh" || exit 1
export QT_QPA_PLATFORM=offscreen
export OVRO_CANBUS_DIR=$(mktemp -d /tmp/ovro-canbus-test.XXXXXX)
export XDG_CONFIG_HOME=$(mktemp -d /tmp/ovro-config-test.XXXXXX)
trap 'rm -rf "$OVRO_CANBUS_DIR" "$XDG_CONFIG_HOME"' EXIT
passed=0
failed=0

run_suite() {  # run_suite NAME BUILD_DIR [cmake options]
  local name=$1 dir=$2
  shift 2
  echo "=== $name build"
  local started=$SECONDS
  if ! bash "$top/scripts/build.sh" "$dir" "$@"; then
    echo "=== $name build failed"
    failed=$((failed + 1))
    return
  fi
  echo "=== $name tests (built in $((SECONDS - started)) s)"
  started=$SECONDS
  local log=$dir/ctest.log
  # Most tests wait on a drive or a time-out rather than compute: two per
  # core. The full bus of 127 drives (ctest -L full-bus) stays out, and
  # whatever else OVRO_CTEST_ARGS leaves out.
  local jobs=$(( $(nproc) * 2 ))
  local labels=${OVRO_CTEST_ARGS:--LE full-bus}
  # shellcheck disable=SC2086
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 300 $labels) 2>&1 | tee "$log" | grep -vE '^ *(Start|[0-9]+/[0-9]+ Test) '
  local total bad
  total=$(sed -nE 's/.* tests failed out of ([0-9]+).*/\1/p' "$log" | tail -1)
  bad=$(sed -nE 's/.* ([0-9]+) tests failed out of.*/\1/p' "$log" | tail -1)
  if [ -z "$total" ]; then
    failed=$((failed + 1))
    return
  fi
  echo "=== $name tests ran in $((SECONDS - started)) s"
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  local matrix=$dir/tests/faults/matrix-results/summary.txt
  if [ -f "$matrix" ]; then
    echo "=== $name fault matrix"
    cat "$matrix"
  fi
}

# Release at -O2 as the package is built; the sanitized build without the
# benchmarks (they run no tests) and with line tables only for its reports.
run_suite plain "$top/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG"
# The full bus of 127 drives and the flood at the wire's full rate run in
# the plain suite; under the sanitizers the 24-drive form stands for them.
# The sanitized build is clang's, which compiles it faster than gcc and
# builds the fuzz targets with the rest.
CC=clang CXX=clang++ ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  OVRO_CTEST_ARGS="-LE full-bus|wire-rate" \
  run_suite sanitized "$top/build-san" -DOVRO_SANITIZE=ON -DOVRO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1"

# The libraries that run threads of their own (the bus endpoint, the driver
# libraries, the board-based master and the emulated boards) and their tests.
TSAN_OPTIONS="exitcode=66 second_deadlock_stack=1" \
  run_suite threads "$top/build-tsan" -DOVRO_SANITIZE_THREAD=ON -DOVRO_BUILD_GUI=OFF -DOVRO_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" \
    "-DOVRO_ONLY=libs/canbus;libs/socketcan;libs/pcanlight;libs/softmaster;libs/orxboard;libs/cardmaster;libs/mastergate"

if [ -f "$top/scripts/fuzz.sh" ]; then
  echo "=== fuzz"
  started=$SECONDS
  if bash "$top/scripts/fuzz.sh" --in "$top/build-san"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  echo "=== fuzz ran in $((SECONDS - started)) s"
fi

echo "=== all in $SECONDS s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
