#!/usr/bin/env bash
# Builds every libFuzzer target (fuzz/fuzz_*.cpp) with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz/, and runs each for SECONDS
# (default 60). Each target starts from its seed corpus in fuzz/corpus/<name>
# (made by scripts/make_fuzz_seeds.py), the files of fuzz/seeds/<name> made
# with other encoders, and, unless --seeds-only is given, from every
# committed sample picture of its file types in tests/data and those of a
# further folder when it exists (LUMORA_TESTIMAGES, default
# ../shared/testimages). Exits 1 when any target finds a crash, a leak, a hang,
# undefined behaviour or an excessive allocation; the input that caused it is
# kept in build-fuzz/artifacts/<target>/.
#
#   scripts/fuzz.sh [--seeds-only] [--parallel N] [SECONDS] [TARGET...]
#
# TARGET names (fuzz_gif or gif) pick some targets; the default is all.
# --parallel N runs N targets at once (default 1; each uses one core).
# Every run's figures (executions per second, coverage) end up in
# build-fuzz/summary.tsv.
set -euo pipefail

seeds_only=0
parallel=1
seconds=60
picked=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seeds-only) seeds_only=1 ;;
    --parallel) parallel="${2:-}"; shift ;;
    ''|*[!0-9]*) picked+=("fuzz_${1#fuzz_}") ;;
    *) seconds="$1" ;;
  esac
  shift
done
case "$parallel" in
  ''|*[!0-9]*|0) echo "usage: scripts/fuzz.sh [--seeds-only] [--parallel N] [SECONDS] [TARGET...]" >&2; exit 2 ;;
esac

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"
images="${LUMORA_TESTIMAGES:-$root/../shared/testimages}"
jobs="${FUZZ_BUILD_JOBS:-2}"

# Picture extensions of each target's reader, to pick its sample pictures; a
# target not listed here takes the part of its name after "fuzz_".
extensions_of() {
  case "$1" in
    targa) echo "tga vst vda icb win" ;;
    pcx) echo "pcx pcc scr" ;;
    autodesk) echo "pic cel" ;;
    drhalo) echo "cut" ;;
    sgi) echo "sgi rgb rgba bw" ;;
    portable_map) echo "pbm pgm ppm" ;;
    icon) echo "ico" ;;
    tiff) echo "tif tiff" ;;
    photoshop) echo "psd pdd" ;;
    rla) echo "rla rpf" ;;
    bmp) echo "bmp dib rle" ;;
    jpeg) echo "jpg jpeg" ;;
    heif) echo "heic heif" ;;
    decoders|photocd|lyrics|list_file|registry_file) echo "" ;;  # inputs of their own layout: committed seeds only
    *) echo "$1" ;;
  esac
}

# The Qt parts are built too: the metafile targets paint with Qt. Only the
# fuzz targets and what they link are compiled.
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMORA_FUZZ=ON -DLUMORA_GUI=ON -DLUMORA_TESTS=OFF >/dev/null

targets=()
for src in "$root"/fuzz/fuzz_*.cpp; do
  [ -e "$src" ] || continue
  targets+=("$(basename "$src" .cpp)")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $root/fuzz" >&2
  exit 1
fi
if [ ${#picked[@]} -gt 0 ]; then
  for t in "${picked[@]}"; do
    [ -e "$root/fuzz/$t.cpp" ] || { echo "no fuzz target $t" >&2; exit 2; }
  done
  targets=("${picked[@]}")
fi
# Every target must be one the build makes: a source the build skips is an
# error here, not a target silently left out.
known="$(ninja -C "$build" -t targets all | sed -n 's/^\(fuzz_[A-Za-z0-9_]*\): .*/\1/p' | sort -u)"
for t in "${targets[@]}"; do
  grep -qx "$t" <<<"$known" || { echo "the fuzz build does not make $t (see fuzz/CMakeLists.txt)" >&2; exit 1; }
done
nice ninja -C "$build" -j "$jobs" "${targets[@]}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

# Runs one target; its log is build-fuzz/<target>.log, its status the exit
# status of the fuzzer.
run_target() {
  local target=$1 name="${1#fuzz_}"
  local corpus="$build/corpus/$name" samples="$build/samples/$name" artifacts="$build/artifacts/$name"
  local seeds="$root/fuzz/corpus/$name" handmade="$root/fuzz/seeds/$name"
  mkdir -p "$corpus" "$artifacts"
  rm -rf "$samples"
  mkdir -p "$samples"
  if [ "$seeds_only" = 0 ]; then
    for folder in "$root/tests/data" "$images"; do
      [ -d "$folder" ] || continue
      for ext in $(extensions_of "$name"); do
        find "$folder" -type f -iname "*.$ext" ! -name "*.expected.*" -size -2M \
          -exec cp -t "$samples" {} + 2>/dev/null || true
      done
    done
  fi
  local dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  [ -d "$handmade" ] && dirs+=("$handmade")
  [ -n "$(ls -A "$samples")" ] && dirs+=("$samples")
  nice "$build/fuzz/$target" "${dirs[@]}" \
    -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=262144 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 >"$build/$target.log" 2>&1
}

# One line of the summary: target, seconds, runs, runs per second, coverage
# (edges), features, corpus size, status.
summarize() {
  local target=$1 status=$2 log="$build/$1.log"
  local runs rate cov ft corp
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | cut -d' ' -f2)
  corp=$(grep -oE 'corp: [0-9]+' "$log" | tail -1 | cut -d' ' -f2)
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$target" "$seconds" "${runs:-?}" "${rate:-?}" "${cov:-?}" \
    "${ft:-?}" "${corp:-?}" "$status" >>"$build/summary.tsv"
}

printf 'target\tseconds\truns\truns_per_s\tcoverage\tfeatures\tcorpus\tresult\n' >"$build/summary.tsv"
failed=()
declare -A pid_of=()
finish() {  # waits for one running target and records it
  local target=$1 status=0
  wait "${pid_of[$target]}" || status=$?
  unset "pid_of[$target]"
  if [ "$status" -ne 0 ]; then
    echo "!! $target found a problem; see $build/$target.log and $build/artifacts/${target#fuzz_}/" >&2
    tail -n 40 "$build/$target.log" >&2
    failed+=("$target")
    summarize "$target" FAIL
  else
    echo "== $target: $(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$target.log") runs in ${seconds}s"
    summarize "$target" ok
  fi
}
queue=("${targets[@]}")
while [ ${#queue[@]} -gt 0 ] || [ ${#pid_of[@]} -gt 0 ]; do
  if [ ${#queue[@]} -gt 0 ] && [ ${#pid_of[@]} -lt "$parallel" ]; then
    target="${queue[0]}"
    queue=("${queue[@]:1}")
    run_target "$target" &
    pid_of[$target]=$!
    continue
  fi
  # Oldest first: each target runs the same time.
  for t in "${targets[@]}"; do
    if [ -n "${pid_of[$t]:-}" ]; then finish "$t"; break; fi
  done
done

column -t -s $'\t' "$build/summary.tsv" 2>/dev/null || cat "$build/summary.tsv"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
echo "all ${#targets[@]} targets ran ${seconds}s without a finding"
