#include "players/swf_file.h"

#include <iterator>

#include "platform/core/regular_file.h"
#include "players/swf_inflate.h"

namespace lumora {

namespace {

constexpr std::size_t kHeaderSize = 8;  // signature, version, file length
enum : int { kTagEnd = 0, kTagShowFrame = 1, kTagSetBackgroundColor = 9 };

std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

// Bits from the most significant down, as the RECT record stores them.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint32_t bits(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      if (bit_ >= size_ * 8) throw SwfError("The frame size of the Flash movie is cut off.");
      v = v << 1 | ((data_[bit_ / 8] >> (7 - bit_ % 8)) & 1u);
      ++bit_;
    }
    return v;
  }
  std::int32_t signedBits(int n) {
    if (n == 0) return 0;
    const std::uint32_t v = bits(n);
    if (n < 32 && (v >> (n - 1)) & 1u) return std::int32_t(v | ~((1u << n) - 1u));
    return std::int32_t(v);
  }
  std::size_t bytesUsed() const { return (bit_ + 7) / 8; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t bit_ = 0;
};

// The movie's body: everything after the 8-byte header, decompressed.
std::vector<std::uint8_t> body(SwfMovie& movie, const std::uint8_t* data, std::size_t size) {
  const std::size_t declared = movie.fileLength > kHeaderSize ? movie.fileLength - kHeaderSize : 0;
  const std::size_t limit = std::min(declared, kSwfMaxSize);
  switch (movie.compression) {
    case 'F':
      return {data + kHeaderSize, data + kHeaderSize + std::min(size - kHeaderSize, kSwfMaxSize)};
    case 'C':
      return inflateZlib(data + kHeaderSize, size - kHeaderSize, limit);
    default: {
      // ZWS: the compressed length (4 bytes), the LZMA properties (5), data.
      if (size < kHeaderSize + 9) throw SwfError("The Flash movie's LZMA header is cut off.");
      return inflateLzma(data + kHeaderSize + 4, data + kHeaderSize + 9, size - kHeaderSize - 9, limit);
    }
  }
}

void walkTags(SwfMovie& movie, const std::uint8_t* p, std::size_t size) {
  std::size_t pos = 0;
  while (true) {
    if (size - pos < 2) {
      movie.truncated = true;
      return;
    }
    const std::uint16_t head = le16(p + pos);
    pos += 2;
    const int code = head >> 6;
    std::size_t length = head & 0x3F;
    if (length == 0x3F) {
      if (size - pos < 4) {
        movie.truncated = true;
        return;
      }
      length = le32(p + pos);
      pos += 4;
    }
    if (length > size - pos) {
      movie.truncated = true;
      return;
    }
    ++movie.tags;
    const std::uint8_t* tag = p + pos;
    pos += length;
    if (code == kTagEnd) return;
    if (code == kTagShowFrame) ++movie.showFrames;
    if (code == kTagSetBackgroundColor && length >= 3)
      movie.backgroundColor = std::uint32_t(tag[0]) << 16 | std::uint32_t(tag[1]) << 8 | tag[2];
  }
}

}  // namespace

std::vector<std::uint8_t> readSwfBody(const std::uint8_t* data, std::size_t size, SwfMovie& movie) {
  if (size < kHeaderSize || data[1] != 'W' || data[2] != 'S' || (data[0] != 'F' && data[0] != 'C' && data[0] != 'Z'))
    throw SwfError("Not a Flash movie.");
  movie.compression = char(data[0]);
  movie.version = data[3];
  movie.fileLength = le32(data + 4);
  return body(movie, data, size);
}

SwfMovie readSwf(const std::uint8_t* data, std::size_t size) {
  SwfMovie movie;
  const std::vector<std::uint8_t> b = readSwfBody(data, size, movie);

  BitReader bits(b.data(), b.size());
  const int n = int(bits.bits(5));
  movie.frameSize.xMin = bits.signedBits(n);
  movie.frameSize.xMax = bits.signedBits(n);
  movie.frameSize.yMin = bits.signedBits(n);
  movie.frameSize.yMax = bits.signedBits(n);
  std::size_t pos = bits.bytesUsed();
  if (b.size() - pos < 4) throw SwfError("The Flash movie's header is cut off.");
  movie.frameRate88 = le16(b.data() + pos);
  movie.frameCount = le16(b.data() + pos + 2);
  pos += 4;
  walkTags(movie, b.data() + pos, b.size() - pos);
  return movie;
}

std::vector<std::uint8_t> readSwfBytes(const std::string& path) {
  // A compressed movie is never larger than its uncompressed limit.
  try {
    return readRegularFile(path, kSwfMaxSize + 64);
  } catch (const RegularFileError& e) {
    throw SwfError(e.what());
  }
}

SwfMovie readSwfFile(const std::string& path) {
  const std::vector<std::uint8_t> data = readSwfBytes(path);
  return readSwf(data.data(), data.size());
}

}  // namespace lumora
