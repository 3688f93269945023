#!/usr/bin/env python3
"""Tables of medians and ratios from the JSON output of xml_bench and xml_file_bench.

    bench/summarize.py xml_bench.json xml_file_bench.json

Benchmark names read "<work>/<subject>/<heap>/<parser>". Ratios are pugixml's
time over the engine's (above 1: the engine is faster). Times are CPU times
of the measuring thread: the machine is shared, and wall time would count the
other builds too.
"""
import json
import sys
from collections import defaultdict

UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def load(paths):
    rows = {}
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        for b in data["benchmarks"]:
            if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                continue
            name = b.get("run_name", b["name"])
            rows[name] = b
    return rows


def seconds(b):
    return b["cpu_time"] * UNIT[b["time_unit"]]


def show(t):
    if t >= 1:
        return f"{t:.2f} s"
    if t >= 1e-3:
        return f"{t * 1e3:.1f} ms"
    return f"{t * 1e6:.2f} µs"


def main():
    rows = load(sys.argv[1:])
    groups = defaultdict(dict)
    for name, b in rows.items():
        parts = name.split("/")
        if len(parts) != 4:
            continue
        work, subject, heap, parser = parts
        groups[(work, subject)][(heap, parser)] = b

    print("| work | subject | warm: engine | pugixml | ratio | fresh: engine | pugixml | ratio |"
          " peak heap/byte engine | pugixml |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for (work, subject), g in groups.items():
        if work == "load":
            continue
        cells = []
        for heap in ("warm", "fresh"):
            e, p = g.get((heap, "engine")), g.get((heap, "pugixml"))
            if e and p:
                cells += [show(seconds(e)), show(seconds(p)), f"{seconds(p) / seconds(e):.2f}"]
            elif e:
                cells += [show(seconds(e)), "—", "—"]
            else:
                cells += ["—", "—", "—"]
        e, p = g.get(("warm", "engine")), g.get(("warm", "pugixml"))
        peak = [f"{b['peak_heap_per_input_byte']:.2f}" if b and "peak_heap_per_input_byte" in b else "—"
                for b in (e, p)]
        print(f"| {work} | {subject} | " + " | ".join(cells) + f" | {peak[0]} | {peak[1]} |")

    loads = {k: v for k, v in groups.items() if k[0] == "load"}
    if loads:
        print()
        print("| file (loaded into 949) | heap | time | MB/s of file | vs ascii_text | peak heap/file byte |")
        print("|---|---|---|---|---|---|")
        for heap in ("warm", "fresh"):
            base = loads.get(("load", "ascii_text"), {}).get((heap, "engine"))
            for (work, subject), g in loads.items():
                b = g.get((heap, "engine"))
                if not b:
                    continue
                rate = b["file_bytes"] / seconds(b) / 1e6
                ratio = f"{rate / (base['file_bytes'] / seconds(base) / 1e6):.2f}" if base else "—"
                print(f"| {subject} | {heap} | {show(seconds(b))} | {rate:.0f} | {ratio} |"
                      f" {b.get('peak_heap_per_file_byte', 0):.2f} |")


if __name__ == "__main__":
    main()
