#!/usr/bin/env python3
"""Medians of run.sh's rounds, baseline beside this build, as a Markdown table.

    bench/compare/table.py OUT_FOLDER
"""
import collections
import glob
import json
import re
import statistics
import sys

COUNTERS = ("allocs/call", "peak_MB", "kB_per_object", "per_tag_us")


def load(folder, side):
    runs = collections.defaultdict(lambda: collections.defaultdict(list))
    order = []
    files = sorted(glob.glob("%s/%s-*.json" % (folder, side)))
    if not files:
        sys.exit("no results for %s in %s" % (side, folder))
    for name in files:
        with open(name) as f:
            data = json.load(f)
        for b in data["benchmarks"]:
            if b.get("run_type") != "iteration":
                continue
            key = re.sub(r"/iterations:\d+|/repeats:\d+", "", b["run_name"])
            if key not in runs:
                order.append(key)
            runs[key]["cpu"].append(b["cpu_time"])
            runs[key]["unit"] = b["time_unit"]
            for c in COUNTERS:
                if c in b:
                    runs[key][c].append(b[c])
    return runs, order


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    base, order = load(sys.argv[1], "base")
    new, _ = load(sys.argv[1], "new")
    med = statistics.median
    print("| Benchmark | baseline (CPU) | now (CPU) | now / baseline | counters, baseline → now |")
    print("|---|---|---|---|---|")
    for key in order:
        if key not in new:
            continue
        b, n = base[key], new[key]
        counters = ["%s %.3g → %.3g" % (c, med(b[c]), med(n[c])) for c in COUNTERS if c in b and c in n]
        print("| %s | %.4g %s | %.4g %s | %.2f | %s |" % (key, med(b["cpu"]), b["unit"], med(n["cpu"]), n["unit"],
                                                        med(n["cpu"]) / med(b["cpu"]), "; ".join(counters)))


if __name__ == "__main__":
    main()
