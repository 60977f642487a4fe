#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QElapsedTimer>
#include <QThread>
#include <cmath>
#include <fstream>

#include "platform/desktop/power_off.h"
#include "widgets/masked_edit.h"
#include "saver/ui/saver_window.h"
#include "saver/ui/shutdown_timer.h"
#include "saver/ui/stage_window.h"
#include "start/mode.h"
#include "tests/saver/qt_app.h"

namespace lumora {
namespace {

using testing::qtApp;
using testing::ScratchHome;

class CountingPowerOff : public PowerOff {
 public:
  void powerOff() override { ++calls; }
  int calls = 0;
};

const char* kRegHead = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\software\\vistel]\r\n";

TEST(ModeKey, FirstTwoCharactersInEitherCase) {
  auto mode = [](std::initializer_list<const char*> args) {
    std::vector<const char*> v{"lumora"};
    v.insert(v.end(), args);
    return modeOf(int(v.size()), v.data());
  };
  EXPECT_EQ(mode({}), Mode::None);
  EXPECT_EQ(mode({"/s"}), Mode::Show);
  EXPECT_EQ(mode({"/Sxyz"}), Mode::Show);
  EXPECT_EQ(mode({"/c:1234"}), Mode::Settings);
  EXPECT_EQ(mode({"/a"}), Mode::Password);
  EXPECT_EQ(mode({"/p", "1234"}), Mode::None);
  EXPECT_EQ(mode({"/"}), Mode::None);
  EXPECT_EQ(mode({"S"}), Mode::None);
  EXPECT_EQ(mode({"x", "/s"}), Mode::None);
}

TEST(SaverStartUp, NeverConfiguredSystemRunsWithTheDefaults) {
  qtApp();
  ScratchHome home;
  std::filesystem::remove_all(home.path() / "Lumora_Studio");
  SaverWindow saver({});
  EXPECT_TRUE(std::filesystem::is_directory(home.path() / "Lumora_Studio"));
  EXPECT_EQ(saver.settings().pictureOrder, PictureOrder::InList);
  EXPECT_EQ(saver.settings().transitionSpeed, 1);
  EXPECT_EQ(saver.settings().captionOrder, PlayOrder::None);
  EXPECT_EQ(saver.settings().mediaOrder, PlayOrder::InList);
  EXPECT_EQ(saver.settings().fittingThreshold, FittingThreshold::Below640x480);
  EXPECT_EQ(saver.settings().tiling, Tiling::Off);
  EXPECT_EQ(saver.slideTimer().interval(), 6000);
  EXPECT_FALSE(saver.slideTimer().isActive());  // no pictures
  EXPECT_FALSE(saver.shutdownTimer().timer().isActive());
  EXPECT_EQ(saver.openingCaption()->text(), QStringLiteral("欢迎使用《Lumora》"));
  EXPECT_TRUE(saver.slideIdle());
  EXPECT_FALSE(saver.stageWindow()->isVisible());
}

TEST(SaverStartUp, PointerIsBlankBeforeTheWindowIsMapped) {
  qtApp();
  ScratchHome home;
  SaverWindow saver({});
  ASSERT_FALSE(saver.isVisible());
  EXPECT_TRUE(saver.testAttribute(Qt::WA_SetCursor));
  EXPECT_EQ(saver.cursor().shape(), Qt::BlankCursor);
  EXPECT_EQ(saver.stageWindow()->cursor().shape(), Qt::BlankCursor);  // inherited
}

TEST(SaverStartUp, OpeningCaptionSizeAndPlace) {
  qtApp();
  ScratchHome home;
  // 22 ANSI bytes: "0123456789012345678901"; stored form doubles it.
  SettingCodes codes;
  codes.openingDisplay = 0;
  codes.openingCaption = "0123456789012345678901";
  home.writeSettings(codes);
  SaverWindow saver({});
  EXPECT_EQ(saver.openingCaption()->text(), QStringLiteral("0123456789012345678901"));
  const int screenW = QGuiApplication::primaryScreen()->geometry().width();
  const int screenH = QGuiApplication::primaryScreen()->geometry().height();
  // Round(W / 22 / 1.2) points at 96 dots per inch.
  const int points = int(std::nearbyint(screenW / 22.0L / 1.2L));
  EXPECT_EQ(saver.openingCaption()->font().pixelSize(), (points * 96 + 36) / 72);
  EXPECT_EQ(saver.openingCaption()->x(), (screenW - saver.openingCaption()->width()) / 2);
  EXPECT_EQ(saver.openingCaption()->y(), screenH / 2 - 10);
}

TEST(SaverStartUp, MissingFilesAreDroppedButTheLastEntryStays) {
  qtApp();
  ScratchHome home;
  const auto real = (home.path() / "real.bmp").string();
  std::ofstream(real) << "x";
  home.writeList("pic.txt", "/nope/a.bmp\r\n" + real + "\r\n/nope/b.bmp\r\n/nope/c.bmp\r\n");
  home.writeList("music.txt", "/nope/a.mp3\r\n/nope/b.mp3\r\n");
  SettingCodes codes;
  codes.pauseSeconds = 3;
  codes.shutdownMinutes = 1;
  home.writeSettings(codes);
  SaverWindow saver({});
  EXPECT_EQ(saver.pictures().items, (std::vector<std::string>{real, "/nope/c.bmp"}));
  EXPECT_EQ(saver.pictures().index, 0);
  EXPECT_EQ(saver.media().items, (std::vector<std::string>{"/nope/b.mp3"}));
  EXPECT_EQ(saver.slideTimer().interval(), 3000);
  EXPECT_TRUE(saver.slideTimer().isActive());
  EXPECT_TRUE(saver.shutdownTimer().timer().isActive());
}

TEST(SaverStartUp, PauseOfZeroStartsTheNextStepAsSoonAsOneEnds) {
  qtApp();
  ScratchHome home;
  // A 2 x 1 24-bit bitmap.
  const std::string bmp(
      "BM\x3e\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0"
      "\0\0\0\0\x08\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\xff\0\0\0\xff\0\0\0",
      62);
  const auto picture = (home.path() / "p.bmp").string();
  std::ofstream(picture, std::ios::binary) << bmp;
  home.writeList("pic.txt", picture + "\r\n");
  SettingCodes codes;
  codes.pauseSeconds = 0;
  home.writeSettings(codes);
  SaverServices services;
  services.forcedEffect = 4;  // a short transition
  SaverWindow saver(services);
  EXPECT_EQ(saver.slideTimer().interval(), 0);
  int steps = 0;
  QObject::connect(&saver.slideTimer(), &QTimer::timeout, [&] { ++steps; });
  QElapsedTimer clock;
  clock.start();
  while (steps < 3 && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_GE(steps, 3);  // the show goes on, one step after another
  // The last step may still wait for its picture; it ends when the worker's
  // result comes.
  EXPECT_TRUE(testing::eventsUntil([&] { return saver.slideIdle(); }));
}

TEST(SaverStartUp, RandomMediaOrderCanStartAnywhere) {
  qtApp();
  ScratchHome home;
  SettingCodes codes;
  codes.mediaOrder = 2;
  codes.captionOrder = 2;
  home.writeSettings(codes);
  std::string media;
  for (int i = 0; i < 2; ++i) media += "/nope/" + std::to_string(i) + ".mp3\r\n";
  home.writeList("music.txt", media);
  home.writeList("label.txt", "a\r\nb\r\nc\r\n");
  bool sawLast = false;
  for (int run = 0; run < 40 && !sawLast; ++run) {
    SaverWindow saver({});
    ASSERT_GE(saver.media().index, 0);
    ASSERT_LT(saver.media().index, saver.media().count());
    ASSERT_GE(saver.captions().index, 0);
    ASSERT_LT(saver.captions().index, 3);
    sawLast = saver.media().index == saver.media().count() - 1;
    QThread::msleep(3);  // another time of day, another seed
  }
  EXPECT_TRUE(sawLast);
}

// The show asks for no password itself: with the password on it runs as
// the lock's module, and the lock asks (tests/lock). A close ends it.
TEST(CloseQuery, AKeyEndsTheShowWhateverTheRegistrySays) {
  qtApp();
  ScratchHome home;
  home.writeRegistry(std::string(kRegHead) + "\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n" +
                     "\"ScreenSaveUsePassword\"=dword:00000001\r\n\"mima\"=\"aAbAcA\"\r\n");
  SaverWindow saver({});
  int endings = 0;
  QObject::connect(&saver, &SaverWindow::showEnded, [&] { ++endings; });
  saver.close();
  EXPECT_TRUE(saver.ended());
  EXPECT_EQ(endings, 1);
}

TEST(ShutdownTimer, ComesAfterWholeMinutesAndWaitsWhileTheLocksPromptIsUp) {
  qtApp();
  ScratchHome home;
  SettingCodes codes;
  codes.shutdownMinutes = 30;
  home.writeSettings(codes);
  QDateTime now(QDate(2026, 12, 7), QTime(23, 50, 59));
  CountingPowerOff power;
  SaverServices services;
  services.now = [&] { return now; };
  services.powerOff = &power;
  SaverWindow saver(services);
  EXPECT_TRUE(saver.shutdownTimer().timer().isActive());
  now = QDateTime(QDate(2026, 12, 8), QTime(0, 19, 59));
  saver.shutdownTimer().check();
  EXPECT_EQ(power.calls, 0);
  EXPECT_TRUE(saver.shutdownTimer().timer().isActive());
  now = QDateTime(QDate(2026, 12, 8), QTime(0, 20, 0));
  saver.holdForLockPrompt(true);  // the lock is asking: not now
  saver.shutdownTimer().check();
  EXPECT_EQ(power.calls, 0);
  saver.holdForLockPrompt(false);
  saver.shutdownTimer().check();
  EXPECT_EQ(power.calls, 1);
  EXPECT_FALSE(saver.slideTimer().isActive());
  EXPECT_FALSE(saver.shutdownTimer().timer().isActive());
}

TEST(SaverStartUp, TheWindowReadsTheRegistryFileOnceOrTakesWhatTheStartRead) {
  qtApp();
  ScratchHome home;
  SettingCodes codes;
  codes.pauseSeconds = 9;
  home.writeSettings(codes);
  int reads = 0;
  SaverServices services;
  services.readRegistry = [&](const std::filesystem::path& path) {
    ++reads;
    return RegistryFile::load(path);
  };
  {
    SaverWindow saver(services);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(saver.slideTimer().interval(), 9000);
  }
  // Read before the window (the program's start): the window reads nothing.
  reads = 0;
  services.start = ShowStart{};
  services.start->settings.pauseSeconds = 4;
  SaverWindow saver(services);
  EXPECT_EQ(reads, 0);
  EXPECT_EQ(saver.slideTimer().interval(), 4000);
}

TEST(WholeMinutes, SecondsAreIgnored) {
  EXPECT_EQ(wholeMinutesBetween(QDateTime(QDate(2026, 1, 1), QTime(10, 0, 59)),
                                QDateTime(QDate(2026, 1, 1), QTime(10, 1, 0))),
            1);
  EXPECT_EQ(wholeMinutesBetween(QDateTime(QDate(2026, 1, 1), QTime(23, 50, 0)),
                                QDateTime(QDate(2026, 1, 2), QTime(0, 20, 0))),
            30);
}

}  // namespace
}  // namespace lumora
