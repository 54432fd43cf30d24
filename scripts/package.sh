#!/usr/bin/env bash
# Builds the Debian package from a Release build and checks what it holds.
# Usage: scripts/package.sh [BUILD_DIR]     (default build/release)
# Leaves BUILD_DIR/mirelda_<version>_<arch>.deb and prints its path.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/release"}

# What checks the package: lintian (Debian's policy checker), hardening-check (devscripts).
tools=(lintian devscripts)
for p in "${tools[@]}"; do
  if [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true) != "install ok installed" ]]; then
    if [[ $(id -u) -eq 0 ]]; then
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${tools[@]}"
      break
    fi
    echo "package.sh needs: apt-get install -y ${tools[*]}" >&2
    exit 1
  fi
done

bash "$root/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DMIRELDA_BUILD_TESTS=OFF
cmake --build "$build"
rm -f "$build"/mirelda_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/mirelda_*.deb)

# The metadata as installed must pass the validators the software centre and the menu use.
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
dpkg-deb -x "$deb" "$check"
appstreamcli validate --no-net "$check"/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$check"/usr/share/applications/mirelda.desktop
for f in usr/bin/mirelda usr/bin/mirelda-tool usr/share/mirelda/GUIDE.PGD \
         usr/share/man/man1/mirelda.1.gz usr/share/man/man1/mirelda-tool.1.gz \
         usr/share/doc/mirelda/copyright usr/share/doc/mirelda/changelog.gz \
         usr/share/doc/mirelda/changelog.Debian.gz usr/share/doc/mirelda/README.md.gz \
         usr/share/icons/hicolor/48x48/apps/mirelda.png; do
  [[ -e "$check/$f" ]] || { echo "package.sh: /$f is missing from the package" >&2; exit 1; }
done
# Both programs hardened as Debian builds are (fortify, stack protector, RELRO, bind now, PIE).
# Not control-flow protection: no program linked on Debian 12 can have it (see
# cmake/MireldaHardening.cmake).
hardening-check --nocfprotection "$check"/usr/bin/mirelda "$check"/usr/bin/mirelda-tool

# Debian's policy: any error or warning fails the package. --info explains each tag found.
lintian --info --fail-on error,warning --display-level ">=info" "$deb"

dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
echo "$deb"
