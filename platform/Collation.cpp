#include "platform/Collation.h"

#include <openssl/crypto.h>
#include <unicode/ucol.h>
#include <unicode/uvernum.h>

#include <algorithm>
#include <cstring>

#include "platform/Parallel.h"

namespace {
const UChar* utf16(const QString& s) { return reinterpret_cast<const UChar*>(s.utf16()); }

UCollator* cloneOf(const UCollator* collator) {
  UErrorCode error = U_ZERO_ERROR;
#if U_ICU_VERSION_MAJOR_NUM >= 71
  UCollator* copy = ucol_clone(collator, &error);
#else
  UCollator* copy = ucol_safeClone(collator, nullptr, nullptr, &error);
#endif
  return U_SUCCESS(error) ? copy : nullptr;
}

void wipe(std::vector<std::uint8_t>& bytes) { OPENSSL_cleanse(bytes.data(), bytes.size()); }

// Sort keys of strings[begin, end) into their own byte buffer, wiped when let go.
struct Chunk {
  ~Chunk() { wipe(bytes); }
  std::vector<std::uint8_t> bytes;
  std::vector<std::pair<std::uint64_t, std::uint32_t>> spans;  // offset in bytes, length
};

// Room for `more` bytes; a buffer that moves is wiped where it was.
void makeRoom(std::vector<std::uint8_t>& bytes, std::size_t more) {
  if (bytes.capacity() - bytes.size() >= more) return;
  std::vector<std::uint8_t> larger;
  larger.reserve(std::max(bytes.capacity() * 2, bytes.size() + more));
  larger.assign(bytes.begin(), bytes.end());
  wipe(bytes);
  bytes.swap(larger);
}

void makeKeys(const UCollator* collator, const std::vector<const QString*>& strings,
              std::size_t begin, std::size_t end, Chunk& out) {
  out.bytes.reserve((end - begin) * 32);
  out.spans.reserve(end - begin);
  std::uint8_t buffer[512];
  for (std::size_t i = begin; i < end; ++i) {
    const QString* s = strings[i];
    if (!s) {
      out.spans.emplace_back(0, 0xffffffffu);
      continue;
    }
    const auto length = int32_t(std::min<qsizetype>(s->size(), INT32_MAX));
    const int32_t needed = ucol_getSortKey(collator, utf16(*s), length, buffer, sizeof buffer);
    const std::size_t size = std::size_t(std::max(needed, 0));
    const std::uint64_t offset = out.bytes.size();
    makeRoom(out.bytes, size);
    if (size <= sizeof buffer) {
      out.bytes.insert(out.bytes.end(), buffer, buffer + size);
    } else {
      out.bytes.resize(offset + size);
      ucol_getSortKey(collator, utf16(*s), length, out.bytes.data() + offset, needed);
    }
    out.spans.emplace_back(offset, std::uint32_t(size));
  }
  OPENSSL_cleanse(buffer, sizeof buffer);
}
}  // namespace

Collation::Collation(const QLocale& locale, bool caseSensitive) {
  UErrorCode error = U_ZERO_ERROR;
  collator_ = ucol_open(locale.name().toLatin1().constData(), &error);
  if (U_FAILURE(error) || !collator_) {
    error = U_ZERO_ERROR;
    collator_ = ucol_open("", &error);  // the root order
  }
  // Secondary strength ignores case and keeps accents apart.
  if (collator_) ucol_setStrength(collator_, caseSensitive ? UCOL_TERTIARY : UCOL_SECONDARY);
}

Collation::~Collation() {
  if (collator_) ucol_close(collator_);
}

Collation::Keys Collation::keys(const std::vector<const QString*>& strings) const {
  Keys keys;
  const std::size_t n = strings.size();
  keys.spans_.reserve(n);
  if (!collator_) {
    for (std::size_t i = 0; i < n; ++i) keys.spans_.push_back({0, 0, Keys::kMissing});
    return keys;
  }
  // Long lists are made in blocks side by side, each thread with its own copy of the
  // collator (a collator is not shared between threads); without copies, on this thread.
  std::vector<UCollator*> collators{collator_};
  for (std::size_t t = 1, threads = Parallel::threadsFor(n, 8192); t < threads; ++t) {
    UCollator* clone = cloneOf(collator_);
    if (!clone) break;
    collators.push_back(clone);
  }
  constexpr std::size_t kBlock = 2048;
  std::vector<Chunk> chunks((n + kBlock - 1) / kBlock);
  Parallel::forBlocks(
      n, kBlock, collators.size(),
      [&](std::size_t thread, std::size_t block, std::size_t begin, std::size_t end) {
        makeKeys(collators[thread], strings, begin, end, chunks[block]);
      });
  for (std::size_t t = 1; t < collators.size(); ++t) ucol_close(collators[t]);

  std::size_t total = 0;
  for (const Chunk& c : chunks) total += c.bytes.size();
  keys.bytes_.reserve(total);
  for (const Chunk& c : chunks) {
    const std::uint64_t base = keys.bytes_.size();
    keys.bytes_.insert(keys.bytes_.end(), c.bytes.begin(), c.bytes.end());
    for (const auto& [offset, length] : c.spans) keys.spans_.push_back({0, base + offset, length});
  }
  // Bytes every key starts with are skipped when comparing.
  const Keys::Span* first = nullptr;
  for (const Keys::Span& span : keys.spans_) {
    if (span.length == Keys::kMissing) continue;
    if (!first) {
      first = &span;
      keys.shared_ = span.length;
      continue;
    }
    const std::uint8_t* a = keys.bytes_.data() + first->offset;
    const std::uint8_t* b = keys.bytes_.data() + span.offset;
    const std::uint32_t limit = std::min(keys.shared_, span.length);
    std::uint32_t same = 0;
    while (same < limit && a[same] == b[same]) ++same;
    keys.shared_ = same;
  }
  for (Keys::Span& span : keys.spans_) {
    if (span.length == Keys::kMissing) continue;
    const std::uint8_t* k = keys.bytes_.data() + span.offset;
    for (std::uint32_t b = keys.shared_; b < keys.shared_ + 8; ++b)
      span.prefix = (span.prefix << 8) | (b < span.length ? k[b] : 0);
  }
  return keys;
}

Collation::Keys::~Keys() { wipe(bytes_); }

int Collation::Keys::compare(std::size_t i, std::size_t j) const {
  const Span& a = spans_[i];
  const Span& b = spans_[j];
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  const std::uint32_t common = std::min(a.length, b.length);
  const std::uint32_t from = shared_ + 8;
  if (common > from) {
    const int c = std::memcmp(bytes_.data() + a.offset + from, bytes_.data() + b.offset + from,
                              common - from);
    if (c != 0) return c;
  }
  return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
}
