#!/usr/bin/env bash
# Soak: five successive only-new runs of tavrelc under Wine over a large tree (20 000 files by
# default) with random changes, additions, deletions and renames between them. After every run
# each included source file has a byte-identical copy (content hashes compared), and the report
# lists exactly the files the type filter leaves out.
# Usage: soak.sh ROOT WINBUILD [FILES] [RUNS]
set -uo pipefail
FILES="${3:-20000}"; RUNS="${4:-5}"
source "$1/tests/e2e/tavrelc-e2e.sh"
tc_init soak "$1" "$2"
mkdir -p "$W/src"
job_file "$W/jobs/soak.tvj" soak "$WIN\\dst\\" 0 1 .BAK,.TMP 0
job_list "$W/jobs/soak.tvl" "$WIN\\src\\"

# One Python program makes the tree, changes it between runs and checks every run.
soak_py() {
    python3 - "$@" <<'EOF'
import hashlib, os, random, sys
cmd, top, seed = sys.argv[1], sys.argv[2], int(sys.argv[3])
src, dst = os.path.join(top, "src"), os.path.join(top, "dst", "soak", "src")
rnd = random.Random(seed)
FILTERED = (".bak", ".tmp")
EXTS = [".txt", ".doc", ".bin", ".BAK", ".tmp", ".jpg", ""]
WEIGHTS = [30, 20, 20, 3, 2, 20, 5]

def files():
    out = []
    for d, subs, names in os.walk(src):
        subs[:] = [s for s in subs if not s.startswith(".")]
        out += [os.path.join(d, n) for n in names if not n.startswith(".")]
    return out

def new_name(folder):
    while True:
        ext = rnd.choices(EXTS, WEIGHTS)[0]
        name = rnd.choice(["fil", "rapport", "billede", "æble", "øl", "Å"]) + "%06d" % rnd.randrange(10**6) + ext
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            return path

def write(path, stamp):
    size = rnd.choice([0, 1, 100, 1023, 1024, 5000, 70000])
    with open(path, "wb") as f:
        f.write(rnd.randbytes(size))
    os.utime(path, (stamp, stamp))

def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()

stamp = 1700000000 + seed * 100  # every round's writes are clearly newer than the last
if cmd == "make":
    count = int(sys.argv[4])
    folders = [src]
    for i in range(max(1, count // 100)):
        parent = rnd.choice(folders) if rnd.random() < 0.3 else src
        folders.append(os.path.join(parent, "mappe%03d" % i))
        os.makedirs(folders[-1], exist_ok=True)
    os.makedirs(os.path.join(src, "tom", "tommere"), exist_ok=True)
    for i in range(count):
        write(new_name(rnd.choice(folders)), stamp)
    print("made", len(files()), "files in", len(folders), "folders")
elif cmd == "change":
    all_files = files()
    n = max(1, len(all_files) // 50)
    changed = rnd.sample(all_files, 3 * n)
    for p in changed[:n]:
        write(p, stamp)                                       # changed content
    for p in changed[n:2 * n]:
        os.remove(p)                                          # deleted
    for p in changed[2 * n:]:
        os.rename(p, new_name(os.path.dirname(p)))            # renamed, time kept
    folders = sorted({os.path.dirname(p) for p in all_files})
    for i in range(n):
        write(new_name(rnd.choice(folders)), stamp)           # added
    print("changed %d, deleted %d, renamed %d, added %d" % (n, n, n, n))
elif cmd == "check":
    report_file = sys.argv[4]
    raw = open(report_file, "rb").read()
    text = raw[3:].decode("utf-8") if raw.startswith(b"\xef\xbb\xbf") else raw.decode("cp1252")
    lines = text.split("\r\n")
    listed, errors = [], []
    for line in lines[5:]:
        if line in (" ", ""):
            break
        listed.append(line)
    compared = mismatches = 0
    expected = []
    for p in files():
        rel = os.path.relpath(p, src)
        if os.path.splitext(p)[1].lower() in FILTERED:
            expected.append("T:\\soak\\src\\" + rel.replace("/", "\\"))
            if os.path.exists(os.path.join(dst, rel)):
                errors.append("filtered file copied: " + rel)
            continue
        compared += 1
        copy = os.path.join(dst, rel)
        if not os.path.isfile(copy) or digest(copy) != digest(p):
            mismatches += 1
            if mismatches <= 5:
                errors.append("differs: " + rel)
    if sorted(listed) != sorted(expected):
        errors.append("report lists %d files, the filter leaves out %d" % (len(listed), len(expected)))
    if lines[2] != "Antal: %d" % len(expected):
        errors.append("report count line: " + lines[2])
    for e in errors:
        print("   ", e)
    print("compared %d files, %d mismatches, report lists %d filtered files" % (compared, mismatches, len(listed)))
    sys.exit(1 if errors else 0)
EOF
}

failures=0
soak_py make "$W" 0 "$FILES" || exit 1
for run in $(seq 1 "$RUNS"); do
    [ "$run" -gt 1 ] && soak_py change "$W" "$run"
    start=$(date +%s)
    timeout 1800 wine "$EXE" "$WIN\\jobs\\soak.tvj" /R </dev/null >"$W/out.txt" 2>"$W/err.txt"
    rc=$?
    secs=$(( $(date +%s) - start ))
    echo "run $run: exit $rc in ${secs}s; $(tr -d '\r' < "$W/out.txt" | grep -E '^(Gennemset|Kopieret|Fejl)' | tr '\n' ' ')"
    [ $rc = 0 ] || { echo "    $(tr -d '\r' < "$W/err.txt" | head -3)"; failures=$((failures + 1)); }
    soak_py check "$W" "$run" "$W/jobs/soak.txt" || failures=$((failures + 1))
    [ -z "$(find "$W/dst" -name '~tavrel-*')" ] || { echo "    temporary files left"; failures=$((failures + 1)); }
done
echo "soak: $RUNS runs over $FILES files, $failures failed"
[ $failures = 0 ]
