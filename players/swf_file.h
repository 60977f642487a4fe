// Reading a Flash movie (SWF): the header in its three forms (FWS plain, CWS
// zlib, ZWS LZMA), the frame size, frame rate and frame count, and the tag
// stream as far as the player needs it (frames shown, background colour).
// The reader takes any bytes: whatever they hold, it returns a movie or
// throws SwfError, and never reads outside the data it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumora {

class SwfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SwfRect {  // in twips (1/20 pixel)
  std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

struct SwfMovie {
  char compression = 'F';  // 'F' none, 'C' zlib, 'Z' LZMA
  int version = 0;
  std::uint32_t fileLength = 0;  // as the header declares it
  SwfRect frameSize;
  std::uint16_t frameRate88 = 0;                 // frames per second, fixed point 8.8
  std::uint16_t frameCount = 0;                  // as the header declares it
  std::optional<std::uint32_t> backgroundColor;  // 0xRRGGBB (SetBackgroundColor)
  int showFrames = 0;                            // ShowFrame tags of the main timeline
  int tags = 0;                                  // tags read, End included
  bool truncated = false;                        // the data ended inside a tag or before End

  double frameRate() const { return frameRate88 / 256.0; }
};

// Upper limit of the uncompressed movie; a longer one is read up to it.
inline constexpr std::size_t kSwfMaxSize = std::size_t(64) << 20;

SwfMovie readSwf(const std::uint8_t* data, std::size_t size);
// The movie uncompressed: everything after the 8-byte header (the frame
// size, rate, count and the tags), at most kSwfMaxSize bytes. Fills the
// header fields of `movie` (compression, version, declared file length).
std::vector<std::uint8_t> readSwfBody(const std::uint8_t* data, std::size_t size, SwfMovie& movie);
// Reads a whole file of at most kSwfMaxSize (plus room for a header) bytes.
std::vector<std::uint8_t> readSwfBytes(const std::string& path);
// Reads the file (throws SwfError when it cannot be read).
SwfMovie readSwfFile(const std::string& path);

}  // namespace lumora
