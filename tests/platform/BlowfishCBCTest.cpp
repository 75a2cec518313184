#include <gtest/gtest.h>

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

#include "platform/crypto/BlowfishCBC.h"
#include "platform/crypto/LegacyProvider.h"

namespace {

const auto* bytes(const QByteArray& a) { return reinterpret_cast<const unsigned char*>(a.data()); }

struct Result {
  bool answered = false;
  std::int32_t status = -1;
  QByteArray out;
};

Result decrypt(const QByteArray& in, const QByteArray& key, const QByteArray& iv) {
  Result r;
  std::int32_t length = -1;
  unsigned char* out = blowfishCBCDecryptWithStatus(
      bytes(in), static_cast<std::int32_t>(in.size()), bytes(key),
      static_cast<std::int32_t>(key.size()), bytes(iv), &length, &r.status);
  r.answered = out != nullptr;
  r.out = QByteArray(reinterpret_cast<char*>(out), length);
  std::free(out);
  return r;
}

QByteArray encrypt(const QByteArray& in, const QByteArray& key, const QByteArray& iv) {
  std::int32_t length = -1;
  unsigned char* out =
      blowfishCBCEncrypt(bytes(in), static_cast<std::int32_t>(in.size()), bytes(key),
                         static_cast<std::int32_t>(key.size()), bytes(iv), &length);
  QByteArray result(reinterpret_cast<char*>(out), out != nullptr ? length : 0);
  std::free(out);
  return result;
}

const QByteArray kZeroIV(8, '\0');

// A fresh process whose OpenSSL finds no modules: Blowfish fails with a message that says why.
TEST(LegacyProviderDeathTest, MissingModuleFailsWithClearMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("OPENSSL_MODULES", "/nonexistent-ossl-modules", 1);
        const bool loaded = LegacyProvider::ensureLoaded();
        std::int32_t length = 0;
        std::int32_t status = 0;
        const unsigned char block[8] = {};
        unsigned char* out =
            blowfishCBCDecryptWithStatus(block, 8, block, 8, block, &length, &status);
        std::fprintf(stderr, "[%s]\n", qPrintable(LegacyProvider::errorMessage()));
        std::exit(!loaded && out == nullptr && status == 1 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "legacy\" provider could not be loaded");
}

TEST(BlowfishCBCTest, LegacyProviderLoads) {
  EXPECT_TRUE(LegacyProvider::ensureLoaded()) << LegacyProvider::errorMessage().toStdString();
  EXPECT_TRUE(LegacyProvider::errorMessage().isEmpty());
}

// Eric Young's CBC test of the published Blowfish set, whose key is 16 bytes. The set pads
// the 29-byte text with zeros; PKCS#5 then adds one more block.
TEST(BlowfishCBCTest, MatchesPublishedCbcVector) {
  const QByteArray key = QByteArray::fromHex("0123456789ABCDEFF0E1D2C3B4A59687");
  const QByteArray iv = QByteArray::fromHex("FEDCBA9876543210");
  const QByteArray plain = QByteArray("7654321 Now is the time for ", 29).leftJustified(32, '\0');
  const QByteArray expected =
      QByteArray::fromHex("6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC");
  const QByteArray cipher = encrypt(plain, key, iv);
  ASSERT_EQ(cipher.size(), 40);
  EXPECT_EQ(cipher.left(32).toHex(), expected.toHex());
  const Result back = decrypt(cipher, key, iv);
  EXPECT_EQ(back.status, 0);
  EXPECT_EQ(back.out, plain);
}

// The published variable-key set (plaintext FEDCBA9876543210): with a zero vector the first
// CBC block is the ECB block. Only the 16-byte entry holds for this layer: shorter keys are
// zero-padded to 16, longer ones cut to 16.
TEST(BlowfishCBCTest, KeyScheduleAlwaysTakesSixteenBytes) {
  const QByteArray fullKey =
      QByteArray::fromHex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
  const QByteArray block = QByteArray::fromHex("FEDCBA9876543210");
  struct Case {
    int keyLength;
    const char* firstBlockHex;
  };
  const Case cases[] = {
      {16, "93142887ee3be15c"},  // published
      {24, "93142887ee3be15c"},  // bytes after the 16th do not count
      {5, "c9b110f548b40c2f"},   // F0E1D2C3B4 and eleven zeros, not the 5-byte entry
  };
  for (const Case& c : cases) {
    const QByteArray key = fullKey.left(c.keyLength);
    EXPECT_EQ(encrypt(block, key, kZeroIV).left(8).toHex(), QByteArray(c.firstBlockHex))
        << c.keyLength;
  }
  EXPECT_NE(encrypt(block, fullKey.left(5), kZeroIV).left(8).toHex(),
            QByteArray("b39e44481bdb1e6e"));  // the 5-byte entry of the set
  EXPECT_EQ(encrypt(block, fullKey.left(5), kZeroIV),
            encrypt(block, fullKey.left(5) + QByteArray(11, '\0'), kZeroIV));
  EXPECT_EQ(encrypt(block, QByteArray(), kZeroIV), encrypt(block, QByteArray(16, '\0'), kZeroIV));
}

TEST(BlowfishCBCTest, CiphertextSizesAndDecryptionCodes) {
  const QByteArray key = "secret";
  const QByteArray iv = QByteArray::fromHex("5e0c93a7d41b68f2");
  for (int n : {1, 7, 8, 9, 16, 100}) {
    const QByteArray plain(n, 'p');
    const QByteArray cipher = encrypt(plain, key, iv);
    EXPECT_EQ(cipher.size(), 8 * (n / 8 + 1)) << n;
    const Result back = decrypt(cipher, key, iv);
    EXPECT_EQ(back.status, 0);
    EXPECT_EQ(back.out, plain);
  }
  const QByteArray eight = encrypt("12345678", key, iv);
  QByteArray badPadding = eight;
  badPadding[15] = static_cast<char>(badPadding[15] ^ 0x55);
  struct Case {
    const char* what;
    QByteArray in;
    std::int32_t status;
    bool answered;
  };
  const Case cases[] = {
      {"empty", QByteArray(), 0, false},
      {"12 bytes", QByteArray(12, 'c'), 2, false},
      {"invalid padding", badPadding, 2, false},
  };
  for (const Case& c : cases) {
    const Result r = decrypt(c.in, key, iv);
    EXPECT_EQ(r.status, c.status) << c.what;
    EXPECT_EQ(r.answered, c.answered) << c.what;
    EXPECT_TRUE(r.out.isEmpty()) << c.what;
  }
}

TEST(BlowfishCBCTest, AllPaddingDecryptsToEmptyWithSuccess) {
  const QByteArray key = "k";
  // One block holding only padding: its encryption of eight 0x08 bytes, cut from a longer run.
  const QByteArray cipher = encrypt(QByteArray(8, 'a'), key, kZeroIV);
  const Result r = decrypt(cipher.right(8), key, cipher.left(8));
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.isEmpty());
}

TEST(BlowfishCBCTest, RefusesMissingVectorOrInput) {
  std::int32_t length = -1;
  std::int32_t status = -1;
  const QByteArray in(8, 'x');
  EXPECT_EQ(blowfishCBCDecryptWithStatus(bytes(in), 8, bytes(in), 8, nullptr, &length, &status),
            nullptr);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(blowfishCBCEncrypt(nullptr, 8, bytes(in), 8, bytes(in), &length), nullptr);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(blowfishCBCEncrypt(bytes(in), 0, bytes(in), 8, bytes(in), &length), nullptr);
  EXPECT_EQ(blowfishCBCDecrypt(bytes(in), -5, bytes(in), 8, bytes(in), &length), nullptr);
}

}  // namespace
