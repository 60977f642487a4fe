#!/usr/bin/env python3
"""End-to-end round trip on Xvfb: lists and options set in the settings
window ("lumora /C") with the mouse and the keyboard, confirmed, and then
played by the show ("lumora /S") from the same LUMORA_HOME."""
import os
import subprocess
import sys
import time
import unittest

SOURCE = os.environ["LUMORA_SOURCE_DIR"]
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
from show_case import ShowCase, until, wait_exit  # noqa: E402

# Places in the window (594 x 480 at first), in window coordinates.
TAB = {"pictures": (47, 19), "text": (248, 19), "options": (328, 19)}
ADD_ALL_PICTURES = (216, 75)  # "==> 全部添加"
CAPTION_EDIT = (382, 69)      # the caption edit
OPENING_CAPTION = (340, 384)  # the opening caption edit
PAUSE = (497, 316)            # the pause between pictures
CONFIRM = (460, 464)          # "确  定"


class SettingsRoundTrip(ShowCase):
    def setUp(self):
        super().setUp()
        self.home = self.new_home("--solid", "3", prefix="lumora-e2e-settings-")
        # The pictures are on disk but in no list yet. The scratch home is
        # the user's home too, with its pictures folder as the Pictures place.
        open(os.path.join(self.home, "Lumora_Studio", "pic.txt"), "wb").close()
        os.makedirs(os.path.join(self.home, "config"), exist_ok=True)
        with open(os.path.join(self.home, "config", "user-dirs.dirs"), "w") as f:
            f.write('XDG_PICTURES_DIR="$HOME/pictures"\n')

    def start(self, *args, env=None):
        e = dict(LUMORA_AUDIO="silent", HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                 **(env or {}))
        return super().start(self.home, *args, env=e, cwd=os.path.join(self.home, "pictures"),
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def yellow_pixels(self, shot):
        return sum(1 for y in range(340, 480, 2) for x in range(0, shot[0], 2)
                   if (lambda p: p[0] > 200 and p[1] > 200 and p[2] < 80)(self.x.pixel(shot, x, y)))

    def click(self, win, where):
        """Clicks in the window and waits until what the click changed is
        drawn (every click here changes the window: a tab, the list, a
        caret)."""
        before = self.x.screenshot()
        self.x.run("xdotool", "mousemove", "--window", win, str(where[0]), str(where[1]), "click", "1")
        self.await_change(before, 5)
        self.await_still(5, 0.05)

    def replace_text(self, win, where, text):
        self.click(win, where)
        self.x.key("ctrl+a", "BackSpace")
        self.x.type(text)

    def test_what_the_window_confirms_the_show_plays(self):
        window = self.start("/C")
        win = self.x.window_named("Lumora V3.70", timeout=20)
        self.assertIsNotNone(win)
        self.assertTrue(self.await_still(), "the settings window was never drawn")
        self.click(win, ADD_ALL_PICTURES)  # the picture tab opens on the Pictures folder
        self.click(win, TAB["text"])
        self.click(win, CAPTION_EDIT)
        self.x.type("round trip")
        self.x.key("Return")
        self.click(win, TAB["options"])
        self.replace_text(win, OPENING_CAPTION, "Hello Lumora")
        self.replace_text(win, PAUSE, "3")
        self.click(win, CONFIRM)
        self.assertEqual(wait_exit(window, 10), 0)

        with open(os.path.join(self.home, "Lumora_Studio", "pic.txt"), "rb") as f:
            pics = f.read().split(b"\r\n")
        self.assertEqual([os.path.basename(p) for p in pics[:-1]], [b"solid1.bmp", b"solid2.bmp", b"solid3.bmp"])
        with open(os.path.join(self.home, "Lumora_Studio", "label.txt"), "rb") as f:
            self.assertEqual(f.read(), b"round trip\r\n")
        with open(os.path.join(self.home, "registry.reg"), "rb") as f:
            reg = f.read()
        self.assertIn(b'"label"="HAeAlAlAoA ALAuAmAoArAaA"', reg)
        self.assertIn(b'"jgsj"=dword:00000003', reg)
        self.assertIn(b'"qssz"=dword:00000000', reg)

        show = self.start("/S", env={"LUMORA_EFFECT": "0"})
        yellow = until(lambda: self.yellow_pixels(self.x.screenshot()) > 100, 10, 0.2)
        self.assertTrue(yellow, "the opening caption confirmed in the window")
        colours = {(255, 0, 0): 0, (0, 255, 0): 1, (0, 0, 255): 2}
        seen = []
        end = time.time() + 25
        while time.time() < end and len(seen) < 4:
            c = self.x.pixel(self.x.screenshot(), 512, 384)
            if c in colours and (not seen or seen[-1] != colours[c]):
                seen.append(colours[c])
            time.sleep(0.2)
        self.x.key("space")
        self.assertEqual(wait_exit(show, 10), 0)
        self.assertEqual(seen, [0, 1, 2, 0])


if __name__ == "__main__":
    unittest.main()
