#!/usr/bin/env bash
# Builds the Windows programs and from them the installer and the portable zip:
#   dist/Tavrel-VERSION-setup.exe and dist/Tavrel-VERSION-portable.zip
# Missing tools (mingw-w64, cmake, nsis, zip) are installed with apt-get, as for ./run.sh.
# TAVREL_DIST_WINBUILD names another Windows build tree than build/win.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
source "$ROOT/scripts/start.sh"
WINBUILD="${TAVREL_DIST_WINBUILD:-build/win}"
tavrel_build_win "$WINBUILD" tavrel tavrelc
bash installer/build.sh "$WINBUILD" dist
