// One song opened with the FFmpeg libraries (MP3, the RealAudio codecs of .rm
// files and whatever else FFmpeg reads), decoded piece by piece into
// interleaved 16-bit stereo at kRate.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumora {

class AudioFile {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;

  // Opens the file and decodes its first piece, so that a file that opens but
  // holds nothing playable fails here. Throws MediaDeviceError.
  explicit AudioFile(const std::string& path);
  ~AudioFile();
  AudioFile(AudioFile&&) noexcept;
  AudioFile& operator=(AudioFile&&) noexcept;

  // The length the file announces, in ms; 0 when it announces none.
  std::int64_t lengthMs() const { return lengthMs_; }

  // The length of a file that announces none, found by walking its packets
  // without decoding them (a local file: milliseconds). 0 when none is found
  // or `stop` becomes true.
  static std::int64_t scanLengthMs(const std::string& path, const std::atomic<bool>& stop);

  // Replaces `pcm` with the next decoded piece (interleaved samples). False
  // at the end of the song (or at the first error after the start).
  bool next(std::vector<std::int16_t>& pcm);

 private:
  struct Codec;
  std::unique_ptr<Codec> codec_;
  std::int64_t lengthMs_ = 0;
  std::vector<std::int16_t> first_;  // the piece decoded while opening
  bool firstTaken_ = false;
};

}  // namespace lumora
