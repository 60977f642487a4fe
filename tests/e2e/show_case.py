"""What every end-to-end test of the show does around its checks: a display
server of its own (Xvfb, with a window manager when the class names one; or
sway on its headless back end), scratch homes (LUMORA_HOME) that go at the
end, the programs it starts, ended with whatever they started and reaped at
the end whatever happened, and waits for a condition with a deadline instead
of fixed sleeps.

    class MyTest(ShowCase):
        screen = (800, 600)                      # the Xvfb screen

        def test_something(self):
            home = self.new_home("--solid", "3")  # scripts/make_home.py's arguments
            show = self.start(home, "/S", env={"LUMORA_EFFECT": "0"})
            self.assertTrue(until(lambda: self.centre() == (255, 0, 0), 10))
            self.x.key("space")
            self.assertEqual(wait_exit(show, 10), 0)

    class OnSway(SwayCase):
        outputs, size = 2, (800, 600)            # HEADLESS-1, HEADLESS-2

        def test_something(self):
            home = self.new_home("--solid", "3")  # handed to the compositor's user
            show = self.start(home, "/S")
            shot = self.screen_until(lambda s: pixel(s, 400, 300) == (255, 0, 0), 20, "HEADLESS-1")
"""
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import compositor  # noqa: E402
from compositor import pixel  # noqa: E402,F401
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


def await_output(stream, text, timeout):
    """Reads lines from a program's pipe until one holds `text` (bytes or
    str, as the pipe gives) or `timeout` seconds have passed; the lines read,
    the last one holding text, or None when it never came."""
    end = time.monotonic() + timeout
    lines = []
    while time.monotonic() < end:
        ready, _, _ = select.select([stream], [], [], max(0.0, end - time.monotonic()))
        if not ready:
            break
        line = stream.readline()
        if not line:
            break  # the program closed it
        lines.append(line)
        if text in line:
            return lines
    return None


def near(colour, rgb, tol=40):
    """Whether every component of `colour` is within `tol` of `rgb`'s."""
    return all(abs(a - b) <= tol for a, b in zip(colour, rgb))


def write(path, data):
    """Writes the bytes `data` to `path`; the path."""
    with open(path, "wb") as f:
        f.write(data)
    return path


def write_media_list(home, entries):
    """The media list of `home` (LUMORA_HOME): the entries, GB18030, CR LF."""
    write(os.path.join(home, "Lumora_Studio", "music.txt"), b"".join(e.encode("gb18030") + b"\r\n" for e in entries))


