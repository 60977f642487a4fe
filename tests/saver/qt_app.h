// One offscreen QApplication for the in-process window tests, and a scratch
// LUMORA_HOME per test.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "settings/stored_settings.h"

namespace lumora::testing {

inline QApplication& qtApp() {
  static int argc = 1;
  static char name[] = "lumora-tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LUMORA_SHUTDOWN", "print", 1);
    return new QApplication(argc, argv);
  }();
  return *app;
}

// A fresh LUMORA_HOME for one test, removed afterwards.
class ScratchHome {
 public:
  ScratchHome() {
    path_ = std::filesystem::temp_directory_path() /
            ("lumora-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_ / "Lumora_Studio");
    setenv("LUMORA_HOME", path_.c_str(), 1);
  }
  ~ScratchHome() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path registry() const { return path_ / "registry.reg"; }
  // Writes raw text (already in the file's encoding) into the registry file.
  void writeRegistry(const std::string& text) const { std::ofstream(registry(), std::ios::binary) << text; }
  // Stores the show's values that hold one, keeping the rest of the file.
  void writeSettings(const SettingCodes& codes) const { writeAllSettings(registry(), codes); }
  void writeList(const char* name, const std::string& bytes) const {
    std::ofstream(path_ / "Lumora_Studio" / name, std::ios::binary) << bytes;
  }

 private:
  static int& counter() {
    static int c = 0;
    return c;
  }
  std::filesystem::path path_;
};

// Runs `action` once a modal window is up, checking every 10 ms while
// `context` lives (the check dies with it, so no stale answer is left for
// later tests).
inline void whenModal(QObject* context, std::function<void()> action, int triesLeft = 500) {
  QTimer::singleShot(10, context, [context, action, triesLeft] {
    if (QApplication::activeModalWidget())
      action();
    else if (triesLeft > 0)
      whenModal(context, action, triesLeft - 1);
  });
}

// Runs `action` once `ready` holds, checked every 10 ms while `context`
// lives (for prompts that are modal inside a window, not windows of their
// own).
inline void whenTrue(QObject* context, std::function<bool()> ready, std::function<void()> action, int triesLeft = 500) {
  QTimer::singleShot(10, context, [context, ready, action, triesLeft] {
    if (ready())
      action();
    else if (triesLeft > 0)
      whenTrue(context, ready, action, triesLeft - 1);
  });
}

// Handles the application's events until `done` holds (at most 10 s): a
// slide step whose picture the worker is still preparing goes on when the
// worker's result, posted to the window, is handled. Whether it holds.
inline bool eventsUntil(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

}  // namespace lumora::testing
