// The media playlist with fake players on a clock moved by hand: what plays
// when, and what it does to the slideshow, the stage and the lyric timer.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "saver/core/media_playlist.h"

namespace lumora {
namespace {

struct Clock {
  std::int64_t ms = 0;
};

class FakeAudio : public AudioPlayerControl {
 public:
  explicit FakeAudio(Clock& clock) : clock_(clock) {}
  void setSource(const std::string& path) override { source_ = path; }
  std::string source() const override { return "file://" + source_; }
  void play() override {
    if (failing.count(source_)) throw MediaDeviceError("cannot play " + source_);
    playing_ = source_;
    started_ = clock_.ms;
    played.push_back(source_);
  }
  void stop() override {
    playing_.clear();
    ++stops;
  }
  std::int64_t position() const override { return playing_.empty() ? 0 : std::min(clock_.ms - started_, length()); }
  std::int64_t length() const override {
    if (playing_.empty()) return 0;
    auto it = lengths.find(playing_);
    return it == lengths.end() ? 3000 : it->second;
  }

  std::map<std::string, std::int64_t> lengths;
  std::set<std::string> failing;
  std::vector<std::string> played;
  int stops = 0;

 private:
  Clock& clock_;
  std::string source_, playing_;
  std::int64_t started_ = 0;
};

// A movie of `frames` frames at 10 frames a second that loops.
class FakeFlash : public FlashPlayerControl {
 public:
  explicit FakeFlash(Clock& clock) : clock_(clock) {}
  void setMovie(const std::string& path) override {
    if (path.find("bad") != std::string::npos) throw MediaDeviceError("not a movie");
    movie = path;
    started_ = clock_.ms;
    movies.push_back(path);
  }
  void prepare() override { ++prepared; }
  void play() override { playing_ = true; }
  void stop() override { playing_ = false; }
  int frameNum() const override {
    if (movie.empty()) return 0;
    if (frozen >= 0) return frozen;
    return int((clock_.ms - started_) / 100 % frames);
  }
  int totalFrames() const override { return frames; }
  void setMovieVisible(bool v) override { visible = v; }
  bool failed() const override { return failing && movie.find("crash") != std::string::npos; }
  bool ended() const override { return over; }

  bool failing = false;  // movies named "crash" fail once started
  bool over = false;     // the player says the movie is over
  int frames = 20;
  int prepared = 0;  // prepare() calls
  int frozen = -1;   // >= 0: the frame number stays here
  bool visible = false;
  std::string movie;
  std::vector<std::string> movies;

