#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <memory>

#include "Common/ZVTextFieldExt.h"
#include "platform/UserDefaults.h"
#include "platform/crypto/SecureMemory.h"
#include "tests/GuiDriver.h"
#include "tests/window/ProcessMemoryScan.h"
#include "tests/window/VaultFixture.h"
#include "window/PhoneListSheet.h"
#include "window/RecordDetailView.h"
#include "window/VaultDocumentWindow.h"

namespace {

constexpr auto kPassword = MaskedText::mask("Qx7#Lockwipe!pw9");
constexpr auto kRecordText = MaskedText::mask("Zephyr-Ledger-4417");
constexpr auto kPhoneNumber = MaskedText::mask("+49 30 90182736");

std::string describe(const std::vector<ProcessMemoryScan::Hit>& hits) {
  std::string out;
  for (const auto& h : hits)
    out += QStringLiteral("0x%1 %2\n").arg(h.address, 0, 16).arg(h.region).toStdString();
  return out;
}

// Types the text into the focused widget, one key event a character.
void type(QWidget* widget, const MaskedText& text) {
  for (std::size_t i = 0; i < text.size(); ++i) QTest::keyClick(widget, char(text.at(i).unicode()));
}

bool equals(const QString& s, const MaskedText& text) {
  if (std::size_t(s.size()) != text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (s[qsizetype(i)] != text.at(i)) return false;
  return true;
}

// Where the user types the record's text, what follows, and how the document then ends: locked
// (through the menu or automatically) or closed.
struct LockCase {
  const char* name;
  const char* field;
  enum class Then { Nothing, ChooseAnAddress, DeleteTheRecord, CopyIt, ListItsPhoneNumber } then;
  enum class End { LockThroughTheMenu, LockAutomatically, Close } end;
};
void PrintTo(const LockCase& c, std::ostream* out) { *out << c.name; }

// A vault on disk whose password the user types into the locked window, and a record whose
// field the user types over in the detail view (and may copy). Neither text is in the
// process's memory before it is typed, and neither is after the document is locked or closed.
//
// The text goes into a line edit: a note's QPlainTextEdit copies its text into Qt's own text
// layouts and document buffer, which free it unwiped and are out of the program's reach. So is
// a line edit's copy for display that each further keystroke replaces, hence no correction of
// the typed text here.
class LockMemoryTest : public ::testing::TestWithParam<LockCase> {
 protected:
  void SetUp() override {
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("q.conf")));
    path = dir.filePath(QStringLiteral("v.qvlt"));
    {
      QString secret;
      for (std::size_t i = 0; i < password.size(); ++i) secret.append(password.at(i));
      MyDocument source;
      source.setPlainPassword(secret);
      SecureMemory::wipe(secret);
      VaultFixture::fillTwenty(source);
      ASSERT_TRUE(source.saveToURL(path));
    }
    doc = std::make_unique<MyDocument>();
    ASSERT_TRUE(doc->readFromURL(path));
    doc->setFileURL(path);
    window = new VaultDocumentWindow(doc.get(), *defaults);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    GuiDriver::settle();
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    delete window.data();
    doc.reset();
    QGuiApplication::clipboard()->clear();
  }

  void unlockByTyping() {
    window->passwordField()->setFocus();
    type(window->passwordField(), password);
    QTest::keyClick(window->passwordField(), Qt::Key_Return);
    GuiDriver::settle();
    MainQueue::drain();
    GuiDriver::settle();
  }
  void typeOverField(const QString& key) {
    doc->recordController().setSelectionIndex(2);
    GuiDriver::settle();
    ASSERT_TRUE(window->perform(QStringLiteral("editContentToggle:")));
    GuiDriver::settle();
    QLineEdit* field = window->detailView()->field(key);
    field->setFocus();
    field->selectAll();
    type(field, recordText);
    QTest::keyClick(field, Qt::Key_Tab);
    GuiDriver::settle();
    MainQueue::drain();
    // The table and the detail view have drawn the new text.
    window->repaint();
    GuiDriver::snapshot(window, QStringLiteral("record-typed-before-the-lock"));
    GuiDriver::settle();
  }
  // The shown record's value, through a reference the test lets go at once.
  QString shownValue(const QString& key) const {
    const DictRef& record = window->detailView()->record();
    return record ? record->value(key).toString() : QString();
  }

  const MaskedText password{kPassword};
  const MaskedText recordText{kRecordText};
  const MaskedText phoneNumber{kPhoneNumber};
  QTemporaryDir dir;
  QString path;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<MyDocument> doc;
  QPointer<VaultDocumentWindow> window;
};

