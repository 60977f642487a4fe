// Memory for pixels: pictures and bitmaps of tens of megabytes, written
// whole by whoever makes them.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace lumora {

// Large pixel memory comes in huge pages where the system offers them (far
// fewer page faults while a picture of tens of megabytes is filled).
void* allocatePixelMemory(std::size_t bytes);
void freePixelMemory(void* p, std::size_t bytes) noexcept;

// An allocator of pixel memory whose vectors leave new elements as they
// come when resized (default-initialised), for owners that write every
// element themselves before it is read.
template <class T>
struct UninitialisedAllocator {
  using value_type = T;
  UninitialisedAllocator() = default;
  template <class U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(allocatePixelMemory(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { freePixelMemory(p, n * sizeof(T)); }
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  template <class U>
  bool operator==(const UninitialisedAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace lumora
