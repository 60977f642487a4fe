#!/usr/bin/env python3
"""Transition start delay of the real show: `lumora /S` on Xvfb 1920 x 1080
with photographs, LUMORA_STEP_TIMES=1 (the show prints the time from the end
of each pause to its transition's first frame on the screen), until N
transitions have started. Prints the median, 95th percentile and slowest,
and how many took longer than one display refresh (60 Hz).

usage: bench_step_start.py LUMORA [--transitions N] [--pause S] [--pictures DIR]
Uses the pictures of scripts/bench_show.py (made there when missing).
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench_show  # noqa: E402

REFRESH_MS = 1000 / 60


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("lumora")
    ap.add_argument("--transitions", type=int, default=50)
    ap.add_argument("--pause", type=int, default=3)
    ap.add_argument("--pictures", default=os.path.join(tempfile.gettempdir(), "lumora-bench-show-pictures"))
    args = ap.parse_args()
    pictures = bench_show.make_pictures(args.pictures)
    home = bench_show.make_home("plain", pictures, args.pause, None)
    xvfb, display = bench_show.start_xvfb()
    delays = []
    try:
        env = dict(os.environ, DISPLAY=display, LUMORA_HOME=home, LUMORA_STEP_TIMES="1",
                   LUMORA_SHUTDOWN="print", SDL_AUDIODRIVER="dummy")
        env.pop("WAYLAND_DISPLAY", None)
        show = subprocess.Popen([args.lumora, "/S"], env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, text=True)
        deadline = time.monotonic() + 60 * 30
        try:
            for line in show.stderr:
                m = re.search(r"transition start delay ([0-9.]+) ms", line)
                if m:
                    delays.append(float(m.group(1)))
                    if len(delays) >= args.transitions:
                        break
                if time.monotonic() > deadline:
                    break
        finally:
            show.terminate()
            show.wait(timeout=20)
    finally:
        xvfb.terminate()
        xvfb.wait()
    if not delays:
        raise SystemExit("the show reported no transition")
    ordered = sorted(delays)
    p95 = ordered[min(len(ordered) - 1, int(round(0.95 * (len(ordered) - 1))))]
    over = sum(1 for d in delays if d > REFRESH_MS)
    print("| Transitions | Median | 95th percentile | Slowest | Over one refresh (16.7 ms) |")
    print("|---|---|---|---|---|")
    print("| %d | %.1f ms | %.1f ms | %.1f ms | %d |"
          % (len(delays), statistics.median(delays), p95, ordered[-1], over))


if __name__ == "__main__":
    main()
