#pragma once

#include <QByteArrayView>
#include <cstddef>
#include <cstdint>

// PBKDF2 with HMAC-SHA1.
class KeyDerivation {
 public:
  // Fills derived[0..derivedLength); 0 on success, non-zero on failure.
  static int pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, unsigned rounds,
                            std::uint8_t* derived, std::size_t derivedLength);
  // Derivations run so far in this process; benchmarks and tests watch the cost of a save.
  static std::uint64_t derivationCount();
};
