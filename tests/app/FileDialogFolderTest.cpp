#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/ApplicationLaunch.h"
#include "app/MyAppDelegate.h"
#include "app/ZVRevertDocController.h"
#include "platform/DialogFolder.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/app/SavedVault.h"
#include "transfer/ExporterSheet.h"
#include "vault/MyDocument.h"
#include "window/VaultDocumentWindow.h"

namespace {

// The application's file dialogs, as they come up: where each one opens.
class FileDialogFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(elsewhere.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("vaults")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("chosen")));
    vaults = dir.filePath(QStringLiteral("vaults"));
    chosen = dir.filePath(QStringLiteral("chosen"));
    previousDir = QDir::currentPath();
    // Where a program started from a launcher finds itself: never where its dialogs open.
    QDir::setCurrent(elsewhere.path());
    DialogFolder::forget();
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Quorlith.conf")));
    defaults->setInteger(QStringLiteral("StartupActionTag"), 4);  // nothing at launch
    launch = std::make_unique<ApplicationLaunch>(*defaults);
    launch->run({});
    GuiDriver::settle();
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    launch.reset();
    GuiDriver::settle();
    DialogFolder::forget();
    QDir::setCurrent(previousDir);
  }

  // Runs open, which brings up a file dialog (blocking or not); answer then closes it as the
  // user would. The folder the dialog showed first; empty when none came up.
  static QString folderOfDialog(const std::function<void()>& open,
                                const std::function<void(QFileDialog*)>& answer = {}) {
    QString folder;
    bool seen = false;
    const auto look = [&] {
      if (seen) return;
      for (QFileDialog* dialog : GuiDriver::visible<QFileDialog>()) {
        seen = true;
        folder = dialog->directory().absolutePath();
        if (answer)
          answer(dialog);
        else
          dialog->reject();
        return;
      }
    };
    // A dialog that runs its own loop is met from inside it.
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, look);
    probe.start(0);
    open();
    GuiDriver::settle();
    look();
    probe.stop();
    GuiDriver::settle();
    return folder;
  }
  // Chooses a file in the start-up document dialog of the preferences, as the user would.
  void chooseInPreferences(const QString& file) {
    launch->delegate().openPreferences();
    GuiDriver::settle();
    folderOfDialog([this] { launch->delegate().selectStartupDoc(); },
                   [&file](QFileDialog* dialog) {
                     dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
                     static_cast<QDialog*>(dialog)->accept();
                   });
    launch->delegate().prefWindow->close();
    GuiDriver::settle();
  }
  MyDocument* openVault() {
    const QString path = QDir(vaults).filePath(QStringLiteral("Home.qvlt"));
    if (!writeSavedVault(path)) return nullptr;
    launch->run({path});
    GuiDriver::settle();
    return qobject_cast<MyDocument*>(launch->controller().documentForURL(path));
  }
  void unlock(MyDocument* doc) {
    VaultDocumentWindow* window = launch->controller().windowOf(doc);
    QTest::keyClicks(window->passwordField(), QStringLiteral("secret12"));
    QTest::keyClick(window->passwordField(), Qt::Key_Return);
    GuiDriver::settle();
    GuiDriver::closeAllAlerts();
  }

  QTemporaryDir dir, elsewhere;
  QString vaults, chosen, previousDir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<ApplicationLaunch> launch;
};

TEST_F(FileDialogFolderTest, OpenStartsAtTheFrontVaultElseTheLastFolderElseHome) {
  const auto openDialog = [this] {
    return folderOfDialog([this] { launch->controller().openDocument(); });
  };
  const struct {
    const char* situation;
    std::function<void()> before;
    std::function<QString()> expected;
  } cases[] = {
      {"first launch, nothing open", [] {}, [] { return QDir::homePath(); }},
      {"a file was chosen in another dialog",
       [this] {
         const QString file = QDir(chosen).filePath(QStringLiteral("Start.qvlt"));
         ASSERT_TRUE(writeSavedVault(file));
         chooseInPreferences(file);
       },
       [this] { return chosen; }},
      {"a vault in front",
       [this] {
         MyDocument* doc = openVault();
         ASSERT_NE(doc, nullptr);
         launch->controller().windowOf(doc)->activateWindow();
         GuiDriver::settle();
       },
       [this] { return vaults; }},
      {"the vault closed again",
       [this] {
         launch->controller().closeAllDocuments();
         GuiDriver::settle();
       },
       [this] { return chosen; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.situation);
    c.before();
    EXPECT_EQ(openDialog(), c.expected());
    EXPECT_NE(openDialog(), elsewhere.path());
  }
}

// Every dialog of a vault's window opens in its folder, even after a file was chosen
// elsewhere and with the preferences window in front.
TEST_F(FileDialogFolderTest, EveryDialogOfAVaultStartsInItsFolder) {
  const QString other = QDir(chosen).filePath(QStringLiteral("Other.qvlt"));
  ASSERT_TRUE(writeSavedVault(other));
  chooseInPreferences(other);
  MyDocument* doc = openVault();
  ASSERT_NE(doc, nullptr);
  unlock(doc);
  VaultDocumentWindow* window = launch->controller().windowOf(doc);
  window->activateWindow();
  GuiDriver::settle();
  const struct {
    const char* dialog;
    std::function<void()> open;
  } cases[] = {
      {"Open", [this] { launch->controller().openDocument(); }},
      {"Save As", [doc] { doc->saveDocumentAs(); }},
      {"Import", [doc] { doc->importFromTextFile(); }},
      {"Export",
       [doc, window] {
         doc->exportAllToTextFile();
         GuiDriver::settle();
         for (auto* sheet : window->findChildren<ExporterSheet*>())
           if (sheet->isVisible()) {
             QTest::mouseClick(sheet->addAllButton(), Qt::LeftButton);
             QTest::mouseClick(sheet->exportButton(), Qt::LeftButton);
           }
       }},
      {"start-up document, from the preferences",
       [this] {
         launch->delegate().openPreferences();
         GuiDriver::settle();
         launch->delegate().selectStartupDoc();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dialog);
    EXPECT_EQ(folderOfDialog(c.open), vaults);
    window->activateWindow();
    GuiDriver::settle();
  }
}

}  // namespace
