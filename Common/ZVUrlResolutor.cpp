#include "Common/ZVUrlResolutor.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>

#include "Common/ZVNetValidator.h"

namespace {

using Reason = UrlFailure::Reason;

UrlFailure failure(Reason reason, const QString& message) { return UrlFailure{reason, message}; }

// The scheme at the start of the text, lower-cased, or empty when there is none. "host:8080"
// and "host:8080/path" are a host and a port, not the scheme "host".
QString schemeOf(const QString& text) {
  static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
  static const QRegularExpression port(QStringLiteral("^[0-9]+(?:[/?#]|$)"));
  const auto match = scheme.match(text);
  if (!match.hasMatch()) return {};
  if (port.match(text.mid(match.capturedLength())).hasMatch()) return {};
  return match.captured(1).toLower();
}

Result<QUrl, UrlFailure> strictUrl(const QString& text, bool needsHost) {
  const QUrl url(text, QUrl::StrictMode);
  if (!url.isValid() || (needsHost && url.host().isEmpty()))
    return failure(Reason::Malformed, QStringLiteral("\"%1\" is not a valid address.").arg(text));
  return url;
}

Result<QUrl, UrlFailure> webUrl(const QString& text) { return strictUrl(text, true); }

Result<QUrl, UrlFailure> mailUrl(const QString& text) { return strictUrl(text, false); }

// The user name goes in only for a record that holds a login, both user and password: a user
// name alone would make the server ask for a password the record does not have.
Result<QUrl, UrlFailure> ftpUrl(const QString& text, const QString& user, const QString& password) {
  auto url = strictUrl(text, true);
  if (url && !user.isEmpty() && !password.isEmpty() && url.value().userName().isEmpty())
    url.value().setUserName(user);
  return url;
}

// What the desktop would run instead of showing: programs of this system, of Windows and of
// Java, application images and desktop entries, whatever their permission bits say.
bool isRunnable(const QMimeType& type) {
  static const char* const kRunnable[] = {
      "application/x-executable",
      "application/x-pie-executable",
      "application/x-sharedlib",
      "application/x-desktop",
      "application/x-ms-dos-executable",
      "application/x-msdownload",
      "application/x-msi",
      "application/x-ms-shortcut",
      "application/java-archive",
      "application/x-java-jnlp-file",
      "application/x-appimage",
      "application/vnd.microsoft.portable-executable",
      "application/x-executable-script",
      "application/x-ms-ne-executable",
      "application/x-flatpak",
      "application/vnd.flatpak.ref",
  };
  for (const char* name : kRunnable)
    if (type.inherits(QString::fromLatin1(name))) return true;
  return false;
}

// A script runs when it may be executed; without that bit it opens as text. Script types
// count as programs too, so this is asked first.
bool isScript(const QMimeType& type) {
  return type.inherits(QStringLiteral("application/x-shellscript")) ||
         type.inherits(QStringLiteral("text/x-script")) ||
         type.inherits(QStringLiteral("application/x-perl")) ||
         type.inherits(QStringLiteral("text/x-python")) ||
         type.inherits(QStringLiteral("text/x-python3")) ||
         type.inherits(QStringLiteral("application/x-ruby"));
}

// The path is taken literally after "file:", "file://" or "file://localhost", as the user
// typed it.
Result<QUrl, UrlFailure> fileUrl(const QString& text) {
  QString path = text.mid(5);
  if (path.startsWith(u"//")) {
    path = path.mid(2);
    if (path.startsWith(u"localhost/", Qt::CaseInsensitive)) path = path.mid(9);
  }
  // A relative path would name whatever file the program's working folder happens to hold,
  // and another host's file is not on this machine.
  if (!path.startsWith(u'/'))
    return failure(Reason::FileMissing,
                   QStringLiteral("\"%1\" is not a full path: a file address starts at the root "
                                  "folder, as in file:///home/….")
                       .arg(text));
  const QFileInfo info(path);
  if (!info.exists())
    return failure(Reason::FileMissing, QStringLiteral("There is no file at \"%1\".").arg(path));
  if (!info.isDir()) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    if (isScript(type) ? info.isExecutable() : isRunnable(type))
      return failure(
          Reason::FileExecutable,
          QStringLiteral("\"%1\" is a program; it is not opened from a record.").arg(path));
  }
  return QUrl::fromLocalFile(path);
}

}  // namespace

ZVUrlResolutor& ZVUrlResolutor::sharedUrlResolutor() {
  static ZVUrlResolutor shared;
  return shared;
}

