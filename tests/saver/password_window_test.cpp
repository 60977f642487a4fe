#include <gtest/gtest.h>

#include <QMessageBox>

#include "password/password_window.h"
#include "platform/core/ansi.h"
#include "platform/core/registry_file.h"
#include "widgets/masked_edit.h"
#include "settings/settings.h"
#include "tests/saver/qt_app.h"

namespace lumora {
namespace {

using testing::qtApp;
using testing::ScratchHome;

// Types both entries, confirms, and returns the texts of the message boxes.
QStringList confirm(PasswordWindow& w, const QString& a, const QString& b) {
  QStringList messages;
  QObject::connect(&w, &PasswordWindow::messageShown, &w, [&](const QString& t) { messages << t; });
  w.passwordEdit()->setText(a);
  w.repeatEdit()->setText(b);
  testing::whenModal(&w, [] { QApplication::activeModalWidget()->close(); });
  w.confirm();
  return messages;
}

std::optional<std::string> storedMima(const ScratchHome& home) {
  return RegistryFile::load(home.registry()).string(kDesktopKey, kMima);
}

TEST(PasswordWindow, DifferentEntriesWriteNothingAndEmptyBoth) {
  qtApp();
  ScratchHome home;
  PasswordWindow w(home.registry());
  EXPECT_EQ(confirm(w, "abc", "abd"), QStringList{QStringLiteral("密码与确认密码不一样，请重新输入！")});
  EXPECT_TRUE(w.passwordEdit()->text().isEmpty());
  EXPECT_TRUE(w.repeatEdit()->text().isEmpty());
  EXPECT_FALSE(storedMima(home));
  EXPECT_EQ(w.result(), 0);
}

TEST(PasswordWindow, PasswordIsStoredAsASaltedHash) {
  qtApp();
  ScratchHome home;
  home.writeRegistry(
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
      "\"ScreenSaveUsePassword\"=dword:00000001\r\n\"Wallpaper\"=\"x\"\r\n");
  PasswordWindow w(home.registry());
  EXPECT_EQ(confirm(w, "abc", "abc"), QStringList{QStringLiteral("密码修改成功!")});
  const std::string stored = storedMima(home).value_or("");
  EXPECT_TRUE(stored.starts_with("$y$")) << stored;
  EXPECT_EQ(closeQueryPassword(home.registry()), stored);
  EXPECT_TRUE(passwordMatches(stored, "abc"));
  EXPECT_FALSE(passwordMatches(stored, "abd"));
  // Other values of the desktop key survive.
  EXPECT_EQ(RegistryFile::load(home.registry()).string(kDesktopKey, "Wallpaper"), "x");
  EXPECT_EQ(w.result(), int(QDialog::Accepted));
}

TEST(PasswordWindow, EmptyEntriesClearThePassword) {
  qtApp();
  ScratchHome home;
  home.writeRegistry(
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
      "\"ScreenSaveUsePassword\"=dword:00000001\r\n\"mima\"=\"aAbAcA\"\r\n");
  PasswordWindow w(home.registry());
  confirm(w, "", "");
  EXPECT_EQ(storedMima(home), "");
  EXPECT_EQ(closeQueryPassword(home.registry()), "");
}

TEST(PasswordWindow, ChineseAndCancel) {
  qtApp();
  ScratchHome home;
  {
    PasswordWindow w(home.registry());
    confirm(w, QStringLiteral("密码"), QStringLiteral("密码"));
  }
  const auto before = storedMima(home);
  ASSERT_TRUE(before);
  EXPECT_TRUE(passwordMatches(*before, utf8ToAnsi("密码")));  // two GB18030 characters
  PasswordWindow w(home.registry());
  w.passwordEdit()->setText("new");
  w.repeatEdit()->setText("new");
  w.cancel();
  EXPECT_EQ(storedMima(home), before);
}

}  // namespace
}  // namespace lumora
