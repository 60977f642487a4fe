#!/usr/bin/env bash
# Times our TIFF reader (uncompressed, LZW, PackBits) and Photoshop reader
# (raw, PackBits) against ImageMagick's on the same files, in one run, and
# prints the ratio ours / ImageMagick's (below 1: ours is faster). Both are
# timed as whole processes that read the file and decode it (ImageMagick
# writes raw RGB to /dev/null; lumora-tool decode writes nothing), the best
# of RUNS runs (default 5), in CPU seconds.
#
#   scripts/bench_readers.sh [WIDTHxHEIGHT]      (default 4000x3000)
#
# Needs ImageMagick (apt-get install imagemagick) and builds lumora-tool in
# build-bench-readers/ (or BENCH_BUILD, which is configured as a Release build
# without tests).
set -euo pipefail

size="${1:-4000x3000}"
runs="${RUNS:-5}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BENCH_BUILD:-$root/build-bench-readers}"
images="${LUMORA_TESTIMAGES:-$root/../shared/testimages}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

magick=/usr/bin/convert
[ -x "$magick" ] || magick="$(command -v convert || true)"
if [ -z "$magick" ]; then
  echo "ImageMagick's convert is missing: apt-get install imagemagick" >&2
  exit 1
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMORA_GUI=OFF -DLUMORA_TESTS=OFF >/dev/null
ninja -C "$build" -j 2 lumora-tool >/dev/null
tool="$build/tool/lumora-tool"

# A photograph enlarged to the size asked for, so that the codings see
# natural picture content.
source="$images/hopper.jpg"
if [ -f "$source" ]; then
  "$magick" "$source" -resize "${size}!" -attenuate 0.3 +noise Gaussian -depth 8 "$work/src.ppm"
else
  "$magick" -size "$size" gradient:red-blue -attenuate 0.3 +noise Gaussian -depth 8 "$work/src.ppm"
fi
"$magick" "$work/src.ppm" -compress None "$work/none.tif"
"$magick" "$work/src.ppm" -compress LZW "$work/lzw.tif"
"$magick" "$work/src.ppm" -compress RLE "$work/packbits.tif"
"$magick" "$work/src.ppm" -compress None "$work/raw.psd"
"$magick" "$work/src.ppm" -compress RLE "$work/packbits.psd"

# Best CPU time (user + system) of $runs runs of a command, in seconds: on
# a shared machine it is steadier than the wall clock.
best() {
  python3 - "$runs" "$@" <<'EOF'
import resource, subprocess, sys
runs = int(sys.argv[1]); cmd = sys.argv[2:]
def used():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime
times = []
for _ in range(runs):
    t = used()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
    times.append(used() - t)
print(f"{min(times):.4f}")
EOF
}

printf "%-14s %10s %12s %10s %8s\n" file bytes ours_s magick_s ratio
for f in none.tif lzw.tif packbits.tif raw.psd packbits.psd; do
  "$tool" decode "$work/$f" >/dev/null  # fails loudly if our reader refuses it
  ours=$(best "$tool" decode "$work/$f")
  theirs=$(best "$magick" "$work/$f" -depth 8 rgb:/dev/null)
  bytes=$(stat -c %s "$work/$f")
  ratio=$(python3 -c "print(f'{$ours / $theirs:.2f}')")
  printf "%-14s %10s %12s %10s %8s\n" "$f" "$bytes" "$ours" "$theirs" "$ratio"
done
echo "picture ${size}, best of ${runs} runs"
