#!/usr/bin/env bash
# The README's python-can example against ovro-drive-sim on a private bus:
#   identity_example_test.sh SIMULATOR EXAMPLE
set -euo pipefail
sim=$1 example=$2
export OVRO_CANBUS_DIR=$(mktemp -d /tmp/ovro-python-example.XXXXXX)
"$sim" --model K315 --node-id 5 --bitrate 500 --bus demo --serial 4711 \
  --control "$OVRO_CANBUS_DIR/sim.ctl" 2>"$OVRO_CANBUS_DIR/sim.log" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$OVRO_CANBUS_DIR"' EXIT
for _ in $(seq 500); do [ -S "$OVRO_CANBUS_DIR/sim.ctl" ] && break; sleep 0.01; done
out=$(/usr/bin/python3 "$example" demo 5 500000)
echo "$out"
grep -qx "Device name: Ovro K315" <<<"$out"
grep -q "serial number 4711$" <<<"$out"
