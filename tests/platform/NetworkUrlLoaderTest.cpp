#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "LoopbackHttpsServer.h"
#include "app/ZVReleaseFeedFetcher.h"
#include "platform/NetworkUrlLoader.h"

namespace {

const QByteArray kXmlFeed =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
    "<key>LRA</key><integer>40300</integer></dict></plist>\n";
// {LRA: 40400} as macOS writes it.
const QByteArray kBinaryFeed = QByteArray::fromHex(
    "62706c6973743030d10102534c5241119dd0080b0f000000000000010100000000000000030000000000000000"
    "0000000000000012");

class NetworkUrlLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QByteArray big(2 * 1024 * 1024, 'x');
    server.answers = {
        {QStringLiteral("/feed.plist"),
         {"200 OK\r\nContent-Type: application/xml\r\nContent-Length: " +
              QByteArray::number(kXmlFeed.size()),
          kXmlFeed}},
        {QStringLiteral("/feed.bplist"),
         {"200 OK\r\nContent-Length: " + QByteArray::number(kBinaryFeed.size()), kBinaryFeed}},
        {QStringLiteral("/missing"), {"404 Not Found\r\nContent-Length: 9", "not found"}},
        {QStringLiteral("/garbage"), {"200 OK\r\nContent-Length: 7", "garbage"}},
        {QStringLiteral("/oversize"),
         {"200 OK\r\nContent-Length: " + QByteArray::number(big.size()), big}},
        {QStringLiteral("/oversize-unannounced"), {"200 OK", big}},
        {QStringLiteral("/to-http"),
         {"302 Found\r\nContent-Length: 0\r\nLocation: " +
              server.url(QStringLiteral("/feed.plist"), "http").toLatin1(),
          {}}},
        {QStringLiteral("/to-https"),
         {"301 Moved\r\nContent-Length: 0\r\nLocation: " +
              server.url(QStringLiteral("/feed.plist")).toLatin1(),
          {}}},
    };
  }

  Result<QByteArray> load(const QString& url) {
    std::optional<Result<QByteArray>> got;
    loader.load(QUrl(url), [&got](Result<QByteArray> r) { got = std::move(r); });
    if (!QTest::qWaitFor([&got] { return got.has_value(); }, 10000))
      return Failure{QStringLiteral("test: no completion")};
    return *got;
  }

  LoopbackCertificate cert = LoopbackCertificate::make();
  LoopbackHttpsServer server{cert};
  NetworkUrlLoader loader{NetworkUrlLoader::Options{400, 1024 * 1024, {cert.certificate}}};
};

TEST_F(NetworkUrlLoaderTest, LoadsOverHttpsAndRefusesEverythingElse) {
  const struct {
    const char* name;
    QString url;
    std::optional<QByteArray> body;  // none: refused
    const char* says;
  } cases[] = {
      {"XML feed", server.url(QStringLiteral("/feed.plist")), kXmlFeed, ""},
      {"binary feed", server.url(QStringLiteral("/feed.bplist")), kBinaryFeed, ""},
      {"garbage is the parser's business", server.url(QStringLiteral("/garbage")),
       QByteArray("garbage"), ""},
      {"redirect within https", server.url(QStringLiteral("/to-https")), kXmlFeed, ""},
      {"404", server.url(QStringLiteral("/missing")), std::nullopt, ""},
      {"no answer", server.url(QStringLiteral("/hang")), std::nullopt, "no answer within 400 ms"},
      {"announced oversize", server.url(QStringLiteral("/oversize")), std::nullopt,
       "larger than 1048576 bytes"},
      {"unannounced oversize", server.url(QStringLiteral("/oversize-unannounced")), std::nullopt,
       "larger than 1048576 bytes"},
      {"redirect to http", server.url(QStringLiteral("/to-http")), std::nullopt, ""},
      {"plain http", server.url(QStringLiteral("/feed.plist"), "http"), std::nullopt,
       "is not an https address"},
      {"not a URL", QStringLiteral("feed.plist"), std::nullopt, "is not an https address"},
  };
  for (const auto& c : cases) {
    QElapsedTimer clock;
    clock.start();
    auto got = load(c.url);
    EXPECT_LT(clock.elapsed(), 5000) << c.name;
    ASSERT_EQ(got.ok(), c.body.has_value()) << c.name << ": " << got.error().toStdString();
    if (c.body) {
      EXPECT_EQ(got.value(), *c.body) << c.name;
    } else {
      EXPECT_TRUE(got.error().contains(QString::fromUtf8(c.says)))
          << c.name << ": " << got.error().toStdString();
    }
  }
}

TEST_F(NetworkUrlLoaderTest, PlainHttpNeverConnects) {
  const int before = server.connections;
  EXPECT_FALSE(load(server.url(QStringLiteral("/feed.plist"), "http")));
  QTest::qWait(50);
  EXPECT_EQ(server.connections, before);
}

TEST_F(NetworkUrlLoaderTest, AnUntrustedCertificateIsRefused) {
  NetworkUrlLoader strict{NetworkUrlLoader::Options{2000, 1024 * 1024, {}}};
  std::optional<Result<QByteArray>> got;
  strict.load(QUrl(server.url(QStringLiteral("/feed.plist"))),
              [&got](Result<QByteArray> r) { got = std::move(r); });
  ASSERT_TRUE(QTest::qWaitFor([&got] { return got.has_value(); }, 10000));
  EXPECT_FALSE(got->ok());
}

// Every way a mirror can fail, in turn, before the one that answers.
TEST_F(NetworkUrlLoaderTest, FetcherPassesOverEveryFailingMirror) {
  for (const char* last : {"/feed.plist", "/feed.bplist"}) {
    std::optional<Result<ZVReleaseFeed>> got;
    const QStringList mirrors{
        server.url(QStringLiteral("/hang")),     server.url(QStringLiteral("/missing")),
        server.url(QStringLiteral("/garbage")),  server.url(QStringLiteral("/to-http")),
        server.url(QStringLiteral("/oversize")), server.url(QString::fromLatin1(last))};
    ZVReleaseFeedFetcher::getDictionaryFromTheNet(
        loader, mirrors, [&got](Result<ZVReleaseFeed> r) { got = std::move(r); });
    ASSERT_TRUE(QTest::qWaitFor([&got] { return got.has_value(); }, 10000)) << last;
    ASSERT_TRUE(got->ok()) << got->error().toStdString();
    EXPECT_EQ(got->value().latestRelease, QByteArray(last) == "/feed.plist" ? 40300 : 40400);
  }
}

TEST_F(NetworkUrlLoaderTest, DestroyedLoaderCallsNoOneBack) {
  bool called = false;
  {
    NetworkUrlLoader brief{NetworkUrlLoader::Options{400, 1024, {cert.certificate}}};
    brief.load(QUrl(server.url(QStringLiteral("/hang"))), [&called](auto) { called = true; });
    brief.load(QUrl(QStringLiteral("http://127.0.0.1/")), [&called](auto) { called = true; });
  }
  QTest::qWait(600);
  EXPECT_FALSE(called);
}

}  // namespace
