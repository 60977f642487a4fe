#!/usr/bin/env python3
"""No session bus of our own: on an X server whose session has no bus
(DBUS_SESSION_BUS_ADDRESS unset, no $XDG_RUNTIME_DIR/bus) and with dbus-x11
installed, libdbus would start dbus-launch and a dbus-daemon for whoever
asks for the session bus. The show, the settings window and a Flash movie
run there and leave no bus daemon behind and nothing under ~/.dbus."""
import os
import shutil
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import swf_movies  # noqa: E402
from show_case import LUMORA, ShowCase, until, wait_exit  # noqa: E402

FLASH = os.environ.get("LUMORA_FLASH_BIN", os.path.join(os.path.dirname(LUMORA), "lumora-flash"))
RUFFLE = os.path.join(os.path.dirname(FLASH), "ruffle")
BUS_PROGRAMS = ("dbus-launch", "dbus-daemon")


def environ_of(pid):
    try:
        with open("/proc/%d/environ" % pid, "rb") as f:
            return dict(e.split(b"=", 1) for e in f.read().split(b"\0") if b"=" in e)
    except OSError:
        return {}


def bus_processes_of(home):
    """The running (not zombie) dbus-launch and dbus-daemon processes
    started with HOME=home: ours, whatever else runs on the machine."""
    out = subprocess.run(["ps", "-e", "-o", "pid=,stat=,comm="], capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines():
        pid, stat, comm = line.split(None, 2)
        if comm.strip() in BUS_PROGRAMS and not stat.startswith("Z"):
            if environ_of(int(pid)).get(b"HOME") == home.encode():
                found.append("%s %s" % (pid, comm.strip()))
    return found


def window_shown(x, timeout):
    """Whether a visible window of ours shows up within timeout seconds."""
    return bool(until(lambda: x.run("xdotool", "search", "--onlyvisible", "--class", "lumora",
                                    capture_output=True).stdout.split(), timeout, 0.2))


@unittest.skipUnless(shutil.which("dbus-launch"), "dbus-x11 is not installed: nothing would start a bus")
class NoSessionBusTest(ShowCase):
    def setUp(self):
        super().setUp()
        self.home = self.new_home("--solid", "2", "--value", "jgsj=1", "--value", "tpbh=0")
        self.user_home = self.scratch("lumora-e2e-user-")
        self.runtime = self.scratch("lumora-e2e-run-")
        # Whatever a failing run started goes too (after the programs).
        self.addCleanup(self.end_bus_processes)

    def end_bus_processes(self):
        for entry in bus_processes_of(self.user_home):
            try:
                os.kill(int(entry.split()[0]), signal.SIGKILL)
            except ProcessLookupError:
                pass

    def start(self, *args):
        env = dict(LUMORA_HOME=self.home, HOME=self.user_home, XDG_RUNTIME_DIR=self.runtime,
                   SDL_AUDIODRIVER="dummy", LUMORA_EFFECT="0", LUMORA_FLASH_BIN=FLASH,
                   QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu")
        return self.spawn([LUMORA, *args], env=env, stdout=subprocess.DEVNULL,
                          unset=("DBUS_SESSION_BUS_ADDRESS", "DBUS_SESSION_BUS_PID", "DBUS_SESSION_BUS_WINDOWID"))

    def assert_no_bus(self, what):
        # dbus-launch forks its daemon and exits on its own time: give it a
        # moment to show up before looking (what is checked is that none
        # comes).
        time.sleep(1.0)
        self.assertEqual(bus_processes_of(self.user_home), [], "%s left a session bus running" % what)
        self.assertFalse(os.path.exists(os.path.join(self.user_home, ".dbus")), "%s wrote ~/.dbus" % what)

    def test_the_show_and_the_settings_window_start_no_bus(self):
        show = self.start("/S")
        self.assertTrue(window_shown(self.x, 20), "the show never showed")
        # Two pictures come and go.
        pictures, seen = {(255, 0, 0), (0, 255, 0), (0, 0, 255)}, set()

        def two_pictures():
            seen.add(self.centre())
            return len(seen & pictures) >= 2
        self.assertTrue(until(two_pictures, 20, 0.1), "the pictures did not come: %s" % seen)
        self.x.key("space")
        self.assertEqual(wait_exit(show, 15), 0, show.stderr.read()[-2000:].decode(errors="replace"))
        self.assert_no_bus("the show")

        settings = self.start("/C")
        self.assertTrue(window_shown(self.x, 20), "the settings window never showed")
        self.assertTrue(self.await_still(), "the settings window was never drawn")
        settings.terminate()
        wait_exit(settings, 15)
        self.assert_no_bus("the settings window")

    @unittest.skipUnless(os.path.exists(os.path.join(RUFFLE, "ruffle.js")), "Ruffle is not in the build tree")
    def test_a_flash_movie_starts_no_bus(self):
        movie = os.path.join(self.home, "blue.swf")
        with open(movie, "wb") as f:
            f.write(swf_movies.blue_on_red(frames=300))
        with open(os.path.join(self.home, "Lumora_Studio", "music.txt"), "wb") as f:
            f.write(movie.encode() + b"\r\n")
        show = self.start("/S")
        # The movie's blue square in the middle of the screen: the player
        # and its web engine are up.
        def blue():
            r, g, b = self.centre()
            return b > 200 and r < 60 and g < 60
        self.assertTrue(until(blue, 60, 0.2), "the movie never showed")
        self.x.key("space")
        self.assertEqual(wait_exit(show, 15), 0, show.stderr.read()[-2000:].decode(errors="replace"))
        self.assert_no_bus("the Flash player")


if __name__ == "__main__":
    unittest.main()
