#!/usr/bin/env python3
"""Prints the benchmark results of one run (build-bench/results) as Markdown,
each figure with its baseline from the same run."""
import json
import os
import statistics
import sys


def load(path):
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        data = json.load(f)
    out = {}
    for b in data["benchmarks"]:
        if b.get("error_occurred"):
            continue
        name = b.get("run_name", b["name"])
        if b.get("aggregate_name", "median") != "median":
            continue
        factor = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
        out[name] = b["cpu_time"] * factor  # nanoseconds
    return out


def fmt(ns):
    if ns >= 1e6:
        return "%.2f ms" % (ns / 1e6)
    if ns >= 1e3:
        return "%.2f us" % (ns / 1e3)
    return "%.0f ns" % ns


def main():
    res = sys.argv[1]
    g = load(os.path.join(res, "graphics.json"))
    p = load(os.path.join(res, "pump.json"))
    e = load(os.path.join(res, "effects.json"))
    if g:
        base = g.get("BM_MemcpyFullScreen")
        print("## Rectangle copy (CPU time, median of 5)\n")
        print("| Benchmark | Time | Against memcpy of the same bytes |")
        print("|---|---|---|")
        for name in ["BM_MemcpyFullScreen", "BM_CopyFullScreen", "BM_CopyFullScreenMirrored",
                     "BM_CopyFullScreenStretched", "BM_Copy20x20"]:
            if name in g:
                ratio = "%.2fx" % (g[name] / base) if base and "FullScreen" in name else ""
                print("| %s | %s | %s |" % (name, fmt(g[name]), ratio))
        print()
    if p:
        print("## Pump (CPU time, median of 5)\n")
        print("| Benchmark | Time |")
        print("|---|---|")
        for name, t in p.items():
            print("| %s | %s |" % (name, fmt(t)))
        print()
    if e:
        print("## Transitions at 1920 x 1080, speed 1, headless (one run each)\n")
        print("| Effect | Time |")
        print("|---|---|")
        for name, t in sorted(e.items(), key=lambda kv: int(kv[0].split("/")[1])):
            print("| %s | %s |" % (name.split("/")[1], fmt(t)))
        print()
    readers_table(res)


# What each reader is measured against. A reader within LIMIT times its
# reference's time is fast enough.
READER_ROWS = [
    ("gif", "GIF", "giflib"),
    ("tiff_none", "TIFF, uncompressed", "libtiff"),
    ("tiff_lzw", "TIFF, LZW", "libtiff"),
    ("tiff_packbits", "TIFF, PackBits", "libtiff"),
    ("targa_raw", "Targa, uncompressed", "stb_image"),
    ("targa_rle", "Targa, run-length", "stb_image"),
    ("psd_raw", "Photoshop, raw", "stb_image"),
    ("psd_packbits", "Photoshop, PackBits", "stb_image"),
    ("ppm", "binary PPM", "stb_image"),
    ("png", "PNG", "stb_image"),
]
LIMIT = 1.5


def readers_table(res):
    # One file per round of scripts/bench_readers.sh (readers.json, then
    # readers-2.json and on): with several rounds each ratio is the median
    # of the rounds' ratios, with their range, since figures near 1.0 move
    # by up to 10% from run to run on a shared machine.
    paths = sorted((os.path.join(res, n) for n in os.listdir(res) if n.startswith("readers") and n.endswith(".json")),
                   key=lambda p: (len(p), p)) if os.path.isdir(res) else []
    rounds = [r for r in (load(p) for p in paths) if r]
    if not rounds:
        return
    sizes = {}
    with open(paths[0]) as f:
        for b in json.load(f)["benchmarks"]:
            name = b.get("run_name", b["name"])
            if "file_MB" in b and b.get("aggregate_name", "median") == "median":
                sizes[name] = b["file_MB"]
    title = "CPU time, median" if len(rounds) == 1 else "CPU time, median; ratio the median of %d runs" % len(rounds)
    print("## Picture readers against the reference libraries (%s)\n" % title)
    print("| File | Size | File size | Ours | Reference | Ours / reference | Within %.1fx |" % LIMIT)
    print("|---|---|---|---|---|---|---|")
    for size in ["1920x1080", "6000x4000"]:
        for key, title, ref in READER_ROWS:
            ours_key, ref_key = "%s/%s/ours" % (key, size), "%s/%s/%s" % (key, size, ref)
            theirs = [r[ref_key] for r in rounds if ref_key in r]
            if not theirs:
                continue
            theirs = statistics.median(theirs)
            mb = sizes.get(ref_key)
            mb = "%.1f MB" % mb if mb else ""
            ours = [r[ours_key] for r in rounds if ours_key in r]
            if not ours:
                print("| %s | %s | %s | (no reader yet) | %s %s | | |" % (title, size, mb, ref, fmt(theirs)))
                continue
            ours = statistics.median(ours)
            ratios = [r[ours_key] / r[ref_key] for r in rounds if ours_key in r and ref_key in r]
            ratio = statistics.median(ratios)
            shown = "%.2f" % ratio
            if len(ratios) > 1:
                shown += " (%.2f to %.2f)" % (min(ratios), max(ratios))
            print("| %s | %s | %s | %s | %s %s | %s | %s |"
                  % (title, size, mb, fmt(ours), ref, fmt(theirs), shown, "yes" if ratio <= LIMIT else "no"))
    print()


if __name__ == "__main__":
    main()
