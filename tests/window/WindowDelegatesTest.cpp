#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <memory>
#include <optional>
#include <vector>

#include "Common/ZVTextFieldExt.h"
#include "Common/ZVUrlResolutor.h"
#include "platform/AtomicFile.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/window/VaultFixture.h"
#include "window/CopyNotice.h"
#include "window/PasswordToDecriptFieldDelegate.h"
#include "window/RecordDetailView.h"
#include "window/RecordTableView.h"
#include "window/TextViewDelegate.h"
#include "window/VaultDocumentWindow.h"

namespace {

UserDefaults* makeDefaults(const QTemporaryDir& dir, bool notices) {
  auto* defaults = new UserDefaults(dir.filePath(QStringLiteral("q.conf")));
  auto registered = Dictionary::create();
  registered->setValue(QStringLiteral("notifyHudTimer"), Value::integer(10));
  registered->setValue(QStringLiteral("useHudNotifyForCopy"), Value::boolean(notices));
  defaults->registerDefaults(registered);
  return defaults;
}

qint64 usesOf(const DictRef& record) { return record->value(RecordKeys::usageCount()).toInteger(); }

// The detail view's delegate on a document of twenty records, the first one selected, with
// the controls it serves.
class TextViewDelegateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.setPlainPassword(VaultFixture::kPassword);
    VaultFixture::fillTwenty(doc);
    doc.recordController().setSelectionIndex(0);
    doc.updateChangeCount(ChangeCounting::ChangeCleared);
  }
  void build(bool notices) {
    defaults.reset(makeDefaults(dir, notices));
    host = std::make_unique<QWidget>();
    host->resize(400, 300);
    notice = new CopyNotice(host.get());
    delegate = std::make_unique<TextViewDelegate>(&doc, notice, *defaults);
  }
  DictRef record(std::size_t row) { return doc.recordController().arrangedObjects()[row]; }

  QTemporaryDir dir;
  MyDocument doc;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<QWidget> host;
  CopyNotice* notice = nullptr;
  std::unique_ptr<TextViewDelegate> delegate;
};

struct EditCase {
  const char* name;
  bool noteView;          // typed into the note's text view, else into a text field
  bool readOnly;          // the control is read-only (being filled, not typed into)
  std::size_t editedRow;  // the record typed for; the first one is selected
};

void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

class TextViewDelegateEditTest : public TextViewDelegateTest,
                                 public ::testing::WithParamInterface<EditCase> {};

