#include "vault/Vault.h"

#include "platform/crypto/SecureMemory.h"
#include "vault/CategoryMembers.h"
#include "vault/CurrentFormatDecryptor.h"
#include "vault/CurrentFormatEncryptor.h"
#include "vault/LegacyRebuilder.h"
#include "vault/VaultFileReader.h"
#include "vault/VaultFileWriter.h"

namespace {
// The legacy engine's fixed vector: 5e0c93a7d41b68f2.
constexpr unsigned char kLegacyVector[ZVCrypto::kVectorLength] = {0x5e, 0x0c, 0x93, 0xa7,
                                                                  0xd4, 0x1b, 0x68, 0xf2};

DesktopViewState newDocumentViewState() {
  DesktopViewState state;
  state.toolbarVisible = false;
  return state;
}
}  // namespace

Vault::Vault()
    : emails_(Array::create()), creationDate_(Date::now()), viewState_(newDocumentViewState()) {
  records_.myCategoryArrayController = &categories_;
  records_.setContent(Array::create());
  categories_.setContent(Array::create());
}

Vault::~Vault() = default;

void Vault::setRecords(ArrayRef records) {
  records_.setContent(records ? std::move(records) : Array::create());
}

void Vault::setCategories(ArrayRef categories) {
  categories_.setContent(categories ? std::move(categories) : Array::create());
}

void Vault::wipeStrings(const std::vector<Value>& entries) {
  for (const Value& v : entries) {
    if (const QString* text = v.stringPointer()) {
      QString shared = *text;  // the same characters: the wipe reaches every holder
      SecureMemory::wipe(shared);
    } else if (const Dictionary* entry = v.dictionaryPointer()) {
      for (const auto& [key, field] : entry->entries())
        if (const QString* text = field.stringPointer()) {
          QString shared = *text;
          SecureMemory::wipe(shared);
        }
    }
  }
}

VaultContents Vault::contents() const { return {records(), categories(), emails_, creationDate_}; }

VaultResult<void> Vault::read(const QByteArray& bytes) {
  VaultResult<VaultFile> file = VaultFileReader::read(bytes);
  if (!file) return file.failure();
  file_ = file.take();
  frameStored_ = file_.desktop.has_value();
  viewState_ = file_.desktop.value_or(newDocumentViewState());
  // Reading over unlocked contents (a revert) lets them go as a lock does.
  releaseAndWipeContents();
  return {};
}

VaultResult<void> Vault::unlock(const QString& password) {
  const VaultFormat::Path path = VaultFormat::pathOf(file_.version);
  if (VaultFormat::isLegacy(path)) return unlockLegacy(password, path);
  return unlockCurrent(password, path == VaultFormat::Path::CurrentClearingPinAndSecurity);
}

VaultResult<void> Vault::unlockCurrent(const QString& password, bool clearPinAndSecurity) {
  // A version that takes this path without being of the current group holds no check string.
  if (file_.group != VaultFormat::Group::Current) return VaultError::wrongPassword(0);
  // The key is derived once, at the first decryption, and serves every piece.
  auto engine = std::make_unique<ZVCommonCrypto>();
  engine->setPasswordToDecrypt(password, file_.pieces.iv, file_.pieces.salt);
  VaultResult<VaultContents> contents =
      CurrentFormatDecryptor::decrypt(*engine, file_.pieces, clearPinAndSecurity);
  if (!contents) return contents.failure();
  install(contents.take());
  engine_ = std::move(engine);
  // What the pieces held is now in the lists; the next encryption makes new ones.
  HeldPieces& p = file_.pieces;
  p.records = p.categories = p.emails = p.creationDate = QByteArray();
  locked_ = false;
  return {};
}

