#include <gtest/gtest.h>

#include <QMenuBar>
#include <QTemporaryDir>

#include "Common/AppIdentity.h"
#include "Common/ZVAppSupportUtility.h"
#include "FakeUrlLoader.h"
#include "app/ApplicationLaunch.h"
#include "app/MyAppDelegate.h"
#include "app/ZVPhoneHome.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "vault/MyDocument.h"
#include "vault/PasswordSheet.h"
#include "window/VaultDocumentWindow.h"

namespace {

const QString kMirror1 = QStringLiteral("https://m1.quorlith.example/mac/quorlith.plist");
const QString kMirror2 = QStringLiteral("https://m2.quorlith.example/mac/quorlith.plist");
const QString kMirror3 = QStringLiteral("https://m3.quorlith.example/mac/quorlith.plist");
const QString kMirror4 = QStringLiteral("https://m4.quorlith.example/mac/quorlith.plist");
const QString kDownload = QStringLiteral("https://www.quorlith.example/get/quorlith-5.0.tar.gz");
const QString kPage = QStringLiteral("https://www.quorlith.example/download/");
const QString kLastCheck = QStringLiteral("lastCheckDateForUpdate");

QByteArray feed(long latest, const QString& download = kDownload) {
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
             "<key>LRA</key><integer>%1</integer><key>GFU</key><string>%2</string>"
             "<key>DPU</key><string>%3</string></dict></plist>\n")
      .arg(latest)
      .arg(download, kPage)
      .toUtf8();
}

Date localTime(int y, int m, int d, int h, int min) {
  return Date::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, min)));
}

// In the order the alert added them (the order of their answers), whatever the desktop's layout.
QStringList buttonTitles(QMessageBox* box) {
  QMap<int, QString> byAnswer;
  for (QAbstractButton* b : box->buttons())
    byAnswer.insert(b->property("alertReturnCode").toInt(), b->text());
  return byAnswer.values();
}

class ReleaseCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Quorlith.conf")));
    defaults->registerDefaults(MyAppDelegate::registeredDefaultsDictionary());
    auto fake = std::make_unique<FakeUrlLoader>();
    loader = fake.get();
    home = std::make_unique<ZVPhoneHome>(*defaults, std::move(fake));
    home->SetValueAppRelease(40200, QStringLiteral("Quorlith"), kMirror1, kMirror2, kMirror3,
                             kMirror4);
    Clock::setSource([this] { return now; });
    ZVAppSupportUtility::setUrlOpener([this](const QUrl& url) {
      opened << url.toString();
      return true;
    });
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    home.reset();
    Clock::setSource({});
    ZVAppSupportUtility::setUrlOpener({});
  }
  // Until the check shows its report or ends.
  void waitForOutcome() {
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return GuiDriver::onlyAlert() || !home->isChekingUpdateSystem(); }, 30000));
    GuiDriver::settle();
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  FakeUrlLoader* loader = nullptr;
  std::unique_ptr<ZVPhoneHome> home;
  Date now = localTime(2026, 6, 15, 10, 0);
  QStringList opened;
};

