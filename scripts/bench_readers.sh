#!/usr/bin/env bash
# Times our picture readers against the libraries people would use instead,
# decoding the same files from memory in one process and one run
# (bench/readers_bench.cpp: GIF against giflib, TIFF against libtiff, Targa,
# Photoshop, PPM and PNG against stb_image, at 1920x1080 and 6000x4000), and
# prints the table of ratios ours / reference that docs/PERFORMANCE.md
# reports (below 1: ours is faster). CPU time, median of REPS repetitions
# (default 5) run in random order. ROUNDS=N runs the whole benchmark N times
# and gives each ratio as the median of the N runs' ratios with their range
# (the figures near 1.0 move by up to 10% between runs); FILTER=REGEX times
# only the benchmarks it matches (for example FILTER='ppm|tiff_none').
#
#   scripts/bench_readers.sh                           the in-process table
#   scripts/bench_readers.sh --imagemagick [WxH]       also whole processes
#                                                      against ImageMagick
#
# With --imagemagick it also times our TIFF reader (uncompressed, LZW,
# PackBits) and Photoshop reader (raw, PackBits) against ImageMagick's on the
# same files, as whole processes (ImageMagick writes raw RGB to /dev/null;
# lumora-tool decode writes nothing), the best of RUNS runs (default 5), in
# CPU seconds (default size 4000x3000; needs apt-get install imagemagick).
# The pictures it codes come from the committed samples (tests/data), or a
# photograph of ../shared/testimages when that folder is there.
#
# Builds in build-bench-readers/ (or BENCH_BUILD), a Release build without
# the GUI or the tests.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BENCH_BUILD:-$root/build-bench-readers}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMORA_GUI=OFF -DLUMORA_TESTS=OFF \
  -DLUMORA_BENCH=ON >/dev/null
ninja -C "$build" -j 2 readers_bench lumora-tool >/dev/null

results="$build/results"
mkdir -p "$results"
rm -f "$results"/readers*.json
for round in $(seq 1 "${ROUNDS:-1}"); do
  out="$results/readers.json"
  [ "$round" = 1 ] || out="$results/readers-$round.json"
  "$build/bench/readers_bench" --benchmark_repetitions="${REPS:-5}" --benchmark_enable_random_interleaving=true \
    --benchmark_filter="${FILTER:-.}" --benchmark_report_aggregates_only=true --benchmark_out="$out" \
    --benchmark_out_format=json >/dev/null
done
python3 "$root/scripts/bench_report.py" "$results" | sed -n '/^## Picture readers/,$p'

[ "${1:-}" = "--imagemagick" ] || exit 0
size="${2:-4000x3000}"
runs="${RUNS:-5}"
images="${LUMORA_TESTIMAGES:-$root/../shared/testimages}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

magick=/usr/bin/convert
[ -x "$magick" ] || magick="$(command -v convert || true)"
if [ -z "$magick" ]; then
  echo "ImageMagick's convert is missing: apt-get install imagemagick" >&2
  exit 1
fi

tool="$build/tool/lumora-tool"

# Varied picture content at the size asked for, with noise, so that the
# codings see more than flat runs: a photograph from the further folder of
# pictures when it is there (LUMORA_TESTIMAGES, default
# ../shared/testimages), else a mosaic of the committed sample pictures
# (tests/data, every one as its reader must give it), enlarged.
source="$images/hopper.jpg"
if [ ! -f "$source" ]; then
  source="$work/mosaic.ppm"
  montage="$(dirname "$magick")/montage"
  [ -x "$montage" ] || montage="$(command -v montage)"
  mapfile -t samples < <(find "$root/tests/data" -name "*.expected.ppm" | sort)
  [ ${#samples[@]} -gt 0 ] || { echo "no sample pictures in $root/tests/data" >&2; exit 1; }
  "$montage" "${samples[@]}" -tile 12x -geometry 64x64+0+0 -depth 8 "$source"
fi
"$magick" "$source" -resize "${size}!" -attenuate 0.3 +noise Gaussian -depth 8 "$work/src.ppm"
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
