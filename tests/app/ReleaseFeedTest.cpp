#include <gtest/gtest.h>

#include <QTimeZone>

#include "FakeUrlLoader.h"
#include "app/ZVReleaseCheckRules.h"
#include "app/ZVReleaseFeedFetcher.h"
#include "platform/archive/BinaryPropertyListWriter.h"

namespace {
using P = PropertyListObject;
using Report = ZVReleaseCheckRules::Report;

QByteArray xmlFeed(const QString& entries) {
  return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">"
                         "<dict>") +
          entries + QStringLiteral("</dict></plist>\n"))
      .toUtf8();
}

TEST(ZVReleaseFeed, ReadsTheFeedInEitherFormAndKeepsOnlyHttpsLinks) {
  const QByteArray xml = xmlFeed(QStringLiteral(
      "<key>LRA</key><integer>40300</integer>"
      "<key>GFU</key><string>https://dl.example/q-4.3.tar.gz</string>"
      "<key>DPU</key><string>https://www.example/download/</string><key>other</key><true/>"));
  const QByteArray binary = BinaryPropertyListWriter::write(
      *P::dictionary({QStringLiteral("DPU"), QStringLiteral("LRA"), QStringLiteral("GFU")},
                     {P::string(QStringLiteral("https://www.example/download/")), P::integer(40300),
                      P::string(QStringLiteral("https://dl.example/q-4.3.tar.gz"))}));
  for (const QByteArray& bytes : {xml, binary}) {
    auto feed = ZVReleaseFeed::fromData(bytes);
    ASSERT_TRUE(feed) << feed.error().toStdString();
    EXPECT_EQ(feed.value().latestRelease, 40300);
    EXPECT_EQ(feed.value().downloadUrl, QUrl(QStringLiteral("https://dl.example/q-4.3.tar.gz")));
    EXPECT_EQ(feed.value().downloadPage, QUrl(QStringLiteral("https://www.example/download/")));
  }

  // A link the browser should not be sent to is dropped; the feed itself stays good.
  const char* unsafe[] = {
      "<string>http://dl.example/q.tar.gz</string>", "<string>file:///etc/passwd</string>",
      "<string>javascript:alert(1)</string>",        "<string>https://</string>",
      "<string>not a url at all</string>",           "<integer>5</integer>"};
  for (const char* link : unsafe) {
    auto feed = ZVReleaseFeed::fromData(xmlFeed(QStringLiteral("<key>LRA</key><integer>1</integer>"
                                                               "<key>GFU</key>%1<key>DPU</key>%1")
                                                    .arg(QString::fromUtf8(link))));
    ASSERT_TRUE(feed) << link;
    EXPECT_TRUE(feed.value().downloadUrl.isEmpty()) << link;
    EXPECT_TRUE(feed.value().downloadPage.isEmpty()) << link;
  }
}

TEST(ZVReleaseFeed, RefusesWhatIsNotAFeed) {
  const struct {
    const char* name;
    QByteArray bytes;
    const char* says;
  } cases[] = {
      {"an HTML error page", "<html><body>Not Found</body></html>", "not <plist>"},
      {"garbage", QByteArray("\x00\xff garbage", 10), "XML property list"},
      {"a damaged binary list", QByteArray("bplist00\x08", 9), "binary property list"},
      {"root is an array", "<plist><array/></plist>", "root is not a dictionary"},
      {"no LRA", xmlFeed(QStringLiteral("<key>DPU</key><string>https://a.example/</string>")),
       "no LRA"},
      {"LRA as text", xmlFeed(QStringLiteral("<key>LRA</key><string>40300</string>")),
       "LRA is not an integer"},
      {"LRA as a real", xmlFeed(QStringLiteral("<key>LRA</key><real>40300</real>")),
       "LRA is not an integer"},
      {"LRA above 2^63",
       xmlFeed(QStringLiteral("<key>LRA</key><integer>9223372036854775808</integer>")),
       "LRA is not an integer"},
      {"larger than 1 MiB",
       xmlFeed(QStringLiteral("<key>LRA</key><integer>1</integer><!-- %1 -->")
                   .arg(QString(qsizetype{1024} * 1024, QLatin1Char('x')))),
       "larger than 1048576 bytes"},
  };
  for (const auto& c : cases) {
    auto feed = ZVReleaseFeed::fromData(c.bytes);
    ASSERT_FALSE(feed) << c.name;
    EXPECT_TRUE(feed.error().contains(QString::fromUtf8(c.says)))
        << c.name << ": " << feed.error().toStdString();
  }
}

