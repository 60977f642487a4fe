#!/usr/bin/env python3
"""A stand-in for lumora-flash in the unit tests: speaks its line protocol.
FAKE_FLASH_MODE: "play" (shows the movie and reports a frame every 20 ms),
"clock" (shows it, reports no frames), "silent" (never shows it), "crash"
(ends with status 3 right after showing it), "input" (reports a key once
the movie shows). Every command it reads is
appended to FAKE_FLASH_LOG when set; its platform plugin (QT_QPA_PLATFORM)
and arguments to FAKE_FLASH_ARGS."""
import os
import select
import sys
import time

mode = os.environ.get("FAKE_FLASH_MODE", "play")
log = os.environ.get("FAKE_FLASH_LOG")
if os.environ.get("FAKE_FLASH_ARGS"):
    with open(os.environ["FAKE_FLASH_ARGS"], "a") as f:
        f.write(" ".join([os.environ.get("QT_QPA_PLATFORM", "")] + sys.argv[1:]) + "\n")


def say(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


frame, playing, shown = -1, False, False
while True:
    ready, _, _ = select.select([sys.stdin], [], [], 0.02)
    if ready:
        line = sys.stdin.readline()
        if not line:
            break
        line = line.rstrip("\n")
        if log:
            with open(log, "a") as f:
                f.write(line + "\n")
        if line.startswith("load "):
            say("loading")
            say("ready")
            if mode == "silent":
                continue
            say("reports %d" % (0 if mode == "clock" else 1))
            say("shown")
            shown, playing = True, True
            if mode == "crash":
                sys.exit(3)
            if mode == "input":
                say("input key")
        elif line == "pause":
            playing = False
        elif line == "play":
            playing = shown
        elif line in ("quit", "stop"):
            break
    if playing and mode == "play":
        frame += 1
        say("frame %d" % frame)
