#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60).
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}; shift || true
build="$top/build/fuzz"
# The windows' libraries are configured too (a target draws articles offscreen); only the fuzz
# targets asked for are built.
CC=clang CXX=clang++ "$top/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMIRELDA_BUILD_UI=ON -DMIRELDA_BUILD_TESTS=OFF -DMIRELDA_FUZZ=ON
targets=("$@")
if ((${#targets[@]} == 0)); then
  # Every target that has a source, so that one that failed to build is not skipped unseen.
  for f in "$top"/tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp | sed 's/^fuzz_//')"); done
fi
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"
# Per-input time limits: an article must show within a second on a desktop; under the
# sanitizers a few seconds is the same bound.
declare -A timeouts=([article_view]=5)
for t in "${targets[@]}"; do
  if [[ ! -x "$build/tests/fuzz/fuzz_$t" ]]; then echo "no fuzz target fuzz_$t" >&2; exit 1; fi
  corpus="$top/build/fuzz-corpus/$t"; mkdir -p "$corpus"
  seeds="$top/tests/fuzz/seeds/$t"
  echo "== fuzz_$t for ${seconds}s"
  args=("$corpus"); [[ -d "$seeds" ]] && args+=("$seeds")
  dict="$top/tests/fuzz/$t.dict"; [[ -f "$dict" ]] && args=("-dict=$dict" "${args[@]}")
  "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
    -timeout="${timeouts[$t]:-10}" -print_final_stats=1 "${args[@]}" 2>&1 | tail -n 12
done
