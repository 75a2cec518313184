#include "app/ZVPhoneHome.h"

#include <QMessageBox>

#include "Common/ZVAppSupportUtility.h"
#include "app/ZVReleaseCheckRules.h"
#include "app/ZVReleaseFeedFetcher.h"
#include "platform/Alert.h"
#include "platform/Clock.h"
#include "platform/NetworkUrlLoader.h"
#include "platform/UrlLoader.h"
#include "platform/UserDefaults.h"

namespace {
const QString kLastCheckKey = QStringLiteral("lastCheckDateForUpdate");
}

ZVPhoneHome::ZVPhoneHome(UserDefaults& defaults, std::unique_ptr<UrlLoader> loader, QObject* parent)
    : QObject(parent), defaults_(defaults), loader_(std::move(loader)) {}

ZVPhoneHome::~ZVPhoneHome() {
  // The loader first: no load may complete into a half-destroyed checker.
  loader_.reset();
  for (const QPointer<QMessageBox>& alert : alerts_) delete alert;
}

ZVPhoneHome& ZVPhoneHome::sharedPhoneHome() {
  // Never destroyed: alerts and loads may still be about when the application object is gone.
  static ZVPhoneHome* const shared =
      new ZVPhoneHome(UserDefaults::standardUserDefaults(),
                      std::make_unique<NetworkUrlLoader>(NetworkUrlLoader::Options{}));
  return *shared;
}

void ZVPhoneHome::SetValueAppRelease(qint64 release, const QString& appName,
                                     const QString& plistUrl1, const QString& plistUrl2,
                                     const QString& plistUrl3, const QString& plistUrl4) {
  myAppRelease_ = release;
  myAppName_ = appName;
  myPlistUrl_[0] = plistUrl1;
  myPlistUrl_[1] = plistUrl2;
  myPlistUrl_[2] = plistUrl3;
  myPlistUrl_[3] = plistUrl4;
}

QStringList ZVPhoneHome::mirrors() const {
  QStringList out;
  for (const QString& url : myPlistUrl_)
    if (!url.isEmpty()) out << url;
  return out;
}

void ZVPhoneHome::startupProcedure() {
  // A build that names no feed has nothing to check and nothing to invite to.
  if (mirrors().isEmpty()) return;
  if (defaults_.boolForKey(QStringLiteral("notifyUpdate"))) {
    dailyVerboseCheckForLastReleaseAvailable();
  } else {
    dailySilentCheckForLastReleaseAvailable();
    inCaseInviteToCheckForLastReleaseAvailable();
  }
}

void ZVPhoneHome::checkForLastReleaseAvailableWithNotify() {
  if (mirrors().isEmpty()) return notifyAboutNoReleaseFeed();
  if (checking_) {
    // The user asked: the check under way reports its outcome instead of swallowing the request.
    reportUpdate_ = reportRest_ = true;
    return;
  }
  checkForLastReleaseAvailableAndNotifyIsAvailable(true, true);
}

void ZVPhoneHome::dailyVerboseCheckForLastReleaseAvailable() {
  if (!checking_ && lastCheckNotToday())
    checkForLastReleaseAvailableAndNotifyIsAvailable(true, false);
}

void ZVPhoneHome::dailySilentCheckForLastReleaseAvailable() {
  if (!checking_ && lastCheckNotToday())
    checkForLastReleaseAvailableAndNotifyIsAvailable(false, false);
}

void ZVPhoneHome::silentCheckForLastReleaseAvailable() {
  if (!checking_) checkForLastReleaseAvailableAndNotifyIsAvailable(false, false);
}

void ZVPhoneHome::checkForLastReleaseAvailableAndNotifyIsAvailable(bool reportUpdate,
                                                                   bool reportRest) {
  const QStringList urls = mirrors();
  if (urls.isEmpty()) return;
  checking_ = true;
  reportUpdate_ = reportUpdate;
  reportRest_ = reportRest;
  QPointer<ZVPhoneHome> self(this);
  ZVReleaseFeedFetcher::getDictionaryFromTheNet(*loader_, urls,
                                                [self](Result<ZVReleaseFeed> fetched) {
                                                  if (self) self->completeCheck(std::move(fetched));
                                                });
}

void ZVPhoneHome::completeCheck(Result<ZVReleaseFeed> fetched) {
  std::optional<ZVReleaseFeed> feed;
  if (fetched) {
    feed = fetched.take();
    setInPreferencesTodayWasChecked();
  }
  switch (ZVReleaseCheckRules::reportFor(feed, myAppRelease_, reportUpdate_, reportRest_)) {
    case ZVReleaseCheckRules::Report::UpdateAvailable:
      return notifyAboutUpdateAvailable(*feed);
    case ZVReleaseCheckRules::Report::UpToDate:
      return notifyAboutYourAppIsLastAvailable(*feed);
    case ZVReleaseCheckRules::Report::NotReachable:
      return notifyAboutFailedChechForUpdate();
    case ZVReleaseCheckRules::Report::Nothing:
      break;
  }
  endCheck();
}

void ZVPhoneHome::endCheck() {
  checking_ = false;
  Q_EMIT checkFinished();
}