TEST_P(LockMemoryTest, NeitherThePasswordNorTheRecordTextIsInMemoryAfterTheLockOrTheClose) {
  const LockCase& c = GetParam();
  const QString key = QString::fromLatin1(c.field);
  ASSERT_TRUE(doc->isEncrypted());
  ASSERT_TRUE(ProcessMemoryScan::find(password).empty())
      << "left by the set-up:\n"
      << describe(ProcessMemoryScan::find(password));

  unlockByTyping();
  ASSERT_FALSE(doc->isEncrypted());
  typeOverField(key);
  ASSERT_TRUE(equals(shownValue(key), recordText));
  // Both texts are where the scan looks while the document is open.
  ASSERT_FALSE(ProcessMemoryScan::find(password).empty());
  ASSERT_FALSE(ProcessMemoryScan::find(recordText).empty());

  switch (c.then) {
    case LockCase::Then::Nothing:
      break;
    case LockCase::Then::ChooseAnAddress:
      // The e-mail menu's choice replaces the typed text, in the record and in the field.
      window->detailView()->insertEmailFromPopup(QStringLiteral("me@home.example"));
      GuiDriver::settle();
      ASSERT_EQ(shownValue(key), u"me@home.example");
      break;
    case LockCase::Then::DeleteTheRecord:
      // Only the undo history holds the record now.
      ASSERT_TRUE(window->perform(QStringLiteral("deleteRow:")));
      GuiDriver::settle();
      ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Delete")));
      MainQueue::drain();
      GuiDriver::settle();
      ASSERT_EQ(doc->myArray()->count(), 19);
      break;
    case LockCase::Then::ListItsPhoneNumber: {
      // A number in the record's account, copied out by the phone list open at the lock.
      QString account = QStringLiteral("Tel. ");
      for (std::size_t i = 0; i < phoneNumber.size(); ++i) account.append(phoneNumber.at(i));
      window->detailView()->record()->setValue(RecordKeys::account(),
                                               Value::mutableString(std::move(account)));
      ASSERT_TRUE(window->perform(QStringLiteral("phoneListSheet:")));
      GuiDriver::settle();
      const PhoneListSheet* sheet = window->findChild<PhoneListSheet*>();
      ASSERT_TRUE(sheet && sheet->isVisible());
      ASSERT_EQ(sheet->model()->rowCount(), 1);
      ASSERT_FALSE(ProcessMemoryScan::find(phoneNumber).empty());
      break;
    }
    case LockCase::Then::CopyIt: {
      ASSERT_TRUE(window->perform(QStringLiteral("copyPassword:")));
      GuiDriver::settle();
      // Read as a paste reads it, through a reference let go at once.
      ASSERT_TRUE(equals(QGuiApplication::clipboard()->text(), recordText));
      break;
    }
  }

  switch (c.end) {
    case LockCase::End::LockThroughTheMenu:
      ASSERT_TRUE(window->perform(QStringLiteral("lockDocument:")));
      GuiDriver::settle();
      ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));
      break;
    case LockCase::End::LockAutomatically:
      doc->lockAutomatically();
      break;
    case LockCase::End::Close:
      doc->close();
      break;
  }
  MainQueue::drain();
  GuiDriver::settle();
  if (c.end == LockCase::End::Close) {
    // The window went with the document; the document controller lets a closed one go.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(window);
    doc.reset();
  } else {
    ASSERT_TRUE(doc->isEncrypted());
    ASSERT_TRUE(window->showsLockedLayout());
  }
  if (c.then == LockCase::Then::CopyIt) {
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty()) << "left on the clipboard";
  }

  EXPECT_EQ(describe(ProcessMemoryScan::find(password)), "") << "the password";
  EXPECT_EQ(describe(ProcessMemoryScan::find(recordText)), "") << "the record's text";
  if (c.then == LockCase::Then::ListItsPhoneNumber) {
    EXPECT_EQ(describe(ProcessMemoryScan::find(phoneNumber)), "") << "the listed number";
  }
}

using Then = LockCase::Then;
using End = LockCase::End;
INSTANTIATE_TEST_SUITE_P(
    Locked, LockMemoryTest,
    ::testing::Values(
        LockCase{"ThroughTheMenu", "name", Then::Nothing, End::LockThroughTheMenu},
        LockCase{"Automatically", "name", Then::Nothing, End::LockAutomatically},
        LockCase{"AfterAnAddressReplacedIt", "email", Then::ChooseAnAddress,
                 End::LockThroughTheMenu},
        LockCase{"AfterTheRecordWasDeleted", "name", Then::DeleteTheRecord, End::LockAutomatically},
        LockCase{"AfterThePasswordWasCopied", "password", Then::CopyIt, End::LockThroughTheMenu},
        LockCase{"AutomaticallyAfterThePasswordWasCopied", "password", Then::CopyIt,
                 End::LockAutomatically},
        LockCase{"AutomaticallyWithThePhoneListOpen", "name", Then::ListItsPhoneNumber,
                 End::LockAutomatically},
        LockCase{"Closed", "name", Then::Nothing, End::Close},
        LockCase{"ClosedAfterThePasswordWasCopied", "password", Then::CopyIt, End::Close}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
