#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QToolBar>
#include <memory>

#include "platform/AtomicFile.h"
#include "platform/UserDefaults.h"
#include "platform/crypto/SecureMemory.h"
#include "tests/GuiDriver.h"
#include "tests/window/VaultFixture.h"
#include "vault/PasswordSheet.h"
#include "window/VaultDocumentWindow.h"

namespace {

// A vault of twenty records saved to a file, opened and unlocked in its window.
class LockWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("q.conf")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("box")));
    path = dir.filePath(QStringLiteral("box/v.qvlt"));
    {
      MyDocument source;
      source.setPlainPassword(VaultFixture::kPassword);
      VaultFixture::fillTwenty(source);
      ASSERT_TRUE(source.saveToURL(path));
    }
    window = open();
    unlock(window);
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    AtomicFile::setBeforeCommitHook({});
    for (auto& w : windows) delete w.data();
    docs.clear();
  }

  VaultDocumentWindow* open() {
    docs.push_back(std::make_unique<MyDocument>());
    MyDocument* doc = docs.back().get();
    EXPECT_TRUE(doc->readFromURL(path));
    doc->setFileURL(path);
    auto* w = new VaultDocumentWindow(doc, *defaults);
    windows << w;
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    GuiDriver::settle();
    return w;
  }
  static void unlock(VaultDocumentWindow* w) {
    w->passwordField()->setFocus();
    QTest::keyClicks(w->passwordField(), VaultFixture::kPassword);
    QTest::keyClick(w->passwordField(), Qt::Key_Return);
    GuiDriver::settle();
    MainQueue::drain();
    GuiDriver::settle();
  }
  // Copies of their own: the lock wipes the records' strings wherever they are shared.
  static QStringList names(MyDocument& doc) {
    QStringList out;
    for (const auto& r : doc.recordController().arrangedObjects())
      out << SecureMemory::privateCopy(r->value(RecordKeys::name()).toString());
    return out;
  }
  MyDocument* doc() const { return window->document(); }
  void lockThroughTheAlert(const QString& button) {
    ASSERT_TRUE(window->perform(QStringLiteral("lockDocument:")));
    GuiDriver::settle();
    EXPECT_EQ(GuiDriver::alertTexts(),
              QStringList{QStringLiteral("Lock Document back to the crypted state?")});
    GuiDriver::snapshot(GuiDriver::onlyAlert(), QStringLiteral("lock-alert"));
    ASSERT_TRUE(GuiDriver::pressAlertButton(button));
    MainQueue::drain();
    GuiDriver::settle();
  }

  QTemporaryDir dir;
  QString path;
  std::unique_ptr<UserDefaults> defaults;
  std::vector<std::unique_ptr<MyDocument>> docs;
  QList<QPointer<VaultDocumentWindow>> windows;
  QPointer<VaultDocumentWindow> window;
};

TEST_F(LockWindowTest, CancelKeepsTheDocumentOpenAndOkLocksItAsItWas) {
  ASSERT_FALSE(doc()->isEncrypted());
  window->orderByColumnWithidentifier(QStringLiteral("name"), false);
  window->perform(QStringLiteral("setColumnVisibilityAll:"));
  window->setToolbarVisible(false);
  const QStringList order = names(*doc());
  const ArrayRef visibility = window->getColumnVisibility();

  lockThroughTheAlert(QStringLiteral("Cancel"));
  EXPECT_FALSE(doc()->isEncrypted());
  EXPECT_EQ(names(*doc()), order);

  // Captured before the lock: the same characters as the record's note.
  QString note = doc()->recordController().arrangedObjects().front()->value(u"note").toString();
  const qsizetype noteLength = note.size();
  const std::weak_ptr<Dictionary> record = doc()->recordController().arrangedObjects().front();
  lockThroughTheAlert(QStringLiteral("OK"));
  EXPECT_TRUE(record.expired());  // nothing holds a record of the locked vault
  ASSERT_TRUE(doc()->isEncrypted());
  EXPECT_TRUE(window->showsLockedLayout());
  EXPECT_FALSE(window->isToolbarVisible());
  EXPECT_TRUE(doc()->myArray()->isEmpty());
  EXPECT_TRUE(doc()->plainPassword().isEmpty());
  EXPECT_EQ(note, QString(noteLength, QChar(0)));  // wiped in place, not only let go
  EXPECT_FALSE(doc()->isDocumentEdited());
  for (const char* action : {"copyPassword:", "deleteRow:", "lockDocument:", "showAllCategory:",
                             "editContentToggle:", "switchShowClearPassword:"})
    EXPECT_FALSE(window->perform(QString::fromLatin1(action))) << action;
  GuiDriver::snapshot(window, QStringLiteral("document-window-locked-after-use"));

  unlock(window);
  ASSERT_FALSE(doc()->isEncrypted());
  EXPECT_EQ(names(*doc()), order);
  EXPECT_FALSE(window->isToolbarVisible());
  const ArrayRef after = window->getColumnVisibility();
  ASSERT_EQ(after->count(), visibility->count());
  for (qsizetype i = 0; i < after->count(); ++i)
    EXPECT_EQ(after->at(i).toDictionary()->value(u"hidden").toBool(),
              visibility->at(i).toDictionary()->value(u"hidden").toBool());
}