TEST(ZVReleaseCheckRules, ReportDependsOnTheLatestReleaseAndTheKindOfCheck) {
  struct Kind {
    const char* name;
    bool reportUpdate, reportRest;
  };
  const Kind menu{"menu", true, true}, verbose{"daily verbose", true, false},
      silent{"daily silent", false, false};
  const struct {
    std::optional<qint64> latest;  // none: no mirror gave a feed
    Kind kind;
    Report report;
  } cases[] = {
      {50000, menu, Report::UpdateAvailable},
      {50000, verbose, Report::UpdateAvailable},
      {50000, silent, Report::Nothing},
      {40201, menu, Report::UpdateAvailable},
      {40200, menu, Report::UpToDate},
      {40200, verbose, Report::Nothing},
      {40200, silent, Report::Nothing},
      {40100, menu, Report::UpToDate},
      {-1, menu, Report::UpToDate},
      {0, verbose, Report::Nothing},
      {std::nullopt, menu, Report::NotReachable},
      {std::nullopt, verbose, Report::Nothing},
      {std::nullopt, silent, Report::Nothing},
  };
  for (const auto& c : cases) {
    std::optional<ZVReleaseFeed> feed;
    if (c.latest) feed = ZVReleaseFeed{*c.latest, {}, {}};
    EXPECT_EQ(ZVReleaseCheckRules::reportFor(feed, 40200, c.kind.reportUpdate, c.kind.reportRest),
              c.report)
        << c.kind.name << " LRA " << (c.latest ? *c.latest : -999);
  }
}

Date local(int y, int m, int d, int h, int min) {
  return Date::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, min), QTimeZone::systemTimeZone()));
}

TEST(ZVReleaseCheckRules, TodayIsACalendarDayAndTheInvitationWaitsNinetyDays) {
  const Date evening = local(2026, 6, 15, 23, 58);
  const struct {
    const char* name;
    Date now;
    bool due;
  } days[] = {
      {"a minute later, same day", local(2026, 6, 15, 23, 59), false},
      {"a minute after midnight", local(2026, 6, 16, 0, 1), true},
      {"same day next month", local(2026, 7, 15, 23, 58), true},
      {"same day next year", local(2027, 6, 15, 23, 58), true},
  };
  for (const auto& c : days)
    EXPECT_EQ(ZVReleaseCheckRules::lastCheckNotToday(evening, c.now), c.due) << c.name;
  EXPECT_TRUE(ZVReleaseCheckRules::lastCheckNotToday(std::nullopt, evening));

  const Date last = Date::fromUnixSeconds(1.7e9);
  const struct {
    double after;
    bool due;
  } waits[] = {{89 * 86400.0, false},
               {7776000.0, false},
               {7776000.5, true},
               {91 * 86400.0, true},
               {-86400.0, false}};
  for (const auto& w : waits)
    EXPECT_EQ(ZVReleaseCheckRules::invitationDue(last, Date{last.sinceReferenceDate + w.after}),
              w.due)
        << w.after << " s";
  EXPECT_TRUE(ZVReleaseCheckRules::invitationDue(std::nullopt, last));
}

TEST(ZVReleaseFeedFetcher, AsksMirrorsInOrderUntilOneGivesAFeed) {
  const QByteArray good = xmlFeed(QStringLiteral("<key>LRA</key><integer>40300</integer>"));
  const QStringList mirrors{
      QStringLiteral("https://m1.example/f.plist"), QStringLiteral("https://m2.example/f.plist"),
      QStringLiteral("https://m3.example/f.plist"), QStringLiteral("https://m4.example/f.plist")};
  const struct {
    const char* name;
    std::vector<Result<QByteArray>> answers;  // per mirror, in order
    qsizetype asked;
    bool found;
  } cases[] = {
      {"first answers", {good}, 1, true},
      {"first unreachable, second answers", {Failure{QStringLiteral("timeout")}, good}, 2, true},
      {"garbage, then a feed without LRA, then a feed",
       {QByteArray("<html/>"), xmlFeed(QStringLiteral("<key>DPU</key><string>x</string>")), good},
       3,
       true},
      {"none answers", {}, 4, false},
  };
  for (const auto& c : cases) {
    FakeUrlLoader loader;
    loader.immediate = true;
    for (std::size_t i = 0; i < c.answers.size(); ++i)
      loader.answers.emplace(mirrors[static_cast<qsizetype>(i)], c.answers[i]);
    std::optional<Result<ZVReleaseFeed>> got;
    ZVReleaseFeedFetcher::getDictionaryFromTheNet(
        loader, mirrors, [&got](const Result<ZVReleaseFeed>& r) { got = r; });
    ASSERT_TRUE(got) << c.name;
    EXPECT_EQ(loader.requested, mirrors.mid(0, c.asked)) << c.name;
    ASSERT_EQ(got->ok(), c.found) << c.name;
    if (c.found) {
      EXPECT_EQ(got->value().latestRelease, 40300) << c.name;
    }
  }
  // The failure names every mirror and its reason.
  FakeUrlLoader loader;
  loader.immediate = true;
  loader.answers.emplace(mirrors[1], QByteArray("<plist><array/></plist>"));
  std::optional<Result<ZVReleaseFeed>> got;
  ZVReleaseFeedFetcher::getDictionaryFromTheNet(
      loader, mirrors.mid(0, 2), [&got](const Result<ZVReleaseFeed>& r) { got = r; });
  ASSERT_TRUE(got && !got->ok());
  EXPECT_EQ(got->error(), QStringLiteral("https://m1.example/f.plist: unreachable; "
                                         "https://m2.example/f.plist: release feed: the root is "
                                         "not a dictionary"));
}

}  // namespace
