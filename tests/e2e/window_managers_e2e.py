#!/usr/bin/env python3
"""The show under real X11 window managers: mutter (GNOME's, --x11
--replace) and openbox with two RandR monitors on one X screen. The
pictures must come up after the opening caption (a window manager keeps
full-screen windows above others, so nothing of the show may be a window of
its own), only on the primary monitor, the other monitor black, and a key
must end the show; with the password on, the prompt comes up over the show
and takes the typing."""
import os
import re
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from show_case import ShowCase, until, wait_exit  # noqa: E402
from xsession import write_png  # noqa: E402

SHOTS = os.environ.get("LUMORA_SHOTS")

COLOURS = {(255, 0, 0): "red", (0, 255, 0): "green", (0, 0, 255): "blue"}


def is_black(p):
    return max(p) < 16


class WindowManagerCase(ShowCase):
    """One X server, one window manager, one show."""

    def start_show(self, home):
        return self.start(home, "/S", env={"LUMORA_EFFECT": "0"})

    def await_colours(self, point, wanted, timeout=20):
        """The picture colours seen at point until `wanted` different ones came."""
        seen = []

        def enough():
            c = COLOURS.get(self.x.pixel(self.x.screenshot(), *point))
            if c and (not seen or seen[-1] != c):
                seen.append(c)
            return len(set(seen)) >= wanted
        until(enough, timeout, 0.2)
        return seen

    def show_windows(self, show):
        """The show's visible top-level windows: {id: xwininfo text}, with
        xprop's _NET_WM_STATE."""
        # With the password on, the lock's windows and its show child's.
        kids = subprocess.run(["ps", "-o", "pid=", "--ppid", str(show.pid)], capture_output=True,
                              text=True).stdout.split()
        ids = []
        for pid in [str(show.pid)] + kids:
            ids += self.x.run("xdotool", "search", "--onlyvisible", "--pid", pid,
                              capture_output=True, text=True).stdout.split()
        out = {}
        for w in ids:
            # Windows inside another of these (the lock's show area, the
            # show playing in it) are not top-level.
            tree = self.x.run("xwininfo", "-children", "-id", w, capture_output=True, text=True).stdout
            parent = re.search(r"Parent window id: (0x[0-9a-f]+)", tree)
            if parent and str(int(parent.group(1), 16)) in ids:
                continue
            info = self.x.run("xwininfo", "-id", w, capture_output=True, text=True).stdout
            if not any("Width: %d" % w in info for w in (1024, 800, 400)):
                continue  # not a full-screen window (Qt's helper windows)
            state = self.x.run("xprop", "-id", w, "_NET_WM_STATE", capture_output=True, text=True).stdout
            out[w] = info + state
        return out

    def map_state(self, window):
        info = self.x.run("xwininfo", "-id", window, capture_output=True, text=True).stdout
        return "IsViewable" if "Map State: IsViewable" in info else "not viewable"

    def await_viewable(self, window, timeout=5):
        """True once the window is mapped again, after it was seen unmapped or
        half a second passed (the window manager may take a moment to take it
        away)."""
        until(lambda: self.map_state(window) != "IsViewable", 0.5, 0.05)
        return until(lambda: self.map_state(window) == "IsViewable", timeout, 0.1)

    def await_windows(self, show, count, timeout=10):
        return until(lambda: len(self.show_windows(show)) == count, timeout, 0.2)

    def save_shot(self, name, still_points=()):
        """With LUMORA_SHOTS set, a half-size picture of the screen there; taken
        when every one of still_points shows one picture colour (no transition
        under way)."""
        if not SHOTS:
            return

        def still(shot):
            colours = {COLOURS.get(self.x.pixel(shot, *p)) for p in still_points}
            return len(colours) <= 1 and None not in colours
        shot = self.screen_until(still, 10) or self.x.screenshot()
        write_png(shot, os.path.join(SHOTS, name), 50)


