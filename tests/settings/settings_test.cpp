#include <gtest/gtest.h>

#include <fstream>

#include "platform/core/ansi.h"
#include "platform/core/paths.h"
#include "platform/temp_home.h"
#include "settings/settings.h"
#include "settings/stored_text.h"

namespace lumora {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  test::TempHome home;
  std::filesystem::path file = registryFilePath();

  void set(const std::function<void(RegistryFile&)>& change) {
    RegistryFile::update(file, [&](RegistryFile& reg) {
      change(reg);
      return true;
    });
  }
};

TEST_F(SettingsTest, NeverConfiguredSystemGetsTheSaversDefaultsAndTheKey) {
  ASSERT_FALSE(std::filesystem::exists(file));
  const ShowSettings s = loadShowSettings(file);
  EXPECT_EQ(s.pictureOrder, PictureOrder::InList);
  EXPECT_EQ(s.transitionSpeed, 1);
  EXPECT_EQ(s.captionOrder, PlayOrder::None);
  EXPECT_EQ(s.mediaOrder, PlayOrder::InList);
  EXPECT_EQ(s.shutdownMinutes, 0);
  EXPECT_TRUE(s.lyricsOn);
  EXPECT_EQ(s.fittingThreshold, FittingThreshold::Below640x480);
  EXPECT_EQ(s.tiling, Tiling::Off);
  EXPECT_FALSE(s.pauseSeconds);
  EXPECT_EQ(s.pauseMs(), 6000);
  EXPECT_EQ(s.openingDisplay, OpeningDisplay::Welcome);
  EXPECT_FALSE(s.openingCaption);
  EXPECT_FALSE(s.openingPicture);
  EXPECT_EQ(s.shortestTransitionMs, 1000);
  EXPECT_TRUE(RegistryFile::load(file).keyExists(kShowKey));
  EXPECT_FALSE(RegistryFile::load(file).keyExists(kDesktopKey));
}

TEST_F(SettingsTest, StoredValuesOverrideDefaultsOneByOne) {
  set([](RegistryFile& reg) {
    reg.setDword(kShowKey, "TPBH", 1);            // names match without regard to case
    reg.setDword(kShowKey, "wzbh", 0xFFFFFFFFu);  // -1: no caption order chosen
    reg.setDword(kShowKey, "jgsj", 0);
    reg.setDword(kShowKey, "tptc", 5);
    reg.setDword(kShowKey, "pp", 3);
    reg.setDword(kShowKey, "qssz", 0);
    reg.setString(kShowKey, "Label", "");
    reg.setString(kShowKey, "speed", "7");  // a string where a dword belongs: missing
    reg.setDword(kShowKey, "gcbh", 2);
    reg.setDword(kShowKey, "yysz", 0);
    reg.setDword(kShowKey, "gjsz", 45);
    reg.setString(kShowKey, "spic", "/p/open.jpg");
  });
  const ShowSettings s = loadShowSettings(file);
  EXPECT_EQ(s.pictureOrder, PictureOrder::Random);
  EXPECT_EQ(s.captionOrder, PlayOrder::RandomFromFirst);
  EXPECT_EQ(s.pauseSeconds, 0);
  EXPECT_EQ(s.pauseMs(), 0);
  EXPECT_EQ(s.fittingThreshold, FittingThreshold::BelowScreen);
  EXPECT_EQ(s.tiling, Tiling::UpTo300);
  EXPECT_EQ(s.openingDisplay, OpeningDisplay::Caption);
  EXPECT_EQ(s.openingCaption, "");
  EXPECT_EQ(s.openingPicture, "/p/open.jpg");
  EXPECT_EQ(s.transitionSpeed, 1);
  EXPECT_FALSE(s.lyricsOn);
  EXPECT_EQ(s.mediaOrder, PlayOrder::None);
  EXPECT_EQ(s.shutdownMinutes, 45);
}

