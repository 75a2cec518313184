#include <gtest/gtest.h>

#include <QByteArray>

#include "platform/crypto/KeyDerivation.h"

namespace {

struct Pbkdf2Case {
  QByteArray password;
  QByteArray salt;
  unsigned rounds;
  const char* derivedHex;
};

// RFC 6070 (the 16777216-round case is left out for time).
TEST(KeyDerivationTest, MatchesRfc6070Vectors) {
  const Pbkdf2Case cases[] = {
      {"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
      {"password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
      {"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
      {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
       "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
      {QByteArray("pass\0word", 9), QByteArray("sa\0lt", 5), 4096,
       "56fa6aa75548099dcc37d7f03425e0c3"},
  };
  for (const Pbkdf2Case& c : cases) {
    const QByteArray expected = QByteArray::fromHex(c.derivedHex);
    QByteArray derived(expected.size(), '\0');
    ASSERT_EQ(KeyDerivation::pbkdf2HmacSha1(c.password, c.salt, c.rounds,
                                            reinterpret_cast<std::uint8_t*>(derived.data()),
                                            static_cast<std::size_t>(derived.size())),
              0);
    EXPECT_EQ(derived.toHex(), expected.toHex()) << c.password.constData() << " " << c.rounds;
  }
}

TEST(KeyDerivationTest, RefusesZeroRoundsAndNoOutputAndCountsWork) {
  std::uint8_t out[32];
  const std::uint64_t before = KeyDerivation::derivationCount();
  EXPECT_NE(KeyDerivation::pbkdf2HmacSha1("p", "salt", 0, out, sizeof out), 0);
  EXPECT_NE(KeyDerivation::pbkdf2HmacSha1("p", "salt", 1, nullptr, 32), 0);
  EXPECT_EQ(KeyDerivation::derivationCount(), before);
  EXPECT_EQ(KeyDerivation::pbkdf2HmacSha1("", "", 1, out, sizeof out), 0);
  EXPECT_EQ(KeyDerivation::derivationCount(), before + 1);
}

}  // namespace
