#!/usr/bin/env bash
# The long tests: the fuzzers for a fixed number of executions each, the native tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, the soak over a 20 000-file tree and the
# killed-run check, both through tavrelc.exe under Wine. Takes two to three hours on two cores.
# Environment: TAVREL_FUZZ_RUNS (executions per fuzzer, default 1000000), TAVREL_SOAK_FILES
# (default 20000), TAVREL_KILLS (kills during a copy, default 100), TAVREL_DELETE_KILLS
# (kills during a delete phase, default 30), TAVREL_WIN_TREE (the mingw tree that builds
# tavrelc.exe, default build/win). Arguments name the parts to run (fuzz, sanitizers, soak,
# killed); none runs them all.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
source "$ROOT/scripts/start.sh"

FUZZ_RUNS="${TAVREL_FUZZ_RUNS:-1000000}"
SOAK_FILES="${TAVREL_SOAK_FILES:-20000}"
KILLS="${TAVREL_KILLS:-100}"
DELETE_KILLS="${TAVREL_DELETE_KILLS:-30}"
WIN_TREE="${TAVREL_WIN_TREE:-build/win}"
JOBS=$(nproc 2>/dev/null || echo 2)
summary=()
failed=0
note() { summary+=("$1"); echo "== $1"; }
PARTS=" ${*:-fuzz sanitizers soak killed} "
wants() { [[ "$PARTS" == *" $1 "* ]]; }

# clang with the fuzzer and sanitizer runtimes of its own version.
apt_install() {
    local sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$@" >/dev/null
}
command -v clang++ >/dev/null || apt_install clang
if [ ! -f "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ]; then
    apt_install "libclang-rt-$(clang++ --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)-dev"
fi

# ---- Fuzzers ----
if wants fuzz; then
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTAVREL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
FUZZERS=$(cd fuzz/corpus && ls -d */ | sed 's|/$||;s|^|fuzz_|')
cmake --build build/fuzz -j "$JOBS" --target $FUZZERS || exit 1
for f in $FUZZERS; do
    t=${f#fuzz_}
    run="build/fuzz/run/$t"
    rm -rf "$run"; mkdir -p "$run/corpus" "$run/found"
    (cd "$run" && "$ROOT/build/fuzz/$f" -runs="$FUZZ_RUNS" -seed=1 -max_len=4096 -timeout=10 \
        -artifact_prefix=found/ corpus "$ROOT/fuzz/corpus/$t" >log.txt 2>&1)
    rc=$?
    line=$(grep -E '^#[0-9]+.*DONE' "$run/log.txt" | tail -1 | sed 's/ *lim:.*//;s/\t/ /g')
    if [ $rc = 0 ]; then
        note "fuzz $t: $FUZZ_RUNS executions, no finding (${line})"
    else
        note "fuzz $t: FINDING, see $run/log.txt and $run/found/"
        failed=$((failed + 1))
    fi
done
fi

# ---- Native tests under the sanitizers ----
if wants sanitizers; then
SAN="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS="$SAN" \
    -DCMAKE_CXX_FLAGS="$SAN" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
if cmake --build build/asan -j "$JOBS"; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    (cd build/asan && ctest -j "$JOBS" --output-on-failure >ctest.log 2>&1)
    rc=$?
    line=$(grep -E 'tests passed' build/asan/ctest.log | tail -1)
    reports=$(grep -cE 'ERROR: AddressSanitizer|runtime error:|ERROR: LeakSanitizer' build/asan/ctest.log)
    if [ $rc = 0 ] && [ "$reports" = 0 ]; then note "sanitizers: $line, no report"; else
        note "sanitizers: FAILED ($line; $reports sanitizer reports), see build/asan/ctest.log"; failed=$((failed + 1)); fi
    unset ASAN_OPTIONS UBSAN_OPTIONS
else
    note "sanitizers: the build failed"; failed=$((failed + 1))
fi
fi

# ---- Soak and killed runs through tavrelc.exe under Wine ----
if wants soak || wants killed; then
tavrel_build_win "$WIN_TREE" tavrelc || exit 1
tavrel_wine_up "$ROOT"
export TAVREL_XVFB_PID
trap "tavrel_wine_down" EXIT
fi
if wants soak; then
if bash tests/e2e/soak.sh "$ROOT" "$ROOT/$WIN_TREE" "$SOAK_FILES" 5 | tee build/soak.log; then
    note "$(tail -1 build/soak.log)"
else
    note "soak: FAILED, see build/soak.log"; failed=$((failed + 1))
fi
fi
if wants killed; then
if bash tests/e2e/killed.sh "$ROOT" "$ROOT/$WIN_TREE" "$KILLS" "$DELETE_KILLS" | tee build/killed.log; then
    note "$(tail -1 build/killed.log)"
else
    note "killed runs: FAILED, see build/killed.log"; failed=$((failed + 1))
fi
fi

echo
printf '%s\n' "${summary[@]}"
[ $failed = 0 ] && echo "Long tests: all passed" || echo "Long tests: $failed part(s) failed"
[ $failed = 0 ]
