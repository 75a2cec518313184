#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

#include "platform/Document.h"
#include "platform/DocumentLock.h"

class QWidget;
class QWindow;

// Creates, opens and keeps the application's documents: one document per file (opening a
// file that is open already shows its window), each file locked against other processes,
// and the autosaving delay for all of them. Subclasses make the documents and their windows.
class DocumentController : public QObject {
  Q_OBJECT

 public:
  explicit DocumentController(QObject* parent = nullptr);
  ~DocumentController() override;

  static constexpr const char* kFileExtension = "qvlt";

  const std::vector<Document*>& documents() const { return documents_; }
  // The open document of that file, compared by canonical path (relative paths and
  // symbolic links name the same file); none when it is not open here.
  Document* documentForURL(const QString& path) const;
  // The document whose window is active, else the one whose window was active last; none
  // when no document window has been active since those documents opened.
  Document* currentDocument() const;

  // A new untitled document, shown.
  DocumentResult<Document*> openUntitledDocumentAndDisplay();
  // The document of that file, opened (or found open) and shown when display; the reason
  // when the file cannot be opened or another process holds it.
  DocumentResult<Document*> openDocumentWithContentsOfURL(const QString& path, bool display);
  // The interactive forms: failures are shown to the user.
  void newDocument();
  void openDocument();  // a file dialog for vault files
  void openFiles(const QStringList& paths);

  void setAutosavingDelay(double seconds) { Document::setAutosavingDelay(seconds); }
  double autosavingDelay() const { return Document::autosavingDelay(); }

  void closeAllDocuments();

 Q_SIGNALS:
  void documentAdded(Document* document);
  void documentRemoved(Document* document);

 protected:
  // The subclass's document types.
  virtual DocumentResult<Document*> makeUntitledDocument() = 0;
  virtual DocumentResult<Document*> makeDocumentWithContentsOfURL(const QString& path) = 0;
  // Creates the document's window; showDocument brings it to the front.
  virtual void makeWindowControllers(Document* document) = 0;
  virtual void showDocument(Document* document) = 0;
  virtual void presentError(const QString& message, const QString& informative);

 private:
  void addDocument(Document* document);
  void removeDocument(Document* document);
  void relock(Document* document);

  void noteFocusWindow(QWindow* window);

  std::vector<Document*> documents_;
  QPointer<Document> front_;
  std::map<Document*, std::unique_ptr<DocumentLock>> locks_;
};
