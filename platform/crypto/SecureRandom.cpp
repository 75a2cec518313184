#include "platform/crypto/SecureRandom.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <algorithm>
#include <climits>

int SecureRandom::copyBytes(void* bytes, std::size_t count) {
  auto* out = static_cast<unsigned char*>(bytes);
  std::size_t done = 0;
  while (done < count) {
    const std::size_t chunk = std::min<std::size_t>(count - done, INT_MAX);
    if (RAND_bytes(out + done, static_cast<int>(chunk)) != 1) {
      OPENSSL_cleanse(bytes, count);
      return -1;
    }
    done += chunk;
  }
  return 0;
}
