#include "vault/CurrentFormatDecryptor.h"

#include <unordered_map>
#include <unordered_set>

#include "platform/Dictionary.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/crypto/SecureMemory.h"
#include "vault/CategoryMembers.h"
#include "vault/VaultKeys.h"
#include "vault/ZVCommonCrypto.h"

namespace {
enum class Kind { DictionaryList, Date };

bool isListOfDictionaries(const Value& v) {
  const ArrayRef list = v.toArray();
  if (!list) return false;
  for (const Value& element : list->values())
    if (!element.isDictionary()) return false;
  return true;
}

VaultError damaged(const char* piece, const QString& why, std::int32_t status = 0) {
  return {VaultError::Reason::DamagedDocument,
          QStringLiteral("The %1 of the document cannot be read: %2")
              .arg(QString::fromLatin1(piece), why),
          status};
}

VaultResult<Value> readPlain(const QByteArray& plain, Kind kind, const char* name) {
  Result<Value> root = KeyedUnarchiver::unarchiveObjectWithData(plain);
  if (!root) return damaged(name, root.error());
  const bool fits = kind == Kind::Date ? root.value().isDate() : isListOfDictionaries(root.value());
  if (!fits) return damaged(name, QStringLiteral("it holds another kind of object."));
  return root.take();
}

// Decrypts one piece into plain; on failure, the document is damaged (the password is known
// to be right here) and the status comes back.
std::int32_t decryptPiece(ZVCommonCrypto& engine, const QByteArray& piece, WipedBytes& plain) {
  std::int32_t status = 0;
  std::optional<QByteArray> out = engine.decrypt(piece, &status);
  plain.bytes = std::move(out).value_or(QByteArray());
  out.reset();  // NOLINT(bugprone-use-after-move): resetting is what a moved-from optional needs
  return status;
}

VaultError undecryptable(const char* name, std::int32_t status) {
  return damaged(name, QStringLiteral("it does not decrypt (status %1).").arg(status), status);
}

VaultResult<Value> readPiece(ZVCommonCrypto& engine, const QByteArray& piece, Kind kind,
                             const char* name) {
  WipedBytes plain;
  if (const std::int32_t status = decryptPiece(engine, piece, plain))
    return undecryptable(name, status);
  return readPlain(plain.bytes, kind, name);
}

// As readPiece, but the held ciphertext is let go while its plaintext is read: for a large
// vault the two would otherwise sit in memory together beside the lists being built.
// Encrypting the plaintext again with the same key and IV gives back the very same bytes, so
// a piece that does not read is put back as it was.
VaultResult<Value> readPieceReleasing(ZVCommonCrypto& engine, QByteArray& held, Kind kind,
                                      const char* name) {
  WipedBytes plain;
  if (const std::int32_t status = decryptPiece(engine, held, plain))
    return undecryptable(name, status);
  held = QByteArray();
  VaultResult<Value> root = readPlain(plain.bytes, kind, name);
  if (!root) {
    // The same engine and key: it fails only where decrypting would have failed first.
    std::int32_t status = 0;
    held = engine.encrypt(plain.bytes, &status).value_or(QByteArray());
  }
  return root;
}

// An archive may name one dictionary twice in a list (one UID twice): each row becomes a
// dictionary of its own, or an edit of one row would change the other and every save would
// write them as one.
void giveEachRowItsOwnDictionary(const ArrayRef& list) {
  std::unordered_set<const Dictionary*> seen;
  for (Value& row : list->values())
    if (const Dictionary* d = row.dictionaryPointer(); d && !seen.insert(d).second)
      row = Value(d->copy());
}

// What no password can get past: without a salt, a whole IV, a check string in whole blocks
// and a digest of SHA-1's length, answering "wrong password" would send the owner looking
// for another one. A longer IV or a salt of another length is read as the other editions
// read it (the IV's first 16 bytes, the whole salt).
std::optional<VaultError> unusableKeys(const HeldPieces& pieces) {
  static constexpr qsizetype kBlock = 16;
  static constexpr qsizetype kDigest = 20;
  QString why;
  if (pieces.salt.isEmpty())
    why = QStringLiteral("it has no salt");
  else if (pieces.iv.size() < ZVCommonCrypto::kIVLength)
    why = QStringLiteral("its IV has %1 bytes of %2")
              .arg(pieces.iv.size())
              .arg(ZVCommonCrypto::kIVLength);
  else if (pieces.rc.isEmpty() || pieces.rc.size() % kBlock != 0)
    why = pieces.rc.isEmpty() ? QStringLiteral("it has no check string")
                              : QStringLiteral("its check string is cut short");
  else if (pieces.sha1Rc.size() != kDigest)
    why = pieces.sha1Rc.isEmpty() ? QStringLiteral("it has no check digest")
                                  : QStringLiteral("its check digest has %1 bytes of %2")
                                        .arg(pieces.sha1Rc.size())
                                        .arg(kDigest);
  if (why.isEmpty()) return std::nullopt;
  return VaultError{VaultError::Reason::DamagedEntries,
                    QStringLiteral("The password cannot be checked: %1.").arg(why), 0};
}
}  // namespace

