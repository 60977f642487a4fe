// The audio back end module as the player loads it: found beside the
// program or where LUMORA_AUDIO_BACKEND says, and, when it cannot be
// loaded, the media device error naming what is missing instead of a crash.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

#include "players/audio_backend_loader.h"
#include "players/audio_player.h"
#include "saver/core/media_device_error.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

// Sets LUMORA_AUDIO_BACKEND for one test and puts back what was there.
class BackendPath {
 public:
  explicit BackendPath(const std::string& path) {
    if (const char* old = std::getenv("LUMORA_AUDIO_BACKEND")) old_ = old;
    ::setenv("LUMORA_AUDIO_BACKEND", path.c_str(), 1);
  }
  ~BackendPath() {
    if (old_)
      ::setenv("LUMORA_AUDIO_BACKEND", old_->c_str(), 1);
    else
      ::unsetenv("LUMORA_AUDIO_BACKEND");
  }

 private:
  std::optional<std::string> old_;
};

// What play() throws, or "" when it does not throw the media device error.
std::string playError(AudioPlayer& player) {
  try {
    player.play();
  } catch (const MediaDeviceError& e) {
    return e.what();
  }
  return {};
}

class AudioBackendLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("lumora-backend-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(AudioBackendLoading, AMissingModuleIsTheMediaDeviceErrorAndALaterPlayRetries) {
  const std::string song = (dir_ / "song.mp3").string();
  const std::string made =
      "ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i sine=duration=1 -c:a libmp3lame '" + song +
      "' >/dev/null 2>&1";
  const bool haveSong = std::system(made.c_str()) == 0 && fs::exists(song);

  AudioPlayer player(AudioOutputMode::Silent);
  player.setSource(haveSong ? song : (dir_ / "none.mp3").string());
  {
    const std::string missing = (dir_ / "gone" / AudioBackendModule::kFileName).string();
    BackendPath env(missing);
    const std::string error = playError(player);
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_EQ(player.length(), 0);
    EXPECT_EQ(player.position(), 0);
    player.stop();  // harmless after a failed play
  }
  // The module beside the tests' folder is found once the variable is gone,
  // by the same player.
  if (!haveSong) GTEST_SKIP() << "the ffmpeg tool cannot make an MP3 here";
  player.play();
  EXPECT_NEAR(double(player.length()), 1000.0, 50.0);
  player.stop();
}

TEST_F(AudioBackendLoading, WhatIsNoUsableModuleIsTheMediaDeviceError) {
  AudioPlayer player(AudioOutputMode::Silent);
  player.setSource((dir_ / "song.mp3").string());

  // Not a shared object at all.
  const fs::path text = dir_ / AudioBackendModule::kFileName;
  std::ofstream(text) << "not a module\n";
  {
    BackendPath env(text.string());
    const std::string error = playError(player);
    EXPECT_NE(error.find(text.string()), std::string::npos) << error;
  }
  // A shared object without the entry point (the C library, already mapped).
  {
    BackendPath env("libc.so.6");
    const std::string error = playError(player);
    EXPECT_NE(error.find("libc.so.6"), std::string::npos) << error;
  }
}

TEST_F(AudioBackendLoading, TheModuleIsLookedForBesideTheProgramThenInItsParentThenInstalled) {
  BackendPath env("");  // empty counts as unset
  const fs::path exeDir = fs::read_symlink("/proc/self/exe").parent_path();
  const std::vector<std::string> where = AudioBackendModule::candidates();
  ASSERT_EQ(where.size(), 3u);
  EXPECT_EQ(where[0], (exeDir / AudioBackendModule::kFileName).string());
  EXPECT_EQ(where[1], (exeDir.parent_path() / AudioBackendModule::kFileName).string());
  EXPECT_EQ(where[2], (exeDir.parent_path() / "lib" / "lumora" / AudioBackendModule::kFileName).string());
}

}  // namespace
}  // namespace lumora
