// A settings window on the offscreen platform over a scratch LUMORA_HOME,
// with its dialogs, message box and audio player replaced by recorders.
#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings_window/settings_window.h"
#include "settings_window/walk_progress.h"
#include "saver/core/player_controls.h"
#include "tests/saver/qt_app.h"

namespace lumora::testing {

// Lets the window's events run until `done` holds (the picture preview is
// decoded on a worker and shown through the event loop); false when it
// does not within 10 s.
inline bool waitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }

// Records what the window asks of the audio player; play() can be made to fail.
class FakeAudio : public AudioPlayerControl {
 public:
  explicit FakeAudio(std::shared_ptr<std::vector<std::string>> log) : log_(std::move(log)) {}
  void setSource(const std::string& path) override { log_->push_back("source " + path); }
  std::string source() const override { return {}; }
  void play() override {
    log_->push_back("play");
    if (failPlay) throw MediaDeviceError("busy");
  }
  void stop() override { log_->push_back("stop"); }
  std::int64_t position() const override { return 0; }
  std::int64_t length() const override { return 0; }
  inline static bool failPlay = false;

 private:
  std::shared_ptr<std::vector<std::string>> log_;
};

// Records the counts a subfolder walk reports; cancels at the call
// `cancelAt` (1-based; 0 never).
class FakeWalkProgress : public WalkProgress {
 public:
  FakeWalkProgress(std::shared_ptr<std::vector<std::size_t>> log, int cancelAt)
      : log_(std::move(log)), cancelAt_(cancelAt) {}
  bool update(std::size_t found) override {
    log_->push_back(found);
    return cancelAt_ == 0 || int(log_->size()) < cancelAt_;
  }

 private:
  std::shared_ptr<std::vector<std::size_t>> log_;
  int cancelAt_;
};

struct WindowFixture {
  // The window's places come from a scratch home folder (no user-dirs file:
  // both tabs start on that home folder).
  WindowFixture() {
    qtApp();
    FakeAudio::failPlay = false;
    std::filesystem::create_directories(userHome());
    setenv("HOME", userHome().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (userHome() / ".config").c_str(), 1);
  }
  std::filesystem::path userHome() const { return home.path() / "user"; }

  std::unique_ptr<SettingsWindow> open() {
    SettingsWindowServices s;
    s.chooseOpenFile = [this](QWidget*, const QString& filter) {
      filters << filter;
      return nextOpen;
    };
    s.chooseSaveFile = [this](QWidget*, const QString& filter) {
      filters << filter;
      return nextSave;
    };
    s.choosePicture = [this](QWidget*, const QString& filter) {
      filters << filter;
      return nextPicture;
    };
    s.showMessage = [this](QWidget*, const QString& text) { messages << text; };
    s.makeAudioPlayer = [log = audioLog] { return std::make_unique<FakeAudio>(log); };
    s.flashClockMs = [this] { return clockMs; };
    s.makeWalkProgress = [this](QWidget*) { return std::make_unique<FakeWalkProgress>(walkLog, cancelWalkAt); };
    return std::make_unique<SettingsWindow>(s);
  }

  std::filesystem::path listFile(const char* name) const { return home.path() / "Lumora_Studio" / name; }
  std::string fileBytes(const std::filesystem::path& p) const {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void writeFile(const std::filesystem::path& p, const std::string& bytes) const {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }

  ScratchHome home;
  QStringList messages;
  QStringList filters;
  QString nextOpen, nextSave, nextPicture;
  std::int64_t clockMs = 0;
  std::shared_ptr<std::vector<std::size_t>> walkLog = std::make_shared<std::vector<std::size_t>>();
  int cancelWalkAt = 0;
  std::shared_ptr<std::vector<std::string>> audioLog = std::make_shared<std::vector<std::string>>();
};

}  // namespace lumora::testing
