#include "platform/DocumentController.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <new>

#include "platform/Alert.h"
#include "platform/FileBytes.h"
#include "platform/OpenPanel.h"

namespace {
QString canonical(const QString& path) {
  const QFileInfo info(path);
  const QString resolved = info.canonicalFilePath();
  return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

QString inUseReason(const DocumentLock& lock) {
  const QString holder = lock.holderDescription();
  return holder.isEmpty()
             ? QStringLiteral("Another copy of the application has it open. Close it there first.")
             : QStringLiteral(
                   "Another copy of the application (%1) has it open. Close it there "
                   "first.")
                   .arg(holder);
}
}  // namespace

DocumentController::DocumentController(QObject* parent) : QObject(parent) {
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    connect(app, &QGuiApplication::focusWindowChanged, this, &DocumentController::noteFocusWindow);
}

void DocumentController::noteFocusWindow(QWindow* window) {
  // A dialog or another window of the application leaves the last vault in front.
  if (!window) return;
  for (Document* document : documents_) {
    const QWidget* sheetWindow = document->windowForSheet();
    if (sheetWindow && sheetWindow->window()->windowHandle() == window) front_ = document;
  }
}

Document* DocumentController::currentDocument() const {
  if (front_ && std::find(documents_.begin(), documents_.end(), front_.data()) != documents_.end())
    return front_;
  return nullptr;
}

DocumentController::~DocumentController() = default;

Document* DocumentController::documentForURL(const QString& path) const {
  if (path.isEmpty()) return nullptr;
  const QString wanted = canonical(path);
  for (Document* document : documents_)
    if (!document->fileURL().isEmpty() && canonical(document->fileURL()) == wanted) return document;
  return nullptr;
}

DocumentResult<Document*> DocumentController::openUntitledDocumentAndDisplay() {
  DocumentResult<Document*> made = makeUntitledDocument();
  if (!made) return made;
  Document* document = made.value();
  addDocument(document);
  makeWindowControllers(document);
  showDocument(document);
  return document;
}

DocumentResult<Document*> DocumentController::openDocumentWithContentsOfURL(const QString& path,
                                                                            bool display) {
  if (Document* open = documentForURL(path)) {
    if (display) showDocument(open);
    return open;
  }
  // A folder, a named pipe or a device is refused before anything is made for it.
  if (Result<void, FileReadError> regular = FileBytes::checkRegularFile(path); !regular)
    return DocumentError{DocumentError::Reason::NotRead, regular.error()};
  const QString file = canonical(path);
  auto lock = std::make_unique<DocumentLock>(file);
  if (lock->acquire() == DocumentLock::Outcome::HeldElsewhere)
    return DocumentError{DocumentError::Reason::InUse, inUseReason(*lock)};
  Document* document = nullptr;
  try {
    DocumentResult<Document*> made = makeDocumentWithContentsOfURL(file);
    if (!made) return made;  // the lock goes with it
    document = made.value();
  } catch (const std::bad_alloc&) {
    // Reading a file takes memory in proportion to it. Running short refuses this file and
    // leaves every other document as it is.
    return DocumentError{DocumentError::Reason::OutOfMemory,
                         QStringLiteral("There is not enough memory to open “%1”.").arg(path)};
  }
  locks_[document] = std::move(lock);
  addDocument(document);
  makeWindowControllers(document);
  if (display) showDocument(document);
  return document;
}

void DocumentController::newDocument() {
  if (const DocumentResult<Document*> made = openUntitledDocumentAndDisplay(); !made)
    presentError(QStringLiteral("A new document could not be made."), made.error());
}

void DocumentController::openDocument() {
  const Document* front = currentDocument();
  openFiles(OpenPanel::chooseFiles(nullptr, {QStringLiteral("Open"),
                                             QString(),
                                             {QLatin1String(kFileExtension)},
                                             true,
                                             front ? front->fileURL() : QString()}));
}

void DocumentController::openFiles(const QStringList& paths) {
  for (const QString& path : paths) {
    const DocumentResult<Document*> opened = openDocumentWithContentsOfURL(path, true);
    // A file of a newer release: the document has already told the user.
    if (!opened && opened.failure().reason != DocumentError::Reason::NewerRelease)
      presentError(
          QStringLiteral("The document “%1” could not be opened.").arg(QFileInfo(path).fileName()),
          opened.error());
  }
}

void DocumentController::closeAllDocuments() {
  const std::vector<Document*> open = documents_;
  for (Document* document : open) document->close();
}

void DocumentController::presentError(const QString& message, const QString& informative) {
  Alert alert;
  alert.alertStyle = Alert::Style::Critical;
  alert.messageText = message;
  alert.informativeText = informative;
  alert.addButtonWithTitle(QStringLiteral("OK"));
  alert.runModal();
}

void DocumentController::addDocument(Document* document) {
  document->setParent(this);
  documents_.push_back(document);
  connect(document, &Document::documentClosed, this,
          [this, document] { removeDocument(document); });
  // A first save or a save under a new name moves the lock to the new file.
  connect(document, &Document::fileURLChanged, this, [this, document] { relock(document); });
  Q_EMIT documentAdded(document);
}

void DocumentController::relock(Document* document) {
  if (document->fileURL().isEmpty()) return;
  const QString lockPath = DocumentLock::lockPathFor(canonical(document->fileURL()));
  auto it = locks_.find(document);
  if (it != locks_.end() && it->second->isHeld() && it->second->path() == lockPath) return;
  auto lock = std::make_unique<DocumentLock>(canonical(document->fileURL()));
  if (lock->acquire() == DocumentLock::Outcome::Acquired)
    locks_[document] = std::move(lock);
  else
    locks_.erase(document);  // the old file's lock no longer guards anything of ours
}

void DocumentController::removeDocument(Document* document) {
  auto it = std::find(documents_.begin(), documents_.end(), document);
  if (it == documents_.end()) return;
  documents_.erase(it);
  locks_.erase(document);
  Q_EMIT documentRemoved(document);
  document->deleteLater();
}
