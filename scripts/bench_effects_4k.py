#!/usr/bin/env python3
"""Every transition paced as in the show on a large virtual screen, two
builds taking turns: bench/transition_frames of each build (made with
-DLUMORA_BENCH=ON) runs the effects in chunks on one Xvfb (3840 x 2160 by
default), the builds alternating chunk by chunk and swapping which goes
first. For each effect and build: its duration (ms, from the program),
frames presented, and the CPU seconds the program and the X server spent
from the row before to its row (the transition with its set-up: the old
picture drawn and presented, the two scratch bitmaps filled, the dry run;
effect 0's row also holds the program's start-up).
Prints a Markdown table and the load average.

usage: bench_effects_4k.py BUILD [--baseline OLD_BUILD] [--size WxH]
                           [--effects A-B] [--chunk N] [--min MS]
"""
import argparse
import os
import subprocess
import sys
import time

TICK = os.sysconf("SC_CLK_TCK")


def cpu_s(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            text = f.read()
    except OSError:
        return 0.0
    fields = text[text.rfind(")") + 2:].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def start_xvfb(size):
    for n in range(100, 130):
        if not os.path.exists("/tmp/.X%d-lock" % n):
            xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "%sx24" % size, "-nolisten", "tcp", "-noreset"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(100):
                if os.path.exists("/tmp/.X11-unix/X%d" % n):
                    return xvfb, ":%d" % n
                time.sleep(0.05)
            xvfb.kill()
    raise SystemExit("no free display for Xvfb")


def run_chunk(build, display, xserver, first, last, minimum):
    """{effect: (ms, frames, cpu s, X cpu s)} for effects first..last."""
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
    proc = subprocess.Popen([os.path.join(build, "bench", "transition_frames"), "--effects", "%d-%d" % (first, last),
                             "--min", str(minimum)], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            text=True)
    rows = {}
    mark = (cpu_s(proc.pid), cpu_s(xserver))
    for line in proc.stdout:
        f = [x.strip() for x in line.strip().strip("|").split("|")]
        if len(f) >= 7 and f[0].isdigit():
            now = (cpu_s(proc.pid), cpu_s(xserver))
            rows[int(f[0])] = (int(f[3]), int(f[4]), now[0] - mark[0], now[1] - mark[1])
            mark = now
    proc.wait()
    return rows


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--baseline")
    ap.add_argument("--size", default="3840x2160")
    ap.add_argument("--effects", default="0-121")
    ap.add_argument("--chunk", type=int, default=8)
    ap.add_argument("--min", type=int, default=1000)
    args = ap.parse_args()
    first, last = (int(x) for x in args.effects.split("-"))
    builds = [("after", args.build)] + ([("before", args.baseline)] if args.baseline else [])
    results = {name: {} for name, _ in builds}
    load_before = " ".join(open("/proc/loadavg").read().split()[:3])
    xvfb, display = start_xvfb(args.size)
    try:
        time.sleep(0.5)
        for k, a in enumerate(range(first, last + 1, args.chunk)):
            b = min(a + args.chunk - 1, last)
            order = builds if k % 2 == 0 else list(reversed(builds))
            for name, build in order:
                # The program's start-up counts towards its first row: that
                # row is the effect before the chunk's, left out.
                rows = run_chunk(build, display, xvfb.pid, max(a - 1, 0), b, args.min)
                if a > 0:
                    rows.pop(a - 1, None)
                results[name].update(rows)
                print("%s %d-%d done" % (name, a, b), file=sys.stderr)
    finally:
        xvfb.terminate()
        xvfb.wait()
    load_after = " ".join(open("/proc/loadavg").read().split()[:3])
    print("Xvfb %s, minimum %d ms; load average %s before, %s after" % (args.size, args.min, load_before, load_after))
    print()
    head = "| Effect |"
    rule = "|---:|"
    for name, _ in builds:
        head += " %s ms | %s frames | %s CPU s | %s X CPU s |" % (name, name, name, name)
        rule += "---:|---:|---:|---:|"
    print(head)
    print(rule)
    for n in range(first, last + 1):
        row = "| %d |" % n
        for name, _ in builds:
            r = results[name].get(n)
            row += " %d | %d | %.2f | %.2f |" % r if r else " | | | |"
        print(row)
    for name, _ in builds:
        rs = list(results[name].values())
        if rs:
            ms = sorted(r[0] for r in rs)
            print()
            print("%s: %d effects, %d over 1100 ms, median %d ms, CPU %.1f s, X server CPU %.1f s"
                  % (name, len(rs), sum(1 for m in ms if m > 1100), ms[len(ms) // 2], sum(r[2] for r in rs),
                     sum(r[3] for r in rs)))


if __name__ == "__main__":
    main()
