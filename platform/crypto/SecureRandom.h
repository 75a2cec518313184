#pragma once

#include <cstddef>

// The system's cryptographically secure random source.
class SecureRandom {
 public:
  // Fills count bytes; 0 on success, non-zero when the source fails (the bytes are then zeroed).
  static int copyBytes(void* bytes, std::size_t count);
};
