#!/usr/bin/env python3
"""End-to-end tests of what the show puts on the screen between transitions:
whenever the screen stands still it shows one of the pictures whole, exactly
as `lumora-tool compose` fits it (outside the caption, when captions are on);
and with two monitors both are covered and a key on the second ends the show.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from show_case import ShowCase, until, wait_exit  # noqa: E402
from xsession import XSession, ppm_pixels  # noqa: E402

TOOL = os.environ["LUMORA_TOOL"]
SHOTS = os.environ.get("LUMORA_SHOTS")
# The longest watch; it ends sooner once every picture has stood still.
WATCH_SECONDS = float(os.environ.get("LUMORA_WATCH_SECONDS", "30"))

# Four photograph-like pictures (fractal plasma, JPEG), every one larger than
# the fitting threshold, in landscape and portrait.
PHOTOS = [(1600, 1200), (1200, 1600), (2000, 1000), (900, 700)]


def make_photos(folder):
    paths = []
    for i, (w, h) in enumerate(PHOTOS):
        path = os.path.join(folder, "photo%d.jpg" % (i + 1))
        subprocess.run(["convert", "-seed", str(17 + i), "-size", "%dx%d" % (w, h), "plasma:fractal",
                        "-blur", "0x1", "-quality", "90", path], check=True)
        paths.append(path)
    return paths


def composed(picture, width, height, folder):
    """FrameBitmap of the picture as the slide step fits it (RGB bytes)."""
    out = os.path.join(folder, os.path.basename(picture) + ".ppm")
    subprocess.run([TOOL, "compose", picture, "--screen", "%dx%d" % (width, height), "--tptc", "0",
                    "--pp", "-1", "--out", out], check=True, stdout=subprocess.DEVNULL)
    with open(out, "rb") as f:
        return ppm_pixels(f.read())[2]


def differing_box(a, b, width, height):
    """The bounding box (x0, y0, x1, y1) of the pixels where a and b differ,
    and how many of their bytes differ ((None, 0) when they are equal)."""
    if a == b:
        return None, 0
    x = (int.from_bytes(a, "big") ^ int.from_bytes(b, "big")).to_bytes(len(a), "big")
    row = width * 3
    zero = bytes(row)
    box = None
    for y in range(height):
        r = x[y * row:(y + 1) * row]
        if r == zero:
            continue
        x0 = (row - len(r.lstrip(b"\0"))) // 3
        x1 = (len(r.rstrip(b"\0")) + 2) // 3
        box = (x0, y, x1, y + 1) if box is None else (min(box[0], x0), box[1], max(box[2], x1), y + 1)
    return box, len(x) - x.count(0)


def nearest_frame(shot, frames):
    """The index of the picture the screenshot differs least from."""
    return min(range(len(frames)), key=lambda i: differing_box(shot, frames[i], 1024, 768)[1])


class StillScreensTest(ShowCase):
    @classmethod
    def setUpClass(cls):
        # The pictures and how the slide step fits them, made once.
        cls.tmp = tempfile.mkdtemp(prefix="lumora-pictures-")
        cls.photos = make_photos(cls.tmp)
        cls.frames = [composed(p, 1024, 768, cls.tmp) for p in cls.photos]

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def save(self, shot, name):
        """Keeps a screenshot as PPM in LUMORA_SHOTS (or the scratch folder);
        returns its path."""
        path = os.path.join(SHOTS or self.tmp, name)
        with open(path, "wb") as f:
            f.write(b"P6\n1024 768\n255\n" + shot)
        return path

    def close_to_a_picture(self, shot, share):
        return any(differing_box(shot, f, 1024, 768)[1] < 1024 * 768 * 3 * share for f in self.frames)

    def watch(self, home, caption_share=0.0):
        """Screenshots every 0.4 s from the first picture on (up to
        `caption_share` of it may differ, for a caption), until at least ten
        screens stood still and every picture was among them (at most
        WATCH_SECONDS); the second of each pair of equal consecutive
        screenshots."""
        show = self.start(home, "/S", stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            def picture_shown():
                shot = self.x.screenshot()[2]
                return any(shot == f for f in self.frames) or (
                    caption_share > 0 and self.close_to_a_picture(shot, caption_share))
            self.assertTrue(until(picture_shown, 30, 0.3), "no picture came")
            shots, still, pictures = [], [], set()
            t0 = time.time()
            next_shot = t0
            while time.time() - t0 < WATCH_SECONDS and (len(still) < 10 or len(pictures) < len(self.frames)):
                time.sleep(max(0.0, next_shot - time.time()))
                next_shot += 0.4
                shot = self.x.screenshot()[2]
                if shots and shot == shots[-1]:
                    still.append(shot)
                    pictures.add(nearest_frame(shot, self.frames))
                shots.append(shot)
            watched = time.time() - t0
            self.assertIsNone(show.poll(), "the show ended by itself")
        finally:
            self.x.key("space")
            wait_exit(show, 10)
        if SHOTS:
            for k in sorted({0, len(still) // 2, len(still) - 1} if still else ()):
                self.save(still[k], "%s-still-%d.ppm" % (self._testMethodName, k))
        self.assertGreaterEqual(len(shots), int(watched / 0.4) // 2)
        # With 2 s pauses there are still moments in every picture's turn.
        self.assertGreaterEqual(len(still), 10)
        return still

    def test_still_screens_show_a_whole_picture(self):
        home = self.new_home("--value", "jgsj=2", "--value", "tpbh=0", "--value", "wzbh=0",
                         "--value", "yysz=0", "--value", "tptc=0", "--value", "pp=-1")
        self.write_pictures(home)
        still = self.watch(home)
        shown = set()
        for k, shot in enumerate(still):
            matches = [i for i, f in enumerate(self.frames) if f == shot]
            if not matches:
                box, count = differing_box(shot, self.frames[nearest_frame(shot, self.frames)], 1024, 768)
                self.fail("still screen %d is no whole picture: %d bytes differ in %s (%s)"
                          % (k, count, box, self.save(shot, "not-whole-%d.ppm" % k)))
            shown.update(matches)
        self.assertGreaterEqual(len(shown), 3, "the show should have gone through the pictures")

    def test_with_captions_the_picture_is_whole_outside_the_caption(self):
        home = self.new_home("--value", "jgsj=2", "--value", "tpbh=0", "--value", "wzbh=1",
                         "--value", "yysz=0", "--value", "tptc=0", "--value", "pp=-1",
                         "--captions", "你好世界", "春眠不觉晓")
        self.write_pictures(home)
        still = self.watch(home, caption_share=0.12)
        for k, shot in enumerate(still):
            best = None
            for f in self.frames:
                box, count = differing_box(shot, f, 1024, 768)
                if best is None or count < best[1]:
                    best = (box, count)
            box, count = best
            if box is None:
                continue  # nothing of the caption visible (two spaces, or off the screen)
            area = (box[2] - box[0]) * (box[3] - box[1])
            # The caption is one line, one column or one shadowed text: the
            # rest of the screen is the picture.
            where = "still screen %d: %d bytes differ in %s" % (k, count, box)
            if area >= 1024 * 768 * 0.35 or count >= 1024 * 768 * 3 * 0.12:
                self.fail(where + " (%s)" % self.save(shot, "not-whole-%d.ppm" % k))

    def write_pictures(self, home):
        with open(os.path.join(home, "Lumora_Studio", "pic.txt"), "wb") as f:
            f.write(b"".join(p.encode() + b"\r\n" for p in self.photos))


class TwoScreens(XSession):
    """An X server with two screens side by side (":N.0" and ":N.1"), which
    Qt reports as two screens; white roots, so that a desktop left uncovered
    shows."""

    def __init__(self):
        super().__init__(1024, 768, ["-wr", "-screen", "0", "1024x768x24", "-screen", "1", "1024x768x24"])

    def on_screen(self, n):
        """The environment of a client of screen n."""
        return dict(self.env, DISPLAY="%s.%d" % (self.display, n))

    def shot_of(self, n):
        return ppm_pixels(subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"],
                                         env=self.on_screen(n), capture_output=True).stdout)


class TwoMonitorsTest(ShowCase):
    def make_session(self):
        return TwoScreens()

    def white_on_first(self, first):
        return sum(1 for x in range(0, 1024, 8) for y in range(0, 768, 8)
                   if self.x.pixel(first, x, y) == (255, 255, 255))

    def test_both_covered_and_a_key_on_the_second_ends_the_show(self):
        home = self.new_home("--pictures", "2", "--value", "jgsj=1", "--value", "yysz=0")
        self.assertEqual(set(self.x.shot_of(1)[2]), {255}, "the second screen starts white")
        show = self.start(home, "/S", stdout=subprocess.DEVNULL)
        try:
            # Until both screens are covered (or 10 s): then the checks.
            until(lambda: set(self.x.shot_of(1)[2]) == {0} and self.white_on_first(self.x.shot_of(0)) == 0, 10, 0.3)
            first, second = self.x.shot_of(0), self.x.shot_of(1)
            if SHOTS:
                for n in (0, 1):
                    subprocess.run(["import", "-silent", "-window", "root",
                                    os.path.join(SHOTS, "monitor-%d.png" % n)], env=self.x.on_screen(n))
            self.assertIsNone(show.poll())
            # The second screen is black all over; nothing white (the
            # desktop) on the first, where the show runs.
            self.assertEqual(set(second[2]), {0})
            self.assertEqual(self.white_on_first(first), 0, "the desktop shows on the first screen")
            # A key on the second screen's cover ends the show.
            env = self.x.on_screen(1)
            windows = subprocess.run(["xdotool", "search", "--onlyvisible", "--screen", "1", "--name", ".*"],
                                     env=env, capture_output=True, text=True).stdout.split()
            self.assertTrue(windows, "nothing covers the second screen")
            subprocess.run(["xdotool", "mousemove", "--screen", "1", "500", "400"], env=env)
            subprocess.run(["xdotool", "windowfocus", "--sync", windows[-1]], env=env)
            subprocess.run(["xdotool", "key", "space"], env=env)
            self.assertEqual(wait_exit(show, 10), 0)
        finally:
            if show.poll() is None:
                show.kill()
                show.wait()


if __name__ == "__main__":
    unittest.main()
