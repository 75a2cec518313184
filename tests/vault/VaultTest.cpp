// The vault on its own, as the fuzzer and the benchmarks use it: no application object,
// no window, nothing but QtCore and OpenSSL.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <algorithm>

#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "tests/vault/LegacyFileWriter.h"
#include "vault/DocumentPassword.h"
#include "vault/Vault.h"
#include "vault/VaultFileKeys.h"
#include "vault/VaultKeys.h"
#include "vault/ZVCommonCrypto.h"

namespace {

const QString kPassword = QStringLiteral("correct horse");

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

DictRef containerOf(const QByteArray& file) {
  Result<Value> root = KeyedUnarchiver::unarchiveObjectWithData(file);
  return root ? root.value().toDictionary() : DictRef();
}

// The plaintext archives of a current file's four pieces, in file order.
std::vector<QByteArray> decryptedPieces(const QByteArray& file, const QString& password) {
  const DictRef d = containerOf(file);
  const auto data = [&](QStringView key) { return d->value(key).toData(); };
  ZVCommonCrypto engine;
  engine.setPasswordToDecrypt(password, data(VaultFileKeys::iv), data(VaultFileKeys::salt));
  std::vector<QByteArray> out;
  for (QStringView key : {VaultFileKeys::dataArrayData, VaultFileKeys::catArrayData,
                          VaultFileKeys::emailArrayData, VaultFileKeys::documentCreationDateData}) {
    std::int32_t status = 0;
    out.push_back(engine.decrypt(data(key), &status).value_or(QByteArray()));
  }
  return out;
}

DictRef addRecord(Vault& vault, const QString& name, const DictRef& category = {}) {
  DictRef record = vault.recordController().newObject();
  record->setValue(RecordKeys::name(), name);
  if (category) record->setValue(RecordKeys::categoryPtr(), category);
  vault.recordController().addObject(record);
  return record;
}

QString categoryTitleOf(const DictRef& record) {
  const Dictionary* category = record->value(RecordKeys::categoryPtr()).dictionaryPointer();
  return category ? category->value(CategoryKeys::category()).toString() : QString();
}

DictRef recordNamed(const Vault& vault, const QString& name) {
  for (const Value& v : vault.records()->values())
    if (v.toDictionary()->value(RecordKeys::name()).toString() == name) return v.toDictionary();
  return {};
}

TEST(VaultTest, OpensUnlocksEditsLocksAndWritesWithoutAnApplication) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  QByteArray file;
  {
    Vault made;
    addRecord(made, QStringLiteral("First"));
    file = made.fileData(kPassword, DesktopViewState{}).value();
  }
  Vault vault;
  ASSERT_TRUE(vault.read(file));
  EXPECT_TRUE(vault.isLocked());
  EXPECT_EQ(vault.records()->count(), 0);
  ASSERT_TRUE(vault.unlock(kPassword));
  ASSERT_EQ(vault.records()->count(), 1);
  addRecord(vault, QStringLiteral("Second"));

  ASSERT_TRUE(vault.lock(kPassword, DesktopViewState{}));
  EXPECT_TRUE(vault.isLocked());
  EXPECT_EQ(vault.records()->count(), 0) << "a locked vault keeps no plaintext records";
  const QByteArray written = vault.fileData(kPassword, DesktopViewState{}).value();

  Vault reopened;
  ASSERT_TRUE(reopened.read(written));
  ASSERT_TRUE(reopened.unlock(kPassword));
  EXPECT_TRUE(recordNamed(reopened, QStringLiteral("First")));
  EXPECT_TRUE(recordNamed(reopened, QStringLiteral("Second")));
}

