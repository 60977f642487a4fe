// The player's web engine command line: one process, no GPU, bounded script
// heap, lazily compiled WebAssembly; what the environment already says is
// kept, and everything survives Qt's split of the variable at spaces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash_host/engine_switches.h"

namespace lumora {
namespace {

// Split as Qt WebEngine splits QTWEBENGINE_CHROMIUM_FLAGS: at spaces.
std::vector<std::string> words(const std::string& s) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= s.size()) {
    std::size_t space = s.find(' ', start);
    if (space == std::string::npos) space = s.size();
    if (space > start) out.push_back(s.substr(start, space - start));
    start = space + 1;
  }
  return out;
}

std::vector<std::string> named(const std::string& line, const std::string& name) {
  std::vector<std::string> out;
  for (const std::string& w : words(line))
    if (w.substr(0, w.find('=')) == name) out.push_back(w);
  return out;
}

TEST(PlayerEngineSwitches, OneProcessWithoutGpu) {
  const std::string line = playerEngineSwitches("");
  for (const char* s :
       {"--single-process", "--disable-gpu", "--disable-gpu-compositing", "--autoplay-policy=no-user-gesture-required"})
    EXPECT_EQ(named(line, std::string(s).substr(0, std::string(s).find('='))), std::vector<std::string>{s}) << line;
}

// The script engine's options reach it as one word: tabs separate them.
TEST(PlayerEngineSwitches, ScriptOptionsAreOneWordWithTheHeapBounded) {
  const std::vector<std::string> js = named(playerEngineSwitches(""), "--js-flags");
  ASSERT_EQ(js.size(), 1u);
  EXPECT_EQ(js[0].find(' '), std::string::npos);
  for (const std::string opt :
       {"--max-old-space-size=" + std::to_string(kScriptHeapMb),
        "--max-semi-space-size=" + std::to_string(kYoungScriptHeapMb), std::string("--wasm-lazy-compilation"),
        std::string("--no-wasm-tier-up"), std::string("--expose-gc")})
    EXPECT_NE(("\t" + js[0].substr(11) + "\t").find("\t" + opt + "\t"), std::string::npos) << opt;
}

struct Given {
  const char* name;
  std::string given;
  std::string name_;     // switch to look at
  std::string expected;  // the one word it must be
};

class GivenSwitches : public testing::TestWithParam<Given> {};

TEST_P(GivenSwitches, AreKeptOrMerged) {
  const std::string line = playerEngineSwitches(GetParam().given);
  EXPECT_EQ(named(line, GetParam().name_), std::vector<std::string>{GetParam().expected}) << line;
  // Nothing of what was given is lost.
  for (const std::string& w : words(GetParam().given))
    if (w.substr(0, w.find('=')) != GetParam().name_) EXPECT_EQ(named(line, w.substr(0, w.find('='))).size(), 1u) << w;
}

INSTANTIATE_TEST_SUITE_P(
    Environment, GivenSwitches,
    testing::Values(
        // A test's or user's own value wins over ours.
        Given{"OwnScriptOptions", "--js-flags=--max-old-space-size=512", "--js-flags",
              "--js-flags=--max-old-space-size=512"},
        Given{"OwnAutoplay", "--disable-gpu  --autoplay-policy=user-gesture-required", "--autoplay-policy",
              "--autoplay-policy=user-gesture-required"},
        Given{"SameSwitchOnce", "--disable-gpu", "--disable-gpu", "--disable-gpu"},
        // Feature lists are merged, in whatever form they were given.
        Given{"DisabledFeaturesMerged", "--disable-features=Foo --enable-logging", "--disable-features",
              "--disable-features=Foo,AudioServiceOutOfProcess,WebAssemblyTiering,BackForwardCache"},
        Given{"EmptyListMerged", "--enable-features=", "--enable-features",
              "--enable-features=WebAssemblyLazyCompilation"},
        Given{"BareListMerged", "--enable-features", "--enable-features",
              "--enable-features=WebAssemblyLazyCompilation"},
        // A tab inside a given word stays inside it.
        Given{"TabsKept", "--js-flags=--a\t--b", "--js-flags", "--js-flags=--a\t--b"}),
    [](const testing::TestParamInfo<Given>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace lumora
