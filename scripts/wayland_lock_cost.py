#!/usr/bin/env python3
"""What the lock's frame path costs on Wayland: sway headless with one
1920x1080 output, the show playing transitions back to back (no pause,
each at least 1 s), measured over the same window of seconds:

  - without the password: the show alone on Qt's Wayland platform (the
    baseline: what drawing the show costs anyway);
  - with the password: the show on the lumoraframes platform sending frames
    through shared memory, plus the lock copying them into its surfaces;
    then again with the lock's prompt up (drawn into the buffer).

Prints processor time in percent of one core per process, and the lock's
share as a ratio of the baseline. Run from the source tree after a build:

    LUMORA_SOURCE_DIR=$PWD python3 scripts/wayland_lock_cost.py build/lumora [SECONDS]
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
import compositor  # noqa: E402
from xsession import make_home  # noqa: E402

TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def children(pid, marker):
    found = []
    for entry in os.listdir("/proc"):
        try:
            with open("/proc/%s/stat" % entry) as f:
                parent = int(f.read().rsplit(")", 1)[1].split()[1])
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                if parent == pid and marker in f.read():
                    found.append(int(entry))
        except (OSError, ValueError, IndexError):
            pass
    return found


def measure(pids, seconds):
    before = {p: cpu_seconds(p) for p in pids}
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    return {p: 100 * (cpu_seconds(p) - before[p]) / elapsed for p in pids}


def main():
    lumora = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
    show = ("--solid", "3", "--value", "jgsj=0", "--value", "fxms=1000", "--value", "tptc=-1")
    results = {}
    for name, extra in (("baseline", ()), ("locked", ("--desktop", "ScreenSaveUsePassword=1", "--desktop", "mima=abc"))):
        home = compositor.give(make_home(*show, *extra))
        with compositor.Sway(outputs=1, width=1920, height=1080) as sway:
            proc = sway.spawn([lumora, "/S"], env={"LUMORA_HOME": home, "LUMORA_EFFECT": "0"})
            time.sleep(4)
            if name == "baseline":
                results["show alone (Qt Wayland)"] = measure([proc.pid], seconds)[proc.pid]
            else:
                shows = children(proc.pid, b"--locked-show")
                got = measure([proc.pid] + shows, seconds)
                results["lock, frames flowing"] = got[proc.pid]
                results["show, frames to the lock"] = sum(got[p] for p in shows)
                sway.run(["wtype", "-s", "600", "-k", "space"])
                time.sleep(1)
                shows = children(proc.pid, b"--locked-show")
                got = measure([proc.pid] + shows, seconds)
                results["lock, frames flowing, prompt up"] = got[proc.pid]
                results["show, prompt up (its slides held)"] = sum(got[p] for p in shows)
    for what, percent in results.items():
        print("%-36s %6.1f %% of a core" % (what, percent))
    base = results["show alone (Qt Wayland)"]
    locked = results["lock, frames flowing"] + results["show, frames to the lock"]
    print("locked (lock + show) / show alone: %.2f" % (locked / base if base else float("nan")))


if __name__ == "__main__":
    main()
