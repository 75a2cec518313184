#include <gtest/gtest.h>

#include <QSet>

#include "platform/crypto/KeyDerivation.h"
#include "vault/ZVCommonCrypto.h"

namespace {

const QByteArray kSalt = QByteArray::fromHex("0102030405060708");
const QByteArray kIV = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");

// An engine set to a fixed password, salt and IV, as unlocking sets it from a file.
class FixedEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.setPasswordToDecrypt(QStringLiteral("correct horse"), kIV, kSalt);
  }
  ZVCommonCrypto engine;
};

// Computed with independent tools (Python's hashlib PBKDF2 and the openssl command).
TEST_F(FixedEngine, MatchesIndependentlyComputedDocumentCiphertext) {
  EXPECT_EQ(engine.AESKey().toHex(),
            QByteArray("675b6d9820679772fbf2908c702819466bda0c6d7e1955e02edd514130a1cbd4"));
  std::int32_t status = -1;
  const auto cipher = engine.encrypt("Quorlith check", &status);
  EXPECT_EQ(status, 0);
  ASSERT_TRUE(cipher.has_value());
  EXPECT_EQ(cipher->toHex(), QByteArray("3d7b42f667846508bf8ca650516c1dc8"));
  const auto plain = engine.decrypt(*cipher, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(plain, QByteArray("Quorlith check"));
}

TEST_F(FixedEngine, CiphertextSizesAndRoundTrips) {
  for (int n : {0, 1, 15, 16, 17, 1000}) {
    const QByteArray plain(n, 'd');
    std::int32_t status = -1;
    const auto cipher = engine.encrypt(plain, &status);
    ASSERT_TRUE(cipher.has_value());
    EXPECT_EQ(cipher->size(), 16 * (n / 16 + 1)) << n;
    const auto back = engine.decrypt(*cipher, &status);
    EXPECT_EQ(status, 0);
    ASSERT_TRUE(back.has_value()) << n;
    EXPECT_EQ(*back, plain);  // an empty plaintext comes back as empty bytes, not nothing
  }
}

// Encrypting where the bytes lie gives the ciphertext of a separate output, with or without
// room for the padding, and leaves a buffer shared with another owner to that owner.
TEST_F(FixedEngine, EncryptingInPlaceGivesTheSameCiphertext) {
  enum Buffer { Tight, Roomy, Shared };
  for (int n : {0, 1, 15, 16, 17, 100003})
    for (Buffer buffer : {Tight, Roomy, Shared}) {
      QByteArray plain(n, Qt::Uninitialized);
      for (int i = 0; i < n; ++i) plain[i] = char(i * 7);
      std::int32_t status = -1;
      const QByteArray expected = engine.encrypt(plain, &status).value();
      QByteArray bytes;
      if (buffer != Tight) bytes.reserve(n + 16);
      bytes.append(plain);
      const char* where = bytes.constData();
      QByteArray sharer;
      if (buffer == Shared) sharer = bytes;
      ASSERT_TRUE(engine.encryptInPlace(bytes, &status)) << n;
      EXPECT_EQ(status, 0);
      EXPECT_EQ(bytes, expected) << n << " buffer " << buffer;
      if (buffer == Roomy) {
        EXPECT_EQ(bytes.constData(), where) << n;
      }
      if (buffer == Shared) {
        EXPECT_EQ(sharer, plain) << n;
      }
    }
}

TEST_F(FixedEngine, BadCiphertextFailsWithNonZeroStatus) {
  const QByteArray good = *engine.encrypt(QByteArray(40, 'g'), nullptr);
  QByteArray badPadding = good;
  badPadding[good.size() - 1] = static_cast<char>(badPadding[good.size() - 1] ^ 0x10);
  ZVCommonCrypto other;
  other.setPasswordToDecrypt(QStringLiteral("wrong horse"), kIV, kSalt);
  struct Case {
    const char* what;
    ZVCommonCrypto* engine;
    QByteArray in;
  };
  const Case cases[] = {
      {"length 47", &engine, good.left(47)},
      {"length 8", &engine, good.left(8)},
      {"invalid padding", &engine, badPadding},
      {"wrong password", &other, good},
  };
  for (const Case& c : cases) {
    std::int32_t status = 0;
    EXPECT_FALSE(c.engine->decrypt(c.in, &status).has_value()) << c.what;
    EXPECT_NE(status, 0) << c.what;
  }
}

TEST_F(FixedEngine, MissingSaltOrShortIVFailsInsteadOfReadingPastIt) {
  struct Case {
    QByteArray iv;
    QByteArray salt;
  };
  for (const Case& c : {Case{QByteArray(), kSalt}, Case{kIV.left(15), kSalt}, Case{kIV, {}}}) {
    engine.setPasswordToDecrypt(QStringLiteral("p"), c.iv, c.salt);
    std::int32_t status = 0;
    EXPECT_FALSE(engine.encrypt("x", &status).has_value());
    EXPECT_NE(status, 0);
    EXPECT_FALSE(engine.decrypt(QByteArray(16, 'x'), &status).has_value());
    EXPECT_NE(status, 0);
  }
}

TEST_F(FixedEngine, EncryptOptionsOtherThanEcbBecomePadding) {
  for (std::uint32_t given : {0u, 1u, 3u, 77u}) {
    std::uint32_t options = given;
    std::int32_t status = -1;
    const auto cipher = engine.doCipher("abc", ZVCommonCrypto::kEncrypt, &options, &status);
    EXPECT_EQ(options, 1u) << given;
    EXPECT_EQ(status, 0) << given;
    EXPECT_EQ(cipher, engine.encrypt("abc", nullptr));
  }
  std::int32_t status = -1;
  std::uint32_t ecb = 2;
  const auto blocks = engine.doCipher(QByteArray(32, 'e'), ZVCommonCrypto::kEncrypt, &ecb, &status);
  EXPECT_EQ(ecb, 2u);
  ASSERT_TRUE(blocks.has_value());
  ASSERT_EQ(blocks->size(), 32);  // no padding block
  EXPECT_EQ(blocks->left(16), blocks->mid(16));
  EXPECT_EQ(engine.doCipher(*blocks, ZVCommonCrypto::kDecrypt, &ecb, &status), QByteArray(32, 'e'));
  std::uint32_t unpaddedCbc = 0;
  EXPECT_FALSE(engine.doCipher(*blocks, ZVCommonCrypto::kDecrypt, &unpaddedCbc, &status) ==
               QByteArray(32, 'e'));
}

TEST(ZVCommonCryptoTest, SameSaltAndIVGiveSameCiphertextUntilRecalculated) {
  ZVCommonCrypto engine(QStringLiteral("pw"));
  EXPECT_EQ(engine.IV().size(), 16);
  EXPECT_EQ(engine.salt().size(), 8);
  const auto first = engine.encrypt("plain", nullptr);
  EXPECT_EQ(engine.encrypt("plain", nullptr), first);
  const QByteArray oldSalt = engine.salt();
  const QByteArray oldIV = engine.IV();
  engine.recalcIV_Salt_AESKey();
  EXPECT_NE(engine.salt(), oldSalt);
  EXPECT_NE(engine.IV(), oldIV);
  EXPECT_NE(engine.encrypt("plain", nullptr), first);
  EXPECT_EQ(engine.AESKey(),
            ZVCommonCrypto::AESKeyForPassword(QStringLiteral("pw"), engine.salt()));
}

// Stored documents are keyed with the UTF-8 bytes cut to the UTF-16 length.
TEST(ZVCommonCryptoTest, PasswordInputIsUtf8CutToUtf16Length) {
  const QByteArray salt = kSalt;
  struct Case {
    QString password;
    const char* keyHex;
  };
  const Case cases[] = {
      // "é" is C3 A9 in UTF-8 and one UTF-16 unit: only C3 enters PBKDF2.
      {QStringLiteral("\u00E9"),
       "6e7f37ca5991c73c3c347a74a99aaa53fdc86ee58a9803e2b2633142ff77f86d"},
      // "ê" (C3 AA) shares that first byte, so it derives the same key.
      {QStringLiteral("\u00EA"),
       "6e7f37ca5991c73c3c347a74a99aaa53fdc86ee58a9803e2b2633142ff77f86d"},
      {QStringLiteral("correct horse"),
       "675b6d9820679772fbf2908c702819466bda0c6d7e1955e02edd514130a1cbd4"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ZVCommonCrypto::AESKeyForPassword(c.password, salt).toHex(), QByteArray(c.keyHex))
        << c.password.toStdString();
  }
  EXPECT_NE(ZVCommonCrypto::AESKeyForPassword(QStringLiteral("\u00E9"), salt),
            ZVCommonCrypto::AESKeyForPassword(QStringLiteral("\u0151"), salt));  // C5 91: cut to C5
  EXPECT_EQ(ZVCommonCrypto::AESKeyForPassword(QString(), salt),
            ZVCommonCrypto::AESKeyForPassword(QStringLiteral(""), salt));
}

// The characters whose whole encoding lies within the cut: what the password sheets count.
TEST(ZVCommonCryptoTest, KeyedCharactersAreThoseWholeWithinTheCut) {
  const struct {
    QString password;
    qsizetype keyed;
  } cases[] = {
      {QString(), 0},
      {QStringLiteral("correct horse"), 13},
      {QStringLiteral("\u00E9"), 0},                                  // C3 A9 cut to C3
      {QStringLiteral("a\u00E9"), 1},                                 // 61 C3 | A9
      {QStringLiteral("\u00E9\u00E9ab"), 2},                          // C3 A9 C3 A9 | 61 62
      {QStringLiteral("\u043F\u0430\u0440\u043E\u043B\u044C12"), 4},  // "пароль12" as "паро"
      {QStringLiteral("\u20AC\u20ACabc"), 1},                         // E2 82 AC E2 82 | ...
      {QStringLiteral("abcd\U0001F600"), 4},  // the emoji's four bytes pass the six units
      {QStringLiteral("abcdefgh\U0001F600"), 8},
      {QStringLiteral("abcdefghij\U0001F600"), 10},  // a final emoji never fits
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZVCommonCrypto::keyedCharacterCount(c.password), c.keyed) << c.password.toStdString();
}

TEST(ZVCommonCryptoTest, NewPasswordAndSaltTakeEffectWithoutExplicitDerivation) {
  ZVCommonCrypto writer(QStringLiteral("secret"));
  const QByteArray cipher = *writer.encrypt("payload", nullptr);

  ZVCommonCrypto reader(QStringLiteral("secret"));
  const QByteArray creationKey = reader.AESKey();
  reader.setPasswordToDecrypt(QStringLiteral("secret"), writer.IV(), writer.salt());
  std::int32_t status = -1;
  EXPECT_EQ(reader.decrypt(cipher, &status), QByteArray("payload"));
  EXPECT_EQ(status, 0);
  EXPECT_NE(reader.AESKey(), creationKey);

  EXPECT_EQ(reader.AESKey(), writer.AESKey());

  // Another password with the same salt: the key is derived again, not kept.
  reader.setPasswordToDecrypt(QStringLiteral("Secret"), writer.IV(), writer.salt());
  EXPECT_FALSE(reader.decrypt(cipher, &status) == QByteArray("payload"));
}

// One save: new salt and IV, check string and four pieces under one key.
TEST(ZVCommonCryptoTest, DerivesOncePerPasswordAndSalt) {
  ZVCommonCrypto engine(QStringLiteral("pw"));
  (void)engine.encrypt("warm", nullptr);
  std::uint64_t before = KeyDerivation::derivationCount();
  engine.recalcIV_Salt_AESKey();
  for (int piece = 0; piece < 5; ++piece) (void)engine.encrypt("piece", nullptr);
  EXPECT_EQ(KeyDerivation::derivationCount() - before, 1u);

  before = KeyDerivation::derivationCount();
  ZVCommonCrypto reader(QStringLiteral("pw"));
  reader.setPasswordToDecrypt(QStringLiteral("pw"), engine.IV(), engine.salt());
  for (int piece = 0; piece < 5; ++piece) (void)reader.decrypt(QByteArray(16, 'c'), nullptr);
  EXPECT_EQ(KeyDerivation::derivationCount() - before, 1u);
}

TEST(ZVCommonCryptoTest, CheckStringHas256NonNulCharactersFromOneToTwoFiftyFive) {
  QSet<QString> seen;
  QSet<ushort> codes;
  for (int i = 0; i < 20; ++i) {
    const QString check = ZVCommonCrypto::generateRandom256AsciiString();
    ASSERT_EQ(check.size(), 256);
    for (QChar ch : check) {
      ASSERT_GE(ch.unicode(), 1);
      ASSERT_LE(ch.unicode(), 255);
      codes.insert(ch.unicode());
    }
    EXPECT_FALSE(check.toUtf8().contains('\0'));
    seen.insert(check);
  }
  EXPECT_EQ(seen.size(), 20);
  EXPECT_EQ(codes.size(), 255);  // 5120 draws miss a code with chance ~5e-7
}

TEST(ZVCommonCryptoTest, RandomDataAndDigest) {
  EXPECT_EQ(ZVCommonCrypto::randomDataOfLength(0), QByteArray());
  EXPECT_EQ(ZVCommonCrypto::randomDataOfLength(33)->size(), 33);
  EXPECT_NE(ZVCommonCrypto::randomDataOfLength(16), ZVCommonCrypto::randomDataOfLength(16));
  EXPECT_FALSE(ZVCommonCrypto::randomDataOfLength(std::uint64_t(1) << 40).has_value());
  EXPECT_EQ(ZVCommonCrypto::dataSHA1("abc").toHex(),
            QByteArray("a9993e364706816aba3e25717850c26c9cd0d89d"));
}

}  // namespace

