#include "Common/RandomInRange.h"

#include <QRandomGenerator>
#include <limits>

#include "platform/crypto/SecureRandom.h"

namespace {

std::uint64_t draw64() {
  std::uint64_t r = 0;
  // The secure source practically never fails; if it does, the kernel's generator behind Qt's
  // system source is just as unpredictable, and passwords must never fall back to a weak one.
  if (SecureRandom::copyBytes(&r, sizeof r) != 0) r = QRandomGenerator::system()->generate64();
  return r;
}

}  // namespace

std::int64_t randomInRange(std::int64_t min, std::int64_t max) {
  if (max < min) return min;
  // The span in unsigned arithmetic covers the whole signed range without overflow.
  const std::uint64_t span = static_cast<std::uint64_t>(max) - static_cast<std::uint64_t>(min);
  std::uint64_t offset = draw64();
  if (span != std::numeric_limits<std::uint64_t>::max()) {
    const std::uint64_t count = span + 1;
    // Reject the low 2^64 mod count draws so that every residue is equally likely.
    const std::uint64_t reject = (0 - count) % count;
    while (offset < reject) offset = draw64();
    offset %= count;
  }
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(min) + offset);
}

double randomFraction() { return static_cast<double>(randomInRange(0, 1000000000)) / 1e9; }
