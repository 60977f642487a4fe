#!/usr/bin/env python3
"""Opens the settings window ("lumora /C") on a virtual X server over a
prepared LUMORA_HOME and saves a picture of each of its five tabs, switched
by clicking their headers, as OUT_DIR/settings-<tab>.png.

usage: LUMORA_BIN=... LUMORA_SOURCE_DIR=... settings_shots.py OUT_DIR
"""
import os
import subprocess
import sys
import tempfile
import time

SOURCE = os.environ["LUMORA_SOURCE_DIR"]
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
from xsession import XSession  # noqa: E402

TABS = ["pictures", "media", "text", "options", "about"]
TAB_X = [47, 147, 248, 328, 407]  # the tab headers, in window coordinates


def main():
    out = os.path.abspath(sys.argv[1])
    home = tempfile.mkdtemp(prefix="lumora-shots-")
    subprocess.run([sys.executable, os.path.join(SOURCE, "scripts", "make_home.py"), home, "--pictures", "4",
                    "--captions", "欢迎使用《Lumora》", "春眠不觉晓，处处闻啼鸟。", "夜来风雨声",
                    "--fonts", "宋体", "黑体", "楷体_GB2312",
                    "--value", "wzbh=1", "--value", "tptc=1", "--value", "pp=2", "--value", "label=欢迎使用《Lumora》"],
                   check=True, stdout=subprocess.DEVNULL)
    x = XSession(800, 600)
    proc = None
    try:
        env = dict(x.env, LUMORA_HOME=home, LUMORA_AUDIO="silent")
        proc = subprocess.Popen([os.environ["LUMORA_BIN"], "/C"], env=env, cwd=os.path.join(home, "pictures"))
        win = x.window_named("Lumora V3.70", timeout=20)
        if not win:
            sys.exit("the settings window did not appear")
        time.sleep(1.5)
        def click(px, py):
            x.run("xdotool", "mousemove", "--window", win, str(px), str(py), "click", "1")
            time.sleep(0.6)

        # Click the first picture of the file list (previews it), then pick
        # the drive "/" (fills the folder tree).
        click(55, 273)
        click(88, 48)
        x.key("Return")
        time.sleep(1.0)
        for tab, tab_x in zip(TABS, TAB_X):
            click(tab_x, 19)
            x.run("import", "-silent", "-window", win, os.path.join(out, "settings-%s.png" % tab))
    finally:
        if proc:
            proc.terminate()
            proc.wait(10)
        x.close()


if __name__ == "__main__":
    main()
