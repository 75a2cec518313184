#include <gtest/gtest.h>

#include "Common/ZVColorUtilOSX.h"
#include "Common/ZVDictToNSColor.h"

namespace {

DictRef colorDict(std::initializer_list<std::pair<const char*, Value>> entries) {
  auto d = Dictionary::create();
  for (const auto& [k, v] : entries) d->setValue(QString::fromLatin1(k), v);
  return d;
}

TEST(ColorDictTest, DictionaryToColourReadsSinglePrecisionWithMissingAsZero) {
  struct Case {
    const char* what;
    DictRef dict;
    Rgba expected;
  };
  const Case cases[] = {
      {"doubles",
       colorDict({{"r", Value::real(0.75)},
                  {"g", Value::real(0.1)},
                  {"b", Value::real(0)},
                  {"a", Value::real(1)}}),
       {0.75f, 0.1f, 0.0f, 1.0f}},
      {"integers",
       colorDict({{"r", Value::integer(1)},
                  {"g", Value::integer(0)},
                  {"b", Value::integer(1)},
                  {"a", Value::integer(1)}}),
       {1, 0, 1, 1}},
      {"no alpha is transparent",
       colorDict({{"r", Value::real(1)}, {"g", Value::real(1)}, {"b", Value::real(1)}}),
       {1, 1, 1, 0}},
      {"empty", Dictionary::create(), {0, 0, 0, 0}},
      {"none", DictRef(), {0, 0, 0, 0}},
      {"non-numbers",
       colorDict({{"r", Value(QStringLiteral("1"))},
                  {"g", Value(Date{})},
                  {"b", Value::real(0.5)},
                  {"a", Value::boolean(true)}}),
       {0, 0, 0.5f, 1}},
  };
  for (const auto& c : cases) {
    const Color color = ZVColorUtilOSX::NSColorFromDict(c.dict);
    EXPECT_EQ(color.space(), Color::Space::CalibratedRGB) << c.what;
    EXPECT_EQ(color.usingCalibratedRGB(), c.expected) << c.what;
  }
}

TEST(ColorDictTest, RoundTripKeepsFloatPrecisionAndWritesDoubles) {
  const DictRef stored = colorDict({{"r", Value::real(0.75)},
                                    {"g", Value::real(0.1)},
                                    {"b", Value::real(0.0)},
                                    {"a", Value::real(1.0)}});
  const DictRef back = ZVColorUtilOSX::dictFromNSColor(ZVColorUtilOSX::NSColorFromDict(stored));
  EXPECT_EQ(back->keys(), (QStringList{QStringLiteral("r"), QStringLiteral("g"),
                                       QStringLiteral("b"), QStringLiteral("a")}));
  for (const auto& [key, value] : back->entries()) EXPECT_EQ(value.type(), Value::Type::Double);
  EXPECT_EQ(back->value(u"r").toDouble(), 0.75);
  // 0.1 comes back as the nearest single-precision value, a little above 0.1.
  EXPECT_EQ(back->value(u"g").toDouble(), static_cast<double>(0.1f));
  EXPECT_GT(back->value(u"g").toDouble(), 0.1);
}

TEST(ColorDictTest, OtherColourSpacesAreConvertedFirst) {
  struct Case {
    const char* what;
    Color color;
    Rgba expected;
  };
  const Case cases[] = {
      {"grey", Color::calibratedWhite(0.25f, 0.5f), {0.25f, 0.25f, 0.25f, 0.5f}},
      {"device grey", Color::deviceWhite(1.0f, 1.0f), {1, 1, 1, 1}},
      {"device RGB", Color::deviceRGB(0.2f, 0.4f, 0.6f, 1.0f), {0.2f, 0.4f, 0.6f, 1.0f}},
      {"pattern: opaque black", Color::pattern(), {0, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    const DictRef d = ZVColorUtilOSX::dictFromNSColor(c.color);
    ASSERT_EQ(d->count(), 4) << c.what;
    const Rgba got{d->value(u"r").toFloat(), d->value(u"g").toFloat(), d->value(u"b").toFloat(),
                   d->value(u"a").toFloat()};
    EXPECT_EQ(got, c.expected) << c.what;
  }
}

TEST(ColorDictTest, TransformerWrapsTheSameConversions) {
  const ZVDictToNSColor transformer;
  EXPECT_TRUE(transformer.allowsReverseTransformation());
  EXPECT_EQ(transformer.transformedValueClass(), QMetaType::fromType<Color>());
  const DictRef dict = colorDict({{"r", Value::real(0.5)},
                                  {"g", Value::integer(1)},
                                  {"b", Value::real(0)},
                                  {"a", Value::real(1)}});
  const QVariant colour = transformer.transformedValue(QVariant::fromValue(Value(dict)));
  ASSERT_TRUE(colour.canConvert<Color>());
  EXPECT_EQ(colour.value<Color>(), ZVColorUtilOSX::NSColorFromDict(dict));
  const Value back = transformer.reverseTransformedValue(colour).value<Value>();
  ASSERT_TRUE(back.isDictionary());
  EXPECT_EQ(back.toDictionary()->value(u"g").toDouble(), 1.0);
  // Nothing to transform gives transparent black.
  EXPECT_EQ(transformer.transformedValue(QVariant()).value<Color>().usingCalibratedRGB(), Rgba{});
}

}  // namespace
