#include "platform/FileBytes.h"

#include <QFile>
#include <limits>

Result<QByteArray> FileBytes::read(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return Failure{file.errorString()};
  // One allocation of the file's size, not a buffer grown while reading.
  const qint64 size = file.size();
  if (size < 0 || size > std::numeric_limits<qsizetype>::max() / 2)
    return Failure{QStringLiteral("The file is too large to open.")};
  QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
  qint64 done = 0;
  while (done < size) {
    const qint64 got = file.read(bytes.data() + done, size - done);
    if (got < 0) return Failure{file.errorString()};
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  bytes.truncate(static_cast<qsizetype>(done));
  return bytes;
}
