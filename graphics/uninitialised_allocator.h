// Vectors of pixels that leave new elements as the memory comes when they
// are resized (default-initialised), for owners that write every element
// themselves before it is read: a picture or bitmap of tens of megabytes is
// then written once, not cleared first.
#pragma once

#include <memory>
#include <new>
#include <utility>

namespace lumora {

template <class T>
struct UninitialisedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <class U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}

  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

}  // namespace lumora
