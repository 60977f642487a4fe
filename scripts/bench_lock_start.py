#!/usr/bin/env python3
"""Time from "lumora /S" with the password on to a covered and grabbed X
screen, for two builds in the same run (before and after), with an opening
picture of 16384 x 16383 pixels; and the resident memory of the process
that holds the screen.

usage: bench_lock_start.py BEFORE_LUMORA AFTER_LUMORA [RUNS]   (prints a Markdown table)

Each run has its own Xvfb (1024 x 768) with a magenta root. Covered: no
magenta at the centre and the four corners; grabbed: a keyboard grab of
our own is refused. Both are polled every 2 ms through libX11. The picture
(a PNG of one grey, written row by row) and the homes are made in a
scratch folder and removed at the end."""
import ctypes
import ctypes.util
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from xsession import XSession  # noqa: E402

WIDTH, HEIGHT = 16384, 16383
MAGENTA = 0xFF00FF


def write_png(path, width, height, rgb=(128, 128, 128)):
    """A PNG of one colour, compressed a row at a time."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    row = b"\x00" + bytes(rgb) * width
    packer = zlib.compressobj(6)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        data = b"".join(packer.compress(row) for _ in range(height)) + packer.flush()
        f.write(chunk(b"IDAT", data) + chunk(b"IEND", b""))


def xlib():
    x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XGetImage.restype = ctypes.c_void_p
    x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                            ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x.XGetPixel.restype = ctypes.c_ulong
    x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
    x.XDestroyImage.argtypes = [ctypes.c_void_p]
    x.XGrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                ctypes.c_ulong]
    x.XUngrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x


class Probe:
    """Looks at the screen and the keyboard of one display."""

    def __init__(self, x, display, width, height):
        self.x, self.d = x, x.XOpenDisplay(display.encode())
        self.root = x.XDefaultRootWindow(self.d)
        self.points = [(width // 2, height // 2), (0, 0), (width - 1, 0), (0, height - 1), (width - 1, height - 1)]

    def covered(self):
        for px, py in self.points:
            image = self.x.XGetImage(self.d, self.root, px, py, 1, 1, 0xFFFFFFFF, 2)  # ZPixmap
            pixel = self.x.XGetPixel(image, 0, 0) & 0xFFFFFF
            self.x.XDestroyImage(image)
            if pixel == MAGENTA:
                return False
        return True

    def grabbed(self):
        status = self.x.XGrabKeyboard(self.d, self.root, 0, 1, 1, 0)
        if status == 0:
            self.x.XUngrabKeyboard(self.d, 0)
        self.x.XSync(self.d, 0)
        return status != 0

    def close(self):
        self.x.XCloseDisplay(self.d)


def rss_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def children(pid):
    out = []
    for name in os.listdir("/proc"):
        try:
            with open("/proc/%s/stat" % name) as f:
                stat = f.read()
        except (OSError, ValueError):
            continue
        if name.isdigit() and int(stat[stat.rindex(")") + 2:].split()[1]) == pid:
            out.append(int(name))
    return out


def one_run(x, lumora, home, timeout=30):
    """Seconds to covered-and-grabbed, and the RSS (kB) a second after that
    of the started process (the lock; before, the show's watcher) and of
    its children (the show)."""
    session = XSession(1024, 768)
    try:
        session.run("xsetroot", "-solid", "magenta")
        probe = Probe(x, session.display, 1024, 768)
        env = dict(session.env, LUMORA_HOME=home)
        start = time.monotonic()
        proc = subprocess.Popen([lumora, "/S"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)
        try:
            while not (probe.covered() and probe.grabbed()):
                if time.monotonic() - start > timeout:
                    raise SystemExit("%s did not cover and grab the screen in %d s" % (lumora, timeout))
                time.sleep(0.002)
            elapsed = time.monotonic() - start
            time.sleep(1.0)
            rss = (rss_kb(proc.pid), sum(rss_kb(c) for c in children(proc.pid)))
        finally:
            os.killpg(proc.pid, 9)
            proc.wait()
            probe.close()
        return elapsed, rss
    finally:
        session.close()


def main():
    before, after = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    os.environ.setdefault("LUMORA_SOURCE_DIR", source)
    scratch = tempfile.mkdtemp(prefix="lumora-bench-lock-")
    try:
        picture = os.path.join(scratch, "opening.png")
        write_png(picture, WIDTH, HEIGHT)
        home = os.path.join(scratch, "home")
        subprocess.run([sys.executable, os.path.join(source, "scripts", "make_home.py"), home, "--solid", "2",
                        "--value", "qssz=1", "--value", "spic=" + picture, "--desktop", "ScreenSaveUsePassword=1",
                        "--desktop", "mima=pw"], check=True, stdout=subprocess.DEVNULL)
        x = xlib()
        times = {before: [], after: []}
        rss = {before: [], after: []}
        for _ in range(runs):  # alternated, so that both see the same machine
            for lumora in (before, after):
                t, r = one_run(x, lumora, home)
                times[lumora].append(t * 1000)
                rss[lumora].append(r)
        base = statistics.median(times[before])
        print("| Build | Median to covered and grabbed (%d runs) | Ratio | RSS: started process | RSS: its child |"
              % runs)
        print("|---|---|---|---|---|")
        for name, lumora in (("before", before), ("after", after)):
            t = statistics.median(times[lumora])
            print("| %s (%s) | %.0f ms (%.0f to %.0f) | %.2f | %.1f MB | %.1f MB |" % (
                name, lumora, t, min(times[lumora]), max(times[lumora]), t / base,
                statistics.median(r[0] for r in rss[lumora]) / 1024,
                statistics.median(r[1] for r in rss[lumora]) / 1024))
    finally:
        shutil.rmtree(scratch, True)


if __name__ == "__main__":
    main()
