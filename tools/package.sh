#!/usr/bin/env bash
# Builds the release programs and a Debian package of them (CPack) into
# build/package/: velmora4_<version>_amd64.deb. Install it with
#   sudo apt install ./build/package/velmora4_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh --tests  # the Python module goes into the package too
tools/configure.sh
cmake --build build/release -j "$(nproc)" --target velmora4 velmora4-cli velmora4_python
cpack --config build/release/CPackConfig.cmake -B build/package
ls -l build/package/*.deb
