// Where the show's pictures go under the lock on Wayland: a memory file the
// size the lock asks for (`size W H`), sealed against shrinking and handed to
// the lock with `frame W H STRIDE`; the pixels a window flushed are copied
// into it and announced with `damage X Y W H`, at most once per display
// refresh (a flush sooner is gathered into the next one).
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QTimer>

#include "platform/core/packet_channel.h"

namespace lumora {

class FrameSink {
 public:
  explicit FrameSink(const PacketChannel& channel);
  ~FrameSink();
  FrameSink(const FrameSink&) = delete;
  FrameSink& operator=(const FrameSink&) = delete;

  // A new memory file of `size`; the lock gets it at once.
  void resize(QSize size);
  QSize size() const { return frame_.size(); }
  // `region` of `*source` (a window's backing image, placed at `at` on the
  // screen) has new pixels. `source` must stay valid until forget(source).
  void flushed(const QImage* source, QPoint at, const QRegion& region);
  void forget(const QImage* source);
  int framesSent() const { return sent_; }

 private:
  void send();

  const PacketChannel& channel_;
  void* memory_ = nullptr;
  std::size_t bytes_ = 0;
  QImage frame_;  // over memory_
  const QImage* source_ = nullptr;
  QPoint at_;
  QRegion pending_;  // in screen coordinates
  QTimer pace_;
  QElapsedTimer sinceSend_;
  int sent_ = 0;
};

}  // namespace lumora
