#include "vault/MyDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "Common/ZVAppSupportUtility.h"
#include "platform/Alert.h"
#include "platform/KeyedArchiver.h"
#include "platform/SecureMemory.h"
#include "vault/CurrentFormatDecryptor.h"
#include "vault/LegacyRebuilder.h"
#include "vault/VaultKeys.h"

namespace {
// The legacy engine's fixed vector: 5e0c93a7d41b68f2.
constexpr unsigned char kLegacyVector[ZVCrypto::kVectorLength] = {0x5e, 0x0c, 0x93, 0xa7,
                                                                  0xd4, 0x1b, 0x68, 0xf2};

std::function<void()>& openingNotifier() {
  static std::function<void()> notifier;
  return notifier;
}

Value rectValue(const std::optional<Rect>& frame) { return Value(frame.value_or(Rect{})); }

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
    : ZVCryptoDoc(parent),
      myArray_(Array::create()),
      myCategoryArray_(Array::create()),
      emailArray_(Array::create()),
      myCryptoEngine_(kLegacyVector, QString()) {
  records_.myDoc = this;
  records_.myCategoryArrayController = &categories_;
  categories_.myDoc = this;
  records_.setContent(myArray_);
  categories_.setContent(myCategoryArray_);
  myKeyArrayForImport = fieldKeyTable();
  myKeyArrayForExport = fieldKeyTable();
  categoryDescriptor = {{QStringLiteral("categoryPtr.cat_category"), true, {}}};
  if (const auto& notify = openingNotifier()) notify();
}

MyDocument::~MyDocument() = default;

void MyDocument::setDocumentOpeningNotifier(std::function<void()> notifier) {
  openingNotifier() = std::move(notifier);
}

void MyDocument::setMyArray(ArrayRef records) {
  myArray_ = records ? std::move(records) : Array::create();
  records_.setContent(myArray_);
}

void MyDocument::setMyCategoryArray(ArrayRef categories) {
  myCategoryArray_ = categories ? std::move(categories) : Array::create();
  categories_.setContent(myCategoryArray_);
}

void MyDocument::setWindow(VaultWindow* window) {
  window_ = window;
  myWindow = window ? window->widget() : nullptr;
}

QWidget* MyDocument::windowForSheet() const { return myWindow; }

ArrayRef MyDocument::fieldKeyTable() {
  static const std::pair<const char*, const char*> entries[] = {
      {"Category", "categoryPtr.cat_category"},
      {"Name", "name"},
      {"Url", "url"},
      {"Account", "account"},
      {"User ID", "userID"},
      {"Password", "password"},
      {"Pin", "pin"},
      {"Security", "security"},
      {"Email", "email"},
      {"Note", "note"}};
  auto table = Array::create();
  for (const auto& [publicKey, innerKey] : entries) {
    auto entry = Dictionary::create();
    entry->setValue(QStringLiteral("publicKey"), QString::fromLatin1(publicKey));
    entry->setValue(QStringLiteral("innerKey"), QString::fromLatin1(innerKey));
    table->append(entry);
  }
  return table;
}

QString MyDocument::autosavingFileType() const {
  if (isEncrypted() || plainPassword().isEmpty()) return {};
  return fileType();
}

void MyDocument::updateChangeCount(int changeKind) {
  if (isEncrypted()) return;  // a locked document has nothing to save
  ZVCryptoDoc::updateChangeCount(changeKind);
}

ArrayRef MyDocument::getCopyOfContentArrayForSaveOperation() const {
  auto stored = Array::create();
  stored->values().reserve(myArray_->values().size());
  for (const auto& v : myArray_->values()) {
    const Dictionary* record = v.dictionaryPointer();
    if (!record) continue;
    DictRef copy = record->copy();
    const Dictionary* category = record->value(RecordKeys::categoryPtr()).dictionaryPointer();
    const qint64 id = category ? category->value(CategoryKeys::uniqueID()).toInteger(0) : 0;
    copy->setValue(RecordKeys::categoryID(), Value::integer(id));
    copy->removeValue(RecordKeys::categoryPtr());
    stored->append(copy);
  }
  return stored;
}

ArrayRef MyDocument::getCopyOfCategoryArrayForSaveOperation() const {
  auto stored = Array::create();
  for (const auto& v : myCategoryArray_->values())
    if (const Dictionary* category = v.dictionaryPointer()) stored->append(category->copy());
  return stored;
}

std::unique_ptr<ZVCommonCrypto> MyDocument::newEngine(QString* error) const {
  auto engine = std::make_unique<ZVCommonCrypto>(plainPassword());
  if (engine->salt().size() != ZVCommonCrypto::kSaltLength ||
      engine->IV().size() != ZVCommonCrypto::kIVLength) {
    if (error) *error = QStringLiteral("No random salt and IV could be made.");
    return nullptr;
  }
  return engine;
}

bool MyDocument::hasEngineForPassword() const {
  return myCommonCrypto_ && myCommonCrypto_->password() == plainPassword();
}

std::optional<MyDocument::CheckPieces> MyDocument::makeCheckPieces(ZVCommonCrypto& engine,
                                                                   QString* error) {
  QByteArray check = ZVCommonCrypto::generateRandom256AsciiString().toUtf8();
  std::int32_t status = 0;
  std::optional<QByteArray> cipherText = engine.encrypt(check, &status);
  CheckPieces pieces{ZVCommonCrypto::dataSHA1(check), cipherText.value_or(QByteArray())};
  SecureMemory::wipe(check);
  if (!cipherText || status != 0) {
    if (error)
      *error = QStringLiteral("The check string could not be encrypted (status %1).").arg(status);
    return std::nullopt;
  }
  return pieces;
}

std::optional<MyDocument::Pieces> MyDocument::encryptPieces(ZVCommonCrypto& engine,
                                                            QString* error) const {
  const Value creation = documentCreationDate ? Value(*documentCreationDate) : Value();
  const Value roots[] = {Value(getCopyOfContentArrayForSaveOperation()),
                         Value(getCopyOfCategoryArrayForSaveOperation()), Value(emailArray_),
                         creation};
  const char* names[] = {"records", "categories", "e-mail list", "creation date"};
  Pieces pieces;
  for (int i = 0; i < 4; ++i) {
    if (roots[i].isAbsent()) continue;  // no creation date: the key stays out of the file
    Result<QByteArray> archive = KeyedArchiver::archivedDataWithRootObject(roots[i]);
    if (!archive) {
      if (error)
        *error = QStringLiteral("The %1 could not be archived: %2")
                     .arg(QString::fromLatin1(names[i]), archive.error());
      return std::nullopt;
    }
    std::int32_t status = 0;
    std::optional<QByteArray> cipherText = engine.encrypt(archive.value(), &status);
    SecureMemory::wipe(archive.value());  // plaintext of the records
    if (!cipherText || status != 0) {
      if (error)
        *error = QStringLiteral("The %1 could not be encrypted (status %2).")
                     .arg(QString::fromLatin1(names[i]))
                     .arg(status);
      return std::nullopt;
    }
    pieces.cipherTexts[std::size_t(i)] = std::move(*cipherText);
  }
  return pieces;
}

void MyDocument::holdPieces(const Pieces& pieces) {
  myEncryptedArrayData = pieces.cipherTexts[0];
  myEncryptedCategoryArrayData = pieces.cipherTexts[1];
  myEncryptedEmailArrayData = pieces.cipherTexts[2];
  myEncryptedDocumentCreationDateData = pieces.cipherTexts[3];
  docVersionRapresentation = kCurrentFormatVersion;
}

bool MyDocument::encryptData(QString* error) {
  // Everything is made first and held only when all of it exists, so the held salt, IV,
  // check pieces and ciphertexts always belong together.
  std::unique_ptr<ZVCommonCrypto> fresh;
  std::optional<CheckPieces> check;
  if (!hasEngineForPassword()) {
    fresh = newEngine(error);
    if (!fresh) return false;
    check = makeCheckPieces(*fresh, error);
    if (!check) return false;
  }
  ZVCommonCrypto& engine = fresh ? *fresh : *myCommonCrypto_;
  const std::optional<Pieces> pieces = encryptPieces(engine, error);
  if (!pieces) return false;
  if (fresh) {
    myCommonCrypto_ = std::move(fresh);
    mySalt = myCommonCrypto_->salt();
    myIV = myCommonCrypto_->IV();
    mySha1_RcData = check->digest;
    myRCDataEncrypted = check->cipherText;
  }
  holdPieces(*pieces);
  return true;
}

DictRef MyDocument::buildPlatformDictionary() const {
  auto d = Dictionary::create();
  const Rect frame = window_ ? window_->frame() : Rect{};
  d->setValue(QStringLiteral("windowRecHeight"), Value::real(frame.height));
  d->setValue(QStringLiteral("windowRecWidth"), Value::real(frame.width));
  d->setValue(QStringLiteral("windowRecX"), Value::real(frame.x));
  d->setValue(QStringLiteral("windowRecY"), Value::real(frame.y));
  const ArrayRef sizes = window_ ? window_->getColumnSize() : ArrayRef();
  const ArrayRef visibilities = window_ ? window_->getColumnVisibility() : ArrayRef();
  d->setValue(QStringLiteral("columnSizes"), sizes ? sizes : Array::create());
  d->setValue(QStringLiteral("columnVisibilities"), visibilities ? visibilities : Array::create());
  d->setValue(QStringLiteral("splitLeftFrame"),
              rectValue(window_ ? window_->splitPaneFrame(0) : std::nullopt));
  d->setValue(QStringLiteral("splitRightFrame"),
              rectValue(window_ ? window_->splitPaneFrame(1) : std::nullopt));
  d->setValue(QStringLiteral("makeToolbarVisibleAtDecrypt"),
              Value::boolean(window_ ? window_->isToolbarVisible() : false));
  if (customTableSettings) d->setValue(QStringLiteral("customTableSettings"), customTableSettings);
  if (!latestOrderedColumn.isEmpty())
    d->setValue(QStringLiteral("latestOrderedColumn"), latestOrderedColumn);
  if (latestOrderedColumnAscending)
    d->setValue(QStringLiteral("latestOrderedColumnAscending"), Value::boolean(true));
  return d;
}

DictRef MyDocument::buildDocumentDictionary() const {
  auto d = Dictionary::create();
  auto putData = [&](const char* key, const QByteArray& bytes) {
    if (!bytes.isNull()) d->setValue(QString::fromLatin1(key), Value::data(bytes));
  };
  d->setValue(QStringLiteral("appversion"), Value::unsignedInteger(kCurrentFormatVersion));
  d->setValue(QStringLiteral("latestPlatform"), QStringLiteral("OSX"));
  putData("dataArrayData", myEncryptedArrayData);
  putData("catArrayData", myEncryptedCategoryArrayData);
  putData("emailArrayData", myEncryptedEmailArrayData);
  putData("documentCreationDateData", myEncryptedDocumentCreationDateData);
  putData("salt", mySalt);
  putData("IV", myIV);
  putData("rc", myRCDataEncrypted);
  putData("sha1-rc", mySha1_RcData);
  if (OSXPlatformDictionary)
    d->setValue(QStringLiteral("OSXPlatformDictionary"), OSXPlatformDictionary);
  if (myiOSPlatformDictionary)
    d->setValue(QStringLiteral("iOSPlatformDictionary"), myiOSPlatformDictionary);
  return d;
}

std::optional<QByteArray> MyDocument::dataOfType(const QString&, QString* error) {
  if (!YouCanSave) return std::nullopt;
  // A locked document writes the pieces it holds, unchanged: they are all that belong
  // together. Making a new engine here would replace the salt and check string of
  // ciphertexts it cannot re-encrypt.
  if (!isEncrypted()) {
    // A new salt and IV for every save; the check string is made once, under them.
    std::unique_ptr<ZVCommonCrypto> fresh;
    if (!hasEngineForPassword()) {
      fresh = newEngine(error);
      if (!fresh) return std::nullopt;
    }
    ZVCommonCrypto& engine = fresh ? *fresh : *myCommonCrypto_;
    engine.recalcIV_Salt_AESKey();
    const bool renewed = engine.salt().size() == ZVCommonCrypto::kSaltLength &&
                         engine.IV().size() == ZVCommonCrypto::kIVLength;
    std::optional<Pieces> pieces = renewed ? encryptPieces(engine, error) : std::nullopt;
    std::optional<CheckPieces> check = pieces ? makeCheckPieces(engine, error) : std::nullopt;
    if (!check) {
      if (!renewed && error) *error = QStringLiteral("No random salt and IV could be made.");
      // The engine's salt no longer matches the held pieces: the next encryption makes a
      // new engine and a complete new set.
      myCommonCrypto_.reset();
      return std::nullopt;
    }
    if (fresh) myCommonCrypto_ = std::move(fresh);
    holdPieces(*pieces);
    mySalt = myCommonCrypto_->salt();
    myIV = myCommonCrypto_->IV();
    mySha1_RcData = check->digest;
    myRCDataEncrypted = check->cipherText;
    OSXPlatformDictionary = buildPlatformDictionary();
  }
  Result<QByteArray> file =
      KeyedArchiver::archivedDataWithRootObject(Value(buildDocumentDictionary()));
  if (!file) {
    if (error) *error = file.error();
    return std::nullopt;
  }
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
}

bool MyDocument::readFromData(const QByteArray& data, const QString&, QString* error) {
  // A file that is refused changes nothing: a document being reverted stays as it was,
  // unlocked and saveable.
  Result<VaultFile> file = VaultFileReader::read(data);
  if (!file) {
    if (error) *error = file.error();
    return false;
  }
  if (file.value().group == VaultFormat::Group::Refused) {
    ZVAppSupportUtility::sayFilecreatedWithANewerVersion(windowForSheet());
    return false;
  }
  YouCanSave = false;
  if (window_) window_->setToolbarVisible(false);
  requiresMandatoryPassword = false;
  docVersionRapresentation = file.value().version;
  docReleaseString =
      ZVAppSupportUtility::calcReleaseString(static_cast<long>(docVersionRapresentation));
  convertFormatString =
      docVersionRapresentation == kCurrentFormatVersion
          ? QStringLiteral("Document is in the current application format")
          : QStringLiteral(
                "Document is in an old format. It will be converted to the current application "
                "format");
  setIsEncrypted(true);
  myEncryptedCategoryArray.reset();
  myEncryptedDocumentCreationDateData = QByteArray();
  holdFile(file.value());
  setIsEncrypted(true);
  return true;
}

void MyDocument::holdFile(const VaultFile& f) {
  using Group = VaultFormat::Group;
  if (f.group == Group::Current) {
    mySalt = f.salt;
    myIV = f.iv;
    myEncryptedArrayData = f.dataArrayData;
    myEncryptedCategoryArrayData = f.catArrayData;
    myEncryptedEmailArrayData = f.emailArrayData;
    myEncryptedDocumentCreationDateData = f.documentCreationDateData;
    myRCDataEncrypted = f.rc;
    mySha1_RcData = f.sha1Rc;
    useMyWinRect = f.hints.useMyWinRect;
    myWinRectToUse = f.hints.myWinRectToUse;
    startColumnSizes = f.hints.startColumnSizes;
    startColumnVisibilities = f.hints.startColumnVisibilities;
    splitLeftFrame = f.hints.splitLeftFrame;
    splitRightFrame = f.hints.splitRightFrame;
    customTableSettings = f.hints.customTableSettings;
    latestOrderedColumn = f.hints.latestOrderedColumn;
    latestOrderedColumnAscending = f.hints.latestOrderedColumnAscending;
    makeToolbarVisibleAtDecrypt = f.hints.makeToolbarVisibleAtDecrypt;
    myiOSPlatformDictionary = f.iOSPlatformDictionary;
    moreDocDescription = QString::fromLatin1(kCompatibleText);
    YouCanSave = true;
    return;
  }
  heldColumnWidths = f.widths;
  // The older frame is held but not restored at unlock (useMyWinRect stays as it was).
  if (f.group == Group::SevenWidths || f.group == Group::FiveWidths || f.group == Group::Frame)
    myWinRectToUse = f.legacyWindowFrame;
  if (f.group != Group::RecordsOnly) myEncryptedCategoryArray = f.catArray;
  myEncriptedArray = f.dataArray;
  moreDocDescription = QString::fromLatin1(kNotCompatibleText);
}

bool MyDocument::revertToContentsOfURL(const QString& path, const QString& typeName,
                                       QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error) *error = file.errorString();
    return false;
  }
  const QByteArray bytes = file.readAll();
  QString reason;
  if (!readFromData(bytes, typeName, &reason)) {
    if (error)
      *error = reason.isEmpty() ? QStringLiteral("It was made by a newer release.") : reason;
    return false;
  }
  // Back to the state of a freshly opened document: what was unlocked is gone.
  releaseCategoryLinks();
  setMyArray(nullptr);
  setMyCategoryArray(nullptr);
  setEmailArray(nullptr);
  documentCreationDate.reset();
  makeToolbarVisibleAtDecrypt = window_ ? window_->isToolbarVisible() : false;
  // The document now matches its file; being locked, it would ignore the caller's clearing.
  Document::updateChangeCount(ChangeCleared);
  return true;
}

