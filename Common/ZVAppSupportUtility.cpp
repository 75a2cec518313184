#include "Common/ZVAppSupportUtility.h"

#include <QDesktopServices>
#include <QSysInfo>

#include "Common/AppIdentity.h"
#include "platform/Alert.h"

namespace {
ZVAppSupportUtility::UrlOpener& opener() {
  static ZVAppSupportUtility::UrlOpener current;
  return current;
}
}  // namespace

QString ZVAppSupportUtility::calcReleaseString(long n) {
  if (n < 0) return {};  // no release or format number is negative
  const QString text = QString::number(n);
  const qsizetype length = text.size();
  if (length < 4) return {};
  QString major, minor, patch;
  if (length == 4) {
    major = text.mid(0, 1);
    minor = text.mid(1, 1);
    patch = text.mid(2, 2);
  } else {
    major = text.left(length - 4);
    minor = text.mid(length - 4, 2);
    if (minor.startsWith(QLatin1Char('0'))) minor = minor.mid(1);
    patch = text.right(2);
    if (patch.startsWith(QLatin1Char('0'))) patch = patch.mid(1);
  }
  QString s = major + QLatin1Char('.') + minor + QLatin1Char('.') + patch;
  if (s.endsWith(QLatin1String(".0"))) s.chop(2);
  return s;
}

bool ZVAppSupportUtility::newerVersionAlert(QWidget* sender, const QString& message,
                                            const QString& info) {
  Alert alert;
  alert.alertStyle = Alert::Style::Warning;
  alert.messageText = message;
  alert.informativeText = info;
  alert.addButtonWithTitle(QStringLiteral("Go to Download Last Version"));
  alert.addButtonWithTitle(QStringLiteral("Cancel"));
  if (alert.runModal(sender) != Alert::FirstButtonReturn) return false;
  visitTavrin();
  return true;
}

bool ZVAppSupportUtility::sayFilecreatedWithANewerVersion(QWidget* sender) {
  return newerVersionAlert(
      sender,
      QStringLiteral("The document you requested to open was created with a more recent "
                     "version of this application"),
      QStringLiteral("To open this file you need a release of this application equal or "
                     "successive to the one used to create this file.\n\nProbably you are using "
                     "an outdated release.\nYou can download for free the last version of this "
                     "application from our site"));
}

bool ZVAppSupportUtility::dataIn_ApplicationSupportFolder_CreatedWithANewerVersion(
    QWidget* sender) {
  return newerVersionAlert(
      sender,
      QStringLiteral("Data file the software tryed to open from the Application Support folder "
                     "was created with a more recent version of this application"),
      QStringLiteral("You need a release of this application equal or successive to the one "
                     "used to create this data file.\n\nProbably you are using an outdated "
                     "release.\nYou can download for free the last version of this application "
                     "from our site"));
}

QString ZVAppSupportUtility::runningSystemName() { return QSysInfo::prettyProductName(); }

QString ZVAppSupportUtility::supportMailSubject(const QString& systemName) {
  return QStringLiteral("Support Request for %1 rel. %2 - %3")
      .arg(AppIdentity::kAppName, calcReleaseString(AppIdentity::kReleaseNumber), systemName);
}

QUrl ZVAppSupportUtility::supportMailURL(const QString& systemName) {
  // Everything but the unreserved characters is encoded, so "&", "+" and "#" in a system
  // name cannot end the subject or start a fragment.
  const QByteArray subject = QUrl::toPercentEncoding(supportMailSubject(systemName));
  return QUrl::fromEncoded("mailto:" + AppIdentity::kSupportMail.toUtf8() + "?subject=" + subject,
                           QUrl::StrictMode);
}

void ZVAppSupportUtility::emailUs() { openURL(supportMailURL(runningSystemName())); }
void ZVAppSupportUtility::visitAppUrl() { openURL(QUrl(AppIdentity::kAppPage)); }
void ZVAppSupportUtility::visitUs() { openURL(QUrl(AppIdentity::kMakerSite)); }
void ZVAppSupportUtility::visitTavrinMajorUpgrade() { openURL(QUrl(AppIdentity::kSupportPage)); }
void ZVAppSupportUtility::visitTavrinTwitter() {
  openURL(QUrl(AppIdentity::kOtherBrandSocialPage));
}
void ZVAppSupportUtility::visitTwitter() { openURL(QUrl(AppIdentity::kMakerSocialPage)); }
void ZVAppSupportUtility::openAppStoreList() { openURL(QUrl(AppIdentity::kStoreList)); }

void ZVAppSupportUtility::setUrlOpener(UrlOpener newOpener) { opener() = std::move(newOpener); }

bool ZVAppSupportUtility::openURL(const QUrl& url) {
  if (!url.isValid()) return false;
  if (const auto& open = opener()) return open(url);
  return QDesktopServices::openUrl(url);
}
