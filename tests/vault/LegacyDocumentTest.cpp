#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "tests/GuiDriver.h"
#include "tests/vault/LegacyFileWriter.h"
#include "vault/CategoryMembers.h"
#include "vault/LegacyRebuilder.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"

namespace {

const QString kPassword = QStringLiteral("old secret");
const Date kUnlockMoment{1000.0};

// What each group stores, after the old releases' own tables.
struct Group {
  quint64 version;
  bool categories, colours, recordCatID, email, userID, dates, usage;
  bool catMarkFirst;  // 2400 stores cat_mark before the colours
};

const Group kGroups[] = {
    {1000, false, false, false, false, false, false, false, false},
    {2000, true, false, false, false, false, false, false, false},
    {2100, true, true, true, false, false, false, false, false},
    {2200, true, true, true, true, false, false, false, false},
    {2400, true, true, true, true, true, false, false, true},
    {20900, true, true, true, true, true, true, false, false},
    {21100, true, true, false, true, true, true, true, false},
};

class LegacyDocumentTest : public ::testing::Test {
 protected:
  LegacyDocumentTest() : engine_(LegacyFileWriter::kVector, kPassword) {}
  void SetUp() override {
    Clock::setSource([] { return kUnlockMoment; });
  }
  void TearDown() override {
    Clock::setSource({});
    GuiDriver::closeAllAlerts();
  }

  LegacyFileWriter::Entry entry() const { return LegacyFileWriter::Entry(engine_); }

  // Categories stored with identifiers 7, 3 and 9; the third repeats the first's title.
  ArrayRef categories(const Group& g) const {
    auto list = Array::create();
    const char* titles[] = {"Banks", "Mail", "Banks"};
    const qint64 ids[] = {7, 3, 9};
    for (int i = 0; i < 3; ++i) {
      LegacyFileWriter::Entry e = entry();
      e.text("cat_category", QString::fromLatin1(titles[i]));
      if (g.catMarkFirst) e.text("cat_mark", QStringLiteral("x"));
      if (i == 1)
        e.int64("cat_uniqueID", ids[i]);
      else
        e.int32("cat_uniqueID", ids[i]);
      e.color("cat_backColor", LegacyFileWriter::colorArchive(0.25f, 0.5f, 0.75f, 1.0f, true));
      e.color("cat_textColor", LegacyFileWriter::colorArchive(1.0f, 0.5f, 0.0f, 0.5f));
      if (!g.catMarkFirst) e.text("cat_mark", QStringLiteral("x"));
      list->append(e.dict());
    }
    return list;
  }

  // Every field any group stores; a group reads only its own.
  ArrayRef records() const {
    auto list = Array::create();
    LegacyFileWriter::Entry first = entry();
    first.text("category", QStringLiteral("Banks"))
        .int32("cat_uniqueID", 7)
        .text("account", QStringLiteral("acct"))
        .bytes("name", QByteArray("Caf\x8e"))  // Mac OS Roman e-acute
        .text("note", QStringLiteral("a note"))
        .text("password", QStringLiteral("s3cret"))
        .text("url", QStringLiteral("https://bank.example"))
        .text("email", QStringLiteral("me@example.org"))
        .text("userID", QStringLiteral("me"))
        .text("creationDate", QStringLiteral("2009-03-15 10:22:33 +0100"))
        .text("modificationDate", QStringLiteral("2010-01-02 03:04:05 -0530"))
        .int64("usageCount", 123456789012);
    LegacyFileWriter::Entry second = entry();
    second.text("category", QStringLiteral("Mail"))
        .int64("cat_uniqueID", 3)
        .text("name", QStringLiteral("Post"))
        .text("password", QStringLiteral("pw2"))
        .text("creationDate", QString())
        .int32("usageCount", 42);
    list->append(first.dict());
    list->append(second.dict());
    return list;
  }

  QByteArray file(const Group& g) const {
    return LegacyFileWriter::document(g.version, records(),
                                      g.categories ? categories(g) : ArrayRef());
  }

  static int unlock(MyDocument& doc, const QString& password = kPassword) {
    doc.setPlainPassword(password);
    return doc.Decript();
  }

  static Value colorDict(double r, double g, double b, double a) {
    auto d = Dictionary::create();
    d->setValue(QStringLiteral("r"), Value::real(r));
    d->setValue(QStringLiteral("g"), Value::real(g));
    d->setValue(QStringLiteral("b"), Value::real(b));
    d->setValue(QStringLiteral("a"), Value::real(a));
    return Value(d);
  }

