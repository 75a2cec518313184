#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

#include "app/ZVReleaseFeed.h"

class Alert;
class QMessageBox;
class UrlLoader;
class UserDefaults;

// Looks for a newer release in the maker's feed: once a day at launch (with a report of
// updates, or quietly with an occasional invitation) and whenever the user asks, and reports
// what it found in alerts. The feed loads asynchronously; the verdict, the stored check date
// and the alerts happen on the main thread. One check runs at a time.
class ZVPhoneHome : public QObject {
  Q_OBJECT

 public:
  ZVPhoneHome(UserDefaults& defaults, std::unique_ptr<UrlLoader> loader, QObject* parent = nullptr);
  ~ZVPhoneHome() override;

  // The checker over the user's own settings and the network, made once by the first call and
  // kept until the process ends.
  static ZVPhoneHome& sharedPhoneHome();

  // Release number, application name and the feed's mirrors in the order they are asked;
  // an empty mirror is none.
  void SetValueAppRelease(qint64 release, const QString& appName, const QString& plistUrl1,
                          const QString& plistUrl2, const QString& plistUrl3,
                          const QString& plistUrl4);
  qint64 myAppRelease() const { return myAppRelease_; }
  QString myAppName() const { return myAppName_; }
  QStringList mirrors() const;
  bool isChekingUpdateSystem() const { return checking_; }

  void startupProcedure();
  // The user's own check ("Software Update…"): reports every outcome. While a check runs it
  // starts none, but that check then reports every outcome too.
  void checkForLastReleaseAvailableWithNotify();
  void dailyVerboseCheckForLastReleaseAvailable();
  void dailySilentCheckForLastReleaseAvailable();
  // A check that reports nothing, whatever the day; none while a check runs.
  void silentCheckForLastReleaseAvailable();
  void checkForLastReleaseAvailableAndNotifyIsAvailable(bool reportUpdate, bool reportRest);

  bool lastCheckNotToday() const;
  void inCaseInviteToCheckForLastReleaseAvailable();
  void setInPreferencesTodayWasChecked();

  void notifyAboutUpdateAvailable(const ZVReleaseFeed& feed);
  void notifyAboutYourAppIsLastAvailable(const ZVReleaseFeed& feed);
  void notifyAboutFailedChechForUpdate();
  void notifyAboutNoReleaseFeed();

 Q_SIGNALS:
  // A check has ended, its report (if any) closed.
  void checkFinished();

 private:
  void completeCheck(Result<ZVReleaseFeed> fetched);
  void endCheck();
  // Shows the alert without blocking; onButton gets the pressed button's code once it closes.
  void show(const Alert& alert, std::function<void(int)> onButton);

  UserDefaults& defaults_;
  std::unique_ptr<UrlLoader> loader_;
  qint64 myAppRelease_ = 0;
  QString myAppName_;
  QString myPlistUrl_[4];
  bool checking_ = false;
  bool reportUpdate_ = false;
  bool reportRest_ = false;
  QList<QPointer<QMessageBox>> alerts_;
};
