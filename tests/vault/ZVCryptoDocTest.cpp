#include <gtest/gtest.h>

#include <QKeyEvent>
#include <vector>

#include "tests/GuiDriver.h"
#include "vault/ZVCryptoDoc.h"

namespace {

// A document whose contents open with "correct horse" only.
class LockedDoc : public ZVCryptoDoc {
 public:
  int attempts = 0;
  VaultError failure = VaultError::wrongPassword(1);
  VaultResult<void> unlock() override {
    ++attempts;
    if (plainPassword() == QStringLiteral("correct horse")) return {};
    return failure;
  }
  int decryptDone() override {
    setIsEncrypted(false);
    return 0;
  }
  DocumentResult<QByteArray> dataOfType(const QString&) override { return QByteArray(); }
};

// One that tells its own unlock failures instead of the wrong-password alert.
class TellingDoc : public LockedDoc {
 public:
  std::vector<VaultError> told;

 protected:
  void showUnlockFailure(const VaultError& failure) override { told.push_back(failure); }
};

class ZVCryptoDocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(600, 400);
    window.show();
    doc.setMyWindow(&window);
    progress = new QProgressBar(&window);
    doc.setDecryptProgressIndicator(progress);
  }
  void TearDown() override { GuiDriver::closeAllAlerts(); }

  // Types into a sheet's fields as the user would (so the bindings see it), then presses.
  static void type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    // Key events carrying the text, so accented characters type as they would.
    for (const QChar ch : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(field, &press);
    }
  }
  void fillMandatory(const QString& password, const QString& retype) {
    PasswordSheet* sheet = doc.mandatoryPasswordSheet();
    ASSERT_TRUE(sheet->isVisible());
    type(sheet->passwordField(), password);
    type(sheet->retypeField(), retype);
  }
  void press(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    GuiDriver::settle();
  }

  QWidget window;
  QProgressBar* progress = nullptr;  // owned by window
  LockedDoc doc;
};

TEST_F(ZVCryptoDocTest, UnlockingTriesTheTypedPassword) {
  doc.setIsEncrypted(true);
  doc.updateChangeCount(ChangeCounting::ChangeDone);

  doc.submitPasswordToDecrypt(QString());  // an empty field: nothing at all
  GuiDriver::settle();
  EXPECT_EQ(doc.attempts, 0);
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_TRUE(doc.isDocumentEdited());

  doc.submitPasswordToDecrypt(QStringLiteral("wrong horse"));
  GuiDriver::settle();
  EXPECT_EQ(GuiDriver::alertTexts(), QStringList{QStringLiteral("Wrong Password")});
  EXPECT_TRUE(doc.isEncrypted());
  EXPECT_EQ(doc.plainPassword(), u"wrong horse");  // kept until the next submission
  EXPECT_FALSE(doc.isDocumentEdited());
  EXPECT_FALSE(progress->isVisible());
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));

  doc.setPlainPasswordInsertedRetype(QStringLiteral("x"));
  doc.setPlainPasswordPrevious(QStringLiteral("y"));
  doc.submitPasswordToDecrypt(QStringLiteral("correct horse"));
  GuiDriver::settle();
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_TRUE(doc.isDecrypted());
  EXPECT_EQ(doc.plainPassword(), u"correct horse");
  EXPECT_TRUE(doc.plainPasswordInserted().isEmpty());
  EXPECT_TRUE(doc.plainPasswordInsertedRetype().isEmpty());
  EXPECT_TRUE(doc.plainPasswordPrevious().isEmpty());
}

