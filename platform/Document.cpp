#include "platform/Document.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QWidget>
#include <new>

#include "platform/Alert.h"
#include "platform/AtomicFile.h"
#include "platform/DialogFolder.h"
#include "platform/MainQueue.h"

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
  const DocumentResult<void> saved = saveToURL(fileURL_);
  if (saved) return;
  if (saved.failure().reason == DocumentError::Reason::ChangedElsewhere)
    holdBackChangedFileWrite();
  else
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

DocumentResult<void> Document::checkFileUnchanged(const QString& path) const {
  if (!knownFile_ || !sameFile(path, knownPath_)) return {};
  if (knownFile_->compareWithFileAt(path) != FileIdentity::Comparison::Changed) return {};
  return DocumentError{
      DocumentError::Reason::ChangedElsewhere,
      QStringLiteral("“%1” was changed by another program since it was opened or saved.")
          .arg(displayName())};
}

void Document::noteFileRead(const QString& path, const std::optional<FileIdentity>& before,
                            const QByteArrayList& contents) {
  knownPath_ = path;
  knownFile_ = before ? std::optional(before->withContents(contents)) : std::nullopt;
  declinedChange_.reset();
}

DocumentResult<void> Document::saveToURL(const QString& path, Overwrite overwrite) {
  if (!fileURL_.isEmpty() && sameFile(path, fileURL_))
    if (DocumentResult<void> allowed = mayWriteOverFile(); !allowed) return allowed;
  if (overwrite == Overwrite::IfUnchanged)
    if (DocumentResult<void> unchanged = checkFileUnchanged(path); !unchanged) return unchanged;
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
  // Taken after the rename: these are the bytes now at the path.
  const std::optional<FileIdentity> fields = FileIdentity::fieldsOf(path);
  knownPath_ = path;
  knownFile_ = fields ? std::optional(fields->withContents(data.value())) : std::nullopt;
  declinedChange_.reset();
  heldBack_ = false;
  setFileURL(path);
  updateChangeCount(ChangeCleared);
  Q_EMIT documentSaved(path);
  return {};
}

bool Document::saveDocument() {
  if (fileURL_.isEmpty()) return saveDocumentAs();
  return saveWithAlerts(fileURL_, {});
}

void Document::saveDocument(const std::function<void(bool)>& done) {
  if (fileURL_.isEmpty()) {
    const bool saved = saveDocumentAs();
    if (done) done(saved);
    return;
  }
  saveWithAlerts(fileURL_, done);
}

bool Document::saveWithAlerts(const QString& path, const std::function<void(bool)>& done) {
  const DocumentResult<void> saved = saveToURL(path);
  if (saved) {
    if (done) done(true);
    return true;
  }
  if (saved.failure().reason == DocumentError::Reason::ChangedElsewhere) {
    askAboutChangedFile(path, done);
    return false;
  }
  presentError(QStringLiteral("The document “%1” could not be saved.").arg(displayName()),
               saved.error());
  if (done) done(false);
  return false;
}

void Document::askAboutChangedFile(const QString& path, std::function<void(bool)> done) {
  if (changeAlert_) {  // one question at a time: the alert already up answers for this file
    if (done) done(false);
    return;
  }
  heldBack_ = false;
  Alert alert;
  alert.messageText =
      QStringLiteral("“%1” was changed by another program since it was opened or saved.")
          .arg(displayName());
  alert.informativeText = QStringLiteral(
      "Save Anyway replaces the file with this window's version. Revert discards your changes "
      "and reads the file's version.");
  alert.addButtonWithTitle(QStringLiteral("&Save Anyway"));
  alert.addButtonWithTitle(QStringLiteral("&Revert"));
  alert.addButtonWithTitle(QStringLiteral("Cancel"));
  QPointer<Document> self(this);
  changeAlert_ = alert.beginSheetModalForWindow(
      windowForSheet(), [self, path, done = std::move(done)](int code) {
        if (!self) return;
        bool matches = false;
        if (code == Alert::FirstButtonReturn) {
          const DocumentResult<void> saved = self->saveToURL(path, Overwrite::Anyway);
          if (!saved)
            self->presentError(
                QStringLiteral("The document “%1” could not be saved.").arg(self->displayName()),
                saved.error());
          matches = saved.ok();
        } else if (code == Alert::SecondButtonReturn) {
          matches = self->revertNow();
        }
        if (done) done(matches);
      });
}