  ZVCrypto engine_;
};

TEST_F(LegacyDocumentTest, EveryGroupUnlocksToItsRecordsAndCategories) {
  for (const Group& g : kGroups) {
    SCOPED_TRACE(g.version);
    MyDocument doc;
    ASSERT_TRUE(doc.readFromData(file(g), {}));
    EXPECT_TRUE(doc.isEncrypted());
    EXPECT_FALSE(doc.YouCanSave());
    EXPECT_TRUE(doc.moreDocDescription().contains(u"NOT compatible"));
    ASSERT_EQ(unlock(doc), 0);

    const ArrayRef cats = doc.myCategoryArray();
    ASSERT_EQ(cats->count(), g.categories ? 3 : 1);
    for (qsizetype i = 0; i < cats->count(); ++i) {
      const DictRef c = cats->at(i).toDictionary();
      EXPECT_EQ(c->value(CategoryKeys::uniqueID()).toInteger(), i + 1);  // renumbered
      if (!g.colours) {
        EXPECT_EQ(c->value(CategoryKeys::backColor()),
                  Value(ZVColoredCategoryArrayController::defaultBackColor()));
        continue;
      }
      EXPECT_EQ(c->value(CategoryKeys::backColor()), colorDict(0.25, 0.5, 0.75, 1.0))
          << c->value(CategoryKeys::backColor()).debugDescription().toStdString();
      EXPECT_EQ(c->value(CategoryKeys::textColor()), colorDict(1.0, 0.5, 0.0, 0.5))
          << c->value(CategoryKeys::textColor()).debugDescription().toStdString();
    }
    if (!g.categories) {
      EXPECT_EQ(cats->at(0).toDictionary()->value(CategoryKeys::category()).toString(), u"Generic");
    }

    ASSERT_EQ(doc.myArray()->count(), 2);
    const DictRef first = doc.myArray()->at(0).toDictionary();
    const DictRef second = doc.myArray()->at(1).toDictionary();
    EXPECT_EQ(first->value(RecordKeys::name()).toString(), u"Caf\u00e9");
    EXPECT_EQ(first->value(RecordKeys::password()).toString(), u"s3cret");
    EXPECT_EQ(first->value(RecordKeys::url()).toString(), u"https://bank.example");
    EXPECT_EQ(first->value(RecordKeys::email()).toString(), g.email ? u"me@example.org" : u"");
    EXPECT_EQ(first->value(RecordKeys::userID()).toString(), g.userID ? u"me" : u"");
    EXPECT_EQ(first->value(RecordKeys::pin()).toString(), u"");
    EXPECT_FALSE(first->contains(CategoryKeys::uniqueID()));
    EXPECT_FALSE(first->contains(u"category"));
    if (g.dates) {
      EXPECT_EQ(first->value(RecordKeys::creationDate()).toDate(),
                Date::fromUnixSeconds(1237108953));  // 09:22:33 UTC
      EXPECT_EQ(first->value(RecordKeys::modificationDate()).toDate(),
                Date::fromUnixSeconds(1262421245));  // 08:34:05 UTC
      EXPECT_FALSE(second->contains(RecordKeys::creationDate()));
    } else {
      EXPECT_EQ(first->value(RecordKeys::creationDate()).toDate(), kUnlockMoment);
      EXPECT_EQ(second->value(RecordKeys::modificationDate()).toDate(), kUnlockMoment);
    }
    EXPECT_EQ(first->value(RecordKeys::usageCount()).toInteger(), g.usage ? 123456789012 : 0);
    EXPECT_EQ(second->value(RecordKeys::usageCount()).toInteger(), g.usage ? 42 : 0);

    // Found by title, not by the stored identifiers; the duplicate title goes to the first.
    const qsizetype firstCat = 0, secondCat = g.categories ? 1 : 0;
    EXPECT_EQ(first->value(RecordKeys::categoryPtr()).toDictionary(),
              cats->at(firstCat).toDictionary());
    EXPECT_EQ(second->value(RecordKeys::categoryPtr()).toDictionary(),
              cats->at(secondCat).toDictionary());
    for (const Value& c : cats->values())
      EXPECT_EQ(c.toDictionary()->value(CategoryKeys::howManyUsingThis()).toInteger(),
                CategoryMembers::of(*c.toDictionary())->count());
    EXPECT_TRUE(doc.emailArray()->isEmpty());
    EXPECT_FALSE(doc.documentCreationDate());
  }
}

TEST_F(LegacyDocumentTest, OpeningHoldsEachGroupsWidthsAndFrame) {
  const struct {
    quint64 version;
    bool sevenWidths, fiveWidths, frame;
  } cases[] = {{21207, true, true, true},
               {2400, false, true, true},
               {2100, false, false, true},
               {2000, false, false, false},
               {1000, false, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    MyDocument doc;
    ASSERT_TRUE(doc.readFromData(
        LegacyFileWriter::document(c.version, Array::create(), Array::create()), {}));
    const LegacyPieces& held = doc.vault().legacyPieces();
    EXPECT_EQ(held.widths.passwordTableWidth.isNumber(), c.sevenWidths);
    EXPECT_EQ(held.widths.userIDTableWidth.isNumber(), c.fiveWidths);
    EXPECT_EQ(held.windowFrame,
              (c.frame ? std::optional<Rect>(Rect{10, 20, 700, 500}) : std::optional<Rect>()));
    // An older frame is not restored.
    EXPECT_FALSE(doc.vault().hasStoredWindowFrame());
    EXPECT_EQ(doc.vault().viewState().windowFrame, Rect{});
    EXPECT_EQ(bool(held.categories), c.version != 1000);
    EXPECT_TRUE(held.records);
  }
}

TEST_F(LegacyDocumentTest, AWrongPasswordLeavesNothingForTheNextAttempt) {
  for (const Group& g : kGroups) {
    SCOPED_TRACE(g.version);
    MyDocument doc;
    ASSERT_TRUE(doc.readFromData(file(g), {}));
    doc.submitPasswordToDecrypt(QStringLiteral("not the password"));
    GuiDriver::settle();
    EXPECT_EQ(GuiDriver::alertTexts(), QStringList{QStringLiteral("Wrong Password")});
    GuiDriver::closeAllAlerts();
    EXPECT_TRUE(doc.isEncrypted());

    doc.submitPasswordToDecrypt(kPassword);
    EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
    EXPECT_FALSE(doc.isEncrypted());
    EXPECT_TRUE(doc.YouCanSave());
    EXPECT_EQ(doc.myArray()->count(), 2);
    EXPECT_EQ(doc.myCategoryArray()->count(), g.categories ? 3 : 1);
    EXPECT_EQ(doc.documentCreationDate(), kUnlockMoment);
  }
}

TEST_F(LegacyDocumentTest, MissingListsAndUnreadableEntries) {
  // No records: the one category of the oldest format, and nothing else.
  MyDocument empty;
  ASSERT_TRUE(empty.readFromData(LegacyFileWriter::document(1000, Array::create(), nullptr), {}));
  ASSERT_EQ(unlock(empty), 0);
  EXPECT_TRUE(empty.myArray()->isEmpty());
  ASSERT_EQ(empty.myCategoryArray()->count(), 1);

  // No stored categories: the first record brings "Generic" and all go there.
  MyDocument noCats;
  ASSERT_TRUE(noCats.readFromData(LegacyFileWriter::document(2000, records(), nullptr), {}));
  ASSERT_EQ(unlock(noCats), 0);
  ASSERT_EQ(noCats.myCategoryArray()->count(), 1);
  const DictRef generic = noCats.myCategoryArray()->at(0).toDictionary();
  EXPECT_EQ(generic->value(CategoryKeys::category()).toString(), u"Generic");
  EXPECT_EQ(CategoryMembers::of(*generic)->count(), 2);

  // An unreadable colour keeps the default; a list entry that is no dictionary fails.
  auto cats = Array::create();
  cats->append(entry()
                   .text("cat_category", QStringLiteral("A"))
                   .bytes("cat_backColor", "not a colour")
                   .dict());
  MyDocument badColour;
  ASSERT_TRUE(badColour.readFromData(LegacyFileWriter::document(21100, Array::create(), cats), {}));
  ASSERT_EQ(unlock(badColour), 0);
  EXPECT_EQ(badColour.myCategoryArray()->at(0).toDictionary()->value(CategoryKeys::backColor()),
            Value(ZVColoredCategoryArrayController::defaultBackColor()));

  MyDocument notEntries;
  ASSERT_TRUE(notEntries.readFromData(
      LegacyFileWriter::document(21100, Array::create({Value(QStringLiteral("x"))}), nullptr), {}));
  EXPECT_NE(unlock(notEntries), 0);
}

// An entry that is no dictionary, or a field that is no ciphertext, is damage, not a wrong
// password; read as empty, the field would be gone from the file at the next save.
TEST_F(LegacyDocumentTest, EntriesNotStoredAsCipherTextsAreDamageWhateverThePassword) {
  const auto withField = [&](const char* key, Value v) {
    DictRef record = entry().text("name", QStringLiteral("Bank")).dict();
    record->setValue(QString::fromLatin1(key), std::move(v));
    return Array::create({Value(record)});
  };
  const struct {
    const char* name;
    QByteArray file;
  } cases[] = {
      {"a record that is a text",
       LegacyFileWriter::document(21100, Array::create({Value(QStringLiteral("x"))}), nullptr)},
      {"a password stored as plain text",
       LegacyFileWriter::document(2400, withField("password", QStringLiteral("s3cret")), nullptr)},
      {"a usage count stored as a number",
       LegacyFileWriter::document(21100, withField("usageCount", Value::integer(7)), nullptr)},
      {"a category title stored as plain text",
       LegacyFileWriter::document(2000, records(),
                                  [] {
                                    auto category = Dictionary::create();
                                    category->setValue(QStringLiteral("cat_category"),
                                                       QStringLiteral("Banks"));
                                    return Array::create({Value(category)});
                                  }())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MyDocument doc;
    ASSERT_TRUE(doc.readFromData(c.file, {}));
    doc.submitPasswordToDecrypt(kPassword);
    GuiDriver::settle();
    GuiDriver::snapshot(GuiDriver::onlyAlert(), QStringLiteral("damaged-entries-alert"));
    QStringList texts;
    for (QMessageBox* box : GuiDriver::visible<QMessageBox>())
      texts << box->text() << box->informativeText();
    GuiDriver::closeAllAlerts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0], u"The document is damaged");
    EXPECT_TRUE(texts[1].startsWith(u"Part of the document cannot be read, whatever the password."))
        << texts[1].toStdString();
    EXPECT_TRUE(doc.isEncrypted());
    EXPECT_TRUE(doc.myArray()->isEmpty());
  }
}

// Lists that name one stored entry twice rebuild it twice: two rows, each its own record or
// category.
TEST_F(LegacyDocumentTest, AnEntryNamedTwiceRebuildsAsTwoRowsOfTheirOwn) {
  const Group& g = kGroups[4];
  const ArrayRef records = this->records();
  records->insert(1, records->at(0));
  const ArrayRef categories = this->categories(g);
  categories->insert(1, categories->at(0));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("old.qvlt"));
  ASSERT_TRUE(AtomicFile::write(LegacyFileWriter::document(g.version, records, categories), path));
  MyDocument doc;
  ASSERT_TRUE(doc.readFromURL(path));
  ASSERT_EQ(unlock(doc), 0);
  for (const ArrayRef& list : {doc.myArray(), doc.myCategoryArray()}) {
    ASSERT_GE(list->count(), 2);
    EXPECT_NE(list->at(0).dictionaryPointer(), list->at(1).dictionaryPointer());
  }
  EXPECT_EQ(doc.myArray()->at(0).dictionaryPointer()->value(RecordKeys::name()),
            doc.myArray()->at(1).dictionaryPointer()->value(RecordKeys::name()));
}

