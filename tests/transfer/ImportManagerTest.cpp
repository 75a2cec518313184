#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <map>

#include "transfer/DelimitedTextParser.h"
#include "transfer/ImportedRecords.h"
#include "transfer/MyDataImportManager.h"
#include "vault/RecordFieldTable.h"
#include "vault/Vault.h"
#include "vault/VaultKeys.h"

namespace {
// An owner that takes the records into a vault, as the document does.
struct VaultOwner : ZVImporter {
  Vault vault;
  ArrayRef staged = Array::create();
  bool unlocked = true;
  int finished = 0;
  qsizetype added = 0;
  bool acceptsImportedRecords() const override { return unlocked; }
  void justFinishedImporting() override {
    ++finished;
    added =
        ImportedRecords::addToLists(staged, vault.recordController(), vault.categoryController());
  }
};

// The bare manager with its own cascade start, making plain records.
class BareManager : public ZVDataImportManager {
 public:
  using ZVDataImportManager::ZVDataImportManager;

 protected:
  DictRef createNewObjectToImport() override { return Dictionary::create(); }
};

// A manager that notes each hook as it is called.
class HookedManager : public ZVDataImportManager {
 public:
  using ZVDataImportManager::ZVDataImportManager;
  QStringList calls;
  void useKeys(QStringList keys) { setImportFieldKeyArray(std::move(keys)); }

 protected:
  DictRef createNewObjectToImport() override { return Dictionary::create(); }
  void preImportSettings() override { calls << QStringLiteral("pre"); }
  void willImport() override { calls << QStringLiteral("will"); }
  void recordIsGoingToBeInserted(const DictRef& record) override {
    calls << QStringLiteral("insert ") + record->value(QStringLiteral("k")).toString();
  }
  void didImport() override { calls << QStringLiteral("did"); }
};

// The base class makes no records of its own.
class UnfinishedManager : public ZVDataImportManager {
 public:
  using ZVDataImportManager::ZVDataImportManager;
};

class ImportManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }

  QString write(const QByteArray& bytes) {
    QString path = dir.filePath(QStringLiteral("f%1.csv").arg(++files));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  void load(const QByteArray& bytes, qint32 format = 0) {
    auto loaded = manager.loadDataFromFile(write(bytes), format, 0);
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
  }
  std::vector<qint64> destinations() const {
    std::vector<qint64> out;
    for (qsizetype i = 0; i < manager.mappingCount(); ++i) out.push_back(manager.destination(i));
    return out;
  }
  std::vector<DictRef> records() { return owner.vault.recordController().arrangedObjects(); }
  static QString text(const DictRef& record, const QString& key) {
    return record->value(key).toString();
  }
  static QString categoryTitle(const DictRef& record) {
    const DictRef category = record->value(RecordKeys::categoryPtr()).toDictionary();
    return category ? category->value(CategoryKeys::category()).toString()
                    : QStringLiteral("<none>");
  }

  QTemporaryDir dir;
  int files = 0;
  VaultOwner owner;
  MyDataImportManager manager{owner.staged, recordFieldTable(), &owner};
};

TEST_F(ImportManagerTest, OneColumnPerFieldWhateverTheUserChooses) {
  load("a,b,c,d\n");
  ASSERT_EQ(manager.mappingCount(), 4);
  const struct {
    qsizetype column;
    qint64 destination;
    std::vector<qint64> after;
    qint64 count;
  } steps[] = {
      {0, 3, {3, 0, 0, 0}, 1},
      {2, 3, {0, 0, 3, 0}, 1},  // the field moves; the first column is no longer imported
      {1, 5, {0, 5, 3, 0}, 2},
      {3, 0, {0, 5, 3, 0}, 2},  // not importing touches no other column
      {1, 0, {0, 0, 3, 0}, 1},
      {9, 4, {0, 0, 3, 0}, 1},  // no such column
  };
  for (const auto& step : steps) {
    manager.manageDataLoadingPopUpSelected(step.column, step.destination);
    EXPECT_EQ(destinations(), step.after);
    EXPECT_EQ(manager.numberOfImportedFields(), step.count);
    for (qsizetype i = 0; i < manager.mappingCount(); ++i)
      EXPECT_EQ(manager.importFlag(i),
                manager.destination(i) ? QStringLiteral("\u00BB") : QString());
  }
  manager.ResetImportFields();
  EXPECT_EQ(destinations(), (std::vector<qint64>{0, 0, 0, 0}));
  EXPECT_EQ(manager.numberOfImportedFields(), 0);
}

