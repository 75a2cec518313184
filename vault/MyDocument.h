#pragma once

#include <array>
#include <functional>
#include <memory>

#include "platform/Dictionary.h"
#include "vault/FilteringArrayController.h"
#include "vault/VaultFileReader.h"
#include "vault/VaultWindow.h"
#include "vault/ZVColoredCategoryArrayController.h"
#include "vault/ZVCommonCrypto.h"
#include "vault/ZVCrypto.h"
#include "vault/ZVCryptoDoc.h"

// The vault document: records, categories, e-mail list and creation date, the encrypted
// pieces held from its file, and the writing of the current file format.
class MyDocument : public ZVCryptoDoc {
  Q_OBJECT

 public:
  static constexpr quint64 kCurrentFormatVersion = 40100;

  MyDocument(QObject* parent = nullptr);
  ~MyDocument() override;

  // Told when a document is made (the application delays its start-up action meanwhile).
  static void setDocumentOpeningNotifier(std::function<void()> notifier);

  // The document's lists, shared with its list controllers.
  ArrayRef myArray() const { return myArray_; }
  void setMyArray(ArrayRef records);
  ArrayRef myCategoryArray() const { return myCategoryArray_; }
  void setMyCategoryArray(ArrayRef categories);
  ArrayRef emailArray() const { return emailArray_; }
  void setEmailArray(ArrayRef emails) { emailArray_ = emails ? emails : Array::create(); }
  std::optional<Date> documentCreationDate;

  FilteringArrayController& recordController() { return records_; }
  ZVColoredCategoryArrayController& categoryController() { return categories_; }

  ZVCrypto& myCryptoEngine() { return myCryptoEngine_; }
  ZVCommonCrypto* myCommonCrypto() const { return myCommonCrypto_.get(); }

  // Held pieces: belong together (one password, mySalt, myIV).
  QByteArray mySalt, myIV, myRCDataEncrypted, mySha1_RcData;
  QByteArray myEncryptedArrayData, myEncryptedCategoryArrayData, myEncryptedEmailArrayData,
      myEncryptedDocumentCreationDateData;
  ArrayRef myEncriptedArray, myEncryptedCategoryArray;  // older formats, per field
  quint64 docVersionRapresentation = 0;

  bool YouCanSave = true;
  bool isEditable = false;
  bool requiresMandatoryPassword = true;
  DictRef OSXPlatformDictionary;
  DictRef myiOSPlatformDictionary;
  bool useMyWinRect = false;
  Rect myWinRectToUse;

  // View state read from a file and given back at unlock.
  ArrayRef startColumnSizes, startColumnVisibilities;
  Rect splitLeftFrame, splitRightFrame;
  bool makeToolbarVisibleAtDecrypt = false;
  ArrayRef customTableSettings;
  QString latestOrderedColumn;
  bool latestOrderedColumnAscending = false;

  QString convertFormatString, docReleaseString, moreDocDescription;
  LegacyColumnWidths heldColumnWidths;
  bool detailViewCollapsed = false;
  ArrayRef myKeyArrayForImport, myKeyArrayForExport;
  std::vector<ArrayController::SortDescriptor> categoryDescriptor;
  bool prevFilterInaction = false;
  bool usageCountDirtyFlag = false;

  VaultWindow* window() const { return window_; }
  void setWindow(VaultWindow* window);

  std::optional<QByteArray> dataOfType(const QString& typeName, QString* error) override;
  // Re-encrypts the live contents into the held pieces; false (with a reason) when any
  // piece could not be made, leaving the held pieces as they were.
  bool encryptData(QString* error = nullptr);
  ArrayRef getCopyOfContentArrayForSaveOperation() const;
  ArrayRef getCopyOfCategoryArrayForSaveOperation() const;

  bool autosavesInPlace() const override { return true; }
  QString autosavingFileType() const override;
  void updateChangeCount(int changeKind) override;
  void close() override;
  QString windowNibName() const { return QStringLiteral("MyDocument"); }
  QWidget* windowForSheet() const override;

  static ArrayRef fieldKeyTable();

  // Reads a file into this document, locked; nothing is decrypted. False for a file of a
  // newer release (after its alert; error stays empty) and for bytes that are no document
  // (error says why).
  bool readFromData(const QByteArray& data, const QString& typeName, QString* error);
  bool revertToContentsOfURL(const QString& path, const QString& typeName, QString* error) override;
  // A new locked document of the file at path; none, after an alert, when it cannot be opened.
  static std::unique_ptr<MyDocument> openDocumentWithContentsOfURL(const QString& path,
                                                                   QString* error = nullptr);

  // Unlocks with plainPassword: 0, or why not (the caller keeps the document locked).
  int Decript() override;
  int decryptDone() override;
  void restoreFromSaveOperationContent(const ArrayRef& records, const ArrayRef& categories);
  static DictRef catInArray(const ArrayRef& categories, qint64 uniqueID);

 private:
  struct CheckPieces {
    QByteArray digest;
    QByteArray cipherText;
  };
  struct Pieces {
    std::array<QByteArray, 4> cipherTexts;  // records, categories, e-mail list, creation date
  };
  bool hasEngineForPassword() const;
  std::unique_ptr<ZVCommonCrypto> newEngine(QString* error) const;
  static std::optional<CheckPieces> makeCheckPieces(ZVCommonCrypto& engine, QString* error);
  std::optional<Pieces> encryptPieces(ZVCommonCrypto& engine, QString* error) const;
  void holdPieces(const Pieces& pieces);
  DictRef buildPlatformDictionary() const;
  DictRef buildDocumentDictionary() const;
  void holdFile(const VaultFile& file);
  int decryptCurrent(bool clearPinAndSecurity);
  int decryptLegacy(VaultFormat::Path path);
  // Replacing the lists: the old categories let go of their records, or each pair would keep
  // the other alive.
  void releaseCategoryLinks();

  ArrayRef myArray_;
  ArrayRef myCategoryArray_;
  ArrayRef emailArray_;
  FilteringArrayController records_;
  ZVColoredCategoryArrayController categories_;
  ZVCrypto myCryptoEngine_;
  std::unique_ptr<ZVCommonCrypto> myCommonCrypto_;
  VaultWindow* window_ = nullptr;
};
