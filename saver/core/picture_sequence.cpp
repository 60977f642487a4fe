#include "saver/core/picture_sequence.h"

#include <numeric>
#include <utility>

namespace lumora {

void PictureSequence::newRound(int count, Random& random) {
  round_.resize(std::size_t(count));
  std::iota(round_.begin(), round_.end(), 0);
  // Fisher-Yates from the back: entry i changes place with one of 0..i.
  for (int i = count - 1; i > 0; --i) std::swap(round_[std::size_t(i)], round_[std::size_t(random.next(i + 1))]);
  // The round must not open with the picture that closed the one before it:
  // that entry changes place with one of the others.
  if (count > 1 && round_.front() == last_) std::swap(round_.front(), round_[std::size_t(1 + random.next(count - 1))]);
  taken_ = 0;
}

int PictureSequence::next(IndexedList& list, Random& random) {
  if (order_ == PictureOrder::InList) return list.takeInOrder();
  if (order_ == PictureOrder::Random) return random.next(list.count());
  if (list.empty()) return -1;
  if (round_.size() != std::size_t(list.count()) || taken_ >= round_.size()) newRound(list.count(), random);
  last_ = round_[taken_++];
  return last_;
}

}  // namespace lumora
