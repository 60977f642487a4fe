#!/usr/bin/env python3
"""End-to-end tests of the show on a real X server with what people may put in
their lists: a FIFO or a link to /dev/zero as the last picture entry, a
140-byte picture that claims 30000 x 30000 pixels, a caption line of 1 MB.
Each time the show must keep changing pictures, a key must end it with status
0 within a second, and the process must never pass 1 GB (its peak resident
size, VmHWM)."""
import os
import struct
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from show_case import ShowCase, wait_exit  # noqa: E402

COLOURS = {(255, 0, 0): "red", (0, 255, 0): "green", (0, 0, 255): "blue"}
ONE_GB_KB = 1024 * 1024


def claiming_psd(path):
    """A Photoshop file of 140 bytes whose header claims 30000 x 30000 at 1 bit."""
    header = b"8BPS" + struct.pack(">H6sHIIHH", 1, b"\0" * 6, 1, 30000, 30000, 1, 0)
    body = struct.pack(">III", 0, 0, 0) + struct.pack(">H", 0)
    data = header + body
    data += b"\xAA" * (140 - len(data))
    with open(path, "wb") as f:
        f.write(data)


def peak_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


class HostileListsTest(ShowCase):
    def home(self, pictures_after, captions=None):
        """Three solid pictures (red, green, blue), then the given entries."""
        home = self.new_home("--solid", "3", "--value", "jgsj=1", "--value", "tpbh=0",
                         "--value", "wzbh=%d" % (1 if captions else 0))
        lists = os.path.join(home, "Lumora_Studio")
        pics = [os.path.join(home, "pictures", "solid%d.bmp" % i) for i in (1, 2, 3)]
        entries = pics + [e(home) if callable(e) else e for e in pictures_after]
        with open(os.path.join(lists, "pic.txt"), "wb") as f:
            f.write(b"".join(e.encode() + b"\r\n" for e in entries))
        if captions:
            with open(os.path.join(lists, "label.txt"), "wb") as f:
                f.write(b"".join(c + b"\r\n" for c in captions))
        return home

    def windows(self):
        """The show's visible windows as (id, width); xdotool matches names
        without regard to case, so this finds the message boxes ("Lumora")
        and the full-screen windows alike."""
        ids = self.x.run("xdotool", "search", "--onlyvisible", "--name", "^lumora$",
                         capture_output=True, text=True).stdout.split()
        out = []
        for w in ids:
            geo = self.x.run("xdotool", "getwindowgeometry", "--shell", w, capture_output=True, text=True).stdout
            width = dict(l.split("=", 1) for l in geo.split() if "=" in l).get("WIDTH", "0")
            out.append((w, int(width)))
        return out

    def dismiss_reports(self):
        """Answers the error reports the show put up (a picture it could not
        read); the show goes on."""
        boxes = [w for w, width in self.windows() if 0 < width < self.x.width]
        for w in boxes:
            self.x.run("xdotool", "windowfocus", w)
            self.x.key("Return")
        return bool(boxes)

    def run_show(self, home, seconds=30):
        """Runs the show on `home`, watching the middle of the screen, until
        the pictures have gone round the list past the hostile entries (at
        most `seconds`), then ends it with a key; returns the colours seen in
        order."""
        show = self.start(home, "/S", env={"LUMORA_EFFECT": "0"})
        seen, peak = [], 0
        end = time.time() + seconds
        while time.time() < end:
            if show.poll() is not None:
                self.fail("the show ended by itself (status %s, colours %s): %r"
                          % (show.returncode, seen, show.stderr.read()[-2000:]))
            peak = max(peak, peak_kb(show.pid))
            self.dismiss_reports()
            c = self.x.pixel(self.x.screenshot(), 512, 384)
            if c in COLOURS and (not seen or seen[-1] != COLOURS[c]):
                seen.append(COLOURS[c])
                if len(seen) >= 4 and set(seen) == set(COLOURS.values()):
                    break  # round the list: red has just come again
            time.sleep(0.15)
        # The pictures kept changing: each colour came, some more than once.
        self.assertGreaterEqual(len(seen), 4, seen)
        self.assertEqual(set(seen), set(COLOURS.values()), seen)

        # A key ends the show within a second with status 0. The key is
        # given just after red has come (the first entry), so that the next
        # step, and with it the next error report (a modal box that would take
        # the key itself), is a second or more away.
        # The watch above stops as red comes round: that red will do.
        status, took = None, 0.0
        red_just_came = seen[-1] == "red"
        for attempt in range(3):
            self.dismiss_reports()
            previous = None
            deadline = time.time() + 15
            while time.time() < deadline and not (attempt == 0 and red_just_came):
                c = COLOURS.get(self.x.pixel(self.x.screenshot(), 512, 384))
                if c == "red" and previous not in (None, "red"):
                    break
                previous = c
                self.dismiss_reports()
            peak = max(peak, peak_kb(show.pid))
            screens = [w for w, width in self.windows() if width >= self.x.width]
            for w in screens[-1:]:
                self.x.run("xdotool", "windowfocus", w)
            start = time.time()
            self.x.key("space")
            status = wait_exit(show, 1.0)
            took = time.time() - start
            if status is not None or not self.dismiss_reports():
                break
        print("colours %s, ended in %.2f s, peak %d kB" % (" ".join(seen), took, peak), file=sys.stderr)
        self.assertEqual(status, 0, "ended in %.2f s" % took)
        self.assertLess(peak, ONE_GB_KB, "peak resident size %d kB" % peak)
        return seen

    def test_fifo_last_and_a_picture_that_claims_too_much(self):
        def fifo(home):
            path = os.path.join(home, "pictures", "waiting.bmp")
            os.mkfifo(path)
            return path

        def psd(home):
            path = os.path.join(home, "pictures", "huge.psd")
            claiming_psd(path)
            self.assertEqual(os.path.getsize(path), 140)
            return path

        self.run_show(self.home([psd, fifo]))

    def test_dev_zero_link_last(self):
        def zero(home):
            path = os.path.join(home, "pictures", "endless.jpg")
            os.symlink("/dev/zero", path)
            return path

        self.run_show(self.home([zero]))

    def test_caption_line_of_one_megabyte(self):
        # Every caption is typed to its 1,024th byte, a few seconds each.
        self.run_show(self.home([], captions=[b"x" * (1 << 20)]), seconds=40)


if __name__ == "__main__":
    unittest.main()