TEST_F(ReleaseCheckTest, EveryReportHasItsTextsAndButtons) {
  const QString upToDateInfo = QStringLiteral(
      "You are using the latest available release.\nIf you like, you can go to the Marvessa "
      "download page to manually check it.\n\nVisit us and see all the macOS software we have "
      "available.\nWe are one of the developers in the world with more macOS apps!\n");
  const struct {
    const char* name;
    std::optional<long> latest;  // none: every mirror fails
    bool daily;                  // the daily check with update reports, else the menu's
    QString message, info;
    QStringList buttons;
  } cases[] = {
      {"update-available",
       50000,
       false,
       QStringLiteral("There is an update available for Quorlith"),
       QStringLiteral("You are using release: 4.2\nLatest available release is: 5.0\nMarvessa "
                      "recommends to use always the latest release"),
       {QStringLiteral("Download Update"), QStringLiteral("Download Page"),
        QStringLiteral("Later")}},
      {"update-available-daily",
       40201,
       true,
       QStringLiteral("There is an update available for Quorlith"),
       QStringLiteral("You are using release: 4.2\nLatest available release is: 4.2.1\nMarvessa "
                      "recommends to use always the latest release"),
       {QStringLiteral("Download Update"), QStringLiteral("Download Page"),
        QStringLiteral("Later")}},
      {"up-to-date",
       40200,
       false,
       QStringLiteral("Quorlith is up to date"),
       upToDateInfo,
       {QStringLiteral("Go to Marvessa Download Page"), QStringLiteral("Close")}},
      {"not-reachable",
       std::nullopt,
       false,
       QStringLiteral("Quorlith was not able to connect to the Marvessa server"),
       QStringLiteral("It was not possible to enstablish a internet connection on the net with "
                      "the Marvessa upgrade server. Check your internet connection or try later."),
       {QStringLiteral("OK")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    loader->answers.clear();
    defaults->removeObjectForKey(kLastCheck);
    if (c.latest) loader->answers.emplace(kMirror1, feed(*c.latest));
    if (c.daily)
      home->dailyVerboseCheckForLastReleaseAvailable();
    else
      home->checkForLastReleaseAvailableWithNotify();
    EXPECT_TRUE(home->isChekingUpdateSystem());
    waitForOutcome();
    QMessageBox* alert = GuiDriver::onlyAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), c.message);
    EXPECT_EQ(alert->informativeText(), c.info);
    EXPECT_EQ(buttonTitles(alert), c.buttons);
    EXPECT_EQ(alert->icon(), QMessageBox::Warning);
    EXPECT_TRUE(alert->isModal());
    GuiDriver::snapshot(alert, QStringLiteral("release-check-") + QString::fromUtf8(c.name));
    EXPECT_TRUE(home->isChekingUpdateSystem()) << "a check ends when its report closes";
    ASSERT_TRUE(GuiDriver::pressAlertButton(c.buttons.last()));
    EXPECT_FALSE(home->isChekingUpdateSystem());
  }
}

