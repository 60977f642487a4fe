// The media playlist: plays the media list beside the slideshow. Songs go to
// the audio player, ".swf" movies to the Flash player, which then takes the
// screen (the slideshow pauses, the stage is hidden) until the movie ends.
// start() is run when the saver window is shown; tick() every 100 ms on the
// media timer detects the end of the current entry and starts the next, in
// list order or at random.
#pragma once

#include <string>

#include "graphics/random.h"
#include "saver/core/player_controls.h"
#include "saver/core/indexed_list.h"
#include "saver/core/slide_step.h"

namespace lumora {

// The saver window around the playlist.
class MediaHost {
 public:
  virtual ~MediaHost() = default;
  virtual void setSlideTimer(bool on) = 0;
  virtual void setMediaTimer(bool on) = 0;
  virtual void setLyricTimer(bool on) = 0;
  virtual void hideStage() = 0;
  virtual void hideCursor() = 0;  // one more hide request
  virtual void showCursor() = 0;  // one more show request
  // Reads the lyrics of the clip whose source was just set; 1 when
  // found (the stage is then shown), else 0.
  virtual int readLyrics() = 0;
};

struct MediaSettings {
  PlayOrder order = PlayOrder::InList;  // list order, else random
  bool lyricsOn = true;
};

class MediaPlaylist {
 public:
  // `media` is the media list (paths as ANSI bytes, handed to the players as
  // file-system paths);
  // `slide` gives SlideIdle and the picture list.
  MediaPlaylist(MediaSettings settings, IndexedList& media, const SlideState& slide, Random& random,
                AudioPlayerControl& audio, FlashPlayerControl& flash, MediaHost& host)
      : settings_(settings), media_(media), slide_(slide), random_(random), audio_(audio), flash_(flash), host_(host) {}

  // FormShow: starts the entry at the media list's current index.
  void start();
  // On each media timer tick: starts the next entry when the current one
  // has ended.
  void tick();

  // CurrentExt: the lowered extension of the entry playing (".swf" for a
  // movie); empty before the first start.
  const std::string& currentExt() const { return currentExt_; }
  int lastFrame() const { return lastFrame_; }

 private:
  int nextEntry();
  void startSongAfterSong(const std::string& path);
  void startSongAfterMovie(const std::string& path);
  void startMovie(const std::string& path);
  void movieFailed();
  void prepareNextMovie();
  bool mayResumeSlides() const { return slide_.slideIdle && slide_.pictures && !slide_.pictures->empty(); }

  MediaSettings settings_;
  IndexedList& media_;
  const SlideState& slide_;
  Random& random_;
  AudioPlayerControl& audio_;
  FlashPlayerControl& flash_;
  MediaHost& host_;
  std::string currentExt_;
  int lastFrame_ = -100;
};

// The lowered extension of a path, with its dot ("" when it has none):
// ASCII letters only are lowered.
std::string mediaExtension(const std::string& path);

}  // namespace lumora