VaultResult<void> Vault::unlockLegacy(const QString& password, VaultFormat::Path path) {
  // Every attempt starts from empty contents, and a failed one leaves them empty again.
  install({});
  const ZVCrypto engine(kLegacyVector, password);
  LegacyRebuilder rebuilder(engine, records_, categories_);
  if (const std::int32_t code =
          rebuilder.rebuild(path, file_.legacy.records, file_.legacy.categories)) {
    install({});
    if (code == LegacyRebuilder::kNotStoredAsCipherText)
      return VaultError{VaultError::Reason::DamagedEntries,
                        QStringLiteral("A record or category of the document is not stored as "
                                       "its format stores them."),
                        0};
    // Blowfish has no check string: a field that will not decrypt is the password's fault.
    return VaultError::wrongPassword(code);
  }
  locked_ = false;
  return {};
}

void Vault::install(const VaultContents& contents) {
  releaseCategoryLinks();
  setRecords(contents.records);
  setCategories(contents.categories);
  setEmails(contents.emails);
  creationDate_ = contents.creationDate;
}

void Vault::releaseCategoryLinks() {
  for (const Value& v : categories()->values())
    if (Dictionary* category = v.dictionaryPointer())
      if (IdentitySet* members = CategoryMembers::of(*category)) members->clear();
}

ZVCommonCrypto& Vault::engineFor(const QString& password) {
  if (engine_ && engine_->password() == password) {
    engine_->recalcIV_Salt_AESKey();
  } else {
    // A new engine comes with its own new salt and IV.
    engine_ = std::make_unique<ZVCommonCrypto>(password);
  }
  return *engine_;
}

VaultResult<void> Vault::encrypt(const QString& password) {
  VaultResult<HeldPieces> pieces = CurrentFormatEncryptor::encrypt(engineFor(password), contents());
  if (!pieces) return pieces.failure();
  file_.pieces = pieces.take();
  file_.version = VaultFormat::kCurrentVersion;
  file_.group = VaultFormat::Group::Current;
  file_.legacy = {};
  return {};
}

VaultResult<void> Vault::lock(const QString& password, const DesktopViewState& desktop) {
  if (locked_) return {};
  VaultResult<void> sealed = encrypt(password);
  if (!sealed) return sealed;
  file_.desktop = desktop;
  viewState_ = desktop;  // the next unlock comes back as the window was
  frameStored_ = true;
  releaseAndWipeContents();
  return {};
}

void Vault::releaseAndWipeContents() {
  // The entries themselves: releasing may empty the shared lists in place.
  std::vector<Value> released;
  for (const ArrayRef& list : {records(), categories(), emails_})
    if (list) released.insert(released.end(), list->values().begin(), list->values().end());
  releaseContents();
  // Nothing shows the plaintext any more: its characters are wiped before they are freed.
  wipeStrings(released);
}

void Vault::discardContents() {
  if (locked_) return;
  std::vector<Value> released;
  for (const ArrayRef& list : {records(), categories(), emails_})
    if (list) released.insert(released.end(), list->values().begin(), list->values().end());
  releaseContents();
  wipeStrings(released);
}

void Vault::releaseContents() {
  install({});
  engine_.reset();
  locked_ = true;
}

VaultResult<QByteArray> Vault::fileData(const QString& password, const DesktopViewState& desktop) {
  VaultResult<QByteArrayList> pieces = filePieces(password, desktop);
  if (!pieces) return pieces.failure();
  return pieces.value().join();
}

VaultResult<QByteArrayList> Vault::filePieces(const QString& password,
                                              const DesktopViewState& desktop) {
  // A locked vault's pieces are all that belong together: a new salt or check string here
  // would not match ciphertexts it cannot re-encrypt.
  if (locked_) {
    if (file_.group != VaultFormat::Group::Current)
      return VaultError{
          VaultError::Reason::OlderFormat,
          QStringLiteral("A vault of an older format is written once it is unlocked."), 0};
    return VaultFileWriter::write(file_);
  }
  VaultResult<void> sealed = encrypt(password);
  if (!sealed) return sealed.failure();
  file_.desktop = desktop;
  return VaultFileWriter::write(file_);
}
