#include <gtest/gtest.h>

#include <algorithm>

#include "platform/crypto/SecureMemory.h"

namespace {

TEST(SecureMemory, WipeReachesEveryHolderOfAHeapBlock) {
  QString text = QString::fromLatin1("correct horse");
  const QString otherHolder = text;  // shares the block, as a copy handed around does
  ASSERT_FALSE(text.isDetached());
  SecureMemory::wipe(text);
  EXPECT_TRUE(text.isEmpty());
  ASSERT_EQ(otherHolder.size(), 13);
  EXPECT_TRUE(std::all_of(otherHolder.cbegin(), otherHolder.cend(),
                          [](QChar c) { return c.unicode() == 0; }));

  QByteArray bytes = QByteArray("key material");
  const QByteArray otherBytes = bytes;
  SecureMemory::wipe(bytes);
  EXPECT_TRUE(bytes.isEmpty());
  EXPECT_EQ(otherBytes, QByteArray(12, '\0'));
}

TEST(SecureMemory, ReadOnlyDataIsLetGoUnwritten) {
  // Literals live in read-only memory: writing them would fault.
  QString literal = QStringLiteral("literal secret");
  const QString sharedLiteral = literal;
  SecureMemory::wipe(literal);
  EXPECT_TRUE(literal.isEmpty());
  EXPECT_EQ(sharedLiteral, u"literal secret");

  static const QChar buffer[] = {u'r', u'a', u'w'};
  QString raw = QString::fromRawData(buffer, 3);
  SecureMemory::wipe(raw);
  EXPECT_TRUE(raw.isEmpty());
  EXPECT_EQ(buffer[2], u'w');

  QByteArray literalBytes = QByteArrayLiteral("literal bytes");
  SecureMemory::wipe(literalBytes);
  EXPECT_TRUE(literalBytes.isEmpty());
  static const char rawBytes[] = "raw bytes";
  QByteArray rawView = QByteArray::fromRawData(rawBytes, 9);
  SecureMemory::wipe(rawView);
  EXPECT_STREQ(rawBytes, "raw bytes");
}

// Release wipes only as the last holder: a text shown or kept elsewhere stays whole.
TEST(SecureMemory, ReleaseLeavesSharedAndReadOnlyTextsWhole) {
  QString shown = QString::fromLatin1("still shown");
  QString released = shown;
  SecureMemory::release(released);
  EXPECT_TRUE(released.isEmpty());
  EXPECT_EQ(shown, u"still shown");

  QString literal = QStringLiteral("literal");
  SecureMemory::release(literal);
  EXPECT_TRUE(literal.isEmpty());
}

TEST(SecureMemory, APrivateCopyCanBeWipedWithoutTouchingTheOriginal) {
  struct Case {
    QString original;
    const char* text;
  };
  const Case cases[] = {
      {QString::fromLatin1("typed password"), "typed password"},  // a line edit's text
      {QStringLiteral("from a literal"), "from a literal"},
  };
  for (const auto& c : cases) {
    QString copy = SecureMemory::privateCopy(c.original);
    EXPECT_EQ(copy, c.original) << c.text;
    EXPECT_TRUE(copy.isDetached()) << c.text;
    EXPECT_NE(copy.constData(), c.original.constData()) << c.text;
    SecureMemory::wipe(copy);
    EXPECT_EQ(c.original, QLatin1String(c.text));
  }
  EXPECT_TRUE(SecureMemory::privateCopy(QString()).isNull());
}

}  // namespace
