// The show's end on SIGTERM, SIGINT or SIGHUP (the desktop, an idle watcher
// or xss-lock ending the screensaver): through the show's normal end, so the
// system state is restored and the media stop, with status 0.
#pragma once

#include "platform/desktop/termination_signals.h"

namespace lumora {

class SaverWindow;

class ShowTermination {
 public:
  // How long the end may wait for a running transition to return to the
  // main loop before the process leaves without it (the media are stopped
  // by then, and the helper programs told to end).
  static constexpr int kEndGraceMs = 700;

  explicit ShowTermination(SaverWindow& saver);

 private:
  TerminationSignals signals_;
};

}  // namespace lumora