TEST_F(ZVCryptoDocTest, AFailedUnlockHandsItsReasonToTheDocumentAndDecriptItsCode) {
  using Reason = VaultError::Reason;
  struct Case {
    VaultError failure;
    int code;
  };
  const Case cases[] = {
      {VaultError::wrongPassword(1), 1},
      {VaultError::wrongPassword(2), 2},
      {{Reason::DamagedDocument, QStringLiteral("entry 3"), 0}, ZVCryptoDoc::kDamagedDocument},
      {{Reason::DamagedEntries, QStringLiteral("entry 4"), 0}, ZVCryptoDoc::kDamagedDocument},
      {{Reason::WrongPassword, QStringLiteral("status"), -4301}, -4301},
  };
  TellingDoc telling;
  telling.setMyWindow(&window);
  telling.setIsEncrypted(true);
  for (const Case& c : cases) {
    telling.failure = c.failure;
    telling.submitPasswordToDecrypt(QStringLiteral("wrong horse"));
    GuiDriver::settle();
    ASSERT_FALSE(telling.told.empty());
    EXPECT_EQ(telling.told.back().reason, c.failure.reason);
    EXPECT_EQ(telling.told.back().message, c.failure.message);
    EXPECT_EQ(telling.Decript(), c.code);
  }
  EXPECT_EQ(telling.told.size(), std::size(cases));
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_TRUE(telling.isEncrypted());
  telling.submitPasswordToDecrypt(QStringLiteral("correct horse"));
  EXPECT_EQ(telling.told.size(), std::size(cases));  // success tells nothing
  EXPECT_TRUE(telling.isDecrypted());
  EXPECT_EQ(telling.Decript(), 0);
}

// Six or more of the characters that enter the key: a non-ASCII password is cut to as many
// UTF-8 bytes as it has UTF-16 units, so "пароль12" protects as "паро".
TEST_F(ZVCryptoDocTest, MandatorySheetAcceptsOnlyEqualPasswordsOfSixOrMore) {
  struct Case {
    const char* password;
    const char* retype;
    const char* alert;
    int keyed = -1;  // the characters the refusal says protect it; -1: no such note
  };
  const Case cases[] = {
      {"12345", "12345", "Password too short"},
      {"", "", "Password too short"},
      {"123456", "654321", "Password inserted in the two fields doesn't match"},
      {"123456", "123456", "Password accepted"},
      {"пароль12", "пароль12", "Password too short", 4},
      {"abéçöü", "abéçöü", "Password too short", 4},
      {"пароль123456", "пароль123456", "Password accepted"},
      {"abéçöüxyzw", "abéçöüxyzw", "Password accepted"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.password);
    LockedDoc fresh;
    fresh.setMyWindow(&window);
    fresh.askMandatoryPasswordToProtectDocument();
    GuiDriver::settle();
    PasswordSheet* sheet = fresh.mandatoryPasswordSheet();
    type(sheet->passwordField(), QString::fromUtf8(c.password));
    type(sheet->retypeField(), QString::fromUtf8(c.retype));
    press(sheet->acceptButton());
    EXPECT_EQ(GuiDriver::alertTexts(), QStringList{QString::fromUtf8(c.alert)});
    const bool accepted = std::string(c.alert) == "Password accepted";
    EXPECT_EQ(fresh.plainPassword(), accepted ? QString::fromUtf8(c.password) : QString());
    EXPECT_EQ(fresh.changeCount(), accepted ? 2 : 0);  // marked twice
    EXPECT_EQ(fresh.showClearPasswordInInsertPasswordSheet(), std::optional<bool>(true));
    if (QMessageBox* alert = GuiDriver::onlyAlert(); alert && !accepted) {
      const QString note = QStringLiteral("Only the first %1 characters").arg(c.keyed);
      EXPECT_EQ(alert->informativeText().contains(note), c.keyed >= 0)
          << alert->informativeText().toStdString();
      if (c.keyed == 4 && std::string(c.password).size() == 14)
        GuiDriver::snapshot(alert, QStringLiteral("password-cut-alert"));
    }
    GuiDriver::closeAllAlerts();
  }
}

TEST_F(ZVCryptoDocTest, RetryBringsTheMandatorySheetBackWithTheTypedText) {
  doc.askMandatoryPasswordToProtectDocument();
  GuiDriver::settle();
  fillMandatory(QStringLiteral("abc"), QStringLiteral("abd"));
  GuiDriver::snapshot(doc.mandatoryPasswordSheet(), QStringLiteral("mandatory-sheet"));
  press(doc.mandatoryPasswordSheet()->acceptButton());
  GuiDriver::snapshot(GuiDriver::onlyAlert(), QStringLiteral("mismatch-alert"));
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Retry")));
  GuiDriver::settle();
  PasswordSheet* sheet = doc.mandatoryPasswordSheet();
  ASSERT_TRUE(sheet->isVisible());
  EXPECT_EQ(sheet->passwordField()->text(), u"abc");
  EXPECT_EQ(sheet->retypeField()->text(), u"abd");
  EXPECT_EQ(sheet->passwordField()->echoMode(), QLineEdit::Normal);  // shown in clear now
  // The other button closes the new document.
  press(sheet->otherButton());
  EXPECT_TRUE(doc.isClosed());
}

