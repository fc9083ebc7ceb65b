// The tag parser finds its marks in one walk over the page: it must find
// exactly what each mark's compiled pattern finds, capacities included, on
// made texts dense with near misses and on every corpus page.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "engine/Smartmarklist.h"
#include "engine/Smartparser.h"
#include "tests/support/TempDir.h"

namespace {

void ExpectMarksAsPatterns(const std::string& page, const std::string& what) {
  CSmartParser parser;
  parser.SetText(page);
  parser.FindMarks();
  for (int type = 0; type < mtCount; ++type) {
    const CSmartMarkList& found = *parser.GetMark(type);
    CSmartMarkList reference(found.name, found.pattern, found.capacity);
    reference.FindAll(parser.maskedText.c_str(), 0);
    ASSERT_EQ(found.count, reference.count) << found.name << " " << what;
    ASSERT_EQ(found.full, reference.full) << found.name << " " << what;
    for (int i = 0; i < found.count; ++i) {
      ASSERT_EQ(found.starts[i], reference.starts[i]) << found.name << " #" << i << " " << what;
      ASSERT_EQ(found.lengths[i], reference.lengths[i]) << found.name << " #" << i << " " << what;
    }
  }
}

} // namespace

TEST(TagWalk, FindsWhatThePatternsFindOnMadeTexts) {
  // Names in both cases and cut short, every kind of blank before and after
  // the slash, brackets inside quoted values, comment marks run together.
  const std::string pieces[] = {"<",
                                ">",
                                "/",
                                " ",
                                "\r",
                                "\n",
                                "\t",
                                "table",
                                "TaBlE",
                                "tab",
                                "tr",
                                "TD",
                                "td",
                                "a",
                                "A",
                                "span",
                                "SPANx",
                                "<!--",
                                "-->",
                                "--",
                                "\"",
                                "x",
                                std::string("\0", 1),
                                "tr>"};
  std::mt19937 random(9);
  std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
  for (int trial = 0; trial < 3000; ++trial) {
    std::string text;
    for (int i = 0; i < 1 + trial % 40; ++i)
      text += pieces[pick(random)];
    ExpectMarksAsPatterns(text, "on \"" + text + "\"");
  }
}

TEST(TagWalk, StopsEveryMarkAtItsCapacity) {
  std::string page;
  for (int i = 0; i < 260; ++i)
    page += "<table><a href=x><!--c--><span>";
  ExpectMarksAsPatterns(page, "beyond the capacities");
}

TEST(TagWalk, FindsWhatThePatternsFindOnEveryCorpusPage) {
  int pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(WT_CORPUS_DIR)) {
    if (entry.path().extension() != ".html")
      continue;
    ExpectMarksAsPatterns(ReadFileBytes(entry.path().string()), entry.path().filename());
    ++pages;
  }
  EXPECT_GT(pages, 100);
}
