#!/usr/bin/env bash
# tavrelc killed at many points of a run under Wine, in two series:
#  - an only-new copy of large and small files, killed at points spread over the measured length
#    of a whole copy: every destination file holds its previous copy or its new one, never a part
#    under its own name;
#  - a delete-first run over a destination full of old files, killed at points spread over the
#    measured length of its delete phase: every destination file is its previous copy, its new
#    one, or gone.
# In both, nothing outside the destination changes (the sources, a folder beside the destination
# and the folder a link inside the destination points at), and the next run brings the
# destination level.
# Usage: killed.sh ROOT WINBUILD [COPY_KILLS [DELETE_KILLS]]
set -uo pipefail
COPY_KILLS="${3:-12}"
DELETE_KILLS="${4:-6}"
source "$1/tests/e2e/tavrelc-e2e.sh"
tc_init killed "$1" "$2"
job_file "$W/jobs/k.tvj" "" "$WIN\\dst\\" 0 1 "" 0
job_file "$W/jobs/kd.tvj" "" "$WIN\\dst\\" 1 1 "" 0
job_list "$W/jobs/k.tvl" "$WIN\\src\\"
job_list "$W/jobs/kd.tvl" "$WIN\\src\\"
D="$W/dst/killed/src"

# make_version STAMP: new random content in every file, all with the given time.
make_version() {
    local i
    mkdir -p "$W/src"
    for i in 1 2 3 4; do head -c $((48 * 1048576)) /dev/urandom > "$W/src/stor$i.bin"; done
    for i in $(seq 1 2000); do
        mkdir -p "$W/src/Smaa/m$((i / 100))"
        head -c $((RANDOM % 8192)) /dev/urandom > "$W/src/Smaa/m$((i / 100))/lille$i.dat"
    done
    find "$W/src" -type f -exec touch -d "$1" {} +
}
hashes() { (cd "$1" && find . -type f ! -name '~tavrel-*' -print0 | sort -z | xargs -0 -r sha256sum); }
# What lies outside the destination: the sources, and a folder beside the destination that a
# link inside it points at. Names, sizes, times and content.
outside_state() {
    (cd "$W" && find src outside -printf '%p %s %T@ %y\n' | sort && hashes outside)
}
temps() { find "$W/dst" -name '~tavrel-*' 2>/dev/null | wc -l; }

# run_to_end JOB ARGS...: a whole run, stopped if it takes more than ten minutes.
run_to_end() {
    local job="$1"; shift
    timeout 600 wine "$EXE" "$WIN\\jobs\\$job.tvj" /R "$@" </dev/null >"$W/out.txt" 2>"$W/err.txt"
}

# wait_for FUNCTION: returns once FUNCTION succeeds (polled every 50 ms), or after a minute.
wait_for() {
    local i
    for i in $(seq 1 1200); do "$1" && return; sleep 0.05; done
}
copy_started() { [ -n "$(find "$W/dst" -name '~tavrel-*' 2>/dev/null | head -1)" ]; }
OLD_FILES=6000
delete_started() { [ "$(find "$W/dst/Gammelt" -type f 2>/dev/null | wc -l)" -lt "$OLD_FILES" ]; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }

# verdict: "NEW PREVIOUS DAMAGED GONE NAMES" for the copies under $D against both versions.
verdict() {
    python3 - "$W/old.sums" "$W/new.sums" <(hashes "$D") <<'EOF'
import sys
def read(p):
    return dict((l[66:].strip(), l[:64]) for l in open(p) if l.strip())
old, new, now = read(sys.argv[1]), read(sys.argv[2]), read(sys.argv[3])
fresh = sum(1 for f, h in now.items() if h == new.get(f))
stale = sum(1 for f, h in now.items() if h == old.get(f) and h != new.get(f))
bad = [f for f, h in now.items() if h not in (old.get(f), new.get(f))]
gone = [f for f in old if f not in now]
print(fresh, stale, len(bad), len(gone), " ".join((bad + gone)[:3]) or "-")
EOF
}

failures=0
fail() { echo "    $1"; failures=$((failures + 1)); }

# ---- The first version, the old destination and what lies outside it ----
make_version '2024-01-01 10:00:00'
mkdir -p "$W/outside/linked"
for i in $(seq 1 20); do printf 'outside %s\n' "$i" > "$W/outside/linked/o$i.txt"; done
printf 'beside\n' > "$W/outside/beside.txt"
mkdir -p "$W/dst"
ln -s ../outside/linked "$W/dst/link"
run_to_end k & pid=$!
wait_for copy_started
t0=$(now)
wait "$pid" || { echo "first copy failed"; exit 1; }
copy_secs=$(since "$t0")
echo "a whole copy takes ${copy_secs}s"
hashes "$D" > "$W/old.sums"
# Old files that only a delete-first run removes, in folders of a hundred.
for i in $(seq 1 "$OLD_FILES"); do
    mkdir -p "$W/dst/Gammelt/m$((i / 100))"
    printf 'old %s\n' "$i" > "$W/dst/Gammelt/m$((i / 100))/g$i.txt"
