// The lyric display's timer: every 200 ms while it is on, the lines of the
// song's lyrics due at the player's position are drawn at the foot of the
// Stage. It holds the lyrics of the song playing.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "saver/core/lyrics.h"

namespace lumora {

class StageWindow;

class LyricTimer : public QObject {
  Q_OBJECT

 public:
  // `position`: the song's position in milliseconds.
  LyricTimer(std::function<std::int64_t()> position, StageWindow& stage, QObject* parent = nullptr);

  Lyrics& lyrics() { return lyrics_; }
  const Lyrics& lyrics() const { return lyrics_; }
  // On or off; switched on while it runs, it keeps its time.
  void setOn(bool on);
  QTimer& timer() { return timer_; }
  // Draws the lines due now, if any.
  void showDue();

 private:
  std::function<std::int64_t()> position_;
  StageWindow& stage_;
  Lyrics lyrics_;
  QTimer timer_;
};

}  // namespace lumora
