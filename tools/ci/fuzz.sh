#!/usr/bin/env bash
# Fuzzes the input reader (read, round, write, and one calculation) and the notebook's model reader
# for a bounded time in all, split between the two, under AddressSanitizer and
# UndefinedBehaviorSanitizer. Needs clang; exits non-zero on any finding.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${INGRANIX_FUZZ_SECONDS:-60}
build="$here/build-fuzz"
CXX=clang++-14 cmake -S "$here" -B "$build" -G Ninja -DINGRANIX_FUZZ=ON -DINGRANIX_SANITIZE=ON \
  -DINGRANIX_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target fuzz_numbers fuzz_model

run() { # target, dictionary
  mkdir -p "$build/corpus-$1"
  "$build/bin/$1" -max_total_time="$((seconds / 2))" -max_len=4096 -rss_limit_mb=4096 \
    -dict="$2" -artifact_prefix="$build/$1-" "$build/corpus-$1"
}
run fuzz_numbers "$here/tests/mechanisms/fuzz_numbers.dict"
run fuzz_model "$here/tests/notebook/fuzz_model.dict"
