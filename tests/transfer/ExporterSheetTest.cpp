#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/ApplicationLaunch.h"
#include "platform/AtomicFile.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/transfer/LaunchedVaultTest.h"
#include "transfer/DataExportFlow.h"
#include "transfer/ExporterSheet.h"
#include "transfer/ZVDataExportManager.h"
#include "vault/MyDocument.h"
#include "vault/RecordFieldTable.h"
#include "vault/VaultKeys.h"
#include "window/VaultDocumentWindow.h"

namespace {
// A vault opened and unlocked in the running application, exported from its File menu.
class ExporterSheetTest : public LaunchedVaultTest {
 protected:
  void TearDown() override {
    AtomicFile::setBeforeCommitHook({});
    LaunchedVaultTest::TearDown();
  }
  void closeSheets() override {
    for (auto* sheet : window->findChildren<ExporterSheet*>()) sheet->hide();
    for (auto* dialog : window->findChildren<QFileDialog*>()) dialog->hide();
  }

  QAction* exportShown() { return fileCommand(QStringLiteral("&Export Shown Records…")); }
  QAction* exportAll() { return fileCommand(QStringLiteral("Export A&ll Records…")); }
  // Records named by their names, with a password each, in the vault's record list.
  void addRecords(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      DictRef record = doc->recordController().newObject();
      record->setValue(RecordKeys::name(), QString::fromUtf8(name));
      record->setValue(RecordKeys::password(), QStringLiteral("pw-") + QString::fromUtf8(name));
      doc->recordController().addObject(record);
    }
  }
  ExporterSheet* openSheet(QAction* action) {
    if (!action || !action->isEnabled()) return nullptr;
    action->trigger();
    GuiDriver::settle();
    for (auto* sheet : window->findChildren<ExporterSheet*>())
      if (sheet->isVisible()) return sheet;
    return nullptr;
  }
  // Selects the rows of a list view as a user would, by clicking them (Ctrl for more).
  static void select(QListView* view, std::initializer_list<int> rows) {
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    for (int row : rows) {
      const QRect rect = view->visualRect(view->model()->index(row, 0));
      QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, rect.center());
      modifiers = Qt::ControlModifier;
    }
    GuiDriver::settle();
  }
  static QStringList rows(QListView* view) {
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
      out << view->model()->index(r, 0).data().toString();
    return out;
  }
  static void click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    GuiDriver::settle();
  }
  QFileDialog* saveDialog() const {
    for (auto* dialog : window->findChildren<QFileDialog*>())
      if (dialog->isVisible()) return dialog;
    return nullptr;
  }
  // Types the name into the save dialog and confirms it.
  void saveAs(const QString& name) {
    QFileDialog* dialog = saveDialog();
    ASSERT_NE(dialog, nullptr);
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(field, nullptr);
    field->setText(name);
    static_cast<QDialog*>(dialog)->accept();
    GuiDriver::settle();
  }
  static QByteArray contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
};

