#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/AutomaticLockTimer.h"
#include "app/MyAppDelegate.h"
#include "app/ZVRevertDocController.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/app/SavedVault.h"
#include "transfer/ExporterSheet.h"
#include "vault/MyDocument.h"
#include "window/VaultDocumentWindow.h"

namespace {

// Milliseconds the test moves by hand, as a suspended machine's boot clock would jump.
struct FakeClock {
  qint64 now = 1'000'000;
  qint64 stride = 0;  // added at each look: time passing as fast as the test needs
  Clock::MsSource clock() {
    return [this] { return now += stride; };
  }
};

// A delegate and controller with three documents: one saved and unlocked, one locked, one
// without a file.
class AutomaticLockDelegateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("q.conf")));
    MyAppDelegate::initialize(*defaults);
    delegate = std::make_unique<MyAppDelegate>(*defaults);
    delegate->setDocumentController(&controller);
    controller.setAppDelegate(delegate.get());
    Clock::setBootSource(fake.clock());
    connectLocks();
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    controller.closeAllDocuments();
    GuiDriver::settle();
    Clock::setBootSource({});
  }
  void connectLocks() {
    QObject::connect(&delegate->repeatingAutomaticLockTimer(), &AutomaticLockTimer::lockDue,
                     [this] { ++locks; });
  }
  static void unlock(VaultDocumentWindow* window) {
    window->passwordField()->setFocus();
    QTest::keyClicks(window->passwordField(), QStringLiteral("secret12"));
    QTest::keyClick(window->passwordField(), Qt::Key_Return);
    GuiDriver::settle();
    MainQueue::drain();
    GuiDriver::settle();
  }
  MyDocument* openUnlocked(const QString& name) {
    const QString path = dir.filePath(name);
    EXPECT_TRUE(writeSavedVault(path));
    auto* doc = qobject_cast<MyDocument*>(
        controller.openDocumentWithContentsOfURL(path, true).value_or(nullptr));
    if (!doc) return nullptr;
    unlock(controller.windowOf(doc));
    return doc;
  }
  void runDown() {
    fake.now += 10LL * 60'000;
    delegate->repeatingAutomaticLockTimer().checkDeadline();
    GuiDriver::settle();
    MainQueue::drain();
    GuiDriver::settle();
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  ZVRevertDocController controller;
  std::unique_ptr<MyAppDelegate> delegate;
  FakeClock fake;
  int locks = 0;
};

TEST_F(AutomaticLockDelegateTest, LeavingLocksEveryDocumentThatCanBeLocked) {
  defaults->setBool(QStringLiteral("autolocBackgroundEnabled"), true);
  defaults->setInteger(QStringLiteral("autolocBackgroundInterval"), 10);
  MyDocument* saved = openUnlocked(QStringLiteral("Saved.qvlt"));
  ASSERT_NE(saved, nullptr);
  ASSERT_FALSE(saved->isEncrypted());
  const QString lockedPath = dir.filePath(QStringLiteral("Locked.qvlt"));
  ASSERT_TRUE(writeSavedVault(lockedPath));
  auto* locked = qobject_cast<MyDocument*>(
      controller.openDocumentWithContentsOfURL(lockedPath, true).value_or(nullptr));
  ASSERT_NE(locked, nullptr);
  ASSERT_TRUE(locked->isEncrypted());
  auto* untitled =
      qobject_cast<MyDocument*>(controller.openUntitledDocumentAndDisplay().value_or(nullptr));
  ASSERT_NE(untitled, nullptr);
  untitled->setPlainPassword(QStringLiteral("secret12"));

  delegate->applicationDidResignActive();
  ASSERT_TRUE(delegate->repeatingAutomaticLockTimer().isPending());
  fake.now += 29'999;
  delegate->repeatingAutomaticLockTimer().checkDeadline();
  EXPECT_FALSE(saved->isEncrypted());
  runDown();
  EXPECT_EQ(locks, 1);
  EXPECT_TRUE(saved->isEncrypted());
  EXPECT_TRUE(locked->isEncrypted());
  EXPECT_FALSE(untitled->isEncrypted());
  EXPECT_EQ(controller.documents().size(), 3u);
}

TEST_F(AutomaticLockDelegateTest, ComingBackInTimeOrTheSettingOffLocksNothing) {
  MyDocument* saved = openUnlocked(QStringLiteral("Saved.qvlt"));
  ASSERT_NE(saved, nullptr);

  delegate->applicationDidResignActive();  // the setting is off by default
  EXPECT_FALSE(delegate->repeatingAutomaticLockTimer().isPending());
  runDown();

  defaults->setBool(QStringLiteral("autolocBackgroundEnabled"), true);
  defaults->setInteger(QStringLiteral("autolocBackgroundInterval"), 30);
  delegate->applicationDidResignActive();
  fake.now += 29'000;
  delegate->applicationDidBecomeActive();
  runDown();

  defaults->setInteger(QStringLiteral("autolocBackgroundInterval"), 0);
  delegate->applicationDidResignActive();
  EXPECT_FALSE(delegate->repeatingAutomaticLockTimer().isPending());
  runDown();

  EXPECT_EQ(locks, 0);
  EXPECT_FALSE(saved->isEncrypted());
}

