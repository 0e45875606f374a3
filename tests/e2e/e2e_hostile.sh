#!/usr/bin/env bash
# tavrelc under Wine over trees that try to break a backup: link loops, a destination that is
# a link back to the source, names of 255 characters, paths far beyond 260, letters outside
# Windows-1252, read-only and hidden files, empty folders. Copies are compared byte for byte on
# the Linux side of drive T:.
# Usage: e2e_hostile.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrelc-e2e.sh"
tc_init e2e_hostile "$1" "$2"
TC_TIMEOUT=120

# write_job NAME DEST SLETDEST FOLDER... : no file types, so nothing is filtered.
write_job() {
    local name="$1" dest="$2" slet="$3"; shift 3
    job_file "$W/jobs/$name.tvj" "" "$dest" "$slet" 1 "" 0
    job_list "$W/jobs/$name.tvl" "$@"
}

# The content hashes of every file below a folder (links not followed, dot names left out),
# by relative path.
hashes() {
    (cd "$1" && find . -type f ! -path '*/.*' -print0 | sort -z | xargs -0 -r sha256sum)
}
# same_tree SRC DST: the same files with the same bytes, and nothing more in DST.
same_tree() {
    local a b
    a=$(hashes "$1"); b=$(hashes "$2")
    if [ "$a" != "$b" ]; then diff <(echo "$a") <(echo "$b") | head -5; return 1; fi
    return 0
}
# The attribute letters that Windows shows for a file (A, R, H, S).
attrs() { wine cmd /c attrib "$1" 2>/dev/null | tr -d '\r' | sed 's/ *[A-Za-z]:\\.*//'; }
files_in() { find "$1" -type f ! -path '*/.*' | wc -l; }

S="$W/src"
mkdir -p "$S/Tom/Tommere" "$S/Sub"
printf 'plain\n' > "$S/a.txt"
head -c 200000 /dev/urandom > "$S/Sub/random.bin"
# A name of exactly 255 characters (the temporary copy's name must fall back to a short one).
N255=$(printf 'n%.0s' $(seq 1 251)).txt
printf 'longest name\n' > "$S/$N255"
# A path of more than 400 characters through folders of 60.
P="$S"; WP="$WIN\\src"
for i in 1 2 3 4 5 6; do
    seg="niveau${i}_$(printf 'x%.0s' $(seq 1 52))"; P="$P/$seg"; WP="$WP\\$seg"