TEST_F(ReleaseCheckTest, ReportButtonsOpenOnlyTheFeedsHttpsLinks) {
  const struct {
    long latest;
    QString download;
    const char* button;
    QStringList opens;
  } cases[] = {
      {50000, kDownload, "Download Update", {kDownload}},
      {50000, kDownload, "Download Page", {kPage}},
      {50000, kDownload, "Later", {}},
      {50000, QStringLiteral("http://www.quorlith.example/q.tar.gz"), "Download Update", {}},
      {40200, kDownload, "Go to Marvessa Download Page", {kPage}},
      {40200, kDownload, "Close", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    opened.clear();
    loader->answers.clear();
    loader->answers.emplace(kMirror1, feed(c.latest, c.download));
    home->checkForLastReleaseAvailableWithNotify();
    waitForOutcome();
    ASSERT_TRUE(GuiDriver::pressAlertButton(QString::fromUtf8(c.button)));
    EXPECT_EQ(opened, c.opens);
    EXPECT_FALSE(home->isChekingUpdateSystem());
  }
}

TEST_F(ReleaseCheckTest, DailyCheckRunsOncePerCalendarDayAndCountsOnlyAnswers) {
  // No mirror answers: nothing is shown, and the day does not count as checked.
  now = localTime(2026, 6, 15, 23, 58);
  home->dailyVerboseCheckForLastReleaseAvailable();
  waitForOutcome();
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_EQ(loader->requested, (QStringList{kMirror1, kMirror2, kMirror3, kMirror4}));
  EXPECT_FALSE(defaults->dateForKey(kLastCheck));

  // Mirror 2 answers "up to date": still nothing shown, but the day is recorded.
  loader->requested.clear();
  loader->answers.emplace(kMirror2, feed(40200));
  home->dailyVerboseCheckForLastReleaseAvailable();
  waitForOutcome();
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_EQ(loader->requested, (QStringList{kMirror1, kMirror2}));
  ASSERT_TRUE(defaults->dateForKey(kLastCheck));
  EXPECT_EQ(*defaults->dateForKey(kLastCheck), now);
  // Written to disk at once.
  EXPECT_TRUE(UserDefaults(dir.filePath(QStringLiteral("Quorlith.conf"))).dateForKey(kLastCheck));

  const struct {
    const char* name;
    Date at;
    bool checks;
  } later[] = {{"a minute later", localTime(2026, 6, 15, 23, 59), false},
               {"a minute after midnight", localTime(2026, 6, 16, 0, 1), true},
               {"again that day", localTime(2026, 6, 16, 18, 0), false}};
  for (const auto& l : later) {
    loader->requested.clear();
    now = l.at;
    home->dailySilentCheckForLastReleaseAvailable();
    waitForOutcome();
    EXPECT_EQ(!loader->requested.isEmpty(), l.checks) << l.name;
  }
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
}

// The silent check runs whatever the day and reports nothing, an update or a failure alike.
TEST_F(ReleaseCheckTest, TheSilentCheckRunsEveryTimeAndReportsNothing) {
  loader->answers.emplace(kMirror1, feed(50000));
  for (int run = 0; run < 2; ++run) {  // the second on the same day as the first
    loader->requested.clear();
    home->silentCheckForLastReleaseAvailable();
    waitForOutcome();
    EXPECT_EQ(loader->requested, QStringList{kMirror1}) << run;
    EXPECT_TRUE(GuiDriver::alertTexts().isEmpty()) << run;
    ASSERT_TRUE(defaults->dateForKey(kLastCheck));
    EXPECT_EQ(*defaults->dateForKey(kLastCheck), now);
  }
  loader->answers.clear();
  loader->requested.clear();
  now = localTime(2026, 6, 16, 9, 0);
  home->silentCheckForLastReleaseAvailable();
  waitForOutcome();
  EXPECT_EQ(loader->requested.size(), 4);  // every mirror failed
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
  EXPECT_EQ(*defaults->dateForKey(kLastCheck), localTime(2026, 6, 15, 10, 0));

  // While a check runs it starts none.
  loader->answers.emplace(kMirror1, feed(40200));
  loader->held << kMirror1;
  loader->requested.clear();
  home->silentCheckForLastReleaseAvailable();
  ASSERT_TRUE(home->isChekingUpdateSystem());
  home->silentCheckForLastReleaseAvailable();
  EXPECT_EQ(loader->requested, QStringList{kMirror1});
  loader->release();
  waitForOutcome();
  EXPECT_FALSE(home->isChekingUpdateSystem());
}

TEST_F(ReleaseCheckTest, AskingDuringARunningCheckStartsNoSecondButGetsItsReport) {
  loader->answers.emplace(kMirror1, feed(40200));
  loader->held << kMirror1;
  home->dailySilentCheckForLastReleaseAvailable();
  ASSERT_TRUE(home->isChekingUpdateSystem());
  home->checkForLastReleaseAvailableWithNotify();  // "Software Update…"
  EXPECT_EQ(loader->requested, QStringList{kMirror1});
  loader->release();
  waitForOutcome();
  ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
  EXPECT_EQ(GuiDriver::onlyAlert()->text(), QStringLiteral("Quorlith is up to date"));
  EXPECT_EQ(loader->requested, QStringList{kMirror1});
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Close")));
  EXPECT_FALSE(home->isChekingUpdateSystem());
}

TEST_F(ReleaseCheckTest, QuietUsersAreInvitedAfterNinetyDays) {
  defaults->setBool(QStringLiteral("notifyUpdate"), false);
  const QString info = QStringLiteral(
      "Suggested option is to have the update report enabled.\nUse the Preference Dialog to "
      "enable this feature.");
  const struct {
    const char* name;
    std::optional<double> daysAgo;
    QString message;  // empty: no invitation
  } cases[] = {
      {"invitation-never-checked", std::nullopt,
       QStringLiteral("Would you like that Quorlith informs you now for any available update?")},
      {"invitation-91-days", 91.0,
       QStringLiteral("It is more then 90 days this app doesn't report to you for updates.\nWould "
                      "you like that Quorlith informs you now for any available update?")},
      {"89-days", 89.0, QString()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    loader->requested.clear();
    loader->answers.clear();
    if (c.daysAgo)
      defaults->setObject(kLastCheck, Value(Date{now.sinceReferenceDate - *c.daysAgo * 86400}));
    else
      defaults->removeObjectForKey(kLastCheck);
    home->startupProcedure();
    GuiDriver::settle();
    EXPECT_EQ(loader->requested.size(), 4) << "the quiet daily check runs all the same";
    waitForOutcome();
    if (c.message.isEmpty()) {
      EXPECT_TRUE(GuiDriver::alertTexts().isEmpty());
      continue;
    }
    QMessageBox* alert = GuiDriver::onlyAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), c.message);
    EXPECT_EQ(alert->informativeText(), info);
    EXPECT_EQ(buttonTitles(alert),
              (QStringList{QStringLiteral("OK"), QStringLiteral("Marvessa Site"),
                           QStringLiteral("Cancel")}));
    EXPECT_EQ(alert->icon(), QMessageBox::Warning);
    GuiDriver::snapshot(alert, QStringLiteral("release-check-") + QString::fromUtf8(c.name));
    ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Marvessa Site")));
    EXPECT_EQ(opened, QStringList{AppIdentity::kMakerSite});
    opened.clear();
  }
}

