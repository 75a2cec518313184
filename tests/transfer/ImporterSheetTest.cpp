#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "app/ApplicationLaunch.h"
#include "app/ZVRevertDocController.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/transfer/LaunchedVaultTest.h"
#include "transfer/ImporterSheet.h"
#include "transfer/LoadingFileSheet.h"
#include "transfer/MyDataImportManager.h"
#include "transfer/ZVSmartStringFileReader.h"
#include "vault/MyDocument.h"
#include "vault/PasswordSheet.h"
#include "vault/VaultKeys.h"
#include "window/VaultDocumentWindow.h"

namespace {
QString fixture(const char* name) {
  return QStringLiteral(QV_SOURCE_DIR "/tests/transfer/data/") + QString::fromLatin1(name);
}

// A vault opened and unlocked in the running application, imported into from its File menu.
class ImporterSheetTest : public LaunchedVaultTest {
 protected:
  void closeSheets() override {
    for (auto* sheet : GuiDriver::visible<ImporterSheet>()) sheet->hide();
  }

  QAction* importCommand() { return fileCommand(QStringLiteral("&Import Text File…")); }
  // Chooses the file in the import's file dialog, as the user would; answers the sheet.
  ImporterSheet* chooseFile(const QString& file) {
    if (!openInDialog(file)) return nullptr;
    waitForLoading();
    return visibleSheet();
  }
  // Types the file's path into the dialog and opens it; false when there was no dialog.
  bool openInDialog(const QString& file) {
    QAction* command = importCommand();
    if (!command || !command->isEnabled()) return false;
    command->trigger();
    GuiDriver::settle();
    auto* dialog = window->findChild<QFileDialog*>();
    if (!dialog || !dialog->isVisible()) return false;
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(dialog->nameFilters().first().contains(QStringLiteral("*.csv *.CSV")));
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name) return false;
    name->setText(file);
    static_cast<QDialog*>(dialog)->accept();
    GuiDriver::settle();
    return true;
  }
  // A semicolon file of that many records (and a header), a few dozen bytes each.
  QString writeLargeFile(int records) {
    QString large = dir.filePath(QStringLiteral("large.csv"));
    QFile file(large);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Name;Password;Note\n");
    file.write(QByteArray("Bank of somewhere;pa55-w0rd-long;a note, with commas, in it\n")
                   .repeated(records));
    return large;
  }
  // The loading sheet on the window or on the settings sheet, while it is up.
  LoadingFileSheet* loadingSheet() const {
    for (auto* sheet : window->findChildren<LoadingFileSheet*>())
      if (sheet->isVisible()) return sheet;
    return nullptr;
  }
  // Until the file has been read: the loading sheet has come and gone.
  static constexpr int kLoadDeadline = 60000;
  void waitForLoading() {
    GuiDriver::settle();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !loadingSheet(); }, kLoadDeadline));
    GuiDriver::settle();
  }
  ImporterSheet* visibleSheet() const {
    for (auto* sheet : window->findChildren<ImporterSheet*>())
      if (sheet->isVisible()) return sheet;
    return nullptr;
  }
  std::vector<DictRef> records() const { return doc->recordController().arrangedObjects(); }
  // A choice in the sheet; one that reads the file again is waited for.
  void choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
    waitForLoading();
  }
  static void pickTool(ImporterSheet* sheet, const QString& title) {
    for (QAction* a : sheet->toolsButton()->menu()->actions())
      if (a->text() == title) a->trigger();
    GuiDriver::settle();
  }
};

