// Every page of the corpus through the tag parser and the detection passes:
// both finish, the tree stays inside its parents, and the items found are
// the same on every run and the same as the record kept under
// data/detect. The record is no proof of correctness: it makes a change in
// what is found visible, to be judged. After such a change, rewrite it with
//   WT_REWRITE_DETECT_RECORD=1 engine_tests --gtest_filter='DetectCorpus*'
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "platform/rtl/Codepage.h"
#include "tests/engine/SmartTree.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusPages() {
  std::vector<fs::path> pages;
  for (const auto& entry : fs::directory_iterator(WT_CORPUS_DIR))
    if (entry.path().extension() == ".html")
      pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());
  return pages;
}

std::string RecordPath(const fs::path& page) {
  return std::string(WT_TEST_DATA_DIR) + "/detect/" + page.stem().string() + ".txt";
}

// The page as a news source fetched it: the items committed, one line each,
// and a last line of counts.
std::string DetectPage(const fs::path& page) {
  NewsSource source(nullptr);
  source.keepChangeTrack = false;
  source.SetUrl("http://127.0.0.1/pages/" + page.filename().string());
  const std::string body = ReadFileBytes(page.string());
  source.pageText = PageFromBody(body.data(), body.size());
  source.parser->Parse(source.pageText);

  std::unique_ptr<CSmartStructure> clean = source.parser->structure->WithoutComments();
  CSmartStructure& structure = *clean;
  int nodes = structure.BuildTree() ? ExpectNodesInsideParents(structure, *structure.root) : 0;
  for (const TSmartToken& token : structure.tokens) {
    EXPECT_GE(token.start, 0);
    EXPECT_LE(static_cast<size_t>(token.start) + token.length, source.pageText.size());
  }

  int candidates = source.DetectNews(NewsSource::DetectAll);
  int committed = candidates > 0 ? source.CommitCandidates() : 0;
  std::string out;
  for (int i = 0; i < source.GetNewsCount(); ++i) {
    const NewsData* item = source.GetNews(i);
    out += Cp1252ToUtf8(item->dateText + " | " + item->headline + " | " + item->link + " | " +
                        source.MakeAbsoluteUrl(item->link)) +
           "\n";
  }
  out += "candidates " + std::to_string(candidates) + " committed " + std::to_string(committed) +
         " tokens " + std::to_string(source.parser->structure->tokenCount) + " nodes " +
         std::to_string(nodes) + "\n";
  return out;
}

class DetectCorpus : public testing::Test {
protected:
  static void SetUpTestSuite() { InitNewsTools(); }
  static void TearDownTestSuite() { FreeNewsTools(); }
};

TEST_F(DetectCorpus, EveryPageGivesItsRecordedItems) {
  const std::vector<fs::path> pages = CorpusPages();
  ASSERT_FALSE(pages.empty());
  const bool rewrite = std::getenv("WT_REWRITE_DETECT_RECORD") != nullptr;
  int pagesWithItems = 0;
  for (const fs::path& page : pages) {
    SCOPED_TRACE(page.filename().string());
    const std::string found = DetectPage(page);
    EXPECT_EQ(DetectPage(page), found);
    pagesWithItems += found.find('\n') + 1 < found.size() ? 1 : 0;
    if (rewrite) {
      std::ofstream(RecordPath(page), std::ios::binary) << found;
      continue;
    }
    EXPECT_EQ(found, ReadFileBytes(RecordPath(page)));
  }
  // The corpus holds dated lists; a pass that never finds anything is broken.
  EXPECT_GT(pagesWithItems, 0);
}

} // namespace
