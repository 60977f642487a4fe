#!/usr/bin/env python3
"""The show against a peer: `lumora /S` and feh's full-screen slideshow
(`feh -F -D PAUSE`) on the same photographs and pause, alternating, each on
the same virtual X server (Xvfb, started here once per screen size: by
default 1920 x 1080 and 3840 x 2160 in one run). For each program: CPU
seconds per minute of the process tree and of the X server, average and
peak RSS of the tree, wake-ups per second during pauses (the tree's
voluntary + involuntary context switches while the X server draws nothing),
and the transitions as seen on the screen: bursts of X DAMAGE reports on the
root window (bench/damage_watch), each from the first change after a still
screen to the last before one; then the ratios to feh, and of each size's
figures to the first size's.

usage: bench_show.py LUMORA [--seconds S] [--rounds R] [--pause P]
                     [--variants plain,captions,song] [--pictures DIR]
                     [--seed N] [--baseline OTHER_LUMORA]
                     [--sizes 1920x1080,3840x2160] [--damage-watch PATH]

Variants of the show: "plain" (no captions, no media), "captions" (a caption
list painted over every picture) and "song" (a looping MP3 in the media
list; SDL's dummy audio driver unless SDL_AUDIODRIVER is set). The 20
pictures (ten 4000 x 3000 and ten 6000 x 4000 photograph-like JPEGs) are made
with ImageMagick once and kept in DIR. Needs Xvfb, feh, ImageMagick's
convert and ffmpeg (for the song), all installed by scripts/setup.sh, and
the damage watcher built with -DLUMORA_BENCH=ON (without it, no durations).
Prints Markdown.

The show draws its transitions from a generator seeded with the time of
day, and their cost varies by a factor of ten; --seed N gives every run of
the show the same first seed (LUMORA_SEED), so that runs and builds can be
compared on the same transitions. --baseline runs another build of the
show beside this one, on the same variants, alternating with the others
(the "before" of a change), and prints its ratios too.
"""
import argparse
import glob
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TICK = os.sysconf("SC_CLK_TCK")
PAGE_KB = os.sysconf("SC_PAGE_SIZE") // 1024
SAMPLE = 0.1        # seconds between samples
QUIET_NS = 1.0e6    # the X server used less than this per sample: nothing drawn
PAUSE_MIN = 2.0     # a quiet stretch this long is a pause
PAUSE_TRIM = 0.5    # seconds left out at each end of a pause
LONG_TRANSITION = 1.1  # seconds: a transition seen longer than this is late


def make_pictures(folder):
    os.makedirs(folder, exist_ok=True)
    paths = []
    for i in range(20):
        w, h = (4000, 3000) if i % 2 == 0 else (6000, 4000)
        path = os.path.join(folder, "photo%02d_%dx%d.jpg" % (i + 1, w, h))
        if not os.path.exists(path):
            # Soft fractal shading scaled up, with camera-like grain.
            subprocess.run(["convert", "-seed", str(i + 1), "-size", "%dx%d" % (w // 10, h // 10),
                            "plasma:fractal", "-blur", "0x2", "-resize", "%dx%d!" % (w, h),
                            "-attenuate", "0.4", "+noise", "Gaussian", "-quality", "90", path + ".tmp.jpg"],
                           check=True)
            os.rename(path + ".tmp.jpg", path)
        paths.append(path)
    return paths


def make_song(path):
    if not os.path.exists(path):
        subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                        "sine=frequency=440:duration=600", "-c:a", "libmp3lame", path], check=True)
    return path


def make_home(variant, pictures, pause, song):
    home = tempfile.mkdtemp(prefix="lumora-bench-show-")
    values = ["jgsj=%d" % pause, "tpbh=0", "tptc=-1", "yysz=0", "wzbh=0"]
    captions = []
    if variant == "captions":
        values[-1] = "wzbh=1"
        captions = ["湖光山色 %d" % i for i in range(1, 6)]
    if variant == "song":
        values[-2] = "yysz=1"
    args = [sys.executable, os.path.join(HERE, "make_home.py"), home]
    for v in values:
        args += ["--value", v]
    if captions:
        args += ["--captions"] + captions
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
    lists = os.path.join(home, "Lumora_Studio")
    with open(os.path.join(lists, "pic.txt"), "wb") as f:
        f.write(b"".join(p.encode() + b"\r\n" for p in pictures))
    if variant == "song":
        with open(os.path.join(lists, "music.txt"), "wb") as f:
            f.write(song.encode() + b"\r\n")
    return home


