#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <string_view>

#include "app/MyAppDelegate.h"
#include "app/ZVRevertDocController.h"
#include "platform/AtomicFile.h"
#include "platform/DocumentLock.h"
#include "platform/MainQueue.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/app/SavedVault.h"
#include "vault/MyDocument.h"
#include "vault/VaultFileBytes.h"
#include "vault/VaultKeys.h"
#include "window/VaultDocumentWindow.h"

namespace {

const QString kPassword = QStringLiteral("secret12");
const QString kChangedText =
    QStringLiteral("“Bank” was changed by another program since it was opened or saved.");

// Another device's vault put in the file's place as a sync tool does: written beside it and
// renamed over it.
void replaceAsAnotherProgram(const QString& path, const QStringList& names) {
  Vault vault;
  auto records = Array::create();
  for (const QString& name : names) {
    DictRef record = vault.recordController().newObject();
    record->setValue(RecordKeys::name(), name);
    records->append(record);
  }
  vault.setRecords(records);
  VaultResult<QByteArray> bytes = vault.fileData(kPassword, vault.viewState());
  ASSERT_TRUE(bytes);
  const QString incoming = path + QStringLiteral(".incoming");
  ASSERT_TRUE(AtomicFile::write(bytes.value(), incoming));
  ASSERT_EQ(::rename(QFile::encodeName(incoming), QFile::encodeName(path)), 0);
}

// The names of the records the file at path holds, through the program's own reader.
QStringList namesIn(const QString& path) {
  auto bytes = VaultFileBytes::read(path);
  Vault vault;
  if (!bytes || !vault.read(bytes.value()) || !vault.unlock(kPassword))
    return {QStringLiteral("<unreadable>")};
  QStringList names;
  for (const Value& v : vault.records()->values())
    if (const DictRef record = v.toDictionary())
      names << record->value(RecordKeys::name()).toString();
  return names;
}

QStringList namesShown(MyDocument* doc) {
  QStringList names;
  for (const Value& v : doc->myArray()->values())
    if (const DictRef record = v.toDictionary())
      names << record->value(RecordKeys::name()).toString();
  return names;
}

// The application's delegate and controller around a vault "Bank" that another program
// replaces while it is open.
class ChangedVaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("q.conf")));
    MyAppDelegate::initialize(*defaults);
    delegate = std::make_unique<MyAppDelegate>(*defaults);
    delegate->setDocumentController(&controller);
    controller.setAppDelegate(delegate.get());
    vault = dir.filePath(QStringLiteral("Bank.qvlt"));
    ASSERT_TRUE(writeSavedVault(vault));
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    controller.closeAllDocuments();
    GuiDriver::settle();
  }
  static void settle() {
    GuiDriver::settle();
    MainQueue::drain();
    GuiDriver::settle();
  }
  static void unlock(VaultDocumentWindow* window) {
    window->passwordField()->setFocus();
    QTest::keyClicks(window->passwordField(), kPassword);
    QTest::keyClick(window->passwordField(), Qt::Key_Return);
    settle();
  }
  MyDocument* open(const QString& path) {
    auto* doc = qobject_cast<MyDocument*>(
        controller.openDocumentWithContentsOfURL(path, true).value_or(nullptr));
    settle();
    return doc;
  }
  // Opened, unlocked and given one new record; then the file is replaced by one of "Remote".
  MyDocument* editedWhileReplaced() {
    MyDocument* doc = open(vault);
    if (!doc) return nullptr;
    unlock(controller.windowOf(doc));
    if (!controller.windowOf(doc)->perform(QStringLiteral("addRow:"))) return nullptr;
    settle();
    replaceAsAnotherProgram(vault, {QStringLiteral("Remote")});
    return doc;
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  ZVRevertDocController controller;
  std::unique_ptr<MyAppDelegate> delegate;
  QString vault;
};

TEST_F(ChangedVaultTest, TheAutomaticLockKeepsTheEditsAndAsksAtTheWindowsNextUse) {
  MyDocument* doc = editedWhileReplaced();
  ASSERT_NE(doc, nullptr);
  VaultDocumentWindow* window = controller.windowOf(doc);
  delegate->AutomaticLockAllOpenedDocuments();
  settle();
  EXPECT_TRUE(doc->isEncrypted());
  EXPECT_TRUE(doc->isDocumentEdited());
  EXPECT_TRUE(doc->hasHeldBackWrite());
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_EQ(namesIn(vault), QStringList{QStringLiteral("Remote")});

  QTest::keyClick(window->passwordField(), Qt::Key_Shift);
  settle();
  EXPECT_EQ(GuiDriver::alertTexts(), QStringList{kChangedText});
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("&Save Anyway")));
  // The held pieces, with the record added before the lock.
  EXPECT_EQ(namesIn(vault), QStringList{QString()});
  EXPECT_FALSE(doc->isDocumentEdited());
}

