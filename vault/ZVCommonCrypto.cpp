#include "vault/ZVCommonCrypto.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "Common/RandomInRange.h"
#include "platform/crypto/Cryptor.h"
#include "platform/crypto/KeyDerivation.h"
#include "platform/crypto/SecureMemory.h"
#include "platform/crypto/SecureRandom.h"
#include "platform/crypto/Sha1.h"

namespace {

void report(std::int32_t* error, std::int32_t status) {
  if (error != nullptr) *error = status;
}

}  // namespace

ZVCommonCrypto::ZVCommonCrypto() : ZVCommonCrypto(QString()) {}

ZVCommonCrypto::ZVCommonCrypto(const QString& password)
    : password_(SecureMemory::privateCopy(password)) {
  renewIVAndSalt();  // the key is derived when first needed
}

ZVCommonCrypto::~ZVCommonCrypto() {
  // The key source shares its password's characters with password_: one wipe clears both.
  SecureMemory::wipe(password_);
  SecureMemory::wipe(aesKey_);
}

QString ZVCommonCrypto::password() const { return password_; }

QByteArray ZVCommonCrypto::salt() const { return salt_; }

QByteArray ZVCommonCrypto::IV() const { return iv_; }

QByteArray ZVCommonCrypto::AESKey() const {
  // A copy of its own: the held key is wiped in place when it is replaced.
  const QByteArray& key = keyWasSet_ ? aesKey_ : currentKey();
  return QByteArray(key.constData(), key.size());
}

void ZVCommonCrypto::setPassword(const QString& password) {
  QString copy = SecureMemory::privateCopy(password);  // before the wipe: they may share
  SecureMemory::wipe(password_);
  password_ = std::move(copy);
}

void ZVCommonCrypto::setSalt(const QByteArray& salt) { salt_ = salt; }

void ZVCommonCrypto::setIV(const QByteArray& iv) { iv_ = iv; }

void ZVCommonCrypto::setAESKey(const QByteArray& key) {
  SecureMemory::wipe(aesKey_);
  aesKey_ = QByteArray(key.constData(), key.size());
  keySource_.reset();
  keyWasSet_ = true;
}

void ZVCommonCrypto::recalcIV_Salt_AESKey() { renewIVAndSalt(); }

void ZVCommonCrypto::setPasswordToEncrypt(const QString& password) {
  setPassword(password);
  renewIVAndSalt();
}

void ZVCommonCrypto::setPasswordToDecrypt(const QString& password, const QByteArray& iv,
                                          const QByteArray& salt) {
  setPassword(password);
  iv_ = iv;
  salt_ = salt;
}

void ZVCommonCrypto::renewIVAndSalt() {
  // A failed source leaves them empty, and every cipher then fails instead of using weak bytes.
  iv_ = randomDataOfLength(kIVLength).value_or(QByteArray());
  salt_ = randomDataOfLength(kSaltLength).value_or(QByteArray());
}

const QByteArray& ZVCommonCrypto::currentKey() const {
  if (!keySource_ || keySource_->first != password_ || keySource_->second != salt_) {
    SecureMemory::wipe(aesKey_);
    aesKey_ = AESKeyForPassword(password_, salt_);
    keySource_.emplace(password_, salt_);
    keyWasSet_ = false;
  }
  return aesKey_;
}

std::optional<QByteArray> ZVCommonCrypto::encrypt(const QByteArray& data, std::int32_t* error) {
  std::uint32_t options = kPKCS7Padding;
  return doCipher(data, kEncrypt, &options, error);
}

std::optional<QByteArray> ZVCommonCrypto::decrypt(const QByteArray& data, std::int32_t* error) {
  std::uint32_t options = kPKCS7Padding;
  return doCipher(data, kDecrypt, &options, error);
}

std::optional<QByteArray> ZVCommonCrypto::encrypt(const QByteArray& data, const QByteArray&,
                                                  std::uint32_t* padding) {
  return doCipher(data, kEncrypt, padding, nullptr);
}

std::optional<QByteArray> ZVCommonCrypto::decrypt(const QByteArray& data, const QByteArray&,
                                                  std::uint32_t* padding) {
  return doCipher(data, kDecrypt, padding, nullptr);
}

std::unique_ptr<Cryptor> ZVCommonCrypto::cryptorFor(std::uint32_t context, std::uint32_t options,
                                                    std::int32_t* error) const {
  // No salt or a short IV comes only from a failed random source or a damaged file.
  if (salt_.isEmpty() || iv_.size() < kIVLength) {
    report(error, Cryptor::kParamError);
    return nullptr;
  }
  WipedBytes key;
  key.bytes = currentKey();
  key.bytes.detach();
  std::unique_ptr<Cryptor> cryptor;
  const Cryptor::Status status =
      Cryptor::create(context, options, key.bytes, iv_.left(kIVLength), &cryptor);
  report(error, status);
  if (status != Cryptor::kSuccess) return nullptr;
  return cryptor;
}

