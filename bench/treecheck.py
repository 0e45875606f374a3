#!/usr/bin/env python3
"""What the benchmark checks of a destination tree, shared by checktree.py and compare_runs.py.

A tree is read into {relative path: Entry}; names are compared as written (a copy keeps the
source's case). Attributes are those Wine shows: read-only from the write bits, hidden and
system from the "user.DOSATTRIB" attribute that Wine keeps beside a file.
"""
import hashlib
import os

HIDDEN, SYSTEM = 0x2, 0x4


class Entry:
    __slots__ = ("folder", "size", "mtime_ns", "readonly", "dosattr", "digest", "path")

    def __init__(self, path, st, folder):
        self.path = path
        self.folder = folder
        self.size = 0 if folder else st.st_size
        self.mtime_ns = st.st_mtime_ns
        self.readonly = (st.st_mode & 0o222) == 0
        self.dosattr = dos_attributes(path)
        self.digest = None

    def hash(self):
        if self.digest is None and not self.folder:
            h = hashlib.sha1()
            with open(self.path, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    h.update(block)
            self.digest = h.hexdigest()
        return self.digest

    def visible_attributes(self):
        return (self.readonly, self.dosattr & (HIDDEN | SYSTEM))


def dos_attributes(path):
    try:
        raw = os.getxattr(path, "user.DOSATTRIB", follow_symlinks=False)
    except OSError:
        return 0
    text = raw.split(b"\0", 1)[0].decode("ascii", "replace").strip()
    try:
        return int(text, 16) if text.lower().startswith("0x") else int(text or "0")
    except ValueError:
        return 0


def read_tree(root, skip=lambda rel, is_folder: False):
    """{relative path with "/": Entry} of everything below root."""
    out = {}
    for folder, dirs, files in os.walk(root):
        rel_folder = os.path.relpath(folder, root)
        rel_folder = "" if rel_folder == "." else rel_folder.replace(os.sep, "/") + "/"
        for name in list(dirs):
            rel = rel_folder + name
            if skip(rel, True):
                dirs.remove(name)
                continue
            p = os.path.join(folder, name)
            out[rel] = Entry(p, os.lstat(p), True)
        for name in files:
            rel = rel_folder + name
            if skip(rel, False):
                continue
            p = os.path.join(folder, name)
            out[rel] = Entry(p, os.lstat(p), False)
    return out


def compare(a, b, exact_time, a_name="source", b_name="destination"):
    """The differences between two trees as lines of text, in path order."""
    diffs = []
    for rel in sorted(set(a) | set(b)):
        ea, eb = a.get(rel), b.get(rel)
        if eb is None:
            diffs.append(f"{rel}: only in the {a_name}")
            continue
        if ea is None:
            diffs.append(f"{rel}: only in the {b_name}")
            continue
        if ea.folder != eb.folder:
            diffs.append(f"{rel}: a folder in one, a file in the other")
            continue
        if ea.folder:
            continue
        if ea.size != eb.size:
            diffs.append(f"{rel}: {ea.size} bytes in the {a_name}, {eb.size} in the {b_name}")
            continue
        if ea.hash() != eb.hash():
            diffs.append(f"{rel}: other contents")
        dt = abs(ea.mtime_ns - eb.mtime_ns)
        if (exact_time and dt != 0) or (not exact_time and dt >= 2_000_000_000):
            diffs.append(f"{rel}: last written {ea.mtime_ns / 1e9:.3f} in the {a_name}, "
                         f"{eb.mtime_ns / 1e9:.3f} in the {b_name}")
        if ea.visible_attributes() != eb.visible_attributes():
            diffs.append(f"{rel}: attributes (read-only, hidden|system) {ea.visible_attributes()} in the "
                         f"{a_name}, {eb.visible_attributes()} in the {b_name}")
    return diffs


def print_differences(diffs, quiet):
    """The number of differences (quiet), or the first twenty and their count; 1 when any."""
    if quiet:
        print(len(diffs))
    else:
        for d in diffs[:20]:
            print(d)
        if len(diffs) > 20:
            print(f"... {len(diffs)} differences in all")
    return 1 if diffs else 0
