#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "Common/ZVAppSupportUtility.h"
#include "app/ApplicationLaunch.h"
#include "app/MyAppDelegate.h"
#include "app/PasswordMakerController.h"
#include "app/PasswordMakerWindow.h"
#include "app/ZVAppDelegateBase.h"
#include "app/ZVRevertDocController.h"
#include "platform/AtomicFile.h"
#include "platform/OpenPanel.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/app/SavedVault.h"
#include "vault/MyDocument.h"
#include "vault/PasswordSheet.h"
#include "window/VaultDocumentWindow.h"

namespace {

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Quorlith.conf")));
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    for (auto* sheet : GuiDriver::visible<PasswordSheet>()) sheet->hide();
    launch.reset();
    GuiDriver::settle();
  }
  void start(const QStringList& files = {}) {
    launch = std::make_unique<ApplicationLaunch>(*defaults);
    launch->run(files);
    GuiDriver::settle();
  }
  VaultDocumentWindow* onlyWindow() const {
    const auto windows = GuiDriver::visible<VaultDocumentWindow>();
    return windows.size() == 1 ? windows.first() : nullptr;
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<ApplicationLaunch> launch;
};

TEST_F(LaunchTest, NewDocumentWindowAsksForItsPassword) {
  QElapsedTimer clock;
  clock.start();
  launch = std::make_unique<ApplicationLaunch>(*defaults);
  launch->run({});
  VaultDocumentWindow* window = onlyWindow();
  const qint64 toFirstWindow = clock.elapsed();
  ASSERT_NE(window, nullptr);
  std::printf("launch to first window: %lld ms\n", static_cast<long long>(toFirstWindow));
  EXPECT_TRUE(launch->delegate().finishedLaunching);
  EXPECT_TRUE(launch->delegate().documentIsOpening());
  EXPECT_FALSE(window->showsLockedLayout());
  GuiDriver::snapshot(window, QStringLiteral("new-document-window"));

  window->activateWindow();
  GuiDriver::settle();
  const auto sheets = GuiDriver::visible<PasswordSheet>();
  ASSERT_EQ(sheets.size(), 1);
  EXPECT_EQ(sheets.first()->kind(), PasswordSheet::Kind::Mandatory);
  GuiDriver::snapshot(sheets.first(), QStringLiteral("mandatory-password-sheet"));
  // The whole screen as well, where the platform can show it (Xvfb): window and sheet.
  if (!qEnvironmentVariableIsEmpty("QV_SCREENSHOTS") && QGuiApplication::primaryScreen())
    QGuiApplication::primaryScreen()->grabWindow(0).save(
        qEnvironmentVariable("QV_SCREENSHOTS") + QStringLiteral("/screen-new-document.png"));
}

TEST_F(LaunchTest, AutosavingDelayIsReadOnceAtLaunch) {
  defaults->setInteger(QStringLiteral("autosavingDelay"), 35);
  start();
  EXPECT_DOUBLE_EQ(launch->controller().autosavingDelay(), 35.0);
  defaults->setInteger(QStringLiteral("autosavingDelay"), 5);
  GuiDriver::settle();
  EXPECT_DOUBLE_EQ(launch->controller().autosavingDelay(), 35.0);
}

TEST_F(LaunchTest, NoStartupDocumentIsReportedAndOtherStartupActionsOpenNothing) {
  defaults->setInteger(QStringLiteral("StartupActionTag"), 2);
  int panels = 0;
  OpenPanel::setChooser([&panels](QWidget*, const OpenPanel::Request&) {
    ++panels;
    return QStringList();
  });
  start();
  OpenPanel::setChooser({});
  EXPECT_EQ(panels, 1);  // the open dialog at once, cancelled
  EXPECT_FALSE(launch->delegate().StartupDocSpecified());
  EXPECT_EQ(launch->delegate().StartupDocPathMessageString(),
            QStringLiteral("Please select a file or change startup option"));
  EXPECT_TRUE(launch->controller().documents().empty());
  EXPECT_FALSE(launch->delegate().documentIsOpening());
}

TEST_F(LaunchTest, FilesGivenAtLaunchOpenInsteadOfAnUntitledDocument) {
  const QString vault = dir.filePath(QStringLiteral("Home.qvlt"));
  ASSERT_TRUE(writeSavedVault(vault));
  start({vault, vault});
  VaultDocumentWindow* window = onlyWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->showsLockedLayout());
  EXPECT_EQ(window->document()->fileURL(), QFileInfo(vault).canonicalFilePath());
  GuiDriver::snapshot(window, QStringLiteral("locked-document-window"));
}

