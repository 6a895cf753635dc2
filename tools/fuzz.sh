#!/usr/bin/env bash
# Runs the libFuzzer targets of tests/fuzz.
#
#   tools/fuzz.sh [TARGET] [SECONDS]            the checking build
#   tools/fuzz.sh --volume TARGET [SECONDS]     the volume build
#
# TARGET is formula, symbolic, geometry, document or all (the default);
# SECONDS is the time per target (default 60).
#
# The checking build (build/fuzz: clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) finds out-of-bounds accesses; tools/test.sh
# builds and uses it for its short runs. The volume build (build/fuzz-volume:
# UndefinedBehaviorSanitizer only, built from tools/configure.sh volume when
# missing) runs 1.2 to 2 times as many inputs a second (the compiled formulas
# themselves carry no sanitizer in either), and keeps going past a finding
# (libFuzzer's fork mode) so that an hour's run is an hour of fuzzing. Both
# route every call into compiled code through the calling-convention check.
#
# New inputs go to BUILD/corpus/TARGET, findings (crash-*, leak-*, timeout-*)
# to BUILD/findings/TARGET; the seeds in tests/fuzz/corpus are only read. A
# finding is replayed with BUILD/tests/fuzz/fuzz_TARGET FILE. Extra libFuzzer
# options can be given in FUZZ_OPTIONS.
set -euo pipefail
cd "$(dirname "$0")/.."
volume=0
if [ "${1:-}" = --volume ]; then
  volume=1
  shift
fi
target=${1:-all}
seconds=${2:-60}
targets=(formula symbolic geometry document)
if [ "$target" != all ]; then targets=("$target"); fi

if ((volume)); then build=build/fuzz-volume config=volume; else build=build/fuzz config=fuzz; fi
missing=0
for t in "${targets[@]}"; do [ -x "$build/tests/fuzz/fuzz_$t" ] || missing=1; done
if ((missing)); then
  tools/deps.sh clang libclang-rt-14-dev
  [ -f "$build/CMakeCache.txt" ] || tools/configure.sh "$config"
  cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}" ||
    { echo "no fuzz target among: ${targets[*]} (formula, symbolic, geometry, document)" >&2; exit 2; }
fi

for t in "${targets[@]}"; do
  binary="$build/tests/fuzz/fuzz_$t"
  [ -x "$binary" ] || { echo "no fuzz target '$t' (formula, symbolic, geometry, document)" >&2; exit 2; }
  mkdir -p "$build/corpus/$t" "$build/findings/$t"
  options=(-max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -max_len=512 -print_final_stats=1
           -artifact_prefix="$build/findings/$t/")
  [ "$t" = document ] || options+=(-dict=tests/fuzz/formula.dict)
  if ((volume)); then options+=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1); fi
  echo "== fuzz_$t for ${seconds} s ($build)"
  # shellcheck disable=SC2086
  "$binary" "${options[@]}" ${FUZZ_OPTIONS:-} "$build/corpus/$t" "tests/fuzz/corpus/$t"
done
