#!/usr/bin/env python3
"""The lock on KWin (kwin_wayland's virtual back end, Plasma 5.27), password
on: the show's pictures come up inside the lock's overlay layer surface; a
window shown before the lock and another client's new window neither show
nor get a key; Meta+PgDown (KWin's minimise, typed through its fake input
device, so it passes KWin's shortcuts as a keyboard's would) and KWin's
other window actions (run through kglobalaccel) neither hide nor end the
lock; the right password ends it with status 0.
What it cannot see: a desktop behind the lock (KWin alone draws black, like
the lock's covers), so coverage is judged by the show's picture in the
middle and no other window's cyan anywhere."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import compositor  # noqa: E402
from show_case import KWinCase, await_output, end_process, wait_exit  # noqa: E402

KEY_WINDOW = os.environ.get("KEY_WINDOW", "key_window")
CYAN = (0, 255, 255)
PICTURES = {(255, 0, 0), (0, 255, 0), (0, 0, 255)}
PROMPT = {(255, 255, 255)}  # the middle of the password prompt
PASSWORD_HOME = ("--solid", "3", "--value", "jgsj=1", "--value", "tptc=-1",
                 "--desktop", "ScreenSaveUsePassword=1", "--desktop", "mima=abc")


def colours(shot, step=13):
    """The screenshot's colours on a grid (any window shows on it)."""
    w, h, _ = shot
    return {compositor.pixel(shot, x, y) for x in range(0, w, step) for y in range(0, h, step)}


class LockOnKWin(KWinCase):
    reachable = (KEY_WINDOW, KWinCase.screenshot_tool)

    def assert_covered(self, lock, when, middle=PICTURES):
        shot = self.kwin.screenshot()
        w, h, _ = shot
        self.assertIn(compositor.pixel(shot, w // 2, h // 2), middle, "%s: not the lock in the middle" % when)
        self.assertNotIn(CYAN, colours(shot), "%s: another window shows" % when)
        self.assertIsNone(lock.poll(), "%s: the lock ended" % when)

    def key_window(self):
        window = self.spawn([KEY_WINDOW], env={"QT_QPA_PLATFORM": "wayland"}, bufsize=0)
        self.assertIsNotNone(await_output(window.stdout, b"shown", 20), "the other window did not come up")
        return window

    def test_held_through_a_new_window_and_window_shortcuts(self):
        # A window on the desktop before the lock, with the focus; the
        # desktop itself is black, as the lock's covers are.
        before = self.key_window()
        self.assertIsNotNone(self.screen_until(lambda s: CYAN in colours(s), 10),
                             "the window before the lock does not show")
        # The keys do reach KWin: Meta+PgDown hides that window. Another
        # takes its place and the focus.
        self.kwin.key("Super_L+Next")
        self.assertIsNotNone(self.screen_until(lambda s: CYAN not in colours(s), 5), "Meta+PgDown did nothing")
        end_process(before)
        before = self.key_window()
        home = self.new_home(*PASSWORD_HOME)
        lock = self.start(home, "/S", env={"LUMORA_EFFECT": "0"}, bufsize=0)
        said = await_output(lock.stderr, b"the screen is held by", 20)
        self.assertIsNotNone(said, "the lock did not say how it holds the screen:\n" + self.kwin.log()[-2000:])
        self.assertIn(b"overlay layer surfaces", said[-1])
        centre = (self.size[0] // 2, self.size[1] // 2)
        self.assertIsNotNone(self.screen_until(lambda s: compositor.pixel(s, *centre) in PICTURES, 20),
                             "no picture inside the lock")
        self.assert_covered(lock, "at the start")

        other = self.key_window()
        time.sleep(1)
        self.assert_covered(lock, "with another client's new window")

        self.kwin.key("Super_L+Next", "a", "b")
        time.sleep(0.5)
        # The keys went to the lock: its prompt is up.
        self.assert_covered(lock, "after Meta+PgDown and keys", PROMPT)
        # KWin's other ways to hide or move the active window.
        for action in ("Window Minimize", "Window Fullscreen", "Show Desktop", "Switch to Next Desktop"):
            self.kwin.shortcut(action)
            time.sleep(0.5)
            self.assert_covered(lock, "after KWin's " + action, PICTURES | PROMPT)

        # The right password ends it, after the wait the wrong one started.
        time.sleep(1.5)
        self.kwin.key("space")
        time.sleep(0.6)
        self.kwin.key("BackSpace", "BackSpace", "a", "b", "c")
        time.sleep(0.3)
        self.kwin.key("Return")
        status = wait_exit(lock, 10)
        if status is None:
            lock.kill()
        err = lock.communicate()[1].decode(errors="replace")
        self.assertEqual(status, 0, err)
        for window in (before, other):
            window.kill()
            self.assertNotIn(b"key", window.communicate()[0], "another window got keys")


if __name__ == "__main__":
    unittest.main()
