#include "platform/Document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QWidget>
#include <algorithm>
#include <cerrno>

#include "platform/Alert.h"

namespace {
double& delaySeconds() {
  static double seconds = 0.0;
  return seconds;
}
std::function<bool()>& beforeCommitHook() {
  static std::function<bool()> hook;
  return hook;
}

// The rename is an entry of the folder: until the folder reaches the disk, a power cut can
// bring back the old file. Answers the system's reason on failure.
QString syncFolderOf(const QString& path) {
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return qt_error_string(errno);
  // File systems that cannot sync a folder say EINVAL; there is nothing more to do there.
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
  const int reason = errno;
  ::close(fd);
  return synced ? QString() : qt_error_string(reason);
}

// Our temporaries are hidden and say what they are, so that no file of the user's can look
// like one: ".<name>.qvsave-" and the six letters QTemporaryFile puts for "XXXXXX".
const QLatin1String kTemporaryMark(".qvsave-");

QString temporaryTemplateFor(const QFileInfo& target) {
  return target.absoluteDir().filePath(QLatin1Char('.') + target.fileName() + kTemporaryMark +
                                       QLatin1String("XXXXXX"));
}

bool isLeftoverName(const QString& candidate, const QString& fileName) {
  const QString prefix = QLatin1Char('.') + fileName + kTemporaryMark;
  if (candidate.size() != prefix.size() + 6 || !candidate.startsWith(prefix)) return false;
  return std::all_of(candidate.cbegin() + prefix.size(), candidate.cend(),
                     [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
}

// A save killed before its rename leaves its temporary behind.
void removeLeftoversOf(const QFileInfo& target) {
  const QFileInfoList entries =
      target.absoluteDir().entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
  for (const QFileInfo& entry : entries)
    if (entry.ownerId() == ::geteuid() && isLeftoverName(entry.fileName(), target.fileName()))
      QFile::remove(entry.filePath());
}

// Saving through a symbolic link updates the file it points to and keeps the link. Answers an
// empty path when the links go round in a loop.
QString resolvedTarget(const QString& path) {
  QFileInfo info(path);
  for (int depth = 0; info.isSymbolicLink(); ++depth) {
    if (depth == 40) return {};
    info.setFile(info.symLinkTarget());
  }
  return info.absoluteFilePath();
}

// Writes everything, unbuffered: the reason of a failure is the system's own, not a short count.
QString writeAll(int fd, const QByteArray& data) {
  for (qsizetype done = 0; done < data.size();) {
    const ssize_t written = ::write(fd, data.constData() + done, data.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return qt_error_string(errno);
    }
    done += written;
  }
  return {};
}
}  // namespace

Document::Document(QObject* parent) : QObject(parent) {
  autosaveTimer_.setSingleShot(true);
  connect(&autosaveTimer_, &QTimer::timeout, this, &Document::autosaveDocument);
}

Document::~Document() = default;

void Document::setFileURL(const QString& path) {
  if (path == fileURL_) return;
  fileURL_ = path;
  Q_EMIT fileURLChanged();
}

QString Document::displayName() const {
  return fileURL_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(fileURL_).completeBaseName();
}

void Document::updateChangeCount(int changeKind) {
  if (changeKind == ChangeDone) {
    ++changeCount_;
    scheduleAutosave();
  } else if (changeKind == ChangeCleared) {
    changeCount_ = 0;
    autosaveTimer_.stop();
  }
  Q_EMIT changeCountChanged();
}

void Document::setAutosavingDelay(double seconds) { delaySeconds() = seconds; }
double Document::autosavingDelay() { return delaySeconds(); }

void Document::scheduleAutosave() {
  const double delay = autosavingDelay();
  if (closed_ || delay <= 0 || !autosavesInPlace() || fileURL_.isEmpty()) return;
  if (autosavingFileType().isEmpty()) return;
  autosaveTimer_.start(static_cast<int>(std::min(delay, 86400.0) * 1000));
}

void Document::autosaveDocument() {
  // The type is asked again: the document may have been locked since the edit.
  if (closed_ || !isDocumentEdited() || fileURL_.isEmpty() || autosavingFileType().isEmpty())
    return;
  QString error;
  if (!saveToURL(fileURL_, &error))
    presentError(QStringLiteral("The document “%1” could not be autosaved.").arg(displayName()),
                 error);
}

bool Document::revertToContentsOfURL(const QString&, const QString&, QString* error) {
  if (error) *error = QStringLiteral("This document cannot be reverted.");
  return false;
}

void Document::setBeforeCommitHook(std::function<bool()> hook) {
  beforeCommitHook() = std::move(hook);
}

bool Document::writeToURL(const QByteArray& data, const QString& path, QString* error) {
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  const QString targetPath = resolvedTarget(path);
  if (targetPath.isEmpty()) return fail(qt_error_string(ELOOP));
  const QFileInfo target(targetPath);
  const QByteArray targetName = QFile::encodeName(targetPath);
  // A new vault is its owner's alone; an existing file keeps the permissions given to it.
  mode_t mode = S_IRUSR | S_IWUSR;
  if (struct stat existing{}; ::stat(targetName.constData(), &existing) == 0)
    mode = existing.st_mode & 0777;
  else if (errno != ENOENT)
    return fail(qt_error_string(errno));

  QTemporaryFile file(temporaryTemplateFor(target));
  if (!file.open()) return fail(file.errorString());
  auto discard = [&](const QString& why) {
    file.remove();
    return fail(why);
  };
  const int fd = file.handle();
  if (const QString why = writeAll(fd, data); !why.isEmpty()) return discard(why);
  // Permissions first: the sync then carries them to the disk with the bytes.
  if (::fchmod(fd, mode) != 0)
    return discard(
        QStringLiteral("Cannot set the file's permissions: %1").arg(qt_error_string(errno)));
  if (::fsync(fd) != 0) return discard(qt_error_string(errno));
  // On Linux the file may have had no name so far (O_TMPFILE), and a save killed until here
  // left nothing; asking for its name links it into the folder for the rename.
  const QString temporary = file.fileName();
  if (temporary.isEmpty()) return discard(file.errorString());
  if (const auto& hook = beforeCommitHook(); hook && !hook())
    return discard(QStringLiteral("The write was interrupted."));
  if (::rename(QFile::encodeName(temporary).constData(), targetName.constData()) != 0)
    return discard(qt_error_string(errno));
  file.setAutoRemove(false);  // its name is the target's now

  if (const QString why = syncFolderOf(targetPath); !why.isEmpty())
    return fail(QStringLiteral("The folder of the file could not be flushed: %1").arg(why));
  removeLeftoversOf(target);
  return true;
}

bool Document::saveToURL(const QString& path, QString* error) {
  QString why;
  const std::optional<QByteArray> data = dataOfType(fileType(), &why);
  if (!data) {
    if (error) *error = why.isEmpty() ? QStringLiteral("The document has nothing to save.") : why;
    return false;
  }
  if (!writeToURL(*data, path, error)) return false;
  setFileURL(path);
  updateChangeCount(ChangeCleared);
  return true;
}

bool Document::saveDocument() {
  if (fileURL_.isEmpty()) return saveDocumentAs();
  QString error;
  if (saveToURL(fileURL_, &error)) return true;
  presentError(QStringLiteral("The document “%1” could not be saved.").arg(displayName()), error);
  return false;
}

bool Document::saveDocumentAs(const QString& path) {
  QString target = path;
  if (target.isEmpty()) {
    target = QFileDialog::getSaveFileName(windowForSheet(), QStringLiteral("Save As"),
                                          fileURL_.isEmpty() ? displayName() : fileURL_,
                                          QStringLiteral("Vault (*.%1)").arg(fileType()));
    if (target.isEmpty()) return false;
    if (QFileInfo(target).suffix().isEmpty()) target += QLatin1Char('.') + fileType();
  }
  QString error;
  if (saveToURL(target, &error)) return true;
  presentError(QStringLiteral("The document “%1” could not be saved.").arg(displayName()), error);
  return false;
}

void Document::revertDocumentToSaved() {
  if (fileURL_.isEmpty()) return;
  Alert confirm;
  confirm.messageText =
      QStringLiteral(
          "Do you want to revert to the most recently saved version of the document “%1”?")
          .arg(displayName());
  confirm.informativeText = QStringLiteral("Your current changes will be lost.");
  confirm.addButtonWithTitle(QStringLiteral("Revert"));
  confirm.addButtonWithTitle(QStringLiteral("Cancel"));
  QPointer<Document> self(this);
  confirm.beginSheetModalForWindow(windowForSheet(), [self](int code) {
    if (!self || code != Alert::FirstButtonReturn) return;
    QString error;
    if (self->revertToContentsOfURL(self->fileURL_, self->fileType(), &error))
      self->updateChangeCount(ChangeCleared);
    else
      self->presentError(QStringLiteral("The document could not be reverted."), error);
  });
}

bool Document::validateUserInterfaceItem(const UserInterfaceItem& item) {
  if (item.action == QStringLiteral("revertDocumentToSaved:"))
    return !fileURL_.isEmpty() && isDocumentEdited();
  return true;
}

void Document::canCloseDocument(std::function<void(bool)> shouldClose) {
  if (!isDocumentEdited()) {
    shouldClose(true);
    return;
  }
  Alert prompt;
  prompt.messageText = QStringLiteral("Do you want to save the changes made to the document “%1”?")
                           .arg(displayName());
  prompt.informativeText = QStringLiteral("Your changes will be lost if you don't save them.");
  prompt.addButtonWithTitle(QStringLiteral("Save"));
  prompt.addButtonWithTitle(QStringLiteral("Cancel"));
  prompt.addButtonWithTitle(QStringLiteral("Don't Save"));
  QPointer<Document> self(this);
  prompt.beginSheetModalForWindow(windowForSheet(), [self, shouldClose](int code) {
    if (!self) return;
    if (code == Alert::FirstButtonReturn)
      shouldClose(self->saveDocument());
    else
      shouldClose(code == Alert::ThirdButtonReturn);
  });
}

void Document::close() {
  if (closed_) return;
  closed_ = true;
  autosaveTimer_.stop();
  Q_EMIT documentClosed();
}

void Document::presentError(const QString& message, const QString& informative) const {
  Alert alert;
  alert.alertStyle = Alert::Style::Critical;
  alert.messageText = message;
  alert.informativeText = informative;
  alert.addButtonWithTitle(QStringLiteral("OK"));
  alert.beginSheetModalForWindow(windowForSheet(), {});
}
