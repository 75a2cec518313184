#include "platform/crypto/Sha1.h"

#include <openssl/evp.h>

QByteArray Sha1::digest(QByteArrayView bytes) {
  QByteArray out(kDigestLength, '\0');
  unsigned int length = 0;
  // SHA-1 over memory cannot fail short of an allocation failure; zeros then never match a
  // stored digest.
  EVP_Digest(bytes.data(), static_cast<std::size_t>(bytes.size()),
             reinterpret_cast<unsigned char*>(out.data()), &length, EVP_sha1(), nullptr);
  return out;
}
