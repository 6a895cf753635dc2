#!/usr/bin/env bash
# Builds and runs the benchmarks (never part of the test suite).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j "$(nproc)"
for b in build/release/bench/*; do
  if [ -x "$b" ] && [ -f "$b" ]; then "$b" "$@"; fi
done