TEST_F(LaunchTest, MenusOfADocumentWindow) {
  const QString vault = dir.filePath(QStringLiteral("Home.qvlt"));
  ASSERT_TRUE(writeSavedVault(vault));
  start({vault});
  VaultDocumentWindow* window = onlyWindow();
  ASSERT_NE(window, nullptr);
  QStringList titles;
  for (QAction* menu : window->menuBar()->actions()) titles << menu->text();
  EXPECT_EQ(titles,
            (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&View"),
                         QStringLiteral("&Record"), QStringLiteral("&Tools"),
                         QStringLiteral("&Window"), QStringLiteral("&Help")}));
  QMenu* help = window->menuBar()->actions().last()->menu();
  ASSERT_NE(help, nullptr);
  ASSERT_GE(help->actions().size(), 2);
  EXPECT_EQ(help->actions().at(1)->text(), QStringLiteral("&Software Update…"));
  EXPECT_EQ(help->actions().last()->text(), QStringLiteral("&About Quorlith 4"));

  // Every command can be reached from the keyboard: one mnemonic each, none shared in a menu.
  QList<QMenu*> menus;
  for (QAction* menuItem : window->menuBar()->actions()) {
    menus << menuItem->menu();
    for (QAction* a : menuItem->menu()->actions())
      if (a->menu()) menus << a->menu();
  }
  for (QMenu* menu : menus) {
    QSet<QChar> mnemonics;
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) continue;
      const QString text = a->text();
      const qsizetype amp = text.indexOf(QLatin1Char('&'));
      ASSERT_TRUE(amp >= 0 && amp + 1 < text.size()) << text.toStdString();
      EXPECT_EQ(text.count(QLatin1Char('&')), 1) << text.toStdString();
      EXPECT_FALSE(mnemonics.contains(text.at(amp + 1).toLower())) << text.toStdString();
      mnemonics.insert(text.at(amp + 1).toLower());
    }
  }

  QMenu* windowMenu = window->menuBar()->actions().at(5)->menu();
  Q_EMIT windowMenu->aboutToShow();
  QStringList windowItems;
  for (QAction* a : windowMenu->actions())
    if (!a->isSeparator()) windowItems << a->text();
  EXPECT_EQ(windowItems, (QStringList{QStringLiteral("&Minimize"), QStringLiteral("Home")}));

  // The locked document turns its commands off; the delegate's own are always on.
  QMenu* fileMenu = window->menuBar()->actions().first()->menu();
  Q_EMIT fileMenu->aboutToShow();
  QMap<QString, QAction*> file;
  for (QAction* a : fileMenu->actions())
    if (!a->isSeparator()) file[a->text()] = a;
  const struct {
    const char* title;
    bool enabled;
  } states[] = {{"&New", true},
                {"&Open…", true},
                {"&Close", true},
                {"&Save", false},
                {"Save &As…", false},
                {"&Revert to Saved", false},
                {"&Import Text File…", false},
                {"&Export Shown Records…", false},
                {"Export A&ll Records…", false},
                {"Change &Password…", false},
                {"Page Set&up…", false},
                {"Prin&t…", false},
                {"&Quit", true}};
  ASSERT_EQ(file.size(), std::size(states));
  for (const auto& state : states) {
    const QString title = QString::fromUtf8(state.title);
    ASSERT_TRUE(file.contains(title)) << state.title;
    EXPECT_EQ(file[title]->isEnabled(), state.enabled) << state.title;
  }
  EXPECT_EQ(file[QStringLiteral("Save &As…")]->shortcut(),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  EXPECT_EQ(help->actions().first()->text(), QStringLiteral("&Quorlith 4 User Guide"));
  QMenu* viewMenu = window->menuBar()->actions().at(2)->menu();
  for (QMenu* menu : {fileMenu, viewMenu, windowMenu, help}) {
    menu->popup(window->mapToGlobal(QPoint(0, 0)));
    GuiDriver::settle();
    GuiDriver::snapshot(menu, QStringLiteral("menu-") + menu->title().remove(QLatin1Char('&')));
    menu->hide();
  }
}

TEST_F(LaunchTest, F1OpensTheUserGuide) {
  QTemporaryDir data;
  ASSERT_TRUE(data.isValid());
  const QByteArray previousDataHome = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", data.path().toUtf8());
  QList<QUrl> opened;
  ZVAppSupportUtility::setUrlOpener([&opened](const QUrl& url) {
    opened << url;
    return true;
  });
  start();
  VaultDocumentWindow* window = onlyWindow();
  ASSERT_NE(window, nullptr);
  GuiDriver::closeAllAlerts();
  for (auto* sheet : GuiDriver::visible<PasswordSheet>()) sheet->hide();
  window->activateWindow();
  GuiDriver::settle();
  QTest::keyClick(window, Qt::Key_F1);
  GuiDriver::settle();
  ZVAppSupportUtility::setUrlOpener({});
  if (previousDataHome.isNull())
    qunsetenv("XDG_DATA_HOME");
  else
    qputenv("XDG_DATA_HOME", previousDataHome);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_TRUE(opened.first().toLocalFile().startsWith(data.path()));
  EXPECT_TRUE(opened.first().toLocalFile().endsWith(QStringLiteral("User Guide 4.2.pdf")));
}

