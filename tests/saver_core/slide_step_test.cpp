#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <fstream>
#include <unistd.h>

#include "saver/core/slide_step.h"
#include "saver/core/test_patterns.h"
#include "saver/core/transition_run.h"

#include "tests/saver_core/big_jpeg.h"

namespace lumora {
namespace {

// What the worker posts to the show's thread, held until the test runs it
// (the test's thread stands for the show's).
class PostedTasks {
 public:
  void push(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    arrived_.notify_all();
  }
  // Waits (at most 10 s) for something posted, then runs all that is there;
  // how many ran.
  int deliver() {
    std::vector<std::function<void()>> tasks;
    {
      std::unique_lock lock(mutex_);
      arrived_.wait_for(lock, std::chrono::seconds(10), [this] { return !tasks_.empty(); });
      tasks.swap(tasks_);
    }
    for (auto& task : tasks) task();
    return int(tasks.size());
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::function<void()>> tasks_;
};

// Records what the step asks of the windows around it.
class FakeHost : public SlideHost, public EffectHost {
 public:
  FakeHost(int w, int h) : stage_(w, h, kBlack), w_(w), h_(h) {}

  void post(std::function<void()> task) override { posted->push(std::move(task)); }
  void hideCursor() override { ++cursorHides; }
  void hideOpening() override { openingHidden = true; }
  void setSlideTimer(bool on) override {
    timerOn = on;
    timerCalls.push_back(on);
  }
  void screenSize(int& w, int& h) override {
    w = w_;
    h = h_;
  }
  void showStage() override { ++stageShown; }
  Bitmap& stage() override { return stage_; }
  EffectHost* effectHost() override { return this; }
  void reportPictureError(const std::string& path, const std::string& message) override {
    errorPaths.push_back(path);
    errors.push_back(message);
    idleWhenReported = idleProbe ? *idleProbe : false;
  }
  void paintCaption(const std::string& caption) override {
    captions.push_back(caption);
    setSlideTimer(true);  // the painter re-arms the timer at its end
  }
  void stageChanged() override {}
  void transitionStarting(const EffectCounts& counts, int) override { started.push_back(counts); }
  void pump() override {
    ++pumps;
    if (onPump) onPump();
  }

