// The module's entry point: the back end the player loads at its first song.
#include "players/audio_backend.h"
#include "players/backend/ffmpeg_audio_file.h"
#include "players/backend/sdl_output.h"
#include "saver/core/media_device_error.h"

namespace lumora {

namespace {

class FfmpegSdlBackend final : public AudioBackend {
 public:
  std::unique_ptr<AudioFile> openFile(const std::string& path, std::string& error) override {
    try {
      return std::make_unique<FfmpegAudioFile>(path);
    } catch (const std::exception& e) {  // MediaDeviceError, or out of memory
      error = e.what();
      return nullptr;
    }
  }
  std::int64_t scanLengthMs(const std::string& path, const std::atomic<bool>& stop) override {
    try {
      return FfmpegAudioFile::scanLengthMs(path, stop);
    } catch (const std::exception&) {
      return 0;
    }
  }
  std::unique_ptr<AudioOutput> openDevice() override {
    try {
      return openSdlOutput();
    } catch (const std::exception&) {
      return nullptr;
    }
  }
  void releaseThreadState() override { releaseSdlThreadState(); }
};

}  // namespace

}  // namespace lumora

extern "C" __attribute__((visibility("default"))) lumora::AudioBackend* lumora_audio_backend(int version) {
  // Stateless, so one for the whole process is enough.
  static lumora::FfmpegSdlBackend backend;
  return version == lumora::kAudioBackendVersion ? &backend : nullptr;
}
