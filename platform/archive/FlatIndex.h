#pragma once

#include <QHashSeed>
#include <QStringView>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/archive/HugePages.h"

// Hashes text well enough for keys that come from the user, a word of it at a time.
inline quint64 textHash(QStringView text) {
  const char* p = reinterpret_cast<const char*>(text.utf16());
  std::size_t n = static_cast<std::size_t>(text.size()) * 2;
  quint64 h = QHashSeed::globalSeed() ^ (n * 0x9E3779B97F4A7C15u);
  auto mix = [&h](quint64 word) {
    h = (h ^ word) * 0xFF51AFD7ED558CCDu;
    h ^= h >> 32;
  };
  for (; n >= 8; p += 8, n -= 8) {
    quint64 word;
    std::memcpy(&word, p, 8);
    mix(word);
  }
  if (n > 0) {
    quint64 word = 0;
    std::memcpy(&word, p, n);
    mix(word);
  }
  return h;
}

// Ids by a key in one flat array on huge pages: millions of entries cost no allocation each.
// A probe reads a separate byte per slot first, a fingerprint of its key: tables of millions
// of entries are looked up in random order, and the bytes span an eighth or a sixteenth of
// the slots' memory, so most probes that find nothing (a new key) never wait for a slot to
// load. The key is a value's own bits or a hash of it; ids under equal keys are told apart by
// the caller.
template <typename Id, typename Key = quint64>
class FlatIndex {
 public:
  // The id under key for which same(id) holds; else next, added under key. second: added.
  template <typename Same>
  std::pair<Id, bool> findOrAdd(Key key, Id next, Same same) {
    if (2 * (count_ + 1) > capacity_) grow(std::max<std::size_t>(64, 2 * capacity_));
    const std::size_t mask = capacity_ - 1;
    const std::size_t where = position(key);
    const quint8 tag = tagOf(where);
    for (std::size_t i = where & mask;; i = (i + 1) & mask) {
      if (tags_[i] == 0) {
        tags_[i] = tag;
        slots_[i] = Slot{key, next};
        ++count_;
        return {next, true};
      }
      if (tags_[i] == tag && slots_[i].key == key && same(slots_[i].id))
        return {slots_[i].id, false};
    }
  }
  std::pair<Id, bool> findOrAdd(Key key, Id next) {
    return findOrAdd(key, next, [](Id) { return true; });
  }

  // Room for count keys in all: a table of millions of keys grown one doubling at a time is
  // moved again at each, into memory fresh each time.
  void reserve(std::size_t count) {
    std::size_t capacity = std::max<std::size_t>(64, capacity_);
    while (capacity < 2 * (count + 1)) capacity *= 2;
    if (capacity > capacity_) grow(capacity);
  }

  // Starts loading where key would be found, its tag and its slot. Inlined always: GCC takes a call
  // of a function that only prefetches for one without effect and drops it.
  [[gnu::always_inline]] void prefetch(Key key) const {
    if (capacity_ == 0) return;
    const std::size_t i = position(key) & (capacity_ - 1);
    __builtin_prefetch(&tags_[i]);
    // A new key's slot is written, a known one's read: either way it is needed.
    __builtin_prefetch(&slots_[i], 1);
  }

 private:
  struct Slot {
    Key key;
    Id id;
  };

  // Keys that are a value's own bits often differ only in their high or low bits.
  static std::size_t position(quint64 key) {
    key ^= key >> 29;
    key *= 0xC4CEB9FE1A85EC53u;
    return static_cast<std::size_t>(key ^ (key >> 32));
  }
  // The top bits, which no table is large enough to index by; never 0, which marks a free slot.
  static quint8 tagOf(std::size_t where) { return static_cast<quint8>((where >> 57) | 0x80); }

  struct Free {
    void operator()(void* memory) const { std::free(memory); }
  };

  void grow(std::size_t capacity) {
    const std::size_t oldCapacity = capacity_;
    capacity_ = capacity;
    std::unique_ptr<quint8[], Free> oldTags(static_cast<quint8*>(hugePageAllocate(capacity_)));
    oldTags.swap(tags_);
    std::memset(tags_.get(), 0, capacity_);
    // Slots are read only under a set tag: they need no clearing.
    std::unique_ptr<Slot[], Free> oldSlots(
        static_cast<Slot*>(hugePageAllocate(capacity_ * sizeof(Slot))));
    oldSlots.swap(slots_);
    const std::size_t mask = capacity_ - 1;
    for (std::size_t j = 0; j < oldCapacity; ++j) {
      if (oldTags[j] == 0) continue;
      const std::size_t where = position(oldSlots[j].key);
      std::size_t i = where & mask;
      while (tags_[i] != 0) i = (i + 1) & mask;
      tags_[i] = tagOf(where);
      slots_[i] = oldSlots[j];
    }
  }

  std::unique_ptr<quint8[], Free> tags_;
  std::unique_ptr<Slot[], Free> slots_;
  std::size_t capacity_ = 0;
  std::size_t count_ = 0;
};
