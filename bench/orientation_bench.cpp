// Turning a 6000 x 4000 photograph upright, set against decoding it (the
// work a turn is added to) and against copying its pixels once.
#include <benchmark/benchmark.h>

#include <utility>

#include "bench/jpeg_fixture.h"
#include "imaging/orientation.h"
#include "imaging/readers/readers.h"

namespace {

const lumora::Picture& decoded() {
  static const lumora::Picture picture = lumora::readJpeg(lumora::ReaderInput{lumora::bench::bigJpeg(), {}});
  return picture;
}

void BM_DecodeFull(benchmark::State& state) {
  const lumora::ReaderInput in{lumora::bench::bigJpeg(), {}};
  for (auto _ : state) benchmark::DoNotOptimize(lumora::readJpeg(in).row(0));
}
BENCHMARK(BM_DecodeFull)->Unit(benchmark::kMillisecond);

void BM_CopyPixels(benchmark::State& state) {
  for (auto _ : state) {
    lumora::Picture copy = decoded();
    benchmark::DoNotOptimize(copy.row(0));
  }
}
BENCHMARK(BM_CopyPixels)->Unit(benchmark::kMillisecond);

// Orientation 3 (turned by 180 degrees) walks stored rows; 6 (turned by 90)
// walks stored columns.
void BM_TurnUpright(benchmark::State& state) {
  const int orientation = int(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    lumora::Picture stored = decoded();  // the decoder's picture, handed over as the reader does
    state.ResumeTiming();
    lumora::Picture turned = lumora::turnUpright(std::move(stored), orientation);
    benchmark::DoNotOptimize(turned.row(0));
  }
}
BENCHMARK(BM_TurnUpright)->Arg(3)->Arg(6)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
