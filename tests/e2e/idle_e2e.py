#!/usr/bin/env python3
"""End-to-end test of `lumora --idle` on a real X server, with the idle time
counted in seconds (LUMORA_IDLE_SECONDS): no input starts the show, a key ends
it, idle again starts it again, a focused full-screen window keeps it from
starting, a second watcher leaves at once, and switching it off ends it."""
import os
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from show_case import LUMORA, ShowCase, await_output, until, wait_exit  # noqa: E402

HOST_WINDOW = os.environ["HOST_WINDOW"]
IDLE_SECONDS = 2


def shows_of(pid):
    """The pids of `lumora /S` children of the watcher."""
    out = subprocess.run(["ps", "-o", "pid=,stat=,args=", "--ppid", str(pid)], capture_output=True,
                         text=True).stdout
    return [int(line.split()[0]) for line in out.splitlines()
            if line.split()[2:] == [LUMORA, "/S"] and not line.split()[1].startswith("Z")]


class IdleTest(ShowCase):
    screen = (640, 480)

    def setUp(self):
        super().setUp()
        self.home = self.new_home("--solid", "1", "--value", "idle=%d" % IDLE_SECONDS)

    def run_watched(self, *args):
        """A program with the idle time counted in seconds."""
        return self.spawn(args, env={"LUMORA_HOME": self.home, "LUMORA_IDLE_SECONDS": "1"})

    def wait_for(self, predicate, timeout):
        return until(predicate, timeout, 0.2)

    def test_idle_start_cycle(self):
        watcher = self.run_watched(LUMORA, "--idle")
        self.assertIsNotNone(await_output(watcher.stderr, b"idle time from", 10), "the watcher did not start")
        self.x.key("shift")  # the session is in use

        # A second watcher leaves at once.
        second = self.run_watched(LUMORA, "--idle")
        self.assertEqual(wait_exit(second, 5), 0)
        self.assertIn(b"already running", second.stderr.read())

        # No input: the show comes.
        first = self.wait_for(lambda: shows_of(watcher.pid), IDLE_SECONDS + 6)
        self.assertTrue(first, "no show after the idle time")
        self.assertTrue(self.await_keyboard(), "the show never took the keyboard")
        self.x.key("space")
        self.assertTrue(self.wait_for(lambda: not shows_of(watcher.pid), 8), "a key did not end the show")

        # Idle again: it comes again.
        again = self.wait_for(lambda: shows_of(watcher.pid), IDLE_SECONDS + 6)
        self.assertTrue(again)
        self.assertNotEqual(again, first)
        self.assertTrue(self.await_keyboard(), "the show never took the keyboard")
        self.x.key("space")
        self.assertTrue(self.wait_for(lambda: not shows_of(watcher.pid), 8))

        # A focused window covering the screen (a video, a game) holds it off.
        host = self.run_watched(HOST_WINDOW, "0", "0", str(self.x.width), str(self.x.height), "--focus")
        host.stdout.readline()
        self.x.key("shift")
        time.sleep(IDLE_SECONDS + 3)  # what is checked: no show comes meanwhile
        self.assertEqual(shows_of(watcher.pid), [], "the show started over a full-screen window")
        # The window goes while the session stays idle: the show comes.
        host.kill()
        host.wait()
        self.assertTrue(self.wait_for(lambda: shows_of(watcher.pid), 6))

        # SIGTERM ends the watcher and its show.
        show = shows_of(watcher.pid)[0]
        watcher.send_signal(signal.SIGTERM)
        self.assertEqual(wait_exit(watcher, 5), 0)
        self.assertFalse(os.path.exists("/proc/%d/status" % show) and
                         "zombie" not in open("/proc/%d/status" % show).read())

    def test_switching_it_off_ends_the_watcher(self):
        watcher = self.run_watched(LUMORA, "--idle")
        self.assertIsNotNone(await_output(watcher.stderr, b"idle time from", 10), "the watcher did not start")
        self.assertIsNone(watcher.poll())
        reg = os.path.join(self.home, "registry.reg")
        with open(reg, "rb") as f:
            text = f.read()
        with open(reg, "wb") as f:
            f.write(text.replace(b'"idle"=dword:%08x' % IDLE_SECONDS, b'"idle"=dword:00000000'))
        self.assertEqual(wait_exit(watcher, 5), 0)
        self.assertIn(b"switched off", watcher.stderr.read())


if __name__ == "__main__":
    unittest.main()
