// The slide step's load and composition of a 6000 x 4000 JPEG for a
// 1920 x 1080 screen: decoded whole, or at libjpeg's reduced scale; for a
// noisy worst case and for a smooth, photograph-like picture.
#include <benchmark/benchmark.h>

#include "bench/jpeg_fixture.h"
#include "imaging/loader.h"
#include "saver/core/compose.h"

namespace lumora {
namespace {

void composeFor1920x1080(const Picture& picture) {
  const Layout layout =
      layoutPicture(picture.width(), picture.height(), 1920, 1080, FittingThreshold::Below640x480, Tiling::Off);
  Bitmap frame(1920, 1080, kBlack);
  composeFrame(picture.bitmap(), layout, frame);
  benchmark::DoNotOptimize(frame.row(0));
}

const std::vector<std::uint8_t>& picture(int which) { return which == 0 ? bench::bigJpeg() : bench::smoothJpeg(); }

void BM_SlideLoadComposeFull(benchmark::State& state) {
  const auto& jpeg = picture(int(state.range(0)));
  for (auto _ : state) composeFor1920x1080(decodePicture(jpeg, "jpg"));
  state.SetLabel(state.range(0) == 0 ? "noisy" : "smooth");
}
BENCHMARK(BM_SlideLoadComposeFull)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SlideLoadComposeReduced(benchmark::State& state) {
  const auto& jpeg = picture(int(state.range(0)));
  LoadOptions options;
  options.fitWidth = 1920;
  options.fitHeight = 1080;
  for (auto _ : state) composeFor1920x1080(decodePicture(jpeg, "jpg", {}, options));
  state.SetLabel(state.range(0) == 0 ? "noisy" : "smooth");
}
BENCHMARK(BM_SlideLoadComposeReduced)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
