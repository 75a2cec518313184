#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimeZone>

#include "Common/ZVBookmark.h"
#include "Common/ZVDateTagElaborated.h"
#include "Common/ZVReturnInitStr.h"
#include "Common/ZVTransformerClasses.h"
#include "Common/ZVUnarchivieFromDataToText.h"
#include "Common/ZVValueIsEqualToStr.h"
#include "Common/ZVValueIsGreaterOfRef.h"
#include "Common/ZVValueIsInArray.h"
#include "Common/ZVValueIsInSet.h"
#include "Common/ZVValueIsSmallerOfRef.h"
#include "Common/ZVValueMultipliedBy.h"
#include "platform/Array.h"
#include "platform/Clock.h"
#include "platform/ValueTransformerRegistry.h"

namespace {

QVariant v(const Value& value) { return QVariant::fromValue(value); }
QVariant list(std::initializer_list<Value> items) {
  auto array = Array::create();
  for (const Value& item : items) array->append(item);
  return v(Value(array));
}
const QVariant none;
const Value yes = Value::boolean(true);
const Value no = Value::boolean(false);
Value n(qint64 i) { return Value::integer(i); }
Value s(const char* text) { return Value(QString::fromUtf8(text)); }

// A styled text "Hello" as the non-keyed archiver writes it: the string object comes first.
QByteArray archivedStyledText(const char* cls) {
  QByteArray b("\x04\x0bstreamtyped\x81\xe8\x03", 16);
  b += QByteArray("\x84\x01@\x84\x84\x84", 6);
  b += char(qstrlen(cls));
  b += QByteArray(cls) + '\0';
  b += QByteArray("\x84\x84\x08NSObject\x00\x85", 13);
  b += QByteArray("\x92\x84\x84\x84\x08NSString\x01\x94\x84\x01+\x05Hello\x86\x86", 26);
  return b;
}

struct Row {
  const char* transformer;
  QVariant input;
  QVariant expected;  // invalid: no value
};

void expectRows(const std::shared_ptr<const ValueTransformer>& t, const char* name,
                const QVariant& input, const QVariant& expected, bool reverse) {
  const QVariant out = reverse ? t->reverseTransformedValue(input) : t->transformedValue(input);
  ASSERT_EQ(out.isValid(), expected.isValid()) << name;
  if (expected.isValid()) {
    EXPECT_EQ(out.value<Value>(), expected.value<Value>()) << name;
  }
}

class TransformerClassesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ZVTransformerClasses::registerAll(); }
  static std::shared_ptr<const ValueTransformer> named(const char* name) {
    return ValueTransformerRegistry::valueTransformerForName(QString::fromLatin1(name));
  }
};

TEST_F(TransformerClassesTest, ForwardByClassName) {
  const Row rows[] = {
      {"ZVIntToBool", v(n(7)), v(yes)},
      {"ZVIntToBool", v(n(0x100000000LL)), v(no)},  // read as 32 bits
      {"ZVIntToBool", none, v(no)},
      {"ZVNegateIntToBool", v(n(0)), v(yes)},
      {"ZVNegateIntToBool", v(n(-3)), v(no)},
      {"ZVNegateIntToBool", none, v(yes)},
      {"ZVOneIfOneInArray", list({s("a")}), v(n(0))},
      {"ZVOneIfOneInArray", list({s("a"), s("b")}), v(n(1))},
      {"ZVOneIfOneInArray", QVariant(QStringList{QStringLiteral("a"), QStringLiteral("b")}),
       v(n(1))},
      {"ZVOneIfOneInArray", none, v(n(0))},
      {"ZV1IfNot0", v(n(-1)), v(n(1))},
      {"ZVNumberBoolToNumberNum", v(yes), v(n(1))},
      {"ZVValueIs1", v(n(65537)), v(n(1))},
      {"ZVValueIs1", v(n(2)), v(n(0))},
      {"ZVValueIs1", none, none},
      {"ZVHeightForFontSize", v(Value::real(12.0)), v(n(18))},
      {"ZVEmptyTrimmedString", v(s("   ")), v(yes)},
      {"ZVEmptyTrimmedString", v(s(" \t ")), v(no)},  // only blanks count as empty
      {"ZVEmptyTrimmedString", none, v(yes)},
      {"ZVFilledTrimmedString", v(s(" x ")), v(yes)},
      {"ZVFilledTrimmedString", v(s("  ")), v(no)},
      {"ZVFilledTrimmedString", none, v(no)},
      {"ZVDateTagElaborated", none, v(s(""))},
      {"ZVUnarchivieFromDataToText", v(Value::data(archivedStyledText("NSAttributedString"))),
       v(s("Hello"))},
      {"ZVUnarchivieFromDataToText",
       v(Value::data(archivedStyledText("NSMutableAttributedString"))), v(s("Hello"))},
      {"ZVUnarchivieFromDataToText", v(Value::data(QByteArray("\x04\x0bstreamtyped", 13))), none},
      {"ZVUnarchivieFromDataToText", v(Value::data(archivedStyledText("NSColor"))), none},
      {"ZVUnarchivieFromDataToText", none, none},
      {"ZVPathFromBookmark", v(Value::data("garbage")), none},
      {"ZVNameFromBookmark", none, none},
  };
  for (const Row& r : rows) {
    auto t = named(r.transformer);
    ASSERT_TRUE(t) << r.transformer;
    expectRows(t, r.transformer, r.input, r.expected, false);
  }
}

