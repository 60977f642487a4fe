// One wl_shm buffer of XRGB8888 pixels in a memfd of its own, seen as a
// QImage to draw into; busy from its commit until the compositor releases it.
#pragma once

#include <QImage>
#include <QSize>
#include <functional>

struct wl_buffer;
struct wl_shm;

namespace lumora {

class ShmBuffer {
 public:
  // Throws std::runtime_error when the memory cannot be had.
  ShmBuffer(wl_shm* shm, QSize size);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  QSize size() const { return image_.size(); }
  QImage& image() { return image_; }
  wl_buffer* buffer() const { return buffer_; }
  bool busy() const { return busy_; }
  void setBusy() { busy_ = true; }
  // Called when the compositor lets go of it.
  void onRelease(std::function<void()> released) { onRelease_ = std::move(released); }

  // The wl_buffer listener's release.
  static void released(void* data, wl_buffer*);

 private:
  wl_buffer* buffer_ = nullptr;
  void* memory_ = nullptr;
  std::size_t bytes_ = 0;
  QImage image_;
  bool busy_ = false;
  std::function<void()> onRelease_;
};

}  // namespace lumora
