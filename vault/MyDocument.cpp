#include "vault/MyDocument.h"

#include <QDialog>

#include "Common/ZVAppSupportUtility.h"
#include "platform/MainQueue.h"
#include "platform/Sheet.h"
#include "vault/CurrentFormatEncryptor.h"
#include "vault/RecordFieldTable.h"
#include "vault/VaultFileBytes.h"

namespace {
std::function<void()>& openingNotifier() {
  static std::function<void()> notifier;
  return notifier;
}

const char kCompatibleText[] =
    "This document is compatible with Quorlith for iOS\n\nTo shere it with iPhone, iPod Touch or "
    "iPad simply drag and drop this document to iTunes file sharing section for your device.\n\n"
    "Also the reverse is valid.\n\nThis app can open and use document created with Quorlith for "
    "iOS\n\nRead the user manual from the Help menu for more info.";
const char kNotCompatibleText[] =
    "This document is NOT compatible with Quorlith for iOS\n\nTo shere it with iPhone, iPod "
    "Touch or iPad you need to decrypt it and resave it.\n\nIt will be saved in a new format "
    "compatible with Quorlith for iOS.\n\nThis app can open and use document created with "
    "Quorlith for iOS\n\nRead the user manual from the Help menu for more info.";
constexpr double kUnlockedDefaultHeight = 460;
}  // namespace

MyDocument::MyDocument(QObject* parent)
    : ZVCryptoDoc(parent), keysForImport_(recordFieldTable()), keysForExport_(recordFieldTable()) {
  vault_.recordController().myDoc = this;
  vault_.categoryController().myDoc = this;
  // Saved under another name, the document's file is one it wrote.
  connect(this, &Document::fileURLChanged, this, [this] { fileUnread_ = false; });
  if (const auto& notify = openingNotifier()) notify();
}

MyDocument::~MyDocument() = default;

void MyDocument::setDocumentOpeningNotifier(std::function<void()> notifier) {
  openingNotifier() = std::move(notifier);
}

void MyDocument::setWindow(VaultWindow* window) {
  window_ = window;
  setMyWindow(window ? window->widget() : nullptr);
}

QWidget* MyDocument::windowForSheet() const { return myWindow(); }

QString MyDocument::autosavingFileType() const {
  if (isEncrypted() || plainPassword().isEmpty() || fileUnread_) return {};
  return fileType();
}

DocumentResult<void> MyDocument::mayWriteOverFile() const {
  if (!fileUnread_) return {};
  return DocumentError{
      DocumentError::Reason::Refused,
      QStringLiteral(
          "The file no longer holds what this document read from it, and reverting could not "
          "read what it holds now: saving would replace it. Save the document under another "
          "name.")};
}

void MyDocument::updateChangeCount(int changeKind) {
  // Changes a lock could not save are marked until a save or revert writes or drops them,
  // locked or not; otherwise a locked document marks nothing.
  if (changeKind == ChangeCleared && changesKeptAtLock_) {
    changesKeptAtLock_ = false;
    ZVCryptoDoc::updateChangeCount(changeKind);
    return;
  }
  if (isEncrypted()) return;
  ZVCryptoDoc::updateChangeCount(changeKind);
}

ArrayRef MyDocument::getCopyOfContentArrayForSaveOperation() const {
  return CurrentFormatEncryptor::storedRecords(vault_.records());
}

ArrayRef MyDocument::getCopyOfCategoryArrayForSaveOperation() const {
  return CurrentFormatEncryptor::storedCategories(vault_.categories());
}

VaultResult<void> MyDocument::encryptData() { return vault_.encrypt(plainPassword()); }

DesktopViewState MyDocument::currentViewState() const {
  DesktopViewState state = vault_.viewState();  // the sort and column presets
  state.windowFrame = window_ ? window_->frame() : Rect{};
  state.columnSizes = window_ ? window_->getColumnSize() : ArrayRef();
  state.columnVisibilities = window_ ? window_->getColumnVisibility() : ArrayRef();
  state.splitLeftFrame = window_ ? window_->splitPaneFrame(0).value_or(Rect{}) : Rect{};
  state.splitRightFrame = window_ ? window_->splitPaneFrame(1).value_or(Rect{}) : Rect{};
  state.toolbarVisible = window_ && window_->isToolbarVisible();
  return state;
}

DocumentResult<QByteArray> MyDocument::dataOfType(const QString& typeName) {
  DocumentResult<QByteArrayList> pieces = piecesOfType(typeName);
  if (!pieces) return pieces.failure();
  return pieces.value().join();
}

DocumentResult<QByteArrayList> MyDocument::piecesOfType(const QString&) {
  // No message: the save says the document has nothing to save.
  if (!youCanSave_) return DocumentError{DocumentError::Reason::NothingToSave, QString()};
  VaultResult<QByteArrayList> file = vault_.filePieces(plainPassword(), currentViewState());
  if (!file) return DocumentError{DocumentError::Reason::NothingToSave, file.error()};
  return file.take();
}

