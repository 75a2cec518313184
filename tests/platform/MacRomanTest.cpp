#include <gtest/gtest.h>

#include "platform/MacRoman.h"

namespace {

TEST(MacRomanTest, MapsAppleHighHalf) {
  struct Case {
    char16_t unit;
    unsigned char byte;
  };
  const Case cases[] = {
      {u'A', 0x41},      {u'\u00C4', 0x80}, {u'\u00E9', 0x8E},
      {u'\u2020', 0xA0}, {u'\u20AC', 0xDB},  // euro, where older tables had the currency sign
      {u'\uF8FF', 0xF0},                     // Apple logo
      {u'\u02C7', 0xFF}, {u'\u00A0', 0xCA}, {u'\uFB02', 0xDF},
  };
  for (const Case& c : cases) {
    const QString text(QChar(c.unit));
    const auto encoded = MacRoman::encode(text);
    ASSERT_TRUE(encoded.has_value()) << int(c.unit);
    EXPECT_EQ(*encoded, QByteArray(1, static_cast<char>(c.byte))) << int(c.unit);
    EXPECT_EQ(MacRoman::decode(*encoded), text);
  }
}

TEST(MacRomanTest, EveryByteRoundTrips) {
  QByteArray all;
  for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
  const QString text = MacRoman::decode(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(MacRoman::encode(text), all);
}

TEST(MacRomanTest, CharactersOutsideTheTableHaveNoEncoding) {
  for (const QString& text : {QStringLiteral("\u00A4"), QStringLiteral("abc\u4E2D"),
                              QString::fromUtf8("\xF0\x9F\x98\x80")}) {
    EXPECT_FALSE(MacRoman::encode(text).has_value()) << text.toStdString();
  }
  EXPECT_EQ(MacRoman::encode(QString()), QByteArray());
}

}  // namespace
