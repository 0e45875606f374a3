#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the Windows test program under
# Wine, and the end-to-end tests of the programs. ctest's summary is the last line printed.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
cd "$ROOT"
source scripts/tools.sh
source scripts/wine-env.sh
tavrel_need_tools

JOBS=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_WIN_BUILD="$ROOT/build/win" >/dev/null
cmake --build build/native -j "$JOBS"
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/win -j "$JOBS"

tavrel_wine_up "$ROOT"
export TAVREL_XVFB_PID
trap "tavrel_wine_down all" EXIT
cd build/native
ctest --output-on-failure -j "$JOBS"
