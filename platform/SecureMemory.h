#pragma once

#include <openssl/crypto.h>

#include <QByteArray>
#include <QString>

// Overwriting secrets (keys, plaintext, passwords) before their memory is let go.
class SecureMemory {
 public:
  static void wipe(QByteArray& bytes) {
    if (!bytes.isEmpty() && bytes.isDetached())
      OPENSSL_cleanse(bytes.data(), static_cast<std::size_t>(bytes.size()));
    bytes.clear();
  }
  // Only characters this string owns alone: a shared copy still belongs to someone else.
  static void wipe(QString& text) {
    if (!text.isEmpty() && text.isDetached())
      OPENSSL_cleanse(text.data(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
    text.clear();
  }
  // A copy that shares no characters with text, for an owner that will wipe its own.
  static QString privateCopy(const QString& text) { return QString(text.constData(), text.size()); }
};

// Bytes wiped when the scope ends, whatever path leaves it.
struct WipedBytes {
  QByteArray bytes;
  ~WipedBytes() { SecureMemory::wipe(bytes); }
};
