#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolBar>

#include "Common/ZVBookmark.h"
#include "app/ApplicationLaunch.h"
#include "app/FileReveal.h"
#include "app/MyAppDelegate.h"
#include "app/MyPrefToolbarDelegate.h"
#include "app/PreferencesWindow.h"
#include "app/ZVPhoneHome.h"
#include "app/ZVRevertDocController.h"
#include "platform/OpenPanel.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/app/SavedVault.h"

namespace {

const int kHeights[] = {215, 153, 150, 424, 140, 150};
const char* const kLabels[] = {"General", "Font",     "Password Create",
                               "Timing",  "Advanced", "Software Update"};

class PreferencesWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Quorlith.conf")));
    defaults->setInteger(QStringLiteral("StartupActionTag"), 4);  // nothing at launch
    launch = std::make_unique<ApplicationLaunch>(*defaults);
    launch->run({});
    GuiDriver::settle();
  }
  void TearDown() override {
    OpenPanel::setChooser({});
    FileReveal::setRevealer({});
    GuiDriver::closeAllAlerts();
    launch.reset();
    GuiDriver::settle();
  }
  PreferencesWindow* open(int tab = 0) {
    launch->delegate().openPreferencesAtTab(tab);
    GuiDriver::settle();
    return qobject_cast<PreferencesWindow*>(launch->delegate().prefWindow.data());
  }
  template <typename W>
  W* find(PreferencesWindow* w, const char* name) {
    return w->findChild<W*>(QString::fromLatin1(name));
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<ApplicationLaunch> launch;
};

TEST_F(PreferencesWindowTest, PanesSwitchAndTheWindowTakesTheirHeightsKeepingItsTop) {
  PreferencesWindow* w = open();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(w->isVisible());
  MyPrefToolbarDelegate* panes = w->panes();
  QToolBar* bar = w->findChild<QToolBar*>(QStringLiteral("prefToolBar"));
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->actions().size(), 6);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("General"));
  const int top = w->geometry().top();
  const int chrome = w->height() - kHeights[0];
  EXPECT_GT(chrome, 0);

  for (int i : {3, 1, 2, 5, 4, 0}) {
    SCOPED_TRACE(kLabels[i]);
    bar->actions()[i]->trigger();  // as a click on the toolbar
    GuiDriver::settle();
    EXPECT_EQ(w->windowTitle(), QString::fromLatin1(kLabels[i]));
    EXPECT_EQ(w->tabView()->currentIndex(), i);
    EXPECT_EQ(w->tabView()->height(), kHeights[i]);
    EXPECT_EQ(w->height(), chrome + kHeights[i]);
    EXPECT_EQ(w->geometry().top(), top);
    EXPECT_TRUE(bar->actions()[i]->isChecked());
    // Everything of the pane fits in its height.
    EXPECT_LE(w->tabView()->currentWidget()->minimumSizeHint().height(), kHeights[i]);
  }
  const int general = w->height();
  panes->SetPanelTab(3);
  EXPECT_EQ(w->height() - general, 209);

  for (int outside : {6, -1}) {
    panes->SetPanelTab(outside);
    EXPECT_EQ(w->tabView()->currentIndex(), 3);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Timing"));
  }

  // Asked for again while shown: the same window, not moved, at the pane asked for.
  w->move(QPoint(40, 30));
  GuiDriver::settle();
  const QPoint at = w->pos();
  launch->delegate().openPreferencesAtTab(2);
  GuiDriver::settle();
  EXPECT_EQ(launch->delegate().prefWindow.data(), w);
  EXPECT_EQ(w->pos(), at);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Password Create"));
  EXPECT_TRUE(bar->actions()[2]->isChecked());
}

