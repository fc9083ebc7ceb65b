// Texts sort as the user's locale orders them, on what the screen shows: a
// character the code page lacks (kept as its UTF-8 bytes) sorts as itself.
#include "platform/rtl/Codepage.h"
#include "platform/rtl/Stringlist.h"
#include "tests/support/Collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <vector>

namespace {

using TCompare = int (*)(const AnsiString&, const AnsiString&);

// The words given in UTF-8, sorted as Windows-1252 text, shown in UTF-8.
std::vector<std::string> Sorted(std::vector<std::string> words, TCompare compare) {
  for (auto& w : words)
    w = Utf8ToCp1252(w);
  std::sort(words.begin(), words.end(),
            [&](const AnsiString& a, const AnsiString& b) { return compare(a, b) < 0; });
  for (auto& w : words)
    w = Cp1252ToUtf8(w);
  return words;
}

const std::vector<std::string> kWords = {"zoo",    "École",  "apple", "Zebra", "Новости",
                                         "éclair", "Eclair", "Öl",    "Ofen",  "œuvre",
                                         "Ñandú",  "nube",   "Über",  "Ufer",  "новый"};

TEST(Collation, SortsInTheUsersLocale) {
  const std::vector<std::string> expected = {"apple", "Eclair", "éclair", "École",   "Ñandú",
                                             "nube",  "œuvre",  "Ofen",   "Öl",      "Über",
                                             "Ufer",  "Zebra",  "zoo",    "Новости", "новый"};
  for (const char* name : kCollationLocales) {
    TCollationLocale locale(name);
    if (!locale.Active())
      continue;
    EXPECT_EQ(Sorted(kWords, AnsiCompareStr), expected) << name;
    EXPECT_EQ(Sorted(kWords, AnsiCompareText), expected) << name;
  }
}

// Without a locale of the user's, the order is that of the characters.
TEST(Collation, PlainLocaleOrdersByCharacter) {
  TCollationLocale locale("C");
  const std::vector<std::string> expected = {"Eclair", "Ofen",   "Ufer",  "Zebra",   "apple",
                                             "nube",   "zoo",    "École", "Ñandú",   "Öl",
                                             "Über",   "éclair", "œuvre", "Новости", "новый"};
  EXPECT_EQ(Sorted(kWords, AnsiCompareStr), expected);
}

TEST(Collation, OnlyEqualTextsCompareEqual) {
  for (const char* name : kCollationLocales) {
    TCollationLocale locale(name);
    if (!locale.Active())
      continue;
    struct Case {
      const char* a;
      const char* b;
      int str, text;
    };
    const Case cases[] = {
        {"apple", "apple", 0, 0},
        {"apple", "APPLE", -1, 0},
        {"apple", "APPLES", -1, -1},
        {"Ofen", "Of\xC9n", -1, -1},
        {"\xC9"
         "cole",
         "\xE9"
         "cole",
         1, 0},                                         // École, école
        {"\xD0\x9D\xD0\x9E", "\xD0\xBD\xD0\xBE", 1, 0}, // НО, но
        {"Zebra", "apple", 1, 1},
        {"\xC9"
         "cole",
         "zoo", -1, -1},
        {"a b", "ab", -1, -1},
        {"c\xF4t\xE9", "cot\xE9", 1, 1}, // côté after coté
    };
    for (const Case& c : cases) {
      EXPECT_EQ(AnsiCompareStr(c.a, c.b), c.str) << name << " " << c.a << " " << c.b;
      EXPECT_EQ(AnsiCompareStr(c.b, c.a), -c.str) << name << " " << c.b << " " << c.a;
      EXPECT_EQ(AnsiCompareText(c.a, c.b), c.text) << name << " " << c.a << " " << c.b;
      EXPECT_EQ(AnsiCompareText(c.b, c.a), -c.text) << name << " " << c.b << " " << c.a;
      EXPECT_EQ(AnsiSameText(c.a, c.b), c.text == 0) << name << " " << c.a << " " << c.b;
      EXPECT_EQ(CaseBlindKey(c.a) == CaseBlindKey(c.b), c.text == 0)
          << name << " " << c.a << " " << c.b;
      // The keyword filter lowers as the case-blind comparison does.
      EXPECT_EQ(LowerScreenText(c.a) == LowerScreenText(c.b), c.text == 0) << name << " " << c.a;
    }
  }
}

// The screen's text in lower case: Windows-1252 letters, the code page's
// own above 0x7F among them, and letters kept as their UTF-8 bytes.
TEST(LowerScreenText, EveryLetterAsTheScreenShowsIt) {
  EXPECT_EQ(LowerScreenText("\xC9LECTION"), "\xC3\xA9lection");
  EXPECT_EQ(LowerScreenText("\x8Cuvres"), "\xC5\x93uvres");
  EXPECT_EQ(LowerScreenText("\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"),
            "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0");
  EXPECT_EQ(LowerScreenText("5 \x80"), "5 \xE2\x82\xAC");
}

} // namespace
