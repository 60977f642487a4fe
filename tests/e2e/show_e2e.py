#!/usr/bin/env python3
"""End-to-end tests of the show on a real X server: the opening caption, the
end on a key (also while another window has the focus), the password set
through "/A" and asked at the end, and the pictures shown in list order."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from show_case import ShowCase, until, wait_exit  # noqa: E402

HOST_WINDOW = os.environ.get("HOST_WINDOW")  # a window that takes the focus
SHOTS = os.environ.get("LUMORA_SHOTS")


class ShowTest(ShowCase):
    def focus_taken(self, other):
        """Waits until the window that `other` (host_window) prints the id of
        has the input focus."""
        wid = int(other.stdout.readline())
        return until(lambda: self.x.run("xdotool", "getwindowfocus", capture_output=True,
                                        text=True).stdout.strip() == str(wid), 5, 0.05)

    def yellow_pixels(self, shot, y0, y1):
        w = shot[0]
        count = 0
        for y in range(y0, y1, 2):
            for x in range(0, w, 2):
                r, g, b = self.x.pixel(shot, x, y)
                if r > 200 and g > 200 and b < 80:
                    count += 1
        return count

    def test_opening_caption_then_a_key_ends_the_show(self):
        home = self.new_home("--value", "qssz=0", "--value", "label=你好 Lumora")
        show = self.start(home, "/S")
        shot = until(lambda: (lambda s: s if self.yellow_pixels(s, 340, 480) > 200 else None)(self.x.screenshot()),
                     10, 0.2) or self.x.screenshot()
        if SHOTS:
            self.x.save_png(os.path.join(SHOTS, "opening-caption.png"))
        # Yellow text around the middle of the screen, none at the top.
        self.assertGreater(self.yellow_pixels(shot, 340, 480), 200)
        self.assertEqual(self.yellow_pixels(shot, 0, 200), 0)
        self.x.key("space")
        self.assertEqual(wait_exit(show, 10), 0)

    @unittest.skipUnless(HOST_WINDOW, "HOST_WINDOW is not set")
    def test_a_key_ends_the_show_while_another_window_has_the_focus(self):
        # A program that takes the input focus while the show runs (a
        # notification, a window that maps itself) does not get the keys:
        # the show has grabbed the keyboard and the pointer.
        home = self.new_home("--value", "qssz=0")
        show = self.start(home, "/S")
        self.assertTrue(self.await_keyboard(), "the show never took the keyboard")
        other = subprocess.Popen([HOST_WINDOW, "0", "0", "10", "10", "--focus"], env=self.x.env,
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            self.assertTrue(self.focus_taken(other), "the other window did not take the focus")
            self.x.key("space")
            self.assertEqual(wait_exit(show, 10), 0, "the key went to the other window")
        finally:
            other.kill()
            other.wait()
            if show.poll() is None:
                show.kill()
                show.wait()

    def test_password_set_with_slash_a_is_asked_at_the_end(self):
        home = self.new_home("--desktop", "ScreenSaveUsePassword=1")
        setter = self.start(home, "/A")
        self.assertIsNotNone(self.x.window_named("更改密码"))
        self.assertTrue(self.await_still(), "the password window was never drawn")
        self.x.type("abc")
        self.x.key("Tab")
        self.x.type("abc")
        self.x.key("Return")  # confirm
        self.assertIsNotNone(self.x.window_named("Lumora"))
        self.x.key("Return")  # the success message
        self.assertEqual(wait_exit(setter, 10), 0)
        with open(os.path.join(home, "registry.reg"), "rb") as f:
            text = f.read()
        self.assertIn(b'"mima"="$y$', text)  # a salted hash, never the password itself
        self.assertNotIn(b"aAbAcA", text)

        show = self.start(home, "/S")
        self.assertTrue(self.await_keyboard(), "the show never took the keyboard")
        self.x.key("space")
        self.assertTrue(self.prompt_shown(), "no password prompt")
        self.x.type("ABC")
        self.x.key("Return")
        self.assertTrue(until(lambda: not self.prompt_shown(timeout=0), 10, 0.1), "the prompt stayed after its answer")
        # What is checked: the show is still there a second later.
        self.assertIsNone(wait_exit(show, 1.0), "a wrong password must keep the show")
        self.x.key("space")
        self.assertTrue(self.prompt_shown(), "no password prompt the second time")
        # The prompt keeps the previous entry: clear it, then the right one.
        self.x.key("ctrl+a", "BackSpace")
        self.x.type("abc")
        self.x.key("Return")
        self.assertEqual(wait_exit(show, 10), 0)

    @unittest.skipUnless(HOST_WINDOW, "HOST_WINDOW is not set")
    def test_the_prompt_keeps_the_typing_while_another_window_takes_the_focus(self):
        # The prompt is inside the show's window, which keeps its grab while
        # the prompt is open: a window that maps itself and takes the focus
        # then gets none of the password.
        home = self.new_home("--desktop", "ScreenSaveUsePassword=1", "--desktop", "mima=abc")
        show = self.start(home, "/S")
        other = None
        try:
            self.assertTrue(self.await_keyboard(), "the show never took the keyboard")
            self.x.key("space")
            self.assertTrue(self.prompt_shown(), "no password prompt")
            other = subprocess.Popen([HOST_WINDOW, "0", "0", "10", "10", "--focus"], env=self.x.env,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            self.assertTrue(self.focus_taken(other), "the other window did not take the focus")
            self.x.type("abc")
            self.x.key("Return")
            self.assertEqual(wait_exit(show, 10), 0, "the password went to the other window")
        finally:
            if other:
                other.kill()
                other.wait()
            if show.poll() is None:
                show.kill()
                show.wait()

    def test_pictures_come_in_list_order(self):
        home = self.new_home("--solid", "3", "--value", "jgsj=1", "--value", "tpbh=0")
        show = self.start(home, "/S", env={"LUMORA_EFFECT": "0"})  # ends with the whole picture
        colours = {(255, 0, 0): 0, (0, 255, 0): 1, (0, 0, 255): 2}
        seen = []
        # Five pictures come in about ten seconds; the deadline leaves room
        # for a busy machine (the loop ends as soon as they came).
        end = time.time() + 25
        while time.time() < end and len(seen) < 5:
            shot = self.x.screenshot()
            c = self.x.pixel(shot, 512, 384)
            if c in colours and (not seen or seen[-1] != colours[c]):
                seen.append(colours[c])
            time.sleep(0.2)
        self.x.key("space")
        wait_exit(show, 10)
        self.assertGreaterEqual(len(seen), 4, seen)
        for a, b in zip(seen, seen[1:]):
            self.assertEqual(b, (a + 1) % 3, seen)


if __name__ == "__main__":
    unittest.main()
