#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

#include "vault/FilteringArrayController.h"
#include "vault/VaultContents.h"
#include "vault/VaultError.h"
#include "vault/VaultFile.h"
#include "vault/ZVColoredCategoryArrayController.h"
#include "vault/ZVCommonCrypto.h"
#include "vault/ZVCrypto.h"

// One vault: its records, categories, e-mail list and creation date while unlocked, the
// encrypted pieces of its file while locked, and the view state its file carries. It reads
// file bytes, unlocks them in every format version, encrypts its contents back into pieces
// and writes the current format. It knows no window: the document around it decides what
// the user sees.
class Vault {
 public:
  // A new vault: unlocked, empty, made now.
  Vault();
  ~Vault();
  Vault(const Vault&) = delete;
  Vault& operator=(const Vault&) = delete;

  // Holds the pieces of a file and locks the vault, letting go of what it showed (its strings
  // wiped, as at a lock); nothing is decrypted. A failure (not a vault, a newer release, a
  // version its pieces contradict) leaves the vault exactly as it was.
  VaultResult<void> read(const QByteArray& bytes);
  // Replaces the contents with what the held pieces hold. A failure keeps every held piece
  // and the contents as they were, so the next attempt starts afresh.
  VaultResult<void> unlock(const QString& password);
  // Encrypts the contents into new held pieces: a new salt, IV and check string each time.
  // The vault stays unlocked; a failure keeps the held pieces as they were.
  VaultResult<void> encrypt(const QString& password);
  // Encrypts, then lets the contents and the key go, their strings wiped: the vault holds
  // ciphertext only, and the desktop state of that moment for its file and its next unlock.
  VaultResult<void> lock(const QString& password, const DesktopViewState& desktop);
  // Lets the contents and the key go without encrypting them, their strings wiped: for a vault
  // whose document closes. The held pieces stay as they were.
  void discardContents();
  // The file's bytes. An unlocked vault is encrypted first and written with the given
  // desktop state; a locked one writes its held pieces, version and desktop state unchanged.
  VaultResult<QByteArray> fileData(const QString& password, const DesktopViewState& desktop);
  // The same bytes as pieces to write one after the other, the ciphertexts not copied.
  VaultResult<QByteArrayList> filePieces(const QString& password, const DesktopViewState& desktop);

  bool isLocked() const { return locked_; }
  quint64 formatVersion() const { return file_.version; }
  VaultFormat::Group formatGroup() const { return file_.group; }
  const HeldPieces& heldPieces() const { return file_.pieces; }
  const LegacyPieces& legacyPieces() const { return file_.legacy; }
  const DictRef& mobilePlatformDictionary() const { return file_.mobilePlatformDictionary; }

  // The view state to restore at unlock: read from a current file's desktop dictionary.
  bool hasStoredWindowFrame() const { return frameStored_; }
  const DesktopViewState& viewState() const { return viewState_; }
  void setViewState(const DesktopViewState& state) { viewState_ = state; }

  // The contents; the lists are shared with the list controllers.
  ArrayRef records() const { return records_.content(); }
  void setRecords(ArrayRef records);
  ArrayRef categories() const { return categories_.content(); }
  void setCategories(ArrayRef categories);
  ArrayRef emails() const { return emails_; }
  void setEmails(ArrayRef emails) { emails_ = emails ? std::move(emails) : Array::create(); }
  const std::optional<Date>& creationDate() const { return creationDate_; }
  void setCreationDate(std::optional<Date> date) { creationDate_ = date; }
  VaultContents contents() const;

  FilteringArrayController& recordController() { return records_; }
  const FilteringArrayController& recordController() const { return records_; }
  ZVColoredCategoryArrayController& categoryController() { return categories_; }

  // Zeroes the characters of these strings and of the strings in these dictionaries.
  static void wipeStrings(const std::vector<Value>& entries);

 private:
  VaultResult<void> unlockCurrent(const QString& password, bool clearPinAndSecurity);
  VaultResult<void> unlockLegacy(const QString& password, VaultFormat::Path path);
  // The lists, e-mail list and date of contents; empty contents leave the vault empty.
  void install(const VaultContents& contents);
  // Replacing the lists: the old categories let go of their records, or each pair would keep
  // the other alive.
  void releaseCategoryLinks();
  // Locked: the lists empty, the key gone.
  void releaseContents();
  // The same, the strings of the records, categories and e-mail list wiped as they go.
  void releaseAndWipeContents();
  ZVCommonCrypto& engineFor(const QString& password);

  FilteringArrayController records_;
  ZVColoredCategoryArrayController categories_;
  ArrayRef emails_;
  std::optional<Date> creationDate_;
  VaultFile file_;
  DesktopViewState viewState_;
  std::unique_ptr<ZVCommonCrypto> engine_;  // the key of the unlocked contents
  bool frameStored_ = false;                // the file read had a desktop state
  bool locked_ = false;
};
