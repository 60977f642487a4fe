// A decoded 24-bit picture turned into the 32-bit bitmap the show draws
// (Picture::toBitmap, once for every picture shown), against copying the
// picture's bytes once into fresh memory of the bitmap's size.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/picture.h"

namespace {

lumora::Picture photoSized(int width, int height) {
  lumora::Picture p;
  p.allocate(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (std::size_t i = 0; i < p.stride(); ++i) p.row(y)[i] = std::uint8_t(i * 7 + std::size_t(y) * 3);
  return p;
}

const lumora::Picture& picture(benchmark::State& state) {
  static const lumora::Picture small = photoSized(1920, 1080), large = photoSized(6000, 4000);
  return state.range(0) == 1920 ? small : large;
}

void BM_ToBitmap(benchmark::State& state) {
  const lumora::Picture& p = picture(state);
  for (auto _ : state) {
    lumora::Bitmap b = p.toBitmap();
    benchmark::DoNotOptimize(b.bytes());
  }
}
BENCHMARK(BM_ToBitmap)->Arg(1920)->Arg(6000)->Unit(benchmark::kMillisecond);

// The baseline: memory of the bitmap's size from malloc, the picture's
// bytes copied into it.
void BM_CopyIntoFreshMemory(benchmark::State& state) {
  const lumora::Picture& p = picture(state);
  const std::size_t bitmapBytes = std::size_t(p.width()) * std::size_t(p.height()) * 4;
  for (auto _ : state) {
    std::unique_ptr<std::uint8_t, void (*)(void*)> out(static_cast<std::uint8_t*>(std::malloc(bitmapBytes)), std::free);
    std::memcpy(out.get(), p.data().data(), p.data().size());
    benchmark::DoNotOptimize(out.get());
  }
}
BENCHMARK(BM_CopyIntoFreshMemory)->Arg(1920)->Arg(6000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
