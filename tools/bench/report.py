"""The figures of `scripts/bench`: medians with min and max for this tree
and, with --base, the base beside it with the ratio, and this round's
targets.
  report.py OUT CLK_TCK HOW BASE PATCHER...
OUT holds this/ (and base/) with work.txt, runs.txt, ticks.txt, and
peer.txt, peerticks.txt; the patchers in the order the peer driver ran them:
ours, the base's (with a base), NSIS zlib, NSIS lzma."""
import os
import statistics
import sys

out, hz, how, base = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
patchers = sys.argv[5:]
trees = ["this"] + (["base"] if base else [])
MB = 1048576


def lines(path):
    return [l for l in open(path)] if os.path.exists(path) else []


def med(values):
    return statistics.median(values) if values else None


def cell(values, digits=3):
    if not values:
        return "n/a"
    return f"{statistics.median(values):.{digits}f} ({min(values):.{digits}f}-{max(values):.{digits}f})"


def figures(tree):
    """name -> list of values, for figures 1 to 5 of one tree."""
    d = f"{out}/{tree}"
    f = {}
    work = [list(map(float, l.replace('|', ' ').split())) for l in lines(f"{d}/work.txt") if l[0].isdigit()]
    if work:
        cols = list(zip(*work))
        names = ["worker", "publish130", "publish134", "folder", "name", "check", "floor_unz", "floor130", "floor134",
                 "fresh_unz", "fresh130", "fresh134", "parents", "mitigation", "cleanup"]
        for name, column in zip(names, cols):
            f[name] = list(column)
        own = [w[0] + w[1] + w[2] + w[3] + w[4] for w in work]
        f["work/resident floor"] = [o / (w[6] + w[7] + w[8]) for o, w in zip(own, work)]
        f["work/honest floor"] = [o / (w[9] + w[10] + w[11]) for o, w in zip(own, work)]
    first = [list(map(float, l[6:].replace('|', ' ').split())) for l in lines(f"{d}/work.txt") if l.startswith("first")]
    if first and work:
        f["first folder+name"] = [first[0][3] + first[0][4]]
        # A tree that takes its random source once per process pays it in
        # the first run only; a launcher is one run: added to each.
        once = max(0.0, f["first folder+name"][0] - statistics.median(a + b for a, b in zip(f["folder"], f["name"])))
        f["work/honest floor, source once"] = [(o + once) / (w[9] + w[10] + w[11]) for o, w in zip(own, work)]
    ticks = {}
    for line in lines(f"{d}/ticks.txt"):
        name, t, ns = line.split()
        ticks[name] = (int(t), int(ns))
    f["cpu/wall"] = []
    for name, (t, ns) in ticks.items():
        if name.startswith("start") and "end" + name[5:] in ticks:
            t2, ns2 = ticks["end" + name[5:]]
            if ns2 > ns:
                f["cpu/wall"].append(((t2 - t) / hz) / ((ns2 - ns) / 1e9))
    runs = [l.split() for l in lines(f"{d}/runs.txt") if l[0].isalpha()]
    baseline = [float(l.split()[2]) for l in lines(f"{d}/runs.txt") if l.startswith("# baseline")]
    f["peak"] = [float(r[2]) for r in runs if r[0] == "quiet" and float(r[2]) > 0]
    f["idle peak"] = baseline
    f["bar delay"] = [float(r[3]) for r in runs if r[0] == "bar" and float(r[3]) >= 0]
    f["overhead"] = [(float(r[5]) - float(r[6])) / 1000 for r in runs if r[0] == "quiet"]
    f["update"] = [float(r[5]) / 1000 for r in runs if r[0] == "quiet"]
    f["stage"] = [float(r[6]) / 1000 for r in runs if r[0] == "quiet"]
    plain = [float(r[5]) / 1000 for r in runs if r[0] == "plain"]
    scanned = [float(r[5]) / 1000 for r in runs if r[0] == "scanner"]
    f["plain update"], f["scanned update"] = plain, scanned
    f["scanner cost"] = [s - p for s, p in zip(scanned, plain)]
    for r in runs:
        if r[0] == "written":
            f["bytes outside"] = [int(r[1]) / MB]
            f["bytes game"] = [int(r[2]) / MB]
            f["bytes outside at stage"] = [int(r[3]) / MB]
    failed = [r for r in runs if r[0] in ("quiet", "bar", "plain", "scanner") and r[7] != "ok"]
    if failed:
        f["failed"] = failed
    return f


data = {tree: figures(tree) for tree in trees}
this = data["this"]
width = 62
header = f"{'':{width}} {'this tree':>26}" + (f" {'base ' + base:>26} {'this/base':>9}" if base else "")
print(f"i386 code runs {how}" + ("" if "natively" in how else "; figures 1 to 5 time the x86-64 build"))
if "natively" not in how:
    print("   i386 code is emulated here: absolute figures of 6 mean little, compare the ratios")


def row(title, key, target=None, ok=None, digits=3):
    values = [data[t].get(key, []) for t in trees]
    text = f"{title:<{width}} {cell(values[0], digits):>26}"
    if base:
        r = f"{med(values[0]) / med(values[1]):.3f}" if values[0] and values[1] and med(values[1]) else "n/a"
        text += f" {cell(values[1], digits):>26} {r:>9}"
    if target:
        text += f"  target {target}: " + ("n/a" if not values[0] else "met" if ok(med(values[0])) else "MISSED")
    print(text)


