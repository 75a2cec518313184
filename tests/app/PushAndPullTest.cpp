#include <gtest/gtest.h>

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

#include "Common/ZVTextFieldExt.h"
#include "Common/ZVUrlResolutor.h"
#include "app/MyAppDelegate.h"
#include "app/PasswordPullItem.h"
#include "platform/Pasteboard.h"
#include "platform/Sheet.h"
#include "platform/UserDefaults.h"
#include "platform/crypto/SecureMemory.h"
#include "tests/GuiDriver.h"
#include "tests/window/VaultFixture.h"
#include "window/RecordDetailView.h"
#include "window/VaultDocumentWindow.h"

namespace {

QString clipboardText() { return QGuiApplication::clipboard()->text(); }

QTimer* removeTimer(const PasswordPullItem& item) {
  return GuiDriver::timerOf(&item, "removeTimer");
}

QPushButton* copyButton(const PasswordPullItem& item) {
  return item.fallbackWindow()
             ? item.fallbackWindow()->findChild<QPushButton*>(QStringLiteral("copyPassword"))
             : nullptr;
}

TEST(PasswordPullItemTest, TheClickCopiesTheSecretAndEndsThePhase) {
  PasswordPullItem item;
  item.setPresentation(PasswordPullItem::Presentation::Window);
  QGuiApplication::clipboard()->setText(QStringLiteral("the user id"));
  item.startPullPasswordPhase(QStringLiteral("first pw"), 20);
  GuiDriver::settle();
  ASSERT_TRUE(item.pullMenuIsOn());
  EXPECT_EQ(clipboardText(), u"the user id");  // nothing copied before the click
  EXPECT_EQ(removeTimer(item)->interval(), 20'000);
  QWidget* window = item.fallbackWindow();
  ASSERT_NE(copyButton(item), nullptr);
  GuiDriver::snapshot(window, QStringLiteral("pull-window"));

  // A second push leaves one window, which copies the second password, timed afresh.
  item.startPullPasswordPhase(QStringLiteral("second pw"), 40);
  GuiDriver::settle();
  EXPECT_EQ(GuiDriver::visible<QWidget>().count(window), 0);
  ASSERT_NE(copyButton(item), nullptr);
  EXPECT_EQ(removeTimer(item)->interval(), 40'000);
  QTest::mouseClick(copyButton(item), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_EQ(clipboardText(), u"second pw");
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->data(QString::fromLatin1(Pasteboard::kPasswordManagerHint)), "secret");
  EXPECT_FALSE(item.pullMenuIsOn());
  EXPECT_FALSE(removeTimer(item)->isActive());
  EXPECT_EQ(item.fallbackWindow(), nullptr);
  item.copyPassword();  // a late click copies nothing
  EXPECT_EQ(clipboardText(), u"second pw");
}

TEST(PasswordPullItemTest, TimeRunningOutRemovesTheItemAndKeepsTheClipboard) {
  struct Case {
    qint64 seconds;
    int intervalMs;
  } cases[] = {{0, 0}, {-3, 0}, {1, 1000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    PasswordPullItem item;
    item.setPresentation(PasswordPullItem::Presentation::Window);
    QGuiApplication::clipboard()->setText(QStringLiteral("the user id"));
    item.startPullPasswordPhase(QStringLiteral("pw"), c.seconds);
    EXPECT_TRUE(item.pullMenuIsOn());
    EXPECT_EQ(removeTimer(item)->interval(), c.intervalMs);
    // A timed item's second is not waited out; one due at once ends by itself.
    if (c.intervalMs > 0) {
      EXPECT_TRUE(GuiDriver::expireNow(removeTimer(item)));
    }
    EXPECT_TRUE(QTest::qWaitFor([&item] { return !item.pullMenuIsOn(); }, 30000));
    GuiDriver::settle();
    EXPECT_EQ(item.fallbackWindow(), nullptr);
    EXPECT_EQ(clipboardText(), u"the user id");
  }
  PasswordPullItem item;
  item.setPresentation(PasswordPullItem::Presentation::Window);
  item.startPullPasswordPhase(QStringLiteral("pw"), std::numeric_limits<qint64>::max());
  EXPECT_GT(removeTimer(item)->interval(), 24 * 24 * 3600 * 1000);  // no overflow to "at once"
}

TEST(PasswordPullItemTest, TrayMenuHasTheOneCopyItem) {
  PasswordPullItem item;
  item.setPresentation(PasswordPullItem::Presentation::Tray);
  item.startPullPasswordPhase(QStringLiteral("tray pw"), 20);
  ASSERT_NE(item.trayIcon(), nullptr);
  ASSERT_NE(item.trayMenu(), nullptr);
  EXPECT_FALSE(item.trayIcon()->icon().isNull());
  const auto actions = item.trayMenu()->actions();
  ASSERT_EQ(actions.size(), 1);
  EXPECT_EQ(actions.first()->text(), u"&Copy Password");
  item.trayMenu()->popup(QPoint(40, 40));
  GuiDriver::settle();
  GuiDriver::snapshot(item.trayMenu(), QStringLiteral("pull-tray-menu"));
  item.trayMenu()->hide();
  actions.first()->trigger();
  GuiDriver::settle();
  EXPECT_EQ(clipboardText(), u"tray pw");
  EXPECT_FALSE(item.pullMenuIsOn());
  EXPECT_FALSE(item.trayIcon()->isVisible());

  // A click on the icon itself copies too.
  item.startPullPasswordPhase(QStringLiteral("clicked pw"), 20);
  EXPECT_TRUE(item.trayIcon()->isVisible());
  Q_EMIT item.trayIcon()->activated(QSystemTrayIcon::Trigger);
  EXPECT_EQ(clipboardText(), u"clicked pw");
  EXPECT_FALSE(item.pullMenuIsOn());
}

// An unlocked document of twenty records in its window, the application's delegate and a
// fake opener in place of the desktop's.
class PushAndPullWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("q.conf")));
    MyAppDelegate::initialize(*defaults);
    delegate = std::make_unique<MyAppDelegate>(*defaults);
    delegate->pullItem().setPresentation(PasswordPullItem::Presentation::Window);
    ZVUrlResolutor::sharedUrlResolutor().setOpener([this](const QUrl& url) {
      // The order of the three moves: password held, user on the clipboard, then the address.
      events << QStringLiteral("open %1 pulled=%2 clipboard=%3")
                    .arg(url.toString(), delegate->pullMenuIsOn() ? u"yes" : u"no",
                         clipboardText());
      return true;
    });
    doc = std::make_unique<MyDocument>();
    doc->setPlainPassword(VaultFixture::kPassword);
    VaultFixture::fillTwenty(*doc);
    window = new VaultDocumentWindow(doc.get(), *defaults);
    window->resize(1000, 600);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    doc->recordController().setSelectionIndex(3);
    GuiDriver::settle();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    delegate->pullItem().endPullPasswordPhase();
    delete window.data();
    doc.reset();
    ZVUrlResolutor::sharedUrlResolutor().setOpener({});
  }
  DictRef selected() const { return doc->recordController().selectedObjects().back(); }
  qint64 uses() const { return selected()->value(RecordKeys::usageCount()).toInteger(); }
  void run(const char* selector) {
    window->command(QString::fromLatin1(selector))->trigger();
    GuiDriver::settle();
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<MyAppDelegate> delegate;
  std::unique_ptr<MyDocument> doc;
  QPointer<VaultDocumentWindow> window;
  QStringList events;
};

TEST_F(PushAndPullWindowTest, CopiesTheUserIdHoldsThePasswordAndOpensTheSite) {
  const DictRef record = selected();
  record->setValue(RecordKeys::url(), QStringLiteral("https://dentist.example/login"));
  const qint64 before = uses();
  run("pushAndPull:");
  const QString userID = record->value(RecordKeys::userID()).toString();
  ASSERT_EQ(events.size(), 1);
  EXPECT_EQ(events.first(), QStringLiteral("open https://dentist.example/login pulled=yes "
                                           "clipboard=") +
                                userID);
  EXPECT_EQ(clipboardText(), userID);
  EXPECT_EQ(uses(), before + 1);
  ASSERT_TRUE(delegate->pullMenuIsOn());
  EXPECT_EQ(removeTimer(delegate->pullItem())->interval(), 20'000);
  QTest::mouseClick(copyButton(delegate->pullItem()), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_EQ(clipboardText(), record->value(RecordKeys::password()).toString());
}

TEST_F(PushAndPullWindowTest, ABlankUserIdAsksAndOkUsesTheAccountForBoth) {
  const DictRef record = selected();
  record->setValue(RecordKeys::url(), QStringLiteral("ftp://files.example/pub"));
  record->setValue(RecordKeys::userID(), QStringLiteral("   "));
  const QString account = record->value(RecordKeys::account()).toString();
  run("pushAndPull:");
  QMessageBox* alert = GuiDriver::onlyAlert();
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->text(), u"User ID empty. Do you want to use the User Account field?");
  EXPECT_EQ(alert->informativeText(),
            u"Quorlith usually needs to copy from your User ID field the string to use as login");
  EXPECT_TRUE(events.isEmpty());
  EXPECT_FALSE(delegate->pullMenuIsOn());
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));
  ASSERT_EQ(events.size(), 1);
  EXPECT_EQ(events.first(),
            QStringLiteral("open ftp://%1@files.example/pub pulled=yes clipboard=%1").arg(account));
}

