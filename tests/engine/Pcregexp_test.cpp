#include "engine/Pcregexp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FindCase {
  const char* pattern;
  const char* text;
  int start;
  int position;
  int length;
};

TEST(PCRegexp, FindReportsFirstMatchAtOrAfterStart) {
  const FindCase cases[] = {
      {"", "", 0, 0, 0},
      {"a*", "", 0, 0, 0},
      {"b+", "aabbbab", 0, 2, 3},
      {"b+", "aabbbab", 3, 3, 2},
      {"b+", "aabbbab", 5, 6, 1},
      {"b+", "aabbbab", 7, -1, 0},
      {"(?i)NEWS", "Latest news here", 0, 7, 4},
      {"NEWS", "Latest news here", 0, -1, 0},
      {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)", "xxabcdefghijkl", 0, 2, 12},
  };
  for (const auto& c : cases) {
    TPCRegexp re(c.pattern);
    int length = -7;
    EXPECT_EQ(re.Find(c.text, &length, c.start), c.position) << c.pattern << " in " << c.text;
    if (c.position >= 0)
      EXPECT_EQ(length, c.length) << c.pattern << " in " << c.text;
    else
      EXPECT_EQ(length, -7) << "length written on no match";
  }
}

TEST(PCRegexp, FindWithoutLengthAndBeyondText) {
  TPCRegexp re("x");
  EXPECT_EQ(re.Find("abx"), 2);
  EXPECT_EQ(re.Find("abx", nullptr, 10), -1);
  EXPECT_EQ(re.Find("abx", nullptr, -1), -1);
  EXPECT_EQ(re.Find(nullptr), -1);
}

TEST(PCRegexp, InvalidPatternNeverMatchesAndKeepsError) {
  TPCRegexp re("(ab");
  EXPECT_FALSE(re.IsCompiled());
  ASSERT_NE(re.ErrorText(), nullptr);
  EXPECT_GT(re.ErrorOffset(), 0);
  int starts[4], lengths[4];
  EXPECT_EQ(re.Find("(ab ab"), -1);
  EXPECT_EQ(re.FindAll("(ab ab", starts, lengths, 4), -1);

  TPCRegexp good("ab");
  EXPECT_TRUE(good.IsCompiled());
  EXPECT_EQ(good.ErrorText(), nullptr);
  EXPECT_EQ(good.ErrorOffset(), 0);
}

struct FindAllCase {
  const char* pattern;
  const char* text;
  int maxCount;
  int start;
  int result;
  std::vector<int> starts;
  std::vector<int> lengths;
};

TEST(PCRegexp, FindAllLimitsAndEmptyMatches) {
  const FindAllCase cases[] = {
      {"[0-9]+", "1 22 333 4 55", 3, 0, 0, {0, 2, 5}, {1, 2, 3}},
      {"[0-9]+", "1 22 333 4 55", 5, 0, 0, {0, 2, 5, 9, 11}, {1, 2, 3, 1, 2}},
      {"[0-9]+", "1 22 333 4 55", 6, 0, 5, {0, 2, 5, 9, 11}, {1, 2, 3, 1, 2}},
      {"[0-9]+", "a 1 b 22", 3, 0, 2, {2, 6}, {1, 2}},
      {"[0-9]+", "a 1 b 22", 3, 3, 1, {6}, {2}},
      {"[0-9]+", "no digits", 3, 0, -1, {}, {}},
      // An empty match is taken once per offset, including the end of the text.
      {"x*", "ab", 10, 0, 3, {0, 1, 2}, {0, 0, 0}},
      {"x*", "axxb", 10, 0, 4, {0, 1, 3, 4}, {0, 2, 0, 0}},
      {"", "", 10, 0, 1, {0}, {0}},
  };
  for (const auto& c : cases) {
    TPCRegexp re(c.pattern);
    std::vector<int> starts(c.maxCount, -1), lengths(c.maxCount, -1);
    int result = re.FindAll(c.text, starts.data(), lengths.data(), c.maxCount, c.start);
    EXPECT_EQ(result, c.result) << c.pattern << " in " << c.text;
    const size_t filled = c.starts.size();
    starts.resize(filled);
    lengths.resize(filled);
    EXPECT_EQ(starts, c.starts) << c.pattern << " in " << c.text;
    EXPECT_EQ(lengths, c.lengths) << c.pattern << " in " << c.text;
  }
}

// A group repeated thousands of times outgrows the small stack of the
// compiled machine code; the search is then done the slow way, not lost.
TEST(PCRegexp, LongRepetitionStillMatches) {
  const std::string text = std::string(5000, 'a') + "c";
  TPCRegexp re("(a|b)*c");
  int length = 0;
  EXPECT_EQ(re.Find(text.c_str(), &length), 0);
  EXPECT_EQ(length, 5001);
}

TEST(PCRegexp, FindAllEmptyPatternOnLongTextTerminates) {
  const std::string text(1000, 'q');
  TPCRegexp re("z*");
  std::vector<int> starts(2000), lengths(2000);
  EXPECT_EQ(re.FindAll(text.c_str(), starts.data(), lengths.data(), 2000), 1001);
  EXPECT_EQ(starts[1000], 1000);
}

} // namespace
