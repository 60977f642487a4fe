// The idle start and the password switch in the options tab: read when the
// window is shown, written (with the autostart entry) only on confirm.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <filesystem>

#include "settings_window/desktop_options_box.h"
#include "platform/core/paths.h"
#include "platform/core/registry_file.h"
#include "settings/desktop_options.h"
#include "settings/settings.h"
#include "tests/settings_window/window_fixture.h"

namespace lumora {
namespace {

using testing::WindowFixture;

const char* const kRegistry =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\software\\vistel]\r\n\"idle\"=dword:0000000f\r\n\r\n"
    "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"ScreenSaveUsePassword\"=dword:00000001\r\n"
    "\"mima\"=\"aAbAcA\"\r\n";

std::filesystem::path autostart(const WindowFixture& f) { return f.home.path() / "autostart" / "lumora-idle.desktop"; }

TEST(DesktopOptions, ShownAsStored) {
  WindowFixture f;
  f.writeFile(registryFilePath(), kRegistry);
  auto w = f.open();
  w->show();
  DesktopOptionsBox* box = w->desktopOptions();
  EXPECT_EQ(box->idleCheckBox()->text(), "空闲时自动启动");
  EXPECT_EQ(box->passwordCheckBox()->text(), "启用屏保密码");
  EXPECT_TRUE(box->idleCheckBox()->isChecked());
  EXPECT_TRUE(box->idleMinutes()->isEnabled());
  EXPECT_EQ(box->idleMinutes()->value(), 15);
  EXPECT_TRUE(box->passwordCheckBox()->isChecked());
}

TEST(DesktopOptions, MissingValuesShowBothOff) {
  WindowFixture f;
  // The desktop key alone, with the switch at something other than 1.
  f.writeFile(registryFilePath(),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
              "\"ScreenSaveUsePassword\"=dword:00000002\r\n");
  auto w = f.open();
  w->show();
  EXPECT_FALSE(w->desktopOptions()->idleCheckBox()->isChecked());
  EXPECT_FALSE(w->desktopOptions()->idleMinutes()->isEnabled());
  EXPECT_FALSE(w->desktopOptions()->passwordCheckBox()->isChecked());
}

TEST(DesktopOptions, ConfirmWritesValuesAndAutostartThenRemovesIt) {
  WindowFixture f;
  {
    auto w = f.open();
    w->show();
    DesktopOptionsBox* box = w->desktopOptions();
    box->idleCheckBox()->setChecked(true);
    box->idleMinutes()->setValue(7);
    box->passwordCheckBox()->setChecked(true);
    w->button(SettingsButton::Confirm)->click();
  }
  RegistryFile reg = RegistryFile::load(registryFilePath());
  EXPECT_EQ(readStoredSettings(reg).idleMinutes, 7);
  EXPECT_EQ(reg.dword(kDesktopKey, kScreenSaveUsePassword), 1u);
  ASSERT_TRUE(std::filesystem::exists(autostart(f)));
  const std::string entry = f.fileBytes(autostart(f));
  EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(entry.find("\nExec=lumora --idle\n"), std::string::npos);

  // Off again: zero, 0, and the entry gone; the password itself stays.
  RegistryFile::update(registryFilePath(), [](RegistryFile& r) {
    r.setString(kDesktopKey, kMima, "aAbA");
    return true;
  });
  {
    auto w = f.open();
    w->show();
    EXPECT_EQ(w->desktopOptions()->idleMinutes()->value(), 7);
    w->desktopOptions()->idleCheckBox()->setChecked(false);
    w->desktopOptions()->passwordCheckBox()->setChecked(false);
    w->button(SettingsButton::Confirm)->click();
  }
  reg = RegistryFile::load(registryFilePath());
  EXPECT_EQ(readStoredSettings(reg).idleMinutes, 0);
  EXPECT_EQ(reg.dword(kDesktopKey, kScreenSaveUsePassword), 0u);
  EXPECT_EQ(reg.string(kDesktopKey, kMima), "aAbA");
  EXPECT_FALSE(std::filesystem::exists(autostart(f)));
}

TEST(DesktopOptions, CancelWritesNothing) {
  WindowFixture f;
  f.writeFile(registryFilePath(), kRegistry);
  auto w = f.open();
  w->show();
  w->desktopOptions()->idleCheckBox()->setChecked(false);
  w->desktopOptions()->passwordCheckBox()->setChecked(false);
  w->button(SettingsButton::Cancel)->click();
  EXPECT_EQ(f.fileBytes(registryFilePath()), kRegistry);
  EXPECT_FALSE(std::filesystem::exists(autostart(f)));
}

TEST(DesktopOptions, StoredValuesOutsideTheRange) {
  RegistryFile reg;
  SettingCodes codes;
  codes.idleMinutes = -1;
  applySettings(reg, codes);
  EXPECT_EQ(readDesktopOptions(reg).idleMinutes, 0);
  codes.idleMinutes = 100000;
  applySettings(reg, codes);
  WindowFixture f;
  DesktopOptionsBox box;
  box.load(readDesktopOptions(reg));
  // The spin box keeps to its range; the idle start stays on.
  EXPECT_TRUE(box.idleCheckBox()->isChecked());
  EXPECT_EQ(box.idleMinutes()->value(), kMaxIdleMinutes);
}

}  // namespace
}  // namespace lumora
