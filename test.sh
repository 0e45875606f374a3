#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the Windows test program under
# Wine, and the end-to-end tests of the programs. ctest's summary is the last line printed.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
source "$ROOT/scripts/start.sh"

JOBS=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_WIN_BUILD="$ROOT/build/win" >/dev/null
cmake --build build/native -j "$JOBS"
tavrel_build_win build/win

tavrel_wine_up "$ROOT"
export TAVREL_XVFB_PID
trap "tavrel_wine_down all" EXIT
cd build/native
ctest --output-on-failure -j "$JOBS"
