#!/usr/bin/env bash
# Installs what is missing, builds Ingranix and starts it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/ci/install-deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DINGRANIX_BUILD_TESTS=OFF -DINGRANIX_BUILD_BENCH=OFF
cmake --build "$here/build" --target ingranix ingranix_resources
exec "$here/build/bin/ingranix"