TEST_F(ExporterSheetTest, TheShownRecordsAreExportedInTheirOrderWithTheChosenFields) {
  ASSERT_NE(exportShown(), nullptr);
  ASSERT_NE(exportAll(), nullptr);
  EXPECT_FALSE(exportShown()->isEnabled());  // locked
  EXPECT_FALSE(exportAll()->isEnabled());
  unlock();
  addRecords({"beta", "alpha", "gamma", "delta"});
  // The window's search and sort, as its record list holds them: "delta" filtered out.
  doc->recordController().setSortDescriptors({{RecordKeys::name(), false, {}}});
  doc->recordController().setFilterPredicate(
      [](const DictRef& r) { return r->value(RecordKeys::name()).toString() != u"delta"; });

  ExporterSheet* sheet = openSheet(exportShown());
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->objectName(), QStringLiteral("Exporter"));
  EXPECT_EQ(sheet->parentWidget(), window);
  EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
  EXPECT_EQ(rows(sheet->leftList()).size(), 10);
  EXPECT_TRUE(rows(sheet->rightList()).isEmpty());
  EXPECT_EQ(sheet->formatChoice()->currentData().toInt(), ExportFileFormat::TSV);
  EXPECT_FALSE(sheet->addButton()->isEnabled());
  EXPECT_FALSE(sheet->customText(ExporterSheet::Separator)->isEnabled());
  EXPECT_EQ(sheet->customText(ExporterSheet::Separator)->text(), QStringLiteral("\\t"));

  select(sheet->leftList(), {5, 1});  // Password, Name
  click(sheet->addButton());
  EXPECT_EQ(rows(sheet->rightList()),
            QStringList({QStringLiteral("Name"), QStringLiteral("Password")}));
  EXPECT_EQ(rows(sheet->leftList()).size(), 8);
  EXPECT_FALSE(sheet->moveUpButton()->isEnabled());  // the first selected is at the top
  select(sheet->rightList(), {1});
  ASSERT_TRUE(sheet->moveUpButton()->isEnabled());
  EXPECT_FALSE(sheet->moveDownButton()->isEnabled());
  click(sheet->moveUpButton());
  EXPECT_EQ(rows(sheet->rightList()),
            QStringList({QStringLiteral("Password"), QStringLiteral("Name")}));
  EXPECT_EQ(sheet->rightList()->selectionModel()->selectedRows().first().row(), 0);

  QComboBox* format = sheet->formatChoice();
  const int csv = format->findData(ExportFileFormat::PlainCSV);
  format->setCurrentIndex(csv);
  Q_EMIT format->activated(csv);
  QTest::keyClick(sheet->fieldNamesRow(), Qt::Key_Space);
  GuiDriver::settle();
  EXPECT_EQ(sheet->customText(ExporterSheet::Separator)->text(), QStringLiteral(","));
  GuiDriver::snapshot(sheet, QStringLiteral("exporter-sheet"));

  click(sheet->exportButton());
  EXPECT_FALSE(sheet->isVisible());
  QFileDialog* dialog = saveDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
  EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("csv"));
  EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
            QStringLiteral("Home Export.csv"));
  saveAs(dir.filePath(QStringLiteral("out")));  // the extension is added
  const QString written = dir.filePath(QStringLiteral("out.csv"));
  EXPECT_EQ(contents(written),
            QByteArray("Password,Name\npw-gamma,gamma\npw-beta,beta\npw-alpha,alpha"));
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(written).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_TRUE(transfer().exportMgr()->dataArray().empty());  // let go of once written
  EXPECT_FALSE(doc->isDocumentEdited());

  // The next export starts afresh and takes every record, in the stored order.
  sheet = openSheet(exportAll());
  ASSERT_NE(sheet, nullptr);
  EXPECT_TRUE(rows(sheet->rightList()).isEmpty());
  EXPECT_EQ(sheet->formatChoice()->currentData().toInt(), ExportFileFormat::TSV);
  EXPECT_FALSE(sheet->fieldNamesRow()->isChecked());
  select(sheet->leftList(), {1});
  click(sheet->addButton());
  click(sheet->exportButton());
  saveAs(dir.filePath(QStringLiteral("all.tsv")));
  EXPECT_EQ(contents(dir.filePath(QStringLiteral("all.tsv"))),
            QByteArray("beta\nalpha\ngamma\ndelta"));
}

