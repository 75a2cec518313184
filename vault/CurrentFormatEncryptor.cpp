#include "vault/CurrentFormatEncryptor.h"

#include "platform/KeyedArchiver.h"
#include "platform/SecureMemory.h"
#include "vault/VaultKeys.h"
#include "vault/ZVCommonCrypto.h"

namespace {
VaultError cipherFailure(const char* piece, std::int32_t status) {
  return {VaultError::Reason::CipherStatus,
          QStringLiteral("The %1 could not be encrypted (status %2).")
              .arg(QString::fromLatin1(piece))
              .arg(status),
          status};
}

VaultResult<QByteArray> encryptPlain(ZVCommonCrypto& engine, const QByteArray& plain,
                                     const char* piece) {
  std::int32_t status = 0;
  std::optional<QByteArray> cipherText = engine.encrypt(plain, &status);
  if (!cipherText || status != 0) return cipherFailure(piece, status);
  return std::move(*cipherText);
}

VaultResult<QByteArray> encryptArchive(ZVCommonCrypto& engine, const Value& root,
                                       const char* piece) {
  Result<QByteArray> archive = KeyedArchiver::archivedDataWithRootObject(root);
  if (!archive)
    return VaultError{VaultError::Reason::ArchiveFailed,
                      QStringLiteral("The %1 could not be archived: %2")
                          .arg(QString::fromLatin1(piece), archive.error()),
                      0};
  WipedBytes plain{archive.take()};  // the records in clear
  return encryptPlain(engine, plain.bytes, piece);
}
}  // namespace

VaultResult<HeldPieces> CurrentFormatEncryptor::encrypt(ZVCommonCrypto& engine,
                                                        const VaultContents& contents) {
  HeldPieces pieces;
  pieces.salt = engine.salt();
  pieces.iv = engine.IV();
  if (pieces.salt.size() != ZVCommonCrypto::kSaltLength ||
      pieces.iv.size() != ZVCommonCrypto::kIVLength)
    return VaultError{VaultError::Reason::CipherStatus,
                      QStringLiteral("No random salt and IV could be made."), 0};

  WipedBytes check{ZVCommonCrypto::generateRandom256AsciiString().toUtf8()};
  VaultResult<QByteArray> rc = encryptPlain(engine, check.bytes, "check string");
  if (!rc) return rc.failure();
  pieces.rc = rc.take();
  pieces.sha1Rc = ZVCommonCrypto::dataSHA1(check.bytes);

  const struct {
    Value root;
    const char* name;
    QByteArray* out;
  } archives[] = {
      {Value(storedRecords(contents.records)), "records", &pieces.records},
      {Value(storedCategories(contents.categories)), "categories", &pieces.categories},
      {Value(contents.emails ? contents.emails : Array::create()), "e-mail list", &pieces.emails},
      {contents.creationDate ? Value(*contents.creationDate) : Value(), "creation date",
       &pieces.creationDate},
  };
  for (const auto& a : archives) {
    if (a.root.isAbsent()) continue;  // no creation date: the key stays out of the file
    VaultResult<QByteArray> cipherText = encryptArchive(engine, a.root, a.name);
    if (!cipherText) return cipherText.failure();
    *a.out = cipherText.take();
  }
  return pieces;
}

ArrayRef CurrentFormatEncryptor::storedRecords(const ArrayRef& records) {
  auto stored = Array::create();
  if (!records) return stored;
  stored->values().reserve(records->values().size());
  for (const auto& v : records->values()) {
    const Dictionary* record = v.dictionaryPointer();
    if (!record) continue;
    DictRef copy = record->copy();
    const Dictionary* category = record->value(RecordKeys::categoryPtr()).dictionaryPointer();
    const qint64 id = category ? category->value(CategoryKeys::uniqueID()).toInteger(0) : 0;
    // Removing first leaves room for the ID: the copy has no capacity to spare.
    copy->removeValue(RecordKeys::categoryPtr());
    copy->setValue(RecordKeys::categoryID(), Value::integer(id));
    stored->append(copy);
  }
  return stored;
}

ArrayRef CurrentFormatEncryptor::storedCategories(const ArrayRef& categories) {
  auto stored = Array::create();
  if (!categories) return stored;
  for (const auto& v : categories->values())
    if (const Dictionary* category = v.dictionaryPointer()) stored->append(category->copy());
  return stored;
}
