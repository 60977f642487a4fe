// The Flash player as the show drives it: the frame-report actions added to
// movies, the session's reading of the program's reports, and the control
// running a stand-in program over its pipe.
#include <gtest/gtest.h>

#include <algorithm>

#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "players/flash_player.h"
#include "players/flash_session.h"
#include "players/swf_frame_reports.h"
#include "tests/players/swf_bytes.h"
#include "tests/saver/qt_app.h"

namespace lumora {
namespace {

using namespace swf_bytes;

struct WalkedTag {
  int code;
  Bytes data;
};

// The main timeline's tags of an uncompressed movie.
std::vector<WalkedTag> walk(const Bytes& m) {
  std::vector<WalkedTag> tags;
  std::size_t pos = 8 + (5 + 4 * std::size_t(m[8] >> 3) + 7) / 8 + 4;
  while (pos + 2 <= m.size()) {
    const unsigned head = m[pos] | m[pos + 1] << 8;
    pos += 2;
    std::size_t len = head & 0x3F;
    if (len == 0x3F) {
      len = m[pos] | m[pos + 1] << 8 | m[pos + 2] << 16 | std::size_t(m[pos + 3]) << 24;
      pos += 4;
    }
    tags.push_back({int(head >> 6), Bytes(m.begin() + std::ptrdiff_t(pos), m.begin() + std::ptrdiff_t(pos + len))});
    pos += len;
    if (tags.back().code == 0) break;
  }
  return tags;
}

TEST(FrameReports, EveryFrameOfEveryHeaderFormReportsItsNumber) {
  const Bytes b = body(0x1E00, 5, 5, 0x112233);
  for (const Bytes& file : {fws(b), cws(b), zws(b)}) {
    const SwfWithReports r = addFrameReports(file.data(), file.size());
    SCOPED_TRACE(std::string(1, char(file[0])));
    EXPECT_TRUE(r.reportsFrames);
    EXPECT_EQ(r.reports, 5);
    ASSERT_EQ(r.movie[0], 'F');
    EXPECT_EQ(r.movie[3], 10);  // the version stays
    const std::uint32_t length = r.movie[4] | r.movie[5] << 8 | r.movie[6] << 16 | std::uint32_t(r.movie[7]) << 24;
    EXPECT_EQ(length, r.movie.size());
    // Our reader sees the same movie: size, rate, count, colour, frames.
    const SwfMovie m = readSwf(r.movie.data(), r.movie.size());
    EXPECT_EQ(m.frameCount, 5);
    EXPECT_EQ(m.frameRate88, 0x1E00);
    EXPECT_EQ(m.frameSize.xMax, 11000);
    EXPECT_EQ(m.showFrames, 5);
    EXPECT_FALSE(m.truncated);
    ASSERT_TRUE(m.backgroundColor);
    EXPECT_EQ(*m.backgroundColor, 0x112233u);
    // The original tags in order, each frame's report right before it.
    const auto tags = walk(r.movie);
    ASSERT_EQ(tags.size(), 2u + 2 * 5 + 1);
    EXPECT_EQ(tags[0].code, 9);
    EXPECT_EQ(tags[1].code, 87);
    EXPECT_EQ(tags[1].data, Bytes(70, 0xAB));
    for (int f = 0; f < 5; ++f) {
      const WalkedTag& action = tags[std::size_t(2 + 2 * f)];
      EXPECT_EQ(action.code, 12);
      const Bytes whole = frameReportTag(f);
      EXPECT_EQ(action.data, Bytes(whole.begin() + 2, whole.end()));
      EXPECT_EQ(tags[std::size_t(3 + 2 * f)].code, 1);
    }
    EXPECT_EQ(tags.back().code, 0);
  }
}

TEST(FrameReports, TheActionIsAnFsCommandGetUrl) {
  const Bytes t = frameReportTag(117);
  const std::string url = "FSCommand:lumora_frame";
  // Tag header, GetURL (0x83) with its length, the two strings, ActionEnd.
  ASSERT_EQ(t.size(), 2 + 3 + url.size() + 1 + 4 + 1);
  EXPECT_EQ((t[0] | t[1] << 8) >> 6, 12);
  EXPECT_EQ((t[0] | t[1] << 8) & 0x3F, int(t.size() - 2));
  EXPECT_EQ(t[2], 0x83);
  EXPECT_EQ(t[3] | t[4] << 8, int(url.size() + 1 + 4));
  EXPECT_EQ(std::string(t.begin() + 5, t.begin() + 5 + std::ptrdiff_t(url.size())), url);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&t[5 + url.size() + 1])), "117");
  EXPECT_EQ(t.back(), 0);
}

