#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/AtomicFile.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/crypto/KeyDerivation.h"
#include "tests/GuiDriver.h"
#include "tests/vault/LegacyFileWriter.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"

namespace {

class FakeWindow : public VaultWindow {
 public:
  Rect frameValue{100, 200, 900, 600};
  bool toolbar = true;
  std::optional<Rect> panes[2] = {Rect{0, 0, 300, 560}, Rect{301, 0, 599, 560}};
  QWidget widgetValue;

  Rect frame() const override { return frameValue; }
  void setFrame(const Rect& f, bool) override { frameValue = f; }
  bool isToolbarVisible() const override { return toolbar; }
  void setToolbarVisible(bool v) override { toolbar = v; }
  std::optional<Rect> splitPaneFrame(int pane) const override { return panes[pane]; }
  ArrayRef getColumnSize() const override {
    auto entry = Dictionary::create();
    entry->setValue(QStringLiteral("name"), QStringLiteral("name"));
    entry->setValue(QStringLiteral("size"), Value::real(120.5));
    return Array::create({Value(entry)});
  }
  ArrayRef getColumnVisibility() const override { return Array::create(); }
  QWidget* widget() const override { return const_cast<QWidget*>(&widgetValue); }
};

// What an opener finds in a saved file: the container and, with the password, the pieces.
struct OpenedFile {
  DictRef container;
  bool passwordFits = false;
  Value records, categories, emails, creationDate;
};

OpenedFile openSaved(const QByteArray& file, const QString& password) {
  OpenedFile out;
  Result<Value> root = KeyedUnarchiver::unarchiveObjectWithData(file);
  if (!root || !root.value().isDictionary()) return out;
  out.container = root.value().toDictionary();
  const auto data = [&](const char* key) {
    return out.container->value(QString::fromLatin1(key)).toData();
  };
  ZVCommonCrypto engine;
  engine.setPasswordToDecrypt(password, data("IV"), data("salt"));
  std::int32_t status = 0;
  const auto check = engine.decrypt(data("rc"), &status);
  out.passwordFits = check && status == 0 && ZVCommonCrypto::dataSHA1(*check) == data("sha1-rc");
  if (!out.passwordFits) return out;
  const auto piece = [&](const char* key) {
    const auto plain = engine.decrypt(data(key), &status);
    if (!plain) return Value();
    Result<Value> v = KeyedUnarchiver::unarchiveObjectWithData(*plain);
    return v ? v.value() : Value();
  };
  out.records = piece("dataArrayData");
  out.categories = piece("catArrayData");
  out.emails = piece("emailArrayData");
  out.creationDate = piece("documentCreationDateData");
  return out;
}

class MyDocumentSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.setWindow(&window);
    doc.setPlainPassword(QStringLiteral("hunter22"));
    doc.setDocumentCreationDate(Date{-12345.5});
    banks = doc.categoryController().addWithName(QStringLiteral("Banks"));
    DictRef r = doc.recordController().newObject();
    r->setValue(RecordKeys::name(), QStringLiteral("Bank of Nowhere"));
    r->setValue(RecordKeys::password(), QStringLiteral("pa\u00dfw\u00f6rd"));
    r->setValue(RecordKeys::categoryPtr(), banks);
    doc.recordController().addObject(r);
    orphan = doc.recordController().newObject();
    orphan->removeValue(RecordKeys::categoryPtr());
    doc.myArray()->append(orphan);
  }
  void TearDown() override { GuiDriver::closeAllAlerts(); }

  QByteArray save() {
    const auto data = doc.dataOfType(QStringLiteral("qvlt"));
    EXPECT_TRUE(data.ok()) << data.error().toStdString();
    return data.value_or(QByteArray());
  }

  FakeWindow window;
  MyDocument doc;
  DictRef banks, orphan;
};

TEST_F(MyDocumentSaveTest, EverySaveIsFreshlyKeyedAndOpensWithThePassword) {
  const QByteArray first = save();
  const QByteArray second = save();
  const OpenedFile a = openSaved(first, QStringLiteral("hunter22"));
  const OpenedFile b = openSaved(second, QStringLiteral("hunter22"));
  ASSERT_TRUE(a.passwordFits);
  ASSERT_TRUE(b.passwordFits);
  for (const char* key : {"salt", "IV", "rc", "sha1-rc", "dataArrayData", "catArrayData",
                          "emailArrayData", "documentCreationDateData"}) {
    const QString k = QString::fromLatin1(key);
    EXPECT_NE(a.container->value(k).toData(), b.container->value(k).toData()) << key;
  }
  EXPECT_EQ(a.container->value(u"salt").toData().size(), 8);
  EXPECT_EQ(a.container->value(u"IV").toData().size(), 16);
  EXPECT_EQ(a.container->value(u"sha1-rc").toData().size(), 20);
  EXPECT_EQ(a.records, b.records);
  EXPECT_FALSE(openSaved(first, QStringLiteral("hunter23")).passwordFits);
}

