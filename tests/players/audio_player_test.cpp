// The audio player on real files made by the ffmpeg tool: an MP3 and a
// RealAudio .rm. The tests use the silent output, so they need no sound
// device and time runs on the monotonic clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

#include "players/audio_player.h"
#include "saver/core/media_device_error.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::int64_t msSince(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

class AudioFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("lumora-audio-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  // A sine of `seconds` made with ffmpeg; empty when ffmpeg cannot make it.
  static std::string make(const std::string& name, double seconds, const std::string& codecArgs,
                          const std::string& rate = "44100") {
    const fs::path out = dir_ / name;
    if (fs::exists(out)) return out.string();
    const std::string cmd = "ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i sine=frequency=440:duration=" +
                            std::to_string(seconds) + ":sample_rate=" + rate + " " + codecArgs + " '" + out.string() +
                            "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 || !fs::exists(out)) return {};
    return out.string();
  }
  static std::string mp3(double seconds) {
    return make("sine" + std::to_string(int(seconds * 1000)) + ".mp3", seconds, "-c:a libmp3lame");
  }

  static fs::path dir_;
};
fs::path AudioFiles::dir_;

#define REQUIRE_FILE(path, what) \
  if ((path).empty()) GTEST_SKIP() << "the ffmpeg tool cannot make " what " here"

TEST_F(AudioFiles, Mp3LengthIsKnownOncePlaying) {
  const std::string path = mp3(2.5);
  REQUIRE_FILE(path, "an MP3");
  AudioPlayer player(AudioOutputMode::Silent);
  EXPECT_EQ(player.length(), 0);
  player.setSource(path);
  EXPECT_EQ(player.source(), "file://" + path);
  player.play();
  EXPECT_NEAR(double(player.length()), 2500.0, 50.0);
  player.stop();
}

TEST_F(AudioFiles, RealAudioLengthIsKnownOncePlaying) {
  const std::string path = make("sine.rm", 2.5, "-ac 1 -c:a real_144", "8000");
  REQUIRE_FILE(path, "a RealAudio file (no real_144 encoder)");
  AudioPlayer player(AudioOutputMode::Silent);
  player.setSource(path);
  player.play();
  // The file announces no length (the muxer leaves it 0): the player finds
  // it from the packets, off the calling thread, soon (a loaded machine may
  // take a while, so wait up to 3 s for it).
  for (int i = 0; i < 300 && player.length() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_NEAR(double(player.length()), 2500.0, 50.0);
  // It decodes: the position moves.
  for (int i = 0; i < 300 && player.position() <= 150; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GT(player.position(), 150);
}

TEST_F(AudioFiles, PositionFollowsRealTimeAndStopsAtTheEnd) {
  const std::string path = mp3(4.0);
  REQUIRE_FILE(path, "an MP3");
  AudioPlayer player(AudioOutputMode::Silent);
  player.setSource(path);
  // The clock starts somewhere inside play() (which opens the file first):
  // the position must lie within 50 ms of the time since one of its ends.
  const auto beforePlay = Clock::now();
  player.play();
  const auto afterPlay = Clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(3000));
  const std::int64_t pos = player.position();
  const std::int64_t longest = msSince(beforePlay), shortest = msSince(afterPlay);
  EXPECT_FALSE(player.audible());
  EXPECT_GE(pos, shortest - 50);
  EXPECT_LE(pos, longest + 50);

  // At the end (awaited, up to 5 s more) the position stays at the length;
  // the length is the decoded one by then, still within a frame of the truth.
  for (int i = 0; i < 500 && player.position() != player.length(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_NEAR(double(player.length()), 4000.0, 50.0);
  EXPECT_EQ(player.position(), player.length());
}

TEST_F(AudioFiles, StopAndPlayAgainRestart) {
  const std::string path = mp3(3.0);
  REQUIRE_FILE(path, "an MP3");
  AudioPlayer player(AudioOutputMode::Silent);
  player.setSource(path);
  player.play();
  // Well into the song (awaited, up to 5 s), then stopped: back at 0.
  for (int i = 0; i < 500 && player.position() <= 600; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GT(player.position(), 600);
  player.stop();
  EXPECT_EQ(player.position(), 0);
  player.stop();  // harmless
  player.play();
  EXPECT_LT(player.position(), 300);  // from the start again
  // Playing again while playing restarts too, and the last source wins.
  const std::string other = mp3(2.5);
  player.setSource(other);
  player.play();
  EXPECT_NEAR(double(player.length()), 2500.0, 50.0);
  EXPECT_LT(player.position(), 200);
}

TEST_F(AudioFiles, WhatIsNoSongFailsWithTheMediaDeviceError) {
  const fs::path text = dir_ / "notes.mp3";
  std::ofstream(text) << "These are not the songs you are looking for.\n";
  AudioPlayer player(AudioOutputMode::Silent);
  player.setSource(text.string());
  EXPECT_THROW(player.play(), MediaDeviceError);
  EXPECT_EQ(player.length(), 0);
  EXPECT_EQ(player.position(), 0);

  player.setSource((dir_ / "missing.mp3").string());
  EXPECT_THROW(player.play(), MediaDeviceError);
  player.setSource("");
  EXPECT_THROW(player.play(), MediaDeviceError);

  // A damaged copy of a song: the player either plays what it can or
  // refuses with the media device error; it never hangs or crashes.
  const std::string good = mp3(2.5);
  if (!good.empty()) {
    std::ifstream in(good, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    for (std::size_t i = 400; i < bytes.size(); i += 7) bytes[i] = char(bytes[i] ^ 0x5A);
    const fs::path damaged = dir_ / "damaged.mp3";
    std::ofstream(damaged, std::ios::binary) << bytes;
    player.setSource(damaged.string());
    try {
      player.play();
      std::this_thread::sleep_for(std::chrono::milliseconds(200));  // decoding over the damage meanwhile
      player.stop();
    } catch (const MediaDeviceError&) {
    }
  }
}

TEST_F(AudioFiles, TheDeviceOutputWhenOneOpens) {
  // With SDL's dummy driver a device always opens; it takes the sound at
  // its own pace, so the position still follows real time.
  const std::string path = mp3(2.5);
  REQUIRE_FILE(path, "an MP3");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  AudioPlayer player(AudioOutputMode::Automatic);
  player.setSource(path);
  player.play();
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  if (!player.audible()) GTEST_SKIP() << "SDL opened no device, not even the dummy one";
  EXPECT_NEAR(double(player.position()), 1000.0, 250.0);
  player.stop();
  EXPECT_EQ(player.position(), 0);
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

TEST(AudioSpecialFiles, AFifoOrADeviceIsTheMediaDeviceErrorAtOnce) {
  const fs::path dir = fs::temp_directory_path() / ("lumora-audio-special-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path fifo = dir / "waiting.mp3";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", dir / "endless.mp3");
  AudioPlayer player(AudioOutputMode::Silent);
  for (const fs::path& song : {fifo, dir / "endless.mp3"}) {
    player.setSource(song.string());
    try {
      player.play();  // would wait for a writer, or read for ever, in the decoder
      ADD_FAILURE() << "played " << song;
    } catch (const MediaDeviceError& e) {
      EXPECT_NE(std::string(e.what()).find("Not a regular file."), std::string::npos) << e.what();
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace lumora
