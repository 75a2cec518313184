#include <gtest/gtest.h>

#include "vault/ZVCrypto.h"

namespace {

const unsigned char kLegacyIV[8] = {0x5e, 0x0c, 0x93, 0xa7, 0xd4, 0x1b, 0x68, 0xf2};

// Known answers computed with the openssl command (bf-cbc, key zero-padded to 16 bytes).
TEST(ZVCryptoTest, MatchesIndependentlyComputedLegacyFields) {
  struct Case {
    QString password;
    QByteArray plain;
    const char* cipherHex;
  };
  const Case cases[] = {
      {QStringLiteral("secret"), "hello", "11f8fb554694f6e9"},
      {QStringLiteral("caf\u00E9"), "hello", "0d8e1db1120697a8"},  // key 63 61 66 8E
      {QStringLiteral("secret"), QByteArray("\x2a\0\0\0\0\0\0\0", 8),
       "99a1c69b6cdf2c3196797b9c2b0fb415"},
  };
  for (const Case& c : cases) {
    const ZVCrypto engine(kLegacyIV, c.password);
    const auto cipher = engine.cryptData(c.plain);
    ASSERT_TRUE(cipher.has_value());
    EXPECT_EQ(cipher->toHex(), QByteArray(c.cipherHex)) << c.password.toStdString();
    std::int32_t code = -1;
    EXPECT_EQ(engine.decryptToData(QByteArray::fromHex(c.cipherHex), &code), c.plain);
    EXPECT_EQ(code, 0);
  }
}

TEST(ZVCryptoTest, ReadsFourAndEightByteIntegers) {
  const ZVCrypto engine(kLegacyIV, QStringLiteral("secret"));
  struct Case {
    const char* cipherHex;
    std::int64_t value;
  };
  const Case cases[] = {
      {"e307d5a96000a90d", -1},                  // ff ff ff ff
      {"99a1c69b6cdf2c3196797b9c2b0fb415", 42},  // 2a 00 00 00 00 00 00 00
  };
  for (const Case& c : cases) {
    std::int32_t code = -1;
    EXPECT_EQ(engine.decryptToLong(QByteArray::fromHex(c.cipherHex), &code), c.value);
    EXPECT_EQ(code, 0);
  }
  for (std::int64_t value : {std::int64_t(0), std::int64_t(-2), std::int64_t(1) << 40,
                             std::numeric_limits<std::int64_t>::min()}) {
    std::int32_t code = -1;
    EXPECT_EQ(engine.decryptToLong(*engine.cryptLong(value), &code), value);
    EXPECT_EQ(code, 0);
  }
  // Only the low 32 bits travel, read back with their sign.
  struct Narrow {
    std::int64_t given;
    std::int64_t read;
  };
  for (const Narrow& n : {Narrow{-7, -7}, Narrow{0x1'8000'0000, std::int32_t(0x8000'0000)},
                          Narrow{0x7fff'ffff, 0x7fff'ffff}}) {
    const auto cipher = engine.cryptLongToInt32(n.given);
    ASSERT_EQ(cipher->size(), 8);
    EXPECT_EQ(engine.decryptToLong(*cipher, nullptr), n.read);
  }
  std::int32_t code = -1;
  EXPECT_EQ(engine.decryptToLong(*engine.cryptData("abc"), &code), 0);  // 3 bytes: no integer
  EXPECT_EQ(code, 0);
}

TEST(ZVCryptoTest, EncryptionSizesAndReadiness) {
  const ZVCrypto engine(kLegacyIV, QStringLiteral("pw"));
  EXPECT_TRUE(engine.isReady());
  for (auto [n, size] : {std::pair{0, 0}, {7, 8}, {8, 16}, {9, 16}}) {
    const auto cipher = engine.cryptData(QByteArray(n, 'x'));
    ASSERT_TRUE(cipher.has_value()) << n;
    EXPECT_EQ(cipher->size(), size) << n;
  }
  EXPECT_EQ(engine.cryptString(QString()), QByteArray());

  const ZVCrypto noPassword(kLegacyIV, QString());
  const ZVCrypto noVector(nullptr, QStringLiteral("pw"));
  for (const ZVCrypto* unready : {&noPassword, &noVector}) {
    EXPECT_FALSE(unready->isReady());
    EXPECT_FALSE(unready->cryptString(QStringLiteral("x")).has_value());
    EXPECT_FALSE(unready->cryptData("x").has_value());
    EXPECT_FALSE(unready->cryptLong(1).has_value());
    EXPECT_FALSE(unready->cryptLongToInt32(1).has_value());
  }
  std::int32_t code = -1;
  EXPECT_FALSE(noVector.decryptToData(QByteArray(8, 'c'), &code).has_value());
  EXPECT_EQ(code, 1);
}

TEST(ZVCryptoTest, DecryptionCodes) {
  const ZVCrypto engine(kLegacyIV, QStringLiteral("right"));
  const QByteArray cipher = *engine.cryptString(QStringLiteral("a field of some length"));
  const ZVCrypto wrong(kLegacyIV, QStringLiteral("wrong"));
  struct Case {
    const char* what;
    const ZVCrypto* engine;
    QByteArray in;
    std::int32_t code;
  };
  const Case cases[] = {
      {"12 bytes", &engine, QByteArray(12, 'c'), 2},
      {"cut block", &engine, cipher.left(cipher.size() - 1), 2},
      {"wrong password", &wrong, cipher, 2},
  };
  for (const Case& c : cases) {
    std::int32_t code = -1;
    EXPECT_FALSE(c.engine->decryptToString(c.in, &code).has_value()) << c.what;
    EXPECT_EQ(code, c.code) << c.what;
    EXPECT_FALSE(c.engine->decryptToData(c.in, &code).has_value()) << c.what;
    EXPECT_EQ(code, c.code) << c.what;
  }
  // An empty field decrypts under any password, even one with no Mac OS Roman form.
  const ZVCrypto unencodable(kLegacyIV, QStringLiteral("\u4E2D"));
  for (const ZVCrypto* any : {&engine, &wrong, &unencodable}) {
    std::int32_t code = -1;
    EXPECT_EQ(any->decryptToString(QByteArray(), &code), QString());
    EXPECT_EQ(code, 0);
    EXPECT_EQ(any->decryptToData(QByteArray(), &code), QByteArray());
    EXPECT_EQ(code, 0);
  }
  std::int32_t code = -1;
  EXPECT_FALSE(unencodable.decryptToData(cipher, &code).has_value());
  EXPECT_EQ(code, 1);
  EXPECT_FALSE(unencodable.cryptData("x").has_value());
}

TEST(ZVCryptoTest, KeyIsFirstSixteenCharactersZeroPadded) {
  const QString sixteen = QStringLiteral("0123456789abcdef");
  const ZVCrypto writer(kLegacyIV, sixteen + QStringLiteral("tail"));
  const QByteArray cipher = *writer.cryptString(QStringLiteral("shared field"));
  const ZVCrypto reader(kLegacyIV, sixteen + QStringLiteral("other tail"));
  EXPECT_EQ(reader.decryptToString(cipher, nullptr), QStringLiteral("shared field"));
  const ZVCrypto fifteen(kLegacyIV, sixteen.left(15));
  std::int32_t code = -1;
  EXPECT_NE(fifteen.decryptToString(cipher, &code), QStringLiteral("shared field"));

  // The empty password is the key of 16 zero bytes (openssl: "Caf\x8e", zero key).
  const ZVCrypto empty(kLegacyIV, QString());
  EXPECT_EQ(empty.decryptToString(QByteArray::fromHex("d7d631360a9b7968"), &code),
            QStringLiteral("Caf\u00E9"));
  EXPECT_EQ(code, 0);
}

TEST(ZVCryptoTest, TextTravelsAsMacRoman) {
  const ZVCrypto engine(kLegacyIV, QStringLiteral("pw"));
  const QString text = QStringLiteral("\u20AC 5 \u2013 na\u00EFve \u00C5");
  const auto cipher = engine.cryptString(text);
  ASSERT_TRUE(cipher.has_value());
  EXPECT_EQ(cipher->size(), 8 * (text.size() / 8 + 1));  // one byte per character
  EXPECT_EQ(engine.decryptToString(*cipher, nullptr), text);
  EXPECT_FALSE(engine.cryptString(QStringLiteral("\u4E2D")).has_value());
}

}  // namespace
