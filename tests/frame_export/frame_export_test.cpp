// The show's frames on their way to the lock: through a sealed memory file
// and damage messages on a packet channel, read back by the lock's receiver;
// flushes faster than the display's refresh are gathered.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdlib>

#include "frame_export/frame_sink.h"
#include "lock/wayland/frame_receiver.h"

namespace lumora {
namespace {

QCoreApplication& app() {
  static int argc = 1;
  static char name[] = "frame-export-tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication a(argc, argv);
  return a;
}

// Everything the lock has been sent so far, taken in; the damaged area.
QRegion drain(const PacketChannel& lock, FrameReceiver& receiver, int ms) {
  QRegion damaged;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    bool closed = false;
    while (auto packet = lock.receive(closed))
      if (auto area = receiver.receive(packet->text, std::move(packet->fd))) damaged += *area;
  }
  return damaged;
}

TEST(FrameExport, WindowPixelsReachTheLockWhereTheyWereDrawnOnlyThere) {
  app();
  auto [show, lock] = PacketChannel::pair();
  FrameSink sink(show);
  FrameReceiver receiver;
  sink.resize(QSize(64, 48));
  EXPECT_EQ(drain(lock, receiver, 30), QRegion(0, 0, 64, 48));
  ASSERT_EQ(receiver.image().size(), QSize(64, 48));

  QImage window(32, 16, QImage::Format_RGB32);
  window.fill(Qt::red);
  sink.flushed(&window, QPoint(8, 4), QRect(0, 0, 32, 16));
  EXPECT_EQ(drain(lock, receiver, 40), QRegion(8, 4, 32, 16));
  EXPECT_EQ(receiver.image().pixel(8, 4), QColor(Qt::red).rgb());
  EXPECT_EQ(receiver.image().pixel(39, 19), QColor(Qt::red).rgb());
  EXPECT_EQ(receiver.image().pixel(7, 4), QColor(Qt::black).rgb());
  EXPECT_EQ(receiver.image().pixel(40, 20), QColor(Qt::black).rgb());

  // A flushed area past the window's edge is black, not the window's.
  sink.flushed(&window, QPoint(40, 40), QRect(0, 0, 32, 16));
  EXPECT_EQ(drain(lock, receiver, 40), QRegion(40, 40, 24, 8));
  EXPECT_EQ(receiver.image().pixel(63, 47), QColor(Qt::red).rgb());
}

TEST(FrameExport, FlushesFasterThanTheRefreshAreGathered) {
  app();
  auto [show, lock] = PacketChannel::pair();
  FrameSink sink(show);
  FrameReceiver receiver;
  sink.resize(QSize(100, 10));
  drain(lock, receiver, 30);
  const int before = sink.framesSent();
  QImage window(100, 10, QImage::Format_RGB32);
  window.fill(Qt::blue);
  for (int x = 0; x < 100; x += 10) sink.flushed(&window, QPoint(), QRect(x, 0, 10, 10));
  EXPECT_EQ(drain(lock, receiver, 60), QRegion(0, 0, 100, 10));
  EXPECT_LE(sink.framesSent() - before, 2);
  EXPECT_EQ(receiver.image().pixel(95, 5), QColor(Qt::blue).rgb());
}

}  // namespace
}  // namespace lumora