TEST_F(PushAndPullWindowTest, CancelChangesNothing) {
  selected()->setValue(RecordKeys::userID(), QString());
  delegate->startPullPasswordPhase(QStringLiteral("earlier"));
  const qint64 before = uses();
  run("pushAndPull:");
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Cancel")));
  EXPECT_TRUE(events.isEmpty());
  EXPECT_EQ(clipboardText(), u"before");
  EXPECT_EQ(uses(), before);
  ASSERT_TRUE(delegate->pullMenuIsOn());
  delegate->pullItem().copyPassword();
  EXPECT_EQ(clipboardText(), u"earlier");
}

TEST_F(PushAndPullWindowTest, OpenUrlNeverPutsThePasswordInAndExplainsARefusedFile) {
  const DictRef record = selected();
  record->setValue(RecordKeys::url(), QStringLiteral("ftp://files.example"));
  run("openUrl:");
  ASSERT_EQ(events.size(), 1);
  EXPECT_FALSE(events.first().contains(record->value(RecordKeys::password()).toString()));
  EXPECT_FALSE(delegate->pullMenuIsOn());

  record->setValue(RecordKeys::url(),
                   dir.filePath(QStringLiteral("missing.txt")).prepend(u"file://"));
  run("openUrl:");
  EXPECT_EQ(events.size(), 1);
  ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
  EXPECT_EQ(GuiDriver::onlyAlert()->text(), u"The file could not be opened");
  EXPECT_TRUE(GuiDriver::onlyAlert()->informativeText().contains(u"missing.txt"));
  GuiDriver::closeAllAlerts();

  // A user name is put in only beside a password: with none the address goes as it is.
  const QString userID = record->value(RecordKeys::userID()).toString();
  ASSERT_FALSE(userID.isEmpty());
  record->setValue(RecordKeys::url(), QStringLiteral("ftp://files.example/pub"));
  run("openUrl:");
  ASSERT_EQ(events.size(), 2);
  EXPECT_TRUE(
      events.last().startsWith(QStringLiteral("open ftp://%1@files.example/pub ")
                                   .arg(QString::fromLatin1(QUrl::toPercentEncoding(userID)))))
      << events.last().toStdString();
  record->setValue(RecordKeys::password(), QString());
  run("openUrl:");
  ASSERT_EQ(events.size(), 3);
  EXPECT_TRUE(events.last().startsWith(u"open ftp://files.example/pub "))
      << events.last().toStdString();

  // "file:" with one slash is the full path it shows; a path that is not full is quoted whole.
  QFile notes(dir.filePath(QStringLiteral("notes.txt")));
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.close();
  record->setValue(RecordKeys::url(), QStringLiteral("file:") + notes.fileName());
  run("openUrl:");
  ASSERT_EQ(events.size(), 4);
  EXPECT_TRUE(events.last().startsWith(QStringLiteral("open file://%1 ").arg(notes.fileName())))
      << events.last().toStdString();
  EXPECT_EQ(GuiDriver::onlyAlert(), nullptr);
  record->setValue(RecordKeys::url(), QStringLiteral("file:tmp/x"));
  run("openUrl:");
  EXPECT_EQ(events.size(), 4);
  ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
  EXPECT_TRUE(
      GuiDriver::onlyAlert()->informativeText().startsWith(u"\"file:tmp/x\" is not a full path"))
      << GuiDriver::onlyAlert()->informativeText().toStdString();
}