TEST_F(LockWindowTest, AnAutomaticLockEndsTheOpenSheetAndKeepsTheEditInTheFile) {
  const DictRef record = doc()->recordController().arrangedObjects().front();
  record->setValue(RecordKeys::name(), QStringLiteral("Renamed before the lock"));
  doc()->updateChangeCount(ChangeCounting::ChangeDone);
  doc()->showChangePasswordSheet(window);
  GuiDriver::settle();
  ASSERT_EQ(GuiDriver::visible<PasswordSheet>().size(), 1);

  doc()->lockAutomatically();
  GuiDriver::settle();
  EXPECT_TRUE(GuiDriver::visible<PasswordSheet>().isEmpty());
  MainQueue::drain();
  GuiDriver::settle();
  ASSERT_TRUE(doc()->isEncrypted());
  // Quitting now closes the locked document without a word; the edit is in the file.
  VaultDocumentWindow* reopened = open();
  unlock(reopened);
  EXPECT_TRUE(names(*reopened->document()).contains(u"Renamed before the lock"));
}

TEST_F(LockWindowTest, TheAutomaticLockSkipsADocumentWithoutAFile) {
  MyDocument fresh;
  fresh.setPlainPassword(VaultFixture::kPassword);
  auto* w = new VaultDocumentWindow(&fresh, *defaults);
  windows << w;
  fresh.lockAutomatically();
  MainQueue::drain();
  EXPECT_FALSE(fresh.isEncrypted());
  EXPECT_FALSE(w->showsLockedLayout());
}

// Ways a save fails under a document that is open: each is undone by repair().
enum class SaveFault { WriteAbandoned, FolderGone };

void PrintTo(SaveFault fault, std::ostream* os) {
  *os << (fault == SaveFault::WriteAbandoned ? "WriteAbandoned" : "FolderGone");
}

class LockWithFailingSaveTest : public LockWindowTest,
                                public ::testing::WithParamInterface<SaveFault> {
 protected:
  void breakSaving() {
    if (GetParam() == SaveFault::WriteAbandoned)
      AtomicFile::setBeforeCommitHook([] { return false; });
    else
      ASSERT_TRUE(QDir(dir.path()).rename(QStringLiteral("box"), QStringLiteral("away")));
  }
  void repair() {
    if (GetParam() == SaveFault::WriteAbandoned)
      AtomicFile::setBeforeCommitHook({});
    else
      ASSERT_TRUE(QDir(dir.path()).rename(QStringLiteral("away"), QStringLiteral("box")));
  }
  void renameFirstRecord() {
    const DictRef record = doc()->recordController().arrangedObjects().front();
    record->setValue(RecordKeys::name(), QStringLiteral("Renamed before the lock"));
    doc()->updateChangeCount(ChangeCounting::ChangeDone);
  }
  // The lock command and its alert; the save it starts fails.
  void lockWithSavingBroken() {
    breakSaving();
    lockThroughTheAlert(QStringLiteral("OK"));
    ASSERT_TRUE(doc()->isEncrypted());
    EXPECT_TRUE(window->showsLockedLayout());
    EXPECT_TRUE(doc()->isDocumentEdited());
    EXPECT_EQ(GuiDriver::alertTexts(),
              QStringList{QStringLiteral("The changes could not be saved")});
    GuiDriver::snapshot(GuiDriver::onlyAlert(), QStringLiteral("lock-kept-changes-alert"));
    ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));
  }
  void askToClose() {
    window->close();
    GuiDriver::settle();
    ASSERT_EQ(GuiDriver::alertTexts(),
              QStringList{QStringLiteral("Do you want to save the changes made to the document "
                                         "“v”?")});
  }
};

TEST_P(LockWithFailingSaveTest, TheLockLocksAndTheNextUnlockBringsTheChangesBack) {
  renameFirstRecord();
  lockWithSavingBroken();
  EXPECT_TRUE(doc()->myArray()->isEmpty());
  EXPECT_TRUE(doc()->plainPassword().isEmpty());

  askToClose();
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Cancel")));
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(doc()->isClosed());

  unlock(window);
  ASSERT_FALSE(doc()->isEncrypted());
  EXPECT_TRUE(names(*doc()).contains(u"Renamed before the lock"));
  EXPECT_TRUE(doc()->isDocumentEdited());  // still not in the file

  // Once the file can be written again, the next lock saves and nothing is left unsaved.
  repair();
  lockThroughTheAlert(QStringLiteral("OK"));
  ASSERT_TRUE(doc()->isEncrypted());
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_FALSE(doc()->isDocumentEdited());
  VaultDocumentWindow* reopened = open();
  unlock(reopened);
  EXPECT_TRUE(names(*reopened->document()).contains(u"Renamed before the lock"));
}

TEST_P(LockWithFailingSaveTest, SavingAtCloseWritesWhatTheLockKept) {
  renameFirstRecord();
  lockWithSavingBroken();
  askToClose();
  // Saving while the fault lasts fails, says so, and leaves the document open.
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Save")));
  EXPECT_EQ(GuiDriver::alertTexts(),
            QStringList{QStringLiteral("The document “v” could not be saved.")});
  GuiDriver::closeAllAlerts();
  EXPECT_FALSE(doc()->isClosed());
  EXPECT_TRUE(doc()->isDocumentEdited());

  repair();
  askToClose();
  MyDocument* const saved = doc();
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Save")));
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_TRUE(saved->isClosed());
  EXPECT_FALSE(saved->isDocumentEdited());
  VaultDocumentWindow* reopened = open();
  unlock(reopened);
  ASSERT_FALSE(reopened->document()->isEncrypted());
  EXPECT_TRUE(names(*reopened->document()).contains(u"Renamed before the lock"));
  EXPECT_EQ(names(*reopened->document()).size(), 20);
}

INSTANTIATE_TEST_SUITE_P(Faults, LockWithFailingSaveTest,
                         ::testing::Values(SaveFault::WriteAbandoned, SaveFault::FolderGone),
                         [](const auto& info) {
                           return info.param == SaveFault::WriteAbandoned ? "WriteAbandoned"
                                                                          : "FolderGone";
                         });

}  // namespace
