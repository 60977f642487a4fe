#include "saver/core/lyrics.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "platform/core/ansi.h"
#include "platform/core/regular_file.h"

namespace lumora {

namespace {

constexpr std::int64_t kWindowMs = 510;
constexpr const char* kShownTag = "00:00.00";
constexpr std::size_t kSchemeLength = 7;  // "file://"
constexpr std::size_t kMaxFileSize = Lyrics::kMaxFileBytes;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads decimal digits at s[i...]; at most `maxDigits` of them.
int digitsAt(std::string_view s, std::size_t& i, std::int64_t& value, int maxDigits) {
  int n = 0;
  value = 0;
  while (i < s.size() && isDigit(s[i]) && n < maxDigits) {
    value = value * 10 + (s[i] - '0');
    ++i;
    ++n;
  }
  return n;
}

// The longest head of ANSI (GB18030) text of at most maxBytes that ends on a
// character boundary.
std::string_view headOfAnsi(std::string_view ansi, std::size_t maxBytes) {
  if (ansi.size() <= maxBytes) return ansi;
  std::size_t end = 0;
  while (end < ansi.size()) {
    const std::size_t next = end + gb18030SequenceLength(ansi, end);
    if (next > maxBytes) break;
    end = next;
  }
  return ansi.substr(0, end);
}

}  // namespace

std::optional<std::int64_t> lyricTimeMs(std::string_view tag) {
  std::size_t i = 0;
  std::int64_t minutes = 0, seconds = 0;
  if (digitsAt(tag, i, minutes, 2) != 2 || i >= tag.size() || tag[i] != ':') return std::nullopt;
  ++i;
  if (digitsAt(tag, i, seconds, 2) == 0 || seconds >= 60) return std::nullopt;
  std::int64_t fraction = 0;
  if (i < tag.size()) {
    if (tag[i] != '.') return std::nullopt;
    ++i;
    int scale = 100;
    int n = 0;
    for (; i < tag.size() && isDigit(tag[i]); ++i, ++n) {
      if (scale > 0) fraction += (tag[i] - '0') * scale;
      scale /= 10;
    }
    if (n == 0 || i != tag.size()) return std::nullopt;
  }
  return minutes * 60000 + seconds * 1000 + fraction;
}

void Lyrics::clear() {
  // Every entry: the suffix may have reached entries past the count.
  for (auto& t : tags_) t.clear();
  for (auto& l : lines_) l.clear();
  count_ = 0;
  firstTimed_ = 1;
  title_.clear();
  artist_.clear();
}

int Lyrics::read(const std::string& reportedSource) {
  clear();
  if (reportedSource.size() <= kSchemeLength) return 0;
  std::filesystem::path path(reportedSource.substr(kSchemeLength));
  path.replace_extension(".lrc");
  std::vector<std::uint8_t> bytes;
  try {
    bytes = readRegularFileHead(path.string(), kMaxFileSize);
  } catch (const RegularFileError&) {
    return 0;  // no lyric file (or a folder, FIFO or device by that name)
  }
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  readText(in);
  return 1;
}

void Lyrics::readText(std::istream& in) {
  clear();
  std::string text;
  char chunk[64 * 1024];
  while (text.size() < kMaxFileSize && in.read(chunk, sizeof chunk).gcount() > 0)
    text.append(chunk, std::min(std::size_t(in.gcount()), kMaxFileSize - text.size()));
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  if (hasNonAscii(text) && isValidUtf8(text)) text = utf8ToAnsi(text);

  std::size_t start = 0;
  while (start < text.size() && count_ < kTableSize) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    parseLine(line);
    start = end + 1;
  }
  finish();
}

void Lyrics::parseLine(std::string_view line) {
  const std::size_t n = line.size();
  if (n < 4) return;
  // j: the first "]" not followed by "["; a line without one is ignored.
  std::size_t j = std::string_view::npos;
  for (std::size_t k = 0; k < n; ++k) {
    if (line[k] == ']' && (k + 1 == n || line[k + 1] != '[')) {
      j = k;
      break;
    }
  }
  if (j == std::string_view::npos) return;
  const std::string rest(headOfAnsi(line.substr(j + 1), kMaxLineBytes));
  std::string acc;
  for (std::size_t k = 0; k <= j; ++k) {
    if (line[k] == ']') {
      if (count_ < kTableSize) {
        ++count_;
        lines_[std::size_t(count_)] = rest;
        tags_[std::size_t(count_)] = headOfAnsi(acc, kMaxLineBytes);
      }
      acc.clear();
    } else if (line[k] != '[') {
      acc += line[k];
    }
  }
}

void Lyrics::finish() {
  // The first timed entry; past the count when there is none.
  firstTimed_ = 1;
  while (firstTimed_ <= count_ &&
         !(!tags_[std::size_t(firstTimed_)].empty() && isDigit(tags_[std::size_t(firstTimed_)][0])))
    ++firstTimed_;

  for (int p = 1; p < firstTimed_; ++p) {
    const std::string& t = tags_[std::size_t(p)];
    if (t.compare(0, 2, "ti") == 0) title_ = t.size() > 3 ? t.substr(3) : std::string();
    if (t.compare(0, 2, "ar") == 0) artist_ = t.size() > 3 ? t.substr(3) : std::string();
  }

  const std::string suffix = "   <<" + title_ + ">>(" + artist_ + ")";
  auto addSuffix = [&](int from) {
    for (int p = from; p <= from + 5 && p <= kTableSize; ++p) lines_[std::size_t(p)] += suffix;
  };
  addSuffix(firstTimed_);
  addSuffix(std::max(1, count_ / 2));

  for (int i = firstTimed_; i < count_; ++i) {
    int m = i;
    for (int k = i + 1; k <= count_; ++k)
      if (tags_[std::size_t(k)] < tags_[std::size_t(m)]) m = k;
    if (m != i) {
      std::swap(tags_[std::size_t(i)], tags_[std::size_t(m)]);
      std::swap(lines_[std::size_t(i)], lines_[std::size_t(m)]);
    }
  }
}

std::vector<std::string> Lyrics::due(std::int64_t positionMs) {
  std::vector<std::string> out;
  for (int i = firstTimed_; i <= count_; ++i) {
    std::string& tag = tags_[std::size_t(i)];
    if (tag.size() < 3 || !isDigit(tag[0]) || tag[2] != ':') continue;
    const std::optional<std::int64_t> t = lyricTimeMs(tag);
    if (!t) continue;  // no clock time: never shown
    const std::int64_t d = *t - positionMs;
    if (d > kWindowMs || d < -kWindowMs) continue;
    out.push_back(" " + lines_[std::size_t(i)] + std::string(61, ' '));
    tag = kShownTag;
  }
  return out;
}

}  // namespace lumora