std::optional<QByteArray> ZVCommonCrypto::doCipher(const QByteArray& data, std::uint32_t context,
                                                   std::uint32_t* padding, std::int32_t* error) {
  std::uint32_t options = padding != nullptr ? *padding : std::uint32_t(kPKCS7Padding);
  if (context == kEncrypt) {
    if (options != kECBMode) {
      options = kPKCS7Padding;
      if (padding != nullptr) *padding = options;
    }
  }

  std::unique_ptr<Cryptor> cryptor = cryptorFor(context, options, error);
  if (!cryptor) return std::nullopt;

  const auto inLength = static_cast<std::size_t>(data.size());
  WipedBytes out;
  // Not filled first: the cipher writes every byte up to the length it reports, and the rest
  // is wiped below. Filling the 52 MB of a 100,000-record vault's records first cost 7 ms more.
  out.bytes =
      QByteArray(static_cast<qsizetype>(cryptor->outputLength(inLength, true)), Qt::Uninitialized);
  std::size_t updated = 0;
  Cryptor::Status status = cryptor->update(data.constData(), inLength, out.bytes.data(),
                                           static_cast<std::size_t>(out.bytes.size()), &updated);
  report(error, status);
  if (status != Cryptor::kSuccess) return std::nullopt;

  std::size_t finished = 0;
  status = cryptor->final(out.bytes.data() + updated,
                          static_cast<std::size_t>(out.bytes.size()) - updated, &finished);
  report(error, status);
  cryptor->release();
  if (status != Cryptor::kSuccess) return std::nullopt;
  // Cut to length in place: a copy would cost as much again for a large piece. Whatever the
  // cipher left past the end is wiped first.
  const auto length = static_cast<qsizetype>(updated + finished);
  OPENSSL_cleanse(out.bytes.data() + length, static_cast<std::size_t>(out.bytes.size() - length));
  out.bytes.truncate(length);
  return std::move(out.bytes);
}

bool ZVCommonCrypto::encryptInPlace(QByteArray& data, std::int32_t* error) {
  std::unique_ptr<Cryptor> cryptor = cryptorFor(kEncrypt, kPKCS7Padding, error);
  if (!cryptor) return false;
  const auto length = static_cast<std::size_t>(data.size());
  const std::size_t room = length + Cryptor::kBlockSize;
  if (static_cast<std::size_t>(data.capacity()) < room) {
    // Growing the buffer could leave a copy of the plaintext behind in freed memory.
    QByteArray roomy;
    roomy.reserve(static_cast<qsizetype>(room));
    roomy.append(data);
    SecureMemory::wipe(data);
    data = std::move(roomy);
  }
  data.resize(static_cast<qsizetype>(room));
  char* bytes = data.data();
  std::size_t updated = 0;
  std::size_t finished = 0;
  Cryptor::Status status = cryptor->update(bytes, length, bytes, room, &updated);
  if (status == Cryptor::kSuccess)
    status = cryptor->final(bytes + updated, room - updated, &finished);
  report(error, status);
  cryptor->release();
  if (status != Cryptor::kSuccess) return false;
  data.resize(static_cast<qsizetype>(updated + finished));
  return true;
}

std::optional<QByteArray> ZVCommonCrypto::randomDataOfLength(std::uint64_t length) {
  if (length > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) return std::nullopt;
  QByteArray bytes(static_cast<qsizetype>(length), '\0');
  if (SecureRandom::copyBytes(bytes.data(), static_cast<std::size_t>(length)) != 0)
    return std::nullopt;
  return bytes;
}

QByteArray ZVCommonCrypto::AESKeyForPassword(const QString& password, const QByteArray& salt) {
  // Every stored document is keyed with the UTF-8 bytes cut to the UTF-16 length: for a
  // non-ASCII password only a prefix of its encoding counts.
  WipedBytes utf8;
  utf8.bytes = password.toUtf8();
  const qsizetype used = std::min(password.size(), utf8.bytes.size());
  QByteArray key(kKeyLength, '\0');
  KeyDerivation::pbkdf2HmacSha1(QByteArrayView(utf8.bytes.constData(), used), salt, kRounds,
                                reinterpret_cast<std::uint8_t*>(key.data()), kKeyLength);
  return key;
}

qsizetype ZVCommonCrypto::keyedCharacterCount(const QString& password) {
  const qsizetype budget = password.size();
  qsizetype bytes = 0;
  qsizetype characters = 0;
  for (qsizetype i = 0; i < password.size();) {
    const qsizetype units = password.at(i).isHighSurrogate() && i + 1 < password.size() &&
                                    password.at(i + 1).isLowSurrogate()
                                ? 2
                                : 1;
    // Each character's own encoding, as toUtf8 writes it (a lone surrogate included).
    WipedBytes encoded;
    encoded.bytes = QStringView(password).sliced(i, units).toUtf8();
    bytes += encoded.bytes.size();
    if (bytes > budget) break;
    ++characters;
    i += units;
  }
  return characters;
}

QByteArray ZVCommonCrypto::dataSHA1(const QByteArray& data) { return Sha1::digest(data); }

QString ZVCommonCrypto::generateRandom256AsciiString() {
  // Codes 1..255 become the characters U+0001..U+00FF (Latin-1 for 128..255): one fixed,
  // NUL-free mapping. Readers only compare the digest of the decrypted UTF-8 bytes.
  QString check;
  check.reserve(256);
  for (int i = 0; i < 256; ++i) check.append(QChar(char16_t(randomInRange(1, 255))));
  return check;
}