TEST_F(MyDocumentSaveTest, StoredRecordsNameTheirCategoryByIdentifier) {
  const OpenedFile opened = openSaved(save(), QStringLiteral("hunter22"));
  ASSERT_TRUE(opened.records.isArray());
  const ArrayRef records = opened.records.toArray();
  ASSERT_EQ(records->count(), 2);
  const DictRef stored = records->at(0).toDictionary();
  EXPECT_FALSE(stored->contains(RecordKeys::categoryPtr()));
  EXPECT_EQ(stored->value(RecordKeys::categoryID()).toInteger(), 1);
  EXPECT_EQ(stored->value(RecordKeys::password()).toString(), u"pa\u00dfw\u00f6rd");
  EXPECT_EQ(records->at(1).toDictionary()->value(RecordKeys::categoryID()).toInteger(), 0);
  // Categories travel without their member lists, and the live records are untouched.
  const DictRef category = opened.categories.toArray()->at(0).toDictionary();
  EXPECT_EQ(category->value(CategoryKeys::category()).toString(), u"Banks");
  EXPECT_FALSE(category->contains(u"records"));
  EXPECT_EQ(category->keys().size(), 5);
  EXPECT_TRUE(doc.myArray()->at(0).toDictionary()->contains(RecordKeys::categoryPtr()));
  EXPECT_EQ(opened.creationDate.toDate(), Date{-12345.5});
  EXPECT_TRUE(opened.emails.isArray());
}

TEST_F(MyDocumentSaveTest, ANewPasswordTakesEffectAtTheNextSave) {
  save();
  doc.setPlainPassword(QStringLiteral("another pass"));
  const QByteArray file = save();
  EXPECT_TRUE(openSaved(file, QStringLiteral("another pass")).passwordFits);
  EXPECT_FALSE(openSaved(file, QStringLiteral("hunter22")).passwordFits);
}

TEST_F(MyDocumentSaveTest, OneKeyDerivationPerSave) {
  save();  // makes the engine
  doc.setPlainPassword(QStringLiteral("changed password"));
  const auto before = KeyDerivation::derivationCount();
  save();  // a new engine and a new salt: still one derivation
  EXPECT_EQ(KeyDerivation::derivationCount() - before, 1u);
  save();
  EXPECT_EQ(KeyDerivation::derivationCount() - before, 2u);
}

TEST_F(MyDocumentSaveTest, MobileStateIsWrittenBackUnchanged) {
  auto ios = Dictionary::create();
  ios->setValue(QStringLiteral("someiOSKey"), Value::integer(7));
  ios->setValue(QStringLiteral("nested"), Array::create({Value(QStringLiteral("x"))}));
  // A file the mobile edition has written to.
  const DictRef container = openSaved(save(), QStringLiteral("hunter22")).container;
  ASSERT_TRUE(container);
  container->setValue(QStringLiteral("iOSPlatformDictionary"), ios);
  const QByteArray withMobile = KeyedArchiver::archivedDataWithRootObject(Value(container)).value();

  MyDocument opened;
  ASSERT_TRUE(opened.readFromData(withMobile, {}));
  EXPECT_EQ(Value(opened.vault().mobilePlatformDictionary()), Value(ios));
  const auto lockedSave = opened.dataOfType(QStringLiteral("qvlt"));
  ASSERT_TRUE(lockedSave) << lockedSave.error().toStdString();
  EXPECT_EQ(openSaved(lockedSave.value(), QStringLiteral("hunter22"))
                .container->value(u"iOSPlatformDictionary"),
            Value(ios));
  opened.submitPasswordToDecrypt(QStringLiteral("hunter22"));
  ASSERT_FALSE(opened.isEncrypted());
  const auto unlockedSave = opened.dataOfType(QStringLiteral("qvlt"));
  ASSERT_TRUE(unlockedSave) << unlockedSave.error().toStdString();
  const OpenedFile resaved = openSaved(unlockedSave.value(), QStringLiteral("hunter22"));
  ASSERT_TRUE(resaved.passwordFits);
  EXPECT_EQ(resaved.container->value(u"iOSPlatformDictionary"), Value(ios));

  MyDocument plain;
  plain.setPlainPassword(QStringLiteral("hunter22"));
  const auto data = plain.dataOfType(QStringLiteral("qvlt"));
  ASSERT_TRUE(data);
  EXPECT_FALSE(openSaved(data.value(), QStringLiteral("hunter22"))
                   .container->contains(u"iOSPlatformDictionary"));
}

