#!/usr/bin/env bash
# tavrelc under Wine where a run could lose the user's work or report an untruth: a reverse copy
# of a job whose (greyed) delete option is stored on, files named like the program's temporary
# copies, read-only copies in a destination that is emptied first, a marked folder that is gone.
# Usage: e2e_safety.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrelc-e2e.sh"
tc_init e2e_safety "$1" "$2"
TC_TIMEOUT=300

# write_job NAME DEST SLETDEST KUNNYE MODSAT FOLDER... : only .BAK is left out, so .tmp files take part.
write_job() {
    local name="$1" dest="$2" slet="$3" nye="$4" modsat="$5"; shift 5
    job_file "$W/jobs/$name.tvj" "" "$dest" "$slet" "$nye" .BAK "$modsat"
    job_list "$W/jobs/$name.tvl" "$@"
    wine reg delete "$FILER" /v "$name.tvj" /f >/dev/null 2>&1
}
stamped() { wine reg query "$FILER" /v "$1.tvj" >/dev/null 2>&1; }
report() { tr -d '\r' < "$W/jobs/$1.txt"; }
# Windows shows a file without write permission as read-only.
read_only() { [ -z "$(stat -c %A "$1" | cut -c2-10 | tr -d -c w)" ]; }

# The name the program gives the temporary copy of a file: "~tavrel-NAME.CHECK.tmp", the check
# being FNV-1a over the program's key and the name.
temp_name() {
    python3 -c '
import sys
stem = sys.argv[1].encode()
h = 2166136261
for c in b"Ambrex Tavrel" + stem:
    h = ((h ^ c) * 16777619) & 0xFFFFFFFF
print("~tavrel-%s.%08x.tmp" % (sys.argv[1], h))' "$1"
}

# ---- A reverse copy keeps originals that are newer than their backup ----
# The delete option is greyed in a reverse copy, but a job may still hold it.
S="$W/src/rev"; B="$W/dst/e2e_safety/src/rev"
mkdir -p "$S" "$B"
printf "today's work\n" > "$S/today.txt"; touch -d '2024-06-02 12:00:00' "$S/today.txt"
printf "yesterday's backup\n" > "$B/today.txt"; touch -d '2024-06-01 12:00:00' "$B/today.txt"
printf 'old original\n' > "$S/old.txt"; touch -d '2024-05-01 12:00:00' "$S/old.txt"
printf 'newer in the backup\n' > "$B/old.txt"; touch -d '2024-06-05 12:00:00' "$B/old.txt"
write_job rev "$WIN\\dst\\" 1 1 1 "$WIN\\src\\rev\\"
run_job rev /R /J
check "a reverse copy with the delete option stored on ends (exit 0)" '[ $RC = 0 ]'
check "and keeps the original that is newer than its backup" '[ "$(cat "$S/today.txt")" = "today'"'"'s work" ]'
check "and brings back what is newer in the backup" '[ "$(cat "$S/old.txt")" = "newer in the backup" ]'
check "and deletes nothing in the backup" '[ "$(cat "$B/today.txt")" = "yesterday'"'"'s backup" ]'
check "it copied one file" 'echo "$OUT" | grep -qx "Kopieret: 1 filer, 0,0 KB"'

