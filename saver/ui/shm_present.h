// Presents rectangles of the Stage on X11 straight from the Stage's own
// memory: the Stage's pixels lie in a memfd that the X server maps once
// (MIT-SHM 1.2, xcb_shm_attach_fd), and a present is one ShmPutImage per
// rectangle, read by the server where the effects wrote. No copy into Qt's
// backing store, no conversion: the server's copy into the window is the
// only one after the Stage's own write.
//
// The server reads the memory when it handles the request, while the show
// may already draw the next operations: a rectangle can then come up with
// some of its pixels a little newer than at the present. Those pixels were
// marked damaged by the operation that wrote them, so the next present
// sends them again and the screen ends as the Stage.
#pragma once

#include <QPoint>
#include <QRegion>
#include <cstddef>
#include <cstdint>
#include <memory>

struct xcb_connection_t;

namespace lumora {

class ShmPresent {
 public:
  // The presenter for the application's X connection, or null when there
  // is none (another platform, such as offscreen or Wayland), when it is
  // not a local socket (a remote display), when the server lacks MIT-SHM 1.2 or does not keep 24-bit pixels in 32-bit
  // words in the Stage's byte order, or when LUMORA_SHM_PRESENT=0.
  static std::unique_ptr<ShmPresent> open();
  ~ShmPresent();
  ShmPresent(const ShmPresent&) = delete;
  ShmPresent& operator=(const ShmPresent&) = delete;

  // Lets the server map the `bytes` of memfd `fd` that hold a Stage of
  // width x height (rows of width x 4 bytes); the memory attached before
  // is let go. False when the server refuses it (nothing is attached then).
  bool attach(int fd, std::size_t bytes, int width, int height);
  // Puts `region` (Stage coordinates) of the attached Stage into X window
  // `window` at `offset` from the Stage's corner, and flushes. False when
  // nothing is attached or the window's depth does not fit; nothing was
  // sent then.
  bool put(std::uint32_t window, const QRegion& region, QPoint offset);

 private:
  explicit ShmPresent(xcb_connection_t* connection) : connection_(connection) {}
  void detach();

  xcb_connection_t* connection_;
  std::uint32_t segment_ = 0;  // 0: nothing attached
  int width_ = 0, height_ = 0;
  std::uint32_t window_ = 0, gc_ = 0;  // the last window drawn to, and its GC
  std::uint8_t depth_ = 0;             // that window's depth; 0: unusable
};

}  // namespace lumora
