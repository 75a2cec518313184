#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The Blowfish engine of the legacy document formats: Blowfish-CBC with PKCS#5 padding, keyed
// directly by the password's Mac OS Roman bytes (16-byte schedule), with a fixed vector.
class ZVCrypto {
 public:
  static constexpr int kVectorLength = 8;
  // Decryption codes.
  enum : std::int32_t { kSuccess = 0, kUpdateFailed = 1, kFinalFailed = 2 };

  ZVCrypto();
  // vector: 8 raw bytes, or null for none.
  ZVCrypto(const unsigned char* vector, const QString& password);
  ~ZVCrypto();
  ZVCrypto(const ZVCrypto&) = delete;
  ZVCrypto& operator=(const ZVCrypto&) = delete;

  // A password other than "" and a vector.
  bool isReady() const;
  void setInitVector(const unsigned char* vector);
  void setPassword(const QString& password);

  // Nothing unless ready, or when the text or password has no Mac OS Roman form. An empty
  // plaintext gives an empty byte string.
  std::optional<QByteArray> cryptString(const QString& string) const;
  std::optional<QByteArray> cryptData(const QByteArray& data) const;
  std::optional<QByteArray> cryptLong(std::int64_t value) const;
  std::optional<QByteArray> cryptLongToInt32(std::int64_t value) const;

  // Always write errorCode. An empty ciphertext is an empty plaintext under any key; a password
  // without a Mac OS Roman form, or no vector, fails with kUpdateFailed.
  std::optional<QString> decryptToString(const QByteArray& cipherText,
                                         std::int32_t* errorCode) const;
  std::optional<QByteArray> decryptToData(const QByteArray& cipherText,
                                          std::int32_t* errorCode) const;
  // A 4-byte plaintext is a signed 32-bit little-endian integer, an 8-byte one a 64-bit one;
  // any other length (or a failure) answers 0.
  std::int64_t decryptToLong(const QByteArray& cipherText, std::int32_t* errorCode) const;

 private:
  std::optional<QByteArray> key() const;
  std::optional<QByteArray> encrypt(const QByteArray& plainText) const;

  QString myPassword_;
  std::optional<QByteArray> myIV_;
};
