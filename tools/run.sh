#!/usr/bin/env bash
# Builds Velmora4 (the window and velmora4-cli, nothing else) and starts it.
# tools/test.sh later builds the tests in the same build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
tools/configure.sh
cmake --build build/release -j "$(nproc)" --target velmora4 velmora4-cli
if [ -x build/release/app/velmora4 ]; then
  exec build/release/app/velmora4 "$@"
else
  exec build/release/cli/velmora4-cli --help
fi
