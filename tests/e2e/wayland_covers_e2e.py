#!/usr/bin/env python3
"""The lock's covers on Wayland (lock/wayland), driven by a probe program as
the lock drives them: on sway with two outputs on a magenta desktop they hold
both outputs through the compositor's own keys, its IPC, outputs added and
other clients' windows, and only the probe gets the keys; on mutter, which
offers no way to hold the screen, another window taking the focus is
reported at once."""
import os
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import compositor  # noqa: E402
from show_case import MutterCase, SwayCase, await_output, until, wait_exit  # noqa: E402

PROBE = os.environ.get("COVERS_PROBE", "wayland_covers_probe")
KEY_WINDOW = os.environ.get("KEY_WINDOW", "key_window")
MAGENTA, RED, PROMPT = (255, 0, 255), (255, 0, 0), (212, 208, 200)


def grid(shot, step=37):
    w, h, _ = shot
    return [compositor.pixel(shot, x, y) for x in range(0, w, step) for y in range(0, h, step)]


class CoversOnSway(SwayCase):
    outputs, size = 2, (640, 480)
    reachable = (PROBE, KEY_WINDOW)
    runs_build_tree = False

    def make_compositor(self):
        # A magenta desktop, and bindings that leave a trace when they run.
        self.marks = tempfile.mkdtemp(prefix="lumora-marks-")
        os.chmod(self.marks, 0o777)
        self.addCleanup(subprocess.run, ["rm", "-rf", self.marks])
        extra = "".join("output HEADLESS-%d bg #ff00ff solid_color\n" % (i + 1) for i in range(self.outputs))
        extra += ("set $mod Mod4\nbindsym $mod+3 workspace 3\n"
                  "bindsym $mod+Return exec touch %s/terminal\n" % self.marks)
        self.sway = compositor.Sway(outputs=self.outputs, width=self.size[0], height=self.size[1], config_extra=extra)
        return self.sway

    def start_probe(self):
        # Unbuffered: await_output reads line by line after select().
        probe = self.spawn([PROBE, "--colour", "ff0000", "--password", "secret"], bufsize=0)
        lines = await_output(probe.stdout, b"ready", 20)
        if lines is None:
            probe.kill()
            self.fail("the covers never became ready: %s" % probe.communicate()[1].decode())
        self.assertIn(b"hold layer-shell+inhibitor\n", lines)
        return probe

    def assert_covered(self, outputs):
        """Red (and the prompt) on the first output, black on the others,
        nothing else: no desktop, no other window."""
        for name in outputs:
            wanted = (RED, PROMPT) if name == "HEADLESS-1" else ((0, 0, 0),)
            shot = self.sway.screenshot(name)
            wrong = [p for p in grid(shot) if p not in wanted]
            self.assertFalse(wrong, "%s shows %s" % (name, sorted(set(wrong))[:5]))

    def focused_workspace(self):
        return [w["name"] for w in self.sway.swaymsg("-t", "get_workspaces") if w["focused"]]

    def test_both_outputs_held_through_bindings_ipc_kills_and_other_windows(self):
        before = self.sway.screenshot("HEADLESS-2")
        self.assertEqual(set(grid(before)), {MAGENTA}, "the desktop is not magenta")
        probe = self.start_probe()
        names = ["HEADLESS-1", "HEADLESS-2"]
        self.assert_covered(names)
        workspace = self.focused_workspace()

        # Another client's window opens meanwhile: it stays under the covers.
        other = self.spawn([KEY_WINDOW], env={"QT_QPA_PLATFORM": "wayland"}, bufsize=0)
        self.assertIsNotNone(await_output(other.stdout, b"shown", 20), "the other window never came up")
        time.sleep(1)
        self.assert_covered(names)

        # The compositor's own bindings do nothing while the lock is up.
        self.sway.run(["wtype", "-s", "500", "-M", "logo", "-k", "3", "-m", "logo"], check=True)
        self.sway.run(["wtype", "-s", "300", "-M", "logo", "-k", "Return", "-m", "logo"], check=True)
        self.sway.run(["wtype", "-s", "300", "x"], check=True)
        self.assertIsNotNone(await_output(probe.stdout, b"key x", 10), "the lock never got the key")
        time.sleep(0.5)
        self.assertFalse(os.path.exists(os.path.join(self.marks, "terminal")), "Mod+Return opened a terminal")
        self.assertEqual(self.focused_workspace(), workspace, "Mod+3 changed the workspace")

        # IPC: another workspace, and killing whatever is focused. The lock's
        # surfaces are no views of the tree: nothing names them to kill.
        self.sway.swaymsg("workspace", "3")
        self.sway.run(["swaymsg", "kill"])
        tree = self.sway.swaymsg("-t", "get_tree")
        self.assertNotIn('"pid": %d' % probe.pid, str(tree).replace("'", '"'))
        time.sleep(0.5)
        self.assert_covered(names)
        self.assertIsNone(probe.poll())

        # An output plugged in meanwhile is covered too.
        self.sway.swaymsg("create_output")
        added = until(lambda: [o["name"] for o in self.sway.get_outputs() if o["name"] not in names], 10)
        self.assertTrue(added, "no output was added")
        self.assertTrue(until(lambda: set(grid(self.sway.screenshot(added[0]))) == {(0, 0, 0)}, 5),
                        "the added output is not covered")

        # Only the lock got keys; a wrong password keeps it, the right one
        # ends it.
        self.sway.run(["wtype", "-s", "300", "-k", "Return"], check=True)
        self.assertIsNone(wait_exit(probe, 1))
        self.sway.run(["wtype", "-s", "300", "secret"], check=True)
        self.sway.run(["wtype", "-s", "300", "-k", "Return"], check=True)
        self.assertIsNotNone(await_output(probe.stdout, b"unlocked", 10))
        self.assertEqual(wait_exit(probe, 10), 0)
        other.kill()
        got = other.communicate()[0].decode(errors="replace")
        self.assertNotIn("key", got, "another window got keys while the lock was up")


class CoversOnMutter(MutterCase):
    size = (800, 600)
    reachable = (PROBE, KEY_WINDOW)
    runs_build_tree = False

    def test_another_window_taking_the_focus_is_reported_at_once(self):
        probe = self.spawn([PROBE, "--colour", "ff0000"], bufsize=0)
        lines = await_output(probe.stdout, b"ready", 20)
        if lines is None:
            probe.kill()
            self.fail("the covers never became ready: %s\n%s" % (probe.communicate()[1].decode(), self.mutter.log()[-2000:]))
        self.assertIn(b"hold none\n", lines)
        time.sleep(0.5)
        other = self.spawn([KEY_WINDOW], env={"QT_QPA_PLATFORM": "wayland"}, bufsize=0)
        self.assertIsNotNone(await_output(other.stdout, b"shown", 20))
        shown = time.monotonic()
        lost = await_output(probe.stdout, b"lost", 5)
        self.assertIsNotNone(lost, "the lost screen went unreported")
        self.assertLess(time.monotonic() - shown, 0.5 + 0.3)
        self.assertIn(b"lost the focus", lost[-1])


if __name__ == "__main__":
    unittest.main()
