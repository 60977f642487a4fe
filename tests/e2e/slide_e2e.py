#!/usr/bin/env python3
"""End-to-end tests of the slide step on a real X server: a picture that
cannot be read is reported in a box that removes itself while the show goes
on to the next picture by itself, and input during the report ends the show."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from show_case import ShowCase, until, wait_exit  # noqa: E402

SHOTS = os.environ.get("LUMORA_SHOTS")

RED, GREEN, BLUE = (255, 0, 0), (0, 255, 0), (0, 0, 255)
REPORT_BOX = (40, 40, 48)  # the report's background


class SlideTest(ShowCase):
    def report_pixels(self, shot):
        """Pixels of the report's box in the band at the top of the screen."""
        w = shot[0]
        return sum(1 for y in range(16, 100, 2) for x in range(0, w, 4)
                   if self.x.pixel(shot, x, y) == REPORT_BOX)

    def test_unreadable_picture_is_reported_and_the_show_goes_on(self):
        home = self.new_home("--solid", "3", "--value", "jgsj=2", "--value", "tpbh=0")
        broken = os.path.join(home, "pictures", "broken.gif")
        with open(broken, "wb") as f:
            f.write(b"this is no picture at all")
        pics = os.path.join(home, "Lumora_Studio", "pic.txt")
        with open(pics, "rb") as f:
            entries = f.read().split(b"\r\n")
        entries[1] = broken.encode()
        with open(pics, "wb") as f:
            f.write(b"\r\n".join(entries))

        show = self.start(home, "/S", env={"LUMORA_EFFECT": "0"})  # ends with the whole picture
        events = []  # ("red" | "report" | "blue" | "report gone", time)
        report_seen = False
        end = time.time() + 20
        while time.time() < end:
            shot = self.x.screenshot()
            centre = self.x.pixel(shot, 512, 384)
            box = self.report_pixels(shot)
            now = time.time()
            names = [e[0] for e in events]
            if centre == RED and "red" not in names:
                events.append(("red", now))
            if box > 500 and "report" not in names:
                events.append(("report", now))
                report_seen = True
                if SHOTS:
                    self.x.save_png(os.path.join(SHOTS, "picture-error-report.png"))
            if centre == BLUE and "blue" not in names:
                events.append(("blue", now))
            if report_seen and box == 0 and "report gone" not in names:
                events.append(("report gone", now))
            if {"red", "report", "blue", "report gone"} <= set(e[0] for e in events):
                break
            self.assertIsNone(show.poll(), "the show ended by itself")
            time.sleep(0.2)
        # Nothing was pressed: the show reached the third picture by itself.
        names = [e[0] for e in events]
        self.assertEqual(names[:2], ["red", "report"], events)
        self.assertIn("blue", names, events)
        self.assertIn("report gone", names, events)
        when = dict(events)
        # The report did not hold the show: the next picture came at its
        # time (one pause after the report), while or just after it showed.
        self.assertLess(when["blue"] - when["report"], 4.5, events)
        # It stayed a few seconds, then removed itself.
        self.assertGreater(when["report gone"] - when["report"], 2.0, events)
        self.assertLess(when["report gone"] - when["report"], 7.0, events)
        # The spot it covered shows the picture beneath again, not the box.
        shot = self.x.screenshot()
        self.assertEqual(self.report_pixels(shot), 0)

        self.x.key("space")
        self.assertEqual(wait_exit(show, 10), 0)
        err = show.stderr.read().decode("utf-8", "replace")
        self.assertIn("broken.gif: Not a valid GIF file.", err)

    def test_a_key_while_the_report_shows_ends_the_show(self):
        home = self.new_home("--value", "jgsj=1")
        broken = os.path.join(home, "pictures", "broken.gif")
        with open(broken, "wb") as f:
            f.write(b"GIF but not really")
        with open(os.path.join(home, "Lumora_Studio", "pic.txt"), "wb") as f:
            f.write(broken.encode() + b"\r\n")
        show = self.start(home, "/S")
        self.assertTrue(until(lambda: self.report_pixels(self.x.screenshot()) > 500, 10, 0.2))
        self.x.key("space")
        self.assertEqual(wait_exit(show, 10), 0)


if __name__ == "__main__":
    unittest.main()
