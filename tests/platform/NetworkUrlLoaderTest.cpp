#include <gtest/gtest.h>

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

// A load that is meant to end gets what a loaded machine needs; the one deadline meant to
// expire is short, and only the loads that wait for it use it.
constexpr int kAnswerMs = 60000;
constexpr int kNoAnswerMs = 400;
// Beyond a loader's own deadline, for the test to see its answer.
constexpr int kSlackMs = 30000;

class NetworkUrlLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QByteArray big(qsizetype{2} * 1024 * 1024, 'x');
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

  static Result<QByteArray> load(NetworkUrlLoader& via, const QString& url, int deadlineMs) {
    std::optional<Result<QByteArray>> got;
    via.load(QUrl(url), [&got](Result<QByteArray> r) { got = std::move(r); });
    if (!QTest::qWaitFor([&got] { return got.has_value(); }, deadlineMs + kSlackMs))
      return Failure{QStringLiteral("test: no completion")};
    return *got;
  }
  Result<QByteArray> load(const QString& url) { return load(loader, url, kAnswerMs); }

  LoopbackCertificate cert = LoopbackCertificate::make();
  LoopbackHttpsServer server{cert};
  NetworkUrlLoader loader{
      NetworkUrlLoader::Options{kAnswerMs, qsizetype{1024} * 1024, {cert.certificate}}};
  NetworkUrlLoader impatient{
      NetworkUrlLoader::Options{kNoAnswerMs, qsizetype{1024} * 1024, {cert.certificate}}};
};

TEST_F(NetworkUrlLoaderTest, LoadsOverHttpsAndRefusesEverythingElse) {
  const struct {
    const char* name;
    QString url;
    std::optional<QByteArray> body;  // none: refused
    const char* says;
    bool waitsForTheDeadline = false;
  } cases[] = {
      {"XML feed", server.url(QStringLiteral("/feed.plist")), kXmlFeed, ""},
      {"binary feed", server.url(QStringLiteral("/feed.bplist")), kBinaryFeed, ""},
      {"garbage is the parser's business", server.url(QStringLiteral("/garbage")),
       QByteArray("garbage"), ""},
      {"redirect within https", server.url(QStringLiteral("/to-https")), kXmlFeed, ""},
      {"404", server.url(QStringLiteral("/missing")), std::nullopt, ""},
      {"no answer", server.url(QStringLiteral("/hang")), std::nullopt, "no answer within 400 ms",
       true},
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
    auto got = c.waitsForTheDeadline ? load(impatient, c.url, kNoAnswerMs) : load(c.url);
    ASSERT_EQ(got.ok(), c.body.has_value()) << c.name << ": " << got.error().toStdString();
    // A refusal comes from what the server said, not from waiting it out.
    EXPECT_EQ(!got && got.error().contains(u"no answer within"), c.waitsForTheDeadline)
        << c.name << ": " << got.error().toStdString();
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
  // An https load after it connects once: the refused one never did.
  ASSERT_TRUE(load(server.url(QStringLiteral("/feed.plist"))));
  EXPECT_EQ(server.connections, before + 1);
}

TEST_F(NetworkUrlLoaderTest, AnUntrustedCertificateIsRefused) {
  NetworkUrlLoader strict{NetworkUrlLoader::Options{kAnswerMs, qsizetype{1024} * 1024, {}}};
  const auto got = load(strict, server.url(QStringLiteral("/feed.plist")), kAnswerMs);
  ASSERT_FALSE(got);
  EXPECT_FALSE(got.error().contains(u"no answer within")) << got.error().toStdString();
  EXPECT_FALSE(got.error().contains(u"test: no completion"));
}

// Every way a mirror can fail, in turn, before the one that answers. One deadline serves
// every mirror: long enough for the ones that answer, short enough to wait out the one that
// does not.
TEST_F(NetworkUrlLoaderTest, FetcherPassesOverEveryFailingMirror) {
  constexpr int kMirrorMs = 5000;
  NetworkUrlLoader loader{
      NetworkUrlLoader::Options{kMirrorMs, qsizetype{1024} * 1024, {cert.certificate}}};
  for (const char* last : {"/feed.plist", "/feed.bplist"}) {
    std::optional<Result<ZVReleaseFeed>> got;
    const QStringList mirrors{
        server.url(QStringLiteral("/hang")),     server.url(QStringLiteral("/missing")),
        server.url(QStringLiteral("/garbage")),  server.url(QStringLiteral("/to-http")),
        server.url(QStringLiteral("/oversize")), server.url(QString::fromLatin1(last))};
    ZVReleaseFeedFetcher::getDictionaryFromTheNet(
        loader, mirrors, [&got](Result<ZVReleaseFeed> r) { got = std::move(r); });
    ASSERT_TRUE(QTest::qWaitFor([&got] { return got.has_value(); }, 6 * kMirrorMs + kSlackMs))
        << last;
    ASSERT_TRUE(got->ok()) << got->error().toStdString();
    EXPECT_EQ(got->value().latestRelease, QByteArray(last) == "/feed.plist" ? 40300 : 40400);
  }
}

TEST_F(NetworkUrlLoaderTest, DestroyedLoaderCallsNoOneBack) {
  bool called = false;
  {
    NetworkUrlLoader brief{NetworkUrlLoader::Options{kNoAnswerMs, 1024, {cert.certificate}}};
    brief.load(QUrl(server.url(QStringLiteral("/hang"))), [&called](auto) { called = true; });
    brief.load(QUrl(QStringLiteral("http://127.0.0.1/")), [&called](auto) { called = true; });
  }
  // A load begun after them with twice their deadline ends after theirs would have.
  NetworkUrlLoader witness{NetworkUrlLoader::Options{2 * kNoAnswerMs, 1024, {cert.certificate}}};
  const auto waited = load(witness, server.url(QStringLiteral("/hang")), 2 * kNoAnswerMs);
  ASSERT_TRUE(!waited && waited.error().contains(u"no answer within"));
  EXPECT_FALSE(called);
}

}  // namespace