 private:
  Clock& clock_;
  bool playing_ = false;
  std::int64_t started_ = 0;
};

class FakeHost : public MediaHost {
 public:
  void setSlideTimer(bool on) override { slideTimer = on; }
  void setMediaTimer(bool on) override { mediaTimer = on; }
  void setLyricTimer(bool on) override { lyricTimer = on; }
  void hideStage() override { stageVisible = false; }
  void hideCursor() override { --cursor; }
  void showCursor() override { ++cursor; }
  int readLyrics() override {
    ++lyricReads;
    return lyricsFound;
  }
  bool slideTimer = true, mediaTimer = true, lyricTimer = false, stageVisible = true;
  int cursor = 0, lyricReads = 0, lyricsFound = 0;
};

struct Show {
  explicit Show(std::vector<std::string> entries, PlayOrder order = PlayOrder::InList, bool lyricsOn = true)
      : audio(clock), flash(clock), playlist({order, lyricsOn}, media, slide, random, audio, flash, host) {
    media.items = std::move(entries);
    media.index = 0;
    pictures.items = {"a.bmp"};
    pictures.index = 0;
    slide.pictures = &pictures;
  }
  // Runs the media timer for `ms`, one tick every 100 ms, as long as it is on.
  void run(std::int64_t ms) {
    for (std::int64_t t = 0; t < ms && host.mediaTimer; t += 100) {
      clock.ms += 100;
      playlist.tick();
    }
  }
  Clock clock;
  IndexedList media, pictures;
  SlideState slide;
  Random random{12345};
  FakeAudio audio;
  FakeFlash flash;
  FakeHost host;
  MediaPlaylist playlist;
};

TEST(MediaPlaylist, OneSongInListOrderPlaysAgainAndAgain) {
  Show s({"/m/one.mp3"});
  s.audio.lengths["/m/one.mp3"] = 3000;
  s.playlist.start();
  EXPECT_EQ(s.media.index, 0);
  s.run(10000);
  // Each round ends with under a second left: about every 2.1 s.
  ASSERT_GE(s.audio.played.size(), 4u);
  for (const auto& p : s.audio.played) EXPECT_EQ(p, "/m/one.mp3");
  EXPECT_TRUE(s.host.mediaTimer);
  EXPECT_FALSE(s.flash.visible);
}

TEST(MediaPlaylist, SongMovieSongInListOrder) {
  Show s({"/m/a.mp3", "/m/film.swf", "/m/b.mp3"});
  s.audio.lengths["/m/a.mp3"] = 2000;
  s.audio.lengths["/m/b.mp3"] = 2000;
  s.flash.frames = 20;  // 2 s
  s.playlist.start();
  EXPECT_EQ(s.audio.played, std::vector<std::string>{"/m/a.mp3"});
  EXPECT_EQ(s.media.index, 1);
  EXPECT_EQ(s.playlist.currentExt(), ".mp3");

  // The first song ends at 1.1 s: the movie takes the screen.
  s.run(1100);
  EXPECT_EQ(s.playlist.currentExt(), ".swf");
  EXPECT_EQ(s.flash.movies, std::vector<std::string>{"/m/film.swf"});
  EXPECT_TRUE(s.flash.visible);
  EXPECT_FALSE(s.host.slideTimer);
  EXPECT_FALSE(s.host.stageVisible);

  // While it plays, every tick keeps the slideshow paused and the stage
  // hidden, even when a slide step that was running re-arms the slide timer.
  for (int i = 0; i < 15; ++i) {
    s.host.slideTimer = true;
    s.host.stageVisible = true;
    s.run(100);
    EXPECT_FALSE(s.host.slideTimer);
    EXPECT_FALSE(s.host.stageVisible);
    EXPECT_EQ(s.playlist.currentExt(), ".swf");
  }

  // It loops back to frame 0 after 2 s: the second song starts and the
  // slideshow resumes.
  s.run(600);
  EXPECT_EQ(s.playlist.currentExt(), ".mp3");
  EXPECT_EQ(s.audio.played.back(), "/m/b.mp3");
  EXPECT_FALSE(s.flash.visible);
  EXPECT_TRUE(s.host.slideTimer);

  // Then the first song again.
  s.run(1200);
  EXPECT_EQ(s.audio.played.back(), "/m/a.mp3");
  EXPECT_EQ(s.media.index, 1);
}

// The player starts while the song before a movie plays, when list order
// tells that a movie is next; never otherwise.
struct Ahead {
  const char* name;
  std::vector<std::string> entries;
  PlayOrder order;
  std::int64_t runMs;  // after start()
  int prepared;
};

class MovieAhead : public testing::TestWithParam<Ahead> {};

TEST_P(MovieAhead, StartsThePlayerOnlyWhenAMovieIsNext) {
  const Ahead& a = GetParam();
  Show s(a.entries, a.order);
  for (const std::string& e : a.entries) s.audio.lengths[e] = 2000;
  s.flash.frames = 20;  // 2 s
  s.playlist.start();
  s.run(a.runMs);
  EXPECT_EQ(s.flash.prepared, a.prepared);
}

INSTANTIATE_TEST_SUITE_P(
    MediaPlaylist, MovieAhead,
    testing::Values(Ahead{"SongThenMovie", {"/m/a.mp3", "/m/film.swf"}, PlayOrder::InList, 0, 1},
                    Ahead{"SongsOnly", {"/m/a.mp3", "/m/b.mp3"}, PlayOrder::InList, 5000, 0},
                    Ahead{"MovieFirst", {"/m/film.swf", "/m/a.mp3"}, PlayOrder::InList, 0, 0},
                    // Song b follows song a, and the movie follows b.
                    Ahead{"SongAfterSong", {"/m/a.mp3", "/m/b.mp3", "/m/film.swf"}, PlayOrder::InList, 1100, 1},
                    // The movie ends at 2 s, the song after it has the first movie next.
                    Ahead{"SongAfterMovie", {"/m/film.swf", "/m/a.mp3"}, PlayOrder::InList, 2500, 1},
                    Ahead{"RandomOrder", {"/m/a.mp3", "/m/film.swf"}, PlayOrder::Random, 0, 0}),
    [](const testing::TestParamInfo<Ahead>& i) { return std::string(i.param.name); });

TEST(MediaPlaylist, ASongEndsWhenLessThanASecondIsLeft) {
  Show s({"/m/a.mp3", "/m/b.mp3"});
  s.audio.lengths["/m/a.mp3"] = 5000;
  s.playlist.start();
  s.clock.ms = 4000;  // exactly 1000 ms left: still playing
  s.playlist.tick();
  EXPECT_EQ(s.audio.played.size(), 1u);
  s.clock.ms = 4001;
  s.playlist.tick();
  ASSERT_EQ(s.audio.played.size(), 2u);
  EXPECT_EQ(s.audio.played[1], "/m/b.mp3");
}

TEST(MediaPlaylist, AClipOfUnknownLengthNeverEnds) {
  Show s({"/m/a.mp3", "/m/b.mp3"});
  s.audio.lengths["/m/a.mp3"] = 0;
  s.playlist.start();
  s.run(20000);
  EXPECT_EQ(s.audio.played.size(), 1u);
}

TEST(MediaPlaylist, UpperCaseSwfIsAMovie) {
  Show s({"/m/FILM.SWF", "/m/a.mp3"});
  s.playlist.start();
  EXPECT_EQ(s.playlist.currentExt(), ".swf");
  EXPECT_EQ(s.flash.movies, std::vector<std::string>{"/m/FILM.SWF"});
  EXPECT_TRUE(s.audio.played.empty());
  EXPECT_EQ(mediaExtension("/a.b/NAME"), "");
  EXPECT_EQ(mediaExtension("/a/Song.Mp3"), ".mp3");
}

TEST(MediaPlaylist, ADeviceErrorStopsTheMediaAndTheShowGoesOn) {
  {  // at the first start
    Show s({"/m/broken.mp3", "/m/a.mp3"});
    s.audio.failing.insert("/m/broken.mp3");
    s.playlist.start();
    EXPECT_FALSE(s.host.mediaTimer);
    EXPECT_TRUE(s.host.slideTimer);
  }
  {  // at the next song
    Show s({"/m/a.mp3", "/m/broken.mp3"});
    s.audio.lengths["/m/a.mp3"] = 1500;
    s.audio.failing.insert("/m/broken.mp3");
    s.host.lyricsFound = 1;
    s.playlist.start();
    EXPECT_TRUE(s.host.lyricTimer);
    s.run(5000);
    EXPECT_FALSE(s.host.mediaTimer);
    EXPECT_FALSE(s.host.lyricTimer);
    EXPECT_TRUE(s.host.slideTimer);
    EXPECT_EQ(s.audio.played.size(), 1u);
  }
  {  // a file that is no movie gives the screen back to the slideshow
    Show s({"/m/a.mp3", "/m/bad.swf"});
    s.audio.lengths["/m/a.mp3"] = 1500;
    s.playlist.start();
    s.run(5000);
    EXPECT_FALSE(s.host.mediaTimer);
    EXPECT_FALSE(s.flash.visible);
    EXPECT_TRUE(s.host.slideTimer);
  }
}

TEST(MediaPlaylist, SlideIdleGuardsTheSlideshowTimer) {
  Show s({"/m/a.mp3", "/m/b.mp3"});
  s.audio.lengths["/m/a.mp3"] = 1500;
  s.playlist.start();
  s.host.slideTimer = false;  // a slide step is running
  s.slide.slideIdle = false;
  s.run(600);
  EXPECT_EQ(s.audio.played.back(), "/m/b.mp3");
  EXPECT_FALSE(s.host.slideTimer);

  // Without pictures the slideshow never starts either.
  Show t({"/m/a.mp3", "/m/b.mp3"});
  t.pictures.items.clear();
  t.audio.lengths["/m/a.mp3"] = 1500;
  t.playlist.start();
  t.host.slideTimer = false;
  t.run(600);
  EXPECT_EQ(t.audio.played.back(), "/m/b.mp3");
  EXPECT_FALSE(t.host.slideTimer);
}

TEST(MediaPlaylist, LyricsAreReadOnlyWhenSwitchedOn) {
  Show on({"/m/a.mp3"}, PlayOrder::InList, true);
  on.host.lyricsFound = 1;
  on.playlist.start();
  EXPECT_EQ(on.host.lyricReads, 1);
  EXPECT_TRUE(on.host.lyricTimer);

  Show off({"/m/a.mp3"}, PlayOrder::InList, false);
  off.host.lyricsFound = 1;
  off.playlist.start();
  off.run(5000);
  EXPECT_EQ(off.host.lyricReads, 0);
  EXPECT_FALSE(off.host.lyricTimer);

  Show none({"/m/a.mp3"}, PlayOrder::InList, true);
  none.playlist.start();
  EXPECT_EQ(none.host.lyricReads, 1);
  EXPECT_FALSE(none.host.lyricTimer);
}

TEST(MediaPlaylist, RandomOrderReachesEveryEntry) {
  for (int count : {2, 3, 5}) {
    std::vector<std::string> entries;
    for (int i = 0; i < count; ++i) entries.push_back("/m/s" + std::to_string(i) + ".mp3");
    Show s(entries, PlayOrder::Random);
    for (const auto& e : entries) s.audio.lengths[e] = 1100;
    s.playlist.start();
    s.run(200 * 1000);
    std::set<std::string> seen(s.audio.played.begin(), s.audio.played.end());
    EXPECT_EQ(seen.size(), std::size_t(count)) << count << " entries";
    EXPECT_TRUE(seen.count(entries.back()));
  }
}

TEST(MediaPlaylist, AMovieThatStopsEndsOnlyPastItsMiddle) {
  Show s({"/m/film.swf", "/m/a.mp3"});
  s.flash.frames = 40;
  s.playlist.start();
  s.run(500);
  s.flash.frozen = 5;  // stuck in its first half: still playing
  s.run(10000);
  EXPECT_EQ(s.playlist.currentExt(), ".swf");
  EXPECT_TRUE(s.audio.played.empty());

  s.flash.frozen = 30;  // past the middle, and then no more growth
  s.run(100);
  EXPECT_EQ(s.playlist.currentExt(), ".swf");
  s.run(100);
  EXPECT_EQ(s.playlist.currentExt(), ".mp3");
  EXPECT_EQ(s.audio.played, std::vector<std::string>{"/m/a.mp3"});
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

// A player that crashes or never shows the movie: the show goes on with the
// next entry, at the next tick, and the media keep playing.
TEST(MediaPlaylist, AFailedMovieMovesOnToTheNextEntry) {
  Show s({"/m/crash.swf", "/m/a.mp3", "/m/crash2.swf", "/m/good.swf"});
  s.audio.lengths["/m/a.mp3"] = 1500;
  s.flash.failing = true;
  s.playlist.start();
  EXPECT_TRUE(s.flash.visible);
  EXPECT_FALSE(s.host.slideTimer);
  s.run(100);
  EXPECT_EQ(s.audio.played, std::vector<std::string>{"/m/a.mp3"});
  EXPECT_FALSE(s.flash.visible);
  EXPECT_TRUE(s.host.slideTimer);  // the slideshow resumes with the song
  EXPECT_TRUE(s.host.mediaTimer);
  s.run(1000);  // the song ends; the second crash is skipped as well
  ASSERT_EQ(s.flash.movies.size(), 3u);
  EXPECT_EQ(s.flash.movies[1], "/m/crash2.swf");
  s.run(100);
  EXPECT_EQ(s.flash.movies.back(), "/m/good.swf");
  EXPECT_TRUE(s.flash.visible);
  EXPECT_TRUE(s.host.mediaTimer);
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

// A movie stuck in its first half (one frame, or cut short) holds the screen
// only until the player says it is over; then the slides come back.
TEST(MediaPlaylist, AMovieThePlayerCallsOverGivesTheSlidesBack) {
  Show s({"/m/one-frame.swf", "/m/a.mp3"});
  s.flash.frames = 1;
  s.flash.frozen = 0;
  s.playlist.start();
  s.run(2000);
  EXPECT_EQ(s.playlist.currentExt(), ".swf");
  EXPECT_FALSE(s.host.slideTimer);
  s.flash.over = true;
  s.run(100);
  EXPECT_EQ(s.playlist.currentExt(), ".mp3");
  EXPECT_FALSE(s.flash.visible);
  EXPECT_TRUE(s.host.slideTimer);
}

}  // namespace
}  // namespace lumora
