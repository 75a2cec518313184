#pragma once

#include <QChar>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// A secret for a test to type and then look for in memory, held XOR-masked so that the test
// itself keeps no plain copy anywhere: the mask is applied at compile time and each character
// is unmasked only as it is used.
class MaskedText {
 public:
  static constexpr char16_t kMask = 0x5a;

  template <std::size_t N>
  static consteval std::array<char16_t, N - 1> mask(const char (&plain)[N]) {
    std::array<char16_t, N - 1> out{};
    for (std::size_t i = 0; i + 1 < N; ++i) {
      if (static_cast<unsigned char>(plain[i]) > 0x7f) throw "ASCII only";
      out[i] = char16_t(plain[i]) ^ kMask;
    }
    return out;
  }

  template <std::size_t N>
  explicit MaskedText(const std::array<char16_t, N>& masked)
      : masked_(masked.begin(), masked.end()) {}

  std::size_t size() const { return masked_.size(); }
  QChar at(std::size_t i) const { return QChar(char16_t(masked_[i] ^ kMask)); }
  // The masked bytes (each XORed with byte kMask) of the text as UTF-16 (little-endian, as
  // QString holds it) and as UTF-8, which for ASCII text is also its Latin-1 form.
  std::vector<std::uint8_t> maskedUtf16() const;
  std::vector<std::uint8_t> maskedUtf8() const;

 private:
  std::vector<char16_t> masked_;
};

// Reads the process's own writable memory (every readable and writable mapping: heap,
// anonymous mappings, stacks, data sections) through /proc/self/mem, so that pages that go
// away meanwhile fail a read instead of crashing the scan.
class ProcessMemoryScan {
 public:
  struct Hit {
    std::uintptr_t address;
    QString region;  // the mapping's name ("[heap]", a library, "" when anonymous)
  };
  // Where the bytes (each XORed with mask) are found; at most maxHits places.
  static std::vector<Hit> find(const std::vector<std::uint8_t>& masked, std::uint8_t mask,
                               std::size_t maxHits = 16);
  // Every hit of the text in UTF-16 and in UTF-8.
  static std::vector<Hit> find(const MaskedText& text);
};