TEST_F(ImportManagerTest, CascadeAssignsFieldsInOrderFromItsStart) {
  const struct {
    int columns;
    std::vector<qint64> document;
    std::vector<qint64> bare;
  } cases[] = {
      {3, {2, 3, 4}, {4, 5, 6}},
      {12, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 0}, {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0, 0}},
  };
  for (const auto& c : cases) {
    const QByteArray line = QByteArray("x").append(QByteArray(",x").repeated(c.columns - 1));
    load(line);
    manager.AssignCascadeImportFields();
    EXPECT_EQ(destinations(), c.document);
    EXPECT_EQ(manager.numberOfImportedFields(), std::min(c.columns, 10));

    BareManager bare(Array::create(), recordFieldTable(), nullptr);
    ASSERT_TRUE(bare.loadDataFromFile(write(line), 0, 0));
    bare.AssignCascadeImportFields();
    std::vector<qint64> got;
    for (qsizetype i = 0; i < bare.mappingCount(); ++i) got.push_back(bare.destination(i));
    EXPECT_EQ(got, c.bare);
  }
}

TEST_F(ImportManagerTest, HeaderMatchingIgnoresCaseOnlyAndSkipsTheHeader) {
  const struct {
    const char* file;
    std::vector<qint64> expected;
  } cases[] = {
      {"NAME,url,Comment\nx,y,z\n", {3, 4, 0}},
      {"Name, Url,password\n", {3, 0, 7}},   // no trimming
      {"user id,Note,note\n", {6, 11, 11}},  // one header twice: both columns
  };
  for (const auto& c : cases) {
    load(c.file);
    manager.setDoNotImportFirstRecord(false);
    manager.tryAssignFromFirstRow();
    EXPECT_EQ(destinations(), c.expected) << c.file;
    EXPECT_TRUE(manager.doNotImportFirstRecord());
  }
  load("");  // no first row: nothing changes
  manager.setDoNotImportFirstRecord(false);
  manager.tryAssignFromFirstRow();
  EXPECT_FALSE(manager.doNotImportFirstRecord());
}

TEST_F(ImportManagerTest, BrowsingStaysWithinThePreview) {
  load("a\nb\nc\n");
  manager.ImportSettings();
  EXPECT_EQ(manager.currentRecordIndex(), 1);
  manager.showPrevRecord();
  EXPECT_EQ(manager.currentRecordIndex(), 1);
  for (int i = 0; i < 5; ++i) manager.showNextRecord();
  EXPECT_EQ(manager.currentRecordIndex(), 3);
  manager.showPrevRecord();
  EXPECT_EQ(manager.currentRecordIndex(), 2);
}

TEST_F(ImportManagerTest, RowsBecomeRecordsUnderTheMapping) {
  load("Alpha,pw1,first\n,pw2\nGamma,pw3,third\n");
  manager.manageDataLoadingPopUpSelected(1, 7);   // Password
  manager.manageDataLoadingPopUpSelected(2, 11);  // Note
  EXPECT_EQ(manager.DoImport(), 3);
  ASSERT_EQ(records().size(), 3u);
  EXPECT_EQ(text(records()[0], RecordKeys::name()), QStringLiteral("New"));  // no name column
  EXPECT_EQ(text(records()[1], RecordKeys::password()), QStringLiteral("pw2"));
  EXPECT_EQ(text(records()[1], RecordKeys::note()), QString());  // the short row keeps the default

  // The name column, with the first row skipped: an empty name stays empty.
  manager.manageDataLoadingPopUpSelected(0, 3);
  manager.setDoNotImportFirstRecord(true);
  EXPECT_EQ(manager.DoImport(), 2);
  ASSERT_EQ(records().size(), 5u);
  EXPECT_EQ(text(records()[3], RecordKeys::name()), QString());
  EXPECT_EQ(text(records()[4], RecordKeys::name()), QStringLiteral("Gamma"));
  for (const DictRef& record : records()) {
    EXPECT_FALSE(record->contains(MyDataImportManager::categoryNAME()));
    EXPECT_EQ(record->count(), 13);
    EXPECT_TRUE(record->value(RecordKeys::creationDate()).isDate());
    EXPECT_EQ(record->value(RecordKeys::usageCount()).toInteger(-1), 0);
  }
  EXPECT_EQ(owner.finished, 2);
}

