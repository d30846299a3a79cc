#!/usr/bin/env bash
# Fuzzes the texts a player types, as the input reader (read, round, write, and one calculation) and
# the notebook's model reader take them, for a bounded time, under AddressSanitizer and
# UndefinedBehaviorSanitizer. Needs clang; exits non-zero on any finding.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${INGRANIX_FUZZ_SECONDS:-60}
build="$here/build-fuzz"
CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DINGRANIX_FUZZ=ON -DINGRANIX_SANITIZE=ON \
  -DINGRANIX_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target fuzz_typed

mkdir -p "$build/corpus"
"$build/bin/fuzz_typed" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=4096 \
  -dict="$here/tests/fuzz/fuzz_typed.dict" -artifact_prefix="$build/fuzz_typed-" "$build/corpus"
