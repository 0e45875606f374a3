#!/usr/bin/env python3
"""Writes bench/RESULTS.md from the measurements of bench/run.sh.

  report.py RESULTS_CSV MACHINE_TXT OUT_MD [BASELINE_CSV]
"""
import csv
import statistics
import sys

SCENARIOS = [
    ("full", "Full copy to an empty destination"),
    ("rerun", "Rerun, nothing changed (only new and changed)"),
    ("touched", "Rerun after 1 % of the files were touched"),
    ("count", "Count run (destination level)"),
    ("emptied", "Full copy, destination emptied first"),
]
PEERS = ["xcopy", "cp", "rsync"]
TREE_TEXT = {
    "dokumenter": "20 000 files in 2 000 folders, 100 B to 1 MB, about 500 MB",
    "smaa": "100 000 files of 0 to 4 KB in 5 000 folders",
    "store": "8 files of 128 MB",
    "netvaerk": "400 files of 3 to 5 KB in 20 folders",
}
CHECK_PREFIXES = ("check-", "verify-", "compare-")


def load(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


def medians(rows):
    """(tree, scenario, tool) -> (median seconds, median peak KB, runs, copied counts, exits)."""
    groups = {}
    for r in rows:
        if r["scenario"].startswith(CHECK_PREFIXES) or not r["seconds"]:
            continue
        groups.setdefault((r["tree"], r["scenario"], r["tool"]), []).append(r)
    out = {}
    for key, rs in groups.items():
        secs = [float(r["seconds"]) for r in rs]
        kbs = [int(r["peak_kb"]) for r in rs if r["peak_kb"]]
        reqs = [int(r["requests"]) for r in rs if r.get("requests")]
        out[key] = dict(secs=statistics.median(secs), kb=statistics.median(kbs) if kbs else None,
                        requests=statistics.median(reqs) if reqs else None,
                        runs=len(rs), low=min(secs), high=max(secs),
                        copied=sorted({r["copied"] for r in rs}),
                        expected=sorted({r["expected"] for r in rs}),
                        exits=sorted({r["exit"] for r in rs}))
    return out


def fmt_s(v):
    if v is None:
        return "—"
    return f"{v:.2f}" if v < 100 else f"{v:.0f}"


def ratio(a, b):
    if a is None or b is None or b <= 0:
        return "—"
    return f"{a / b:.2f}×"


def goals(m, machine, compares=None):
    """The goals of the engine and where this run left each: a missed goal is a number too."""
    def secs(tree, scen, tool):
        v = m.get((tree, scen, tool))
        return v["secs"] if v else None

    def peak(tree):
        kbs = [v["kb"] for k, v in m.items() if k[0] == tree and k[2] == "tavrelc" and v["kb"]]
        return max(kbs) / 1024 if kbs else None

    rows = []

    def goal(text, value, limit, unit="×"):
        if value is None:
            rows.append(f"| {text} | — | {limit:g}{unit} | not measured |")
        else:
            rows.append(f"| {text} | {value:.2f}{unit} | {limit:g}{unit} | {'met' if value <= limit else 'missed'} |")

    def q(a, b):
        return a / b if a is not None and b else None

    goal("Network drive, full copy ÷ xcopy", q(secs("netvaerk", "full", "tavrelc"), secs("netvaerk", "full", "xcopy")), 0.25)
    goal("Network drive, rerun, nothing changed ÷ xcopy /D",
         q(secs("netvaerk", "rerun", "tavrelc"), secs("netvaerk", "rerun", "xcopy")), 0.25)
    goal("Full copy of dokumenter ÷ xcopy", q(secs("dokumenter", "full", "tavrelc"), secs("dokumenter", "full", "xcopy")), 0.5)
    goal("Full copy of smaa ÷ xcopy", q(secs("smaa", "full", "tavrelc"), secs("smaa", "full", "xcopy")), 0.5)
    goal("Full copy of dokumenter ÷ cp -a", q(secs("dokumenter", "full", "tavrelc"), secs("dokumenter", "full", "cp")), 1.5)
    for tree in ("dokumenter", "smaa", "store"):
        goal(f"Rerun, nothing changed, {tree} ÷ xcopy /D", q(secs(tree, "rerun", "tavrelc"), secs(tree, "rerun", "xcopy")), 0.25)
        goal(f"Rerun, nothing changed, {tree} ÷ rsync -a", q(secs(tree, "rerun", "tavrelc"), secs(tree, "rerun", "rsync")), 2)
    goal("Count run of smaa ÷ its full copy", q(secs("smaa", "count", "tavrelc"), secs("smaa", "full", "tavrelc")), 0.25)
    goal("Full copy of store ÷ cp -a", q(secs("store", "full", "tavrelc"), secs("store", "full", "cp")), 1.2)
    goal("Peak memory of tavrelc.exe on smaa", peak("smaa"), 64, " MB")
    goal("Peak on smaa ÷ peak on dokumenter", q(peak("smaa"), peak("dokumenter")), 1.1)
    goal("tavrel.exe /R ÷ tavrelc.exe, dokumenter full copy",
         q(secs("window-dokumenter", "copy", "tavrel"), secs("window-dokumenter", "copy", "tavrelc")), 1.2)
    if compares:
        differing = [r for r in compares if r["copied"] != "0"]
        rows.append(f"| Results identical to the one-worker run, every tree | {len(compares) - len(differing)} of "
                     f"{len(compares)} | all | {'met' if not differing else 'missed'} |")
    if "duration" in machine:
        goal("The whole benchmark, one command", int(machine["duration"]) / 60, 15, " min")
    out = ["## Goals\n", "| Goal | This run | Limit | |", "|---|--:|--:|---|"] + rows + [""]
    return out


def main(argv):
    rows = load(argv[1])
    machine = dict(line.rstrip("\n").split("=", 1) for line in open(argv[2]) if "=" in line)
    out_path = argv[3]
    base = medians(load(argv[4])) if len(argv) > 4 else None
    m = medians(rows)
    checks = [r for r in rows if r["scenario"].startswith("check-")]
    verifies = [r for r in rows if r["scenario"].startswith("verify-")]
    compares = [r for r in rows if r["scenario"].startswith("compare-")]
    incomplete = [r for r in checks if r["copied"] != r["expected"]]
    wrong = [r for r in rows if r["tool"] in ("tavrelc", "tavrelc-1w") and r["expected"]
             and not r["scenario"].startswith(CHECK_PREFIXES) and (r["copied"] != r["expected"] or r["exit"] != "0")]
    loads = [float(r["load"]) for r in rows if r.get("load")]

    scale = float(machine.get("scale", "1"))
    L = []
    L.append("# Benchmark results\n")
    if "args" in machine:
        command = ("bench/run.sh " + machine["args"]).strip()
    else:
        command = ("bench/run.sh" + (f" --scale {machine['scale']}" if scale != 1 else "")
                   + (f" --reps {machine['reps']}" if machine.get("reps", "3") != "3" else ""))
    L.append(f"Measured {machine.get('date', '?')} with `{command}`.\n")
    L.append("| | |\n|---|---|")
    for key, label in [("cpu", "Processor"), ("memory", "Memory"), ("kernel", "System"), ("disk", "Scratch disk"),
                       ("wine", "Wine"), ("rsync", "rsync"), ("cp", "cp"), ("commit", "Tavrel commit"),
                       ("load_before", "Load average before"), ("load_after", "Load average after"),
                       ("network", "Network drive")]:
        if key in machine:
            L.append(f"| {label} | {machine[key]} |")
    if loads:
        L.append(f"| Load average (1 min) at the measurements' starts | {min(loads):.2f} to {max(loads):.2f}, "
                 f"median {statistics.median(loads):.2f} |")
    L.append("")
    if scale != 1:
        L.append(f"**The trees are scaled down by the factor {scale:g}** for this run (file and folder "
                 f"counts; the eight files of \"store\" are {scale:g} of 128 MB each). "
                 + ("This is the default of `bench/run.sh`: it keeps the whole benchmark, peers and window "
                    "included, under 15 minutes on two cores. `--scale 1` measures the full-size trees, "
                    "which takes hours, mostly in xcopy and in Wine's cost per file.\n"
                    if scale == 0.2 else "The default is 0.2; `--scale 1` gives the full-size trees.\n"))
    if "duration" in machine:
        d = int(machine["duration"])
        L.append(f"The whole command took **{d // 60} min {d % 60:02d} s**: the build, the trees, every run "
                 "and the checks.\n")
    L.append("Times are the median wall-clock seconds of "
             f"{machine.get('reps', '3')} runs, each started after `sync`, with the source trees in the page "
             "cache. A ratio is tavrelc's time divided by the peer's: above 1 tavrelc is slower. "
             "\"Peak MB\" is the largest resident set of the tavrelc.exe process "
             "(Wine's own libraries included; see the empty start below). "
             "\"Copied\" is what tavrelc reported as copied (or, in the count run, as to be copied). "
             "One Wine server runs for the whole benchmark, so no Wine program measured (tavrelc, "
             "tavrel, xcopy) pays the start of the server and of Wine's services.\n")
    if base:
        note = ""
        notes_path = argv[4][:-len(".csv")] + ".txt" if argv[4].endswith(".csv") else ""
        if notes_path:
            try:
                note = open(notes_path).read().strip()
            except OSError:
                note = ""
        L.append("\"Before s\" is tavrelc's median in the same scenario from an earlier measurement"
                 + (f": {note}" if note else ".") + "\n")
    start = m.get(("wine", "start", "tavrelc-empty"))
    if start:
        L.append(f"Floor of Wine: starting tavrelc.exe without a job takes {fmt_s(start['secs'])} s "
                 f"and {start['kb'] / 1024:.1f} MB.\n")

    trees = []
    for r in rows:
        if r["tree"] not in ("wine", "netvaerk") and r["tree"] not in trees and not r["tree"].startswith("window"):
            trees.append(r["tree"])
    for tree in trees:
        L.append(f"## {tree}\n")
        L.append(f"{TREE_TEXT.get(tree, '')}" + (f", scaled by {scale:g}" if scale != 1 else "") + ".\n")
        head = ("| Scenario | tavrelc s | xcopy s | cp -a s | rsync -a s | ÷ xcopy | ÷ cp | ÷ rsync | Peak MB | Copied "
                "| 1 worker s |")
        sep = "|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|"
        if base:
            head += " Before s |"
            sep += "--:|"
        L.append(head)
        L.append(sep)
        for scen, label in SCENARIOS:
            t = m.get((tree, scen, "tavrelc"))
            if not t:
                continue
            ts = t["secs"]
            cells = [label, fmt_s(ts)]
            peers = [m.get((tree, scen, p)) for p in PEERS]
            cells += [fmt_s(p["secs"]) if p else "—" for p in peers]
            cells += [ratio(ts, p["secs"]) if p else "—" for p in peers]
            cells.append(f"{t['kb'] / 1024:.1f}" if t["kb"] else "—")
            cells.append("/".join(t["copied"]))
            one = m.get((tree, scen, "tavrelc-1w"))
            cells.append(fmt_s(one["secs"]) if one else "—")
            if base:
                b = base.get((tree, scen, "tavrelc"))
                cells.append(fmt_s(b["secs"]) if b else "—")
            L.append("| " + " | ".join(cells) + " |")
        L.append("")

    if any(k[0] == "netvaerk" for k in m):
        L.append("## Network drive\n")
        L.append(f"{TREE_TEXT['netvaerk']}"
                 + (f" (here {machine['network'].rsplit(', ', 1)[-1]})" if "network" in machine else "")
                 + ", copied from M: (local) to N:, a FUSE pass-through (bench/netfs.c) mounted as a drive of the "
                 "Wine prefix that waits before each metadata request, as a network drive's round trip would. "
                 "\"Requests per file\" is the drive's count of the requests that reached it during the run "
                 "(made by the program or by the Wine server on its behalf), divided by the tree's file count; "
                 "bench/callcount.sh breaks them down by kind (bench/CALLS.md).\n")
        L.append("| Scenario | tavrelc s | xcopy s | ÷ xcopy | tavrelc requests per file | xcopy requests per file "
                 "| Peak MB | Copied | 1 worker s |")
        L.append("|---|--:|--:|--:|--:|--:|--:|--:|--:|")
        nfiles = None
        for r in rows:
            if r["tree"] == "netvaerk" and r["scenario"] == "check-full" and r["expected"]:
                nfiles = int(r["expected"])
        for scen, label in [("full", "Full copy to an empty destination"),
                            ("rerun", "Rerun, nothing changed (xcopy /D)")]:
            t, x = m.get(("netvaerk", scen, "tavrelc")), m.get(("netvaerk", scen, "xcopy"))
            if not t:
                continue
            one = m.get(("netvaerk", scen, "tavrelc-1w"))

            def rpf(v):
                return f"{v['requests'] / nfiles:.1f}" if v and v.get("requests") is not None and nfiles else "—"
            L.append(f"| {label} | {fmt_s(t['secs'])} | {fmt_s(x['secs']) if x else '—'} | "
                     f"{ratio(t['secs'], x['secs']) if x else '—'} | {rpf(t)} | {rpf(x)} | "
                     f"{t['kb'] / 1024:.1f} | {'/'.join(t['copied'])} | {fmt_s(one['secs']) if one else '—'} |")
        L.append("")

    run_keys = sorted({(k[0], k[1]) for k in m if k[0].startswith("window-") and k[0] != "window-tree"})
    if run_keys or ("window-tree", "open-5000", "tavrel") in m:
        L.append("## The window\n")
    if run_keys:
        L.append("A copy run started with \"/R\": tavrel.exe from its start until its progress window reads "
                 "\"Kopiering er afsluttet\", tavrelc.exe from its start to its end; same job, same tree. "
                 "tavrel.exe's time includes its start: the splash, the main window, the drives and the job. "
                 "Wine draws the window frames itself here (Managed=N): Xvfb has no window manager, "
                 "and Wine would wait two seconds for one at each show and hide of a window.\n")
        L.append("| Tree and run | tavrel.exe s | tavrelc.exe s | ratio |\n|---|--:|--:|--:|")
        for tree, scen in run_keys:
            w = m.get((tree, scen, "tavrel"))
            c = m.get((tree, scen, "tavrelc"))
            ws, cs = (w["secs"] if w else None), (c["secs"] if c else None)
            label = {"copy": "full copy", "rerun": "rerun, nothing changed"}.get(scen, scen)
            L.append(f"| {tree[len('window-'):]} {label} | {fmt_s(ws)} | {fmt_s(cs)} | {ratio(ws, cs)} |")
        L.append("")
    wide, narrow = m.get(("window-tree", "open-5000", "tavrel")), m.get(("window-tree", "open-1", "tavrel"))
    if wide and narrow:
        L.append(f"Opening a folder with 5 000 subfolders in the tree: **{wide['secs'] - narrow['secs']:.0f} s**. "
                 f"tavrel.exe started with a job whose folder lies in such a folder shows the job in its caption "
                 f"after {fmt_s(wide['secs'])} s (median of {wide['runs']}), with a job whose folder lies in a folder "
                 f"with one subfolder after {fmt_s(narrow['secs'])} s (median of {narrow['runs']}); loading the job "
                 "opens the folder's parents in the tree.\n")

    L += goals(m, machine, compares)

    L.append("## Commands\n")
    L.append("- tavrelc: `tavrelc.exe M:\\jobs\\TREE.tvj /R /J` (only new and changed on; the emptied "
             "scenario uses a job with the delete-destination option on), `/T` for the count run. "
             "The job copies M:\\src\\TREE\\ into M:\\dst\\tavrel-TREE\\.")
    L.append("- xcopy (Wine's, same prefix, same drive): `xcopy SRC DST /E /I /Y /Q`, with `/D` for the reruns, "
             "`/L /D` for the count run, after `cmd /c rd /s /q DST` for the emptied scenario.")
    L.append("- cp (GNU, native): `cp -a -T SRC DST`, `cp -a -u -T` for the reruns, after `rm -rf DST` for the "
             "emptied scenario; it has no count run.")
    L.append("- rsync (native): `rsync -a SRC/ DST/`, `-n` for the count run, after `rm -rf DST` for the "
             "emptied scenario.")
    L.append("- Network drive: the same tavrelc job with its destination on N:; `xcopy M:\\src\\netvaerk N:\\xcopy\\netvaerk "
             "/E /I /Y /Q`, with `/D` for the rerun. The destinations are emptied through the drive before each full copy.")
    L.append("- \"1 worker s\": in the first repetition, the full copy run once more with one copy worker "
             "(the environment setting given by `--one-worker`, default `TAVREL_WORKERS=1`) before the normal run.")
    L.append("- \"Touched\" gives 1 % of the files (another set in each repetition) a later last-write time.")
    L.append("")
    L.append("## Checks\n")
    L.append(f"- Every full and emptied copy left the source's file count in each destination: "
             f"{'yes' if not incomplete else 'NO, ' + str(len(incomplete)) + ' incomplete'} "
             f"({len(checks)} checks).")
    bad_verify = [r for r in verifies if r["copied"] != "0"]
    L.append(f"- After every tavrelc copy run the destination held what the source holds (names, sizes, contents, "
             f"last-write times within two seconds, read-only, hidden and system; nothing else): "
             f"{'yes' if not bad_verify else 'NO, ' + ', '.join(r['tree'] + '/' + r['scenario'][7:] + ' rep ' + r['rep'] + ': ' + r['copied'] + ' differences' for r in bad_verify)} "
             f"({len(verifies)} checks, bench/checktree.py).")
    if compares:
        bad_cmp = [r for r in compares if r["copied"] != "0"]
        L.append(f"- The run with one copy worker and the normal run gave the same files, times, attributes, report "
                 f"lines, console lines and exit code: "
                 f"{'yes' if not bad_cmp else 'NO, ' + ', '.join(r['tree'] + ': ' + r['copied'] + ' differences' for r in bad_cmp)} "
                 f"({len(compares)} tree{'s' if len(compares) != 1 else ''}, bench/compare_runs.py).")
    L.append(f"- tavrelc reported the expected copied count and exit code 0 in every run: "
             f"{'yes' if not wrong else 'NO, ' + str(len(wrong)) + ' runs differ'}.")
    spread = [(k, v) for k, v in m.items() if v["runs"] > 1 and v["low"] > 0 and v["high"] / v["low"] > 1.5
              and v["high"] > 1]
    if spread:
        L.append(f"- {len(spread)} medians come from runs more than 1.5× apart (a busy machine): "
                 + ", ".join(f"{k[0]}/{k[1]}/{k[2]} {fmt_s(v['low'])}–{fmt_s(v['high'])} s" for k, v in sorted(spread)[:12])
                 + (" …" if len(spread) > 12 else "") + ".")
    L.append("")
    with open(out_path, "w") as f:
        f.write("\n".join(L))


if __name__ == "__main__":
    main(sys.argv)
