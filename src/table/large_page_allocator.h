#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <new>

namespace orvel {

// An allocator for very large arrays (the 266 MB undo history). Blocks of 2 MB
// and more are mapped directly, aligned to 2 MB and marked for transparent
// huge pages, so filling them takes a few hundred page faults instead of tens
// of thousands. Smaller blocks come from the ordinary heap.
template <typename T>
class LargePageAllocator {
 public:
  using value_type = T;

  LargePageAllocator() = default;
  template <typename U>
  explicit LargePageAllocator(const LargePageAllocator<U>& /*other*/) {}

  // The standard allocator interface names these two in lower case.
  T* allocate(std::size_t n) {  // NOLINT(readability-identifier-naming)
    const std::size_t bytes = n * sizeof(T);
    if (bytes < kLargePage) {
      return static_cast<T*>(::operator new(bytes));
    }
    const std::size_t size = Rounded(bytes);
    // Over-map by one large page and cut away what lies outside the aligned block.
    void* mapped =
        ::mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
      throw std::bad_alloc();
    }
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kLargePage - 1) & ~(kLargePage - 1);
    // Address arithmetic on a fresh mapping is what aligning it takes.
    // NOLINTBEGIN(performance-no-int-to-ptr)
    if (aligned > start) {
      ::munmap(mapped, aligned - start);
    }
    const std::size_t tail = start + size + kLargePage - (aligned + size);
    if (tail > 0) {
      ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    }
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<T*>(aligned);
    // NOLINTEND(performance-no-int-to-ptr)
  }

  void deallocate(T* p, std::size_t n) noexcept {  // NOLINT(readability-identifier-naming)
    const std::size_t bytes = n * sizeof(T);
    if (bytes < kLargePage) {
      ::operator delete(p);
      return;
    }
    ::munmap(p, Rounded(bytes));
  }

  template <typename U>
  bool operator==(const LargePageAllocator<U>& /*other*/) const noexcept {
    return true;
  }

 private:
  static constexpr std::size_t kLargePage = std::size_t{2} << 20;
  static std::size_t Rounded(std::size_t bytes) { return (bytes + kLargePage - 1) & ~(kLargePage - 1); }
};

}  // namespace orvel
