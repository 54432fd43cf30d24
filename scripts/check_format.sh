#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what the project's clang-format makes of it.
# The version is pinned to the one scripts/setup.sh installs, since layouts differ between versions.
# Usage: scripts/check_format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
format=clang-format-14
mapfile -t files < <(git ls-files '*.cpp' '*.h' ':!tests/data/**')
if [[ ${1:-} == --fix ]]; then
  "$format" -i "${files[@]}"
  exit 0
fi
if ! "$format" --dry-run --Werror "${files[@]}"; then
  echo "Some files are not formatted; run scripts/check_format.sh --fix" >&2
  exit 1
fi
echo "Formatting: ${#files[@]} files as $format lays them out."
