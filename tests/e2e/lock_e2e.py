#!/usr/bin/env python3
"""End-to-end tests of the show as a lock, under openbox on a real X server
whose desktop is magenta: with the password on, a crash of the process that
draws the show covers the screen again within a second, and the right
password still ends it."""
import os
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from xsession import XSession, make_home, wait_exit  # noqa: E402

LUMORA = os.environ["LUMORA_BIN"]
MAGENTA = (255, 0, 255)


def children(pid):
    """The pids whose parent is `pid`."""
    out = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % name) as f:
                stat = f.read()
        except OSError:
            continue
        if int(stat[stat.rindex(")") + 2:].split()[1]) == pid:
            out.append(int(name))
    return out


class LockTest(unittest.TestCase):
    def setUp(self):
        self.x = XSession()
        self.x.run("xsetroot", "-solid", "magenta")
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.x.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def tearDown(self):
        self.wm.terminate()
        self.wm.wait()
        self.x.close()

    def desktop_visible(self):
        return self.x.pixel(self.x.screenshot(), self.x.width // 2, self.x.height // 2) == MAGENTA

    def wait_covered(self, timeout):
        end = time.time() + timeout
        while time.time() < end:
            if not self.desktop_visible():
                return True
            time.sleep(0.05)
        return False

    def test_a_crash_of_the_show_covers_the_screen_again(self):
        home = make_home("--solid", "2", "--value", "jgsj=1", "--desktop", "ScreenSaveUsePassword=1",
                         "--desktop", "mima=pw")
        show = subprocess.Popen([LUMORA, "/S"], env=dict(self.x.env, LUMORA_HOME=home),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.assertTrue(self.wait_covered(10), "the show never covered the screen")
            for _ in range(2):
                drawn = children(show.pid)
                self.assertEqual(len(drawn), 1, "the watched show is not the watcher's one child")
                os.kill(drawn[0], signal.SIGSEGV)
                # The desktop may show for a moment; a second later it is
                # covered again.
                time.sleep(1.0)
                self.assertTrue(self.wait_covered(0.3), "not covered again within a second of the crash")
                self.assertIsNone(show.poll())
            # The password still ends it.
            time.sleep(1.0)
            self.x.key("space")
            time.sleep(1.0)
            self.x.type("pw")
            self.x.key("Return")
            self.assertEqual(wait_exit(show, 10), 0)
        finally:
            if show.poll() is None:
                show.kill()
                show.wait()

    def test_sigterm_to_the_watched_show_ends_it(self):
        home = make_home("--solid", "2", "--desktop", "ScreenSaveUsePassword=1", "--desktop", "mima=pw")
        show = subprocess.Popen([LUMORA, "/S"], env=dict(self.x.env, LUMORA_HOME=home),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.assertTrue(self.wait_covered(10))
        drawn = children(show.pid)
        show.send_signal(signal.SIGTERM)
        self.assertEqual(wait_exit(show, 3), 0)
        for pid in drawn:
            self.assertFalse(os.path.exists("/proc/%d" % pid) and
                             open("/proc/%d/stat" % pid).read().split()[2] != "Z",
                             "the show outlived its watcher")


if __name__ == "__main__":
    unittest.main()