TEST_F(ZVCryptoDocTest, ChangeSheetChecksOldPasswordThenEqualityThenLength) {
  doc.setPlainPassword(QStringLiteral("old secret"));
  struct Case {
    const char* previous;
    const char* password;
    const char* retype;
    const char* alert;
  };
  const Case cases[] = {
      {"not it", "new one!", "different",
       "Password inserted in the 'Old Master Password' field must be equal to the password "
       "previously used to protect this document."},
      {"old secret", "new one!", "different", "Passwords inserted in the two fields doesn't match"},
      {"old secret", "short", "short",
       "Password Too Short. You have to use a password which is at least six character long."},
      {"old secret", "\u043f\u0430\u0440\u043e\u043b\u044c12",
       "\u043f\u0430\u0440\u043e\u043b\u044c12",
       "Password Too Short. You have to use a password which is at least six character long."},
  };
  for (const auto& c : cases) {
    doc.documentPassword();
    GuiDriver::settle();
    PasswordSheet* sheet = doc.changePasswordSheet();
    ASSERT_TRUE(sheet->isVisible());
    type(sheet->previousField(), QString::fromUtf8(c.previous));
    type(sheet->passwordField(), QString::fromUtf8(c.password));
    type(sheet->retypeField(), QString::fromUtf8(c.retype));
    GuiDriver::snapshot(sheet, QStringLiteral("change-sheet"));
    press(sheet->acceptButton());
    EXPECT_EQ(GuiDriver::alertTexts(), QStringList{QString::fromUtf8(c.alert)});
    EXPECT_EQ(doc.plainPassword(), u"old secret");
    // Retry reopens the sheet with the fields as typed; Cancel there changes nothing.
    ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Retry")));
    GuiDriver::settle();
    ASSERT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->previousField()->text(), QString::fromUtf8(c.previous));
    press(sheet->otherButton());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  }
  doc.documentPassword();
  GuiDriver::settle();
  PasswordSheet* sheet = doc.changePasswordSheet();
  EXPECT_TRUE(sheet->previousField()->text().isEmpty());  // the command starts afresh
  type(sheet->previousField(), QStringLiteral("old secret"));
  type(sheet->passwordField(), QStringLiteral("brand new"));
  type(sheet->retypeField(), QStringLiteral("brand new"));
  press(sheet->acceptButton());
  EXPECT_EQ(GuiDriver::alertTexts(), QStringList{QStringLiteral("Password changed successfuly")});
  EXPECT_EQ(doc.plainPassword(), u"brand new");
  EXPECT_EQ(doc.showClearPasswordInInsertPasswordSheet(), std::optional<bool>(false));
}

TEST_F(ZVCryptoDocTest, PasswordCommandWithoutAPasswordAsksForTheMandatoryOne) {
  doc.documentPassword();
  GuiDriver::settle();
  EXPECT_TRUE(doc.mandatoryPasswordSheet()->isVisible());
  EXPECT_FALSE(doc.changePasswordSheet()->isVisible());
}

TEST_F(ZVCryptoDocTest, CommandsFollowTheLockedState) {
  const char* guarded[] = {"saveDocument:",          "saveDocumentAs:", "documentPassword:",
                           "revertDocumentToSaved:", "runPageLayout:",  "printDocument:"};
  for (bool locked : {true, false}) {
    doc.setIsEncrypted(locked);
    for (const char* action : guarded)
      EXPECT_EQ(doc.validateUserInterfaceItem({QString::fromLatin1(action)}), !locked) << action;
    EXPECT_TRUE(doc.validateUserInterfaceItem({QStringLiteral("copy:")}));
  }
}

TEST_F(ZVCryptoDocTest, ALockedDocumentClosesWithoutTheSavePrompt) {
  doc.setIsEncrypted(true);
  doc.updateChangeCount(ChangeCounting::ChangeDone);
  std::optional<bool> answer;
  doc.canCloseDocumentWithDelegate([&](bool ok) { answer = ok; });
  GuiDriver::settle();
  EXPECT_TRUE(doc.isClosed());
  EXPECT_EQ(answer, true);
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
}

}  // namespace
