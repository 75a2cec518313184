#include "vault/CurrentFormatDecryptor.h"

#include <openssl/crypto.h>

#include "platform/Dictionary.h"
#include "platform/KeyedUnarchiver.h"
#include "vault/VaultKeys.h"
#include "vault/ZVCommonCrypto.h"

namespace {
enum class Kind { DictionaryList, Date };

void wipe(QByteArray& bytes) {
  if (!bytes.isEmpty()) OPENSSL_cleanse(bytes.data(), static_cast<std::size_t>(bytes.size()));
}

bool isListOfDictionaries(const Value& v) {
  const ArrayRef list = v.toArray();
  if (!list) return false;
  for (const Value& element : list->values())
    if (!element.isDictionary()) return false;
  return true;
}

// Decrypts one piece and reads its archive; the piece is released only when both worked.
std::int32_t readPiece(ZVCommonCrypto& engine, QByteArray& piece, Kind kind, Value& out) {
  std::int32_t status = 0;
  std::optional<QByteArray> plain = engine.decrypt(piece, &status);
  if (!plain) return status != 0 ? status : CurrentFormatDecryptor::kUnreadablePiece;
  if (status != 0) {
    wipe(*plain);
    return status;
  }
  Result<Value> root = KeyedUnarchiver::unarchiveObjectWithData(*plain);
  wipe(*plain);
  if (!root) return CurrentFormatDecryptor::kUnreadablePiece;
  const bool fits = kind == Kind::Date ? root.value().isDate() : isListOfDictionaries(root.value());
  if (!fits) return CurrentFormatDecryptor::kUnreadablePiece;
  out = root.take();
  piece = QByteArray();
  return 0;
}
}  // namespace

std::int32_t CurrentFormatDecryptor::decrypt(ZVCommonCrypto* engine, CurrentPieces& pieces,
                                             bool clearPinAndSecurity, CurrentContents& out) {
  if (!engine) return kCheckMismatch;
  std::int32_t status = 0;
  std::optional<QByteArray> check = engine->decrypt(pieces.rc, &status);
  if (!check || status != 0) {
    if (check) wipe(*check);
    return status != 0 ? status : kCheckMismatch;
  }
  const QByteArray digest = ZVCommonCrypto::dataSHA1(*check);
  wipe(*check);
  if (pieces.sha1Rc.isEmpty() || digest != pieces.sha1Rc) return kCheckMismatch;

  Value records, categories, emails, creation;
  if ((status = readPiece(*engine, pieces.records, Kind::DictionaryList, records))) return status;
  if ((status = readPiece(*engine, pieces.categories, Kind::DictionaryList, categories)))
    return status;
  if ((status = readPiece(*engine, pieces.emails, Kind::DictionaryList, emails))) return status;
  out.emails = emails.toArray();
  // Our own writer leaves the piece out when the document has no creation date; the unlock
  // then gives it the present moment.
  if (!pieces.creationDate.isNull()) {
    if ((status = readPiece(*engine, pieces.creationDate, Kind::Date, creation))) return status;
    out.creationDate = creation.toDate();
  }

  const ArrayRef recordList = records.toArray();
  const ArrayRef categoryList = categories.toArray();
  restoreFromSaveOperationContent(recordList, categoryList);
  if (clearPinAndSecurity)
    for (const Value& v : recordList->values()) {
      Dictionary* record = v.dictionaryPointer();
      record->setValue(RecordKeys::pin(), QString());
      record->setValue(RecordKeys::security(), QString());
    }
  out.records = recordList;
  out.categories = categoryList;
  return 0;
}

void CurrentFormatDecryptor::restoreFromSaveOperationContent(const ArrayRef& records,
                                                             const ArrayRef& categories) {
  if (!records || !categories) return;
  for (const Value& v : categories->values())
    if (Dictionary* category = v.dictionaryPointer()) {
      category->setRecords(std::make_unique<IdentitySet>());
      category->setValue(CategoryKeys::howManyUsingThis(), Value::unsignedInteger(0));
    }
  for (const Value& v : records->values()) {
    const DictRef record = v.toDictionary();
    if (!record) continue;
    const DictRef category =
        catInArray(categories, record->value(RecordKeys::categoryID()).toInteger(0));
    record->setValue(RecordKeys::categoryPtr(), category);  // none removes the key
    if (!category) continue;
    IdentitySet& members = category->ensureRecords();
    members.append(record);
    category->setValue(CategoryKeys::howManyUsingThis(),
                       Value::unsignedInteger(static_cast<quint64>(members.count())));
  }
}

DictRef CurrentFormatDecryptor::catInArray(const ArrayRef& categories, qint64 uniqueID) {
  if (!categories) return {};
  for (const Value& v : categories->values()) {
    const Dictionary* category = v.dictionaryPointer();
    if (category && category->value(CategoryKeys::uniqueID()).toInteger(0) == uniqueID)
      return v.toDictionary();
  }
  return {};
}
