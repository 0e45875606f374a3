#!/usr/bin/env bash
# Builds what is missing and starts Tavrel (under Wine on Linux, in a private prefix in build/).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
cd "$ROOT"
source scripts/tools.sh
tavrel_need_tools
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/win -j "$(nproc 2>/dev/null || echo 2)"
if [ ! -f build/win/tavrel.exe ]; then
    echo "build/win/tavrel.exe is not built yet (the main window does not exist yet)." >&2
    exit 1
fi
export WINEPREFIX="$ROOT/build/wineprefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
exec wine build/win/tavrel.exe "$@"
