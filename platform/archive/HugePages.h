#pragma once

#include <sys/mman.h>

#include <cstdlib>
#include <new>

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