TEST_F(ImporterSheetTest, ABrowserExportBecomesRecordsThatAreSaved) {
  ASSERT_NE(importCommand(), nullptr);
  EXPECT_FALSE(importCommand()->isEnabled());  // locked
  unlock();
  ImporterSheet* sheet = chooseFile(fixture("browser-export.csv"));
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->objectName(), QStringLiteral("Importer"));
  EXPECT_EQ(sheet->parentWidget(), window);
  EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
  EXPECT_EQ(sheet->encodingUsed()->text(), QStringLiteral("Read as UTF-8"));
  QTableWidget* table = sheet->mappingTable();
  ASSERT_EQ(table->rowCount(), 5);
  EXPECT_EQ(table->item(0, ImporterSheet::ValueColumn)->text(), QStringLiteral("name"));
  EXPECT_EQ(sheet->recordPosition()->text(), QStringLiteral("Record 1 of 4"));
  EXPECT_FALSE(sheet->previousButton()->isEnabled());
  QComboBox* popUp = sheet->destinationPopUp(0);
  ASSERT_NE(popUp, nullptr);
  EXPECT_EQ(popUp->count(), 12);
  EXPECT_EQ(popUp->itemText(3), QStringLiteral("Name"));
  GuiDriver::snapshot(sheet, QStringLiteral("importer-sheet-loaded"));

  pickTool(sheet, QStringLiteral("&Match Fields to the First Row"));
  EXPECT_EQ(sheet->destinationPopUp(0)->currentText(), QStringLiteral("Name"));
  EXPECT_EQ(sheet->destinationPopUp(2)->currentIndex(), 0);  // "username" names no field
  EXPECT_EQ(table->item(0, ImporterSheet::MarkColumn)->text(), QStringLiteral("\u00BB"));
  EXPECT_TRUE(sheet->skipFirstRow()->isChecked());
  // The user gives the third column to the user ID by hand.
  choose(sheet->destinationPopUp(2), 6);
  QTest::mouseClick(sheet->nextButton(), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_EQ(table->item(0, ImporterSheet::ValueColumn)->text(), QStringLiteral("example.com"));
  GuiDriver::snapshot(sheet, QStringLiteral("importer-sheet"));

  QTest::mouseClick(sheet->importButton(), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_EQ(visibleSheet(), nullptr);
  ASSERT_EQ(records().size(), 3u);
  EXPECT_TRUE(doc->isDocumentEdited());
  EXPECT_EQ(records()[1]->value(RecordKeys::password()).toString(), QStringLiteral("pa,ss\"word"));
  EXPECT_EQ(records()[1]->value(RecordKeys::userID()).toString(), QStringLiteral("alice.w"));
  EXPECT_FALSE(records()[1]->contains(MyDataImportManager::categoryNAME()));

  EXPECT_EQ(transfer().myDataImportManager()->preview().rowCount(), 0);  // let go of, wiped

  // Saved and opened again, the records are there with their category.
  ASSERT_TRUE(doc->saveDocument());
  MyDocument reopened;
  ASSERT_TRUE(reopened.readFromURL(path));
  reopened.setPlainPassword(QStringLiteral("secret12"));
  ASSERT_EQ(reopened.Decript(), 0);
  ASSERT_EQ(reopened.myArray()->count(), 3);
  for (const Value& v : reopened.myArray()->values())
    EXPECT_TRUE(v.toDictionary()->value(RecordKeys::categoryPtr()).isDictionary());
}

// Counts the window's paint events while the loading sheet is up.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(std::function<bool()> loading) : loading_(std::move(loading)) {}
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && loading_()) ++paints;
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<bool()> loading_;
};

