#!/usr/bin/env python3
"""The benchmark's source trees, made the same on every machine, and the touch of 1 % of them.

  gentree.py make  ROOT TREE SCALE   writes ROOT/TREE (skipped when it is there at this scale)
  gentree.py touch ROOT TREE SCALE N gives 1 % of the files (a set of its own for each N) a
                                     new last-write time, later than every earlier one
  gentree.py count ROOT TREE SCALE   prints the number of files of the tree

Every size, name, byte and time comes from a seeded generator, so two runs and two machines
write identical trees.
"""
import math
import os
import random
import sys

# Last-write times: an even number of seconds, so that the two-second steps of the DOS form
# that Tavrel compares give the same order as the times themselves.
BASE_TIME = 1709251200  # 2024-03-01 00:00:00 UTC
TOUCH_TIME = 1735689600  # 2025-01-01 00:00:00 UTC

TREES = {
    # name: files, folders, (smallest, largest) size, total bytes or None, extensions
    "dokumenter": dict(files=20000, folders=2000, sizes=(100, 1 << 20), total=500_000_000,
                       exts=[".docx", ".pdf", ".xlsx", ".txt", ".jpg", ".odt"]),
    "smaa": dict(files=100000, folders=5000, sizes=(0, 4096), total=None,
                 exts=[".txt", ".ini", ".xml", ".json", ".log"]),
    "store": dict(files=8, folders=1, sizes=(128 << 20, 128 << 20), total=None,
                  exts=[".vhd", ".iso"]),
    # The tree copied to the network drive: small documents, where the round trips of each
    # file, not its bytes, take the time.
    "netvaerk": dict(files=400, folders=20, sizes=(3072, 5120), total=None,
                     exts=[".docx", ".txt", ".xlsx", ".pdf"]),
}

BLOCK_SIZE = 4 << 20


def plan(tree, scale):
    """The folders (relative paths, parents first) and the files (path, size, time) of a tree."""
    spec = TREES[tree]
    rng = random.Random(f"tavrel-{tree}")
    nfiles = spec["files"] if tree == "store" else max(1, round(spec["files"] * scale))
    nfolders = max(1, round(spec["folders"] * scale))
    lo, hi = spec["sizes"]
    if tree == "store":
        # Eight large files stay eight; the scale makes them smaller.
        lo = hi = max(1 << 20, int(hi * scale))

    # Folders: about the square root of them at the top, the rest spread below them.
    top = max(1, math.ceil(math.sqrt(nfolders))) if nfolders > 1 else 1
    folders = []
    for k in range(nfolders):
        if nfolders == 1:
            folders.append("")
        elif k < top:
            folders.append(f"Mappe {k:03d}" + (" æøå" if k % 7 == 3 else ""))
        else:
            parent = folders[(k - top) % top]
            folders.append(f"{parent}/Under {k:04d}")

    # Sizes: log-normal, clipped to the smallest and largest, its middle chosen so that the
    # tree holds about its total (median about 5 KB); uniform where no total is given.
    if spec["total"] is not None:
        target = spec["total"] * (nfiles / spec["files"])
        normals = [rng.gauss(0.0, 1.0) for _ in range(nfiles)]
        sigma = 1.85

        def sizes_for(mu):
            return [int(min(hi, max(lo, math.exp(mu + sigma * z)))) for z in normals]

        a, b = math.log(lo), math.log(hi)
        for _ in range(60):
            mid = (a + b) / 2
            if sum(sizes_for(mid)) > target:
                b = mid
            else:
                a = mid
        sizes = sizes_for((a + b) / 2)
    elif lo == hi:
        sizes = [lo] * nfiles
    else:
        sizes = [rng.randint(lo, hi) for _ in range(nfiles)]

    exts = spec["exts"]
    files = []
    for i in range(nfiles):
        folder = folders[i % nfolders]
        name = f"fil {i:06d}" + (" ø" if i % 10 == 5 else "") + exts[i % len(exts)]
        path = f"{folder}/{name}" if folder else name
        files.append((path, sizes[i], BASE_TIME + 2 * i))
    return folders, files


def stamp_path(root, tree):
    return os.path.join(root, f".{tree}.made")


def make(root, tree, scale):
    stamp = f"{tree} {scale!r} v1\n"
    base = os.path.join(root, tree)
    sp = stamp_path(root, tree)
    if os.path.isdir(base) and os.path.exists(sp) and open(sp).read() == stamp:
        # An earlier benchmark touched some files: their times go back, so that every run
        # starts from the same tree.
        for path, _, mtime in plan(tree, scale)[1]:
            os.utime(os.path.join(base, path), (mtime, mtime))
        return
    if os.path.exists(sp):
        os.remove(sp)
    if os.path.isdir(base):
        import shutil
        shutil.rmtree(base)
    folders, files = plan(tree, scale)
    block = random.Random(f"tavrel-bytes-{tree}").randbytes(BLOCK_SIZE)
    os.makedirs(base)
    for f in folders:
        if f:
            os.makedirs(os.path.join(base, f), exist_ok=True)
    for i, (path, size, mtime) in enumerate(files):
        full = os.path.join(base, path)
        with open(full, "wb") as out:
            offset = (i * 104729) % BLOCK_SIZE
            left = size
            chunk_no = 0
            while left > 0:
                n = min(left, BLOCK_SIZE - offset)
                out.write(block[offset:offset + n])
                left -= n
                chunk_no += 1
                # Large files do not repeat one block: each pass starts somewhere else.
                offset = (offset + chunk_no * 7919 + 1) % BLOCK_SIZE
        os.utime(full, (mtime, mtime))
    # Folder times last, after the files inside them were written.
    for f in reversed(folders):
        p = os.path.join(base, f) if f else base
        os.utime(p, (BASE_TIME, BASE_TIME))
    with open(sp, "w") as s:
        s.write(stamp)


def touch(root, tree, scale, n):
    _, files = plan(tree, scale)
    base = os.path.join(root, tree)
    step = 100
    chosen = [p for i, (p, _, _) in enumerate(files) if i % step == n % step]
    if not chosen:
        chosen = [files[n % len(files)][0]]
    t = TOUCH_TIME + 86400 * (n + 1)
    for p in chosen:
        os.utime(os.path.join(base, p), (t, t))
    print(len(chosen))


def main(argv):
    if len(argv) < 5:
        sys.exit(__doc__)
    cmd, root, tree, scale = argv[1], argv[2], argv[3], float(argv[4])
    if tree not in TREES:
        sys.exit(f"unknown tree {tree}")
    if cmd == "make":
        make(root, tree, scale)
    elif cmd == "touch":
        touch(root, tree, scale, int(argv[5]))
    elif cmd == "count":
        print(len(plan(tree, scale)[1]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
