#include "vault/CurrentFormatEncryptor.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

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
  // In clear until encrypted where it lies; wiped if that fails.
  WipedBytes sealed{archive.take()};
  std::int32_t status = 0;
  if (!engine.encryptInPlace(sealed.bytes, &status)) return cipherFailure(piece, status);
  return std::exchange(sealed.bytes, QByteArray());
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

namespace {
// Where a list of record keys puts the category when stored: categoryPtr left out, categoryID
// in its place if the record has one already, else last. Made once per distinct key list.
struct StoredKeys {
  DictionaryKeysRef keys;
  qsizetype pointerAt = -1;  // in the record's own keys
  qsizetype idAt = -1;       // in the stored keys
};

StoredKeys storedKeysOf(const DictionaryKeys& keys) {
  StoredKeys out;
  out.pointerAt = keys.indexOf(RecordKeys::categoryPtr());
  std::vector<QString> stored;
  stored.reserve(static_cast<std::size_t>(keys.count()) + 1);
  for (qsizetype i = 0; i < keys.count(); ++i)
    if (i != out.pointerAt) stored.push_back(keys.at(i));
  const auto id = std::find(stored.begin(), stored.end(), RecordKeys::categoryID());
  out.idAt = id - stored.begin();
  if (id == stored.end()) stored.push_back(RecordKeys::categoryID());
  out.keys = std::make_shared<const DictionaryKeys>(std::move(stored));
  return out;
}
}  // namespace

ArrayRef CurrentFormatEncryptor::storedRecords(const ArrayRef& records) {
  auto stored = Array::create();
  if (!records) return stored;
  stored->values().reserve(records->values().size());
  std::unordered_map<const DictionaryKeys*, StoredKeys> storedKeys;
  for (const auto& v : records->values()) {
    const Dictionary* record = v.dictionaryPointer();
    if (!record) continue;
    auto [found, added] = storedKeys.try_emplace(record->keyList().get());
    if (added) found->second = storedKeysOf(*record->keyList());
    const StoredKeys& shape = found->second;
    std::vector<Value> values;
    values.reserve(static_cast<std::size_t>(shape.keys->count()));
    for (qsizetype i = 0; i < record->count(); ++i)
      if (i != shape.pointerAt) values.push_back(record->valueAt(i));
    const Dictionary* category = record->value(RecordKeys::categoryPtr()).dictionaryPointer();
    Value id =
        Value::integer(category ? category->value(CategoryKeys::uniqueID()).toInteger(0) : 0);
    if (shape.idAt < static_cast<qsizetype>(values.size()))
      values[static_cast<std::size_t>(shape.idAt)] = std::move(id);
    else
      values.push_back(std::move(id));
    stored->append(Dictionary::create(shape.keys, std::move(values)));
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