# ---- Files named like temporary copies ----
S="$W/src/tmp"; D="$W/dst/e2e_safety/src/tmp"
mkdir -p "$S" "$D"
printf 'a\n' > "$S/a.txt"
printf "the user's notes\n" > "$S/~tavrel-noter.tmp"; chmod a-w "$S/~tavrel-noter.tmp"
printf "also the user's\n" > "$S/~TAVREL-liste.TMP"
OWN=$(temp_name gammel.txt)
printf 'half a copy\n' > "$D/$OWN"; chmod a-w "$D/$OWN"
printf "kept in the backup by hand\n" > "$D/~tavrel-mine.tmp"
write_job tmp "$WIN\\dst\\" 0 1 0 "$WIN\\src\\tmp\\"
run_job tmp /R
check "files named like temporary copies are copied (exit 0)" '[ $RC = 0 ] && echo "$OUT" | grep -qx "Kopieret: 3 filer, 0,0 KB"'
check "and stay in the source as they were" '[ "$(cat "$S/~tavrel-noter.tmp")" = "the user'"'"'s notes" ] && read_only "$S/~tavrel-noter.tmp" && [ -e "$S/~TAVREL-liste.TMP" ]'
check "their copies are whole" 'cmp -s "$S/~tavrel-noter.tmp" "$D/~tavrel-noter.tmp" && cmp -s "$S/~TAVREL-liste.TMP" "$D/~TAVREL-liste.TMP"'
check "the program's own leftover in the destination goes" '[ ! -e "$D/$OWN" ]'
check "a file named like one that is not the program's stays in the destination" '[ -e "$D/~tavrel-mine.tmp" ]'
check "no temporary copy of the program's is left" '[ -z "$(ls -A "$D" | grep "^~tavrel-.*\.[0-9a-f]\{8\}\.tmp$")" ]'
# A copy that the source only reads: the program's own leftover there stays as well.
printf 'half a copy\n' > "$S/$OWN"
run_job tmp /R
check "a leftover of the program's in a folder that is only read stays and is not copied" '[ $RC = 0 ] && [ -e "$S/$OWN" ] && [ ! -e "$D/$OWN" ]'

# ---- Read-only copies in a destination that is emptied first ----
S="$W/src/ro"; D="$W/dstro/e2e_safety/src/ro"
mkdir -p "$S" "$D"
printf 'new\n' > "$S/a.txt"
printf 'old\n' > "$D/a.txt"; chmod a-w "$D/a.txt"
write_job ro "$WIN\\dstro\\" 1 1 0 "$WIN\\src\\ro\\"
run_job ro /R /J
check "a read-only copy that the copy replaces is no failure (exit 0)" '[ $RC = 0 ] && ! echo "$OUT" | grep -q "^Fejl:"'
check "the copy holds the new content" '[ "$(cat "$D/a.txt")" = new ]'
check "and the run is stamped as complete" 'stamped ro'
printf 'stale\n' > "$D/stale.txt"; chmod a-w "$D/stale.txt"
run_job ro /R /J
check "a read-only file that nothing replaces is one failure (exit 1)" '[ $RC = 1 ] && echo "$OUT" | grep -qx "Fejl: 1 filer"'
check "listed in the report" 'report ro | grep -q "^T:.e2e_safety.dstro.e2e_safety.src.ro.stale.txt - "'

# ---- A marked folder that is gone ----
mkdir -p "$W/src/here"; printf 'here\n' > "$W/src/here/h.txt"
write_job gone "$WIN\\dstgone\\" 0 1 0 "$WIN\\src\\here\\" "$WIN\\src\\usb\\"
run_job gone /R
check "a marked folder that is gone makes the run a failure (exit 1)" '[ $RC = 1 ]'
check "the other folder is still copied" 'cmp -s "$W/src/here/h.txt" "$W/dstgone/e2e_safety/src/here/h.txt"'
check "the console names the folder under Fejl" 'echo "$OUT" | grep -qx "Fejl: 1 filer" && echo "$OUT" | grep -qxF "$WIN\\src\\usb\\ - Mappen findes ikke."'
check "the report lists it under Fejl" 'report gone | grep -qx "Fejl: 1" && report gone | grep -qxF "$WIN\\src\\usb\\ - Mappen findes ikke."'
check "no stamp is recorded" '! stamped gone'
run_job gone /T
check "a count run of the job is a failure too (exit 1)" '[ $RC = 1 ] && echo "$OUT" | grep -qx "Fejl: 1 filer"'
mkdir -p "$W/src/usb"; printf 'back\n' > "$W/src/usb/u.txt"
run_job gone /R
check "once the folder is back the run is complete (exit 0)" '[ $RC = 0 ] && stamped gone && cmp -s "$W/src/usb/u.txt" "$W/dstgone/e2e_safety/src/usb/u.txt"'

chmod -R u+w "$W" 2>/dev/null
echo "e2e_safety: $passed passed, $failures failed"
[ $failures = 0 ]
