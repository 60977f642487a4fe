#!/usr/bin/env python3
"""The lock on Wayland, password on (lumora /S runs lumora-lock). On sway
with two outputs on a magenta desktop: the show's pictures come up inside
the lock on the first output, the second is black, and neither the
compositor's bindings (Mod+3, Mod+Return), its IPC (workspace, kill), another
client's new window nor the show's death shows a desktop pixel or gives
another window a key; the right password ends it. On mutter, which lets no
client hold the screen: another window taking the focus, or the lock's
death, has the session locked through logind (a stand-in on a private bus)
within half a second."""
import os
import signal
import sys
import tempfile
import subprocess
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import compositor  # noqa: E402
from show_case import MutterCase, SwayCase, await_output, until, wait_exit  # noqa: E402

KEY_WINDOW = os.environ.get("KEY_WINDOW", "key_window")
LOGIN1_STUB = os.environ.get("LOGIN1_STUB", "login1_stub")
MAGENTA, CYAN = (255, 0, 255), (0, 255, 255)
PICTURES = {(255, 0, 0), (0, 255, 0), (0, 0, 255)}
PASSWORD_HOME = ("--solid", "3", "--value", "jgsj=1", "--value", "tptc=-1",
                 "--desktop", "ScreenSaveUsePassword=1", "--desktop", "mima=abc")


def grid(shot, step=31):
    w, h, _ = shot
    return [compositor.pixel(shot, x, y) for x in range(0, w, step) for y in range(0, h, step)]


def show_children(pid):
    """The lock's show processes (lumora --locked-show)."""
    found = []
    for entry in os.listdir("/proc"):
        try:
            with open("/proc/%s/stat" % entry) as f:
                parent = int(f.read().rsplit(")", 1)[1].split()[1])
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read()
        except (OSError, ValueError, IndexError):
            continue
        if parent == pid and b"--locked-show" in cmdline:
            found.append(int(entry))
    return found


