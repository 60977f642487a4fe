#include "players/audio_player.h"

#include <vector>

#include "players/audio_backend_loader.h"
#include "players/audio_file.h"
#include "players/decode_ahead.h"
#include "platform/core/regular_file.h"
#include "saver/core/media_device_error.h"

namespace lumora {

namespace {
// Largest song file played (a RealMedia file of hours is far below it).
constexpr std::size_t kMaxMediaFileBytes = std::size_t(4) << 30;
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
  {
    std::lock_guard lock(wakeMutex_);
    stopRequested_ = true;
  }
  wake_.notify_all();
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
  if (!module_) module_ = std::make_unique<AudioBackendModule>();  // throws MediaDeviceError
  // Only a regular file goes to the decoder: it would wait for ever on a FIFO
  // and read a device without end.
  try {
    checkRegularFile(path_, kMaxMediaFileBytes);
  } catch (const RegularFileError& e) {
    throw MediaDeviceError(e.what());
  }
  std::string error;
  std::unique_ptr<AudioFile> file = module_->backend().openFile(path_, error);
  if (!file) throw MediaDeviceError(error);
  length_ = file->lengthMs();
  worker_ = std::thread(&AudioPlayer::run, this, std::move(file), path_);
}

void AudioPlayer::run(std::unique_ptr<AudioFile> file, std::string path) {
  AudioBackend& backend = module_->backend();
  if (length_ == 0) {
    const std::int64_t scanned = backend.scanLengthMs(path, stopRequested_);
    if (length_ == 0) length_ = scanned;
  }
  AudioOutput* out = nullptr;
  {
    std::unique_lock lock(outputMutex_);
    if (!output_) {
      lock.unlock();
      auto opened = openAudioOutput(mode_, backend);
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
    if (const auto wait = DecodeAhead::waitFor(out->aheadMs()); wait.count() > 0) {
      std::unique_lock lock(wakeMutex_);
      wake_.wait_for(lock, wait, [this] { return stopRequested_.load(); });
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
  backend.releaseThreadState();
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
