// The detection passes of a news source on small hand-made pages: each page
// shows what a pass must find and what it must refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Newssource.h"
#include "engine/Newstools.h"

namespace {

struct TItem {
  std::string date;
  std::string headline;
  std::string link;
  bool operator==(const TItem&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TItem& item) {
  return out << "{" << item.date << " | " << item.headline << " | " << item.link << "}";
}

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i)
    out += piece;
  return out;
}

std::string Row(const std::string& first, const std::string& second) {
  return "<tr><td>" + first + "</td><td>" + second + "</td></tr>\n";
}

std::string Anchor(const std::string& href, const std::string& text) {
  return "<a href=\"" + href + "\">" + text + "</a>";
}

// Three rows of (date cell, title cell with a link).
const std::string DatedTable =
    "<table>\n" + Row("12/05/2003", Anchor("/news/1.html", "Council approves the new bridge")) +
    Row("13/05/2003", Anchor("/news/2.html", "Harbour reopens after the storm")) +
    Row("14/05/2003", Anchor("/news/3.html", "Library extends its opening hours")) + "</table>\n";

const std::vector<TItem> DatedTableItems = {
    {"12/05/2003", "Council approves the new bridge", "/news/1.html"},
    {"13/05/2003", "Harbour reopens after the storm", "/news/2.html"},
    {"14/05/2003", "Library extends its opening hours", "/news/3.html"},
};

// Tokens unlike those of any entry, to stand before and after a run.
const std::string Filler = Repeat("<tr></tr>", 8);

// One entry of a run of fragments: dated span, title anchor, comment count.
std::string RunEntry(int k) {
  std::string n = std::to_string(k);
  return "<span>1" + n + "/05/2003</span> " +
         Anchor("/story/" + n + ".html", "Headline number " + n + " about the harbour") +
         " <span class=\"n\">" + n + " comments</span><br>\n";
}

std::string FragmentRun(int entries) {
  std::string out;
  for (int k = 0; k < entries; ++k)
    out += RunEntry(k);
  return out;
}

class Detection : public testing::Test {
protected:
  static void SetUpTestSuite() { InitNewsTools(); }
  static void TearDownTestSuite() { FreeNewsTools(); }

  // Parses the page as a fetched one and runs the passes; the candidates.
  std::vector<TItem> Detect(const std::string& page, int mode = NewsSource::DetectAll) {
    source.pageText = page;
    source.parser->Parse(source.pageText);
    added = source.DetectNews(mode);
    std::vector<TItem> items;
    for (const auto& item : source.candidates)
      items.push_back({item->dateText, item->headline, item->link});
    EXPECT_EQ(added, static_cast<int>(items.size()));
    source.candidates.clear();
    return items;
  }

  NewsSource source{nullptr};
  int added = -1;
};

TEST_F(Detection, DatedTableRowsBecomeItems) {
  EXPECT_EQ(Detect(DatedTable), DatedTableItems);

  // A medium text wins over a long one; the link may stand in the date cell;
  // a time is a date too; single-quoted links lose their quotes.
  std::string page = "<table>\n" + Row(Anchor("/n/1.html", "12/05/2003"), "Harbour reopens today") +
                     "<tr><td>13/05/2003</td><td>Library extends its hours</td><td>A long "
                     "summary of the library's new opening hours for all of the summer</td></tr>" +
                     Row("10:30", "<a href='/n/3.html'>Market day moves to Saturday</a>") +
                     "</table>";
  EXPECT_EQ(Detect(page), (std::vector<TItem>{
                              {"12/05/2003", "Harbour reopens today", "/n/1.html"},
                              {"13/05/2003", "Library extends its hours", ""},
                              {"10:30", "Market day moves to Saturday", "/n/3.html"},
                          }));
}

