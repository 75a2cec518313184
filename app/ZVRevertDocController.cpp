#include "app/ZVRevertDocController.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/ApplicationMenus.h"
#include "app/MyAppDelegate.h"
#include "platform/UserDefaults.h"
#include "transfer/DocumentTextTransfer.h"
#include "vault/MyDocument.h"
#include "window/VaultDocumentWindow.h"

ZVRevertDocController::ZVRevertDocController(QObject* parent) : DocumentController(parent) {}

void ZVRevertDocController::advancedLockDocument(MyDocument* document) {
  if (!document) return;
  if (document->isDocumentEdited()) {
    QPointer<MyDocument> doc(document);
    document->saveDocument([this, doc](bool saved) {
      if (doc) documentDidSave(doc, saved);
    });
    return;
  }
  QPointer<MyDocument> doc(document);
  QTimer::singleShot(0, this, [this, doc] {
    if (doc) CloseAndReopenTheDoc(doc);
  });
}

void ZVRevertDocController::documentDidSave(MyDocument* document, bool didSave) {
  if (didSave) CloseAndReopenTheDoc(document);
}

void ZVRevertDocController::CloseAndReopenTheDoc(MyDocument* document) {
  if (!document || document->fileURL().isEmpty()) return;
  (void)openDocumentWithContentsOfURL(document->fileURL(), true);
}

VaultDocumentWindow* ZVRevertDocController::windowOf(Document* document) const {
  auto* vault = qobject_cast<MyDocument*>(document);
  return vault ? dynamic_cast<VaultDocumentWindow*>(vault->window()) : nullptr;
}

void ZVRevertDocController::reviewUnsavedDocumentsAndQuit() {
  if (asking_ && !asking_->isClosed()) return;  // a second Quit while its prompt is up
  // Edited documents first: a Cancel then leaves every window open.
  Document* next = nullptr;
  for (Document* document : documents()) {
    if (document->isClosed()) continue;
    if (document->isDocumentEdited()) {
      next = document;
      break;
    }
    if (!next) next = document;
  }
  if (!next) {
    QApplication::closeAllWindows();
    return;
  }
  if (VaultDocumentWindow* window = windowOf(next); window && next->isDocumentEdited()) {
    if (window->isMinimized()) window->showNormal();
    window->raise();
    window->activateWindow();
  }
  // The prompt answers later, so the next document is asked from its answer: closing the
  // windows in one sweep would stop at the first one that waits, whatever the answer.
  asking_ = next;
  QPointer<ZVRevertDocController> self(this);
  QPointer<Document> document(next);
  next->canCloseDocumentWithDelegate([self, document](bool shouldClose) {
    if (!self) return;
    self->asking_ = nullptr;
    if (!shouldClose) return;
    if (document) document->close();
    self->reviewUnsavedDocumentsAndQuit();
  });
}

QString ZVRevertDocController::saveUnattended(Document* document) {
  if (!document->isDocumentEdited()) return {};
  if (document->fileURL().isEmpty())
    return QStringLiteral("the untitled vault “%1” has no file to be saved to.")
        .arg(document->displayName());
  if (auto* vault = qobject_cast<MyDocument*>(document)) vault->recordController().commitEditing();
  const DocumentResult<void> saved = document->saveToURL(document->fileURL());
  if (saved) return {};
  if (saved.failure().reason == DocumentError::Reason::ChangedElsewhere)
    document->holdBackChangedFileWrite();
  return QStringLiteral("the changes to “%1” were not saved: %2")
      .arg(document->displayName(), saved.error());
}

void ZVRevertDocController::saveEditedDocuments() {
  for (Document* document : documents())
    if (const QString failure = saveUnattended(document); !failure.isEmpty())
      std::fprintf(stderr, "quorlith: %s\n", qPrintable(failure));
}

void ZVRevertDocController::closeAllDocumentsSaving() {
  // Closing removes each from the list: the list is copied first.
  const std::vector<Document*> open = documents();
  for (Document* document : open) {
    if (document->isClosed()) continue;
    if (const QString failure = saveUnattended(document); !failure.isEmpty())
      std::fprintf(stderr, "quorlith: %s\n", qPrintable(failure));
    document->close();
  }
}

namespace {
// A vault document that imports and exports text files.
std::unique_ptr<MyDocument> makeVaultDocument() {
  auto document = std::make_unique<MyDocument>();
  document->setTransfer(std::make_unique<DocumentTextTransfer>(*document));
  return document;
}
}  // namespace

DocumentResult<Document*> ZVRevertDocController::makeUntitledDocument() {
  return makeVaultDocument().release();
}

DocumentResult<Document*> ZVRevertDocController::makeDocumentWithContentsOfURL(
    const QString& path) {
  auto document = makeVaultDocument();
  // A file of a newer release comes back as NewerRelease: its own alert has been shown.
  if (DocumentResult<void> read = document->readFromURL(path); !read) return read.failure();
  document->setFileURL(path);
  return document.release();
}

void ZVRevertDocController::makeWindowControllers(Document* document) {
  auto* vault = qobject_cast<MyDocument*>(document);
  if (!vault) return;
  auto* window = new VaultDocumentWindow(
      vault, delegate_ ? delegate_->defaults() : UserDefaults::standardUserDefaults());
  ApplicationMenus::install(window, delegate_, this, vault);
  window->addMenusTo(window->menuBar());
}

void ZVRevertDocController::showDocument(Document* document) {
  VaultDocumentWindow* window = windowOf(document);
  if (!window) return;
  window->show();
  window->raise();
  window->activateWindow();
}
