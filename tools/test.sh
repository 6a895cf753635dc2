#!/usr/bin/env bash
# Builds and runs the whole test suite, in three builds (tools/configure.sh):
# - build/release (gcc, warnings are errors), the build tools/run.sh makes
#   and starts: every test, the window tests on Qt's offscreen platform, the
#   command line's, the package's and the desktop files' tests included;
# - build/fuzz, the engine under clang's AddressSanitizer and
#   UndefinedBehaviorSanitizer: the engine tests, then each fuzz target for a
#   short run from its seeds, every call into compiled code checked for the
#   calling convention;
# - build/tsan: the tests that start threads under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh --tests clang libclang-rt-14-dev man-db appstream desktop-file-utils bash-completion
jobs=$(nproc)

tools/configure.sh release
cmake --build build/release -j "$jobs"
(cd build/release && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

tools/configure.sh fuzz
cmake --build build/fuzz -j "$jobs"
(cd build/fuzz && ctest --output-on-failure -j "$jobs" -L engine)
# The fuzz targets' short runs, as many at once as there are processors.
printf '%s\n' formula symbolic geometry document |
  xargs -P "$jobs" -I{} bash -c 'tools/fuzz.sh {} 12 > build/fuzz/smoke-{}.log 2>&1 ||
                                  { cat build/fuzz/smoke-{}.log; echo "fuzz_{} failed"; exit 255; }'
grep -H "stat::number_of_executed_units" build/fuzz/smoke-*.log

threaded=(background evaluator formula geometry points session mesh python)
tools/configure.sh tsan
cmake --build build/tsan -j "$jobs" --target "${threaded[@]/#/test_}"
for suite in "${threaded[@]}"; do
  echo "== test_$suite under ThreadSanitizer"
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" "build/tsan/tests/$suite/test_$suite" --gtest_brief=1
done
