#!/usr/bin/env bash
# The installed tree as a desktop session sees it, in a private home: the help-set type from
# its shared-mime-info package, the menu entry that opens that type, and the viewer started
# the way the entry's Exec line says, on a help set named by one of its files.
# Usage: desktop_integration.sh BUILD_DIR   (after a full build)
set -euo pipefail
build=$1
work=$(mktemp -d)
viewer=
cleanup() {
  [[ -n $viewer ]] && kill "$viewer" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/home/.local
cmake --install "$build" --prefix "$prefix" >/dev/null
export HOME=$work/home XDG_DATA_HOME=$prefix/share XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_DIRS=/usr/share XDG_RUNTIME_DIR=$work/run XDG_CURRENT_DESKTOP=GNOME
mkdir -m 700 "$XDG_RUNTIME_DIR"

package=$XDG_DATA_HOME/mime/packages/mirelda.xml
entry=$XDG_DATA_HOME/applications/mirelda.desktop
[[ -f $package ]] || fail "no $package"
xmllint --noout "$package"
out=$(update-mime-database "$XDG_DATA_HOME/mime" 2>&1) || fail "update-mime-database: $out"
[[ -z $out ]] || fail "update-mime-database: $out"
desktop-file-validate "$entry"
update-desktop-database "$XDG_DATA_HOME/applications"

# A help set the project never made, in a folder with a space, extensions in lower case.
mkdir "$work/mes aides"
for ext in PGH PGD PGL FIC; do
  cp "$XDG_DATA_HOME/mirelda/GUIDE.$ext" "$work/mes aides/Catalogue.${ext,,}"
done
cp "$XDG_DATA_HOME/mirelda/GUIDE.PGH" "$work/mes aides/AUTRE.PGH"
for file in "Catalogue.pgh" "AUTRE.PGH"; do
  type=$(xdg-mime query filetype "$work/mes aides/$file")
  [[ $type == application/x-mirelda-help ]] || fail "$file is $type"
done
default=$(xdg-mime query default application/x-mirelda-help)
[[ $default == mirelda.desktop ]] || fail "default application: '$default'"

# What a file manager runs: Exec with %f replaced by the file.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[[ $exec_line == "mirelda %f" ]] || fail "Exec=$exec_line"
PATH=$prefix/bin:$PATH MIRELDA_PROBE=1 QT_QPA_PLATFORM=offscreen \
  mirelda "$work/mes aides/Catalogue.pgh" >"$work/out" 2>"$work/err" </dev/null &
viewer=$!
for _ in $(seq 200); do
  grep -q '^article 1 ' "$work/out" && break
  kill -0 "$viewer" 2>/dev/null || break
  sleep 0.1
done
grep -q '^article 1 ' "$work/out" || fail "the viewer showed no article: $(cat "$work/out" "$work/err")"
PATH=$prefix/bin:$PATH QT_QPA_PLATFORM=offscreen mirelda "$work/mes aides/Catalogue.PGD" /F
wait "$viewer" || fail "the viewer ended with $?"
viewer=
# The reader defined nothing: no file beside the help set.
ls "$work/mes aides" | grep -qiE '\.(sig|not|no\$)$' && fail "user files made: $(ls "$work/mes aides")"
echo "desktop integration: ok"
