// When the stage window brings the screen up to date, and when its pumps
// look at pending events, on one clock (nanoseconds since the window was
// made): a present at most once per display refresh, and the events at
// most once per kEventInterval. Transitions pump up to millions of times a
// second; looking at the event queue costs microseconds each time (a poll
// of the display connection), so most pumps only check the clock, and an
// event waits at most kEventInterval longer than it would at every pump.
#pragma once

#include <chrono>

namespace lumora {

class RefreshSchedule {
 public:
  using Duration = std::chrono::nanoseconds;

  static constexpr Duration kEventInterval = std::chrono::milliseconds(1);

  explicit RefreshSchedule(Duration frameInterval) : frame_(frameInterval) {}

  void setFrameInterval(Duration frameInterval) { frame_ = frameInterval; }
  Duration frameInterval() const { return frame_; }

  // How long after `now` the next present may come; zero when it may come
  // now: a refresh has passed since the last present began, and twice what
  // that present cost. A present slower than half a refresh (a large screen
  // on a busy machine) so leaves at least half the time to the drawing: the
  // drawing keeps its schedule, and the presents that do not fit are
  // skipped (each shows the latest Stage).
  Duration untilPresentAllowed(Duration now) const;
  // A present was made (or the screen was found up to date) at `now`.
  void presented(Duration now) { presented(now, now); }
  // A present began at `start` and returned at `end`.
  void presented(Duration start, Duration end) {
    lastPresent_ = start;
    lastCost_ = end - start;
  }

  // Whether the pump at `now` processes pending events; when it does, the
  // next one comes kEventInterval later.
  bool takeEventTurn(Duration now);

 private:
  Duration frame_;
  Duration lastPresent_ = Duration::min() / 2;  // never: the first present is due at once
  Duration lastCost_ = Duration::zero();
  Duration lastEvents_ = Duration::min() / 2;
};

}  // namespace lumora
