#!/usr/bin/env python3
"""Flash movies in the show: the time from the playlist handing a movie to the
player program until its first frame is on screen (a first movie at the
show's start, which starts the web engine; a second one in the same
program; a movie after a song, whose player starts during the song), and the
memory of the player's whole process tree (lumora-flash and every web engine
process under it: the sum of their RSS, and of their PSS, which counts a
page shared by n processes as 1/n) against the show's own, while the first
movie plays.

usage: bench_flash.py [--runs N] LUMORA [LUMORA...]   (needs DISPLAY; prints Markdown)

Each LUMORA is a build of the show with its lumora-flash (and Ruffle) beside
it; given several ("label=path" names a column), their runs alternate, so
that they meet the same load, and the table gives each one's medians.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
import swf_movies  # noqa: E402

# How long the first movie plays before its memory is read, and how often it
# is read then (the peak counts).
SETTLE_S = 1.5
SAMPLES = 5
SAMPLE_GAP_S = 0.2
# The song before a movie: the time a player started ahead of the movie has.
SONG_S = 8


def memory_kb(pid):
    """(RSS, PSS) of one process in kB; (0, 0) once it has gone."""
    rss = pss = 0
    try:
        with open("/proc/%d/smaps_rollup" % pid) as f:
            for line in f:
                if line.startswith("Rss:"):
                    rss = int(line.split()[1])
                elif line.startswith("Pss:"):
                    pss = int(line.split()[1])
    except OSError:
        pass
    return rss, pss


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


def cpu_ticks(pids):
    """User and system CPU time of the processes, in clock ticks."""
    total = 0
    for p in pids:
        try:
            with open("/proc/%d/stat" % p) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return total


def tree_memory(pids):
    """Summed (RSS, PSS) in MB and the number of processes."""
    mems = [memory_kb(p) for p in pids]
    return sum(m[0] for m in mems) / 1024, sum(m[1] for m in mems) / 1024, len(pids)


def write_media_list(home, entries):
    with open(os.path.join(home, "Lumora_Studio", "music.txt"), "wb") as f:
        f.write(b"".join(e.encode() + b"\r\n" for e in entries))


def show_env(home):
    env = dict(os.environ, LUMORA_HOME=home, LUMORA_FLASH_DEBUG="1", SDL_AUDIODRIVER="dummy",
               LUMORA_SHUTDOWN="print")
    env.pop("LUMORA_FLASH_BIN", None)  # the player beside each build
    # Xvfb has no GPU (players that do not say so themselves need telling).
    env.setdefault("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu")
    return env


def one_run(lumora, home, movies):
    """Two movies in a row: first and next movie times (ms), the show's PSS,
    the player tree's peak (RSS, PSS, processes) while the first plays and
    its CPU use then (CPU seconds per second)."""
    write_media_list(home, movies)
    show = subprocess.Popen([lumora, "/S"], env=show_env(home), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            text=True)
    times, show_mem, player, cpu = [], 0, (0, 0, 0), 0.0
    end = time.time() + 90
    try:
        for line in show.stderr:
            m = re.search(r"on screen after (\d+) ms", line)
            if m:
                times.append(int(m.group(1)))
                if len(times) == 1:
                    time.sleep(SETTLE_S)  # the movie plays a while
                    t0, ticks0 = time.time(), cpu_ticks(descendants(show.pid))
                    for _ in range(SAMPLES):
                        sample = tree_memory(descendants(show.pid))
                        if sample[1] > player[1]:
                            player = sample
                        show_mem = max(show_mem, memory_kb(show.pid)[1] / 1024)
                        time.sleep(SAMPLE_GAP_S)
                    ticks = cpu_ticks(descendants(show.pid)) - ticks0
                    cpu = ticks / os.sysconf("SC_CLK_TCK") / (time.time() - t0)
                if len(times) == 2:
                    break
            if time.time() > end:
                break
    finally:
        show.terminate()
        show.wait(timeout=20)
    return times, show_mem, player, cpu


def after_song_run(lumora, home, song, movie):
    """A movie whose turn comes after a song: its time (ms) to the screen."""
    write_media_list(home, [song, movie])
    show = subprocess.Popen([lumora, "/S"], env=show_env(home), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            text=True)
    shown = None
    end = time.time() + 90
    try:
        for line in show.stderr:
            m = re.search(r"on screen after (\d+) ms", line)
            if m:
                shown = int(m.group(1))
                break
            if time.time() > end:
                break
    finally:
        show.terminate()
        show.wait(timeout=20)
    return shown


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("builds", nargs="+")
    a = ap.parse_args()
    builds = []
    for b in a.builds:
        label, _, path = b.rpartition("=")
        builds.append((label or os.path.basename(os.path.dirname(os.path.abspath(path))), path))
    home = tempfile.mkdtemp(prefix="lumora-bench-flash-")
    subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "make_home.py"), home],
                   check=True, stdout=subprocess.DEVNULL)
    first = os.path.join(home, "first.swf")
    second = os.path.join(home, "second.swf")
    with open(first, "wb") as f:
        f.write(swf_movies.moving(frames=120))  # 4 s, every frame drawn anew: long enough to be measured
    with open(second, "wb") as f:
        f.write(swf_movies.gradient(compressed=True, frames=300))
    song = os.path.join(home, "song.mp3")
    subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=440:duration=%g" % SONG_S, "-c:a", "libmp3lame", song], check=True)
    results = {label: [] for label, _ in builds}
    loads = [load_average()]
    for _ in range(a.runs):
        for label, path in builds:
            times, show_mem, player, cpu = one_run(path, home, [first, second])
            after_song = after_song_run(path, home, song, second)
            if len(times) < 2 or not player[2] or after_song is None:
                print("%s: a movie did not come on screen (%s, %s); run dropped" % (label, times, after_song),
                      file=sys.stderr)
                continue
            results[label].append((times[0], times[1], show_mem, player[0], player[1], player[2], after_song,
                                   cpu))
            print("%s: %s" % (label, results[label][-1]), file=sys.stderr, flush=True)
        loads.append(load_average())

    if not all(results.values()):
        raise SystemExit("no run of some build showed both movies")

    def med(label, i):
        return statistics.median(r[i] for r in results[label])

    def spread(label, i, unit):
        vals = [r[i] for r in results[label]]
        digits = 2 if max(vals) < 10 and any(v != int(v) for v in vals) else 0
        return "%.*f %s (%.*f to %.*f)" % (digits, statistics.median(vals), unit, digits, min(vals), digits, max(vals))

    labels = [label for label, _ in builds]
    runs = min(len(r) for r in results.values())
    base = labels[0]
    print("Medians of %d runs (lowest to highest); load average (1, 5, 15 min) before and after each round: %s"
          % (runs, "; ".join(loads)))
    print()
    print("| Measure | " + " | ".join(labels) + (" | %s / %s |" % (labels[-1], base) if len(labels) > 1 else " |"))
    print("|---|" + "---|" * len(labels) + ("---|" if len(labels) > 1 else ""))
    rows = [("first movie, at the show's start: playlist to first frame on screen", 0, "ms"),
            ("next movie in the same player", 1, "ms"),
            ("a movie after a song (list order: the player starts during the song)", 6, "ms"),
            ("the player's tree while a movie plays: RSS (sum)", 3, "MB"),
            ("the player's tree while a movie plays: PSS (sum)", 4, "MB"),
            ("processes in the player's tree", 5, ""),
            ("the player's tree's CPU while a movie (a moving square, 30 frames/s) plays, s per s", 7, ""),
            ("the show's own PSS", 2, "MB")]
    for name, i, unit in rows:
        cells = [spread(label, i, unit).replace("  ", " ") for label in labels]
        ratio = ""
        if len(labels) > 1:
            b = med(base, i)
            ratio = " %.2f |" % (med(labels[-1], i) / b) if b else " - |"
        print("| %s | %s |%s" % (name, " | ".join(cells), ratio))


if __name__ == "__main__":
    main()