void MyDocument::close() {
  if (window_) {
    Rect frame = window_->frame();
    frame.width = 820;
    frame.height = 460;
    window_->setFrame(frame, false);
  }
  ZVCryptoDoc::close();
  if (window_) window_->setToolbarVisible(false);
  // Nothing shows the records any more.
  vault_.discardContents();
}

DocumentResult<void> MyDocument::readFromData(const QByteArray& data, const QString&) {
  // A file that is refused changes nothing: a document being reverted stays as it was,
  // unlocked and saveable.
  VaultResult<void> read = vault_.read(data);
  if (!read) {
    if (read.failure().reason != VaultError::Reason::NewerRelease)
      return DocumentError{DocumentError::Reason::NotRead, read.error()};
    ZVAppSupportUtility::sayFilecreatedWithANewerVersion(windowForSheet());
    return DocumentError{DocumentError::Reason::NewerRelease, QString()};
  }
  const bool current = vault_.formatGroup() == VaultFormat::Group::Current;
  youCanSave_ = current;
  changesKeptAtLock_ = false;  // the held pieces are the file's now
  if (window_) window_->setToolbarVisible(false);
  requiresMandatoryPassword_ = false;
  docReleaseString_ =
      ZVAppSupportUtility::calcReleaseString(static_cast<long>(vault_.formatVersion()));
  convertFormatString_ =
      vault_.formatVersion() == VaultFormat::kCurrentVersion
          ? QStringLiteral("Document is in the current application format")
          : QStringLiteral(
                "Document is in an old format. It will be converted to the current application "
                "format");
  moreDocDescription_ = QString::fromLatin1(current ? kCompatibleText : kNotCompatibleText);
  setIsEncrypted(true);
  return {};
}

DocumentResult<void> MyDocument::readFromURL(const QString& path) {
  const std::optional<FileIdentity> before = FileIdentity::fieldsOf(path);
  Result<QByteArray, FileReadError> bytes = VaultFileBytes::read(path);
  if (!bytes) {
    // A file of the wrong start or layout is no vault, or a damaged one: said as the reader
    // says it.
    const FileReadError::Reason reason = bytes.failure().reason;
    const bool damaged =
        reason == FileReadError::Reason::WrongStart || reason == FileReadError::Reason::Malformed;
    return DocumentError{DocumentError::Reason::NotRead,
                         damaged ? VaultError::unreadable(bytes.error()).message : bytes.error()};
  }
  const QByteArrayList contents{bytes.take()};
  if (DocumentResult<void> read = readFromData(contents.first(), fileType()); !read) return read;
  noteFileRead(path, before, contents);
  return {};
}

DocumentResult<void> MyDocument::revertToContentsOfURL(const QString& path, const QString&) {
  if (DocumentResult<void> read = readFromURL(path); !read) {
    // The document keeps what it showed, but its file now holds something it did not read.
    fileUnread_ = true;
    DocumentError failure = read.failure();
    if (failure.reason == DocumentError::Reason::NewerRelease)
      failure.message = QStringLiteral("It was made by a newer release.");
    return failure;
  }
  fileUnread_ = false;
  // The discarded state goes as at a lock: its history, whose steps hold its records and
  // would bring them back into the reverted file's, and the password it was unlocked with.
  undoManager()->removeAllActions();
  setPlainPassword(QString());
  DesktopViewState state = vault_.viewState();
  state.toolbarVisible = window_ && window_->isToolbarVisible();
  vault_.setViewState(state);
  // The document now matches its file; being locked, it would ignore the caller's clearing.
  Document::updateChangeCount(ChangeCleared);
  return {};
}

VaultResult<void> MyDocument::unlock() { return vault_.unlock(plainPassword()); }

void MyDocument::showUnlockFailure(const VaultError& failure) {
  const VaultError::Reason reason = failure.reason;
  if (reason != VaultError::Reason::DamagedDocument &&
      reason != VaultError::Reason::DamagedEntries) {
    ZVCryptoDoc::showUnlockFailure(failure);
    return;
  }
  // An older document has no check string: its password is known right only once it opens.
  const QString lead = reason == VaultError::Reason::DamagedDocument
                           ? QStringLiteral(
                                 "The password is right, but part of the document "
                                 "cannot be read.")
                           : QStringLiteral(
                                 "Part of the document cannot be read, whatever the "
                                 "password.");
  showAlert(QStringLiteral("The document is damaged"),
            QStringLiteral("%1 The file may have been changed or cut short; open a copy of it if "
                           "you have one.\n\n%2")
                .arg(lead, failure.message),
            {QStringLiteral("OK")}, {});
}

int MyDocument::decryptDone() {
  if (!vault_.creationDate()) vault_.setCreationDate(Date::now());
  setIsEncrypted(false);
  if (window_) {
    Rect frame = window_->frame();
    frame.height = kUnlockedDefaultHeight;
    window_->setFrame(vault_.hasStoredWindowFrame() ? vault_.viewState().windowFrame : frame, true);
    window_->setToolbarVisible(vault_.viewState().toolbarVisible);
  }
  youCanSave_ = true;
  return 1;
}

