#include "engine/Newstools.h"

#include "platform/rtl/Codepage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "engine/Htmltools.h"
#include "engine/Newsdata.h"
#include "engine/Pcregexp.h"
#include "tests/support/TempDir.h"

namespace {

class NewsTools : public ::testing::Test {
protected:
  static void SetUpTestSuite() { InitNewsTools(); }
  static void TearDownTestSuite() { FreeNewsTools(); }
};

TEST_F(NewsTools, DateTimeAndHrefPatterns) {
  struct Case {
    const char* text;
    bool date, time, dateTime;
  };
  const Case cases[] = {
      {"12/05", true, false, false},
      {"5-11", true, false, false},
      {"12/13", true, false, false},
      {"5 g", true, false, false},
      {"12 aug", true, false, false},
      {"3 MAR", true, false, false},
      {"on 3 o]", true, false, false},
      {"Dec 25 2003", true, false, false},
      {" 12h30", false, true, false},
      {"12:30", false, true, false},
      {" 9:05pm", false, true, false},
      {"12-30", true, true, false}, // a day and a month, and a time by the first pattern
      {"05/12/2003 10:30", true, true, true},
      {"jan 5 2004 10h30", true, true, true},
      {"no date here", false, false, false},
      {"1x2", false, false, false},
      {"", false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDate(c.text), c.date) << c.text;
    EXPECT_EQ(IsTime(c.text), c.time) << c.text;
    EXPECT_EQ(IsDateTime(c.text), c.dateTime) << c.text;
  }
  EXPECT_TRUE(HasHref("<a\n HREF =\"x\">"));
  EXPECT_TRUE(HasHref("href=x"));
  EXPECT_FALSE(HasHref("<a name=\"href\">"));
}

TEST(NewsToolsLifetime, TestsAreFalseWithoutPatterns) {
  FreeNewsTools();
  EXPECT_FALSE(IsDate("12/05"));
  EXPECT_FALSE(HasHref("href="));
  InitNewsTools();
  InitNewsTools(); // compiling again replaces the sets
  EXPECT_TRUE(IsDate("12/05"));
  EXPECT_TRUE(IsTime("12:30"));
  FreeNewsTools();
}

TEST_F(NewsTools, DatedItem) {
  const AnsiString text = "12/05 A long enough headline for an item";
  const AnsiString html = "<a href=\"x\">" + text + "</a>";
  EXPECT_TRUE(IsDatedItem(text, html));
  EXPECT_FALSE(IsDatedItem("A long enough headline without a date", html));
  EXPECT_FALSE(IsDatedItem(text, "<b>" + text + "</b>"));
  EXPECT_FALSE(IsDatedItem("12/05 short", html));
  AnsiString breaks = html;
  for (int i = 0; i < 5; ++i)
    breaks += "<br><br/>\n";
  EXPECT_TRUE(IsDatedItem(text, breaks)); // 15 breaks
  EXPECT_FALSE(IsDatedItem(text, breaks + "\n"));
  EXPECT_TRUE(IsDatedItem(text, breaks + "<BR>")); // counted exactly, case-sensitive
}

TEST_F(NewsTools, AnalyseFragment) {
  struct Case {
    const char* fragment;
    bool result;
    const char* date;
    const char* time;
    const char* dateTime;
    const char* link;
    const char* headline;
  };
  const Case cases[] = {
      {"<li>12/05 <a href=\"/news/1.html\">Parliament votes the budget</a></li>", true, "12/05", "",
       "", "/news/1.html", "Parliament votes the budget"},
      {"<tr><td>10:30</td><td><A HREF=/a.html>Storm over the coast tonight</A></td></tr>", true, "",
       "10:30", "", "/a.html", "Storm over the coast tonight"},
      {"<p>05/12/2003 10:30 <a href='x.html'>[Caf&eacute; reopens downtown]</a></p>", true,
       "05/12/2003 10:30", "", "", "'x.html'", "Caf\xE9 reopens downtown"},
      {"<p>Monday 05/12/2003 10:30</p><p>12/06</p><a href=x>Headline of the day</a>", true, "", "",
       "Monday 05/12/2003 10:30", "x", "Headline of the day"},
      // The link is the last anchor before the headline.
      {"<a href=\"a\"><img></a> <a href=\"b\">12/05</a> <b>A much longer headline</b> "
       "<a href=\"c\">more</a>",
       true, "12/05", "", "", "b", "A much longer headline"},
      // Or the first one after it.
      {"<b>12/05</b> <i>The headline comes first</i> <a href=\"c\">x</a><a href=\"d\">y</a>", true,
       "12/05", "", "", "c", "The headline comes first"},
      {"<b>No date in this fragment</b> <a href=\"c\">x</a>", false, "", "", "", "c",
       "No date in this fragment"},
      {"<b>12/05</b>", false, "12/05", "", "", "", ""},
      {"<a href=\"a\\\"b\" title=t>12/05 text</a>", false, "12/05 text", "", "", "a\\\"b", ""},
      {"<b>(12/05)</b> <i>\xC3\xA9t\xC3\xA9 en France</i>", true, "12/05", "", "", "",
       "\xE9t\xE9 en France"},
      // A headline on a line of its own, indented in the page.
      {"<li>12/05 <a href=\"x\">\n                    Harbour reopens today\r\n  </a></li>", true,
       "12/05", "", "", "x", "Harbour reopens today"},
      {"", false, "", "", "", "", ""},
  };
  for (const auto& c : cases) {
    AnsiString date = "stale", time = "stale", dateTime = "stale", link = "stale",
               headline = "stale";
    EXPECT_EQ(AnalyseFragment(c.fragment, date, time, dateTime, link, headline), c.result)
        << c.fragment;
    EXPECT_EQ(date, c.date) << c.fragment;
    EXPECT_EQ(time, c.time) << c.fragment;
    EXPECT_EQ(dateTime, c.dateTime) << c.fragment;
    EXPECT_EQ(link, c.link) << c.fragment;
    EXPECT_EQ(headline, c.headline) << c.fragment;
  }
}

TEST_F(NewsTools, AnalyseFragmentStrayBracketKeepsTagsAsTags) {
  AnsiString date, time, dateTime, link, headline;
  EXPECT_TRUE(AnalyseFragment("a > b 12/05 <a href=\"x.html\">A stray bracket before</a>", date,
                              time, dateTime, link, headline));
  EXPECT_EQ(link, "x.html");
  EXPECT_EQ(headline, "A stray bracket before");
}

TEST(NewsToolsText, PlausibleHeadline) {
  const std::pair<const char*, bool> cases[] = {
      {"a1", false}, {"R2D", true},       {"- - ab -", false}, {"\xE9t\xE9", true},
      {"", false},   {"x href=y", false}, {"x HREF=y", true},
  };
  for (auto [text, plausible] : cases)
    EXPECT_EQ(IsPlausibleHeadline(text), plausible) << text;
  EXPECT_FALSE(IsPlausibleHeadline(nullptr));
}

TEST(NewsToolsText, KeywordPattern) {
  const std::pair<const char*, const char*> cases[] = {
      {"sport  foot", "(?i)sport|foot"},
      {"a b", "(?i)a|b"},
      {" \t\r\n ", ""},
      {"", ""},
      {"one", "(?i)one"},
      {"\tx\ny ", "(?i)x|y"},
      {"f.o+ (", "(?i)f.o+|("},
  };
  for (auto [keywords, pattern] : cases)
    EXPECT_EQ(BuildKeywordPattern(keywords), pattern) << keywords;
}

// The rounds as first written: up to 255 matches from the start, deleted from
// the last to the first, until none is found.
AnsiString PlainRemoveAllMatches(AnsiString text, const TPCRegexp& pattern) {
  int starts[255], lengths[255];
  for (;;) {
    int found = pattern.FindAll(text.c_str(), starts, lengths, 255);
    if (found < 0)
      return text;
    const int count = found == 0 ? 255 : found;
    size_t removed = 0;
    for (int i = count - 1; i >= 0; --i) {
      text.erase(starts[i], lengths[i]);
      removed += lengths[i];
    }
    if (removed == 0)
      return text;
  }
}

const char* const kDetectorPatterns[] = {
    "[0-9][0-9]?[0-9]?[0-9]?[/-][0-9][0-9]?[/-][0-9][0-9]?[0-9]?[0-9]?",
    "[0-9][0-9]?[h:-][0-9][0-9]?([m:-][0-9][0-9]?)?",
    "[0-9A-Fa-f]{5}",
};

TEST(RemoveAllMatches, FiveHexDigitRunsGoInThreeRounds) {
  TPCRegexp hex("[0-9A-Fa-f]{5}");
  AnsiString text;
  for (int i = 0; i < 600; ++i)
    text += "id=" + std::string(1, "0123456789abcdef"[i % 16]) + "beef;";
  AnsiString expected;
  for (int i = 0; i < 600; ++i)
    expected += "id=;";
  EXPECT_EQ(RemoveAllMatches(text, hex), expected);
  EXPECT_EQ(PlainRemoveAllMatches(text, hex), expected);
}

TEST(RemoveAllMatches, EqualsThePlainRoundsOnMadeTexts) {
  // Small alphabets make matches that removal joins into new ones, and more
  // than 255 of them per text make the round boundaries matter.
  const char* const patterns[] = {
      kDetectorPatterns[0],
      kDetectorPatterns[1],
      kDetectorPatterns[2],
      "ab|ba",
      "a[^x]*b",
      "(?i)x{2,3}y?",
      "x|a[^x]*b",
      "[0-9]+-",
      "(?<=a)b",
  };
  std::mt19937 random(7);
  for (const char* p : patterns) {
    TPCRegexp pattern(p);
    ASSERT_TRUE(pattern.IsCompiled()) << p;
    for (const char* alphabet : {"0123456789/-h:m ", "abxyX-0123456789", "0123abcdefz", "ab"}) {
      const std::string letters = alphabet;
      for (int trial = 0; trial < 12; ++trial) {
        std::uniform_int_distribution<size_t> pick(0, letters.size() - 1);
        std::string text(trial < 6 ? 60 : 4000, ' ');
        for (char& c : text)
          c = letters[pick(random)];
        ASSERT_EQ(RemoveAllMatches(text, pattern), PlainRemoveAllMatches(text, pattern))
            << p << " on " << text.substr(0, 80);
      }
    }
  }
}

TEST(RemoveAllMatches, EqualsThePlainRoundsOnCorpusPages) {
  std::vector<std::unique_ptr<TPCRegexp>> patterns;
  for (const char* p : kDetectorPatterns)
    patterns.push_back(std::make_unique<TPCRegexp>(p));
  int pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(WT_CORPUS_DIR)) {
    AnsiString fast = HtmlToText(ReadFileBytes(entry.path().string()));
    AnsiString plain = fast;
    for (const auto& pattern : patterns) {
      fast = RemoveAllMatches(fast, *pattern);
      plain = PlainRemoveAllMatches(plain, *pattern);
      ASSERT_EQ(fast, plain) << entry.path() << " " << pattern->Pattern();
    }
    ++pages;
  }
  EXPECT_GT(pages, 100);
}