// The player starts in the colour the first frame sets; a colour set later
// (or none) leaves it to the player, as the movie would.
TEST(FrameReports, TheFirstFramesBackgroundIsTold) {
  const Bytes coloured = fws(body(0x1E00, 2, 2, 0x0A0B0C));
  EXPECT_EQ(addFrameReports(coloured.data(), coloured.size()).background, 0x0A0B0Cu);
  const Bytes plain = fws(body(0x1E00, 2, 2, std::nullopt));
  EXPECT_FALSE(addFrameReports(plain.data(), plain.size()).background);
  Bytes late = body(0x1E00, 2, 1, std::nullopt);
  late.resize(late.size() - 2);  // without its End
  put16(late, 9u << 6 | 3u);     // SetBackgroundColor in the second frame
  late.insert(late.end(), {1, 2, 3});
  put16(late, 1u << 6);
  put16(late, 0);
  const Bytes file = fws(late);
  EXPECT_FALSE(addFrameReports(file.data(), file.size()).background);
}

TEST(FrameReports, ActionScript3MoviesAreLeftAsTheyAre) {
  Bytes b = body(0x1E00, 3, 0, {});
  b.resize(b.size() - 2);   // without its End
  put16(b, 69u << 6 | 4u);  // FileAttributes: ActionScript 3
  put32(b, 0x08);
  for (int i = 0; i < 3; ++i) put16(b, 1u << 6);
  put16(b, 0);
  const Bytes file = cws(b);
  const SwfWithReports r = addFrameReports(file.data(), file.size());
  EXPECT_TRUE(r.actionScript3);
  EXPECT_FALSE(r.reportsFrames);
  EXPECT_EQ(r.reports, 0);
  EXPECT_EQ(Bytes(r.movie.begin() + 8, r.movie.end()), b);
}

TEST(FrameReports, CutAndForeignDataGiveAMovieThatEndsOrAnError) {
  const Bytes good = fws(body(0x0C00, 6, 6, 0x102030));
  for (std::size_t n = 0; n < good.size(); ++n) {
    try {
      const SwfWithReports r = addFrameReports(good.data(), n);
      // Whatever was whole is kept, and the movie still ends with End.
      const auto tags = walk(r.movie);
      ASSERT_FALSE(tags.empty()) << n;
      EXPECT_EQ(tags.back().code, 0) << n;
      EXPECT_EQ(readSwf(r.movie.data(), r.movie.size()).showFrames, r.reports) << n;
    } catch (const SwfError&) {
    }
  }
  const std::string text = "<html>not a movie</html>";
  EXPECT_THROW(addFrameReports(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), SwfError);
}

