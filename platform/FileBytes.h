#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <limits>

#include "platform/Result.h"

// Why a file's content could not be read. The reason lets a caller act on it; the message
// says it in words a user can be shown.
struct FileReadError {
  enum class Reason {
    NoFile,       // nothing at the path, or a folder on the way is missing
    Folder,       // the path names a folder
    NotRegular,   // a named pipe, a device or a socket
    LinkLoop,     // symbolic links that lead back to each other
    Unreadable,   // no permission, or an input error
    TooLarge,     // larger than the caller's bound; nothing was read
    WrongStart,   // does not begin with the caller's signature; nothing more was read
    OutOfMemory,  // no buffer of the file's size could be had
    Malformed,    // what a few of its bytes say of its layout cannot hold; the rest was not read
  };

  Reason reason = Reason::Unreadable;
  QString message;
};

// Reads at given offsets of a file that is being read, for a look at its layout before its
// whole content is.
class FileSample {
 public:
  FileSample(int descriptor, qint64 size) : descriptor_(descriptor), size_(size) {}
  qint64 size() const { return size_; }
  // The length bytes at offset; a failure when the file holds fewer there or cannot be read.
  Result<QByteArray> bytesAt(qint64 offset, qsizetype length) const;

 private:
  int descriptor_;
  qint64 size_;
};

// What a caller knows of the file it reads, checked before the content is read.
struct FileReadLimits {
  qint64 maximumSize = std::numeric_limits<qsizetype>::max() / 2;
  QByteArray signature;  // the bytes every such file begins with; empty: any
  QString kind;          // what such a file is called in messages ("vault")
};

// Says why a file with the signature cannot be one of its kind at its size, from a few of its
// bytes.
using FileLayoutCheck = std::function<Result<void>(const FileSample&)>;

// The whole content of a regular file, read into one buffer of exactly its size. Anything
// else at the path is refused without reading it: a named pipe or a device could block the
// reader for good or never end. An allocation failure is a failure like any other.
class FileBytes {
 public:
  static Result<QByteArray, FileReadError> read(const QString& path);
  static Result<QByteArray, FileReadError> read(const QString& path, const FileReadLimits& limits);
  // Also refused, as Reason::Malformed, is a file whose layout the check finds cannot hold.
  static Result<QByteArray, FileReadError> read(const QString& path, const FileReadLimits& limits,
                                                const FileLayoutCheck& checkLayout);
  // Succeeds when the path (its symbolic links followed) names a regular file; otherwise
  // says what is there instead.
  static Result<void, FileReadError> checkRegularFile(const QString& path);
};