// "OK" while the quiet check of the same launch still runs: that check reports instead.
TEST_F(ReleaseCheckTest, InvitationAcceptedDuringTheQuietCheckGetsItsReport) {
  defaults->setBool(QStringLiteral("notifyUpdate"), false);
  loader->answers.emplace(kMirror1, feed(50000));
  loader->held << kMirror1;
  home->startupProcedure();
  GuiDriver::settle();
  ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));
  EXPECT_TRUE(home->isChekingUpdateSystem());
  loader->release();
  waitForOutcome();
  ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
  EXPECT_EQ(GuiDriver::onlyAlert()->text(),
            QStringLiteral("There is an update available for Quorlith"));
  EXPECT_EQ(loader->requested, QStringList{kMirror1});
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("Later")));
  EXPECT_FALSE(home->isChekingUpdateSystem());

  // After it ended, "OK" starts a check of its own.
  loader->requested.clear();
  now = Date{now.sinceReferenceDate + 100 * 86400.0};
  home->inCaseInviteToCheckForLastReleaseAvailable();
  GuiDriver::settle();
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));
  waitForOutcome();
  EXPECT_EQ(loader->requested, QStringList{kMirror1});
  ASSERT_NE(GuiDriver::onlyAlert(), nullptr);
  EXPECT_EQ(GuiDriver::onlyAlert()->text(),
            QStringLiteral("There is an update available for Quorlith"));
}

TEST_F(ReleaseCheckTest, ABuildWithoutFeedChecksNothingAndSaysSoWhenAsked) {
  home->SetValueAppRelease(40200, QStringLiteral("Quorlith"), {}, {}, {}, {});
  defaults->setBool(QStringLiteral("notifyUpdate"), false);
  home->startupProcedure();
  GuiDriver::settle();
  EXPECT_TRUE(GuiDriver::alertTexts().isEmpty()) << "no invitation to a check that cannot run";
  home->checkForLastReleaseAvailableWithNotify();
  GuiDriver::settle();
  QMessageBox* alert = GuiDriver::onlyAlert();
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->text(), QStringLiteral("No release feed is configured"));
  GuiDriver::snapshot(alert, QStringLiteral("release-check-no-feed"));
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));
  EXPECT_TRUE(loader->requested.isEmpty());
  EXPECT_FALSE(home->isChekingUpdateSystem());
}

// Launches the program and gives its Help › Software Update command, the first window's
// password sheet put aside; null when the program shows no single window.
QAction* launchedSoftwareUpdate(ApplicationLaunch& launch) {
  launch.run({});
  GuiDriver::settle();
  for (auto* sheet : GuiDriver::visible<PasswordSheet>()) sheet->hide();
  const auto windows = GuiDriver::visible<VaultDocumentWindow>();
  if (windows.size() != 1) return nullptr;
  for (QAction* a : windows.first()->menuBar()->actions().last()->menu()->actions())
    if (a->text() == u"&Software Update…") return a;
  return nullptr;
}

