#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/AtomicFile.h"
#include "platform/KeyPath.h"
#include "transfer/DelimitedTextParser.h"
#include "transfer/ZVDataExportManager.h"
#include "transfer/ZVSmartStringFileReader.h"
#include "vault/RecordFieldTable.h"
#include "vault/VaultKeys.h"

namespace {
const char* const kTitles[] = {"Category", "Name", "Url",      "Account", "User ID",
                               "Password", "Pin",  "Security", "Email",   "Note"};
const char* const kKeys[] = {"categoryPtr.cat_category",
                             "name",
                             "url",
                             "account",
                             "userID",
                             "password",
                             "pin",
                             "security",
                             "email",
                             "note"};

QStringList titles(const FieldKeyList& list) {
  QStringList out;
  for (qsizetype i = 0; i < list.count(); ++i) out << list.title(i);
  return out;
}

// Titles written as "A,B,C".
QStringList named(const char* commaSeparated) {
  return QString::fromLatin1(commaSeparated).split(u',', Qt::SkipEmptyParts);
}

// Counts the files written, as a subclass would act on them.
class CountingManager : public ZVDataExportManager {
 public:
  using ZVDataExportManager::ZVDataExportManager;
  int exported = 0;

 protected:
  void didExport() override { ++exported; }
};

class ExportManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  void TearDown() override { AtomicFile::setBeforeCommitHook({}); }

