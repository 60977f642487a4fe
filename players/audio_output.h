// Where decoded sound goes: an SDL2 audio device, or, when none can be opened
// (or silence is asked for), a silent output that keeps time with the
// monotonic clock as a device would. The decoding thread writes; the user
// interface thread asks for the position. Both may call at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace lumora {

enum class AudioOutputMode {
  Automatic,  // SDL2 audio; silent when no device opens or LUMORA_AUDIO=silent
  Silent,     // always silent (tests)
};

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // Starts a new clip: position 0, nothing written, the clock running.
  virtual void start() = 0;
  // Hands over interleaved 16-bit stereo samples at 44100 Hz (decoder thread).
  virtual void write(const std::int16_t* samples, std::size_t count) = 0;
  // No more samples will come for this clip: the position stops at the end
  // of what was written.
  virtual void endOfData() = 0;
  // Drops what is queued and stops the clock.
  virtual void stop() = 0;
  // Milliseconds played of the current clip (0 after stop).
  virtual std::int64_t playedMs() const = 0;
  // Milliseconds written of the current clip.
  virtual std::int64_t writtenMs() const = 0;
  // True when the sound reaches a device (false for the silent clock).
  virtual bool audible() const = 0;

  // Milliseconds written but not yet played: the decoder keeps this small.
  std::int64_t aheadMs() const { return writtenMs() - playedMs(); }
};

class AudioBackend;

// A silent output driven by std::chrono::steady_clock.
std::unique_ptr<AudioOutput> makeSilentOutput();

// The back end's SDL2 audio device when the mode allows one and it opens;
// else the silent output. May take a moment (opening a device): not for the
// user interface thread.
std::unique_ptr<AudioOutput> openAudioOutput(AudioOutputMode mode, AudioBackend& backend);

}  // namespace lumora
