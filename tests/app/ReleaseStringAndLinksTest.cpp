#include <gtest/gtest.h>

#include <QUrlQuery>

#include "Common/AppIdentity.h"
#include "Common/ZVAppSupportUtility.h"

namespace {

TEST(CalcReleaseString, DottedFormDropsOneTrailingZeroOnly) {
  const struct {
    long n;
    const char* expected;
  } cases[] = {
      {40200, "4.2"},   {40100, "4.1"},
      {40000, "4.0"},   {21207, "2.12.7"},
      {20801, "2.8.1"}, {2500, "2.5.00"},
      {2010, "2.0.10"}, {1000, "1.0.00"},
      {999, ""},        {0, ""},
      {7, ""},          {40010, "4.0.10"},
      {100000, "10.0"}, {123456, "12.34.56"},
      {20900, "2.9"},   {-40200, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZVAppSupportUtility::calcReleaseString(c.n), QString::fromLatin1(c.expected)) << c.n;
}

TEST(SupportMail, SubjectDecodesBackWholeWithTheRunningSystem) {
  for (const QString& system : {QStringLiteral("Debian GNU/Linux 12 (bookworm)"),
                                QStringLiteral("Odd & Sons OS+ #3 100% ü")}) {
    const QUrl url = ZVAppSupportUtility::supportMailURL(system);
    ASSERT_TRUE(url.isValid()) << url.errorString().toStdString();
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(url.path(), AppIdentity::kSupportMail);
    EXPECT_FALSE(url.hasFragment());
    const QByteArray encoded = url.toEncoded();
    const QByteArray query = encoded.mid(encoded.indexOf('?') + 1);
    ASSERT_TRUE(query.startsWith("subject="));
    // One parameter only: nothing in the system name split or ended it.
    EXPECT_FALSE(query.contains('&'));
    EXPECT_FALSE(query.contains('+'));
    EXPECT_FALSE(query.contains('#'));
    EXPECT_EQ(QUrl::fromPercentEncoding(query.mid(8)),
              QStringLiteral("Support Request for Quorlith 4 rel. 4.2 - ") + system);
  }
}

TEST(SupportMail, EmailUsOpensTheMailURLOfThisSystem) {
  QList<QUrl> opened;
  ZVAppSupportUtility::setUrlOpener([&opened](const QUrl& url) {
    opened << url;
    return true;
  });
  ZVAppSupportUtility::emailUs();
  ZVAppSupportUtility::emailTavrin();
  ZVAppSupportUtility::visitTavrin();
  ZVAppSupportUtility::setUrlOpener({});
  ASSERT_EQ(opened.size(), 3);
  EXPECT_EQ(opened[0],
            ZVAppSupportUtility::supportMailURL(ZVAppSupportUtility::runningSystemName()));
  EXPECT_EQ(opened[1], opened[0]);
  EXPECT_FALSE(opened[0].toString().contains(QStringLiteral("macOS")));
  EXPECT_EQ(opened[2], QUrl(AppIdentity::kMakerSite));
}

}  // namespace
