#!/bin/sh
# Frames presented by each of the 122 transitions, paced to the default
# minimum, on a virtual 1920x1080 X screen. Extra arguments go to the
# program (--min MS, --speed S, --effects A-B).
#   scripts/transition_frames.sh [BUILD_DIR] [ARGS...]
set -e
build=${1:-build}
[ $# -gt 0 ] && shift
number=$(mktemp)
# Xvfb picks a free display number itself and writes it to fd 9.
Xvfb -displayfd 9 -screen 0 1920x1080x24 -nolisten tcp -noreset 9>"$number" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb; rm -f "$number"' EXIT
for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
DISPLAY=:$(head -n1 "$number") QT_QPA_PLATFORM=xcb "$build/bench/transition_frames" "$@"
