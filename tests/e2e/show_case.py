"""What every end-to-end test of the show on X11 does around its checks: an
Xvfb of its own, scratch homes (LUMORA_HOME) that go at the end, the programs
it starts, ended and reaped at the end whatever happened, and waits for a
condition with a deadline instead of fixed sleeps.

    class MyTest(ShowCase):
        screen = (800, 600)                      # the Xvfb screen

        def test_something(self):
            home = self.new_home("--solid", "3")  # scripts/make_home.py's arguments
            show = self.start(home, "/S", env={"LUMORA_EFFECT": "0"})
            self.assertTrue(until(lambda: self.centre() == (255, 0, 0), 10))
            self.x.key("space")
            self.assertEqual(wait_exit(show, 10), 0)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from xsession import XSession, make_home, wait_exit  # noqa: E402,F401

LUMORA = os.environ.get("LUMORA_BIN", "lumora")


def until(condition, timeout, step=0.1):
    """Calls condition() until it gives a true value or `timeout` seconds
    have passed; returns that value, or the last false one."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() >= end:
            return value
        time.sleep(step)


def end_process(proc):
    """Kills a program that still runs, reaps it and closes its pipes."""
    if proc.poll() is None:
        proc.kill()
    proc.wait()
    for pipe in (proc.stdin, proc.stdout, proc.stderr):
        if pipe:
            pipe.close()


class ShowCase(unittest.TestCase):
    screen = (1024, 768)  # width, height of the Xvfb screen
    wm = None             # a window manager to run on it (argument list)

    def setUp(self):
        self.x = self.make_session()
        self.addCleanup(self.x.close)
        if self.wm:
            wm = subprocess.Popen(self.wm, env=self.x.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.addCleanup(end_process, wm)
        self.procs = []
        # Also when setUp fails half way; cleanups run last first, so the
        # programs end before their server.
        self.addCleanup(self.end_programs)

    def tearDown(self):
        # Before any cleanup a test added (its folders, its own checks).
        self.end_programs()

    def end_programs(self):
        for proc in self.procs:
            end_process(proc)

    def make_session(self):
        return XSession(*self.screen)

    def scratch(self, prefix="lumora-e2e-"):
        """A scratch folder removed at the end of the test."""
        path = tempfile.mkdtemp(prefix=prefix)
        self.addCleanup(shutil.rmtree, path, True)
        return path

    def new_home(self, *args, prefix="lumora-e2e-"):
        """A LUMORA_HOME made by scripts/make_home.py with these arguments,
        removed at the end of the test."""
        path = make_home(*args, prefix=prefix)
        self.addCleanup(shutil.rmtree, path, True)
        return path

    def spawn(self, args, env=None, unset=(), **kw):
        """Starts a program on this test's display, with `env` added to the
        display's environment and the `unset` variables taken out (stdout and
        stderr piped unless given); it is ended at the end of the test."""
        kw.setdefault("stdout", subprocess.PIPE)
        kw.setdefault("stderr", subprocess.PIPE)
        environment = dict(self.x.env, **(env or {}))
        for name in unset:
            environment.pop(name, None)
        proc = subprocess.Popen(list(args), env=environment, **kw)
        self.procs.append(proc)
        return proc

    def start(self, home, *args, env=None, **kw):
        """Starts lumora with these arguments on `home`."""
        return self.spawn([LUMORA, *args], env=dict(env or {}, LUMORA_HOME=home), **kw)

    def centre(self, shot=None):
        """The colour at the middle of the screen."""
        shot = shot or self.x.screenshot()
        return self.x.pixel(shot, shot[0] // 2, shot[1] // 2)
