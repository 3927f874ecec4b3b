#!/usr/bin/env python3
"""Turns the JSON output of bench_jconvert into the Markdown table of
BENCHMARKS.md: MB/s (10^6 bytes of input per CPU second) and the ratios."""
import json
import sys

# With --benchmark_repetitions the medians are taken; otherwise the runs.
benchmarks = json.load(open(sys.argv[1]))["benchmarks"]
medians = [b for b in benchmarks if b.get("aggregate_name") == "median"]
chosen = medians or [b for b in benchmarks if b.get("run_type", "iteration") == "iteration"]
runs = {b["run_name"] if "run_name" in b else b["name"]: b for b in chosen if "bytes_per_second" in b}
mbs = {name: b["bytes_per_second"] / 1e6 for name, b in runs.items()}

print("| Detection | time per call | MB/s of the whole text |")
print("|---|---:|---:|")
for name in [n for n in mbs if n.startswith("Detect/")]:
    b = runs[name]
    unit = b.get("time_unit", "ns")
    # Decided early, detection reads a few bytes: its time is what counts.
    rate = "(decided early)" if name.startswith("Detect/early") else f"{mbs[name]:,.0f}"
    print(f"| {name[len('Detect/'):]} | {b['cpu_time']:,.0f} {unit} | {rate} |")
print()
print("| Direction / input | Kaveto MB/s | iconv MB/s | ratio | memcpy MB/s | Kaveto / memcpy |")
print("|---|---:|---:|---:|---:|---:|")
for name in [n for n in mbs if n.startswith("Kaveto/")]:
    base = name[len("Kaveto/"):]
    ours = mbs[name]
    iconv = mbs.get("Iconv/" + base)
    jp3 = mbs.get("IconvJP3/" + base)
    # For the JIS targets iconv's ISO-2022-JP stops at every half-width
    # katakana; the faster of it and ISO-2022-JP-3 is the fair rival.
    note = ""
    if jp3 and (iconv is None or jp3 > iconv):
        iconv, note = jp3, " (JP-3)"
    copy = mbs["Memcpy/" + base]
    print(f"| {base} | {ours:,.0f} | {iconv:,.1f}{note} | {ours / iconv:,.1f}x | {copy:,.0f} | {ours / copy:.2f} |")