@unittest.skipUnless(shutil.which("mutter") and shutil.which("dbus-run-session"), "mutter is not installed")
class MutterTest(WindowManagerCase):
    screen = (1024, 768)
    wm = ["dbus-run-session", "--", "mutter", "--x11", "--replace"]

    def test_pictures_come_after_the_opening_caption(self):
        home = self.new_home("--solid", "3", "--value", "jgsj=1", "--value", "tptc=-1", "--value", "qssz=0",
                             "--value", "label=Lumora")
        show = self.start_show(home)
        # The caption first: yellow in the middle band.

        def caption(shot):
            return any(self.x.pixel(shot, x, y)[0] > 200 and self.x.pixel(shot, x, y)[2] < 80
                       and self.x.pixel(shot, x, y)[1] > 200 for y in range(380, 460, 3) for x in range(0, 1024, 3))
        self.assertIsNotNone(self.screen_until(caption, 10, 0), "no opening caption")
        # Then the pictures, one after another, all over the screen.
        seen = self.await_colours((512, 384), 2)
        self.assertGreaterEqual(len(set(seen)), 2, "the show stayed black under mutter: %s" % seen)
        shot = self.x.screenshot()
        corners = [self.x.pixel(shot, x, y) for x, y in ((3, 3), (1020, 3), (3, 764), (1020, 764))]
        self.assertTrue(all(c in COLOURS for c in corners), corners)
        self.save_shot("desktop-mutter-x11.png", [(3, 3), (1020, 764), (512, 384), (512, 3), (512, 764)])
        # One window, managed: full screen and above the others.
        windows = self.show_windows(show)
        self.assertEqual(len(windows), 1, windows)
        info = next(iter(windows.values()))
        self.assertIn("Override Redirect State: no", info)
        self.assertIn("_NET_WM_STATE_FULLSCREEN", info)
        self.x.key("space")
        self.assertEqual(wait_exit(show, 10), 0)

    def test_password_prompt_comes_up_over_the_show(self):
        home = self.new_home("--solid", "1", "--value", "jgsj=1", "--value", "tptc=-1",
                             "--desktop", "ScreenSaveUsePassword=1", "--desktop", "mima=abc")
        show = self.start_show(home)
        self.assertEqual(self.await_colours((512, 384), 1), ["red"])
        # The lock's window bypasses the window manager.
        windows = self.show_windows(show)
        self.assertEqual(len(windows), 1, windows)
        self.assertIn("Override Redirect State: yes", next(iter(windows.values())))
        # Unmapped by another program, the lock is mapped again at once.
        window = next(iter(windows))
        self.x.run("xdotool", "windowunmap", window)
        self.assertTrue(self.await_viewable(window), "the unmapped lock did not come back")
        self.x.key("space")
        # The prompt's 246 x 147 box in the middle, not red, not black.

        def prompt(shot):
            inside = [self.x.pixel(shot, x, y) for x in range(420, 600, 20) for y in range(330, 430, 20)]
            return sum(1 for p in inside if p not in COLOURS and not is_black(p)) > len(inside) // 2
        self.assertIsNotNone(self.screen_until(prompt, 10, 0.2), "no password prompt in the middle of the screen")
        self.save_shot("mutter-prompt.png")
        self.x.type("abc")
        self.x.key("Return")
        self.assertEqual(wait_exit(show, 10), 0, "the right password did not end the show")


@unittest.skipUnless(shutil.which("openbox") and shutil.which("xrandr"), "openbox or xrandr is not installed")
class OpenboxTwoMonitorsTest(WindowManagerCase):
    """One 1600 x 600 X screen split into two RandR monitors; the right one
    is the primary."""
    screen = (1600, 600)

    def setUp(self):
        super().setUp()
        # Xvfb's one output goes to the left monitor (else the server keeps a
        # third monitor for it over both); the right one is the primary.
        for args in (["--setmonitor", "LEFT", "800/211x600/158+0+0", "screen"],
                     ["--setmonitor", "*RIGHT", "800/211x600/158+800+0", "none"]):
            self.x.run("xrandr", *args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        monitors = self.x.run("xrandr", "--listmonitors", capture_output=True, text=True).stdout
        self.assertIn("Monitors: 2", monitors)
        self.assertRegex(monitors, r"\*RIGHT", monitors)
        self.start_wm(["openbox"])

    def test_pictures_on_the_primary_monitor_the_other_black_and_a_key_ends(self):
        home = self.new_home("--solid", "3", "--value", "jgsj=1", "--value", "tptc=-1")
        show = self.start_show(home)
        seen = self.await_colours((1200, 300), 2)
        self.assertGreaterEqual(len(set(seen)), 2, "no pictures on the primary monitor: %s" % seen)
        shot = self.x.screenshot()
        left = [self.x.pixel(shot, x, y) for x in range(0, 800, 37) for y in range(0, 600, 37)]
        self.assertTrue(all(is_black(p) for p in left), "the other monitor is not black")
        right = [self.x.pixel(shot, x, y) for x, y in ((803, 3), (1596, 3), (803, 596), (1596, 596))]
        self.assertTrue(all(p in COLOURS for p in right), right)
        self.save_shot("desktop-openbox-two-monitors.png", [(803, 3), (1596, 596), (1200, 300), (1200, 3), (1200, 596)])
        self.assertEqual(len(self.show_windows(show)), 2)
        # A monitor that goes away is released, one that comes is covered.
        self.x.run("xrandr", "--delmonitor", "LEFT", stdout=subprocess.DEVNULL)
        self.x.run("xrandr", "--setmonitor", "SIDE", "800/211x600/158+0+0", "none", stdout=subprocess.DEVNULL)
        self.x.run("xrandr", "--setmonitor", "LEFT", "400/105x600/158+0+0", "screen", stdout=subprocess.DEVNULL)
        self.assertTrue(self.await_windows(show, 3), self.show_windows(show))
        # Iconified by the window manager, the show and its covers come
        # straight back.
        windows = list(self.show_windows(show))
        for w in windows:
            self.x.run("xdotool", "windowminimize", w)
        for w in windows:
            self.assertTrue(self.await_viewable(w), "an iconified window of the show did not come back")
        self.assertGreaterEqual(len(set(self.await_colours((1200, 300), 2, timeout=10))), 1)
        # A key, with the pointer over the black monitor, ends the show.
        self.x.run("xdotool", "mousemove", "300", "300")
        self.x.key("space")
        self.assertEqual(wait_exit(show, 10), 0)


if __name__ == "__main__":
    unittest.main()