std::unique_ptr<MyDocument> MyDocument::openDocumentWithContentsOfURL(const QString& path,
                                                                      QString* error) {
  QString reason;
  QFile file(path);
  auto doc = std::make_unique<MyDocument>();
  if (!file.open(QIODevice::ReadOnly)) {
    reason = file.errorString();
  } else if (doc->readFromData(file.readAll(), doc->fileType(), &reason)) {
    doc->setFileURL(path);
    return doc;
  } else if (reason.isEmpty()) {
    return nullptr;  // a newer release's file: its own alert has been shown
  }
  if (error) *error = reason;
  Alert alert;
  alert.messageText =
      QStringLiteral("The document “%1” could not be opened.").arg(QFileInfo(path).fileName());
  alert.informativeText = reason;
  alert.addButtonWithTitle(QStringLiteral("OK"));
  alert.runModal();
  return nullptr;
}

int MyDocument::Decript() {
  myCryptoEngine_.setPassword(plainPassword());
  detailViewCollapsed = false;
  documentCreationDate.reset();
  if (docVersionRapresentation >= 30000) {
    // The engine's key is derived once, at its first decryption, and serves every piece.
    myCommonCrypto_ = std::make_unique<ZVCommonCrypto>(plainPassword());
    myCommonCrypto_->setPasswordToDecrypt(plainPassword(), myIV, mySalt);
  }
  const VaultFormat::Path path = VaultFormat::pathOf(docVersionRapresentation);
  if (VaultFormat::isLegacy(path)) return decryptLegacy(path);
  return decryptCurrent(path == VaultFormat::Path::CurrentClearingPinAndSecurity);
}

