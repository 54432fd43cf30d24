#!/usr/bin/env bash
# Installs what building and testing Mirelda needs on Debian 12, then configures a build.
# Usage: scripts/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  libicu-dev libcmark-gfm-dev libcmark-gfm-extensions-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev qt6-image-formats-plugins
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format-14
  fonts-dejavu-core fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea
  appstream desktop-file-utils file dpkg-dev
  shared-mime-info xdg-utils libglib2.0-bin libxml2-utils
  ripgrep linux-perf  # bench/measure_scale.sh's reference search, and profiling
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  if [[ $(id -u) -eq 0 ]]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Mirelda needs these Debian packages. Run as root:" >&2
    echo "  apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
fi

if [[ $# -ge 1 ]]; then
  build_dir=$1; shift
  cmake -S "$(dirname "$0")/.." -B "$build_dir" -G Ninja "$@" >/dev/null
fi