// The save dialog's file types are the formats: choosing one sets the export's format and the
// name's extension; all files leaves the format as it is.
TEST_F(ExporterSheetTest, TheSaveDialogsFileTypesChooseTheFormat) {
  unlock();
  addRecords({"one"});
  ExporterSheet* sheet = openSheet(exportAll());
  ASSERT_NE(sheet, nullptr);
  select(sheet->leftList(), {1, 5});  // Name, Password
  click(sheet->addButton());
  click(sheet->exportButton());
  QFileDialog* dialog = saveDialog();
  ASSERT_NE(dialog, nullptr);
  const QStringList filters = dialog->nameFilters();
  ASSERT_EQ(filters.size(), 7);
  EXPECT_EQ(filters.first(), QStringLiteral("Tab-Separated Values (*.tsv)"));
  EXPECT_EQ(filters.last(), QStringLiteral("All Files (*)"));
  EXPECT_EQ(dialog->selectedNameFilter(), filters.first());
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(name, nullptr);
  ASSERT_NE(types, nullptr);
  EXPECT_EQ(name->text(), QStringLiteral("Home Export.tsv"));
  // Picks the file type as the user would.
  const auto pickType = [&](const QString& filter) {
    const int index = types->findText(filter);
    ASSERT_GE(index, 0) << filter.toStdString();
    types->setCurrentIndex(index);
    Q_EMIT types->activated(index);
    Q_EMIT types->textActivated(filter);
    GuiDriver::settle();
  };
  ZVDataExportManager* manager = transfer().exportMgr();
  pickType(QStringLiteral("Comma-Separated Values, All Quoted (*.csv)"));
  EXPECT_EQ(manager->fileFormatToSave(), ExportFileFormat::QuotedCSV);
  EXPECT_EQ(name->text(), QStringLiteral("Home Export.csv"));
  EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("csv"));
  GuiDriver::snapshot(dialog, QStringLiteral("export-save-dialog"));
  pickType(QStringLiteral("HTML Page (*.html)"));
  EXPECT_EQ(manager->fileFormatToSave(), ExportFileFormat::HTMLPage);
  EXPECT_EQ(name->text(), QStringLiteral("Home Export.html"));
  pickType(QStringLiteral("All Files (*)"));
  EXPECT_EQ(manager->fileFormatToSave(), ExportFileFormat::HTMLPage);
  EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("html"));

  saveAs(dir.filePath(QStringLiteral("page")));  // the chosen format's extension is added
  const QByteArray page = contents(dir.filePath(QStringLiteral("page.html")));
  EXPECT_TRUE(page.startsWith("<!DOCTYPE html>")) << page.toStdString();
  EXPECT_TRUE(page.contains("<tr><td>one</td><td>pw-one</td></tr>")) << page.toStdString();
}

// Counts what the hooks saw: whether the settings sheet was up when each ran.
class HookedExport : public ZVDataExportManager {
 public:
  HookedExport(std::vector<DictRef> records, QWidget* window)
      : ZVDataExportManager(std::move(records), recordFieldTable()), window_(window) {}
  QStringList calls;

 protected:
  void preExportSettings() override { calls << QStringLiteral("pre, sheet ") + sheet(); }
  void willExport() override { calls << QStringLiteral("will, sheet ") + sheet(); }
  void didExport() override { calls << QStringLiteral("did, sheet ") + sheet(); }

 private:
  QString sheet() const {
    for (auto* s : window_->findChildren<ExporterSheet*>())
      if (s->isVisible()) return QStringLiteral("up");
    return QStringLiteral("down");
  }
  QWidget* window_;
};

TEST_F(ExporterSheetTest, TheHooksRunBeforeTheSheetAndOnItsExport) {
  unlock();
  addRecords({"one"});
  HookedExport manager(doc->recordController().arrangedObjects(), window);
  DataExportFlow::run(&manager, window, [] { return true; });
  GuiDriver::settle();
  EXPECT_EQ(manager.calls, QStringList{QStringLiteral("pre, sheet down")});
  ExporterSheet* sheet = window->findChild<ExporterSheet*>();
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(sheet->isVisible());
  click(sheet->exportButton());
  EXPECT_EQ(manager.calls.size(), 2);
  EXPECT_EQ(manager.calls.value(1), QStringLiteral("will, sheet up"));
  saveAs(dir.filePath(QStringLiteral("hooked.tsv")));
  EXPECT_EQ(manager.calls.value(2), QStringLiteral("did, sheet down"));

  // Cancelled: no export, so no willExport.
  HookedExport cancelled(doc->recordController().arrangedObjects(), window);
  DataExportFlow::run(&cancelled, window, [] { return true; });
  GuiDriver::settle();
  for (auto* s : window->findChildren<ExporterSheet*>())
    if (s->isVisible()) click(s->cancelButton());
  EXPECT_EQ(cancelled.calls, QStringList{QStringLiteral("pre, sheet down")});
}

// With several fields selected in the chosen list, Move Up and Move Down move the last of them
// to beside the first.
TEST_F(ExporterSheetTest, MovesWithSeveralSelectedTakeTheLastOne) {
  unlock();
  ExporterSheet* sheet = openSheet(exportAll());
  ASSERT_NE(sheet, nullptr);
  select(sheet->leftList(), {1, 2, 5, 9});  // Name, Url, Password, Note
  click(sheet->addButton());
  select(sheet->rightList(), {1, 3});
  ASSERT_TRUE(sheet->moveUpButton()->isEnabled());
  ASSERT_TRUE(sheet->moveDownButton()->isEnabled());
  click(sheet->moveUpButton());
  EXPECT_EQ(rows(sheet->rightList()).join(u','), QStringLiteral("Note,Name,Url,Password"));
  EXPECT_EQ(sheet->rightList()->selectionModel()->selectedRows().size(), 1);
  select(sheet->rightList(), {0, 2});
  click(sheet->moveDownButton());
  EXPECT_EQ(rows(sheet->rightList()).join(u','), QStringLiteral("Note,Url,Name,Password"));
  select(sheet->rightList(), {0, 3});
  EXPECT_FALSE(sheet->moveUpButton()->isEnabled());  // the first selected is at the top
  click(sheet->cancelButton());
}

