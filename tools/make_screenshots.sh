#!/usr/bin/env bash
# Takes the README's screenshots of the real window under Xvfb into docs/screenshots/.
# Usage: tools/make_screenshots.sh [build folder]   (default: build)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
cmake --build "$BUILD" --target screenshots ingranix_resources
mkdir -p "$ROOT/docs/screenshots"
QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 timeout 120 \
  xvfb-run -a -s "-screen 0 1024x768x24" "$BUILD/bin/screenshots" "$ROOT/docs/screenshots"
# The notebook beside the machine, on a screen with room for both.
QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 timeout 120 \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD/bin/screenshots" "$ROOT/docs/screenshots" quaderno
ls -l "$ROOT/docs/screenshots"
