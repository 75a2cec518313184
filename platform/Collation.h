#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

struct UCollator;

// Locale-aware string order (the platform's localised comparisons), case-sensitive or not.
// Sorting many strings goes through sort keys: made once per string, compared as bytes, so
// a sort of n strings collates n times, not n log n times.
class Collation {
 public:
  Collation(const QLocale& locale, bool caseSensitive);
  ~Collation();
  Collation(const Collation&) = delete;
  Collation& operator=(const Collation&) = delete;

  // The sort keys of a list of strings; a missing string (none) has no key. The keys spell
  // out the strings' letters: they are wiped when let go.
  class Keys {
   public:
    Keys() = default;
    Keys(Keys&&) = default;
    Keys& operator=(Keys&&) = default;
    ~Keys();
    bool has(std::size_t i) const { return spans_[i].length != kMissing; }
    // A key's first distinguishing bytes as a number: keys whose prefixes differ compare as
    // these do.
    std::uint64_t prefix(std::size_t i) const { return spans_[i].prefix; }
    // Negative, zero or positive, as the strings i and j compare; both must have keys.
    int compare(std::size_t i, std::size_t j) const;

   private:
    friend class Collation;
    static constexpr std::uint32_t kMissing = 0xffffffffu;
    struct Span {
      // The key's first 8 bytes after those all keys share, big-endian, zero-padded.
      std::uint64_t prefix;
      std::uint64_t offset;
      std::uint32_t length;
    };
    std::vector<Span> spans_;
    std::vector<std::uint8_t> bytes_;
    std::uint32_t shared_ = 0;  // bytes at the start of every key (names with one prefix)
  };
  Keys keys(const std::vector<const QString*>& strings) const;

 private:
  UCollator* collator_ = nullptr;
};