print(header)
print("1. The launcher's own work (ms), from the checks to the worker held:")
for title, key in (("   check the payloads", "check"), ("   publish 130", "publish130"), ("   publish 134", "publish134"),
                   ("   run folder (created, held)", "folder"), ("   worker's name", "name"),
                   ("   worker (inflated, written, held, read back)", "worker")):
    row(title, key)
row("   run folder and name, first in the process (random source)", "first folder+name")
print("   what precedes the run folder and follows it, in figure 6 only:")
for title, key in (("   run folders' parents by final path", "parents"), ("   mitigation (the call)", "mitigation"),
                   ("   earlier runs' clean-up", "cleanup")):
    row(title, key)
row("   floor in resident memory: uncompress 150", "floor_unz")
row("   honest floor (fresh memory and sections): 150", "fresh_unz")
row("   honest floor: 130", "fresh130")
row("   honest floor: 134", "fresh134")
row("   work (without the check) / floor in resident memory", "work/resident floor")
row("   work (without the check) / honest floor", "work/honest floor")
row("   the same with the first run's random source added to each", "work/honest floor, source once", "<= 1.2",
    lambda m: m <= 1.2)
row("2. CPU time / wall time while the data stage works", "cpu/wall", "<= 0.02", lambda m: m <= 0.02)
row("3. Peak working set (MB)", "peak")
row("   of a launcher that stops at its first check (Wine and the program)", "idle peak")
row("4. Delay from a progressCount change to the bar, worst per run (ms)", "bar delay", "<= 50", lambda m: m <= 50)
row("5. Whole update minus the data stage's own time (s)", "overhead", "<= 0.5", lambda m: m <= 0.5)
row("   whole update (s)", "update")
row("   data stage (s)", "stage")
row("   bytes written by the whole update outside the game folder (MB)", "bytes outside")
row("   of which there when the data stage starts (MB)", "bytes outside at stage")
row("   bytes written by the whole update into the game folder (MB)", "bytes game")
row("   whole update, data stage without waits (s)", "plain update")
row("   the same beside a scanner holding each new file 400 ms (s)", "scanned update")
row("   a scanner's cost (s)", "scanner cost", "<= 2", lambda m: m <= 2)
for tree in trees:
    for r in data[tree].get("failed", []):
        print(f"   {tree}: a run did not complete: {' '.join(r)}")

# 6: the patchers in the driver's order; ours first, the base's next.
rows = [l.split() for l in lines(f"{out}/peer.txt") if l.strip() and not l.startswith("#")]
ticks = {}
for line in lines(f"{out}/peerticks.txt"):
    mark, t, ns = line.split()
    ticks[mark] = (int(t), int(ns))
cpu = {name: [] for name in patchers}
for mark, (t, ns) in ticks.items():
    if mark.startswith("start-") and "end-" + mark[6:] in ticks:
        t2, ns2 = ticks["end-" + mark[6:]]
        index = int(mark[6:].split("-")[0]) - 3
        if ns2 > ns and 0 <= index < len(patchers):
            cpu[patchers[index]].append(((t2 - t) / hz) / ((ns2 - ns) / 1e9))


def values(name, column, scale=1.0):
    return [float(r[column]) * scale for r in rows if r[0] == name and len(r) > column and float(r[column]) >= 0]


peer = [("start to worker start (ms)", lambda n: values(n, 1), 0.5),
        ("CPU / wall while the worker works", lambda n: cpu[n], None),
        ("peak working set (MB)", lambda n: values(n, 2), 1.0),
        ("bytes written outside the game by the worker's start (MB)", lambda n: values(n, 3, 1 / MB), None),
        ("bytes written into the game by the worker's start (MB)", lambda n: values(n, 5, 1 / MB), None),
        ("patch file (MB)", lambda n: values(n, 4, 1 / MB), 1.05)]
ours, zlib, lzma = patchers[0], patchers[-2], patchers[-1]
theirs = patchers[1] if base else None
print()
print(f"6. Ours against an NSIS peer (same payloads, same worker), 32-bit under Wine, {len(rows) // len(patchers)} runs")
heads = ["ours"] + (["base"] if base else []) + ["NSIS zlib", "NSIS lzma", "ours/zlib"] + (["base/zlib"] if base else []) + ["ours/lzma"]
print(f"   {'':58}" + "".join(f" {h:>26}" if i < (3 + bool(base)) else f" {h:>10}" for i, h in enumerate(heads)))


def ratio(a, b):
    return f"{med(a) / med(b):.3f}" if a and b and med(b) else "n/a"


for title, get, limit in peer:
    o, z, l = get(ours), get(zlib), get(lzma)
    cells = [cell(o)] + ([cell(get(theirs))] if base else []) + [cell(z), cell(l)]
    ratios = [ratio(o, z)] + ([ratio(get(theirs), z)] if base else []) + [ratio(o, l)]
    print(f"   {title:58}" + "".join(f" {c:>26}" for c in cells) + "".join(f" {r:>10}" for r in ratios))
for title, get, limit in peer:
    o, z = get(ours), get(zlib)
    if limit and o and z:
        r = med(o) / med(z)
        b = f" (base {med(get(theirs)) / med(z):.3f})" if base and get(theirs) else ""
        print(f"   {'ours/zlib, ' + title:70} {r:9.3f}{b}  target <= {limit}: {'met' if r <= limit else 'MISSED'}")