// The setters replace one value each; a key set by hand is shown but never ciphers: the next
// operation derives the key of the password and salt again.
TEST(ZVCommonCryptoTest, SettersReplaceOneValueAndTheKeyIsDerivedAgain) {
  ZVCommonCrypto writer(QStringLiteral("secret"));
  const QByteArray cipher = *writer.encrypt("payload", nullptr);

  ZVCommonCrypto reader;
  reader.setPassword(QStringLiteral("secret"));
  reader.setSalt(writer.salt());
  reader.setIV(writer.IV());
  reader.setAESKey(QByteArray(32, 'k'));
  EXPECT_EQ(reader.AESKey(), QByteArray(32, 'k'));
  std::int32_t status = -1;
  EXPECT_EQ(reader.decrypt(cipher, &status), QByteArray("payload"));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(reader.AESKey(), writer.AESKey());
}

TEST(ZVCommonCryptoTest, PasswordToEncryptRenewsIVSaltAndKey) {
  ZVCommonCrypto engine(QStringLiteral("old"));
  const QByteArray oldSalt = engine.salt();
  const QByteArray oldIV = engine.IV();
  engine.setPasswordToEncrypt(QStringLiteral("new"));
  EXPECT_EQ(engine.password(), QStringLiteral("new"));
  EXPECT_EQ(engine.salt().size(), 8);
  EXPECT_EQ(engine.IV().size(), 16);
  EXPECT_NE(engine.salt(), oldSalt);
  EXPECT_NE(engine.IV(), oldIV);
  EXPECT_EQ(engine.AESKey(),
            ZVCommonCrypto::AESKeyForPassword(QStringLiteral("new"), engine.salt()));
}

// The key argument is ignored and the options are the caller's, rewritten to padding unless ECB.
TEST_F(FixedEngine, KeyAndPaddingVariantsIgnoreTheKeyAndTakeTheOptions) {
  const QByteArray wrongKey(32, 'w');
  for (std::uint32_t given : {0u, 1u, 2u, 9u}) {
    std::uint32_t options = given;
    const QByteArray plain(given == 2 ? 32 : 5, 'p');
    const auto cipher = engine.encrypt(plain, wrongKey, &options);
    ASSERT_TRUE(cipher.has_value()) << given;
    EXPECT_EQ(options, given == 2 ? 2u : 1u) << given;
    EXPECT_EQ(cipher->size(), given == 2 ? 32 : 16) << given;
    EXPECT_EQ(engine.decrypt(*cipher, wrongKey, &options), plain) << given;
  }
  std::uint32_t padding = ZVCommonCrypto::kPKCS7Padding;
  EXPECT_FALSE(engine.decrypt(QByteArray(15, 'x'), wrongKey, &padding).has_value());
}