done
cp -a "$W/dst" "$W/dst-old"
make_version '2024-02-01 10:00:00'
hashes "$W/src" > "$W/new.sums"
outside_state > "$W/outside.state"

# check_after_kill WHAT: the state after a kill, printed and counted.
check_after_kill() {
    local fresh stale bad gone names
    read -r fresh stale bad gone names <<<"$(verdict)"
    echo "$1: $fresh new, $stale previous, $gone gone, $bad damaged, $(temps) temporary ${names}"
    [ "$bad" = 0 ] || fail "a file under its own name is neither copy"
    [ "$MODE" = copy ] && [ "$gone" != 0 ] && fail "an only-new run lost a previous copy"
    cmp -s <(outside_state) "$W/outside.state" || fail "something outside the destination changed"
    [ -L "$W/dst/link" ] || fail "the link inside the destination is gone"
    [ "$fresh" -gt 0 ] && [ "$stale" -gt 0 ] && mixed=$((mixed + 1))
    return 0
}

# check_next_run JOB ARGS...: the next run leaves the destination level and nothing else changed.
check_next_run() {
    run_to_end "$@"; local rc=$?
    if [ $rc != 0 ] || ! cmp -s <(hashes "$D") "$W/new.sums" || [ "$(temps)" != 0 ]; then
        fail "the next run did not bring the destination level (exit $rc)"
    fi
    if [ "$MODE" = delete ] && [ -e "$W/dst/Gammelt" ]; then fail "the next delete-first run left old files"; fi
    cmp -s <(outside_state) "$W/outside.state" || fail "the next run changed something outside the destination"
}

# ---- Kills spread over a whole only-new copy ----
MODE=copy; mixed=0; emptying=0
for k in $(seq 1 "$COPY_KILLS"); do
    rm -rf "$W/dst"; cp -a "$W/dst-old" "$W/dst"
    # Wine's start-up time varies, so the delays count from the first temporary copy.
    delay=$(awk -v k="$k" -v n="$COPY_KILLS" -v t="$copy_secs" 'BEGIN { printf "%.2f", 0.95 * t * (k - 1) / n }')
    wine "$EXE" "$WIN\\jobs\\k.tvj" /R </dev/null >/dev/null 2>&1 & pid=$!
    wait_for copy_started
    sleep "$delay"
    kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    sleep 1
    check_after_kill "copy kill $k ${delay}s into the copy"
    check_next_run k
done
copy_mixed=$mixed

# ---- Kills spread over the delete phase of a delete-first run ----
MODE=delete; mixed=0; emptying=0
if [ "$DELETE_KILLS" -gt 0 ]; then
    rm -rf "$W/dst"; cp -a "$W/dst-old" "$W/dst"
    run_to_end kd /J & pid=$!
    wait_for delete_started
    t0=$(now)
    wait_for copy_started
    delete_secs=$(since "$t0")
    wait "$pid" || fail "the first delete-first run failed"
    echo "the delete phase takes ${delete_secs}s"
fi
for k in $(seq 1 "$DELETE_KILLS"); do
    rm -rf "$W/dst"; cp -a "$W/dst-old" "$W/dst"
    delay=$(awk -v k="$k" -v n="$DELETE_KILLS" -v t="$delete_secs" 'BEGIN { printf "%.2f", t * (k - 1) / n }')
    wine "$EXE" "$WIN\\jobs\\kd.tvj" /R /J </dev/null >/dev/null 2>&1 & pid=$!
    wait_for delete_started
    sleep "$delay"
    kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    sleep 1
    left=$(find "$W/dst/Gammelt" -type f 2>/dev/null | wc -l)
    check_after_kill "delete kill $k ${delay}s into the delete phase, $left of $OLD_FILES old files left"
    if { [ "$left" -gt 0 ] && [ "$left" -lt "$OLD_FILES" ]; } || [ "$(verdict | awk '{ print ($2 > 0 && $4 > 0) }')" = 1 ]; then
        emptying=$((emptying + 1))
    fi
    check_next_run kd /J
done
delete_emptying=$emptying

echo "killed: $COPY_KILLS kills in the copy ($copy_mixed caught mid-copy), $DELETE_KILLS in the delete phase ($delete_emptying caught mid-delete), $failures failed"
[ $failures = 0 ] && { [ "$COPY_KILLS" = 0 ] || [ $copy_mixed -gt 0 ]; }
