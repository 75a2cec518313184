#include "vault/ZVCrypto.h"

#include <openssl/crypto.h>

#include <cstdint>
#include <cstdlib>

#include "platform/MacRoman.h"
#include "platform/crypto/BlowfishCBC.h"
#include "platform/crypto/SecureMemory.h"

namespace {

// Takes a buffer of the C layer, wiping and freeing it.
QByteArray takeBuffer(unsigned char* buffer, std::int32_t length) {
  if (buffer == nullptr) return QByteArray();
  QByteArray bytes(reinterpret_cast<const char*>(buffer), length);
  OPENSSL_cleanse(buffer, static_cast<std::size_t>(length));
  std::free(buffer);
  return bytes;
}

QByteArray littleEndian(std::uint64_t value, int width) {
  QByteArray bytes(width, '\0');
  for (int i = 0; i < width; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

}  // namespace

ZVCrypto::ZVCrypto() : ZVCrypto(nullptr, QString()) {}

ZVCrypto::ZVCrypto(const unsigned char* vector, const QString& password) {
  setInitVector(vector);
  setPassword(password);
}

ZVCrypto::~ZVCrypto() {
  SecureMemory::wipe(myPassword_);
  myIV_.reset();
}

bool ZVCrypto::isReady() const { return !myPassword_.isEmpty() && myIV_.has_value(); }

void ZVCrypto::setInitVector(const unsigned char* vector) {
  if (vector == nullptr) {
    myIV_.reset();
  } else {
    myIV_ = QByteArray(reinterpret_cast<const char*>(vector), kVectorLength);
  }
}

void ZVCrypto::setPassword(const QString& password) {
  QString copy = SecureMemory::privateCopy(password);  // before the wipe: they may share
  SecureMemory::wipe(myPassword_);
  myPassword_ = std::move(copy);
}

std::optional<QByteArray> ZVCrypto::key() const {
  // One Mac OS Roman byte per UTF-16 unit; the C layer takes the first 16, zero-padded.
  return MacRoman::encode(myPassword_);
}

std::optional<QByteArray> ZVCrypto::encrypt(const QByteArray& plainText) const {
  if (!isReady()) return std::nullopt;
  WipedBytes keyBytes;
  if (auto bytes = key()) {
    keyBytes.bytes = std::move(*bytes);
  } else {
    return std::nullopt;
  }
  if (plainText.isEmpty()) return QByteArray();
  if (plainText.size() > INT32_MAX) return std::nullopt;
  std::int32_t length = 0;
  unsigned char* out =
      blowfishCBCEncrypt(reinterpret_cast<const unsigned char*>(plainText.constData()),
                         static_cast<std::int32_t>(plainText.size()),
                         reinterpret_cast<const unsigned char*>(keyBytes.bytes.constData()),
                         static_cast<std::int32_t>(keyBytes.bytes.size()),
                         reinterpret_cast<const unsigned char*>(myIV_->constData()), &length);
  if (out == nullptr) return std::nullopt;
  return takeBuffer(out, length);
}

std::optional<QByteArray> ZVCrypto::cryptString(const QString& string) const {
  if (!isReady()) return std::nullopt;
  WipedBytes text;
  if (auto bytes = MacRoman::encode(string)) {
    text.bytes = std::move(*bytes);
  } else {
    return std::nullopt;
  }
  return encrypt(text.bytes);
}

std::optional<QByteArray> ZVCrypto::cryptData(const QByteArray& data) const {
  return encrypt(data);
}

std::optional<QByteArray> ZVCrypto::cryptLong(std::int64_t value) const {
  return encrypt(littleEndian(static_cast<std::uint64_t>(value), 8));
}

std::optional<QByteArray> ZVCrypto::cryptLongToInt32(std::int64_t value) const {
  return encrypt(littleEndian(static_cast<std::uint64_t>(value), 4));
}

std::optional<QByteArray> ZVCrypto::decryptToData(const QByteArray& cipherText,
                                                  std::int32_t* errorCode) const {
  std::int32_t code = kSuccess;
  std::optional<QByteArray> plain;
  if (cipherText.isEmpty()) {
    plain = QByteArray();
  } else if (auto keyBytes = key(); !keyBytes || !myIV_ || cipherText.size() > INT32_MAX) {
    code = kUpdateFailed;
  } else {
    WipedBytes keyCopy{std::move(*keyBytes)};
    std::int32_t length = 0;
    unsigned char* out = blowfishCBCDecryptWithStatus(
        reinterpret_cast<const unsigned char*>(cipherText.constData()),
        static_cast<std::int32_t>(cipherText.size()),
        reinterpret_cast<const unsigned char*>(keyCopy.bytes.constData()),
        static_cast<std::int32_t>(keyCopy.bytes.size()),
        reinterpret_cast<const unsigned char*>(myIV_->constData()), &length, &code);
    if (code == kSuccess) plain = takeBuffer(out, length);
  }
  if (errorCode != nullptr) *errorCode = code;
  return plain;
}

std::optional<QString> ZVCrypto::decryptToString(const QByteArray& cipherText,
                                                 std::int32_t* errorCode) const {
  // Mac OS Roman stands in for the platform's default C-string encoding.
  WipedBytes plain;
  if (auto bytes = decryptToData(cipherText, errorCode)) {
    plain.bytes = std::move(*bytes);
  } else {
    return std::nullopt;
  }
  return MacRoman::decode(plain.bytes);
}

std::int64_t ZVCrypto::decryptToLong(const QByteArray& cipherText, std::int32_t* errorCode) const {
  WipedBytes plain;
  if (auto bytes = decryptToData(cipherText, errorCode)) {
    plain.bytes = std::move(*bytes);
  } else {
    return 0;
  }
  const auto byte = [&](int i) {
    return static_cast<std::uint64_t>(static_cast<std::uint8_t>(plain.bytes[i]));
  };
  if (plain.bytes.size() == 4) {
    const auto low =
        static_cast<std::uint32_t>(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
    return static_cast<std::int32_t>(low);
  }
  if (plain.bytes.size() == 8) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = value << 8 | byte(i);
    return static_cast<std::int64_t>(value);
  }
  return 0;
}
