#!/usr/bin/env bash
# Sets everything up, builds the viewer with its bundled guide and starts it.
# Arguments are passed to the viewer (for example /P:12 or /D:/path/to/HELPSET).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/release"
"$top/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DMIRELDA_BUILD_TESTS=OFF
cmake --build "$build" --target mirelda mirelda-tool help_guide 2>&1 | tail -n 3
exec "$build/mirelda" "$@"
