#!/usr/bin/env bash
# data/make-firmware.sh BIN_DIR OUT_DIR - writes the firmware files that ship
# with Ovro-QVT for the simulated Ovro K315, with the tools built in BIN_DIR:
#   OUT_DIR/sll/sll.H86 (+ sll.sfv)                the Second-Level-Loader, into RAM at 0x0
#   OUT_DIR/firmware/K315_v2200.h86 (+ .sfv)       an application reporting v2.200, into FLASH at 0x10000
# The files in data/ were made with "bash data/make-firmware.sh build/bin data";
# the same tools always write the same bytes (a test checks the files against it).
set -euo pipefail
bin=$1
out=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out/sll" "$out/firmware"
"$bin/ovro-firmware-image" loader "SLL V1.02" 2048 "$tmp/sll.bin"
"$bin/ovro-hexfile" --address 0 "$tmp/sll.bin" "$out/sll/sll.H86"
"$bin/ovro-firmware-image" application v2.200 8192 "$tmp/app.bin"
"$bin/ovro-hexfile" --address 0x10000 "$tmp/app.bin" "$out/firmware/K315_v2200.h86"
