#!/usr/bin/env bash
# Runs the libFuzzer targets of tests/fuzz: tools/fuzz.sh [TARGET] [SECONDS].
# TARGET is formula, symbolic, geometry, document or all (the default); SECONDS is the
# time per target (default 60). Builds build/fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) when it is missing. New inputs go to
# build/fuzz/corpus/TARGET, findings (crash-*, leak-*, timeout-*) to
# build/fuzz/findings/TARGET; the seeds in tests/fuzz/corpus are only read.
# Extra libFuzzer options can be given in FUZZ_OPTIONS.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-all}
seconds=${2:-60}
build=build/fuzz

if [ ! -x "$build/tests/fuzz/fuzz_formula" ]; then
  tools/deps.sh clang libclang-rt-14-dev
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DVELMORA_SANITIZE=address,undefined -DVELMORA_FUZZ=ON \
        -DVELMORA_BUILD_GUI=OFF -DVELMORA_BUILD_CLI=OFF -DVELMORA_BUILD_BENCH=OFF
  cmake --build "$build" -j "$(nproc)"
fi

targets=(formula symbolic geometry document)
if [ "$target" != all ]; then targets=("$target"); fi
for t in "${targets[@]}"; do
  binary="$build/tests/fuzz/fuzz_$t"
  [ -x "$binary" ] || { echo "no fuzz target '$t' (formula, symbolic, geometry, document)" >&2; exit 2; }
  mkdir -p "$build/corpus/$t" "$build/findings/$t"
  echo "== fuzz_$t for ${seconds} s"
  "$binary" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -max_len=512 -print_final_stats=1 \
            $([ "$t" = document ] || echo -dict=tests/fuzz/formula.dict) -artifact_prefix="$build/findings/$t/" ${FUZZ_OPTIONS:-} \
            "$build/corpus/$t" "tests/fuzz/corpus/$t"
done
