#include "settings/show_start.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/core/paths.h"
#include "platform/temp_home.h"
#include "settings/settings.h"

namespace lumora {
namespace {

std::string fileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// One registry file as the show finds it at its start, and what the show
// must take from it.
struct StartCase {
  const char* name;
  const char* file;  // the registry file's text; null: no file
  bool withPassword;
  const char* password;  // what is held
  std::optional<std::int32_t> pauseSeconds;
  bool keyAfterwards;
};

constexpr const char* kWithKeyAndPassword =
    "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n\"jgsj\"=dword:00000009\r\n\r\n"
    "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"ScreenSaveUsePassword\"=dword:00000001\r\n"
    "\"mima\"=\"aAbAcA\"\r\n";
constexpr const char* kPasswordWithoutShowKey =
    "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"ScreenSaveUsePassword\"=dword:00000001\r\n"
    "\"mima\"=\"aAbAcA\"\r\n";

class ShowStartReads : public ::testing::TestWithParam<StartCase> {
 protected:
  test::TempHome home;
  std::filesystem::path file = registryFilePath();
};

TEST_P(ShowStartReads, TheFileOnceForThePasswordAndTheSettings) {
  const StartCase& c = GetParam();
  if (c.file) std::ofstream(file, std::ios::binary) << c.file;
  int reads = 0;
  const ShowStart start = readShowStart(file, c.withPassword, [&](const std::filesystem::path& path) {
    ++reads;
    return RegistryFile::load(path);
  });
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(start.password, c.password);
  EXPECT_EQ(start.settings.pauseSeconds, c.pauseSeconds);
  EXPECT_EQ(RegistryFile::load(file).keyExists(kShowKey), c.keyAfterwards);
  // What was there stays: the password is not lost to the created key.
  if (c.file) {
    EXPECT_EQ(closeQueryPassword(file), "aAbAcA");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ShowStartReads,
    ::testing::Values(StartCase{"PasswordAndPause", kWithKeyAndPassword, true, "aAbAcA", 9, true},
                      StartCase{"ModuleModeAsksNoPassword", kWithKeyAndPassword, false, "", 9, true},
                      StartCase{"MissingKeyIsCreated", kPasswordWithoutShowKey, true, "aAbAcA", std::nullopt, true},
                      StartCase{"NoFileGivesTheDefaultsAndTheKey", nullptr, true, "", std::nullopt, true}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

TEST(ShowStartUnreadable, GivesNoPasswordTheBuiltInSettingsAndWritesNothing) {
  test::TempHome home;
  const std::filesystem::path file = registryFilePath();
  std::ofstream(file, std::ios::binary) << kPasswordWithoutShowKey;
  int reads = 0;
  const ShowStart start = readShowStart(file, true, [&](const std::filesystem::path&) -> RegistryFile {
    ++reads;
    throw RegistryError("cannot read the registry file");
  });
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(start.password, "");
  EXPECT_FALSE(start.settings.pauseSeconds);
  EXPECT_EQ(start.settings.shortestTransitionMs, kDefaultShortestTransitionMs);
  // A file the show could not read is never rewritten by it.
  EXPECT_EQ(fileText(file), kPasswordWithoutShowKey);
}

}  // namespace
}  // namespace lumora
