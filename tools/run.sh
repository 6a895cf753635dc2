#!/usr/bin/env bash
# Builds Velmora4 and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j "$(nproc)"
if [ -x build/release/app/velmora4 ]; then
  exec build/release/app/velmora4 "$@"
else
  exec build/release/cli/velmora4-cli --help
fi
