#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
  const char* password = "pw";
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
      // A user name without a password is no login: the address stays as it is.
      {"ftp://files.example.com/pub", "me", "ftp://files.example.com/pub", {}, ""},
      {"ftp://files.example.com/pub", "", "ftp://files.example.com/pub", {}, ""},
      {"files.example.com", "me", "http://files.example.com", {}, ""},
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
    const auto result = resolutor.openUrl(QString::fromUtf8(c.address), QString::fromUtf8(c.user),
                                          QString::fromUtf8(c.password));
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

// A file is refused for what the desktop would do with it (run it), not for its permission
// bits: documents on NTFS and SMB mounts carry an executable bit. Only full paths resolve.
TEST(UrlResolutorTest, FileAddressesOpenDocumentsAndRefusePrograms) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const auto plain = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
  const auto runnable = plain | QFileDevice::ExeOwner;
  const auto make = [&](const QString& name, const QByteArray& bytes,
                        QFileDevice::Permissions permissions) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    file.setPermissions(permissions);
    return file.fileName();
  };
  const QByteArray elf = QByteArray(
                             "\x7f"
                             "ELF\x02\x01\x01",
                             7) +
                         QByteArray(57, '\0');
  const QByteArray pe = QByteArray("MZ\x90\0", 4) + QByteArray(60, '\0');
  const QByteArray jar = QByteArray("PK\x03\x04", 4) + QByteArray(26, '\0');
  const QString notes = make(QStringLiteral("notes.txt"), "x", plain);
  const QString flaggedPdf = make(QStringLiteral("scan.pdf"), "%PDF-1.4\n", runnable);
  const QString script = make(QStringLiteral("run.sh"), "#!/bin/sh\necho hi\n", runnable);
  const QString plainScript = make(QStringLiteral("notes.sh"), "#!/bin/sh\necho hi\n", plain);
  const QString binary = make(QStringLiteral("tool"), elf, plain);
  const QString windows = make(QStringLiteral("setup.exe"), pe, plain);
  const QString java = make(QStringLiteral("tool.jar"), jar, plain);
  const QString entry = make(QStringLiteral("app.Desktop"), "[Desktop Entry]\nExec=x\n", plain);
  const QString file = QStringLiteral("file://");

  struct Case {
    QString address;
    bool opens;
    Reason reason;
    QString shown = {};  // what the refusal quotes
  } cases[] = {
      {file + notes, true, {}},
      {QStringLiteral("FILE://") + notes, true, {}},
      {QStringLiteral("file://localhost") + notes, true, {}},
      {QStringLiteral("file:") + notes, true, {}},
      {QStringLiteral("file:") + dir.path(), true, {}},
      {file + dir.path(), true, {}},
      {file + flaggedPdf, true, {}},
      {file + plainScript, true, {}},
      {file, false, Reason::FileMissing},
      {file + dir.filePath(QStringLiteral("missing.txt")), false, Reason::FileMissing,
       dir.filePath(QStringLiteral("missing.txt"))},
      {file + QStringLiteral("notes.txt"), false, Reason::FileMissing,  // relative
       file + QStringLiteral("notes.txt")},
      {QStringLiteral("file:notes.txt"), false, Reason::FileMissing,
       QStringLiteral("file:notes.txt")},
      {QStringLiteral("file://server") + notes, false, Reason::FileMissing,
       QStringLiteral("file://server") + notes},
      {file + script, false, Reason::FileExecutable},
      {file + binary, false, Reason::FileExecutable},
      {file + windows, false, Reason::FileExecutable},
      {file + java, false, Reason::FileExecutable},
      {file + entry, false, Reason::FileExecutable},
  };
  const QString workingFolder = QDir::currentPath();
  QDir::setCurrent(dir.path());  // a relative path must not find notes.txt here
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address.toStdString());
    FakeOpener fake;
    ZVUrlResolutor resolutor;
    resolutor.setOpener(fake.opener());
    const auto result = resolutor.openUrl(c.address, QStringLiteral("me"));
    EXPECT_EQ(result.ok(), c.opens) << result.error().toStdString();
    if (c.opens) {
      ASSERT_EQ(fake.opened.size(), 1);
      EXPECT_TRUE(fake.opened.front().isLocalFile());
      EXPECT_TRUE(QFileInfo(fake.opened.front().toLocalFile()).isAbsolute());
      EXPECT_TRUE(QFileInfo::exists(fake.opened.front().toLocalFile()));
      EXPECT_TRUE(c.address.endsWith(fake.opened.front().toLocalFile()));
    } else {
      EXPECT_EQ(result.failure().reason, c.reason);
      // The message names the whole path or address, not a piece of it.
      if (!c.shown.isEmpty()) {
        EXPECT_TRUE(result.failure().message.contains(u'"' + c.shown + u'"'))
            << result.failure().message.toStdString();
      }
      EXPECT_TRUE(fake.opened.isEmpty());  // no second try behind "http://"
    }
  }
  QDir::setCurrent(workingFolder);
}