void Document::holdBackChangedFileWrite() {
  if (heldBack_) return;
  heldBack_ = true;
  // Any key or click in the window, or its activation, is its next use.
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

bool Document::eventFilter(QObject* watched, QEvent* event) {
  if (!heldBack_) {  // settled since by a save or a revert
    QCoreApplication::instance()->removeEventFilter(this);
    return false;
  }
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress &&
      type != QEvent::WindowActivate)
    return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  const QWidget* window = windowForSheet();
  if (!widget || !window || widget->window() != window->window()) return false;
  heldBack_ = false;
  QCoreApplication::instance()->removeEventFilter(this);
  // After the event: the alert is window-modal and would take the key or click itself.
  QPointer<Document> self(this);
  MainQueue::defer([self] {
    if (self) self->showHeldBackAlert();
  });
  return false;
}

void Document::showHeldBackAlert() {
  // A save or revert since then may have settled it.
  if (closed_ || !isDocumentEdited() || fileURL_.isEmpty() || checkFileUnchanged(fileURL_)) return;
  askAboutChangedFile(fileURL_);
}

void Document::checkFileAfterActivation() {
  if (closed_ || fileURL_.isEmpty() || changeAlert_ || !knownFile_ ||
      !sameFile(fileURL_, knownPath_))
    return;
  if (knownFile_->compareWithFileAt(fileURL_) != FileIdentity::Comparison::Changed) return;
  if (isDocumentEdited()) return;  // its next save asks
  if (rereadsChangedFileSilently()) {
    revertNow();
    return;
  }
  if (declinedChange_ &&
      declinedChange_->compareWithFileAt(fileURL_) == FileIdentity::Comparison::Same)
    return;  // asked about these very bytes already
  Alert alert;
  alert.messageText = QStringLiteral("“%1” was changed by another program.").arg(displayName());
  alert.informativeText = QStringLiteral(
      "Do you want to revert to the version on disk? Saving this window's version instead "
      "would replace it.");
  alert.addButtonWithTitle(QStringLiteral("&Revert"));
  alert.addButtonWithTitle(QStringLiteral("Cancel"));
  QPointer<Document> self(this);
  changeAlert_ = alert.beginSheetModalForWindow(windowForSheet(), [self](int code) {
    if (!self) return;
    if (code == Alert::FirstButtonReturn)
      self->revertNow();
    else
      self->declinedChange_ = FileIdentity::readFile(self->fileURL_);
  });
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
  // Onto the document's own file, another program's change is asked about as at Save.
  return saveWithAlerts(target, {});
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
    if (self && code == Alert::FirstButtonReturn) self->revertNow();
  });
}

bool Document::revertNow() {
  DocumentResult<void> reverted;
  try {
    reverted = revertToContentsOfURL(fileURL_, fileType());
  } catch (const std::bad_alloc&) {
    // Reading the file takes memory in proportion to it: running short fails the revert
    // instead of ending the program.
    reverted = DocumentError{
        DocumentError::Reason::OutOfMemory,
        QStringLiteral("There is not enough memory to revert to “%1”.").arg(fileURL_)};
  }
  if (!reverted) {
    presentError(QStringLiteral("The document could not be reverted."), reverted.error());
    return false;
  }
  heldBack_ = false;
  updateChangeCount(ChangeCleared);
  return true;
}

bool Document::validateUserInterfaceItem(const UserInterfaceItem& item) {
  if (item.action == QStringLiteral("revertDocumentToSaved:"))
    return !fileURL_.isEmpty() && isDocumentEdited();
  return true;
}

void Document::canCloseDocumentWithDelegate(std::function<void(bool)> shouldClose) {
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
  prompt.beginSheetModalForWindow(windowForSheet(),
                                  [self, shouldClose = std::move(shouldClose)](int code) {
                                    if (!self) return;
                                    if (code == Alert::FirstButtonReturn)
                                      self->saveDocument(shouldClose);
                                    else
                                      shouldClose(code == Alert::ThirdButtonReturn);
                                  });
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
