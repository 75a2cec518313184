#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

// Release strings, the newer-version alerts and the links to the maker's pages and support
// mail. No state beyond the way links are opened.
class ZVAppSupportUtility {
 public:
  // 40200 → "4.2", 20801 → "2.8.1", 2500 → "2.5.00"; fewer than four digits → "".
  static QString calcReleaseString(long n);

  // Modal alerts; true when the user chose to download (the maker's site is then opened).
  static bool sayFilecreatedWithANewerVersion(QWidget* sender = nullptr);
  static bool dataIn_ApplicationSupportFolder_CreatedWithANewerVersion(QWidget* sender = nullptr);

  // The support mail names the running system, e.g. "… - Debian GNU/Linux 12 (bookworm)".
  static QString supportMailSubject(const QString& systemName);
  static QUrl supportMailURL(const QString& systemName);
  static QString runningSystemName();

  static void emailUs();
  static void emailTavrin() { emailUs(); }
  static void visitAppUrl();
  static void visitUs();
  static void visitTavrin() { visitUs(); }
  static void visitTavrinMajorUpgrade();
  static void visitTavrinTwitter();
  static void visitTwitter();
  static void openAppStoreList();
  static void openAppStorePage() {}

  // Where links go: the desktop's default browser or mail program unless a test replaces it.
  using UrlOpener = std::function<bool(const QUrl&)>;
  static void setUrlOpener(UrlOpener opener);
  static bool openURL(const QUrl& url);

 private:
  static bool newerVersionAlert(QWidget* sender, const QString& message, const QString& info);
};
