// The lyric reader and display: the grammar, the tables, the suffix, the
// sort, the times, and hostile files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <unistd.h>
#include <sstream>
#include <vector>

#include "saver/core/lyrics.h"

namespace lumora {
namespace {

const std::string kNoHeader = "   <<>>()";

Lyrics parse(const std::string& text) {
  Lyrics l;
  std::istringstream in(text);
  l.readText(in);
  return l;
}

std::string shown(const std::string& line) { return " " + line + std::string(61, ' '); }

TEST(LyricTime, FractionIsAFractionOfASecond) {
  EXPECT_EQ(lyricTimeMs("00:12.50"), 12500);
  EXPECT_EQ(lyricTimeMs("01:05.5"), 65500);
  EXPECT_EQ(lyricTimeMs("00:12.05"), 12050);
  EXPECT_EQ(lyricTimeMs("00:12.123"), 12123);
  EXPECT_EQ(lyricTimeMs("00:12.1239"), 12123);
  EXPECT_EQ(lyricTimeMs("00:12"), 12000);
  EXPECT_EQ(lyricTimeMs("45:00.00"), 45 * 60000);
  for (const char* bad : {"00:60.00", "0:12.00", "00:12.", "00:12.5x", "00:.50", "ab:12.00", "00-12.00", "", "00:"})
    EXPECT_FALSE(lyricTimeMs(bad)) << bad;
}

TEST(LyricReader, SeveralTagsOnOneLine) {
  Lyrics l = parse("[00:12.50][01:05.00]Some words\r\n[ti:Title]\r\n");
  ASSERT_EQ(l.count(), 3);
  EXPECT_EQ(l.tag(1), "00:12.50");
  EXPECT_EQ(l.tag(2), "01:05.00");
  // Both are among the first six timed entries and among the six from the
  // middle (3 div 2 = 1): they carry the suffix twice.
  EXPECT_EQ(l.line(1), "Some words" + kNoHeader + kNoHeader);
  EXPECT_EQ(l.line(2), "Some words" + kNoHeader + kNoHeader);
  // "ti" after the first timed entry is no header: it sorts after the times.
  EXPECT_EQ(l.tag(3), "ti:Title");
  EXPECT_EQ(l.title(), "");
}

TEST(LyricReader, HeaderSuffixOnTheFirstSixAndSixFromTheMiddle) {
  std::string text = "[ti:A]\n[ar:B]\n";
  for (int i = 0; i < 20; ++i) text += "[00:" + std::to_string(10 + i) + ".00]line" + std::to_string(i) + "\n";
  Lyrics l = parse(text);
  ASSERT_EQ(l.count(), 22);
  EXPECT_EQ(l.firstTimed(), 3);
  EXPECT_EQ(l.title(), "A");
  EXPECT_EQ(l.artist(), "B");
  const std::string suffix = "   <<A>>(B)";
  for (int i = 3; i <= 22; ++i) {
    const bool marked = (i >= 3 && i <= 8) || (i >= 11 && i <= 16);
    EXPECT_EQ(l.line(i), "line" + std::to_string(i - 3) + (marked ? suffix : "")) << i;
  }
}

TEST(LyricReader, ShortLinesAndLinesWithoutATagAreIgnored) {
  Lyrics l = parse("[1]\nab\n\n[1]x\nplain text without tags\n[[[[\n]\n");
  ASSERT_EQ(l.count(), 1);
  EXPECT_EQ(l.tag(1), "1");
  EXPECT_EQ(l.line(1).substr(0, 1), "x");
}

TEST(LyricReader, BracketsInsideThePrefix) {
  // "]" followed by "[" closes a tag and the prefix goes on; "[" never
  // enters a tag; a text may hold more brackets.
  Lyrics l = parse("[00:01.00][x[y]z]text]more\n[a[b]][00:02.00]rest\n");
  ASSERT_EQ(l.count(), 3);
  EXPECT_EQ(l.tag(1), "00:01.00");
  EXPECT_EQ(l.line(1).substr(0, 11), "z]text]more");
  EXPECT_EQ(l.tag(2), "ab");  // sorted among the timed ones ("a" > "0")
  EXPECT_EQ(l.line(2).substr(0, 12), "][00:02.00]r");
  EXPECT_EQ(l.tag(3), "xy");
}

TEST(LyricReader, TheTablesHoldFiveHundredEntries) {
  std::string text;
  for (int i = 0; i < 700; ++i) text += "[00:00.00]l\n";
  Lyrics many = parse(text);
  EXPECT_EQ(many.count(), Lyrics::kTableSize);

  std::string tags;
  for (int i = 0; i < 600; ++i) tags += "[00:01.00]";
  Lyrics oneLine = parse(tags + "x\n[00:02.00]later\n");
  EXPECT_EQ(oneLine.count(), Lyrics::kTableSize);
  // The middle suffix reaches past the last entry without harm.
  EXPECT_FALSE(oneLine.due(1000).empty());
}

TEST(LyricReader, NoTimedTagShowsNothing) {
  Lyrics l = parse("[ti:A]\n[ar:B]\n[by:C]\n");
  EXPECT_EQ(l.count(), 3);
  EXPECT_EQ(l.firstTimed(), 4);
  EXPECT_EQ(l.title(), "A");
  for (std::int64_t t = 0; t < 5000; t += 200) EXPECT_TRUE(l.due(t).empty());
}

TEST(LyricReader, TimedEntriesAreSortedByTheirTags) {
  Lyrics l = parse("[ar:Z]\n[00:30.00]c\n[00:10.00]a\n[00:20.00]b\n[00:10.00]a2\n");
  ASSERT_EQ(l.count(), 5);
  EXPECT_EQ(l.tag(1), "ar:Z");
  EXPECT_EQ(l.tag(2), "00:10.00");
  EXPECT_EQ(l.tag(3), "00:10.00");
  EXPECT_EQ(l.tag(4), "00:20.00");
  EXPECT_EQ(l.tag(5), "00:30.00");
  // Ties keep no particular order, but both lines are there.
  EXPECT_EQ(l.line(2).substr(0, 1), "a");
  EXPECT_EQ(l.line(3).substr(0, 1), "a");
  EXPECT_EQ(l.line(4).substr(0, 1), "b");
}

TEST(LyricDisplay, ALineIsShownOnceWithinItsWindow) {
  Lyrics l = parse("[00:12.50][01:05.00]Hello\n");
  const std::string text = shown("Hello" + kNoHeader + kNoHeader);
  EXPECT_TRUE(l.due(11989).empty());
  ASSERT_EQ(l.due(11990), std::vector<std::string>{text});  // 12500 - 510
  EXPECT_TRUE(l.due(12200).empty());
  EXPECT_TRUE(l.due(12500).empty());
  EXPECT_EQ(l.tag(1), "00:00.00");
  EXPECT_TRUE(l.due(64000).empty());
  EXPECT_EQ(l.due(65510), std::vector<std::string>{text});
  EXPECT_TRUE(l.due(65600).empty());
}

TEST(LyricDisplay, EveryPassedLineIsDrawnWithATwoHundredMillisecondTick) {
  std::string text;
  std::vector<int> times;
  for (int t = 1000, i = 0; t < 60000; t += 37 * (i % 9 + 1), ++i) {
    times.push_back(t);
    char tag[16];
    std::snprintf(tag, sizeof tag, "[%02d:%02d.%02d]", t / 60000, t / 1000 % 60, t % 1000 / 10);
    text += std::string(tag) + "L" + std::to_string(i) + "\n";
  }
  Lyrics l = parse(text);
  std::set<std::string> drawn;
  for (std::int64_t pos = 37; pos < 61000; pos += 200)
    for (const auto& s : l.due(pos)) drawn.insert(s.substr(1, s.find(' ', 1) - 1));
  EXPECT_EQ(drawn.size(), times.size());
}

TEST(LyricDisplay, TagsThatAreNoClockTimeAreNeverShown) {
  Lyrics l = parse("[99:99.99]a\n[00:61.00]b\n[0x:10.00]c\n[00:05.00]d\n");
  std::vector<std::string> all;
  for (std::int64_t pos = 0; pos < 7000000; pos += 200)
    for (auto& s : l.due(pos)) all.push_back(s);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].substr(0, 2), " d");
}

