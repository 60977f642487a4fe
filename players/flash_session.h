// One run of the Flash player program as the show sees it: the lines it
// reports (see docs/MEDIA.md), the current frame (reported by the movie's
// frame-report actions, else counted from the clock), and whether the run
// has failed (the program ended or never showed the movie in time). Plain
// C++; time is passed in as milliseconds on a monotonic clock.
#pragma once

#include <cstdint>
#include <string>

#include "players/swf_file.h"
#include "players/swf_timeline.h"

namespace lumora {

class FlashSession {
 public:
  // A movie that is not on screen this long after its start has failed.
  static constexpr std::int64_t kShowTimeoutMs = 20000;
  // A movie that reports frames but sent none this long after it showed is
  // counted from the clock instead.
  static constexpr std::int64_t kReportGraceMs = 1000;
  // A movie that reports frames and sent none this long is over (it stopped
  // itself, or its data ended before its declared frames).
  static constexpr std::int64_t kSilentMs = 3000;

  enum class Event { None, Shown, Input, Failed };

  // The program was started and told to load a movie with this header.
  void start(const SwfMovie& header, std::int64_t nowMs);
  // One line from the program (without its newline).
  Event onLine(const std::string& line, std::int64_t nowMs);
  // The program has ended on its own (a crash, or it could not run).
  void onExit();
  // We ended the program: the frame stays where it was, and this is no
  // failure.
  void stop(std::int64_t nowMs);
  void pause(std::int64_t nowMs);
  void resume(std::int64_t nowMs);

  int frameNum(std::int64_t nowMs) const;
  bool failed(std::int64_t nowMs) const;
  // The movie on screen is over: its last frame was reported, its declared
  // length (frames at its rate) has passed since it showed, or it reports
  // frames and has sent none for kSilentMs. A movie that claims one frame,
  // or is cut short, so gives the screen back.
  bool ended(std::int64_t nowMs) const;
  bool started() const { return started_; }
  bool shown() const { return shown_; }
  bool exited() const { return exited_; }
  bool stopped() const { return stopped_; }
  // The program's last error line, or why the run failed.
  const std::string& error() const { return error_; }
  std::int64_t shownAtMs() const { return shownAt_; }

 private:
  bool started_ = false;
  bool shown_ = false;
  bool exited_ = false;
  bool stopped_ = false;
  bool loading_ = false;  // the program has taken this movie ("loading")
  int stoppedFrame_ = 0;
  bool reportsFrames_ = true;  // until the program says the movie cannot
  int lastReport_ = -1;
  std::int64_t lastReportAt_ = 0;
  std::int64_t declaredMs_ = 0;  // the header's frames at its rate
  std::int64_t startedAt_ = 0;
  std::int64_t shownAt_ = 0;
  std::string error_;
  SwfTimeline clock_;
};

}  // namespace lumora