// A file written before the vault had a writer of its own: the container keeps its layout and
// the decrypted pieces are byte for byte the same after an unlock and a save.
TEST(VaultTest, WritesFilesAsBeforeByteForByteInsideThePieces) {
  const QByteArray before =
      readFile(QStringLiteral(QV_SOURCE_DIR "/tests/vault/data/written-before.qvlt"));
  ASSERT_FALSE(before.isEmpty());
  Vault vault;
  ASSERT_TRUE(vault.read(before));
  ASSERT_TRUE(vault.unlock(kPassword));
  const QByteArray after = vault.fileData(kPassword, vault.viewState()).value();

  const DictRef a = containerOf(before), b = containerOf(after);
  ASSERT_TRUE(a && b);
  ASSERT_EQ(a->keys(), b->keys()) << "same keys in the same order";
  for (const auto& [key, value] : a->entries()) {
    const Value& other = b->value(key);
    EXPECT_EQ(value.isData(), other.isData()) << key.toStdString();
    if (!value.isData()) {
      EXPECT_TRUE(value == other) << key.toStdString();
    } else if (key != VaultFileKeys::rc) {  // the check string's UTF-8 length varies
      EXPECT_EQ(value.toData().size(), other.toData().size()) << key.toStdString();
    }
  }
  EXPECT_NE(a->value(VaultFileKeys::salt).toData(), b->value(VaultFileKeys::salt).toData());
  EXPECT_EQ(decryptedPieces(before, kPassword), decryptedPieces(after, kPassword));
}

// A locked vault writes what it holds: the pieces with the version they were made for and the
// desktop state of its lock; an older format has no pieces of the current kind to write.
TEST(VaultTest, ALockedVaultWritesItsPiecesWithTheirVersion) {
  Vault made;
  addRecord(made, QStringLiteral("Pinned"));
  const DictRef container = containerOf(made.fileData(kPassword, {}).value());
  container->setValue(VaultFileKeys::appversion.toString(), Value::unsignedInteger(30000));
  Vault older;
  ASSERT_TRUE(older.read(KeyedArchiver::archivedDataWithRootObject(Value(container)).value()));
  const DictRef written = containerOf(older.fileData(kPassword, {}).value());
  EXPECT_EQ(written->value(VaultFileKeys::appversion).toUnsigned(0), 30000u)
      << "pieces of 30000 still lose pin and security at their unlock";
  EXPECT_EQ(written->value(VaultFileKeys::dataArrayData).toData(),
            container->value(VaultFileKeys::dataArrayData).toData());

  Vault locked;
  addRecord(locked, QStringLiteral("Kept"));
  DesktopViewState atLock;
  atLock.windowFrame = Rect{5, 6, 700, 400};
  ASSERT_TRUE(locked.lock(kPassword, atLock));
  Vault reread;
  ASSERT_TRUE(reread.read(locked.fileData(kPassword, {}).value()));
  EXPECT_EQ(reread.viewState().windowFrame, atLock.windowFrame);

  const ZVCrypto engine(LegacyFileWriter::kVector, kPassword);
  auto records = Array::create(
      {Value(LegacyFileWriter::Entry(engine).text("name", QStringLiteral("x")).dict())});
  Vault legacyVault;
  ASSERT_TRUE(legacyVault.read(LegacyFileWriter::document(1000, records, nullptr)));
  const VaultResult<QByteArray> refused = legacyVault.fileData(kPassword, {});
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.failure().reason, VaultError::Reason::OlderFormat);
}

// Many records in a few categories, one with no category and some already naming one by
// ID: the records and categories pieces stay as they have always been written.
TEST(VaultTest, WritesTheRecordsOfALargeVaultAsItAlwaysHas) {
  Vault vault;
  auto categories = Array::create();
  for (int i = 0; i < 3; ++i) {
    auto category = Dictionary::create();
    category->setValue(CategoryKeys::category(), QStringLiteral("Category %1").arg(i));
    if (i != 2) category->setValue(CategoryKeys::uniqueID(), Value::integer(1000 + i));
    categories->append(Value(category));
  }
  auto records = Array::create();
  for (int i = 0; i < 3000; ++i) {
    auto record = Dictionary::create();
    if (i % 7 == 0) record->setValue(RecordKeys::categoryID(), Value::integer(55));
    record->setValue(RecordKeys::name(), QStringLiteral("Record %1").arg(i));
    record->setValue(RecordKeys::password(),
                     Value::mutableString(QStringLiteral("pw %1").arg(i % 40)));
    record->setValue(RecordKeys::note(), QString());
    record->setValue(RecordKeys::creationDate(), Date{700000000.0 + i % 9});
    record->setValue(RecordKeys::usageCount(), Value::integer(i % 4));
    if (i % 4 != 3) record->setValue(RecordKeys::categoryPtr(), categories->at(i % 4));
    record->setValue(RecordKeys::url(), QStringLiteral("https://example.org/%1").arg(i % 5));
    records->append(Value(record));
  }
  vault.setCategories(categories);
  vault.setRecords(records);
  vault.setCreationDate(Date{650000000.0});
  const std::vector<QByteArray> pieces =
      decryptedPieces(vault.fileData(kPassword, {}).value(), kPassword);
  ASSERT_EQ(pieces.size(), 4u);
  const auto digest = [](const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
  };
  EXPECT_EQ(pieces[0].size(), 339344);
  EXPECT_EQ(digest(pieces[0]), "0741381ba0c2f18ee06804f33830ef736b6eade043526565d8df9da504c0c51c");
  EXPECT_EQ(digest(pieces[1]), "4af506ff8f7ef24bfedbdcf81b84640d722da5ad184d41bf6861c4723ff199fa");
}