def read(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError:
        return None


def children_map():
    kids = {}
    for stat in glob.glob("/proc/[0-9]*/stat"):
        text = read(stat)
        if not text:
            continue
        fields = text[text.rfind(")") + 2:].split()
        kids.setdefault(int(fields[1]), []).append(int(stat.split("/")[2]))
    return kids


def tree(root):
    kids, found, todo = children_map(), [root], [root]
    while todo:
        for c in kids.get(todo.pop(), []):
            found.append(c)
            todo.append(c)
    return found


def cpu_ns(pid):
    """CPU time of the live threads of a process, in ns (schedstat: finer
    than the clock ticks of /proc/PID/stat, for telling pauses)."""
    total = 0
    for t in glob.glob("/proc/%d/task/*/schedstat" % pid):
        text = read(t)
        if text:
            total += int(text.split()[0])
    return total


def switches(pid):
    """Per thread: voluntary + involuntary context switches."""
    out = {}
    for t in glob.glob("/proc/%d/task/*/status" % pid):
        text = read(t)
        if not text:
            continue
        n = 0
        for line in text.split("\n"):
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                n += int(line.split()[1])
        out[(pid, int(t.split("/")[4]))] = n
    return out


def rss_kb(pid):
    text = read("/proc/%d/statm" % pid)
    return int(text.split()[1]) * PAGE_KB if text else 0


def process_cpu_ns(pid):
    """CPU time of a process, threads that ended included (utime + stime)."""
    text = read("/proc/%d/stat" % pid)
    if not text:
        return 0
    f = text[text.rfind(")") + 2:].split()
    return (int(f[11]) + int(f[12])) * 1e9 / TICK


class Sampler:
    """Samples a process tree and the X server every SAMPLE seconds."""

    def __init__(self, root, xserver):
        self.root, self.xserver = root, xserver
        self.cpu = {}        # pid -> last seen CPU ns (exited processes keep theirs)
        self.ctx = {}        # (pid, tid) -> last seen switches
        self.samples = []    # (time, tree CPU ns, X CPU ns, switches, RSS kB)

    def sample(self):
        pids = tree(self.root)
        rss = 0
        for p in pids:
            ns = process_cpu_ns(p)
            if ns:
                self.cpu[p] = ns
            self.ctx.update(switches(p))
            rss += rss_kb(p)
        self.samples.append((time.monotonic(), sum(self.cpu.values()), cpu_ns(self.xserver),
                             sum(self.ctx.values()), rss, process_cpu_ns(self.xserver)))

    def baseline(self):
        self.samples = []
        self.sample()

    def figures(self):
        s = self.samples
        minutes = (s[-1][0] - s[0][0]) / 60
        rss = [x[4] for x in s[1:]]
        # Pauses: the X server draws nothing for at least PAUSE_MIN seconds.
        pause_time, pause_switches, start = 0.0, 0, None
        for i in range(1, len(s)):
            quiet = s[i][2] - s[i - 1][2] < QUIET_NS
            if quiet and start is None:
                start = i - 1
            if (not quiet or i == len(s) - 1) and start is not None:
                end = i - 1 if not quiet else i
                if s[end][0] - s[start][0] >= PAUSE_MIN:
                    a = next(k for k in range(start, end + 1) if s[k][0] >= s[start][0] + PAUSE_TRIM)
                    b = max(k for k in range(start, end + 1) if s[k][0] <= s[end][0] - PAUSE_TRIM)
                    if b > a:
                        pause_time += s[b][0] - s[a][0]
                        pause_switches += s[b][3] - s[a][3]
                start = None
        return {
            "cpu": (s[-1][1] - s[0][1]) / 1e9 / minutes,
            "xcpu": (s[-1][5] - s[0][5]) / 1e9 / minutes,
            "rss_avg": statistics.mean(rss) / 1024,
            "rss_peak": max(rss) / 1024,
            "wakeups": pause_switches / pause_time if pause_time else float("nan"),
            "pause_s": pause_time,
        }


class DamageWatch:
    """The bursts of drawing on a display, from bench/damage_watch."""

    def __init__(self, program, display):
        self.bursts = []  # (start s, end s, reports), on time.monotonic()'s clock
        self.proc = None
        if not program or not os.path.exists(program):
            return
        self.proc = subprocess.Popen([program], env=dict(os.environ, DISPLAY=display),
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        if self.proc.stdout.readline().strip() != "ready":
            raise SystemExit("damage_watch did not start")
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.proc.stdout:
            f = line.split()
            if len(f) == 4 and f[0] == "burst":
                self.bursts.append((float(f[1]) / 1e3, float(f[2]) / 1e3, int(f[3])))

    def between(self, a, b):
        """Durations in seconds of the bursts wholly inside [a, b]."""
        return [e - s for s, e, _ in list(self.bursts) if s >= a and e <= b]

    def stop(self):
        if self.proc:
            self.proc.terminate()
            self.proc.wait()


def run_one(cmd, env, xserver, warmup, seconds, watch=None):
    proc = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        sampler = Sampler(proc.pid, xserver)
        deadline = time.monotonic() + warmup
        while time.monotonic() < deadline:
            sampler.sample()  # learns the tree's threads before the window
            time.sleep(SAMPLE)
        if proc.poll() is not None:
            raise SystemExit("%s ended early (status %s)" % (cmd[0], proc.returncode))
        sampler.baseline()
        begin = time.monotonic()
        end = begin + seconds
        while time.monotonic() < end:
            time.sleep(SAMPLE)
            sampler.sample()
        figures = sampler.figures()
        time.sleep(0.4)  # the last burst's end is reported once the screen is still
        figures["bursts"] = watch.between(begin, time.monotonic()) if watch and watch.proc else []
        return figures
    finally:
        proc.terminate()
        try:
            proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def start_xvfb(size):
    for n in range(80, 100):
        if not os.path.exists("/tmp/.X%d-lock" % n):
            display = ":%d" % n
            xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "%sx24" % size, "-nolisten", "tcp",
                                     "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(100):
                if os.path.exists("/tmp/.X11-unix/X%d" % n):
                    return xvfb, display
                time.sleep(0.05)
            xvfb.kill()
    raise SystemExit("no free display for Xvfb")


def bursts_summary(durations):
    """Transitions seen: count, median and longest duration, and how many
    lasted longer than LONG_TRANSITION (bursts of one report, a picture
    swapped whole, are left out)."""
    shown = sorted(d for d in durations if d > 0.05)
    if not shown:
        return "none", 0
    return ("%d: median %.2f s, longest %.2f s" % (len(shown), statistics.median(shown), shown[-1]),
            sum(1 for d in shown if d > LONG_TRANSITION))


def measure_size(args, size, pictures, variants, song):
    xvfb, display = start_xvfb(size)
    watch = DamageWatch(args.damage_watch, display)
    try:
        base = dict(os.environ, DISPLAY=display, LUMORA_SHUTDOWN="print")
        base.pop("WAYLAND_DISPLAY", None)
        base.setdefault("SDL_AUDIODRIVER", "dummy")
        show_env = dict(base)
        if args.seed is not None:
            show_env["LUMORA_SEED"] = str(args.seed)
        runs = {"feh": []}
        programs = [("feh", ["feh", "-F", "-Z", "-Y", "-D", str(args.pause)] + pictures, base)]
        builds = [("lumora", args.lumora)] + ([("baseline", args.baseline)] if args.baseline else [])
        for v in variants:
            env = dict(show_env, LUMORA_HOME=make_home(v, pictures, args.pause, song))
            for label, program in builds:
                programs.append(("%s %s" % (label, v), [program, "/S"], env))
                runs["%s %s" % (label, v)] = []
        for r in range(args.rounds):
            order = programs if r % 2 == 0 else list(reversed(programs))
            for name, cmd, env in order:
                runs[name].append(run_one(cmd, env, xvfb.pid, args.warmup, args.seconds, watch))
                print("%s round %d %s: %s" % (size, r + 1, name, runs[name][-1]), file=sys.stderr)
    finally:
        watch.stop()
        xvfb.terminate()
        xvfb.wait()
    return runs


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("lumora")
    ap.add_argument("--seconds", type=float, default=60, help="measured time of each run")
    ap.add_argument("--warmup", type=float, default=8, help="time before measuring")
    ap.add_argument("--rounds", type=int, default=2)
    ap.add_argument("--pause", type=int, default=5)
    ap.add_argument("--variants", default="plain")
    ap.add_argument("--sizes", default="1920x1080,3840x2160", help="screen sizes, each on its own Xvfb")
    ap.add_argument("--seed", type=int, help="the show's first seed (default: the time of day)")
    ap.add_argument("--baseline", help="another build of lumora, run on the same variants")
    ap.add_argument("--damage-watch", default=os.path.join(os.path.dirname(HERE), "build", "bench", "damage_watch"),
                    help="bench/damage_watch of a build made with -DLUMORA_BENCH=ON")
    ap.add_argument("--pictures", default=os.path.join(tempfile.gettempdir(), "lumora-bench-show-pictures"))
    args = ap.parse_args()
    for tool in ("Xvfb", "feh", "convert"):
        if not shutil.which(tool):
            raise SystemExit("%s is missing (scripts/setup.sh installs it)" % tool)
    pictures = make_pictures(args.pictures)
    variants = [v for v in args.variants.split(",") if v]
    sizes = [x for x in args.sizes.split(",") if x]
    song = make_song(os.path.join(args.pictures, "song.mp3")) if "song" in variants else None
    load_before = " ".join(open("/proc/loadavg").read().split()[:3])
    results = {size: measure_size(args, size, pictures, variants, song) for size in sizes}
    load_after = " ".join(open("/proc/loadavg").read().split()[:3])

    print("%d pictures (4000 x 3000 and 6000 x 4000 JPEGs), pause %d s; median of %d runs of %.0f s each%s; "
          "load average %s before, %s after" % (
              len(pictures), args.pause, args.rounds, args.seconds,
              ", seed %d" % args.seed if args.seed is not None else "", load_before, load_after))
    first = sizes[0]
    for size in sizes:
        runs = results[size]

        def med(name, key, runs=runs):
            return statistics.median(x[key] for x in runs[name])

        feh_cpu, feh_x, feh_rss = med("feh", "cpu"), med("feh", "xcpu"), med("feh", "rss_avg")
        print()
        print("Xvfb %s:" % size)
        print()
        print("| Program | CPU s/min (tree) | X server CPU s/min | Tree + X | Avg RSS | Peak RSS "
              "| Wake-ups/s in pauses | Tree CPU / feh | Tree + X / feh | RSS / feh | Transitions seen "
              "| Over %.1f s | Tree CPU / own %s |" % (LONG_TRANSITION, first))
        print("|---|---|---|---|---|---|---|---|---|---|---|---|---|")
        for name in runs:
            cpu, x = med(name, "cpu"), med(name, "xcpu")
            seen, late = bursts_summary([d for r in runs[name] for d in r["bursts"]])
            own = statistics.median(r["cpu"] for r in results[first][name])
            print("| %s | %.2f | %.2f | %.2f | %.0f MB | %.0f MB | %.1f | %.2f | %.2f | %.2f | %s | %d | %.2f |"
                  % (name, cpu, x, cpu + x, med(name, "rss_avg"), med(name, "rss_peak"), med(name, "wakeups"),
                     cpu / feh_cpu, (cpu + x) / (feh_cpu + feh_x), med(name, "rss_avg") / feh_rss, seen, late,
                     cpu / own))
        for label in ("lumora", "baseline"):
            if "%s plain" % label in runs and "%s captions" % label in runs:
                print()
                print("%s: captions against the plain show (tree CPU): %.2fx"
                      % (label, med("%s captions" % label, "cpu") / med("%s plain" % label, "cpu")))


if __name__ == "__main__":
    main()
