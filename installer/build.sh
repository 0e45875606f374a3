#!/usr/bin/env bash
# Builds the installer and the portable zip from the programs of a Windows build tree:
#   installer/build.sh WINBUILD OUTDIR
# gives OUTDIR/Tavrel-VERSION-setup.exe and OUTDIR/Tavrel-VERSION-portable.zip, with the
# project's version from CMakeLists.txt. Needs makensis and zip (dist.sh installs them).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -eq 2 ] || { echo "usage: $0 WINBUILD OUTDIR" >&2; exit 2; }
WINBUILD="$(cd "$1" && pwd)"
mkdir -p "$2"
OUT="$(cd "$2" && pwd)"

VERSION=$(sed -n 's/^project(Tavrel VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
[ -n "$VERSION" ] || { echo "No version found in CMakeLists.txt." >&2; exit 1; }
for f in tavrel.exe tavrelc.exe; do
    [ -f "$WINBUILD/$f" ] || { echo "$WINBUILD/$f has not been built." >&2; exit 1; }
done

STAGE="$(mktemp -d)"
trap 'rm -rf "$STAGE"' EXIT
FILES="$STAGE/Ambrex Tavrel"
mkdir -p "$FILES"
# The build keeps debug information for the developers; users get the programs without it.
STRIP=x86_64-w64-mingw32-strip
command -v "$STRIP" >/dev/null || STRIP=""
for f in tavrel.exe tavrelc.exe; do
    if [ -n "$STRIP" ]; then "$STRIP" --strip-debug -o "$FILES/$f" "$WINBUILD/$f"; else cp "$WINBUILD/$f" "$FILES/$f"; fi
done
cp "$ROOT/help/Tavrel.html" "$FILES/Tavrel.html"
# Windows users read the README in Notepad: CR LF line ends.
sed 's/\r*$/\r/' "$ROOT/README.md" > "$FILES/README.txt"

SETUP="$OUT/Tavrel-$VERSION-setup.exe"
ZIP="$OUT/Tavrel-$VERSION-portable.zip"
rm -f "$SETUP" "$ZIP"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$VERSION" -DSTAGE="$FILES" -DOUTFILE="$SETUP" "$ROOT/installer/Tavrel.nsi"
(cd "$STAGE" && zip -q -X -r "$ZIP" "Ambrex Tavrel")
echo "$SETUP"
echo "$ZIP"
