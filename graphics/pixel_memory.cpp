#include "graphics/pixel_memory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace lumora {

namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Smaller blocks come from the heap, which reuses freed memory without
// faulting it in again; from 32 MB on, the C library maps fresh memory for
// every block anyway.
constexpr std::size_t kHugeFrom = std::size_t(32) << 20;
}  // namespace

void* allocatePixelMemory(std::size_t bytes) {
  if (bytes < kHugeFrom) return ::operator new(bytes);
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* p = std::aligned_alloc(kHugePage, rounded);
  if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  madvise(p, rounded, MADV_HUGEPAGE);  // a hint: without huge pages nothing changes
#endif
  return p;
}

void freePixelMemory(void* p, std::size_t bytes) noexcept {
  if (bytes < kHugeFrom) ::operator delete(p);
  else std::free(p);
}

}  // namespace lumora