TEST_F(ImportManagerTest, TheLaterOfTwoColumnsWithOneKeyWinsEvenEmpty) {
  // Header matching gives both columns the name.
  load("name,Name\nfirst,\n");
  manager.tryAssignFromFirstRow();
  EXPECT_EQ(destinations(), (std::vector<qint64>{3, 3}));
  EXPECT_EQ(manager.DoImport(), 1);
  ASSERT_EQ(records().size(), 1u);
  EXPECT_EQ(text(records()[0], RecordKeys::name()), QString());
}

TEST_F(ImportManagerTest, HooksRunInTheirOrderAndTheFirstRowCanNameTheColumns) {
  const QString path = write("head\nx\ny\n");
  ArrayRef data = Array::create();
  HookedManager hooked(data, recordFieldTable(), nullptr);
  hooked.setDataArray(data, recordFieldTable());
  EXPECT_EQ(hooked.fromIndexNumberToFieldKey(0), QString());
  ASSERT_TRUE(hooked.loadDataFromFile(path, 0, 0).ok());
  hooked.ImportSettings();
  EXPECT_EQ(hooked.calls, QStringList{QStringLiteral("pre")});
  hooked.calls.clear();
  hooked.useKeys({QString(), QString(), QStringLiteral("k")});
  EXPECT_EQ(hooked.fromIndexNumberToFieldKey(2), QStringLiteral("k"));
  EXPECT_EQ(hooked.fromIndexNumberToFieldKey(3), QString());
  hooked.manageDataLoadingPopUpSelected(0, 2);

  // The first row as column names: skipped, and kept as the names' record.
  hooked.setUseFirstRecordAsFieldsName(true);
  hooked.firstRowSetFieldsNameSelected();
  EXPECT_TRUE(hooked.doNotImportFirstRecord());
  EXPECT_EQ(hooked.DoImport(), 2);
  EXPECT_EQ(hooked.calls, (QStringList{QStringLiteral("will"), QStringLiteral("insert x"),
                                       QStringLiteral("insert y"), QStringLiteral("did")}));
  ASSERT_TRUE(hooked.firstRowToImportUsedForColumnNames());
  EXPECT_EQ(hooked.firstRowToImportUsedForColumnNames()->value(QStringLiteral("k")).toString(),
            QStringLiteral("head"));
  // Only skipped: the first row is dropped.
  hooked.setUseFirstRecordAsFieldsName(false);
  hooked.firstRowSetFieldsNameSelected();
  EXPECT_FALSE(hooked.doNotImportFirstRecord());
  hooked.setDoNotImportFirstRecord(true);
  EXPECT_EQ(hooked.DoImport(), 2);
  EXPECT_FALSE(hooked.firstRowToImportUsedForColumnNames());
  EXPECT_EQ(data->count(), 4);

  // Another list starts the first-row choices again.
  hooked.setUseFirstRecordAsFieldsName(true);
  hooked.setEnableFirstRecAsNameOption(false);
  hooked.setDataArray(Array::create(), recordFieldTable());
  EXPECT_FALSE(hooked.doNotImportFirstRecord());
  EXPECT_FALSE(hooked.useFirstRecordAsFieldsName());
  EXPECT_TRUE(hooked.enableFirstRecAsNameOption());
}

TEST_F(ImportManagerTest, AllColumnsToTheFirstFieldAndTheBaseMakesNoRecords) {
  load("a,b,c\n");
  manager.AllImportFieldsToCreateNewColumn();
  EXPECT_EQ(destinations(), (std::vector<qint64>{2, 2, 2}));
  EXPECT_EQ(manager.numberOfImportedFields(), 3);
  EXPECT_EQ(manager.importFlag(2), ZVDataImportManager::importMark());

  UnfinishedManager unfinished(Array::create(), recordFieldTable(), nullptr);
  ASSERT_TRUE(unfinished.loadDataFromFile(write("a\nb\n"), 0, 0).ok());
  EXPECT_EQ(unfinished.DoImport(), 0);
  EXPECT_EQ(unfinished.outsideDataArray()->count(), 0);
}

TEST_F(ImportManagerTest, ALockedOwnerTakesNothing) {
  load("a,b\n");
  manager.AssignCascadeImportFields();
  owner.unlocked = false;
  EXPECT_EQ(manager.DoImport(), 0);
  EXPECT_EQ(owner.finished, 0);
  EXPECT_TRUE(owner.staged->isEmpty());
  EXPECT_TRUE(records().empty());
}

