// The SDL2 audio output: a device opened for 16-bit stereo at 44100 Hz and
// fed through SDL's queue; the position is what the device has taken from
// the queue.
#include <SDL.h>

#include "players/backend/sdl_output.h"

#include <atomic>

#include "players/audio_file.h"

namespace lumora {

namespace {

// Leaves SDL's audio; when nothing else of SDL is in use, SDL is released
// whole (it keeps some state until SDL_Quit).
void releaseSdlAudio() {
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

constexpr std::int64_t kBytesPerFrame = AudioFile::kChannels * sizeof(std::int16_t);

// The device's period in sample frames: SDL's audio thread wakes once per
// period (4096 at 44100 Hz: 93 ms, under 11 times a second), and the
// position advances in steps of it. The decoder keeps 200 to 400 ms queued,
// well over one period.
constexpr Uint16 kPeriodFrames = 4096;

class SdlOutput : public AudioOutput {
 public:
  explicit SdlOutput(SDL_AudioDeviceID device) : device_(device) {}
  ~SdlOutput() override {
    SDL_CloseAudioDevice(device_);
    releaseSdlAudio();
  }

  void start() override {
    SDL_PauseAudioDevice(device_, 1);
    SDL_ClearQueuedAudio(device_);
    queuedBytes_ = 0;
    SDL_PauseAudioDevice(device_, 0);
  }
  void write(const std::int16_t* samples, std::size_t count) override {
    const std::size_t bytes = count * sizeof(std::int16_t);
    if (SDL_QueueAudio(device_, samples, Uint32(bytes)) == 0) queuedBytes_ += std::int64_t(bytes);
  }
  void endOfData() override {}
  void stop() override {
    SDL_PauseAudioDevice(device_, 1);
    SDL_ClearQueuedAudio(device_);
    queuedBytes_ = 0;
  }
  std::int64_t playedMs() const override {
    const std::int64_t queued = queuedBytes_;
    const std::int64_t waiting = SDL_GetQueuedAudioSize(device_);
    const std::int64_t played = queued > waiting ? queued - waiting : 0;
    return played / kBytesPerFrame * 1000 / AudioFile::kRate;
  }
  std::int64_t writtenMs() const override { return queuedBytes_ / kBytesPerFrame * 1000 / AudioFile::kRate; }
  bool audible() const override { return true; }

 private:
  SDL_AudioDeviceID device_;
  std::atomic<std::int64_t> queuedBytes_{0};
};

}  // namespace

void releaseSdlThreadState() { SDL_TLSCleanup(); }

std::unique_ptr<AudioOutput> openSdlOutput() {
  // SDL's audio brings up its event subsystem, which would otherwise take
  // SIGINT and SIGTERM for a quit event nobody reads: the show must end on
  // them whatever plays.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    releaseSdlAudio();
    return nullptr;
  }
  SDL_AudioSpec want{};
  want.freq = AudioFile::kRate;
  want.format = AUDIO_S16SYS;
  want.channels = AudioFile::kChannels;
  want.samples = kPeriodFrames;
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    releaseSdlAudio();
    return nullptr;
  }
  return std::make_unique<SdlOutput>(device);
}

}  // namespace lumora