TEST_F(MyDocumentSaveTest, ALockedDocumentWritesTheHeldPiecesUnchanged) {
  const QByteArray file = save();
  const OpenedFile saved = openSaved(file, QStringLiteral("hunter22"));
  MyDocument locked;
  ASSERT_TRUE(locked.readFromData(file, {}));
  locked.setPlainPassword(QStringLiteral("a wrong guess"));
  EXPECT_NE(locked.Decript(), 0);  // what a failed unlock leaves is saved as read
  const auto data = locked.dataOfType(QStringLiteral("qvlt"));
  ASSERT_TRUE(data) << data.error().toStdString();
  const OpenedFile again = openSaved(data.value(), QStringLiteral("hunter22"));
  ASSERT_TRUE(again.passwordFits);
  EXPECT_EQ(again.records, saved.records);
  for (const char* key : {"salt", "IV", "rc", "sha1-rc", "dataArrayData", "catArrayData",
                          "emailArrayData", "documentCreationDateData"})
    EXPECT_EQ(again.container->value(QString::fromLatin1(key)).toData(),
              saved.container->value(QString::fromLatin1(key)).toData())
        << key;
  // The view state read from the file goes back with it.
  ASSERT_TRUE(saved.container->contains(u"OSXPlatformDictionary"));
  EXPECT_EQ(again.container->value(u"OSXPlatformDictionary"),
            saved.container->value(u"OSXPlatformDictionary"));

  // An older document is converted only once unlocked.
  MyDocument older;
  ASSERT_TRUE(
      older.readFromData(LegacyFileWriter::document(21100, Array::create(), Array::create()), {}));
  EXPECT_FALSE(older.YouCanSave());
  EXPECT_FALSE(older.dataOfType(QStringLiteral("qvlt")).ok());
}

TEST_F(MyDocumentSaveTest, ChangesAndAutosavingFollowTheLockedStateAndThePassword) {
  MyDocument fresh;
  EXPECT_TRUE(fresh.autosavingFileType().isEmpty());  // no password yet
  fresh.setPlainPassword(QStringLiteral("hunter22"));
  EXPECT_EQ(fresh.autosavingFileType(), u"qvlt");
  fresh.setIsEncrypted(true);
  EXPECT_TRUE(fresh.autosavingFileType().isEmpty());
  fresh.updateChangeCount(ChangeCounting::ChangeDone);
  EXPECT_FALSE(fresh.isDocumentEdited());  // dropped while locked
  fresh.setIsEncrypted(false);
  fresh.updateChangeCount(ChangeCounting::ChangeDone);
  EXPECT_TRUE(fresh.isDocumentEdited());
  EXPECT_TRUE(fresh.autosavesInPlace());
}

TEST_F(MyDocumentSaveTest, ClosingShrinksTheWindowAndHidesTheToolbar) {
  doc.close();
  EXPECT_EQ(window.frameValue, (Rect{100, 200, 820, 460}));
  EXPECT_FALSE(window.toolbar);
  EXPECT_EQ(doc.windowNibName(), u"MyDocument");
}

TEST_F(MyDocumentSaveTest, FieldKeyTablesAreTwoEqualCopies) {
  ASSERT_EQ(doc.myKeyArrayForImport()->count(), 10);
  EXPECT_EQ(Value(doc.myKeyArrayForImport()), Value(doc.myKeyArrayForExport()));
  EXPECT_NE(doc.myKeyArrayForImport(), doc.myKeyArrayForExport());
  const DictRef first = doc.myKeyArrayForImport()->at(0).toDictionary();
  EXPECT_EQ(first->value(u"publicKey").toString(), u"Category");
  EXPECT_EQ(first->value(u"innerKey").toString(), u"categoryPtr.cat_category");
  EXPECT_EQ(doc.myKeyArrayForExport()->at(4).toDictionary()->value(u"publicKey").toString(),
            u"User ID");
}

