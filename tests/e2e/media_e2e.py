#!/usr/bin/env python3
"""End-to-end tests of the media list on a real X server: a song with its
lyric file shows its lines at the bottom of the screen in time, and a Flash
movie (played by the Flash player program) hides the stage and shows its
background colour until it ends."""
import os
import shutil
import signal
import struct
import sys
import time
import unittest
import zlib

sys.path.insert(0, os.path.dirname(__file__))
from show_case import ShowCase, make_song, until, wait_exit, write_media_list  # noqa: E402

SHOTS = os.environ.get("LUMORA_SHOTS")


def make_swf(path, rgb, frames, fps, shown=None):
    """A zlib-compressed movie: a 550 x 400 stage, the background colour, and
    `frames` empty frames at `fps` (the header's count; `shown` of them are
    really there, all when None)."""
    bits = "{:05b}".format(15) + "".join("{:015b}".format(v) for v in (0, 11000, 0, 8000))
    bits += "0" * (-len(bits) % 8)
    rect = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
    body = rect + struct.pack("<HH", int(fps * 256), frames)
    body += struct.pack("<H", 9 << 6 | 3) + bytes(rgb)       # SetBackgroundColor
    body += struct.pack("<H", 1 << 6) * (frames if shown is None else shown) + b"\0\0"  # ShowFrame..., End
    with open(path, "wb") as f:
        f.write(b"CWS" + bytes([10]) + struct.pack("<I", len(body) + 8) + zlib.compress(body))


