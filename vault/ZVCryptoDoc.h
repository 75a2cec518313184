#pragma once

#include <QPointer>
#include <QProgressBar>
#include <QWidget>
#include <optional>

#include "platform/Document.h"
#include "vault/DocumentPassword.h"
#include "vault/PasswordSheet.h"
#include "vault/VaultError.h"

// The password side of a vault document: its locked state, unlocking, and the sheets that
// protect a new document, change the password or insert one. The password and the checks
// on it are the core's (DocumentPassword); this class asks and tells the user.
class ZVCryptoDoc : public Document {
  Q_OBJECT

 public:
  explicit ZVCryptoDoc(QObject* parent = nullptr);
  ~ZVCryptoDoc() override;

  const QString& plainPassword() const { return password_.password(); }
  void setPlainPassword(const QString& s);
  const QString& plainPasswordInserted() const { return password_.inserted(); }
  void setPlainPasswordInserted(const QString& s);
  const QString& plainPasswordInsertedRetype() const { return password_.insertedRetype(); }
  void setPlainPasswordInsertedRetype(const QString& s);
  const QString& plainPasswordPrevious() const { return password_.previous(); }
  void setPlainPasswordPrevious(const QString& s);
  bool isEncrypted() const { return isEncrypted_; }
  void setIsEncrypted(bool locked);
  std::optional<bool> showClearPasswordInInsertPasswordSheet() const { return showClear_; }
  void setShowClearPasswordInInsertPasswordSheet(std::optional<bool> flag);
  bool isDecrypted() const { return !isEncrypted_; }

  QWidget* myWindow() const { return myWindow_; }
  void setMyWindow(QWidget* window) { myWindow_ = window; }
  void setDecryptProgressIndicator(QProgressBar* indicator) { progress_ = indicator; }

  PasswordSheet* mandatoryPasswordSheet();
  PasswordSheet* changePasswordSheet();
  PasswordSheet* insertPasswordSheet();

  // Tries the password typed into the locked layout's field.
  void submitPasswordToDecrypt(const QString& stringValue);
  void askMandatoryPasswordToProtectDocument();
  void confirmMandatoryPasswordSheet(int tag);
  void documentPassword();
  void showChangePasswordSheet(QWidget* window);
  void confirmChangePasswordSheet();
  void cancelChangePasswordSheet();
  void showInsertPasswordSheet(QWidget* window, void* contextInfo = nullptr);
  void confirmInsertPasswordSheet();
  void cancelInsertPasswordSheet();
  void passwordNotEqualSheet(QWidget* window, void* contextInfo = nullptr);
  void passwordMustBe6CharLong(QWidget* window, void* contextInfo = nullptr);
  void passwordMustMatch(QWidget* window);
  void mandatoryPasswordNonEqual();
  void mandatoryPasswordMustBe6CharLong();

  bool validateUserInterfaceItem(const UserInterfaceItem& item) override;
  void canCloseDocumentWithDelegate(std::function<void(bool)> shouldClose) override;
  QWidget* windowForSheet() const override { return myWindow_; }

  // Decript's code for a document whose password verified but whose pieces do not read.
  static constexpr int kDamagedDocument = 3;

  // The cipher work, supplied by the vault document; the bare base never unlocks. Unlocks
  // with plainPassword, or says why not (the document stays locked).
  virtual VaultResult<void> unlock() { return VaultError::wrongPassword(1); }
  // The unlock as a number: 0, or 1 or 2 for a wrong password, the cipher's status when the
  // check string will not decrypt, or kDamagedDocument.
  int Decript();
  virtual int decryptDone() { return 1; }
  virtual int decryptFailed() { return 1; }
  // Whether the document holds changes that its lock could not save (the save before locking
  // failed) and no save has written since: unlocking leaves them marked unsaved, and closing
  // the locked document asks to save them.
  virtual bool lockKeptUnsavedChanges() const { return false; }

 protected:
  // Tells the user why the password did not unlock the document.
  virtual void showUnlockFailure(const VaultError& failure);
  void showAlert(const QString& message, const QString& informative, const QStringList& buttons,
                 std::function<void()> onFirstButton, QWidget* window = nullptr);

 Q_SIGNALS:
  void passwordStateChanged();

 private:
  PasswordSheet* makeSheet(PasswordSheet::Kind kind);
  void bindSheet(PasswordSheet* sheet);
  void loadSheetFields(PasswordSheet* sheet);
  void mandatorySheetEnded(int returnCode);
  void insertSheetEnded();
  void acceptPassword();
  // Shows the alert for a check that failed; false when the check accepted.
  bool refuseMandatory(DocumentPassword::Check check);
  bool refuseChange(DocumentPassword::Check check, QWidget* window);
  void retryChangeSheet(QWidget* window);
  void setProgressVisible(bool visible);
  // Why a password the user counts as long enough was refused; empty for a whole one.
  QString cutPasswordNote() const;

  DocumentPassword password_;
  QPointer<QWidget> myWindow_;
  QPointer<QProgressBar> progress_;
  bool sheetWasConfirmed_ = false;
  bool isEncrypted_ = false;
  std::optional<bool> showClear_;
  QPointer<PasswordSheet> mandatorySheet_;
  QPointer<PasswordSheet> changeSheet_;
  QPointer<PasswordSheet> insertSheet_;
  QPointer<QWidget> changeSheetWindow_;
};
