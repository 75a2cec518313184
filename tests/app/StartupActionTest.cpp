#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>

#include "Common/ZVBookmark.h"
#include "app/ApplicationLaunch.h"
#include "app/FileReveal.h"
#include "app/MyAppDelegate.h"
#include "app/ZVRevertDocController.h"
#include "platform/OpenPanel.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/PipeWatchdog.h"
#include "tests/app/SavedVault.h"
#include "vault/MyDocument.h"
#include "vault/PasswordSheet.h"
#include "window/RecordTableModel.h"
#include "window/VaultDocumentWindow.h"

namespace {

// The application's controller, counting the untitled documents and files it is asked for.
class SpyController : public ZVRevertDocController {
 public:
  int untitled = 0;
  QStringList opened;

 protected:
  DocumentResult<Document*> makeUntitledDocument() override {
    ++untitled;
    return ZVRevertDocController::makeUntitledDocument();
  }
  DocumentResult<Document*> makeDocumentWithContentsOfURL(const QString& path) override {
    opened << path;
    return ZVRevertDocController::makeDocumentWithContentsOfURL(path);
  }
};

class StartupActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Quorlith.conf")));
    vault = dir.filePath(QStringLiteral("Home.qvlt"));
    ASSERT_TRUE(writeSavedVault(vault));
    OpenPanel::setChooser([this](QWidget*, const OpenPanel::Request& request) {
      requests << request;
      return chosen;
    });
  }
  void TearDown() override {
    OpenPanel::setChooser({});
    FileReveal::setRevealer({});
    GuiDriver::closeAllAlerts();
    for (auto* sheet : GuiDriver::visible<PasswordSheet>()) sheet->hide();
    launch.reset();
    GuiDriver::settle();
  }
  // Launches with the files given; the alert the launch may show is answered with button.
  void start(const QStringList& files, const QString& button = QStringLiteral("Cancel")) {
    auto spyController = std::make_unique<SpyController>();
    spy = spyController.get();
    launch = std::make_unique<ApplicationLaunch>(*defaults, std::move(spyController));
    QObject::connect(&launch->delegate(), &ZVAppDelegateBase::startupActionFinished,
                     [this] { ++finished; });
    answerAlertsWith(button);
    launch->run(files);
    GuiDriver::settle();
  }
  void answerAlertsWith(const QString& button) {
    auto* presser = new QTimer(&launch->delegate());
    QObject::connect(presser, &QTimer::timeout, [this, button] {
      if (QMessageBox* box = GuiDriver::onlyAlert()) {
        alerts << box->text();
        details << box->informativeText();
        GuiDriver::pressAlertButton(button);
      }
    });
    presser->start(30);
  }
  void chooseStartupDocument(const QString& path) {
    const QByteArray bookmark = ZVBookmark::bookmarkForURL_RW(path).value();
    defaults->setObject(QStringLiteral("StartupSelectedDocBookmark"), Value::data(bookmark));
    defaults->setString(QStringLiteral("StartupSelectedDocPath"), path);
    defaults->setInteger(QStringLiteral("StartupActionTag"), 3);
  }
  MyAppDelegate& delegate() { return launch->delegate(); }
  QTimer* startupTimer() { return GuiDriver::timerOf(&delegate(), "startupTimer"); }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<ApplicationLaunch> launch;
  SpyController* spy = nullptr;
  QString vault;
  QStringList chosen;
  QList<OpenPanel::Request> requests;
  QStringList alerts, details;
  int finished = 0;
};

struct StartupActionRow {
  const char* name;
  int tag;
  bool files;
  bool untitledAnswer;  // YES only for action 0; asked only when no file is given
  int untitled;
  int panels;
  bool waitsASecond;
};

void PrintTo(const StartupActionRow& r, std::ostream* out) { *out << r.name; }

class EachStartupActionTest : public StartupActionTest,
                              public ::testing::WithParamInterface<StartupActionRow> {};

