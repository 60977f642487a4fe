#!/usr/bin/env bash
# Builds every libFuzzer target (fuzz/fuzz_*.cpp) with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz/, and runs each for SECONDS
# (default 60). Each target starts from the sample pictures of its file types
# in ../shared/testimages when that folder exists. Exits 1 when any target
# finds a crash, a leak, a hang or an excessive allocation; the input that
# caused it is kept in build-fuzz/artifacts/<target>/.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail

seconds="${1:-60}"
case "$seconds" in
  ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"
images="${LUMORA_TESTIMAGES:-$root/../shared/testimages}"
jobs="${FUZZ_BUILD_JOBS:-2}"

# Picture extensions of each target's reader; a target not listed here takes
# the part of its name after "fuzz_" as its extension.
extensions_of() {
  case "$1" in
    targa) echo "tga vst vda icb win" ;;
    pcx) echo "pcx pcc scr" ;;
    autodesk) echo "pic cel" ;;
    drhalo) echo "cut" ;;
    sgi) echo "sgi rgb rgba bw" ;;
    portable_map) echo "pbm pgm ppm" ;;
    gif) echo "gif" ;;
    icon) echo "ico" ;;
    tiff) echo "tif tiff" ;;
    photoshop) echo "psd pdd" ;;
    rla) echo "rla rpf" ;;
    photocd) echo "pcd" ;;
    bmp) echo "bmp dib rle" ;;
    jpeg) echo "jpg jpeg" ;;
    metafile) echo "wmf emf" ;;
    decoders) echo "" ;;
    *) echo "$1" ;;
  esac
}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DLUMORA_FUZZ=ON -DLUMORA_GUI=OFF -DLUMORA_TESTS=OFF >/dev/null

targets=()
for src in "$root"/fuzz/fuzz_*.cpp; do
  [ -e "$src" ] || continue
  targets+=("$(basename "$src" .cpp)")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $root/fuzz" >&2
  exit 1
fi
ninja -C "$build" -j "$jobs" "${targets[@]}"

failed=()
for target in "${targets[@]}"; do
  name="${target#fuzz_}"
  corpus="$build/corpus/$name"
  seeds="$build/seeds/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  rm -rf "$seeds"
  mkdir -p "$seeds"
  if [ -d "$images" ]; then
    for ext in $(extensions_of "$name"); do
      find "$images" -type f -iname "*.$ext" -size -2M -exec cp -t "$seeds" {} + 2>/dev/null || true
    done
  fi
  echo "== $target: ${seconds}s, $(ls "$seeds" | wc -l) seed files"
  if ! "$build/fuzz/$target" "$corpus" "$seeds" \
      -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 -max_len=262144 \
      -artifact_prefix="$artifacts/" -print_final_stats=1 >"$build/$target.log" 2>&1; then
    echo "!! $target found a problem; see $build/$target.log and $artifacts/" >&2
    tail -n 40 "$build/$target.log" >&2
    failed+=("$target")
  else
    grep -E '^stat::number_of_executed_units' "$build/$target.log" || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
echo "all ${#targets[@]} targets ran ${seconds}s without a crash"
