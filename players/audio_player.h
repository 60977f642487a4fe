// `RealAudio1`: the audio player of the show. play() opens and checks the
// file on the calling thread (a local file: a few milliseconds), then a
// thread owned by the player decodes it and feeds the output, keeping only
// a fraction of a second ahead. Every other call only reads or sets a few
// values. The audio back end module (FFmpeg, SDL2) is loaded by the first
// play(); when it cannot be, play() fails with the media device error. The
// output (SDL2 device or silent clock) is opened by the decoding thread the
// first time something plays and kept until the player goes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "players/audio_output.h"
#include "saver/core/player_controls.h"

namespace lumora {

class AudioFile;
class AudioBackendModule;

class AudioPlayer : public AudioPlayerControl {
 public:
  explicit AudioPlayer(AudioOutputMode mode = AudioOutputMode::Automatic);
  ~AudioPlayer() override;
  AudioPlayer(const AudioPlayer&) = delete;
  AudioPlayer& operator=(const AudioPlayer&) = delete;

  void setSource(const std::string& path) override;
  std::string source() const override;
  void play() override;
  void stop() override;
  std::int64_t position() const override;
  std::int64_t length() const override { return length_; }

  // True while the sound reaches a device, false on the silent clock or
  // before the output is open.
  bool audible() const;

 private:
  void run(std::unique_ptr<AudioFile> file, std::string path);
  void joinWorker();

  const AudioOutputMode mode_;
  std::unique_ptr<AudioBackendModule> module_;  // set by the first play()
  std::string path_;
  std::atomic<std::int64_t> length_{0};
  std::atomic<bool> stopRequested_{false};
  std::mutex wakeMutex_;  // with wake_: the decoder's sleep ends at stop()
  std::condition_variable wake_;
  mutable std::mutex outputMutex_;
  std::unique_ptr<AudioOutput> output_;  // guarded by outputMutex_
  bool clipRunning_ = false;             // guarded by outputMutex_
  std::thread worker_;
};

}  // namespace lumora
