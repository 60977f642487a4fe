// The rectangle copy against memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "graphics/bitmap.h"

namespace lumora {
namespace {

void BM_Copy20x20(benchmark::State& state) {
  Bitmap src(1920, 1080, kWhite), dst(1920, 1080, kBlack);
  int x = 0;
  for (auto _ : state) {
    copyRect(src, {x, 40, x + 20, 60}, dst, {x, 40, x + 20, 60});
    x = (x + 20) % 1900;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Copy20x20);

void BM_CopyFullScreen(benchmark::State& state) {
  Bitmap src(1920, 1080, kWhite), dst(1920, 1080, kBlack);
  for (auto _ : state) {
    copyRect(src, {0, 0, 1920, 1080}, dst, {0, 0, 1920, 1080});
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 1920 * 1080 * 4);
}
BENCHMARK(BM_CopyFullScreen);

// The baseline: the same bytes of the same bitmaps with memcpy.
void BM_MemcpyFullScreen(benchmark::State& state) {
  Bitmap src(1920, 1080, kWhite), dst(1920, 1080, kBlack);
  for (auto _ : state) {
    std::memcpy(dst.bytes(), src.bytes(), std::size_t(1920) * 1080 * sizeof(Pixel));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 1920 * 1080 * 4);
}
BENCHMARK(BM_MemcpyFullScreen);

void BM_CopyFullScreenMirrored(benchmark::State& state) {
  Bitmap src(1920, 1080, kWhite), dst(1920, 1080, kBlack);
  for (auto _ : state) {
    copyRect(src, {1919, 0, -1, 1080}, dst, {0, 0, 1920, 1080});
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyFullScreenMirrored);

void BM_CopyFullScreenStretched(benchmark::State& state) {
  Bitmap src(1920, 1080, kWhite), dst(1920, 1080, kBlack);
  for (auto _ : state) {
    copyRect(src, {0, 0, 960, 540}, dst, {0, 0, 1920, 1080});
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyFullScreenStretched);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
