#include <gtest/gtest.h>

#include "platform/core/ansi.h"
#include "platform/core/paths.h"
#include "platform/temp_home.h"

namespace lumora {
namespace {

// "欢迎" in GB18030 (GB2312 range).
const std::string kWelcomeAnsi = "\xBB\xB6\xD3\xAD";

TEST(Ansi, ChineseTextConvertsBothWaysAndMeasuresInBytes) {
  EXPECT_EQ(utf8ToAnsi("欢迎"), kWelcomeAnsi);
  EXPECT_EQ(ansiToUtf8(kWelcomeAnsi), "欢迎");
  // Four double-byte characters, two double-byte brackets, six letters.
  EXPECT_EQ(ansiLength("欢迎使用《Lumora》"), 18u);
  EXPECT_EQ(ansiLength("abc"), 3u);
}

TEST(Ansi, EveryCharacterSurvivesTheRoundTrip) {
  // Outside GB2312/GBK: four-byte GB18030 sequences.
  for (const std::string text : {"😀", "€", "Ω ß é", "𠀀", "\xEF\xBF\xBF", "a\tb\r\n"}) {
    const std::string ansi = utf8ToAnsi(text);
    EXPECT_EQ(ansiToUtf8(ansi), text) << text;
  }
  EXPECT_EQ(utf8ToAnsi("😀").size(), 4u);
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

TEST(Ansi, WholeUnicodeRangeSurvivesTheRoundTrip) {
  // The private-use code points that GB18030-2022 no longer maps.
  const std::u32string unmapped =
      U"\uE78D\uE78E\uE78F\uE790\uE791\uE792\uE793\uE794\uE795\uE796"
      U"\uE816\uE817\uE818\uE81E\uE826\uE82B\uE82C\uE831\uE832\uE83B"
      U"\uE843\uE854\uE855\uE864";
  std::string all;
  for (char32_t cp = 1; cp <= 0x10FFFF; ++cp) {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || unmapped.find(cp) != std::u32string::npos) continue;
    appendUtf8(all, cp);
  }
  const std::string ansi = utf8ToAnsi(all);
  EXPECT_EQ(ansi.find('?'), all.find('?'));
  EXPECT_TRUE(ansiToUtf8(ansi) == all);

  std::string one;
  appendUtf8(one, unmapped[0]);
  EXPECT_EQ(utf8ToAnsi("a" + one + "b"), "a?b");
}

TEST(Ansi, InvalidInputIsReplacedNotDropped) {
  EXPECT_EQ(ansiToUtf8("a\xFF"
                       "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(ansiToUtf8("a\x81"), "a\xEF\xBF\xBD");  // a lead byte cut short
  EXPECT_EQ(utf8ToAnsi("a\xC3"), "a?");
}

TEST(Ansi, Utf8Validation) {
  EXPECT_TRUE(isValidUtf8("plain"));
  EXPECT_TRUE(isValidUtf8("欢迎😀"));
  EXPECT_FALSE(isValidUtf8("\xC0\x80"));          // overlong
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(isValidUtf8("\xE6\xAC"));          // cut short
  EXPECT_FALSE(isValidUtf8(kWelcomeAnsi));
}

TEST(Ansi, SequenceLengths) {
  EXPECT_EQ(gb18030SequenceLength("a", 0), 1u);
  EXPECT_EQ(gb18030SequenceLength("\x81\x41", 0), 2u);  // trail byte in the ASCII range
  EXPECT_EQ(gb18030SequenceLength("\x81\x30\x81\x30", 0), 4u);
  EXPECT_EQ(gb18030SequenceLength("\x81\x30\x81", 0), 1u);
  EXPECT_EQ(gb18030SequenceLength("\x81", 0), 1u);
}

TEST(Ansi, PathsFromAnsiBytes) {
  EXPECT_EQ(pathFromAnsi("/tmp/" + kWelcomeAnsi + ".jpg"), std::filesystem::path("/tmp/欢迎.jpg"));
  EXPECT_EQ(ansiFromPath("/tmp/欢迎.jpg"), "/tmp/" + kWelcomeAnsi + ".jpg");
  // Bytes that are no GB18030 text stay the file's own name.
  EXPECT_EQ(pathFromAnsi("/tmp/\xFF.jpg").string(), "/tmp/\xFF.jpg");
}

TEST(Paths, LumoraHomeMovesEverything) {
  test::ScopedEnv home("LUMORA_HOME", "/srv/lh");
  test::ScopedEnv config("XDG_CONFIG_HOME", "/srv/config");
  EXPECT_EQ(registryFilePath(), std::filesystem::path("/srv/lh/registry.reg"));
  EXPECT_EQ(listFolder(), std::filesystem::path("/srv/lh/Lumora_Studio"));
}

TEST(Paths, XdgFoldersThenHome) {
  test::ScopedEnv lumoraHome("LUMORA_HOME", "");
  {
    test::ScopedEnv config("XDG_CONFIG_HOME", "/srv/config");
    test::ScopedEnv data("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(registryFilePath(), std::filesystem::path("/srv/config/lumora/registry.reg"));
    EXPECT_EQ(listFolder(), std::filesystem::path("/srv/data/Lumora_Studio"));
  }
  test::ScopedEnv config("XDG_CONFIG_HOME", nullptr);
  test::ScopedEnv data("XDG_DATA_HOME", nullptr);
  test::ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(registryFilePath(), std::filesystem::path("/home/someone/.config/lumora/registry.reg"));
  EXPECT_EQ(listFolder(), std::filesystem::path("/home/someone/.local/share/Lumora_Studio"));
}

}  // namespace
}  // namespace lumora
