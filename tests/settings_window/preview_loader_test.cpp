// The settings window's preview loader: only the newest request is answered,
// a result that comes back after a newer request is dropped, and requests
// that wait while the worker is busy are replaced rather than queued.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "settings_window/preview_loader.h"
#include "tests/settings_window/window_fixture.h"

namespace lumora {
namespace {

// A decoder that records the paths it is given and holds a path named
// "slow..." until released; each picture's width is the path's length, so
// the result tells which request it answers.
struct GatedDecoder {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> decoded;
  bool entered = false, released = false;

  PreviewResult operator()(const std::string& path) {
    std::unique_lock lock(mutex);
    decoded.push_back(path);
    if (path.rfind("slow", 0) == 0) {
      entered = true;
      changed.notify_all();
      changed.wait(lock, [this] { return released; });
    }
    if (path == "broken") return {QImage(), 0, 0, "Not a valid GIF file."};
    return {QImage(4, 2, QImage::Format_RGB32), int(path.size()), 7, {}};
  }
  void waitEntered() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return entered; });
  }
  void release() {
    std::lock_guard lock(mutex);
    released = true;
    changed.notify_all();
  }
  std::vector<std::string> paths() {
    std::lock_guard lock(mutex);
    return decoded;
  }
};

struct LoaderFixture {
  LoaderFixture() : loader([this](const std::string& p) { return gate(p); }) {}
  GatedDecoder gate;
  PreviewLoader loader;
  QSignalSpy ready{&loader, &PreviewLoader::pictureReady};
  QSignalSpy failed{&loader, &PreviewLoader::pictureFailed};
};

TEST(PreviewLoader, AResultOvertakenByANewerRequestIsDropped) {
  testing::qtApp();
  LoaderFixture f;
  f.loader.request("slow-first");
  f.gate.waitEntered();
  f.loader.request("second");  // made while the first is decoding
  f.gate.release();
  ASSERT_TRUE(testing::waitUntil([&] { return f.ready.size() >= 1; }));
  // Results are queued in the order they are made: a stale one would have
  // come first.
  ASSERT_EQ(f.ready.size(), 1);
  EXPECT_EQ(f.ready[0][1].toInt(), int(std::string("second").size()));
  EXPECT_EQ(f.ready[0][2].toInt(), 7);
  EXPECT_EQ(f.ready[0][0].value<QImage>().size(), QSize(4, 2));
  EXPECT_EQ(f.gate.paths(), (std::vector<std::string>{"slow-first", "second"}));
}

TEST(PreviewLoader, RequestsWaitingBehindABusyWorkerAreReplacedByTheNewest) {
  testing::qtApp();
  LoaderFixture f;
  f.loader.request("slow");
  f.gate.waitEntered();
  for (const char* path : {"b", "cc", "ddd", "broken", "eeeee"}) f.loader.request(path);
  f.gate.release();
  ASSERT_TRUE(testing::waitUntil([&] { return f.ready.size() >= 1; }));
  // Only the last request is decoded after the busy one, and only it answers.
  EXPECT_EQ(f.gate.paths(), (std::vector<std::string>{"slow", "eeeee"}));
  ASSERT_EQ(f.ready.size(), 1);
  EXPECT_EQ(f.ready[0][1].toInt(), 5);
  EXPECT_EQ(f.failed.size(), 0);
}

TEST(PreviewLoader, TheNewestRequestsFailureIsReportedOnce) {
  testing::qtApp();
  LoaderFixture f;
  f.loader.request("broken");
  ASSERT_TRUE(testing::waitUntil([&] { return f.failed.size() >= 1; }));
  f.loader.request("ok");
  ASSERT_TRUE(testing::waitUntil([&] { return f.ready.size() >= 1; }));
  ASSERT_EQ(f.failed.size(), 1);
  EXPECT_EQ(f.failed[0][0].toString(), "Not a valid GIF file.");
}

TEST(PreviewLoader, DestroyedWhileDecodingSendsNothingAndJoins) {
  testing::qtApp();
  GatedDecoder gate;
  int answers = 0;
  {
    PreviewLoader loader([&](const std::string& p) { return gate(p); });
    QObject::connect(&loader, &PreviewLoader::pictureReady, [&] { ++answers; });
    loader.request("slow");
    gate.waitEntered();
    gate.release();  // the worker finishes while the loader is being destroyed
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(answers, 0);
}

}  // namespace
}  // namespace lumora
