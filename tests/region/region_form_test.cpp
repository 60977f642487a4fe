#include "region/region_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include "saver/qt_app.h"

namespace lumora {
namespace {

// A form that paints itself green and counts the mouse presses it gets.
class GreenForm : public QWidget {
 public:
  GreenForm() : QWidget(nullptr, Qt::Window) { resize(120, 80); }
  int presses = 0;

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::green); }
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};

void sendMouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButton button) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

class RegionFormTest : public ::testing::Test {
 protected:
  QApplication& app = testing::qtApp();  // before any widget
  GreenForm form;
  ShapedWindowLayer* region = new ShapedWindowLayer(&form);
};

TEST_F(RegionFormTest, DefaultsCoverTheFormWhichNeverErasesItsBackground) {
  EXPECT_TRUE(region->draggable());
  EXPECT_TRUE(region->showTitle());
  EXPECT_FALSE(region->showBevel());
  EXPECT_EQ(region->titleHeight(), 17);
  EXPECT_FALSE(region->region());
  EXPECT_EQ(region->geometry(), form.rect());
  EXPECT_TRUE(form.testAttribute(Qt::WA_NoSystemBackground));
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
  form.show();
  form.resize(200, 150);
  QApplication::processEvents();
  EXPECT_EQ(region->geometry(), QRect(0, 0, 200, 150));
}

TEST_F(RegionFormTest, WithoutPictureOrShapeThePaintedFormShowsThrough) {
  const QImage shot = form.grab().toImage();
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::green));
  EXPECT_EQ(shot.pixelColor(60, 8), QColor(Qt::green)) << "no title band without a shape";
}

TEST_F(RegionFormTest, PictureTurnsTitleAndBevelOffAndIsDrawnAtTheOrigin) {
  region->setShowBevel(true);
  QImage picture(10, 10, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  region->setPicture(picture);
  EXPECT_FALSE(region->showTitle());
  EXPECT_FALSE(region->showBevel());
  const QImage shot = form.grab().toImage();
  EXPECT_EQ(shot.pixelColor(3, 3), QColor(Qt::blue));
  EXPECT_EQ(shot.pixelColor(50, 50), QColor(Qt::green));
}

TEST_F(RegionFormTest, MaskWithoutBlackChangesNothing) {
  QImage mask(30, 20, QImage::Format_RGB32);
  mask.fill(Qt::white);
  region->setMask(mask);
  EXPECT_EQ(form.size(), QSize(120, 80));
  EXPECT_TRUE(form.mask().isEmpty());
  EXPECT_FALSE(region->region());
}

TEST_F(RegionFormTest, MaskShapesTheFormAndSizesItAndTheTitleBandIsPainted) {
  // A black disc-ish shape: a 40 x 30 mask, black but for the first row's
  // first 10 pixels.
  QImage mask(40, 30, QImage::Format_RGB32);
  mask.fill(Qt::black);
  for (int x = 0; x < 10; ++x) mask.setPixelColor(x, 0, Qt::white);
  region->setMask(mask);
  EXPECT_EQ(form.size(), QSize(40, 30));
  ASSERT_TRUE(region->region());
  EXPECT_EQ(region->region()->rects.size(), 30u);
  EXPECT_FALSE(form.mask().contains(QPoint(5, 0)));
  EXPECT_TRUE(form.mask().contains(QPoint(15, 0)));
  EXPECT_TRUE(form.mask().contains(QPoint(5, 1)));

  const QImage shot = form.grab().toImage();
  const QColor title = region->palette().color(
      QGuiApplication::applicationState() == Qt::ApplicationActive ? QPalette::Active : QPalette::Inactive,
      QPalette::Highlight);
  const QColor face = region->palette().color(QPalette::Active, QPalette::Button);
  EXPECT_EQ(shot.pixelColor(20, 8), title) << "inside the title band";
  EXPECT_EQ(shot.pixelColor(20, 22), face) << "the body below it";
  EXPECT_EQ(shot.pixelColor(20, 29), QColor(Qt::black)) << "the shape's frame";

  region->setShowTitle(false);
  EXPECT_EQ(form.grab().toImage().pixelColor(20, 8), face);
}

TEST_F(RegionFormTest, RegionPropertyAppliesAndWritesBack) {
  RegionData data;
  data.bounds = {0, 0, 120, 80};
  data.rects = {{0, 0, 60, 40}, {60, 40, 120, 80}};
  const std::vector<std::uint8_t> stream = writeRegionProperty(data);
  region->readRegionProperty(stream);
  EXPECT_TRUE(form.mask().contains(QPoint(10, 10)));
  EXPECT_FALSE(form.mask().contains(QPoint(100, 10)));
  EXPECT_EQ(region->writeRegionProperty(), stream);

  region->readRegionProperty(std::vector<std::uint8_t>{0, 0, 0, 0});
  EXPECT_FALSE(region->region());
  EXPECT_TRUE(form.mask().isEmpty());
  EXPECT_EQ(region->writeRegionProperty(), (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST_F(RegionFormTest, ClicksAndDoubleClicksGoToTheHandlersOtherButtonsToTheForm) {
  int clicks = 0, doubles = 0;
  QObject::connect(region, &ShapedWindowLayer::clicked, [&] { ++clicks; });
  QObject::connect(region, &ShapedWindowLayer::doubleClicked, [&] { ++doubles; });
  sendMouse(region, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
  EXPECT_EQ(clicks, 0) << "a click is a press and a release";
  sendMouse(region, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  sendMouse(region, QEvent::MouseButtonDblClick, {10, 10}, Qt::LeftButton);
  sendMouse(region, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(clicks, 1) << "the release after a double click is no further click";
  EXPECT_EQ(form.presses, 0);
  sendMouse(region, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
  EXPECT_EQ(form.presses, 1);
}

TEST_F(RegionFormTest, DraggingMovesTheFormByThePointerTravel) {
  form.move(100, 100);
  const QPoint start = form.pos();
  sendMouse(region, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
  sendMouse(region, QEvent::MouseMove, {30, 25}, Qt::LeftButton);
  EXPECT_EQ(form.pos(), start + QPoint(20, 15));
  sendMouse(region, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton);
  sendMouse(region, QEvent::MouseMove, {50, 50}, Qt::NoButton);
  EXPECT_EQ(form.pos(), start + QPoint(20, 15)) << "the drag ended with the release";

  region->setDraggable(false);
  sendMouse(region, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
  sendMouse(region, QEvent::MouseMove, {30, 25}, Qt::LeftButton);
  EXPECT_EQ(form.pos(), start + QPoint(20, 15));
}

}  // namespace
}  // namespace lumora
