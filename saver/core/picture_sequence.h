// The sequence in which the show takes its pictures, by the picture order:
// list order, random, or shuffled rounds ("随机不重复") that show every entry
// once before any entry comes again.
#pragma once

#include <cstddef>
#include <vector>

#include "graphics/random.h"
#include "saver/core/indexed_list.h"
#include "settings/show_choices.h"

namespace lumora {

class PictureSequence {
 public:
  explicit PictureSequence(PictureOrder order) : order_(order) {}

  PictureOrder order() const { return order_; }

  // The index of the next picture to show (-1 for an empty list). List order
  // moves the list's current index on; random draws Random(count); shuffled
  // rounds draw a new round from `random` whenever the last one is used up.
  int next(IndexedList& list, Random& random);

 private:
  void newRound(int count, Random& random);

  PictureOrder order_;
  std::vector<int> round_;  // the current round's entries, in showing order
  std::size_t taken_ = 0;   // how many of them have been shown
  int last_ = -1;           // the entry shown last
};

}  // namespace lumora
