#include "engine/Miscstr.h"
#include "tests/engine/Iconv.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
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

TEST(DecodeHtmlEntities, ReadsHexadecimalAndHighReferences) {
  const std::pair<const char*, const char*> cases[] = {
      {"bi&#xE8;res &#XE8; &#xe8; &#x00E8;", "bi\xE8res \xE8 \xE8 \xE8"},
      {"&#x41;&#x30;", ""}, // letters and digits stay out, as in decimal
      {"&#x;&#xZZ;&#x-1;", ""},
      {"Don&#8217;t &#x2019; &rsquo;", "Don\x92t \x92 \x92"},
      {"plan &#8211; explained&#8230; &#8364;&#8482;", "plan \x96 explained\x85 \x80\x99"},
      {"&#338;&#x153;", "\x8C\x9C"},
      {"&#1053;&#1086;&#x432;", "\xD0\x9D\xD0\xBE\xD0\xB2"}, // Cyrillic: its UTF-8
      {"&#20013;", "\xE4\xB8\xAD"},
      {"&#x1F600;", "\xF0\x9F\x98\x80"},
      {"&#512;", "\xC8\x80"},
      {"&#400;", ""},               // below 512 the table holds
      {"&#08217;", ""},             // not a reference of the table
      {"&#xD800;&#55296;", ""},     // surrogates are no characters
      {"&#1114112;", "&#1114112;"}, // ';' beyond the window
  };
  for (auto [in, out] : cases)
    EXPECT_EQ(Decoded(in), out) << in;
}

// A high reference gives the character's UTF-8 bytes, as iconv writes them,
// or the one byte Windows-1252 has for it; never more than the reference.
TEST(DecodeHtmlEntities, HighReferencesGiveTheirCharacter) {
  for (char32_t code = 512; code <= 0x10FFFF; code += code < 0x3000 ? 1 : 97) {
    if (code >= 0xD800 && code <= 0xDFFF)
      continue;
    const std::string utf8 = IconvUtf8Of(code);
    const int byte = IconvWindows1252Byte(code);
    const std::string expected = byte >= 0 ? std::string(1, static_cast<char>(byte)) : utf8;
    char hex[16];
    std::snprintf(hex, sizeof hex, "&#x%X;", static_cast<unsigned>(code));
    const std::string decimal = "&#" + std::to_string(code) + ";";
    for (const std::string& reference : {std::string(hex), decimal}) {
      if (reference.size() > 9)
        continue;
      const AnsiString decoded = Decoded(reference);
      ASSERT_EQ(decoded, expected) << reference;
      ASSERT_LE(decoded.size(), reference.size()) << reference;
    }
  }
}

// Every character Windows-1252 has above ASCII, written in UTF-8, folds to its
// byte, as iconv knows it; the no-break space becomes a blank.
TEST(FoldUtf8, FoldsEveryWindows1252Character) {
  int folded = 0;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    const auto utf8 = IconvConvert(std::string(1, static_cast<char>(byte)), "UTF-8", "CP1252");
    if (!utf8)
      continue; // one of the five bytes without a character
    const std::string expected(1, byte == 0xA0 ? ' ' : static_cast<char>(byte));
    EXPECT_EQ(Folded("<" + *utf8 + ">"), "<" + expected + ">") << byte;
    ++folded;
  }
  EXPECT_EQ(folded, 123); // 27 of 0x80 to 0x9F, 96 of 0xA0 to 0xFF
}

TEST(FoldUtf8, FoldsWhatTheCodePageHasAndKeepsTheRest) {
  const std::pair<const char*, const char*> cases[] = {
      // two-byte
      {"Bundesagentur f\xC3\xBCr Arbeit", "Bundesagentur f\xFCr Arbeit"},
      {"A\xC3\xB1o nuevo", "A\xF1o nuevo"},
      {"\xC3\x89"
       "cole \xC3\xA9t\xC3\xA9",
       "\xC9"
       "cole \xE9t\xE9"},
      {"\xC2\xA1Ol\xC3\xA9!", "\xA1Ol\xE9!"},
      {"c\xC5\x93ur \xC5\x92uvre \xC6\x92", "c\x9Cur \x8Cuvre \x83"},
      {"\xC2\xA0", " "},
      // three-byte
      {"Don\xE2\x80\x99t miss \xE2\x80\xA6 \xE2\x80\x93 tickets",
       "Don\x92t miss \x85 \x96 tickets"},
      {"\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x98q\xE2\x80\x99", "\x93q\x94 \x91q\x92"},
      {"5 \xE2\x82\xAC \xE2\x80\x94 \xE2\x84\xA2", "5 \x80 \x97 \x99"},
      // characters the code page lacks
      {"\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8",
       "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8"},
      {"\xE4\xB8\xAD\xE2\x82\xAC", "\xE4\xB8\xAD\x80"},
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {"\xC2\x85 \xC2\x81", "\xC2\x85 \xC2\x81"}, // C1 controls, not the ellipsis
      // malformed
      {"\xA9 \x80", "\xA9 \x80"},                         // lone continuation bytes
      {"x\xC3", "x\xC3"},                                 // cut at the end
      {"\xC3x\xC3\xC3\xA9", "\xC3x\xC3\xE9"},             // a lead without its continuation
      {"\xE2\x80x \xE2\x80", "\xE2\x80x \xE2\x80"},       // cut three-byte sequences
      {"\xC1\xA9 \xE0\x83\xA9", "\xC1\xA9 \xE0\x83\xA9"}, // overlong forms
      {"\xED\xA0\x80", "\xED\xA0\x80"},                   // a surrogate
  };
  for (auto [in, out] : cases)
    EXPECT_EQ(Folded(in), out) << in;
}

TEST(InPlaceText, NeverGrows) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> byte(1, 255);
  for (int trial = 0; trial < 3000; ++trial) {
    std::string text(1 + trial % 40, ' ');
    for (char& c : text)
      c = static_cast<char>(byte(random));
    if (trial % 2 == 0) // dense in references
      text = "&#x" + text.substr(0, 4) + ";&#" + std::to_string(trial * 37) + ";" + text;
    const size_t size = text.size();
    std::string folded = text;
    FoldUtf8(folded.data());
    std::string decoded = text;
    DecodeHtmlEntities(decoded.data());
    ASSERT_LE(std::strlen(folded.c_str()), size) << text;
    ASSERT_LE(std::strlen(decoded.c_str()), size) << text;
  }
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
