#include <gtest/gtest.h>

#include "tests/app/SavedVault.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "app/ZVRevertDocController.h"
#include "tests/GuiDriver.h"
#include "vault/MyDocument.h"
#include "vault/PasswordSheet.h"
#include "window/VaultDocumentWindow.h"

namespace {

// A controller whose failures are recorded instead of shown.
class QuietController : public ZVRevertDocController {
 public:
  QStringList errors;

 protected:
  void presentError(const QString& message, const QString& informative) override {
    errors << message + QLatin1Char(' ') + informative;
  }
};

class DocumentControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    vault = dir.filePath(QStringLiteral("Bank.qvlt"));
    ASSERT_TRUE(writeSavedVault(vault));
    previousDir = QDir::currentPath();
  }
  void TearDown() override {
    QDir::setCurrent(previousDir);
    gui::closeAllAlerts();
    controller.closeAllDocuments();
    other.closeAllDocuments();
    gui::settle();
  }

  QTemporaryDir dir;
  QString vault, previousDir;
  QuietController controller, other;
};

TEST_F(DocumentControllerTest, OneDocumentPerFileWhateverThePathSays) {
  ASSERT_TRUE(QFile::link(vault, dir.filePath(QStringLiteral("link.qvlt"))));
  ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("sub"))));
  Document* first = controller.openDocumentWithContentsOfURL(vault, true);
  ASSERT_NE(first, nullptr);

  QDir::setCurrent(dir.path());
  const QString names[] = {vault, QStringLiteral("Bank.qvlt"), QStringLiteral("./sub/../Bank.qvlt"),
                           dir.filePath(QStringLiteral("link.qvlt"))};
  for (const QString& name : names) {
    EXPECT_EQ(controller.openDocumentWithContentsOfURL(name, true), first) << name.toStdString();
    EXPECT_EQ(controller.documentForURL(name), first) << name.toStdString();
  }
  EXPECT_EQ(controller.documents().size(), 1u);
  EXPECT_EQ(gui::visible<VaultDocumentWindow>().size(), 1);
}

TEST_F(DocumentControllerTest, OpenedVaultStaysAsItIsUntilUnlockedFromItsWindow) {
  QFile file(vault);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray saved = file.readAll();
  file.close();
  auto* doc = qobject_cast<MyDocument*>(controller.openDocumentWithContentsOfURL(vault, true));
  ASSERT_NE(doc, nullptr);
  VaultDocumentWindow* window = controller.windowOf(doc);
  ASSERT_NE(window, nullptr);
  gui::settle();
  EXPECT_TRUE(window->showsLockedLayout());
  EXPECT_TRUE(window->passwordField()->isVisible());
  EXPECT_FALSE(doc->validateUserInterfaceItem({QStringLiteral("saveDocument:"), 0}));
  doc->autosaveDocument();
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), saved);
  file.close();
  // The password typed into the locked layout opens it.
  QTest::keyClicks(window->passwordField(), QStringLiteral("secret12"));
  QTest::keyClick(window->passwordField(), Qt::Key_Return);
  gui::settle();
  EXPECT_TRUE(doc->isDecrypted());
  EXPECT_TRUE(doc->validateUserInterfaceItem({QStringLiteral("saveDocument:"), 0}));
}

TEST_F(DocumentControllerTest, AFileThatIsNotAVaultIsReportedAndOpensNothing) {
  const QString bogus = dir.filePath(QStringLiteral("Bogus.qvlt"));
  QFile file(bogus);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a vault");
  file.close();
  controller.openFiles({bogus});
  ASSERT_EQ(controller.errors.size(), 1);
  EXPECT_TRUE(controller.errors.first().contains(QStringLiteral("Bogus.qvlt")));
  EXPECT_TRUE(controller.documents().empty());
}

