#!/usr/bin/env python3
"""The install rules and the Debian package: `cmake --install` into a scratch
prefix puts every file in place where the desktops look for it, the desktop
entries validate, the manual pages render, the installed programs run from
there (also through the screensaver daemons' link), and `cpack -G DEB` makes a
package that dpkg-deb reads and lintian finds no error in."""
import glob
import gzip
import os
import re
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
    "lib/lumora/lumora-lock",
    "share/applications/lumora.desktop",
    "share/icons/hicolor/scalable/apps/lumora.svg",
    "share/man/man1/lumora.1.gz",
    "share/man/man1/lumora-tool.1.gz",
    "share/xscreensaver/config/lumora.xml",
    "share/lumora/lumora-idle.desktop",
    "share/applications/screensavers/lumora.desktop",
    "share/doc/lumora/copyright",
    "share/doc/lumora/changelog.gz",
]
# Links in the package: where they are, what they point at.
LINKS = {"libexec/xscreensaver/lumora": "../../bin/lumora"}
# Compressed as Debian wants: gzip -9, no file name, no time stamp.
GZIPPED = ["share/man/man1/lumora.1.gz", "share/man/man1/lumora-tool.1.gz", "share/doc/lumora/changelog.gz"]


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

    def read(self, rel):
        with open(self.path(rel), encoding="utf-8") as f:
            return f.read()

    def test_desktop_entries_validate(self):
        for rel in ("share/applications/lumora.desktop", "share/lumora/lumora-idle.desktop",
                    "share/applications/screensavers/lumora.desktop"):
            result = run("desktop-file-validate", self.path(rel))
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
            # A screensaver theme has no main category by design: only the
            # hint about it may be given.
            said = [line for line in (result.stdout + result.stderr).splitlines()
                    if not (rel.endswith("screensavers/lumora.desktop") and "main category" in line)]
            self.assertEqual(said, [], rel)
        entry = self.read("share/applications/lumora.desktop")
        self.assertIn("\nExec=lumora /C\n", entry)
        self.assertIn("\nName=Lumora\n", entry)
        self.assertIn("\nName[zh_CN]=", entry)
        self.assertIn("\nIcon=lumora\n", entry)
        # The session skips the idle start once the program is gone.
        idle = self.read("share/lumora/lumora-idle.desktop")
        self.assertIn("\nExec=lumora --idle\n", idle)
        self.assertIn("\nTryExec=lumora\n", idle)

    def test_mate_theme_runs_the_module_mode_from_the_hack_folder(self):
        theme = self.read("share/applications/screensavers/lumora.desktop")
        for line in ("Type=Application", "Name=Lumora", "Exec=/usr/libexec/xscreensaver/lumora -root",
                     "TryExec=/usr/libexec/xscreensaver/lumora", "Categories=Screensaver;"):
            self.assertIn("\n" + line + "\n", theme)
        # The link the theme runs leads to the installed program, which runs
        # through it (and finds its helpers beside the real one).
        for rel, target in LINKS.items():
            self.assertTrue(os.path.islink(self.path(rel)), rel)
            self.assertEqual(os.readlink(self.path(rel)), target)
            self.assertEqual(os.path.realpath(self.path(rel)), os.path.realpath(self.path("bin/lumora")))
        self.assertEqual(run(self.path("libexec/xscreensaver/lumora"), "--version").stdout, "lumora 3.70\n")

    def test_documentation_is_compressed_and_the_changelog_reads(self):
        for rel in GZIPPED:
            with open(self.path(rel), "rb") as f:
                header = f.read(10)
            self.assertEqual(header[:3], b"\x1f\x8b\x08", rel)
            self.assertEqual(header[3] & 0x08, 0, "%s keeps a file name" % rel)
            self.assertEqual(header[4:8], b"\0\0\0\0", "%s keeps a time stamp" % rel)
            self.assertEqual(header[8], 2, "%s is not compressed at the best level" % rel)
        with gzip.open(self.path("share/doc/lumora/changelog.gz"), "rt", encoding="utf-8") as f:
            changelog = f.read()
        self.assertRegex(changelog, r"^lumora \(3\.70\) unstable; urgency=medium\n")
        self.assertRegex(changelog, r"\n -- [^<>]+ <[^@<>\s]+@[^@<>\s]+\.[^@<>\s]+>  \w{3}, \d\d \w{3} \d{4} ")
        copyright_file = self.read("share/doc/lumora/copyright")
        self.assertTrue(copyright_file.startswith("Format: https://www.debian.org/doc/packaging-manuals/"))
        self.assertIn("\nFiles: usr/lib/lumora/ruffle/*\n", copyright_file)

    def test_manual_pages_render(self):
        for page, title in (("lumora.1", "LUMORA(1)"), ("lumora-tool.1", "LUMORA-TOOL(1)")):
            env = dict(os.environ, MANWIDTH="80", MANPAGER="cat", PAGER="cat")
            result = run("man", "--warnings", "-l", self.path("share/man/man1/" + page + ".gz"), env=env)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertTrue(result.stdout.lstrip().startswith(title), result.stdout[:200])
            self.assertIn("NAME", result.stdout)
            self.assertEqual(result.stderr.strip(), "", page)
        lumora = run("man", "-l", self.path("share/man/man1/lumora.1.gz"), env=env).stdout
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
            self.assertRegex(info.stdout, r"\n Maintainer: [^<>\n]+ <[^@<>\s]+@[^@<>\s]+\.[^@<>\s]+>\n")
            contents = run("dpkg-deb", "--contents", debs[0]).stdout
            for rel in FILES:
                self.assertIn("./usr/" + rel, contents)
            for rel, target in LINKS.items():
                self.assertIn("./usr/%s -> %s\n" % (rel, target), contents)
            if shutil.which("lintian"):
                # Run as root only with --allow-root; the verdict is the same.
                args = ["lintian", "--no-tag-display-limit", debs[0]]
                if os.geteuid() == 0:
                    args.insert(1, "--allow-root")
                lint = run(*args, timeout=600)
                print("\nlintian:\n" + lint.stdout + lint.stderr)
                errors = [line for line in lint.stdout.splitlines() if line.startswith("E: ")]
                self.assertEqual(errors, [], lint.stdout)
        finally:
            shutil.rmtree(out, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