  std::shared_ptr<PostedTasks> posted = std::make_shared<PostedTasks>();
  Bitmap stage_;
  int w_, h_;
  int cursorHides = 0, stageShown = 0, pumps = 0;
  bool openingHidden = false, timerOn = false, idleWhenReported = true;
  const bool* idleProbe = nullptr;
  std::vector<bool> timerCalls;
  std::vector<std::string> errors, errorPaths, captions;
  std::function<void()> onPump;
  std::vector<EffectCounts> started;  // the counts each paced transition was announced with
};

// Solid 24-bit bitmaps written as .bmp files into a scratch folder.
class Pictures {
 public:
  Pictures() {
    dir_ = std::filesystem::temp_directory_path() / ("lumora-slide-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  ~Pictures() { std::filesystem::remove_all(dir_); }

  std::string solid(const std::string& name, int w, int h, Pixel colour) {
    const int stride = (w * 3 + 3) / 4 * 4;
    std::string data(std::size_t(stride) * h, '\0');
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        data[std::size_t(y) * stride + 3 * x] = char(blueOf(colour));
        data[std::size_t(y) * stride + 3 * x + 1] = char(greenOf(colour));
        data[std::size_t(y) * stride + 3 * x + 2] = char(redOf(colour));
      }
    auto le32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto le16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    const std::string file = "BM" + le32(54 + std::uint32_t(data.size())) + le32(0) + le32(54) + le32(40) +
                             le32(std::uint32_t(w)) + le32(std::uint32_t(h)) + le16(1) + le16(24) + le32(0) +
                             le32(std::uint32_t(data.size())) + le32(2835) + le32(2835) + le32(0) + le32(0) + data;
    const auto path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << file;
    return path;
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

struct Show {
  IndexedList pictures, captions;
  Random random{7};
  SlideState state;
  FakeHost host{64, 48};
  SlideStep step;
  explicit Show(FramePreparer::Maker maker = prepareFrame) : step(state, host, std::move(maker)) {
    state.pictures = &pictures;
    state.captions = &captions;
    state.random = &random;
    pictures.index = 0;
    captions.index = 0;
    step.setForcedEffect(0);  // ends with the whole picture
  }
  Pixel middle() const { return host.stage_.at(32, 24); }
  // One whole step: run, and when it waits for the worker, what the worker
  // posts is delivered until the step is over.
  void runStep() {
    step.run();
    while (step.waiting()) ASSERT_GT(host.posted->deliver(), 0) << "the worker posted nothing";
  }
};

TEST(SlideStep, ListOrderShowsEntriesInTurnAndCaptionsAlike) {
  Pictures files;
  Show show;
  show.pictures.items = {files.solid("a.bmp", 8, 8, rgb(255, 0, 0)), files.solid("b.bmp", 8, 8, rgb(0, 255, 0)),
                         files.solid("c.bmp", 8, 8, rgb(0, 0, 255))};
  show.captions.items = {"one", "two"};
  show.state.settings.captionOrder = PlayOrder::InList;
  std::vector<Pixel> seen;
  for (int i = 0; i < 4; ++i) {
    show.runStep();
    seen.push_back(show.middle());
    EXPECT_TRUE(show.state.slideIdle);
    EXPECT_TRUE(show.host.timerOn);
  }
  EXPECT_EQ(seen, (std::vector<Pixel>{rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(255, 0, 0)}));
  EXPECT_EQ(show.host.captions, (std::vector<std::string>{"one", "two", "one", "two"}));
  EXPECT_EQ(show.host.cursorHides, 4);
  EXPECT_EQ(show.host.stageShown, 4);
  EXPECT_TRUE(show.host.openingHidden);
  // The slide timer goes off at the start of each step and on at its end.
  EXPECT_EQ(show.host.timerCalls.front(), false);
}

TEST(SlideStep, RandomOrderReachesEveryEntry) {
  Pictures files;
  Show show;
  const Pixel colours[] = {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255)};
  for (int i = 0; i < 3; ++i) show.pictures.items.push_back(files.solid(std::to_string(i) + ".bmp", 8, 8, colours[i]));
  show.state.settings.pictureOrder = PictureOrder::Random;
  std::set<Pixel> seen;
  for (int i = 0; i < 30; ++i) {
    show.runStep();
    seen.insert(show.middle());
  }
  EXPECT_EQ(seen.size(), 3u);
}

TEST(SlideStep, EmptyCaptionListTurnsCaptionsOff) {
  Pictures files;
  Show show;
  show.pictures.items = {files.solid("a.bmp", 8, 8, rgb(9, 9, 9))};
  show.state.settings.captionOrder = PlayOrder::InList;
  show.runStep();
  EXPECT_EQ(show.state.settings.captionOrder, PlayOrder::None);
  EXPECT_TRUE(show.host.captions.empty());
  EXPECT_TRUE(show.host.timerOn);
}

TEST(SlideStep, UnreadablePictureIsReportedAndTheShowGoesOn) {
  Pictures files;
  Show show;
  show.host.idleProbe = &show.state.slideIdle;
  show.pictures.items = {files.path("missing.bmp"), files.solid("b.bmp", 8, 8, rgb(0, 255, 0))};
  std::ofstream(files.path("bad.gif")) << "not a gif";
  show.pictures.items.insert(show.pictures.items.begin() + 1, files.path("bad.gif"));
  show.runStep();
  ASSERT_EQ(show.host.errors.size(), 1u);
  EXPECT_FALSE(show.host.idleWhenReported);  // reported while the step still runs
  EXPECT_TRUE(show.state.slideIdle);
  EXPECT_TRUE(show.host.timerOn);
  show.runStep();
  ASSERT_EQ(show.host.errors.size(), 2u);
  EXPECT_EQ(show.host.errors[1], "Not a valid GIF file.");
  show.runStep();
  EXPECT_EQ(show.middle(), rgb(0, 255, 0));
  EXPECT_EQ(show.host.errors.size(), 2u);
}

TEST(SlideStep, UnknownExtensionNamesTheExtension) {
  Show show;
  show.pictures.items = {"/nowhere/picture.XYZ"};
  show.runStep();
  ASSERT_EQ(show.host.errors.size(), 1u);
  EXPECT_EQ(show.host.errors[0], "Unknown picture file extension (.XYZ)");
}

TEST(SlideStep, ComposesCentredSmallPicturesOverBlack) {
  Pictures files;
  Show show;
  show.pictures.items = {files.solid("small.bmp", 10, 6, rgb(200, 100, 50))};
  show.runStep();
  // Centred at its own size: columns 27..36, rows 21..26.
  EXPECT_EQ(show.host.stage_.at(27, 21), rgb(200, 100, 50));
  EXPECT_EQ(show.host.stage_.at(36, 26), rgb(200, 100, 50));
  EXPECT_EQ(show.host.stage_.at(26, 21), kBlack);
  EXPECT_EQ(show.host.stage_.at(37, 26), kBlack);
}

// The draws of a step keep their order (transition, caption); only the choice
// of the next picture moves to the end of the step before it.
TEST(SlideStep, NextPictureIsChosenAtTheEndOfTheStepBefore) {
  Pictures files;
  Show show;
  const Pixel colours[] = {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255)};
  for (int i = 0; i < 3; ++i) show.pictures.items.push_back(files.solid(std::to_string(i) + ".bmp", 8, 8, colours[i]));
  show.captions.items = {"a", "b", "c", "d", "e"};
  show.state.settings.pictureOrder = PictureOrder::Random;
  show.state.settings.captionOrder = PlayOrder::Random;
  Random mirror(7);
  std::vector<Pixel> expectedPictures;
  std::vector<std::string> expectedCaptions;
  int next = mirror.next(3);  // the first step chooses its own picture
  for (int i = 0; i < 8; ++i) {
    expectedPictures.push_back(colours[next]);
    expectedCaptions.push_back(show.captions.items[std::size_t(mirror.next(5))]);
    next = mirror.next(3);  // chosen after the caption, for the step after
  }
  std::vector<Pixel> seen;
  for (int i = 0; i < 8; ++i) {
    show.runStep();
    seen.push_back(show.middle());
  }
  EXPECT_EQ(seen, expectedPictures);
  EXPECT_EQ(show.host.captions, expectedCaptions);
  EXPECT_EQ(show.random.seed(), mirror.seed());
}

// Records the jobs it is given and makes plain frames of one colour.
struct RecordingMaker {
  struct Log {
    std::mutex mutex;
    std::vector<FrameJob> jobs;
  };
  std::shared_ptr<Log> log = std::make_shared<Log>();
  FramePreparer::Maker maker() {
    return [log = log](const FrameJob& job, std::stop_token) {
      {
        std::lock_guard lock(log->mutex);
        log->jobs.push_back(job);
      }
      PreparedFrame out;
      out.job = job;
      out.frame = Bitmap(job.screenW, job.screenH, rgb(1, 2, 3));
      return out;
    };
  }
  // The jobs made so far (those the step has taken are all there).
  std::vector<FrameJob> jobs() {
    std::lock_guard lock(log->mutex);
    return log->jobs;
  }
};

TEST(SlideStep, PreparesTheNextPictureDuringThePauseAndAgainWhenTheScreenChanged) {
  RecordingMaker recorder;
  Show show(recorder.maker());
  show.pictures.items = {"/p/0.bmp", "/p/1.bmp", "/p/2.bmp"};
  show.state.settings.fittingThreshold = FittingThreshold::Below1024x768;
  show.state.settings.tiling = Tiling::UpTo300;
  show.step.prepareNext();  // before the first step, as the saver does
  show.runStep();
  // The step ended by starting the picture after it; the next step takes it.
  show.runStep();
  std::vector<FrameJob> jobs = recorder.jobs();
  ASSERT_GE(jobs.size(), 2u);
  EXPECT_EQ(jobs[0].path, "/p/0.bmp");
  EXPECT_EQ(jobs[1].path, "/p/1.bmp");
  EXPECT_EQ(jobs[1].screenW, 64);
  EXPECT_EQ(jobs[1].screenH, 48);
  EXPECT_EQ(jobs[1].fittingThreshold, FittingThreshold::Below1024x768);
  EXPECT_EQ(jobs[1].tiling, Tiling::UpTo300);
  EXPECT_EQ(show.host.stage_.at(5, 5), rgb(1, 2, 3));

  // The screen grows before the prepared picture is used: it is prepared
  // again, for the new size, and the transition gets that size.
  show.host.w_ = 80;
  show.host.h_ = 60;
  show.host.stage_ = Bitmap(80, 60, kBlack);
  show.runStep();
  jobs = recorder.jobs();
  ASSERT_GE(jobs.size(), 4u);
  EXPECT_EQ(jobs[2].path, "/p/2.bmp");
  EXPECT_EQ(jobs[2].screenW, 64);
  EXPECT_EQ(jobs[3].path, "/p/2.bmp");
  EXPECT_EQ(jobs[3].screenW, 80);
  EXPECT_EQ(jobs[3].screenH, 60);
  EXPECT_EQ(show.host.stage_.at(79, 59), rgb(1, 2, 3));
}

// A maker that holds its picture until released, like a very large file.
struct HeldMaker {
  std::shared_ptr<std::atomic<bool>> release = std::make_shared<std::atomic<bool>>(false);
  FramePreparer::Maker maker() {
    return [release = release](const FrameJob& job, std::stop_token stop) {
      while (!*release && !stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      PreparedFrame out;
      out.job = job;
      out.frame = Bitmap(job.screenW, job.screenH, rgb(4, 5, 6));
      return out;
    };
  }
};

TEST(SlideStep, LeavesTheShowsThreadWhileThePictureIsStillBeingPreparedAndGoesOnWhenPosted) {
  HeldMaker held;
  Show show(held.maker());
  show.pictures.items = {"/p/big.jpg"};
  show.step.run();
  // Back at once: nothing shown, nothing pumped, the step not over.
  EXPECT_TRUE(show.step.waiting());
  EXPECT_FALSE(show.state.slideIdle);
  EXPECT_FALSE(show.host.timerOn);
  EXPECT_EQ(show.host.stageShown, 0);
  EXPECT_EQ(show.host.pumps, 0);
  *held.release = true;
  ASSERT_EQ(show.host.posted->deliver(), 1);
  EXPECT_FALSE(show.step.waiting());
  EXPECT_EQ(show.host.stageShown, 1);
  EXPECT_EQ(show.middle(), rgb(4, 5, 6));
  EXPECT_TRUE(show.state.slideIdle);
  EXPECT_TRUE(show.host.timerOn);
}

// The picture prepared during the pause is taken at once; the worker's
// posted word about it, arriving after, changes nothing.
TEST(SlideStep, APreparedPictureIsShownAtOnceAndItsPostedWordIsIgnored) {
  RecordingMaker recorder;
  Show show(recorder.maker());
  show.pictures.items = {"/p/0.bmp", "/p/1.bmp"};
  show.step.prepareNext();
  ASSERT_TRUE(show.step.waitNextReady(std::chrono::seconds(10)));
  show.step.run();
  EXPECT_FALSE(show.step.waiting());
  EXPECT_EQ(show.host.stageShown, 1);
  EXPECT_EQ(show.middle(), rgb(1, 2, 3));
  // The word for the first picture, and the one for the picture after it
  // (prepared meanwhile): neither starts a step.
  int delivered = 0;
  while (delivered < 2) {
    const int n = show.host.posted->deliver();
    ASSERT_GT(n, 0);
    delivered += n;
  }
  EXPECT_EQ(delivered, 2);
  EXPECT_EQ(show.host.stageShown, 1);
  EXPECT_EQ(recorder.jobs().size(), 2u);
  show.runStep();  // and the next step takes its picture as usual
  EXPECT_EQ(show.host.stageShown, 2);
}

TEST(SlideStep, EndingTheShowWhileWaitingLeavesTheStepAndStopsTheWorker) {
  HeldMaker held;  // never released: only the stop request ends its job
  auto show = std::make_unique<Show>(held.maker());
  const std::shared_ptr<PostedTasks> posted = show->host.posted;
  show->pictures.items = {"/p/big.jpg", "/p/other.jpg"};
  show->step.run();
  ASSERT_TRUE(show->step.waiting());
  show->step.cancel();  // a granted close
  EXPECT_FALSE(show->step.waiting());
  EXPECT_FALSE(show->host.timerOn);
  EXPECT_EQ(show->host.stageShown, 0);
  show->step.run();  // no step starts in an ending show
  EXPECT_EQ(show->host.cursorHides, 1);
  show.reset();  // joins the worker: no hang
  // What the stopped worker posted reaches no step that is gone.
  EXPECT_EQ(posted->deliver(), 1);
}

TEST(SlideStep, AVeryLargePictureComesUpWhenTheWorkerPostsIt) {
  // A 12000 x 8000 JPEG, decoded and fitted for the screen on the worker.
  Pictures files;
  const std::string path = files.path("big.jpg");
  ASSERT_TRUE(testing::writeBigJpeg(path));
  Show show;
  show.host.w_ = 1920;
  show.host.h_ = 1080;
  show.host.stage_ = Bitmap(1920, 1080, kBlack);
  show.pictures.items = {path};
  int pumpsWhileWaiting = -1;
  show.host.onPump = [&] {
    if (pumpsWhileWaiting < 0) pumpsWhileWaiting = show.host.pumps - 1;
  };
  show.step.prepareNext();
  show.runStep();                   // the step comes while the picture is still being read
  EXPECT_EQ(pumpsWhileWaiting, 0);  // no polling: the first pump is the transition's
  EXPECT_NE(show.host.stage_.at(960, 540), kBlack);
}

TEST(SlideStep, AStepThatFiresWhileOneRunsIsDropped) {
  // A refused close re-arms the slide timer while a step waits for its
  // picture or runs its transition; when it fires then, no second step may
  // start.
  HeldMaker held;
  Show show(held.maker());
  show.pictures.items = {"/p/a.jpg", "/p/b.jpg"};
  show.step.run();
  ASSERT_TRUE(show.step.waiting());
  show.host.setSlideTimer(true);  // the refused close
  show.step.run();                // the slide timer fires while the step waits
  EXPECT_FALSE(show.host.timerOn);
  int nested = 0;
  show.host.onPump = [&] {
    if (show.host.pumps == 2) {
      show.host.setSlideTimer(true);
      ++nested;
      show.step.run();  // and inside a pump of the transition
      EXPECT_FALSE(show.host.timerOn);
    }
  };
  *held.release = true;
  while (show.step.waiting()) ASSERT_GT(show.host.posted->deliver(), 0);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(show.host.stageShown, 1);
  EXPECT_EQ(show.host.cursorHides, 1);
  EXPECT_TRUE(show.host.timerOn);
  EXPECT_EQ(show.middle(), rgb(4, 5, 6));
  show.host.onPump = nullptr;
  show.runStep();  // the next step runs as usual
  EXPECT_EQ(show.host.stageShown, 2);
}

// FNV-1a over a bitmap's bytes.
std::uint64_t stagePrint(const Bitmap& b) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::size_t i = 0; i < b.bytesPerLine() * std::size_t(b.height()); ++i)
    h = (h ^ b.bytes()[i]) * 1099511628211ull;
  return h;
}

// Every transition starts with white scratch bitmaps, though the step keeps
// them from one transition to the next: the second of two steps draws, pump
// by pump, what the same transition draws with new white ones.
TEST(SlideStep, KeptScratchBitmapsAreWhiteForEveryTransition) {
  constexpr int W = 48, H = 36;
  const auto maker = [](const FrameJob& job, std::stop_token) {
    PreparedFrame out;
    out.job = job;
    out.frame = job.path == "old" ? oldTestPattern(job.screenW, job.screenH) : newTestPattern(job.screenW, job.screenH);
    return out;
  };
  for (int n = 0; n < kEffectCount; ++n) {
    Show show(maker);
    show.host.w_ = W;
    show.host.h_ = H;
    show.host.stage_ = Bitmap(W, H, kBlack);
    show.step.setForcedEffect(n);
    show.pictures.items = {"new", "old"};
    show.runStep();  // the first transition draws into the scratch bitmaps
    const Bitmap before = show.host.stage_;
    Random random = show.random;
    std::vector<std::uint64_t> seen;
    show.host.onPump = [&] { seen.push_back(stagePrint(show.host.stage_)); };
    show.runStep();

    struct Recorder : EffectHost {
      Bitmap* stage = nullptr;
      std::vector<std::uint64_t> prints;
      void stageChanged() override {}
      void pump() override { prints.push_back(stagePrint(*stage)); }
    } expected;
    Bitmap frame = oldTestPattern(W, H), work(W, H, kWhite), spare(W, H, kWhite), stage = before;
    expected.stage = &stage;
    EffectContext ctx({frame, work, spare, stage}, W, H, 1, random, &expected);
    runEffect(n, ctx);
    settleStage(frame, stage, &expected);
    EXPECT_EQ(seen, expected.prints) << "effect " << n;
    EXPECT_EQ(show.host.stage_, stage) << "effect " << n;
  }
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

// The dry run of a paced step is made on the worker during the pause, from a
// copy of the generator as the step ended; the step uses it only when it
// finds the generator, the effect, the size and the speed as counted.
TEST(SlideStep, PacedTransitionIsCountedAheadForTheGeneratorAsTheStepFindsIt) {
  struct Case {
    const char* what;
    bool drawBetween;  // something else draws from the generator during the pause
    bool ahead;        // the counts come from the worker
  } cases[] = {{"generator untouched", false, true}, {"generator moved on", true, false}};
  for (const Case& c : cases) {
    // A maker that marks its counts, so the test sees which count was used.
    std::mutex mutex;
    std::vector<FrameJob> jobs;
    Show show([&](const FrameJob& job, std::stop_token) {
      PreparedFrame out;
      out.job = job;
      out.frame = Bitmap(job.screenW, job.screenH, rgb(1, 2, 3));
      if (job.plan) {
        out.transition = countPlannedTransition(*job.plan, out.frame);
        out.transition->counts.pumps += 1000000;
      }
      std::lock_guard lock(mutex);
      jobs.push_back(job);
      return out;
    });
    show.step.setForcedEffect(-1);
    show.state.settings.shortestTransitionMs = 1000;
    show.pictures.items = {"/p/0.bmp", "/p/1.bmp"};
    show.step.prepareNext();
    ASSERT_TRUE(show.step.waitNextReady(std::chrono::seconds(10)));
    const std::uint32_t seedAtPrepare = show.random.seed();
    if (c.drawBetween) show.random.next(5);
    // What the step will do, from a copy of the generator as it stands.
    Random expected = show.random;
    const int n = expected.next(kEffectCount);
    Bitmap f(64, 48, kWhite), w(64, 48, kWhite), sp(64, 48, kWhite), st(64, 48, kWhite);
    const EffectCounts real = countEffect(n, {f, w, sp, st}, 64, 48, 1, expected);
    show.step.run();
    ASSERT_EQ(show.host.started.size(), 1u) << c.what;
    EXPECT_EQ(show.host.started[0].pumps, real.pumps + (c.ahead ? 1000000 : 0)) << c.what;
    EXPECT_EQ(show.host.started[0].stageOps, real.stageOps) << c.what;
    std::lock_guard lock(mutex);
    ASSERT_FALSE(jobs.empty());
    ASSERT_TRUE(jobs[0].plan.has_value());
    EXPECT_EQ(jobs[0].plan->seed, seedAtPrepare) << c.what;
  }
}

// Counted ahead or at the step, the counts are the same: the effect is the
// one the generator's copy draws, the dry run goes on from there.
TEST(SlideStep, CountingAheadGivesTheStepsOwnCounts) {
  for (std::uint32_t seed : {0u, 7u, 123456789u, 0xFFFFFFFFu}) {
    for (int forced : {-1, 0, 56, 121}) {
      Bitmap frame(160, 120, kBlack);
      const CountedTransition ahead = countPlannedTransition({seed, forced, 2}, frame);
      Random random(seed);
      const int n = forced >= 0 ? forced : random.next(kEffectCount);
      Bitmap f(160, 120, kBlack), w(160, 120, kWhite), sp(160, 120, kWhite), st(160, 120, kBlack);
      const EffectCounts counts = countEffect(n, {f, w, sp, st}, 160, 120, 2, random);
      EXPECT_EQ(ahead.effect, n) << seed << " " << forced;
      EXPECT_EQ(ahead.seed, seed);
      EXPECT_EQ(ahead.counts.pumps, counts.pumps) << seed << " " << forced;
      EXPECT_EQ(ahead.counts.stageOps, counts.stageOps) << seed << " " << forced;
      EXPECT_EQ(frame.at(5, 5), kBlack);  // a dry run draws nothing
    }
  }
}

}  // namespace
}  // namespace lumora
