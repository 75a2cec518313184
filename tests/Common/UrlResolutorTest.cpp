#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "Common/ZVNetValidator.h"
#include "Common/ZVUrlResolutor.h"

namespace {

using Reason = UrlFailure::Reason;

struct ValidatorCase {
  const char* text;
  bool email, domain, numeric, multiple;
};

TEST(NetValidatorTest, PatternsMatchTheWholeTrimmedText) {
  const ValidatorCase cases[] = {
      {"someone@example.com", true, false, false, true},
      {"  someone@example.com  ", true, false, false, true},
      {"\tsomeone@example.com", false, false, false, false},  // only spaces are trimmed
      {"a@b.museum", true, false, false, true},
      {"a@b.c", false, false, false, false},        // one-letter top-level domain
      {"a@b.abcdefg", false, false, false, false},  // seven letters
      {"x a@b.com", false, false, false, false},    // the pattern must cover everything
      {"example.com", false, true, false, false},
      {"my-host.example.org", false, true, false, false},
      {"-host.example.org", false, false, false, false},
      {"localhost", false, false, false, false},
      {"10.20.30.40", false, false, true, false},
      {"10.0.0.1", false, false, false, false},  // one-digit parts do not pass
      {"999.999.999.999", false, false, true, false},
      {"", false, false, false, true},
  };
  for (const auto& c : cases) {
    const QString text = QString::fromUtf8(c.text);
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ZVNetValidator::isValidEmail(text), c.email);
    EXPECT_EQ(ZVNetValidator::isValidDomain(text), c.domain);
    EXPECT_EQ(ZVNetValidator::isNumericDomain(text), c.numeric);
    EXPECT_EQ(ZVNetValidator::isValidEmailAlsoMultiple(text), c.multiple);
  }
}

TEST(NetValidatorTest, MultipleAddressesSkipEmptyPiecesOnly) {
  EXPECT_TRUE(ZVNetValidator::isValidEmailAlsoMultiple(QStringLiteral("a@b.com, c@d.org,")));
  EXPECT_FALSE(ZVNetValidator::isValidEmailAlsoMultiple(QStringLiteral("a@b.com,  ,c@d.org")));
  EXPECT_FALSE(ZVNetValidator::isValidEmailAlsoMultiple(QStringLiteral("a@b.com,nobody")));
}

TEST(NetValidatorTest, LongNearMissesAnswerQuickly) {
  // A label of many dashed parts failing at the very end must not backtrack for ever.
  const QString label = QString(QStringLiteral("a-")).repeated(5000) + QStringLiteral("!");
  EXPECT_FALSE(ZVNetValidator::isValidDomain(label + QStringLiteral(".com")));
  EXPECT_FALSE(ZVNetValidator::isValidEmail(QString(20000, u'a') + QStringLiteral("@")));
}

// Records what would have been opened, in place of the desktop.
struct FakeOpener {
  QList<QUrl> opened;
  bool accept = true;
  ZVUrlResolutor::Opener opener() {
    return [this](const QUrl& url) {
      opened << url;
      return accept;
    };
  }
};

struct DispatchCase {
  const char* address;
  const char* user;
  const char* opened;  // nullptr: nothing opens
  Reason reason;       // when nothing opens
};

