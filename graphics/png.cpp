#include "graphics/png.h"

#include <zlib.h>

#include "platform/core/atomic_file.h"
#include <stdexcept>
#include <vector>

namespace lumora {

namespace {

void put32(std::vector<unsigned char>& out, std::uint32_t v) {
  out.push_back(static_cast<unsigned char>(v >> 24));
  out.push_back(static_cast<unsigned char>(v >> 16));
  out.push_back(static_cast<unsigned char>(v >> 8));
  out.push_back(static_cast<unsigned char>(v));
}

void chunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
  put32(out, std::uint32_t(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + start, uInt(out.size() - start));
  put32(out, std::uint32_t(crc));
}

}  // namespace

void writePng(const Bitmap& b, const std::string& path) {
  std::vector<unsigned char> raw;
  raw.reserve(std::size_t(b.height()) * (std::size_t(b.width()) * 3 + 1));
  for (int y = 0; y < b.height(); ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < b.width(); ++x) {
      const Pixel p = b.at(x, y);
      raw.push_back(static_cast<unsigned char>(redOf(p)));
      raw.push_back(static_cast<unsigned char>(greenOf(p)));
      raw.push_back(static_cast<unsigned char>(blueOf(p)));
    }
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<unsigned char> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK)
    throw std::runtime_error("cannot compress " + path);
  packed.resize(packedSize);

  std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  put32(header, std::uint32_t(b.width()));
  put32(header, std::uint32_t(b.height()));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter, no interlace
  chunk(out, "IHDR", header);
  chunk(out, "IDAT", packed);
  chunk(out, "IEND", {});

  writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(out.data()), out.size()));
}

}  // namespace lumora