TEST(RemoveAllMatches, EdgeTexts) {
  TPCRegexp digits("[0-9]+");
  EXPECT_EQ(RemoveAllMatches("", digits), "");
  EXPECT_EQ(RemoveAllMatches("abc", digits), "abc");
  EXPECT_EQ(RemoveAllMatches("a1b22c", digits), "abc");
  EXPECT_EQ(RemoveAllMatches(AnsiString("1a\0"
                                        "2b",
                                        5),
                             digits),
            AnsiString("a\0"
                       "2b",
                       4));
  // Removing a match joins the text before it with the text after it.
  TPCRegexp pair("ab");
  EXPECT_EQ(RemoveAllMatches("aaabbb", pair), "");
  EXPECT_EQ(RemoveAllMatches("xaabbx", pair), "xx");
  TPCRegexp time(kDetectorPatterns[1]);
  EXPECT_EQ(RemoveAllMatches("1-1:2-3", time), PlainRemoveAllMatches("1-1:2-3", time));
  TPCRegexp empty("x*");
  EXPECT_EQ(RemoveAllMatches("axxbx", empty), "ab"); // ends once only empty matches remain
  TPCRegexp invalid("(");
  EXPECT_EQ(RemoveAllMatches("a(b", invalid), "a(b");
}

NewsSource* const kSource = reinterpret_cast<NewsSource*>(0x1000);