TEST_F(LegacyDocumentTest, AnUnlockedOlderDocumentSavesInTheCurrentFormat) {
  MyDocument doc;
  ASSERT_TRUE(doc.readFromData(file(kGroups[4]), {}));
  doc.submitPasswordToDecrypt(kPassword);
  ASSERT_FALSE(doc.isEncrypted());
  const auto saved = doc.dataOfType(QStringLiteral("qvlt"));
  ASSERT_TRUE(saved) << saved.error().toStdString();

  MyDocument again;
  ASSERT_TRUE(again.readFromData(saved.value(), {}));
  EXPECT_EQ(again.docVersionRapresentation(), 40100u);
  ASSERT_EQ(unlock(again), 0);
  ASSERT_EQ(again.myArray()->count(), 2);
  const DictRef record = again.myArray()->at(1).toDictionary();
  EXPECT_EQ(record->value(RecordKeys::name()).toString(), u"Post");
  EXPECT_EQ(record->value(RecordKeys::categoryPtr()).toDictionary(),
            again.myCategoryArray()->at(1).toDictionary());
  EXPECT_EQ(again.documentCreationDate(), kUnlockMoment);
}

TEST(LegacyDates, OnlyTheStoredLayoutGivesADate) {
  const struct {
    const char* text;
    std::optional<double> unixSeconds;
  } cases[] = {
      {"2009-03-15 10:22:33 +0100", 1237108953},
      {"2009-03-15 10:22:33 +0000", 1237112553},
      {"2009-03-15 10:22:33 -0530", 1237132353},
      {"2000-02-29 23:59:59 +1400", 951818399},
      {"", std::nullopt},
      {"2009-02-30 10:22:33 +0100", std::nullopt},
      {"2009-03-15 24:00:00 +0100", std::nullopt},
      {"2009-03-15T10:22:33 +0100", std::nullopt},
      {"2009-03-15 10:22:33 0100", std::nullopt},
      {"2009-03-15 10:22:33 +0100 ", std::nullopt},
      {"2009-03-15 10:22:33", std::nullopt},
      {"２009-03-15 10:22:33 +0100", std::nullopt},  // a full-width digit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<Date> d = LegacyRebuilder::dateFromText(QString::fromUtf8(c.text));
    ASSERT_EQ(d.has_value(), c.unixSeconds.has_value());
    if (d) {
      EXPECT_EQ(d->unixSeconds(), *c.unixSeconds);
    }
  }
}

}  // namespace
