#!/usr/bin/env bash
# Builds and runs the benchmarks (never part of the test suite).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
tools/configure.sh
cmake --build build/release -j "$(nproc)" --target velmora_benchmarks
for b in build/release/bench/*; do
  if [ -x "$b" ] && [ -f "$b" ]; then "$b" "$@"; fi
done
