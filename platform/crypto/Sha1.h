#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The SHA-1 digest, through OpenSSL. The current format stores the digest of its check string
// beside it, which is how a password is known to be right before any record is decrypted.
class Sha1 {
 public:
  static constexpr int kDigestLength = 20;
  static QByteArray digest(QByteArrayView bytes);
};
