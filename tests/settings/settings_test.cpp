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
  EXPECT_EQ(s.tpbh, 0);   // list order
  EXPECT_EQ(s.speed, 1);
  EXPECT_EQ(s.wzbh, 0);   // no captions
  EXPECT_EQ(s.yysz, 1);   // media in list order
  EXPECT_EQ(s.gjsz, 0);   // no shutdown
  EXPECT_EQ(s.gcbh, 1);   // lyrics on
  EXPECT_EQ(s.tptc, 0);   // "640*480"
  EXPECT_EQ(s.pp, -1);    // no tiling
  EXPECT_FALSE(s.jgsj);
  EXPECT_EQ(s.intervalMs(), 6000);
  EXPECT_FALSE(s.qssz);   // built-in welcome caption
  EXPECT_FALSE(s.label);
  EXPECT_FALSE(s.spic);
  EXPECT_TRUE(RegistryFile::load(file).keyExists(kShowKey));
  EXPECT_FALSE(RegistryFile::load(file).keyExists(kDesktopKey));
}

TEST_F(SettingsTest, StoredValuesOverrideDefaultsOneByOne) {
  set([](RegistryFile& reg) {
    reg.setDword(kShowKey, "TPBH", 1);
    reg.setDword(kShowKey, kWzbh, 0xFFFFFFFFu);  // -1: no caption order chosen
    reg.setDword(kShowKey, kJgsj, 0);
    reg.setDword(kShowKey, kTptc, 5);
    reg.setDword(kShowKey, kPp, 3);
    reg.setDword(kShowKey, kQssz, 0);
    reg.setString(kShowKey, "Label", "");
    reg.setString(kShowKey, kSpeed, "7");  // a string where a dword belongs: missing
  });
  const ShowSettings s = loadShowSettings(file);
  EXPECT_EQ(s.tpbh, 1);
  EXPECT_EQ(s.wzbh, -1);
  EXPECT_EQ(s.jgsj, 0);
  EXPECT_EQ(s.intervalMs(), 0);
  EXPECT_EQ(s.tptc, 5);
  EXPECT_EQ(s.pp, 3);
  EXPECT_EQ(s.qssz, 0);
  EXPECT_EQ(s.label, "");
  EXPECT_EQ(s.speed, 1);
  EXPECT_EQ(s.yysz, 1);
}

TEST_F(SettingsTest, FitAllIgnoresTiling) {
  set([](RegistryFile& reg) {
    reg.setDword(kShowKey, kTptc, 0xFFFFFFFFu);
    reg.setDword(kShowKey, kPp, 2);
  });
  const ShowSettings s = loadShowSettings(file);
  EXPECT_EQ(s.tptc, -1);
  EXPECT_EQ(s.pp, -1);
  // The settings window still sees what is stored.
  EXPECT_EQ(readStoredSettings(RegistryFile::load(file)).pp, 2);
}

TEST_F(SettingsTest, PasswordLookup) {
  auto password = [&] { return closeQueryPassword(file); };
  EXPECT_EQ(password(), "");  // nothing at all
  writePassword(file, "abc");
  const std::string stored = RegistryFile::load(file).string(kDesktopKey, kMima).value_or("");
  EXPECT_TRUE(stored.starts_with("$y$")) << stored;  // a hash, not the password
  EXPECT_EQ(password(), "");  // switch missing

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
  std::ofstream(file, std::ios::binary) << "REGEDIT4\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n\"jgsj\"=dword:00000009\r\n"
                                        << std::string(kMaxRegistryFileBytes, ';');
  ::testing::internal::CaptureStderr();
  const ShowSettings s = loadShowSettings(file);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("built-in settings"), std::string::npos);
  EXPECT_FALSE(s.jgsj);
  EXPECT_EQ(s.intervalMs(), kDefaultIntervalSeconds * 1000);
}

TEST_F(SettingsTest, ReadingThePasswordCreatesNothing) {
  EXPECT_EQ(closeQueryPassword(file), "");
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(SettingsTest, SettingsWindowWritesEverythingAndReadsItBack) {
  set([](RegistryFile& reg) {
    reg.setDword(kShowKey, kTptc, 2);
    reg.setString(kShowKey, "unrelated", "kept");
    reg.setString(kDesktopKey, kMima, "xAyA");
  });
  SettingsToWrite v;
  v.tpbh = 1;
  v.speed = 100;
  v.wzbh = -1;
  v.yysz = 2;
  v.gjsz = 30;
  v.jgsj = 5;
  v.gcbh = 0;
  v.pp = 3;
  v.label = utf8ToAnsi("欢迎使用《Lumora》");
  v.spic = utf8ToAnsi("/图片/开场.jpg");
  v.qssz = 1;
  writeAllSettings(file, v);  // tptc not set: the stored 2 stays

  const RegistryFile reg = RegistryFile::load(file);
  EXPECT_EQ(reg.string(kShowKey, kLabel), encodeStoredText(v.label));
  EXPECT_EQ(reg.string(kShowKey, "unrelated"), "kept");
  EXPECT_EQ(reg.string(kDesktopKey, kMima), "xAyA");
  const StoredSettings s = readStoredSettings(reg);
  EXPECT_TRUE(s.keyExists);
  EXPECT_EQ(s.tpbh, 1);
  EXPECT_EQ(s.speed, 100);
  EXPECT_EQ(s.wzbh, -1);
  EXPECT_EQ(s.yysz, 2);
  EXPECT_EQ(s.gjsz, 30);
  EXPECT_EQ(s.jgsj, 5);
  EXPECT_EQ(s.gcbh, 0);
  EXPECT_EQ(s.tptc, 2);
  EXPECT_EQ(s.pp, 3);
  EXPECT_EQ(s.label, v.label);
  EXPECT_EQ(s.spic, v.spic);
  EXPECT_EQ(s.qssz, 1);

  v.tptc = -1;
  writeAllSettings(file, v);
  EXPECT_EQ(readStoredSettings(RegistryFile::load(file)).tptc, -1);
}

TEST_F(SettingsTest, StoredSettingsOfAMissingKeyAreEmpty) {
  const StoredSettings s = readStoredSettings(RegistryFile::load(file));
  EXPECT_FALSE(s.keyExists);
  EXPECT_FALSE(s.tpbh || s.speed || s.label || s.spic);
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
