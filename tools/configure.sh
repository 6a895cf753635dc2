#!/usr/bin/env bash
# Configures one of the project's builds, each with its one set of flags, so
# that no script rebuilds what another built with other flags:
#
#   release  build/release: gcc, Release, warnings are errors. The programs
#            (tools/run.sh, package.sh, gallery.sh), every test suite
#            (tools/test.sh) and the benchmarks (tools/bench.sh).
#   fuzz     build/fuzz: the engine under clang's AddressSanitizer and
#            UndefinedBehaviorSanitizer, its tests and the fuzz targets, every
#            call into compiled code checked for the calling convention.
#   volume   build/fuzz-volume: the same without AddressSanitizer, for long
#            fuzzing runs (tools/fuzz.sh --volume).
#   tsan     build/tsan: the engine and its tests under ThreadSanitizer.
#
# The release build compiles the programs, the engine and the benchmarks at
# -O3 and the test suites at -O1 (a third less time; the code they test is the
# programs'). The sanitizer builds optimise the engine at -O1 with line tables
# only (file and line in every report) and the tests at -O0: there the engine
# is what is checked, and they compile in about half the time. Extra arguments
# go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-release}
shift || true
sanitizer=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG"
           -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_WERROR=ON -DVELMORA_TEST_COMPILE_OPTIONS=-O0
           -DVELMORA_BUILD_GUI=OFF -DVELMORA_BUILD_CLI=OFF -DVELMORA_BUILD_BENCH=OFF)
case $build in
  release) cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=ON \
                 -DVELMORA_TEST_COMPILE_OPTIONS=-O1 "$@" ;;
  fuzz) cmake -S . -B build/fuzz -G Ninja "${sanitizer[@]}" -DVELMORA_SANITIZE=address,undefined -DVELMORA_FUZZ=ON "$@" ;;
  volume) cmake -S . -B build/fuzz-volume -G Ninja "${sanitizer[@]}" -DVELMORA_SANITIZE=undefined -DVELMORA_FUZZ=ON "$@" ;;
  tsan) cmake -S . -B build/tsan -G Ninja "${sanitizer[@]}" -DVELMORA_SANITIZE=thread "$@" ;;
  *) echo "usage: tools/configure.sh [release|fuzz|volume|tsan] [CMAKE-ARGUMENTS...]" >&2; exit 2 ;;
esac
