#include "transfer/DataExportFlow.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>

#include "platform/Alert.h"
#include "platform/DialogFolder.h"
#include "platform/MainQueue.h"
#include "transfer/ExporterSheet.h"
#include "transfer/ZVDataExportManager.h"

namespace {
// The save dialog's file types: the formats, in the settings sheet's order, then all files.
QStringList formatFilters() {
  QStringList filters;
  for (qint32 code : ExporterSheet::formats())
    filters << QStringLiteral("%1 (*.%2)")
                   .arg(ExporterSheet::formatTitle(code),
                        ZVDataExportManager::extensionForFormat(code));
  return filters << QStringLiteral("All Files (*)");
}
}  // namespace

void DataExportFlow::run(ZVDataExportManager* manager, QWidget* window,
                         std::function<bool()> mayExport, const QString& frontFile) {
  ExportSettings(manager, window, std::move(mayExport), frontFile);
}

void DataExportFlow::ExportSettings(ZVDataExportManager* manager, QWidget* window,
                                    std::function<bool()> mayExport, const QString& frontFile) {
  if (!manager || !window) return;
  manager->preExportSettings();
  auto* sheet = new ExporterSheet(manager, window);
  QPointer<ZVDataExportManager> target(manager);
  QPointer<QWidget> win(window);
  sheet->beginSheet(window,
                    [sheet, target, win, mayExport = std::move(mayExport), frontFile](int code) {
                      sheet->deleteLater();
                      if (code != ExporterSheet::ExportReturn) {
                        if (target) target->releaseRecords();
                        return;
                      }
                      // After the sheet has gone.
                      MainQueue::defer([target, win, mayExport, frontFile] {
                        if (!target) return;
                        if (win && mayExport())
                          exportToTextFile(target, win, mayExport, frontFile);
                        else
                          target->releaseRecords();
                      });
                    });
}

QString DataExportFlow::withExtension(const QString& path, qint32 format) {
  if (!QFileInfo(path).suffix().isEmpty()) return path;
  return path + QLatin1Char('.') + ZVDataExportManager::extensionForFormat(format);
}

void DataExportFlow::adjustFileType(QFileDialog& dialog, const ZVDataExportManager& manager) {
  const QStringList filters = dialog.nameFilters();
  const auto& codes = ExporterSheet::formats();
  const auto chosen = std::find(codes.begin(), codes.end(), manager.fileFormatToSave());
  dialog.selectNameFilter(
      filters[chosen == codes.end() ? filters.size() - 1 : qsizetype(chosen - codes.begin())]);
  dialog.setDefaultSuffix(ZVDataExportManager::extensionForFormat(manager.fileFormatToSave()));
}

void DataExportFlow::selectFileType(QFileDialog& dialog, ZVDataExportManager& manager,
                                    const QString& filter) {
  const qsizetype index = dialog.nameFilters().indexOf(filter);
  if (index < 0 || index >= qsizetype(ExporterSheet::formats().size())) return;
  const qint32 format = ExporterSheet::formats()[std::size_t(index)];
  manager.setFileFormatToSave(format);
  dialog.setDefaultSuffix(ZVDataExportManager::extensionForFormat(format));
}

void DataExportFlow::exportToTextFile(ZVDataExportManager* manager, QWidget* window,
                                      std::function<bool()> mayExport, const QString& frontFile) {
  auto* dialog = new QFileDialog(window, QStringLiteral("Export"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::WindowModal);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  // The file types are the formats: choosing one sets the format and the name's extension.
  // Another extension may be typed; a name without one gets the format's.
  dialog->setNameFilters(formatFilters());
  adjustFileType(*dialog, *manager);
  DialogFolder::prepare(*dialog, frontFile);
  dialog->selectFile(manager->suggestedFileName() + QLatin1Char('.') +
                     ZVDataExportManager::extensionForFormat(manager->fileFormatToSave()));
  QPointer<ZVDataExportManager> target(manager);
  QPointer<QWidget> win(window);
  QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                   [dialog, target](const QString& filter) {
                     if (target) selectFileType(*dialog, *target, filter);
                   });
  QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                   [target, win, mayExport = std::move(mayExport)](const QString& path) {
                     MainQueue::defer([target, win, path, mayExport] {
                       if (!target) return;
                       // The format as last chosen, in the sheet or in this dialog.
                       if (win && mayExport())
                         write(target, win, withExtension(path, target->fileFormatToSave()));
                       target->releaseRecords();
                     });
                   });
  QObject::connect(dialog, &QFileDialog::rejected, dialog, [target] {
    if (target) target->releaseRecords();
  });
  dialog->open();
}

void DataExportFlow::write(ZVDataExportManager* manager, QWidget* window, const QString& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Result<void> written = manager->writeToFile(path);
  QApplication::restoreOverrideCursor();
  if (!written) showError(window, path, written.error());
}

void DataExportFlow::showError(QWidget* window, const QString& path, const QString& why) {
  Alert alert;
  alert.messageText =
      QStringLiteral("The export could not be saved as “%1”.").arg(QFileInfo(path).fileName());
  alert.informativeText = why;
  alert.beginSheetModalForWindow(window, {});
}
