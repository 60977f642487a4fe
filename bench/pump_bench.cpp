// The stage window's pump with nothing pending, and a copy onto the Stage
// followed by the check whether a display frame is due.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "saver/ui/stage_window.h"

namespace lumora {
namespace {

void BM_IdlePump(benchmark::State& state) {
  StageWindow stage;
  for (auto _ : state) stage.pump();
}
BENCHMARK(BM_IdlePump);

void BM_StageChangedCheck(benchmark::State& state) {
  StageWindow stage;
  for (auto _ : state) stage.stageChanged();
}
BENCHMARK(BM_StageChangedCheck);

}  // namespace
}  // namespace lumora

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
