#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Result.h"

// Remembers a file across launches as a small versioned record: its absolute path (and, for
// the document variants, its path relative to the document), its name, whether it is a
// folder, and its device and inode, by which a file renamed within its folder is found again
// and a file replaced at its place is told apart. Linux has no sandbox, so the read-only and
// read-write variants differ only in the access they record. A bookmark is stale when the
// file it resolves to is no longer the one recorded; the caller decides to renew it.
class ZVBookmark {
 public:
  // Folder entries looked at for a file renamed within its folder.
  static constexpr int kMaxFolderEntries = 10000;

  static Result<QByteArray> bookmarkForURL_RO(const QString& path);
  static Result<QByteArray> bookmarkForURL_RW(const QString& path);
  // isStale is set to false first, then to whether the file is no longer the recorded one.
  static Result<QString> urlForBookmark(const QByteArray& bookmark, bool& isStale);

  static Result<QByteArray> docBookmarkForURL_RO(const QString& path, const QString& docPath);
  static Result<QByteArray> docBookmarkForURL_RW(const QString& path, const QString& docPath);
  static Result<QString> urlForDocBookmark(const QByteArray& bookmark, const QString& docPath,
                                           bool& isStale);

 private:
  static Result<QByteArray> make(const QString& path, const QString& docPath, bool readOnly);
  static Result<QString> resolve(const QByteArray& bookmark, const QString& docPath, bool& isStale);
};
