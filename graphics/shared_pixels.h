// Pixel memory another process can map: each block is a memfd of its own,
// mapped shared, so that a display server can read a bitmap's pixels where
// they lie (MIT-SHM on X11) instead of receiving a copy. A bitmap made with
// `pixelsIn(memory)` keeps its pixels there; copies of it are ordinary heap
// bitmaps.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace lumora {

class SharedPixels {
 public:
  SharedPixels() = default;
  ~SharedPixels();
  SharedPixels(const SharedPixels&) = delete;
  SharedPixels& operator=(const SharedPixels&) = delete;

  // A block of `bytes`, page aligned; std::bad_alloc when neither a memfd
  // nor the heap has it. Where memfd_create is refused, the block comes from
  // the heap and has no descriptor.
  void* allocate(std::size_t bytes);
  void deallocate(void* p, std::size_t bytes) noexcept;

  // The memfd holding the block that starts at `p` (-1 for a heap block or
  // an unknown pointer). It stays open as long as the block.
  int descriptorOf(const void* p) const;

 private:
  struct Block {
    void* data;
    std::size_t bytes;
    int fd;  // -1: from the heap
  };
  static void release(const Block& block) noexcept;
  mutable std::mutex mutex_;
  std::vector<Block> blocks_;
};

// Allocator of a bitmap's pixels: the heap (left as the memory comes, as
// UninitialisedAllocator), or a SharedPixels when given one. A copy of a
// container made with it goes to the heap.
template <class T>
class PixelAllocator {
 public:
  using value_type = T;
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;
  using propagate_on_container_copy_assignment = std::false_type;
  using is_always_equal = std::false_type;

  PixelAllocator() = default;
  explicit PixelAllocator(std::shared_ptr<SharedPixels> shared) : shared_(std::move(shared)) {}
  template <class U>
  PixelAllocator(const PixelAllocator<U>& other) noexcept : shared_(other.shared()) {}

  T* allocate(std::size_t n) {
    if (!shared_) return std::allocator<T>().allocate(n);
    return static_cast<T*>(shared_->allocate(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (!shared_) return std::allocator<T>().deallocate(p, n);
    shared_->deallocate(p, n * sizeof(T));
  }
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  PixelAllocator select_on_container_copy_construction() const { return {}; }

  const std::shared_ptr<SharedPixels>& shared() const { return shared_; }
  template <class U>
  bool operator==(const PixelAllocator<U>& other) const noexcept {
    return shared_ == other.shared();
  }

 private:
  std::shared_ptr<SharedPixels> shared_;
};

}  // namespace lumora
