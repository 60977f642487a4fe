// The choice between the device and the silent clock.
#include <cstdlib>
#include <cstring>

#include "platform/core/hooks.h"
#include "players/audio_backend.h"
#include "players/audio_output.h"

namespace lumora {

namespace {

bool silenceAsked() { return hookValue(Hook::Audio) == "silent"; }

}  // namespace

std::unique_ptr<AudioOutput> openAudioOutput(AudioOutputMode mode, AudioBackend& backend) {
  if (mode == AudioOutputMode::Silent || silenceAsked()) return makeSilentOutput();
  if (auto device = backend.openDevice()) return device;
  return makeSilentOutput();
}

}  // namespace lumora
