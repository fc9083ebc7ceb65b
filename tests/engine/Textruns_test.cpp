// The in-place text functions move the text between the characters they act
// on in runs. Held against the same functions written one character at a
// time, on made texts dense with those characters and on every corpus page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "engine/Htmltools.h"
#include "engine/Miscstr.h"
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
    in += k + 1;
  }
  *out = '\0';
  return 0;
}

int CharFoldUtf8(char* text) {
  char* out = text;
  const char* in = text;
  while (*in != '\0') {
    const auto lead = static_cast<unsigned char>(in[0]);
    const auto trail = static_cast<unsigned char>(in[1]);
    const auto& table = Utf8FoldTable();
    auto row = std::find_if(table.begin(), table.end(),
                            [&](const TUtf8Fold& f) { return f.Lead == lead && f.Trail == trail; });
    if (row != table.end()) {
      *out++ = row->Replacement;
      in += 2;
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
  const std::string letters = std::string("<>\"&;#amp1lt a\n\r\t\x1B\xC2\xC3\xC5\xA0\xA9\x93", 24);
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
