#include <gtest/gtest.h>

#include "window/CopiedField.h"

namespace {

TEST(CopiedField, NoticeTimesAreClampedToThreeToThirtyTenths) {
  const std::pair<qint64, int> cases[] = {
      {10, 10}, {0, 3},   {1, 3},   {2, 3},     {-5, 3},
      {3, 3},   {30, 30}, {31, 30}, {1000, 30}, {std::numeric_limits<qint64>::min(), 3}};
  for (const auto& [setting, tenths] : cases)
    EXPECT_EQ(CopiedField::noticeTenths(setting), tenths) << setting;
}

TEST(CopiedField, WordsCoverTheTenCodesOnly) {
  EXPECT_EQ(CopiedField::word(0), QStringLiteral("category"));
  EXPECT_EQ(CopiedField::word(4), QStringLiteral("user id"));
  EXPECT_EQ(CopiedField::word(9), QStringLiteral("note"));
  for (int tag : {-1, 10, 1000}) EXPECT_FALSE(CopiedField::word(tag)) << tag;
  EXPECT_EQ(CopiedField::noticeText(*CopiedField::word(5)), QStringLiteral("password copied"));
  // Category and note copies show no notice; only the three secrets are secret.
  int noticed = 0, secret = 0;
  for (const auto& c : CopiedField::copies()) {
    noticed += c.noticeTag.has_value();
    secret += c.secret;
  }
  EXPECT_EQ(CopiedField::copies().size(), 10u);
  EXPECT_EQ(noticed, 8);
  EXPECT_EQ(secret, 3);
  EXPECT_FALSE(CopiedField::forAction(QStringLiteral("copyNote:"))->noticeTag);
}

}  // namespace
