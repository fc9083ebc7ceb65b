#include "platform/rtl/Codepage.h"

#include <gtest/gtest.h>

TEST(Codepage, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b)
    all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Codepage, KnownCharacters) {
  struct Case {
    std::string cp1252, utf8;
  };
  const Case cases[] = {
      {"abc", "abc"},
      {"\x80", "\xE2\x82\xAC"},           // euro sign
      {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"}, // été
      {"\x9C", "\xC5\x93"},               // oe ligature
      {"\xA0", "\xC2\xA0"},               // no-break space
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
  }
}

TEST(Codepage, Utf8WithoutWindowsByteOrMalformed) {
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");    // a CJK character
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a\xC3");       // cut sequence kept as bytes
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "\xC0\xAF"); // overlong form kept as bytes
}
