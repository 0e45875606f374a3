#!/usr/bin/env python3
"""Sums up the counts of bench/callcount.sh as Markdown tables, per file.

  callcount.py DIR [SAMPLE]

DIR holds, for each run NAME (tavrelc-full, tavrelc-rerun, xcopy-full, xcopy-rerun):
NAME.tsv (the network drive's requests: caller, operation, count), NAME.server (the Wine
server's trace while the run ran) and NAME.trace (the drive's trace of the run), with
conditions.txt. SAMPLE is the name of the file whose requests are listed one by one
(default "fil 000007").
"""
import collections
import re
import sys

RUNS = [("tavrelc-full", "tavrelc, full copy"), ("xcopy-full", "xcopy, full copy"),
        ("tavrelc-rerun", "tavrelc, unchanged rerun"), ("xcopy-rerun", "xcopy /D, unchanged rerun")]

# The drive's operations in the order of the tables, with what a Windows program does to
# cause them.
OPS = ["getattr", "opendir", "readdir", "releasedir", "statfs", "access", "getxattr", "setxattr",
       "removexattr", "listxattr", "create", "open", "read", "write", "flush", "release", "utimens",
       "chmod", "truncate", "rename", "unlink", "mkdir", "rmdir", "fsync", "getxattr_security"]


def caller_class(name):
    if name.startswith("wineserver"):
        return "server"
    if name == "kernel":
        return "kernel"
    return "program"


def load_counts(path):
    counts = collections.Counter()
    extra = {}
    with open(path) as f:
        next(f)
        for line in f:
            caller, op, n = line.rstrip("\n").split("\t")
            if caller == "#":
                extra[op] = int(n)
            else:
                counts[(caller_class(caller), op)] += int(n)
    return counts, extra


REQUEST = re.compile(r"^([0-9a-f]{4,8}): (\w+)\( ")
REPLY = re.compile(r"^([0-9a-f]{4,8}): (\w+)\(\) = \S+ \{(.*)")


def load_server(path):
    """Requests per process that started during the slice: {pid: Counter(request)}."""
    thread_pid = {}
    requests = collections.defaultdict(collections.Counter)
    images = {}
    try:
        lines = open(path, errors="replace").read().splitlines()
    except OSError:
        return {}, {}
    for line in lines:
        m = REPLY.match(line)
        if m:
            tid, name, rest = m.groups()
            tid = tid[-4:]
            if name in ("init_first_thread", "init_thread"):
                pm = re.search(r"\bpid=([0-9a-f]+)", rest)
                if pm:
                    thread_pid[tid] = pm.group(1)
            continue
        m = REQUEST.match(line)
        if not m:
            continue
        tid, name = m.groups()
        tid = tid[-4:]
        if name == "init_first_thread" or name == "init_thread":
            thread_pid.setdefault(tid, "?" + tid)
        pid = thread_pid.get(tid)
        if pid is None:
            continue  # a thread of a process that was there before the run
        requests[pid][name] += 1
        if name == "create_file" and pid not in images:
            im = re.search(r'filename="([^"]*\.exe)"', line)
            if im:
                images[pid] = im.group(1).rsplit("/", 1)[-1]
    return requests, images


def per(n, files):
    return f"{n / files:.2f}" if n else "·"


