#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "platform/core/paths.h"
#include "settings/settings.h"
#include "tests/settings_window/window_fixture.h"

namespace lumora {
namespace {

// The shortest-transition spin box: labelled, 1000 on a fresh system, the
// stored value when shown, and written back on confirm.
TEST(SettingsWindowShortestTransition, ShownLoadedAndWritten) {
  testing::WindowFixture f;
  {
    auto w = f.open();
    w->show();
    QSpinBox* box = w->shortestTransitionMs();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->value(), 1000);
    EXPECT_EQ(box->minimum(), 0);
    bool labelled = false;
    for (const QLabel* l : w->findChildren<QLabel*>())
      labelled |= l->text() == "过渡最短时间(毫秒)" && l->buddy() == box;
    EXPECT_TRUE(labelled);
    box->setValue(0);
    w->button(SettingsButton::Confirm)->click();
  }
  EXPECT_EQ(loadShowSettings(registryFilePath()).shortestTransitionMs, 0);
  SettingCodes codes;
  codes.shortestTransitionMs = 2500;
  f.home.writeSettings(codes);
  auto w = f.open();
  w->show();
  EXPECT_EQ(w->shortestTransitionMs()->value(), 2500);
}

}  // namespace
}  // namespace lumora
