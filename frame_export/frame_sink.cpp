#include "frame_export/frame_sink.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace lumora {

namespace {

constexpr int kRefreshMs = 16;      // one refresh at 60 Hz
constexpr int kMostRectangles = 8;  // more are sent as the area around them

}  // namespace

FrameSink::FrameSink(const PacketChannel& channel) : channel_(channel) {
  pace_.setSingleShot(true);
  pace_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&pace_, &QTimer::timeout, [this] { send(); });
}

FrameSink::~FrameSink() {
  if (memory_) ::munmap(memory_, bytes_);
}

void FrameSink::resize(QSize size) {
  if (size.isEmpty() || size == frame_.size()) return;
  const int stride = size.width() * 4;
  const std::size_t bytes = std::size_t(stride) * std::size_t(size.height());
  UniqueFd fd(::memfd_create("lumora-frame", MFD_CLOEXEC | MFD_ALLOW_SEALING));
  if (!fd || ::ftruncate(fd.get(), off_t(bytes)) != 0 ||
      ::fcntl(fd.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL) != 0)
    throw std::runtime_error(std::string("cannot make the frame's memory: ") + std::strerror(errno));
  void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
  if (memory == MAP_FAILED) throw std::runtime_error(std::string("cannot map the frame: ") + std::strerror(errno));
  if (memory_) ::munmap(memory_, bytes_);
  memory_ = memory;
  bytes_ = bytes;
  frame_ = QImage(static_cast<uchar*>(memory), size.width(), size.height(), stride, QImage::Format_RGB32);
  channel_.send(
      "frame " + std::to_string(size.width()) + " " + std::to_string(size.height()) + " " + std::to_string(stride),
      fd.get());
  // All of it is new (black until the window draws there).
  pending_ = frame_.rect();
  send();
}

void FrameSink::flushed(const QImage* source, QPoint at, const QRegion& region) {
  source_ = source;
  at_ = at;
  pending_ += region.translated(at);
  if (pace_.isActive()) return;
  const qint64 since = sinceSend_.isValid() ? sinceSend_.elapsed() : kRefreshMs;
  if (since >= kRefreshMs)
    send();
  else
    pace_.start(int(kRefreshMs - since));
}

void FrameSink::forget(const QImage* source) {
  if (source_ == source) source_ = nullptr;
}

void FrameSink::send() {
  const QRegion area = pending_.intersected(frame_.rect());
  pending_ = QRegion();
  if (area.isEmpty()) return;
  const QList<QRect> rects =
      area.rectCount() > kMostRectangles ? QList<QRect>{area.boundingRect()} : QList<QRect>(area.begin(), area.end());
  for (const QRect& rect : rects) {
    // Where no window is, black.
    const QRect from = source_ ? rect.translated(-at_).intersected(source_->rect()) : QRect();
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
      auto* row = reinterpret_cast<quint32*>(frame_.scanLine(y));
      const int sourceY = y - at_.y();
      if (!from.isEmpty() && sourceY >= from.top() && sourceY <= from.bottom()) {
        std::memset(row + rect.left(), 0, std::size_t(from.left() + at_.x() - rect.left()) * 4);
        std::memcpy(row + from.left() + at_.x(),
                    reinterpret_cast<const quint32*>(source_->constScanLine(sourceY)) + from.left(),
                    std::size_t(from.width()) * 4);
        std::memset(row + from.right() + at_.x() + 1, 0, std::size_t(rect.right() - from.right() - at_.x()) * 4);
      } else {
        std::memset(row + rect.left(), 0, std::size_t(rect.width()) * 4);
      }
    }
    channel_.send("damage " + std::to_string(rect.x()) + " " + std::to_string(rect.y()) + " " +
                  std::to_string(rect.width()) + " " + std::to_string(rect.height()));
  }
  sinceSend_.start();
  ++sent_;
}

}  // namespace lumora
