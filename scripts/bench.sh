#!/usr/bin/env bash
# Builds the benchmarks (Release, build-bench/) and runs them, printing each
# figure beside the baseline measured in the same run. The results are what
# docs/PERFORMANCE.md reports. Without a display, the start-up measure runs on
# a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMORA_BENCH=ON -DLUMORA_TESTS=OFF >/dev/null
ninja -C build-bench
out=build-bench/results
mkdir -p "$out"

run() {  # name, then the program and its arguments
  local name=$1; shift
  "$@" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
       --benchmark_out="$out/$name.json" --benchmark_out_format=json
}

run graphics build-bench/bench/graphics_bench
QT_QPA_PLATFORM=offscreen run pump build-bench/bench/pump_bench
build-bench/bench/effects_bench --benchmark_out="$out/effects.json" --benchmark_out_format=json >/dev/null
for b in build-bench/bench/*_bench; do
  case $(basename "$b") in graphics_bench|pump_bench|effects_bench) continue ;; esac
  run "$(basename "$b" _bench)" "$b"
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  display=:$((60 + RANDOM % 20))
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  export DISPLAY=$display
  sleep 1
fi
python3 scripts/bench_startup.py build-bench/lumora build-bench/bench/empty_window 15 | tee "$out/startup.md"
python3 scripts/bench_flash.py --runs 3 build-bench/lumora | tee "$out/flash.md"
python3 scripts/bench_report.py "$out"
