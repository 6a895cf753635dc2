#!/usr/bin/env bash
# Builds everything and runs the whole test suite, in three builds:
# - release (gcc, warnings are errors): every test, the window tests on Qt's
#   offscreen platform and the command line's tests included;
# - the engine under clang's AddressSanitizer and UndefinedBehaviorSanitizer:
#   the engine tests, then each fuzz target for a short run from its seeds,
#   every call into compiled code checked for the calling convention;
# - the tests that start threads under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh clang libclang-rt-14-dev
jobs=$(nproc)
engine_only=(-DVELMORA_BUILD_GUI=OFF -DVELMORA_BUILD_CLI=OFF -DVELMORA_BUILD_BENCH=OFF)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=ON
cmake --build build/release -j "$jobs"
(cd build/release && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DVELMORA_SANITIZE=address,undefined -DVELMORA_FUZZ=ON -DVELMORA_WERROR=ON "${engine_only[@]}"
cmake --build build/fuzz -j "$jobs"
(cd build/fuzz && ctest --output-on-failure -j "$jobs" -L engine)
tools/fuzz.sh all 12

threaded=(background evaluator formula geometry session)
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DVELMORA_SANITIZE=thread -DVELMORA_WERROR=ON "${engine_only[@]}"
cmake --build build/tsan -j "$jobs" --target "${threaded[@]/#/test_}"
for suite in "${threaded[@]}"; do
  echo "== test_$suite under ThreadSanitizer"
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" "build/tsan/tests/$suite/test_$suite" --gtest_brief=1
done
