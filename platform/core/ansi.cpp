#include "platform/core/ansi.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <string>

namespace lumora {
namespace {

// One iconv conversion descriptor, closed on scope exit.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts input; a sequence that cannot be converted is skipped (its
  // length told by `skip` from where it starts) and `replacement` is written
  // in its place.
  template <typename Skip>
  std::string convert(std::string_view input, std::string_view replacement, Skip skip) {
    std::string out;
    out.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      const size_t result = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<size_t>(outPtr - buffer));
      if (result != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a sequence cut short at the end).
      out.append(replacement);
      const std::size_t length = std::min(inLeft, std::max<std::size_t>(1, skip(std::string_view(in, inLeft))));
      in += length;
      inLeft -= length;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    return out;
  }

 private:
  iconv_t cd_;
};

bool inRange(unsigned char c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; }

std::size_t oneByte(std::string_view) { return 1; }

// A well-formed UTF-8 character that has no GB18030 form is skipped whole.
std::size_t utf8SequenceLength(std::string_view bytes) {
  const unsigned char c = static_cast<unsigned char>(bytes[0]);
  const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  return length <= bytes.size() && isValidUtf8(bytes.substr(0, length)) ? length : 1;
}

}  // namespace

std::string ansiToUtf8(std::string_view ansi) {
  if (!hasNonAscii(ansi)) return std::string(ansi);
  Converter converter("UTF-8", "GB18030");
  return converter.convert(ansi, "\xEF\xBF\xBD", oneByte);
}

std::string utf8ToAnsi(std::string_view utf8) {
  if (!hasNonAscii(utf8)) return std::string(utf8);
  Converter converter("GB18030", "UTF-8");
  return converter.convert(utf8, "?", utf8SequenceLength);
}

std::size_t ansiLength(std::string_view utf8) { return utf8ToAnsi(utf8).size(); }

bool hasNonAscii(std::string_view bytes) {
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

bool isValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  while (i < n) {
    const unsigned char c = at(i);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t length;
    unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (inRange(c, 0xC2, 0xDF)) {
      length = 2;
    } else if (inRange(c, 0xE0, 0xEF)) {
      length = 3;
      if (c == 0xE0) lo = 0xA0;  // no overlongs
      if (c == 0xED) hi = 0x9F;  // no surrogates
    } else if (inRange(c, 0xF0, 0xF4)) {
      length = 4;
      if (c == 0xF0) lo = 0x90;  // no overlongs
      if (c == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
      return false;
    }
    if (i + length > n) return false;
    if (!inRange(at(i + 1), lo, hi)) return false;
    for (std::size_t k = 2; k < length; ++k)
      if (!inRange(at(i + k), 0x80, 0xBF)) return false;
    i += length;
  }
  return true;
}

std::size_t gb18030SequenceLength(std::string_view bytes, std::size_t i) {
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  if (i >= bytes.size() || !inRange(at(i), 0x81, 0xFE)) return 1;
  if (i + 1 >= bytes.size()) return 1;
  const unsigned char second = at(i + 1);
  if (inRange(second, 0x40, 0x7E) || inRange(second, 0x80, 0xFE)) return 2;
  if (inRange(second, 0x30, 0x39) && i + 3 < bytes.size() && inRange(at(i + 2), 0x81, 0xFE) &&
      inRange(at(i + 3), 0x30, 0x39))
    return 4;
  return 1;
}

std::filesystem::path pathFromAnsi(std::string_view ansi) {
  if (!hasNonAscii(ansi)) return std::filesystem::path(std::string(ansi));
  // Bytes that are no GB18030 text are taken as the file system's own bytes,
  // so that such a file can still be found.
  Converter converter("UTF-8", "GB18030");
  const std::string utf8 = converter.convert(ansi, std::string(1, '\0'), oneByte);
  if (utf8.find('\0') != std::string::npos) return std::filesystem::path(std::string(ansi));
  return std::filesystem::path(utf8);
}

std::string ansiFromPath(const std::filesystem::path& path) {
  const std::string native = path.string();
  if (!isValidUtf8(native)) return native;
  return utf8ToAnsi(native);
}

}  // namespace lumora
