#include "engine/Miscstr.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <memory>
#include <set>
#include <strings.h>

namespace {

AnsiString Decoded(AnsiString text) {
  EXPECT_EQ(DecodeHtmlEntities(text.data()), 0);
  return text.c_str();
}

AnsiString Folded(AnsiString text) {
  EXPECT_EQ(FoldUtf8(text.data()), 0);
  return text.c_str();
}

// The byte a code point has in another character set through iconv, or -1.
int Convert(int code, const char* target) {
  setlocale(LC_ALL, "C.UTF-8");
  iconv_t cd = iconv_open(target, "UTF-8");
  char in[3] = {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F)), 0};
  char out[8] = {};
  char* ip = in;
  char* op = out;
  size_t il = 2, ol = sizeof out - 1;
  size_t rc = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1) || op - out != 1)
    return -1;
  return static_cast<unsigned char>(out[0]);
}

TEST(EntityTable, NumericReferencesFollowTheirRules) {
  const auto& table = HtmlEntityTable();
  ASSERT_EQ(table.size(), 435u);
  std::vector<std::pair<int, unsigned char>> numeric;
  for (size_t i = 0; i < 310; ++i) {
    const auto& e = table[i];
    ASSERT_EQ(e.Entity.compare(0, 2, "&#"), 0) << e.Entity;
    ASSERT_EQ(e.Entity.back(), ';');
    numeric.emplace_back(std::stoi(e.Entity.substr(2)), static_cast<unsigned char>(e.Replacement));
    EXPECT_EQ("&#" + std::to_string(numeric.back().first) + ";", e.Entity);
  }
  EXPECT_TRUE(std::is_sorted(numeric.begin(), numeric.end()));
  auto lookup = [&](int code) -> int {
    for (auto [c, b] : numeric)
      if (c == code)
        return b;
    return -1;
  };
  const std::set<int> absent = {127, 129, 141, 143, 144, 157};
  for (int code = 33; code <= 255; ++code) {
    bool present = !std::isalnum(code) && !absent.count(code);
    EXPECT_EQ(lookup(code), present ? code : -1) << code;
  }
  const std::set<int> question = {306, 307, 312, 319, 320, 329, 330, 331, 383};
  for (int code = 256; code <= 383; ++code) {
    int expected = Convert(code, "CP1252");
    if (code == 272)
      expected = 0xD0;
    else if (question.count(code))
      expected = '?';
    else if (expected < 0)
      expected = Convert(code, "ASCII//TRANSLIT");
    EXPECT_EQ(lookup(code), expected) << code;
  }
  const std::string pinyin = "AaIiOoUuUuUuUuUu";
  for (int code = 384; code <= 511; ++code) {
    int expected = -1;
    if (code == 402)
      expected = 0x83;
    else if (code == 416 || code == 417)
      expected = code == 416 ? 'O' : 'o';
    else if (code == 431 || code == 432)
      expected = code == 431 ? 'U' : 'u';
    else if (code >= 461 && code <= 476)
      expected = pinyin[code - 461];
    else if (code >= 506)
      expected = '?';
    EXPECT_EQ(lookup(code), expected) << code;
  }
}

TEST(EntityTable, NamedEntitiesAreTheWindows1252Ones) {
  const auto& table = HtmlEntityTable();
  std::vector<THtmlEntity> named(table.begin() + 310, table.end());
  ASSERT_EQ(named.size(), 125u);
  EXPECT_EQ(named.front().Entity, "&Aacute;");
  EXPECT_EQ(named[1].Entity, "&aacute;");
  EXPECT_EQ(named.back().Entity, "&yuml;");
  EXPECT_TRUE(std::is_sorted(named.begin(), named.end(), [](const auto& a, const auto& b) {
    return strcasecmp(a.Entity.c_str(), b.Entity.c_str()) < 0;
  }));
  // The Latin-1 entities cover A0 to FF once each.
  std::multiset<int> high;
  for (const auto& e : named)
    if (static_cast<unsigned char>(e.Replacement) >= 0xA0)
      high.insert(static_cast<unsigned char>(e.Replacement));
  EXPECT_EQ(high.size(), 96u);
  EXPECT_EQ(std::set<int>(high.begin(), high.end()).size(), 96u);
  const std::pair<const char*, unsigned char> expected[] = {
      {"&nbsp;", 0xA0},  {"&euro;", 0x80},   {"&hellip;", 0x85}, {"&oelig;", 0x9C},
      {"&OElig;", 0x8C}, {"&trade;", 0x99},  {"&yuml;", 0xFF},   {"&Yuml;", 0x9F},
      {"&quot;", '"'},   {"&amp;", '&'},     {"&lt;", '<'},      {"&gt;", '>'},
      {"&ndash;", 0x96}, {"&mdash;", 0x97},  {"&bdquo;", 0x84},  {"&Dagger;", 0x87},
      {"&fnof;", 0x83},  {"&lsaquo;", 0x8B}, {"&tilde;", 0x98},  {"&eacute;", 0xE9},
  };
  for (auto [entity, byte] : expected) {
    auto row = std::find_if(named.begin(), named.end(),
                            [&](const THtmlEntity& e) { return e.Entity == entity; });
    ASSERT_NE(row, named.end()) << entity;
    EXPECT_EQ(static_cast<unsigned char>(row->Replacement), byte) << entity;
  }
}