struct TestClock {
  static inline DWORD tick = 5000;
  static inline TDateTime now = 46000.5;
  static inline int reads = 0;
};

class DataMatcher : public ::testing::Test {
protected:
  void SetUp() override {
    TestClock::tick = 5000;
    TestClock::now = 46000.5;
    TestClock::reads = 0;
    SetMatcherClock([] { return TestClock::tick; },
                    [] {
                      ++TestClock::reads;
                      return TestClock::now;
                    });
  }
  void TearDown() override { SetMatcherClock(nullptr, nullptr); }

  static NewsData Item(const AnsiString& headline, double ageSeconds) {
    return NewsData(kSource, NewsRecord{"", headline, "", TestClock::now - ageSeconds / 86400, 0});
  }
};

TEST_F(DataMatcher, AgeLimitWithDefaultMaximum) {
  CDataMatcher matcher;
  EXPECT_EQ(matcher.maxAge, 172800);
  EXPECT_FALSE(matcher.keywordRegex);
  const std::pair<double, bool> cases[] = {
      {47 * 3600 + 59 * 60, false}, {48 * 3600, true}, {48 * 3600 + 1, true}, {0, false}};
  for (auto [age, old] : cases) {
    NewsData item = Item("x", age);
    EXPECT_EQ(matcher.IsTooOld(&item), old) << age;
    EXPECT_EQ(matcher.Match(&item), !old) << age;
  }
  matcher.SetMaxAge(3600 + 1800); // whole hours count: one hour
  NewsData item = Item("x", 3600);
  EXPECT_TRUE(matcher.IsTooOld(&item));
}

