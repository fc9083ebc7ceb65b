#include "engine/Smartparser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Pcregexp.h"
#include "tests/engine/SmartTree.h"

namespace {

std::vector<int> TokenTypes(const CSmartStructure& structure) {
  std::vector<int> types;
  for (const TSmartToken& token : structure.tokens)
    types.push_back(token.type);
  return types;
}

std::vector<int> ParsedTypes(const std::string& page) {
  CSmartParser parser;
  parser.Parse(page);
  return TokenTypes(*parser.structure);
}

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i)
    out += piece;
  return out;
}

struct TMarkCase {
  const char* html;
  std::vector<int> types;
};

TEST(SmartParser, MarksFireOnTheirTagsOnly) {
  const TMarkCase cases[] = {
      {"<TABLE border=1>", {mtOTable}},
      {"< \ttable>", {mtOTable}},
      {"<table\nclass=x>", {mtOTable}},
      {"<tablex>", {}},
      {"<table", {}},
      {"</ table>", {mtCTable}},
      {"<\n/table>", {mtCTable}},
      {"< /table>", {}},
      {"<tr><td>x</td></tr>", {mtOTr, mtOTd, mtCTd, mtCTr}},
      {"<th>x</th><tbody>", {}},
      {"<a href=\"x\">y</a>", {mtOA, mtCA}},
      {"<abbr>x</abbr>", {}},
      {"<a href=\"/p?<td >\" title=\"a>b\">t</a>", {mtOA, mtCA}},
      {"x <!-- y --> z", {mtOComment, mtCComment}},
      {"<SPAN class=d>1</Span >", {mtOSpan, mtCSpan}},
      {"plain text without tags", {}},
  };
  for (const TMarkCase& c : cases)
    EXPECT_EQ(ParsedTypes(c.html), c.types) << c.html;
}

TEST(SmartParser, TokensAreInPageOrderWithTheirPositions) {
  std::string page = "<table><tr><td><a href=x>n</a></td></tr></table>";
  CSmartParser parser;
  EXPECT_TRUE(parser.Parse(page));
  const CSmartStructure& s = *parser.structure;
  ASSERT_EQ(s.tokenCount, 8);
  for (const TSmartToken& token : s.tokens) {
    EXPECT_EQ(page[token.start], '<');
    EXPECT_TRUE(page[token.start + token.length - 1] == '>' ||
                page[token.start + token.length - 1] == ' ');
  }
  EXPECT_EQ(s.tokens[3].start, static_cast<int>(page.find("<a ")));
  EXPECT_EQ(s.tokens[3].occurrence, 0);
  EXPECT_EQ(parser.GetMark(mtOTd)->name, "o_td");
  EXPECT_EQ(parser.GetMark(mtCount), nullptr);
}

TEST(SmartParser, PairsNestedTagsAndLeavesUnclosedOnesAlone) {
  // 0 table, 1 tr, 2 td, 3 table, 4 tr, 5 td, 6 /td, 7 td (unclosed),
  // 8 /tr, 9 /table, 10 /td, 11 /tr, 12 /table: the unclosed inner cell takes
  // the outer cell's closing tag, as a forward count of the cell tags gives.
  std::string page = "<table><tr><td><table><tr><td>a</td><td>b</tr></table></td></tr></table>";
  CSmartParser parser;
  parser.Parse(page);
  const auto& t = parser.structure->tokens;
  ASSERT_EQ(t.size(), 13u);
  const int partners[][2] = {{0, 12}, {1, 11}, {3, 9}, {4, 8}, {5, 6}, {7, 10}};
  for (const auto& pair : partners) {
    EXPECT_EQ(t[pair[0]].partnerIndex, pair[1]) << pair[0];
    EXPECT_EQ(t[pair[1]].partnerIndex, pair[0]) << pair[1];
    EXPECT_EQ(t[pair[0]].partnerStart, t[pair[1]].start);
    EXPECT_EQ(t[pair[0]].partnerType, t[pair[1]].type);
  }
  EXPECT_EQ(t[2].partnerIndex, -1);
  EXPECT_EQ(t[2].partnerType, -1);
  EXPECT_TRUE(t[2].wantsPartner);
  EXPECT_FALSE(t[6].wantsPartner);
}

