#!/usr/bin/env python3
"""End-to-end tests of Flash movies on a real X server, played by the player
program (Ruffle in a web view): movies written byte by byte are drawn as
they should be, move or stand still, give the screen back to the slideshow
when they end, end the show on a key without leaving a player behind; a
killed player or a missing Ruffle lets the show go on with the next entry, a
killed show leaves no player behind;
the settings window's preview plays a movie with its frame count."""
import os
import select
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import swf_movies  # noqa: E402
from show_case import ShowCase, make_song, near, until, wait_exit, write, write_media_list  # noqa: E402

LUMORA = os.environ["LUMORA_BIN"]
FLASH = os.environ.get("LUMORA_FLASH_BIN", os.path.join(os.path.dirname(LUMORA), "lumora-flash"))
RUFFLE = os.path.join(os.path.dirname(FLASH), "ruffle")
SHOTS = os.environ.get("LUMORA_SHOTS")
# Xvfb has no GPU: the web engine draws in software.
CHROMIUM_FLAGS = "--disable-gpu"
SCALE = 1024 / 400  # the 400 x 300 movies fill the 1024 x 768 screen
PICTURES = {(255, 0, 0), (0, 255, 0), (0, 0, 255)}
# Places in the settings window, in window coordinates.
MEDIA_TAB = (150, 19)
MEDIA_LIST_FIRST = (340, 46)
FLASH_BOX = (285, 287)  # top left of the 209 x 153 preview area
STOP_PREVIEW = (224, 428)


def make_jpeg(rgb, size):
    return subprocess.run(["convert", "-size", "%dx%d" % size, "xc:rgb(%d,%d,%d)" % rgb, "-quality", "95", "jpeg:-"],
                          check=True, capture_output=True).stdout


def players_of(pid):
    """The player programs started by the process `pid`."""
    out = subprocess.run(["pgrep", "-P", str(pid), "-f", FLASH], capture_output=True, text=True).stdout
    return [int(p) for p in out.split()]