def main(argv):
    folder = argv[1]
    sample = argv[2] if len(argv) > 2 else "fil 000007"
    cond = dict(l.strip().split("=", 1) for l in open(f"{folder}/conditions.txt") if "=" in l)
    files = int(cond["files"])
    out = []
    out.append(f"Counted {cond.get('date', '?')}: {files} files of about 4 KB from M: (local) to N: (the network "
               f"drive, {cond.get('latency_ms', '?')} ms per metadata request), {cond.get('wine', '')}, "
               f"Tavrel {cond.get('commit', '?')}.\n")

    counts = {}
    extras = {}
    for run, _ in RUNS:
        try:
            counts[run], extras[run] = load_counts(f"{folder}/{run}.tsv")
        except OSError:
            counts[run], extras[run] = collections.Counter(), {}

    out.append("### The network drive's requests per file\n")
    out.append("Requests that reached the drive, divided by the number of files. \"program\": made by the "
               "program's own process (tavrelc.exe or xcopy.exe); \"server\": made by the Wine server on its "
               "behalf; \"kernel\": closes the kernel sends on its own. A dot: none.\n")
    head = "| Operation | " + " | ".join(f"{label} (program / server)" for _, label in RUNS) + " |"
    out.append(head)
    out.append("|---|" + "--:|" * len(RUNS))
    seen = sorted({op for c in counts.values() for (_, op) in c}, key=lambda o: (OPS.index(o) if o in OPS else 99, o))
    for op in seen:
        cells = []
        for run, _ in RUNS:
            c = counts[run]
            p, s, k = c[("program", op)], c[("server", op)], c[("kernel", op)]
            cell = f"{per(p, files)} / {per(s, files)}"
            if k:
                cell += f" (+{per(k, files)} kernel)"
            cells.append(cell)
        out.append(f"| {op} | " + " | ".join(cells) + " |")
    totals = []
    for run, _ in RUNS:
        c = counts[run]
        p = sum(n for (who, _), n in c.items() if who == "program")
        s = sum(n for (who, _), n in c.items() if who == "server")
        k = sum(n for (who, _), n in c.items() if who == "kernel")
        totals.append(f"**{per(p + s + k, files)}** ({per(p, files)} / {per(s, files)})")
    out.append("| **all** | " + " | ".join(totals) + " |")
    conc = []
    for run, _ in RUNS:
        e = extras[run]
        conc.append(f"{e.get('mean_in_flight_x1000', 0) / 1000:.2f} / {e.get('max_in_flight', 0)}")
    out.append("| requests in flight, mean / most | " + " | ".join(conc) + " |")
    out.append("")

    out.append("### Wine server requests of the program's process per file\n")
    server = {}
    for run, _ in RUNS:
        reqs, images = load_server(f"{folder}/{run}.server")
        if not reqs:
            server[run] = collections.Counter()
            continue
        # The program's process: the one that made the most requests (xcopy and tavrelc run
        # without children; `wine` itself starts none for an .exe).
        pid = max(reqs, key=lambda p: sum(reqs[p].values()))
        server[run] = reqs[pid]
    if not any(server.values()):
        out.append("(no server trace)\n")
    else:
        names = collections.Counter()
        for c in server.values():
            names.update(c)
        out.append("| Request | " + " | ".join(label for _, label in RUNS) + " |")
        out.append("|---|" + "--:|" * len(RUNS))
        for name, _ in names.most_common():
            if max(server[r][name] for r, _ in RUNS) < files // 10:
                continue
            out.append(f"| {name} | " + " | ".join(per(server[r][name], files) for r, _ in RUNS) + " |")
        out.append("| **all** | " + " | ".join(f"**{per(sum(server[r].values()), files)}**" for r, _ in RUNS) + " |")
        out.append("")
        out.append(f"Requests that come to fewer than one for every ten files are left out of the rows "
                   f"(the start and the end of the process, registry, console), not of the totals.\n")

    out.append(f"### One file's requests at the drive, in order (\"{sample}\")\n")
    for run, label in RUNS:
        try:
            lines = [l.rstrip("\n").split("\t") for l in open(f"{folder}/{run}.trace", errors="replace")]
        except OSError:
            continue
        idx = [i for i, l in enumerate(lines) if len(l) >= 5 and sample in l[4]]
        if not idx:
            continue
        part = lines[idx[0]:idx[-1] + 1]
        out.append(f"{label}: {len(part)} requests\n")
        out.append("```")
        for l in part:
            if len(l) < 5:
                continue
            out.append(f"{caller_class(l[2]):8s} {l[3]:18s} {l[4]}")
        out.append("```\n")
    print("\n".join(out))


if __name__ == "__main__":
    main(sys.argv)
