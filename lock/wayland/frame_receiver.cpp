#include "lock/wayland/frame_receiver.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <cstdio>
#include <sstream>

namespace lumora {

namespace {

// Far beyond any screen; keeps the arithmetic below in range.
constexpr int kMostSide = 16384;

bool refuse(const char* why) {
  std::fprintf(stderr, "lumora-lock: a frame from the show refused: %s\n", why);
  return false;
}

}  // namespace

FrameReceiver::~FrameReceiver() { reset(); }

void FrameReceiver::reset() {
  image_ = QImage();
  if (memory_) ::munmap(const_cast<void*>(memory_), bytes_);
  memory_ = nullptr;
  bytes_ = 0;
}

std::optional<QRect> FrameReceiver::receive(const std::string& text, UniqueFd fd) {
  std::istringstream in(text);
  std::string verb;
  int a = 0, b = 0, c = 0, d = 0;
  in >> verb;
  if (verb == "frame" && (in >> a >> b >> c) && in.eof()) return takeFrame(a, b, c, std::move(fd));
  if (verb == "damage" && (in >> a >> b >> c >> d) && in.eof()) {
    if (image_.isNull()) return std::nullopt;
    const QRect area = QRect(a, b, c, d).intersected(image_.rect());
    if (area.isEmpty()) return std::nullopt;
    return area;
  }
  return std::nullopt;
}

std::optional<QRect> FrameReceiver::takeFrame(int width, int height, int stride, UniqueFd fd) {
  reset();
  if (!fd) return refuse("no memory file came with it"), std::nullopt;
  if (width <= 0 || height <= 0 || width > kMostSide || height > kMostSide || stride < width * 4 ||
      stride > kMostSide * 8 || stride % 4 != 0)
    return refuse("its size is out of range"), std::nullopt;
  const std::size_t bytes = std::size_t(stride) * std::size_t(height);
  struct stat status {};
  if (::fstat(fd.get(), &status) != 0 || std::size_t(status.st_size) < bytes)
    return refuse("its memory file is smaller than the frame"), std::nullopt;
  // The show keeps writing into the file; it must never be able to shrink it
  // under our mapping (reading past the end would kill the lock).
  const int seals = ::fcntl(fd.get(), F_GET_SEALS);
  if (seals < 0 || !(seals & F_SEAL_SHRINK))
    return refuse("its memory file is not sealed against shrinking"), std::nullopt;
  void* memory = ::mmap(nullptr, bytes, PROT_READ, MAP_SHARED, fd.get(), 0);
  if (memory == MAP_FAILED) return refuse("its memory file cannot be mapped"), std::nullopt;
  memory_ = memory;
  bytes_ = bytes;
  // A QImage over const memory never writes to it (a write would detach).
  image_ = QImage(static_cast<const uchar*>(memory), width, height, stride, QImage::Format_RGB32);
  return image_.rect();
}

}  // namespace lumora