  FieldKeyList& left() { return manager.leftKeyArrayController(); }
  FieldKeyList& right() { return manager.rightKeyArrayController(); }
  // Chooses these fields, in this order.
  void choose(std::initializer_list<const char*> fields) {
    for (const char* title : fields) {
      const qsizetype row = titles(left()).indexOf(QString::fromLatin1(title));
      left().setSelectionIndexes({row});
      manager.addSelectedToRight();
    }
  }
  QStringList folderEntries() const {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir dir;
  CountingManager manager{{}, recordFieldTable()};
};

TEST_F(ExportManagerTest, FieldsMoveBetweenTheListsAndComeBackAtTheEnd) {
  EXPECT_EQ(left().count(), 10);
  EXPECT_EQ(right().count(), 0);
  EXPECT_EQ(manager.fileFormatToSave(), ExportFileFormat::TSV);
  EXPECT_FALSE(manager.useFieldNamesAsFirstRow());
  EXPECT_EQ(manager.customStrings(), ExportCustomStrings{});
  EXPECT_EQ(manager.suggestedFileName(), QStringLiteral("Export"));

  left().setSelectionIndexes({5, 1});
  manager.addSelectedToRight();
  EXPECT_EQ(titles(right()), named("Name,Password"));
  EXPECT_EQ(right().selectionIndexes(), (std::vector<qsizetype>{0, 1}));
  EXPECT_EQ(left().selectionIndexes(), std::vector<qsizetype>{1});  // "Url", where Name was
  EXPECT_EQ(left().count(), 8);

  right().setSelectionIndexes({0});
  manager.removeSelectedFromRight();
  EXPECT_EQ(titles(right()), named("Password"));
  EXPECT_EQ(left().title(left().count() - 1), QStringLiteral("Name"));  // at the end

  manager.addAllToRight();
  EXPECT_EQ(left().count(), 0);
  EXPECT_EQ(titles(right()).first(), QStringLiteral("Password"));  // after those chosen
  EXPECT_EQ(titles(right()).last(), QStringLiteral("Name"));
  manager.addSelectedToRight();  // nothing left to add
  EXPECT_EQ(right().count(), 10);

  manager.removeAllFromRight();
  EXPECT_EQ(right().count(), 0);
  EXPECT_EQ(titles(left()).first(), QStringLiteral("Password"));
}

TEST_F(ExportManagerTest, MovesTakeTheLastSelectedFieldNextToTheFirst) {
  const struct {
    std::vector<qsizetype> selection;
    bool up;
    const char* expected;
    std::vector<qsizetype> selectedAfter;
  } cases[] = {
      {{0}, true, "Name,Url,Password,Note", {0}},   // first up
      {{3}, false, "Name,Url,Password,Note", {3}},  // last down
      {{}, true, "Name,Url,Password,Note", {}},     // nothing selected
      {{}, false, "Name,Url,Password,Note", {}},
      {{2}, true, "Name,Password,Url,Note", {1}},
      {{1}, true, "Url,Name,Password,Note", {0}},
      {{0}, false, "Url,Name,Password,Note", {1}},
      {{2}, false, "Name,Url,Note,Password", {3}},
      // More than one selected: the last one moves, to beside the first.
      {{1, 3}, true, "Note,Name,Url,Password", {0}},
      {{2, 3}, true, "Name,Note,Url,Password", {1}},
      {{0, 2}, true, "Name,Url,Password,Note", {0, 2}},  // the first at the top
      {{0, 2}, false, "Name,Password,Url,Note", {1}},
      {{1, 2, 3}, false, "Name,Url,Note,Password", {2}},
      {{2, 3}, false, "Name,Url,Password,Note", {3}},  // already beside the first
  };
  for (const auto& c : cases) {
    manager.removeAllFromRight();
    choose({"Name", "Url", "Password", "Note"});
    right().setSelectionIndexes(c.selection);
    c.up ? manager.moveUp() : manager.moveDown();
    EXPECT_EQ(titles(right()), named(c.expected));
    EXPECT_EQ(right().selectionIndexes(), c.selectedAfter);
  }
}

TEST_F(ExportManagerTest, EachFormatHasItsPresetAndExtension) {
  const struct {
    qint32 format;
    const char* extension;
    const char* endOfRecord;
    const char* separator;
    const char* afterLast;
  } cases[] = {
      {ExportFileFormat::Custom, "txt", "", "", "YES"},
      {ExportFileFormat::TSV, "tsv", "\\n", "\\t", "NO"},
      {ExportFileFormat::QuotedCSV, "csv", "\\n", ",", "NO"},
      {ExportFileFormat::HTMLTable, "txt", "</tr>", "", "YES"},
      {ExportFileFormat::HTMLPage, "html", "</tr>", "", "YES"},
      {ExportFileFormat::PlainCSV, "csv", "\\n", ",", "NO"},
      {7, "txt", "", "", "YES"},
  };
  for (const auto& c : cases) {
    manager.setCustomFields(ExportFileFormat::HTMLPage);
    manager.setCustomFields(c.format);
    const ExportCustomStrings& s = manager.customStrings();
    EXPECT_EQ(ZVDataExportManager::extensionForFormat(c.format), QLatin1String(c.extension));
    EXPECT_EQ(s.end_of_record, QLatin1String(c.endOfRecord)) << c.format;
    EXPECT_EQ(s.field_separator, QLatin1String(c.separator)) << c.format;
    EXPECT_EQ(s.use_end_of_record_in_last_record, QLatin1String(c.afterLast)) << c.format;
  }
  // Custom clears every text.
  manager.setCustomFields(ExportFileFormat::Custom);
  EXPECT_EQ(manager.customStrings(),
            (ExportCustomStrings{{}, {}, {}, {}, {}, {}, {}, QStringLiteral("YES")}));
  manager.setCustomFields(ExportFileFormat::HTMLPage);
  EXPECT_EQ(
      manager.customStrings().start_of_file,
      QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body><table>"));

  const struct {
    const char* display;
    const char* suggested;
  } names[] = {{"Bank.qvlt", "Bank Export"},
               {"Bank", "Bank Export"},
               {"Bank.QVLT", "Bank.QVLT Export"},
               {"a.qvlt.qvlt", "a.qvlt Export"}};
  for (const auto& n : names)
    EXPECT_EQ(ZVDataExportManager::suggestedFileNameFor(QString::fromLatin1(n.display)),
              QLatin1String(n.suggested));
}

TEST_F(ExportManagerTest, TheFileIsUtf8WithoutMarkAndTheOwnersAlone) {
  auto record = Dictionary::create();
  record->setValue(RecordKeys::name(), QStringLiteral("Zoë"));
  CountingManager withRecord({record}, recordFieldTable());
  withRecord.rightKeyArrayController().append(recordFieldTable()->at(1).toDictionary());
  const QString path = dir.filePath(QStringLiteral("out.tsv"));
  ASSERT_TRUE(withRecord.writeToFile(path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("Zo\xC3\xAB"));
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(withRecord.exported, 1);
}

TEST_F(ExportManagerTest, AnExportOverAFileOthersCouldReadIsTheOwnersAlone) {
  auto record = Dictionary::create();
  record->setValue(RecordKeys::name(), QStringLiteral("Bank"));
  CountingManager withRecord({record}, recordFieldTable());
  withRecord.rightKeyArrayController().append(recordFieldTable()->at(1).toDictionary());
  for (const mode_t mode : {0644u, 0666u, 0640u, 0444u, 0600u}) {
    SCOPED_TRACE(mode);
    const QString path = dir.filePath(QStringLiteral("out-%1.tsv").arg(mode, 0, 8));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older export");
    old.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    ASSERT_TRUE(withRecord.writeToFile(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Bank"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
  }
}

TEST_F(ExportManagerTest, AFailedWriteIsReportedAndLeavesNothing) {
  QFile plainFile(dir.filePath(QStringLiteral("not-a-folder")));
  ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
  plainFile.close();
  // Root writes into any folder; the process file system takes no files from anyone.
  QString readOnly = dir.filePath(QStringLiteral("read-only"));
  ASSERT_TRUE(QDir().mkdir(readOnly));
  ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
  if (::geteuid() == 0) readOnly = QStringLiteral("/proc");
  const QString targets[] = {dir.filePath(QStringLiteral("missing/out.tsv")),
                             plainFile.fileName() + QStringLiteral("/out.tsv"),
                             readOnly + QStringLiteral("/out.tsv")};
  for (const QString& target : targets) {
    const Result<void> written = manager.writeToFile(target);
    EXPECT_FALSE(written) << target.toStdString();
    EXPECT_FALSE(written.error().isEmpty());
    EXPECT_FALSE(QFile::exists(target));
  }
  EXPECT_EQ(QDir(readOnly).entryList(QStringList{QStringLiteral(".out.tsv*")}, QDir::Hidden),
            QStringList());

  // Cut short after the bytes went out: no file, no temporary, no hook.
  AtomicFile::setBeforeCommitHook([] { return false; });
  const QString path = dir.filePath(QStringLiteral("cut.tsv"));
  EXPECT_FALSE(manager.writeToFile(path));
  EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("not-a-folder")});
  EXPECT_EQ(manager.exported, 0);
  QFile::setPermissions(dir.filePath(QStringLiteral("read-only")),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Two records of values that the delimited formats must carry through quoting or cleaning.
std::vector<DictRef> hardRecords() {
  static const char* const first[] = {"Bank",
                                      "Tab\there",
                                      "https://x.example/?a=1,b=2",
                                      "line1\r\nline2",
                                      "\"q\"",
                                      "=1,\"2\";3",
                                      "",
                                      "<&>",
                                      "ü@é.example",
                                      "Zoë \rnext"};
  static const char* const second[] = {"", "Plain", "", "", "u", "p w", "42", "", "", "a \n b"};
  std::vector<DictRef> records;
  for (const auto* values : {first, second}) {
    auto record = Dictionary::create();
    if (*values[0]) {
      auto category = Dictionary::create();
      category->setValue(CategoryKeys::category(), QString::fromUtf8(values[0]));
      record->setValue(RecordKeys::categoryPtr(), category);
    }
    for (int i = 1; i < 10; ++i)
      record->setValue(QString::fromLatin1(kKeys[i]), QString::fromUtf8(values[i]));
    records.push_back(record);
  }
  return records;
}

TEST_F(ExportManagerTest, DelimitedExportsReadBackFieldForField) {
  const struct {
    qint32 format;
    // What each value becomes in the file: TSV cleans, CSV keeps (line ends as "\n").
    bool cleaned;
  } cases[] = {{ExportFileFormat::TSV, true},
               {ExportFileFormat::QuotedCSV, false},
               {ExportFileFormat::PlainCSV, false}};
  const std::vector<DictRef> records = hardRecords();
  for (const auto& c : cases) {
    CountingManager exporting(records, recordFieldTable());
    exporting.addAllToRight();
    exporting.setFileFormatToSave(c.format);
    exporting.setUseFieldNamesAsFirstRow(true);
    const QString path = dir.filePath(QStringLiteral("round-%1.txt").arg(c.format));
    ASSERT_TRUE(exporting.writeToFile(path));

    // Read as the import reads a file it is given: encoding and separator detected.
    auto read = ZVSmartStringFileReader::autoReadFromFile(path, 0);
    ASSERT_TRUE(read) << read.error().toStdString();
    QString text = read.take().string;
    ZVSmartStringFileReader::replaceStringWithNewline(text);
    auto parsed = DelimitedTextParser::parse(text, DelimitedTextParser::Automatic);
    ASSERT_TRUE(parsed);
    const ImportTable& table = parsed.value();
    ASSERT_EQ(table.rowCount(), 3) << c.format;
    for (int f = 0; f < 10; ++f) EXPECT_EQ(table.field(0, f), QLatin1String(kTitles[f]));
    for (int r = 0; r < 2; ++r) {
      ASSERT_EQ(table.fieldCount(r + 1), 10) << c.format;
      for (int f = 0; f < 10; ++f) {
        QString expected =
            KeyPath::valueForKeyPath(records[std::size_t(r)], QString::fromLatin1(kKeys[f]))
                .toString();
        ZVSmartStringFileReader::replaceStringWithNewline(expected);
        if (c.cleaned)
          expected = ExportWriter::text({records[std::size_t(r)]},
                                        {recordFieldTable()->at(f).toDictionary()},
                                        {ExportFileFormat::TSV, false, {}});
        EXPECT_EQ(table.field(r + 1, f), expected) << "format " << c.format << " field " << f;
      }
    }
  }
}
}  // namespace
