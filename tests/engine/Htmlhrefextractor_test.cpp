#include "engine/Htmlhrefextractor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "engine/Htmlcell.h"

#include "tests/support/TempDir.h"

namespace {

AnsiString TrimmedText(const AnsiString& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
    ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
    --end;
  return text.substr(begin, end - begin);
}

// The anchor tag as cutting it from the whole text finds it.
int ReferenceAnchor(const std::string& html, int from, AnsiString& href) {
  CHtmlCell cell;
  for (;;) {
    const int at = cell.ExtractCell(html, "<a", ">", from, true);
    if (at < 0)
      return -1;
    const char next = static_cast<size_t>(at) + 2 < html.size() ? html[at + 2] : ' ';
    if (std::strchr(" \t\r\n>/", next) != nullptr) {
      cell.GetAttribute("href", href);
      return at;
    }
    from = at + 1;
  }
}

TEST(HtmlHrefExtractor, ExtractsOneAnchor) {
  struct Case {
    const char* html;
    int start;
    bool found;
    int position;
    int end;
    const char* href;
    const char* text;
  };
  const Case cases[] = {
      {"<a href=\"x.html\">Big</a>", 0, true, 0, 24, "x.html", "Big"},
      {"<a href='x.html'>y</a>", 0, true, 0, 22, "'x.html'", "y"},
      {"ab <A HREF=\"/news\"><b>Big</b> news</A > c", 0, true, 3, 39, "/news", "Big news"},
      {"<a name=top>Top</a>", 0, true, 0, 19, "", "Top"},
      // No closing tag: the walk ends at the end of the text.
      {"<a href=\"abc\">no close", 0, true, 0, 22, "abc", ""},
      {"<a href=\"ab\">no close", 0, false, 0, 21, "ab", ""},
      {"<a href=\"\"\">x</a>", 0, true, 0, 17, "\"\"", "x"},
      // The quoted '>' does not end the tag, but the text is cut as tags are stripped.
      {"<a title=\"a>b\" href=\"u.html\">t</a>", 0, true, 0, 34, "u.html", "b\" href=\"u.html\">t"},
      {"no anchor here", 0, false, -1, 14, "", ""},
      // Other tags beginning with "<a" are no anchors.
      {"<aside>s</aside><abbr>x</abbr><A\nhref=in.html>In</a>", 0, true, 30, 52, "in.html", "In"},
      {"<article>", 0, false, -1, 9, "", ""},
      {"<a href=1.html>1</a><a href=2.html>2</a>", 20, true, 20, 40, "2.html", "2"},
      {"<a href=1.html>1</a>", 99, false, -1, 20, "", ""},
      {"<a href=1.html>1</a>", -1, true, 0, 20, "1.html", "1"},
      {"", 0, false, -1, 0, "", ""},
  };
  for (const auto& c : cases) {
    CHtmlHrefExtractor extractor;
    extractor.href = "stale";
    extractor.text = "stale";
    int position = c.start;
    int end = -7;
    EXPECT_EQ(extractor.ExtractNextHRef(c.html, position, end), c.found) << c.html;
    EXPECT_EQ(position, c.position) << c.html;
    EXPECT_EQ(end, c.end) << c.html;
    EXPECT_EQ(extractor.href, c.href) << c.html;
    EXPECT_EQ(extractor.text, c.text) << c.html;
  }
  CHtmlHrefExtractor extractor;
  EXPECT_EQ(extractor.ExtractFirstHRef("x <a href=abc>y</a>"), 0);
  EXPECT_EQ(extractor.ExtractFirstHRef("x"), -1);
}

TEST(HtmlHrefExtractor, LongLinesOfQuotedAttributes) {
  // No line break for the masking to settle at: quotes and brackets inside
  // attribute values decide what is a tag all along the line. A closing tag
  // inside a title makes the walk go on from inside the quoted value.
  std::string html;
  for (int i = 0; i < 300; ++i)
    html += "<a title=\"</a><a href=no" + std::to_string(i) + ">\" href=\"yes" + std::to_string(i) +
            ".html\">x" + std::to_string(i) + "</a> \"<a href=q" + std::to_string(i) + ">q</a> ";
  CHtmlHrefExtractor extractor;
  int position = 0, end = 0, titled = 0, q = 0;
  for (int from = 0;; from = end) {
    position = from;
    if (!extractor.ExtractNextHRef(html, position, end))
      break;
    AnsiString href;
    ASSERT_EQ(ReferenceAnchor(html, from, href), position);
    EXPECT_EQ(TrimmedText(href), extractor.href);
    // The first href of the tag is taken, also one inside a quoted value.
    titled += extractor.href.compare(0, 2, "no") == 0 ? 1 : 0;
    q += extractor.href.compare(0, 1, "q") == 0 ? 1 : 0;
  }
  EXPECT_EQ(titled, 300);
  EXPECT_EQ(q, 300);
}

TEST(HtmlHrefExtractor, SeesAChangedPage) {
  CHtmlHrefExtractor extractor;
  int position = 0, end = 0;
  ASSERT_TRUE(extractor.ExtractNextHRef("<a href=one.html>1</a>", position, end));
  position = 0;
  ASSERT_TRUE(extractor.ExtractNextHRef("<a href=two.html>2</a>", position, end));
  EXPECT_EQ(extractor.href, "two.html");
}

TEST(HtmlHrefExtractor, WalksEveryCorpusPage) {
  int pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(WT_CORPUS_DIR)) {
    const std::string html = ReadFileBytes(entry.path().string());
    const int length = static_cast<int>(html.size());
    CHtmlHrefExtractor extractor;
    int anchors = 0;
    int position = 0;
    int end = 0;
    for (int from = 0;; from = end) {
      position = from;
      const bool found = extractor.ExtractNextHRef(html, position, end);
      if (position < 0)
        break;
      ASSERT_GE(position, from) << entry.path();
      ASSERT_LT(position, length) << entry.path();
      ASSERT_GT(end, position) << entry.path();
      ASSERT_LE(end, length) << entry.path();
      EXPECT_TRUE(html.compare(position, 2, "<a") == 0 || html.compare(position, 2, "<A") == 0)
          << entry.path() << " at " << position;
      anchors += found ? 1 : 0;
      if (anchors < 8) {
        AnsiString href;
        ASSERT_EQ(ReferenceAnchor(html, from, href), position) << entry.path();
        if (href.size() > 2 && href.front() == '"')
          href = href.substr(1, href.back() == '"' ? href.size() - 2 : href.size() - 1);
        EXPECT_EQ(TrimmedText(href), extractor.href) << entry.path() << " at " << position;
      }
      ASSERT_LT(anchors, length) << entry.path();
    }
    ++pages;
    if (html.find("<a href") != std::string::npos) {
      EXPECT_GT(anchors, 0) << entry.path();
    }
  }
  EXPECT_GT(pages, 100);
}

} // namespace
