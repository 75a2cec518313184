#include "vault/ZVCryptoDoc.h"

#include "platform/Alert.h"
#include "platform/MainQueue.h"
#include "vault/ZVCommonCrypto.h"

namespace {
const QString kWrongPasswordInfo = QStringLiteral(
    "You inserted a wrong password.\nTo access this document you must insert exactly the password "
    "used to protect it");
const QString kNewPasswordInfo = QStringLiteral(
    "This password will be used when saving this document.\nData will be stored on disk encrypted "
    "using a secure algorithm.\n\nNext time, to open this document, this password will be "
    "required.\nStore your password in a safe place.\nThere is no way, even for the developers of "
    "this application, to open the document and decrypt the data without the right password.");
const QString kInsertedPasswordInfo = QStringLiteral(
    "This password will be used when saving this document.\nData will be stored on disk encrypted "
    "using a secure algorithm.\n\nNext time, to open this document, this password will be "
    "required.\nStore your password in a safe place.\nThere is no way, even for Kelvaro Software, "
    "to open the document and decrypt the data without the right password.");
const QString kChangedPasswordInfo = QStringLiteral(
    "This new password will be used when saving this document.\nData will be stored on disk "
    "encrypted using a secure algorithm.\n\nNext time, to open this document, this new password "
    "will be required.\nStore your new password in a safe place.\nThere is no way, even for the "
    "Kelvaro Software, to open the document and decrypt the data without the right password.");

const QStringList kOk{QStringLiteral("OK")};
const QStringList kRetry{QStringLiteral("Retry")};
const QStringList kRetryCancel{QStringLiteral("Retry"), QStringLiteral("Cancel")};

}  // namespace

ZVCryptoDoc::ZVCryptoDoc(QObject* parent) : Document(parent) {}

ZVCryptoDoc::~ZVCryptoDoc() {
  for (PasswordSheet* sheet : {mandatorySheet_.data(), changeSheet_.data(), insertSheet_.data()})
    delete sheet;
}

void ZVCryptoDoc::setPlainPassword(const QString& s) {
  password_.setPassword(s);
  Q_EMIT passwordStateChanged();
}
void ZVCryptoDoc::setPlainPasswordInserted(const QString& s) {
  password_.setInserted(s);
  Q_EMIT passwordStateChanged();
}
void ZVCryptoDoc::setPlainPasswordInsertedRetype(const QString& s) {
  password_.setInsertedRetype(s);
  Q_EMIT passwordStateChanged();
}
void ZVCryptoDoc::setPlainPasswordPrevious(const QString& s) {
  password_.setPrevious(s);
  Q_EMIT passwordStateChanged();
}
void ZVCryptoDoc::setIsEncrypted(bool locked) {
  isEncrypted_ = locked;
  Q_EMIT passwordStateChanged();
}
void ZVCryptoDoc::setShowClearPasswordInInsertPasswordSheet(std::optional<bool> flag) {
  showClear_ = flag;
  for (PasswordSheet* sheet : {mandatorySheet_.data(), changeSheet_.data(), insertSheet_.data()})
    if (sheet) sheet->setShowClear(flag.value_or(false));
  Q_EMIT passwordStateChanged();
}

PasswordSheet* ZVCryptoDoc::makeSheet(PasswordSheet::Kind kind) {
  auto* sheet = new PasswordSheet(kind, myWindow_);
  bindSheet(sheet);
  return sheet;
}

