#!/usr/bin/env python3
"""Flash movies in the show: the time from the playlist handing a movie to the
player program until its first frame is on screen (a first movie, which
starts the web engine, and a second one in the same program), the player's
memory against the show's own, in the same runs.

usage: bench_flash.py LUMORA [RUNS]   (needs DISPLAY; prints a Markdown table)
"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
import swf_movies  # noqa: E402


def pss_kb(pid):
    try:
        with open("/proc/%d/smaps_rollup" % pid) as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def descendants(pid):
    out = subprocess.run(["ps", "-e", "-o", "pid=,ppid="], capture_output=True, text=True).stdout
    children = {}
    for line in out.split("\n"):
        if line.strip():
            p, pp = map(int, line.split())
            children.setdefault(pp, []).append(p)
    found, todo = [], [pid]
    while todo:
        for c in children.get(todo.pop(), []):
            found.append(c)
            todo.append(c)
    return found


def one_run(lumora, home):
    env = dict(os.environ, LUMORA_HOME=home, LUMORA_FLASH_DEBUG="1", SDL_AUDIODRIVER="dummy",
               LUMORA_SHUTDOWN="print")
    env.setdefault("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu")
    show = subprocess.Popen([lumora, "/S"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    times, mem = [], None
    end = time.time() + 60
    try:
        for line in show.stderr:
            m = re.search(r"on screen after (\d+) ms", line)
            if m:
                times.append(int(m.group(1)))
                if len(times) == 1:
                    time.sleep(1.0)  # the movie plays a while
                    kids = descendants(show.pid)
                    mem = (pss_kb(show.pid), sum(pss_kb(k) for k in kids))
                if len(times) == 2:
                    break
            if time.time() > end:
                break
    finally:
        show.terminate()
        show.wait(timeout=20)
    return times, mem


def main():
    lumora = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    home = tempfile.mkdtemp(prefix="lumora-bench-flash-")
    subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "make_home.py"), home],
                   check=True, stdout=subprocess.DEVNULL)
    first = os.path.join(home, "first.swf")
    second = os.path.join(home, "second.swf")
    with open(first, "wb") as f:
        f.write(swf_movies.blue_on_red(frames=45))  # 1.5 s
    with open(second, "wb") as f:
        f.write(swf_movies.gradient(compressed=True, frames=300))
    with open(os.path.join(home, "Lumora_Studio", "music.txt"), "wb") as f:
        f.write(first.encode() + b"\r\n" + second.encode() + b"\r\n")
    cold, warm, show_mem, player_mem = [], [], [], []
    for _ in range(runs):
        times, mem = one_run(lumora, home)
        if len(times) < 2 or not mem:
            raise SystemExit("a movie did not come on screen")
        cold.append(times[0])
        warm.append(times[1])
        show_mem.append(mem[0] / 1024)
        player_mem.append(mem[1] / 1024)
    c, w = statistics.median(cold), statistics.median(warm)
    s, p = statistics.median(show_mem), statistics.median(player_mem)
    print("| Measure (median of %d runs) | Value | Against |" % runs)
    print("|---|---|---|")
    print("| first movie: playlist to first frame on screen (starts the web engine) | %d ms | 1.00 |" % c)
    print("| next movie in the same player | %d ms | %.2f of the first |" % (w, w / c))
    print("| the show's memory (PSS) while a movie plays | %.0f MB | 1.00 |" % s)
    print("| the player's memory (PSS, lumora-flash and its web engine processes) | %.0f MB | %.1fx the show |"
          % (p, p / s))


if __name__ == "__main__":
    main()
