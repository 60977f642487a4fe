// The show's window structure: one window, everything the show draws inside
// it; the platform a run asks Qt for.
#include <gtest/gtest.h>

#include <fstream>

#include "saver/ui/picture_error_report.h"
#include "saver/ui/saver_window.h"
#include "saver/ui/stage_window.h"
#include "start/display.h"
#include "tests/saver/qt_app.h"

namespace lumora {
namespace {

using testing::qtApp;
using testing::ScratchHome;

const std::string kRegHead = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n";
TEST(ShowWindows, EverythingTheShowDrawsIsInsideItsOneWindow) {
  qtApp();
  ScratchHome home;
  SaverWindow saver({});
  saver.showOnPrimaryScreen();
  const QWidgetList parts = {saver.stageWindow(), saver.pictureErrorReport(), saver.openingCaption(),
                             saver.openingPicture()};
  for (QWidget* part : parts) {
    EXPECT_FALSE(part->isWindow()) << part->metaObject()->className();
    EXPECT_EQ(part->window(), &saver) << part->metaObject()->className();
  }
  // The one window of the show is the saver's (no cover on a single screen).
  int shownWindows = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) shownWindows += w->isVisible() ? 1 : 0;
  EXPECT_EQ(shownWindows, 1);
  EXPECT_EQ(saver.geometry(), saver.screenRect());
  // The stage fills the window from its corner, over the opening.
  saver.stageWindow()->stage();
  EXPECT_EQ(saver.stageWindow()->geometry(), QRect(QPoint(0, 0), saver.size()));
}

TEST(ShowWindows, PictureErrorReportSitsAtTheTopOfTheWindowAboveTheStage) {
  qtApp();
  ScratchHome home;
  const auto broken = (home.path() / "broken.gif").string();
  std::ofstream(broken) << "not a gif";
  home.writeList("pic.txt", broken + "\r\n");
  SettingCodes codes;
  codes.pauseSeconds = 30;
  home.writeSettings(codes);
  SaverWindow saver({});
  saver.showOnPrimaryScreen();
  saver.nextSlide();
  ASSERT_TRUE(testing::eventsUntil([&] { return saver.slideIdle(); }));
  PictureErrorReport* report = saver.pictureErrorReport();
  ASSERT_TRUE(report->isVisible());
  EXPECT_EQ(report->y(), 24);
  EXPECT_EQ(report->x(), (saver.width() - report->width()) / 2);
  // Above every other part of the window.
  QWidget* top = saver.childAt(report->geometry().center());
  EXPECT_TRUE(top == report || report->isAncestorOf(top));
}

// The stage shown over the opening takes the opening's picture, never the
// parts (the error report) that stay above it.
TEST(ShowWindows, StageStartsAsTheOpeningWithoutThePartsAboveIt) {
  qtApp();
  ScratchHome home;
  SaverWindow saver({});
  saver.showOnPrimaryScreen();
  QWidget above(&saver);  // a part above the stage, white
  above.setGeometry(10, 10, 246, 147);
  above.setAutoFillBackground(true);
  QPalette white = above.palette();
  white.setColor(QPalette::Window, Qt::white);
  above.setPalette(white);
  above.show();
  saver.stageWindow()->showAbove(&saver, {&above, saver.pictureErrorReport()});
  const Bitmap& stage = saver.stageWindow()->stage();
  EXPECT_EQ(stage.at(10 + 120, 10 + 70) & 0xFFFFFFu, 0u);  // black where the part above is
  // The yellow opening caption is on the Stage.
  const QRect label = saver.openingCaption()->geometry();
  int yellow = 0;
  for (int y = label.top(); y <= label.bottom(); ++y)
    for (int x = label.left(); x <= label.right(); ++x) {
      const Pixel p = stage.at(x, y);
      yellow += ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) < 80;
    }
  EXPECT_GT(yellow, 20);
}

TEST(ShowPlatform, ChosenFromTheEnvironment) {
  struct Case {
    WindowKind kind;
    const char *qpa, *wayland, *x11, *expected;
  };
  const Case cases[] = {
      {WindowKind::Show, "", "wayland-1", "", "wayland"},
      {WindowKind::Show, "", "wayland-1", ":0", "wayland;xcb"},  // Xwayland too
      {WindowKind::Show, "", "", ":0", "xcb"},
      {WindowKind::Show, "", "", "", ""},
      {WindowKind::Show, "offscreen", "wayland-1", ":0", ""},  // the user's choice stands
      {WindowKind::Show, "xcb", "wayland-1", ":0", ""},
      {WindowKind::InsideXWindow, "", "wayland-1", ":0", "xcb"},
      {WindowKind::InsideXWindow, "", "wayland-1", "", ""},
      {WindowKind::Ordinary, "", "wayland-1", ":0", ""},
      // The show's frames for the lock: our own platform whatever is set.
      {WindowKind::LockFrames, "wayland", "wayland-1", ":0", "lumoraframes"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(platformFor(c.kind, c.qpa, c.wayland, c.x11), c.expected)
        << int(c.kind) << " " << c.qpa << "|" << c.wayland << "|" << c.x11;
}

}  // namespace
}  // namespace lumora
