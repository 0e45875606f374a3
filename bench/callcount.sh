#!/usr/bin/env bash
# Counts the file-system requests and the Wine server requests of a copy to the network drive,
# per file: tavrelc.exe and Wine's xcopy, a full copy and an unchanged rerun of the "netvaerk"
# tree (bench/gentree.py) from drive M: to drive N: (bench/netdrive.sh).
#
#   bench/callcount.sh [--files N] [--latency MS] [--exe TAVRELC] [--out DIR] [--no-server]
#
# Three counts for each run, written to DIR (default build/bench/calls) and summed up by
# bench/callcount.py into DIR/calls.md:
# - the network drive's own count of the requests that reached it, by operation and by the
#   process that made them (the program itself, or the Wine server, which opens, renames and
#   deletes files on the program's behalf);
# - the Wine server's requests of the program's process (WINEDEBUG=+server; the server traces
#   every request while it runs, so this run's times say nothing);
# - the sequence of the drive's requests for one file, from the drive's trace.
# The tree is N files (default 400) of about 4 KB in N/20 folders; latency defaults to 1 ms.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
FILES=400
LATENCY=1
EXE=""
OUT="$ROOT/build/bench/calls"
SERVER=1
while [ $# -gt 0 ]; do
    case "$1" in
        --files) FILES="$2"; shift 2 ;;
        --latency) LATENCY="$2"; shift 2 ;;
        --exe) EXE="$(realpath "$2")"; shift 2 ;;
        --out) OUT="$(realpath -m "$2")"; shift 2 ;;
        --no-server) SERVER=""; shift ;;
        *) sed -n '2,17p' "$0"; exit 2 ;;
    esac
done
source "$ROOT/scripts/start.sh"
source bench/netdrive.sh
BUILD="$ROOT/build/bench-win"
if [ -z "$EXE" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$BUILD" --target tavrelc -j2 >/dev/null
fi
TAVRELC="${EXE:-$BUILD/tavrelc.exe}"

W="$ROOT/build/bench/scratch"
mkdir -p "$W/src" "$W/jobs" "$OUT" "$ROOT/build/bench/log"
rm -f "$OUT"/*.tsv "$OUT"/*.server "$OUT"/*.trace
export WINEPREFIX="$ROOT/build/wineprefix"
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$W" "$WINEPREFIX/dosdevices/m:"
tavrel_wine_up "$ROOT"
TRACE="$OUT/netfs.trace"
if ! net_up "$ROOT" "$LATENCY" "$TRACE"; then
    echo "No network drive on this machine: nothing to count." >&2
    exit 1
fi
SERVER_PID=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$SERVER_PID" ] && wait "$SERVER_PID" 2>/dev/null || true
    net_down
    tavrel_wine_down
}
trap cleanup EXIT

# A server of its own, whose trace goes to a file.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
SERVER_LOG="$OUT/server.log"
wineserver -f -p >/dev/null 2>"$SERVER_LOG" &
SERVER_PID=$!
sleep 0.5
wine cmd /c echo </dev/null >/dev/null 2>&1 || true

SCALE=$(python3 -c "print($FILES / 400)")
python3 bench/gentree.py make "$W/src" netvaerk "$SCALE"
N=$(python3 bench/gentree.py count "$W/src" netvaerk "$SCALE")
printf 'FilVer=2\r\nBeskiv=Kald\r\nDest=N:\\kald\\tavrel\\\r\nSletDest=0\r\nUndermapper=1\r\nKunNye=1\r\nKunFiltyper=0\r\nFilTyper=.TMP\r\nModsat=0\r\n' > "$W/jobs/kald.tvj"
printf 'M:\\src\\netvaerk\\\r\n' > "$W/jobs/kald.tvl"
rm -rf "$NET_MNT/kald"
mkdir -p "$NET_MNT/kald"

# count NAME -- COMMAND: one run, its three counts.
count() {
    local name="$1"; shift 2
    local debug=-all
    [ -n "$SERVER" ] && debug=+server
    sync
    net_counts /dev/null
    local from to trace_from rc=0
    from=$(stat -c %s "$SERVER_LOG")
    trace_from=$(stat -c %s "$TRACE")
    WINEDEBUG=$debug "$@" </dev/null >"$OUT/$name.out" 2>/dev/null || rc=$?
    net_counts "$OUT/$name.tsv"
    to=$(stat -c %s "$SERVER_LOG")
    tail -c +"$((from + 1))" "$SERVER_LOG" | head -c "$((to - from))" > "$OUT/$name.server"
    tail -c +"$((trace_from + 1))" "$TRACE" > "$OUT/$name.trace"
    echo "$name: exit $rc"
}
count tavrelc-full -- wine "$TAVRELC" 'M:\jobs\kald.tvj' /R /J
count tavrelc-rerun -- wine "$TAVRELC" 'M:\jobs\kald.tvj' /R /J
count xcopy-full -- wine xcopy 'M:\src\netvaerk' 'N:\kald\xcopy' /E /I /Y /Q
count xcopy-rerun -- wine xcopy 'M:\src\netvaerk' 'N:\kald\xcopy' /E /I /Y /Q /D
{
    echo "files=$N"
    echo "latency_ms=$LATENCY"
    echo "date=$(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "wine=$(wine --version)"
    echo "commit=$(git -C "$ROOT" rev-parse --short HEAD)"
} > "$OUT/conditions.txt"
python3 bench/callcount.py "$OUT" > "$OUT/calls.md"
echo "Written: $OUT/calls.md"
