// The in-place text functions move the text between the characters they act
// on in runs. Held against the same functions written one character at a
// time, on made texts dense with those characters and on every corpus page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "engine/Htmltools.h"
#include "engine/Miscstr.h"
#include "tests/engine/Iconv.h"
#include "tests/support/TempDir.h"

namespace {

int CharStripTags(char* text) {
  int tags = 0;
  char* out = text;
  const char* in = text;
  while (*in != '\0') {
    if (*in != '<') {
      *out++ = *in++;
      continue;
    }
    ++tags;
    const char* close = std::strchr(in, '>');
    if (close == nullptr)
      break;
    in = close + 1;
  }
  *out = '\0';
  return tags;
}

// The Windows-1252 byte of a character, as iconv has it; -1 when none.
int IconvByte(char32_t code) {
  static std::map<char32_t, int> known;
  auto found = known.find(code);
  if (found != known.end())
    return found->second;
  const int byte = IconvWindows1252Byte(code);
  return known[code] = byte;
}

// Writes the UTF-8 of a code point, one bit field at a time.
char* PutUtf8(char* out, unsigned long code) {
  if (code < 0x800) {
    *out++ = static_cast<char>(0xC0 | (code >> 6));
  } else if (code < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (code >> 12));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (code >> 18));
    *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  }
  *out++ = static_cast<char>(0x80 | (code & 0x3F));
  return out;
}

// A numeric reference the table does not list, read with the library.
char* CharNumeric(char* out, const std::string& entity) {
  const bool hex = entity.size() > 3 && std::tolower(entity[2]) == 'x';
  const std::string digits = entity.substr(hex ? 3 : 2, entity.size() - (hex ? 4 : 3));
  if (digits.empty() || (!hex && digits[0] == '0') ||
      digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
    return out;
  const unsigned long code = std::stoul(digits, nullptr, hex ? 16 : 10);
  if ((!hex && code < 512) || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return out;
  if (code < 512) {
    const std::string decimal = "&#" + std::to_string(code) + ";";
    for (const auto& e : HtmlEntityTable())
      if (e.Entity == decimal)
        *out++ = e.Replacement;
    return out;
  }
  const int byte = IconvByte(static_cast<char32_t>(code));
  if (byte >= 0) {
    *out++ = static_cast<char>(byte);
    return out;
  }
  return PutUtf8(out, code);
}

int CharDecodeHtmlEntities(char* text) {
  char* out = text;
  const char* in = text;
  while (*in != '\0') {
    if (*in != '&') {
      *out++ = *in++;
      continue;
    }
    int k = 1;
    while (k <= 8 && in[k] != '\0' && in[k] != ';')
      ++k;
    if (k > 8 || in[k] != ';') {
      *out++ = *in++;
      continue;
    }
    const std::string entity(in, k + 1);
    const auto& table = HtmlEntityTable();
    auto row = std::find_if(table.begin(), table.end(),
                            [&](const THtmlEntity& e) { return e.Entity == entity; });
    if (row != table.end())
      *out++ = row->Replacement;
    else if (entity[1] == '#')
      out = CharNumeric(out, entity);
    in += k + 1;
  }
  *out = '\0';
  return 0;
}

bool IsContinuation(const char* p) {
  return (static_cast<unsigned char>(*p) & 0xC0) == 0x80;
}

// The character of a well-formed two- or three-byte sequence at in, or -1.
long SequenceCode(const char* in, int& length) {
  const auto lead = static_cast<unsigned char>(in[0]);
  if (lead >= 0xC2 && lead <= 0xDF && IsContinuation(in + 1)) {
    length = 2;
    return ((lead & 0x1F) << 6) | (in[1] & 0x3F);
  }
  if (lead >= 0xE0 && lead <= 0xEF && IsContinuation(in + 1) && IsContinuation(in + 2)) {
    length = 3;
    const long code = ((lead & 0x0F) << 12) | ((in[1] & 0x3F) << 6) | (in[2] & 0x3F);
    return code < 0x800 || (code >= 0xD800 && code <= 0xDFFF) ? -1 : code;
  }
  return -1;
}

int CharFoldUtf8(char* text) {
  char* out = text;
  const char* in = text;
  while (*in != '\0') {
    int length = 1;
    const long code = SequenceCode(in, length);
    const int byte =
        code == 0xA0 ? ' ' : (code > 0xA0 ? IconvByte(static_cast<char32_t>(code)) : -1);
    if (byte >= 0) {
      *out++ = static_cast<char>(byte);
      in += length;
      continue;
    }
    *out++ = *in++;
  }
  *out = '\0';
  return 0;
}

int CharControlsToBlanks(char* text) {
  int count = 0;
  for (char* p = text; *p != '\0'; ++p) {
    if (*p == '\t' || *p == '\n' || *p == '\r' || *p == '\x1B') {
      *p = ' ';
      ++count;
    }
  }
  return count;
}

int CharMaskQuotedBrackets(char* text) {
  int count = 0;
  TQuoteMask mask;
  for (char* p = text; *p != '\0'; ++p) {
    const char masked = mask.Feed(*p);
    count += masked != *p ? 1 : 0;
    *p = masked;
  }
  return count;
}

using TInPlace = int (*)(char*);

struct TPair {
  const char* name;
  TInPlace runs;
  TInPlace chars;
};

const TPair Pairs[] = {
    {"StripTags", StripTags, CharStripTags},
    {"DecodeHtmlEntities", DecodeHtmlEntities, CharDecodeHtmlEntities},
    {"FoldUtf8", FoldUtf8, CharFoldUtf8},
    {"ControlsToBlanks", ControlsToBlanks, CharControlsToBlanks},
    {"MaskQuotedBrackets", MaskQuotedBrackets, CharMaskQuotedBrackets},
};

void ExpectSame(const TPair& pair, const std::string& text, const std::string& what) {
  std::string runs = text;
  std::string chars = text;
  const int runsResult = pair.runs(runs.data());
  const int charsResult = pair.chars(chars.data());
  ASSERT_EQ(runsResult, charsResult) << pair.name << " " << what;
  ASSERT_STREQ(runs.c_str(), chars.c_str()) << pair.name << " " << what;
}

} // namespace

TEST(TextRuns, EqualTheCharacterWalkOnMadeTexts) {
  const std::string letters = std::string(
      "<>\"&;#amp1lt a\n\r\t\x1B\xC2\xC3\xC5\xA0\xA9\x93xE82\xE2\x80\x99\xD0\x9D\xED", 34);
  std::mt19937 random(3);
  std::uniform_int_distribution<size_t> pick(0, letters.size() - 1);
  for (const TPair& pair : Pairs) {
    for (int trial = 0; trial < 400; ++trial) {
      std::string text(1 + trial % 60, ' ');
      for (char& c : text)
        c = letters[pick(random)];
      ExpectSame(pair, text, "on \"" + text + "\"");
    }
  }
}

TEST(TextRuns, EqualTheCharacterWalkOnEveryCorpusPage) {
  int pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(WT_CORPUS_DIR)) {
    if (entry.path().extension() != ".html")
      continue;
    const std::string page = ReadFileBytes(entry.path().string());
    for (const TPair& pair : Pairs)
      ExpectSame(pair, page, entry.path().filename().string());
    ++pages;
  }
  EXPECT_GT(pages, 100);
}
