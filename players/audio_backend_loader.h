// Loads the audio back end module: from $LUMORA_AUDIO_BACKEND when set,
// else liblumora_audio_backend.so in the running program's folder, then in
// its parent folder (tests run from a sub-folder of the build). The module
// stays mapped for the rest of the process once loaded.
#pragma once

#include <string>
#include <vector>

#include "players/audio_backend.h"

namespace lumora {

class AudioBackendModule {
 public:
  static constexpr char kFileName[] = "liblumora_audio_backend.so";

  // Throws MediaDeviceError naming what is missing.
  AudioBackendModule();
  ~AudioBackendModule();
  AudioBackendModule(const AudioBackendModule&) = delete;
  AudioBackendModule& operator=(const AudioBackendModule&) = delete;

  AudioBackend& backend() const { return *backend_; }

  // Where the module is looked for, in order.
  static std::vector<std::string> candidates();

 private:
  void* handle_ = nullptr;
  AudioBackend* backend_ = nullptr;
};

}  // namespace lumora