TEST_F(ImportManagerTest, AFailedReloadKeepsWhatWasLoaded) {
  load("caf\xC3\xA9,b\n");
  manager.manageDataLoadingPopUpSelected(0, 3);
  auto reloaded = manager.reload(0, TextEncodingCode::ASCII);
  ASSERT_FALSE(reloaded);
  EXPECT_EQ(reloaded.failure().reason, ImportError::Reason::NotInEncoding);
  EXPECT_TRUE(reloaded.error().contains(QStringLiteral("ASCII")));
  EXPECT_EQ(manager.preview().field(0, 0).toString(), QStringLiteral("caf\u00E9"));
  EXPECT_EQ(destinations(), (std::vector<qint64>{3, 0}));
  EXPECT_EQ(manager.fileEncodeToImport(), 0);

  ASSERT_TRUE(manager.reload(0, TextEncodingCode::MacOSRoman));
  EXPECT_EQ(manager.fileEncodeToImport(), TextEncodingCode::MacOSRoman);
  EXPECT_EQ(manager.usedEncoding(), TextEncoding::MacOSRoman);
  EXPECT_EQ(manager.preview().field(0, 0).toString(), QStringLiteral("caf\u221A\u00A9"));
  EXPECT_EQ(destinations(), (std::vector<qint64>{0, 0}));  // a new load starts afresh
}

