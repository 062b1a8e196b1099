#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, where they are missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ clang pkg-config libgtest-dev libgmock-dev libbenchmark-dev
      qt6-base-dev libqcustomplot-dev libsocketcan-dev xvfb xauth can-utils python3-can)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The python-can interface "ovro" for Debian's python3 (python3-can above).
bash "$(cd "$(dirname "$0")" && pwd)/install-python-can.sh" >/dev/null