void ZVCryptoDoc::bindSheet(PasswordSheet* sheet) {
  connect(sheet->passwordField(), &QLineEdit::textEdited, this,
          &ZVCryptoDoc::setPlainPasswordInserted);
  connect(sheet->retypeField(), &QLineEdit::textEdited, this,
          &ZVCryptoDoc::setPlainPasswordInsertedRetype);
  if (sheet->previousField())
    connect(sheet->previousField(), &QLineEdit::textEdited, this,
            &ZVCryptoDoc::setPlainPasswordPrevious);
  connect(sheet->showClearSwitch(), &QCheckBox::toggled, this,
          [this](bool on) { setShowClearPasswordInInsertPasswordSheet(on); });
  switch (sheet->kind()) {
    case PasswordSheet::Kind::Mandatory:
      connect(sheet->acceptButton(), &QPushButton::clicked, this,
              [this] { confirmMandatoryPasswordSheet(Alert::FirstButtonReturn); });
      connect(sheet->otherButton(), &QPushButton::clicked, this,
              [this] { confirmMandatoryPasswordSheet(0); });
      break;
    case PasswordSheet::Kind::Change:
      connect(sheet->acceptButton(), &QPushButton::clicked, this,
              &ZVCryptoDoc::confirmChangePasswordSheet);
      connect(sheet->otherButton(), &QPushButton::clicked, this,
              &ZVCryptoDoc::cancelChangePasswordSheet);
      break;
    case PasswordSheet::Kind::Insert:
      connect(sheet->acceptButton(), &QPushButton::clicked, this,
              &ZVCryptoDoc::confirmInsertPasswordSheet);
      connect(sheet->otherButton(), &QPushButton::clicked, this,
              &ZVCryptoDoc::cancelInsertPasswordSheet);
      break;
  }
}

void ZVCryptoDoc::loadSheetFields(PasswordSheet* sheet) {
  sheet->passwordField()->setText(password_.inserted());
  sheet->retypeField()->setText(password_.insertedRetype());
  if (sheet->previousField()) sheet->previousField()->setText(password_.previous());
  sheet->setShowClear(showClear_.value_or(false));
  (sheet->previousField() ? sheet->previousField() : sheet->passwordField())->setFocus();
}

PasswordSheet* ZVCryptoDoc::mandatoryPasswordSheet() {
  if (!mandatorySheet_) mandatorySheet_ = makeSheet(PasswordSheet::Kind::Mandatory);
  return mandatorySheet_;
}
PasswordSheet* ZVCryptoDoc::changePasswordSheet() {
  if (!changeSheet_) changeSheet_ = makeSheet(PasswordSheet::Kind::Change);
  return changeSheet_;
}
PasswordSheet* ZVCryptoDoc::insertPasswordSheet() {
  if (!insertSheet_) insertSheet_ = makeSheet(PasswordSheet::Kind::Insert);
  return insertSheet_;
}

void ZVCryptoDoc::showAlert(const QString& message, const QString& informative,
                            const QStringList& buttons, std::function<void()> onFirstButton,
                            QWidget* window) {
  Alert alert;
  alert.messageText = message;
  alert.informativeText = informative;
  for (const QString& title : buttons) alert.addButtonWithTitle(title);
  alert.beginSheetModalForWindow(window ? window : myWindow_.data(),
                                 [onFirstButton = std::move(onFirstButton)](int code) {
                                   if (code == Alert::FirstButtonReturn && onFirstButton)
                                     onFirstButton();
                                 });
}

void ZVCryptoDoc::setProgressVisible(bool visible) {
  if (!progress_) return;
  progress_->setRange(0, 0);  // indeterminate: animates while shown
  progress_->setVisible(visible);
}

void ZVCryptoDoc::submitPasswordToDecrypt(const QString& stringValue) {
  setPlainPasswordInserted(stringValue);
  if (stringValue.isEmpty()) return;
  setPlainPassword(stringValue);
  setProgressVisible(true);
  const VaultResult<void> unlocked = unlock();
  if (!unlocked) {
    decryptFailed();
    setProgressVisible(false);
    showUnlockFailure(unlocked.failure());
  } else {
    decryptDone();
    setProgressVisible(false);
    setPlainPasswordInserted(QString());
    setPlainPasswordInsertedRetype(QString());
    setPlainPasswordPrevious(QString());
  }
  // Decrypting refills the lists without changing what is saved; changes a lock could not
  // save are still unsaved.
  if (!lockKeptUnsavedChanges()) updateChangeCount(ChangeCleared);
}

int ZVCryptoDoc::Decript() {
  const VaultResult<void> unlocked = unlock();
  if (unlocked) return 0;
  const VaultError& failure = unlocked.failure();
  if (failure.reason == VaultError::Reason::DamagedDocument ||
      failure.reason == VaultError::Reason::DamagedEntries)
    return kDamagedDocument;
  return failure.status != 0 ? failure.status : 1;
}

void ZVCryptoDoc::showUnlockFailure(const VaultError&) {
  showAlert(QStringLiteral("Wrong Password"), kWrongPasswordInfo, kOk, {});
}

