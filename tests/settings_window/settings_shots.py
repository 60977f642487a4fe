#!/usr/bin/env python3
"""Opens the settings window ("lumora /C") on a virtual X server over a
prepared LUMORA_HOME and saves a picture of each of its five tabs, switched
by clicking their headers, as OUT_DIR/settings-<tab>.png. The picture tab
is also taken after "包含子文件夹" and "==> 全部添加" took a tree of picture
folders (settings-pictures-tree.png).

usage: LUMORA_BIN=... LUMORA_SOURCE_DIR=... settings_shots.py OUT_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SOURCE = os.environ["LUMORA_SOURCE_DIR"]
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
from xsession import XSession  # noqa: E402

TABS = ["pictures", "media", "text", "options", "about"]
TAB_X = [47, 147, 248, 328, 407]  # the tab headers, in window coordinates
ADD_ALL = (216, 75)      # "==> 全部添加"
SUBFOLDERS = (190, 97)   # "包含子文件夹"
TREE_FIRST = (60, 75)    # the first folder of the tree


def main():
    out = os.path.abspath(sys.argv[1])
    home = tempfile.mkdtemp(prefix="lumora-shots-")
    subprocess.run([sys.executable, os.path.join(SOURCE, "scripts", "make_home.py"), home, "--pictures", "4",
                    "--captions", "欢迎使用《Lumora》", "春眠不觉晓，处处闻啼鸟。", "夜来风雨声",
                    "--fonts", "宋体", "黑体", "楷体_GB2312",
                    "--value", "wzbh=1", "--value", "tptc=1", "--value", "pp=2", "--value", "label=欢迎使用《Lumora》"],
                   check=True, stdout=subprocess.DEVNULL)
    # The scratch home is the user's home as well; its pictures folder is the
    # Pictures place, sorted into year folders below the four loose pictures.
    os.makedirs(os.path.join(home, "config"), exist_ok=True)
    with open(os.path.join(home, "config", "user-dirs.dirs"), "w") as f:
        f.write('XDG_PICTURES_DIR="$HOME/pictures"\n')
    pictures = os.path.join(home, "pictures")
    for n, folder in enumerate(["2023/春游", "2023/国庆", "2024/01", "2024/02", "2024/生日"]):
        os.makedirs(os.path.join(pictures, folder), exist_ok=True)
        for k in range(1 + n % 3):
            shutil.copy(os.path.join(pictures, "picture%d.bmp" % (1 + (n + k) % 4)),
                        os.path.join(pictures, folder, "照片%02d.bmp" % (k + 1)))
    x = XSession(800, 600)
    proc = None
    try:
        env = dict(x.env, LUMORA_HOME=home, LUMORA_AUDIO="silent", HOME=home,
                   XDG_CONFIG_HOME=os.path.join(home, "config"))
        proc = subprocess.Popen([os.environ["LUMORA_BIN"], "/C"], env=env, cwd=os.path.join(home, "pictures"))
        win = x.window_named("Lumora V3.70", timeout=20)
        if not win:
            sys.exit("the settings window did not appear")
        time.sleep(1.5)
        def click(px, py):
            x.run("xdotool", "mousemove", "--window", win, str(px), str(py), "click", "1")
            time.sleep(0.6)

        # Click the first picture of the file list (previews it).
        click(55, 273)
        time.sleep(1.0)
        for tab, tab_x in zip(TABS, TAB_X):
            click(tab_x, 19)
            x.run("import", "-silent", "-window", win, os.path.join(out, "settings-%s.png" % tab))
        # Add the whole tree of folders below Pictures, then open a year.
        click(TAB_X[0], 19)
        click(*SUBFOLDERS)
        click(*ADD_ALL)
        click(*TREE_FIRST)
        x.key("Right")
        time.sleep(1.0)
        x.run("import", "-silent", "-window", win, os.path.join(out, "settings-pictures-tree.png"))
    finally:
        if proc:
            proc.terminate()
            proc.wait(10)
        x.close()


if __name__ == "__main__":
    main()
