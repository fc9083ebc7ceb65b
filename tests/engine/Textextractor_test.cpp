#include "engine/Textextractor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace {

struct EditCase {
  const char* in;
  const char* out;
  int result;
};

// Runs an in-place function on a buffer sized exactly to the text, so that a
// read before the start or past the end shows under the address sanitizer.
void CheckEdits(const char* name, const std::function<int(char*)>& edit,
                std::initializer_list<EditCase> cases) {
  for (const auto& c : cases) {
    const size_t n = std::strlen(c.in);
    std::unique_ptr<char[]> buffer(new char[n + 1]);
    std::memcpy(buffer.get(), c.in, n + 1);
    EXPECT_EQ(edit(buffer.get()), c.result) << name << " on \"" << c.in << "\"";
    EXPECT_STREQ(buffer.get(), c.out) << name << " on \"" << c.in << "\"";
  }
  EXPECT_EQ(edit(nullptr), 0) << name << " on null";
}

TEST(CStringFunctions, EditInPlace) {
  CheckEdits("StripLineEnd", StripLineEnd,
             {{"abc\r\n", "abc", 1},
              {"abc\n", "abc", 1},
              {"abc\r", "abc", 1},
              {"ab\nc", "ab", 1},
              {"abc", "abc", 0},
              {"\n", "", 1},
              {"x", "x", 0},
              {"", "", 0}});
  CheckEdits("RemoveBlanksAndTabs", RemoveBlanksAndTabs,
             {{" a\tb c\n", "abc\n", 3}, {"", "", 0}, {"x", "x", 0}});
  CheckEdits("RemoveChar", [](char* t) { return RemoveChar(t, '-'); },
             {{"-a--b-", "ab", 4}, {"-", "", 1}, {"", "", 0}});
  CheckEdits("TrimLeftChar", [](char* t) { return TrimLeftChar(t, '0'); },
             {{"007", "7", 2}, {"000", "", 3}, {"70", "70", 0}, {"", "", 0}});
  CheckEdits("TrimLeftBlanks", TrimLeftBlanks, {{"  a b ", "a b ", 2}, {" ", "", 1}, {"", "", 0}});
  CheckEdits("TrimRightChar",
             [](char* t) {
               TrimRightChar(t, '.');
               return 0;
             },
             {{"a...", "a", 0}, {".", "", 0}, {"", "", 0}, {"a.b", "a.b", 0}});
  CheckEdits("TrimRightBlanks",
             [](char* t) {
               TrimRightBlanks(t);
               return 0;
             },
             {{"a b  ", "a b", 0}, {" ", "", 0}, {"a\t", "a\t", 0}});
}

TEST(CStringFunctions, StripEnclosingPairs) {
  const char* pairs = "()[]";
  CheckEdits("StripEnclosingPairs", [&](char* t) { return StripEnclosingPairs(t, pairs); },
             {{"[(x)]", "x", 2},
              {"(x]", "(x]", 0},
              {"(a[b]c)", "a[b]c", 1},
              {"()", "()", 0}, // under three characters
              {"(())", "", 2},
              {"((x))", "x", 2},
              {"(((", "(((", 0},
              {"([x)]", "([x)]", 0},
              {"", "", 0}});
  // A pair of equal characters never pairs the middle character with itself.
  CheckEdits("StripEnclosingPairs quotes",
             [](char* t) { return StripEnclosingPairs(t, "()[]  {}''\"\""); },
             {{"\" ' \"", "'", 2}, {"' '", " ", 1}, {"  x  ", "x", 2}, {"\"\"\"", "\"", 1}});
}

TEST(CStringFunctions, Counts) {
  EXPECT_EQ(CountChar("a,b,,c", ','), 3);
  EXPECT_EQ(CountChar(nullptr, ','), 0);
  EXPECT_EQ(CountSubstring("aaaa", "aa"), 2);
  EXPECT_EQ(CountSubstring("x<br>y<br/><br>", "<br>"), 2);
  EXPECT_EQ(CountSubstring("abc", ""), 0);
  EXPECT_EQ(CountSubstring(nullptr, "a"), 0);
  EXPECT_EQ(CountSubstring("a", nullptr), 0);
  EXPECT_EQ(CStrLength(nullptr), 0);
  EXPECT_EQ(CStrLength("abc"), 3);
  EXPECT_TRUE(IsBlankChar(' '));
  EXPECT_TRUE(IsBlankChar('\t'));
  EXPECT_TRUE(IsBlankChar('\n'));
  EXPECT_FALSE(IsBlankChar('\r'));
  EXPECT_FALSE(IsBlankChar('a'));
}

} // namespace
