#!/usr/bin/env python3
"""Start-up time of "lumora /S" to its first painted frame, against an empty
full-screen Qt window measured the same way in the same run.

usage: bench_startup.py LUMORA EMPTY_WINDOW [RUNS]   (prints a Markdown table)
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time


def measure(cmd, env, runs):
    times = []
    for _ in range(runs):
        start = time.monotonic()
        out = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=60)
        elapsed = time.monotonic() - start
        if "first frame" not in out.stdout:
            raise SystemExit("%s did not report its first frame: %s" % (cmd[0], out.stderr))
        times.append(elapsed * 1000)
    return statistics.median(times)


def main():
    lumora, empty = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    home = tempfile.mkdtemp(prefix="lumora-bench-")
    env = dict(os.environ, LUMORA_HOME=home, LUMORA_EXIT_AFTER_FIRST_FRAME="1", LUMORA_SHUTDOWN="print")
    if not env.get("DISPLAY") and not env.get("WAYLAND_DISPLAY"):
        env["QT_QPA_PLATFORM"] = "offscreen"
    # Warm the file cache, then alternate so both see the same machine.
    measure([empty], env, 2)
    measure([lumora, "/S"], env, 2)
    a, b, c = [], [], []
    for _ in range(3):
        a.append(measure([empty], env, max(1, runs // 3)))
        c.append(measure([empty, "--caption"], env, max(1, runs // 3)))
        b.append(measure([lumora, "/S"], env, max(1, runs // 3)))
    base, show, caption = statistics.median(a), statistics.median(b), statistics.median(c)
    print("| Program | Median to first frame | Ratio |")
    print("|---|---|---|")
    print("| empty Qt window (baseline) | %.1f ms | 1.00 |" % base)
    print("| the same window with the welcome caption (for reference) | %.1f ms | %.2f |" % (caption, caption / base))
    print("| lumora /S | %.1f ms | %.2f |" % (show, show / base))


if __name__ == "__main__":
    main()
