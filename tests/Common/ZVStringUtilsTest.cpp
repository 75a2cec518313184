#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QRegularExpression>
#include <QTimeZone>

#include "Common/FontMetricsMeasurer.h"
#include "Common/TextMeasurer.h"
#include "Common/ZVStringUtils.h"
#include "platform/Clock.h"
#include "platform/Date.h"

// fontconfig keeps its caches until exit; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

// Every UTF-16 unit is 10 pixels wide: a surrogate pair cut in half would show as 10.
class FixedWidthMeasurer : public TextMeasurer {
 public:
  double widthOf(const QString& text) const override { return 10.0 * text.size(); }
};

TEST(ZVStringUtilsTest, TrimStringToFit) {
  const FixedWidthMeasurer measurer;
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // one code point, two units
  struct Case {
    QString text;
    int width;
    QString expected;
  };
  const Case cases[] = {
      {QStringLiteral("abcdef"), 60, QStringLiteral("abcdef")},  // fits exactly: no dots
      {QStringLiteral("abcdef"), 59, QStringLiteral("abc..")},
      {QStringLiteral("abcdef"), 50, QStringLiteral("abc..")},
      {QStringLiteral("abcdef"), 49, QStringLiteral("ab..")},
      {QStringLiteral("abcdef"), 0, QStringLiteral("a..")},  // the first character survives
      {QStringLiteral("x"), 5, QStringLiteral("x..")},
      {QStringLiteral("ab") + smile + QStringLiteral("cd"), 50,
       QStringLiteral("ab..")},  // not a lone high surrogate
      {smile + QStringLiteral("abc"), 5, smile + QStringLiteral("..")},
      {QString(), -1, QStringLiteral("..")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ZVStringUtils::trimStringToFit(c.text, c.width, measurer), c.expected)
        << c.text.toStdString() << " in " << c.width;
  }
}

TEST(ZVStringUtilsTest, TrimStringToFitWithRealFontMetrics) {
  static int argc = 1;
  static char name[] = "common_util_tests";
  static char* argv[] = {name, nullptr};
  if (QGuiApplication::instance() == nullptr) new QGuiApplication(argc, argv);
  const FontMetricsMeasurer measurer{QFont()};
  const QString text = QStringLiteral("A long account name that cannot fit");
  const double full = measurer.widthOf(text);
  ASSERT_GT(full, 0.0);
  EXPECT_EQ(ZVStringUtils::trimStringToFit(text, int(full) + 1, measurer), text);
  const QString cut = ZVStringUtils::trimStringToFit(text, int(full / 2), measurer);
  EXPECT_TRUE(cut.endsWith(QStringLiteral(".."))) << cut.toStdString();
  EXPECT_TRUE(text.startsWith(cut.chopped(2)));
  EXPECT_LE(measurer.widthOf(cut), full / 2);
}