// The pull item's menu is fixed: a pull string shows no item and changes the shown one in no way.
TEST_F(PushAndPullWindowTest, AStatusMenuPullStringShowsAndChangesNothing) {
  delegate->createStatusMenuWithPullString(QStringLiteral("shown text"));
  GuiDriver::settle();
  EXPECT_FALSE(delegate->pullMenuIsOn());
  EXPECT_EQ(delegate->pullItem().fallbackWindow(), nullptr);

  delegate->startPullPasswordPhase(QStringLiteral("held pw"));
  GuiDriver::settle();
  QWidget* shown = delegate->pullItem().fallbackWindow();
  ASSERT_NE(shown, nullptr);
  const int interval = removeTimer(delegate->pullItem())->interval();
  delegate->createStatusMenuWithPullString(QStringLiteral("shown text"));
  GuiDriver::settle();
  EXPECT_TRUE(delegate->pullMenuIsOn());
  EXPECT_EQ(delegate->pullItem().fallbackWindow(), shown);
  EXPECT_EQ(removeTimer(delegate->pullItem())->interval(), interval);
  EXPECT_EQ(clipboardText(), u"before");
  QTest::mouseClick(copyButton(delegate->pullItem()), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_EQ(clipboardText(), u"held pw");
}

TEST_F(PushAndPullWindowTest, HelpSheetExplainsAndCloses) {
  run("showPushAndPullHelp:");
  QPointer<Sheet> sheet = window->findChild<Sheet*>(QStringLiteral("pushAndPullHelpSheet"));
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(sheet->isVisible());
  GuiDriver::snapshot(sheet, QStringLiteral("push-and-pull-help"));
  auto* buttons = sheet->findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  QTest::mouseClick(buttons->button(QDialogButtonBox::Close), Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_FALSE(sheet && sheet->isVisible());
}

// How a record's value reached the clipboard (or the pull item), and how its document ends.
enum class CopiedBy { PasswordCommand, PasswordCopyControl, PullClicked, PullNotClicked, UserID };
enum class DocumentEnd { LockThroughTheMenu, LockAutomatically, Close };
using EndCase = std::tuple<CopiedBy, DocumentEnd, bool /* copied something else since */>;

// A secret that this window put on the clipboard, or left with the pull item, does not outlive
// its document's lock or close; what is not secret, and what the user copied since, stays.
class SecretsAtTheEndTest : public PushAndPullWindowTest,
                            public ::testing::WithParamInterface<EndCase> {
 protected:
  void SetUp() override {
    PushAndPullWindowTest::SetUp();
    // The lock commands want a document with a file.
    ASSERT_TRUE(doc->saveToURL(dir.filePath(QStringLiteral("v.qvlt"))));
  }
};

TEST_P(SecretsAtTheEndTest, TheDocumentsSecretLeavesTheClipboardAndThePullItem) {
  const auto [copiedBy, end, copiedElsewhere] = GetParam();
  const DictRef record = selected();
  record->setValue(RecordKeys::url(), QStringLiteral("https://dentist.example/login"));
  // Copies of their own: the lock wipes the record's texts in place.
  const QString password =
      SecureMemory::privateCopy(record->value(RecordKeys::password()).toString());
  const QString userID = SecureMemory::privateCopy(record->value(RecordKeys::userID()).toString());
  QString copied = password;
  bool secret = true;
  switch (copiedBy) {
    case CopiedBy::PasswordCommand:
      run("copyPassword:");
      break;
    case CopiedBy::PasswordCopyControl:
      window->detailView()->field(RecordKeys::password())->CopyInClipboard(5);
      break;
    case CopiedBy::PullClicked:
      run("pushAndPull:");
      delegate->pullItem().copyPassword();
      break;
    case CopiedBy::PullNotClicked:
      run("pushAndPull:");
      ASSERT_TRUE(delegate->pullMenuIsOn());
      copied = userID;
      secret = false;
      break;
    case CopiedBy::UserID:
      run("copyUserID:");
      copied = userID;
      secret = false;
      break;
  }
  ASSERT_EQ(clipboardText(), copied);
  if (copiedElsewhere) QGuiApplication::clipboard()->setText(QStringLiteral("copied elsewhere"));

  switch (end) {
    case DocumentEnd::LockThroughTheMenu:
      ASSERT_TRUE(window->perform(QStringLiteral("lockDocument:")));
      GuiDriver::settle();
      ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));
      break;
    case DocumentEnd::LockAutomatically:
      doc->lockAutomatically();
      break;
    case DocumentEnd::Close:
      doc->close();
      break;
  }
  MainQueue::drain();
  GuiDriver::settle();
  if (end == DocumentEnd::Close) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
  } else {
    EXPECT_TRUE(doc->isEncrypted());
  }

  const QString expected = copiedElsewhere ? QStringLiteral("copied elsewhere")
                           : secret        ? QString()
                                           : copied;
  EXPECT_EQ(clipboardText(), expected);
  EXPECT_FALSE(delegate->pullMenuIsOn());
}

std::string endCaseName(const ::testing::TestParamInfo<EndCase>& info) {
  static const char* const copies[] = {"PasswordCommand", "PasswordCopyControl", "PullClicked",
                                       "PullNotClicked", "UserID"};
  static const char* const ends[] = {"LockThroughTheMenu", "LockAutomatically", "Close"};
  return std::string(copies[int(std::get<0>(info.param))]) + "Then" +
         ends[int(std::get<1>(info.param))] + (std::get<2>(info.param) ? "AfterAnotherCopy" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Ends, SecretsAtTheEndTest,
    ::testing::Combine(::testing::Values(CopiedBy::PasswordCommand, CopiedBy::PasswordCopyControl,
                                         CopiedBy::PullClicked, CopiedBy::PullNotClicked,
                                         CopiedBy::UserID),
                       ::testing::Values(DocumentEnd::LockThroughTheMenu,
                                         DocumentEnd::LockAutomatically, DocumentEnd::Close),
                       ::testing::Bool()),
    endCaseName);

}  // namespace