TEST_P(TextViewDelegateEditTest, TypingChangesTheRecordTypedForAndStampsItWhenTheStepRuns) {
  const EditCase& c = GetParam();
  build(true);
  const QString key = c.noteView ? RecordKeys::note() : RecordKeys::account();
  const DictRef edited = record(c.editedRow), selected = record(0);
  const QString before = edited->value(key).toString();
  const Date stampBefore = edited->value(RecordKeys::modificationDate()).toDate();
  const Date selectedStamp = selected->value(RecordKeys::modificationDate()).toDate();
  QPlainTextEdit view;
  QLineEdit field;
  view.setPlainText(QStringLiteral("typed text"));
  field.setText(QStringLiteral("typed text"));
  view.setReadOnly(c.readOnly);
  field.setReadOnly(c.readOnly);

  const Date typedAt = Date::now();
  if (c.noteView)
    delegate->textDidChange(edited, key, &view);
  else
    delegate->controlTextDidChange(edited, key, &field);
  // The stamp is a step of its own, after the change.
  EXPECT_EQ(edited->value(RecordKeys::modificationDate()).toDate(), stampBefore);
  MainQueue::drain();

  if (c.readOnly) {
    EXPECT_EQ(edited->value(key).toString(), before);
    EXPECT_FALSE(doc.isDocumentEdited());
    EXPECT_EQ(edited->value(RecordKeys::modificationDate()).toDate(), stampBefore);
    return;
  }
  EXPECT_EQ(edited->value(key).toString(), QStringLiteral("typed text"));
  EXPECT_TRUE(doc.isDocumentEdited());
  EXPECT_GE(edited->value(RecordKeys::modificationDate()).toDate(), typedAt);
  if (c.editedRow != 0) {
    EXPECT_EQ(selected->value(RecordKeys::modificationDate()).toDate(), selectedStamp);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, TextViewDelegateEditTest,
    ::testing::Values(EditCase{"TextField", false, false, 0}, EditCase{"NoteView", true, false, 0},
                      EditCase{"ReadOnlyTextField", false, true, 0},
                      EditCase{"ReadOnlyNoteView", true, true, 0},
                      EditCase{"FieldOfARecordNoLongerSelected", false, false, 5},
                      EditCase{"NoteOfARecordNoLongerSelected", true, false, 5}),
    [](const auto& info) { return std::string(info.param.name); });

// Steps of a copy case: a copy control's tag, or kReselect (select the second record, then
// the first again).
constexpr int kReselect = -100;

struct CopyCase {
  const char* name;
  std::vector<int> steps;
  bool notices;                   // the settings ask for copy notices
  qint64 addedUses;               // to the first record
  std::optional<QString> notice;  // the last notice shown, none for no notice at all
};

void PrintTo(const CopyCase& c, std::ostream* os) { *os << c.name; }

class TextViewDelegateCopyTest : public TextViewDelegateTest,
                                 public ::testing::WithParamInterface<CopyCase> {};

TEST_P(TextViewDelegateCopyTest, ACopyCountsOneUsePerSelectionAndNamesTheFieldCopied) {
  const CopyCase& c = GetParam();
  build(c.notices);
  const DictRef first = record(0), second = record(1);
  const qint64 firstUses = usesOf(first), secondUses = usesOf(second);
  for (int step : c.steps) {
    if (step == kReselect) {
      doc.recordController().setSelectionIndex(1);
      doc.recordController().setSelectionIndex(0);
    } else {
      delegate->textCopiedInClipboard(step);
    }
  }
  EXPECT_EQ(usesOf(first), firstUses + c.addedUses);
  EXPECT_EQ(usesOf(second), secondUses);
  // A use is counted without marking the document edited.
  EXPECT_FALSE(doc.isDocumentEdited());
  if (c.notice) {
    EXPECT_FALSE(notice->isHidden());
    EXPECT_EQ(notice->text(), *c.notice);
  } else {
    EXPECT_TRUE(notice->isHidden());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Copies, TextViewDelegateCopyTest,
    ::testing::Values(
        CopyCase{
            "PasswordThenUserIdOfOneSelection", {5, 4}, true, 1, QStringLiteral("user id copied")},
        CopyCase{"AgainAfterSelectingAnotherAndBack",
                 {5, kReselect, 5},
                 true,
                 2,
                 QStringLiteral("password copied")},
        CopyCase{
            "SelectingAgainWithoutACopy", {1, kReselect}, true, 1, QStringLiteral("name copied")},
        CopyCase{"ATagNamingNoField", {12}, true, 1, std::nullopt},
        CopyCase{"NoticesTurnedOff", {2, 8}, false, 1, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextViewDelegateTest, WithNoRecordSelectedACopyCountsNothing) {
  build(true);
  std::vector<qint64> before;
  for (const DictRef& r : doc.recordController().arrangedObjects()) before.push_back(usesOf(r));
  doc.recordController().setSelectionIndexes({});
  delegate->textCopiedInClipboard(5);
  delegate->increaseUsageOfRow();
  std::vector<qint64> after;
  for (const DictRef& r : doc.recordController().arrangedObjects()) after.push_back(usesOf(r));
  EXPECT_EQ(after, before);
  // Selected again, the first copy counts.
  doc.recordController().setSelectionIndex(0);
  delegate->textCopiedInClipboard(5);
  EXPECT_EQ(usesOf(record(0)), before[0] + 1);
}

// A vault saved to a file, opened and unlocked in its window; the ways it comes to be locked.
enum class LockedState { OpenedLocked, LockedAfterSaving, LockedKeepingUnsavedChanges };

struct PasswordCase {
  const char* name;
  LockedState state;
  bool editedAfter;  // the document is edited after the typing, as it was before it
};

void PrintTo(const PasswordCase& c, std::ostream* os) { *os << c.name; }

class PasswordFieldDelegateTest : public ::testing::TestWithParam<PasswordCase> {
 protected:
  void SetUp() override {
    defaults.reset(makeDefaults(dir, true));
    path = dir.filePath(QStringLiteral("v.qvlt"));
    MyDocument source;
    source.setPlainPassword(VaultFixture::kPassword);
    VaultFixture::fillTwenty(source);
    ASSERT_TRUE(source.saveToURL(path));
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    AtomicFile::setBeforeCommitHook({});
    delete window.data();
    doc.reset();
  }
  void openLocked(LockedState state) {
    doc = std::make_unique<MyDocument>();
    ASSERT_TRUE(doc->readFromURL(path));
    doc->setFileURL(path);
    window = new VaultDocumentWindow(doc.get(), *defaults);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    GuiDriver::settle();
    if (state == LockedState::OpenedLocked) return;
    doc->submitPasswordToDecrypt(VaultFixture::kPassword);
    MainQueue::drain();
    GuiDriver::settle();
    ASSERT_TRUE(doc->isDecrypted());
    doc->recordController().arrangedObjects().front()->setValue(RecordKeys::name(),
                                                                QStringLiteral("Renamed"));
    doc->updateChangeCount(ChangeCounting::ChangeDone);
    if (state == LockedState::LockedKeepingUnsavedChanges)
      AtomicFile::setBeforeCommitHook([] { return false; });
    ASSERT_TRUE(doc->doLockDocument());
    AtomicFile::setBeforeCommitHook({});
    GuiDriver::closeAllAlerts();
    GuiDriver::settle();
    ASSERT_TRUE(doc->isEncrypted());
  }

  QTemporaryDir dir;
  QString path;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<MyDocument> doc;
  QPointer<VaultDocumentWindow> window;
};

TEST_P(PasswordFieldDelegateTest, TypingAPasswordLeavesWhetherTheDocumentIsEditedAsItWas) {
  const PasswordCase& c = GetParam();
  openLocked(c.state);
  ASSERT_EQ(doc->isDocumentEdited(), c.editedAfter);

  PasswordToDecriptFieldDelegate delegate(doc.get());
  delegate.controlTextDidChange();
  EXPECT_EQ(doc->isDocumentEdited(), c.editedAfter);

  // The window's own field, typed into and emptied again.
  QLineEdit* field = window->passwordField();
  field->setFocus();
  QTest::keyClicks(field, QStringLiteral("not yet"));
  QTest::keyClick(field, Qt::Key_Backspace);
  field->clear();
  GuiDriver::settle();
  EXPECT_EQ(doc->isDocumentEdited(), c.editedAfter);
  EXPECT_TRUE(doc->isEncrypted());
}

INSTANTIATE_TEST_SUITE_P(
    States, PasswordFieldDelegateTest,
    ::testing::Values(PasswordCase{"OpenedLocked", LockedState::OpenedLocked, false},
                      PasswordCase{"LockedAfterSaving", LockedState::LockedAfterSaving, false},
                      PasswordCase{"LockedKeepingUnsavedChanges",
                                   LockedState::LockedKeepingUnsavedChanges, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The detail view's open button beside the URL field, in a window of twenty records, the
// addresses it hands to the desktop caught.
struct OpenCase {
  const char* name;
  const char* url;                // the record's URL
  std::optional<QString> opened;  // the address handed on, none for nothing opened
  bool fileAlert;                 // the window says the file could not be opened
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class OpenButtonTest : public ::testing::TestWithParam<OpenCase> {
 protected:
  void SetUp() override {
    defaults.reset(makeDefaults(dir, true));
    ZVUrlResolutor::sharedUrlResolutor().setOpener([this](const QUrl& url) {
      opened << url.toString();
      return true;
    });
    doc = std::make_unique<MyDocument>();
    doc->setPlainPassword(VaultFixture::kPassword);
    VaultFixture::fillTwenty(*doc);
    window = new VaultDocumentWindow(doc.get(), *defaults);
    window->resize(1100, 640);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    doc->recordController().setSelectionIndex(2);
    GuiDriver::settle();
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    delete window.data();
    doc.reset();
    ZVUrlResolutor::sharedUrlResolutor().setOpener({});
  }
  DictRef selected() const { return doc->recordController().selectedObjects().back(); }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<MyDocument> doc;
  QPointer<VaultDocumentWindow> window;
  QStringList opened;
};

TEST_P(OpenButtonTest, OpensTheFieldsTextWithNoCredentialsInTheAddress) {
  const OpenCase& c = GetParam();
  selected()->setValue(RecordKeys::url(), QString::fromUtf8(c.url));
  selected()->setValue(RecordKeys::userID(), QStringLiteral("anna"));
  selected()->setValue(RecordKeys::password(), QStringLiteral("pa55word"));
  window->detailView()->setRecord(selected());
  const qint64 uses = usesOf(selected());
  QToolButton* open = window->detailView()->openUrlButton();
  ASSERT_NE(open, nullptr);
  ASSERT_TRUE(open->isEnabled());
  QTest::mouseClick(open, Qt::LeftButton);
  GuiDriver::settle();

  EXPECT_EQ(opened, c.opened ? QStringList{*c.opened} : QStringList());
  EXPECT_EQ(
      GuiDriver::alertTexts(),
      c.fileAlert ? QStringList{QStringLiteral("The file could not be opened")} : QStringList());
  for (const QString& address : opened) {
    EXPECT_FALSE(address.contains(QStringLiteral("anna"))) << address.toStdString();
    EXPECT_FALSE(address.contains(QStringLiteral("pa55word"))) << address.toStdString();
  }
  // Only the Open URL command counts a use.
  EXPECT_EQ(usesOf(selected()), uses);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, OpenButtonTest,
    ::testing::Values(OpenCase{"WebAddress", "https://calendar.example/login",
                               QStringLiteral("https://calendar.example/login"), false},
                      OpenCase{"NoSchemeOpensAsTheWeb", "calendar.example/day",
                               QStringLiteral("http://calendar.example/day"), false},
                      OpenCase{"FtpGetsNoUserName", "ftp://files.example/pub",
                               QStringLiteral("ftp://files.example/pub"), false},
                      OpenCase{"AFileThatIsNotThere", "file:///no/such/place/qv.txt", std::nullopt,
                               true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OpenButtonTest, WithNoRecordShownTheButtonIsOffAndOpensNothing) {
  doc->recordController().setSelectionIndexes({});
  GuiDriver::settle();
  ASSERT_EQ(window->detailView()->record(), nullptr);
  QToolButton* open = window->detailView()->openUrlButton();
  EXPECT_FALSE(open->isEnabled());
  QTest::mouseClick(open, Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_TRUE(opened.isEmpty());
  doc->recordController().setSelectionIndex(0);
  GuiDriver::settle();
  EXPECT_TRUE(open->isEnabled());
}

TEST_F(OpenButtonTest, AltLOpensTheShownRecordsUrlWithTheFocusInTheTable) {
  window->activateWindow();
  window->tableView()->setFocus();
  GuiDriver::settle();
  QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : window.data();
  QTest::keySequence(focus, QKeySequence(Qt::ALT | Qt::Key_L));
  // A mnemonic presses the button as a click would, and lets it go a moment later.
  EXPECT_TRUE(QTest::qWaitFor([this] { return !opened.isEmpty(); }, 30000));
  EXPECT_EQ(opened, QStringList{QStringLiteral("https://calendar.example")});
}

}  // namespace
