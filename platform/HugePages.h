#pragma once

#include <sys/mman.h>

#include <QtGlobal>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <type_traits>

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

// A growing array of plain values in memory mapped for it: growing moves the pages already
// filled to their new place instead of copying them into fresh memory, which for tables of
// tens of megabytes costs as much as filling them did.
template <typename T>
class HugeArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  HugeArray() = default;
  ~HugeArray() {
    if (data_) ::munmap(data_, bytes_);
  }
  HugeArray(const HugeArray&) = delete;
  HugeArray& operator=(const HugeArray&) = delete;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](std::size_t i) {
    Q_ASSERT(i < size_);
    return data_[i];
  }
  const T& operator[](std::size_t i) const {
    Q_ASSERT(i < size_);
    return data_[i];
  }
  T& back() { return (*this)[size_ - 1]; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

  void push_back(const T& value) {
    if (size_ == capacity()) reserve(std::max<std::size_t>(2 * size_, 64));
    data_[size_++] = value;
  }
  // New elements are value-initialised, as a vector's.
  void resize(std::size_t n) {
    if (n > capacity()) reserve(std::max(n, 2 * size_));
    if (n > size_) std::fill(data_ + size_, data_ + n, T{});
    size_ = n;
  }
  void assign(std::size_t n, const T& value) {
    reserve(n);
    std::fill(data_, data_ + n, value);
    size_ = n;
  }
  void reserve(std::size_t n) {
    if (n <= capacity()) return;
    constexpr std::size_t kPage = 4096;
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    if (n > (std::numeric_limits<std::size_t>::max() - kHugePage) / sizeof(T))
      throw std::bad_alloc();
    const std::size_t granule = n * sizeof(T) >= kHugePage ? kHugePage : kPage;
    const std::size_t bytes = (n * sizeof(T) + granule - 1) / granule * granule;
    void* memory =
        data_ ? ::mremap(data_, bytes_, bytes, MREMAP_MAYMOVE)
              : ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    if (bytes >= kHugePage) ::madvise(memory, bytes, MADV_HUGEPAGE);
    data_ = static_cast<T*>(memory);
    bytes_ = bytes;
  }

 private:
  std::size_t capacity() const { return bytes_ / sizeof(T); }

  T* data_ = nullptr;
  std::size_t bytes_ = 0;
  std::size_t size_ = 0;
};
