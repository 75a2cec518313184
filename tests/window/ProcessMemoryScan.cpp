#include "tests/window/ProcessMemoryScan.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QV_ASAN 1
#endif
#ifdef QV_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

constexpr std::uint8_t kByteMask = std::uint8_t(MaskedText::kMask);
constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kPage = 4096;

struct Region {
  std::uintptr_t begin, end;
  std::string name;
};

std::string readWhole(const char* path) {
  std::string out;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return out;
  char buffer[8192];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) out.append(buffer, std::size_t(n));
  ::close(fd);
  return out;
}

std::vector<Region> writableRegions() {
  std::vector<Region> out;
  const std::string maps = readWhole("/proc/self/maps");
  std::size_t at = 0;
  while (at < maps.size()) {
    std::size_t eol = maps.find('\n', at);
    if (eol == std::string::npos) eol = maps.size();
    const std::string line = maps.substr(at, eol - at);
    at = eol + 1;
    unsigned long begin = 0, end = 0;
    char perms[5] = {};
    int nameAt = 0;
    if (std::sscanf(line.c_str(), "%lx-%lx %4s %*s %*s %*s %n", &begin, &end, perms, &nameAt) < 3)
      continue;
    if (perms[0] != 'r' || perms[1] != 'w') continue;
    out.push_back({begin, end, nameAt > 0 ? line.substr(std::size_t(nameAt)) : std::string()});
  }
  return out;
}

// The address sanitizer's shadow: its own bookkeeping of which bytes may be touched, terabytes
// of mostly unbacked memory that holds no data of the program.
std::pair<std::uintptr_t, std::uintptr_t> sanitizerShadow() {
#ifdef QV_ASAN
  std::size_t scale = 0, offset = 0;
  __asan_get_shadow_mapping(&scale, &offset);
  return {offset, offset + ((std::uintptr_t(1) << 47) >> scale)};
#else
  return {0, 0};
#endif
}

}  // namespace

std::vector<std::uint8_t> MaskedText::maskedUtf16() const {
  std::vector<std::uint8_t> out;
  for (char16_t c : masked_) {
    const char16_t plain = c ^ kMask;
    out.push_back(std::uint8_t(plain & 0xff) ^ kByteMask);
    out.push_back(std::uint8_t(plain >> 8) ^ kByteMask);
  }
  return out;
}

std::vector<std::uint8_t> MaskedText::maskedUtf8() const {
  std::vector<std::uint8_t> out;
  for (char16_t c : masked_) out.push_back(std::uint8_t(c));  // ASCII: one byte a character
  return out;
}

std::vector<ProcessMemoryScan::Hit> ProcessMemoryScan::find(const std::vector<std::uint8_t>& masked,
                                                            std::uint8_t mask,
                                                            std::size_t maxHits) {
  std::vector<Hit> hits;
  if (masked.empty()) return hits;
  // A buffer outside the heap, left out of the scan: it holds what it has just read.
  void* mapped =
      ::mmap(nullptr, kChunk, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return hits;
  auto* buffer = static_cast<std::uint8_t*>(mapped);
  const std::uintptr_t own = reinterpret_cast<std::uintptr_t>(mapped);
  const int mem = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
  const auto [shadowBegin, shadowEnd] = sanitizerShadow();
  const std::size_t n = masked.size();
  const std::uint8_t first = masked[0] ^ mask;
  const auto matchesAt = [&](const std::uint8_t* p) {
    for (std::size_t i = 1; i < n; ++i)
      if (std::uint8_t(p[i] ^ mask) != masked[i]) return false;
    return true;
  };

  for (const Region& region : writableRegions()) {
    if (mem < 0 || hits.size() >= maxHits) break;
    if (region.begin >= shadowBegin && region.end <= shadowEnd) continue;
    std::uintptr_t at = region.begin;
    while (at < region.end && hits.size() < maxHits) {
      // The kernel may have merged the buffer into a neighbouring mapping.
      if (at >= own && at < own + kChunk) {
        at = own + kChunk;
        continue;
      }
      const std::uintptr_t stop = at < own && region.end > own ? own : region.end;
      std::size_t want = std::min<std::size_t>(kChunk, stop - at);
      ssize_t got = ::pread(mem, buffer, want, off_t(at));
      if (got <= 0) {
        // An unreadable page: step over it.
        at = (at / kPage + 1) * kPage;
        continue;
      }
      const std::size_t size = std::size_t(got);
      for (std::size_t p = 0; p + n <= size && hits.size() < maxHits;) {
        const void* c = std::memchr(buffer + p, first, size - n + 1 - p);
        if (!c) break;
        p = std::size_t(static_cast<const std::uint8_t*>(c) - buffer);
        if (matchesAt(buffer + p)) hits.push_back({at + p, QString::fromStdString(region.name)});
        ++p;
      }
      // Overlapping reads: a text across the boundary is seen whole in the next one.
      at += size >= n ? size - n + 1 : size;
    }
  }
  if (mem >= 0) ::close(mem);
  ::munmap(mapped, kChunk);
  return hits;
}

std::vector<ProcessMemoryScan::Hit> ProcessMemoryScan::find(const MaskedText& text) {
  std::vector<Hit> hits = find(text.maskedUtf16(), kByteMask);
  for (const Hit& h : find(text.maskedUtf8(), kByteMask)) hits.push_back(h);
  return hits;
}
