#include "platform/DocumentLock.h"

#include <sys/stat.h>

#include <QFileInfo>

QString DocumentLock::lockPathFor(const QString& documentPath) {
  const QFileInfo info(documentPath);
  return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}

DocumentLock::DocumentLock(const QString& documentPath)
    : path_(lockPathFor(documentPath)), file_(std::make_unique<QLockFile>(path_)) {
  // Stale only when its process is gone, however long a document stays open.
  file_->setStaleLockTime(0);
}

DocumentLock::~DocumentLock() {
  if (held_) file_->unlock();
}

DocumentLock::Outcome DocumentLock::acquire() {
  if (held_) return Outcome::Acquired;
  // The file names this process and host: the owner's alone, from the moment it exists (the
  // lock file class makes it with the process's umask and offers no mode of its own).
  const mode_t previousMask = ::umask(S_IRWXG | S_IRWXO);
  const bool locked = file_->tryLock(0);
  ::umask(previousMask);
  if (locked) {
    held_ = true;
    return Outcome::Acquired;
  }
  switch (file_->error()) {
    case QLockFile::LockFailedError:
      return Outcome::HeldElsewhere;
    default:
      return Outcome::Unavailable;
  }
}

QString DocumentLock::holderDescription() const {
  qint64 pid = 0;
  QString hostName, appName;
  if (!file_->getLockInfo(&pid, &hostName, &appName) || pid <= 0) return {};
  return hostName.isEmpty()
             ? QStringLiteral("process %1").arg(pid)
             : QStringLiteral("process %1 on %2").arg(QString::number(pid), hostName);
}
