#include "platform/DialogFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {
QString& lastFolder() {
  static QString folder;
  return folder;
}

bool isFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }
}  // namespace

QString DialogFolder::startFolder(const QString& frontFile) {
  if (!frontFile.isEmpty()) {
    QString folder = QFileInfo(frontFile).absolutePath();
    if (isFolder(folder)) return folder;
  }
  if (isFolder(lastFolder())) return lastFolder();
  return QDir::homePath();
}

void DialogFolder::remember(const QString& chosenFile) {
  if (chosenFile.isEmpty()) return;
  const QFileInfo chosen(chosenFile);
  lastFolder() = chosen.isDir() ? chosen.absoluteFilePath() : chosen.absolutePath();
}

void DialogFolder::prepare(QFileDialog& dialog, const QString& frontFile) {
  dialog.setDirectory(startFolder(frontFile));
  QObject::connect(&dialog, &QFileDialog::filesSelected, &dialog, [](const QStringList& files) {
    if (!files.isEmpty()) remember(files.first());
  });
}

void DialogFolder::forget() { lastFolder().clear(); }
