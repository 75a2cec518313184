#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>

namespace {
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
// The temporary is made, fill writes it (through the descriptor or by its name), and it is
// committed: permissions, sync, rename over the target, folder sync, leftovers removed.
Result<void> writeThroughTemporary(
    const QString& path, AtomicFile::Permissions permissions,
    const std::function<QString(int fd, QTemporaryFile& file)>& fill) {
  auto fail = [](const QString& why) { return Result<void>(Failure{why}); };
  const QString targetPath = resolvedTarget(path);
  if (targetPath.isEmpty()) return fail(qt_error_string(ELOOP));
  const QFileInfo target(targetPath);
  const QByteArray targetName = QFile::encodeName(targetPath);
  // A new file is its owner's alone; an existing one may keep the permissions given to it.
  mode_t mode = S_IRUSR | S_IWUSR;
  if (struct stat existing{}; ::stat(targetName.constData(), &existing) == 0) {
    if (permissions == AtomicFile::Permissions::KeepExisting) mode = existing.st_mode & 0777;
  } else if (errno != ENOENT) {
    return fail(qt_error_string(errno));
  }

  QTemporaryFile file(temporaryTemplateFor(target));
  if (!file.open()) return fail(file.errorString());
  auto discard = [&](const QString& why) {
    file.remove();
    return fail(why);
  };
  const int fd = file.handle();
  if (const QString why = fill(fd, file); !why.isEmpty()) return discard(why);
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
  return {};
}
}  // namespace

void AtomicFile::setBeforeCommitHook(std::function<bool()> hook) {
  beforeCommitHook() = std::move(hook);
}

Result<void> AtomicFile::write(const QByteArray& data, const QString& path,
                               Permissions permissions) {
  return write(QByteArrayList{data}, path, permissions);
}

Result<void> AtomicFile::write(const QByteArrayList& pieces, const QString& path,
                               Permissions permissions) {
  return writeThroughTemporary(path, permissions, [&](int fd, QTemporaryFile&) {
    for (const QByteArray& piece : pieces)
      if (QString why = writeAll(fd, piece); !why.isEmpty()) return why;
    return QString();
  });
}

Result<void> AtomicFile::writeByName(const QString& path,
                                     const std::function<Result<void>(const QString&)>& fill,
                                     Permissions permissions) {
  return writeThroughTemporary(path, permissions, [&](int, QTemporaryFile& file) {
    const QString temporary = file.fileName();  // links it into the folder
    if (temporary.isEmpty()) return file.errorString();
    const Result<void> filled = fill(temporary);
    if (filled) return QString();
    return filled.error().isEmpty() ? QStringLiteral("The file could not be written.")
                                    : filled.error();
  });
}
