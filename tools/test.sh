#!/usr/bin/env bash
# Installs what is missing, builds Ingranix and runs every test: once in a normal build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzzer of the texts a player types for a
# bounded time; then all of it again on Debian 13, in a chroot (tools/ci/debian-chroot.sh).
#   --no-install  use the packages already installed (the chroot's leg installs them beforehand)
#   --no-chroot   leave out the Debian 13 chroot
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=$(nproc)
install=1
chroot=1
for option in "$@"; do
  case $option in
    --no-install) install=0 ;;
    --no-chroot) chroot=0 ;;
    *) echo "usage: $0 [--no-install] [--no-chroot]" >&2; exit 2 ;;
  esac
done
as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)

if ((install)); then
  bash tools/ci/install-deps.sh --tests
fi

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

if ((chroot)); then
  echo "== All of it again on Debian 13 (trixie), in a chroot without a network"
  "${as_root[@]}" bash tools/ci/debian-chroot.sh trixie
fi
