// The two player controls as the show drives them: the audio player
// (`RealAudio1`) and the Flash player (`ShockwaveFlash1`). Plain interfaces,
// so the playlist and the lyrics can be driven by fakes in tests. Starting
// playback of a file the player cannot handle throws MediaDeviceError.
#pragma once

#include <cstdint>
#include <string>

#include "saver/core/media_device_error.h"

namespace lumora {

class AudioPlayerControl {
 public:
  virtual ~AudioPlayerControl() = default;
  // The clip's full path (UTF-8, as the file system takes it); the next play
  // starts this clip.
  virtual void setSource(const std::string& path) = 0;
  // The current clip's source: "file://" followed by the full path.
  virtual std::string source() const = 0;
  // Starts the clip whose source was set last, from its beginning, and
  // returns at once. Throws MediaDeviceError when the file cannot be opened
  // or decoded.
  virtual void play() = 0;
  // Stops playback; harmless when nothing plays.
  virtual void stop() = 0;
  // The playing position of the current clip in milliseconds.
  virtual std::int64_t position() const = 0;
  // The current clip's length in milliseconds; 0 while unknown.
  virtual std::int64_t length() const = 0;
};

class FlashPlayerControl {
 public:
  virtual ~FlashPlayerControl() = default;
  // `Movie`: loads the movie at this full path (UTF-8). Throws
  // MediaDeviceError when the file is not a Flash movie.
  virtual void setMovie(const std::string& path) = 0;
  // A movie is next: starts the player ahead of it, out of sight, so that
  // the movie comes up at once when its turn comes. Harmless while the
  // player runs; undone by stop().
  virtual void prepare() {}
  virtual void play() = 0;
  virtual void stop() = 0;
  // `FrameNum`: the current frame, from 0; grows while the movie plays and
  // falls back to 0 when it loops at its end.
  virtual int frameNum() const = 0;
  // The movie's number of frames.
  virtual int totalFrames() const = 0;
  // Shows or hides the control (in the saver window it covers the show).
  virtual void setMovieVisible(bool visible) = 0;
  // True when the movie that was loaded cannot be played after all (the
  // player ended or showed nothing in time); the playlist then moves on.
  virtual bool failed() const { return false; }
  // True when the movie on screen is over by the player's own account (its
  // last frame shown, its declared length passed, or no frame reported for
  // a while), whatever its frame number says.
  virtual bool ended() const { return false; }
};

}  // namespace lumora
