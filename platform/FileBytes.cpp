#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QLocale>
#include <cerrno>
#include <cstring>
#include <new>

namespace {
using Reason = FileReadError::Reason;

FileReadError failure(Reason reason, const QString& message) { return {reason, message}; }

FileReadError failureForErrno(int error, const QString& path) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return failure(Reason::NoFile, QStringLiteral("There is no file at “%1”.").arg(path));
    case ELOOP:
      return failure(
          Reason::LinkLoop,
          QStringLiteral("“%1” cannot be opened: too many levels of symbolic links.").arg(path));
    case EACCES:
    case EPERM:
      return failure(Reason::Unreadable,
                     QStringLiteral("You do not have permission to read “%1”.").arg(path));
    default:
      return failure(Reason::Unreadable, QStringLiteral("“%1” cannot be read: %2.")
                                             .arg(path, QString::fromLocal8Bit(strerror(error))));
  }
}

// What the path names, when it is not a regular file.
FileReadError failureForKind(mode_t mode, const QString& path) {
  if (S_ISDIR(mode)) return failure(Reason::Folder, QStringLiteral("“%1” is a folder.").arg(path));
  const char* what = S_ISFIFO(mode)                   ? "a named pipe"
                     : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                     : S_ISSOCK(mode)                 ? "a socket"
                                                      : "something else";
  return failure(
      Reason::NotRegular,
      QStringLiteral("“%1” is not a regular file: it is %2.").arg(path, QLatin1String(what)));
}

QString sizeText(qint64 bytes) {
  return QLocale::system().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

// Reads up to length bytes at the descriptor's position; fewer only at the end of the file.
qint64 readFully(int fd, char* into, qint64 length) {
  qint64 done = 0;
  while (done < length) {
    const ssize_t got = ::read(fd, into + done, static_cast<size_t>(length - done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  return done;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};
}  // namespace

Result<QByteArray> FileSample::bytesAt(qint64 offset, qsizetype length) const {
  if (offset < 0 || length < 0 || offset > size_ || length > size_ - offset)
    return Failure{
        QStringLiteral("%1 bytes at offset %2 lie past its end").arg(length).arg(offset)};
  QByteArray bytes(length, Qt::Uninitialized);
  qsizetype done = 0;
  while (done < length) {
    const ssize_t got =
        ::pread(descriptor_, bytes.data() + done, static_cast<size_t>(length - done),
                static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failure{QString::fromLocal8Bit(strerror(errno))};
    if (got == 0)  // the file shrank meanwhile
      return Failure{QStringLiteral("it ends before offset %1").arg(offset + done)};
    done += got;
  }
  return bytes;
}

Result<void, FileReadError> FileBytes::checkRegularFile(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return failureForErrno(errno, path);
  if (!S_ISREG(info.st_mode)) return failureForKind(info.st_mode, path);
  return {};
}

Result<QByteArray, FileReadError> FileBytes::read(const QString& path) {
  return read(path, FileReadLimits{});
}

Result<QByteArray, FileReadError> FileBytes::read(const QString& path,
                                                  const FileReadLimits& limits) {
  return read(path, limits, {});
}

Result<QByteArray, FileReadError> FileBytes::read(const QString& path, const FileReadLimits& limits,
                                                  const FileLayoutCheck& checkLayout) {
  // Looked at before opening: opening a device can act on it, and opening a named pipe
  // waits for a writer.
  if (Result<void, FileReadError> regular = checkRegularFile(path); !regular)
    return regular.failure();
  // Should the path have become a named pipe since, the open still returns at once.
  const Descriptor file(
      ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return failureForErrno(errno, path);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return failureForErrno(errno, path);
  if (!S_ISREG(info.st_mode)) return failureForKind(info.st_mode, path);
  const qint64 size = info.st_size;
  const QString kind = limits.kind.isEmpty() ? QStringLiteral("file of this kind") : limits.kind;
  if (size < 0 || size > limits.maximumSize)
    return failure(Reason::TooLarge,
                   QStringLiteral("“%1” is %2, larger than any %3 can be (%4 at most).")
                       .arg(path, sizeText(size), kind, sizeText(limits.maximumSize)));

  const qint64 headLength = std::min<qint64>(size, limits.signature.size());
  QByteArray head(static_cast<qsizetype>(headLength), Qt::Uninitialized);
  const qint64 gotHead = readFully(file.get(), head.data(), headLength);
  if (gotHead < 0) return failureForErrno(errno, path);
  head.truncate(static_cast<qsizetype>(gotHead));
  if (head != limits.signature)
    return failure(Reason::WrongStart, QStringLiteral("“%1” is not a %2.").arg(path, kind));
  if (checkLayout)
    if (const Result<void> layout = checkLayout(FileSample(file.get(), size)); !layout)
      return failure(Reason::Malformed, QStringLiteral("“%1” cannot be a %2 of its size (%3): %4")
                                            .arg(path, kind, sizeText(size), layout.error()));

  try {
    // One allocation of the file's size, not a buffer grown while reading.
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    std::memcpy(bytes.data(), head.constData(), static_cast<size_t>(head.size()));
    const qint64 got = readFully(file.get(), bytes.data() + head.size(), size - head.size());
    if (got < 0) return failureForErrno(errno, path);
    bytes.truncate(static_cast<qsizetype>(head.size() + got));
    return bytes;
  } catch (const std::bad_alloc&) {
    return failure(
        Reason::OutOfMemory,
        QStringLiteral("There is not enough memory to read “%1” (%2).").arg(path, sizeText(size)));
  }
}
