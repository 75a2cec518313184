#include "HeapCounter.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>

// glibc's own allocator, which these definitions wrap.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);
}

namespace {
std::atomic<std::size_t> heldBytes{0};
std::atomic<std::size_t> markBytes{0};
std::atomic<std::size_t> peakBytes{0};

void* counted(void* p) {
  if (!p) return p;
  const std::size_t now = heldBytes.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
  std::size_t peak = peakBytes.load();
  while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
  }
  return p;
}

void uncount(void* p) {
  if (p) heldBytes.fetch_sub(malloc_usable_size(p));
}
}  // namespace

namespace HeapCounter {
std::size_t held() { return heldBytes.load(); }
void mark() {
  markBytes = heldBytes.load();
  peakBytes = markBytes.load();
}
std::size_t peakSinceMark() { return peakBytes.load() - markBytes.load(); }
}  // namespace HeapCounter

extern "C" {
void* malloc(std::size_t n) { return counted(__libc_malloc(n)); }
void* calloc(std::size_t n, std::size_t size) { return counted(__libc_calloc(n, size)); }
void* realloc(void* p, std::size_t n) {
  uncount(p);
  void* moved = __libc_realloc(p, n);
  // A failed reallocation leaves the block as it was.
  return counted(moved || n == 0 ? moved : p);
}
void free(void* p) {
  uncount(p);
  __libc_free(p);
}
void* memalign(std::size_t alignment, std::size_t n) {
  return counted(__libc_memalign(alignment, n));
}
void* aligned_alloc(std::size_t alignment, std::size_t n) { return memalign(alignment, n); }
int posix_memalign(void** out, std::size_t alignment, std::size_t n) {
  void* p = memalign(alignment, n);
  if (!p) return ENOMEM;
  *out = p;
  return 0;
}
void* valloc(std::size_t n) { return memalign(4096, n); }
void* pvalloc(std::size_t n) { return memalign(4096, (n + 4095) & ~std::size_t{4095}); }
}
