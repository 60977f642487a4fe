// The slide step from the end of the pause (the slide timer fires) to the
// first pump of the transition, for a 6000 x 4000 JPEG on a 1920 x 1080
// screen: with the picture prepared on the worker during the pause, and
// without (the step loads and composes it itself).
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <fstream>
#include <unistd.h>

#include "bench/jpeg_fixture.h"
#include "saver/core/slide_step.h"

namespace lumora {
namespace {

using Clock = std::chrono::steady_clock;

// Notes the time of the first pump after the stage was shown.
class TimingHost : public SlideHost, public EffectHost {
 public:
  TimingHost() : stage_(1920, 1080, kBlack) {}
  void hideCursor() override {}
  void hideOpening() override {}
  void setSlideTimer(bool) override {}
  void screenSize(int& w, int& h) override {
    w = 1920;
    h = 1080;
  }
  void showStage() override { stageShown_ = true; }
  Bitmap& stage() override { return stage_; }
  EffectHost* effectHost() override { return this; }
  // The show's thread is the benchmark's: what the worker posts waits here
  // until runPosted.
  void post(std::function<void()> task) override {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(task));
    arrived_.notify_all();
  }
  // Waits for what the worker posted and runs it.
  void runPosted() {
    std::vector<std::function<void()>> tasks;
    {
      std::unique_lock lock(mutex_);
      arrived_.wait(lock, [this] { return !posted_.empty(); });
      tasks.swap(posted_);
    }
    for (auto& task : tasks) task();
  }
  void reportPictureError(const std::string&, const std::string& message) override { error = message; }
  void paintCaption(const std::string&) override {}
  void stageChanged() override {}
  void pump() override {
    if (stageShown_ && !firstPump) firstPump = Clock::now();
  }

  void reset() {
    stageShown_ = false;
    firstPump.reset();
  }
  std::optional<Clock::time_point> firstPump;
  std::string error;

 private:
  Bitmap stage_;
  bool stageShown_ = false;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::function<void()>> posted_;
};

struct JpegFile {
  std::filesystem::path path;
  explicit JpegFile(int which) {
    path = std::filesystem::temp_directory_path() /
           ("lumora-bench-" + std::to_string(::getpid()) + "-" + std::to_string(which) + ".jpg");
    const auto& data = which == 0 ? bench::bigJpeg() : bench::smoothJpeg();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  }
  ~JpegFile() { std::filesystem::remove(path); }
};

void run(benchmark::State& state, bool prepared) {
  const JpegFile file(int(state.range(0)));
  IndexedList pictures, captions;
  pictures.items = {file.path.string()};
  pictures.index = 0;
  Random random(1);
  SlideState slide;
  slide.pictures = &pictures;
  slide.captions = &captions;
  slide.random = &random;
  TimingHost host;
  for (auto _ : state) {
    // A show whose step has or has not prepared its picture: the step before
    // chose it and the pause gave the worker the time to load and compose it.
    SlideStep step(slide, host);
    step.setForcedEffect(0);
    if (prepared) {
      step.prepareNext();
      step.waitNextReady(std::chrono::hours(1));
    }
    host.reset();
    const Clock::time_point start = Clock::now();
    step.run();
    while (step.waiting()) host.runPosted();
    if (!host.firstPump)
      state.SkipWithError(host.error.empty() ? "no pump" : host.error.c_str());
    else
      state.SetIterationTime(std::chrono::duration<double>(*host.firstPump - start).count());
    step.cancel();  // the next picture, started at the end of the step, is not needed
  }
  state.SetLabel(state.range(0) == 0 ? "noisy" : "smooth");
}

void BM_PauseEndToFirstPumpPrepared(benchmark::State& state) { run(state, true); }
void BM_PauseEndToFirstPumpNotPrepared(benchmark::State& state) { run(state, false); }
BENCHMARK(BM_PauseEndToFirstPumpPrepared)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PauseEndToFirstPumpNotPrepared)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
