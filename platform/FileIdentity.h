#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <optional>

struct stat;

// What tells one file's content from another's at a path: the file's device, inode, size and
// modification time to the nanosecond, and a digest of its bytes for when those fields differ
// but the bytes may still be the same (a file touched, or copied back unchanged).
class FileIdentity {
 public:
  enum class Comparison {
    Same,     // the file at the path holds the bytes this identity was taken of
    Changed,  // another file, or other bytes, lie there now
    Missing,  // nothing is there (deleted or moved away)
  };

  // The fields of the file at path now (symbolic links followed), its digest still to be
  // given; none when no regular file is there. A reader takes them before it reads: a file
  // replaced while it reads then differs in its fields and is judged by its bytes.
  static std::optional<FileIdentity> fieldsOf(const QString& path);
  // The identity with the digest of the bytes that were read or written.
  FileIdentity withContents(const QByteArrayList& contents) const;
  // The file at path now, its bytes read for the digest; none when it cannot be read.
  static std::optional<FileIdentity> readFile(const QString& path);

  // The file at path now against this one. Its bytes are read only when the cheap fields
  // cannot decide: the same size, but another device, inode or modification time.
  Comparison compareWithFileAt(const QString& path) const;

 private:
  struct Fields {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 seconds = 0;
    qint64 nanoseconds = 0;
    bool operator==(const Fields&) const = default;
  };
  static Fields fieldsOfStat(const struct stat& info);
  // The digest of the regular file at path and its fields as it was read; none when it
  // cannot be read whole (gone, unreadable, or growing while read).
  static std::optional<FileIdentity> digestFile(const QString& path);

  Fields fields_;
  QByteArray digest_;
};
