// The damage grid: what was drawn comes back as runs of whole tiles per tile
// row, clipped to the surface, and nothing is lost or kept after a take.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/damage_grid.h"
#include "graphics/random.h"

namespace lumora {
namespace {

constexpr int T = DamageGrid::kTile;

TEST(DamageGrid, MarkedAreasComeBackAsTileRunsPerRow) {
  struct Case {
    const char* what;
    std::vector<Rect> added;
    std::vector<Rect> taken;
  };
  const Case cases[] = {
      {"nothing", {}, {}},
      {"empty and inverted areas", {{5, 5, 5, 40}, {40, 5, 10, 9}}, {}},
      {"a pixel", {{33, 1, 34, 2}}, {{T, 0, 2 * T, T}}},
      {"a 2 x 2 block across four tiles", {{T - 1, T - 1, T + 1, T + 1}}, {{0, 0, 2 * T, T}, {0, T, 2 * T, 2 * T}}},
      {"far apart in one row", {{0, 0, 2, 2}, {2 * T, 3, 2 * T + 2, 5}}, {{0, 0, T, T}, {2 * T, 0, 3 * T, T}}},
      {"neighbouring tiles join", {{0, 0, 2, 2}, {T, 0, T + 2, 2}}, {{0, 0, 2 * T, T}}},
      {"clipped to the surface (100 x 70)",
       {{-50, -50, 500, 500}},
       {{0, 0, 100, T}, {0, T, 100, 2 * T}, {0, 2 * T, 100, 70}}},
      {"the partial last tile", {{99, 69, 100, 70}}, {{3 * T, 2 * T, 100, 70}}},
      {"outside", {{100, 0, 200, 70}, {0, 70, 100, 90}}, {}},
  };
  for (const Case& c : cases) {
    DamageGrid grid;
    grid.resize(100, 70);
    for (const Rect& r : c.added) grid.add(r);
    EXPECT_EQ(grid.empty(), c.taken.empty()) << c.what;
    EXPECT_EQ(grid.take(), c.taken) << c.what;
    EXPECT_TRUE(grid.empty()) << c.what;
    EXPECT_TRUE(grid.take().empty()) << c.what << ": a take clears the grid";
  }
}

TEST(DamageGrid, RandomDrawsAreCoveredByBandsThatNeitherOverlapNorTouch) {
  Random random(7);
  DamageGrid grid;
  const int W = 1920, H = 1080;
  grid.resize(W, H);
  for (int round = 0; round < 50; ++round) {
    std::vector<Rect> added;
    const int n = 1 + random.next(40);
    for (int k = 0; k < n; ++k) {
      const int l = random.next(W + 40) - 20, t = random.next(H + 40) - 20;
      added.push_back({l, t, l + random.next(300), t + random.next(200)});
      grid.add(added.back());
    }
    const std::vector<Rect> taken = grid.take();
    std::vector<std::uint8_t> covered(std::size_t(W) * H, 0);
    for (std::size_t i = 0; i < taken.size(); ++i) {
      const Rect& r = taken[i];
      ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= W && r.bottom <= H && r.left < r.right && r.top < r.bottom);
      if (i > 0) {
        const Rect& p = taken[i - 1];
        // Bands: sorted by top then left; in one band the same rows and a gap between.
        ASSERT_TRUE(p.top < r.top || (p.top == r.top && p.bottom == r.bottom && p.right < r.left))
            << "round " << round << " rect " << i;
        ASSERT_TRUE(p.top == r.top || p.bottom <= r.top);
      }
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) covered[std::size_t(y) * W + x] = 1;
    }
    for (const Rect& a : added)
      for (int y = std::max(a.top, 0); y < std::min(a.bottom, H); ++y)
        for (int x = std::max(a.left, 0); x < std::min(a.right, W); ++x)
          ASSERT_TRUE(covered[std::size_t(y) * W + x]) << "round " << round << " lost (" << x << ", " << y << ")";
  }
}

TEST(DamageGrid, ResizingDropsTheMarks) {
  DamageGrid grid;
  grid.resize(64, 64);
  grid.add({0, 0, 64, 64});
  grid.resize(200, 100);
  EXPECT_TRUE(grid.empty());
  grid.add({150, 70, 160, 90});
  EXPECT_EQ(grid.take(), (std::vector<Rect>{{4 * T, 2 * T, 5 * T, 3 * T}}));
}

}  // namespace
}  // namespace lumora
