#include <gtest/gtest.h>

#include <limits>
#include <map>

#include "Common/RandomInRange.h"

namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(RandomInRangeTest, StaysInsideInclusiveBoundsAndReachesBothEnds) {
  struct Case {
    std::int64_t min;
    std::int64_t max;
  };
  for (const Case& c : {Case{5, 5}, Case{0, 1}, Case{-3, 3}, Case{1, 255}, Case{kMax - 2, kMax},
                        Case{kMin, kMin + 2}}) {
    std::map<std::int64_t, int> seen;
    for (int i = 0; i < 4000; ++i) {
      const std::int64_t r = randomInRange(c.min, c.max);
      ASSERT_GE(r, c.min);
      ASSERT_LE(r, c.max);
      ++seen[r];
    }
    EXPECT_EQ(seen.begin()->first, c.min) << c.min << ".." << c.max;
    EXPECT_EQ(seen.rbegin()->first, c.max) << c.min << ".." << c.max;
  }
}

TEST(RandomInRangeTest, ReversedRangeAnswersMin) {
  EXPECT_EQ(randomInRange(5, 4), 5);
  EXPECT_EQ(randomInRange(kMax, kMin), kMax);
}

// The identifier suffix draws from 1..32e12; a 31-bit generator could never pass 2^31.
TEST(RandomInRangeTest, WideSpansUseAllTheirBits) {
  int above31Bits = 0;
  int negative = 0;
  for (int i = 0; i < 200; ++i) {
    if (randomInRange(1, 32000000000000) > (std::int64_t(1) << 31)) ++above31Bits;
    if (randomInRange(kMin, kMax) < 0) ++negative;
  }
  EXPECT_GT(above31Bits, 190);
  EXPECT_GT(negative, 60);
  EXPECT_LT(negative, 140);
}

// Bias check: 3 values over a span where plain modulo of a small generator would skew.
TEST(RandomInRangeTest, SpreadsEvenly) {
  int counts[3] = {};
  const int draws = 30000;
  for (int i = 0; i < draws; ++i) ++counts[randomInRange(0, 2)];
  for (int count : counts) {
    EXPECT_NEAR(count, draws / 3, 450);  // about 5 standard deviations
  }
}

TEST(RandomInRangeTest, FractionIsInUnitInterval) {
  double low = 1.0;
  double high = 0.0;
  for (int i = 0; i < 2000; ++i) {
    const double f = randomFraction();
    ASSERT_GE(f, 0.0);
    ASSERT_LE(f, 1.0);
    low = std::min(low, f);
    high = std::max(high, f);
  }
  EXPECT_LT(low, 0.01);
  EXPECT_GT(high, 0.99);
}

}  // namespace
