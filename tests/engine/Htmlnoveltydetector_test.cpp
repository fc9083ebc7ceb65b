#include "engine/Htmlnoveltydetector.h"

#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Messages.h"
#include "tests/support/Privileges.h"
#include "tests/support/TempDir.h"

namespace {

// Every detector of these tests keeps its copies in a folder of the test's own.
class NoveltyDetector : public testing::Test {
protected:
  void SetUp() override { CNoveltyDetector::SetCacheFolder(Dir.File("cache")); }
  TTempDir Dir;
};

TEST_F(NoveltyDetector, FingerprintIsTheMd5OfTheNormalisedText) {
  EXPECT_EQ(CNoveltyDetector::Fingerprint32(" \r\na b\tc \n", false, false, false),
            "10211690C43DF51B7D70F4D8932EF838");
}

TEST_F(NoveltyDetector, WhatNormalisationIgnores) {
  struct {
    const char* Name;
    bool Html, Dates, Hex;
    const char* First;
    const char* Second;
    bool SecondIsNew;
  } cases[] = {
      {"blanks and line ends", false, false, false, "<p>News of\tthe day</p>\n",
       "  <p>News  of the\r\nday</p>", false},
      {"a changed word", true, true, true, "<p>News of the day</p>", "<p>News of the night</p>",
       true},
      {"markup", true, false, false, "<b>Tea &amp; cake</b>", "<i class=x>Tea &#38; cake</i>",
       false},
      {"markup kept", false, false, false, "<b>Tea</b>", "<i>Tea</i>", true},
      {"a date", false, true, false, "Updated 12/05/2003 here", "Updated 1-6-2004 here", false},
      {"a date kept", false, false, false, "Updated 12/05/2003", "Updated 13/05/2003", true},
      {"a time", false, true, false, "At 10h45 today", "At 9:07:31 today", false},
      {"a hex run", false, false, true, "<a href=\"?sid=a3f9c\">", "<a href=\"?sid=0B7E2\">",
       false},
      {"a hex run kept", false, false, false, "sid=a3f9c", "sid=0b7e2", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    CNoveltyDetector detector("http://example.com/", false, c.Html, c.Dates, c.Hex);
    EXPECT_TRUE(detector.IsNew(c.First));
    EXPECT_EQ(detector.IsNew(c.Second), c.SecondIsNew);
  }
}

TEST_F(NoveltyDetector, BlankPagesAreNeverNewAndLeaveNoTrace) {
  CNoveltyDetector detector("http://example.com/", true, false, false, false);
  for (const char* blank : {"", " \r\n\t ", "\x01\x02"}) {
    EXPECT_FALSE(detector.IsNew(blank));
    EXPECT_EQ(detector.GetHistoryCount(), 0);
    EXPECT_EQ(detector.GetCopyCounter(), 0);
  }
  EXPECT_TRUE(detector.IsNew("page"));
}

TEST_F(NoveltyDetector, HistoryKeepsEveryStateUntilTheDepthIsSetAgain) {
  for (int depth : {1, 3, 1024}) {
    SCOPED_TRACE(depth);
    CNoveltyDetector detector("http://example.com/", false, false, false, false);
    detector.SetDepth(depth);
    for (const char* page : {"A", "B", "C", "D"})
      EXPECT_TRUE(detector.IsNew(page)) << page;
    EXPECT_FALSE(detector.IsNew("A"));
    EXPECT_EQ(detector.GetHistoryCount(), 4);

    detector.SetDepth(1);
    EXPECT_EQ(detector.GetHistoryCount(), 1);
    EXPECT_FALSE(detector.IsNew("D"));
    EXPECT_TRUE(detector.IsNew("A"));
  }
}

TEST_F(NoveltyDetector, DepthIsClamped) {
  CNoveltyDetector detector("http://example.com/", false, false, false, false);
  EXPECT_EQ(detector.GetDepth(), 3);
  for (auto [given, kept] :
       std::vector<std::pair<int, int>>{{0, 1}, {-5, 1}, {5000, 1024}, {7, 7}}) {
    detector.SetDepth(given);
    EXPECT_EQ(detector.GetDepth(), kept) << given;
  }
}

TEST_F(NoveltyDetector, ChangingAFlagClearsTheHistory) {
  CNoveltyDetector detector("http://example.com/", false, true, true, true);
  for (const char* page : {"A", "B", "C", "D", "E"})
    detector.IsNew(page);
  detector.SetFlags(false, true, true, true);
  EXPECT_EQ(detector.GetHistoryCount(), 3) << "unchanged flags only cut the history to the depth";
  EXPECT_FALSE(detector.IsNew("E"));
  detector.SetFlags(false, true, false, true);
  EXPECT_EQ(detector.GetHistoryCount(), 0);
  EXPECT_TRUE(detector.IsNew("E"));
}

TEST_F(NoveltyDetector, NewPagesAreCopiedToNumberedFiles) {
  CNoveltyDetector detector(" http://www.example.com/a/b.html \r\n", true, true, false, false);
  const std::string name = "http___www_example_com_a_b_html.htm";
  EXPECT_EQ(detector.GetFileName(), name);
  const std::string folder = Dir.File("cache") + "/";
  EXPECT_EQ(CNoveltyDetector::GetCacheFolder(), folder);

  std::vector<std::string> pages = {" <p>one</p>\r\n", "<p>two</p>", "<p>three</p>"};
  for (const auto& page : pages)
    ASSERT_TRUE(detector.IsNew(page));
  EXPECT_FALSE(detector.IsNew("<b>three</b>"));
  EXPECT_EQ(detector.GetCopyCounter(), 3);
  EXPECT_EQ(detector.GetLastCopyPath(), folder + name + "00003.htm");
  for (size_t i = 0; i < pages.size(); ++i)
    EXPECT_EQ(ReadFileBytes(folder + name + "0000" + std::to_string(i + 1) + ".htm"), pages[i]);
  EXPECT_EQ(FindFiles(folder, "*").size(), 3u);

  // A restored counter continues the numbering.
  detector.SetCopyCounter(41);
  ASSERT_TRUE(detector.IsNew("<p>four</p>"));
  EXPECT_EQ(ReadFileBytes(folder + name + "00042.htm"), "<p>four</p>");
}

// Two URLs that differ only in a '_' where the other has another character
// keep copies of their own; a URL without '_' keeps the name its copies
// always had, so that they are still found.
TEST_F(NoveltyDetector, UrlsApartByAnUnderscoreNeverShareACopy) {
  struct {
    const char* Url;
    const char* Name;
  } names[] = {
      {"http://h/page/a-b", "http___h_page_a_b.htm"},
      {"http://h/page/a_b", "http___h_page_a-5Fb.htm"},
      {"http://h/page/a__b_", "http___h_page_a-5F-5Fb-5F.htm"},
      {"http://h/p%20q?x=1&y=2#z", "http___h_p_20q_x_1_y_2_z.htm"},
      {"http://h/a%5Fb", "http___h_a_5Fb.htm"},
  };
  for (const auto& n : names)
    EXPECT_EQ(CNoveltyDetector(n.Url, false, false, false, false).GetFileName(), n.Name) << n.Url;

  CNoveltyDetector dashed("http://h/page/a-b", true, false, false, false);
  CNoveltyDetector underscored("http://h/page/a_b", true, false, false, false);
  ASSERT_TRUE(dashed.IsNew("<p>dashed</p>"));
  ASSERT_TRUE(underscored.IsNew("<p>underscored</p>"));
  EXPECT_NE(dashed.GetLastCopyPath(), underscored.GetLastCopyPath());
  EXPECT_EQ(ReadFileBytes(dashed.GetLastCopyPath()), "<p>dashed</p>");
  EXPECT_EQ(ReadFileBytes(underscored.GetLastCopyPath()), "<p>underscored</p>");
  underscored.DeleteCacheFiles();
  EXPECT_EQ(FindFiles(CNoveltyDetector::GetCacheFolder(), "*"),
            std::vector<AnsiString>{"http___h_page_a_b.htm00001.htm"});
}

// A copy is written whole through a temporary file or not at all: on a full
// disk no copy, empty or cut, is left under the copy's name, the last copy
// path names none, and the number goes to the next copy.
TEST_F(NoveltyDetector, ACopyThatCannotBeWrittenLeavesNoFileAndNoPath) {
  CNoveltyDetector detector("http://h/p.html", true, false, false, false);
  const std::string folder = Dir.File("cache") + "/";
  const std::string first = folder + detector.GetFileName() + "00001.htm";
  {
    // Every write past the first bytes fails, as on a full disk.
    TFileSizeLimit full(16);
    ASSERT_TRUE(detector.IsNew("<p>" + std::string(100000, 'x') + "</p>"));
  }
  EXPECT_FALSE(FileExists(first));
  EXPECT_EQ(detector.GetLastCopyPath(), "");
  EXPECT_EQ(detector.GetCopyCounter(), 0);

  ASSERT_TRUE(detector.IsNew("<p>two</p>"));
  EXPECT_EQ(detector.GetLastCopyPath(), first);
  EXPECT_EQ(ReadFileBytes(first), "<p>two</p>");
  EXPECT_EQ(FindFiles(folder, "*").size(), 1u);
}

TEST_F(NoveltyDetector, DeletingCopiesOfOnePageOrOfAll) {
  CNoveltyDetector first("http://one.example/", true, false, false, false);
  CNoveltyDetector second("http://two.example/", true, false, false, false);
  for (const char* page : {"x", "y"}) {
    first.IsNew(page);
    second.IsNew(page);
  }
  const std::string folder = CNoveltyDetector::GetCacheFolder();
  Dir.Write("cache/notes.txt", "kept");
  first.DeleteCacheFiles();
  EXPECT_EQ(FindFiles(folder, "*"),
            (std::vector<AnsiString>{"http___two_example_.htm00001.htm",
                                     "http___two_example_.htm00002.htm", "notes.txt"}));
  EXPECT_EQ(CNoveltyDetector::DeleteAllCacheFiles(), 2);
  EXPECT_EQ(FindFiles(folder, "*"), std::vector<AnsiString>{"notes.txt"});
  EXPECT_EQ(CNoveltyDetector::DeleteAllCacheFiles(), 0);
}

std::vector<std::string> Shown;
int RecordBox(const char* text, const char* caption, int) {
  Shown.push_back(std::string(caption) + "|" + text);
  return IDOK;
}

TEST_F(NoveltyDetector, CacheFolderThatCannotBeMadeTurnsCopiesOff) {
  Dir.Write("file", "in the way");
  CNoveltyDetector::SetCacheFolder(Dir.File("file/cache"));
  Shown.clear();
  SetMessageBoxHook(RecordBox);
  CNoveltyDetector detector("http://example.com/", true, false, false, false);
  SetMessageBoxHook(nullptr);
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0], "Error|Failed to create/access cache directory : '" + Dir.File("file/cache") +
                          "/'\nCache track disabled ...");
  EXPECT_FALSE(detector.GetKeepCopies());
  EXPECT_TRUE(detector.IsNew("page"));
  EXPECT_EQ(detector.GetCopyCounter(), 0);
  EXPECT_EQ(detector.GetLastCopyPath(), "");
}

} // namespace
