#include "app/UserGuideInstaller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool UserGuideInstaller::isOlderCopy(const QString& fileName) const {
  if (guideName_.isEmpty() || copyName_.isEmpty()) return false;
  if (fileName == copyName_ + QStringLiteral(".pdf")) return false;
  if (!fileName.endsWith(QStringLiteral(".pdf"))) return false;
  return fileName == guideName_ + QStringLiteral(".pdf") ||
         fileName.startsWith(guideName_ + QLatin1Char(' '));
}

QString UserGuideInstaller::install(const QString& source, const QString& folder) const {
  if (guideName_.isEmpty() || copyName_.isEmpty() || folder.isEmpty()) return {};
  QString target = folder + QLatin1Char('/') + copyName_ + QStringLiteral(".pdf");
  if (QFileInfo::exists(target)) return target;
  QDir dir(folder);
  if (!dir.exists()) QDir().mkpath(folder);
  // Listed before the copy, so the fresh copy is never among the candidates.
  const QFileInfoList before =
      dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  if (!QFile::copy(source, target)) return target;
  QFile::setPermissions(target,
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
  for (const QFileInfo& entry : before) {
    if (entry.isSymLink() || !entry.isFile()) continue;
    if (isOlderCopy(entry.fileName())) QFile::remove(entry.absoluteFilePath());
  }
  return target;
}