VaultResult<VaultContents> CurrentFormatDecryptor::decrypt(ZVCommonCrypto& engine,
                                                           HeldPieces& pieces,
                                                           bool clearPinAndSecurity) {
  if (std::optional<VaultError> damage = unusableKeys(pieces)) return *damage;
  std::int32_t status = 0;
  std::optional<QByteArray> check = engine.decrypt(pieces.rc, &status);
  WipedBytes wipedCheck{std::move(check).value_or(QByteArray())};
  check.reset();  // NOLINT(bugprone-use-after-move): as above, the moved-from optional let go
  const bool verified = status == 0 && ZVCommonCrypto::dataSHA1(wipedCheck.bytes) == pieces.sha1Rc;
  if (!verified) return VaultError::wrongPassword(status);

  // The records last: theirs is the piece let go while it is read.
  VaultResult<Value> categories =
      readPiece(engine, pieces.categories, Kind::DictionaryList, "categories");
  if (!categories) return categories.failure();
  VaultResult<Value> emails = readPiece(engine, pieces.emails, Kind::DictionaryList, "e-mail list");
  if (!emails) return emails.failure();
  std::optional<Date> creationDate;
  // Our own writer once left the piece out when a document had no creation date; the unlock
  // then gives it the present moment.
  if (!pieces.creationDate.isNull()) {
    VaultResult<Value> creation =
        readPiece(engine, pieces.creationDate, Kind::Date, "creation date");
    if (!creation) return creation.failure();
    creationDate = creation.value().toDate();
  }
  VaultResult<Value> records =
      readPieceReleasing(engine, pieces.records, Kind::DictionaryList, "records");
  if (!records) return records.failure();
  VaultContents out;
  out.creationDate = creationDate;
  out.records = records.value().toArray();
  out.categories = categories.value().toArray();
  out.emails = emails.value().toArray();
  for (const ArrayRef& list : {out.records, out.categories, out.emails})
    giveEachRowItsOwnDictionary(list);
  restoreFromSaveOperationContent(out.records, out.categories);
  if (clearPinAndSecurity)
    for (const Value& v : out.records->values()) {
      Dictionary* record = v.dictionaryPointer();
      record->setValue(RecordKeys::pin(), QString());
      record->setValue(RecordKeys::security(), QString());
    }
  return out;
}

void CurrentFormatDecryptor::restoreFromSaveOperationContent(const ArrayRef& records,
                                                             const ArrayRef& categories) {
  if (!records || !categories) return;
  // The first category with an identifier wins, as a scan of the list finds it.
  std::unordered_map<qint64, DictRef> byIdentifier;
  byIdentifier.reserve(static_cast<std::size_t>(categories->count()));
  for (const Value& v : categories->values())
    if (Dictionary* category = v.dictionaryPointer()) {
      CategoryMembers::reset(*category);
      byIdentifier.try_emplace(category->value(CategoryKeys::uniqueID()).toInteger(0),
                               v.toDictionary());
    }
  for (const Value& v : records->values()) {
    const DictRef record = v.toDictionary();
    if (!record) continue;
    const auto found = byIdentifier.find(record->value(RecordKeys::categoryID()).toInteger(0));
    const DictRef category = found != byIdentifier.end() ? found->second : DictRef();
    record->setValue(RecordKeys::categoryPtr(), category);  // none removes the key
    if (category) CategoryMembers::ensure(*category).append(record);
  }
  for (const Value& v : categories->values())
    if (Dictionary* category = v.dictionaryPointer())
      category->setValue(
          CategoryKeys::howManyUsingThis(),
          Value::unsignedInteger(static_cast<quint64>(CategoryMembers::ensure(*category).count())));
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