Result<QUrl, UrlFailure> ZVUrlResolutor::dispatchedUrl(const QString& trimmed, const QString& user,
                                                       const QString& password) {
  if (trimmed.isEmpty())
    return failure(Reason::Empty, QStringLiteral("The record has no address."));
  const QString scheme = schemeOf(trimmed);
  if (scheme == u"http" || scheme == u"https" || scheme == u"feed" || scheme == u"telnet")
    return webUrl(trimmed);
  if (scheme == u"ftp") return ftpUrl(trimmed, user, password);
  if (scheme == u"mailto") return mailUrl(trimmed);
  if (scheme.isEmpty() && ZVNetValidator::isValidEmail(trimmed))
    return mailUrl(QStringLiteral("mailto:") + trimmed);
  if (scheme == u"file") return fileUrl(trimmed);
  if (scheme.isEmpty())
    return failure(Reason::NoScheme, QStringLiteral("\"%1\" names no scheme.").arg(trimmed));
  return failure(Reason::UnknownScheme,
                 QStringLiteral("Addresses starting with \"%1:\" are not opened.").arg(scheme));
}

Result<QUrl, UrlFailure> ZVUrlResolutor::resolvedUrl(const QString& address, const QString& user,
                                                     const QString& password) const {
  const QString trimmed = ZVNetValidator::trimSpaces(address);
  auto url = dispatchedUrl(trimmed, user, password);
  // Only text that names no scheme is tried behind the default one: "http://file:///x" or
  // "http://javascript:…" would open something other than what the record says.
  if (!url && url.failure().reason == Reason::NoScheme)
    return dispatchedUrl(defaultProtocolType_ + trimmed, user, password);
  return url;
}

std::optional<QString> ZVUrlResolutor::smartUrl(const QString& address, const QString& user,
                                                const QString& password, bool) const {
  if (address.isNull()) return std::nullopt;
  const auto url = resolvedUrl(address, user, password);
  if (!url) return std::nullopt;
  return url.value().toString();
}

ZVUrlResolutor::Outcome ZVUrlResolutor::hand(const Result<QUrl, UrlFailure>& url) const {
  if (!url) return url.failure();
  if (!opener_ || !opener_(url.value()))
    return failure(
        Reason::Refused,
        QStringLiteral("No application opened \"%1\".").arg(url.value().toDisplayString()));
  return {};
}

ZVUrlResolutor::Outcome ZVUrlResolutor::openUrl(const QString& address, const QString& user,
                                                const QString& password) const {
  Outcome opened = smartOpenUrl(address, user, password);
  if (!opened && opened.failure().reason == Reason::NoScheme)
    return openWithDefaultProtocol(ZVNetValidator::trimSpaces(address), user, password);
  return opened;
}

ZVUrlResolutor::Outcome ZVUrlResolutor::smartOpenUrl(const QString& address, const QString& user,
                                                     const QString& password) const {
  return hand(dispatchedUrl(ZVNetValidator::trimSpaces(address), user, password));
}

ZVUrlResolutor::Outcome ZVUrlResolutor::openWithDefaultProtocol(const QString& address,
                                                                const QString& user,
                                                                const QString& password) const {
  return smartOpenUrl(defaultProtocolType_ + address, user, password);
}

ZVUrlResolutor::Outcome ZVUrlResolutor::openHttp(const QString& address, const QString&,
                                                 const QString&) const {
  return hand(webUrl(ZVNetValidator::trimSpaces(address)));
}

ZVUrlResolutor::Outcome ZVUrlResolutor::openHttps(const QString& address, const QString&,
                                                  const QString&) const {
  return hand(webUrl(ZVNetValidator::trimSpaces(address)));
}

ZVUrlResolutor::Outcome ZVUrlResolutor::openFtp(const QString& address, const QString& user,
                                                const QString& password) const {
  return hand(ftpUrl(ZVNetValidator::trimSpaces(address), user, password));
}

ZVUrlResolutor::Outcome ZVUrlResolutor::openMail(const QString& address, const QString&,
                                                 const QString&) const {
  return hand(mailUrl(ZVNetValidator::trimSpaces(address)));
}

ZVUrlResolutor::Outcome ZVUrlResolutor::openFeed(const QString& address, const QString&,
                                                 const QString&) const {
  return hand(webUrl(ZVNetValidator::trimSpaces(address)));
}

ZVUrlResolutor::Outcome ZVUrlResolutor::openTelneet(const QString& address, const QString&,
                                                    const QString&) const {
  return hand(webUrl(ZVNetValidator::trimSpaces(address)));
}

ZVUrlResolutor::Outcome ZVUrlResolutor::openFile(const QString& address, const QString&,
                                                 const QString&) const {
  return hand(fileUrl(ZVNetValidator::trimSpaces(address)));
}
