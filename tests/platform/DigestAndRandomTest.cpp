#include <gtest/gtest.h>

#include <QByteArray>
#include <QSet>

#include "platform/crypto/SecureRandom.h"
#include "platform/crypto/Sha1.h"

namespace {

TEST(Sha1Test, MatchesFips180Vectors) {
  const std::pair<QByteArray, const char*> cases[] = {
      {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {QByteArray(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
  };
  for (const auto& [input, digest] : cases) {
    EXPECT_EQ(Sha1::digest(input).toHex(), QByteArray(digest)) << input.left(10).constData();
  }
}

TEST(SecureRandomTest, FillsEveryByteAndNeverRepeats) {
  QSet<QByteArray> seen;
  for (int i = 0; i < 50; ++i) {
    QByteArray bytes(16, '\0');
    ASSERT_EQ(SecureRandom::copyBytes(bytes.data(), 16), 0);
    seen.insert(bytes);
  }
  EXPECT_EQ(seen.size(), 50);
  // Over 4096 bytes every value 0..255 turns up (the chance that one is missing is ~1e-5).
  QByteArray many(4096, '\0');
  ASSERT_EQ(SecureRandom::copyBytes(many.data(), 4096), 0);
  QSet<char> values(many.begin(), many.end());
  EXPECT_EQ(values.size(), 256);
  EXPECT_EQ(SecureRandom::copyBytes(nullptr, 0), 0);
}

}  // namespace
