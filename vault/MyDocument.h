#pragma once

#include <functional>
#include <memory>

#include "vault/DocumentTransfer.h"
#include "vault/Vault.h"
#include "vault/VaultWindow.h"
#include "vault/ZVCryptoDoc.h"

// The vault document: what the program asks, tells and shows around one vault.
// The vault does the reading, unlocking, encrypting and writing; the document adds the
// password, alerts, saving rules, the format texts and the window's state, and offers the
// imports and exports its transfer makes.
class MyDocument : public ZVCryptoDoc {
  Q_OBJECT

 public:
  // What opening tells the user first about bytes that are no vault; the reader's own
  // reason follows it.
  static constexpr char kDamagedFile[] = "The file is damaged or is not a vault.";

  MyDocument(QObject* parent = nullptr);
  ~MyDocument() override;

  // Told when a document is made (the application delays its start-up action meanwhile).
  static void setDocumentOpeningNotifier(std::function<void()> notifier);

  Vault& vault() { return vault_; }
  const Vault& vault() const { return vault_; }

  // The document's lists, shared with its list controllers.
  ArrayRef myArray() const { return vault_.records(); }
  void setMyArray(ArrayRef records) { vault_.setRecords(std::move(records)); }
  ArrayRef myCategoryArray() const { return vault_.categories(); }
  void setMyCategoryArray(ArrayRef categories) { vault_.setCategories(std::move(categories)); }
  ArrayRef emailArray() const { return vault_.emails(); }
  void setEmailArray(ArrayRef emails) { vault_.setEmails(std::move(emails)); }
  const std::optional<Date>& documentCreationDate() const { return vault_.creationDate(); }
  void setDocumentCreationDate(std::optional<Date> date) { vault_.setCreationDate(date); }
  FilteringArrayController& recordController() { return vault_.recordController(); }
  ZVColoredCategoryArrayController& categoryController() { return vault_.categoryController(); }
  // A new record as the user's add makes it, added to no list yet.
  DictRef newObject() { return vault_.recordController().newObject(); }
  // Whether there is a record to delete: one is selected and the document is unlocked.
  bool deleteRowShouldBeEnabled() const;
  // The column tables given to import and export.
  const ArrayRef& myKeyArrayForImport() const { return keysForImport_; }
  const ArrayRef& myKeyArrayForExport() const { return keysForExport_; }

  // The import and export of text files, given by the program as it makes the document;
  // without one, the import and export commands do nothing.
  DocumentTransfer* transfer() const { return transfer_.get(); }
  void setTransfer(std::unique_ptr<DocumentTransfer> transfer) { transfer_ = std::move(transfer); }
  // Imports records from a text file chosen by the user (only while unlocked).
  void importFromTextFile();
  // Exports every record, or those the record list shows in its order (only while unlocked).
  void exportAllToTextFile();
  void exportToTextFile();

  quint64 docVersionRapresentation() const { return vault_.formatVersion(); }
  bool YouCanSave() const { return youCanSave_; }
  bool requiresMandatoryPassword() const { return requiresMandatoryPassword_; }
  // Texts that describe the opened file's format.
  const QString& convertFormatString() const { return convertFormatString_; }
  const QString& docReleaseString() const { return docReleaseString_; }
  const QString& moreDocDescription() const { return moreDocDescription_; }

  VaultWindow* window() const { return window_; }
  void setWindow(VaultWindow* window);
  QWidget* windowForSheet() const override;

  DocumentResult<QByteArray> dataOfType(const QString& typeName) override;
  DocumentResult<QByteArrayList> piecesOfType(const QString& typeName) override;
  // Encrypts the live contents into the held pieces; the reason when any piece could not be
  // made, leaving the held pieces as they were.
  VaultResult<void> encryptData();
  ArrayRef getCopyOfContentArrayForSaveOperation() const;
  ArrayRef getCopyOfCategoryArrayForSaveOperation() const;

  bool validateUserInterfaceItem(const UserInterfaceItem& item) override;
  bool autosavesInPlace() const override { return true; }
  QString autosavingFileType() const override;
  // Not after a revert that could not read the file: the document's contents would replace
  // records it never read.
  DocumentResult<void> mayWriteOverFile() const override;
  // A locked document without unsaved changes shows nothing of its file until unlocked.
  bool rereadsChangedFileSilently() const override { return isEncrypted() && !isDocumentEdited(); }
  void updateChangeCount(int changeKind) override;
  void close() override;
  QString windowNibName() const { return QStringLiteral("MyDocument"); }

  // Reads a file into this document, locked; nothing is decrypted. Refused for a file of a
  // newer release (NewerRelease, after its alert; the message stays empty) and for bytes that
  // are no document (NotRead, saying why in words for the user first). A refused file changes
  // nothing.
  DocumentResult<void> readFromData(const QByteArray& data, const QString& typeName);
  // The one way a file is opened: its bytes read into this document as readFromData does.
  DocumentResult<void> readFromURL(const QString& path);
  DocumentResult<void> revertToContentsOfURL(const QString& path, const QString& typeName) override;

  // Unlocks the vault with plainPassword; the caller keeps the document locked on a failure.
  VaultResult<void> unlock() override;
  int decryptDone() override;

  // Locking. The user's lock asks first (and, when another program changed the file, what to
  // do about that before saving over it); the automatic one asks nothing, ends any sheet or
  // dialog on the window, and skips a locked document or one without password or file.
  // Both lock on the next turn of the event loop.
  void lockDocument();
  void lockAutomatically();
  // Saves unsaved changes to the file, seals the contents into the held pieces and lets the
  // plaintext, the undo history and the password go. A save that fails does not stop it: the
  // held pieces keep the changes, the document stays edited and an alert says so (for a file
  // another program changed, at the window's next use). False,
  // after an alert, only when the contents could not be sealed: the document stays unlocked.
  bool doLockDocument();
  bool lockKeptUnsavedChanges() const override { return changesKeptAtLock_; }

 protected:
  void showUnlockFailure(const VaultError& failure) override;

 private:
  void lockAfterAskingAboutChangedFile();
  DesktopViewState currentViewState() const;
  void runExport(std::vector<DictRef> records);

  Vault vault_;
  ArrayRef keysForImport_, keysForExport_;
  bool youCanSave_ = true;
  bool changesKeptAtLock_ = false;
  bool requiresMandatoryPassword_ = true;
  QString convertFormatString_, docReleaseString_, moreDocDescription_;
  bool fileUnread_ = false;  // a revert found the file holding what it could not read
  VaultWindow* window_ = nullptr;
  std::unique_ptr<DocumentTransfer> transfer_;
};
