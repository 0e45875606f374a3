#!/usr/bin/env bash
# Runs one Windows test program under the project's Wine prefix, on drive T: (the scratch folder).
set -euo pipefail
ROOT="$1"; EXE="$2"
source "$ROOT/scripts/wine-env.sh"
tavrel_wine_up "$ROOT"
name=$(basename "$EXE" .exe)
scratch="$TAVREL_SCRATCH/$name"
rm -rf "$scratch"; mkdir -p "$scratch"
export TAVREL_TEST_DIR="T:\\$name\\"
export TAVREL_TEST_HOSTDIR="$scratch"
export WINEDEBUG=-all
cd "$scratch"
rc=0
wine "$EXE" --gtest_color=no || rc=$?
tavrel_wine_down
exit $rc
