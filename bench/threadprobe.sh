#!/usr/bin/env bash
# Threads against processes for file copies under Wine: bench/threadprobe.cpp run with 1, 2, 4
# and 8 threads in one process, and as 2 and 4 processes of one thread each, on the local
# scratch drive M: and on the network drive N: (bench/netdrive.sh).
#
#   bench/threadprobe.sh [--files N] [--net-files N] [--latency MS] [--threads "1 2 4 8"]
#                        [--procs "2 4"] [--modes "temp copy create missing existing sleep"]
#                        [--drives "local net"] [--reps R] [--max-load L] [--max-wait S] [--out DIR]
#
# Before each measurement it waits (up to --max-wait seconds, default 300) until the load
# average of the last minute is below --max-load (default 1.5), and records the load it started at. The results
# go to DIR/probe.tsv (every run) and DIR/probe.md (medians); each run records the processor
# time of the Wine server and of the probe's processes, and on the network drive how many
# requests the drive served at once (mean and most).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
FILES=1000
NET_FILES=200
LATENCY=1
THREADS="1 2 4 8"
PROCS="2 4"
MODES="temp copy create missing existing sleep"
DRIVES="local net"
REPS=3
MAX_LOAD=1.5
MAX_WAIT=300
OUT="$ROOT/build/bench/threads"
while [ $# -gt 0 ]; do
    case "$1" in
        --files) FILES="$2"; shift 2 ;;
        --net-files) NET_FILES="$2"; shift 2 ;;
        --latency) LATENCY="$2"; shift 2 ;;
        --threads) THREADS="$2"; shift 2 ;;
        --procs) PROCS="$2"; shift 2 ;;
        --modes) MODES="$2"; shift 2 ;;
        --drives) DRIVES="$2"; shift 2 ;;
        --reps) REPS="$2"; shift 2 ;;
        --max-load) MAX_LOAD="$2"; shift 2 ;;
        --max-wait) MAX_WAIT="$2"; shift 2 ;;
        --out) OUT="$(realpath -m "$2")"; shift 2 ;;
        *) sed -n '2,15p' "$0"; exit 2 ;;
    esac
done
source "$ROOT/scripts/start.sh"
source bench/netdrive.sh
mkdir -p "$OUT" "$ROOT/build/bench/log"
PROBE="$ROOT/build/bench/threadprobe.exe"
x86_64-w64-mingw32-g++-posix -O2 -std=c++20 -municode -static -o "$PROBE" bench/threadprobe.cpp -lntdll

W="$ROOT/build/bench/scratch"
export WINEPREFIX="$ROOT/build/wineprefix"
mkdir -p "$WINEPREFIX/dosdevices" "$W/probe"
ln -sfn "$W" "$WINEPREFIX/dosdevices/m:"
tavrel_wine_up "$ROOT"
HAVE_NET=""
if [[ " $DRIVES " == *" net "* ]]; then
    if net_up "$ROOT" "$LATENCY"; then HAVE_NET=1; else echo "Going on without the network drive." >&2; fi
fi
trap 'wineserver -k >/dev/null 2>&1 || true; net_down; tavrel_wine_down' EXIT
# One Wine server for every run, as in bench/run.sh.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p
wine cmd /c echo </dev/null >/dev/null 2>&1 || true

# The sources: 4 KB files on the local drive, made once.
MAXF=$(( FILES > NET_FILES ? FILES : NET_FILES ))
SRC="$W/probe/src"
if [ "$(ls "$SRC" 2>/dev/null | wc -l)" != "$MAXF" ]; then
    rm -rf "$SRC"; mkdir -p "$SRC"
    python3 - "$SRC" "$MAXF" <<'EOF'
import os, random, sys
root, n = sys.argv[1], int(sys.argv[2])
rng = random.Random("threadprobe")
for i in range(n):
    with open(os.path.join(root, f"f{i:05d}.dat"), "wb") as f:
        f.write(rng.randbytes(4096))
EOF
fi

wait_load() {
    local i
    for i in $(seq 1 $((MAX_WAIT / 5))); do
        awk -v m="$MAX_LOAD" '{exit !($1 < m)}' /proc/loadavg && break
        sleep 5
    done
    cut -d' ' -f1 /proc/loadavg
}

