#!/usr/bin/env python3
"""Lumora as the only module of the real XScreenSaver: activated, it shows
the picture list full screen; deactivated, it is gone. XScreenSaver refuses
to run as root, so as root the daemon runs as the end-to-end tests'
throwaway user (compositor.user()); skipped without xscreensaver."""
import os
import subprocess
import unittest

from show_case import LUMORA, ShowCase, until
import compositor

SETTINGS = """timeout: 1:00:00
lock: False
splash: False
fade: False
unfade: False
mode: one
selected: 0
programs: lumora -root \\n
"""


def lumora_processes(uid):
    out = subprocess.run(["ps", "-u", str(uid), "-o", "pid=,stat=,comm="], capture_output=True, text=True).stdout
    return [line.split()[0] for line in out.splitlines()
            if line.split()[2:] == ["lumora"] and not line.split()[1].startswith("Z")]


@unittest.skipUnless(compositor.available("xscreensaver", "xscreensaver-command"), "needs xscreensaver")
class XScreenSaverTest(ShowCase):
    screen = (640, 480)

    def setUp(self):
        super().setUp()
        try:
            self.user = compositor.user()
        except (subprocess.CalledProcessError, OSError) as e:
            self.skipTest("no throwaway user for XScreenSaver: %s" % e)
        lumora = compositor.runnable(LUMORA)
        self.home = self.scratch("lumora-xss-")
        os.chmod(self.home, 0o755)
        lumora_home = self.new_home("--solid", "1", "--value", "jgsj=1", "--value", "tptc=-1")
        with open(os.path.join(self.home, ".xscreensaver"), "w") as f:
            f.write(SETTINGS)
        bindir = os.path.join(self.home, "bin")
        os.mkdir(bindir)
        os.symlink(lumora, os.path.join(bindir, "lumora"))
        compositor.give(self.home)
        compositor.give(lumora_home)
        self.env = {"HOME": self.home, "LUMORA_HOME": lumora_home, "PATH": bindir + ":/usr/bin:/bin",
                    "USER": self.user.pw_name, "LOGNAME": self.user.pw_name}
        self.daemon = self.as_user(["xscreensaver", "-no-splash"])
        # Up once it answers a command.
        self.assertTrue(until(lambda: self.command("-version").returncode == 0, 20),
                        "XScreenSaver did not come up")

    def as_user(self, args):
        return self.spawn(args, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          **compositor._demote(self.user))

    def command(self, option):
        env = dict(self.x.env, **self.env)
        return subprocess.run(["xscreensaver-command", option], env=env, capture_output=True, timeout=30,
                              **compositor._demote(self.user))

    def red_screen(self):
        shot = self.x.screenshot()
        w, h = self.screen

        def red(p):
            return p[0] > 200 and p[1] < 60 and p[2] < 60
        return all(red(self.x.pixel(shot, x, y)) for y in range(5, h, 47) for x in range(5, w, 53))

    def test_activate_shows_the_pictures_and_deactivate_ends_lumora(self):
        self.assertEqual(self.command("-activate").returncode, 0)
        self.assertTrue(until(self.red_screen, 15, 0.5), "XScreenSaver's window does not show the picture")
        self.assertTrue(lumora_processes(self.user.pw_uid))
        self.assertEqual(self.command("-deactivate").returncode, 0)
        self.assertTrue(until(lambda: not lumora_processes(self.user.pw_uid), 5, 0.2),
                        "lumora still runs after XScreenSaver deactivated")


if __name__ == "__main__":
    unittest.main()