// The toolbar holds the items its identifier answers name, each one a choice among the panes;
// the click notice leaves the pane to the item's own action.
TEST_F(PreferencesWindowTest, TheToolbarIsBuiltFromItsIdentifierAnswers) {
  PreferencesWindow* w = open();
  ASSERT_NE(w, nullptr);
  MyPrefToolbarDelegate* panes = w->panes();
  const QStringList all = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                           QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")};
  EXPECT_EQ(panes->toolbarDefaultItemIdentifiers(), all);
  EXPECT_EQ(panes->toolbarAllowedItemIdentifiers(), all);
  EXPECT_EQ(panes->toolbarSelectableItemIdentifiers(), all);
  QToolBar* bar = w->findChild<QToolBar*>(QStringLiteral("prefToolBar"));
  ASSERT_NE(bar, nullptr);
  QStringList built;
  for (QAction* item : bar->actions()) {
    built << item->objectName();
    EXPECT_TRUE(item->isCheckable()) << item->objectName().toStdString();
  }
  EXPECT_EQ(built, all);

  panes->SetPanelTab(3);
  panes->toolbaritemclicked(bar->actions()[1]);
  GuiDriver::settle();
  EXPECT_EQ(w->tabView()->currentIndex(), 3);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Timing"));
  EXPECT_TRUE(bar->actions()[3]->isChecked());
}

// Opened for the first time as the Edit menu's command does: every pane's "Restore Defaults"
// button shows whole, at its own size and inside the window.
TEST_F(PreferencesWindowTest, RestoreDefaultsShowsWholeFromTheFirstOpening) {
  launch->delegate().openPreferences();
  GuiDriver::settle();
  auto* w = qobject_cast<PreferencesWindow*>(launch->delegate().prefWindow.data());
  ASSERT_NE(w, nullptr);
  GuiDriver::snapshot(w, QStringLiteral("preferences-first-opening"));
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(kLabels[i]);
    if (i > 0) {
      w->panes()->SetPanelTab(i);
      GuiDriver::settle();
    }
    QPushButton* restore = nullptr;
    for (auto* b : w->tabView()->currentWidget()->findChildren<QPushButton*>())
      if (b->text() == u"Restore &Defaults") restore = b;
    ASSERT_NE(restore, nullptr);
    ASSERT_TRUE(restore->isVisible());
    EXPECT_GE(restore->width(), restore->sizeHint().width());
    EXPECT_GE(restore->height(), restore->sizeHint().height());
    const QRect inWindow(restore->mapTo(w, QPoint(0, 0)), restore->size());
    EXPECT_TRUE(w->rect().contains(inWindow)) << inWindow.bottom() << " " << w->height();
    EXPECT_EQ(restore->visibleRegion().boundingRect(), restore->rect());
  }
}

TEST_F(PreferencesWindowTest, ScreenshotsOfEveryPane) {
  PreferencesWindow* w = open();
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 6; ++i) {
    w->panes()->SetPanelTab(i);
    GuiDriver::settle();
    GuiDriver::snapshot(w, QStringLiteral("preferences-%1").arg(i));
  }
}