TEST_F(TransformerClassesTest, ReverseAndReversibility) {
  const Row rows[] = {
      {"ZVIntToBool", v(yes), v(n(1))},
      {"ZVIntToBool", v(no), v(n(0))},
      {"ZVIntToBool", none, v(n(0))},
      {"ZVNegateIntToBool", v(no), v(n(1))},
      {"ZVNegateIntToBool", v(yes), v(n(0))},
      {"ZVValueIs1", v(yes), v(n(1))},
      {"ZVValueIs1", v(no), none},
      {"ZVNumberBoolToNumberNum", v(n(2)), v(yes)},
  };
  for (const Row& r : rows)
    expectRows(named(r.transformer), r.transformer, r.input, r.expected, true);
  const QVariant emptied = named("ZVOneIfOneInArray")->reverseTransformedValue(list({n(1), n(2)}));
  ASSERT_TRUE(emptied.value<Value>().isArray());
  EXPECT_EQ(emptied.value<Value>().toArray()->count(), 0);

  for (const char* reversible :
       {"ZVImgData", "ZVIntToBool", "ZVNegateIntToBool", "ZVOneIfOneInArray",
        "ZVNumberBoolToNumberNum", "ZVValueIs1", "ZVDictToNSColor"})
    EXPECT_TRUE(named(reversible)->allowsReverseTransformation()) << reversible;
  for (const char* oneWay : {"ZVDateTagElaborated", "ZVPathFromBookmark", "ZVNameFromBookmark",
                             "ZV1IfNot0", "ZVHeightForFontSize", "ZVUnarchivieFromDataToText",
                             "ZVEmptyTrimmedString", "ZVFilledTrimmedString"})
    EXPECT_FALSE(named(oneWay)->allowsReverseTransformation()) << oneWay;
}