TEST_F(ChangedVaultTest, TheUsersLockAsksBeforeItSaves) {
  MyDocument* doc = editedWhileReplaced();
  ASSERT_NE(doc, nullptr);
  for (const char* answer : {"Cancel", "&Save Anyway"}) {
    SCOPED_TRACE(answer);
    doc->lockDocument();
    settle();
    ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));
    settle();
    EXPECT_EQ(GuiDriver::alertTexts(), QStringList{kChangedText});
    EXPECT_EQ(namesIn(vault), QStringList{QStringLiteral("Remote")});
    ASSERT_TRUE(GuiDriver::pressAlertButton(QString::fromUtf8(answer)));
    settle();
  }
  // Cancel left it unlocked and unsaved; Save Anyway wrote it and locked.
  EXPECT_TRUE(doc->isEncrypted());
  EXPECT_FALSE(doc->isDocumentEdited());
  EXPECT_EQ(namesIn(vault), QStringList{QString()});
}

TEST_F(ChangedVaultTest, RevertShowsTheOtherProgramsRecordsAfterTheUnlock) {
  MyDocument* doc = editedWhileReplaced();
  ASSERT_NE(doc, nullptr);
  EXPECT_FALSE(doc->saveDocument());
  settle();
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("&Revert")));
  settle();
  EXPECT_TRUE(doc->isEncrypted());
  EXPECT_TRUE(controller.windowOf(doc)->showsLockedLayout());
  EXPECT_FALSE(doc->isDocumentEdited());
  unlock(controller.windowOf(doc));
  ASSERT_TRUE(doc->isDecrypted());
  EXPECT_EQ(namesShown(doc), QStringList{QStringLiteral("Remote")});
  EXPECT_EQ(namesIn(vault), QStringList{QStringLiteral("Remote")});
}

TEST_F(ChangedVaultTest, ComingBackRereadsALockedDocumentWithoutAsking) {
  MyDocument* doc = open(vault);
  ASSERT_NE(doc, nullptr);
  replaceAsAnotherProgram(vault, {QStringLiteral("Remote"), QStringLiteral("Second")});
  delegate->applicationDidBecomeActive();
  settle();
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  unlock(controller.windowOf(doc));
  ASSERT_TRUE(doc->isDecrypted());
  EXPECT_EQ(namesShown(doc), (QStringList{QStringLiteral("Remote"), QStringLiteral("Second")}));

  // Unlocked and unedited, it asks.
  replaceAsAnotherProgram(vault, {QStringLiteral("Third")});
  delegate->applicationDidBecomeActive();
  settle();
  EXPECT_EQ(GuiDriver::alertTexts(),
            QStringList{QStringLiteral("“Bank” was changed by another program.")});
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("&Revert")));
  settle();
  EXPECT_TRUE(doc->isEncrypted());
}

TEST_F(ChangedVaultTest, QuittingAsksAndItsCancelStopsTheQuit) {
  MyDocument* doc = editedWhileReplaced();
  ASSERT_NE(doc, nullptr);
  for (const char* answer : {"Cancel", "&Save Anyway"}) {
    SCOPED_TRACE(answer);
    controller.reviewUnsavedDocumentsAndQuit();
    settle();
    ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Save")));
    EXPECT_EQ(GuiDriver::alertTexts(), QStringList{kChangedText});
    EXPECT_EQ(namesIn(vault), QStringList{QStringLiteral("Remote")});
    ASSERT_TRUE(GuiDriver::pressAlertButton(QString::fromUtf8(answer)));
    settle();
    if (std::string_view(answer) == "Cancel") {
      EXPECT_FALSE(doc->isClosed());
      EXPECT_TRUE(doc->isDocumentEdited());
    }
  }
  // Saved anyway, the document closed and the quit went on.
  EXPECT_TRUE(controller.documents().empty());
  EXPECT_EQ(namesIn(vault), QStringList{QString()});
}

TEST_F(ChangedVaultTest, TheEndOnASignalSavesWhatItMayAndClosesEverything) {
  MyDocument* replaced = editedWhileReplaced();
  ASSERT_NE(replaced, nullptr);
  const QString otherPath = dir.filePath(QStringLiteral("Other.qvlt"));
  ASSERT_TRUE(writeSavedVault(otherPath));
  MyDocument* other = open(otherPath);
  ASSERT_NE(other, nullptr);
  unlock(controller.windowOf(other));
  ASSERT_TRUE(controller.windowOf(other)->perform(QStringLiteral("addRow:")));
  settle();
  ASSERT_TRUE(QFile::exists(DocumentLock::lockPathFor(vault)));

  controller.closeAllDocumentsSaving();
  settle();
  EXPECT_TRUE(controller.documents().empty());
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_EQ(namesIn(vault), QStringList{QStringLiteral("Remote")});  // another program's
  EXPECT_EQ(namesIn(otherPath), QStringList{QString()});             // saved
  EXPECT_FALSE(QFile::exists(DocumentLock::lockPathFor(vault)));
  EXPECT_FALSE(QFile::exists(DocumentLock::lockPathFor(otherPath)));
}

}  // namespace