TEST(ZVStringUtilsTest, Trimming) {
  using U = ZVStringUtils;
  const QString tabA = QStringLiteral("\ta b ");
  struct Case {
    QString got;
    QString expected;
  };
  const Case cases[] = {
      {U::trimLateralSpace(QStringLiteral(" a b ")), QStringLiteral("a b")},
      {U::trimLateralSpace(tabA), QStringLiteral("\ta b")},  // the tab stays
      {U::trimLateralSpace(QStringLiteral("   ")), QString()},
      {U::removeLateralSpace(QStringLiteral("  x\n ")), QStringLiteral("x\n")},
      {U::trimLateralQuote(QStringLiteral("\"\"say \"hi\"\"\"")), QStringLiteral("say \"hi")},
      {U::trimLateralQuote(QStringLiteral("\"\"")), QString()},
      {U::trimString(QStringLiteral("a1-b2 c3"), QStringLiteral("abc")), QStringLiteral("abc")},
      {U::trimString(QString(), QStringLiteral("abc")), QString()},
      {U::addLeading0(QStringLiteral("7"), 3), QStringLiteral("007")},
      {U::addLeading0(QStringLiteral("1234"), 3), QStringLiteral("1234")},
      {U::addLeading0(QString(), 2), QStringLiteral("00")},
      {U::addLeading0(QStringLiteral("5"), -4), QStringLiteral("5")},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected);

  EXPECT_EQ(U::removeInitialSpaces(QStringLiteral("  \tabc ")), QStringLiteral("abc "));
  EXPECT_EQ(U::removeInitialSpaces(QStringLiteral("\u00A0\u2003x")), QStringLiteral("x"));
  EXPECT_EQ(U::removeInitialSpaces(QStringLiteral("\nx")), QStringLiteral("\nx"));
  EXPECT_EQ(U::removeInitialSpaces(QStringLiteral("   ")), std::nullopt);
  EXPECT_EQ(U::removeInitialSpaces(QString()), std::nullopt);

  EXPECT_FALSE(U::spaceTrimmedNotEmpy(QStringLiteral("   ")));
  EXPECT_TRUE(U::spaceTrimmedNotEmpy(QStringLiteral(" x ")));
  EXPECT_TRUE(U::spaceTrimmedNotEmpy(QStringLiteral("\t")));
  EXPECT_FALSE(U::spaceTrimmedNotEmpy(std::nullopt));
}

class FixedClock : public ::testing::Test {
 protected:
  void TearDown() override { Clock::setSource({}); }
  void setLocalTime(int y, int mo, int d, int h, int mi, int s) {
    const QDateTime local(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
    Clock::setSource([local] { return Date::fromDateTime(local); });
  }
};

TEST_F(FixedClock, TimeStringsAndSerials) {
  setLocalTime(2026, 3, 4, 5, 6, 7);
  EXPECT_EQ(ZVStringUtils::uniqueTimeString(), QStringLiteral("20260304050607"));
  EXPECT_EQ(ZVStringUtils::uniqueTimeSerialString(), QStringLiteral("202603040506070"));
  EXPECT_EQ(ZVStringUtils::uniqueTimeSerialString(), QStringLiteral("202603040506071"));
  EXPECT_EQ(ZVStringUtils::uniqueTimeSerialString(), QStringLiteral("202603040506072"));
  setLocalTime(2026, 12, 31, 23, 59, 59);
  EXPECT_EQ(ZVStringUtils::uniqueTimeSerialString(), QStringLiteral("202612312359590"));

  EXPECT_EQ(ZVStringUtils::getNewSerialForTimeString(QStringLiteral("a")), QStringLiteral("0"));
  EXPECT_EQ(ZVStringUtils::getNewSerialForTimeString(QStringLiteral("a")), QStringLiteral("1"));
  EXPECT_EQ(ZVStringUtils::getNewSerialForTimeString(QStringLiteral("b")), QStringLiteral("0"));
  EXPECT_EQ(ZVStringUtils::getNewSerialForTimeString(QStringLiteral("a")), QStringLiteral("0"));

  const QString rand = ZVStringUtils::uniqueTimeRandString();
  ASSERT_TRUE(rand.startsWith(QStringLiteral("20261231235959")));
  const QString suffix = rand.mid(14);
  EXPECT_GE(suffix.size(), 5);
  bool ok = false;
  const qint64 value = suffix.toLongLong(&ok);
  EXPECT_TRUE(ok);
  EXPECT_GE(value, 1);
  EXPECT_LE(value, 32000000000000);
}

TEST(ZVStringUtilsTest, UUIDStringsAreCanonicalUpperCaseAndUnique) {
  const QRegularExpression form(
      QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"));
  QSet<QString> seen;
  for (int i = 0; i < 20; ++i) {
    for (const QString& uuid :
         {ZVStringUtils::createUUIDString(), ZVStringUtils::uniqueUUIDString()}) {
      EXPECT_TRUE(form.match(uuid).hasMatch()) << uuid.toStdString();
      seen.insert(uuid);
    }
  }
  EXPECT_EQ(seen.size(), 40);
}

}  // namespace