TEST(FlashSession, FramesComeFromReportsElseFromTheClock) {
  SwfMovie header;
  header.frameCount = 30;
  header.frameRate88 = 10 * 256;
  FlashSession s;
  s.start(header, 1000);
  EXPECT_EQ(s.frameNum(1000), 0);
  s.onLine("frame 25", 1000);  // still the movie before
  s.onLine("shown", 1000);
  EXPECT_EQ(s.frameNum(1000), 0);
  EXPECT_FALSE(s.shown());
  s.onLine("loading", 1000);
  EXPECT_EQ(s.onLine("ready", 1100), FlashSession::Event::None);
  EXPECT_EQ(s.onLine("shown", 2000), FlashSession::Event::Shown);
  EXPECT_EQ(s.frameNum(2500), 0);  // waiting for the first report
  s.onLine("frame 0", 2500);
  s.onLine("frame 7", 3200);
  EXPECT_EQ(s.frameNum(9000), 7);  // a movie that stopped stays where it is
  s.onLine("frame x", 9100);       // garbage changes nothing
  s.onLine("frame -4", 9100);
  EXPECT_EQ(s.frameNum(9100), 7);
  EXPECT_EQ(s.onLine("input key", 9200), FlashSession::Event::Input);
  EXPECT_FALSE(s.failed(99999));

  // No report at all: after the grace time, the clock from the first frame.
  s.start(header, 0);
  s.onLine("loading", 0);
  s.onLine("shown", 500);
  EXPECT_EQ(s.frameNum(500 + FlashSession::kReportGraceMs - 1), 0);
  EXPECT_EQ(s.frameNum(2500), 20);
  EXPECT_EQ(s.frameNum(3500), 0);  // looped
  // ActionScript 3: the clock from the start, paused and resumed.
  s.start(header, 0);
  s.onLine("loading", 0);
  s.onLine("reports 0", 10);
  s.onLine("shown", 100);
  EXPECT_EQ(s.frameNum(600), 5);
  s.pause(600);
  EXPECT_EQ(s.frameNum(5000), 5);
  s.resume(5000);
  EXPECT_EQ(s.frameNum(5200), 7);
  s.stop(5200);
  EXPECT_EQ(s.frameNum(9000), 7);
  s.onExit();
  EXPECT_FALSE(s.failed(9000));  // we ended it: no failure
}

TEST(FlashSession, APlayerThatEndsErrsOrShowsNothingHasFailed) {
  SwfMovie header;
  header.frameCount = 10;
  header.frameRate88 = 256;
  FlashSession s;
  EXPECT_FALSE(s.failed(0));  // nothing started
  s.start(header, 0);
  EXPECT_FALSE(s.failed(FlashSession::kShowTimeoutMs - 1));
  EXPECT_TRUE(s.failed(FlashSession::kShowTimeoutMs));

  s.start(header, 0);
  s.onLine("loading", 0);
  EXPECT_EQ(s.onLine("error Ruffle is missing", 10), FlashSession::Event::Failed);
  EXPECT_TRUE(s.failed(20));
  EXPECT_EQ(s.error(), "Ruffle is missing");

  s.start(header, 0);
  s.onLine("loading", 0);
  s.onLine("shown", 10);
  EXPECT_EQ(s.onLine("error a script error", 20), FlashSession::Event::None);  // playing on
  EXPECT_FALSE(s.failed(FlashSession::kShowTimeoutMs * 2));
  s.onExit();  // a crash while playing
  EXPECT_TRUE(s.failed(30));
  EXPECT_EQ(s.onLine("frame 3", 40), FlashSession::Event::None);
}

