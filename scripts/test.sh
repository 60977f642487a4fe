#!/usr/bin/env bash
# Checks the formatting (scripts/check_format.sh), then builds Lumora and
# runs every test: once in a normal build (build/), once
# with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), and
# every fuzz target for 15 s on its seed corpus (build-fuzz/, clang).
# Installs what it needs first.
#
# The normal build runs everything: unit, reader and fingerprint tests, the
# command line, the package, and the end-to-end tests on real display
# servers (Xvfb, mutter, openbox, sway). The sanitizer build runs the unit,
# reader, fingerprint and command-line tests only: the end-to-end tests are
# not registered there (tests/CMakeLists.txt): they spend their time waiting
# for screens, and the show's code they drive runs under the sanitizers in
# the unit tests (Qt's offscreen platform), all but what needs a real X
# server or compositor (grabs, override-redirect, Wayland). ctest runs
# two tests at a time (-j nproc); end-to-end tests that share something
# (the compositors' throwaway user) hold a lock, those that start the web
# engine take both processors. docs/DEVELOPING.md has the times.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check_format.sh

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  ninja -C "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600)
}

export QT_QPA_PLATFORM=offscreen
export LUMORA_SHUTDOWN=print
echo "== normal build"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== sanitizer build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DLUMORA_SANITIZE=ON
echo "== fuzz targets, 15 s each on their seed corpus"
LUMORA_FUZZ_TOOLS=1 scripts/setup.sh
FUZZ_BUILD_JOBS="$jobs" scripts/fuzz.sh --seeds-only --parallel "$jobs" 15
echo "All tests passed."
