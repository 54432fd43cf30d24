#!/usr/bin/env bash
# Sets everything up, builds and runs the whole test suite:
#  0. the formatting of every C++ file (clang-format);
#  1. the core tests under AddressSanitizer and UndefinedBehaviorSanitizer (no Qt in that build);
#  2. every test (core, tool, windows on Qt's offscreen platform);
#  3. the window tests again with only the DejaVu fonts visible (a private fontconfig file), as
#     on a bare machine: a test that depends on the faces installed fails here.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${MIRELDA_JOBS:-2}

"$top/scripts/setup.sh"

echo "== formatting"
"$top/scripts/check_format.sh"

echo "== core tests under ASan + UBSan"
asan="$top/build/asan"
"$top/scripts/setup.sh" "$asan" -DCMAKE_BUILD_TYPE=Debug -DMIRELDA_BUILD_UI=OFF \
  -DMIRELDA_SANITIZE=ON -DMIRELDA_WERROR=ON
cmake --build "$asan" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$asan" -j "$jobs" --output-on-failure --no-tests=error

echo "== all tests"
main="$top/build/ci"
"$top/scripts/setup.sh" "$main" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRELDA_WERROR=ON
cmake --build "$main" -j "$jobs"
ctest --test-dir "$main" -j "$jobs" --output-on-failure --no-tests=error

echo "== window tests with only the DejaVu fonts"
FONTCONFIG_FILE="$top/tests/ui/dejavu_only_fonts.conf" \
  ctest --test-dir "$main" -j "$jobs" -L ui --output-on-failure --no-tests=error
