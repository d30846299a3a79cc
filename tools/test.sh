#!/usr/bin/env bash
# Installs what is missing, builds Ingranix and runs every test: once in a normal build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzzer of the texts a player types for a
# bounded time.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=$(nproc)

bash tools/ci/install-deps.sh --tests

# A virtual default printer that keeps every job's PDF, for the printing tests.
bash tools/ci/setup-printer.sh || echo "No virtual printer: the printing tests will say they were skipped."

export LC_ALL=C.UTF-8

echo "== Build and test"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

echo "== Package: make the .deb, install it, start the installed program"
bash tools/ci/test-package.sh build-test

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DINGRANIX_SANITIZE=ON -DINGRANIX_BUILD_BENCH=OFF
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$here/tools/ci/lsan.supp \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -LE 'wholegame|sound'

if [[ -x tools/ci/fuzz.sh ]]; then
  echo "== Fuzz the texts a player types"
  bash tools/ci/fuzz.sh
fi
