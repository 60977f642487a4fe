// A 6000 x 4000 JPEG decoded at full size and reduced for a 1920 x 1080
// screen (the slide step's way of loading a picture much larger than the
// screen).
#include <benchmark/benchmark.h>

#include "bench/jpeg_fixture.h"
#include "imaging/readers/readers.h"

namespace {

using lumora::bench::bigJpeg;

void BM_JpegFull(benchmark::State& state) {
  const lumora::ReaderInput in{bigJpeg(), {}};
  for (auto _ : state) {
    lumora::Picture p = lumora::readJpeg(in);
    benchmark::DoNotOptimize(p.row(0));
  }
  state.counters["width"] = lumora::readJpeg(in).width();
}
BENCHMARK(BM_JpegFull)->Unit(benchmark::kMillisecond);

void BM_JpegReducedFor1920x1080(benchmark::State& state) {
  const lumora::ReaderInput in{bigJpeg(), {}};
  for (auto _ : state) {
    lumora::Picture p = lumora::readJpegToFit(in, 1920, 1080);
    benchmark::DoNotOptimize(p.row(0));
  }
  state.counters["width"] = lumora::readJpegToFit(in, 1920, 1080).width();
}
BENCHMARK(BM_JpegReducedFor1920x1080)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