TEST(LyricReader, HostileBytesNeverFail) {
  std::mt19937 gen(7);
  const std::string alphabet = "[]:.0123456789ti ar\r\n\xA4\xD0";
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int n = int(gen() % 2000);
    for (int i = 0; i < n; ++i) text += alphabet[gen() % alphabet.size()];
    Lyrics l = parse(text);
    ASSERT_LE(l.count(), Lyrics::kTableSize);
    for (std::int64_t pos = 0; pos < 100000; pos += 5000) l.due(pos);
  }
}

// An entry's text without the header suffix its line may carry.
std::string textOf(const Lyrics& l, int i) {
  std::string line = l.line(i);
  while (line.ends_with(kNoHeader)) line.resize(line.size() - kNoHeader.size());
  return line;
}

// Each entry's text is cut at 1,024 bytes, never inside a character: the
// cut falls before a 2- or 4-byte GB18030 character that would cross it,
// also for UTF-8 files, which are cut after their conversion.
TEST(LyricBounds, LongTextIsCutAtACharacterBoundary) {
  const std::string two = "\xC4\xE3", four = "\x81\x30\x81\x30";
  auto times = [](const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
  };
  struct Case {
    std::string text, expected;
  };
  const std::vector<Case> cases = {
      {times("a", 2000), times("a", 1024)},
      {times("a", 1024), times("a", 1024)},
      {"a" + times(two, 600), "a" + times(two, 511)},
      {"ab" + times(four, 300), "ab" + times(four, 255)},
      {times("你", 600), times(two, 512)},  // UTF-8 in, GB18030 out
  };
  for (const Case& c : cases) {
    const Lyrics l = parse("[00:01.00]" + c.text + "\n");
    ASSERT_EQ(l.count(), 1);
    EXPECT_EQ(textOf(l, 1), c.expected) << c.text.size();
  }
  const Lyrics header = parse("[ti:" + times("t", 3000) + "]\n[ar:" + times(two, 1000) + "]\n[00:01.00]x\n");
  EXPECT_EQ(header.title(), times("t", 1021));  // the tag "ti:..." is cut at 1,024 bytes
  EXPECT_EQ(header.artist(), times(two, 510));  // "ar:" and 510 characters fill 1,023 bytes
}