TEST(UrlResolutorTest, DispatchesBySchemeAndAddsTheUserToFtpOnly) {
  const DispatchCase cases[] = {
      {"  https://example.com/login  ", "me", "https://example.com/login", {}},
      {"http://example.com", "me", "http://example.com", {}},
      {"HTTPS://Example.com/a", "", "https://example.com/a", {}},
      {"Http://example.com", "", "http://example.com", {}},
      {"ftp://files.example.com/pub", "me", "ftp://me@files.example.com/pub", {}},
      {"ftp://files.example.com/pub", "", "ftp://files.example.com/pub", {}},
      {"ftp://you@files.example.com", "me", "ftp://you@files.example.com", {}},
      {"ftp://files.example.com", "a b@c", "ftp://a%20b%40c@files.example.com", {}},
      {"mailto:someone@example.com", "me", "mailto:someone@example.com", {}},
      {"someone@example.com", "me", "mailto:someone@example.com", {}},
      {"feed://example.com/rss", "", "feed://example.com/rss", {}},
      {"telnet://bbs.example.com", "me", "telnet://bbs.example.com", {}},
      {"example.com", "me", "http://example.com", {}},
      {"example.com:8080/admin", "", "http://example.com:8080/admin", {}},
      {"host:8080", "", "http://host:8080", {}},
      {"localhost", "", "http://localhost", {}},
      {"", "", nullptr, Reason::Empty},
      {"    ", "", nullptr, Reason::Empty},
      {"http://exa mple.com", "", nullptr, Reason::Malformed},
      {"exa mple.com", "", nullptr, Reason::Malformed},
      {"http://", "", nullptr, Reason::Malformed},
      {"javascript:alert(1)", "", nullptr, Reason::UnknownScheme},
      {"smb://server/share", "", nullptr, Reason::UnknownScheme},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    FakeOpener fake;
    ZVUrlResolutor resolutor;
    resolutor.setOpener(fake.opener());
    const auto result = resolutor.openUrl(QString::fromUtf8(c.address), QString::fromUtf8(c.user));
    if (c.opened) {
      EXPECT_TRUE(result.ok()) << result.error().toStdString();
      ASSERT_EQ(fake.opened.size(), 1);
      EXPECT_EQ(fake.opened.front().toString(QUrl::FullyEncoded), QString::fromUtf8(c.opened));
    } else {
      ASSERT_FALSE(result.ok());
      EXPECT_EQ(result.failure().reason, c.reason);
      EXPECT_FALSE(result.failure().message.isEmpty());
      EXPECT_TRUE(fake.opened.isEmpty());
    }
  }
}

TEST(UrlResolutorTest, RefusalAndMissingOpenerAreFailures) {
  FakeOpener fake;
  fake.accept = false;
  ZVUrlResolutor resolutor;
  EXPECT_EQ(resolutor.openUrl(QStringLiteral("https://example.com")).failure().reason,
            Reason::Refused);
  resolutor.setOpener(fake.opener());
  EXPECT_EQ(resolutor.openUrl(QStringLiteral("https://example.com")).failure().reason,
            Reason::Refused);
  EXPECT_EQ(fake.opened.size(), 1);
}

TEST(UrlResolutorTest, FileAddressesOpenOnlyExistingDocuments) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const auto make = [&](const QString& name, QFileDevice::Permissions permissions) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    file.setPermissions(permissions);
    return file.fileName();
  };
  const auto plain = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
  const QString notes = make(QStringLiteral("notes.txt"), plain);
  const QString program = make(QStringLiteral("run.sh"), plain | QFileDevice::ExeOwner);
  const QString entry = make(QStringLiteral("app.Desktop"), plain);

  struct Case {
    QString address;
    bool opens;
    Reason reason;
  } cases[] = {
      {QStringLiteral("file://") + notes, true, {}},
      {QStringLiteral("FILE://") + notes, true, {}},
      {QStringLiteral("file://") + dir.path(), true, {}},
      {QStringLiteral("file://") + dir.filePath(QStringLiteral("missing.txt")), false,
       Reason::FileMissing},
      {QStringLiteral("file://"), false, Reason::FileMissing},
      {QStringLiteral("file://") + program, false, Reason::FileExecutable},
      {QStringLiteral("file://") + entry, false, Reason::FileExecutable},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address.toStdString());
    FakeOpener fake;
    ZVUrlResolutor resolutor;
    resolutor.setOpener(fake.opener());
    const auto result = resolutor.openUrl(c.address, QStringLiteral("me"));
    EXPECT_EQ(result.ok(), c.opens);
    if (c.opens) {
      ASSERT_EQ(fake.opened.size(), 1);
      EXPECT_TRUE(fake.opened.front().isLocalFile());
      EXPECT_EQ(QDir::cleanPath(fake.opened.front().toLocalFile()),
                QDir::cleanPath(c.address.mid(7)));
    } else {
      EXPECT_EQ(result.failure().reason, c.reason);
      EXPECT_TRUE(fake.opened.isEmpty());  // no second try behind "http://"
    }
  }
}

}  // namespace