def running(pid):
    """Whether process `pid` runs (a zombie waiting for its parent does not)."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def square_x(x, shot):
    """The left edge of the moving (yellow) square on its row, or None."""
    y = int(150 * SCALE)
    for px in range(0, x.width, 2):
        if near(x.pixel(shot, px, y), (255, 255, 0)):
            return px
    return None


@unittest.skipUnless(os.path.exists(os.path.join(RUFFLE, "ruffle.js")), "Ruffle is not in the build tree")
class FlashTest(ShowCase):
    def setUp(self):
        super().setUp()
        self.home = self.new_home("--solid", "3", "--value", "jgsj=1", "--value", "tpbh=0")
        # The player writes nothing into the user's home.
        self.user_home = self.scratch("lumora-e2e-user-")
        self.runtime = self.scratch("lumora-e2e-run-")

    def player_env(self):
        """What the show and the player program run with: no GPU, a scratch
        home and runtime folder."""
        return {"HOME": self.user_home, "XDG_RUNTIME_DIR": self.runtime, "QTWEBENGINE_CHROMIUM_FLAGS": CHROMIUM_FLAGS}

    def start_show(self, args=("/S",), env=None):
        """lumora on the test's home (ended with the players it started at
        the end of the test)."""
        return self.start(self.home, *args, stdout=subprocess.DEVNULL,
                          env=dict(self.player_env(), SDL_AUDIODRIVER="dummy", LUMORA_EFFECT="0",
                                   LUMORA_FLASH_BIN=FLASH, **(env or {})))

    def wait_for(self, test, timeout):
        """Screenshots until test(shot) holds; the shot, or None."""
        return self.screen_until(test, timeout)

    def wait_without_white(self, test, what, timeout=40):
        """wait_for(test) for the movie `what`, watching the screen on the
        way: once the show covers it (before that, Xvfb's root pattern
        shows), the movie's place is black until its first frame, never
        white, whatever the movie's own background. The shot."""
        places = [(px, py) for px in (100, 512, 900, 101, 513, 901) for py in (100, 384, 700)]
        covered, whites = [], []

        def watched(s):
            points = [self.x.pixel(s, px, py) for px, py in places]
            if not covered and all(c == (0, 0, 0) for c in points):
                covered.append(True)
            if covered:
                white = [(px, py) for (px, py), c in zip(places, points) if min(c) > 200]
                if white and not whites and SHOTS:
                    with open(os.path.join(SHOTS, "flash-white.ppm"), "wb") as f:
                        f.write(b"P6\n%d %d\n255\n" % s[:2] + s[2])
                whites.extend(white)
            return test(s)
        shot = self.wait_for(watched, timeout)
        self.assertIsNotNone(shot, "the movie %s never showed as it should" % what)
        self.assertTrue(covered, "the screen was never black before the movie %s" % what)
        self.assertEqual(whites, [], "white before the first frame of the movie %s" % what)
        return shot

    def save(self, name):
        if SHOTS:
            self.x.save_png(os.path.join(SHOTS, name))

    def at(self, shot, mx, my):
        """The screen's colour at a point of the movie."""
        return self.x.pixel(shot, int(mx * SCALE), int(my * SCALE))

    def end_show(self, show, click=False):
        if click:  # a button on the movie, in the player's window
            self.x.run("xdotool", "mousemove", "512", "384", "click", "1")
        else:
            self.x.key("space")
        status = wait_exit(show, 15)
        if status != 0:
            self.fail("the show ended with %s: %s" % (status, show.stderr.read()[-3000:].decode(errors="replace")))
        # The players end with their input, at once (a moment to be reaped).
        left = lambda: subprocess.run(["pgrep", "-f", FLASH], capture_output=True).stdout  # noqa: E731
        self.assertTrue(until(lambda: not left(), 3, 0.05), "a player program was left behind: %s" % left())
        written = [os.path.join(d, f) for d, _, files in os.walk(self.user_home) for f in files]
        self.assertEqual(written, [], "files were written into the user's home")

    def is_picture(self, shot):
        return self.x.pixel(shot, self.x.width // 2, self.x.height // 2) in PICTURES

    def test_shapes_gradients_and_bitmaps_are_drawn(self):
        d = self.home
        jpeg = make_jpeg((0, 255, 0), (64, 64))
        movies = [
            ("blue-fws", swf_movies.blue_on_red(frames=60)),
            ("gradient-cws", swf_movies.gradient(compressed=True, frames=60)),
            ("jpeg-fws", swf_movies.jpeg_bitmap(jpeg, 64, 64, frames=60)),
            ("blue-cws", swf_movies.blue_on_red(compressed=True, frames=60)),
            ("jpeg-cws", swf_movies.jpeg_bitmap(jpeg, 64, 64, compressed=True, frames=60)),
        ]
        paths = [write(os.path.join(d, name + ".swf"), data) for name, data in movies]
        song = os.path.join(d, "song.mp3")
        make_song(song, 30)
        write_media_list(d, paths + [song])
        show = self.start_show()

        def blue(s):
            return (near(self.at(s, 200, 150), (0, 0, 255)) and near(self.at(s, 10, 10), (255, 0, 0))
                    and near(self.at(s, 90, 150), (255, 0, 0)) and near(self.at(s, 310, 150), (255, 0, 0)))

        def gradient(s):
            row = [self.at(s, mx, 150) for mx in (20, 100, 200, 300, 380)]
            greys = all(abs(c[0] - c[1]) < 12 and abs(c[1] - c[2]) < 12 for c in row)
            return greys and all(a[0] + 20 < b[0] for a, b in zip(row, row[1:]))

        def bitmap(s):
            return (near(self.at(s, 132, 107), (0, 255, 0), 60) and near(self.at(s, 50, 50), (255, 0, 0))
                    and near(self.at(s, 180, 107), (255, 0, 0)))

        # The first movie's background is red: its first picture is red,
        # not the player's white.
        self.wait_without_white(blue, "blue-fws")
        self.save("flash-blue-fws.png")
        for name, test in (("gradient-cws", gradient), ("jpeg-fws", bitmap), ("blue-cws", blue), ("jpeg-cws", bitmap)):
            shot = self.wait_for(test, 40)
            self.save("flash-%s.png" % name)
            self.assertIsNotNone(shot, "the movie %s never showed as it should" % name)
        # After the last movie the song plays and the slideshow comes back.
        self.assertIsNotNone(self.wait_for(self.is_picture, 15), "the slideshow did not resume")
        self.end_show(show)

    def test_a_moving_movie_moves_a_stopped_one_stands_a_while_and_a_key_ends_the_show(self):
        d = self.home
        song = os.path.join(d, "song.mp3")
        make_song(song, 5)
        paths = [write(os.path.join(d, "moving.swf"), swf_movies.moving(compressed=True)),
                 song,
                 write(os.path.join(d, "stopped.swf"), swf_movies.moving(stop_in_first_frame=True))]
        write_media_list(d, paths)
        started = time.time()
        show = self.start_show()
        first = self.wait_without_white(lambda s: square_x(self.x, s) is not None, "moving")
        print("\nfirst frame of the movie on screen %.2f s after the show started" % (time.time() - started))
        x0 = square_x(self.x, first)
        self.save("flash-moving-1.png")
        # A later screenshot has the square further right.
        moved = self.wait_for(lambda s: (square_x(self.x, s) or -1) > x0 + 20, 5)
        self.save("flash-moving-2.png")
        self.assertIsNotNone(moved, "the square did not move from x %d" % x0)
        # 120 frames at 30 a second: the slideshow is back after about 4 s.
        back = self.wait_for(self.is_picture, 15)
        self.assertIsNotNone(back, "the slideshow did not resume after the movie")
        # The song ends; the stopped movie stands at its first frame...
        shot = self.wait_for(lambda s: square_x(self.x, s) is not None, 40)
        self.assertIsNotNone(shot, "the stopped movie never showed")
        a = square_x(self.x, shot)
        time.sleep(1.0)  # what is checked: a second later it has not moved
        b = square_x(self.x, self.x.screenshot())
        self.save("flash-stopped.png")
        self.assertEqual(a, b)
        self.assertLess(a, 10)
        self.assertTrue(players_of(show.pid), "no player program while the movie plays")
        # ...until, reporting no frame for a few seconds, it is over and the
        # list goes on with the moving movie.
        again = self.wait_for(lambda s: (square_x(self.x, s) or -1) > a + 20, 20)
        self.assertIsNotNone(again, "the stopped movie kept the screen")
        self.end_show(show)

    def test_a_killed_player_lets_the_show_go_on(self):
        d = self.home
        long_movie = write(os.path.join(d, "long.swf"), swf_movies.blue_on_red(frames=900))
        moving = write(os.path.join(d, "moving.swf"), swf_movies.moving())
        write_media_list(d, [long_movie, moving])
        show = self.start_show()
        self.assertIsNotNone(self.wait_for(lambda s: near(self.at(s, 200, 150), (0, 0, 255)), 25))
        players = players_of(show.pid)
        self.assertEqual(len(players), 1)
        os.kill(players[0], 9)
        # The next entry, the moving square, in a new player.
        shot = self.wait_for(lambda s: square_x(self.x, s) is not None, 40)
        self.assertIsNotNone(shot, "the show did not go on with the next movie")
        self.assertIsNone(show.poll())
        self.end_show(show, click=True)

    def test_a_killed_show_leaves_no_player(self):
        # The show killed outright while a movie plays in its window: its
        # player ends too, soon, and does not go on using the processor.
        d = self.home
        write_media_list(d, [write(os.path.join(d, "long.swf"), swf_movies.blue_on_red(frames=900))])
        show = self.start_show()
        self.assertIsNotNone(self.wait_for(lambda s: near(self.at(s, 200, 150), (0, 0, 255)), 25))
        players = players_of(show.pid)
        self.assertEqual(len(players), 1)
        show.kill()
        show.wait()
        self.assertTrue(until(lambda: not running(players[0]), 20), "the player outlived the show by 20 s")

    def test_without_ruffle_the_show_goes_on_with_the_next_entry(self):
        d = self.home
        song = os.path.join(d, "song.mp3")
        make_song(song, 20)
        write_media_list(d, [write(os.path.join(d, "blue.swf"), swf_movies.blue_on_red(frames=300)), song])
        show = self.start_show(env={"LUMORA_RUFFLE_DIR": os.path.join(d, "no-ruffle-here")})
        if self.wait_for(self.is_picture, 40) is None:
            self.save("flash-no-ruffle.png")
            show.kill()
            self.fail("the slideshow did not go on: %s" % show.communicate()[1].decode(errors="replace"))
        self.assertIsNone(show.poll())
        self.end_show(show)

    def test_the_settings_preview_plays_a_movie_until_stopped(self):
        movie = write(os.path.join(self.home, "blue.swf"), swf_movies.blue_on_red(compressed=True, frames=77))
        write_media_list(self.home, [movie])
        window = self.start_show(("/C",))
        win = self.x.window_named("Lumora V3.70", timeout=45)
        self.assertIsNotNone(win)
        self.assertTrue(self.await_still(15, 0.2), "the settings window was never drawn")
        geometry = self.x.run("xdotool", "getwindowgeometry", win, capture_output=True, text=True).stdout
        left, top = (int(v) for v in geometry.split("Position: ")[1].split()[0].split(","))

        def click(where, repeat=1):
            self.x.run("xdotool", "mousemove", "--window", win, str(where[0]), str(where[1]),
                       "click", "--repeat", str(repeat), "--delay", "80", "1")

        # The media tab, once it is drawn (the screen changes), then its list.
        before = self.x.screenshot()
        click(MEDIA_TAB)
        self.assertTrue(self.await_change(before, 10), "the media tab did not open")
        self.assertTrue(self.await_still(10, 0.2), "the media tab was never drawn")
        click(MEDIA_LIST_FIRST, repeat=2)  # plays the movie in the preview area
        box = (left + FLASH_BOX[0], top + FLASH_BOX[1])
        # The 400 x 300 movie in the 209 x 153 area: 0.51 times, centred.
        inside = lambda mx, my: (box[0] + 2 + int(mx * 0.51), box[1] + int(my * 0.51))  # noqa: E731
        shown = self.wait_for(lambda s: near(self.x.pixel(s, *inside(200, 150)), (0, 0, 255))
                              and near(self.x.pixel(s, *inside(30, 30)), (255, 0, 0)), 40)
        self.save("flash-preview.png")
        self.assertIsNotNone(shown, "the preview did not show the movie")
        self.assertEqual(len(players_of(window.pid)), 1)
        click(STOP_PREVIEW)
        until(lambda: not players_of(window.pid), 8, 0.1)
        self.assertEqual(players_of(window.pid), [], "the player still runs after 停止预览")
        # The area is black again once the window has repainted it (on a
        # busy machine a moment after the player's window has gone).
        self.assertIsNotNone(self.wait_for(lambda s: self.x.pixel(s, *inside(200, 150)) == (0, 0, 0), 5),
                             "the preview area still shows the movie after 停止预览")
        window.terminate()
        self.assertIsNotNone(wait_exit(window, 10))

    def test_the_player_pauses_and_resumes(self):
        """The player program on its own, driven over its pipe."""
        movie = write(os.path.join(self.home, "moving.swf"), swf_movies.moving(frames=300))
        player = self.spawn([FLASH, "--size", "400x300"], env=self.player_env(), stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1)
        player.stdin.write("load %s\n" % movie)
        player.stdin.flush()
        frames = {"playing": [], "paused": [], "resumed": []}
        state, shown, end = "playing", None, time.time() + 40
        while time.time() < end:
            ready, _, _ = select.select([player.stdout], [], [], 0.05)
            now = time.time()
            if ready:
                line = player.stdout.readline().strip()
                if line == "shown":
                    shown = now
                elif shown and line.startswith("frame "):
                    frames[state].append(int(line.split()[1]))
            if not shown:
                continue
            if state == "playing" and now - shown > 1.5:
                player.stdin.write("pause\n")
                player.stdin.flush()
                state, paused_at = "paused", now
            elif state == "paused" and now - paused_at > 2.0:
                player.stdin.write("play\n")
                player.stdin.flush()
                state, resumed_at = "resumed", now
            elif state == "resumed" and now - resumed_at > 1.5:
                break
        player.stdin.write("quit\n")
        player.stdin.flush()
        self.assertEqual(player.wait(15), 0)
        self.assertIsNotNone(shown, "the movie never showed")
        self.assertGreater(len(frames["playing"]), 5, frames)
        # A frame or two may be on their way when the pause arrives.
        self.assertLessEqual(len(frames["paused"]), 2, frames)
        self.assertGreater(len(frames["resumed"]), 5, frames)
        self.assertGreater(frames["resumed"][0], frames["playing"][-1], "resumed from the start")

    def test_the_player_in_another_window_ends_on_quit_and_at_the_end_of_input(self):
        """Given --parent, the player ends at once on "quit" and when its
        input ends, so a show that played a movie exits without waiting."""
        movie = write(os.path.join(self.home, "moving.swf"), swf_movies.moving(frames=300))
        root = self.x.run("xwininfo", "-root", capture_output=True, text=True).stdout
        root_id = root.split("Window id:")[1].split()[0]
        for how in ("quit", "end of input"):
            player = self.spawn([FLASH, "--parent", root_id], env=self.player_env(), stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1)
            player.stdin.write("load %s\n" % movie)
            player.stdin.flush()
            end = time.time() + 40
            while time.time() < end and player.stdout.readline().strip() != "shown":
                pass
            if how == "quit":
                player.stdin.write("quit\n")
                player.stdin.flush()
            else:
                player.stdin.close()
            told = time.time()
            status = wait_exit(player, 10)
            took = time.time() - told
            self.assertEqual(status, 0, how)
            self.assertLess(took, 1.0, "the player took %.1f s to end on %s" % (took, how))


if __name__ == "__main__":
    unittest.main()