// Without a program for PDF files the desktop opens nothing: the user is told where the
// guide is instead, whichever way it was asked for.
TEST_F(LaunchTest, WithoutAPdfViewerTheUserGuideCommandNamesTheGuidesFile) {
  QTemporaryDir data;
  ASSERT_TRUE(data.isValid());
  const QByteArray previousDataHome = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", data.path().toUtf8());
  ZVAppSupportUtility::setUrlOpener([](const QUrl&) { return false; });
  start();
  VaultDocumentWindow* window = onlyWindow();
  ASSERT_NE(window, nullptr);
  GuiDriver::closeAllAlerts();
  for (auto* sheet : GuiDriver::visible<PasswordSheet>()) sheet->hide();
  const struct {
    const char* way;
    std::function<void()> ask;
  } cases[] = {
      {"F1", [window] { QTest::keyClick(window, Qt::Key_F1); }},
      {"Help menu",
       [window] {
         QMenu* help = window->menuBar()->actions().last()->menu();
         Q_EMIT help->aboutToShow();
         for (QAction* a : help->actions())
           if (a->text() == u"&Quorlith 4 User Guide") a->trigger();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.way);
    window->activateWindow();
    GuiDriver::settle();
    c.ask();
    GuiDriver::settle();
    QMessageBox* alert = GuiDriver::onlyAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), QStringLiteral("The user guide could not be opened."));
    EXPECT_TRUE(alert->informativeText().contains(QStringLiteral("Quorlith 4 User Guide 4.2.pdf")))
        << alert->informativeText().toStdString();
    EXPECT_TRUE(alert->informativeText().contains(data.path()))
        << alert->informativeText().toStdString();
    GuiDriver::snapshot(alert, QStringLiteral("user-guide-alert"));
    GuiDriver::closeAllAlerts();
  }
  ZVAppSupportUtility::setUrlOpener({});
  if (previousDataHome.isNull())
    qunsetenv("XDG_DATA_HOME");
  else
    qputenv("XDG_DATA_HOME", previousDataHome);
}

TEST_F(LaunchTest, AboutWindowNamesTheApplicationAndItsRelease) {
  start();
  launch->delegate().openAbout();
  GuiDriver::settle();
  AboutWindow* about = launch->delegate().aboutWindow();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->windowTitle(), QStringLiteral("About Quorlith 4"));
  auto* version = about->findChild<QLabel*>(QStringLiteral("version"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->text(), QStringLiteral("Version 4.2"));
  launch->delegate().openAbout();  // a second time: the same window
  EXPECT_EQ(launch->delegate().aboutWindow(), about);
  GuiDriver::snapshot(about, QStringLiteral("about-window"));
  about->close();
}

// The application's own windows are utility windows: no menu bar, and Escape puts them away.
TEST_F(LaunchTest, UtilityWindowsCarryNoMenuBarAndCloseWithEscape) {
  start();
  MyAppDelegate& app = launch->delegate();
  const struct {
    const char* window;
    std::function<QMainWindow*()> show;
  } cases[] = {
      {"About",
       [&app] {
         app.openAbout();
         return app.aboutWindow();
       }},
      {"generator",
       [&app] {
         app.showPasswordMaker();
         return static_cast<QMainWindow*>(app.passwordMaker().passwordMakerWindow());
       }},
      {"preferences",
       [&app] {
         app.openPreferences();
         return qobject_cast<QMainWindow*>(app.prefWindow.data());
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.window);
    QMainWindow* window = c.show();
    GuiDriver::settle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->menuWidget(), nullptr);
    EXPECT_TRUE(window->findChildren<QMenuBar*>().isEmpty());
    GuiDriver::snapshot(window, QStringLiteral("utility-window-") + QString::fromLatin1(c.window));
    ASSERT_TRUE(window->isActiveWindow());
    QTest::keyClick(window, Qt::Key_Escape);
    GuiDriver::settle();
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(onlyWindow(), nullptr);  // the document window stays
  }
}

