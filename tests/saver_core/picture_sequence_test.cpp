#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "saver/core/picture_sequence.h"

namespace lumora {
namespace {

IndexedList listOf(int n) {
  IndexedList list;
  for (int i = 0; i < n; ++i) list.items.push_back("p" + std::to_string(i));
  list.index = 0;
  return list;
}

std::vector<int> take(PictureSequence& order, IndexedList& list, Random& random, int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i) out.push_back(order.next(list, random));
  return out;
}

TEST(PictureSequence, ShuffledRoundsShowEveryPictureOnceAndNeverTheSameTwiceInARow) {
  for (const int count : {3, 5, 17}) {
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
      IndexedList list = listOf(count);
      Random random(seed);
      PictureSequence order(PictureOrder::Shuffled);
      const std::vector<int> shown = take(order, list, random, count * 6);
      for (int round = 0; round < 6; ++round) {
        std::vector<int> part(shown.begin() + round * count, shown.begin() + (round + 1) * count);
        std::sort(part.begin(), part.end());
        for (int i = 0; i < count; ++i) ASSERT_EQ(part[std::size_t(i)], i) << "count " << count << " seed " << seed;
      }
      for (std::size_t i = 1; i < shown.size(); ++i)
        ASSERT_NE(shown[i], shown[i - 1]) << "count " << count << " seed " << seed << " at " << i;
    }
  }
}

TEST(PictureSequence, ShuffledRoundsDifferFromRoundToRound) {
  IndexedList list = listOf(8);
  Random random(12345);
  PictureSequence order(PictureOrder::Shuffled);
  std::set<std::vector<int>> rounds;
  for (int r = 0; r < 10; ++r) rounds.insert(take(order, list, random, 8));
  EXPECT_GT(rounds.size(), 5u);
}

TEST(PictureSequence, ShuffledListsOfOneAndTwo) {
  for (std::uint32_t seed = 0; seed < 50; ++seed) {
    IndexedList one = listOf(1);
    Random random(seed);
    PictureSequence order(PictureOrder::Shuffled);
    EXPECT_EQ(take(order, one, random, 4), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(random.seed(), seed);  // a list of one draws nothing

    IndexedList two = listOf(2);
    PictureSequence order2(PictureOrder::Shuffled);
    const std::vector<int> shown = take(order2, two, random, 9);
    for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_NE(shown[i], shown[i - 1]) << seed;
  }
  IndexedList empty;
  Random random(1);
  EXPECT_EQ(PictureSequence(PictureOrder::Shuffled).next(empty, random), -1);
}

TEST(PictureSequence, ShuffleDrawsFromTheShowsGenerator) {
  // Two shows with the same seed shuffle alike; another seed shuffles
  // differently somewhere in a few rounds.
  IndexedList a = listOf(6), b = listOf(6), c = listOf(6);
  Random ra(99), rb(99), rc(100);
  PictureSequence oa(PictureOrder::Shuffled), ob(PictureOrder::Shuffled), oc(PictureOrder::Shuffled);
  const auto sa = take(oa, a, ra, 30);
  EXPECT_EQ(sa, take(ob, b, rb, 30));
  EXPECT_NE(sa, take(oc, c, rc, 30));
  EXPECT_EQ(ra.seed(), rb.seed());
}

TEST(PictureSequence, ListOrderAndRandomKeepTheirOldBehaviour) {
  IndexedList list = listOf(3);
  Random random(5);
  PictureSequence inOrder(PictureOrder::InList);
  EXPECT_EQ(take(inOrder, list, random, 5), (std::vector<int>{0, 1, 2, 0, 1}));
  EXPECT_EQ(random.seed(), 5u);

  // Random is one draw of Random(count) per picture.
  Random r(42), expected(42);
  PictureSequence order(PictureOrder::Random);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(order.next(list, r), expected.next(3));
}

}  // namespace
}  // namespace lumora
