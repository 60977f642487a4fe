// The slide step's load and composition of a 6000 x 4000 JPEG for a
// 1920 x 1080 screen: decoded whole, or at libjpeg's reduced scale.
#include <benchmark/benchmark.h>

#include "bench/jpeg_fixture.h"
#include "imaging/loader.h"
#include "saver/core/compose.h"

namespace lumora {
namespace {

void composeFor1920x1080(const Picture& picture) {
  const Layout layout = layoutPicture(picture.width(), picture.height(), 1920, 1080, 0, -1);
  Bitmap frame(1920, 1080, kBlack);
  composeFrame(picture.toBitmap(), layout, frame);
  benchmark::DoNotOptimize(frame.row(0));
}

void BM_SlideLoadComposeFull(benchmark::State& state) {
  for (auto _ : state) composeFor1920x1080(decodePicture(bench::bigJpeg(), "jpg"));
}
BENCHMARK(BM_SlideLoadComposeFull)->Unit(benchmark::kMillisecond);

void BM_SlideLoadComposeReduced(benchmark::State& state) {
  LoadOptions options;
  options.fitWidth = 1920;
  options.fitHeight = 1080;
  for (auto _ : state) composeFor1920x1080(decodePicture(bench::bigJpeg(), "jpg", {}, options));
}
BENCHMARK(BM_SlideLoadComposeReduced)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
