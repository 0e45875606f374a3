#!/usr/bin/env bash
# tavrelc under Wine against real faults rather than simulated ones: a destination drive that
# fills up (a small tmpfs mapped as drive R:), a file held open without sharing by another
# process (the helper holdfile.exe), and a destination drive that vanishes during a run.
# Usage: e2e_faults.sh ROOT WINBUILD
set -uo pipefail
# A mount left behind by an interrupted run goes before the test folder is emptied.
umount -l "$1/build/scratch/e2e_faults/mnt" 2>/dev/null
source "$1/tests/e2e/tavrelc-e2e.sh"
tc_init e2e_faults "$1" "$2"
TC_TIMEOUT=300
HOLD="$WINBUILD/holdfile.exe"
DRIVE="$WINEPREFIX/dosdevices/r:"
MNT="$W/mnt"
mkdir -p "$MNT"
holders=()
cleanup() {
    touch "$W/release" 2>/dev/null
    local p
    for p in "${holders[@]}"; do wait "$p" 2>/dev/null; done
    rm -f "$DRIVE"
    mountpoint -q "$MNT" && umount -l "$MNT"
    # The Wine server keeps drive R: in its list of drives while it runs, and the next test
    # would start in the same server and show a drive R: in the folder tree.
    tavrel_wine_down all
}
trap cleanup EXIT

# write_job NAME DEST FOLDER...: only-new copies, nothing left out by type.
write_job() {
    local name="$1" dest="$2"; shift 2
    job_file "$W/jobs/$name.tvj" "" "$dest" 0 1 "" 0
    job_list "$W/jobs/$name.tvl" "$@"
    wine reg delete "$FILER" /v "$name.tvj" /f >/dev/null 2>&1
}
stamped() { wine reg query "$FILER" /v "$1.tvj" >/dev/null 2>&1; }
# report JOB: the report as UTF-8 (it is saved in Windows-1252 where that holds its text).
report() {
    local f="$W/jobs/$1.txt"
    if [ "$(head -c 3 "$f" | od -An -tx1 | tr -d ' ')" = efbbbf ]; then tail -c +4 "$f"; else iconv -f CP1252 -t UTF-8 "$f"; fi | tr -d '\r'
}
failure_lines() { report "$1" | sed -n '/^Fejl: [0-9]*$/,$p' | tail -n +2; }
said() { echo "$OUT" | sed 's/^/    | /'; }
# keep JOB: the report of a failed run, kept beside the test's files for a look afterwards.
keep() { cp "$W/jobs/$1.txt" "$W/$1-$2.txt" 2>/dev/null; }

# whole_or_absent SRC DST: every file in DST is its source's bytes (no partial copy under a real
# name) and no temporary copy is left. Prints what is wrong.
whole_or_absent() {
    local src="$1" dst="$2" f rel bad=0
    while IFS= read -r -d '' f; do
        rel="${f#$dst/}"
        case "$(basename "$rel")" in ~tavrel-*) echo "    temporary copy left: $rel"; bad=1; continue ;; esac
        cmp -s "$f" "$src/$rel" || { echo "    not whole: $rel"; bad=1; }
    done < <(find "$dst" -type f -print0 2>/dev/null)
    return $bad
}

# absent_are_failures SRC DST WINSRC JOB: every source file missing from DST is named in the
# report's "Fejl:" section, which holds nothing else but destination folders, and the counts agree.
absent_are_failures() {
    local src="$1" dst="$2" winsrc="$3" job="$4" f rel missing=0 failed
    failed=$(failure_lines "$job")
    while IFS= read -r -d '' f; do
        rel="${f#$src/}"
        [ -e "$dst/$rel" ] && continue
        missing=$((missing + 1))
        grep -qF "$winsrc\\${rel//\//\\} - " <<<"$failed" || { echo "    not reported: $rel"; return 1; }
    done < <(find "$src" -type f -print0)
    # A destination folder that cannot be made is a failure of its own, besides its files.
    local folders; folders=$(echo "$failed" | grep -c '^[A-Z]:.*\\ - ')
    local all=$((missing + folders))
    [ "$missing" -gt 0 ] && [ "$(echo "$failed" | grep -c .)" = "$all" ] &&
        grep -qx "Fejl: $all" <<<"$(report "$job")" && echo "$OUT" | grep -qx "Fejl: $all filer"
}

level() { whole_or_absent "$1" "$2" && diff -rq "$1" "$2" >/dev/null; }

# wait_for FILE SECONDS: the file appears in time.
wait_for() {
    local i
    for i in $(seq 1 $(($2 * 20))); do [ -e "$1" ] && return 0; sleep 0.05; done
    return 1
}

# hold WINFILE: starts the helper on the file and waits until it holds it.
hold() {
    rm -f "$W/ready" "$W/release"
    wine "$HOLD" "$1" "T:\\e2e_faults\\ready" "T:\\e2e_faults\\release" </dev/null >/dev/null 2>&1 &
    holders+=($!)
    wait_for "$W/ready" 120
}
let_go() {
    touch "$W/release"
    wait "${holders[-1]}"
}

