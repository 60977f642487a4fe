// A little-endian, single-strip TIFF with the tags the tests choose, every
// value held in its directory entry.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace lumora::test {

// tag -> value (SHORT when it fits in 16 bits, else LONG); the strip's
// offset and byte count are added.
inline std::vector<std::uint8_t> smallTiff(std::map<std::uint16_t, std::uint32_t> tags,
                                           const std::vector<std::uint8_t>& strip) {
  std::vector<std::uint8_t> out = {'I', 'I', 42, 0, 0, 0, 0, 0};
  auto put = [&](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
  };
  tags[273] = 8;
  tags[279] = std::uint32_t(strip.size());
  out.insert(out.end(), strip.begin(), strip.end());
  if (out.size() & 1) out.push_back(0);
  const std::uint32_t dir = std::uint32_t(out.size());
  for (int i = 0; i < 4; ++i) out[4 + i] = std::uint8_t(dir >> (8 * i));
  put(std::uint32_t(tags.size()), 2);
  for (const auto& [tag, value] : tags) {
    const bool isShort = value <= 0xFFFF;
    put(tag, 2);
    put(isShort ? 3 : 4, 2);
    put(1, 4);
    put(value, 4);
  }
  put(0, 4);
  return out;
}

}  // namespace lumora::test