// Category titles become links: found by exact title, made once when missing, and rows
// without a title join the category a new record would get before any was made.
TEST_F(ImportManagerTest, CategoryTitlesBecomeLinks) {
  auto& categories = owner.vault.categoryController();
  auto& list = owner.vault.recordController();
  const DictRef work = categories.addWithName(QStringLiteral("Work"));
  const DictRef home = categories.addWithName(QStringLiteral("Home"));
  const DictRef kept = list.newObject();
  list.assignCategory(work, kept);
  list.addObjects({kept});

  // With no record selected, a new record gets the last category: the one listed last
  // before the import, whichever titles the import brings and in whatever order.
  const struct {
    const char* file;
    std::map<std::string, std::string> categoryOfName;
  } cases[] = {
      {"Work,a\nwork,b\nNew,c\nNew,d\nNew,e\n,f\n",
       {{"a", "Work"}, {"b", "work"}, {"c", "New"}, {"d", "New"}, {"e", "New"}, {"f", "Home"}}},
      {",g\nLast,h\n", {{"g", "New"}, {"h", "Last"}}},
      {"Later,i\n,j\n", {{"i", "Later"}, {"j", "Last"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    load(c.file);
    manager.AssignCascadeImportFields();
    list.setSelectionIndex(ArrayController::NotFound);
    manager.DoImport();
    for (const DictRef& record : records()) {
      const auto expected = c.categoryOfName.find(text(record, RecordKeys::name()).toStdString());
      if (expected != c.categoryOfName.end()) {
        EXPECT_EQ(categoryTitle(record).toStdString(), expected->second);
      }
    }
  }
  std::vector<std::pair<std::string, qint64>> titles;
  for (const Value& v : categories.content()->values()) {
    const DictRef category = v.toDictionary();
    titles.emplace_back(category->value(CategoryKeys::category()).toString().toStdString(),
                        category->value(CategoryKeys::howManyUsingThis()).toInteger());
  }
  EXPECT_EQ(titles,
            (std::vector<std::pair<std::string, qint64>>{
                {"Work", 2}, {"Home", 1}, {"work", 1}, {"New", 4}, {"Last", 2}, {"Later", 1}}));
  EXPECT_EQ(categoryTitle(kept), QStringLiteral("Work"));
  // The vault saves every record with its category.
  ASSERT_TRUE(owner.vault.encrypt(QStringLiteral("secret12")));
}

TEST_F(ImportManagerTest, AnImportOfNothingAddsNothing) {
  load("");
  EXPECT_EQ(manager.mappingCount(), 1);  // the empty text is one empty TAB line
  EXPECT_EQ(manager.DoImport(), 0);
  EXPECT_EQ(owner.finished, 1);
  EXPECT_EQ(owner.added, 0);
  EXPECT_TRUE(owner.vault.categories()->isEmpty());
}

// Files shaped like the exports of browsers, spreadsheets and old Macs, imported after
// matching their header rows.
TEST_F(ImportManagerTest, RealWorldExportsImportWithTheirHeaders) {
  using Fields = std::map<std::string, std::string>;
  const struct {
    const char* file;
    TextEncoding encoding;
    std::vector<Fields> expected;
    qint32 separator = DelimitedTextParser::Comma;
  } cases[] = {
      {"browser-export.csv",
       TextEncoding::UTF8,
       {{{"name", "example.com"},
         {"url", "https://example.com/login"},
         {"password", "s3cr3t!"},
         {"userID", ""}},
        {{"name", "Bank"}, {"password", "pa,ss\"word"}, {"note", "Card PIN is elsewhere"}},
        {{"name", "mail.example"}, {"password", "h@ppy-d4ys"}}}},
      {"all-quoted.csv",
       TextEncoding::UTF8,
       {{{"category", "Work"}, {"name", "Intranet"}, {"userID", "bob"}, {"password", "x;y,z"}},
        {{"category", "Home"}, {"url", "http://192.168.1.1"}, {"password", ""}}}},
      {"spreadsheet-utf8-bom.csv",
       TextEncoding::UTF8,
       {{{"name", "Café Müller"},
         {"account", "Ünsal"},
         {"password", "pässwörd"},
         {"note", "Grüße"}},
        {{"name", "Shop"}, {"account", "ナナ"}, {"password", "秘密"}}}},
      {"unicode-text-utf16le.txt",
       TextEncoding::UTF16LE,
       {{{"name", "Zürich Wiki"}, {"userID", "zoë"}, {"password", "Ωmega-42"}},
        {{"name", "Blog"}, {"userID", "writer"}, {"password", ""}}},
       DelimitedTextParser::Tab},
      {"macroman-cr.txt",
       TextEncoding::MacOSRoman,
       {{{"name", "Café"}, {"password", "crème brûlée"}, {"note", "don’t forget"}}},
       DelimitedTextParser::Tab},
      {"windows1252-semicolon.csv",
       TextEncoding::Windows1252,
       {{{"category", "Finanzen"},
         {"name", "Sparkonto Müller"},
         {"note", "Zins 1,25 % – Gebühr 3,50 €"}},
        {{"category", "Finanzen"}, {"name", "Café"}, {"note", "Saldo 12,50"}}},
       DelimitedTextParser::Semicolon},
      {"multiline-note.csv",
       TextEncoding::UTF8,
       {{{"name", "Server"},
         {"password", "hunter2"},
         {"note", "first line\nsecond line, with a comma\n\"quoted\" third"}},
        {{"name", "Desk"}, {"password", "1234"}, {"note", "short"}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    VaultOwner fresh;
    MyDataImportManager importer(fresh.staged, recordFieldTable(), &fresh);
    auto loaded = importer.loadDataFromFile(
        QStringLiteral(QV_SOURCE_DIR "/tests/transfer/data/") + QString::fromLatin1(c.file), 0, 0);
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    EXPECT_EQ(importer.usedEncoding(), c.encoding);
    EXPECT_EQ(importer.usedFormat(), c.separator);
    EXPECT_EQ(importer.fileFormatToImport(), 0);  // the choice stays automatic
    importer.tryAssignFromFirstRow();
    ASSERT_EQ(importer.DoImport(), qsizetype(c.expected.size()));
    const auto& got = fresh.vault.recordController().arrangedObjects();
    ASSERT_EQ(got.size(), c.expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      for (const auto& [key, value] : c.expected[i]) {
        const QString name = QString::fromStdString(key);
        const QString actual = key == "category" ? categoryTitle(got[i]) : text(got[i], name);
        EXPECT_EQ(actual.toStdString(), value) << "record " << i << " " << key;
      }
    }
  }
}
// Not a number for no numbers; the mean is that of the numbers' integer parts.
TEST(ImportStatisticsTest, StandardDeviationIsThePopulations) {
  EXPECT_TRUE(std::isnan(ZVDataImportManager::standardDeviation({})));
  const struct {
    std::vector<double> numbers;
    double expected;
  } cases[] = {
      {{5}, 0},
      {{3, 3, 3}, 0},
      {{2, 4, 4, 4, 5, 5, 7, 9}, 2},  // the sample deviation would be 2.14
      {{1, 2}, 0.5},
      {{1.9, 1.9}, 0.9},  // mean 1
      {{-3, 3}, 3},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(ZVDataImportManager::standardDeviation(c.numbers), c.expected, 1e-12);
}
}  // namespace
