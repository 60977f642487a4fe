#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <vector>

#include "desktop/gui_app.h"
#include "platform/desktop/cursor_counter.h"
#include "platform/desktop/power_off.h"
#include "platform/temp_home.h"

namespace lumora {
namespace {

TEST(CursorCounter, HiddenOnlyWhileBelowZero) {
  std::vector<std::string> events;
  CursorCounter counter([&] { events.push_back("hide"); }, [&] { events.push_back("show"); });
  EXPECT_EQ(counter.count(), 0);
  EXPECT_FALSE(counter.hidden());

  EXPECT_EQ(counter.show(), 1);  // a show first pushes the counter up
  EXPECT_EQ(counter.hide(), 0);
  EXPECT_TRUE(events.empty());

  EXPECT_EQ(counter.hide(), -1);
  EXPECT_EQ(counter.hide(), -2);  // counted, but already hidden
  EXPECT_TRUE(counter.hidden());
  EXPECT_EQ(events, std::vector<std::string>{"hide"});

  EXPECT_EQ(counter.show(), -1);  // still hidden: one hide is open
  EXPECT_TRUE(counter.hidden());
  EXPECT_EQ(counter.show(), 0);
  EXPECT_FALSE(counter.hidden());
  EXPECT_EQ(events, (std::vector<std::string>{"hide", "show"}));

  counter.hide();
  EXPECT_EQ(events, (std::vector<std::string>{"hide", "show", "hide"}));
}

TEST(AppCursor, BlanksTheApplicationCursorWhileHidden) {
  test::guiApp();
  ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
  std::vector<bool> windows;  // what the windows were told: hidden or not
  {
    AppCursor cursor([&](bool hidden) { windows.push_back(hidden); });
    cursor.hide();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
    cursor.hide();
    cursor.show();
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    cursor.show();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    cursor.hide();
  }
  EXPECT_EQ(windows, (std::vector<bool>{true, false, true}));
  // Gone while hidden: the cursor comes back.
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(PowerOff, PrintModeOnlyPrints) {
  test::ScopedEnv mode("LUMORA_SHUTDOWN", "print");
  const std::unique_ptr<PowerOff> power = makePowerOff();
  ASSERT_NE(dynamic_cast<PrintingPowerOff*>(power.get()), nullptr);
  ::testing::internal::CaptureStdout();
  power->powerOff();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "lumora: power off requested\n");
}

TEST(PowerOff, OtherwiseLogindIsChosenButNotCalled) {
  test::ScopedEnv mode("LUMORA_SHUTDOWN", nullptr);
  EXPECT_NE(dynamic_cast<LogindPowerOff*>(makePowerOff().get()), nullptr);
  test::ScopedEnv other("LUMORA_SHUTDOWN", "PRINT");
  EXPECT_NE(dynamic_cast<LogindPowerOff*>(makePowerOff().get()), nullptr);
}

}  // namespace
}  // namespace lumora
