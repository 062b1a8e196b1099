#!/usr/bin/env bash
# scripts/install-python-can.sh [--target DIR]: installs the python-can
# interface "ovro" (tools/python-can) with its entry point (group
# "can.interface") for Debian's /usr/bin/python3, or into DIR (a folder on
# the Python path, such as a build tree's or a package root's).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
python=/usr/bin/python3
target=
while [ $# -gt 0 ]; do
  case $1 in
    --target) target=$2; shift 2 ;;
    --python) python=$2; shift 2 ;;
    *) echo "usage: $0 [--target DIR] [--python PYTHON]" >&2; exit 2 ;;
  esac
done
if [ -z "$target" ]; then
  # The first site folder of the system's Python (/usr/local/lib/python3.X/dist-packages).
  target=$("$python" -c 'import site; print(site.getsitepackages()[0])')
fi
version=$(sed -nE 's/^__version__ = "(.*)"/\1/p' "$top/tools/python-can/ovro_can/__init__.py")
mkdir -p "$target"
rm -rf "$target/ovro_can" "$target"/ovro_can-*.dist-info
cp -r "$top/tools/python-can/ovro_can" "$target/ovro_can"
find "$target/ovro_can" -name '__pycache__' -prune -exec rm -rf {} +
info="$target/ovro_can-$version.dist-info"
mkdir -p "$info"
cat > "$info/METADATA" <<META
Metadata-Version: 2.1
Name: ovro-can
Version: $version
Summary: python-can interface for the virtual CAN bus of Ovro-QVT
Requires-Dist: python-can
META
cat > "$info/entry_points.txt" <<ENTRY
[can.interface]
ovro = ovro_can.bus:OvroBus
ENTRY
echo "ovro-qvt" > "$info/INSTALLER"
(cd "$target" && find ovro_can "ovro_can-$version.dist-info" -type f | sed 's/$/,,/') > "$info/RECORD"
echo "ovro_can-$version.dist-info/RECORD,," >> "$info/RECORD"
echo "python-can interface 'ovro' installed in $target"
