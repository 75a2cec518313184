#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// A lock file beside a document (".<file name>.lock") that tells other processes the
// document is open here, so two processes never autosave over each other. A lock left by a
// process that no longer runs is stale and is taken over.
class DocumentLock {
 public:
  enum class Outcome {
    Acquired,
    HeldElsewhere,  // another live process (or another controller here) has it open
    Unavailable,    // no lock file can be made there (a read-only folder): not enforced
  };

  static QString lockPathFor(const QString& documentPath);

  explicit DocumentLock(const QString& documentPath);
  ~DocumentLock();
  DocumentLock(const DocumentLock&) = delete;
  DocumentLock& operator=(const DocumentLock&) = delete;

  Outcome acquire();
  bool isHeld() const { return held_; }
  const QString& path() const { return path_; }
  // Who holds it, for the message ("process 1234 on host"); empty when unknown.
  QString holderDescription() const;

 private:
  QString path_;
  std::unique_ptr<QLockFile> file_;
  bool held_ = false;
};
