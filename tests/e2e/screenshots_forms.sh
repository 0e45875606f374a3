#!/usr/bin/env bash
# Pictures of the progress, splash, About and Planlæg windows for a look by eye: runs the disabled
# screenshot test of status_test.exe under the Wine harness and converts its bitmaps to PNG
# files in build/screenshots/forms/.
# Usage: tests/e2e/screenshots_forms.sh ROOT WINBUILD
set -euo pipefail
ROOT="$1"; WINBUILD="$2"
source "$ROOT/scripts/wine-env.sh"
tavrel_wine_up "$ROOT"
trap 'tavrel_wine_down' EXIT
scratch="$TAVREL_SCRATCH/screenshots_forms"
rm -rf "$scratch"; mkdir -p "$scratch"
export TAVREL_TEST_DIR='T:\screenshots_forms\'
export TAVREL_TEST_HOSTDIR="$scratch"
(cd "$scratch" && timeout 120 wine "$WINBUILD/status_test.exe" --gtest_color=no \
    --gtest_also_run_disabled_tests --gtest_filter='*DISABLED_Screenshots*')
out="$ROOT/build/screenshots/forms"
mkdir -p "$out"
for bmp in "$scratch"/*.bmp; do
    convert "$bmp" "$out/$(basename "$bmp" .bmp).png"
done
ls "$out"
