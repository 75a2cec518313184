#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <optional>

#include "app/ZVRevertDocController.h"
#include "tests/GuiDriver.h"
#include "tests/app/SavedVault.h"
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

// What the user reads when a file will not open: a damaged or foreign file is called that
// first, with the reader's own reason after it; other failures keep their own words.
TEST_F(DocumentControllerTest, ADamagedFileIsCalledThatBeforeTheReadersReason) {
  QFile real(vault);
  ASSERT_TRUE(real.open(QIODevice::ReadOnly));
  const QByteArray saved = real.readAll();
  real.close();
  const QString damaged = QString::fromLatin1(MyDocument::kDamagedFile);
  const struct {
    const char* name;
    std::optional<QByteArray> bytes;  // none: no file there
    bool isDamaged;
  } cases[] = {
      {"Text.qvlt", QByteArray("not a vault"), true},
      {"Empty.qvlt", QByteArray(), true},
      {"Cut.qvlt", saved.left(saved.size() / 2), true},
      {"Missing.qvlt", std::nullopt, false},
  };
  ZVRevertDocController shown;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(QString::fromLatin1(c.name));
    if (c.bytes) {
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(*c.bytes);
    }
    // The alert as the application shows it, read and answered from inside its loop.
    QString text, informative;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
      if (QMessageBox* alert = gui::onlyAlert(); alert && text.isEmpty()) {
        text = alert->text();
        informative = alert->informativeText();
        gui::snapshot(alert, QStringLiteral("open-failure-") + QString::fromLatin1(c.name));
        alert->button(QMessageBox::Ok) ? alert->button(QMessageBox::Ok)->click()
                                       : alert->buttons().first()->click();
      }
    });
    probe.start(0);
    shown.openFiles({path});
    probe.stop();
    EXPECT_TRUE(shown.documents().empty());
    EXPECT_TRUE(text.contains(QString::fromLatin1(c.name))) << text.toStdString();
    const QStringList paragraphs = informative.split(QStringLiteral("\n\n"));
    EXPECT_EQ(paragraphs.first() == damaged, c.isDamaged) << informative.toStdString();
    if (c.isDamaged) {
      ASSERT_EQ(paragraphs.size(), 2) << informative.toStdString();
      EXPECT_FALSE(paragraphs.last().trimmed().isEmpty());  // the reader's reason
    } else {
      EXPECT_FALSE(informative.contains(damaged)) << informative.toStdString();
    }
  }
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
