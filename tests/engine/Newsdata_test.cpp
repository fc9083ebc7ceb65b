#include "engine/Newsdata.h"
#include "engine/Newssource.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

NewsSource* const kSource = reinterpret_cast<NewsSource*>(0x1000);
NewsSource* const kOtherSource = reinterpret_cast<NewsSource*>(0x2000);

NewsData Found(const AnsiString& text1, const AnsiString& text2, const AnsiString& text3,
               const AnsiString& link = "", const AnsiString& date = "",
               const AnsiString& time = "", const AnsiString& dateTime = "") {
  return NewsData(kSource, date, time, dateTime, text1, text2, text3, link);
}

TEST(NewsData, HeadlinePrefersMediumThenLongThenShort) {
  struct Case {
    const char* text1;
    const char* text2;
    const char* text3;
    const char* headline;
  };
  const Case cases[] = {
      {"short", "medium", "long", "medium"},
      {"short", "", "long", "long"},
      {"short", "", "", "short"},
      {"", "", "", ""},
      {"", "two\r\nlines\rhere\n", "", "two  lines here "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Found(c.text1, c.text2, c.text3).headline, c.headline) << c.text2;
}

TEST(NewsData, LinkLosesEnclosingQuotes) {
  const std::pair<const char*, const char*> cases[] = {
      {"\"", "\""},           {"'", "'"},         {"\"x\"", "x"}, {"'x.html", "x.html"},
      {"\"\"", "\""},         {"x\"", "x"},       {"'a'", "a"},   {"a\nb", "a b"},
      {"\"a\r\nb\"", "a  b"}, {"plain", "plain"}, {"", ""},
  };
  for (auto [in, out] : cases)
    EXPECT_EQ(Found("", "h", "", in).link, out) << in;
}

TEST(NewsData, DateTextIsCleaned) {
  EXPECT_EQ(Found("", "h", "", "", "12/05", "10:30", "").dateText, "12/05 10:30");
  EXPECT_EQ(Found("", "h", "", "", "12/05", "10:30", " <b>05/12 9h</b>&nbsp;").dateText,
            "05/12 9h\xA0");
  EXPECT_EQ(Found("", "h", "", "", "", "", "").dateText, "");
  EXPECT_EQ(Found("", "h", "", "", "", "10:30", "").dateText, "10:30");
}

TEST(NewsData, SerialsRiseWithEveryConstruction) {
  NewsData a = Found("", "a", "");
  NewsData b(kSource, NewsRecord{"d", "b", "l", 1.5, 1});
  NewsData c = Found("", "c", "");
  EXPECT_EQ(b.serial, a.serial + 1);
  EXPECT_EQ(c.serial, b.serial + 1);
  EXPECT_GT(a.serial, 0u);
}

TEST(NewsData, RecordIsCopiedAsStored) {
  NewsData item(kSource, NewsRecord{" <i>12/05</i> ", "a\nb", "'x'", 45000.25, 1});
  EXPECT_EQ(item.dateText, "12/05");
  EXPECT_EQ(item.headline, "a\nb");
  EXPECT_EQ(item.link, "'x'");
  EXPECT_EQ(item.received, 45000.25);
  EXPECT_EQ(item.kind, 1);
  EXPECT_EQ(item.source, kSource);
}

TEST(NewsData, SameItemIgnoresLinkAndReceptionTime) {
  const NewsData base(kSource, NewsRecord{"12/05", "Headline", "a.html", 100.0, 0});
  struct Case {
    NewsSource* source;
    NewsRecord record;
    bool same;
  };
  const Case cases[] = {
      {kSource, {"12/05", "Headline", "b.html", 200.0, 0}, true},
      {kOtherSource, {"12/05", "Headline", "a.html", 100.0, 0}, false},
      {kSource, {"12/05", "headline", "a.html", 100.0, 0}, false},
      {kSource, {"13/05", "Headline", "a.html", 100.0, 0}, false},
      {kSource, {"12/05", "Headline", "a.html", 100.0, 1}, false},
  };
  for (const auto& c : cases) {
    NewsData other(c.source, c.record);
    EXPECT_EQ(base.IsSameAs(&other), c.same) << c.record.headline << " " << c.record.dateText;
    EXPECT_EQ(other.IsSameAs(&base), c.same);
  }
  EXPECT_FALSE(base.IsSameAs(nullptr));
}

TEST(NewsData, FileLinks) {
  NewsData copy(kSource, NewsRecord{"", "changed", "file:///tmp/cache/x00001.htm", 0, 1});
  EXPECT_TRUE(copy.IsFileLink());
  EXPECT_EQ(copy.GetFilePath(), "/tmp/cache/x00001.htm");
  NewsData web(kSource, NewsRecord{"", "h", "http://x/file://", 0, 0});
  EXPECT_FALSE(web.IsFileLink());
  NewsData shortLink(kSource, NewsRecord{"", "h", "file:/", 0, 0});
  EXPECT_FALSE(shortLink.IsFileLink());
  EXPECT_EQ(shortLink.GetFilePath(), "");
}

TEST(NewsData, LinksOfARealSource) {
  NewsSource source(nullptr);
  source.SetUrl("http://news.example/world/today.html");
  source.name = "World";
  TTempDir dir;
  const std::string kept = dir.Write("kept00001.htm", "<p>copy</p>");
  const std::string gone = dir.File("gone00001.htm");

  NewsData relative(&source, NewsRecord{"", "h", "story.html", 0, 0});
  EXPECT_EQ(relative.GetAbsoluteLink(), "http://news.example/world/story.html");
  EXPECT_EQ(relative.GetSourceName(), "World");
  NewsData keptCopy(&source, NewsRecord{"", "h", "file://" + kept, 0, 1});
  NewsData goneCopy(&source, NewsRecord{"", "h", "file://" + gone, 0, 1});
  keptCopy.CheckFileLink();
  goneCopy.CheckFileLink();
  relative.CheckFileLink();
  EXPECT_EQ(keptCopy.link, "file://" + kept);
  EXPECT_EQ(goneCopy.link, "http://news.example/world/today.html");
  EXPECT_EQ(relative.link, "story.html");
}

TEST(NewsData, OlderThanCountsTheLimitAsOlder) {
  const TDateTime now = 46000.4321; // a fraction that day counts cannot hold exactly
  const double minute = 1.0 / (24 * 60);
  struct Case {
    double ageDays;
    int hours;
    bool older;
  };
  const Case cases[] = {
      {2.0, 48, true}, {2.0 - minute, 48, false}, {2.0 + minute, 48, true}, {0.0, 0, true},
      {1.0, 24, true}, {1.0 - minute, 24, false}, {-1.0, 0, false},
  };
  for (const auto& c : cases) {
    NewsData item(kSource, NewsRecord{"", "h", "", now - c.ageDays, 0});
    EXPECT_EQ(item.IsOlderThan(c.hours, now), c.older) << c.ageDays << " days, " << c.hours;
  }
}

} // namespace