TEST_F(DocumentControllerTest, ReopeningShowsTheSameInstance) {
  auto* doc = qobject_cast<MyDocument*>(controller.openDocumentWithContentsOfURL(vault, true));
  ASSERT_NE(doc, nullptr);
  controller.CloseAndReopenTheDoc(doc);
  controller.advancedLockDocument(doc);
  gui::settle();
  EXPECT_EQ(controller.documents().size(), 1u);
  EXPECT_EQ(controller.documents().front(), doc);
  EXPECT_TRUE(controller.windowOf(doc)->isVisible());
}

TEST_F(DocumentControllerTest, MissingOrUnreadableFilesAreRefusedWithAReason) {
  QString error;
  EXPECT_EQ(controller.openDocumentWithContentsOfURL(dir.filePath(QStringLiteral("none.qvlt")),
                                                     true, &error),
            nullptr);
  EXPECT_FALSE(error.isEmpty());
  controller.openFiles({dir.path()});  // a folder is not a document
  EXPECT_EQ(controller.errors.size(), 1);
  EXPECT_TRUE(controller.documents().empty());
}

TEST_F(DocumentControllerTest, SecondControllerIsToldTheVaultIsOpenUntilItCloses) {
  Document* doc = controller.openDocumentWithContentsOfURL(vault, true);
  ASSERT_NE(doc, nullptr);
  QString error;
  EXPECT_EQ(other.openDocumentWithContentsOfURL(vault, true, &error), nullptr);
  EXPECT_TRUE(error.contains(QStringLiteral("Another copy"))) << error.toStdString();
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral(".Bank.qvlt.lock"))));

  doc->close();
  gui::settle();
  EXPECT_TRUE(controller.documents().empty());
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral(".Bank.qvlt.lock"))));
  EXPECT_NE(other.openDocumentWithContentsOfURL(vault, true), nullptr);
}

TEST_F(DocumentControllerTest, LockOfAnotherLiveProcessRefusesAndNamesIt) {
  QProcess holder;
  holder.start(QStringLiteral(QV_LOCK_HOLDER), {vault, QStringLiteral("hold")});
  ASSERT_TRUE(holder.waitForReadyRead(10000));
  ASSERT_EQ(holder.readLine().trimmed(), "locked");

  QString error;
  EXPECT_EQ(controller.openDocumentWithContentsOfURL(vault, true, &error), nullptr);
  EXPECT_TRUE(error.contains(QString::number(holder.processId()))) << error.toStdString();

  holder.closeWriteChannel();
  ASSERT_TRUE(holder.waitForFinished(10000));
  EXPECT_NE(controller.openDocumentWithContentsOfURL(vault, true), nullptr);
}

TEST_F(DocumentControllerTest, LockLeftByAProcessThatDiedIsTakenOver) {
  QProcess holder;
  holder.start(QStringLiteral(QV_LOCK_HOLDER), {vault, QStringLiteral("abandon")});
  ASSERT_TRUE(holder.waitForFinished(10000));
  ASSERT_EQ(holder.readLine().trimmed(), "locked");
  ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral(".Bank.qvlt.lock"))));

  QString error;
  EXPECT_NE(controller.openDocumentWithContentsOfURL(vault, true, &error), nullptr)
      << error.toStdString();
}

TEST_F(DocumentControllerTest, FirstSaveOfANewDocumentLocksItsFile) {
  auto* doc = qobject_cast<MyDocument*>(controller.openUntitledDocumentAndDisplay());
  ASSERT_NE(doc, nullptr);
  doc->setPlainPassword(QStringLiteral("secret words"));  // before the password sheet would ask
  gui::settle();
  const QString target = dir.filePath(QStringLiteral("New.qvlt"));
  ASSERT_TRUE(doc->saveDocumentAs(target));
  QString error;
  EXPECT_EQ(other.openDocumentWithContentsOfURL(target, true, &error), nullptr);
  EXPECT_EQ(controller.documentForURL(target), doc);
}

}  // namespace
