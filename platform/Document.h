#pragma once

#include <QByteArrayList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

#include "platform/ChangeCounting.h"
#include "platform/DocumentError.h"
#include "platform/FileIdentity.h"
#include "platform/UndoManager.h"
#include "platform/UserInterfaceItem.h"

class QMessageBox;
class QWidget;

// A document backed by one file: its location, its change count, saving (always atomic: a
// temporary file renamed over the old one), autosaving in place after a delay, reverting and
// closing with the save prompt. Subclasses give the bytes (dataOfType) and read them back.
class Document : public QObject, public ChangeCounting {
  Q_OBJECT

 public:
  explicit Document(QObject* parent = nullptr);
  ~Document() override;

  QString fileURL() const { return fileURL_; }
  void setFileURL(const QString& path);
  virtual QString fileType() const { return QStringLiteral("qvlt"); }
  QString displayName() const;

  int changeCount() const { return changeCount_; }
  bool isDocumentEdited() const { return changeCount_ != 0; }
  // 0: an edit was made; 2: the document matches its file again.
  void updateChangeCount(int changeKind) override;

  // Seconds after an edit before an autosave; 0 or less: no timed autosave.
  static void setAutosavingDelay(double seconds);
  static double autosavingDelay();
  virtual bool autosavesInPlace() const { return false; }
  // The type to autosave as; empty means "do not autosave now".
  virtual QString autosavingFileType() const { return fileType(); }
  bool hasPendingAutosave() const { return autosaveTimer_.isActive(); }

  // The file's bytes, or why the document cannot produce them (the message may be empty).
  virtual DocumentResult<QByteArray> dataOfType(const QString& typeName) = 0;
  // The same bytes as pieces written one after the other; a document with large contents
  // gives them without assembling a copy. By default, dataOfType's bytes as one piece.
  virtual DocumentResult<QByteArrayList> piecesOfType(const QString& typeName);
  virtual DocumentResult<void> revertToContentsOfURL(const QString& path, const QString& typeName);

  // IfUnchanged refuses (ChangedElsewhere) to write over the file the document last read or
  // wrote once another program has changed it; Anyway is the user's answer to that.
  enum class Overwrite { IfUnchanged, Anyway };
  // piecesOfType, then an atomic write; on success the document names that file and is unchanged.
  // Refused over the document's own file while mayWriteOverFile says no.
  DocumentResult<void> saveToURL(const QString& path, Overwrite overwrite = Overwrite::IfUnchanged);
  // Refused, with why, when writing over the document's file would lose what the file holds.
  virtual DocumentResult<void> mayWriteOverFile() const { return {}; }
  // ChangedElsewhere when path is the file the document last read or wrote and another
  // program has put other bytes there since; a missing file, or one the document never read
  // or wrote, may be written.
  DocumentResult<void> checkFileUnchanged(const QString& path) const;
  // Told by the reader what it read from path; before: the file's fields taken before reading.
  void noteFileRead(const QString& path, const std::optional<FileIdentity>& before,
                    const QByteArrayList& contents);

  // The commands. Failures reach the user as alerts on the document's window.
  // Whether the file was written now; a file another program changed brings up the alert
  // that asks what to do, and done (when given) gets whether the document matches its file
  // once that is answered (written, or reverted).
  bool saveDocument();
  void saveDocument(const std::function<void(bool)>& done);
  bool saveDocumentAs(const QString& path = {});
  void revertDocumentToSaved();
  void autosaveDocument();
  // The alert on a file another program changed since the document read or wrote it:
  // "Save Anyway" writes the document's version to path, "Revert" reads the file's,
  // "Cancel" writes nothing. done gets whether the document matches its file afterwards.
  void askAboutChangedFile(const QString& path, std::function<void(bool)> done = {});
  // A write nobody asked for at this moment (an autosave, an automatic lock, a quit on a
  // signal) found the file changed: nothing is written, and the alert above comes up at the
  // next use of the document's window.
  void holdBackChangedFileWrite();
  bool hasHeldBackWrite() const { return heldBack_; }
  // The application is active again: a file another program changed is read again at once
  // where rereadsChangedFileSilently says so, offered for a revert when the document is
  // unedited, and left to the next save's alert when it is edited.
  void checkFileAfterActivation();
  virtual bool rereadsChangedFileSilently() const { return false; }
  virtual bool validateUserInterfaceItem(const UserInterfaceItem& item);
  // Asks to save unsaved changes first; shouldClose, in place of a delegate and its
  // selector, tells whether the document may close.
  virtual void canCloseDocumentWithDelegate(std::function<void(bool)> shouldClose);
  virtual void close();
  bool isClosed() const { return closed_; }

  UndoManager* undoManager() { return &undoManager_; }

  virtual QWidget* windowForSheet() const { return nullptr; }
  void presentError(const QString& message, const QString& informative) const;

 Q_SIGNALS:
  // The document's bytes now lie at path, a new file there (saves are atomic).
  void documentSaved(const QString& path);
  void changeCountChanged();
  void fileURLChanged();
  void documentClosed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void scheduleAutosave();
  // Re-reads the file, discarding the document's state; failures are shown.
  bool revertNow();
  bool saveWithAlerts(const QString& path, const std::function<void(bool)>& done);
  void showHeldBackAlert();

  QString fileURL_;
  int changeCount_ = 0;
  bool closed_ = false;
  QTimer autosaveTimer_;
  UndoManager undoManager_;
  // The file the document last read or wrote, and what was there then.
  QString knownPath_;
  std::optional<FileIdentity> knownFile_;
  // A change the user chose to keep out of the document (Cancel on the activation's offer).
  std::optional<FileIdentity> declinedChange_;
  bool heldBack_ = false;
  QPointer<QMessageBox> changeAlert_;
};
