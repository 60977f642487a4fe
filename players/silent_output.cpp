// The silent output: the position is the time since start on the monotonic
// clock, held at the end of what was written once the data has ended.
#include <atomic>
#include <chrono>

#include "players/audio_file.h"
#include "players/audio_output.h"

namespace lumora {

namespace {

std::int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

class SilentOutput : public AudioOutput {
 public:
  void start() override {
    written_ = 0;
    ended_ = false;
    startMs_ = nowMs();
    running_ = true;
  }
  void write(const std::int16_t*, std::size_t count) override {
    written_ += std::int64_t(count / AudioFile::kChannels);
  }
  void endOfData() override { ended_ = true; }
  void stop() override {
    running_ = false;
    written_ = 0;
    ended_ = false;
  }
  std::int64_t playedMs() const override {
    if (!running_) return 0;
    const std::int64_t elapsed = nowMs() - startMs_;
    if (ended_) return std::min(elapsed, writtenMs());
    return elapsed;
  }
  std::int64_t writtenMs() const override { return written_ * 1000 / AudioFile::kRate; }
  bool audible() const override { return false; }

 private:
  std::atomic<std::int64_t> startMs_{0};
  std::atomic<std::int64_t> written_{0};  // sample frames
  std::atomic<bool> running_{false};
  std::atomic<bool> ended_{false};
};

}  // namespace

std::unique_ptr<AudioOutput> makeSilentOutput() { return std::make_unique<SilentOutput>(); }

}  // namespace lumora