// A cell's length is that of its text: long markup and entities around a
// date (unknown ones vanish) leave it a date cell.
TEST_F(Detection, DateCellIsMeasuredByItsText) {
  const std::string date = "<b title=\"" + std::string(300, 'x') + "\">12/05/2003</b> " +
                           Repeat("&zzzz;", 30) + Repeat("&amp;", 8);
  std::string page = "<table>\n";
  for (const TItem& item : DatedTableItems)
    page += Row(date, Anchor(item.link, item.headline));
  std::vector<TItem> items = DatedTableItems;
  for (TItem& item : items)
    item.date = "12/05/2003 &&&&&&&&";
  EXPECT_EQ(Detect(page + "</table>"), items);
}

TEST_F(Detection, TablesThatAreNotDatedListsAreRefused) {
  const std::string title = Anchor("/n/1.html", "Council approves the new bridge");
  struct TCase {
    const char* name;
    std::string page;
  } cases[] = {
      {"two rows", "<table>" + Row("12/05/2003", title) + Row("13/05/2003", title) + "</table>"},
      {"date cell of 20 characters",
       "<table>" + Repeat(Row("On Monday 12/05/2003", title), 3) + "</table>"},
      {"date cell of 20 characters once decoded",
       "<table>" + Repeat(Row("12/05/2003 " + Repeat("&amp;", 9), title), 3) + "</table>"},
      {"title under 15 characters",
       "<table>" + Repeat(Row("12/05/2003", Anchor("/n/1.html", "Short news")), 3) + "</table>"},
      {"no date", "<table>" + Repeat(Row("Town hall", title), 3) + "</table>"},
      {"cells without end tags",
       "<table>" + Repeat("<tr><td>12/05/2003<td>" + title + "</tr>", 3) + "</table>"},
      {"rows without end tags",
       "<table>" + Repeat("<tr><td>12/05/2003</td><td>" + title + "</td>", 3) + "</table>"},
      {"table without end tag", "<table>" + Repeat(Row("12/05/2003", title), 3)},
      {"table in a comment", "<!-- " + DatedTable + " -->"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(Detect(c.page), std::vector<TItem>()) << c.name;
}

TEST_F(Detection, MarkupInsideAttributesAndCommentsDoesNotCount) {
  // Tags inside a quoted attribute value, and rows in a comment, leave the
  // table's cells as they are.
  std::string page =
      "<table>\n<!-- <tr><td>01/01/1999</td><td>Commented out row of old news</td> "
      "-->\n" +
      Row("12/05/2003", "<a href=\"/news/1.html\" title=\"<td class=x </tr \">Council "
                        "approves the new bridge</a>") +
      Row("13/05/2003", Anchor("/news/2.html", "Harbour reopens after the storm")) +
      Row("14/05/2003", Anchor("/news/3.html", "Library extends its opening hours")) + "</table>";
  EXPECT_EQ(Detect(page), DatedTableItems);
}

TEST_F(Detection, DatedTableInsideLayoutTables) {
  std::string menu;
  for (int i = 0; i < 10; ++i)
    menu += Anchor("/section/" + std::to_string(i) + ".html", "Section " + std::to_string(i)) +
            "<br>\n";
  // The layout cells hold too many line breaks to be one dated entry each.
  std::string page = "<table><tr><td>\n" + menu + "</td><td>\n<table><tr><td>\n" +
                     Repeat("Welcome to the town's news pages.<br>\n", 8) + DatedTable +
                     "</td></tr></table>\n</td></tr></table>\n";
  EXPECT_EQ(Detect(page), DatedTableItems);
  // The same table twice gives its items once.
  EXPECT_EQ(Detect(DatedTable + DatedTable), DatedTableItems);
  // Without the table bit, nested tables are only looked at as blocks.
  EXPECT_EQ(Detect(page, NewsSource::DetectBlocks), std::vector<TItem>());
}

std::string ListEntry(int k) {
  std::string n = std::to_string(k);
  return "<li>1" + n + "/05/2003 " + Anchor("/a/" + n + ".html", "Museum opens wing number " + n) +
         "<br>\n";
}

TEST_F(Detection, DatedListBlockIsCutIntoEntries) {
  std::string list;
  std::vector<TItem> items;
  for (int k = 0; k < 6; ++k) {
    list += ListEntry(k);
    std::string n = std::to_string(k);
    items.push_back({"1" + n + "/05/2003", "Museum opens wing number " + n, "/a/" + n + ".html"});
  }
  std::string cell = "<table><tr><td>\n<ul>\n" + list + "</ul>\n</td></tr></table>";
  EXPECT_EQ(Detect(cell), items);

  // Ten list items, two lists and five breaks: the middle count is the
  // breaks, half of it is below the list items, so the list items cut.
  std::string five;
  for (int k = 0; k < 5; ++k)
    five += ListEntry(k);
  std::string tenItems = "<table><tr><td><ul>\n" + five +
                         Repeat("<li>Archive of older articles\n", 5) + "</ul><ul></ul>" +
                         "</td></tr></table>";
  EXPECT_EQ(Detect(tenItems), std::vector<TItem>(items.begin(), items.begin() + 5));

  // Without the block bit the cell is not looked at.
  EXPECT_EQ(Detect(cell, NewsSource::DetectTables), std::vector<TItem>());
}

// The cell passes as one dated entry, but a list is only ever cut into
// entries: with one half undated nothing is taken.
TEST_F(Detection, ListBlockWithoutDatesInBothHalvesGivesNothing) {
  std::string list = "<li>10/05/2003 " + Anchor("/a/0.html", "Museum opens a new wing") + "<BR>";
  for (int k = 1; k < 8; ++k)
    list += "<li>" + Anchor("/a/" + std::to_string(k) + ".html", "Undated article") + "<BR>";
  EXPECT_EQ(Detect("<table><tr><td><ul>" + list + "</ul></td></tr></table>"), std::vector<TItem>());
}

TEST_F(Detection, CellWithOneDatedEntryIsOneItem) {
  std::string page = "<table><tr><td><b>12/05/2003</b> " +
                     Anchor("/n/7.html", "Council approves the new bridge") +
                     "</td><td>side</td></tr></table>";
  EXPECT_EQ(Detect(page),
            (std::vector<TItem>{{"12/05/2003", "Council approves the new bridge", "/n/7.html"}}));
  // Under 30 characters of text it is no entry.
  EXPECT_EQ(Detect("<table><tr><td>12/05/2003 " + Anchor("/n/7.html", "Bridge opens") +
                   "</td></tr></table>"),
            std::vector<TItem>());
}

TEST_F(Detection, RepeatedFragmentsAreCutByTheirStride) {
  // Ten entries give nine distances between dated spans, so nine fragments.
  std::vector<TItem> items;
  for (int k = 0; k < 9; ++k) {
    std::string n = std::to_string(k);
    items.push_back({"1" + n + "/05/2003", "Headline number " + n + " about the harbour",
                     "/story/" + n + ".html"});
  }
  EXPECT_EQ(Detect("<p>" + Filler + "</p>" + FragmentRun(10) + Filler), items);
  // The run repeats from the region's first token: offset 0 is never used.
  EXPECT_EQ(Detect(FragmentRun(10) + Filler), std::vector<TItem>());
  // A fragment holds its whole period, up to one character before the next
  // period. Ten entries built as (anchor with title, dated span, break) give
  // nine fragments whose date is the last element of each: nine candidates,
  // whether or not the title has markup of its own.
  for (const std::string bold : {"", "<b>"}) {
    SCOPED_TRACE(bold);
    std::string anchorFirst;
    std::vector<TItem> anchorItems;
    for (int k = 0; k < 10; ++k) {
      const std::string n = std::to_string(k);
      const std::string title = "Headline number " + n + " about the harbour";
      const std::string text = bold.empty() ? title : "<b>" + title + "</b>";
      anchorFirst +=
          Anchor("/story/" + n + ".html", text) + " <span>1" + n + "/05/2003</span><br>\n";
      if (k < 9)
        anchorItems.push_back({"1" + n + "/05/2003", title, "/story/" + n + ".html"});
    }
    EXPECT_EQ(Detect("<p>" + Filler + "</p>" + anchorFirst + Filler), anchorItems);
  }
  // Mode 0 runs no pass at all.
  EXPECT_EQ(Detect("<p>" + Filler + "</p>" + FragmentRun(10) + Filler, 0), std::vector<TItem>());
}

// The region reaches back 15 tokens before the first dated token, but only
// when there are 15: with fewer, the run starts the region and, repeating
// from offset 0, is not cut.
TEST_F(Detection, StrideRegionReachesBackFifteenTokens) {
  for (auto [before, found] : {std::pair{10, 0u}, {14, 0u}, {15, 9u}, {16, 9u}}) {
    std::string lead = Repeat("<tr></tr>", before / 2) + (before % 2 != 0 ? "<tr>" : "");
    EXPECT_EQ(Detect(lead + FragmentRun(10) + Filler).size(), found) << before;
  }
}

TEST_F(Detection, TooFewDatedElementsForAStride) {
  std::string three;
  for (int k = 0; k < 3; ++k)
    three += Anchor("/story/" + std::to_string(k) + ".html", "12/05/2003") +
             " Headline about the harbour and the bridge<br>\n";
  EXPECT_EQ(Detect(Filler + three + Filler), std::vector<TItem>());
}

// The stride scan marks each anchor or span element without inner tokens by
// its text's length and by the date, time or date-time in it.
TEST_F(Detection, ElementsAreMarkedByLengthAndDate) {
  struct TCase {
    std::string element;
    int mark;
  } cases[] = {
      {"<a href=x>" + std::string(30, 'x') + "</a>", 1},
      {"<a href=x>" + std::string(31, 'x') + "</a>", 2},
      {"<span>12/05/2003</span>", 17},
      // A '>' inside a quoted attribute does not end the tag.
      {"<span title=\"a>12/05/2003 x\">Today</span>", 1},
      {"<span>12:30</span>", 33},
      {"<a href=x>12/05/2003 12:30</a>", 49},
      {"<a href=x>Council approves the new bridge on 12/05/2003</a>", 18},
      // An opening tag without its '>' before the closing tag: no text.
      {"<span 12/05/2003</span>", 1},
      // With an inner token it is no element.
      {"<span><a href=x>12/05/2003</a></span>", 0},
  };
  for (const TCase& c : cases) {
    Detect("<p>" + c.element + " 13/05/2003 and more</p>");
    const auto& tokens = source.parser->structure->tokens;
    ASSERT_GE(tokens.size(), 2u) << c.element;
    EXPECT_EQ(tokens[0].mark, c.mark) << c.element;
  }
}

TEST_F(Detection, CapacitiesBoundWhatIsSeen) {
  // Only the first 200 tables of a page are seen.
  EXPECT_EQ(Detect(Repeat("<table></table>", 199) + DatedTable), DatedTableItems);
  EXPECT_EQ(Detect(Repeat("<table></table>", 200) + DatedTable), std::vector<TItem>());
  // Only the first 200 spans: a run after 200 of them is not seen.
  EXPECT_EQ(Detect(Repeat("<span>x</span>", 200) + Filler + FragmentRun(10) + Filler),
            std::vector<TItem>());
}

TEST_F(Detection, PageWithoutTagsGivesNothing) {
  EXPECT_EQ(Detect("12/05/2003 Council approves the new bridge"), std::vector<TItem>());
  EXPECT_EQ(Detect(""), std::vector<TItem>());
  NewsSource fresh(nullptr);
  EXPECT_EQ(fresh.DetectNews(NewsSource::DetectAll), 0);
}

// The list patterns are shared by all sources: the last one alive frees them.
TEST_F(Detection, ListPatternsOutliveEveryButTheLastSource) {
  std::string list;
  for (int k = 0; k < 6; ++k)
    list += ListEntry(k);
  std::string cell = "<table><tr><td><ul>" + list + "</ul></td></tr></table>";
  { NewsSource other(nullptr); }
  EXPECT_EQ(Detect(cell).size(), 6u);
}

} // namespace
