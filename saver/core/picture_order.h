// The order in which the show takes its pictures, by `tpbh`: list order,
// random, or shuffled rounds ("随机不重复") that show every entry once
// before any entry comes again.
#pragma once

#include <cstddef>
#include <vector>

#include "graphics/random.h"
#include "saver/core/indexed_list.h"

namespace lumora {

// The `tpbh` values the show tells apart; any other non-zero value is random
// (older settings windows stored 1 for random, and older shows take every
// non-zero value as random).
inline constexpr int kListOrder = 0;   // "顺序播放"
inline constexpr int kShuffledOrder = 2;  // "随机不重复"

class PictureOrder {
 public:
  explicit PictureOrder(int tpbh) : tpbh_(tpbh) {}

  // The index of the next picture to show (-1 for an empty list). List order
  // moves the list's current index on; random draws Random(count); shuffled
  // rounds draw a new round from `random` whenever the last one is used up.
  int next(IndexedList& list, Random& random);

 private:
  void newRound(int count, Random& random);

  int tpbh_;
  std::vector<int> round_;  // the current round's entries, in showing order
  std::size_t taken_ = 0;   // how many of them have been shown
  int last_ = -1;           // the entry shown last
};

}  // namespace lumora
