#include "platform/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <cerrno>

namespace {
constexpr QCryptographicHash::Algorithm kDigest = QCryptographicHash::Sha256;

// Closes the descriptor on every way out.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};
}  // namespace

FileIdentity::Fields FileIdentity::fieldsOfStat(const struct stat& info) {
  return {static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino),
          static_cast<qint64>(info.st_size), static_cast<qint64>(info.st_mtim.tv_sec),
          static_cast<qint64>(info.st_mtim.tv_nsec)};
}

std::optional<FileIdentity> FileIdentity::fieldsOf(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  FileIdentity identity;
  identity.fields_ = fieldsOfStat(info);
  return identity;
}

FileIdentity FileIdentity::withContents(const QByteArrayList& contents) const {
  QCryptographicHash hash(kDigest);
  for (const QByteArray& piece : contents) hash.addData(piece);
  FileIdentity identity = *this;
  identity.digest_ = hash.result();
  return identity;
}

std::optional<FileIdentity> FileIdentity::readFile(const QString& path) { return digestFile(path); }

std::optional<FileIdentity> FileIdentity::digestFile(const QString& path) {
  // Not blocking: a named pipe put at the path is refused by its type, not waited on.
  const Descriptor file{
      ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  struct stat info {};
  if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  FileIdentity identity;
  identity.fields_ = fieldsOfStat(info);
  QCryptographicHash hash(kDigest);
  QByteArray buffer(1 << 16, Qt::Uninitialized);
  qint64 total = 0;
  for (;;) {
    const ssize_t n = ::read(file.fd, buffer.data(), static_cast<size_t>(buffer.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    total += n;
    // A file that grows while it is read is being written: it is not the one read before.
    if (total > identity.fields_.size) return std::nullopt;
    hash.addData(QByteArrayView(buffer.constData(), n));
  }
  if (total != identity.fields_.size) return std::nullopt;
  identity.digest_ = hash.result();
  return identity;
}

FileIdentity::Comparison FileIdentity::compareWithFileAt(const QString& path) const {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0)
    return errno == ENOENT || errno == ENOTDIR ? Comparison::Missing : Comparison::Changed;
  if (!S_ISREG(info.st_mode)) return Comparison::Changed;
  const Fields now = fieldsOfStat(info);
  if (now == fields_) return Comparison::Same;
  if (now.size != fields_.size || digest_.isEmpty()) return Comparison::Changed;
  const std::optional<FileIdentity> read = digestFile(path);
  return read && read->digest_ == digest_ ? Comparison::Same : Comparison::Changed;
}
