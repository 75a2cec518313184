#pragma once

#include <openssl/crypto.h>

#include <QByteArray>
#include <QString>

// Overwriting secrets (keys, plaintext, passwords) before their memory is let go.
//
// A wipe writes the characters in place even when the block is shared: every holder of the
// secret loses it, not only the last one to let go. Literal and raw data (no heap block) are
// read-only and are only let go. An owner that will wipe what it was given keeps a
// privateCopy, so that a caller's text is not zeroed with it.
class SecureMemory {
 public:
  static void wipe(QByteArray& bytes) {
    if (!bytes.isEmpty() && bytes.data_ptr().isMutable())
      OPENSSL_cleanse(const_cast<char*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    bytes.clear();
  }
  static void wipe(QString& text) {
    if (!text.isEmpty() && text.data_ptr().isMutable())
      OPENSSL_cleanse(const_cast<QChar*>(text.constData()),
                      static_cast<std::size_t>(text.size()) * sizeof(QChar));
    text.clear();
  }
  // Lets go of the text; the last holder of a block wipes it first.
  static void release(QString& text) {
    if (text.isDetached())
      wipe(text);
    else
      text.clear();
  }
  // A copy in a block of its own.
  static QString privateCopy(const QString& text) {
    return text.isNull() ? QString() : QString(text.constData(), text.size());
  }
};

// Bytes wiped when the scope ends, whatever path leaves it.
struct WipedBytes {
  QByteArray bytes;
  ~WipedBytes() { SecureMemory::wipe(bytes); }
};
