#!/usr/bin/env python3
"""End-to-end tests of Flash movies on Wayland (sway's headless back end,
two outputs): the player program cannot go into the show's window there, so
the movie plays in the player's own full-screen window on the show's output,
above the show; the window goes when the movie ends (the show's window full
screen again) and a key on the movie ends the show without leaving a player
behind. Run as root, sway and the show run as a throwaway user."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import swf_movies  # noqa: E402
from compositor import give  # noqa: E402
from show_case import SwayCase, near, pixel, until, wait_exit, write  # noqa: E402

LUMORA = os.environ["LUMORA_BIN"]
FLASH = os.environ.get("LUMORA_FLASH_BIN", os.path.join(os.path.dirname(LUMORA), "lumora-flash"))
RUFFLE = os.path.join(os.path.dirname(FLASH), "ruffle")
SHOTS = os.environ.get("LUMORA_SHOTS")
WIDTH, HEIGHT = 800, 600
SCALE = WIDTH / 400  # the 400 x 300 movies fill the 800 x 600 output
PRIMARY, OTHER = "HEADLESS-1", "HEADLESS-2"
YELLOW, BLUE, RED = (255, 255, 0), (0, 0, 255), (255, 0, 0)


def square_x(shot):
    """The left edge of the moving (yellow) square on its row, or None."""
    y = int(150 * SCALE)
    for x in range(0, shot[0], 2):
        if near(pixel(shot, x, y), YELLOW):
            return x
    return None


@unittest.skipUnless(os.path.exists(os.path.join(RUFFLE, "ruffle.js")), "Ruffle is not in the build tree")
class FlashOnWaylandTest(SwayCase):
    outputs, size = 2, (WIDTH, HEIGHT)
    reachable = (FLASH, os.path.join(RUFFLE, "ruffle.js"))

    def setUp(self):
        super().setUp()
        self.home = self.new_home("--solid", "3", "--value", "jgsj=1", "--value", "tpbh=0")

    def start_show(self, movies_and_songs):
        path = os.path.join(self.home, "Lumora_Studio", "music.txt")
        with open(path, "wb") as f:
            f.write(b"".join(p.encode() + b"\r\n" for p in movies_and_songs))
        give(self.home)  # with the movies and songs written since
        env = {"SDL_AUDIODRIVER": "dummy", "LUMORA_EFFECT": "0", "LUMORA_FLASH_BIN": FLASH,
               "QT_QPA_PLATFORM": "wayland",
               # No GPU: the web engine draws in software.
               "QTWEBENGINE_CHROMIUM_FLAGS": "--disable-gpu"}
        return self.start(self.home, "/S", env=env, stdout=subprocess.DEVNULL)

    def wait_for(self, test, timeout, output=PRIMARY):
        """Screenshots of output until test(shot) holds; the shot, or None."""
        return self.screen_until(test, timeout, output)

    def save(self, name, output=PRIMARY):
        if SHOTS:
            write(os.path.join(SHOTS, name), self.sway.run(["grim", "-o", output, "-"], timeout=20).stdout)

    def windows(self):
        """(output, app_id, full screen) of every window sway has."""
        found = []

        def walk(node, output):
            if node.get("type") == "output":
                output = node["name"]
            if node.get("app_id") or node.get("pid"):
                found.append((output, node.get("app_id"), node.get("fullscreen_mode") == 1))
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child, output)
        walk(self.sway.swaymsg("-t", "get_tree"), None)
        return found

    def players_of(self, show):
        out = subprocess.run(["pgrep", "-P", str(show.pid), "-f", FLASH], capture_output=True, text=True).stdout
        return [int(p) for p in out.split()]

    def press_until_ended(self, show, timeout=20):
        """Presses space until the show ends (a virtual keyboard that comes
        and goes at once may lose its key: wtype waits a little on both
        sides); the show's exit status."""
        end = time.time() + timeout
        while time.time() < end:
            self.sway.run(["wtype", "-s", "300", "-k", "space", "-s", "200"], timeout=10)
            status = wait_exit(show, 2)
            if status is not None:
                return status
        return None

    def test_a_movie_plays_above_the_show_and_gives_the_output_back(self):
        song = os.path.join(self.home, "song.mp3")
        subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                        "sine=frequency=440:duration=30", "-c:a", "libmp3lame", song], check=True)
        movie = write(os.path.join(self.home, "moving.swf"), swf_movies.moving(compressed=True))
        show = self.start_show([movie, song])
        first = self.wait_for(lambda s: square_x(s) is not None, 40)
        self.save("flash-wayland-1.png")
        if first is None:
            self.fail("the movie never showed on %s: %s" % (PRIMARY, show.stderr.read1(20000).decode(errors="replace")))
        # Played, not a still: the square moves right.
        x0 = square_x(first)
        self.assertIsNotNone(self.wait_for(lambda s: (square_x(s) or -1) > x0 + 20, 5),
                             "the square did not move from x %d" % x0)
        self.save("flash-wayland-2.png")
        # In the player's own window, full screen on the show's output; the
        # other output is not the movie's.
        players = [w for w in self.windows() if w[1] == "lumora-flash"]
        self.assertEqual(players, [(PRIMARY, "lumora-flash", True)], self.windows())
        self.assertIsNone(square_x(self.sway.screenshot(OTHER)), "the movie is on %s too" % OTHER)
        # 120 frames at 30 a second: then the player and its window go and
        # the show's window has its output's full screen again. The song is
        # followed by the movie again (list order): a player started ahead
        # of it may run meanwhile, out of sight, never the one that played.
        playing = self.players_of(show)
        self.assertEqual(len(playing), 1, playing)
        def gone():
            windows = self.windows()
            return (playing[0] not in self.players_of(show) and not any(w[1] == "lumora-flash" for w in windows)
                    and (PRIMARY, "lumora", True) in windows)
        self.assertTrue(until(gone, 20, 0.2),
                        "after the movie: players %s, windows %s" % (self.players_of(show), self.windows()))
        self.assertIsNotNone(self.wait_for(lambda s: square_x(s) is None, 5), "the movie is still on screen")
        self.save("flash-wayland-after.png")
        self.assertIsNone(show.poll(), "the show ended with the movie")
        self.assertEqual(self.press_until_ended(show), 0)

    def test_a_key_on_the_movie_ends_the_show_and_its_player(self):
        movie = write(os.path.join(self.home, "blue.swf"), swf_movies.blue_on_red(frames=900))
        show = self.start_show([movie])

        # Until the movie's first frame its place is black (the output's
        # background, the show, then the player's window), never white.
        places = [(int(mx * SCALE), int(my * SCALE)) for mx in (5, 200, 395) for my in (5, 150, 295)]
        whites = []

        def blue(s):
            whites.extend(p for p in places if min(pixel(s, *p)) > 200)
            return near(pixel(s, int(200 * SCALE), int(150 * SCALE)), BLUE) and near(pixel(s, 10, 10), RED)
        self.assertIsNotNone(self.wait_for(blue, 40), "the movie never showed")
        self.save("flash-wayland-blue.png")
        self.assertEqual(whites, [], "white before the movie's first frame")
        players = self.players_of(show)
        self.assertEqual(len(players), 1)
        # The player's window has the keyboard: the key comes back to the
        # show through the player.
        tree = self.sway.swaymsg("-t", "get_tree")
        focused = []

        def walk(node):
            if node.get("focused"):
                focused.append(node.get("app_id"))
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)
        walk(tree)
        self.assertEqual(focused, ["lumora-flash"])
        self.assertEqual(self.press_until_ended(show), 0)
        self.assertTrue(until(lambda: not any(os.path.exists("/proc/%d" % p) for p in players), 10),
                        "the player outlived the show")
        self.assertEqual([w for w in self.windows() if w[1] in ("lumora", "lumora-flash")], [])


if __name__ == "__main__":
    unittest.main()
