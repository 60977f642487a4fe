// A list of strings with a current index: how the show keeps its picture,
// media, caption and font lists (the invisible list boxes of the saver).
#pragma once

#include <string>
#include <vector>

namespace lumora {

struct IndexedList {
  std::vector<std::string> items;  // ANSI bytes (paths, captions, face names)
  int index = -1;                  // current index; -1 = none

  int count() const { return int(items.size()); }
  bool empty() const { return items.empty(); }

  // List order: returns the current index and moves it on, back to 0 after
  // the last entry.
  int takeInOrder() {
    const int p = index;
    index = (p == count() - 1) ? 0 : p + 1;
    return p;
  }
  bool valid(int i) const { return i >= 0 && i < count(); }
};

}  // namespace lumora
