// Text of the records as characters: ANSI (GB18030) bytes and UTF-16 code
// units split into characters, with the per-unit advances of an extended
// text-out record summed per character.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumora::metafile {

struct Characters {
  std::vector<std::string> chars;  // UTF-8, one character each
  std::vector<double> advances;    // empty when no advances were given
};

// `advances`: one per byte, or empty.
Characters ansiCharacters(std::span<const std::uint8_t> bytes, std::span<const double> advances);
// `advances`: one per code unit, or empty. A lone surrogate becomes U+FFFD.
Characters utf16Characters(std::span<const std::uint16_t> units, std::span<const double> advances);

}  // namespace lumora::metafile
