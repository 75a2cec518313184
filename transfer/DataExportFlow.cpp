#include "transfer/DataExportFlow.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

#include "platform/Alert.h"
#include "platform/DialogFolder.h"
#include "platform/MainQueue.h"
#include "transfer/ExporterSheet.h"
#include "transfer/ZVDataExportManager.h"

namespace {
QString formatName(qint32 format) {
  switch (format) {
    case ExportFileFormat::TSV:
      return QStringLiteral("Tab-Separated Values");
    case ExportFileFormat::QuotedCSV:
    case ExportFileFormat::PlainCSV:
      return QStringLiteral("Comma-Separated Values");
    case ExportFileFormat::HTMLPage:
      return QStringLiteral("HTML Page");
    default:
      return QStringLiteral("Text");
  }
}
}  // namespace

void DataExportFlow::run(ZVDataExportManager* manager, QWidget* window,
                         const std::function<bool()>& mayExport, const QString& frontFile) {
  if (!manager || !window) return;
  auto* sheet = new ExporterSheet(manager, window);
  QPointer<ZVDataExportManager> target(manager);
  QPointer<QWidget> win(window);
  sheet->beginSheet(window, [sheet, target, win, mayExport, frontFile](int code) {
    sheet->deleteLater();
    if (code != ExporterSheet::ExportReturn) {
      if (target) target->releaseRecords();
      return;
    }
    // After the sheet has gone.
    MainQueue::defer([target, win, mayExport, frontFile] {
      if (!target) return;
      if (win && mayExport())
        chooseFile(target, win, mayExport, frontFile);
      else
        target->releaseRecords();
    });
  });
}

QString DataExportFlow::withExtension(const QString& path, qint32 format) {
  if (!QFileInfo(path).suffix().isEmpty()) return path;
  return path + QLatin1Char('.') + ZVDataExportManager::extensionForFormat(format);
}

void DataExportFlow::chooseFile(ZVDataExportManager* manager, QWidget* window,
                                const std::function<bool()>& mayExport, const QString& frontFile) {
  const qint32 format = manager->fileFormatToSave();
  const QString extension = ZVDataExportManager::extensionForFormat(format);
  auto* dialog = new QFileDialog(window, QStringLiteral("Export"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::WindowModal);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  // Another extension may be typed; a name without one gets the format's.
  dialog->setNameFilters({QStringLiteral("%1 (*.%2)").arg(formatName(format), extension),
                          QStringLiteral("All Files (*)")});
  dialog->setDefaultSuffix(extension);
  DialogFolder::prepare(*dialog, frontFile);
  dialog->selectFile(manager->suggestedFileName() + QLatin1Char('.') + extension);
  QPointer<ZVDataExportManager> target(manager);
  QPointer<QWidget> win(window);
  QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                   [target, win, format, mayExport](const QString& path) {
                     MainQueue::defer([target, win, path, format, mayExport] {
                       if (!target) return;
                       if (win && mayExport()) write(target, win, withExtension(path, format));
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
