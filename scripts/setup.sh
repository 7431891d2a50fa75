#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, only when something is missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config
          qt6-base-dev qt6-serialport-dev qt6-multimedia-dev libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev libjpeg-dev
          xvfb xauth fonts-dejavu-core)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
