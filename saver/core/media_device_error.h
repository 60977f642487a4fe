// The one error kind the show and the settings window catch around starting
// playback: the player could not open or play the file (the media device
// error). Carries the player's message.
#pragma once

#include <stdexcept>
#include <string>

namespace lumora {

class MediaDeviceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace lumora
