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
  static Result<void> write(const QByteArray& data, const QString& path);
  // The pieces one after the other make the file's bytes.
  static Result<void> write(const QByteArrayList& pieces, const QString& path);

  // Fault injection for tests: runs before the rename; answering false abandons the write.
  static void setBeforeCommitHook(std::function<bool()> hook);
};
