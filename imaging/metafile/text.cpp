#include "imaging/metafile/text.h"

#include <string_view>

#include "platform/core/ansi.h"

namespace lumora::metafile {

namespace {

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

double sum(std::span<const double> advances, std::size_t from, std::size_t n) {
  double s = 0;
  for (std::size_t i = from; i < from + n && i < advances.size(); ++i) s += advances[i];
  return s;
}

}  // namespace

Characters ansiCharacters(std::span<const std::uint8_t> bytes, std::span<const double> advances) {
  Characters out;
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = gb18030SequenceLength(text, i);
    out.chars.push_back(ansiToUtf8(text.substr(i, n)));
    if (!advances.empty()) out.advances.push_back(sum(advances, i, n));
    i += n;
  }
  return out;
}

Characters utf16Characters(std::span<const std::uint16_t> units, std::span<const double> advances) {
  Characters out;
  for (std::size_t i = 0; i < units.size();) {
    char32_t c = units[i];
    std::size_t n = 1;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      n = 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    std::string s;
    appendUtf8(s, c);
    out.chars.push_back(std::move(s));
    if (!advances.empty()) out.advances.push_back(sum(advances, i, n));
    i += n;
  }
  return out;
}

}  // namespace lumora::metafile