TEST_F(PreferencesWindowTest, ControlsStoreAndFollowTheSettings) {
  PreferencesWindow* w = open(3);
  auto* lock = find<QCheckBox>(w, "autolocBackgroundEnabled");
  auto* lockAfter = find<QSpinBox>(w, "autolocBackgroundInterval");
  auto* notice = find<QSpinBox>(w, "notifyHudTimer");
  ASSERT_TRUE(lock && lockAfter && notice);
  EXPECT_FALSE(lock->isChecked());
  EXPECT_FALSE(lockAfter->isEnabled());
  EXPECT_EQ(lockAfter->minimum(), 30);
  EXPECT_EQ(notice->minimum(), 3);
  EXPECT_EQ(notice->maximum(), 30);

  QTest::mouseClick(lock, Qt::LeftButton);
  EXPECT_TRUE(defaults->boolForKey(QStringLiteral("autolocBackgroundEnabled")));
  EXPECT_TRUE(lockAfter->isEnabled());
  lockAfter->setValue(300);
  EXPECT_EQ(defaults->integerForKey(QStringLiteral("autolocBackgroundInterval")), 300);

  // Changed elsewhere: the window follows; values it cannot show read as the registered ones.
  defaults->setInteger(QStringLiteral("notifyHudTimer"), 25);
  EXPECT_EQ(notice->value(), 25);
  defaults->setInteger(QStringLiteral("notifyHudTimer"), 1000);
  EXPECT_EQ(notice->value(), 10);
  defaults->setInteger(QStringLiteral("autolocBackgroundInterval"), 5);
  EXPECT_EQ(lockAfter->value(), 120);

  auto* sort = find<QComboBox>(w, "tableSortCompare");
  ASSERT_NE(sort, nullptr);
  EXPECT_EQ(sort->currentData().toInt(), 2);
  sort->setCurrentIndex(0);
  EXPECT_EQ(defaults->integerForKey(QStringLiteral("tableSortCompare")), 0);
  defaults->setInteger(QStringLiteral("tableSortCompare"), 7);
  EXPECT_EQ(sort->currentData().toInt(), 2);

  auto* chars = find<QLineEdit>(w, "noCharStringDisambiguator");
  ASSERT_NE(chars, nullptr);
  EXPECT_EQ(chars->text(), QStringLiteral("0O1lI"));
  EXPECT_FALSE(chars->isEnabled());

  // Restore Defaults returns the pane's settings to their registered values.
  w->panes()->SetPanelTab(3);
  QPushButton* restore = nullptr;
  for (auto* b : w->tabView()->currentWidget()->findChildren<QPushButton*>())
    if (b->text() == u"Restore &Defaults") restore = b;
  ASSERT_NE(restore, nullptr);
  QTest::mouseClick(restore, Qt::LeftButton);
  EXPECT_FALSE(defaults->boolForKey(QStringLiteral("autolocBackgroundEnabled")));
  EXPECT_EQ(defaults->integerForKey(QStringLiteral("autolocBackgroundInterval")), 120);
  EXPECT_FALSE(lock->isChecked());
  EXPECT_EQ(defaults->integerForKey(QStringLiteral("tableSortCompare")), 7);  // another pane's
}