tree_sum() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

# ---- Locked files ----
# A small file goes through the system's copy, one of 4 MB and more through the program's own
# copy in chunks: each is held once at the source and once at the destination.
for size in 300000 5000000; do
    job=lock$size
    S="$W/src/$job"; D="$W/dst/e2e_faults/src/$job"; WS="$WIN\\src\\$job"
    mkdir -p "$S"
    for n in a c d; do printf 'file %s\n' $n > "$S/$n.txt"; done
    head -c $size /dev/urandom > "$S/b.bin"
    write_job $job "$WIN\\dst\\" "$WS\\"
    check "$size B: the helper holds the source file" 'hold "$WS\\b.bin"'
    run_job $job /R
    said; keep $job source-held
    check "$size B: a source file held open: exit 1" '[ $RC = 1 ]'
    check "$size B: it is a failure in the report, the only one" 'absent_are_failures "$S" "$D" "$WS" $job && [ ! -e "$D/b.bin" ]'
    check "$size B: the rest is copied whole, no temporary copy" 'whole_or_absent "$S" "$D" && [ -e "$D/a.txt" ] && [ -e "$D/c.txt" ] && [ -e "$D/d.txt" ]'
    check "$size B: no stamp after it" '! stamped $job'
    let_go
    run_job $job /R
    check "$size B: after the helper lets go the rerun copies it (exit 0) and records the stamp" '[ $RC = 0 ] && level "$S" "$D" && stamped $job'

    cp "$D/b.bin" "$W/old-b.bin"
    head -c $size /dev/urandom > "$S/b.bin"; touch -d '+1 hour' "$S/b.bin"
    wine reg delete "$FILER" /v $job.tvj /f >/dev/null 2>&1
    check "$size B: the helper holds the destination copy" 'hold "$WIN\\dst\\e2e_faults\\src\\$job\\b.bin"'
    run_job $job /R
    said; keep $job destination-held
    check "$size B: a destination copy held open: exit 1" '[ $RC = 1 ] && echo "$OUT" | grep -qx "Fejl: 1 filer"'
    check "$size B: the old copy stays whole" 'cmp -s "$D/b.bin" "$W/old-b.bin"'
    check "$size B: it is reported, and no temporary copy is left" 'grep -qF "$WS\\b.bin - " <<<"$(report $job)" && [ -z "$(ls -A "$D" | grep "^~tavrel-")" ]'
    check "$size B: no stamp after it" '! stamped $job'
    let_go
    run_job $job /R
    check "$size B: after the helper lets go the rerun replaces it" '[ $RC = 0 ] && level "$S" "$D" && stamped $job'
done

# ---- A full destination ----
if ! mount -t tmpfs -o size=64m tavrel-full "$MNT" 2>"$W/mount.txt"; then
    echo "skip - a tmpfs cannot be mounted here ($(cat "$W/mount.txt")): the full and vanishing drive are not tested"
    echo "$failures failure(s)"
    [ "$failures" = 0 ]; exit
