#!/bin/sh
# Frames presented by each of the 122 transitions, paced to the default
# minimum, on a virtual 1920x1080 X screen. Extra arguments go to the
# program (--min MS, --speed S, --effects A-B).
#   scripts/transition_frames.sh [BUILD_DIR] [ARGS...]
set -e
build=${1:-build}
[ $# -gt 0 ] && shift
display=:$(( 500 + $$ % 400 ))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb' EXIT
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/bench/transition_frames" "$@"
