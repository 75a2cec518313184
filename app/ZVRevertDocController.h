#pragma once

#include "platform/DocumentController.h"

class MyAppDelegate;
class MyDocument;
class VaultDocumentWindow;

// The application's document controller: vault documents in their windows, and the way a
// document is saved and shown again.
class ZVRevertDocController : public DocumentController {
  Q_OBJECT

 public:
  explicit ZVRevertDocController(QObject* parent = nullptr);

  // Windows get their menus from the delegate's commands.
  void setAppDelegate(MyAppDelegate* delegate) { delegate_ = delegate; }

  // Saves the document when it has changes, then shows it again.
  void advancedLockDocument(MyDocument* document);
  void documentDidSave(MyDocument* document, bool didSave);
  void CloseAndReopenTheDoc(MyDocument* document);

  VaultDocumentWindow* windowOf(Document* document) const;

  // Quit: each document is asked in turn, edited ones first, and closes on any answer but
  // Cancel (or a failed save), which stops the quit; then the remaining windows close.
  void reviewUnsavedDocumentsAndQuit();
  // The end nobody is asked about (a signal, the session's end): each document with a file
  // and unsaved changes is saved as its lock saves it, never over a file another program
  // changed; then every document is closed. What was not saved is said on standard error.
  void closeAllDocumentsSaving();
  // The session manager's request: the same saves, the documents staying open.
  void saveEditedDocuments();

 protected:
  DocumentResult<Document*> makeUntitledDocument() override;
  DocumentResult<Document*> makeDocumentWithContentsOfURL(const QString& path) override;
  void makeWindowControllers(Document* document) override;
  void showDocument(Document* document) override;

 private:
  // Saves an edited document to its file without asking; why not, when it was not saved.
  static QString saveUnattended(Document* document);

  MyAppDelegate* delegate_ = nullptr;
  QPointer<Document> asking_;  // the document whose save prompt a quit is waiting for
};