// The pane promises a daily check only in a build that names a release feed.
TEST_F(PreferencesWindowTest, SoftwareUpdatePaneSaysWhetherThisBuildChecksAtAll) {
  const struct {
    QString mirror;
    const char* report;
    const char* says;
    const char* picture;
  } cases[] = {
      {QString(), "&Report new releases", "names no release server, so it never checks",
       "preferences-5-no-feed"},
      {QStringLiteral("https://m1.quorlith.example/mac/quorlith.plist"),
       "&Report new releases, checked once a day", "releases are still checked quietly",
       "preferences-5-feed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.picture);
    launch.reset();
    GuiDriver::settle();
    launch = std::make_unique<ApplicationLaunch>(*defaults);
    launch->delegate().phoneHome().SetValueAppRelease(40200, QStringLiteral("Quorlith"), c.mirror,
                                                      {}, {}, {});
    launch->run({});
    GuiDriver::settle();
    PreferencesWindow* w = open(5);
    ASSERT_NE(w, nullptr);
    auto* report = find<QCheckBox>(w, "notifyUpdate");
    auto* note = find<QLabel>(w, "softwareUpdateNote");
    ASSERT_TRUE(report && note);
    EXPECT_EQ(report->text(), QString::fromUtf8(c.report));
    EXPECT_EQ(report->isEnabled(), !c.mirror.isEmpty());
    EXPECT_TRUE(report->isVisible());
    EXPECT_TRUE(note->text().contains(QString::fromUtf8(c.says))) << note->text().toStdString();
    EXPECT_TRUE(note->isVisible());
    GuiDriver::snapshot(w, QString::fromLatin1(c.picture));
  }
}

// The Font pane offers every font family of the system.
TEST_F(PreferencesWindowTest, TheFontPaneListsEveryFamily) {
  PreferencesWindow* w = open(1);
  auto* family = find<QComboBox>(w, "tableFontFamily");
  ASSERT_NE(family, nullptr);
  const QStringList families = QFontDatabase::families();
  ASSERT_FALSE(families.isEmpty());
  for (const QString& name : families) EXPECT_GE(family->findData(name), 0) << name.toStdString();
  EXPECT_EQ(launch->delegate().fontFamilyArray()->count(), families.size());
}

// A flag without a registered default is stored as text; it must read back as a flag, both when
// ticked in the window and when it comes from the settings file of an earlier launch.
TEST_F(PreferencesWindowTest, TheLookAlikeSwitchEnablesItsCharactersFromTheSettingsFile) {
  PreferencesWindow* w = open(2);
  auto* exclude = find<QCheckBox>(w, "enableDisambiguator");
  auto* chars = find<QLineEdit>(w, "noCharStringDisambiguator");
  ASSERT_TRUE(exclude && chars);
  EXPECT_FALSE(chars->isEnabled());
  QTest::mouseClick(exclude, Qt::LeftButton);
  EXPECT_TRUE(exclude->isChecked());
  EXPECT_TRUE(chars->isEnabled());
  defaults->synchronize();
  TearDown();

  QSettings file(dir.filePath(QStringLiteral("Quorlith.conf")), QSettings::IniFormat);
  EXPECT_EQ(file.value(QStringLiteral("enableDisambiguator")).toString(), QStringLiteral("true"));
  defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Quorlith.conf")));
  launch = std::make_unique<ApplicationLaunch>(*defaults);
  launch->run({});
  GuiDriver::settle();
  w = open(2);
  EXPECT_TRUE(find<QCheckBox>(w, "enableDisambiguator")->isChecked());
  EXPECT_TRUE(find<QLineEdit>(w, "noCharStringDisambiguator")->isEnabled());
}

TEST_F(PreferencesWindowTest, StartupDocumentChosenTestedRevealedAndCleared) {
  const QString vault = dir.filePath(QStringLiteral("Home.qvlt"));
  ASSERT_TRUE(writeSavedVault(vault));
  PreferencesWindow* w = open(0);
  auto* openThis = find<QRadioButton>(w, "startupAction3");
  auto* choose = find<QPushButton>(w, "selectStartupDoc");
  auto* test = find<QPushButton>(w, "testOpenStartupDoc");
  auto* reveal = find<QPushButton>(w, "showInFinderStartupDoc");
  auto* clear = find<QPushButton>(w, "clearStartupSelectedDoc");
  auto* path = find<QLabel>(w, "startupDocPath");
  auto* status = find<QLabel>(w, "startupDocStatus");
  ASSERT_TRUE(openThis && choose && test && reveal && clear && path && status);
  EXPECT_FALSE(choose->isEnabled());  // until "Open this vault" is the action
  EXPECT_EQ(status->text(), QStringLiteral("Please select a file or change startup option"));

  // On its round button: only the button and its label take clicks.
  QTest::mouseClick(openThis, Qt::LeftButton, {}, QPoint(8, openThis->height() / 2));
  EXPECT_EQ(defaults->integerForKey(QStringLiteral("StartupActionTag")), 3);
  EXPECT_TRUE(choose->isEnabled());
  EXPECT_FALSE(test->isEnabled());
  OpenPanel::setChooser([&vault](QWidget* parent, const OpenPanel::Request& request) {
    EXPECT_EQ(request.prompt, QStringLiteral("Select"));
    EXPECT_FALSE(request.multiple);
    EXPECT_NE(parent, nullptr);
    return QStringList{vault};
  });
  QTest::mouseClick(choose, Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_EQ(defaults->stringForKey(QStringLiteral("StartupSelectedDocPath")), vault);
  EXPECT_EQ(path->text(), vault);
  EXPECT_TRUE(status->text().isEmpty());
  EXPECT_TRUE(test->isEnabled());
  GuiDriver::snapshot(w, QStringLiteral("preferences-0-chosen"));

  QStringList revealed;
  FileReveal::setRevealer([&revealed](const QString& p) { revealed << p; });
  QTest::mouseClick(reveal, Qt::LeftButton);
  EXPECT_EQ(revealed, QStringList{vault});

  QTest::mouseClick(test, Qt::LeftButton);
  GuiDriver::settle();
  EXPECT_EQ(launch->controller().documents().size(), 1u);

  QTest::mouseClick(clear, Qt::LeftButton);
  EXPECT_TRUE(defaults->stringForKey(QStringLiteral("StartupSelectedDocPath")).isEmpty());
  EXPECT_EQ(status->text(), QStringLiteral("Please select a file or change startup option"));
  EXPECT_TRUE(path->text().isEmpty());
  EXPECT_FALSE(test->isEnabled());
}

}  // namespace
