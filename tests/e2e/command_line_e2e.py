#!/usr/bin/env python3
"""The command line as users meet it: --help and --version, wrong options,
the modes that start nothing, and every windowed mode without a display (one
line, status 1, no core dump)."""
import os
import subprocess
import unittest

LUMORA = os.environ["LUMORA_BIN"]


def run(*args, env=None):
    base = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    base.update(env or {})
    return subprocess.run([LUMORA, *args], env=base, capture_output=True, text=True, timeout=60)


class CommandLineTest(unittest.TestCase):
    def test_help_and_version(self):
        help_ = run("--help")
        self.assertEqual(help_.returncode, 0)
        for mode in ("/S", "/C", "/A", "-window-id", "-root", "--idle"):
            self.assertIn(mode, help_.stdout)
        version = run("--version")
        self.assertEqual((version.returncode, version.stdout), (0, "lumora 3.70\n"))

    def test_wrong_options_give_the_usage(self):
        for args in (["-window-id"], ["-window-id", "nope"], ["-window-id", "0"]):
            result = run(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("Usage: lumora", result.stderr)

    def test_what_matches_no_mode_starts_nothing(self):
        for args in ([], ["/P", "1234"], ["x"], ["/"]):
            result = run(*args)
            self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "", ""), args)

    def test_windowed_modes_without_a_display(self):
        home = os.environ.get("TMPDIR", "/tmp")
        for env in ({}, {"DISPLAY": ":59999"}, {"QT_QPA_PLATFORM": "xcb"}):
            for args in (["/S"], ["/c"], ["/A"], ["-root"], ["-window-id", "0x400001"], ["--idle"]):
                result = run(*args, env=dict(env, LUMORA_HOME=os.path.join(home, "lumora-no-display")))
                self.assertEqual(result.returncode, 1, (env, args, result.stderr))
                self.assertEqual(result.stderr, "lumora: cannot open the display\n", (env, args))


if __name__ == "__main__":
    unittest.main()