class MediaTest(ShowCase):
    def setUp(self):
        if not shutil.which("ffmpeg"):
            self.skipTest("the ffmpeg tool is needed to make the songs")
        super().setUp()

    def start(self, home, *args, env=None, **kw):
        """The show (/S) with silent audio and the web engine without GPU."""
        env = dict({"SDL_AUDIODRIVER": "dummy", "QTWEBENGINE_CHROMIUM_FLAGS": "--disable-gpu"}, **(env or {}))
        return super().start(home, *(args or ("/S",)), env=env, **kw)

    def yellow_columns(self, shot, y0, y1):
        """The x of every yellow pixel in rows y0..y1-1 (every other pixel)."""
        w = shot[0]
        xs = []
        for y in range(y0, y1, 2):
            for x in range(0, w, 2):
                r, g, b = self.x.pixel(shot, x, y)
                if r > 200 and g > 200 and b < 80:
                    xs.append(x)
        return xs

    def test_lyric_lines_come_at_the_bottom_in_time(self):
        home = self.new_home()
        song = os.path.join(home, "song.mp3")
        make_song(song, 12)
        with open(os.path.join(home, "song.lrc"), "wb") as f:
            f.write(b"[ti:T]\r\n[ar:A]\r\n[00:03.00]AB\r\n"
                    b"[00:07.00]A MUCH LONGER LYRIC LINE THAT REACHES FAR TO THE RIGHT\r\n")
        write_media_list(home, [song])
        show = self.start(home)
        h = self.x.height
        bottom = (h - 25, h)
        first_caption = None  # when the saver's caption first showed
        events = []           # (seconds since the caption, rightmost yellow x at the bottom)
        end = time.time() + 14
        while time.time() < end:
            shot = self.x.screenshot()
            now = time.time()
            if first_caption is None:
                if self.yellow_columns(shot, h // 2 - 60, h // 2 + 60):
                    first_caption = now
                else:
                    time.sleep(0.1)
                    continue
            xs = self.yellow_columns(shot, *bottom)
            events.append((now - first_caption, max(xs) if xs else None))
            if events[-1][0] > 8.5:
                break
            time.sleep(0.15)
        if SHOTS:
            self.x.save_png(os.path.join(SHOTS, "lyrics.png"))
        self.x.key("space")
        self.assertEqual(wait_exit(show, 10), 0)

        self.assertIsNotNone(first_caption, "the show never came up")
        # Nothing at the bottom before the first line's time.
        before = [x for t, x in events if t < 2.0]
        self.assertTrue(before, events)
        self.assertTrue(all(x is None for x in before), events)
        # The short line from about 3 s, the long one from about 7 s.
        short = [(t, x) for t, x in events if 3.8 < t < 6.0]
        self.assertTrue(short and all(x is not None and x < 450 for t, x in short), events)
        long_ = [(t, x) for t, x in events if t > 7.8]
        self.assertTrue(long_ and all(x is not None and x > 800 for t, x in long_), events)
        first_seen = min(t for t, x in events if x is not None)
        self.assertGreater(first_seen, 2.0, events)

    def test_a_movie_hides_the_stage_until_it_ends(self):
        home = self.new_home("--solid", "3", "--value", "jgsj=1", "--value", "tpbh=0")
        movie = os.path.join(home, "movie.swf")
        make_swf(movie, (0, 128, 255), 48, 12)  # 4 s
        song = os.path.join(home, "song.mp3")
        make_song(song, 4)
        write_media_list(home, [movie, song])
        show = self.start(home, env={"LUMORA_EFFECT": "0"})
        pictures = {(255, 0, 0), (0, 255, 0), (0, 0, 255)}
        runs = []  # [kind, first seen, last seen]
        start = time.time()
        # The player program starts the web engine for each movie after a
        # song: a few seconds under load. Watched until the second showing
        # of the movie has lasted what is asked of it, or has ended.
        def movie_again_seen():
            return len(runs) >= 4 or (len(runs) == 3 and runs[2][2] - runs[2][1] > 1.0)

        while time.time() - start < 26 and not movie_again_seen():
            shot = self.x.screenshot()
            c = self.x.pixel(shot, self.x.width // 2, self.x.height // 2)
            kind = "movie" if c == (0, 128, 255) else "picture" if c in pictures else None
            t = time.time() - start
            if kind:
                if runs and runs[-1][0] == kind:
                    runs[-1][2] = t
                else:
                    runs.append([kind, t, t])
                    if SHOTS:
                        self.x.save_png(os.path.join(SHOTS, "media-%d-%s.png" % (len(runs), kind)))
            time.sleep(0.15)
        self.x.key("space")
        self.assertEqual(wait_exit(show, 10), 0)

        kinds = [r[0] for r in runs]
        self.assertGreaterEqual(len(runs), 3, runs)
        # The movie first, for about its length, with no picture over it;
        # then the slideshow; then the movie again after the song.
        self.assertEqual(kinds[:3], ["movie", "picture", "movie"], runs)
        self.assertGreater(runs[0][2] - runs[0][1], 1.8, runs)
        self.assertGreater(runs[2][2] - runs[2][1], 1.0, runs)

    def test_short_songs_never_hold_the_pictures_back(self):
        # Songs shorter than the pause end during every pause; the pictures
        # must still change at their own time.
        home = self.new_home("--solid", "3", "--value", "jgsj=1", "--value", "tpbh=0", "--value", "fxms=0")
        songs = []
        for i, seconds in enumerate((0.5, 1.5)):
            songs.append(os.path.join(home, "short%d.mp3" % i))
            make_song(songs[-1], seconds)
        write_media_list(home, songs)
        show = self.start(home, env={"LUMORA_EFFECT": "0"})
        pictures = {(255, 0, 0), (0, 255, 0), (0, 0, 255)}
        changes, last = 0, None
        # Four changes take about five seconds; the deadline leaves room for
        # a busy machine (the loop ends as soon as they came).
        end = time.time() + 20
        while time.time() < end and changes < 4:
            c = self.centre()
            if c in pictures and c != last:
                changes += 1
                last = c
            time.sleep(0.1)
        self.x.key("space")
        self.assertEqual(wait_exit(show, 10), 0)
        self.assertGreaterEqual(changes, 4, "the pictures stopped changing while short songs played")

    def test_sigterm_during_a_song_ends_the_show(self):
        home = self.new_home("--solid", "2", "--value", "jgsj=1", "--value", "tpbh=0")
        song = os.path.join(home, "long.mp3")
        make_song(song, 60)
        write_media_list(home, [song])
        show = self.start(home, env={"LUMORA_EFFECT": "0"})
        until(lambda: self.centre() in {(255, 0, 0), (0, 255, 0)}, 15)
        show.send_signal(signal.SIGTERM)
        self.assertEqual(wait_exit(show, 2), 0, "SIGTERM did not end the show while a song played")

    def test_a_cut_movie_gives_the_slides_back(self):
        # The header claims a minute of frames, the file holds one: the
        # player reports no frame after the first, and the movie is over.
        home = self.new_home("--solid", "2", "--value", "jgsj=1", "--value", "tpbh=0")
        movie = os.path.join(home, "cut.swf")
        make_swf(movie, (0, 128, 255), 720, 12, shown=1)
        song = os.path.join(home, "song.mp3")
        make_song(song, 60)
        write_media_list(home, [movie, song])
        show = self.start(home, env={"LUMORA_EFFECT": "0"})
        seen = []
        end = time.time() + 30
        while time.time() < end:
            c = self.centre()
            kind = "movie" if c == (0, 128, 255) else "picture" if c in {(255, 0, 0), (0, 255, 0)} else None
            if kind and (not seen or seen[-1] != kind):
                seen.append(kind)
            if seen[-2:] == ["movie", "picture"]:
                break
            time.sleep(0.1)
        self.x.key("space")
        self.assertEqual(wait_exit(show, 10), 0)
        self.assertEqual(seen[-2:], ["movie", "picture"], seen)


if __name__ == "__main__":
    unittest.main()
