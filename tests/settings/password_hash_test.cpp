// The stored password: salted yescrypt hashes, and the old stored-text form
// still accepted.
#include <gtest/gtest.h>

#include "platform/core/ansi.h"
#include "settings/password_hash.h"
#include "settings/stored_text.h"

namespace lumora {
namespace {

TEST(PasswordHash, HashIsSaltedYescryptAndMatchesOnlyItsPassword) {
  const std::string chinese = utf8ToAnsi("密码");
  for (const std::string& password : {std::string("abc"), chinese, std::string(200, 'x')}) {
    const std::string first = hashPassword(password);
    const std::string second = hashPassword(password);
    EXPECT_TRUE(first.starts_with("$y$")) << first;
    EXPECT_NE(first, second);  // a new salt each time
    EXPECT_EQ(first.find(password), std::string::npos);
    EXPECT_TRUE(isPasswordHash(first));
    EXPECT_TRUE(passwordMatches(first, password));
    EXPECT_TRUE(passwordMatches(second, password));
    for (const std::string& wrong :
         {std::string(), password + "x", password.substr(0, password.size() - 1), std::string("ABC")})
      EXPECT_FALSE(passwordMatches(first, wrong)) << wrong;
  }
}

TEST(PasswordHash, EmptyPasswordStaysEmpty) {
  EXPECT_EQ(hashPassword(""), "");
  EXPECT_TRUE(passwordMatches("", ""));
  EXPECT_FALSE(passwordMatches("", "a"));
}

// Files written before hashing hold each byte followed by 'A'.
TEST(PasswordHash, OldStoredFormIsAccepted) {
  for (const std::string& password : {std::string("abc"), std::string("$abc"), utf8ToAnsi("密码"), std::string("y")}) {
    const std::string stored = encodeStoredText(password);
    EXPECT_FALSE(isPasswordHash(stored)) << stored;
    EXPECT_TRUE(passwordMatches(stored, password)) << stored;
    EXPECT_FALSE(passwordMatches(stored, password + "A")) << stored;
    EXPECT_FALSE(passwordMatches(stored, stored)) << stored;
  }
}

// crypt(3) reads up to a NUL: a password holding one is refused, not cut.
TEST(PasswordHash, NulBytesNeverShortenAPassword) {
  EXPECT_THROW(hashPassword(std::string("ab\0c", 4)), PasswordHashError);
  const std::string stored = hashPassword("ab");
  EXPECT_FALSE(passwordMatches(stored, std::string("ab\0c", 4)));
  EXPECT_FALSE(passwordMatches(stored + std::string("\0x", 2), "ab"));
}

// A stored value that looks like a hash but is none matches nothing.
TEST(PasswordHash, BrokenHashMatchesNothing) {
  for (const char* stored : {"$y$", "$y$j9T$", "$unknown$abc", "$x"}) {
    EXPECT_FALSE(passwordMatches(stored, "")) << stored;
    EXPECT_FALSE(passwordMatches(stored, "abc")) << stored;
  }
}

}  // namespace
}  // namespace lumora
