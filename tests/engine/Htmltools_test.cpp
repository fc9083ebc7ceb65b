#include "engine/Htmltools.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/Miscstr.h"
#include "tests/support/TempDir.h"

namespace {

TEST(ResolveHref, FollowsTheRules) {
  struct Case {
    const char* base;
    const char* href;
    const char* result;
  };
  const Case cases[] = {
      {"http://h.com/a/b.html", "http://x.org/y", "http://x.org/y"},
      {"http://h.com/a/b.html", "../x.html", "http://h.com/x.html"},
      {"http://h.com/a/b/c.html", "../../x.html", "http://h.com/x.html"},
      {"http://h.com/a/b.html", "../../../x.html", "http://h.com/x.html"},
      {"http://h.com/a/", "../x.html", "http://h.com/x.html"},
      {"http://h.com", "../x.html", "http://h.com/x.html"},
      // A page in the root directory: going up stays at the host.
      {"http://h.com/b.html", "../x.html", "http://h.com/x.html"},
      {"http://h.com/a/b.html", "./x.html", "http://h.com/a/b.html/x.html"},
      {"http://h.com/a/", "./x.html", "http://h.com/a/x.html"},
      {"http://h.com/a/b.html", "/x.html", "http://h.com/x.html"},
      {"http://h.com", "/x.html", "http://h.com/x.html"},
      {"http://h.com/", "/x.html", "http://h.com/x.html"},
      {"https://h.com/a/b.html", "/x.html", "https://h.com/x.html"},
      {"https://h.com", "/x.html", "https://h.com/x.html"},
      {"http://a.b/c", "/x.html", "http://a.b/x.html"},
      {"http://h.com/a/b.html", "x.html", "http://h.com/a/x.html"},
      {"http://h.com/a/", "x.html", "http://h.com/a/x.html"},
      {"http://h.com", "x.html", "http://h.com/x.html"},
      {"https://h.com", "x.html", "https://h.com/x.html"},
      {"http://h.com/a/", "b/./c/./d.html", "http://h.com/a/b/c/d.html"},
      {"http://h.com/a/b.html", "", "http://h.com/a/"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ResolveHref(c.base, c.href), c.result) << c.base << " + " << c.href;
}

TEST(ResolveHref, UrlHelpers) {
  const std::pair<const char*, const char*> parents[] = {
      {"http://h.com/a/b.html", "http://h.com/"},
      {"http://h.com/a/", "http://h.com/"},
      {"a/b", "a"},
      {"/b", ""},
      {"nothing", "nothing"},
      {"", ""},
  };
  for (auto [url, parent] : parents)
    EXPECT_EQ(ParentUrl(url), parent) << url;
  const std::pair<const char*, int> slashes[] = {
      {"http://h.com/a/b.html", 2}, {"http://h.com/a/", 1}, {"http://h.com/", 0},
      {"http://h.com", 0},          {"h.com/a/b", 0},       {"", 0},
  };
  for (auto [url, count] : slashes)
    EXPECT_EQ(CountPathSlashes(url), count) << url;
}

TEST(HtmlToText, CleansFragments) {
  const std::pair<const char*, const char*> cases[] = {
      {"<b>Big</b> news", "Big news"},
      {"  <p> </p>\t<br/>\r\n ", ""},
      {"<a href=\"x\">caf&eacute; &amp;lt; caf\xC3\xA9</a>", "caf\xE9 &lt; caf\xE9"},
      {"line\none\tcol", "line one col"},
      {"&nbsp;x&nbsp;", "\xA0x\xA0"},
      {"\xC2\xA0x\xC2\xA0", "x"},
      {"a < b", "a"},
      {"a > b", "a > b"},
      {"", ""},
  };
  for (auto [in, out] : cases)
    EXPECT_EQ(HtmlToText(in), out) << in;
  EXPECT_EQ(RemoveWhiteSpace(" a\tb\r\nc "), "abc");
}

TEST(HtmlToText, NoTagSurvivesOnCorpusPages) {
  int pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(WT_CORPUS_DIR)) {
    std::string html = ReadFileBytes(entry.path().string());
    // With the entities that decode to '<' gone, every '<' of the text would
    // have come from markup.
    for (const char* entity : {"&lt;", "&#60;"})
      html = ReplaceAll(html, entity, "");
    const std::string text = HtmlToText(html);
    ++pages;
    const size_t at = text.find('<');
    EXPECT_EQ(at, std::string::npos) << entry.path() << ": " << text.substr(at, 40);
    EXPECT_FALSE(text.empty()) << entry.path();
  }
  EXPECT_GT(pages, 100);
}

TEST(HtmlMarkup, StripTagsAndMaskQuotedBrackets) {
  struct Case {
    const char* in;
    const char* out;
    int result;
  };
  const Case strip[] = {
      {"a<b>c</b>d", "acd", 2}, {"a<b", "a", 1}, {"<>", "", 1}, {"x > y", "x > y", 0}, {"", "", 0}};
  for (const auto& c : strip) {
    std::string text = c.in;
    EXPECT_EQ(StripTags(text.data()), c.result) << c.in;
    EXPECT_STREQ(text.c_str(), c.out) << c.in;
  }
  const Case mask[] = {
      {"<a title=\"x>y\" href=\"z\">t</a>", "<a title=\"x}y\" href=\"z\">t</a>", 1},
      {"<a title=\"<b>\">", "<a title=\"{b}\">", 2},
      {"text \"a>b\" <i>", "text \"a>b\" <i>", 0},
      {"<a title='x>y'>", "<a title='x>y'>", 0},
      {"<a title=\"x\ny>z\">", "<a title=\"x\ny>z\">", 0},
      {"", "", 0},
  };
  for (const auto& c : mask) {
    std::string text = c.in;
    EXPECT_EQ(MaskQuotedBrackets(text.data()), c.result) << c.in;
    EXPECT_EQ(text, c.out) << c.in;
  }
}

} // namespace