// A line carrying hundreds of tags before a long text: each entry gets at
// most 1,024 bytes of it, and entries stop at the table's end.
TEST(LyricBounds, ManyTagsOnALongLineStayBounded) {
  std::string line;
  for (int i = 0; i < 700; ++i) line += "[00:" + std::to_string(10 + i % 50) + ".00]";
  line += std::string(900000, 'w');
  const Lyrics l = parse(line + "\n[00:01.00]after\n");
  ASSERT_EQ(l.count(), Lyrics::kTableSize);
  std::size_t total = 0;
  for (int i = 1; i <= l.count(); ++i) {
    EXPECT_EQ(textOf(l, i), std::string(1024, 'w')) << i;
    total += l.line(i).size();
  }
  EXPECT_LE(total, std::size_t(Lyrics::kTableSize) * (1024 + 2 * kNoHeader.size()));
}

// A lyric file is read up to 1 MB: a tag that ends past it is not read.
TEST(LyricBounds, ReadsTheFirstMegabyteOnly) {
  for (const bool pastTheEnd : {false, true}) {
    const std::string tail = "[00:01.00]late\n";  // its "]" is 6 bytes before its end
    std::string text(Lyrics::kMaxFileBytes - tail.size() + (pastTheEnd ? 6 : 0), 'x');
    text.back() = '\n';
    const Lyrics l = parse(text + tail);
    EXPECT_EQ(l.count(), pastTheEnd ? 0 : 1) << pastTheEnd;
  }
}

TEST(LyricReader, ReadsTheLrcBesideTheSong) {
  const auto dir = std::filesystem::temp_directory_path() / ("lumora-lrc-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto song = dir / "song.mp3";
  std::ofstream(dir / "song.lrc", std::ios::binary) << "[ti:\xC4\xE3\xBA\xC3]\r\n[00:01.00]\xC4\xE3\r\n";
  Lyrics l;
  EXPECT_EQ(l.read("file://" + song.string()), 1);
  EXPECT_EQ(l.count(), 2);
  EXPECT_EQ(l.title(), "\xC4\xE3\xBA\xC3");  // GB18030 bytes kept

  // A UTF-8 file (written on Linux) comes in as the same ANSI text.
  std::ofstream(dir / "song.lrc", std::ios::binary) << "[ti:你好]\n[00:01.00]你\n";
  EXPECT_EQ(l.read("file://" + song.string()), 1);
  EXPECT_EQ(l.title(), "\xC4\xE3\xBA\xC3");

  // No lyric file: the tables are emptied and the result is 0.
  EXPECT_EQ(l.read("file://" + (dir / "other.mp3").string()), 0);
  EXPECT_EQ(l.count(), 0);
  EXPECT_EQ(l.title(), "");
  EXPECT_EQ(l.read("file:/"), 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lumora