fi
ln -sfn "$MNT" "$DRIVE"
S="$W/src/full"; WS="$WIN\\src\\full"
mkdir -p "$S/Små" "$S/Flere"
head -c 6000000 /dev/urandom > "$S/a stor.bin"      # copied in chunks; more than the drive holds
head -c 1500000 /dev/urandom > "$S/b mellem.bin"
head -c 1500000 /dev/urandom > "$S/c mellem.bin"
for i in $(seq 1 30); do head -c 40000 /dev/urandom > "$S/Små/lille $i.bin"; done
for i in $(seq 1 30); do head -c 3000 /dev/urandom > "$S/Flere/æble $i.txt"; done
write_job full "R:\\" "$WS\\"
D="$MNT/e2e_faults/src/full"
# One copy at a time, and four at once (the copy pool): each on an emptied drive of 4 MB.
for workers in 1 4; do
    export TAVREL_WORKERS=$workers
    rm -rf "${MNT:?}"/*; mount -o remount,size=4m "$MNT"
    wine reg delete "$FILER" /v full.tvj /f >/dev/null 2>&1
    run_job full /R
    said; keep full "failed-$workers"
    check "$workers worker(s): a full destination: exit 1" '[ $RC = 1 ]'
    check "$workers worker(s): every destination file is whole or absent, no temporary copy" 'whole_or_absent "$S" "$D"'
    check "$workers worker(s): every file not copied is under \"Fejl:\" in the report and the summary" 'absent_are_failures "$S" "$D" "$WS" full'
    check "$workers worker(s): the large file is among them" '[ ! -e "$D/a stor.bin" ]'
    check "$workers worker(s): no stamp after it" '! stamped full'
    mount -o remount,size=64m "$MNT"
    run_job full /R
    check "$workers worker(s): after room is made the rerun levels the destination (exit 0) and records the stamp" '[ $RC = 0 ] && level "$S" "$D" && stamped full'
done
unset TAVREL_WORKERS

# A job whose report lies on the full drive.
mkdir -p "$MNT/jobs"
S="$W/src/rpt"; mkdir -p "$S"; printf 'r\n' > "$S/r.txt"
job_file "$MNT/jobs/rfull.tvj" "" "$WIN\\dst\\" 0 1 "" 0
job_list "$MNT/jobs/rfull.tvl" "$WIN\\src\\rpt\\"
head -c 70000000 /dev/zero > "$MNT/fill" 2>/dev/null
timeout 300 wine "$EXE" 'R:\jobs\rfull.tvj' /R </dev/null >"$W/out.txt" 2>"$W/err.txt"; RC=$?
OUT=$(tr -d '\r' <"$W/out.txt"); ERR=$(tr -d '\r' <"$W/err.txt")
said; echo "$ERR" | sed 's/^/    ! /'
check "a report on a full drive: exit 2, said on the console" '[ $RC = 2 ] && echo "$ERR" | grep -qF "R:\\jobs\\rfull.txt"'
check "no report and no temporary file left on that drive" '[ -z "$(ls -A "$MNT/jobs" | grep -v "^rfull.tv[jl]$")" ]'
check "the files were copied" 'cmp -s "$S/r.txt" "$W/dst/e2e_faults/src/rpt/r.txt"'
rm -f "$DRIVE"; umount "$MNT"

# ---- The destination drive vanishes during a run ----
S="$W/src/gone"; D="$MNT/e2e_faults/src/gone"; WS="$WIN\\src\\gone"
for d in 1 2 3 4 5 6 7 8; do
    mkdir -p "$S/mappe $d"
    for i in $(seq 1 150); do printf 'fil %s %s\n' $d $i > "$S/mappe $d/fil $i.txt"; done
done
head -c 8000000 /dev/urandom > "$S/mappe 1/stor.bin"
sums=$(tree_sum "$S")
total=$(find "$S" -type f | wc -l)
write_job gone "R:\\" "$WS\\"
for workers in 1 4; do
    export TAVREL_WORKERS=$workers
    mount -t tmpfs -o size=256m tavrel-gone "$MNT"
    ln -sfn "$MNT" "$DRIVE"
    wine reg delete "$FILER" /v gone.tvj /f >/dev/null 2>&1
    wine "$EXE" "$WIN\\jobs\\gone.tvj" /R </dev/null >"$W/out.txt" 2>"$W/err.txt" &
    pid=$!
    # Pulled as soon as the first copy lands: the mapping goes, then the drive itself.
    caught=""
    for i in $(seq 1 6000); do
        if [ -n "$(find "$D" -type f -print -quit 2>/dev/null)" ]; then caught=1; break; fi
        kill -0 $pid 2>/dev/null || break
        sleep 0.05
    done
    rm -f "$DRIVE"
    umount -l "$MNT"
    ended=""
    for i in $(seq 1 6000); do kill -0 $pid 2>/dev/null || { ended=1; break; }; sleep 0.05; done
    [ -z "$ended" ] && kill -9 $pid 2>/dev/null
    wait $pid; RC=$?
    OUT=$(tr -d '\r' <"$W/out.txt")
    said; keep gone "failed-$workers"
    copied=$(echo "$OUT" | sed -n 's/^Kopieret: \([0-9.]*\) filer.*/\1/p' | tr -d .)
    failed=$(echo "$OUT" | sed -n 's/^Fejl: \([0-9.]*\) filer$/\1/p' | tr -d .)
    # A destination folder that cannot be made is a failure of its own, besides its files.
    named_files=$(failure_lines gone | grep -F "$WS\\" | sort -u | grep -c .)
    named_folders=$(failure_lines gone | grep -c '^R:.*\\ - ')
    echo "    $total files, ${copied:-?} copied, ${failed:-?} failed; named in the report: $named_files files, $named_folders destination folders"
    check "$workers worker(s): the drive was pulled during the copy" '[ -n "$caught" ] && [ "${copied:-0}" -lt "$total" ]'
    check "$workers worker(s): the run ends by itself (within 300 s)" '[ -n "$ended" ]'
    check "$workers worker(s): it exits 1 and reports failures" '[ $RC = 1 ] && [ "${failed:-0}" -gt 0 ] && grep -q "^Fejl: [1-9]" <<<"$(report gone)"'
    check "$workers worker(s): every file is copied or named as a failure, the other failures are destination folders" '[ $((${copied:-0} + named_files)) = "$total" ] && [ $((named_files + named_folders)) = "${failed:-0}" ]'
    check "$workers worker(s): no stamp after it" '! stamped gone'
    check "$workers worker(s): the sources are untouched" '[ "$(tree_sum "$S")" = "$sums" ]'
    check "$workers worker(s): nothing was written where the drive had been" '[ -z "$(ls -A "$MNT")" ]'
    mount -t tmpfs -o size=256m tavrel-back "$MNT"
    ln -sfn "$MNT" "$DRIVE"
    run_job gone /R
    check "$workers worker(s): with the drive back the rerun copies everything (exit 0)" '[ $RC = 0 ] && level "$S" "$D" && stamped gone'
    rm -f "$DRIVE"; umount "$MNT"
done
unset TAVREL_WORKERS

echo "$failures failure(s)"
[ "$failures" = 0 ]
