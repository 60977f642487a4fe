#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need,
# when any is missing. Run as root or with sudo available.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config python3
  # The formatting check of scripts/test.sh.
  clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  # SHA-256 for the effect fingerprint test (libcrypto).
  libssl-dev
  qt6-base-dev libqt6dbus6 qt6-qpa-plugins
  libjpeg62-turbo-dev zlib1g-dev liblzma-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libsdl2-dev
  libpng-dev libwebp-dev libheif-dev libcrypt-dev libxss-dev qt6-webengine-dev qt6-declarative-dev
  libgif-dev libtiff-dev libstb-dev
  libheif-examples webp libavif-bin desktop-file-utils x11-xserver-utils ccache
  fonts-wqy-zenhei fonts-arphic-ukai fonts-arphic-uming
  xvfb xdotool x11-utils imagemagick ffmpeg dbus openbox
  # The show as the real XScreenSaver's module.
  xscreensaver
  # The tools scripts/make_samples.py makes the sample pictures with.
  python3-pil netpbm libtiff-tools libjpeg-turbo-progs
  man-db dpkg-dev file lintian
  # With dbus-x11, libdbus starts a session bus for programs that ask for
  # one where there is none: the suite must pass with it installed.
  dbus-x11
  # The idle watcher on Wayland, and the compositors its tests run under.
  libwayland-dev wayland-protocols plasma-wayland-protocols qt6-wayland
  # The lock on Wayland: its keyboard through xkbcommon.
  libxkbcommon-dev
  sway swaybg mutter grim wtype libglib2.0-bin procps
  # The lock's test on KWin (kwin_wayland's virtual back end; ~180 MB).
  kwin-wayland
  # The show on Wayland (the idle-inhibit protocol through Qt's native
  # interface) and the window managers its end-to-end tests run it under.
  qt6-base-private-dev xserver-xephyr
  # The stage's presents through MIT-SHM; the show benchmark's damage
  # watcher and its peer, feh's slideshow.
  libxcb-shm0-dev libxcb-damage0-dev feh
)
# Ruffle's files are fetched with npm; a machine with its own Node.js keeps it.
command -v npm >/dev/null || packages+=(npm)
if [ "${LUMORA_FUZZ_TOOLS:-0}" = 1 ]; then packages+=(clang libclang-rt-14-dev); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