TEST_F(MyDocumentSaveTest, AnIndependentReaderSeesTheFileLayout) {
  const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
  if (python.isEmpty()) GTEST_SKIP() << "python3 is not installed";
  DesktopViewState sorted = doc.vault().viewState();
  sorted.latestOrderedColumn = QStringLiteral("name");
  sorted.latestOrderedColumnAscending = true;
  doc.vault().setViewState(sorted);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("v.qvlt"));
  ASSERT_TRUE(AtomicFile::write(save(), path));
  QProcess reader;
  reader.start(python, {QStringLiteral(QV_SOURCE_DIR "/tests/tools/describe_archive.py"), path});
  ASSERT_TRUE(reader.waitForFinished(30000));
  ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
  const QJsonObject root = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
  EXPECT_EQ(root.value(u"class").toString(), u"NSMutableDictionary");
  const QJsonObject items = root.value(u"items").toObject();
  const std::pair<const char*, const char*> expected[] = {
      {"appversion", "int"}, {"latestPlatform", "string"}, {"salt", "data[8]"},
      {"IV", "data[16]"},    {"sha1-rc", "data[20]"},
  };
  for (const auto& [key, kind] : expected)
    EXPECT_EQ(items.value(QLatin1String(key)).toString(), QLatin1String(kind)) << key;
  for (const char* key :
       {"rc", "dataArrayData", "catArrayData", "emailArrayData", "documentCreationDateData"})
    EXPECT_TRUE(items.value(QLatin1String(key)).toString().startsWith(u"data[")) << key;
  EXPECT_EQ(items.size(), 11);
  const QJsonObject platform =
      items.value(u"OSXPlatformDictionary").toObject().value(u"items").toObject();
  EXPECT_EQ(platform.value(u"windowRecHeight").toString(), u"real");
  EXPECT_EQ(platform.value(u"windowRecX").toString(), u"real");
  EXPECT_EQ(platform.value(u"makeToolbarVisibleAtDecrypt").toString(), u"bool");
  EXPECT_EQ(platform.value(u"latestOrderedColumn").toString(), u"string");
  EXPECT_EQ(platform.value(u"latestOrderedColumnAscending").toString(), u"bool");
  const QJsonObject left = platform.value(u"splitLeftFrame").toObject();
  EXPECT_EQ(left.value(u"class").toString(), u"NSValue");
  EXPECT_EQ(left.value(u"special").toInt(), 3);
  EXPECT_EQ(left.value(u"rect").toString(), u"{{0, 0}, {300, 560}}");
  EXPECT_EQ(platform.value(u"columnSizes").toObject().value(u"class").toString(),
            u"NSMutableArray");
}

TEST_F(MyDocumentSaveTest, APieceThatCannotBeMadeFailsTheSaveAndKeepsTheFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("v.qvlt"));
  ASSERT_TRUE(doc.saveToURL(path));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray before = f.readAll();
  f.close();
  const HeldPieces heldBefore = doc.vault().heldPieces();

  // A record holding something no archive can carry (nested past any reader's limit).
  Value deep = Value::integer(0);
  for (int i = 0; i < 600; ++i) deep = Value(Array::create({deep}));
  doc.myArray()->at(0).toDictionary()->setValue(QStringLiteral("extra"), deep);
  doc.updateChangeCount(ChangeCounting::ChangeDone);
  EXPECT_FALSE(doc.saveDocument());
  GuiDriver::settle();
  EXPECT_EQ(GuiDriver::alertTexts().size(), 1);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), before);
  const HeldPieces& heldAfter = doc.vault().heldPieces();
  EXPECT_EQ(heldAfter.records, heldBefore.records);
  EXPECT_EQ(heldAfter.salt, heldBefore.salt);
  EXPECT_EQ(heldAfter.iv, heldBefore.iv);
  EXPECT_EQ(heldAfter.rc, heldBefore.rc);
  EXPECT_TRUE(doc.isDocumentEdited());
  // The next good save is complete and consistent.
  doc.myArray()->at(0).toDictionary()->removeValue(QStringLiteral("extra"));
  const OpenedFile opened = openSaved(save(), QStringLiteral("hunter22"));
  EXPECT_TRUE(opened.passwordFits);
  EXPECT_EQ(opened.records.toArray()->count(), 2);
}

}  // namespace
