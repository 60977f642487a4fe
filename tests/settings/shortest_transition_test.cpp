#include <gtest/gtest.h>

#include "platform/core/paths.h"
#include "platform/temp_home.h"
#include "settings/settings.h"

namespace lumora {
namespace {

// The shortest transition: 1000 ms when missing, the stored value when it
// makes sense, bounded when it does not, and written back by the window.
TEST(ShortestTransitionSetting, DefaultStoredBoundedAndWritten) {
  test::TempHome home;
  const auto file = registryFilePath();
  EXPECT_EQ(loadShowSettings(file).shortestTransitionMs, 1000);
  EXPECT_FALSE(readStoredSettings(RegistryFile::load(file)).shortestTransitionMs);

  auto store = [&](std::uint32_t v) {
    RegistryFile::update(file, [&](RegistryFile& reg) {
      reg.setDword(kShowKey, "fxms", v);
      return true;
    });
    return loadShowSettings(file).shortestTransitionMs;
  };
  EXPECT_EQ(store(0), 0);  // as fast as the machine
  EXPECT_EQ(store(250), 250);
  EXPECT_EQ(store(0xFFFFFFFFu), 0);                     // -1
  EXPECT_EQ(store(0x7FFFFFFFu), kLongestTransitionMs);  // an hour-long transition is not taken

  SettingsToWrite v;
  v.shortestTransitionMs = 1500;
  writeAllSettings(file, v);
  EXPECT_EQ(readStoredSettings(RegistryFile::load(file)).shortestTransitionMs, 1500);
  EXPECT_EQ(loadShowSettings(file).shortestTransitionMs, 1500);
}

}  // namespace
}  // namespace lumora