// Two vaults open, the second one edited, the About window up: Quit asks about the edited one
// only, and any answer but Cancel ends with every window closed.
TEST_F(LaunchTest, QuitGoesOnPastTheSavePromptUnlessCancelled) {
  const QString home = dir.filePath(QStringLiteral("Home.qvlt"));
  const QString work = dir.filePath(QStringLiteral("Work.qvlt"));
  ASSERT_TRUE(writeSavedVault(home));
  ASSERT_TRUE(writeSavedVault(work));
  const struct {
    const char* answer;
    bool quits;
    int writes;
  } cases[] = {{"Don't Save", true, 0}, {"Save", true, 1}, {"Cancel", false, 0}};
  int writes = 0;
  AtomicFile::setBeforeCommitHook([&writes] { return ++writes > 0; });
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    start({home, work});
    auto* edited = qobject_cast<MyDocument*>(launch->controller().documentForURL(work));
    ASSERT_NE(edited, nullptr);
    VaultDocumentWindow* editedWindow = launch->controller().windowOf(edited);
    QTest::keyClicks(editedWindow->passwordField(), QStringLiteral("secret12"));
    QTest::keyClick(editedWindow->passwordField(), Qt::Key_Return);
    GuiDriver::settle();
    ASSERT_TRUE(edited->isDecrypted());
    GuiDriver::closeAllAlerts();
    edited->updateChangeCount(Document::ChangeDone);
    writes = 0;
    launch->delegate().openAbout();
    GuiDriver::settle();
    ASSERT_EQ(GuiDriver::visible<VaultDocumentWindow>().size(), 2);

    VaultDocumentWindow* lockedWindow =
        launch->controller().windowOf(launch->controller().documentForURL(home));
    QAction* quit = nullptr;
    for (QAction* a : lockedWindow->menuBar()->actions().first()->menu()->actions())
      if (a->text() == u"&Quit") quit = a;
    ASSERT_NE(quit, nullptr);
    quit->trigger();
    GuiDriver::settle();
    ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
    EXPECT_TRUE(GuiDriver::onlyAlert()->text().contains(QStringLiteral("“Work”")))
        << GuiDriver::onlyAlert()->text().toStdString();
    ASSERT_TRUE(GuiDriver::pressAlertButton(QString::fromUtf8(c.answer)));
    GuiDriver::settle();

    EXPECT_TRUE(GuiDriver::alertTexts().isEmpty())
        << GuiDriver::alertTexts().join(u'|').toStdString();
    EXPECT_EQ(GuiDriver::visible<VaultDocumentWindow>().size(), c.quits ? 0 : 2);
    EXPECT_EQ(launch->controller().documents().size(), c.quits ? 0u : 2u);
    EXPECT_EQ(launch->delegate().aboutWindow()->isVisible(), !c.quits);
    EXPECT_EQ(writes, c.writes);
    if (!c.quits) {
      EXPECT_TRUE(edited->isDocumentEdited());
    }
    launch.reset();
    GuiDriver::settle();
  }
  AtomicFile::setBeforeCommitHook({});
}

TEST_F(LaunchTest, NewerVersionAlertAnswersTheUsersChoice) {
  const struct {
    const char* button;
    bool answer;
    int opened;
  } cases[] = {{"Cancel", false, 0}, {"Go to Download Last Version", true, 1}};
  for (const auto& c : cases) {
    int opened = 0;
    ZVAppSupportUtility::setUrlOpener([&opened](const QUrl&) { return ++opened > 0; });
    // Presses once the alert is up, however long that takes.
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&c, &presser] {
      if (!GuiDriver::onlyAlert()) return;
      presser.stop();
      if (!GuiDriver::pressAlertButton(QString::fromUtf8(c.button))) GuiDriver::closeAllAlerts();
    });
    presser.start(10);
    EXPECT_EQ(ZVAppSupportUtility::sayFilecreatedWithANewerVersion(), c.answer) << c.button;
    EXPECT_EQ(opened, c.opened) << c.button;
  }
  ZVAppSupportUtility::setUrlOpener({});
}

}  // namespace

namespace {

// Built into the program, so it shows where no icon theme or SVG plug-in is installed.
TEST(ApplicationIcon, HasADrawnPictureAtEveryDesktopSize) {
  const QIcon icon = ZVAppDelegateBase::applicationIcon();
  QList<int> sizes;
  for (const QSize& size : icon.availableSizes()) sizes << size.width();
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (QList<int>{16, 32, 48, 64, 128, 256}));
  for (int size : sizes) {
    const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();  // any screen scale
    ASSERT_EQ(image.size(), QSize(size, size));
    EXPECT_EQ(image.pixelColor(size / 2, size / 2).alpha(), 255) << size;  // the body
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << size;                  // rounded corner
  }
}

TEST(DocumentOpeningNotice, ReachesTheLiveDelegateOnly) {
  QTemporaryDir dir;
  UserDefaults defaults(dir.filePath(QStringLiteral("q.conf")));
  {
    MyAppDelegate delegate(defaults);
    EXPECT_FALSE(delegate.documentIsOpening());
    MyDocument first;
    EXPECT_TRUE(delegate.documentIsOpening());
  }
  MyDocument afterwards;  // the delegate is gone: nothing may call into it
  EXPECT_FALSE(afterwards.isEncrypted());
}

}  // namespace
