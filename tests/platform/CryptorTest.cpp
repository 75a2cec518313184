#include <gtest/gtest.h>

#include <QByteArray>

#include "platform/crypto/Cryptor.h"

namespace {

// NIST SP 800-38A, F.2.5 / F.2.6: AES-256-CBC.
const QByteArray kKey =
    QByteArray::fromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
const QByteArray kIV = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
const QByteArray kPlain = QByteArray::fromHex(
    "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
    "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
const QByteArray kCipher = QByteArray::fromHex(
    "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
    "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b");

struct CipherRun {
  Cryptor::Status status = Cryptor::kSuccess;
  QByteArray out;
};

// Feeds the input in pieces of chunk bytes, then finishes, sizing the output as a caller must.
CipherRun runCryptor(std::uint32_t operation, std::uint32_t options, const QByteArray& key,
                     const QByteArray& iv, const QByteArray& in, qsizetype chunk) {
  CipherRun run;
  std::unique_ptr<Cryptor> cryptor;
  run.status = Cryptor::create(operation, options, key, iv, &cryptor);
  if (run.status != Cryptor::kSuccess) return run;
  for (qsizetype at = 0; at < in.size(); at += chunk) {
    const QByteArray piece = in.mid(at, chunk);
    QByteArray out(static_cast<qsizetype>(cryptor->outputLength(piece.size(), false)), '\0');
    std::size_t moved = 0;
    run.status = cryptor->update(piece.constData(), piece.size(), out.data(), out.size(), &moved);
    if (run.status != Cryptor::kSuccess) return run;
    run.out += out.left(static_cast<qsizetype>(moved));
  }
  QByteArray out(static_cast<qsizetype>(cryptor->outputLength(0, true)), '\0');
  std::size_t moved = 0;
  run.status = cryptor->final(out.data(), out.size(), &moved);
  run.out += out.left(static_cast<qsizetype>(moved));
  cryptor->release();
  return run;
}

TEST(CryptorTest, MatchesNistAes256CbcVectorsInAnyChunking) {
  for (qsizetype chunk : {qsizetype(64), qsizetype(16), qsizetype(7), qsizetype(1)}) {
    const CipherRun enc = runCryptor(Cryptor::kEncrypt, 0, kKey, kIV, kPlain, chunk);
    ASSERT_EQ(enc.status, Cryptor::kSuccess) << chunk;
    EXPECT_EQ(enc.out.toHex(), kCipher.toHex()) << chunk;
    const CipherRun dec = runCryptor(Cryptor::kDecrypt, 0, kKey, kIV, kCipher, chunk);
    ASSERT_EQ(dec.status, Cryptor::kSuccess) << chunk;
    EXPECT_EQ(dec.out.toHex(), kPlain.toHex()) << chunk;
  }
}

TEST(CryptorTest, PaddingAddsOneToSixteenBytesAndRoundTrips) {
  for (qsizetype n : {0, 1, 15, 16, 17, 64}) {
    const QByteArray plain = kPlain.left(n).leftJustified(n, 'x');
    const CipherRun enc =
        runCryptor(Cryptor::kEncrypt, Cryptor::kPKCS7Padding, kKey, kIV, plain, 5);
    ASSERT_EQ(enc.status, Cryptor::kSuccess);
    EXPECT_EQ(enc.out.size(), 16 * (n / 16 + 1)) << n;
    // The padded encryption of the NIST blocks starts with the NIST ciphertext.
    if (n == 64) {
      EXPECT_TRUE(enc.out.startsWith(kCipher));
    }
    const CipherRun dec =
        runCryptor(Cryptor::kDecrypt, Cryptor::kPKCS7Padding, kKey, kIV, enc.out, 3);
    ASSERT_EQ(dec.status, Cryptor::kSuccess) << n;
    EXPECT_EQ(dec.out, plain);
  }
}

TEST(CryptorTest, EcbEncryptsEachBlockAlone) {
  // F.1.5: AES-256-ECB of the same first block.
  const CipherRun enc =
      runCryptor(Cryptor::kEncrypt, Cryptor::kECBMode, kKey, QByteArray(), kPlain.left(16), 16);
  ASSERT_EQ(enc.status, Cryptor::kSuccess);
  EXPECT_EQ(enc.out.toHex(), QByteArray("f3eed1bdb5d2a03c064b5a7e3db181f8"));
}

TEST(CryptorTest, ReportsBadParametersAndBadInput) {
  struct Case {
    const char* what;
    std::uint32_t operation;
    std::uint32_t options;
    QByteArray key;
    QByteArray iv;
    QByteArray in;
    Cryptor::Status expected;
  };
  QByteArray badPadding = runCryptor(Cryptor::kEncrypt, 1, kKey, kIV, "abc", 16).out;
  badPadding[15] = static_cast<char>(badPadding[15] ^ 0x01);
  const Case cases[] = {
      {"key of 31 bytes", 0, 1, kKey.left(31), kIV, "x", Cryptor::kParamError},
      {"IV of 8 bytes", 0, 1, kKey, kIV.left(8), "x", Cryptor::kParamError},
      {"no IV", 1, 1, kKey, QByteArray(), kCipher, Cryptor::kParamError},
      {"unknown operation", 2, 1, kKey, kIV, "x", Cryptor::kParamError},
      {"unknown option", 0, 4, kKey, kIV, "x", Cryptor::kParamError},
      {"decrypt 17 bytes", 1, 1, kKey, kIV, kCipher.left(17), Cryptor::kAlignmentError},
      {"encrypt unpadded 17", 0, 0, kKey, kIV, kPlain.left(17), Cryptor::kAlignmentError},
      {"invalid padding", 1, 1, kKey, kIV, badPadding, Cryptor::kDecodeError},
      {"padding of a foreign key", 1, 1, QByteArray(32, 'k'), kIV, kCipher, Cryptor::kDecodeError},
  };
  for (const Case& c : cases) {
    const CipherRun run = runCryptor(c.operation, c.options, c.key, c.iv, c.in, 16);
    EXPECT_EQ(run.status, c.expected) << c.what;
  }
}

TEST(CryptorTest, RefusesShortOutputBuffersAndWorkAfterRelease) {
  std::unique_ptr<Cryptor> cryptor;
  ASSERT_EQ(Cryptor::create(Cryptor::kEncrypt, 1, kKey, kIV, &cryptor), Cryptor::kSuccess);
  char out[64];
  std::size_t moved = 99;
  EXPECT_EQ(cryptor->update(kPlain.constData(), 32, out, 31, &moved), Cryptor::kBufferTooSmall);
  EXPECT_EQ(moved, 0u);
  EXPECT_EQ(cryptor->update(kPlain.constData(), 20, out, 16, &moved), Cryptor::kSuccess);
  EXPECT_EQ(moved, 16u);
  EXPECT_EQ(cryptor->outputLength(0, true), 16u);
  EXPECT_EQ(cryptor->final(out, 15, &moved), Cryptor::kBufferTooSmall);
  cryptor->release();
  EXPECT_EQ(cryptor->final(out, sizeof out, &moved), Cryptor::kParamError);
}

}  // namespace
