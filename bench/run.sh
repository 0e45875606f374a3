#!/usr/bin/env bash
# The speed benchmark: tavrelc.exe under Wine against Wine's xcopy (same prefix) and, as the
# floor of this machine, native cp -a and rsync -a, on generated trees on one scratch disk.
# Every scenario runs --reps times; bench/RESULTS.md gets the medians, the ratios and the
# peak memory of tavrelc.exe, bench/results.csv every single measurement.
# The group "netvaerk" copies a tree of small files to a network drive (bench/netdrive.sh: a
# FUSE pass-through that waits before each metadata request), tavrelc against xcopy.
# After each tavrelc run the destination is compared with the source (bench/checktree.py), and
# in the first repetition a run with one copy worker is compared with the normal run
# (bench/compare_runs.py: files, times, attributes, report lines, console, exit code).
#
#   bench/run.sh [--scale F] [--reps N] [--trees "dokumenter smaa store"] [--no-window]
#                [--no-network] [--net-latency MS] [--net-files N] [--one-worker VAR=VALUE]
#                [--baseline CSV] [--build DIR] [--exe TAVRELC] [--out FILE]
#
# --scale sizes the trees (file and folder counts; the size of the files of "store"). The default
#   0.2 keeps the whole benchmark, peers and window included, under 15 minutes on two cores;
#   --scale 1 measures the full-size trees, which takes hours (xcopy and Wine's cost per file);
# --no-window leaves out tavrel.exe against tavrelc.exe and the opening of a wide folder;
# --baseline puts the tavrelc medians of an earlier results.csv beside the new ones;
# --exe measures a tavrelc.exe built elsewhere (an older version) instead of building one;
# --no-network leaves out the network drive; --net-latency is its wait per metadata request
#   (default 1 ms), --net-files the size of its tree (default 400 files of about 4 KB);
# --one-worker is the environment setting that makes tavrelc copy with one worker, for the
#   comparison run (default TAVREL_WORKERS=1).
# bench/run.sh --trees "" --no-window measures the network drive alone (a few minutes).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ARGS="$*"
START_SECONDS=$SECONDS
SCALE=0.2
REPS=3
TREES="dokumenter smaa store"
WINDOW=1
BASELINE=""
BUILD="$ROOT/build/bench-win"
OUT="$ROOT/bench/RESULTS.md"
EXE=""
NETWORK=1
NET_LATENCY=1
NET_FILES=400
ONE_WORKER="TAVREL_WORKERS=1"
while [ $# -gt 0 ]; do
    case "$1" in
        --scale) SCALE="$2"; shift 2 ;;
        --reps) REPS="$2"; shift 2 ;;
        --trees) TREES="$2"; shift 2 ;;
        --window) WINDOW=1; shift ;;
        --no-window) WINDOW=""; shift ;;
        --baseline) BASELINE="$(realpath "$2")"; shift 2 ;;
        --build) BUILD="$(realpath -m "$2")"; shift 2 ;;
        --out) OUT="$(realpath -m "$2")"; shift 2 ;;
        --exe) EXE="$(realpath "$2")"; shift 2 ;;
        --network) NETWORK=1; shift ;;
        --no-network) NETWORK=""; shift ;;
        --net-latency) NET_LATENCY="$2"; shift 2 ;;
        --net-files) NET_FILES="$2"; shift 2 ;;
        --one-worker) ONE_WORKER="$2"; shift 2 ;;
        *) sed -n '2,29p' "$0"; exit 2 ;;
    esac
done
CSV="${OUT%/*}/results.csv"

source "$ROOT/scripts/start.sh"
source bench/netdrive.sh
need=()
command -v rsync >/dev/null || need+=(rsync)
command -v python3 >/dev/null || need+=(python3)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

