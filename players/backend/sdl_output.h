// The SDL2 audio device of the back end.
#pragma once

#include <memory>

#include "players/audio_output.h"

namespace lumora {

// A device opened for 16-bit stereo at AudioFile::kRate; null when SDL opens
// none.
std::unique_ptr<AudioOutput> openSdlOutput();

// Releases what SDL keeps for the calling thread.
void releaseSdlThreadState();

}  // namespace lumora
