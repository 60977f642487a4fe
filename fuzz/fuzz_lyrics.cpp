// The lyric reader and the display step: any bytes give tables within their
// bounds, and asking what is due at the entries' own times walks the
// display step.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

#include "saver/core/lyrics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using lumora::Lyrics;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  Lyrics lyrics;
  lyrics.readText(in);
  if (lyrics.count() < 0 || lyrics.count() > Lyrics::kTableSize) std::abort();
  if (lyrics.title().size() > Lyrics::kMaxLineBytes || lyrics.artist().size() > Lyrics::kMaxLineBytes) std::abort();
  for (int i = 1; i <= lyrics.count(); ++i)
    if (lyrics.line(i).size() > Lyrics::kMaxLineBytes + 2 * (lyrics.title().size() + lyrics.artist().size() + 9))
      std::abort();
  // The first entries' own times, then the ends of the clock. (A shown
  // entry's tag becomes 00:00.00, so every call near the start draws all of
  // them again: more calls would mostly copy the same lines.)
  for (int i = 1; i <= std::min(lyrics.count(), 8); ++i)
    if (const std::optional<std::int64_t> ms = lumora::lyricTimeMs(lyrics.tag(i))) lyrics.due(*ms);
  lyrics.due(0);
  lyrics.due(100 * 60000);
  return 0;
}
