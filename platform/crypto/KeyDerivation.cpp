#include "platform/crypto/KeyDerivation.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <atomic>
#include <climits>

namespace {
std::atomic<std::uint64_t> gDerivations{0};
}

int KeyDerivation::pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, unsigned rounds,
                                  std::uint8_t* derived, std::size_t derivedLength) {
  if (derived == nullptr || rounds == 0 || rounds > INT_MAX || derivedLength > INT_MAX ||
      password.size() > INT_MAX || salt.size() > INT_MAX) {
    return -1;
  }
  ++gDerivations;
  // OpenSSL reads a null pointer with length 0 as strlen(""); pass real empty buffers instead.
  static const char kEmpty[1] = {0};
  const char* pass = password.isEmpty() ? kEmpty : password.data();
  const auto* saltBytes =
      reinterpret_cast<const unsigned char*>(salt.isEmpty() ? kEmpty : salt.data());
  const int ok = PKCS5_PBKDF2_HMAC(pass, static_cast<int>(password.size()), saltBytes,
                                   static_cast<int>(salt.size()), static_cast<int>(rounds),
                                   EVP_sha1(), static_cast<int>(derivedLength), derived);
  if (ok != 1) {
    OPENSSL_cleanse(derived, derivedLength);
    return -1;
  }
  return 0;
}

std::uint64_t KeyDerivation::derivationCount() { return gDerivations.load(); }
