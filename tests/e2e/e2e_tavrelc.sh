#!/usr/bin/env bash
# tavrelc under Wine: a hand-written job copied, recopied, counted, reversed, emptied first,
# with links, failures, Unicode names, long paths and a copy killed half-way.
# Usage: e2e_tavrelc.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrelc-e2e.sh"
tc_init e2e_tavrelc "$1" "$2"

# write_job NAME DEST SLETDEST KUNNYE MODSAT FOLDER...  (Windows paths; CR LF lines)
write_job() {
    local name="$1" dest="$2" slet="$3" nye="$4" modsat="$5"; shift 5
    job_file "$W/jobs/$name.tvj" e2e "$dest" "$slet" "$nye" .BAK,.TMP "$modsat"
    job_list "$W/jobs/$name.tvl" "$@"
}

# same_file A B: same bytes and the same last-write time.
same_file() { cmp -s "$1" "$2" && [ "$(stat -c %y "$1")" = "$(stat -c %y "$2")" ]; }

# level SRC DST: every file of SRC except the filtered types and dot-names is in DST with its bytes and time.
level() {
    local src="$1" dst="$2" f rel
    while IFS= read -r -d '' f; do
        rel="${f#$src/}"
        case "$rel" in *.bak|*.BAK|*.tmp|*.TMP|.*|*/.*) continue ;; esac
        same_file "$f" "$dst/$rel" || { echo "    differs: $rel"; return 1; }
    done < <(find "$src" -type f -print0)
    return 0
}

# What tavrelc must never change: the window's values and the recent-file list.
untouched() {
    wine reg query 'HKCU\Software\Ambrex Software\Tavrel\Start' 2>/dev/null | tr -d '\r'
    wine reg query "$FILER" 2>/dev/null | tr -d '\r' | grep -E '^ +Fil[1-4] '
}
before_values=$(untouched)

# ---- A plain copy ----
mkdir -p "$W/src/Sub" "$W/src/Tom"
printf 'alpha\n' > "$W/src/a.txt"
head -c 5000 /dev/urandom > "$W/src/Sub/b.bin"
printf 'left out\n' > "$W/src/c.bak"
printf 'dot\n' > "$W/src/.hidden"
touch -d '2024-05-01 10:00:00' "$W/src/a.txt" "$W/src/Sub/b.bin" "$W/src/c.bak" "$W/src/.hidden"
write_job job "$WIN\\dst\\" 0 1 0 "$WIN\\src\\"
wine reg delete "$FILER" /v job.tvj /f >/dev/null 2>&1
run_job job /R
D="$W/dst/e2e_tavrelc/src"
check "copy exits 0" '[ $RC = 0 ]'
check "copy prints the five lines" '[ "$OUT" = "$(printf "Kopiering er afsluttet\nGennemset: 3 filer, 4,8 KB\nKopieret: 2 filer, 4,8 KB\nTid: 00:0")${OUT: -1}" ] && [ $(echo "$OUT" | wc -l) = 4 ]'
check "copies are byte-identical with the source's time" 'level "$W/src" "$D"'
check "the empty subfolder is created" '[ -d "$D/Tom" ]'
check "filtered and dot files are not copied" '[ ! -e "$D/c.bak" ] && [ ! -e "$D/.hidden" ]'
check "report lines" '[ "$(sed -n "1,3p;5,6p" "$W/jobs/job.txt" | tr -d "\r")" = "$(printf "Tavrel - Ikke-kopierede filer\nJob T:\\\\e2e_tavrelc\\\\jobs\\\\job.tvj\nAntal: 1\n \nT:\\\\e2e_tavrelc\\\\src\\\\c.bak")" ]'
check "report has CR LF line ends and six lines" '[ $(grep -c $'"'"'\r$'"'"' "$W/jobs/job.txt") = 6 ] && [ $(wc -l < "$W/jobs/job.txt") = 6 ]'
check "report time line" 'sed -n 4p "$W/jobs/job.txt" | grep -q "^Tidspunkt: .*[0-9]"'
check "the registry holds the stamp, hours and minutes last" 'wine reg query "$FILER" /v job.tvj 2>/dev/null | tr -d "\r" | grep -Eq "job.tvj.*REG_SZ.* [0-9]{1,2}:[0-9]{2}( [AP]M)?$"'

run_job job /R
check "an immediate second run copies nothing" '[ $RC = 0 ] && echo "$OUT" | grep -qx "Kopieret: 0 filer, 0,0 KB"'

