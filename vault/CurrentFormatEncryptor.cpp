#include "vault/CurrentFormatEncryptor.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "platform/archive/KeyedArchiver.h"
#include "platform/crypto/SecureMemory.h"
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
                                       KeyedArchiver::ElementForm* form, const char* piece) {
  Result<QByteArray> archive = KeyedArchiver::archivedDataWithRootObject(root, form);
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

namespace {
// Records as stored: categoryPtr left out, categoryID in its place if the record has one
// already, else last, holding the category's identifier (0 for none). One shape per distinct
// key list, which records mostly share.
class StoredRecordForm : public KeyedArchiver::ElementForm {
 public:
  const Shape* shapeOf(const Dictionary& record, Value& given) override {
    auto [found, added] = shapes_.try_emplace(record.keyList().get());
    if (added) found->second = shapeFor(*record.keyList());
    const Stored& stored = found->second;
    const Dictionary* category =
        stored.pointerAt >= 0 ? record.valueAt(stored.pointerAt).dictionaryPointer() : nullptr;
    given = Value::integer(category ? category->value(CategoryKeys::uniqueID()).toInteger(0) : 0);
    return &stored.shape;
  }

 private:
  struct Stored {
    Shape shape;
    qsizetype pointerAt = -1;  // in the record's own keys
  };

  static Stored shapeFor(const DictionaryKeys& keys) {
    Stored out;
    out.pointerAt = keys.indexOf(RecordKeys::categoryPtr());
    const qsizetype idAt = keys.indexOf(RecordKeys::categoryID());
    std::vector<QString> stored;
    stored.reserve(static_cast<std::size_t>(keys.count()) + 1);
    for (qsizetype i = 0; i < keys.count(); ++i) {
      if (i == out.pointerAt) continue;
      stored.push_back(keys.at(i));
      out.shape.sources.push_back(i == idAt ? kGiven : i);
    }
    if (idAt < 0) {
      stored.push_back(RecordKeys::categoryID());
      out.shape.sources.push_back(kGiven);
    }
    out.shape.keys = std::make_shared<const DictionaryKeys>(std::move(stored));
    return out;
  }

  // Key lists by address: the records, and so their lists, outlive the archiving.
  std::unordered_map<const DictionaryKeys*, Stored> shapes_;
};
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

  // The records are archived in their stored form as they are, not copied into it first.
  StoredRecordForm recordForm;
  const struct {
    Value root;
    KeyedArchiver::ElementForm* form;
    const char* name;
    QByteArray* out;
  } archives[] = {
      {Value(contents.records ? contents.records : Array::create()), &recordForm, "records",
       &pieces.records},
      {Value(storedCategories(contents.categories)), nullptr, "categories", &pieces.categories},
      {Value(contents.emails ? contents.emails : Array::create()), nullptr, "e-mail list",
       &pieces.emails},
      {contents.creationDate ? Value(*contents.creationDate) : Value(), nullptr, "creation date",
       &pieces.creationDate},
  };
  for (const auto& a : archives) {
    if (a.root.isAbsent()) continue;  // no creation date: the key stays out of the file
    VaultResult<QByteArray> cipherText = encryptArchive(engine, a.root, a.form, a.name);
    if (!cipherText) return cipherText.failure();
    *a.out = cipherText.take();
  }
  return pieces;
}

ArrayRef CurrentFormatEncryptor::storedRecords(const ArrayRef& records) {
  auto stored = Array::create();
  if (!records) return stored;
  stored->values().reserve(records->values().size());
  StoredRecordForm form;
  for (const auto& v : records->values()) {
    const Dictionary* record = v.dictionaryPointer();
    if (!record) continue;
    Value given;
    const KeyedArchiver::ElementForm::Shape* shape = form.shapeOf(*record, given);
    std::vector<Value> values;
    values.reserve(shape->sources.size());
    for (const qsizetype source : shape->sources)
      values.push_back(source == KeyedArchiver::ElementForm::kGiven ? given
                                                                    : record->valueAt(source));
    stored->append(Dictionary::create(shape->keys, std::move(values)));
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
