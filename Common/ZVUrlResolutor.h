#pragma once

#include <QString>
#include <QUrl>
#include <functional>

#include "platform/Result.h"

// Why a record's address was not opened.
struct UrlFailure {
  enum class Reason {
    Empty,           // nothing but spaces
    Malformed,       // not a well-formed address
    UnknownScheme,   // a scheme this opener does not hand on
    FileMissing,     // file:// to nothing
    FileExecutable,  // file:// to a program or a desktop entry: opening would run it
    Refused,         // the desktop's opener said no
  };
  Reason reason = Reason::Empty;
  QString message;
};

// Turns the text of a record's address field into an address the desktop can open and hands
// it to the desktop's opener: web, FTP, mail, feed, telnet and file addresses; a bare e-mail
// address opens as mail and text without a scheme as a web address. Only FTP addresses get
// the user name; a password never goes into an address, where it would show in the opener's
// command line and the browser's history.
class ZVUrlResolutor {
 public:
  // Hands an address to the desktop; answers whether it was taken.
  using Opener = std::function<bool(const QUrl&)>;

  static ZVUrlResolutor& sharedUrlResolutor();

  // The scheme put before text that has none.
  QString defaultProtocolType() const { return defaultProtocolType_; }
  void setDefaultProtocolType(const QString& scheme) { defaultProtocolType_ = scheme; }

  void setOpener(Opener opener) { opener_ = std::move(opener); }

  // The address that openUrl would hand on, or why there is none; nothing is opened.
  Result<QUrl, UrlFailure> resolvedUrl(const QString& address, const QString& user = {}) const;

  Result<void, UrlFailure> openUrl(const QString& address, const QString& user = {}) const;

 private:
  Result<QUrl, UrlFailure> smartUrl(const QString& trimmed, const QString& user) const;
  static Result<QUrl, UrlFailure> fileUrl(const QString& trimmed);

  QString defaultProtocolType_ = QStringLiteral("http://");
  Opener opener_;
};
