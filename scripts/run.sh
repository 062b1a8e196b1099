#!/usr/bin/env bash
# Installs what is needed, builds, and starts Ovro-QVT with a simulated Ovro K315
# drive (node-id 127, 20 kBit/s) on a private virtual CAN bus. The program runs
# with settings of its own under build/run, so the user's Ovro-QVT settings stay
# untouched, and "Connect" finds the simulated drive without any typing.
#
#   bash scripts/run.sh [--board] [program arguments]
#
# --board: the program opens the emulated intelligent board "Orvax Stick-U1
# compact" (the board-based master, library 100) instead of the software master
# on "PEAK PCAN-USB"; its settings and hardware registry live under
# build/run-board.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
board=0
if [ "${1:-}" = "--board" ]; then
  board=1
  shift
fi
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build"

bin=$top/build/bin
if [ "$board" = 1 ]; then
  run=$top/build/run-board
  vendor="Orvax Automation"
  interface="Orvax Stick-U1 compact"
else
  run=$top/build/run
  vendor="PEAK-System Technik"
  interface="PEAK PCAN-USB"
fi
mkdir -p "$run/config/Kelvane"
export XDG_CONFIG_HOME=$run/config
conf=$XDG_CONFIG_HOME/Kelvane/Ovro-QVT.conf
if [ ! -f "$conf" ]; then
  cat > "$conf" <<CONF
[Interface]
Vendor=$vendor
Board=$interface
Baudrate=20
Timing=CiA
PlugAndPlay=1
Address=0
Interrupt=0

[Settings]
NodeId=127
CONF
fi

export OVRO_CANBUS_DIR=$run/canbus
export OVRO_CAN_CHANNEL=virtual:demo
"$bin/ovro-drive-sim" --model K315 --node-id 127 --bitrate 20 --bus demo \
    --eeprom "$run/k315.eeprom" --flash "$run/k315.flash" --control "$run/k315.control" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running Ovro-QVT under Xvfb (xvfb-run)."
  xvfb-run -a -s "-screen 0 1280x1024x24" "$bin/Ovro-QVT" "$@"
else
  "$bin/Ovro-QVT" "$@"
fi
