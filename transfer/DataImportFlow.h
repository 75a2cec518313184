#pragma once

#include <QString>

#include "transfer/ImportError.h"

class QWidget;
class Sheet;
class ZVDataImportManager;

// Runs an import on a document window: the file dialog, reading the chosen file under the
// loading sheet, the settings sheet, then the import itself; files that cannot be imported are
// reported in an alert that says why. Every step after a dialog first asks the owner whether it
// still takes records.
class DataImportFlow {
 public:
  // The file types offered, in both cases as file names come.
  static QString nameFilter();
  // The dialog opens in the folder of frontFile, the window's vault, when it has one.
  static void loadDataForWin(ZVDataImportManager* manager, QWidget* window,
                             const QString& frontFile = {});
  static void showError(QWidget* window, const QString& path, const ImportError& error);

 private:
  static void load(ZVDataImportManager* manager, QWidget* window, const QString& path);
  static void showSettings(ZVDataImportManager* manager, QWidget* window);
  // The import itself, with the importing sheet up on the window while it runs.
  static void importWithSheet(ZVDataImportManager* manager, QWidget* window);
  // The importing sheet on its window (its completion only disposes of it); its end, code 0.
  static void showImportingFileSheet(Sheet* sheet, QWidget* window);
  static void closeImportingFileSheet(Sheet* sheet);
};