# A build tree of its own, optimised as the shipped programs are.
targets=()
[ -z "$EXE" ] && targets+=(tavrelc)
[ -n "$WINDOW" ] && targets+=(tavrel)
if [ ${#targets[@]} -gt 0 ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$BUILD" --target "${targets[@]}" -j2 >/dev/null
fi
TAVRELC="${EXE:-$BUILD/tavrelc.exe}"

# The scratch folder is drive M: of the project's prefix. The drive manager reads the drive
# letters when the Wine server starts, so a new letter waits for the next start.
W="$ROOT/build/bench/scratch"
LOGDIR="$ROOT/build/bench/log"
mkdir -p "$W/src/andet" "$W/dst" "$W/jobs" "$LOGDIR"
export WINEPREFIX="$ROOT/build/wineprefix"
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$W" "$WINEPREFIX/dosdevices/m:"
tavrel_wine_up "$ROOT"
trap 'wineserver -k >/dev/null 2>&1 || true; net_down; tavrel_wine_down' EXIT
# The network drive N:, mounted before the Wine server starts. A machine that cannot mount it
# measures the rest.
NET_NOTE=""
if [ -n "$NETWORK" ]; then
    if ! net_up "$ROOT" "$NET_LATENCY" 2>"$LOGDIR/net-up.txt"; then
        NET_NOTE="$(cat "$LOGDIR/net-up.txt" | tr '\n' ' ')"
        echo "$NET_NOTE" >&2
        echo "The network drive is left out of this run." >&2
        NETWORK=""
    fi
fi
drive_ready() { [ -f "$W/jobs/.probe" ] && wine cmd /c 'type M:\jobs\.probe' </dev/null 2>/dev/null | grep -q probe; }
echo probe > "$W/jobs/.probe"
if ! wine cmd /c 'vol M:' </dev/null >/dev/null 2>&1 || ! drive_ready; then
    echo "Waiting for the Wine server to restart, so that it sees drive M: ..."
    timeout 600 wineserver -w || true
    wine cmd /c 'vol M:' </dev/null >/dev/null 2>&1 || { echo "Drive M: is not available in $WINEPREFIX" >&2; exit 1; }
fi
# One Wine server for the whole benchmark, as a Windows user's system is already running:
# otherwise every measured program, ours and xcopy alike, would pay the start of the server
# and of Wine's own services (about a second) on top of its work.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p
wine cmd /c 'echo' </dev/null >/dev/null 2>&1 || true

# The machine and the moment, for the report.
{
    echo "date=$(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//') x $(nproc)"
    echo "memory=$(free -g | awk '/^Mem:/ {print $2 " GB"}')"
    echo "kernel=$(uname -sr)"
    echo "disk=$(df -T "$W" | awk 'NR==2 {print $2 " on " $1}')"
    echo "wine=$(wine --version)"
    echo "rsync=$(rsync --version | head -1 | awk '{print $3}')"
    echo "cp=$(cp --version | head -1)"
    if [ -n "$EXE" ]; then
        echo "commit=$EXE (given with --exe)"
    else
        echo "commit=$(git -C "$ROOT" rev-parse --short HEAD)$(git -C "$ROOT" diff --quiet HEAD -- core platform tavrelc 2>/dev/null || echo '+changes')"
    fi
    echo "args=$ARGS"
    echo "scale=$SCALE"
    echo "reps=$REPS"
    echo "load_before=$(cut -d' ' -f1-3 /proc/loadavg)"
    if [ -n "$NETWORK" ]; then
        echo "network=FUSE pass-through (bench/netfs.c), ${NET_LATENCY} ms per metadata request, $NET_FILES files"
    elif [ -n "$NET_NOTE" ]; then
        echo "network=not measured: $NET_NOTE"
    fi
} > "$LOGDIR/machine.txt"

echo "tree,scenario,tool,rep,seconds,peak_kb,exit,copied,expected,requests,load" > "$CSV.new"
# Set to a name while a run on the network drive is measured: the drive's counts of the run go
# to $LOGDIR/net/NAME.tsv and their total into the row.
NET_COUNT=""
mkdir -p "$LOGDIR/net"

# measure TREE SCENARIO TOOL REP EXPECTED -- COMMAND...: one timed run, after the disk has
# written back what the previous run left in memory. tavrelc's "Kopieret"/"Vil blive
# kopieret" count is recorded with the number it must be.
measure() {
    local tree="$1" scen="$2" tool="$3" rep="$4" expected="$5"; shift 6
    sync
    local rc=0 tf="$LOGDIR/time.txt" load requests=""
    load=$(cut -d' ' -f1 /proc/loadavg)
    [ -n "$NET_COUNT" ] && net_counts /dev/null
    /usr/bin/time -f "%e %M" -o "$tf" "$@" </dev/null >"$LOGDIR/out.txt" 2>"$LOGDIR/err.txt" || rc=$?
    if [ -n "$NET_COUNT" ]; then
        net_counts "$LOGDIR/net/$NET_COUNT.tsv"
        requests=$(awk -F'\t' '$2 == "requests" {print $3}' "$LOGDIR/net/$NET_COUNT.tsv")
    fi
    LAST_EXIT=$rc
    local secs kb copied=""
    read -r secs kb < <(tail -1 "$tf")
    if [ "$tool" = tavrelc ] || [ "$tool" = tavrelc-1w ]; then
        copied=$(tr -d '\r' <"$LOGDIR/out.txt" | sed -n 's/^\(Vil blive k\|K\)opieret: \([0-9.]*\) filer.*/\2/p' | tr -d .)
        if [ "$copied" != "$expected" ] || [ "$rc" != 0 ]; then
            echo "  !! tavrelc $tree/$scen: exit $rc, copied '$copied', expected $expected" >&2
            tr -d '\r' <"$LOGDIR/out.txt" >&2; tr -d '\r' <"$LOGDIR/err.txt" | tail -5 >&2
        fi
    fi
    printf '%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s\n' "$tree" "$scen" "$tool" "$rep" "$secs" "$kb" "$rc" "$copied" \
        "$expected" "$requests" "$load" >> "$CSV.new"
    printf '  %-10s %-12s %-10s rep %s: %7.2f s %7d KB%s%s  load %s\n' "$tree" "$scen" "$tool" "$rep" "$secs" "$kb" \
        "${copied:+  copied $copied}" "${requests:+  $requests drive requests}" "$load"
}

# verify TREE SCENARIO REP SOURCE DESTINATION: the destination of a tavrelc run holds what the
# source holds (bench/checktree.py); the number of differences is a row of its own.
verify() {
    local got
    got=$(python3 bench/checktree.py "$4" "$5" --skip-types .TMP --quiet) || true
    if [ "$got" != 0 ]; then
        echo "  !! tavrelc $1/$2: the destination differs from the source:" >&2
        python3 bench/checktree.py "$4" "$5" --skip-types .TMP | head -5 >&2 || true
    fi
    printf '%s,%s,%s,%s,,,,%s,0,,\n' "$1" "verify-$2" tavrelc "$3" "$got" >> "$CSV.new"
}

# one_worker_first TREE REP JOB DEST: the full copy with one worker, timed as "tavrelc-1w",
# its destination moved aside to DEST.one and its report and console kept; compare_one_worker
# then compares it with the normal run that follows.
one_worker_first() {
    local tree="$1" rep="$2" job="$3" dest="$4" expected="$5"
    rm -rf "$dest.one"
    rm -f "$W/jobs/$tree.txt"
    measure "$tree" full tavrelc-1w "$rep" "$expected" -- env "$ONE_WORKER" wine "$TAVRELC" "$job" /R /J
    ONE_EXIT=$LAST_EXIT
    mv "$dest" "$dest.one"
    tr -d '\r' < "$LOGDIR/out.txt" > "$LOGDIR/one-worker.out"
    cp "$W/jobs/$tree.txt" "$LOGDIR/one-worker.txt" 2>/dev/null || : > "$LOGDIR/one-worker.txt"
    rm -f "$W/jobs/$tree.txt"
}
compare_one_worker() {
    local tree="$1" rep="$2" job="$3" dest="$4" got
    tr -d '\r' < "$LOGDIR/out.txt" > "$LOGDIR/workers.out"
    cp "$W/jobs/$tree.txt" "$LOGDIR/workers.txt" 2>/dev/null || : > "$LOGDIR/workers.txt"
    local args=("$dest.one" "$dest" --report "$LOGDIR/one-worker.txt" "$LOGDIR/workers.txt"
                --out "$LOGDIR/one-worker.out" "$LOGDIR/workers.out" --exit "$ONE_EXIT" "$LAST_EXIT")
    got=$(python3 bench/compare_runs.py "${args[@]}" --quiet) || true
    if [ "$got" != 0 ]; then
        echo "  !! tavrelc $tree: the run with one worker and the normal run differ:" >&2
        python3 bench/compare_runs.py "${args[@]}" | head -5 >&2 || true
    fi
    printf '%s,%s,%s,%s,,,,%s,0,,\n' "$tree" "compare-full" tavrelc "$rep" "$got" >> "$CSV.new"
}

# check_files TREE SCENARIO TOOL REP DIR EXPECTED: a copy is complete when the destination holds
# as many files as the source; recorded as a row of its own.
check_files() {
    local got=0
    [ -d "$5" ] && got=$(find "$5" -type f | wc -l)
    [ "$got" = "$6" ] || echo "  !! $3 $1/$2: $5 holds $got files, not $6" >&2
    printf '%s,%s,%s,%s,,,,%s,%s,,\n' "$1" "check-$2" "$3" "$4" "$got" "$6" >> "$CSV.new"
}

# write_job NAME TREE SLETDEST [DEST]: a job that copies M:\src\TREE\ to DEST\tavrel-TREE\
# (DEST: M:\dst) with only new and changed files.
write_job() {
    local dest="${4:-M:\\dst}"
    printf 'FilVer=2\r\nBeskiv=Benchmark %s\r\nDest=%s\\tavrel-%s\\\r\nSletDest=%s\r\nUndermapper=1\r\nKunNye=1\r\nKunFiltyper=0\r\nFilTyper=.TMP\r\nModsat=0\r\n' \
        "$2" "$dest" "$2" "$3" > "$W/jobs/$1.tvj"
    printf 'M:\\src\\%s\\\r\n' "$2" > "$W/jobs/$1.tvl"
}

# The floor of Wine itself: tavrelc.exe that starts, finds no job and ends.
for rep in $(seq 1 "$REPS"); do
    measure wine start tavrelc-empty "$rep" "" -- wine "$TAVRELC"
done

for tree in $TREES; do
    echo "Tree $tree (scale $SCALE)"
    python3 bench/gentree.py make "$W/src" "$tree" "$SCALE"
    N=$(python3 bench/gentree.py count "$W/src" "$tree" "$SCALE")
    write_job "$tree" "$tree" 0
    write_job "$tree-slet" "$tree" 1
    S="$W/src/$tree"
    WS="M:\\src\\$tree"
    DT="$W/dst/tavrel-$tree"
    DX="$W/dst/xcopy/$tree"; WX="M:\\dst\\xcopy\\$tree"
    DC="$W/dst/cp/$tree"
    DR="$W/dst/rsync/$tree"
    mkdir -p "$W/dst/xcopy" "$W/dst/cp" "$W/dst/rsync"
    JOB="M:\\jobs\\$tree.tvj"
    JOBSLET="M:\\jobs\\$tree-slet.tvj"
    # Copying over what is there (the reruns): xcopy /D, cp -u, rsync as it is.
    rerun_all() {
        local scen="$1" rep="$2" expected="$3"
        measure "$tree" "$scen" tavrelc "$rep" "$expected" -- wine "$TAVRELC" "$JOB" /R /J
        verify "$tree" "$scen" "$rep" "$S" "$DT/src/$tree"
        measure "$tree" "$scen" xcopy "$rep" "" -- wine xcopy "$WS" "$WX" /E /I /Y /Q /D
        measure "$tree" "$scen" cp "$rep" "" -- cp -a -u -T "$S" "$DC"
        measure "$tree" "$scen" rsync "$rep" "" -- rsync -a "$S/" "$DR/"
    }
    check_all() {
        check_files "$tree" "$1" tavrelc "$2" "$DT/src/$tree" "$N"
        check_files "$tree" "$1" xcopy "$2" "$DX" "$N"
        check_files "$tree" "$1" cp "$2" "$DC" "$N"
        check_files "$tree" "$1" rsync "$2" "$DR" "$N"
    }
    for rep in $(seq 1 "$REPS"); do
        # 1. Full copy to an empty destination; in the first repetition a run with one copy
        #    worker first, whose result the normal run must give too.
        rm -rf "$DT" "$DX" "$DC" "$DR"
        if [ "$rep" = 1 ]; then
            one_worker_first "$tree" "$rep" "$JOB" "$DT" "$N"
        fi
        measure "$tree" full tavrelc "$rep" "$N" -- wine "$TAVRELC" "$JOB" /R /J
        verify "$tree" full "$rep" "$S" "$DT/src/$tree"
        if [ "$rep" = 1 ]; then
            compare_one_worker "$tree" "$rep" "$JOB" "$DT"
            rm -rf "$DT.one"
        fi
        measure "$tree" full xcopy "$rep" "" -- wine xcopy "$WS" "$WX" /E /I /Y /Q
        measure "$tree" full cp "$rep" "" -- cp -a -T "$S" "$DC"
        measure "$tree" full rsync "$rep" "" -- rsync -a "$S/" "$DR/"
        check_all full "$rep"
        # 2. Nothing changed.
        rerun_all rerun "$rep" 0
        # 3. 1 % of the files touched (a new last-write time).
        touched=$(python3 bench/gentree.py touch "$W/src" "$tree" "$SCALE" "$((rep - 1))")
        rerun_all touched "$rep" "$touched"
        # 4. Count run against the level destination; xcopy lists, rsync tries.
        measure "$tree" count tavrelc "$rep" 0 -- wine "$TAVRELC" "$JOB" /T
        measure "$tree" count xcopy "$rep" "" -- wine xcopy "$WS" "$WX" /E /I /Y /L /D
        measure "$tree" count rsync "$rep" "" -- rsync -a -n "$S/" "$DR/"
        # 5. Full copy after emptying the destination.
        measure "$tree" emptied tavrelc "$rep" "$N" -- wine "$TAVRELC" "$JOBSLET" /R /J
        verify "$tree" emptied "$rep" "$S" "$DT/src/$tree"
        measure "$tree" emptied xcopy "$rep" "" -- wine cmd /c "rd /s /q $WX & xcopy $WS $WX /E /I /Y /Q"
        measure "$tree" emptied cp "$rep" "" -- bash -c 'rm -rf "$2" && cp -a -T "$1" "$2"' _ "$S" "$DC"
        measure "$tree" emptied rsync "$rep" "" -- bash -c 'rm -rf "$2" && rsync -a "$1/" "$2/"' _ "$S" "$DR"
        check_all emptied "$rep"
    done
done

# The network drive: a tree of small files copied from M: to N:, tavrelc against xcopy, and the
# drive's count of the requests of each run. The destinations are emptied through the drive, so
# that the kernel's view of it stays true; the drive's counts are taken anew before each run.
if [ -n "$NETWORK" ]; then
    tree=netvaerk
    NSCALE=$(python3 -c "print($NET_FILES / 400)")
    echo "Network drive ($NET_FILES files, ${NET_LATENCY} ms per metadata request)"
    python3 bench/gentree.py make "$W/src" "$tree" "$NSCALE"
    N=$(python3 bench/gentree.py count "$W/src" "$tree" "$NSCALE")
    write_job "$tree" "$tree" 0 'N:'
    S="$W/src/$tree"
    JOB="M:\\jobs\\$tree.tvj"
    DT="$NET_MNT/tavrel-$tree"
    DX="$NET_MNT/xcopy/$tree"
    WX="N:\\xcopy\\$tree"
    for rep in $(seq 1 "$REPS"); do
        rm -rf "$DT" "$DX" "$DT.one"
        mkdir -p "$NET_MNT/xcopy"
        if [ "$rep" = 1 ]; then
            NET_COUNT="tavrelc-1w-full-$rep"
            one_worker_first "$tree" "$rep" "$JOB" "$DT" "$N"
        fi
        NET_COUNT="tavrelc-full-$rep"
        measure "$tree" full tavrelc "$rep" "$N" -- wine "$TAVRELC" "$JOB" /R /J
        NET_COUNT=""
        verify "$tree" full "$rep" "$S" "$NET_STORE/tavrel-$tree/src/$tree"
        if [ "$rep" = 1 ]; then
            # Read from the drive's own folder: the comparison's reads are no part of the run.
            compare_one_worker "$tree" "$rep" "$JOB" "$NET_STORE/tavrel-$tree"
            rm -rf "$DT.one"
        fi
        NET_COUNT="xcopy-full-$rep"
        measure "$tree" full xcopy "$rep" "" -- wine xcopy "M:\\src\\$tree" "$WX" /E /I /Y /Q
        NET_COUNT=""
        check_files "$tree" full tavrelc "$rep" "$NET_STORE/tavrel-$tree/src/$tree" "$N"
        check_files "$tree" full xcopy "$rep" "$NET_STORE/xcopy/$tree" "$N"
        NET_COUNT="tavrelc-rerun-$rep"
        measure "$tree" rerun tavrelc "$rep" 0 -- wine "$TAVRELC" "$JOB" /R /J
        NET_COUNT=""
        verify "$tree" rerun "$rep" "$S" "$NET_STORE/tavrel-$tree/src/$tree"
        NET_COUNT="xcopy-rerun-$rep"
        measure "$tree" rerun xcopy "$rep" "" -- wine xcopy "M:\\src\\$tree" "$WX" /E /I /Y /Q /D
        NET_COUNT=""
    done
    rm -rf "$DT" "$DX"
fi

if [ -n "$WINDOW" ]; then
    source "$ROOT/bench/window.sh"
    bench_window
fi

echo "load_after=$(cut -d' ' -f1-3 /proc/loadavg)" >> "$LOGDIR/machine.txt"
# The whole command: build, trees, every run and the window.
echo "duration=$((SECONDS - START_SECONDS))" >> "$LOGDIR/machine.txt"
mv "$CSV.new" "$CSV"
python3 bench/report.py "$CSV" "$LOGDIR/machine.txt" "$OUT" ${BASELINE:+"$BASELINE"}
echo "Written: $OUT"
