#pragma once

#include <sys/mman.h>

#include <cstdlib>
#include <new>
#include <vector>

// Memory for tables of megabytes filled once and read anywhere: on huge pages, filling costs
// a fault per 2 MiB rather than per 4 KiB, and reading anywhere no TLB miss. Freed with free().
inline void* hugePageAllocate(std::size_t bytes) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (bytes < kHugePage) {
    if (void* memory = std::malloc(bytes ? bytes : 1)) return memory;
    throw std::bad_alloc();
  }
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* memory = std::aligned_alloc(kHugePage, rounded);
  if (!memory) throw std::bad_alloc();
  ::madvise(memory, rounded, MADV_HUGEPAGE);
  return memory;
}

// For std::vector: the same memory for its elements.
template <typename T>
struct HugePageAllocator {
  using value_type = T;
  HugePageAllocator() = default;
  template <typename U>
  HugePageAllocator(const HugePageAllocator<U>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(hugePageAllocate(n * sizeof(T))); }
  void deallocate(T* memory, std::size_t) { std::free(memory); }
  friend bool operator==(HugePageAllocator, HugePageAllocator) { return true; }
};

template <typename T>
using HugePageVector = std::vector<T, HugePageAllocator<T>>;