bool MyDocument::validateUserInterfaceItem(const UserInterfaceItem& item) {
  // Exporting what is shown needs something shown: an empty file would pass for an export.
  if (item.action == u"exportToTextFile:")
    return isDecrypted() && !myArray()->isEmpty() &&
           !vault_.recordController().arrangedObjects().empty();
  if (item.action == u"importFromTextFile:" || item.action == u"exportAllToTextFile:")
    return isDecrypted();
  if (item.action == u"deleteRow:") return deleteRowShouldBeEnabled();
  return ZVCryptoDoc::validateUserInterfaceItem(item);
}

bool MyDocument::deleteRowShouldBeEnabled() const {
  return vault_.recordController().canRemove() && !isEncrypted();
}

void MyDocument::importFromTextFile() {
  if (isEncrypted() || !myWindow() || !transfer_) return;
  transfer_->importFromTextFile();
}

void MyDocument::exportAllToTextFile() {
  std::vector<DictRef> records;
  records.reserve(std::size_t(myArray()->count()));
  for (const Value& v : myArray()->values())
    if (DictRef record = v.toDictionary()) records.push_back(std::move(record));
  runExport(std::move(records));
}

void MyDocument::exportToTextFile() { runExport(vault_.recordController().arrangedObjects()); }

void MyDocument::runExport(std::vector<DictRef> records) {
  if (isEncrypted() || !myWindow() || !transfer_) return;
  transfer_->exportRecords(std::move(records));
}

void MyDocument::lockDocument() {
  if (isEncrypted()) return;
  QPointer<MyDocument> self(this);
  showAlert(QStringLiteral("Lock Document back to the crypted state?"),
            QStringLiteral("To browse the document data again you will need to re-insert the "
                           "master password"),
            {QStringLiteral("OK"), QStringLiteral("Cancel")}, [self] {
              MainQueue::defer([self] {
                if (self) self->lockAfterAskingAboutChangedFile();
              });
            });
}

void MyDocument::lockAfterAskingAboutChangedFile() {
  recordController().commitEditing();
  if (fileURL().isEmpty() || !isDocumentEdited() || checkFileUnchanged(fileURL())) {
    doLockDocument();
    return;
  }
  // Saved anyway or reverted (which locks), the lock goes on; Cancel leaves it unlocked.
  QPointer<MyDocument> self(this);
  askAboutChangedFile(fileURL(), [self](bool matches) {
    if (self && matches) self->doLockDocument();
  });
}

void MyDocument::lockAutomatically() {
  if (isEncrypted() || plainPassword().isEmpty() || fileURL().isEmpty()) return;
  if (window_)
    for (QDialog* dialog : window_->widget()->findChildren<QDialog*>()) {
      if (!dialog->isVisible()) continue;
      if (auto* sheet = qobject_cast<Sheet*>(dialog))
        sheet->endSheet(Sheet::AbortReturn);
      else
        dialog->done(0);
    }
  QPointer<MyDocument> self(this);
  MainQueue::defer([self] {
    if (self) self->doLockDocument();
  });
}

bool MyDocument::doLockDocument() {
  if (isEncrypted()) return true;
  recordController().commitEditing();
  // What is unsaved goes to the file first. Should that fail (a read-only or full disk, a
  // folder gone) the lock goes on all the same: the held pieces keep the changes, and the
  // document stays marked unsaved so that closing it asks to save them.
  QString saveError;
  bool changedElsewhere = false;
  if (!fileURL().isEmpty() && isDocumentEdited()) {
    const DocumentResult<void> saved = saveToURL(fileURL());
    changedElsewhere = !saved && saved.failure().reason == DocumentError::Reason::ChangedElsewhere;
    saveError = saved.error();
  }
  const DesktopViewState state = currentViewState();
  VaultResult<void> locked = vault_.lock(plainPassword(), state);
  if (!locked) {
    showAlert(QStringLiteral("The document could not be locked"), locked.error(),
              {QStringLiteral("OK")}, {});
    return false;
  }
  changesKeptAtLock_ = isDocumentEdited();
  undoManager()->removeAllActions();
  // Locked, the document writes its held pieces only when they hold unsaved changes.
  youCanSave_ = changesKeptAtLock_;
  setPlainPassword(QString());
  setIsEncrypted(true);
  if (window_) window_->setToolbarVisible(false);
  // Another program's file is not written over: its alert waits for the window's next use.
  if (changedElsewhere)
    holdBackChangedFileWrite();
  else if (changesKeptAtLock_)
    showAlert(QStringLiteral("The changes could not be saved"),
              QStringLiteral("The document is locked and keeps the changes: unlock it and save "
                             "again, or save it when you close it.%1")
                  .arg(saveError.isEmpty() ? QString() : QStringLiteral("\n\n") + saveError),
              {QStringLiteral("OK")}, {});
  return true;
}
