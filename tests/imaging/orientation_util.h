// The meaning of the orientation values 1 to 8 as the tests see it: which
// side of the upright picture the stored first row and column lie along.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumora::test {

// Where the stored pixel (c, r) of a picture in orientation o appears in the
// upright picture (uw x uh), from the meaning of the values: which side of
// the upright picture the stored first row and first column lie along.
struct Upright {
  int x, y;
};
inline Upright uprightOf(int o, int c, int r, int uw, int uh) {
  if (o <= 4) {
    const bool fromRight = o == 2 || o == 3, fromBottom = o == 3 || o == 4;
    return {fromRight ? uw - 1 - c : c, fromBottom ? uh - 1 - r : r};
  }
  // Stored rows run along upright columns, stored columns along upright rows.
  const bool rowsFromLeft = o == 5 || o == 8, columnsFromTop = o == 5 || o == 6;
  return {rowsFromLeft ? r : uw - 1 - r, columnsFromTop ? c : uh - 1 - c};
}

// The stored samples of an upright RGB picture in orientation o.
inline std::vector<std::uint8_t> storedFrom(const std::vector<std::uint8_t>& upright, int uw, int uh, int o, int& sw,
                                            int& sh) {
  sw = o <= 4 ? uw : uh;
  sh = o <= 4 ? uh : uw;
  std::vector<std::uint8_t> s(upright.size());
  for (int r = 0; r < sh; ++r)
    for (int c = 0; c < sw; ++c) {
      const Upright u = uprightOf(o, c, r, uw, uh);
      for (int k = 0; k < 3; ++k) s[(std::size_t(r) * sw + c) * 3 + k] = upright[(std::size_t(u.y) * uw + u.x) * 3 + k];
    }
  return s;
}

}  // namespace lumora::test