TEST(DecodeHtmlEntities, DecodesInOnePass) {
  const std::pair<const char*, const char*> cases[] = {
      {"&amp;lt;", "&lt;"},
      {"a &foo; b", "a  b"},
      {"AT&T rocks", "AT&T rocks"},
      {"x &abcdefgh; y", "x &abcdefgh; y"}, // ';' at offset 9: stays
      {"x &abcdefg; y", "x  y"},            // ';' at offset 8: an unknown entity
      {"&abcdefghi; y", "&abcdefghi; y"},   // beyond the window
      {"&#65;&#48;", ""},
      {"caf&#233; caf&eacute;", "caf\xE9 caf\xE9"},
      {"&#338;uvre &#256;&#257;&#286;", "\x8Cuvre AaG"},
      {"&EACUTE;", ""}, // names are exact
      {"&", "&"},
      {"tail &amp", "tail &amp"},
      {"&;", ""},
      {"&nbsp;&euro;&hellip;", "\xA0\x80\x85"},
  };
  for (auto [in, out] : cases)
    EXPECT_EQ(Decoded(in), out) << in;
}

TEST(FoldUtf8, FoldsTheTableAndKeepsOtherBytes) {
  for (const auto& row : Utf8FoldTable()) {
    const char pair[] = {static_cast<char>(row.Lead), static_cast<char>(row.Trail), 0};
    EXPECT_EQ(Folded(std::string("x") + pair + "y"), std::string("x") + row.Replacement + "y");
  }
  EXPECT_EQ(Utf8FoldTable().size(), 15u);
  const std::pair<const char*, const char*> cases[] = {
      {"\xC3\xA9t\xC3\xA9", "\xE9t\xE9"},
      {"\xC2\xA0", " "},
      {"c\xC5\x93ur", "c\x9Cur"},
      {"\xC3\x89", "\xC3\x89"}, // a capital is not in the table
      {"\xC3", "\xC3"},
      {"\xC3\xC3\xA9", "\xC3\xE9"},
      {"\xE2\x82\xAC", "\xE2\x82\xAC"},
  };
  for (auto [in, out] : cases)
    EXPECT_EQ(Folded(in), out) << in;
}

TEST(ControlsToBlanks, ReplacesTabLineEndsAndEscape) {
  AnsiString text = "a\tb\nc\rd\x1B"
                    "e\x01";
  EXPECT_EQ(ControlsToBlanks(text.data()), 4);
  EXPECT_EQ(text, "a b c d e\x01");
  EXPECT_EQ(ControlsToBlanks(nullptr), 0);
}

TEST(ReplaceAll, ReplacesUntilNoneIsLeft) {
  struct Case {
    const char* text;
    const char* pattern;
    const char* replacement;
    const char* result;
  };
  const Case cases[] = {
      {"http://h/./a/./b", "/./", "/", "http://h/a/b"},
      {"/././x", "/./", "/", "/x"},
      {"aaaa", "aa", "a", "a"},
      {"abc", "b", "bb", "abc"}, // the replacement holds the pattern
      {"abc", "", "x", "abc"},
      {"abc", "z", "y", "abc"},
      {"a-b-c", "-", "", "abc"},
      {"", "a", "b", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement), c.result) << c.text;
}

TEST(DuplicateBytes, CopiesAndTerminates) {
  std::unique_ptr<char[]> part(DuplicateBytes("abcdef", 3));
  EXPECT_STREQ(part.get(), "abc");
  std::unique_ptr<char[]> whole(DuplicateBytes("abcdef"));
  EXPECT_STREQ(whole.get(), "abcdef");
  std::unique_ptr<char[]> none(DuplicateBytes(nullptr, 5));
  EXPECT_STREQ(none.get(), "");
  const char bytes[] = {'a', '\0', 'b'};
  std::unique_ptr<char[]> binary(DuplicateBytes(bytes, 3));
  EXPECT_EQ(std::memcmp(binary.get(), bytes, 3), 0);
  EXPECT_EQ(binary[3], '\0');
}

} // namespace
