// The test hooks: read as the programs read them, and every one listed once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "platform/core/hooks.h"

namespace lumora {
namespace {

TEST(Hooks, ValuesAsTheProgramsReadThem) {
  struct Case {
    const char* value;  // nullptr: unset
    std::optional<std::string> text;
    bool on;
    std::optional<std::int64_t> number;
  };
  const Case cases[] = {
      {nullptr, std::nullopt, false, std::nullopt},
      {"", std::nullopt, false, std::nullopt},
      {"0", "0", false, 0},  // effect 0 is an effect: a number, yet not "on"
      {"1", "1", true, 1},
      {"121", "121", true, 121},
      {"print", "print", true, std::nullopt},
      {"12x", "12x", true, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    if (c.value)
      ::setenv("LUMORA_EFFECT", c.value, 1);
    else
      ::unsetenv("LUMORA_EFFECT");
    EXPECT_EQ(hookValue(Hook::Effect), c.text);
    EXPECT_EQ(hookOn(Hook::Effect), c.on);
    EXPECT_EQ(hookNumber(Hook::Effect), c.number);
  }
  ::unsetenv("LUMORA_EFFECT");
}

TEST(Hooks, EachIsListedOnceWithWhatItDoes) {
  std::set<std::string> names;
  int index = 0;
  for (const HookInfo& info : hooks()) {
    EXPECT_EQ(int(info.hook), index++) << info.variable;  // the table is in the enum's order
    EXPECT_TRUE(names.insert(info.variable).second) << info.variable;
    EXPECT_EQ(std::string(info.variable).rfind("LUMORA_", 0), 0u);
    EXPECT_GT(std::string(info.what).size(), 10u);
  }
  EXPECT_EQ(index, int(Hook::ShmPresent) + 1);
}

}  // namespace
}  // namespace lumora
