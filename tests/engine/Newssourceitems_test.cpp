// A news source's URL and detectors, its item list and the commit of the
// candidates a detection pass found.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/Newssource.h"
#include "tests/support/TempDir.h"

namespace {

class SourceItems : public testing::Test {
protected:
  void SetUp() override { CNoveltyDetector::SetCacheFolder(Dir.File("cache")); }

  std::unique_ptr<NewsData> Item(const std::string& headline, const std::string& date,
                                 const std::string& link = "/news/item.html") {
    return std::make_unique<NewsData>(&source, date, "", "", "", headline, "", link);
  }

  std::vector<std::string> NewsHeadlines() const {
    std::vector<std::string> headlines;
    for (int i = 0; i < source.GetNewsCount(); ++i)
      headlines.push_back(source.GetNews(i)->headline);
    return headlines;
  }

  TTempDir Dir;
  NewsSource source{nullptr};
};

struct TCandidate {
  const char* headline;
  const char* date;
  const char* link;
};

TEST_F(SourceItems, CommitDropsKnownItemsAndPrunesMostlyDatedLists) {
  struct TCase {
    const char* name;
    std::vector<TCandidate> candidates;
    std::vector<std::string> committed;
  } cases[] = {
      {"seven with one undated: the undated, the short link and the known go",
       {{"Known", "12/05/2003", "/n/0.html"},
        {"A", "12/05/2003", "/n/1.html"},
        {"B", " 12/05 ", "/n/2.html"},
        {"C", "12/05/2003", "/n/3.html"},
        {"Short link", "12/05/2003", " /n.ht "},
        {"Undated", " 2003 ", "/n/5.html"},
        {"D", "12/05/2003", "/n/6.htm"}},
       {"A", "B", "C", "D"}},
      {"six with two undated: only the known goes",
       {{"A", "12/05/2003", "/n/1.html"},
        {"Undated", "", "/n/2.html"},
        {"Known", "12/05/2003", "/n/0.html"},
        {"Short link", "12/05/2003", "x"},
        {"Undated too", "2003", "/n/5.html"},
        {"B", "12/05/2003", "/n/6.html"}},
       {"A", "Undated", "Short link", "Undated too", "B"}},
      {"five never prune",
       {{"A", "12/05/2003", "/n/1.html"},
        {"Undated", "", "/n/2.html"},
        {"B", "12/05/2003", "/n/3.html"},
        {"C", "12/05/2003", "/n/4.html"},
        {"D", "12/05/2003", "/n/5.html"}},
       {"A", "Undated", "B", "C", "D"}},
  };
  for (const TCase& c : cases) {
    source.news.clear();
    source.AddNews(Item("Known", "12/05/2003", "/n/0.html"));
    for (const TCandidate& candidate : c.candidates)
      source.candidates.push_back(Item(candidate.headline, candidate.date, candidate.link));
    EXPECT_EQ(source.CommitCandidates(), static_cast<int>(c.committed.size())) << c.name;
    std::vector<std::string> expected{"Known"};
    expected.insert(expected.end(), c.committed.begin(), c.committed.end());
    EXPECT_EQ(NewsHeadlines(), expected) << c.name;
    EXPECT_TRUE(source.candidates.empty()) << c.name;
  }
  // A page that repeats its items commits nothing.
  source.candidates.push_back(Item("A", "12/05/2003", "/n/1.html"));
  EXPECT_EQ(source.CommitCandidates(), 0);
}

TEST_F(SourceItems, ItemListAndItsLookUps) {
  EXPECT_EQ(source.GetNews(0), nullptr);
  source.AddNews(Item("First", "12/05/2003"));
  source.AddNews(Item("First", "12/05/2003"));
  EXPECT_EQ(source.GetNewsCount(), 2);
  EXPECT_EQ(source.GetNews(1)->headline, "First");
  EXPECT_EQ(source.GetNews(-1), nullptr);
  EXPECT_EQ(source.GetNews(2), nullptr);

  // The same item: headline and date text; the link takes no part.
  EXPECT_TRUE(source.IsKnown(Item("First", "12/05/2003", "/elsewhere.html").get()));
  EXPECT_FALSE(source.IsKnown(Item("First", "13/05/2003").get()));
  EXPECT_FALSE(source.IsKnown(Item("first", "12/05/2003").get()));
  EXPECT_FALSE(source.IsInList(source.GetNews(0), nullptr));
  TNewsList empty;
  EXPECT_FALSE(source.IsInList(source.GetNews(0), &empty));
  NewsSource other(nullptr);
  EXPECT_FALSE(source.IsKnown(
      std::make_unique<NewsData>(&other, "12/05/2003", "", "", "", "First", "", "").get()));
}

TEST_F(SourceItems, SetUrlMakesDetectorsOnlyForANewUrl) {
  EXPECT_EQ(source.pageTracker, nullptr);
  source.SetUrl("");
  EXPECT_EQ(source.changeGate, nullptr);

  source.keepChangeTrack = false;
  source.historyLength = 7;
  source.SetUrl("http://127.0.0.1/news/index.html");
  ASSERT_NE(source.pageTracker, nullptr);
  ASSERT_NE(source.changeGate, nullptr);
  EXPECT_EQ(source.pageTracker->GetDepth(), 7);
  EXPECT_FALSE(source.pageTracker->GetKeepCopies());
  EXPECT_EQ(source.changeGate->GetDepth(), 10);
  EXPECT_FALSE(source.changeGate->GetKeepCopies());
  EXPECT_TRUE(source.changeGate->IsNew("<p>page</p>"));

  // The same URL, or none, keeps both detectors and their histories.
  const CNoveltyDetector* tracker = source.pageTracker.get();
  const CNoveltyDetector* gate = source.changeGate.get();
  source.SetUrl("http://127.0.0.1/news/index.html");
  source.SetUrl("");
  EXPECT_EQ(source.GetUrl(), "");
  EXPECT_EQ(source.pageTracker.get(), tracker);
  EXPECT_EQ(source.changeGate.get(), gate);
  EXPECT_EQ(source.changeGate->GetHistoryCount(), 1);

  source.SetUrl("http://127.0.0.1/other.html");
  EXPECT_NE(source.changeGate.get(), gate);
  EXPECT_EQ(source.changeGate->GetHistoryCount(), 0);
  EXPECT_EQ(source.pageTracker->GetFileName(), "http___127_0_0_1_other_html.htm");
  EXPECT_EQ(source.pageTracker->GetDepth(), 7);
  EXPECT_TRUE(source.HasUrl("http://127.0.0.1/other.html"));
  EXPECT_FALSE(source.HasUrl("http://127.0.0.1/OTHER.html"));
  EXPECT_EQ(source.MakeAbsoluteUrl("/story/1.html"), "http://127.0.0.1/story/1.html");
}

} // namespace
