#include "transfer/DataImportFlow.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QVBoxLayout>

#include "platform/Alert.h"
#include "platform/DialogFolder.h"
#include "platform/MainQueue.h"
#include "platform/Sheet.h"
#include "transfer/ImporterSheet.h"
#include "transfer/LoadingFileSheet.h"
#include "transfer/ZVDataImportManager.h"

namespace {
bool ownerTakesRecords(const ZVDataImportManager* manager) {
  return manager && (!manager->requester() || manager->requester()->acceptsImportedRecords());
}

// Importing runs on the main thread; the cursor says so meanwhile.
template <typename Work>
auto busy(Work work) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  auto result = work();
  QApplication::restoreOverrideCursor();
  return result;
}
}  // namespace

QString DataImportFlow::nameFilter() {
  return QStringLiteral("Text Files (*.txt *.TXT *.text *.TEXT *.csv *.CSV *.tsv *.TSV)");
}

void DataImportFlow::loadDataForWin(ZVDataImportManager* manager, QWidget* window,
                                    const QString& frontFile) {
  if (!manager || !window) return;
  auto* dialog = new QFileDialog(window, QStringLiteral("Import Text File"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::WindowModal);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setNameFilter(nameFilter());
  DialogFolder::prepare(*dialog, frontFile);
  QPointer<ZVDataImportManager> target(manager);
  QPointer<QWidget> win(window);
  QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [target, win](const QString& path) {
    // After the dialog has closed.
    MainQueue::defer([target, win, path] {
      if (target && win) load(target, win, path);
    });
  });
  dialog->open();
}

void DataImportFlow::load(ZVDataImportManager* manager, QWidget* window, const QString& path) {
  if (!ownerTakesRecords(manager)) return;
  QPointer<ZVDataImportManager> target(manager);
  QPointer<QWidget> win(window);
  LoadingFileSheet::load(window, path, 0, 0,
                         [target, win, path](Result<ImportFile, ImportError> loaded) {
                           if (!target || !win) return;
                           if (!loaded) {
                             showError(win, path, loaded.failure());
                             return;
                           }
                           if (!ownerTakesRecords(target)) return;
                           target->takeLoadedFile(loaded.take());
                           showSettings(target, win);
                         });
}

void DataImportFlow::showSettings(ZVDataImportManager* manager, QWidget* window) {
  manager->ImportSettings();
  auto* sheet = new ImporterSheet(manager, window);
  QPointer<ZVDataImportManager> target(manager);
  QPointer<QWidget> win(window);
  sheet->beginSheet(window, [sheet, target, win](int code) {
    sheet->deleteLater();
    if (!target) return;
    if (code != ImporterSheet::ImportReturn || !win) {
      target->clearPreview();  // the file's passwords are not kept past the sheet
      return;
    }
    // The importing sheet comes up once the settings sheet is gone.
    MainQueue::defer([target, win] {
      if (!target) return;
      if (win && ownerTakesRecords(target)) importWithSheet(target, win);
      target->clearPreview();
    });
  });
}

void DataImportFlow::importWithSheet(ZVDataImportManager* manager, QWidget* window) {
  auto* sheet = new Sheet(window);
  sheet->setObjectName(QStringLiteral("importingFileSheet"));
  sheet->setWindowTitle(QStringLiteral("Importing"));
  auto* layout = new QVBoxLayout(sheet);
  layout->addWidget(new QLabel(QStringLiteral("Importing records…"), sheet));
  auto* progress = new QProgressBar(sheet);
  progress->setRange(0, 0);  // no end known: it only shows that work goes on
  layout->addWidget(progress);
  showImportingFileSheet(sheet, window);
  // The import runs here on the main thread; the sheet is drawn before it starts.
  sheet->repaint();
  busy([&] { return manager->DoImport(); });
  closeImportingFileSheet(sheet);
}

void DataImportFlow::showImportingFileSheet(Sheet* sheet, QWidget* window) {
  sheet->beginSheet(window, [sheet](int) { sheet->deleteLater(); });
}

void DataImportFlow::closeImportingFileSheet(Sheet* sheet) { sheet->endSheet(0); }

void DataImportFlow::showError(QWidget* window, const QString& path, const ImportError& error) {
  Alert alert;
  alert.messageText = QStringLiteral("“%1” cannot be imported.").arg(QFileInfo(path).fileName());
  alert.informativeText = error.message;
  if (error.reason == ImportError::Reason::NotInEncoding)
    alert.informativeText += QStringLiteral(" Choose another encoding, or Automatic.");
  alert.beginSheetModalForWindow(window, {});
}