// When a movie on screen is over: its last frame reported, its declared
// length passed, or no report for a while; never before it shows.
TEST(FlashSession, AMovieIsOverAtItsLastFrameItsLengthOrSilence) {
  struct Case {
    const char* what;
    int frames;
    bool reports;
    std::vector<std::pair<std::int64_t, int>> reportsAt;  // (ms, frame)
    std::int64_t notOverAt, overAt;                       // -1: never checked
  };
  const std::int64_t silent = FlashSession::kSilentMs, grace = FlashSession::kReportGraceMs;
  const Case cases[] = {
      {"one frame", 1, true, {{100, 0}}, 99, 100},
      {"last of 30 reported", 30, true, {{100, 0}, {200, 28}, {300, 29}}, 299, 300},
      {"stopped on a frame", 30, true, {{100, 0}, {200, 5}}, 200 + silent - 1, 200 + silent},
      {"cut short, nothing reported", 30, true, {}, silent - 1, silent},
      // 30 frames at 10 a second: 3 s, with the grace after it.
      {"declared length, clock only", 30, false, {}, 3000 + grace - 1, 3000 + grace},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SwfMovie header;
    header.frameCount = std::uint16_t(c.frames);
    header.frameRate88 = 10 * 256;
    FlashSession s;
    s.start(header, 0);
    s.onLine("loading", 0);
    if (!c.reports) s.onLine("reports 0", 0);
    EXPECT_FALSE(s.ended(100000));  // not on screen yet
    s.onLine("shown", 0);
    for (auto [ms, frame] : c.reportsAt) {
      if (ms <= c.notOverAt) s.onLine("frame " + std::to_string(frame), ms);
    }
    EXPECT_FALSE(s.ended(c.notOverAt));
    for (auto [ms, frame] : c.reportsAt) {
      if (ms > c.notOverAt) s.onLine("frame " + std::to_string(frame), ms);
    }
    EXPECT_TRUE(s.ended(c.overAt));
    s.stop(c.overAt);
    EXPECT_FALSE(s.ended(c.overAt));  // we ended it ourselves
  }
}

// The control with a stand-in player program.
class FlashPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::qtApp();
    dir_ = std::filesystem::temp_directory_path() / ("lumora-flash-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    const Bytes movie = cws(body(0x0A00, 30, 30, 0x00FF80));
    std::ofstream(path("m.swf"), std::ios::binary)
        .write(reinterpret_cast<const char*>(movie.data()), std::streamsize(movie.size()));
    std::ofstream(path("text.swf")) << "not a movie";
    setenv("LUMORA_FLASH_BIN", LUMORA_SOURCE_DIR "/tests/players/fake_flash.py", 1);
    setenv("FAKE_FLASH_LOG", path("log").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("LUMORA_FLASH_BIN");
    unsetenv("FAKE_FLASH_MODE");
    unsetenv("FAKE_FLASH_LOG");
    unsetenv("FAKE_FLASH_ARGS");
    std::filesystem::remove_all(dir_);
  }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  std::string log(const char* name = "log") const {
    std::ifstream in(path(name));
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Runs the event loop until `done` or 10 s.
  static bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
  }
  static void pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  std::filesystem::path dir_;
};

TEST_F(FlashPlayerTest, PlaysOverThePipeAndStopEndsTheProgram) {
  FlashPlayer flash;
  EXPECT_EQ(flash.totalFrames(), 0);
  flash.setMovie(path("m.swf"));
  EXPECT_EQ(flash.totalFrames(), 30);
  EXPECT_TRUE(flash.running());
  ASSERT_TRUE(waitFor([&] { return flash.frameNum() >= 5; }));
  EXPECT_TRUE(flash.session().shown());
  EXPECT_FALSE(flash.failed());
  // The next movie goes to the same program.
  flash.setMovie(path("m.swf"));
  EXPECT_FALSE(flash.session().shown());
  ASSERT_TRUE(waitFor([&] { return flash.session().shown(); }));
  flash.pause();
  pump(200);  // the last reports come in
  flash.stop();
  EXPECT_FALSE(flash.running());
  const int held = flash.frameNum();
  EXPECT_EQ(flash.frameNum(), held);
  EXPECT_FALSE(flash.failed());
  const std::string load = "load " + path("m.swf") + "\n";
  EXPECT_TRUE(waitFor([&] { return log() == load + load + "pause\nquit\n"; })) << log();

  // Play after stop starts the movie again.
  flash.play();
  EXPECT_TRUE(flash.running());
  ASSERT_TRUE(waitFor([&] { return flash.session().shown(); }));

  // A file that is no movie is the media device error; the movie stays.
  EXPECT_THROW(flash.setMovie(path("text.swf")), MediaDeviceError);
  EXPECT_THROW(flash.setMovie(path("missing.swf")), MediaDeviceError);
  EXPECT_EQ(flash.movie(), path("m.swf"));
}

