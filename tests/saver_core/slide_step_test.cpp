#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <fstream>
#include <unistd.h>

#include "saver/core/slide_step.h"

namespace lumora {
namespace {

// Records what the step asks of the windows around it.
class FakeHost : public SlideHost, public EffectHost {
 public:
  FakeHost(int w, int h) : stage_(w, h, kBlack), w_(w), h_(h) {}

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
  void reportError(const std::string& message) override {
    errors.push_back(message);
    idleWhenReported = idleProbe ? *idleProbe : false;
  }
  void paintCaption(const std::string& caption) override {
    captions.push_back(caption);
    setSlideTimer(true);  // the painter re-arms the timer at its end
  }
  void stageChanged() override {}
  void pump() override { ++pumps; }

  Bitmap stage_;
  int w_, h_;
  int cursorHides = 0, stageShown = 0, pumps = 0;
  bool openingHidden = false, timerOn = false, idleWhenReported = true;
  const bool* idleProbe = nullptr;
  std::vector<bool> timerCalls;
  std::vector<std::string> errors, captions;
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
  SlideStep step{state, host};
  Show() {
    state.pictures = &pictures;
    state.captions = &captions;
    state.random = &random;
    pictures.index = 0;
    captions.index = 0;
    step.setForcedEffect(0);  // ends with the whole picture
  }
  Pixel middle() const { return host.stage_.at(32, 24); }
};

TEST(SlideStep, ListOrderShowsEntriesInTurnAndCaptionsAlike) {
  Pictures files;
  Show show;
  show.pictures.items = {files.solid("a.bmp", 8, 8, rgb(255, 0, 0)), files.solid("b.bmp", 8, 8, rgb(0, 255, 0)),
                         files.solid("c.bmp", 8, 8, rgb(0, 0, 255))};
  show.captions.items = {"one", "two"};
  show.state.wzbh = 1;
  std::vector<Pixel> seen;
  for (int i = 0; i < 4; ++i) {
    show.step.run();
    seen.push_back(show.middle());
    EXPECT_TRUE(show.state.slideIdle);
    EXPECT_TRUE(show.host.timerOn);
  }
  EXPECT_EQ(seen, (std::vector<Pixel>{rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(255, 0, 0)}));
  EXPECT_EQ(show.host.captions, (std::vector<std::string>{"one", "two", "one", "two"}));
  EXPECT_EQ(show.host.cursorHides, 4);
  EXPECT_EQ(show.host.stageShown, 4);
  EXPECT_TRUE(show.host.openingHidden);
  // Timer1 goes off at the start of each step and on at its end.
  EXPECT_EQ(show.host.timerCalls.front(), false);
}

TEST(SlideStep, RandomOrderReachesEveryEntry) {
  Pictures files;
  Show show;
  const Pixel colours[] = {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255)};
  for (int i = 0; i < 3; ++i) show.pictures.items.push_back(files.solid(std::to_string(i) + ".bmp", 8, 8, colours[i]));
  show.state.tpbh = 1;
  std::set<Pixel> seen;
  for (int i = 0; i < 30; ++i) {
    show.step.run();
    seen.insert(show.middle());
  }
  EXPECT_EQ(seen.size(), 3u);
}

TEST(SlideStep, EmptyCaptionListTurnsCaptionsOff) {
  Pictures files;
  Show show;
  show.pictures.items = {files.solid("a.bmp", 8, 8, rgb(9, 9, 9))};
  show.state.wzbh = 1;
  show.step.run();
  EXPECT_EQ(show.state.wzbh, 0);
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
  show.step.run();
  ASSERT_EQ(show.host.errors.size(), 1u);
  EXPECT_FALSE(show.host.idleWhenReported);  // reported while the step still runs
  EXPECT_TRUE(show.state.slideIdle);
  EXPECT_TRUE(show.host.timerOn);
  show.step.run();
  ASSERT_EQ(show.host.errors.size(), 2u);
  EXPECT_EQ(show.host.errors[1], "Not a valid GIF file.");
  show.step.run();
  EXPECT_EQ(show.middle(), rgb(0, 255, 0));
  EXPECT_EQ(show.host.errors.size(), 2u);
}

TEST(SlideStep, UnknownExtensionNamesTheExtension) {
  Show show;
  show.pictures.items = {"/nowhere/picture.XYZ"};
  show.step.run();
  ASSERT_EQ(show.host.errors.size(), 1u);
  EXPECT_EQ(show.host.errors[0], "Unknown picture file extension (.XYZ)");
}

TEST(SlideStep, ComposesCentredSmallPicturesOverBlack) {
  Pictures files;
  Show show;
  show.pictures.items = {files.solid("small.bmp", 10, 6, rgb(200, 100, 50))};
  show.step.run();
  // Centred at its own size: columns 27..36, rows 21..26.
  EXPECT_EQ(show.host.stage_.at(27, 21), rgb(200, 100, 50));
  EXPECT_EQ(show.host.stage_.at(36, 26), rgb(200, 100, 50));
  EXPECT_EQ(show.host.stage_.at(26, 21), kBlack);
  EXPECT_EQ(show.host.stage_.at(37, 26), kBlack);
}

}  // namespace
}  // namespace lumora
