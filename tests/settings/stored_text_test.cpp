#include <gtest/gtest.h>

#include "platform/core/ansi.h"
#include "settings/stored_text.h"

namespace lumora {
namespace {

TEST(StoredText, EachByteIsFollowedByA) {
  EXPECT_EQ(encodeStoredText("abc"), "aAbAcA");
  EXPECT_EQ(decodeStoredText("aAbAcA"), "abc");
  EXPECT_EQ(encodeStoredText(""), "");
  EXPECT_EQ(decodeStoredText(""), "");
}

TEST(StoredText, OddLengthLosesTheLastByte) {
  EXPECT_EQ(decodeStoredText("aAbAc"), "ab");
  EXPECT_EQ(decodeStoredText("a"), "");
  // Whatever stands at the even positions is ignored.
  EXPECT_EQ(decodeStoredText("aXbY"), "ab");
}

TEST(StoredText, ChineseTextIsStoredBytewise) {
  const std::string caption = utf8ToAnsi("欢迎使用《Lumora》");
  const std::string stored = encodeStoredText(caption);
  EXPECT_EQ(stored.size(), 2 * caption.size());
  EXPECT_EQ(stored.substr(0, 4),
            "\xBB"
            "A"
            "\xB6"
            "A");
  EXPECT_EQ(decodeStoredText(stored), caption);
  EXPECT_EQ(ansiToUtf8(decodeStoredText(stored)), "欢迎使用《Lumora》");
}

}  // namespace
}  // namespace lumora