# The Wine server of this prefix: it works in a folder named after the prefix's device and inode.
SERVER_DIR=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
server_pid() {
    local p
    for p in $(pgrep -x wineserver64 || true) $(pgrep -x wineserver || true); do
        [[ "$(readlink "/proc/$p/cwd" 2>/dev/null)" == */"$SERVER_DIR" ]] && { echo "$p"; return; }
    done
}
# Processor seconds (user + system) a process has used so far.
cpu_of() { awk -v t="$(getconf CLK_TCK)" '{printf "%.2f", ($14 + $15) / t}' "/proc/$1/stat" 2>/dev/null || echo 0; }

TSV="$OUT/probe.tsv"
[ -f "$TSV" ] || echo -e "drive\tmode\tthreads\tprocs\tfiles\tseconds\twall\tserver_cpu\tprogram_cpu\tload\tmean_in_flight\tmost_in_flight\tdrive_requests\tdate" > "$TSV"
RUN=0

# probe DRIVE MODE THREADS PROCS: one measurement.
probe() {
    local drive="$1" mode="$2" threads="$3" procs="$4"
    local n="$FILES" host wroot
    if [ "$drive" = net ]; then n="$NET_FILES"; host="$NET_MNT/probe"; wroot='N:\probe'
    else host="$W/probe/dst"; wroot='M:\probe\dst'; fi
    RUN=$((RUN + 1))
    local tag="r$$-$RUN"
    mkdir -p "$host/$tag"
    local src='M:\probe\src' dst="$wroot\\$tag" first=0
    case "$mode" in
        # A folder full of files, as the destination of a copy is.
        missing|missing-posix) src="$wroot\\full"; dst="$wroot\\full"; first=$MAXF ;;
        existing) src="$wroot\\full"; dst="$wroot\\full" ;;
    esac
    local load s0 s1 secs
    load=$(wait_load)
    sync
    [ -n "$HAVE_NET" ] && net_counts /dev/null
    local spid c0
    spid=$(server_pid)
    c0=$(cpu_of "$spid")
    s0=$(date +%s.%N)
    local per=$(( n / procs )) p pids=() outs=()
    for p in $(seq 0 $((procs - 1))); do
        outs+=("$OUT/.out.$p")
        /usr/bin/time -f "%U %S" -o "$OUT/.cpu.$p" wine "$PROBE" "$mode" "$src" "$dst" $((first + p * per)) "$per" \
            "$threads" </dev/null >"$OUT/.out.$p" 2>&1 &
        pids+=($!)
    done
    local rc=0
    for p in "${pids[@]}"; do wait "$p" || rc=1; done
    s1=$(date +%s.%N)
    local server_cpu program_cpu
    server_cpu=$(python3 -c "print(f'{$(cpu_of "$spid") - $c0:.2f}')")
    program_cpu=$(cat "$OUT"/.cpu.* | awk '{s += $1 + $2} END {printf "%.2f", s}')
    rm -f "$OUT"/.cpu.*
    # "seconds": the longest of the processes' own times (from their first thread's start to
    # their last thread's end); "wall": from before the first start to after the last end,
    # the start and end of each Wine process included.
    secs=$(cat "${outs[@]}" | tr -d '\r' | awk 'NF == 4 && $4 ~ /^[0-9.]+$/ && $4 > m {m = $4} END {print m}')
    local wall
    wall=$(python3 -c "print(f'{$s1 - $s0:.3f}')")
    [ "$rc" = 0 ] || { echo "  !! $drive $mode $threads x $procs failed:" >&2; cat "${outs[@]}" >&2; }
    local mean="" most="" reqs=""
    if [ "$drive" = net ] && [ -n "$HAVE_NET" ]; then
        net_counts "$OUT/.counts"
        mean=$(awk -F'\t' '$2=="mean_in_flight_x1000"{printf "%.2f", $3/1000}' "$OUT/.counts")
        most=$(awk -F'\t' '$2=="max_in_flight"{print $3}' "$OUT/.counts")
        reqs=$(awk -F'\t' '$2=="requests"{print $3}' "$OUT/.counts")
    fi
    echo -e "$drive\t$mode\t$threads\t$procs\t$n\t$secs\t$wall\t$server_cpu\t$program_cpu\t$load\t$mean\t$most\t$reqs\t$(date -u +%FT%TZ)" >> "$TSV"
    printf '  %-5s %-8s %s thread(s) x %s process(es), %4s files: %7s s (wall %s s, cpu server %s program %s)  load %s%s\n' \
        "$drive" "$mode" "$threads" "$procs" "$n" "$secs" "$wall" "$server_cpu" "$program_cpu" "$load" "${mean:+  in flight $mean/$most, $reqs requests}"
}

