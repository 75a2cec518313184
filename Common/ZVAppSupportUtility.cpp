#include "Common/ZVAppSupportUtility.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/Alert.h"

namespace {
const char kMakerSite[] = "https://www.marvessa.example/";
}

QString ZVAppSupportUtility::calcReleaseString(long number) {
  const QString text = QString::number(number);
  if (text.size() < 4) return {};
  QString major, minor, patch;
  if (text.size() == 4) {
    major = text.left(1);
    minor = text.mid(1, 1);
    patch = text.right(2);
  } else {
    major = text.left(text.size() - 4);
    minor = text.mid(text.size() - 4, 2);
    if (minor.startsWith(u'0')) minor = minor.right(1);
    patch = text.right(2);
    if (patch.startsWith(u'0')) patch = patch.right(1);
  }
  QString s = QStringLiteral("%1.%2.%3").arg(major, minor, patch);
  if (s.endsWith(QStringLiteral(".0"))) s.chop(2);
  return s;
}

bool ZVAppSupportUtility::sayFilecreatedWithANewerVersion(QObject* sender) {
  Alert alert;
  alert.alertStyle = Alert::Style::Warning;
  alert.messageText = QStringLiteral(
      "The document you requested to open was created with a more recent version of this "
      "application");
  alert.informativeText = QStringLiteral(
      "To open this file you need a release of this application equal or successive to the one "
      "used to create this file.\n\nProbably you are using an outdated release.\nYou can "
      "download for free the last version of this application from our site");
  alert.addButtonWithTitle(QStringLiteral("Go to Download Last Version"));
  alert.addButtonWithTitle(QStringLiteral("Cancel"));
  if (alert.runModal() != Alert::FirstButtonReturn) return false;
  visitTavrin(sender);
  return true;
}

void ZVAppSupportUtility::visitTavrin(QObject*) {
  QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerSite)));
}
