#!/usr/bin/env python3
"""The show on Wayland: sway on its headless back end with two outputs, run
by a throwaway user when the test runs as root (compositor.py). Both
outputs are covered, the pictures on the first, the other black; a key ends
the show; the compositor's idle is inhibited on the show's surface; and
nothing is written to standard error while it plays (no grab warnings)."""
import os
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import compositor  # noqa: E402
from xsession import make_home, wait_exit, write_png  # noqa: E402

LUMORA = os.environ["LUMORA_BIN"]
SHOTS = os.environ.get("LUMORA_SHOTS")

COLOURS = {(255, 0, 0): "red", (0, 255, 0): "green", (0, 0, 255): "blue"}


def is_black(p):
    return max(p) < 16


def views(node):
    """Every application window in a sway tree."""
    if node.get("type") in ("con", "floating_con") and node.get("pid"):
        yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from views(child)


def output_of(tree, view_id):
    for output in tree.get("nodes", []):
        if any(v["id"] == view_id for v in views(output)):
            return output["name"]
    return None


@unittest.skipUnless(compositor.available("sway", "grim", "wtype", "swaymsg"), "sway, grim or wtype missing")
class SwayTwoOutputsTest(unittest.TestCase):
    def setUp(self):
        try:
            account = compositor.user()
        except (subprocess.CalledProcessError, OSError) as e:
            self.skipTest("no throwaway user for the compositor: %s" % e)
        unreachable = compositor.check_reachable(LUMORA)
        if unreachable:
            self.skipTest("the user %s cannot run the show: %s" % (account.pw_name, unreachable))
        self.sway = compositor.Sway(outputs=2, width=1024, height=768)
        self.addCleanup(self.sway.close)
        self.home = make_home("--solid", "3", "--value", "jgsj=1", "--value", "tptc=-1", prefix="lumora-wl-")
        self.addCleanup(shutil.rmtree, self.home, True)
        compositor.give(self.home)

    def await_colours(self, output, point, wanted, timeout=25):
        seen = []
        end = time.time() + timeout
        while time.time() < end and len(set(seen)) < wanted:
            c = COLOURS.get(compositor.pixel(self.sway.screenshot(output), *point))
            if c and (not seen or seen[-1] != c):
                seen.append(c)
            time.sleep(0.3)
        return seen

    def test_both_outputs_covered_pictures_on_the_first_and_a_key_ends(self):
        show = self.sway.spawn([LUMORA, "/S"], env={"LUMORA_HOME": self.home, "LUMORA_EFFECT": "0",
                                                    "LUMORA_SHUTDOWN": "print"})
        seen = self.await_colours("HEADLESS-1", (512, 384), 2)
        self.assertIsNone(show.poll(), show.stderr.read().decode(errors="replace") if show.poll() is not None else "")
        self.assertGreaterEqual(len(set(seen)), 2, "no pictures on the first output: %s\n%s" % (seen, self.sway.log()[-2000:]))
        first = self.sway.screenshot("HEADLESS-1")
        corners = [compositor.pixel(first, x, y) for x, y in ((3, 3), (1020, 3), (3, 764), (1020, 764))]
        self.assertTrue(all(c in COLOURS for c in corners), corners)
        second = self.sway.screenshot("HEADLESS-2")
        grid = [compositor.pixel(second, x, y) for x in range(0, 1024, 41) for y in range(0, 768, 41)]
        self.assertTrue(all(is_black(p) for p in grid), "the second output is not black")

        # Two full-screen windows of the show, one on each output; the
        # show's own holds the compositor's idle off.
        tree = self.sway.swaymsg("-t", "get_tree")
        mine = [v for v in views(tree) if v.get("pid") == show.pid]
        self.assertEqual(sorted(output_of(tree, v["id"]) for v in mine), ["HEADLESS-1", "HEADLESS-2"])
        self.assertTrue(all(v.get("fullscreen_mode") == 1 for v in mine), mine)
        inhibiting = [output_of(tree, v["id"]) for v in mine if v.get("inhibit_idle")]
        self.assertEqual(inhibiting, ["HEADLESS-1"])

        if SHOTS:
            # Both outputs, half size, while a picture stands whole.
            end = time.time() + 10
            while True:
                both = self.sway.screenshot()
                still = {COLOURS.get(compositor.pixel(both, x, y)) for x, y in
                         ((3, 3), (1020, 764), (512, 384), (512, 3), (512, 764))}
                if len(still) == 1 and None not in still or time.time() > end:
                    break
                time.sleep(0.1)
            write_png(both, os.path.join(SHOTS, "desktop-sway-two-outputs.png"), 50)
        # The headless seat has no keyboard until wtype makes its virtual one;
        # wtype waits a moment before the key, so that the show has bound the
        # new keyboard and been given its focus (a real seat has one already).
        self.sway.run(["wtype", "-s", "800", "-k", "space"], timeout=10, check=True)
        status = wait_exit(show, 10)
        if status is None:
            show.kill()
            show.wait()
        err = show.stderr.read().decode(errors="replace")
        self.assertEqual(status, 0, err)
        self.assertNotIn("grabbing", err)
        # Nothing per frame: a few start-up lines at most.
        self.assertLess(len(err.splitlines()), 5, err)

    def test_the_password_prompt_comes_up_on_the_first_output_and_takes_the_typing(self):
        home = make_home("--solid", "1", "--value", "jgsj=1", "--value", "tptc=-1",
                         "--desktop", "ScreenSaveUsePassword=1", "--desktop", "mima=abc", prefix="lumora-wl-")
        self.addCleanup(shutil.rmtree, home, True)
        compositor.give(home)
        show = self.sway.spawn([LUMORA, "/S"], env={"LUMORA_HOME": home, "LUMORA_SHUTDOWN": "print"})
        self.assertEqual(self.await_colours("HEADLESS-1", (512, 384), 1), ["red"])
        self.sway.run(["wtype", "-s", "800", "-k", "space"], timeout=10, check=True)
        # The prompt's light box in the middle of the first output.
        end = time.time() + 10
        shown = False
        while time.time() < end and not shown:
            shot = self.sway.screenshot("HEADLESS-1")
            inside = [compositor.pixel(shot, x, y) for x in range(400, 620, 20) for y in range(330, 440, 20)]
            shown = sum(1 for p in inside if min(p) > 150) > len(inside) // 2
            time.sleep(0.2)
        self.assertTrue(shown, "no password prompt on the first output")
        self.assertIsNone(show.poll(), "the show ended without the password")
        self.sway.run(["wtype", "-s", "300", "abc"], timeout=10, check=True)
        self.sway.run(["wtype", "-s", "300", "-k", "Return"], timeout=10, check=True)
        status = wait_exit(show, 10)
        if status is None:
            show.kill()
            show.wait()
        self.assertEqual(status, 0, "the right password did not end the show")


if __name__ == "__main__":
    unittest.main()
