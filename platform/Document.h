#pragma once

#include <QByteArrayList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "platform/ChangeCounting.h"
#include "platform/DocumentError.h"
#include "platform/UndoManager.h"
#include "platform/UserInterfaceItem.h"

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

  // piecesOfType, then an atomic write; on success the document names that file and is unchanged.
  // Refused over the document's own file while mayWriteOverFile says no.
  DocumentResult<void> saveToURL(const QString& path);
  // Refused, with why, when writing over the document's file would lose what the file holds.
  virtual DocumentResult<void> mayWriteOverFile() const { return {}; }

  // The commands. Failures reach the user as alerts on the document's window.
  bool saveDocument();
  bool saveDocumentAs(const QString& path = {});
  void revertDocumentToSaved();
  void autosaveDocument();
  virtual bool validateUserInterfaceItem(const UserInterfaceItem& item);
  // Asks to save unsaved changes first; shouldClose tells whether the document may close.
  virtual void canCloseDocument(std::function<void(bool)> shouldClose);
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

 private:
  void scheduleAutosave();

  QString fileURL_;
  int changeCount_ = 0;
  bool closed_ = false;
  QTimer autosaveTimer_;
  UndoManager undoManager_;
};