printf 'alpha, changed\n' > "$W/src/a.txt"
touch -d '2024-05-02 11:00:00' "$W/src/a.txt"
run_job job /T
count_out="$OUT"
check "a count run reports the one change and writes nothing" '[ $RC = 0 ] && echo "$OUT" | grep -qx "Vil blive kopieret: 1 filer, 0,0 KB" && echo "$OUT" | head -1 | grep -qx "Optælling er afsluttet" && ! cmp -s "$W/src/a.txt" "$D/a.txt"'
run_job job /R
check "the copy after it copies what the count said" '[ "$(echo "$OUT" | sed -n 3p)" = "Kopieret: 1 filer, 0,0 KB" ] && [ "$(echo "$count_out" | sed -n 2p)" = "$(echo "$OUT" | sed -n 2p)" ]'
check "the destination is level again" 'level "$W/src" "$D"'

# ---- Reverse ----
printf 'edited in the backup\n' > "$D/a.txt"
touch -d '2024-06-01 12:00:00' "$D/a.txt"
write_job rev "$WIN\\dst\\" 0 1 1 "$WIN\\src\\"
run_job rev /R
check "reverse without an answer stops with exit 3 and changes nothing" '[ $RC = 3 ] && [ -z "$OUT" ] && grep -q "alpha, changed" "$W/src/a.txt" && echo "$ERR" | grep -q "FRA den angivne destination"'
run_job rev /R /J
check "reverse with /J copies back" '[ $RC = 0 ] && same_file "$D/a.txt" "$W/src/a.txt"'

# ---- Delete first ----
printf 'stale\n' > "$W/dst/stale.txt"
mkdir -p "$W/dst/Old/Deeper"; printf 'x\n' > "$W/dst/Old/Deeper/x.txt"
printf 'keep\n' > "$W/dst/.keep"
mkdir -p "$W/outside"; printf 'precious\n' > "$W/outside/p.txt"
ln -s ../outside "$W/dst/link"
write_job del "$WIN\\dst\\" 1 1 0 "$WIN\\src\\"
run_job del /R
check "delete-first without an answer is cancelled (exit 3)" '[ $RC = 3 ] && [ -e "$W/dst/stale.txt" ]'
run_job del /R /J
check "delete-first with /J empties the destination, then copies" '[ $RC = 0 ] && [ ! -e "$W/dst/stale.txt" ] && [ ! -e "$W/dst/Old" ] && [ -e "$W/dst/.keep" ] && level "$W/src" "$D"'
check "a link in the destination stays, and what it points at is untouched" '[ -L "$W/dst/link" ] && [ "$(cat "$W/outside/p.txt")" = precious ]'
check "delete-first copies every file" 'echo "$OUT" | grep -qx "Kopieret: 2 filer, 4,8 KB"'
write_job delsrc "$WIN\\src\\" 1 1 0 "$WIN\\src\\Sub\\"
run_job delsrc /R /J
check "emptying a destination above a marked folder is refused" '[ $RC = 3 ] && [ -e "$W/src/Sub/b.bin" ] && [ -e "$W/src/a.txt" ] && echo "$ERR" | grep -q "markerede mappe"'

# A destination without a drive would be a folder of the current folder; run from a folder
# holding one of that name, the run is refused and it keeps its files.
mkdir -p "$W/rel/Gemt"; printf 'old\n' > "$W/rel/Gemt/old.txt"
write_job rel 'Gemt\' 1 1 0 "$WIN\\src\\"
(cd "$W/rel" && wine "$EXE" "$WIN\\jobs\\rel.tvj" /R /J </dev/null >"$W/out.txt" 2>"$W/err.txt"); RC=$?
ERR=$(tr -d '\r' <"$W/err.txt")
check "a destination without a drive is refused (exit 3) and nothing is emptied" '[ $RC = 3 ] && [ "$(cat "$W/rel/Gemt/old.txt")" = old ] && [ "$(ls "$W/rel/Gemt")" = old.txt ] && echo "$ERR" | grep -q "er ikke angivet med drev"'

# ---- Command line ----
run_job missing /R
check "a missing job file gives exit 2 and the message" '[ $RC = 2 ] && echo "$ERR" | grep -qF "Den angivne fil \"$WIN\\jobs\\missing.tvj\" findes ikke."'
run_job job /x
check "an invalid command gives exit 2" '[ $RC = 2 ] && echo "$ERR" | grep -qF "Den angivne kommando \"/X\" er ikke gyldig."'
run_job job /R /J extra
check "too many parameters give exit 2" '[ $RC = 2 ] && echo "$ERR" | grep -q "Kommandolinien indeholder 4 parametre"'

# ---- A link back to the source (a host link, which Windows calls no link) ----
mkdir -p "$W/loop/Sub"; printf 'l\n' > "$W/loop/l.txt"; printf 'm\n' > "$W/loop/Sub/m.txt"
ln -s .. "$W/loop/Sub/up"
write_job loop "$WIN\\dstloop\\" 0 1 0 "$WIN\\loop\\"
timeout 120 wine "$EXE" "$WIN\\jobs\\loop.tvj" /R </dev/null >"$W/out.txt" 2>"$W/err.txt"; RC=$?
OUT=$(tr -d '\r' <"$W/out.txt")
check "a link loop ends, each file once" '[ $RC = 0 ] && echo "$OUT" | grep -qx "Gennemset: 2 filer, 0,0 KB"'

