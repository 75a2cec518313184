#pragma once

#include <QPointer>
#include <QProgressBar>
#include <QWidget>
#include <optional>

#include "platform/Document.h"
#include "vault/PasswordSheet.h"

// The password side of a vault document: its password, its locked state, unlocking, and the
// sheets that protect a new document, change the password or insert one.
class ZVCryptoDoc : public Document {
  Q_OBJECT

 public:
  static constexpr int kMinimumPasswordLength = 6;  // UTF-16 code units

  explicit ZVCryptoDoc(QObject* parent = nullptr);
  ~ZVCryptoDoc() override;

  QString plainPassword() const { return plainPassword_; }
  void setPlainPassword(const QString& s);
  QString plainPasswordInserted() const { return plainPasswordInserted_; }
  void setPlainPasswordInserted(const QString& s);
  QString plainPasswordInsertedRetype() const { return plainPasswordInsertedRetype_; }
  void setPlainPasswordInsertedRetype(const QString& s);
  QString plainPasswordPrevious() const { return plainPasswordPrevious_; }
  void setPlainPasswordPrevious(const QString& s);
  bool isEncrypted() const { return isEncrypted_; }
  void setIsEncrypted(bool locked);
  std::optional<bool> showClearPasswordInInsertPasswordSheet() const { return showClear_; }
  void setShowClearPasswordInInsertPasswordSheet(std::optional<bool> flag);
  bool isDecrypted() const { return !isEncrypted_; }

  QPointer<QWidget> myWindow;
  QPointer<QProgressBar> decryptProgressIndicator;
  bool sheetWasConfirmed = false;

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
  void canCloseDocument(std::function<void(bool)> shouldClose) override;
  QWidget* windowForSheet() const override { return myWindow; }

  // The cipher work, supplied by the vault document; the bare base never unlocks.
  virtual int Decript() { return 1; }
  virtual int decryptDone() { return 1; }
  virtual int decryptFailed() { return 1; }

 Q_SIGNALS:
  void passwordStateChanged();

 private:
  PasswordSheet* makeSheet(PasswordSheet::Kind kind);
  void bindSheet(PasswordSheet* sheet);
  void loadSheetFields(PasswordSheet* sheet);
  void mandatorySheetEnded(int returnCode);
  void insertSheetEnded();
  void showAlert(const QString& message, const QString& informative, const QStringList& buttons,
                 std::function<void()> onFirstButton, QWidget* window = nullptr);
  void acceptPassword();
  void retryChangeSheet(QWidget* window);
  void setProgressVisible(bool visible);

  QString plainPassword_;
  QString plainPasswordInserted_;
  QString plainPasswordInsertedRetype_;
  QString plainPasswordPrevious_;
  bool isEncrypted_ = false;
  std::optional<bool> showClear_;
  QPointer<PasswordSheet> mandatorySheet_;
  QPointer<PasswordSheet> changeSheet_;
  QPointer<PasswordSheet> insertSheet_;
  QPointer<QWidget> changeSheetWindow_;
};
