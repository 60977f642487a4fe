#!/usr/bin/env python3
"""End-to-end test of `lumora --idle` on Wayland, with the idle time at its
smallest (1, counted in seconds through LUMORA_IDLE_SECONDS), under

- sway 1.7 on its headless back end: idle time from org_kde_kwin_idle. The
  seat has no input devices, so it is idle from the start; wtype's virtual
  keyboard is the seat's input;
- mutter headless in a D-Bus session of its own: idle time from
  org.gnome.Mutter.IdleMonitor. With no input devices, mutter's own testing
  switch (MUTTER_DEBUG_RESET_IDLETIME, ResetIdletime) stands for input; a
  stand-in session manager holds an idle inhibitor.

In both: no input starts the show (a `lumora /S` child of the watcher); a
show that ends while the session stays idle is not started again until the
session is used; after use and a new idle period it comes again; SIGTERM ends
the watcher and its show. Compositors refuse root: as root everything runs as
a throwaway user (compositor.py)."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import compositor  # noqa: E402
from show_case import LUMORA, MutterCase, SwayCase, until, wait_exit  # noqa: E402
from xsession import XSession  # noqa: E402

STUB = os.environ.get("SESSION_MANAGER_STUB")
IDLE_SECONDS = 1
MONITOR = ("org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core")


def wait_for(predicate, timeout):
    return until(predicate, timeout, 0.2)


class WatcherCase:
    """A watcher under the test's compositor, its standard error in a file.
    The program is a copy when the user cannot reach the build tree (it
    needs nothing beside it to show solid pictures)."""
    runs_build_tree = False

    def start_watcher(self):
        self.program = compositor.runnable(LUMORA)
        self.home = self.new_home("--solid", "1", "--value", "idle=%d" % IDLE_SECONDS)
        self.env = {"LUMORA_HOME": self.home, "LUMORA_IDLE_SECONDS": "1", "LUMORA_SHUTDOWN": "print"}
        log_dir = tempfile.mkdtemp(prefix="lumora-e2e-log-")
        self.addCleanup(shutil.rmtree, log_dir, True)
        self.err_path = os.path.join(log_dir, "watcher.err")
        # The shows write there too (they inherit it): a file, never a pipe
        # that fills up.
        with open(self.err_path, "wb") as err:
            watcher = self.spawn([self.program, "--idle"], env=self.env, stdout=subprocess.DEVNULL, stderr=err)
        self.assertTrue(wait_for(lambda: "idle time from" in self.err(), 15), self.err())
        return watcher

    def err(self):
        with open(self.err_path, "rb") as f:
            return f.read().decode(errors="replace")

    def shows_of(self, pid):
        """The pids of `lumora /S` children of the watcher."""
        out = subprocess.run(["ps", "-o", "pid=,stat=,args=", "--ppid", str(pid)], capture_output=True,
                             text=True).stdout
        return [int(line.split()[0]) for line in out.splitlines()
                if line.split()[2:] == [self.program, "/S"] and not line.split()[1].startswith("Z")]

    def end_show(self, watcher):
        """Ends the running show as a desktop would (SIGTERM) and waits until
        the watcher has reaped it."""
        for pid in self.shows_of(watcher.pid):
            os.kill(pid, signal.SIGTERM)
        self.assertTrue(wait_for(lambda: not self.shows_of(watcher.pid), 10), "the show did not end")

    def check_cycle(self, watcher, use):
        """No input: the show; ended while still idle: no show until use();
        then idle again: a new show; SIGTERM: the watcher and its show end."""
        first = wait_for(lambda: self.shows_of(watcher.pid), IDLE_SECONDS + 8)
        self.assertTrue(first, "no show after the idle time:\n" + self.err()[-2000:])
        self.end_show(watcher)
        time.sleep(IDLE_SECONDS + 2)  # what is checked: still idle, no input, and no show comes
        self.assertEqual(self.shows_of(watcher.pid), [], "a show again without any input")
        use()
        again = wait_for(lambda: self.shows_of(watcher.pid), IDLE_SECONDS + 8)
        self.assertTrue(again, "no show after use and a new idle period")
        self.assertNotEqual(again, first)
        show = again[0]
        watcher.send_signal(signal.SIGTERM)
        self.assertEqual(wait_exit(watcher, 10), 0)
        self.assertFalse(os.path.exists("/proc/%d" % show) and "zombie" not in open("/proc/%d/status" % show).read(),
                         "the show outlived the watcher")


class SwayIdleTest(WatcherCase, SwayCase):
    def test_idle_start_cycle(self):
        watcher = self.start_watcher()
        self.assertIn("idle time from the Wayland compositor (org_kde_kwin_idle)", self.err())
        # A second watcher leaves at once.
        second = self.sway.run([self.program, "--idle"], env=self.env)
        self.assertEqual(second.returncode, 0)
        self.assertIn(b"already running", second.stderr)
        self.check_cycle(watcher, lambda: self.sway.key("Shift_L"))

    @unittest.skipUnless(os.geteuid() == 0, "needs a lock file of another user")
    def test_a_lock_file_of_another_user_is_named(self):
        program = compositor.runnable(LUMORA)
        home = self.new_home("--value", "idle=1")
        lock = os.path.join(home, "lumora-idle.lock")
        with open(lock, "w"):
            pass
        os.chown(lock, 0, 0)
        os.chmod(lock, 0o600)
        out = self.sway.run([program, "--idle"], env={"LUMORA_HOME": home, "LUMORA_IDLE_SECONDS": "1"})
        self.assertEqual(out.returncode, 1)
        self.assertEqual(out.stderr.decode(), "lumora: cannot use the lock file %s: Permission denied\n" % lock)


class MutterIdleTest(WatcherCase, MutterCase):
    # With no input devices, mutter's testing switch stands for input.
    mutter_env = {"MUTTER_DEBUG_RESET_IDLETIME": "1"}

    def test_idle_start_cycle_held_off_by_an_inhibitor(self):
        def use():
            self.mutter.call(*MONITOR, "org.gnome.Mutter.IdleMonitor.ResetIdletime")

        inhibitor = None
        if STUB:
            inhibitor = self.spawn([compositor.runnable(STUB)])
            self.assertEqual(inhibitor.stdout.readline(), b"ready\n")
        watcher = self.start_watcher()
        self.assertIn("idle time from GNOME's Mutter (org.gnome.Mutter.IdleMonitor)", self.err())
        use()  # the session is in use
        if inhibitor:
            # Idle, but the session holds an idle inhibitor: no show until it
            # is let go. What is checked is that nothing comes meanwhile.
            time.sleep(IDLE_SECONDS + 3)
            self.assertEqual(self.shows_of(watcher.pid), [], "a show while idle was inhibited")
            inhibitor.terminate()
            inhibitor.wait()
        self.check_cycle(watcher, use)

    def test_no_xwayland_fallback_when_the_compositor_lacks_the_protocols(self):
        # mutter 43 offers neither idle protocol: without its bus the watcher
        # must not fall back to an X server, whose idle time would not see
        # the input to Wayland windows.
        x = XSession(320, 240)
        self.addCleanup(x.close)
        home = self.new_home("--value", "idle=1")
        out = self.mutter.run([compositor.runnable(LUMORA), "--idle"],
                              env={"LUMORA_HOME": home, "LUMORA_IDLE_SECONDS": "1",
                                   "DBUS_SESSION_BUS_ADDRESS": "", "DISPLAY": x.display})
        self.assertEqual(out.returncode, 1, out.stderr)
        self.assertEqual(out.stderr.decode(), "lumora: the Wayland compositor offers neither "
                         "ext-idle-notify-v1 nor org_kde_kwin_idle\n")


if __name__ == "__main__":
    unittest.main()