TEST_F(FlashPlayerTest, ACrashOrAMissingProgramIsAFailure) {
  setenv("FAKE_FLASH_MODE", "crash", 1);
  FlashPlayer flash;
  flash.setMovie(path("m.swf"));
  EXPECT_TRUE(waitFor([&] { return flash.failed(); }));

  setenv("LUMORA_FLASH_BIN", path("no-such-program").c_str(), 1);
  flash.setMovie(path("m.swf"));
  EXPECT_TRUE(flash.failed());
  EXPECT_EQ(flash.totalFrames(), 30);
}

// Started ahead of a movie, the program waits without one, and the movie
// then goes to it: one start of the program in all.
TEST_F(FlashPlayerTest, AProgramStartedAheadTakesTheMovie) {
  setenv("FAKE_FLASH_ARGS", path("args").c_str(), 1);
  FlashPlayer flash;
  flash.prepare();
  EXPECT_TRUE(flash.running());
  flash.prepare();  // already running: nothing more
  pump(200);
  EXPECT_FALSE(flash.failed());
  EXPECT_FALSE(flash.ended());
  EXPECT_EQ(flash.frameNum(), 0);
  flash.setMovie(path("m.swf"));
  ASSERT_TRUE(waitFor([&] { return flash.session().shown(); }));
  flash.stop();
  EXPECT_TRUE(waitFor([&] { return log() == "load " + path("m.swf") + "\nquit\n"; })) << log();
  const std::string args = log("args");
  EXPECT_EQ(std::count(args.begin(), args.end(), '\n'), 1) << args;
}

// Without the program, starting ahead fails nothing (there is no movie);
// the movie itself then fails.
TEST_F(FlashPlayerTest, AMissingProgramStartedAheadFailsTheMovieOnly) {
  setenv("LUMORA_FLASH_BIN", path("no-such-program").c_str(), 1);
  FlashPlayer flash;
  flash.prepare();
  EXPECT_FALSE(flash.running());
  EXPECT_FALSE(flash.failed());
  flash.setMovie(path("m.swf"));
  EXPECT_TRUE(flash.failed());
}

TEST_F(FlashPlayerTest, InputOnTheMovieComesBack) {
  setenv("FAKE_FLASH_MODE", "input", 1);
  FlashPlayer flash;
  int inputs = 0;
  QObject::connect(&flash, &FlashPlayer::inputReceived, [&] { ++inputs; });
  flash.setMovie(path("m.swf"));
  EXPECT_TRUE(waitFor([&] { return inputs == 1; }));
}

// The show's movies under X11 (the program inside our window, which it
// follows) and under Wayland (the program's own full-screen window, told to
// show and hide with the widget).
TEST_F(FlashPlayerTest, AWindowOfItsOwnIsShownAndHiddenWithTheWidget) {
  setenv("FAKE_FLASH_ARGS", path("args").c_str(), 1);
  const struct {
    const char* platform;
    bool overShow;
    const char* firstArg;
    bool told;  // show and hide are told to the program
  } cases[] = {
      {"offscreen", true, "--parent", false},
      {"wayland", true, "--screen", true},
      {"wayland", false, "--size", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + (c.overShow ? " show" : " preview"));
    std::filesystem::remove(path("log"));
    std::filesystem::remove(path("args"));
    QWidget show;
    show.resize(320, 240);
    auto* flash = new FlashPlayer(&show, {}, c.platform);
    flash->setPlaysOverShow(c.overShow);
    flash->setGeometry(show.rect());
    show.show();
    flash->setMovie(path("m.swf"));
    ASSERT_TRUE(waitFor([&] { return flash->session().shown(); }));
    // The program runs on the show's platform.
    std::istringstream args(log("args"));
    std::string platform, first;
    args >> platform >> first;
    EXPECT_EQ(platform, c.platform);
    EXPECT_EQ(first, c.firstArg);
    if (first == "--screen") {
      EXPECT_EQ(log("args"), "wayland --screen " + flash->screen()->name().toStdString() + " --size 320x240\n");
    }
    flash->hide();
    pump(100);
    flash->show();
    pump(100);
    flash->stop();
    const std::string load = "load " + path("m.swf") + "\n";
    const std::string expected = c.told ? load + "hide\nshow\nquit\n" : load + "quit\n";
    EXPECT_TRUE(waitFor([&] { return log() == expected; })) << log();
  }
}

