// One song being decoded into interleaved 16-bit stereo at kRate. The
// decoder itself (FFmpeg) lives in the audio back end module; see
// audio_backend.h.
#pragma once

#include <cstdint>
#include <vector>

namespace lumora {

class AudioFile {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;

  virtual ~AudioFile() = default;

  // The length the file announces, in ms; 0 when it announces none.
  virtual std::int64_t lengthMs() const = 0;

  // Replaces `pcm` with the next decoded piece (interleaved samples). False
  // at the end of the song (or at the first error after the start).
  virtual bool next(std::vector<std::int16_t>& pcm) = 0;
};

}  // namespace lumora
