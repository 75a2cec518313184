#include <gtest/gtest.h>

#include <QByteArray>
#include <cstdlib>

#include "platform/crypto/CipherTextEncoding.h"

namespace {

QByteArray encode(const QByteArray& in) {
  std::int32_t length = -1;
  char* out = base64Encode(reinterpret_cast<const unsigned char*>(in.data()),
                           static_cast<std::int32_t>(in.size()), &length);
  EXPECT_NE(out, nullptr);
  QByteArray text(out, length);
  std::free(out);
  return text;
}

std::optional<QByteArray> decode(const QByteArray& text) {
  std::int32_t length = -1;
  unsigned char* out = base64Decode(text.data(), static_cast<std::int32_t>(text.size()), &length);
  if (out == nullptr) return std::nullopt;
  QByteArray bytes(reinterpret_cast<char*>(out), length);
  std::free(out);
  return bytes;
}

// RFC 4648 test vectors, one line whatever the length.
TEST(CipherTextEncodingTest, Base64MatchesRfc4648AndRoundTrips) {
  const std::pair<QByteArray, QByteArray> cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, text] : cases) {
    EXPECT_EQ(encode(plain), text);
    if (!text.isEmpty()) {
      EXPECT_EQ(decode(text), plain);
    }
  }
  const QByteArray long100(100, '\xA5');
  const QByteArray text = encode(long100);
  EXPECT_FALSE(text.contains('\n'));
  EXPECT_EQ(decode(text), long100);
}

TEST(CipherTextEncodingTest, Base64DecodeRefusesMalformedText) {
  for (const QByteArray& text :
       {QByteArray(""), QByteArray("Zg="), QByteArray("Zg=a"), QByteArray("Z==="),
        QByteArray("Zm9v\n"), QByteArray("Zm9$"), QByteArray("Zm9vYg==Zm9v"), QByteArray("=")}) {
    EXPECT_FALSE(decode(text).has_value()) << text.constData();
  }
}

TEST(CipherTextEncodingTest, EncodeIntoRefusesShortBuffer) {
  char out[9];
  const auto* in = reinterpret_cast<const unsigned char*>("foobar");
  EXPECT_EQ(base64EncodeInto(in, 6, out, 8), -1);  // no room for the NUL
  EXPECT_EQ(base64EncodeInto(in, 6, out, 9), 8);
  EXPECT_STREQ(out, "Zm9vYmFy");
}

TEST(CipherTextEncodingTest, HexIsLowerCaseTwoDigitsPerByte) {
  const unsigned char in[] = {0x00, 0x0f, 0xa5, 0xff};
  char* text = hexString(in, 4);
  EXPECT_STREQ(text, "000fa5ff");
  std::free(text);
  text = hexString(in, 0);
  EXPECT_STREQ(text, "");
  std::free(text);
  EXPECT_EQ(hexString(nullptr, 3), nullptr);
}

}  // namespace
