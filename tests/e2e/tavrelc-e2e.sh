# Shared steps of the tests that drive tavrelc.exe under Wine (sourced by e2e_tavrelc.sh,
# e2e_hostile.sh, e2e_safety.sh, killed.sh and soak.sh): each works in "$W" (drive T:, folder
# T:\<test name>) with its jobs in "$W/jobs", runs the program there and reads its output,
# exit code, files and registry.

# tc_init NAME ROOT WINBUILD
tc_init() {
    TC_NAME="$1"; ROOT="$2"; WINBUILD="$3"
    source "$ROOT/scripts/wine-env.sh"
    source "$ROOT/tests/e2e/jobfiles.sh"
    tavrel_wine_up "$ROOT"
    trap 'tavrel_wine_down' EXIT
    W="$TAVREL_SCRATCH/$TC_NAME"
    WIN="T:\\$TC_NAME"
    EXE="$WINBUILD/tavrelc.exe"
    FILER='HKCU\Software\Ambrex Software\Tavrel\Filer'
    # Read-only files of an earlier run must go too.
    chmod -R u+w "$W" 2>/dev/null; rm -rf "$W"; mkdir -p "$W/jobs"
    failures=0; passed=0
}

ok() { echo "ok   - $1"; passed=$((passed + 1)); }
bad() { echo "FAIL - $1"; failures=$((failures + 1)); }
check() { if eval "$2"; then ok "$1"; else bad "$1"; fi; }

# run_job NAME ARGS... : stdout (CR removed) in $OUT, stderr in $ERR, exit code in $RC. With
# TC_TIMEOUT set, a run that takes longer (seconds) is stopped.
run_job() {
    local name="$1"; shift
    if [ -n "${TC_TIMEOUT:-}" ]; then
        timeout "$TC_TIMEOUT" wine "$EXE" "$WIN\\jobs\\$name.tvj" "$@" </dev/null >"$W/out.txt" 2>"$W/err.txt"
    else
        wine "$EXE" "$WIN\\jobs\\$name.tvj" "$@" </dev/null >"$W/out.txt" 2>"$W/err.txt"
    fi
    RC=$?
    OUT=$(tr -d '\r' <"$W/out.txt")
    ERR=$(tr -d '\r' <"$W/err.txt")
}
