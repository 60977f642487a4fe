// Runs one transition headless on small bitmaps and keeps what it did: the
// trace lines, the operation counts and the bitmaps at the end.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "effects/effect.h"

namespace lumora::testing {

// Old picture on the Stage: pixel (x, y) is rgb(x, y, 1). New picture in
// FrameBitmap: rgb(x, y, 2). Work and spare start white.
inline Pixel oldPixel(int x, int y) { return rgb(x, y, 1); }
inline Pixel newPixel(int x, int y) { return rgb(x, y, 2); }

struct EffectRun {
  Bitmap frame, work, spare, stage;
  std::vector<std::string> trace;
  int copies = 0, draws = 0, pumps = 0, randoms = 0;

  // Lines of the trace that start with `prefix` ("copy", "pump", ...).
  std::vector<std::string> lines(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : trace)
      if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
  }
  bool stageShowsNew(int x, int y) const { return stage.at(x, y) == newPixel(x, y); }
  bool stageShowsOld(int x, int y) const { return stage.at(x, y) == oldPixel(x, y); }
};

inline EffectRun runEffectOn(int n, int w, int h, int speed = 1, std::uint32_t seed = 5) {
  EffectRun r{Bitmap(w, h), Bitmap(w, h, kWhite), Bitmap(w, h, kWhite), Bitmap(w, h), {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      r.frame.at(x, y) = newPixel(x, y);
      r.stage.at(x, y) = oldPixel(x, y);
    }
  std::ostringstream out;
  EffectTrace trace(out);
  Random random(seed);
  EffectContext ctx({r.frame, r.work, r.spare, r.stage}, w, h, speed, random, nullptr, &trace);
  runEffect(n, ctx);
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) {
    r.trace.push_back(line);
    if (line.rfind("copy", 0) == 0)
      ++r.copies;
    else if (line.rfind("draw", 0) == 0)
      ++r.draws;
    else if (line.rfind("pump", 0) == 0)
      ++r.pumps;
    else if (line.rfind("random", 0) == 0)
      ++r.randoms;
  }
  return r;
}

}  // namespace lumora::testing
