#!/usr/bin/env bash
# Builds and runs the benchmarks (never part of the test suite).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
tools/configure.sh
cmake --build build/release -j "$(nproc)" --target velmora_benchmarks
for b in build/release/bench/*; do
  if [ -x "$b" ] && [ -f "$b" ]; then
    case $(basename "$b") in
      # OpenGL frames: Mesa's software renderer on a virtual display.
      bench_view3d) xvfb-run -a -s "-screen 0 1280x1024x24" "$b" "$@" ;;
      *) "$b" "$@" ;;
    esac
  fi
done
# The Python module's timings, when it is built (pybind11 installed).
if cmake --build build/release -j "$(nproc)" --target velmora4_python 2> /dev/null; then
  PYTHONPATH=$PWD/build/release/python/module /usr/bin/python3 bench/bench_python.py
fi
