#include "platform/Document.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>
#include <new>

#include "platform/Alert.h"
#include "platform/AtomicFile.h"
#include "platform/DialogFolder.h"

namespace {
double& delaySeconds() {
  static double seconds = 0.0;
  return seconds;
}

bool sameFile(const QString& a, const QString& b) {
  const auto resolved = [](const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
  };
  return resolved(a) == resolved(b);
}

}  // namespace

Document::Document(QObject* parent) : QObject(parent) {
  autosaveTimer_.setSingleShot(true);
  connect(&autosaveTimer_, &QTimer::timeout, this, &Document::autosaveDocument);
}

Document::~Document() = default;

void Document::setFileURL(const QString& path) {
  if (path == fileURL_) return;
  fileURL_ = path;
  Q_EMIT fileURLChanged();
}

QString Document::displayName() const {
  return fileURL_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(fileURL_).completeBaseName();
}

void Document::updateChangeCount(int changeKind) {
  if (changeKind == ChangeDone) {
    ++changeCount_;
    scheduleAutosave();
  } else if (changeKind == ChangeCleared) {
    changeCount_ = 0;
    autosaveTimer_.stop();
  }
  Q_EMIT changeCountChanged();
}

void Document::setAutosavingDelay(double seconds) { delaySeconds() = seconds; }
double Document::autosavingDelay() { return delaySeconds(); }

void Document::scheduleAutosave() {
  const double delay = autosavingDelay();
  if (closed_ || delay <= 0 || !autosavesInPlace() || fileURL_.isEmpty()) return;
  if (autosavingFileType().isEmpty()) return;
  autosaveTimer_.start(static_cast<int>(std::min(delay, 86400.0) * 1000));
}

void Document::autosaveDocument() {
  // The type is asked again: the document may have been locked since the edit.
  if (closed_ || !isDocumentEdited() || fileURL_.isEmpty() || autosavingFileType().isEmpty())
    return;
  if (const DocumentResult<void> saved = saveToURL(fileURL_); !saved)
    presentError(QStringLiteral("The document “%1” could not be autosaved.").arg(displayName()),
                 saved.error());
}

DocumentResult<void> Document::revertToContentsOfURL(const QString&, const QString&) {
  return DocumentError{DocumentError::Reason::Unsupported,
                       QStringLiteral("This document cannot be reverted.")};
}

DocumentResult<QByteArrayList> Document::piecesOfType(const QString& typeName) {
  DocumentResult<QByteArray> data = dataOfType(typeName);
  if (!data) return data.failure();
  return QByteArrayList{data.take()};
}

DocumentResult<void> Document::saveToURL(const QString& path) {
  if (!fileURL_.isEmpty() && sameFile(path, fileURL_))
    if (DocumentResult<void> allowed = mayWriteOverFile(); !allowed) return allowed;
  const DocumentResult<QByteArrayList> data = piecesOfType(fileType());
  if (!data) {
    DocumentError failure = data.failure();
    if (failure.message.isEmpty())
      failure = {DocumentError::Reason::NothingToSave,
                 QStringLiteral("The document has nothing to save.")};
    return failure;
  }
  if (const Result<void> written = AtomicFile::write(data.value(), path); !written)
    return DocumentError{DocumentError::Reason::WriteFailed, written.error()};
  setFileURL(path);
  updateChangeCount(ChangeCleared);
  Q_EMIT documentSaved(path);
  return {};
}

bool Document::saveDocument() {
  if (fileURL_.isEmpty()) return saveDocumentAs();
  const DocumentResult<void> saved = saveToURL(fileURL_);
  if (saved) return true;
  presentError(QStringLiteral("The document “%1” could not be saved.").arg(displayName()),
               saved.error());
  return false;
}

bool Document::saveDocumentAs(const QString& path) {
  QString target = path;
  if (target.isEmpty()) {
    QFileDialog dialog(windowForSheet(), QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Vault (*.%1)").arg(fileType()));
    DialogFolder::prepare(dialog, fileURL_);
    dialog.selectFile(fileURL_.isEmpty() ? displayName() : QFileInfo(fileURL_).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    target = dialog.selectedFiles().first();
    if (target.isEmpty()) return false;
    if (QFileInfo(target).suffix().isEmpty()) target += QLatin1Char('.') + fileType();
  }
  const DocumentResult<void> saved = saveToURL(target);
  if (saved) return true;
  presentError(QStringLiteral("The document “%1” could not be saved.").arg(displayName()),
               saved.error());
  return false;
}

void Document::revertDocumentToSaved() {
  if (fileURL_.isEmpty()) return;
  Alert confirm;
  confirm.messageText =
      QStringLiteral(
          "Do you want to revert to the most recently saved version of the document “%1”?")
          .arg(displayName());
  confirm.informativeText = QStringLiteral("Your current changes will be lost.");
  confirm.addButtonWithTitle(QStringLiteral("Revert"));
  confirm.addButtonWithTitle(QStringLiteral("Cancel"));
  QPointer<Document> self(this);
  confirm.beginSheetModalForWindow(windowForSheet(), [self](int code) {
    if (!self || code != Alert::FirstButtonReturn) return;
    DocumentResult<void> reverted;
    try {
      reverted = self->revertToContentsOfURL(self->fileURL_, self->fileType());
    } catch (const std::bad_alloc&) {
      // Reading the file takes memory in proportion to it: running short fails the revert
      // instead of ending the program.
      reverted = DocumentError{
          DocumentError::Reason::OutOfMemory,
          QStringLiteral("There is not enough memory to revert to “%1”.").arg(self->fileURL_)};
    }
    if (reverted)
      self->updateChangeCount(ChangeCleared);
    else
      self->presentError(QStringLiteral("The document could not be reverted."), reverted.error());
  });
}

bool Document::validateUserInterfaceItem(const UserInterfaceItem& item) {
  if (item.action == QStringLiteral("revertDocumentToSaved:"))
    return !fileURL_.isEmpty() && isDocumentEdited();
  return true;
}

void Document::canCloseDocument(std::function<void(bool)> shouldClose) {
  if (!isDocumentEdited()) {
    shouldClose(true);
    return;
  }
  Alert prompt;
  prompt.messageText = QStringLiteral("Do you want to save the changes made to the document “%1”?")
                           .arg(displayName());
  prompt.informativeText = QStringLiteral("Your changes will be lost if you don't save them.");
  prompt.addButtonWithTitle(QStringLiteral("Save"));
  prompt.addButtonWithTitle(QStringLiteral("Cancel"));
  prompt.addButtonWithTitle(QStringLiteral("Don't Save"));
  QPointer<Document> self(this);
  auto answered = [self, shouldClose = std::move(shouldClose)](int code) {
    if (!self) return;
    if (code == Alert::FirstButtonReturn)
      shouldClose(self->saveDocument());
    else
      shouldClose(code == Alert::ThirdButtonReturn);
  };
  prompt.beginSheetModalForWindow(windowForSheet(), std::move(answered));
}

void Document::close() {
  if (closed_) return;
  closed_ = true;
  autosaveTimer_.stop();
  Q_EMIT documentClosed();
}

void Document::presentError(const QString& message, const QString& informative) const {
  Alert alert;
  alert.alertStyle = Alert::Style::Critical;
  alert.messageText = message;
  alert.informativeText = informative;
  alert.addButtonWithTitle(QStringLiteral("OK"));
  alert.beginSheetModalForWindow(windowForSheet(), {});
}