void ZVCryptoDoc::askMandatoryPasswordToProtectDocument() {
  PasswordSheet* sheet = mandatoryPasswordSheet();
  loadSheetFields(sheet);
  sheet->beginSheet(myWindow_, [this](int code) { mandatorySheetEnded(code); });
}

void ZVCryptoDoc::confirmMandatoryPasswordSheet(int tag) {
  if (mandatorySheet_) mandatorySheet_->endSheet(tag);
}

void ZVCryptoDoc::mandatorySheetEnded(int returnCode) {
  setShowClearPasswordInInsertPasswordSheet(true);
  if (returnCode != Alert::FirstButtonReturn) {
    // A new document cannot stay open without a password.
    QPointer<ZVCryptoDoc> self(this);
    MainQueue::defer([self] {
      if (self) self->close();
    });
    return;
  }
  if (refuseMandatory(password_.checkNew())) return;
  acceptPassword();
  showAlert(QStringLiteral("Password accepted"), kNewPasswordInfo, kOk, {});
  updateChangeCount(ChangeDone);
}

bool ZVCryptoDoc::refuseMandatory(DocumentPassword::Check check) {
  switch (check) {
    case DocumentPassword::Check::Accepted:
      return false;
    case DocumentPassword::Check::TooShort:
      mandatoryPasswordMustBe6CharLong();
      return true;
    default:
      mandatoryPasswordNonEqual();
      return true;
  }
}

bool ZVCryptoDoc::refuseChange(DocumentPassword::Check check, QWidget* window) {
  switch (check) {
    case DocumentPassword::Check::Accepted:
      return false;
    case DocumentPassword::Check::PreviousMismatch:
      passwordMustMatch(window);
      return true;
    case DocumentPassword::Check::NotEqual:
      passwordNotEqualSheet(window);
      return true;
    case DocumentPassword::Check::TooShort:
      passwordMustBe6CharLong(window);
      return true;
  }
  return true;
}

void ZVCryptoDoc::acceptPassword() {
  password_.acceptInserted();
  Q_EMIT passwordStateChanged();
  updateChangeCount(ChangeDone);
}

void ZVCryptoDoc::mandatoryPasswordNonEqual() {
  QPointer<ZVCryptoDoc> self(this);
  showAlert(QStringLiteral("Password inserted in the two fields doesn't match"),
            QStringLiteral("You must insert exactly the same password in the two fields."), kRetry,
            [self] {
              MainQueue::defer([self] {
                if (self) self->askMandatoryPasswordToProtectDocument();
              });
            });
}

void ZVCryptoDoc::mandatoryPasswordMustBe6CharLong() {
  QPointer<ZVCryptoDoc> self(this);
  showAlert(QStringLiteral("Password too short"),
            QStringLiteral("You have to use a password which is at least six character long.") +
                cutPasswordNote(),
            kRetry, [self] {
              MainQueue::defer([self] {
                if (self) self->askMandatoryPasswordToProtectDocument();
              });
            });
}

QString ZVCryptoDoc::cutPasswordNote() const {
  const QString& typed = password_.inserted();
  const qsizetype keyed = ZVCommonCrypto::keyedCharacterCount(typed);
  if (keyed == typed.size()) return {};
  return QStringLiteral(
             "\n\nOnly the first %1 characters of this password protect the document: the key "
             "takes as many bytes of the password as it has characters, and a letter outside "
             "plain ASCII takes two or more.")
      .arg(keyed);
}

void ZVCryptoDoc::documentPassword() {
  if (password_.password().isEmpty()) {
    askMandatoryPasswordToProtectDocument();
    return;
  }
  setShowClearPasswordInInsertPasswordSheet(false);
  setPlainPasswordPrevious(QString());
  setPlainPasswordInserted(QString());
  setPlainPasswordInsertedRetype(QString());
  showChangePasswordSheet(myWindow_);
}

void ZVCryptoDoc::showChangePasswordSheet(QWidget* window) {
  changeSheetWindow_ = window;
  PasswordSheet* sheet = changePasswordSheet();
  loadSheetFields(sheet);
  sheet->beginSheet(window, [this](int) { setShowClearPasswordInInsertPasswordSheet(false); });
}

