#include "lock/wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/core/unique_fd.h"

namespace lumora {

namespace {

const wl_buffer_listener kBufferListener = {&ShmBuffer::released};

}  // namespace

void ShmBuffer::released(void* data, wl_buffer*) {
  auto* self = static_cast<ShmBuffer*>(data);
  self->busy_ = false;
  if (self->onRelease_) self->onRelease_();
}

ShmBuffer::ShmBuffer(wl_shm* shm, QSize size) {
  const int stride = size.width() * 4;
  bytes_ = std::size_t(stride) * std::size_t(size.height());
  UniqueFd fd(::memfd_create("lumora-lock-cover", MFD_CLOEXEC));
  if (!fd || ::ftruncate(fd.get(), off_t(bytes_)) != 0)
    throw std::runtime_error(std::string("cannot make a screen buffer: ") + std::strerror(errno));
  memory_ = ::mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
  if (memory_ == MAP_FAILED) {
    memory_ = nullptr;
    throw std::runtime_error(std::string("cannot map a screen buffer: ") + std::strerror(errno));
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd.get(), int(bytes_));
  buffer_ = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  wl_buffer_add_listener(buffer_, &kBufferListener, this);
  // A fresh memfd reads as zeros: black.
  image_ = QImage(static_cast<uchar*>(memory_), size.width(), size.height(), stride, QImage::Format_RGB32);
}

ShmBuffer::~ShmBuffer() {
  if (buffer_) wl_buffer_destroy(buffer_);
  if (memory_) ::munmap(memory_, bytes_);
}

}  // namespace lumora