// A file of many megabytes is read on a worker thread: the loading sheet is up on the
// window, which goes on drawing, and the settings sheet follows with every row.
TEST_F(ImporterSheetTest, ALargeFileIsReadUnderTheLoadingSheetWhileTheWindowDraws) {
  unlock();
  constexpr int kRows = 400000;
  const QString large = writeLargeFile(kRows);

  PaintCounter counter([this] { return loadingSheet() != nullptr; });
  window->installEventFilter(&counter);
  LoadingFileSheet* seen = nullptr;
  bool indeterminate = false, modal = false;
  QTimer ticker;  // as the desktop asks the window to draw
  QObject::connect(&ticker, &QTimer::timeout, window, [&] {
    // Drawn at once: a deferred update could fall after a read that a busy machine let
    // finish first. The tick itself only runs while the main thread is free.
    window->repaint();
    if (LoadingFileSheet* up = loadingSheet(); up && !seen) {
      seen = up;
      indeterminate =
          up->progressIndicator()->minimum() == 0 && up->progressIndicator()->maximum() == 0;
      modal = up->parentWidget() == window && up->windowModality() == Qt::WindowModal;
      GuiDriver::snapshot(up, QStringLiteral("loading-file-sheet"));
    }
  });
  ticker.start(5);
  ImporterSheet* sheet = chooseFile(large);
  ticker.stop();
  window->removeEventFilter(&counter);

  EXPECT_NE(seen, nullptr);
  EXPECT_TRUE(indeterminate);
  EXPECT_TRUE(modal);
  EXPECT_GT(counter.paints, 0);
  EXPECT_EQ(loadingSheet(), nullptr);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->recordPosition()->text(), QStringLiteral("Record 1 of %1").arg(kRows + 1));
  EXPECT_EQ(sheet->mappingTable()->rowCount(), 3);
  EXPECT_EQ(sheet->separatorUsed()->text(), QStringLiteral("Split at semicolons"));
  QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
  GuiDriver::settle();
}

// The document closed while its file is read: the read ends unseen, and nothing is left up.
TEST_F(ImporterSheetTest, ADocumentClosedWhileItsFileIsReadTakesNothing) {
  unlock();
  ASSERT_TRUE(openInDialog(writeLargeFile(400000)));
  QPointer<LoadingFileSheet> loading(loadingSheet());
  ASSERT_NE(loading, nullptr);
  QPointer<QWidget> win(window);
  doc->close();
  window = nullptr;
  doc = nullptr;
  EXPECT_TRUE(QTest::qWaitFor([&] { return !loading && !win; }, kLoadDeadline));
  GuiDriver::settle();
  EXPECT_TRUE(GuiDriver::visible<ImporterSheet>().isEmpty());
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
}

