#pragma once

#include <QString>
#include <functional>

class QFileDialog;
class QWidget;
class ZVDataExportManager;

// Runs an export on a document window: the settings sheet, the save dialog, then the file;
// a file that cannot be written is reported in an alert that says why. After each dialog
// the owner is asked whether the export may still go on (a locked vault writes nothing).
class DataExportFlow {
 public:
  // The save dialog opens in the folder of frontFile, the window's vault, when it has one.
  static void run(ZVDataExportManager* manager, QWidget* window, std::function<bool()> mayExport,
                  const QString& frontFile = {});
  // The manager's preExportSettings hook, then the settings sheet on window; its Export goes
  // on to the save dialog.
  static void ExportSettings(ZVDataExportManager* manager, QWidget* window,
                             std::function<bool()> mayExport, const QString& frontFile);
  // The save dialog, its file type that of the manager's format; the chosen file is written.
  static void exportToTextFile(ZVDataExportManager* manager, QWidget* window,
                               std::function<bool()> mayExport, const QString& frontFile);
  // The path with the format's extension added when it has none.
  static QString withExtension(const QString& path, qint32 format);
  static void showError(QWidget* window, const QString& path, const QString& why);

 private:
  // The dialog's file type and default extension from the manager's format.
  static void adjustFileType(QFileDialog& dialog, const ZVDataExportManager& manager);
  // A file type chosen in the dialog: the manager takes its format, the name its extension.
  static void selectFileType(QFileDialog& dialog, ZVDataExportManager& manager,
                             const QString& filter);
  static void write(ZVDataExportManager* manager, QWidget* window, const QString& path);
};
