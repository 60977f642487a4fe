// What the audio back end module (liblumora_audio_backend.so: FFmpeg
// decoding and the SDL2 device) offers the player. The module is loaded the
// first time a song plays, so that starting the program does not map the
// hundred-odd libraries FFmpeg and SDL2 pull in. No exception crosses the
// module's edge: failures come back as null results with a message.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "players/audio_file.h"
#include "players/audio_output.h"

namespace lumora {

class AudioBackend {
 public:
  // Opens the file and decodes its first piece, so that a file that opens
  // but holds nothing playable fails here. Null, with `error` set to the
  // reason, when it cannot be played.
  virtual std::unique_ptr<AudioFile> openFile(const std::string& path, std::string& error) = 0;

  // The length of a file that announces none, found by walking its packets
  // without decoding them (a local file: milliseconds). 0 when none is found
  // or `stop` becomes true.
  virtual std::int64_t scanLengthMs(const std::string& path, const std::atomic<bool>& stop) = 0;

  // An SDL2 device taking 16-bit stereo at AudioFile::kRate; null when none
  // opens. May take a moment: not for the user interface thread.
  virtual std::unique_ptr<AudioOutput> openDevice() = 0;

  // What a thread that opened or fed a device keeps of SDL (its error
  // text), released; called by that thread as it ends.
  virtual void releaseThreadState() = 0;

 protected:
  ~AudioBackend() = default;
};

// The module's one exported function, by this name: the back end for this
// interface version, or null when the module was built for another one.
inline constexpr char kAudioBackendEntryName[] = "lumora_audio_backend";
inline constexpr int kAudioBackendVersion = 1;
using AudioBackendEntry = AudioBackend* (*)(int version);

}  // namespace lumora
