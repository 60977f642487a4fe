// `ShockwaveFlash1`: the Flash player control. A widget that, while visible,
// covers its parent (the saver window, or the preview area of the settings
// window) with the loaded movie: for now its background colour (white when
// the movie sets none). The timeline runs on the monotonic clock.
#pragma once

#include <QColor>
#include <QWidget>
#include <chrono>
#include <functional>
#include <string>

#include "players/player_controls.h"
#include "players/swf_file.h"
#include "players/swf_timeline.h"

namespace lumora {

class FlashPlayer : public QWidget, public FlashPlayerControl {
  Q_OBJECT

 public:
  // `clockMs` gives the time in ms on a monotonic clock (replaceable in tests).
  explicit FlashPlayer(QWidget* parent = nullptr, std::function<std::int64_t()> clockMs = {});

  // `Movie`: loads the movie and starts it at frame 0, as the control does
  // by default. Throws MediaDeviceError when the file is not a Flash movie;
  // the previous movie then stays.
  void setMovie(const std::string& path) override;
  const std::string& movie() const { return path_; }
  void play() override;
  void stop() override;
  int frameNum() const override;
  int totalFrames() const override;
  void setMovieVisible(bool visible) override { setVisible(visible); }

  const SwfMovie& loaded() const { return swf_; }
  QColor backgroundColor() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<std::int64_t()> clock_;
  std::string path_;
  SwfMovie swf_;
  SwfTimeline timeline_;
};

}  // namespace lumora
