#!/usr/bin/env bash
# Installs what is needed, builds the project twice (plain, and under
# AddressSanitizer with UndefinedBehaviorSanitizer) and runs every test in both.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
export OVRO_CANBUS_DIR=$(mktemp -d /tmp/ovro-canbus-test.XXXXXX)
trap 'rm -rf "$OVRO_CANBUS_DIR"' EXIT
status=0

bash "$top/scripts/build.sh" "$top/build"
(cd "$top/build" && ctest --output-on-failure -j2 --timeout 300) || status=1

bash "$top/scripts/build.sh" "$top/build-san" -DOVRO_SANITIZE=ON -DOVRO_BUILD_GUI=ON
(cd "$top/build-san" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j2 --timeout 600) || status=1

if [ -x "$top/scripts/fuzz.sh" ] || [ -f "$top/scripts/fuzz.sh" ]; then
  bash "$top/scripts/fuzz.sh" || status=1
fi
exit $status
