#!/usr/bin/env python3
"""End-to-end tests of module mode on a real X server: a window made by the
test stands for the desktop's saver window; `lumora -window-id` and
`lumora -root` (with $XSCREENSAVER_WINDOW) play the picture list inside it,
draw nothing outside it, follow its size and end on SIGTERM."""
import os
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from show_case import ShowCase, until, wait_exit  # noqa: E402

HOST_WINDOW = os.environ["HOST_WINDOW"]
SHOTS = os.environ.get("LUMORA_SHOTS")


def is_red(p):
    return p[0] > 200 and p[1] < 60 and p[2] < 60


def children_of(pid):
    out = subprocess.run(["ps", "-o", "pid=", "--ppid", str(pid)], capture_output=True, text=True).stdout
    return [int(p) for p in out.split()]


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # A zombie is gone for our purpose only once reaped; ps tells.
    state = subprocess.run(["ps", "-o", "stat=", "-p", str(pid)], capture_output=True, text=True).stdout
    return bool(state.strip()) and not state.strip().startswith("Z")


def is_yellow(p):
    return p[0] > 200 and p[1] > 200 and p[2] < 80


class ModuleTest(ShowCase):
    screen = (800, 600)

    def setUp(self):
        super().setUp()
        # One red picture, fitted to the whole area, a new one every second.
        self.home = self.new_home("--solid", "1", "--value", "jgsj=1", "--value", "tptc=-1")

    def host(self, x, y, w, h):
        proc = self.spawn([HOST_WINDOW, str(x), str(y), str(w), str(h)], stderr=None, text=True)
        return int(proc.stdout.readline())

    def lumora(self, *args, env=None):
        return self.start(self.home, *args, env=env)

    def wait_red(self, points, timeout=15):
        def all_red():
            shot = self.x.screenshot()
            return shot if all(is_red(self.x.pixel(shot, x, y)) for x, y in points) else None
        return until(all_red, timeout, 0.3)

    def grid(self, x0, y0, x1, y1, step=20):
        return [(x, y) for y in range(y0, y1, step) for x in range(x0, x1, step)]

    def check_inside_only(self, before, rect):
        """The picture fills rect; every pixel outside it is as before."""
        x, y, w, h = rect
        inside = self.grid(x + 2, y + 2, x + w - 2, y + h - 2)
        shot = self.wait_red(inside)
        self.assertIsNotNone(shot, "the picture did not fill the host window")
        outside = [(px, py) for px, py in self.grid(0, 0, 800, 600, 7)
                   if not (x <= px < x + w and y <= py < y + h)]
        changed = [(px, py) for px, py in outside if self.x.pixel(shot, px, py) != self.x.pixel(before, px, py)]
        self.assertEqual(changed[:5], [], "the show drew outside its window")
        return shot

    def end_with_sigterm(self, proc):
        kids = children_of(proc.pid)
        start = time.time()
        proc.send_signal(signal.SIGTERM)
        status = wait_exit(proc, 2)
        self.assertIsNotNone(status, "SIGTERM did not end the show within 2 s")
        self.assertEqual(status, 0, proc.stderr.read().decode(errors="replace"))
        self.assertLess(time.time() - start, 2.0)
        self.assertTrue(until(lambda: not any(alive(k) for k in kids), 2, 0.05),
                        "a helper process outlived the show: %s" % [k for k in kids if alive(k)])

    def test_window_id_plays_inside_and_ends_on_sigterm(self):
        wid = self.host(100, 80, 400, 300)
        before = self.x.screenshot()
        show = self.lumora("-window-id", hex(wid))
        self.check_inside_only(before, (100, 80, 400, 300))
        if SHOTS:
            self.x.save_png(os.path.join(SHOTS, "module-window-id.png"))
        # The show follows the window's new size.
        self.x.run("xdotool", "windowsize", str(wid), "600", "450")
        self.assertIsNotNone(self.wait_red([(100 + 580, 80 + 430), (100 + 300, 80 + 420)]),
                             "the show did not follow the window's size")
        self.assertIsNone(show.poll())
        # Keys and buttons belong to the desktop: they end nothing.
        self.x.run("xdotool", "mousemove", "300", "200", "click", "1")
        self.x.key("space")
        # What is checked: the show is still there a moment later.
        self.assertIsNone(wait_exit(show, 0.8), "input ended the show in module mode")
        self.end_with_sigterm(show)

    def test_windows_smaller_than_the_screen_show_the_pictures_at_their_size(self):
        # Preview panes and desktops' saver windows of any size: the 4:3
        # picture is fitted to each window (its proportions kept, centred,
        # black beside it) and nothing is drawn outside the window.
        for w, h in ((400, 300), (700, 400)):
            with self.subTest(size=(w, h)):
                wid = self.host(50, 60, w, h)
                host = self.procs[-1]
                before = self.x.screenshot()
                show = self.lumora("-window-id", hex(wid))
                fw, fh = min(w, h * 4 // 3), min(h, w * 3 // 4)
                fx, fy = 50 + (w - fw) // 2, 60 + (h - fh) // 2
                shot = self.wait_red(self.grid(fx + 2, fy + 2, fx + fw - 2, fy + fh - 2))
                self.assertIsNotNone(shot, "the picture was not fitted to the %d x %d window" % (w, h))
                beside = [(x, y) for x, y in self.grid(52, 62, 50 + w - 2, 60 + h - 2, 9)
                          if not (fx - 2 <= x < fx + fw + 2 and fy - 2 <= y < fy + fh + 2)]
                self.assertTrue(all(max(self.x.pixel(shot, x, y)) < 16 for x, y in beside),
                                "the window is not black beside the picture")
                outside = [(x, y) for x, y in self.grid(0, 0, 800, 600, 7)
                           if not (50 <= x < 50 + w and 60 <= y < 60 + h)]
                self.assertEqual([p for p in outside if self.x.pixel(shot, *p) != self.x.pixel(before, *p)][:5], [],
                                 "the show drew outside its window")
                if SHOTS:
                    self.x.save_png(os.path.join(SHOTS, "module-%dx%d.png" % (w, h)))
                self.end_with_sigterm(show)
                host.kill()
                host.wait()

    def test_root_uses_xscreensaver_window(self):
        wid = self.host(300, 200, 320, 240)
        before = self.x.screenshot()
        show = self.lumora("-root", env={"XSCREENSAVER_WINDOW": str(wid)})
        self.check_inside_only(before, (300, 200, 320, 240))
        self.end_with_sigterm(show)

    def test_two_instances_and_the_other_signals(self):
        # 4:3 windows, which the 4:3 picture fills whole.
        left, right = self.host(10, 10, 320, 240), self.host(400, 300, 320, 240)
        before = self.x.screenshot()
        a = self.lumora("-window-id", str(left))
        b = self.lumora("-window-id", str(right))
        self.assertIsNotNone(self.wait_red(self.grid(12, 12, 328, 248) + self.grid(402, 302, 718, 538)))
        shot = self.x.screenshot()
        self.assertEqual(self.x.pixel(shot, 360, 270), self.x.pixel(before, 360, 270))
        for proc, sig in ((a, signal.SIGINT), (b, signal.SIGHUP)):
            proc.send_signal(sig)
            self.assertEqual(wait_exit(proc, 2), 0)

    def test_sigterm_between_transitions_ends_through_the_normal_close(self):
        # No pictures: no transition runs, so the end must not need the
        # fallback that leaves without waiting for one.
        self.home = self.new_home("--value", "qssz=0", "--value", "label=Lumora")
        wid = self.host(100, 80, 400, 300)
        show = self.lumora("-window-id", str(wid))
        # Running: its opening caption is drawn in the window.
        inside = self.grid(100, 80, 500, 380, 2)
        self.assertTrue(until(lambda: (lambda shot: any(is_yellow(self.x.pixel(shot, *p)) for p in inside))(
            self.x.screenshot()), 10, 0.2), "the opening caption never came")
        start = time.time()
        show.send_signal(signal.SIGTERM)
        self.assertEqual(wait_exit(show, 2), 0)
        self.assertLess(time.time() - start, 2.0)
        self.assertNotIn(b"without waiting", show.stderr.read())

    def test_the_window_going_away_ends_the_show(self):
        wid = self.host(100, 80, 400, 300)
        host = self.procs[-1]
        show = self.lumora("-window-id", str(wid))
        self.assertIsNotNone(self.wait_red(self.grid(102, 82, 498, 378)))
        host.kill()  # its X connection closes: the window is destroyed
        host.wait()
        self.assertEqual(wait_exit(show, 3), 0)

    def test_bad_window_ids(self):
        for args in (["-window-id", "0x7fffff0"], ["-window-id", "0"], ["-window-id"]):
            proc = self.lumora(*args)
            status = wait_exit(proc, 10)
            self.assertIn(status, (1, 2), args)
            lines = proc.stderr.read().splitlines()
            self.assertTrue(any(line.startswith(b"lumora: ") for line in lines), args)


if __name__ == "__main__":
    unittest.main()
