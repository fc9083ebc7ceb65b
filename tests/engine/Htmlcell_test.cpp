#include "engine/Htmlcell.h"

#include <gtest/gtest.h>

namespace {

TEST(HtmlCell, ExtractsNestedElements) {
  struct Case {
    const char* text;
    const char* opening;
    const char* closing;
    int start;
    bool ignoreCase;
    int position;
    const char* cell;
  };
  const Case cases[] = {
      {"x <a title=\"1 > 0\" href=\"y\">t</a>", "<a", ">", 0, true, 2,
       "<a title=\"1 > 0\" href=\"y\">"},
      {"<A HREF=x>t</A>", "<a", ">", 0, true, 0, "<A HREF=x>"},
      {"<A HREF=x>t</A>", "<a", ">", 0, false, -1, ""},
      {"<div><div>in</div>out</div>tail", "<div", "</div>", 0, false, 0,
       "<div><div>in</div>out</div>"},
      {"<div><div><div>in</div>", "<div", "</div>", 0, false, 0, ""}, // still nested: none
      {"<div><div>in</div>", "<div", "</div>", 0, false, 0, "<div><div>in</div>"},
      {"<a href=x", "<a", ">", 0, true, 0, "<a href=x"}, // runs to the end
      {"<a>1</a> <a>2</a>", "<a", ">", 1, true, 9, "<a>"},
      {"<a>1</a>", "<a", ">", 100, true, -1, ""},
      {"<a>1</a>", "<a", ">", -5, true, 0, "<a>"},
      {"", "<a", ">", 0, true, -1, ""},
  };
  for (const auto& c : cases) {
    CHtmlCell cell;
    EXPECT_EQ(cell.ExtractCell(c.text, c.opening, c.closing, c.start, c.ignoreCase), c.position)
        << c.text;
    EXPECT_EQ(cell.GetCellText(), c.cell) << c.text;
  }
}

TEST(HtmlCell, EmptiedByAFailedExtraction) {
  CHtmlCell cell;
  ASSERT_EQ(cell.ExtractCell("<a href=x>", "<a", ">", 0, true), 0);
  EXPECT_EQ(cell.ExtractCell("no anchor", "<a", ">", 0, true), -1);
  EXPECT_EQ(cell.GetCellText(), "");
}

TEST(HtmlCell, GetAttribute) {
  struct Case {
    const char* element;
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"<a href=\"x.html\">", "href", "\"x.html\""},
      {"<a HREF = x.html>", "href", "x.html"},
      {"<a\thref=x.html title=t>", "HREF", "x.html"},
      {"<a href='x.html'>", "href", "'x.html'"},
      {"<a data-href=\"no\" href=\"yes\">", "href", "\"yes\""},
      {"<a xhref=no>", "href", ""},
      {"<a href title=\"t\" href=y>", "href", "y"},
      {"<a title=x>", "href", ""},
      {"<a href=\"unterminated>", "href", ""},
      {"<a href=open", "href", ""},
      {"<a href=", "href", ""},
  };
  for (const auto& c : cases) {
    CHtmlCell cell;
    cell.ExtractCell(c.element, "<a", ">", 0, true);
    AnsiString value = "stale";
    EXPECT_EQ(cell.GetAttribute(c.name, value), 0);
    EXPECT_EQ(value, c.value) << c.element;
  }
}

} // namespace
