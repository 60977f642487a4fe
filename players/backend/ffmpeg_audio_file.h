// One song opened with the FFmpeg libraries (MP3, the RealAudio codecs of .rm
// files and whatever else FFmpeg reads), decoded piece by piece into
// interleaved 16-bit stereo at kRate.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "players/audio_file.h"

namespace lumora {

class FfmpegAudioFile : public AudioFile {
 public:
  // Opens the file and decodes its first piece, so that a file that opens but
  // holds nothing playable fails here. Throws MediaDeviceError.
  explicit FfmpegAudioFile(const std::string& path);
  ~FfmpegAudioFile() override;
  FfmpegAudioFile(const FfmpegAudioFile&) = delete;
  FfmpegAudioFile& operator=(const FfmpegAudioFile&) = delete;

  std::int64_t lengthMs() const override { return lengthMs_; }
  bool next(std::vector<std::int16_t>& pcm) override;

  // The length of a file that announces none, found by walking its packets
  // without decoding them. 0 when none is found or `stop` becomes true.
  static std::int64_t scanLengthMs(const std::string& path, const std::atomic<bool>& stop);

 private:
  struct Codec;
  std::unique_ptr<Codec> codec_;
  std::int64_t lengthMs_ = 0;
  std::vector<std::int16_t> first_;  // the piece decoded while opening
  bool firstTaken_ = false;
};

}  // namespace lumora