# ---- A destination folder that cannot be created ----
printf 'a file\n' > "$W/blocked"
write_job blocked "$WIN\\blocked\\kopi\\" 0 1 0 "$WIN\\src\\"
wine reg delete "$FILER" /v blocked.tvj /f >/dev/null 2>&1
run_job blocked /R
check "a destination that cannot be created gives exit 1 and a Fejl line" '[ $RC = 1 ] && echo "$OUT" | grep -q "^Fejl: [0-9]* filer$" && echo "$OUT" | grep -qx "Kopieret: 0 filer, 0,0 KB"'
check "the report lists the failures" 'tr -d "\r" < "$W/jobs/blocked.txt" | grep -q "^Fejl: [1-9]"'
check "a failed run records no stamp" '! wine reg query "$FILER" /v blocked.tvj >/dev/null 2>&1'
check "the file in the way is untouched" '[ "$(cat "$W/blocked")" = "a file" ]'

# ---- A report that cannot be written (a folder stands in its place) ----
write_job rpt "$WIN\\dstrpt\\" 0 1 0 "$WIN\\src\\"
mkdir -p "$W/jobs/rpt.txt"
run_job rpt /R
check "a report that cannot be written gives exit 2 and a message" '[ $RC = 2 ] && echo "$ERR" | grep -q "rpt.txt" && echo "$OUT" | grep -qx "Kopiering er afsluttet"'

# ---- Unicode names and a long path ----
U="$W/uni/Ελληνικά æøå ✓"
mkdir -p "$U"; printf 'unicode\n' > "$U/日本語 – ñ.txt"
L="$W/uni"
for i in 1 2 3 4 5 6 7; do L="$L/Et ret langt mappenavn nummer $i for at passere grænsen"; done
mkdir -p "$L"; printf 'long\n' > "$L/lang fil.txt"
touch -d '2024-05-01 10:00:00' "$U/日本語 – ñ.txt" "$L/lang fil.txt"
write_job uni "$WIN\\dstuni\\" 0 1 0 "$WIN\\uni\\"
run_job uni /R
check "unicode and long paths are copied" '[ $RC = 0 ] && echo "$OUT" | grep -qx "Kopieret: 2 filer, 0,0 KB" && level "$W/uni" "$W/dstuni/e2e_tavrelc/uni"'
check "the long path is longer than 260 characters" '[ ${#L} -gt 300 ]'
run_job uni /R
check "and a second run copies none of them" 'echo "$OUT" | grep -qx "Kopieret: 0 filer, 0,0 KB"'

# ---- A copy killed half-way ----
mkdir -p "$W/big"
head -c 1048576 /dev/urandom > "$W/big/big.bin"
touch -d '2024-05-01 10:00:00' "$W/big/big.bin"
write_job big "$WIN\\dstbig\\" 0 1 0 "$WIN\\big\\"
run_job big /R
B="$W/dstbig/e2e_tavrelc/big"
cp "$B/big.bin" "$W/previous.bin"
# The new version is large enough that the copy takes a while.
head -c 1048576 /dev/urandom > "$W/big/head.bin"
cat "$W/big/head.bin" > "$W/big/big.bin"; rm "$W/big/head.bin"
truncate -s 3G "$W/big/big.bin"
touch -d '2024-05-03 10:00:00' "$W/big/big.bin"
wine "$EXE" "$WIN\\jobs\\big.tvj" /R </dev/null >/dev/null 2>&1 &
pid=$!
seen=""
for i in $(seq 1 600); do
    temp=$(ls "$B"/~tavrel-big.bin.*.tmp 2>/dev/null | head -1)
    if [ -n "$temp" ] && [ "$(stat -c %s "$temp")" -gt 0 ]; then seen=1; break; fi
    sleep 0.05
done
kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
# The Wine process behind the launcher, if it is another one, ends with the server's help.
sleep 1
check "the copy was caught half-way" '[ -n "$seen" ]'
check "a killed copy leaves the previous copy whole" 'cmp -s "$B/big.bin" "$W/previous.bin"'
run_job big /R
check "the rerun brings the destination level" '[ $RC = 0 ] && same_file "$W/big/big.bin" "$B/big.bin"'
check "and leaves no temporary file" '[ -z "$(ls -A "$B" | grep -v "^big.bin$")" ]'
rm -f "$W/big/big.bin" "$B/big.bin" "$W/previous.bin"

check "the window's registry values and the recent list are untouched" '[ "$(untouched)" = "$before_values" ]'

echo "$failures failure(s)"
[ "$failures" = 0 ]
