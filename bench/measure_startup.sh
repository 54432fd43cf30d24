#!/usr/bin/env bash
# Start-up cost of the viewer: time from process start to the first article shown, and the
# viewer's resident memory then, on the bundled guide and on the generated 20 000-article
# help set, median of RUNS runs (default 5), on the offscreen platform and, when xvfb-run is
# installed, on a real X server (Xvfb). See measure_startup.py for what is timed.
#
#   bench/measure_startup.sh [RUNS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/bench-startup"
runs="${1:-5}"

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIRELDA_BUILD_BENCH=ON \
    -DMIRELDA_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" -j2 mirelda help_guide generate_help_set | tail -n 1

# The generator is deterministic: regenerate only when it is newer than the files it wrote.
data="$build/startup-data"
big="$data/SYNTHESE"
if [[ ! -f "$big.PGD" || "$build/bench/generate_help_set" -nt "$big.PGD" ]]; then
    mkdir -p "$data"
    "$build/bench/generate_help_set" "$big" 20000
fi
for base in "$build/GUIDE" "$big"; do
    printf '%s: ' "$base"
    du -cb "$base".{PGH,PGD,PGL,FIC} | tail -n 1 | cut -f1 | tr '\n' ' '
    echo bytes
done

measure() {
    local platform=$1
    shift
    # The bundled guide as a user starts it: no switch, the help set beside the program.
    "$@" python3 "$top/bench/measure_startup.py" --runs "$runs" --platform "$platform" \
        --label "bundled guide" "$build/mirelda"
    "$@" python3 "$top/bench/measure_startup.py" --runs "$runs" --platform "$platform" \
        --label "20 000 articles" "$build/mirelda" "/D:$big"
}

measure offscreen
if command -v xvfb-run >/dev/null; then
    measure xcb xvfb-run -a -s "-screen 0 1280x900x24"
else
    echo "xvfb-run is not installed: no measurement on a real X server"
fi