// Each scheme's own operation opens its text as that kind of address; the dispatch alone
// leaves text without a scheme to the fallback; no operation puts the password anywhere.
TEST(UrlResolutorTest, EachOperationOpensItsKindAndNoneTakesThePassword) {
  using Operation = ZVUrlResolutor::Outcome (ZVUrlResolutor::*)(const QString&, const QString&,
                                                                const QString&) const;
  struct Case {
    const char* name;
    Operation operation;
    const char* address;
    const char* opened;  // nullptr: nothing opens
    Reason reason;
  };
  const Case cases[] = {
      {"http", &ZVUrlResolutor::openHttp, " http://example.com ", "http://example.com", {}},
      {"https", &ZVUrlResolutor::openHttps, "https://example.com", "https://example.com", {}},
      {"ftp", &ZVUrlResolutor::openFtp, "ftp://example.com/pub", "ftp://me@example.com/pub", {}},
      {"mail", &ZVUrlResolutor::openMail, "mailto:a@example.com", "mailto:a@example.com", {}},
      {"feed", &ZVUrlResolutor::openFeed, "feed://example.com/rss", "feed://example.com/rss", {}},
      {"telnet",
       &ZVUrlResolutor::openTelneet,
       "telnet://bbs.example.com",
       "telnet://bbs.example.com",
       {}},
      {"http, malformed", &ZVUrlResolutor::openHttp, "http://exa mple.com", nullptr,
       Reason::Malformed},
      {"smart", &ZVUrlResolutor::smartOpenUrl, "https://example.com", "https://example.com", {}},
      {"smart, bare mail",
       &ZVUrlResolutor::smartOpenUrl,
       "a@example.com",
       "mailto:a@example.com",
       {}},
      {"smart, no scheme", &ZVUrlResolutor::smartOpenUrl, "example.com", nullptr, Reason::NoScheme},
      {"smart, empty", &ZVUrlResolutor::smartOpenUrl, "  ", nullptr, Reason::Empty},
      {"default",
       &ZVUrlResolutor::openWithDefaultProtocol,
       "example.com",
       "http://example.com",
       {}},
      {"url", &ZVUrlResolutor::openUrl, "example.com/a", "http://example.com/a", {}},
  };
  const QString password = QStringLiteral("hunter2-secret");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeOpener fake;
    ZVUrlResolutor resolutor;
    resolutor.setOpener(fake.opener());
    const auto result =
        (resolutor.*c.operation)(QString::fromUtf8(c.address), QStringLiteral("me"), password);
    if (c.opened) {
      EXPECT_TRUE(result.ok()) << result.error().toStdString();
      ASSERT_EQ(fake.opened.size(), 1);
      EXPECT_EQ(fake.opened.front().toString(QUrl::FullyEncoded), QString::fromUtf8(c.opened));
      EXPECT_FALSE(fake.opened.front().toString().contains(password));
    } else {
      ASSERT_FALSE(result.ok());
      EXPECT_EQ(result.failure().reason, c.reason);
      EXPECT_TRUE(fake.opened.isEmpty());
    }
  }
}

TEST(UrlResolutorTest, SmartUrlIsTheTextThatWouldOpenWithoutThePassword) {
  ZVUrlResolutor resolutor;
  const QString password = QStringLiteral("hunter2");
  for (bool masked : {false, true}) {
    EXPECT_EQ(resolutor.smartUrl(QStringLiteral(" ftp://example.com "), QStringLiteral("me"),
                                 password, masked),
              QStringLiteral("ftp://me@example.com"));
    EXPECT_EQ(
        resolutor.smartUrl(QStringLiteral("example.com"), QStringLiteral("me"), password, masked),
        QStringLiteral("http://example.com"));
    EXPECT_EQ(resolutor.smartUrl(QString(), QStringLiteral("me"), password, masked), std::nullopt);
    EXPECT_EQ(resolutor.smartUrl(QStringLiteral("javascript:alert(1)"), {}, password, masked),
              std::nullopt);
  }
}

}  // namespace
