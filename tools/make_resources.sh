#!/bin/sh
# Regenerates the lights, the emblem and the gear movies in resources/ with tools/make_resources.
#
#   tools/make_resources.sh            (build folder: build-res/make_resources, or $BUILD_DIR)
#
# The tool is built on its own, so this works whatever state the rest of the game is in. The new
# files replace the old ones only once every one of them has been drawn and read back correctly.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-res/make_resources}
files="lucir.gif luciv.gif lucig.gif lucib.gif emblem.png rosso.gif verde.gif blu.gif grigio.gif
  lucir@3x.gif luciv@3x.gif lucig@3x.gif lucib@3x.gif rosso@3x.gif verde@3x.gif blu@3x.gif grigio@3x.gif"

cmake -S "$root/tools/make_resources" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
QT_QPA_PLATFORM=offscreen "$build/make_resources" "$fresh"
mkdir -p "$root/resources"
# Only this tool's own files: resources/ also holds what other tools make.
for f in $files; do
  test -s "$fresh/$f" || { echo "make_resources did not write $f" >&2; exit 1; }
done
for f in $files; do
  cp "$fresh/$f" "$root/resources/$f"
done
ls -l $(for f in $files; do echo "$root/resources/$f"; done)