TEST_F(ExporterSheetTest, TheCustomFormatTakesTheTextsTyped) {
  unlock();
  addRecords({"one", "two"});
  ExporterSheet* sheet = openSheet(exportAll());
  ASSERT_NE(sheet, nullptr);
  click(sheet->addAllButton());
  select(sheet->rightList(), {0});
  click(sheet->removeButton());  // Category goes back to the end of the left list
  EXPECT_EQ(rows(sheet->leftList()), QStringList{QStringLiteral("Category")});
  select(sheet->rightList(), {1, 2, 3, 5, 6, 7, 8});  // keep Name and Password
  click(sheet->removeButton());
  ASSERT_EQ(rows(sheet->rightList()),
            QStringList({QStringLiteral("Name"), QStringLiteral("Password")}));

  QComboBox* format = sheet->formatChoice();
  const int custom = format->findData(ExportFileFormat::Custom);
  format->setCurrentIndex(custom);
  Q_EMIT format->activated(custom);
  QLineEdit* separator = sheet->customText(ExporterSheet::Separator);
  ASSERT_TRUE(separator->isEnabled());
  EXPECT_TRUE(separator->text().isEmpty());
  EXPECT_TRUE(sheet->endOfRecordAfterLast()->isChecked());
  QTest::keyClicks(separator, QStringLiteral(" = "));
  QTest::keyClicks(sheet->customText(ExporterSheet::EndOfRecord), QStringLiteral(";\\n"));
  QTest::keyClicks(sheet->customText(ExporterSheet::StartOfFile), QStringLiteral("<list>\\n"));
  GuiDriver::snapshot(sheet, QStringLiteral("exporter-sheet-custom"));
  click(sheet->exportButton());
  EXPECT_EQ(saveDialog()->defaultSuffix(), QStringLiteral("txt"));
  saveAs(dir.filePath(QStringLiteral("custom.txt")));
  EXPECT_EQ(contents(dir.filePath(QStringLiteral("custom.txt"))),
            QByteArray("<list>\none = pw-one;\ntwo = pw-two;\n"));
}

TEST_F(ExporterSheetTest, NothingIsWrittenWhenCancelledLockedOrUnwritable) {
  unlock();
  addRecords({"one"});
  // Cancelling the sheet, then the save dialog.
  ExporterSheet* sheet = openSheet(exportAll());
  ASSERT_NE(sheet, nullptr);
  click(sheet->cancelButton());
  EXPECT_EQ(saveDialog(), nullptr);
  sheet = openSheet(exportAll());
  ASSERT_NE(sheet, nullptr);
  click(sheet->exportButton());
  ASSERT_NE(saveDialog(), nullptr);
  saveDialog()->reject();
  GuiDriver::settle();
  EXPECT_TRUE(transfer().exportMgr()->dataArray().empty());

  // Locked while the save dialog is up.
  sheet = openSheet(exportAll());
  click(sheet->exportButton());
  doc->setIsEncrypted(true);
  saveAs(dir.filePath(QStringLiteral("locked.tsv")));
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("locked.tsv"))));
  EXPECT_FALSE(exportAll()->isEnabled());
  doc->setIsEncrypted(false);

  // A write that fails is told, and leaves no file.
  AtomicFile::setBeforeCommitHook([] { return false; });
  sheet = openSheet(exportAll());
  click(sheet->exportButton());
  saveAs(dir.filePath(QStringLiteral("cut.tsv")));
  ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
  EXPECT_EQ(GuiDriver::onlyAlert()->text(),
            QStringLiteral("The export could not be saved as “cut.tsv”."));
  EXPECT_FALSE(GuiDriver::onlyAlert()->informativeText().isEmpty());
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("cut.tsv"))));
}
}  // namespace
