#pragma once

#include <QHashSeed>
#include <QStringView>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/HugePages.h"

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

// Ids by a key in one flat array on huge pages: millions of entries cost no allocation each,
// and lookups touch one or two cache lines. The key is a value's own bits or a hash of it; ids
// under equal keys are told apart by the caller.
template <typename Id, typename Key = quint64>
class FlatIndex {
 public:
  // The id under key for which same(id) holds; else next, added under key. second: added.
  template <typename Same>
  std::pair<Id, bool> findOrAdd(Key key, Id next, Same same) {
    if (2 * (count_ + 1) > capacity_) grow();
    const std::size_t mask = capacity_ - 1;
    for (std::size_t i = position(key) & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.idPlusOne == 0) {
        slot = Slot{key, next + 1};
        ++count_;
        return {next, true};
      }
      if (slot.key == key && same(slot.idPlusOne - 1)) return {slot.idPlusOne - 1, false};
    }
  }
  std::pair<Id, bool> findOrAdd(Key key, Id next) {
    return findOrAdd(key, next, [](Id) { return true; });
  }

  // Starts loading where key would be found.
  void prefetch(Key key) const {
    if (capacity_ != 0) __builtin_prefetch(&slots_[position(key) & (capacity_ - 1)]);
  }

 private:
  struct Slot {
    Key key = 0;
    Id idPlusOne = 0;  // 0: empty
  };

  // Keys that are a value's own bits often differ only in their high or low bits.
  static std::size_t position(quint64 key) {
    key ^= key >> 29;
    key *= 0xC4CEB9FE1A85EC53u;
    return static_cast<std::size_t>(key ^ (key >> 32));
  }

  struct Free {
    void operator()(Slot* slots) const { std::free(slots); }
  };
  using Slots = std::unique_ptr<Slot[], Free>;

  static Slots allocate(std::size_t capacity) {
    const std::size_t bytes = capacity * sizeof(Slot);
    void* memory = hugePageAllocate(bytes);
    std::memset(memory, 0, bytes);
    return Slots(static_cast<Slot*>(memory));
  }

  void grow() {
    const std::size_t oldCapacity = capacity_;
    Slots old = std::exchange(slots_, allocate(std::max<std::size_t>(64, 2 * capacity_)));
    capacity_ = std::max<std::size_t>(64, 2 * capacity_);
    const std::size_t mask = capacity_ - 1;
    for (std::size_t j = 0; j < oldCapacity; ++j) {
      const Slot& slot = old[j];
      if (slot.idPlusOne == 0) continue;
      std::size_t i = position(slot.key) & mask;
      while (slots_[i].idPlusOne != 0) i = (i + 1) & mask;
      slots_[i] = slot;
    }
  }

  Slots slots_;
  std::size_t capacity_ = 0;
  std::size_t count_ = 0;
};
