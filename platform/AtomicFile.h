#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <functional>

#include "platform/Result.h"

// Writes a file so that it is, at every moment and after any crash, either wholly the old one
// or wholly the new one: the bytes go to a temporary file beside it (".<name>.qvsave-XXXXXX"),
// reach the disk, and are renamed over it; then the folder is flushed. New files are readable
// by their owner only; an existing file keeps its permissions. A path that is a symbolic link
// saves to the file it points to. A success also removes the temporaries that killed saves of
// this file left beside it.
class AtomicFile {
 public:
  // KeepExisting: a new file is the owner's alone, an existing one keeps its permissions.
  // OwnerOnly: the file is the owner's alone whatever the one it replaces allowed; for files
  // that hold records in clear.
  enum class Permissions { KeepExisting, OwnerOnly };

  static Result<void> write(const QByteArray& data, const QString& path,
                            Permissions permissions = Permissions::KeepExisting);
  // The pieces one after the other make the file's bytes.
  static Result<void> write(const QByteArrayList& pieces, const QString& path,
                            Permissions permissions = Permissions::KeepExisting);
  // For a writer that opens the file by name (a printer): fill writes the temporary at the
  // path it is given, which exists already and is the owner's alone; then it is committed as
  // write commits. A failure of fill is the write's.
  static Result<void> writeByName(const QString& path,
                                  const std::function<Result<void>(const QString&)>& fill,
                                  Permissions permissions = Permissions::KeepExisting);

  // Fault injection for tests: runs before the rename; answering false abandons the write.
  static void setBeforeCommitHook(std::function<bool()> hook);
};
