#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/MyAppDelegate.h"
#include "platform/UserDefaults.h"
#include "platform/ValueTransformerRegistry.h"

namespace {

QVariant v(const Value& value) { return QVariant::fromValue(value); }
const QVariant none;

class NamedTransformersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("q.conf")));
    delegate = std::make_unique<MyAppDelegate>(*defaults);
  }
  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<MyAppDelegate> delegate;
};

TEST_F(NamedTransformersTest, TheEightNamesAreRegistered) {
  for (const char* name : {"valueIs0", "valueIs1", "valueIs3", "dictToNSColor", "valueNot0",
                           "ret1ifnot0", "heightAmplifier", "bool2Num"})
    EXPECT_TRUE(ValueTransformerRegistry::valueTransformerForName(QString::fromLatin1(name)))
        << name;
}

TEST_F(NamedTransformersTest, ForwardValues) {
  const struct {
    const char* name;
    QVariant input;
    QVariant expected;
  } cases[] = {
      {"valueIs1", v(Value::integer(1)), v(Value::integer(1))},
      {"valueIs1", v(Value::integer(65537)), v(Value::integer(1))},  // compared as 16-bit
      {"valueIs1", v(Value::integer(2)), v(Value::integer(0))},
      {"valueIs1", none, none},
      {"valueIs0", QVariant(0), v(Value::integer(1))},
      {"valueIs3", v(Value::real(3.7)), v(Value::integer(1))},
      {"valueNot0", v(Value::integer(0)), v(Value::integer(0))},
      {"valueNot0", v(Value::integer(65536)), v(Value::integer(0))},
      {"valueNot0", v(Value::integer(4)), v(Value::integer(1))},
      {"valueNot0", none, none},
      {"ret1ifnot0", v(Value::integer(7)), v(Value::integer(1))},
      {"ret1ifnot0", v(Value::integer(0x100000000LL)), v(Value::integer(0))},  // 32-bit read
      {"ret1ifnot0", none, v(Value::integer(0))},
      {"heightAmplifier", v(Value::real(12.0)), v(Value::integer(18))},
      {"heightAmplifier", v(Value::real(13.0)), v(Value::integer(20))},
      {"heightAmplifier", v(Value::real(1.0e30)), none},
      {"heightAmplifier", none, none},
      {"bool2Num", v(Value::boolean(true)), v(Value::integer(1))},
      {"bool2Num", none, v(Value::integer(0))},
      // Text as the settings store gives it back.
      {"bool2Num", v(Value(QStringLiteral("true"))), v(Value::integer(1))},
      {"bool2Num", v(Value(QStringLiteral("YES"))), v(Value::integer(1))},
      {"bool2Num", v(Value(QStringLiteral(" 007"))), v(Value::integer(1))},
      {"bool2Num", v(Value(QStringLiteral("false"))), v(Value::integer(0))},
      {"bool2Num", v(Value(QStringLiteral("000"))), v(Value::integer(0))},
      {"bool2Num", v(Value(QStringLiteral(""))), v(Value::integer(0))},
      {"ret1ifnot0", v(Value(QStringLiteral("-12 apples"))), v(Value::integer(1))},
      {"ret1ifnot0", v(Value(QStringLiteral("none"))), v(Value::integer(0))},
      {"valueIs3", v(Value(QStringLiteral("3"))), v(Value::integer(1))},
      {"heightAmplifier", v(Value(QStringLiteral("12"))), v(Value::integer(18))},
      {"heightAmplifier", v(Value(QStringLiteral(" 13.0"))), v(Value::integer(20))},
      {"heightAmplifier", v(Value(QStringLiteral("12.5pt"))), v(Value::integer(19))},
      {"heightAmplifier", v(Value(QStringLiteral("-1e1"))), v(Value::integer(-12))},
      {"heightAmplifier", v(Value(QStringLiteral("1e"))), v(Value::integer(3))},
      {"heightAmplifier", v(Value(QStringLiteral("."))), v(Value::integer(2))},
      {"heightAmplifier", v(Value(QStringLiteral("none"))), v(Value::integer(2))},
  };
  for (const auto& c : cases) {
    auto t = ValueTransformerRegistry::valueTransformerForName(QString::fromLatin1(c.name));
    ASSERT_TRUE(t) << c.name;
    const QVariant out = t->transformedValue(c.input);
    EXPECT_EQ(out.isValid(), c.expected.isValid()) << c.name;
    if (c.expected.isValid()) {
      EXPECT_EQ(out.value<Value>(), c.expected.value<Value>()) << c.name;
    }
  }
}

TEST_F(NamedTransformersTest, ReverseValues) {
  auto is1 = ValueTransformerRegistry::valueTransformerForName(QStringLiteral("valueIs1"));
  auto is3 = ValueTransformerRegistry::valueTransformerForName(QStringLiteral("valueIs3"));
  auto bool2Num = ValueTransformerRegistry::valueTransformerForName(QStringLiteral("bool2Num"));
  EXPECT_EQ(is1->reverseTransformedValue(v(Value::boolean(true))).value<Value>(),
            Value::integer(1));
  EXPECT_FALSE(is1->reverseTransformedValue(v(Value::boolean(false))).isValid());
  EXPECT_EQ(is3->reverseTransformedValue(QVariant(true)).value<Value>(), Value::integer(3));
  EXPECT_EQ(bool2Num->reverseTransformedValue(v(Value::integer(5))).value<Value>(),
            Value::boolean(true));
  EXPECT_EQ(bool2Num->reverseTransformedValue(v(Value::integer(0))).value<Value>(),
            Value::boolean(false));
  EXPECT_TRUE(is1->allowsReverseTransformation());
  EXPECT_FALSE(ValueTransformerRegistry::valueTransformerForName(QStringLiteral("valueNot0"))
                   ->allowsReverseTransformation());
}

TEST(FontFamilies, PlainCaseSensitiveOrder) {
  EXPECT_EQ(
      MyAppDelegate::sortedFamilies(
          {QStringLiteral("aharoni"), QStringLiteral("Zapfino"), QStringLiteral("DejaVu Sans"),
           QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Bitstream")}),
      (QStringList{QStringLiteral("Bitstream"), QStringLiteral("DejaVu Sans"),
                   QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Zapfino"),
                   QStringLiteral("aharoni")}));
}

}  // namespace