// A key on the player's own full-screen window (Wayland) is the show's
// input: the window goes while the show answers it (a password prompt must
// be seen and typed into) and comes back when the show goes on.
TEST_F(FlashPlayerTest, InputHidesTheWindowAboveTheShowWhileTheShowAnswers) {
  setenv("FAKE_FLASH_MODE", "input", 1);
  const std::string load = "load " + path("m.swf") + "\n";
  const struct {
    const char* platform;
    bool showEnds;  // the answer ends the show (no password)
    std::string whileAnswering;
    std::string after;
  } cases[] = {
      {"wayland", false, load + "hide\n", load + "hide\nshow\n"},
      {"wayland", true, load + "hide\n", load + "hide\nquit\n"},
      {"offscreen", false, load, load},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + (c.showEnds ? " ends" : " goes on"));
    std::filesystem::remove(path("log"));
    QWidget show;
    auto* flash = new FlashPlayer(&show, {}, c.platform);
    flash->setPlaysOverShow(true);
    show.show();
    bool seen = false;
    QObject::connect(flash, &FlashPlayer::inputReceived, [&] {
      // The prompt's event loop runs here.
      seen = waitFor([&] { return log() == c.whileAnswering; });
      if (c.showEnds) flash->stop();
    });
    flash->setMovie(path("m.swf"));
    ASSERT_TRUE(waitFor([&] { return flash->session().shown(); }));
    EXPECT_TRUE(waitFor([&] { return seen; })) << log();
    pump(100);
    EXPECT_EQ(log(), c.after);
    flash->stop();
  }
}

// sway keeps one full-screen window per output: the player's took it from
// the show's, which gets it back when the player's window goes, however it
// goes. A show that was not full screen is left as it is, and so is every
// window under X11.
TEST_F(FlashPlayerTest, TheShowGetsItsFullScreenBackWhenThePlayersWindowGoes) {
  enum class Ending { Stop, Hide, Input };
  const struct {
    const char* platform;
    bool fullScreen;
    Ending ending;
    bool fullScreenAfter;
  } cases[] = {
      {"wayland", true, Ending::Stop, true},    {"wayland", true, Ending::Hide, true},
      {"wayland", true, Ending::Input, true},   {"wayland", false, Ending::Stop, false},
      {"offscreen", true, Ending::Stop, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + (c.fullScreen ? " full" : " window") + " " + std::to_string(int(c.ending)));
    setenv("FAKE_FLASH_MODE", c.ending == Ending::Input ? "input" : "play", 1);
    QWidget show;
    auto* flash = new FlashPlayer(&show, {}, c.platform);
    flash->setPlaysOverShow(true);
    if (c.fullScreen)
      show.showFullScreen();
    else
      show.show();
    bool taken = false;
    QObject::connect(flash, &FlashPlayer::inputReceived, [&] { taken = show.isFullScreen(); });
    flash->setMovie(path("m.swf"));
    // The compositor takes the show's full screen for the player's window.
    show.setWindowState(Qt::WindowNoState);
    ASSERT_TRUE(waitFor([&] { return flash->session().shown(); }));
    switch (c.ending) {
      case Ending::Stop:
        flash->stop();
        break;
      case Ending::Hide:
        flash->hide();
        break;
      case Ending::Input:
        ASSERT_TRUE(waitFor([&] { return taken; }));  // back before the show answers
        break;
    }
    EXPECT_EQ(show.isFullScreen(), c.fullScreenAfter);
    flash->stop();
  }
}

}  // namespace
}  // namespace lumora