// The separator found is shown beside the choice, as the encoding is; another choice reads
// the file again.
TEST_F(ImporterSheetTest, TheSheetSaysWhichSeparatorSplitTheFile) {
  unlock();
  QFile file(dir.filePath(QStringLiteral("notes.csv")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("Name;Note\nA;a, b, c\n");
  file.close();
  ImporterSheet* sheet = chooseFile(file.fileName());
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->formatChoice()->currentText(), QStringLiteral("Automatic"));
  EXPECT_EQ(sheet->separatorUsed()->text(), QStringLiteral("Split at semicolons"));
  QTableWidget* table = sheet->mappingTable();
  ASSERT_EQ(table->rowCount(), 2);
  QTest::mouseClick(sheet->nextButton(), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_EQ(table->item(1, ImporterSheet::ValueColumn)->text(), QStringLiteral("a, b, c"));
  GuiDriver::snapshot(sheet, QStringLiteral("importer-sheet-separator"));

  choose(sheet->formatChoice(), 2);
  EXPECT_EQ(sheet->separatorUsed()->text(), QStringLiteral("Split at commas"));
  EXPECT_EQ(table->rowCount(), 3);
  QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
  GuiDriver::settle();
}

TEST_F(ImporterSheetTest, ChangingTheEncodingReadsTheFileAgainOrSaysWhyNot) {
  unlock();
  ImporterSheet* sheet = chooseFile(fixture("spreadsheet-utf8-bom.csv"));
  ASSERT_NE(sheet, nullptr);
  QTableWidget* table = sheet->mappingTable();
  QComboBox* encoding = sheet->encodingChoice();
  QTest::mouseClick(sheet->nextButton(), Qt::LeftButton);
  GuiDriver::settle();
  ASSERT_EQ(table->item(0, ImporterSheet::ValueColumn)->text(), QStringLiteral("Café Müller"));
  choose(sheet->destinationPopUp(0), 3);
  choose(encoding, 0);  // the same choice: nothing is read again, the mapping stays
  EXPECT_EQ(sheet->destinationPopUp(0)->currentIndex(), 3);

  choose(encoding, encoding->findData(TextEncodingCode::ASCII));
  ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
  EXPECT_EQ(GuiDriver::onlyAlert()->text(),
            QStringLiteral("“spreadsheet-utf8-bom.csv” cannot be imported."));
  EXPECT_TRUE(GuiDriver::onlyAlert()->informativeText().contains(QStringLiteral("ASCII")));
  GuiDriver::closeAllAlerts();
  EXPECT_EQ(encoding->currentText(), QStringLiteral("Automatic"));  // the choice that loaded
  EXPECT_EQ(table->item(0, ImporterSheet::ValueColumn)->text(), QStringLiteral("Café Müller"));

  choose(encoding, encoding->findData(TextEncodingCode::MacOSRoman));
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_EQ(sheet->encodingUsed()->text(), QStringLiteral("Read as Mac OS Roman"));
  EXPECT_EQ(sheet->recordPosition()->text(), QStringLiteral("Record 1 of 3"));
  EXPECT_TRUE(table->item(0, ImporterSheet::ValueColumn)->text().startsWith(QStringLiteral("Ôªø")));

  choose(sheet->formatChoice(), 3);  // semicolons: one column
  EXPECT_EQ(table->rowCount(), 1);

  QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_EQ(visibleSheet(), nullptr);
  EXPECT_TRUE(records().empty());
  EXPECT_FALSE(doc->isDocumentEdited());
}

// An 8-bit file that Windows-1252 and Mac OS Roman read equally well comes in as Windows-1252,
// and the choices let the user switch between the two.
TEST_F(ImporterSheetTest, AnEightBitTieReadsAsWindows1252AndTheChoiceCanSwitchIt) {
  unlock();
  QFile file(dir.filePath(QStringLiteral("latin.csv")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("Bank,Pa\xA7\xA7w0rd\n");
  file.close();
  ImporterSheet* sheet = chooseFile(file.fileName());
  ASSERT_NE(sheet, nullptr);
  QComboBox* encoding = sheet->encodingChoice();
  EXPECT_EQ(sheet->encodingUsed()->text(), QStringLiteral("Read as Windows-1252 (Western)"));
  QTest::mouseClick(sheet->nextButton(), Qt::LeftButton);
  GuiDriver::settle();
  QTableWidget* table = sheet->mappingTable();
  EXPECT_EQ(table->item(1, ImporterSheet::ValueColumn)->text(), QStringLiteral("Pa§§w0rd"));

  choose(encoding, encoding->findData(TextEncodingCode::MacOSRoman));
  EXPECT_EQ(table->item(1, ImporterSheet::ValueColumn)->text(), QStringLiteral("Paßßw0rd"));
  const int windows = encoding->findData(TextEncodingCode::Windows1252);
  ASSERT_GE(windows, 0);
  choose(encoding, windows);
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_EQ(table->item(1, ImporterSheet::ValueColumn)->text(), QStringLiteral("Pa§§w0rd"));
  QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
  GuiDriver::settle();
}

// The vault's import: no "all to new columns" tool and no first row kept as names; the
// importing sheet is up while the records are made; the category menu then offers the
// categories the file brought.
TEST_F(ImporterSheetTest, ACategoryColumnReachesTheCategoryMenuThroughTheImportingSheet) {
  unlock();
  QFile file(dir.filePath(QStringLiteral("groups.csv")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("category,name\nBanks,First Bank\nShops,Corner Shop\n");
  file.close();
  ImporterSheet* sheet = chooseFile(file.fileName());
  ASSERT_NE(sheet, nullptr);
  EXPECT_TRUE(sheet->useFirstRowAsFieldNames()->isHidden());
  for (QAction* a : sheet->toolsButton()->menu()->actions())
    EXPECT_NE(a->text(), QStringLiteral("Import &All to New Columns"));
  pickTool(sheet, QStringLiteral("&Match Fields to the First Row"));
  EXPECT_EQ(sheet->destinationPopUp(0)->currentText(), QStringLiteral("Category"));

  // Notes whether the importing sheet is up when the records reach the document.
  bool sheetUpWhileImporting = false;
  const auto noteSheet = [&] {
    for (auto* w : window->findChildren<QWidget*>(QStringLiteral("importingFileSheet")))
      if (w->isVisible()) sheetUpWhileImporting = true;
  };
  QObject::connect(&doc->recordController(), &ArrayController::arrangedObjectsReset, window,
                   noteSheet);
  QObject::connect(&doc->recordController(), &ArrayController::objectInserted, window, noteSheet);
  QTest::mouseClick(sheet->importButton(), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_TRUE(sheetUpWhileImporting);
  for (auto* w : window->findChildren<QWidget*>(QStringLiteral("importingFileSheet")))
    EXPECT_FALSE(w->isVisible());
  ASSERT_EQ(records().size(), 2u);
  QStringList items;
  for (int i = 0; i < window->categoryMenu()->count(); ++i)
    items << window->categoryMenu()->itemText(i);
  EXPECT_TRUE(items.contains(QStringLiteral("Banks"))) << items.join(u'|').toStdString();
  EXPECT_TRUE(items.contains(QStringLiteral("Shops"))) << items.join(u'|').toStdString();
}

TEST_F(ImporterSheetTest, FilesThatCannotBeImportedAreReported) {
  unlock();
  QFile huge(dir.filePath(QStringLiteral("huge.csv")));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
  ASSERT_TRUE(huge.resize(ZVSmartStringFileReader::kMaxFileSize + 1));
  huge.close();
  EXPECT_EQ(chooseFile(huge.fileName()), nullptr);
  ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
  EXPECT_TRUE(GuiDriver::onlyAlert()->informativeText().contains(QStringLiteral("64 MiB")));
  GuiDriver::closeAllAlerts();

  QFile wide(dir.filePath(QStringLiteral("wide.csv")));
  ASSERT_TRUE(wide.open(QIODevice::WriteOnly));
  wide.write(QByteArray("x,").repeated(300));
  wide.close();
  EXPECT_EQ(chooseFile(wide.fileName()), nullptr);
  EXPECT_EQ(loadingSheet(), nullptr);
  ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
  EXPECT_TRUE(
      GuiDriver::onlyAlert()->informativeText().contains(QStringLiteral("at most 256 columns")));
}

TEST_F(ImporterSheetTest, AnEmptyFileImportsNothingAndLeavesTheDocumentUnedited) {
  unlock();
  QFile empty(dir.filePath(QStringLiteral("empty.txt")));
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();
  ImporterSheet* sheet = chooseFile(empty.fileName());
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->recordPosition()->text(), QStringLiteral("No records"));
  EXPECT_FALSE(sheet->nextButton()->isEnabled());
  QTest::mouseClick(sheet->importButton(), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_TRUE(records().empty());
  EXPECT_FALSE(doc->isDocumentEdited());
  EXPECT_TRUE(doc->categoryController().content()->isEmpty());
}

TEST_F(ImporterSheetTest, ADocumentLockedMeanwhileTakesNoRecords) {
  unlock();
  ImporterSheet* sheet = chooseFile(fixture("multiline-note.csv"));
  ASSERT_NE(sheet, nullptr);
  pickTool(sheet, QStringLiteral("Assign Fields in &Order"));
  doc->setIsEncrypted(true);  // as the automatic lock would, while the sheet is up
  QTest::mouseClick(sheet->importButton(), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_TRUE(records().empty());
  EXPECT_TRUE(transfer().myDataImportManager()->outsideDataArray()->isEmpty());
}
}  // namespace
