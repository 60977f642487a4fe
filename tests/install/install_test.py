#!/usr/bin/env python3
"""The install rules and the Debian package: `cmake --install` into a scratch
prefix puts every file in place, the desktop entries validate, the manual
pages render, the installed programs run from there, and `cpack -G DEB` makes
a package that dpkg-deb reads."""
import glob
import os
import shutil
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ET

BUILD = os.environ["LUMORA_BUILD_DIR"]

FILES = [
    "bin/lumora",
    "bin/lumora-tool",
    "lib/lumora/liblumora_audio_backend.so",
    "lib/lumora/lumora-flash",
    "share/applications/lumora.desktop",
    "share/icons/hicolor/scalable/apps/lumora.svg",
    "share/man/man1/lumora.1",
    "share/man/man1/lumora-tool.1",
    "share/xscreensaver/config/lumora.xml",
    "share/lumora/lumora-idle.desktop",
]


def run(*args, **kw):
    return subprocess.run(list(args), capture_output=True, text=True, **kw)


class InstallTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix = tempfile.mkdtemp(prefix="lumora-install-")
        result = run("cmake", "--install", BUILD, "--prefix", cls.prefix)
        assert result.returncode == 0, result.stdout + result.stderr

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.prefix, ignore_errors=True)

    def path(self, rel):
        return os.path.join(self.prefix, rel)

    def test_every_file_is_installed(self):
        for rel in FILES:
            self.assertTrue(os.path.isfile(self.path(rel)), rel)
        # Ruffle's files go beside the Flash player program when the build
        # could fetch them.
        if os.path.isfile(os.path.join(BUILD, "ruffle", "ruffle.js")):
            self.assertTrue(os.path.isfile(self.path("lib/lumora/ruffle/ruffle.js")))
        for rel in ("bin/lumora", "bin/lumora-tool", "lib/lumora/lumora-flash"):
            self.assertTrue(os.access(self.path(rel), os.X_OK), rel)

    def test_desktop_entries_validate(self):
        for rel in ("share/applications/lumora.desktop", "share/lumora/lumora-idle.desktop"):
            result = run("desktop-file-validate", self.path(rel))
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
            self.assertEqual(result.stdout + result.stderr, "", rel)
        with open(self.path("share/applications/lumora.desktop"), encoding="utf-8") as f:
            entry = f.read()
        self.assertIn("\nExec=lumora /C\n", entry)
        self.assertIn("\nName=Lumora\n", entry)
        self.assertIn("\nName[zh_CN]=", entry)
        self.assertIn("\nIcon=lumora\n", entry)

    def test_manual_pages_render(self):
        for page, title in (("lumora.1", "LUMORA(1)"), ("lumora-tool.1", "LUMORA-TOOL(1)")):
            env = dict(os.environ, MANWIDTH="80", MANPAGER="cat", PAGER="cat")
            result = run("man", "--warnings", "-l", self.path("share/man/man1/" + page), env=env)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertTrue(result.stdout.lstrip().startswith(title), result.stdout[:200])
            self.assertIn("NAME", result.stdout)
            self.assertEqual(result.stderr.strip(), "", page)
        lumora = run("man", "-l", self.path("share/man/man1/lumora.1"), env=env).stdout
        for mode in ("/S", "/C", "/A", "-window-id", "-root", "--idle"):
            self.assertIn(mode, lumora)

    def test_xscreensaver_module_description(self):
        root = ET.parse(self.path("share/xscreensaver/config/lumora.xml")).getroot()
        self.assertEqual(root.tag, "screensaver")
        self.assertEqual(root.get("name"), "lumora")
        self.assertEqual(root.find("command").get("arg"), "-root")

    def test_installed_programs_run_from_the_prefix(self):
        lumora = self.path("bin/lumora")
        self.assertEqual(run(lumora, "--version").stdout, "lumora 3.70\n")
        self.assertEqual(run(lumora, "--help").returncode, 0)
        home = tempfile.mkdtemp(prefix="lumora-install-home-")
        try:
            env = dict(os.environ, LUMORA_HOME=home, QT_QPA_PLATFORM="offscreen",
                       LUMORA_EXIT_AFTER_FIRST_FRAME="1", LUMORA_SHUTDOWN="print")
            result = run(lumora, "/S", env=env, timeout=60)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertIn("first frame", result.stdout)
        finally:
            shutil.rmtree(home, ignore_errors=True)
        tool = run(self.path("bin/lumora-tool"))
        self.assertEqual(tool.returncode, 2)
        self.assertIn("usage: lumora-tool", tool.stderr)

    def test_debian_package(self):
        out = tempfile.mkdtemp(prefix="lumora-deb-")
        try:
            result = run("cpack", "-G", "DEB", "-B", out, "--config", os.path.join(BUILD, "CPackConfig.cmake"),
                         timeout=600)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
            debs = glob.glob(os.path.join(out, "*.deb"))
            self.assertEqual(len(debs), 1, os.listdir(out))
            info = run("dpkg-deb", "--info", debs[0])
            self.assertEqual(info.returncode, 0, info.stderr)
            self.assertIn("Package: lumora", info.stdout)
            self.assertIn("Version: 3.70", info.stdout)
            # Dependencies come from the linked libraries.
            self.assertRegex(info.stdout, r"Depends:.*libqt6widgets6")
            self.assertRegex(info.stdout, r"Depends:.*libxss1")
            contents = run("dpkg-deb", "--contents", debs[0]).stdout
            for rel in FILES:
                self.assertIn("./usr/" + rel, contents)
        finally:
            shutil.rmtree(out, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
