#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

#include "platform/Result.h"

// Why a record's address was not opened.
struct UrlFailure {
  enum class Reason {
    Empty,           // nothing but spaces
    Malformed,       // not a well-formed address
    NoScheme,        // neither a scheme nor an e-mail address: the default scheme may serve
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
// the user name, and only when a password is given too; a password never goes into an
// address, where it would show in the opener's command line and the browser's history.
class ZVUrlResolutor {
 public:
  // Hands an address to the desktop; answers whether it was taken.
  using Opener = std::function<bool(const QUrl&)>;
  using Outcome = Result<void, UrlFailure>;

  static ZVUrlResolutor& sharedUrlResolutor();

  // The scheme put before text that has none.
  QString defaultProtocolType() const { return defaultProtocolType_; }
  void setDefaultProtocolType(const QString& scheme) { defaultProtocolType_ = scheme; }

  void setOpener(Opener opener) { opener_ = std::move(opener); }

  // The scheme dispatch, then, for text with no scheme, once more behind the default scheme.
  [[nodiscard]] Outcome openUrl(const QString& address, const QString& user = {},
                                const QString& password = {}) const;
  // The scheme dispatch alone, on the text trimmed of spaces.
  [[nodiscard]] Outcome smartOpenUrl(const QString& address, const QString& user,
                                     const QString& password) const;
  [[nodiscard]] Outcome openWithDefaultProtocol(const QString& address, const QString& user,
                                                const QString& password) const;

  // One scheme each: the text is opened as an address of that kind, whatever it starts with.
  [[nodiscard]] Outcome openHttp(const QString& address, const QString& user,
                                 const QString& password) const;
  [[nodiscard]] Outcome openHttps(const QString& address, const QString& user,
                                  const QString& password) const;
  [[nodiscard]] Outcome openFtp(const QString& address, const QString& user,
                                const QString& password) const;
  [[nodiscard]] Outcome openMail(const QString& address, const QString& user,
                                 const QString& password) const;
  [[nodiscard]] Outcome openFeed(const QString& address, const QString& user,
                                 const QString& password) const;
  [[nodiscard]] Outcome openTelneet(const QString& address, const QString& user,
                                    const QString& password) const;
  // An absolute path after "file:", "file://" or "file://localhost", taken literally.
  [[nodiscard]] Outcome openFile(const QString& address, const QString& user,
                                 const QString& password) const;

  // The address openUrl would hand on, or why there is none; nothing is opened.
  Result<QUrl, UrlFailure> resolvedUrl(const QString& address, const QString& user = {},
                                       const QString& password = {}) const;
  // The same as text; nothing for no address. Masked or not, it never holds the password.
  std::optional<QString> smartUrl(const QString& address, const QString& user,
                                  const QString& password, bool masked) const;

 private:
  static Result<QUrl, UrlFailure> dispatchedUrl(const QString& trimmed, const QString& user,
                                                const QString& password);
  Outcome hand(const Result<QUrl, UrlFailure>& url) const;

  QString defaultProtocolType_ = QStringLiteral("http://");
  Opener opener_;
};
