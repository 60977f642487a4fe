// The show's window structure: one window, everything the show draws inside
// it; the prompt modal in effect inside the window; the platform a run
// asks Qt for.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <fstream>

#include "widgets/masked_edit.h"
#include "widgets/password_prompt.h"
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
const std::string kPasswordOn = "\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                                "\"ScreenSaveUsePassword\"=dword:00000001\r\n\"mima\"=\"aAbAcA\"\r\n";

void press(QObject* target, Qt::Key key, const QString& text = {}) {
  QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &down);
  QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &up);
}

void click(QWidget* target, QPoint at) {
  QMouseEvent down(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(target, &down);
}

TEST(ShowWindows, EverythingTheShowDrawsIsInsideItsOneWindow) {
  qtApp();
  ScratchHome home;
  SaverWindow saver({});
  saver.showOnPrimaryScreen();
  const QWidgetList parts = {saver.stageWindow(), saver.prompt(), saver.pictureErrorReport(), saver.openingCaption(),
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
  EXPECT_FALSE(saver.bypassesWindowManager());  // no password
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
// prompt or report that stay above it.
TEST(ShowWindows, StageStartsAsTheOpeningWithoutThePartsAboveIt) {
  qtApp();
  ScratchHome home;
  SaverWindow saver({});
  saver.showOnPrimaryScreen();
  PasswordPrompt* prompt = saver.prompt();
  prompt->move(10, 10);
  prompt->show();
  saver.stageWindow()->showAbove(&saver, {prompt, saver.pictureErrorReport()});
  const Bitmap& stage = saver.stageWindow()->stage();
  EXPECT_EQ(stage.at(10 + 120, 10 + 70) & 0xFFFFFFu, 0u);  // black where the prompt is
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

class PromptInsideTheShow : public ::testing::Test {
 protected:
  void SetUp() override {
    qtApp();
    home_.writeRegistry(kRegHead + kPasswordOn);
  }
  ScratchHome home_;
};

TEST_F(PromptInsideTheShow, CentredAndAboveTheStage) {
  SaverWindow saver({});
  saver.showOnPrimaryScreen();
  saver.stageWindow()->showAbove(&saver);
  QRect placed;
  QWidget* onTop = nullptr;
  testing::whenTrue(&saver, [&] { return saver.prompt()->isOpen(); }, [&] {
    placed = saver.prompt()->geometry();
    onTop = saver.childAt(placed.center());
    saver.prompt()->reject();
  });
  saver.close();
  const QRect screen = saver.screenRect();
  EXPECT_EQ(placed, QRect((screen.width() - 246) / 2, (screen.height() - 147) / 2, 246, 147));
  ASSERT_NE(onTop, nullptr);
  EXPECT_TRUE(onTop == saver.prompt() || saver.prompt()->isAncestorOf(onTop));
  EXPECT_FALSE(saver.prompt()->isVisible());
  EXPECT_FALSE(saver.closeGranted());
}

// While the prompt is open, keys typed on any window of the show go into
// its edit, Return answers it, and buttons outside it end nothing.
TEST_F(PromptInsideTheShow, KeysAnywhereAreTypedIntoItAndClicksOutsideItDoNothing) {
  SaverWindow saver({});
  saver.showOnPrimaryScreen();
  int endings = 0;
  QObject::connect(&saver, &SaverWindow::showEnded, [&] { ++endings; });
  QWidget elsewhere;  // stands for a cover on another screen
  testing::whenTrue(&saver, [&] { return saver.prompt()->isOpen(); }, [&] {
    click(saver.stageWindow(), QPoint(5, 5));
    click(&saver, QPoint(5, 5));
    press(&saver, Qt::Key_A, QStringLiteral("a"));
    press(&elsewhere, Qt::Key_B, QStringLiteral("b"));
    press(saver.stageWindow(), Qt::Key_C, QStringLiteral("c"));
    EXPECT_TRUE(saver.prompt()->isOpen());
    press(&saver, Qt::Key_Return);
  });
  saver.close();
  EXPECT_EQ(saver.prompt()->passwordEdit()->text(), QStringLiteral("abc"));
  EXPECT_TRUE(saver.closeGranted());
  EXPECT_EQ(endings, 1);
}

TEST_F(PromptInsideTheShow, EscapeAnswersNoAndTheEntryIsKept) {
  SaverWindow saver({});
  saver.showOnPrimaryScreen();
  testing::whenTrue(&saver, [&] { return saver.prompt()->isOpen(); }, [&] {
    press(&saver, Qt::Key_X, QStringLiteral("x"));
    press(&saver, Qt::Key_Escape);
  });
  saver.close();
  EXPECT_FALSE(saver.closeGranted());
  EXPECT_FALSE(saver.prompt()->isOpen());
  EXPECT_EQ(saver.prompt()->passwordEdit()->text(), QStringLiteral("x"));
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
