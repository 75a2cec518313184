#pragma once

#include <QString>

class QFileDialog;

// Where the application's file dialogs open: the folder of the vault in front, else the
// folder of the file last chosen in one of them, else the home folder. Never the process's
// working directory, which for a program started from a desktop launcher is wherever the
// launcher happened to be.
class DialogFolder {
 public:
  // frontFile: the file of the vault in front; empty when there is none or it is untitled.
  static QString startFolder(const QString& frontFile);
  // The folder of a file the user chose, for the next dialog that has no vault in front.
  static void remember(const QString& chosenFile);
  // Points the dialog at startFolder and remembers the folder of what is chosen in it.
  static void prepare(QFileDialog& dialog, const QString& frontFile);
  // Back to a first launch: no folder remembered.
  static void forget();
};