TEST_F(SettingsTest, FitAllIgnoresTiling) {
  set([](RegistryFile& reg) {
    reg.setDword(kShowKey, "tptc", 0xFFFFFFFFu);
    reg.setDword(kShowKey, "pp", 2);
  });
  const ShowSettings s = loadShowSettings(file);
  EXPECT_EQ(s.fittingThreshold, FittingThreshold::FitAll);
  EXPECT_EQ(s.tiling, Tiling::Off);
  // The settings window still sees what is stored.
  EXPECT_EQ(readStoredSettings(RegistryFile::load(file)).tiling, 2);
}

TEST_F(SettingsTest, PasswordLookup) {
  auto password = [&] { return closeQueryPassword(file); };
  EXPECT_EQ(password(), "");  // nothing at all
  writePassword(file, "abc");
  const std::string stored = RegistryFile::load(file).string(kDesktopKey, kMima).value_or("");
  EXPECT_TRUE(stored.starts_with("$y$")) << stored;  // a hash, not the password
  EXPECT_EQ(password(), "");                         // switch missing

  set([](RegistryFile& reg) { reg.setDword(kDesktopKey, kScreenSaveUsePassword, 0); });
  EXPECT_EQ(password(), "");  // switch off
  set([](RegistryFile& reg) { reg.setString(kDesktopKey, kScreenSaveUsePassword, "1"); });
  EXPECT_EQ(password(), "");  // switch of the wrong type
  set([](RegistryFile& reg) { reg.setDword(kDesktopKey, kScreenSaveUsePassword, 1); });
  EXPECT_EQ(password(), stored);
  EXPECT_TRUE(passwordMatches(password(), "abc"));
  EXPECT_FALSE(passwordMatches(password(), "abd"));

  writePassword(file, "");
  EXPECT_EQ(RegistryFile::load(file).string(kDesktopKey, kMima), "");
  EXPECT_EQ(password(), "");  // empty: no prompt

  set([](RegistryFile& reg) { reg.deleteValue(kDesktopKey, kMima); });
  EXPECT_EQ(password(), "");  // missing reads as empty

  const std::string chinese = utf8ToAnsi("密码");
  writePassword(file, chinese);
  EXPECT_TRUE(passwordMatches(password(), chinese));
  EXPECT_EQ(RegistryFile::load(file).dword(kDesktopKey, kScreenSaveUsePassword), 1u);

  // The old stored form is still asked for and accepted; one that decodes
  // to nothing asks nothing.
  set([](RegistryFile& reg) { reg.setString(kDesktopKey, kMima, "aAbAcA"); });
  EXPECT_EQ(password(), "aAbAcA");
  EXPECT_TRUE(passwordMatches(password(), "abc"));
  set([](RegistryFile& reg) { reg.setString(kDesktopKey, kMima, "a"); });
  EXPECT_EQ(password(), "");
}

// A bad line in the file keeps the password and its switch.
TEST_F(SettingsTest, BadLineKeepsThePassword) {
  writePassword(file, "abc");
  set([](RegistryFile& reg) { reg.setDword(kDesktopKey, kScreenSaveUsePassword, 1); });
  std::ofstream(file, std::ios::binary | std::ios::app) << "this line is no registry line\r\n\"tpbh\"=dword:xyz\r\n";
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(passwordMatches(closeQueryPassword(file), "abc"));
  writeAllSettings(file, SettingsToWrite{});
  EXPECT_TRUE(passwordMatches(closeQueryPassword(file), "abc"));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot be read"), std::string::npos);
}

// A file too large to read: the show starts with its built-in settings.
TEST_F(SettingsTest, TooLargeFileGivesTheBuiltInSettings) {
  std::ofstream(file, std::ios::binary)
      << "REGEDIT4\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n\"jgsj\"=dword:00000009\r\n"
      << std::string(kMaxRegistryFileBytes, ';');
  ::testing::internal::CaptureStderr();
  const ShowSettings s = loadShowSettings(file);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("built-in settings"), std::string::npos);
  EXPECT_FALSE(s.pauseSeconds);
  EXPECT_EQ(s.pauseMs(), kDefaultPauseSeconds * 1000);
}

