#include "platform/rtl/Codepage.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values)
    s += static_cast<char>(v);
  return s;
}

TEST(Codepage, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b)
    all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

// Whatever the bytes, the screen gives back what it was shown: every pair,
// and every three-byte run that starts with a lead of a longer sequence. The
// one exception is the UTF-8 of a character above U+00FF that the code page
// has: it shows as that character and comes back as its byte.
bool HoldsCodePageSequence(const std::string& run) {
  for (size_t i = 0; i < run.size(); ++i) {
    char32_t cp = 0;
    if (Utf8SequenceAt(std::string_view(run).substr(i), cp) > 0 && cp > 0xFF &&
        Cp1252ByteOf(cp) >= 0)
      return true;
  }
  return false;
}

TEST(Codepage, ByteRunsSurviveTheRoundTrip) {
  auto check = [](const std::string& run) {
    if (HoldsCodePageSequence(run))
      return;
    ASSERT_EQ(Utf8ToCp1252(Cp1252ToUtf8(run)), run);
  };
  for (int a = 1; a < 256; ++a)
    for (int b = 1; b < 256; ++b)
      ASSERT_NO_FATAL_FAILURE(check(Bytes({a, b}))) << a << " " << b;
  for (int lead : {0xD0, 0xE0, 0xE2, 0xED, 0xEF, 0xF0, 0xF4})
    for (int b = 0x70; b < 0xD0; ++b)
      for (int c = 0x70; c < 0xD0; ++c)
        ASSERT_NO_FATAL_FAILURE(check(Bytes({lead, b, c}))) << lead << " " << b << " " << c;
  const std::pair<std::string, std::string> folded[] = {
      {"\xE2\x80\x99", "\x92"}, {"\xC5\x92", "\x8C"}, {"a\xE2\x82\xAC", "a\x80"}};
  for (const auto& [run, back] : folded)
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(run)), back);
}

// Text inside on the left, the screen's UTF-8 on the right; both ways.
TEST(Codepage, ConvertsBothWays) {
  struct Case {
    std::string inside, screen;
  };
  const Case cases[] = {
      {"abc", "abc"},
      {"\x80", "\xE2\x82\xAC"},           // euro sign
      {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"}, // été
      {"\x9C", "\xC5\x93"},               // oe ligature
      {"\xA0", "\xC2\xA0"},               // no-break space
      {"\x92", "\xE2\x80\x99"},           // right single quote
      // Characters the code page lacks are their own UTF-8 bytes inside.
      {"\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8",
       "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8"}, // Новости
      {"\xE4\xB8\xAD", "\xE4\xB8\xAD"},                             // a CJK character
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},                     // an emoji
      {"caf\xE9 \xD0\x96", "caf\xC3\xA9 \xD0\x96"},                 // mixed
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp1252ToUtf8(c.inside), c.screen) << c.screen;
    EXPECT_EQ(Utf8ToCp1252(c.screen), c.inside) << c.screen;
  }
}

// Bytes that are no sequence of a character above U+00FF show one by one as
// Windows-1252 characters.
TEST(Codepage, OtherBytesShowAsWindowsCharacters) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xC3\xA9", "\xC3\x83\xC2\xA9"}, // UTF-8 of é, not folded
      {"\xD0", "\xC3\x90"},             // a cut sequence
      {"\xD0"
       "a",
       "\xC3\x90"
       "a"},                                            // a lead without continuation
      {"\x9D", "\xC2\x9D"},                             // undefined byte: its C1 control
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                 // an overlong form
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"}, // a surrogate
      {"\xE2\x80", "\xC3\xA2\xE2\x82\xAC"},             // a cut three-byte sequence
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"}, // above U+10FFFF
  };
  for (const auto& [inside, screen] : cases)
    EXPECT_EQ(Cp1252ToUtf8(inside), screen) << screen;
}

TEST(Codepage, MalformedScreenBytesAreKept) {
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a\xC3");
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "\xC0\xAF");
  EXPECT_EQ(Utf8ToCp1252("\xC2\x81"), "\x81"); // the C1 control an undefined byte shows as
}

TEST(Codepage, Windows1252Bytes) {
  const std::pair<char32_t, int> cases[] = {
      {U'a', 'a'},    {0xA0, 0xA0}, {0xFF, 0xFF}, {0x20AC, 0x80}, {0x2026, 0x85}, {0x2122, 0x99},
      {0x0178, 0x9F}, {0x0081, -1}, {0x009F, -1}, {0x0100, -1},   {0x041D, -1},   {0x1F600, -1},
  };
  for (auto [cp, byte] : cases)
    EXPECT_EQ(Cp1252ByteOf(cp), byte) << static_cast<unsigned>(cp);
}

} // namespace
