// The lyrics of the current song: the reader (`dgc`), which fills two
// parallel tables of 500 entries from the .lrc file beside the song, and the
// display step (`Timer4Timer`), which says which lines are due at a playing
// position. Drawing them is the caller's.
//
// Lyric files are untrusted: any bytes give some table (lines without a
// closing tag are ignored, entries past the 500th are dropped, tags that are
// no clock time are never shown), and what it costs is bounded: a file is
// read up to kMaxFileBytes, and each entry's text and tag are cut at
// kMaxLineBytes on a character boundary, so that a line carrying hundreds of
// tags cannot copy a huge text into each entry.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

class Lyrics {
 public:
  static constexpr int kTableSize = 500;
  static constexpr std::size_t kMaxFileBytes = std::size_t(1) << 20;
  static constexpr std::size_t kMaxLineBytes = 1024;

  // Empties the tables, then reads the lyric file of the clip whose
  // source the audio player reports ("file://" + path): the same path with
  // the extension ".lrc". Returns 1 when that file exists and was read, else
  // 0. Showing the stage is the caller's.
  int read(const std::string& reportedSource);

  // Empties the tables, then reads lyric text (ANSI bytes; a file that is
  // valid UTF-8 with non-ASCII bytes is taken as UTF-8 and converted).
  void readText(std::istream& in);

  // The texts to draw at this position, in table order, each
  // as " " + line + 61 spaces. A drawn entry's tag becomes "00:00.00".
  std::vector<std::string> due(std::int64_t positionMs);

  // The tables, entries 1 to count().
  int count() const { return count_; }
  int firstTimed() const { return firstTimed_; }
  const std::string& tag(int i) const { return tags_[std::size_t(i)]; }
  const std::string& line(int i) const { return lines_[std::size_t(i)]; }
  const std::string& title() const { return title_; }
  const std::string& artist() const { return artist_; }

 private:
  void clear();
  void parseLine(std::string_view line);
  void finish();

  // Index 0 is unused: entries are numbered 1 to kTableSize.
  std::array<std::string, kTableSize + 1> tags_;
  std::array<std::string, kTableSize + 1> lines_;
  int count_ = 0;
  int firstTimed_ = 1;
  std::string title_, artist_;
};

// The time of a timed tag "mm:ss.xx" in ms: minutes, seconds (below 60) and
// the digits after the point as a fraction of a second ("12.5" and "12.50"
// are 12500 ms, "12.05" is 12050 ms, "12.123" is 12123 ms). The fraction may
// be left out. Nothing when the tag is no such time.
std::optional<std::int64_t> lyricTimeMs(std::string_view tag);

}  // namespace lumora
