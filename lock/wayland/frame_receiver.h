// The lock's end of the show's frames on Wayland: `frame W H STRIDE` with a
// memory file attached (XRGB8888, mapped read-only here) and `damage X Y W H`
// (that rectangle has new pixels). The show is not trusted: a file that is
// too small or could still shrink (no F_SEAL_SHRINK) is refused, so that a
// show that dies or cheats can never make the lock fault reading it, and
// every rectangle is clipped to the frame.
#pragma once

#include <QImage>
#include <QRect>
#include <optional>
#include <string>

#include "platform/core/unique_fd.h"

namespace lumora {

class FrameReceiver {
 public:
  FrameReceiver() = default;
  ~FrameReceiver();
  FrameReceiver(const FrameReceiver&) = delete;
  FrameReceiver& operator=(const FrameReceiver&) = delete;

  // Takes one message; the area of image() that changed (the whole frame
  // for a new one), or nothing when the message was not a frame's or was
  // refused (said on standard error).
  std::optional<QRect> receive(const std::string& text, UniqueFd fd);
  // The current frame (null before the first, or after a refused one).
  const QImage& image() const { return image_; }
  // Forgets the frame (the show died: its next one comes with a new file).
  void reset();

 private:
  std::optional<QRect> takeFrame(int width, int height, int stride, UniqueFd fd);

  const void* memory_ = nullptr;
  std::size_t bytes_ = 0;
  QImage image_;
};

}  // namespace lumora