TEST_F(DataMatcher, ClockIsReadAtMostOncePerSecond) {
  CDataMatcher matcher;
  NewsData item = Item("x", 47 * 3600);
  EXPECT_FALSE(matcher.IsTooOld(&item));
  EXPECT_EQ(TestClock::reads, 1);
  TestClock::now += 2.0 / 24; // two hours later, but within the same second of ticks
  TestClock::tick += 999;
  EXPECT_FALSE(matcher.IsTooOld(&item));
  EXPECT_EQ(TestClock::reads, 1);
  TestClock::tick += 1;
  EXPECT_TRUE(matcher.IsTooOld(&item));
  EXPECT_EQ(TestClock::reads, 2);
  TestClock::tick -= 10; // a tick count that went back reads again
  EXPECT_TRUE(matcher.IsTooOld(&item));
  EXPECT_EQ(TestClock::reads, 3);
}

// Headlines hold Windows-1252 bytes and, for characters the code page lacks,
// their UTF-8 bytes: a keyword matches the characters the grid shows, whole,
// and ignores the case of every letter, as the case-blind sort does.
TEST_F(DataMatcher, KeywordsMatchWholeCharactersInAnyCase) {
  struct Case {
    const char* keywords;
    const char* headline;
    bool match;
  };
  const Case cases[] = {
      {"\x80", "Prix: 5 \x80", true},                      // the euro sign itself
      {"\x80", "\xD0\x9C\xD0\xB8\xD1\x80", false},         // Cyrillic: ends in D1 80
      {"\x80", "\xCF\x80\xCF\x8C\xCE\xBB\xCE\xB7", false}, // Greek: starts CF 80
      {"\x80", "\xE3\x80\x8C\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x80\x8D \xF0\x9F\x98\x80",
       false}, // Japanese, emoji
      {"\x80",
       "non\xE2\x80\x91"
       "breaking",
       false},                                         // U+2011
      {"\x9D", "\xD0\x9D\xD0\xBE\xD0\xB2", false},     // a byte inside a sequence
      {"\xBE\xD0", "\xD0\x9D\xD0\xBE\xD0\xB2", false}, // across two sequences
      {".\xBE", "\xD0\x9D\xD0\xBE", false},            // a dot is one character
      {"^.\xD0\xBE$", "\xD0\x9D\xD0\xBE", true},
      {"\xE9lection", "\xC9lection pr\xE9sidentielle", true}, // é / É
      {"\xC9LECTION", "\xE9lection", true},
      {"\x9Cuvres", "Les \x8Cuvres compl\xE8tes", true}, // œ / Œ
      {"\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2",       // москв / Москве
       "\xD0\x92 \xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB5", true},
      {"\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92",
       "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", true},
      {"\\D\\d", "Top 5", true}, // escapes keep their case: \D is not \d
      {"\\D\\d", "55", false},
      {"\\p{L}\\d",
       "\xC9"
       "5",
       true}, // a property keeps its name: any letter
      {"\\p{L}\\d", "55", false},
      {"( \xE9t\xE9", "L'\xC9T\xC9 \xE0 Paris", true}, // invalid pattern: plain words, any case
      {"( \x80", "\xD0\x9D\xD0\xBE\xD0\xB2", false},
  };
  for (const auto& c : cases) {
    CDataMatcher matcher;
    matcher.SetKeywords(c.keywords);
    EXPECT_EQ(matcher.MatchKeywords(c.headline), c.match)
        << Cp1252ToUtf8(c.keywords) << " / " << Cp1252ToUtf8(c.headline);
  }
}

TEST_F(DataMatcher, Keywords) {
  struct Case {
    const char* keywords;
    const char* headline;
    bool match;
  };
  const Case cases[] = {
      {"sport  foot", "Football results", true},
      {"sport  foot", "Weather today", false},
      {"   ", "Anything", true},
      {"", "Anything", true},
      {"f.o", "FOO fighters", true}, // a valid pattern keeps its meaning
      {"^Big", "Not so Big", false},
      {"(", "Nothing matches a bare bracket", false},
      {"( news", "Latest NEWS here", true}, // invalid pattern: plain words, any case
      {"( [x", "a [X] mark", true},
      {"( [x", "nothing", false},
  };
  for (const auto& c : cases) {
    CDataMatcher matcher;
    matcher.SetKeywords(c.keywords);
    EXPECT_EQ(matcher.MatchKeywords(c.headline), c.match) << c.keywords << " / " << c.headline;
    NewsData item = Item(c.headline, 60);
    EXPECT_EQ(matcher.Match(&item), c.match) << c.keywords << " / " << c.headline;
  }
  CDataMatcher matcher;
  matcher.SetKeywords("  sport  foot \r\n");
  EXPECT_EQ(matcher.keywords, "sport  foot");
  EXPECT_EQ(matcher.pattern, "(?i)sport|foot");
  NewsData old = Item("Football", 49 * 3600);
  EXPECT_FALSE(matcher.Match(&old));
}

} // namespace
