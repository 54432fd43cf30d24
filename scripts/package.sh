#!/usr/bin/env bash
# Builds the Debian package from a Release build and checks what it holds.
# Usage: scripts/package.sh [BUILD_DIR]     (default build/release)
# Leaves BUILD_DIR/mirelda_<version>_<arch>.deb and prints its path.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/release"}

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
         usr/share/doc/mirelda/copyright usr/share/doc/mirelda/README.md.gz \
         usr/share/icons/hicolor/48x48/apps/mirelda.png; do
  [[ -e "$check/$f" ]] || { echo "package.sh: /$f is missing from the package" >&2; exit 1; }
done
dpkg-deb --field "$deb" Package Version Architecture Depends
echo "$deb"