for drive in $DRIVES; do
    [ "$drive" = net ] && [ -z "$HAVE_NET" ] && continue
    # The full folder for "missing" and "existing".
    if [ "$drive" = net ]; then full="$NET_MNT/probe/full"; n="$NET_FILES"; else full="$W/probe/dst/full"; n="$FILES"; fi
    rm -rf "$full"; mkdir -p "$full"
    for i in $(seq 0 $((n - 1))); do printf -v f 'f%05d.dat' "$i"; cp "$SRC/$f" "$full/$f"; done
    for rep in $(seq 1 "$REPS"); do
        for mode in $MODES; do
            for t in $THREADS; do probe "$drive" "$mode" "$t" 1; done
            case "$mode" in temp|copy|missing) for p in $PROCS; do probe "$drive" "$mode" 1 "$p"; done ;; esac
        done
    done
    rm -rf "$W/probe/dst"
    [ "$drive" = net ] && rm -rf "$NET_MNT/probe"
done
rm -f "$OUT"/.out.* "$OUT/.counts"
python3 - "$TSV" > "$OUT/probe.md" <<'EOF'
import csv, statistics, sys
rows = list(csv.DictReader(open(sys.argv[1]), delimiter="\t"))
groups = {}
for r in rows:
    groups.setdefault((r["drive"], r["mode"], int(r["threads"]), int(r["procs"]), r["files"]), []).append(r)
print("| Drive | Mode | Threads × processes | Files | Median s | Runs (s) | Speed-up | Median wall s | Wall speed-up | CPU s: server / program | Load at start | In flight mean / most |")
print("|---|---|---|--:|--:|---|--:|--:|--:|--:|---|---|")
base = {}
wbase = {}
for key in sorted(groups, key=lambda k: (k[0], k[1], k[3], k[2])):
    rs = groups[key]
    if key[2] == 1 and key[3] == 1:
        base[(key[0], key[1])] = statistics.median(float(r["seconds"]) for r in rs)
        wbase[(key[0], key[1])] = statistics.median(float(r["wall"]) for r in rs)
for key in sorted(groups, key=lambda k: (k[0], k[1], k[3] > 1, k[2] * k[3])):
    rs = groups[key]
    secs = [float(r["seconds"]) for r in rs]
    med = statistics.median(secs)
    b = base.get((key[0], key[1]))
    sp = f"{b / med:.2f}×" if b and med else "—"
    wmed = statistics.median(float(r["wall"]) for r in rs)
    wb = wbase.get((key[0], key[1]))
    wsp = f"{wb / wmed:.2f}×" if wb and wmed else "—"
    loads = "/".join(r["load"] for r in rs)
    cpus = [(float(r["server_cpu"]), float(r["program_cpu"])) for r in rs if r.get("server_cpu")]
    cpu = (f"{statistics.median(c[0] for c in cpus):.2f} / {statistics.median(c[1] for c in cpus):.2f}"
           if cpus else "—")
    fl = ", ".join(f"{r['mean_in_flight']}/{r['most_in_flight']}" for r in rs if r["mean_in_flight"])
    print(f"| {key[0]} | {key[1]} | {key[2]} × {key[3]} | {key[4]} | {med:.2f} | {' '.join(f'{s:.2f}' for s in secs)} | {sp} | {wmed:.2f} | {wsp} | {cpu} | {loads} | {fl or '—'} |")
EOF
echo "Written: $OUT/probe.md"
