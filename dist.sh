#!/usr/bin/env bash
# Builds the Windows programs and from them the installer and the portable zip:
#   dist/Tavrel-VERSION-setup.exe and dist/Tavrel-VERSION-portable.zip
# Missing tools (mingw-w64, cmake, nsis, zip) are installed with apt-get, as for ./run.sh.
# TAVREL_DIST_WINBUILD names another Windows build tree than build/win.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
cd "$ROOT"
source scripts/tools.sh
tavrel_need_tools
WINBUILD="${TAVREL_DIST_WINBUILD:-build/win}"
cmake -S . -B "$WINBUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$WINBUILD" -j "$(nproc 2>/dev/null || echo 2)" --target tavrel tavrelc
bash installer/build.sh "$WINBUILD" dist