TEST(SmartParser, CapacitiesBoundWhatIsSeen) {
  CSmartParser parser;
  parser.Parse(Repeat("<table>", 201) + Repeat("<a href=x>", 250));
  EXPECT_TRUE(parser.GetMark(mtOTable)->full);
  EXPECT_EQ(parser.GetMark(mtOTable)->count, 200);
  EXPECT_EQ(parser.GetMark(mtOA)->count, 200);
  EXPECT_FALSE(parser.GetMark(mtCTable)->full);
  EXPECT_EQ(parser.structure->tokenCount, 400);
  int start = 0, length = 0;
  EXPECT_EQ(parser.GetMark(mtOTable)->GetOccurrence(199, start, length), 0);
  EXPECT_EQ(start, 199 * 7);
  EXPECT_EQ(parser.GetMark(mtOTable)->GetOccurrence(200, start, length), -1);

  // A second parse starts from nothing.
  parser.Parse("<tr>");
  EXPECT_FALSE(parser.GetMark(mtOTable)->full);
  EXPECT_EQ(parser.structure->tokenCount, 1);
}

TEST(SmartParser, CommentsAndWhatTheyHoldAreLeftOut) {
  std::string page = "<table><tr><td>a</td></tr></table>"
                     "<!-- <table><tr><td>b</td></tr></table> <!-- deeper --> "
                     "<table><tr><td>after</td></tr></table>";
  CSmartParser parser;
  parser.Parse(page);
  auto clean = parser.structure->WithoutComments();
  EXPECT_EQ(TokenTypes(*clean), std::vector<int>({mtOTable, mtOTr, mtOTd, mtCTd, mtCTr, mtCTable,
                                                  mtOTable, mtOTr, mtOTd, mtCTd, mtCTr, mtCTable}));
  EXPECT_EQ(clean->tokens[6].partnerIndex, 11);
  ASSERT_TRUE(clean->BuildTree());
  ASSERT_EQ(clean->root->children.size(), 2u);
  EXPECT_EQ(clean->NodeText(clean->root->children[1].get(), page), "after");
}

TEST(SmartParser, TreeOfTablesRowsCellsAndAnchors) {
  std::string page = "<table><tr><td>1</td><td><a href=x>t</a> more</td><td></td></tr>"
                     "<tr><td>never closed<td>x</tr></table>";
  CSmartParser parser;
  parser.Parse(page);
  CSmartStructure& s = *parser.structure;
  ASSERT_TRUE(s.BuildTree());
  EXPECT_EQ(s.root->type, STYP_ROOT);
  EXPECT_EQ(s.root->last, s.tokenCount);
  ASSERT_EQ(s.root->children.size(), 1u);
  const CSmartDataStructure& table = *s.root->children[0];
  EXPECT_EQ(table.type, STYP_TABLE);
  ASSERT_EQ(table.children.size(), 2u);
  const CSmartDataStructure& row = *table.children[0];
  EXPECT_EQ(row.type, STYP_TR);
  ASSERT_EQ(row.children.size(), 3u);
  // Each cell counts the tokens inside it and its closing tag.
  EXPECT_EQ(row.children[0]->content, 1);
  EXPECT_EQ(row.children[1]->content, 3);
  EXPECT_EQ(row.content, 3);
  ASSERT_EQ(row.children[1]->children.size(), 1u);
  const CSmartDataStructure& anchor = *row.children[1]->children[0];
  EXPECT_EQ(anchor.type, STYP_HREF);
  EXPECT_EQ(s.tokens[anchor.first].type, mtCA);
  EXPECT_EQ(anchor.last, -1);
  EXPECT_EQ(s.NodeHtml(row.children[1].get(), page), "<td><a href=x>t</a> more</td>");
  EXPECT_EQ(s.NodeText(row.children[1].get(), page), "t more");
  // Cells without closing tags are no cells.
  EXPECT_TRUE(table.children[1]->children.empty());
  EXPECT_EQ(table.children[1]->content, 0);
  EXPECT_EQ(s.NodeHtml(s.root.get(), page), page);
  ExpectNodesInsideParents(s, *s.root);

  s.FreeTree();
  EXPECT_TRUE(s.root->children.empty());
  EXPECT_EQ(s.tokenCount, 16);
}

