#!/usr/bin/env python3
"""Lumora as the only module of the real XScreenSaver: activated, it shows
the picture list full screen; deactivated, it is gone. XScreenSaver refuses
to run as root, so this runs it as the user named by LUMORA_XSS_USER (a
throwaway account) and is skipped without one."""
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time
import unittest


LUMORA = os.environ["LUMORA_BIN"]
USER = os.environ.get("LUMORA_XSS_USER", "")

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


@unittest.skipUnless(USER and shutil.which("xscreensaver") and os.geteuid() == 0,
                     "needs xscreensaver, root and LUMORA_XSS_USER")
class XScreenSaverTest(unittest.TestCase):
    def setUp(self):
        self.user = pwd.getpwnam(USER)
        self.display = ":%d" % (500 + os.getpid() % 400)
        self.server = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "640x480x24", "-nolisten", "tcp",
                                        "-ac"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.home = tempfile.mkdtemp(prefix="lumora-xss-")
        os.chmod(self.home, 0o755)
        self.lumora_home = os.path.join(self.home, "lumora")
        subprocess.run([sys.executable, os.path.join(os.environ["LUMORA_SOURCE_DIR"], "scripts", "make_home.py"),
                        self.lumora_home, "--solid", "1", "--value", "jgsj=1", "--value", "tptc=-1"],
                       check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(self.home, ".xscreensaver"), "w") as f:
            f.write(SETTINGS)
        bindir = os.path.join(self.home, "bin")
        os.mkdir(bindir)
        os.symlink(LUMORA, os.path.join(bindir, "lumora"))
        subprocess.run(["chown", "-R", "%d:%d" % (self.user.pw_uid, self.user.pw_gid), self.home], check=True)
        self.env = {"DISPLAY": self.display, "HOME": self.home, "LUMORA_HOME": self.lumora_home,
                    "LUMORA_SHUTDOWN": "print", "PATH": bindir + ":/usr/bin:/bin"}
        time.sleep(1)
        self.daemon = self.as_user("xscreensaver", "-no-splash")
        time.sleep(2)

    def tearDown(self):
        self.daemon.terminate()
        self.daemon.wait()
        self.server.terminate()
        self.server.wait()
        shutil.rmtree(self.home, ignore_errors=True)

    def as_user(self, *args, wait=False):
        cmd = ["runuser", "-u", USER, "--", "env", *("%s=%s" % kv for kv in self.env.items()), *args]
        if wait:
            return subprocess.run(cmd, capture_output=True, timeout=30)
        return subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def red_screen(self):
        data = subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"],
                              env=dict(os.environ, DISPLAY=self.display), capture_output=True).stdout
        parts = data.split(b"\n", 3)
        w, h = map(int, parts[1].split())
        rgb = parts[3]
        for y in range(5, h, 47):
            for x in range(5, w, 53):
                r, g, b = rgb[(y * w + x) * 3:(y * w + x) * 3 + 3]
                if not (r > 200 and g < 60 and b < 60):
                    return False
        return True

    def test_activate_shows_the_pictures_and_deactivate_ends_lumora(self):
        self.assertEqual(self.as_user("xscreensaver-command", "-activate", wait=True).returncode, 0)
        end = time.time() + 15
        while time.time() < end and not self.red_screen():
            time.sleep(0.5)
        self.assertTrue(self.red_screen(), "XScreenSaver's window does not show the picture")
        self.assertTrue(lumora_processes(self.user.pw_uid))
        self.assertEqual(self.as_user("xscreensaver-command", "-deactivate", wait=True).returncode, 0)
        end = time.time() + 3
        while time.time() < end and lumora_processes(self.user.pw_uid):
            time.sleep(0.2)
        self.assertEqual(lumora_processes(self.user.pw_uid), [])


if __name__ == "__main__":
    unittest.main()
