#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class Cryptor;

// The AES engine of the current document format: AES-256-CBC with PKCS#7 padding, keyed by
// PBKDF2-HMAC-SHA1 (10000 rounds) of the password and an 8-byte salt.
//
// The key is derived once per (password, salt) and kept until either changes, so the check
// string and the four pieces of one save or one unlock share one derivation.
class ZVCommonCrypto {
 public:
  static constexpr int kIVLength = 16;
  static constexpr int kSaltLength = 8;
  static constexpr int kKeyLength = 32;
  static constexpr unsigned kRounds = 10000;
  enum Operation : std::uint32_t { kEncrypt = 0, kDecrypt = 1 };
  enum Option : std::uint32_t { kPKCS7Padding = 1, kECBMode = 2 };

  // A new random IV and salt; the key follows from them and the password.
  ZVCommonCrypto();
  explicit ZVCommonCrypto(const QString& password);
  ~ZVCommonCrypto();
  ZVCommonCrypto(const ZVCommonCrypto&) = delete;
  ZVCommonCrypto& operator=(const ZVCommonCrypto&) = delete;

  QString password() const;
  QByteArray salt() const;
  QByteArray IV() const;
  // The key of the current password and salt.
  QByteArray AESKey() const;

  void setPassword(const QString& password);
  void setSalt(const QByteArray& salt);
  void setIV(const QByteArray& iv);
  // Held until the next cipher operation or key read derives the key of the password and salt
  // again: the key given here never encrypts anything.
  void setAESKey(const QByteArray& key);

  void recalcIV_Salt_AESKey();
  void setPasswordToDecrypt(const QString& password, const QByteArray& iv, const QByteArray& salt);
  // A new password with a new IV and salt, as for a first save under it.
  void setPasswordToEncrypt(const QString& password);

  // Nothing on failure; error receives the cryptor status (0 on success).
  std::optional<QByteArray> encrypt(const QByteArray& data, std::int32_t* error);
  std::optional<QByteArray> decrypt(const QByteArray& data, std::int32_t* error);
  // As above with the caller's options, which encrypting may rewrite; the key argument is not
  // used (the key comes from the password and salt) and the status is not handed out.
  std::optional<QByteArray> encrypt(const QByteArray& data, const QByteArray& key,
                                    std::uint32_t* padding);
  std::optional<QByteArray> decrypt(const QByteArray& data, const QByteArray& key,
                                    std::uint32_t* padding);
  // Encrypts data where it lies, with PKCS#7 padding: for a piece of tens of megabytes a
  // second buffer would cost as much fresh memory again. On failure data holds part plaintext,
  // part ciphertext, and is still the caller's to wipe.
  bool encryptInPlace(QByteArray& data, std::int32_t* error);
  // The key always comes from the password and salt. Encrypting takes ECB (2) when asked and
  // otherwise writes PKCS#7 padding (1) back into the options; decrypting takes them as given.
  std::optional<QByteArray> doCipher(const QByteArray& data, std::uint32_t context,
                                     std::uint32_t* padding, std::int32_t* error);

  static std::optional<QByteArray> randomDataOfLength(std::uint64_t length);
  static QByteArray AESKeyForPassword(const QString& password, const QByteArray& salt);
  // How many of the password's characters enter the key whole: the key takes as many UTF-8
  // bytes as the password has UTF-16 units, so a non-ASCII password loses its tail.
  static qsizetype keyedCharacterCount(const QString& password);
  static QByteArray dataSHA1(const QByteArray& data);
  static QString generateRandom256AsciiString();

 private:
  const QByteArray& currentKey() const;
  std::unique_ptr<Cryptor> cryptorFor(std::uint32_t context, std::uint32_t options,
                                      std::int32_t* error) const;
  void renewIVAndSalt();

  QString password_;
  QByteArray salt_;
  QByteArray iv_;
  // The key cache and the (password, salt) it was derived from.
  mutable QByteArray aesKey_;
  mutable std::optional<std::pair<QString, QByteArray>> keySource_;
  // The held key came through setAESKey and is shown as it is until the next derivation.
  mutable bool keyWasSet_ = false;
};
