#!/usr/bin/env bash
# tavrelc killed at many points of a copy of large and small files under Wine. After each kill
# every destination file holds its previous copy or its new one, never a part under its own
# name, and the next only-new run brings the destination level.
# Usage: killed.sh ROOT WINBUILD [KILLS]
set -uo pipefail
KILLS="${3:-12}"
source "$1/tests/e2e/tavrelc-e2e.sh"
tc_init killed "$1" "$2"
mkdir -p "$W/src/Smaa"
job_file "$W/jobs/k.tvj" "" "$WIN\\dst\\" 0 1 "" 0
job_list "$W/jobs/k.tvl" "$WIN\\src\\"
D="$W/dst/killed/src"

# make_version STAMP: new random content in every file, all with the given time.
make_version() {
    local i
    for i in 1 2 3 4; do head -c $((24 * 1048576)) /dev/urandom > "$W/src/stor$i.bin"; done
    for i in $(seq 1 300); do head -c $((RANDOM % 8192)) /dev/urandom > "$W/src/Smaa/lille$i.dat"; done
    find "$W/src" -type f -exec touch -d "$1" {} +
}
hashes() { (cd "$1" && find . -type f ! -name '~tavrel-*' -print0 | sort -z | xargs -0 sha256sum); }

run_to_end() {
    timeout 600 wine "$EXE" "$WIN\\jobs\\k.tvj" /R </dev/null >"$W/out.txt" 2>"$W/err.txt"
}

failures=0; kills=0; partial=0; mixed=0
# wait_for_copy: returns once the first temporary copy exists (or after a minute).
wait_for_copy() {
    local i
    for i in $(seq 1 1200); do
        [ -n "$(find "$W/dst" -name '~tavrel-*' 2>/dev/null | head -1)" ] && return
        sleep 0.05
    done
}

# The first copy, timed from its first temporary copy, spaces the kills over a whole copy.
make_version '2024-01-01 10:00:00'
timeout 600 wine "$EXE" "$WIN\\jobs\\k.tvj" /R </dev/null >"$W/out.txt" 2>"$W/err.txt" &
pid=$!
wait_for_copy
t0=$(date +%s.%N)
wait "$pid" || { echo "first copy failed"; exit 1; }
copy_secs=$(awk -v a="$t0" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
echo "a whole copy takes ${copy_secs}s"
hashes "$D" > "$W/old.sums"
cp -a "$W/dst" "$W/dst-old"
make_version '2024-02-01 10:00:00'
hashes "$W/src" > "$W/new.sums"

for k in $(seq 1 "$KILLS"); do
    rm -rf "$W/dst"; cp -a "$W/dst-old" "$W/dst"
    # Wine's start-up time varies, so the delays count from the first temporary copy.
    delay=$(awk -v k="$k" -v n="$KILLS" -v t="$copy_secs" 'BEGIN { printf "%.2f", 0.9 * t * (k - 1) / n }')
    wine "$EXE" "$WIN\\jobs\\k.tvj" /R </dev/null >/dev/null 2>&1 &
    pid=$!
    wait_for_copy
    sleep "$delay"
    kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    sleep 1
    kills=$((kills + 1))
    # Every file under its own name is the old copy or the new one.
    verdict=$(python3 - "$W/old.sums" "$W/new.sums" <(hashes "$D") <<'EOF'
import sys
def read(p):
    return dict((l[66:].strip(), l[:64]) for l in open(p) if l.strip())
old, new, now = read(sys.argv[1]), read(sys.argv[2]), read(sys.argv[3])
fresh = sum(1 for f, h in now.items() if h == new.get(f))
stale = sum(1 for f, h in now.items() if h == old.get(f) and h != new.get(f))
bad = [f for f, h in now.items() if h not in (old.get(f), new.get(f))]
missing = [f for f in old if f not in now]
print(fresh, stale, len(bad) + len(missing), " ".join((bad + missing)[:3]))
EOF
)
    read -r fresh stale bad names <<<"$verdict"
    temps=$(find "$W/dst" -name '~tavrel-*' | wc -l)
    echo "kill $k ${delay}s into the copy: $fresh new, $stale previous, $bad damaged, $temps temporary ${names}"
    [ "$bad" = 0 ] || { partial=$((partial + 1)); failures=$((failures + 1)); }
    [ "$fresh" -gt 0 ] && [ "$stale" -gt 0 ] && mixed=$((mixed + 1))
    # The next only-new run makes it level and clears the temporary copy.
    run_to_end; rc=$?
    if [ $rc != 0 ] || ! cmp -s <(hashes "$D") "$W/new.sums" || [ -n "$(find "$W/dst" -name '~tavrel-*')" ]; then
        echo "    the run after kill $k did not bring the destination level (exit $rc)"
        failures=$((failures + 1))
    fi
done
echo "killed: $kills kills, $mixed caught mid-copy, $partial with a damaged file, $failures failed"
[ $failures = 0 ] && [ $mixed -gt 0 ]
