#!/usr/bin/env python3
"""Checks that a copy run left the destination as the source: every file (name as written, size,
contents, last-write time within two seconds, read-only, hidden and system) and every folder,
and nothing else (no temporary copy left behind).

  checktree.py SOURCE DESTINATION [--skip-types .TMP,.BAK] [--quiet]

--skip-types names the file types the job leaves out (compared without regard to case). Names
that start with a dot are left out on both sides, as the program passes them over. Prints the
differences (at most 20 of them and their number) and exits with 1 where there are any; with
--quiet it prints only their number.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from treecheck import compare, print_differences, read_tree  # noqa: E402


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    quiet = "--quiet" in argv
    skip_types = set()
    if "--skip-types" in argv:
        skip_types = {t.strip().lower() for t in argv[argv.index("--skip-types") + 1].split(",") if t.strip()}
        args.remove(argv[argv.index("--skip-types") + 1])
    if len(args) != 2:
        sys.exit(__doc__)
    source, dest = args

    def skip_source(rel, is_folder):
        name = rel.rsplit("/", 1)[-1]
        if name.startswith("."):
            return True
        return not is_folder and os.path.splitext(name)[1].lower() in skip_types

    def skip_dest(rel, is_folder):
        return rel.rsplit("/", 1)[-1].startswith(".")

    if not os.path.isdir(dest):
        print("1" if quiet else f"{dest} is not there")
        return 1
    diffs = compare(read_tree(source, skip_source), read_tree(dest, skip_dest), exact_time=False)
    return print_differences(diffs, quiet)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
