#include "players/flash_session.h"

#include <algorithm>
#include <cstdlib>

namespace lumora {

namespace {
bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
}  // namespace

void FlashSession::start(const SwfMovie& header, std::int64_t nowMs) {
  *this = FlashSession();
  started_ = true;
  startedAt_ = nowMs;
  clock_.load(header.frameCount, header.frameRate88);
  // A rate of 0 counts as the slowest, 1/256 frame a second.
  const std::int64_t rate88 = header.frameRate88 ? header.frameRate88 : 1;
  declaredMs_ = std::int64_t(clock_.frameCount()) * 1000 * 256 / rate88;
}

FlashSession::Event FlashSession::onLine(const std::string& line, std::int64_t nowMs) {
  if (!started_ || exited_ || stopped_) return Event::None;
  if (startsWith(line, "input")) return Event::Input;
  // Reports that were on their way before the program took this movie
  // belong to the movie before.
  if (!loading_) {
    loading_ = line == "loading";
    return Event::None;
  }
  if (startsWith(line, "frame ")) {
    char* end = nullptr;
    const long f = std::strtol(line.c_str() + 6, &end, 10);
    if (end != line.c_str() + 6 && f >= 0 && f < (1L << 30)) {
      lastReport_ = int(f);
      lastReportAt_ = nowMs;
    }
    return Event::None;
  }
  if (line == "shown") {
    if (shown_) return Event::None;
    shown_ = true;
    shownAt_ = nowMs;
    clock_.play(nowMs);
    return Event::Shown;
  }
  if (line == "reports 0") {
    reportsFrames_ = false;
    return Event::None;
  }
  if (startsWith(line, "error")) {
    error_ = line.size() > 6 ? line.substr(6) : "The Flash player failed.";
    // Once the movie is on screen, a script error does not end it.
    return shown_ ? Event::None : Event::Failed;
  }
  return Event::None;
}

void FlashSession::stop(std::int64_t nowMs) {
  if (!started_ || stopped_) return;
  stoppedFrame_ = frameNum(nowMs);
  stopped_ = true;
}

void FlashSession::onExit() {
  if (!started_ || exited_ || stopped_) return;
  exited_ = true;
  if (error_.empty()) error_ = "The Flash player ended.";
}

void FlashSession::pause(std::int64_t nowMs) { clock_.stop(nowMs); }
void FlashSession::resume(std::int64_t nowMs) {
  if (shown_) clock_.play(nowMs);
}

int FlashSession::frameNum(std::int64_t nowMs) const {
  if (stopped_) return stoppedFrame_;
  if (lastReport_ >= 0) return lastReport_;
  if (!shown_) return 0;
  if (reportsFrames_ && nowMs - shownAt_ < kReportGraceMs) return 0;
  return clock_.frameNum(nowMs);
}

bool FlashSession::ended(std::int64_t nowMs) const {
  if (!shown_ || stopped_) return false;
  if (lastReport_ >= clock_.frameCount() - 1) return true;
  if (nowMs - shownAt_ >= declaredMs_ + kReportGraceMs) return true;
  return reportsFrames_ && nowMs - std::max(shownAt_, lastReportAt_) >= kSilentMs;
}

bool FlashSession::failed(std::int64_t nowMs) const {
  if (!started_ || stopped_) return false;
  if (exited_) return true;
  if (!shown_ && !error_.empty()) return true;
  return !shown_ && nowMs - startedAt_ >= kShowTimeoutMs;
}

}  // namespace lumora
