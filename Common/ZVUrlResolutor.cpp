#include "Common/ZVUrlResolutor.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "Common/ZVNetValidator.h"

namespace {

UrlFailure failure(UrlFailure::Reason reason, const QString& message) {
  return UrlFailure{reason, message};
}

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
    return failure(UrlFailure::Reason::Malformed,
                   QStringLiteral("\"%1\" is not a valid address.").arg(text));
  return url;
}

}  // namespace

ZVUrlResolutor& ZVUrlResolutor::sharedUrlResolutor() {
  static ZVUrlResolutor shared;
  return shared;
}

Result<QUrl, UrlFailure> ZVUrlResolutor::resolvedUrl(const QString& address,
                                                     const QString& user) const {
  const QString trimmed = ZVNetValidator::trimSpaces(address);
  if (trimmed.isEmpty())
    return failure(UrlFailure::Reason::Empty, QStringLiteral("The record has no address."));
  if (schemeOf(trimmed).isEmpty() && !ZVNetValidator::isValidEmail(trimmed))
    return smartUrl(defaultProtocolType_ + trimmed, user);
  return smartUrl(trimmed, user);
}

Result<QUrl, UrlFailure> ZVUrlResolutor::smartUrl(const QString& trimmed,
                                                  const QString& user) const {
  const QString scheme = schemeOf(trimmed);
  if (scheme == u"http" || scheme == u"https" || scheme == u"feed" || scheme == u"telnet")
    return strictUrl(trimmed, true);
  if (scheme == u"ftp") {
    auto url = strictUrl(trimmed, true);
    if (url && !user.isEmpty() && url.value().userName().isEmpty()) url.value().setUserName(user);
    return url;
  }
  if (scheme == u"mailto") return strictUrl(trimmed, false);
  if (scheme.isEmpty() && ZVNetValidator::isValidEmail(trimmed))
    return strictUrl(QStringLiteral("mailto:") + trimmed, false);
  if (scheme == u"file") return fileUrl(trimmed);
  return failure(UrlFailure::Reason::UnknownScheme,
                 QStringLiteral("Addresses starting with \"%1:\" are not opened.").arg(scheme));
}

// The path is taken literally after "file://", as the user typed it.
Result<QUrl, UrlFailure> ZVUrlResolutor::fileUrl(const QString& trimmed) {
  const QString path = trimmed.mid(7);
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists())
    return failure(UrlFailure::Reason::FileMissing,
                   QStringLiteral("There is no file at \"%1\".").arg(path));
  const bool desktopEntry = info.suffix().compare(u"desktop", Qt::CaseInsensitive) == 0;
  if (!info.isDir() && (info.isExecutable() || desktopEntry))
    return failure(
        UrlFailure::Reason::FileExecutable,
        QStringLiteral("\"%1\" is a program; it is not opened from a record.").arg(path));
  return QUrl::fromLocalFile(path);
}

Result<void, UrlFailure> ZVUrlResolutor::openUrl(const QString& address,
                                                 const QString& user) const {
  auto url = resolvedUrl(address, user);
  if (!url) return url.failure();
  if (!opener_ || !opener_(url.value()))
    return failure(
        UrlFailure::Reason::Refused,
        QStringLiteral("No application opened \"%1\".").arg(url.value().toDisplayString()));
  return {};
}