class LockOnSway(SwayCase):
    outputs, size = 2, (640, 480)
    reachable = (KEY_WINDOW,)

    def make_compositor(self):
        self.marks = tempfile.mkdtemp(prefix="lumora-marks-")
        os.chmod(self.marks, 0o777)
        self.addCleanup(subprocess.run, ["rm", "-rf", self.marks])
        extra = "".join("output HEADLESS-%d bg #ff00ff solid_color\n" % (i + 1) for i in range(self.outputs))
        extra += "set $mod Mod4\nbindsym $mod+3 workspace 3\nbindsym $mod+Return exec touch %s/terminal\n" % self.marks
        self.sway = compositor.Sway(outputs=self.outputs, width=self.size[0], height=self.size[1], config_extra=extra)
        return self.sway

    def assert_covered(self, when):
        # The prompt may be up in the middle of the first output.
        first, second = self.sway.screenshot("HEADLESS-1"), self.sway.screenshot("HEADLESS-2")
        desktop = [p for p in grid(first) + grid(second) if p in (MAGENTA, CYAN)]
        self.assertFalse(desktop, "%s: desktop or another window shows" % when)
        self.assertEqual(set(grid(second)), {(0, 0, 0)}, "%s: the second output is not black" % when)

    def test_held_through_bindings_ipc_other_windows_and_the_show_dying(self):
        home = self.new_home(*PASSWORD_HOME)
        lock = self.start(home, "/S", env={"LUMORA_EFFECT": "0"})
        self.assertIsNotNone(self.screen_until(lambda s: compositor.pixel(s, 320, 240) in PICTURES, 20, "HEADLESS-1"),
                             "no picture inside the lock")
        self.assert_covered("at the start")

        other = self.spawn([KEY_WINDOW], env={"QT_QPA_PLATFORM": "wayland"}, bufsize=0)
        self.assertIsNotNone(await_output(other.stdout, b"shown", 20))
        time.sleep(1)
        self.assert_covered("with another client's new window")

        workspace = [w["name"] for w in self.sway.swaymsg("-t", "get_workspaces") if w["focused"]]
        self.sway.run(["wtype", "-s", "600", "-M", "logo", "-k", "3", "-m", "logo"], check=True)
        self.sway.run(["wtype", "-s", "300", "-M", "logo", "-k", "Return", "-m", "logo"], check=True)
        time.sleep(0.5)
        self.assertFalse(os.path.exists(os.path.join(self.marks, "terminal")), "Mod+Return opened a terminal")
        self.assertEqual([w["name"] for w in self.sway.swaymsg("-t", "get_workspaces") if w["focused"]], workspace)
        self.assert_covered("after Mod+3 and Mod+Return")

        self.sway.swaymsg("workspace", "3")
        self.sway.run(["swaymsg", "kill"])
        time.sleep(0.5)
        self.assert_covered("after swaymsg workspace 3 and kill")
        self.assertIsNone(lock.poll())

        # The show dies: the lock keeps the screen and starts another.
        shows = show_children(lock.pid)
        self.assertTrue(shows, "no show child")
        for pid in shows:
            os.kill(pid, signal.SIGKILL)
        time.sleep(0.3)
        self.assert_covered("after the show was killed")
        self.assertTrue(until(lambda: show_children(lock.pid) and show_children(lock.pid) != shows, 10),
                        "no new show")

        # The first output grows: the show's frames follow its new size.
        self.sway.swaymsg("output", "HEADLESS-1", "mode", "800x600")
        grown = self.screen_until(lambda s: s[0] == 800 and compositor.pixel(s, 790, 590) in PICTURES, 20,
                                  "HEADLESS-1")
        self.assertIsNotNone(grown, "the show's frames did not follow the output's new size")
        self.assertFalse([p for p in grid(grown) if p in (MAGENTA, CYAN)], "the grown output shows the desktop")

        # The right password ends it, after the wait the wrong one started.
        time.sleep(1.5)
        self.sway.run(["wtype", "-s", "600", "-k", "space"], check=True)
        self.sway.run(["wtype", "-s", "300", "-k", "BackSpace", "-k", "BackSpace", "abc"], check=True)
        self.sway.run(["wtype", "-s", "300", "-k", "Return"], check=True)
        status = wait_exit(lock, 10)
        if status is None:
            lock.kill()
        err = lock.communicate()[1].decode(errors="replace")
        self.assertEqual(status, 0, err)
        self.assertIn("held by overlay layer surfaces and the input inhibitor", err)
        other.kill()
        self.assertNotIn(b"key", other.communicate()[0], "another window got keys")


class LockOnMutter(MutterCase):
    size = (800, 600)
    reachable = (KEY_WINDOW, LOGIN1_STUB)

    def start_lock(self):
        self.login = self.spawn([LOGIN1_STUB], bufsize=0)
        self.assertIsNotNone(await_output(self.login.stdout, b"ready", 20), "no stand-in logind")
        home = self.new_home(*PASSWORD_HOME)
        bus = self.mutter.env["DBUS_SESSION_BUS_ADDRESS"]
        lock = self.start(home, "/S", env={"DBUS_SYSTEM_BUS_ADDRESS": bus, "XDG_SESSION_ID": ""}, bufsize=0)
        self.assertIsNotNone(await_output(lock.stderr, b"held by full-screen windows", 20), "the lock did not start")
        time.sleep(2)  # its windows shown and focused
        return lock

    def await_lock_call(self, since, what):
        self.assertIsNotNone(await_output(self.login.stdout, b"Lock", 5), "Lock was not called after " + what)
        elapsed = time.monotonic() - since
        self.assertLess(elapsed, 0.5, "Lock came %.2f s after %s" % (elapsed, what))

    def test_another_window_taking_the_focus_locks_the_session(self):
        lock = self.start_lock()
        other = self.spawn([KEY_WINDOW], env={"QT_QPA_PLATFORM": "wayland"}, bufsize=0)
        self.assertIsNotNone(await_output(other.stdout, b"shown", 20))
        self.await_lock_call(time.monotonic(), "another window came up")
        self.assertIsNotNone(await_output(lock.stderr, b"locking the session", 5))

    def test_the_lock_dying_locks_the_session(self):
        lock = self.start_lock()
        os.kill(lock.pid, signal.SIGKILL)
        self.await_lock_call(time.monotonic(), "the lock was killed")


if __name__ == "__main__":
    unittest.main()
