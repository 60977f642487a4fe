#include "players/audio_player.h"

#include <chrono>
#include <vector>

#include "players/audio_file.h"

namespace lumora {

namespace {
// How far the decoder runs ahead of what is heard.
constexpr std::int64_t kAheadMs = 400;
}  // namespace

AudioPlayer::AudioPlayer(AudioOutputMode mode) : mode_(mode) {}

AudioPlayer::~AudioPlayer() {
  joinWorker();
  std::lock_guard lock(outputMutex_);
  output_.reset();
}

void AudioPlayer::setSource(const std::string& path) { path_ = path; }

std::string AudioPlayer::source() const { return "file://" + path_; }

void AudioPlayer::joinWorker() {
  stopRequested_ = true;
  if (worker_.joinable()) worker_.join();
  stopRequested_ = false;
}

void AudioPlayer::stop() {
  joinWorker();
  std::lock_guard lock(outputMutex_);
  clipRunning_ = false;
  if (output_) output_->stop();
}

void AudioPlayer::play() {
  stop();
  length_ = 0;
  auto file = std::make_unique<AudioFile>(path_);  // throws MediaDeviceError
  length_ = file->lengthMs();
  worker_ = std::thread(&AudioPlayer::run, this, std::move(file), path_);
}

void AudioPlayer::run(std::unique_ptr<AudioFile> file, std::string path) {
  if (length_ == 0) {
    const std::int64_t scanned = AudioFile::scanLengthMs(path, stopRequested_);
    if (length_ == 0) length_ = scanned;
  }
  AudioOutput* out = nullptr;
  {
    std::unique_lock lock(outputMutex_);
    if (!output_) {
      lock.unlock();
      auto opened = openAudioOutput(mode_);
      lock.lock();
      output_ = std::move(opened);
    }
    out = output_.get();
    out->start();
    clipRunning_ = true;
  }
  std::vector<std::int16_t> pcm;
  bool more = true;
  while (!stopRequested_) {
    if (out->aheadMs() > kAheadMs) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    more = file->next(pcm);
    if (!more) break;
    out->write(pcm.data(), pcm.size());
  }
  if (!more) {
    // The whole clip is decoded: its true length is now known.
    out->endOfData();
    const std::int64_t written = out->writtenMs();
    if (written > 0) length_ = written;
  }
  releaseAudioThreadState();
}

std::int64_t AudioPlayer::position() const {
  std::lock_guard lock(outputMutex_);
  if (!output_ || !clipRunning_) return 0;
  return output_->playedMs();
}

bool AudioPlayer::audible() const {
  std::lock_guard lock(outputMutex_);
  return output_ && output_->audible();
}

}  // namespace lumora