def make_song(path, seconds):
    """An MP3 of a 440 Hz tone `seconds` long, made by the ffmpeg tool."""
    subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=440:duration=%g" % seconds, "-c:a", "libmp3lame", path],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def end_process(proc):
    """Kills a program that still runs, and what it started in its session
    (a player program, a watched show), reaps it and closes its pipes."""
    if proc.poll() is None:
        proc.kill()
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass
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
        self.procs = []
        # Also when setUp fails half way; cleanups run last first, so the
        # programs end before their server.
        self.addCleanup(self.end_programs)
        if self.wm:
            self.start_wm(self.wm)

    def tearDown(self):
        # Before any cleanup a test added (its folders, its own checks).
        self.end_programs()

    def end_programs(self):
        for proc in self.procs:
            end_process(proc)

    def make_session(self):
        return XSession(*self.screen)

    def start_wm(self, args, timeout=30):
        """Starts a window manager on this display and waits until it has
        named itself on the root window (EWMH's _NET_SUPPORTING_WM_CHECK);
        its output goes to a log that a failure shows. Ended after the
        programs, before the server."""
        log = open(os.path.join(self.scratch("lumora-wm-"), "wm.log"), "wb")
        self.addCleanup(log.close)
        wm = subprocess.Popen(list(args), env=self.x.env, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        self.addCleanup(end_process, wm)

        def named():
            self.assertIsNone(wm.poll(), "the window manager ended: " + open(log.name, "rb").read().decode())
            out = self.x.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", capture_output=True, text=True).stdout
            return "window id" in out
        if not until(named, timeout, 0.2):
            self.fail("the window manager did not come up")
        return wm

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
        proc = subprocess.Popen(list(args), env=environment, start_new_session=True, **kw)
        self.procs.append(proc)
        return proc

    def start(self, home, *args, env=None, **kw):
        """Starts lumora with these arguments on `home`."""
        return self.spawn([LUMORA, *args], env=dict(env or {}, LUMORA_HOME=home), **kw)

    def centre(self, shot=None):
        """The colour at the middle of the screen."""
        shot = shot or self.x.screenshot()
        return self.x.pixel(shot, shot[0] // 2, shot[1] // 2)

    def screen_until(self, test, timeout, step=0.1):
        """Screenshots until test(shot) holds: that shot, or None after
        `timeout` seconds."""
        return until(lambda: (lambda shot: shot if test(shot) else None)(self.x.screenshot()), timeout, step)

    def await_still(self, timeout=10, step=0.1):
        """True once two screenshots in a row are the same (drawn, and
        nothing moving), within `timeout` seconds."""
        last = [None]

        def same():
            previous, last[0] = last[0], self.x.screenshot()
            return previous == last[0]
        return until(same, timeout, step)

    def await_change(self, before, timeout=5):
        """True once the screen differs from the screenshot `before` (what a
        click or a key drew), within `timeout` seconds."""
        return until(lambda: self.x.screenshot() != before, timeout, 0.05)

    def prompt_shown(self, timeout=10):
        """True once the password prompt's light 246 x 147 box is in the
        middle of the screen (inside the show's window), within `timeout`
        seconds."""
        cx, cy = self.x.width // 2, self.x.height // 2

        def light_box():
            shot = self.x.screenshot()
            inside = [self.x.pixel(shot, x, y)
                      for x in range(cx - 112, cx + 108, 20) for y in range(cy - 54, cy + 56, 20)]
            return sum(1 for p in inside if min(p) > 150) > len(inside) // 2
        return until(light_box, timeout, 0.2)

    def await_keyboard(self, timeout=15):
        """True once a show holds the keyboard grab (it then gets every
        key), within `timeout` seconds."""
        return until(self.x.keyboard_grabbed, timeout, 0.05)


class CompositorCase(unittest.TestCase):
    """A Wayland compositor of compositor.py, started for each test by
    make_compositor() and run, with every program the test starts, as the
    throwaway user when the test runs as root. Skipped when that user cannot
    be made or cannot reach LUMORA (unless `runs_build_tree` is false: the
    test copies what it runs) or the `reachable` files."""
    reachable = ()
    runs_build_tree = True

    def setUp(self):
        try:
            account = compositor.user()
        except (subprocess.CalledProcessError, OSError) as e:
            self.skipTest("no throwaway user for the compositor: %s" % e)
        for path in ((LUMORA,) if self.runs_build_tree else ()) + tuple(self.reachable):
            reason = compositor.check_reachable(path)
            if reason:
                self.skipTest("the user %s cannot run the build: %s" % (account.pw_name, reason))
        self.session = self.make_compositor()
        self.addCleanup(self.session.close)

    def make_compositor(self):
        raise NotImplementedError

    def new_home(self, *args, prefix="lumora-wl-"):
        """A LUMORA_HOME made by scripts/make_home.py, handed to the user and
        removed at the end of the test."""
        path = make_home(*args, prefix=prefix)
        self.addCleanup(shutil.rmtree, path, True)
        return compositor.give(path)

    def spawn(self, args, env=None, **kw):
        """Starts a program as the compositor's client (stdout and stderr
        piped unless given); ended with the compositor."""
        return self.session.spawn(args, env=env, **kw)

    def start(self, home, *args, env=None, **kw):
        """Starts lumora with these arguments on `home`; the power-off only
        prints."""
        return self.spawn([LUMORA, *args], env=dict(env or {}, LUMORA_HOME=home, LUMORA_SHUTDOWN="print"), **kw)


@unittest.skipUnless(compositor.available("sway", "swaymsg", "grim", "wtype"), "sway, grim or wtype is missing")
class SwayCase(CompositorCase):
    """sway on its headless back end (compositor.Sway): `outputs` outputs of
    `size`; self.sway."""
    outputs = 1
    size = (1280, 720)

    def make_compositor(self):
        self.sway = compositor.Sway(outputs=self.outputs, width=self.size[0], height=self.size[1])
        return self.sway

    def screen_until(self, test, timeout, output=None, step=0.1):
        """Screenshots of an output (or the whole layout) until test(shot)
        holds: that shot, or None after `timeout` seconds."""
        return until(lambda: (lambda shot: shot if test(shot) else None)(self.sway.screenshot(output)),
                     timeout, step)


@unittest.skipUnless(compositor.available("mutter", "dbus-run-session", "gdbus"), "mutter or gdbus is missing")
class MutterCase(CompositorCase):
    """mutter headless in a D-Bus session of its own (compositor.Mutter), one
    virtual monitor of `size`, `mutter_env` for mutter alone; self.mutter."""
    size = (1280, 800)
    mutter_env = None

    def make_compositor(self):
        self.mutter = compositor.Mutter(self.size[0], self.size[1], mutter_env=self.mutter_env)
        return self.mutter


@unittest.skipUnless(compositor.available("kwin_wayland", "dbus-run-session", "gdbus"),
                     "kwin_wayland or gdbus is missing")
class KWinCase(CompositorCase):
    """kwin_wayland on its virtual back end (compositor.KWin), one output of
    `size`; self.kwin. Its screenshots need the `screenshot_tool` program."""
    size = (800, 600)
    screenshot_tool = os.environ.get("KWIN_SCREENSHOT", "kwin_screenshot")

    def make_compositor(self):
        self.kwin = compositor.KWin(self.screenshot_tool, self.size[0], self.size[1])
        return self.kwin

    def screen_until(self, test, timeout, step=0.1):
        """Screenshots until test(shot) holds: that shot, or None after
        `timeout` seconds."""
        return until(lambda: (lambda shot: shot if test(shot) else None)(self.kwin.screenshot()), timeout, step)