done
mkdir -p "$P"; printf 'deep\n' > "$P/dyb.txt"
WPLEN=$(( ${#WP} + 9 ))
# Letters outside Windows-1252, and Danish ones inside it.
mkdir -p "$S/Ελληνικά" "$S/日本語"
printf 'greek\n' > "$S/Ελληνικά/αβγ.txt"
printf 'cjk\n' > "$S/日本語/ファイル.txt"
printf 'emoji\n' > "$S/smil-😀.txt"
printf 'polsk\n' > "$S/Łódź.txt"
printf 'dansk\n' > "$S/Ærø Å ø.txt"
# Read-only and hidden files.
printf 'read-only\n' > "$S/skrivebeskyttet.txt"; chmod a-w "$S/skrivebeskyttet.txt"
printf 'hidden\n' > "$S/skjult.txt"
wine cmd /c attrib +h "$WIN\\src\\skjult.txt" >/dev/null 2>&1
# Host link loops: one to the marked folder itself, one to its parent's parent.
ln -s "$S" "$S/Sub/loop"
ln -s .. "$S/Tom/op"
SRC_FILES=$(files_in "$S")

# ---- The whole tree, twice ----
write_job h "$WIN\\dst\\" 0 "$WIN\\src\\"
run_job h /R
D="$W/dst/e2e_hostile/src"
check "the hostile tree is copied (exit 0)" '[ $RC = 0 ]'
check "every file is byte-identical and nothing more is there" 'same_tree "$S" "$D"'
check "the walk ends in spite of the link loops, each file once" 'echo "$OUT" | grep -qx "Gennemset: $SRC_FILES filer, .*"'
check "the 255-character name is copied" 'cmp -s "$S/$N255" "$D/$N255"'
check "the path beyond 260 characters is copied (${WPLEN} characters)" '[ $WPLEN -gt 300 ] && cmp -s "$P/dyb.txt" "${P/$S/$D}/dyb.txt"'
check "names outside Windows-1252 are copied" 'cmp -s "$S/日本語/ファイル.txt" "$D/日本語/ファイル.txt" && cmp -s "$S/smil-😀.txt" "$D/smil-😀.txt" && cmp -s "$S/Łódź.txt" "$D/Łódź.txt"'
check "empty folders are created" '[ -d "$D/Tom/Tommere" ] && [ -z "$(ls -A "$D/Tom/Tommere")" ]'
check "the read-only file is copied read-only" 'cmp -s "$S/skrivebeskyttet.txt" "$D/skrivebeskyttet.txt" && attrs "$WIN\\dst\\e2e_hostile\\src\\skrivebeskyttet.txt" | grep -q R'
check "the hidden file is copied hidden" 'cmp -s "$S/skjult.txt" "$D/skjult.txt" && attrs "$WIN\\dst\\e2e_hostile\\src\\skjult.txt" | grep -q H'
check "no temporary copy is left" '[ -z "$(find "$W/dst" -name "~tavrel-*")" ]'
check "the report names the job and lists nothing" 'tr -d "\r" < "$W/jobs/h.txt" | sed -n 3p | grep -qx "Antal: 0"'
run_job h /R
check "a second run copies nothing" '[ $RC = 0 ] && echo "$OUT" | grep -qx "Kopieret: 0 filer, 0,0 KB"'

# ---- Changed sources replace read-only and hidden copies ----
sleep 2
chmod u+w "$S/skrivebeskyttet.txt"; printf 'read-only, changed\n' > "$S/skrivebeskyttet.txt"; chmod a-w "$S/skrivebeskyttet.txt"
printf 'hidden, changed\n' > "$S/skjult.txt"
printf 'deep, changed\n' > "$P/dyb.txt"
printf 'cjk, changed\n' > "$S/日本語/ファイル.txt"
run_job h /R
check "changed read-only, hidden, deep and CJK files are copied again" '[ $RC = 0 ] && echo "$OUT" | grep -qx "Kopieret: 4 filer, 0,0 KB"'
check "and the copy is level again" 'same_tree "$S" "$D"'

# ---- The copy's place is a link back to the source ----
# dst2/e2e_hostile/src is the source itself: every copy would land on its own original.
mkdir -p "$W/dst2/e2e_hostile"; ln -s "$S" "$W/dst2/e2e_hostile/src"
before=$(hashes "$S")
write_job onto "$WIN\\dst2\\" 0 "$WIN\\src\\"
run_job onto /R
check "copying onto itself ends (exit 0 or 1) and touches no source file" '[ $RC -le 1 ] && [ "$(hashes "$S")" = "$before" ]'
check "and leaves no temporary file in the source" '[ -z "$(find "$S" -name "~tavrel-*")" ]'

# ---- The destination is a link to the source ----
ln -s "$S" "$W/dstlink"
write_job inside "$WIN\\dstlink\\" 0 "$WIN\\src\\"
run_job inside /R
check "a destination inside the source is not walked again (exit 0)" '[ $RC = 0 ] && [ "$(hashes "$S" | grep -v " ./e2e_hostile/")" = "$before" ]'
check "the copies inside the source are whole" '[ -d "$S/e2e_hostile/src" ] && cmp -s "$S/Sub/random.bin" "$S/e2e_hostile/src/Sub/random.bin"'
run_job inside /R
check "a second run does not nest the copies deeper" '[ $RC = 0 ] && [ -z "$(find "$S/e2e_hostile/src/e2e_hostile" -type f 2>/dev/null)" ]'
rm -rf "$S/e2e_hostile"

# ---- Emptying a destination that is the source ----
write_job wipe "$WIN\\dstlink\\" 1 "$WIN\\src\\"
run_job wipe /R /J
check "emptying a destination that is a link to the source is refused (exit 3)" '[ $RC = 3 ] && [ "$(hashes "$S")" = "$before" ]'

# ---- Names that Windows cannot hold ----
mkdir -p "$W/odd"
printf 'ok\n' > "$W/odd/ok.txt"
printf 'dot\n' > "$W/odd/trailing."
printf 'blank\n' > "$W/odd/blank "
printf 'star\n' > "$W/odd/star*q?.txt"
write_job odd "$WIN\\dstodd\\" 0 "$WIN\\odd\\"
run_job odd /R
check "names Windows cannot hold end the run with failures (exit 1), the rest is copied" '[ $RC = 1 ] && echo "$OUT" | grep -qx "Fejl: 3 filer" && cmp -s "$W/odd/ok.txt" "$W/dstodd/e2e_hostile/odd/ok.txt"'
odd_listed() {
    local report n
    report=$(tr -d '\r' < "$W/jobs/odd.txt")
    echo "$report" | grep -qx "Fejl: 3" || return 1
    for n in 'trailing\.' 'blank ' 'star\*q?\.txt'; do
        echo "$report" | grep -q "^T:.e2e_hostile.odd.$n - " || return 1
    done
}
check "and each is named in the report" odd_listed

chmod -R u+w "$W" 2>/dev/null
echo "e2e_hostile: $passed passed, $failures failed"
[ $failures = 0 ]
