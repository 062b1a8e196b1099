#!/usr/bin/env bash
# package_test.sh BUILD_DIR: makes the Debian package with "cpack -G DEB",
# checks what it holds, unpacks it into a temporary root (dpkg-deb -x) and
# runs ovro-qvt-cli and ovro-drive-sim from there against each other, with
# nothing of the build tree on any path.
set -euo pipefail
build=$1
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is missing"; exit 77; }
tmp=$(mktemp -d /tmp/ovro-package-test.XXXXXX)
sim=
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; exit 1; }
version=$(sed -nE 's/^set\(CPACK_PACKAGE_VERSION "([^"]*)"\)/\1/p' "$build/CPackConfig.cmake")
deb="$tmp/out/ovro-qvt_${version}_amd64.deb"
[ -f "$deb" ] || { echo "no $deb:"; ls "$tmp/out"; exit 1; }

dpkg-deb -c "$deb" | awk '{print $6}' > "$tmp/contents"
missing=0
for f in ./usr/bin/Ovro-QVT ./usr/bin/ovro-qvt-cli ./usr/bin/ovro-drive-sim ./usr/bin/canbus \
         ./usr/lib/ovro-qvt/libmastergate.so ./usr/lib/ovro-qvt/libsoftmaster.so \
         ./usr/lib/ovro-qvt/libpcan_usb.so ./usr/lib/ovro-qvt/libovro_socketcan.so \
         ./usr/lib/ovro-qvt/libcardmaster.so ./usr/lib/ovro-qvt/liborx11reg.so \
         ./usr/lib/ovro-qvt/libkdi_usb.so ./usr/lib/ovro-qvt/libkdi_dpram.so \
         ./usr/lib/ovro-qvt/libkdi_pci.so ./usr/lib/ovro-qvt/libkdi_card.so \
         ./usr/share/ovro-qvt/Ovro-QVT.xml ./usr/share/ovro-qvt/Help/Ovro-QVT.pdf \
         ./usr/share/ovro-qvt/Help/K315_CAN.pdf ./usr/share/ovro-qvt/Help/K315_CAN.ini \
         ./usr/share/ovro-qvt/Help/H315_CAN.pdf ./usr/share/ovro-qvt/Help/H315_CAN.ini \
         ./usr/share/applications/ovro-qvt.desktop ./usr/share/mime/packages/ovro-qvt.xml \
         ./usr/share/icons/hicolor/scalable/apps/ovro-qvt.svg \
         ./usr/share/man/man1/ovro-qvt-cli.1.gz ./usr/share/man/man1/ovro-drive-sim.1.gz \
         ./usr/share/man/man1/canbus.1.gz \
         ./usr/lib/python3/dist-packages/ovro_can/bus.py; do
  grep -qx -- "$f" "$tmp/contents" || { echo "the package lacks $f"; missing=1; }
done
if grep -q -- '^./usr/lib/x86_64-linux-gnu' "$tmp/contents"; then echo "libraries in the multiarch folder"; missing=1; fi
[ "$missing" = 0 ] || exit 1
dpkg-deb -f "$deb" Package Version Architecture Depends

root="$tmp/root"
dpkg-deb -x "$deb" "$root"
# The programs find their libraries through their run path, not the build tree.
for program in Ovro-QVT ovro-qvt-cli ovro-drive-sim canbus; do
  runpath=$(readelf -d "$root/usr/bin/$program" | sed -nE 's/.*\((RUNPATH|RPATH)\).*\[(.*)\]/\2/p')
  case "$runpath" in
    *"$build"*) echo "$program's run path names the build tree: $runpath"; exit 1 ;;
    *'$ORIGIN/../lib/ovro-qvt'*) ;;
    *) echo "$program's run path lacks \$ORIGIN/../lib/ovro-qvt: '$runpath'"; exit 1 ;;
  esac
done

export OVRO_CANBUS_DIR="$tmp/bus" OVRO_CAN_CHANNEL=virtual:pkg XDG_CONFIG_HOME="$tmp/config" HOME="$tmp"
unset LD_LIBRARY_PATH
cd "$tmp"
"$root/usr/bin/ovro-drive-sim" --model K315 --node-id 5 --bitrate 500 --bus pkg --control "$tmp/sim.ctl" 2>"$tmp/sim.log" &
sim=$!
for _ in $(seq 500); do [ -S "$tmp/sim.ctl" ] && break; sleep 0.01; done
[ -S "$tmp/sim.ctl" ] || { echo "the packaged simulator did not come up:"; cat "$tmp/sim.log"; exit 1; }
out=$("$root/usr/bin/ovro-qvt-cli" --board "PEAK PCAN-USB" --node-id 5 --bitrate 500 --sdo-timeout 1000 info 2>"$tmp/cli.err") ||
  { echo "the packaged ovro-qvt-cli failed:"; cat "$tmp/cli.err"; exit 1; }
echo "$out"
grep -q "^Model: Ovro K315$" <<<"$out"
grep -q "^Connected: CAN,#5,500kBit/s,Ovro K315," <<<"$out"
# The same through the board-based master and the emulated Orvax stick.
out=$("$root/usr/bin/ovro-qvt-cli" --board "Orvax Stick-U1 compact" --node-id 5 --bitrate 500 --sdo-timeout 1000 info 2>"$tmp/cli.err") ||
  { echo "the packaged ovro-qvt-cli failed on the Orvax stick:"; cat "$tmp/cli.err"; exit 1; }
echo "$out"
grep -q "^Connected: CAN,#5,500kBit/s,Ovro K315," <<<"$out"
echo "package ok"
