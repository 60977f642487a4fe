#include <gtest/gtest.h>

#include "platform/core/paths.h"
#include "platform/temp_home.h"
#include "settings/settings.h"

namespace lumora {
namespace {

// The shortest transition: 1000 ms when missing, the stored value when it
// makes sense, bounded when it does not, and written back by the window.
TEST(FxmsSetting, DefaultStoredBoundedAndWritten) {
  test::TempHome home;
  const auto file = registryFilePath();
  EXPECT_EQ(loadShowSettings(file).fxms, 1000);
  EXPECT_FALSE(readStoredSettings(RegistryFile::load(file)).fxms);

  auto store = [&](std::uint32_t v) {
    RegistryFile::update(file, [&](RegistryFile& reg) {
      reg.setDword(kShowKey, kFxms, v);
      return true;
    });
    return loadShowSettings(file).fxms;
  };
  EXPECT_EQ(store(0), 0);  // as fast as the machine
  EXPECT_EQ(store(250), 250);
  EXPECT_EQ(store(0xFFFFFFFFu), 0);         // -1
  EXPECT_EQ(store(0x7FFFFFFFu), kLongestFxms);  // an hour-long transition is not taken

  SettingsToWrite v;
  v.fxms = 1500;
  writeAllSettings(file, v);
  EXPECT_EQ(readStoredSettings(RegistryFile::load(file)).fxms, 1500);
  EXPECT_EQ(loadShowSettings(file).fxms, 1500);
}

}  // namespace
}  // namespace lumora