// Through the real window and the real loader: a plain-http mirror is refused without any
// connection, so the user's own check reports the server as unreachable.
TEST(ReleaseCheckLaunch, SoftwareUpdateFromTheHelpMenu) {
  QTemporaryDir dir;
  UserDefaults defaults(dir.filePath(QStringLiteral("Quorlith.conf")));
  ApplicationLaunch launch(defaults);
  ZVPhoneHome& home = launch.delegate().phoneHome();
  EXPECT_EQ(home.myAppRelease(), 40200);
  EXPECT_EQ(home.myAppName(), QStringLiteral("Quorlith"));
  home.SetValueAppRelease(40200, QStringLiteral("Quorlith"), {}, {}, {}, {});
  QAction* softwareUpdate = launchedSoftwareUpdate(launch);
  ASSERT_NE(softwareUpdate, nullptr);

  const struct {
    QString mirror;
    QString says;
  } cases[] = {
      {QString(), QStringLiteral("No release feed is configured")},
      {QStringLiteral("http://127.0.0.1:9/mac/quorlith.plist"),
       QStringLiteral("Quorlith was not able to connect to the Marvessa server")},
  };
  for (const auto& c : cases) {
    home.SetValueAppRelease(40200, QStringLiteral("Quorlith"), c.mirror, {}, {}, {});
    softwareUpdate->trigger();
    ASSERT_TRUE(QTest::qWaitFor([] { return GuiDriver::onlyAlert() != nullptr; }, 30000));
    EXPECT_EQ(GuiDriver::onlyAlert()->text(), c.says);
    ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));
    EXPECT_FALSE(home.isChekingUpdateSystem());
  }
}

// The user's own settings of this suite live in a folder of its own, made before any test asks
// for them.
QString isolatedConfigFolder() {
  static QTemporaryDir folder;
  static const bool set = qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
  Q_UNUSED(set);
  return folder.path();
}
const QString kIsolatedConfig = isolatedConfigFolder();

// The application over the user's own settings checks with the shared checker, which its menu
// command drives; a delegate over other settings keeps a checker of its own.
TEST(ReleaseCheckLaunch, TheUsersOwnSettingsShareTheApplicationsChecker) {
  UserDefaults& standard = UserDefaults::standardUserDefaults();
  ASSERT_TRUE(standard.store().fileName().startsWith(kIsolatedConfig))
      << standard.store().fileName().toStdString();
  ZVPhoneHome& shared = ZVPhoneHome::sharedPhoneHome();
  EXPECT_EQ(&ZVPhoneHome::sharedPhoneHome(), &shared);
  {
    QTemporaryDir dir;
    UserDefaults other(dir.filePath(QStringLiteral("Quorlith.conf")));
    MyAppDelegate delegate(other);
    EXPECT_NE(&delegate.phoneHome(), &shared);
  }
  ApplicationLaunch launch(standard);
  ASSERT_EQ(&launch.delegate().phoneHome(), &shared);
  EXPECT_EQ(shared.myAppRelease(), 40200);
  EXPECT_EQ(shared.myAppName(), QStringLiteral("Quorlith"));

  shared.SetValueAppRelease(40200, QStringLiteral("Quorlith"), {}, {}, {}, {});
  QAction* softwareUpdate = launchedSoftwareUpdate(launch);
  ASSERT_NE(softwareUpdate, nullptr);
  softwareUpdate->trigger();
  ASSERT_TRUE(QTest::qWaitFor([] { return GuiDriver::onlyAlert() != nullptr; }, 5000));
  EXPECT_EQ(GuiDriver::onlyAlert()->text(), QStringLiteral("No release feed is configured"));
  ASSERT_TRUE(GuiDriver::pressAlertButton(QStringLiteral("OK")));
}

}  // namespace
