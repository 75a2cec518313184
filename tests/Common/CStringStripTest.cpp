#include <gtest/gtest.h>

#include <string>

#include "Common/CStringStrip.h"

namespace {

TEST(CStringStripTest, StripsInPlace) {
  struct Case {
    const char* input;
    char character;
    const char* stripped;
    const char* blanksStripped;
  };
  const Case cases[] = {
      {"a-b--c-", '-', "abc", "a-b--c-"},
      {"", 'x', "", ""},
      {"xxx", 'x', "", "xxx"},
      {" a\tb \r\n c\n", ' ', "a\tb\r\nc\n", "a\tbc"},
      {"\r\n\r\n", '\n', "\r\r", ""},
  };
  for (const Case& c : cases) {
    std::string one = c.input;
    EXPECT_EQ(stripChar(one.data(), c.character), one.data());
    EXPECT_STREQ(one.c_str(), c.stripped) << c.input;
    std::string two = c.input;
    EXPECT_EQ(stripBlanks(two.data()), two.data());
    EXPECT_STREQ(two.c_str(), c.blanksStripped) << c.input;
  }
  EXPECT_EQ(stripChar(nullptr, 'a'), nullptr);
  EXPECT_EQ(stripBlanks(nullptr), nullptr);
  std::string keep = "abc";
  EXPECT_STREQ(stripChar(keep.data(), '\0'), "abc");
}

}  // namespace