// Saving writes the file's pieces one after the other: the same bytes, the large records
// ciphertext written from the buffer the vault holds.
TEST(VaultTest, TheFilesPiecesAreItsBytesWithTheRecordsUncopied) {
  Vault vault;
  for (int i = 0; i < 3000; ++i) addRecord(vault, QStringLiteral("Record %1").arg(i));
  ASSERT_TRUE(vault.lock(kPassword, DesktopViewState{}));
  const QByteArray& records = vault.heldPieces().records;
  ASSERT_GT(records.size(), 64 * 1024);
  const VaultResult<QByteArrayList> pieces = vault.filePieces(kPassword, {});
  ASSERT_TRUE(pieces);
  EXPECT_EQ(pieces.value().join(), vault.fileData(kPassword, {}).value());
  EXPECT_TRUE(std::any_of(pieces.value().cbegin(), pieces.value().cend(), [&](const QByteArray& p) {
    return p.constData() == records.constData();
  }));
}

TEST(VaultTest, ANewVaultCarriesItsCreationDateInItsFirstFile) {
  Vault vault;
  ASSERT_TRUE(vault.creationDate().has_value());
  const DictRef container = containerOf(vault.fileData(kPassword, {}).value());
  for (QStringView key : {VaultFileKeys::dataArrayData, VaultFileKeys::catArrayData,
                          VaultFileKeys::emailArrayData, VaultFileKeys::documentCreationDateData})
    EXPECT_TRUE(container->value(key).isData()) << key.toString().toStdString();
}

TEST(VaultTest, AFailedUnlockKeepsEveryPieceAndTheRightPasswordThenUnlocks) {
  Vault made;
  addRecord(made, QStringLiteral("Kept"));
  const QByteArray good = made.fileData(kPassword, {}).value();

  // Damage the e-mail piece only: the check string still verifies.
  const DictRef container = containerOf(good);
  QByteArray emails = container->value(VaultFileKeys::emailArrayData).toData();
  emails[emails.size() - 1] = char(emails[emails.size() - 1] ^ 0x5a);
  container->setValue(VaultFileKeys::emailArrayData.toString(), Value::data(emails));
  const QByteArray damaged = KeyedArchiver::archivedDataWithRootObject(Value(container)).value();

  // Records that decrypt but hold no archive: their ciphertext is let go while they are read
  // and must come back byte for byte.
  const DictRef unreadable = containerOf(good);
  ZVCommonCrypto engine;
  engine.setPasswordToDecrypt(kPassword, unreadable->value(VaultFileKeys::iv).toData(),
                              unreadable->value(VaultFileKeys::salt).toData());
  std::int32_t status = 0;
  unreadable->setValue(VaultFileKeys::dataArrayData.toString(),
                       Value::data(engine.encrypt("no archive here", &status).value()));
  const QByteArray unreadableRecords =
      KeyedArchiver::archivedDataWithRootObject(Value(unreadable)).value();

  struct Case {
    const char* what;
    QByteArray file;
    QString password;
    VaultError::Reason reason;
  } cases[] = {
      {"wrong password", good, QStringLiteral("wrong horse"), VaultError::Reason::WrongPassword},
      {"damaged piece", damaged, kPassword, VaultError::Reason::DamagedDocument},
      {"unreadable records", unreadableRecords, kPassword, VaultError::Reason::DamagedDocument},
  };
  for (const Case& c : cases) {
    Vault vault;
    ASSERT_TRUE(vault.read(c.file)) << c.what;
    const HeldPieces held = vault.heldPieces();
    const VaultResult<void> failed = vault.unlock(c.password);
    ASSERT_FALSE(failed) << c.what;
    EXPECT_EQ(failed.failure().reason, c.reason) << c.what;
    EXPECT_TRUE(vault.isLocked()) << c.what;
    for (auto piece : {&HeldPieces::records, &HeldPieces::categories, &HeldPieces::emails,
                       &HeldPieces::creationDate, &HeldPieces::rc, &HeldPieces::sha1Rc})
      EXPECT_EQ(vault.heldPieces().*piece, held.*piece) << c.what;
    // Saved while locked, it is the file it was read from.
    EXPECT_EQ(vault.fileData(c.password, {}).value(), c.file) << c.what;
  }
  Vault vault;
  ASSERT_TRUE(vault.read(good));
  ASSERT_FALSE(vault.unlock(QStringLiteral("wrong horse")));
  ASSERT_TRUE(vault.unlock(kPassword));
  EXPECT_TRUE(recordNamed(vault, QStringLiteral("Kept")));
}

