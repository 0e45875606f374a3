#!/usr/bin/env python3
"""Compares two runs of the same job that must give the same result, such as a run with
several copy workers and a run with one: the destination trees (the same names, folders,
sizes, contents, last-write times to the 100 ns and attributes), the reports (the same lines in
the same order), what the console showed, and the exit codes.

  compare_runs.py TREE_A TREE_B [--report A B] [--out A B] [--exit A B] [--quiet]
  compare_runs.py --self-test

The report's "Tidspunkt:" line and the console's "Tid:" line hold the moment and the duration
of the run and are not compared. Prints the differences and exits with 1 where there are any;
with --quiet it prints only their number.
"""
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from treecheck import compare, print_differences, read_tree  # noqa: E402

VARYING = {"report": ("Tidspunkt:",), "out": ("Tid:",)}


def text_lines(path, kind):
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    text = data.decode("utf-8", errors="surrogateescape") if _utf8(data) else data.decode("cp1252", errors="replace")
    lines = [l.rstrip("\r") for l in text.split("\n")]
    while lines and lines[-1] == "":
        lines.pop()
    return [l for l in lines if not l.startswith(VARYING[kind])]


def _utf8(data):
    try:
        data.decode("utf-8")
        return True
    except UnicodeDecodeError:
        return False


def compare_lines(a, b, what):
    if a == b:
        return []
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return [f"{what}, line {i + 1}: {x!r} against {y!r}"]
    return [f"{what}: {len(a)} lines against {len(b)}"]


def compare_runs(tree_a, tree_b, reports=None, outs=None, exits=None):
    diffs = []
    for t in (tree_a, tree_b):
        if not os.path.isdir(t):
            return [f"{t} is not there"]
    diffs += compare(read_tree(tree_a), read_tree(tree_b), exact_time=True, a_name="first run",
                     b_name="second run")
    if reports:
        diffs += compare_lines(text_lines(reports[0], "report"), text_lines(reports[1], "report"), "report")
    if outs:
        diffs += compare_lines(text_lines(outs[0], "out"), text_lines(outs[1], "out"), "console")
    if exits and exits[0] != exits[1]:
        diffs.append(f"exit code {exits[0]} against {exits[1]}")
    return diffs


def self_test():
    """Each kind of difference is found, and two equal runs pass."""
    import shutil
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        def make(name):
            root = os.path.join(tmp, name)
            os.makedirs(os.path.join(root, "Mappe æ", "Under"))
            for i, rel in enumerate(["a.txt", "Mappe æ/b.docx", "Mappe æ/Under/c.pdf"]):
                p = os.path.join(root, rel)
                with open(p, "wb") as f:
                    f.write(bytes([i]) * (100 + i))
                os.utime(p, ns=(1709251200_000000000 + i * 2_000_000_000,) * 2)
            with open(os.path.join(tmp, name + ".txt"), "w", newline="") as f:
                f.write("Tavrel - Ikke-kopierede filer\r\nJob M:\\jobs\\x.tvj\r\nAntal: 2\r\n"
                        f"Tidspunkt: {name}\r\n \r\nM:\\src\\x\\a.tmp\r\nM:\\src\\x\\b.tmp\r\n")
            with open(os.path.join(tmp, name + ".out"), "w", newline="") as f:
                f.write(f"Kopiering er afsluttet\r\nKopieret: 3 filer, 0,3 KB\r\nTid: 00:0{len(name)}\r\n")
            return root

        def case(label, change, expect_diff):
            a, b = make("a"), make("b")
            exits = ["0", "0"]
            change(b, exits)
            diffs = compare_runs(a, b, (a + ".txt", b + ".txt"), (a + ".out", b + ".out"), exits)
            if bool(diffs) != expect_diff:
                failures.append(f"{label}: {'no difference found' if expect_diff else diffs}")
            shutil.rmtree(tmp)
            os.makedirs(tmp)

        def touch(b, _):
            os.utime(os.path.join(b, "a.txt"), ns=(1709251200_000000100,) * 2)

        def rewrite(b, _):
            p = os.path.join(b, "Mappe æ", "b.docx")
            st = os.stat(p)
            with open(p, "r+b") as f:
                f.write(b"\xff")
            os.utime(p, ns=(st.st_atime_ns, st.st_mtime_ns))

        def swap_report(b, _):
            p = b + ".txt"
            lines = open(p, newline="").read().split("\r\n")
            lines[5], lines[6] = lines[6], lines[5]
            open(p, "w", newline="").write("\r\n".join(lines))

        def readonly(b, _):
            os.chmod(os.path.join(b, "a.txt"), 0o444)

        def left_over(b, _):
            open(os.path.join(b, "Mappe æ", "~tavrel-b.docx.0123abcd.tmp"), "w").close()

        def missing(b, _):
            os.remove(os.path.join(b, "Mappe æ", "Under", "c.pdf"))

        def other_case(b, _):
            os.rename(os.path.join(b, "a.txt"), os.path.join(b, "A.txt"))

        def count_line(b, _):
            p = b + ".out"
            open(p, "w", newline="").write(open(p, newline="").read().replace("3 filer", "2 filer"))

        def exit_code(_, exits):
            exits[1] = "1"

        case("equal runs", lambda b, e: None, False)
        for label, change in [("a time 10 microseconds later", touch), ("other contents, same size", rewrite),
                              ("report lines in another order", swap_report), ("read-only", readonly),
                              ("a temporary copy left", left_over), ("a file missing", missing),
                              ("a name in another case", other_case), ("another count", count_line),
                              ("another exit code", exit_code)]:
            case(label, change, True)
    for f in failures:
        print("FAILED:", f)
    print(f"{10 - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


def main(argv):
    if "--self-test" in argv:
        return self_test()
    args = argv[1:]
    quiet = "--quiet" in args
    opts = {}
    pos = []
    i = 0
    while i < len(args):
        if args[i] in ("--report", "--out", "--exit"):
            opts[args[i][2:]] = (args[i + 1], args[i + 2])
            i += 3
        elif args[i] == "--quiet":
            i += 1
        else:
            pos.append(args[i])
            i += 1
    if len(pos) != 2:
        sys.exit(__doc__)
    diffs = compare_runs(pos[0], pos[1], opts.get("report"), opts.get("out"), opts.get("exit"))
    if not quiet and not diffs:
        print("The two runs gave the same result.")
    return print_differences(diffs, quiet)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