bool ZVPhoneHome::lastCheckNotToday() const {
  return ZVReleaseCheckRules::lastCheckNotToday(defaults_.dateForKey(kLastCheckKey), Clock::now());
}

void ZVPhoneHome::setInPreferencesTodayWasChecked() {
  defaults_.setObject(kLastCheckKey, Value(Clock::now()));
  defaults_.synchronize();
}

void ZVPhoneHome::inCaseInviteToCheckForLastReleaseAvailable() {
  const std::optional<Date> last = defaults_.dateForKey(kLastCheckKey);
  if (!ZVReleaseCheckRules::invitationDue(last, Clock::now())) return;
  Alert alert;
  alert.addButtonWithTitle(QStringLiteral("OK"));
  alert.addButtonWithTitle(QStringLiteral("Marvessa Site"));
  alert.addButtonWithTitle(QStringLiteral("Cancel"));
  alert.messageText =
      last ? QStringLiteral(
                 "It is more then %1 days this app doesn't report to you for "
                 "updates.\nWould you like that %2 informs you now for any available "
                 "update?")
                 .arg(ZVReleaseCheckRules::kInvitationDays)
                 .arg(myAppName_)
           : QStringLiteral("Would you like that %1 informs you now for any available update?")
                 .arg(myAppName_);
  // Only the quiet daily check invites, so the report is always off here.
  alert.informativeText = QStringLiteral(
      "Suggested option is to have the update report enabled.\nUse the Preference Dialog to "
      "enable this feature.");
  alert.alertStyle = Alert::Style::Warning;
  QPointer<ZVPhoneHome> self(this);
  show(alert, [self](int button) {
    if (!self) return;
    if (button == Alert::FirstButtonReturn) self->checkForLastReleaseAvailableWithNotify();
    if (button == Alert::SecondButtonReturn) ZVAppSupportUtility::visitUs();
  });
}

namespace {
void openIfAny(const QUrl& url) {
  if (!url.isEmpty()) ZVAppSupportUtility::openURL(url);
}
}  // namespace

void ZVPhoneHome::notifyAboutUpdateAvailable(const ZVReleaseFeed& feed) {
  Alert alert;
  alert.addButtonWithTitle(QStringLiteral("Download Update"));
  alert.addButtonWithTitle(QStringLiteral("Download Page"));
  alert.addButtonWithTitle(QStringLiteral("Later"));
  alert.messageText = QStringLiteral("There is an update available for %1").arg(myAppName_);
  alert.informativeText =
      QStringLiteral(
          "You are using release: %1\nLatest available release is: %2\nMarvessa "
          "recommends to use always the latest release")
          .arg(ZVAppSupportUtility::calcReleaseString(static_cast<long>(myAppRelease_)),
               ZVAppSupportUtility::calcReleaseString(static_cast<long>(feed.latestRelease)));
  QPointer<ZVPhoneHome> self(this);
  show(alert, [self, feed](int button) {
    if (button == Alert::FirstButtonReturn) openIfAny(feed.downloadUrl);
    if (button == Alert::SecondButtonReturn) openIfAny(feed.downloadPage);
    if (self) self->endCheck();
  });
}

void ZVPhoneHome::notifyAboutYourAppIsLastAvailable(const ZVReleaseFeed& feed) {
  Alert alert;
  alert.addButtonWithTitle(QStringLiteral("Go to Marvessa Download Page"));
  alert.addButtonWithTitle(QStringLiteral("Close"));
  alert.messageText = QStringLiteral("%1 is up to date").arg(myAppName_);
  alert.informativeText = QStringLiteral(
      "You are using the latest available release.\nIf you like, you can go to the Marvessa "
      "download page to manually check it.\n\nVisit us and see all the macOS software we have "
      "available.\nWe are one of the developers in the world with more macOS apps!\n");
  QPointer<ZVPhoneHome> self(this);
  show(alert, [self, feed](int button) {
    if (button == Alert::FirstButtonReturn) openIfAny(feed.downloadPage);
    if (self) self->endCheck();
  });
}

void ZVPhoneHome::notifyAboutFailedChechForUpdate() {
  Alert alert;
  alert.addButtonWithTitle(QStringLiteral("OK"));
  alert.messageText =
      QStringLiteral("%1 was not able to connect to the Marvessa server").arg(myAppName_);
  alert.informativeText = QStringLiteral(
      "It was not possible to enstablish a internet connection on the net with the Marvessa "
      "upgrade server. Check your internet connection or try later.");
  QPointer<ZVPhoneHome> self(this);
  show(alert, [self](int) {
    if (self) self->endCheck();
  });
}

void ZVPhoneHome::notifyAboutNoReleaseFeed() {
  Alert alert;
  alert.addButtonWithTitle(QStringLiteral("OK"));
  alert.alertStyle = Alert::Style::Informational;
  alert.messageText = QStringLiteral("No release feed is configured");
  alert.informativeText =
      QStringLiteral(
          "This build of %1 names no server to ask for newer releases. The Marvessa "
          "site lists the latest release.")
          .arg(myAppName_);
  show(alert, {});
}

void ZVPhoneHome::show(const Alert& alert, std::function<void(int)> onButton) {
  alerts_.removeAll(nullptr);
  alerts_ << alert.beginSheetModalForWindow(nullptr, std::move(onButton));
}
