#!/usr/bin/env python3
"""The lock on KWin (kwin_wayland's virtual back end, Plasma 5.27), password
on: the show's pictures come up inside the lock's overlay layer surface;
another client's new window neither shows nor gets a key; KWin's
Meta+PgDown (minimise the active window) and its other window shortcuts,
run through kglobalaccel, neither hide nor end the lock; SIGTERM ends it
with status 0.
What it cannot see: a desktop behind the lock (KWin alone draws black, like
the lock's covers), so coverage is judged by the show's picture in the
middle and no other window's cyan anywhere; and keys, which cannot be typed
into KWin 5.27 in a container (compositor.KWin says why), so neither the
password nor which window gets the keyboard is checked here."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import compositor  # noqa: E402
from show_case import KWinCase, await_output, wait_exit  # noqa: E402

KEY_WINDOW = os.environ.get("KEY_WINDOW", "key_window")
CYAN = (0, 255, 255)
PICTURES = {(255, 0, 0), (0, 255, 0), (0, 0, 255)}
PASSWORD_HOME = ("--solid", "3", "--value", "jgsj=1", "--value", "tptc=-1",
                 "--desktop", "ScreenSaveUsePassword=1", "--desktop", "mima=abc")


def colours(shot, step=13):
    """The screenshot's colours on a grid (any window shows on it)."""
    w, h, _ = shot
    return {compositor.pixel(shot, x, y) for x in range(0, w, step) for y in range(0, h, step)}


class LockOnKWin(KWinCase):
    reachable = (KEY_WINDOW, KWinCase.screenshot_tool)

    def assert_covered(self, lock, when):
        shot = self.kwin.screenshot()
        w, h, _ = shot
        self.assertIn(compositor.pixel(shot, w // 2, h // 2), PICTURES, "%s: no picture in the middle" % when)
        self.assertNotIn(CYAN, colours(shot), "%s: another window shows" % when)
        self.assertIsNone(lock.poll(), "%s: the lock ended" % when)

    def key_window(self):
        window = self.spawn([KEY_WINDOW], env={"QT_QPA_PLATFORM": "wayland"}, bufsize=0)
        self.assertIsNotNone(await_output(window.stdout, b"shown", 20), "the other window did not come up")
        return window

    def test_held_through_a_new_window_and_window_shortcuts(self):
        # A window on the desktop before the lock, with the focus; the
        # desktop itself is black, as the lock's covers are.
        self.key_window()
        self.assertIsNotNone(self.screen_until(lambda s: CYAN in colours(s), 10),
                             "the window before the lock does not show")
        # Meta+PgDown's action does reach KWin: it hides that window.
        self.kwin.shortcut("Window Minimize")
        self.assertIsNotNone(self.screen_until(lambda s: CYAN not in colours(s), 5), "Window Minimize did nothing")
        home = self.new_home(*PASSWORD_HOME)
        lock = self.start(home, "/S", env={"LUMORA_EFFECT": "0"}, bufsize=0)
        said = await_output(lock.stderr, b"the screen is held by", 20)
        self.assertIsNotNone(said, "the lock did not say how it holds the screen:\n" + self.kwin.log()[-2000:])
        self.assertIn(b"overlay layer surfaces", said[-1])
        centre = (self.size[0] // 2, self.size[1] // 2)
        self.assertIsNotNone(self.screen_until(lambda s: compositor.pixel(s, *centre) in PICTURES, 20),
                             "no picture inside the lock")
        self.assert_covered(lock, "at the start")

        self.key_window()
        time.sleep(1)
        self.assert_covered(lock, "with another client's new window")

        # KWin's Meta+PgDown, and the other ways it hides or moves the
        # active window: the lock's surface stays over everything.
        for action in ("Window Minimize", "Window Fullscreen", "Show Desktop", "Switch to Next Desktop"):
            self.kwin.shortcut(action)
            time.sleep(0.5)
            self.assert_covered(lock, "after KWin's " + action)

        # No key can be typed into KWin here: it ends on SIGTERM, status 0.
        lock.terminate()
        self.assertEqual(wait_exit(lock, 10), 0, lock.communicate()[1].decode(errors="replace"))


if __name__ == "__main__":
    unittest.main()
