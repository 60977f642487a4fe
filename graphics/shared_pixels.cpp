#include "graphics/shared_pixels.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <new>

namespace lumora {

SharedPixels::~SharedPixels() {
  for (const Block& b : blocks_) release(b);
}

void* SharedPixels::allocate(std::size_t bytes) {
  const std::size_t size = std::max<std::size_t>(bytes, 1);
  Block block{nullptr, size, ::memfd_create("lumora-pixels", MFD_CLOEXEC)};
  if (block.fd >= 0) {
    void* p = MAP_FAILED;
    if (::ftruncate(block.fd, off_t(size)) == 0)
      p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, block.fd, 0);
    if (p == MAP_FAILED) {
      ::close(block.fd);
      block.fd = -1;
    } else {
      block.data = p;
    }
  }
  if (!block.data) block.data = ::operator new(size, std::align_val_t(4096));
  try {
    std::lock_guard lock(mutex_);
    blocks_.push_back(block);
  } catch (...) {
    release(block);
    throw;
  }
  return block.data;
}

void SharedPixels::release(const Block& block) noexcept {
  if (block.fd < 0) {
    ::operator delete(block.data, std::align_val_t(4096));
  } else {
    ::munmap(block.data, block.bytes);
    ::close(block.fd);
  }
}

void SharedPixels::deallocate(void* p, std::size_t) noexcept {
  Block block{nullptr, 0, -1};
  {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(blocks_.begin(), blocks_.end(), [p](const Block& b) { return b.data == p; });
    if (it == blocks_.end()) return;
    block = *it;
    blocks_.erase(it);
  }
  release(block);
}

int SharedPixels::descriptorOf(const void* p) const {
  std::lock_guard lock(mutex_);
  for (const Block& b : blocks_)
    if (b.data == p) return b.fd;
  return -1;
}

}  // namespace lumora
