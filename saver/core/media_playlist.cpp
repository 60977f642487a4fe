#include "saver/core/media_playlist.h"

#include "platform/core/ansi.h"

namespace lumora {

namespace {
constexpr const char* kMovieExt = ".swf";
constexpr int kEndMarginMs = 1000;  // a song with less left than this has ended
// A list entry (ANSI bytes) as the players take it: a file-system path.
std::string playerPath(const std::string& entry) { return pathFromAnsi(entry).string(); }

}  // namespace

std::string mediaExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return ext;
}

// NextEntry: list order moves the current index on (wrapping); random order
// draws among all entries.
int MediaPlaylist::nextEntry() {
  const int i = settings_.order == PlayOrder::InList ? media_.takeInOrder() : random_.next(media_.count());
  currentExt_ = media_.valid(i) ? mediaExtension(media_.items[std::size_t(i)]) : std::string();
  return i;
}

void MediaPlaylist::start() {
  if (media_.empty()) return;
  // A media order that chose no entry at start-up starts with the first.
  const int i = media_.valid(media_.index) ? media_.index : 0;
  media_.index = media_.count() == 1 ? 0 : 1;
  const std::string path = playerPath(media_.items[std::size_t(i)]);
  currentExt_ = mediaExtension(media_.items[std::size_t(i)]);
  if (currentExt_ != kMovieExt) {
    host_.hideCursor();
    flash_.setMovieVisible(false);
    try {
      audio_.setSource(path);
      if (settings_.lyricsOn && host_.readLyrics() == 1) host_.setLyricTimer(true);
      audio_.play();
      prepareNextMovie();
    } catch (const MediaDeviceError&) {
      host_.setMediaTimer(false);
    }
  } else {
    startMovie(path);
    lastFrame_ = -100;
  }
}

void MediaPlaylist::tick() {
  if (currentExt_ != kMovieExt) {
    const std::int64_t len = audio_.length();
    if (len == 0) return;
    const std::int64_t pos = audio_.position();
    if (len - pos >= kEndMarginMs) return;
    host_.setLyricTimer(false);
    const int i = nextEntry();
    if (!media_.valid(i)) return;
    const std::string path = playerPath(media_.items[std::size_t(i)]);
    if (currentExt_ != kMovieExt) {
      startSongAfterSong(path);
    } else {
      startMovie(path);
      lastFrame_ = flash_.frameNum();
    }
    return;
  }

  const int f = flash_.frameNum();
  host_.showCursor();
  // A player that could not play the movie ends it: the show goes on with
  // the next entry.
  const bool failed = flash_.failed();
  // The player's own end (last frame shown, declared length passed, no frame
  // for a while) also ends it: else a one-frame or truncated movie, whose
  // frame number never passes the middle and falls back, would keep the
  // screen for good.
  if (!failed && !flash_.ended() && (f > lastFrame_ || flash_.totalFrames() / 2 >= lastFrame_)) {
    // Still playing.
    lastFrame_ = f;
    host_.setSlideTimer(false);
    host_.hideStage();
    return;
  }
  // The frame number stopped growing past the middle, or the player says
  // the movie is over.
  if (failed) flash_.setMovieVisible(false);
  const int i = nextEntry();
  host_.setLyricTimer(false);
  if (!media_.valid(i)) return;
  const std::string path = playerPath(media_.items[std::size_t(i)]);
  if (currentExt_ == kMovieExt) {
    startMovie(path);
    lastFrame_ = -100;
  } else {
    startSongAfterMovie(path);
  }
}

void MediaPlaylist::startSongAfterSong(const std::string& path) {
  try {
    host_.hideCursor();
    flash_.setMovieVisible(false);
    flash_.stop();
    audio_.stop();
    audio_.setSource(path);
    if (mayResumeSlides()) host_.setSlideTimer(true);
    audio_.play();
    if (settings_.lyricsOn && host_.readLyrics() == 1) host_.setLyricTimer(true);
    host_.hideCursor();
    prepareNextMovie();
  } catch (const MediaDeviceError&) {
    host_.setMediaTimer(false);
    host_.setLyricTimer(false);
  }
}

void MediaPlaylist::startSongAfterMovie(const std::string& path) {
  flash_.setMovieVisible(false);
  host_.hideCursor();
  flash_.stop();
  try {
    audio_.setSource(path);
    if (settings_.lyricsOn && host_.readLyrics() == 1) host_.setLyricTimer(true);
    if (mayResumeSlides()) host_.setSlideTimer(true);
    audio_.play();
    prepareNextMovie();
  } catch (const MediaDeviceError&) {
    host_.setMediaTimer(false);
  }
}

// In list order the entry after the song that has just started is known:
// when it is a movie, its player starts while the song plays, so that the
// movie is on screen at once when its turn comes. Random order draws the
// next entry only then (the draw belongs to the show's sequence).
void MediaPlaylist::prepareNextMovie() {
  if (settings_.order != PlayOrder::InList || !media_.valid(media_.index)) return;
  if (mediaExtension(media_.items[std::size_t(media_.index)]) == kMovieExt) flash_.prepare();
}

// A movie takes the screen: the slideshow pauses and the stage is hidden.
void MediaPlaylist::startMovie(const std::string& path) {
  flash_.setMovieVisible(true);
  host_.showCursor();
  host_.setSlideTimer(false);
  host_.hideStage();
  try {
    flash_.setMovie(path);
    flash_.play();
  } catch (const MediaDeviceError&) {
    movieFailed();
  }
}

// A movie that cannot be played must not keep the screen: the media stop for
// the rest of the show and the slideshow goes on.
void MediaPlaylist::movieFailed() {
  flash_.setMovieVisible(false);
  host_.setMediaTimer(false);
  host_.setLyricTimer(false);
  if (mayResumeSlides()) host_.setSlideTimer(true);
}

}  // namespace lumora