TEST_F(TransformerClassesTest, ReferenceValueClasses) {
  const ZVValueIsGreaterOfRef greater(3);
  const ZVValueIsSmallerOfRef smaller(3);
  const ZVValueMultipliedBy times(Value::real(1.5));
  const ZVReturnInitStr fixed(QStringLiteral("Fixed"));
  const ZVValueIsEqualToStr isAbc(QStringLiteral("abc"));
  const ZVValueIsInSet inSet({n(1), s("x")});
  const ZVValueIsInArray inArray({Value::real(2.0), s("y")});
  const struct {
    const ValueTransformer* t;
    const char* name;
    QVariant input;
    QVariant expected;
  } rows[] = {
      {&greater, "greater 4", v(n(4)), v(n(1))},
      {&greater, "greater 3", v(n(3)), v(n(0))},
      {&greater, "greater 65540 (16-bit 4)", v(n(65540)), v(n(1))},
      {&greater, "greater none", none, none},
      {&smaller, "smaller 2", v(n(2)), v(n(1))},
      {&smaller, "smaller 3", v(n(3)), v(n(0))},
      {&smaller, "smaller none", none, none},
      {&times, "times 2", v(n(2)), v(Value::real(3.0))},
      {&times, "times 0.1", v(Value::real(0.1)), v(Value::real(double(0.1f * 1.5f)))},
      {&times, "times \"2\"", v(s("2")), v(Value::real(3.0))},
      {&times, "times none", none, none},
      {&fixed, "fixed for 5", v(n(5)), v(s("Fixed"))},
      {&fixed, "fixed for none", none, v(s("Fixed"))},
      {&isAbc, "abc", v(s("abc")), v(yes)},
      {&isAbc, "ABC", v(s("ABC")), v(no)},
      {&isAbc, "abc none", none, none},
      {&inSet, "YES in {1, x}", v(yes), v(yes)},
      {&inSet, "1.0 in {1, x}", v(Value::real(1.0)), v(yes)},
      {&inSet, "x in {1, x}", v(s("x")), v(yes)},
      {&inSet, "2 in {1, x}", v(n(2)), v(no)},
      {&inSet, "\"1\" in {1, x}", v(s("1")), v(no)},
      {&inSet, "none in set", none, none},
      {&inArray, "2 in [2.0, y]", v(n(2)), v(yes)},
      {&inArray, "Y in [2.0, y]", v(s("Y")), v(no)},
      {&inArray, "none in array", none, none},
  };
  for (const auto& r : rows) {
    const QVariant out = r.t->transformedValue(r.input);
    ASSERT_EQ(out.isValid(), r.expected.isValid()) << r.name;
    if (r.expected.isValid()) {
      EXPECT_EQ(out.value<Value>(), r.expected.value<Value>()) << r.name;
    }
    EXPECT_FALSE(r.t->allowsReverseTransformation()) << r.name;
  }
}

TEST_F(TransformerClassesTest, DateTagsAreFilledFromNow) {
  const QDateTime march7(QDate(2024, 3, 7), QTime(9, 5, 4));
  EXPECT_EQ(ZVDateTagElaborated::elaborate(QStringLiteral("<YY>-<mm>-<dd>"), march7),
            QStringLiteral("2024-03-07"));
  EXPECT_EQ(ZVDateTagElaborated::elaborate(QStringLiteral("<yy>"), march7), QStringLiteral("24"));
  EXPECT_EQ(
      ZVDateTagElaborated::elaborate(QStringLiteral("<hh>:<ii>:<ss> <YY><yy> <Mm> <hh>"), march7),
      QStringLiteral("09:05:04 202424 <Mm> 09"));
  Clock::setSource([march7] { return Date::fromDateTime(march7); });
  const QVariant out = named("ZVDateTagElaborated")->transformedValue(v(s("export <YY><mm><dd>")));
  Clock::setSource({});
  EXPECT_EQ(out.value<Value>(), s("export 20240307"));
}

TEST_F(TransformerClassesTest, BookmarkPathAndName) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Home.qvlt"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  auto bookmark = ZVBookmark::bookmarkForURL_RW(path);
  ASSERT_TRUE(bookmark) << bookmark.error().toStdString();
  EXPECT_EQ(named("ZVPathFromBookmark")
                ->transformedValue(v(Value::data(bookmark.value())))
                .value<Value>(),
            Value(path));
  EXPECT_EQ(named("ZVNameFromBookmark")
                ->transformedValue(v(Value::data(bookmark.value())))
                .value<Value>(),
            s("Home.qvlt"));
  QFile::remove(path);
  EXPECT_FALSE(
      named("ZVPathFromBookmark")->transformedValue(v(Value::data(bookmark.value()))).isValid());
}

TEST_F(TransformerClassesTest, ImageDataBothWays) {
  auto t = named("ZVImgData");
  QImage picture(3, 2, QImage::Format_ARGB32);
  picture.fill(Qt::red);
  const QVariant tiff = t->reverseTransformedValue(QVariant::fromValue(picture));
  ASSERT_TRUE(tiff.isValid());
  EXPECT_TRUE(tiff.value<Value>().toData().startsWith("II*") ||
              tiff.value<Value>().toData().startsWith("MM"));
  const QImage back = t->transformedValue(tiff).value<QImage>();
  EXPECT_EQ(back.size(), QSize(3, 2));
  EXPECT_EQ(back.pixelColor(1, 1), QColor(Qt::red));
  EXPECT_TRUE(t->transformedValue(none).value<QImage>().isNull());
  EXPECT_TRUE(t->transformedValue(v(Value::data("not an image"))).value<QImage>().isNull());
  EXPECT_FALSE(t->reverseTransformedValue(none).isValid());
}

}  // namespace