TEST_P(EachStartupActionTest, WithAndWithoutFilesGiven) {
  const StartupActionRow& r = GetParam();
  defaults->setInteger(QStringLiteral("StartupActionTag"), r.tag);
  start(r.files ? QStringList{vault} : QStringList{});
  EXPECT_EQ(delegate().applicationShouldOpenUntitledFile(), r.untitledAnswer);
  if (r.waitsASecond) {
    EXPECT_EQ(finished, 0);
    EXPECT_TRUE(requests.isEmpty());  // nothing before the second has passed
    EXPECT_TRUE(startupTimer()->isActive());
    EXPECT_EQ(startupTimer()->interval(), ZVAppDelegateBase::kStartupDelayMs);
    EXPECT_TRUE(GuiDriver::expireNow(startupTimer()));
    GuiDriver::settle();
  }
  EXPECT_FALSE(startupTimer()->isActive());
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(spy->untitled, r.untitled);
  EXPECT_EQ(requests.size(), r.panels);
  EXPECT_EQ(spy->opened.size(), r.files ? 1 : 0);
  if (!requests.isEmpty()) {
    EXPECT_EQ(requests.first().suffixes, QStringList{QStringLiteral("qvlt")});
  }
  EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    StartupActionTest, EachStartupActionTest,
    ::testing::Values(StartupActionRow{"NewVault", 0, false, true, 1, 0, true},
                      StartupActionRow{"NewVaultWithAFile", 0, true, true, 0, 0, true},
                      StartupActionRow{"OpenPanel", 1, false, false, 0, 1, true},
                      StartupActionRow{"OpenPanelWithAFile", 1, true, false, 0, 0, true},
                      StartupActionRow{"OpenPanelAtOnce", 2, false, false, 0, 1, false},
                      StartupActionRow{"OpenPanelAtOnceWithAFile", 2, true, false, 0, 1, false},
                      StartupActionRow{"Nothing", 4, false, false, 0, 0, false},
                      StartupActionRow{"UnknownTag", -1, false, false, 0, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupActionTest, ADocumentClosedWithinTheSecondStillSuppressesTheNewOne) {
  defaults->setInteger(QStringLiteral("StartupActionTag"), 0);
  start({vault});
  ASSERT_EQ(spy->documents().size(), 1u);
  spy->closeAllDocuments();
  GuiDriver::settle();
  ASSERT_TRUE(GuiDriver::expireNow(startupTimer()));
  GuiDriver::settle();
  EXPECT_EQ(finished, 1);  // the step ran, and made nothing
  EXPECT_EQ(spy->untitled, 0);
  EXPECT_TRUE(delegate().documentIsOpening());
}

TEST_F(StartupActionTest, StartupDocumentOpensAndAStaleOneIsRenewed) {
  chooseStartupDocument(vault);
  start({});
  EXPECT_EQ(spy->opened, QStringList{QFileInfo(vault).canonicalFilePath()});
  EXPECT_EQ(spy->untitled, 0);
  EXPECT_TRUE(delegate().StartupDocPathMessageString().isEmpty());
  EXPECT_TRUE(alerts.isEmpty());
  launch.reset();
  GuiDriver::settle();

  // Renamed since: found, opened, and remembered under its new name.
  const QString renamed = dir.filePath(QStringLiteral("Renamed.qvlt"));
  ASSERT_TRUE(QFile::rename(vault, renamed));
  start({});
  EXPECT_EQ(spy->opened, QStringList{renamed});
  EXPECT_EQ(defaults->stringForKey(QStringLiteral("StartupSelectedDocPath")), renamed);
  bool stale = true;
  auto resolved = ZVBookmark::urlForBookmark(
      defaults->dataForKey(QStringLiteral("StartupSelectedDocBookmark")), stale);
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved.value(), renamed);
  EXPECT_FALSE(stale);
  EXPECT_TRUE(delegate().StartupDocPathMessageString().isEmpty());
}

// A save replaces the file with a new one; the start-up document is still found after it has
// then been renamed within its folder.
TEST_F(StartupActionTest, StartupDocumentIsFoundAfterASaveARenameAndARelaunch) {
  chooseStartupDocument(vault);
  start({});
  ASSERT_EQ(spy->documents().size(), 1u);
  auto* doc = qobject_cast<MyDocument*>(spy->documents().front());
  ASSERT_NE(doc, nullptr);
  VaultDocumentWindow* window = spy->windowOf(doc);
  QTest::keyClicks(window->passwordField(), QStringLiteral("secret12"));
  QTest::keyClick(window->passwordField(), Qt::Key_Return);
  GuiDriver::settle();
  ASSERT_TRUE(doc->isDecrypted());
  doc->recordController().addObject(doc->recordController().newObject());
  doc->updateChangeCount(ChangeCounting::ChangeDone);
  ASSERT_TRUE(doc->saveDocument());
  launch.reset();
  GuiDriver::settle();

  const QString renamed = dir.filePath(QStringLiteral("Renamed.qvlt"));
  ASSERT_TRUE(QFile::rename(vault, renamed));
  start({});
  EXPECT_EQ(spy->opened, QStringList{renamed});
  EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
  EXPECT_EQ(defaults->stringForKey(QStringLiteral("StartupSelectedDocPath")), renamed);
}

TEST_F(StartupActionTest, StartupDocumentFailures) {
  // No document chosen: the alert comes once the launch is over.
  defaults->setInteger(QStringLiteral("StartupActionTag"), 3);
  start({});
  EXPECT_EQ(alerts, QStringList{QStringLiteral(
                        "Preference was set to open at startup a document without specifying it")});
  EXPECT_FALSE(delegate().StartupDocSpecified());
  EXPECT_EQ(delegate().StartupDocPathMessageString(),
            QStringLiteral("Please select a file or change startup option"));
  EXPECT_EQ(finished, 1);
  launch.reset();
  GuiDriver::settle();

  // A bookmark that leads nowhere: alert, status, and the recorded path kept; the first
  // button opens the preferences.
  chooseStartupDocument(vault);
  QFile::remove(vault);
  alerts.clear();
  start({}, QStringLiteral("Open Preferences"));
  EXPECT_EQ(alerts, QStringList{QStringLiteral("The system is negating the access to the document "
                                               "selected to be opened at startup")});
  EXPECT_EQ(delegate().StartupDocPathMessageString(),
            QStringLiteral("Not valid bookmark. Please re-select"));
  EXPECT_TRUE(delegate().StartupDocSpecified());
  EXPECT_EQ(defaults->stringForKey(QStringLiteral("StartupSelectedDocPath")), vault);
  ASSERT_TRUE(delegate().prefWindow);
  EXPECT_TRUE(delegate().prefWindow->isVisible());
  EXPECT_TRUE(spy->documents().empty());
  launch.reset();
  GuiDriver::settle();

  // A file that is no vault: reported as any failed open.
  QFile junk(vault);
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("not a vault");
  junk.close();
  chooseStartupDocument(vault);
  alerts.clear();
  start({}, QStringLiteral("OK"));
  ASSERT_EQ(alerts.size(), 1);
  EXPECT_TRUE(alerts.first().contains(QStringLiteral("Home.qvlt"))) << alerts.first().toStdString();
  EXPECT_TRUE(spy->documents().empty());
}

// The start-up document's path now names something that is no vault file: the launch reports
// it as any failed open, says what is there, and opens nothing.
TEST_F(StartupActionTest, StartupDocumentThatIsNoVaultFileIsReportedForWhatItIs) {
  const QString fifo = dir.filePath(QStringLiteral("Pipe.qvlt"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString folder = dir.filePath(QStringLiteral("Folder.qvlt"));
  ASSERT_TRUE(QDir().mkdir(folder));
  const QString big = dir.filePath(QStringLiteral("Big.qvlt"));
  {
    QFile source(vault);
    QFile target(big);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly));
    target.write(source.readAll());
  }
  ASSERT_EQ(::truncate(QFile::encodeName(big).constData(), qint64(40) << 30), 0);
  const struct {
    QString path;
    const char* says;
  } cases[] = {
      {fifo, "is not a regular file: it is a named pipe"},
      {folder, "is a folder"},
      {QStringLiteral("/dev/zero"), "is not a regular file: it is a device"},
      {big, "larger than any vault can be"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    chooseStartupDocument(c.path);
    alerts.clear();
    details.clear();
    {
      const PipeWatchdog watchdog(fifo);
      start({}, QStringLiteral("OK"));
      EXPECT_FALSE(watchdog.fired()) << "the launch blocked";
    }
    ASSERT_EQ(details.size(), 1);
    EXPECT_TRUE(alerts.first().startsWith(QStringLiteral("The document")))
        << alerts.first().toStdString();
    EXPECT_TRUE(details.first().contains(QLatin1String(c.says))) << details.first().toStdString();
    EXPECT_TRUE(spy->documents().empty());
    EXPECT_EQ(finished, 1);
    launch.reset();
    GuiDriver::settle();
    finished = 0;
  }
}

// The first start with the default action: a new untitled vault and its password sheet.
class FirstStartTest : public StartupActionTest {
 protected:
  void SetUp() override {
    StartupActionTest::SetUp();
    start({});
    const auto windows = GuiDriver::visible<VaultDocumentWindow>();
    ASSERT_EQ(windows.size(), 1);
    window = windows.first();
    window->activateWindow();
    MainQueue::drain();
    GuiDriver::settle();
    const auto sheets = GuiDriver::visible<PasswordSheet>();
    ASSERT_EQ(sheets.size(), 1);
    sheet = sheets.first();
    ASSERT_EQ(sheet->kind(), PasswordSheet::Kind::Mandatory);
    sheet->activateWindow();
    sheet->passwordField()->setFocus();
    GuiDriver::settle();
  }
  QPointer<VaultDocumentWindow> window;
  QPointer<PasswordSheet> sheet;
};

TEST_F(FirstStartTest, OpenStaysReachableBehindTheNewVaultsPasswordSheet) {
  const struct {
    const char* how;
    bool byKey;
  } rows[] = {{"Ctrl+O in the sheet", true}, {"File > Open", false}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.how);
    requests.clear();
    chosen = {vault};
    if (r.byKey) {
      QTest::keySequence(sheet->passwordField(), QKeySequence::Open);
      GuiDriver::settle();
    } else {
      ASSERT_TRUE(GuiDriver::clickMenu(window->menuBar(), QStringLiteral("&File"),
                                       QStringLiteral("openDocument:")));
    }
    EXPECT_EQ(requests.size(), 1);
    EXPECT_EQ(spy->opened, QStringList{vault});
    EXPECT_EQ(spy->documents().size(), 2u);
    // The new vault and its sheet wait where they were.
    EXPECT_TRUE(sheet && sheet->isSheetRunning());
    if (Document* opened = spy->documentForURL(vault)) opened->close();
    spy->opened.clear();
    GuiDriver::settle();
  }
}

TEST_F(FirstStartTest, BehindTheSheetOnlyNewOpenAndQuitAnswer) {
  GuiDriver::snapshot(window, QStringLiteral("window-behind-password-sheet"));
  GuiDriver::snapshot(sheet, QStringLiteral("new-vault-password-sheet"));
  ASSERT_TRUE(GuiDriver::clickMenu(window->menuBar(), QStringLiteral("&File")));
  QMenu* file = GuiDriver::menuOf(window->menuBar(), QStringLiteral("&File"));
  const struct {
    const char* selector;
    bool enabled;
  } rows[] = {{"newDocument:", true},   {"openDocument:", true},  {"terminate:", true},
              {"saveDocument:", false}, {"performClose:", false}, {"importFromTextFile:", false},
              {"printDocument:", false}};
  for (const auto& r : rows) {
    QAction* a = GuiDriver::menuItem(file, QString::fromLatin1(r.selector));
    ASSERT_NE(a, nullptr) << r.selector;
    EXPECT_EQ(a->isEnabled(), r.enabled) << r.selector;
  }
  // A window command's key waits for the sheet as its menu item does.
  window->activateWindow();
  GuiDriver::settle();
  QTest::keySequence(window, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
  MainQueue::drain();
  GuiDriver::settle();
  EXPECT_EQ(window->tableModel()->rowCount(), 0);
  // New makes a second vault beside the first.
  sheet->activateWindow();
  GuiDriver::settle();
  QTest::keySequence(sheet->passwordField(), QKeySequence::New);
  GuiDriver::settle();
  EXPECT_EQ(spy->untitled, 2);
}

TEST_F(FirstStartTest, EscapeLeavesTheSheetUpAndCloseDocumentCloses) {
  QTest::keyClick(sheet->passwordField(), Qt::Key_Escape);
  MainQueue::drain();
  GuiDriver::settle();
  EXPECT_TRUE(sheet && sheet->isVisible());
  EXPECT_EQ(spy->documents().size(), 1u);
  EXPECT_TRUE(window && window->isVisible());

  ASSERT_TRUE(sheet);
  QTest::mouseClick(sheet->otherButton(), Qt::LeftButton);
  MainQueue::drain();
  GuiDriver::settle();
  EXPECT_TRUE(spy->documents().empty());
}

// Why the file given on the command line cannot be opened.
enum class Refusal { Damaged, OpenInAnotherCopy, Missing };

const char* nameOf(Refusal why) {
  switch (why) {
    case Refusal::Damaged:
      return "Damaged";
    case Refusal::OpenInAnotherCopy:
      return "OpenInAnotherCopy";
    case Refusal::Missing:
      return "Missing";
  }
  return "";
}
void PrintTo(Refusal why, std::ostream* out) { *out << nameOf(why); }

class RefusedCommandLineFileTest : public StartupActionTest,
                                   public ::testing::WithParamInterface<Refusal> {
 protected:
  void TearDown() override {
    if (holder.state() != QProcess::NotRunning) {
      holder.closeWriteChannel();
      holder.waitForFinished(30000);
    }
    StartupActionTest::TearDown();
  }
  // The file the launch is given, refused for the row's reason.
  QString makeRefusedFile() {
    switch (GetParam()) {
      case Refusal::Damaged: {
        QString path = dir.filePath(QStringLiteral("Damaged.qvlt"));
        QFile junk(path);
        EXPECT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("bplist00 cut short");
        return path;
      }
      case Refusal::OpenInAnotherCopy:
        holder.start(QStringLiteral(QV_LOCK_HOLDER), {vault, QStringLiteral("hold")});
        EXPECT_TRUE(holder.waitForReadyRead(30000));
        EXPECT_EQ(holder.readLine().trimmed(), "locked");
        return vault;
      case Refusal::Missing:
        return dir.filePath(QStringLiteral("Gone.qvlt"));
    }
    return {};
  }
  QProcess holder;
};

TEST_P(RefusedCommandLineFileTest, ShowsItsErrorAndNoUntitledVault) {
  defaults->setInteger(QStringLiteral("StartupActionTag"), 0);
  const QString file = makeRefusedFile();
  start({file}, QStringLiteral("OK"));
  ASSERT_TRUE(GuiDriver::expireNow(startupTimer()));
  GuiDriver::settle();
  ASSERT_EQ(alerts.size(), 1);
  EXPECT_TRUE(alerts.first().contains(QFileInfo(file).fileName())) << alerts.first().toStdString();
  EXPECT_EQ(spy->untitled, 0);
  EXPECT_TRUE(spy->documents().empty());
  EXPECT_TRUE(GuiDriver::visible<VaultDocumentWindow>().isEmpty());
  EXPECT_EQ(finished, 1);
}

INSTANTIATE_TEST_SUITE_P(StartupActionTest, RefusedCommandLineFileTest,
                         ::testing::Values(Refusal::Damaged, Refusal::OpenInAnotherCopy,
                                           Refusal::Missing),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

}  // namespace
