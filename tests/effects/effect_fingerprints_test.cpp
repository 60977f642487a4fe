// Every transition's trace and final Stage, as `lumora-tool effect` gives
// them, against the fingerprints recorded in effect_fingerprints.txt
// (written by scripts/effect_traces.py --write): all 122 effects at three
// screen sizes, run here in one process rather than one tool launch each.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "effects/effect.h"
#include "effects/sha256.h"
#include "saver/core/test_patterns.h"
#include "tool/recording_host.h"

namespace lumora::testing {
namespace {

struct FingerprintRun {
  int width, height, speed, seed;
};

// The size, speed and seed of each recorded run: an ordinary screen, an odd
// one, a tiny one (scripts/effect_traces.py's RUNS).
const FingerprintRun kRuns[] = {{1024, 768, 1, 0}, {641, 479, 2, 11}, {97, 61, 3, 12345}};

std::string runKey(int n, const FingerprintRun& r) {
  return std::to_string(n) + " " + std::to_string(r.width) + "x" + std::to_string(r.height) + " " +
         std::to_string(r.speed) + " " + std::to_string(r.seed);
}

// key -> "TRACE_SHA PICTURE_SHA"
std::map<std::string, std::string> recordedFingerprints() {
  std::ifstream in(LUMORA_SOURCE_DIR "/tests/effects/effect_fingerprints.txt");
  std::map<std::string, std::string> out;
  std::string n, size, speed, seed, trace, picture;
  while (in >> n >> size >> speed >> seed >> trace >> picture)
    out[n + " " + size + " " + speed + " " + seed] = trace + " " + picture;
  return out;
}

// The final Stage hashed as the tool writes it: binary PPM, RGB.
std::string pictureFingerprint(const Bitmap& b) {
  Sha256 hash;
  const std::string head = "P6\n" + std::to_string(b.width()) + " " + std::to_string(b.height()) + "\n255\n";
  hash.update(head.data(), head.size());
  std::string row(std::size_t(b.width()) * 3, '\0');
  for (int y = 0; y < b.height(); ++y) {
    for (int x = 0; x < b.width(); ++x) {
      const Pixel p = b.at(x, y);
      row[3 * x] = static_cast<char>(redOf(p));
      row[3 * x + 1] = static_cast<char>(greenOf(p));
      row[3 * x + 2] = static_cast<char>(blueOf(p));
    }
    hash.update(row.data(), row.size());
  }
  return hash.hex();
}

// The same inputs as `lumora-tool effect N --size WxH --speed S --seed SEED`.
std::string fingerprint(int n, const FingerprintRun& r) {
  Bitmap stage = oldTestPattern(r.width, r.height);
  Bitmap frame = newTestPattern(r.width, r.height);
  Bitmap work(r.width, r.height, kWhite), spare(r.width, r.height, kWhite);
  Random random(static_cast<std::uint32_t>(r.seed));
  Sha256Buf traceHash;
  std::ostream traceOut(&traceHash);
  EffectTrace trace(traceOut);
  tool::RecordingHost host;
  EffectContext ctx({frame, work, spare, stage}, r.width, r.height, r.speed, random, &host, &trace);
  runEffect(n, ctx);
  traceOut.flush();
  return traceHash.hash().hex() + " " + pictureFingerprint(stage);
}

// The stream buffer hands every byte to the hash once, in order, whether
// written a character, a short piece or more than its buffer at a time.
TEST(Sha256Buf, HashesWhatIsWrittenInAnyPieces) {
  const struct {
    std::size_t piece, total;
  } cases[] = {{1, 1000}, {97, 200000}, {1 << 16, 300000}, {100000, 300000}, {1, 0}};
  for (const auto& c : cases) {
    std::string text;
    for (std::size_t i = 0; text.size() < c.total; ++i) text += "copy frame 0 0 " + std::to_string(i) + " 7\n";
    text.resize(c.total);
    Sha256Buf buf;
    std::ostream out(&buf);
    for (std::size_t i = 0; i < text.size(); i += c.piece) {
      if (c.piece == 1)
        out.put(text[i]);
      else
        out << text.substr(i, c.piece);
    }
    out.flush();
    Sha256 whole;
    whole.update(text.data(), text.size());
    EXPECT_EQ(buf.hash().hex(), whole.hex()) << "pieces of " << c.piece;
  }
  Sha256 abc;
  abc.update("abc", 3);
  EXPECT_EQ(abc.hex(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// One test per size and quarter of the effects, so that ctest spreads the
// large screens' runs over its jobs.
struct FingerprintGroup {
  FingerprintRun run;
  int first, last;  // effect numbers, inclusive
};

// How ctest's test list shows a group.
void PrintTo(const FingerprintGroup& g, std::ostream* os) {
  *os << g.run.width << "x" << g.run.height << " effects " << g.first << " to " << g.last;
}

std::vector<FingerprintGroup> fingerprintGroups() {
  std::vector<FingerprintGroup> out;
  for (const auto& run : kRuns)
    for (int first = 0; first < kEffectCount; first += 31)
      out.push_back({run, first, std::min(first + 30, kEffectCount - 1)});
  return out;
}

class EffectFingerprints : public ::testing::TestWithParam<FingerprintGroup> {};

TEST_P(EffectFingerprints, TraceAndFinalPictureUnchanged) {
  static const auto recorded = recordedFingerprints();
  ASSERT_EQ(recorded.size(), std::size(kRuns) * kEffectCount) << "effect_fingerprints.txt incomplete";
  const FingerprintGroup& g = GetParam();
  for (int n = g.first; n <= g.last; ++n) {
    const std::string key = runKey(n, g.run);
    const auto it = recorded.find(key);
    ASSERT_NE(it, recorded.end()) << "no fingerprint recorded for " << key;
    EXPECT_EQ(fingerprint(n, g.run), it->second) << "changed: " << key;
  }
}

// Every effect of every size is in exactly one group.
TEST(EffectFingerprintGroups, CoverEveryEffectAtEverySizeOnce) {
  std::map<std::string, int> times;
  for (const auto& g : fingerprintGroups())
    for (int n = g.first; n <= g.last; ++n) ++times[runKey(n, g.run)];
  EXPECT_EQ(times.size(), std::size(kRuns) * kEffectCount);
  for (const auto& [key, count] : times) EXPECT_EQ(count, 1) << key;
}

INSTANTIATE_TEST_SUITE_P(Sizes, EffectFingerprints, ::testing::ValuesIn(fingerprintGroups()), [](const auto& info) {
  const FingerprintGroup& g = info.param;
  return std::to_string(g.run.width) + "x" + std::to_string(g.run.height) + "_effects_" + std::to_string(g.first) +
         "_to_" + std::to_string(g.last);
});

}  // namespace
}  // namespace lumora::testing
