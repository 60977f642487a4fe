// Every transition once at 1920 x 1080, speed 1, headless (no window, so
// pumps cost nothing): the time the drawing itself takes.
#include <benchmark/benchmark.h>

#include <string>

#include "effects/effect.h"
#include "saver/core/test_patterns.h"

namespace lumora {
namespace {

void BM_Effect(benchmark::State& state) {
  const int n = int(state.range(0));
  const int w = 1920, h = 1080;
  const Bitmap oldPicture = oldTestPattern(w, h), newPicture = newTestPattern(w, h);
  for (auto _ : state) {
    state.PauseTiming();
    Bitmap stage = oldPicture, frame = newPicture, work(w, h, kWhite), spare(w, h, kWhite);
    Random random(5);
    state.ResumeTiming();
    EffectContext ctx({frame, work, spare, stage}, w, h, 1, random);
    runEffect(n, ctx);
    benchmark::DoNotOptimize(stage.row(0));
  }
}
BENCHMARK(BM_Effect)->DenseRange(0, kEffectCount - 1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
