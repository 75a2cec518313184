#pragma once

#include <QString>
#include <functional>

class QWidget;
class ZVDataExportManager;

// Runs an export on a document window: the settings sheet, the save dialog, then the file;
// a file that cannot be written is reported in an alert that says why. After each dialog
// the owner is asked whether the export may still go on (a locked vault writes nothing).
class DataExportFlow {
 public:
  // The save dialog opens in the folder of frontFile, the window's vault, when it has one.
  static void run(ZVDataExportManager* manager, QWidget* window,
                  const std::function<bool()>& mayExport, const QString& frontFile = {});
  // The path with the format's extension added when it has none.
  static QString withExtension(const QString& path, qint32 format);
  static void showError(QWidget* window, const QString& path, const QString& why);

 private:
  static void chooseFile(ZVDataExportManager* manager, QWidget* window,
                         const std::function<bool()>& mayExport, const QString& frontFile);
  static void write(ZVDataExportManager* manager, QWidget* window, const QString& path);
};