TEST(VaultTest, UnreadableAndNewerFilesChangeNothing) {
  Vault vault;
  addRecord(vault, QStringLiteral("Still here"));
  auto newer = Dictionary::create();
  newer->setValue(VaultFileKeys::appversion.toString(), Value::unsignedInteger(40101));
  Vault saved;
  const DictRef current = containerOf(saved.fileData(kPassword, {}).value());
  current->setValue(VaultFileKeys::appversion.toString(), Value::unsignedInteger(1000));
  const QByteArray currentPiecesUnder1000 =
      KeyedArchiver::archivedDataWithRootObject(Value(current)).value();
  auto textual = Dictionary::create();
  textual->setValue(VaultFileKeys::appversion.toString(), QStringLiteral("40100"));
  const struct {
    const char* what;
    QByteArray bytes;
    VaultError::Reason reason;
  } cases[] = {
      {"not an archive", QByteArray("hello"), VaultError::Reason::UnreadableFile},
      {"an array", KeyedArchiver::archivedDataWithRootObject(Value(Array::create())).value(),
       VaultError::Reason::UnreadableFile},
      {"newer release", KeyedArchiver::archivedDataWithRootObject(Value(newer)).value(),
       VaultError::Reason::NewerRelease},
      {"current pieces under an older version", currentPiecesUnder1000,
       VaultError::Reason::MismatchedVersion},
      {"a version that is a text",
       KeyedArchiver::archivedDataWithRootObject(Value(textual)).value(),
       VaultError::Reason::MismatchedVersion},
  };
  for (const auto& c : cases) {
    const VaultResult<void> read = vault.read(c.bytes);
    ASSERT_FALSE(read) << c.what;
    EXPECT_EQ(read.failure().reason, c.reason) << c.what;
    EXPECT_FALSE(read.error().isEmpty()) << c.what;
    EXPECT_FALSE(vault.isLocked()) << c.what;
    EXPECT_TRUE(recordNamed(vault, QStringLiteral("Still here"))) << c.what;
  }
}

TEST(VaultTest, TheDesktopStateWrittenIsTheOneReadBack) {
  DesktopViewState state;
  state.windowFrame = Rect{12, 34, 800, 500};
  state.splitLeftFrame = Rect{0, 0, 250, 480};
  state.splitRightFrame = Rect{251, 0, 549, 480};
  state.toolbarVisible = false;
  state.latestOrderedColumn = QStringLiteral("url");
  state.latestOrderedColumnAscending = true;
  auto column = Dictionary::create();
  column->setValue(QStringLiteral("name"), QStringLiteral("url"));
  column->setValue(QStringLiteral("size"), Value::real(99));
  state.columnSizes = Array::create({Value(column)});

  Vault vault;
  ASSERT_TRUE(vault.read(Vault().fileData(kPassword, state).value()));
  EXPECT_TRUE(vault.hasStoredWindowFrame());
  const DesktopViewState& read = vault.viewState();
  EXPECT_EQ(read.windowFrame, state.windowFrame);
  EXPECT_EQ(read.splitLeftFrame, state.splitLeftFrame);
  EXPECT_EQ(read.splitRightFrame, state.splitRightFrame);
  EXPECT_FALSE(read.toolbarVisible);
  EXPECT_EQ(read.latestOrderedColumn, u"url");
  EXPECT_TRUE(read.latestOrderedColumnAscending);
  ASSERT_TRUE(read.columnSizes);
  EXPECT_EQ(read.columnSizes->count(), 1);
}

