#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QKeyEvent>
#include <fstream>

#include "saver/ui/picture_error_report.h"
#include "saver/ui/saver_window.h"
#include "saver/ui/stage_window.h"
#include "tests/saver/qt_app.h"
#include "tests/saver_core/big_jpeg.h"

namespace lumora {
namespace {

using testing::qtApp;
using testing::ScratchHome;

TEST(SlidePreparation, AKeyEndsTheShowWithin100msWhileAVeryLargePictureIsPrepared) {
  qtApp();
  ScratchHome home;
  const std::string big = (home.path() / "big.jpg").string();
  ASSERT_TRUE(testing::writeBigJpeg(big));
  home.writeList("pic.txt", big + "\r\n");
  SettingCodes codes;
  codes.pauseSeconds = 1;
  home.writeSettings(codes);
  SaverWindow saver({});
  QElapsedTimer clock;
  qint64 sentAt = -1, endedAt = -1;
  QObject::connect(&saver, &SaverWindow::showEnded, [&] { endedAt = clock.elapsed(); });
  saver.show();  // starts preparing the first picture
  clock.start();
  QTimer::singleShot(30, &saver, [&] {
    sentAt = clock.elapsed();
    QCoreApplication::postEvent(&saver, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier));
  });
  // The step comes while the picture is still being read: it leaves the
  // window to its events until the worker's result comes, and the key ends
  // the show meanwhile.
  saver.nextSlide();
  EXPECT_FALSE(saver.slideIdle());
  ASSERT_TRUE(testing::eventsUntil([&] { return endedAt >= 0; }));
  ASSERT_GE(sentAt, 0);
  ASSERT_GE(endedAt, 0);
  EXPECT_LT(endedAt - sentAt, 100);
  EXPECT_TRUE(saver.ended());
  EXPECT_FALSE(saver.stageWindow()->isVisible());  // the transition never started
}

TEST(SlidePreparation, UnreadablePictureIsReportedWithoutWaitingAndTheNextStepIsArmed) {
  qtApp();
  ScratchHome home;
  const auto broken = (home.path() / "broken.gif").string();
  std::ofstream(broken) << "not a gif";
  home.writeList("pic.txt", broken + "\r\n");
  SettingCodes codes;
  codes.pauseSeconds = 30;  // no step while it shows
  home.writeSettings(codes);
  SaverWindow saver({});
  saver.show();
  saver.nextSlide();  // no message box to dismiss
  ASSERT_TRUE(testing::eventsUntil([&] { return saver.slideIdle(); }));
  ASSERT_NE(saver.pictureErrorReport(), nullptr);
  EXPECT_TRUE(saver.pictureErrorReport()->isVisible());
  EXPECT_EQ(saver.pictureErrorReport()->text(), QStringLiteral("Not a valid GIF file."));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(saver.slideTimer().isActive());
  EXPECT_TRUE(saver.slideIdle());
  // It removes itself after a few seconds.
  QElapsedTimer clock;
  clock.start();
  while (saver.pictureErrorReport()->isVisible() && clock.elapsed() < PictureErrorReport::kShownMs + 2000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_FALSE(saver.pictureErrorReport()->isVisible());
  EXPECT_GE(clock.elapsed(), PictureErrorReport::kShownMs - 500);
}

}  // namespace
}  // namespace lumora
