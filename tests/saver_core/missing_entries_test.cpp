// The start-up pass that drops entries naming missing files.
#include "saver/core/missing_entries.h"

#include <gtest/gtest.h>

#include <set>

namespace lumora {
namespace {

using Entries = std::vector<std::string>;

Entries dropped(Entries entries, const std::set<std::string>& existing) {
  dropMissingEntries(entries, [&](const std::string& e) { return existing.count(e) > 0; });
  return entries;
}

TEST(MissingEntries, EveryMissingEntryGoesButTheLastWhichStaysInAnyCase) {
  EXPECT_EQ(dropped({"a", "b", "c", "d"}, {"b"}), (Entries{"b", "d"}));
  EXPECT_EQ(dropped({"a", "b", "c", "d"}, {"a", "c", "d"}), (Entries{"a", "c", "d"}));
  EXPECT_EQ(dropped({"a", "b", "c"}, {}), Entries{"c"});  // the list stays non-empty
  EXPECT_EQ(dropped({"only"}, {}), Entries{"only"});
  EXPECT_EQ(dropped({}, {}), Entries{});
  // Repeated entries are checked each time and keep their order.
  EXPECT_EQ(dropped({"x", "y", "x", "z", "y"}, {"x"}), (Entries{"x", "x", "y"}));
  // A long list of missing files, as the benchmark measures it.
  Entries many(100000, "missing");
  many.back() = "last";
  EXPECT_EQ(dropped(many, {}), Entries{"last"});
}

TEST(MissingEntries, OnlyRegularFilesCount) {
  EXPECT_TRUE(entryFileExists("/etc/hostname") || entryFileExists("/etc/passwd"));
  EXPECT_FALSE(entryFileExists("/dev/zero"));  // a device is no picture file
  EXPECT_FALSE(entryFileExists("/"));
  EXPECT_FALSE(entryFileExists("/no/such/file.jpg"));
}

}  // namespace
}  // namespace lumora