TEST(SmartParser, NoTagsNoTree) {
  CSmartParser parser;
  parser.Parse("just words <b>bold</b>");
  EXPECT_EQ(parser.structure->tokenCount, 0);
  EXPECT_FALSE(parser.structure->BuildTree());
  EXPECT_EQ(parser.structure->NodeText(parser.structure->root.get(), parser.text),
            "just words bold");
}

TEST(SmartParser, NestingStopsAtTheDepthLimit) {
  std::string page = Repeat("<table><tr><td>", 31) + "deep" + Repeat("</td></tr></table>", 31);
  CSmartParser parser;
  parser.Parse(page);
  CSmartStructure& s = *parser.structure;
  ASSERT_TRUE(s.BuildTree());
  int deepest = 0;
  const CSmartDataStructure* node = s.root.get();
  while (!node->children.empty()) {
    node = node->children[0].get();
    deepest = node->depth;
  }
  EXPECT_EQ(deepest, SmartMaxDepth);
  ExpectNodesInsideParents(s, *s.root);
}

// Unbalanced markup pairs tags across tables; no child may reach outside its
// parent for that, and every node text stays inside the page.
TEST(SmartParser, UnbalancedMarkupKeepsNodesInsideParents) {
  const char* pages[] = {
      "<table><tr><td>a</table><table><tr><td>b</td></tr></table></tr></td>",
      "<table><tr><td><table><tr><td>x</td></tr></td></tr></table>",
      "<td><table><tr><td>x</td></tr></table></td><table><tr><td><a href=x>",
      "<table><tr><td><a href=x></td></tr></table><a href=y>",
      "</table></tr></td><table><tr><td><table><tr>",
  };
  for (const char* page : pages) {
    CSmartParser parser;
    parser.Parse(page);
    CSmartStructure& s = *parser.structure;
    ASSERT_TRUE(s.BuildTree()) << page;
    ExpectNodesInsideParents(s, *s.root);
    std::vector<const CSmartDataStructure*> stack{s.root.get()};
    while (!stack.empty()) {
      const CSmartDataStructure* node = stack.back();
      stack.pop_back();
      EXPECT_LE(s.NodeHtml(node, page).size(), std::string(page).size());
      for (const auto& child : node->children)
        stack.push_back(child.get());
    }
  }
}

TEST(SmartParser, NodeSpansStayInsideThePage) {
  std::string page = "<table><tr><td>x</td></tr></table><a href=z>";
  CSmartParser parser;
  parser.Parse(page);
  CSmartStructure& s = *parser.structure;
  struct TSpanCase {
    int first;
    int last;
    std::string html;
  };
  const TSpanCase cases[] = {
      {-1, s.tokenCount, page},
      {0, 6, page.substr(0, page.find("<a") + 3)},
      {6, -1, "<a "},
      {s.tokenCount, -1, ""},
      {-1, -1, ""},
      {2, s.tokenCount + 5, page.substr(page.find("<td"))},
  };
  for (const TSpanCase& c : cases) {
    CSmartDataStructure node;
    node.first = c.first;
    node.last = c.last;
    EXPECT_EQ(s.NodeHtml(&node, page), c.html) << c.first << " " << c.last;
  }
}

TEST(SmartParser, CountMatchesInANode) {
  std::string page = "<table><tr><td><br>a<BR/>b<br//>c<br></td></tr></table><br>";
  CSmartParser parser;
  parser.Parse(page);
  CSmartStructure& s = *parser.structure;
  ASSERT_TRUE(s.BuildTree());
  const CSmartDataStructure* cell = s.root->children[0]->children[0]->children[0].get();
  TPCRegexp br("(?i)<br[/]*>");
  int starts[2] = {-1, -1};
  EXPECT_EQ(s.CountMatches(cell, page, br, starts, 2), 4);
  EXPECT_EQ(starts[0], 4);
  EXPECT_EQ(starts[1], 9);
  EXPECT_EQ(s.CountMatches(s.root.get(), page, br), 5);
  TPCRegexp li("(?i)<li");
  EXPECT_EQ(s.CountMatches(cell, page, li), 0);
  std::string many = "<table><tr><td>" + Repeat("<li>", 1500) + "</td></tr></table>";
  CSmartParser big;
  big.Parse(many);
  ASSERT_TRUE(big.structure->BuildTree());
  EXPECT_EQ(big.structure->CountMatches(big.structure->root.get(), many, li), SmartMaxMatches);
}

} // namespace
