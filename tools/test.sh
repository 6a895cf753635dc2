#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the release build with the
# window tests on Qt's offscreen platform, then the engine tests once more
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
jobs=$(nproc)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j "$jobs"
(cd build/release && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=address,undefined \
      -DVELMORA_BUILD_GUI=OFF -DVELMORA_BUILD_CLI=OFF -DVELMORA_BUILD_BENCH=OFF
cmake --build build/sanitize -j "$jobs"
(cd build/sanitize && ctest --output-on-failure -j "$jobs" -L engine)