TEST_F(AutomaticLockDelegateTest, AFailedSaveDoesNotStopTheLock) {
  defaults->setBool(QStringLiteral("autolocBackgroundEnabled"), true);
  MyDocument* doc = openUnlocked(QStringLiteral("Saved.qvlt"));
  ASSERT_NE(doc, nullptr);
  VaultDocumentWindow* window = controller.windowOf(doc);
  ASSERT_TRUE(window->perform(QStringLiteral("addRow:")));
  GuiDriver::settle();
  ASSERT_TRUE(doc->isDocumentEdited());
  AtomicFile::setBeforeCommitHook([] { return false; });

  delegate->applicationDidResignActive();
  runDown();
  AtomicFile::setBeforeCommitHook({});
  ASSERT_TRUE(doc->isEncrypted());
  EXPECT_TRUE(window->showsLockedLayout());
  EXPECT_TRUE(doc->isDocumentEdited());
  EXPECT_EQ(GuiDriver::alertTexts(), QStringList{QStringLiteral("The changes could not be saved")});
  GuiDriver::closeAllAlerts();

  // Quitting asks about the locked document as about any unsaved one.
  controller.reviewUnsavedDocumentsAndQuit();
  GuiDriver::settle();
  EXPECT_EQ(
      GuiDriver::alertTexts(),
      QStringList{QStringLiteral("Do you want to save the changes made to the document “Saved”?")});
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Cancel")));
  EXPECT_FALSE(doc->isClosed());

  unlock(window);
  ASSERT_FALSE(doc->isEncrypted());
  EXPECT_EQ(doc->myArray()->count(), 1);
  EXPECT_TRUE(doc->isDocumentEdited());
}

// One of the program's file dialogs, opened through its command, with a vault unlocked.
struct FileDialogCase {
  const char* name;
  std::function<void(ZVRevertDocController&, MyAppDelegate&, MyDocument*)> open;
};

void PrintTo(const FileDialogCase& c, std::ostream* os) { *os << c.name; }

class AutomaticLockWithFileDialogTest : public AutomaticLockDelegateTest,
                                        public ::testing::WithParamInterface<FileDialogCase> {
 protected:
  static QFileDialog* shownDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible())
        return dialog;
    return nullptr;
  }
  static void setState(Qt::ApplicationState state) {
    Q_EMIT qApp->applicationStateChanged(state);
    GuiDriver::settle();
  }
};

TEST_P(AutomaticLockWithFileDialogTest, LeavingLocksAndMovingBetweenOurWindowsDoesNot) {
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  defaults->setBool(QStringLiteral("autolocBackgroundEnabled"), true);
  defaults->setInteger(QStringLiteral("autolocBackgroundInterval"), 30);
  MyDocument* doc = openUnlocked(QStringLiteral("Saved.qvlt"));
  ASSERT_NE(doc, nullptr);
  VaultDocumentWindow* window = controller.windowOf(doc);
  bool done = false;
  bool lockedWhileOpen = false;
  // Runs once the dialog is up: inside its own event loop for the dialogs that block.
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    QFileDialog* dialog = shownDialog();
    if (!dialog || done) return;
    done = true;
    EXPECT_TRUE(dialog->isModal());
    setState(Qt::ApplicationActive);
    // The focus moves between the document window and the dialog, directly or by way of no
    // window at all.
    window->activateWindow();
    GuiDriver::settle();
    dialog->activateWindow();
    GuiDriver::settle();
    setState(Qt::ApplicationInactive);
    setState(Qt::ApplicationActive);
    EXPECT_FALSE(delegate->repeatingAutomaticLockTimer().isPending());
    // The user leaves. Each look at the clock finds all but 10 ms of the delay gone, so the
    // timer's own wake-up locks within the dialog's event loop.
    fake.stride = 29'990;
    setState(Qt::ApplicationInactive);
    EXPECT_TRUE(delegate->repeatingAutomaticLockTimer().isPending());
    lockedWhileOpen = QTest::qWaitFor([&] { return doc->isEncrypted(); }, 30000);
    fake.stride = 0;
    if (QFileDialog* left = shownDialog()) left->reject();
  });
  watch.start(10);
  GetParam().open(controller, *delegate, doc);
  EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 60000));
  EXPECT_TRUE(lockedWhileOpen);
  EXPECT_EQ(locks, 1);
  EXPECT_TRUE(doc->isEncrypted());
  EXPECT_TRUE(window->showsLockedLayout());
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, AutomaticLockWithFileDialogTest,
    ::testing::Values(FileDialogCase{"Open", [](ZVRevertDocController& c, MyAppDelegate&,
                                                MyDocument*) { c.openDocument(); }},
                      FileDialogCase{"SaveAs", [](ZVRevertDocController&, MyAppDelegate&,
                                                  MyDocument* doc) { doc->saveDocumentAs(); }},
                      FileDialogCase{"Import", [](ZVRevertDocController&, MyAppDelegate&,
                                                  MyDocument* doc) { doc->importFromTextFile(); }},
                      FileDialogCase{"Export",
                                     [](ZVRevertDocController&, MyAppDelegate&, MyDocument* doc) {
                                       // The file dialog follows the export settings sheet.
                                       doc->exportAllToTextFile();
                                       auto* sheet = doc->myWindow()->findChild<ExporterSheet*>();
                                       ASSERT_NE(sheet, nullptr);
                                       sheet->addAllButton()->click();
                                       sheet->exportButton()->click();
                                     }},
                      FileDialogCase{"StartupChooser", [](ZVRevertDocController&, MyAppDelegate& d,
                                                          MyDocument*) { d.selectStartupDoc(); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
