#!/usr/bin/env bash
# Installs the Debian packages that Velmora4 builds and tests with, when missing.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config dpkg-dev
          qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev libqt6opengl6-dev
          xvfb xauth libgl1-mesa-dri
          libgtest-dev libgmock-dev libbenchmark-dev
          libcli11-dev nlohmann-json3-dev
          fonts-liberation2 fonts-dejavu-core
          poppler-utils
          pybind11-dev python3-dev python3-numpy python3-pytest python3-distributed python3-matplotlib)
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y -q "${missing[@]}" || { $SUDO apt-get update -q && $SUDO apt-get install -y -q "${missing[@]}"; }
fi