// An older record whose category title names no category goes where a record added with
// nothing selected would go: the last category, not the category of the record before it.
TEST(VaultTest, AnOlderRecordOfAnUnknownCategoryJoinsTheLastCategory) {
  const ZVCrypto engine(LegacyFileWriter::kVector, kPassword);
  auto categories = Array::create();
  for (const char* title : {"Banks", "Mail"})
    categories->append(
        LegacyFileWriter::Entry(engine).text("cat_category", QString::fromLatin1(title)).dict());
  auto records = Array::create();
  const std::pair<const char*, const char*> stored[] = {{"Statement", "Banks"},
                                                        {"Orphan", "Nowhere"}};
  for (const auto& [name, category] : stored)
    records->append(LegacyFileWriter::Entry(engine)
                        .text("category", QString::fromLatin1(category))
                        .text("name", QString::fromLatin1(name))
                        .text("account", QString())
                        .text("note", QString())
                        .text("password", QString())
                        .text("url", QString())
                        .dict());
  Vault vault;
  ASSERT_TRUE(vault.read(LegacyFileWriter::document(2000, records, categories)));
  ASSERT_TRUE(vault.unlock(kPassword));
  EXPECT_EQ(categoryTitleOf(recordNamed(vault, QStringLiteral("Statement"))), u"Banks");
  EXPECT_EQ(categoryTitleOf(recordNamed(vault, QStringLiteral("Orphan"))), u"Mail");
  EXPECT_EQ(vault.categories()->count(), 2);
}

TEST(VaultTest, PasswordEntriesAreHeldAsPrivateCopiesAndChecked) {
  QString typed = QStringLiteral("typed into a field");
  typed.detach();
  {
    DocumentPassword password;
    password.setPassword(typed);
    EXPECT_TRUE(typed.isDetached()) << "the holder shares no characters with the caller";
    EXPECT_EQ(password.password(), typed);
  }
  EXPECT_EQ(typed, u"typed into a field") << "wiping the holder's copy leaves the caller's";

  // Whoever still shares a holder's copy when the holder goes sees the secret gone.
  QString sharedWithDocument, sharedWithEngine;
  {
    DocumentPassword password;
    password.setPassword(QStringLiteral("hunter22"));
    sharedWithDocument = password.password();
    ZVCommonCrypto engine(password.password());
    sharedWithEngine = engine.password();
  }
  EXPECT_EQ(sharedWithDocument, QString(8, QChar(0)));
  EXPECT_EQ(sharedWithEngine, QString(8, QChar(0)));

  const struct {
    const char* previous;
    const char* inserted;
    const char* retype;
    DocumentPassword::Check change, fresh;
  } cases[] = {
      {"secret1", "abcdef", "abcdef", DocumentPassword::Check::Accepted,
       DocumentPassword::Check::Accepted},
      {"secret1", "abcde", "abcde", DocumentPassword::Check::TooShort,
       DocumentPassword::Check::TooShort},
      {"secret1", "abcdef", "abcdeF", DocumentPassword::Check::NotEqual,
       DocumentPassword::Check::NotEqual},
      {"other", "abcdef", "abcdef", DocumentPassword::Check::PreviousMismatch,
       DocumentPassword::Check::Accepted},
  };
  for (const auto& c : cases) {
    DocumentPassword password;
    password.setPassword(QStringLiteral("secret1"));
    password.setPrevious(QString::fromLatin1(c.previous));
    password.setInserted(QString::fromLatin1(c.inserted));
    password.setInsertedRetype(QString::fromLatin1(c.retype));
    EXPECT_EQ(password.checkChange(), c.change) << c.inserted << " / " << c.retype;
    EXPECT_EQ(password.checkNew(), c.fresh) << c.inserted << " / " << c.retype;
  }
}

}  // namespace
