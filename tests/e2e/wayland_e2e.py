#!/usr/bin/env python3
"""The show on Wayland: sway on its headless back end with two outputs, run
by a throwaway user when the test runs as root (compositor.py). Both
outputs are covered, the pictures on the first, the other black; a key ends
the show; the compositor's idle is inhibited on the show's surface; and
nothing is written to standard error while it plays (no grab warnings)."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import compositor  # noqa: E402
from show_case import SwayCase, until, wait_exit  # noqa: E402
from xsession import write_png  # noqa: E402

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


class SwayTwoOutputsTest(SwayCase):
    outputs, size = 2, (1024, 768)

    def await_colours(self, output, point, wanted, timeout=25):
        """The picture colours seen at point until `wanted` different ones came."""
        seen = []

        def enough():
            c = COLOURS.get(compositor.pixel(self.sway.screenshot(output), *point))
            if c and (not seen or seen[-1] != c):
                seen.append(c)
            return len(set(seen)) >= wanted
        until(enough, timeout, 0.3)
        return seen

    def test_both_outputs_covered_pictures_on_the_first_and_a_key_ends(self):
        home = self.new_home("--solid", "3", "--value", "jgsj=1", "--value", "tptc=-1")
        show = self.start(home, "/S", env={"LUMORA_EFFECT": "0"})
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
            def still(both):
                colours = {COLOURS.get(compositor.pixel(both, x, y)) for x, y in
                           ((3, 3), (1020, 764), (512, 384), (512, 3), (512, 764))}
                return len(colours) == 1 and None not in colours
            both = self.screen_until(still, 10) or self.sway.screenshot()
            write_png(both, os.path.join(SHOTS, "desktop-sway-two-outputs.png"), 50)
        # The headless seat has no keyboard until wtype makes its virtual one;
        # wtype waits a moment before the key, so that the show has bound the
        # new keyboard and been given its focus (a real seat has one already).
        # On a busy machine the show may bind it after the key: the key is
        # typed again, on a new virtual keyboard, until the show ends.
        status = None
        for _ in range(4):
            self.sway.run(["wtype", "-s", "800", "-k", "space"], timeout=10, check=True)
            status = wait_exit(show, 5)
            if status is not None:
                break
        if status is None:
            show.kill()
            show.wait()  # for its standard error
        err = show.stderr.read().decode(errors="replace")
        self.assertEqual(status, 0, err)
        self.assertNotIn("grabbing", err)
        # Nothing per frame: a few start-up lines at most.
        self.assertLess(len(err.splitlines()), 5, err)

    def test_the_password_prompt_comes_up_on_the_first_output_and_takes_the_typing(self):
        home = self.new_home("--solid", "1", "--value", "jgsj=1", "--value", "tptc=-1",
                             "--desktop", "ScreenSaveUsePassword=1", "--desktop", "mima=abc")
        show = self.start(home, "/S")
        self.assertEqual(self.await_colours("HEADLESS-1", (512, 384), 1), ["red"])
        self.sway.run(["wtype", "-s", "800", "-k", "space"], timeout=10, check=True)
        # The prompt's light box in the middle of the first output.
        def prompt(shot):
            inside = [compositor.pixel(shot, x, y) for x in range(400, 620, 20) for y in range(330, 440, 20)]
            return sum(1 for p in inside if min(p) > 150) > len(inside) // 2
        self.assertIsNotNone(self.screen_until(prompt, 10, "HEADLESS-1", 0.2), "no password prompt on the first output")
        self.assertIsNone(show.poll(), "the show ended without the password")
        self.sway.run(["wtype", "-s", "300", "abc"], timeout=10, check=True)
        self.sway.run(["wtype", "-s", "300", "-k", "Return"], timeout=10, check=True)
        self.assertEqual(wait_exit(show, 10), 0, "the right password did not end the show")


if __name__ == "__main__":
    unittest.main()