void ZVCryptoDoc::cancelChangePasswordSheet() {
  if (changeSheet_) changeSheet_->endSheet(0);
}

void ZVCryptoDoc::confirmChangePasswordSheet() {
  if (changeSheet_) changeSheet_->endSheet(0);
  QWidget* window = changeSheetWindow_;
  if (refuseChange(password_.checkChange(), window)) return;
  acceptPassword();
  setPlainPasswordPrevious(QString());
  showAlert(QStringLiteral("Password changed successfuly"), kChangedPasswordInfo, kOk, {}, window);
  updateChangeCount(ChangeDone);
}

void ZVCryptoDoc::retryChangeSheet(QWidget* window) {
  QPointer<ZVCryptoDoc> self(this);
  QPointer<QWidget> target(window);
  MainQueue::defer([self, target] {
    if (self) self->showChangePasswordSheet(target);
  });
}

void ZVCryptoDoc::passwordNotEqualSheet(QWidget* window, void*) {
  showAlert(
      QStringLiteral("Passwords inserted in the two fields doesn't match"),
      QStringLiteral("You must insert exactly the same password in the two 'New Password' "
                     "fields. No changes were applied"),
      kRetryCancel,
      [self = QPointer<ZVCryptoDoc>(this), window] {
        if (self) self->retryChangeSheet(window);
      },
      window);
}

void ZVCryptoDoc::passwordMustBe6CharLong(QWidget* window, void*) {
  showAlert(
      QStringLiteral("Password Too Short. You have to use a password which is at least six "
                     "character long."),
      QStringLiteral("No changes were applied") + cutPasswordNote(), kRetryCancel,
      [self = QPointer<ZVCryptoDoc>(this), window] {
        if (self) self->retryChangeSheet(window);
      },
      window);
}

void ZVCryptoDoc::passwordMustMatch(QWidget* window) {
  showAlert(
      QStringLiteral("Password inserted in the 'Old Master Password' field must be equal to "
                     "the password previously used to protect this document."),
      QStringLiteral("No changes were applied"), kRetryCancel,
      [self = QPointer<ZVCryptoDoc>(this), window] {
        if (self) self->retryChangeSheet(window);
      },
      window);
}

void ZVCryptoDoc::showInsertPasswordSheet(QWidget* window, void*) {
  changeSheetWindow_ = window;
  PasswordSheet* sheet = insertPasswordSheet();
  loadSheetFields(sheet);
  sheet->beginSheet(window, [this](int) { insertSheetEnded(); });
}

void ZVCryptoDoc::confirmInsertPasswordSheet() {
  sheetWasConfirmed_ = true;
  if (insertSheet_) insertSheet_->endSheet(Alert::FirstButtonReturn);
}

void ZVCryptoDoc::cancelInsertPasswordSheet() {
  sheetWasConfirmed_ = false;
  if (insertSheet_) insertSheet_->endSheet(0);
}

void ZVCryptoDoc::insertSheetEnded() {
  setShowClearPasswordInInsertPasswordSheet(true);
  if (!sheetWasConfirmed_) return;
  QWidget* window = changeSheetWindow_;
  // The insert sheet's refusals are the change sheet's (it has no previous entry).
  if (refuseChange(password_.checkNew(), window)) return;
  acceptPassword();
  showAlert(QStringLiteral("Password accepted"), kInsertedPasswordInfo, kOk, {}, window);
}

bool ZVCryptoDoc::validateUserInterfaceItem(const UserInterfaceItem& item) {
  static const QStringList lockedCommands = {
      QStringLiteral("saveDocument:"),     QStringLiteral("saveDocumentAs:"),
      QStringLiteral("documentPassword:"), QStringLiteral("revertDocumentToSaved:"),
      QStringLiteral("runPageLayout:"),    QStringLiteral("printDocument:")};
  if (lockedCommands.contains(item.action)) return !isEncrypted_;
  return Document::validateUserInterfaceItem(item);
}

void ZVCryptoDoc::canCloseDocumentWithDelegate(std::function<void(bool)> shouldClose) {
  if (isEncrypted_ && !lockKeptUnsavedChanges()) {
    // Nothing a locked document holds is unsaved: close without the prompt.
    close();
    shouldClose(true);
    return;
  }
  Document::canCloseDocumentWithDelegate(std::move(shouldClose));
}