TEST_F(SettingsTest, ReadingThePasswordCreatesNothing) {
  EXPECT_EQ(closeQueryPassword(file), "");
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(SettingsTest, SettingsWindowWritesEverythingAndReadsItBack) {
  set([](RegistryFile& reg) {
    reg.setDword(kShowKey, "tptc", 2);
    reg.setDword(kShowKey, "idle", 15);  // the desktop options' value: not the window's to write
    reg.setString(kShowKey, "unrelated", "kept");
    reg.setString(kDesktopKey, kMima, "xAyA");
  });
  SettingsToWrite v;
  v.pictureOrder = 1;
  v.transitionSpeed = 100;
  v.captionOrder = -1;
  v.mediaOrder = 2;
  v.shutdownMinutes = 30;
  v.pauseSeconds = 5;
  v.lyrics = 0;
  v.tiling = 3;
  v.openingCaption = utf8ToAnsi("欢迎使用《Lumora》");
  v.openingPicture = utf8ToAnsi("/图片/开场.jpg");
  v.openingDisplay = 1;
  v.shortestTransitionMs = 250;
  writeAllSettings(file, v);  // no fitting threshold: the stored 2 stays

  const RegistryFile reg = RegistryFile::load(file);
  EXPECT_EQ(reg.string(kShowKey, "label"), encodeStoredText(*v.openingCaption));
  // Every value under its stored name, with its type.
  const std::pair<const char*, std::uint32_t> dwords[] = {
      {"tpbh", 1u}, {"speed", 100u}, {"wzbh", 0xFFFFFFFFu}, {"yysz", 2u},  {"gjsz", 30u}, {"jgsj", 5u}, {"gcbh", 0u},
      {"tptc", 2u}, {"pp", 3u},      {"qssz", 1u},          {"fxms", 250u}};
  for (const auto& [name, value] : dwords) EXPECT_EQ(reg.dword(kShowKey, name), value) << name;
  EXPECT_EQ(reg.string(kShowKey, "spic"), *v.openingPicture);
  EXPECT_EQ(reg.string(kShowKey, "unrelated"), "kept");
  EXPECT_EQ(reg.string(kDesktopKey, kMima), "xAyA");
  const StoredSettings s = readStoredSettings(reg);
  EXPECT_TRUE(s.keyExists);
  EXPECT_EQ(s.pictureOrder, 1);
  EXPECT_EQ(s.transitionSpeed, 100);
  EXPECT_EQ(s.captionOrder, -1);
  EXPECT_EQ(s.mediaOrder, 2);
  EXPECT_EQ(s.shutdownMinutes, 30);
  EXPECT_EQ(s.pauseSeconds, 5);
  EXPECT_EQ(s.lyrics, 0);
  EXPECT_EQ(s.fittingThreshold, 2);
  EXPECT_EQ(s.tiling, 3);
  EXPECT_EQ(s.openingCaption, v.openingCaption);
  EXPECT_EQ(s.openingPicture, v.openingPicture);
  EXPECT_EQ(s.openingDisplay, 1);
  EXPECT_EQ(s.shortestTransitionMs, 250);
  EXPECT_EQ(s.idleMinutes, 15);

  v.fittingThreshold = -1;
  writeAllSettings(file, v);
  EXPECT_EQ(readStoredSettings(RegistryFile::load(file)).fittingThreshold, -1);
}

TEST_F(SettingsTest, StoredSettingsOfAMissingKeyAreEmpty) {
  const StoredSettings s = readStoredSettings(RegistryFile::load(file));
  EXPECT_FALSE(s.keyExists);
  EXPECT_FALSE(s.pictureOrder || s.transitionSpeed || s.openingCaption || s.openingPicture);
  ensureShowKey(file);
  EXPECT_TRUE(readStoredSettings(RegistryFile::load(file)).keyExists);
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

// Unreadable registry file (here: a folder in its place).
TEST(SettingsFailures, UnreadableFileMeansNoPasswordAndFailedWritesThrow) {
  test::TempHome home;
  const std::filesystem::path file = registryFilePath();
  std::filesystem::create_directories(file);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(closeQueryPassword(file), "");
  EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
  EXPECT_THROW(writePassword(file, "abc"), RegistryError);
  EXPECT_THROW(writeAllSettings(file, SettingsToWrite{}), RegistryError);
}

}  // namespace
}  // namespace lumora