int MyDocument::decryptCurrent(bool clearPinAndSecurity) {
  CurrentPieces pieces{myRCDataEncrypted,         mySha1_RcData,
                       myEncryptedArrayData,      myEncryptedCategoryArrayData,
                       myEncryptedEmailArrayData, myEncryptedDocumentCreationDateData};
  CurrentContents contents;
  const std::int32_t code =
      CurrentFormatDecryptor::decrypt(myCommonCrypto_.get(), pieces, clearPinAndSecurity, contents);
  // Pieces read before a failure are released, as the e-mail list is installed.
  myEncryptedArrayData = pieces.records;
  myEncryptedCategoryArrayData = pieces.categories;
  myEncryptedEmailArrayData = pieces.emails;
  myEncryptedDocumentCreationDateData = pieces.creationDate;
  if (contents.emails) setEmailArray(contents.emails);
  if (code != 0) return code;
  documentCreationDate = contents.creationDate;
  releaseCategoryLinks();
  setMyArray(contents.records);
  setMyCategoryArray(contents.categories);
  return 0;
}

int MyDocument::decryptLegacy(VaultFormat::Path path) {
  // Every attempt starts from empty lists, so a failed one leaves nothing for the next.
  releaseCategoryLinks();
  setMyArray(Array::create());
  setMyCategoryArray(Array::create());
  LegacyRebuilder rebuilder(myCryptoEngine_, records_, categories_);
  return rebuilder.rebuild(path, myEncriptedArray, myEncryptedCategoryArray);
}

void MyDocument::releaseCategoryLinks() {
  for (const Value& v : myCategoryArray_->values())
    if (Dictionary* category = v.dictionaryPointer())
      if (IdentitySet* members = category->records()) members->clear();
}

int MyDocument::decryptDone() {
  if (!documentCreationDate) documentCreationDate = Date::now();
  setIsEncrypted(false);
  if (window_) {
    Rect frame = window_->frame();
    frame.height = kUnlockedDefaultHeight;
    window_->setFrame(useMyWinRect ? myWinRectToUse : frame, true);
    window_->setToolbarVisible(makeToolbarVisibleAtDecrypt);
  }
  YouCanSave = true;
  return 1;
}

void MyDocument::restoreFromSaveOperationContent(const ArrayRef& records,
                                                 const ArrayRef& categories) {
  CurrentFormatDecryptor::restoreFromSaveOperationContent(records, categories);
}

DictRef MyDocument::catInArray(const ArrayRef& categories, qint64 uniqueID) {
  return CurrentFormatDecryptor::catInArray(categories, uniqueID);
}
