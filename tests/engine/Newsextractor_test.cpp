// The source list: scheduler, parking, news of all sources, and the sources
// and news files on disk.
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/Htmlnoveltydetector.h"
#include "engine/Newsextractor.h"
#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Messages.h"
#include "tests/support/Privileges.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::string> Boxes;

int RecordBox(const char* text, const char* caption, int) {
  Boxes.push_back(std::string(caption) + ": " + text);
  return IDOK;
}

class RecordingUpdater : public NewsUpdater {
public:
  void OnNewsReceived(NewsSource* source, int32_t count) override {
    Reports.push_back(source->name + ":" + std::to_string(count));
  }
  std::vector<std::string> Reports;
};

SourceDefinition Definition(const std::string& name, bool enabled = true) {
  SourceDefinition definition;
  definition.name = name;
  definition.url = "http://127.0.0.1/" + name + ".html";
  definition.enabled = enabled;
  return definition;
}

std::string
Block(const std::string& url, const std::string& name,
      const std::string& flags = "true\r\ntrue\r\nfalse\r\ntrue\r\ntrue\r\ntrue\r\ntrue",
      const std::string& history = "3", const std::string& counter = "0") {
  return "----\r\n" + url + "\r\n" + name + "\r\n\r\n" + flags + "\r\n" + history + "\r\n" +
         counter + "\r\n";
}

const std::string Header = "Source definition version 1.020b\r\n1.020b\r\n\r\n\r\n";

std::string NewsItem(const std::string& source, TDateTime received, const std::string& headline,
                     const std::string& date = "01/02/2024", int kind = 0) {
  return source + "\r\n" + FormatDayCount(received) + "\r\n" + headline + "\r\nhttp://h/" +
         headline + "\r\n" + std::to_string(kind) + "\r\n" + date + "\r\n";
}

std::vector<std::string> Names(const NewsExtractor& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.GetSourceCount(); ++i)
    names.push_back(list.GetSource(i)->name);
  return names;
}

std::vector<std::string> Headlines(const NewsExtractor& list) {
  std::vector<NewsData*> items;
  list.GetAllNews(items);
  std::vector<std::string> headlines;
  for (const NewsData* item : items)
    headlines.push_back(item->source->name + "/" + item->headline + "/" + item->dateText);
  return headlines;
}

class NewsExtractorTest : public testing::Test {
protected:
  void SetUp() override {
    NewsExtractor::nextIndex = 0;
    NewsExtractor::SetMaxRequest(4);
    Boxes.clear();
    SetMessageBoxHook(RecordBox);
    CNoveltyDetector::SetCacheFolder(dir.File("cache/"));
  }
  void TearDown() override { SetMessageBoxHook(nullptr); }

  TTempDir dir;
  RecordingUpdater updater;
  NewsExtractor list{&updater};
};

TEST_F(NewsExtractorTest, SetMaxRequestKeepsTheLimitWithinOneToTen) {
  for (auto [count, limit] : {std::pair{0, 1}, {-5, 1}, {25, 10}, {10, 10}, {3, 3}}) {
    NewsExtractor::SetMaxRequest(count);
    EXPECT_EQ(NewsExtractor::maxRequest, limit) << count;
  }
}

TEST_F(NewsExtractorTest, SchedulerGoesRoundSkippingDisabledBusyAndRecentSources) {
  EXPECT_EQ(list.GetNextSource(20), nullptr) << "empty list";
  list.AddSource(Definition("a"));
  list.AddSource(Definition("b", false));
  list.AddSource(Definition("c"));
  std::vector<std::string> order;
  for (int i = 0; i < 4; ++i)
    order.push_back(list.GetNextSource(20)->name);
  EXPECT_EQ(order, (std::vector<std::string>{"c", "a", "c", "a"}));
  EXPECT_EQ(list.GetEnabledCount(), 2);

  // Requested a moment ago: not due; a busy source is skipped as well.
  list.GetSource(0)->lastRequest = Now();
  list.GetSource(2)->busy = true;
  EXPECT_EQ(list.GetNextSource(20), nullptr);
  list.GetSource(2)->busy = false;
  EXPECT_EQ(list.GetNextSource(20), list.GetSource(2));
}

TEST_F(NewsExtractorTest, SchedulerStopsAtTheBusyLimitWithoutMoving) {
  for (const char* name : {"a", "b", "c"})
    list.AddSource(Definition(name));
  NewsExtractor::SetMaxRequest(2);
  list.GetSource(0)->busy = true;
  EXPECT_EQ(list.GetNextSource(20), list.GetSource(1));
  list.GetSource(1)->busy = true;
  EXPECT_EQ(list.GetBusyCount(), 2);
  EXPECT_EQ(list.GetNextSource(20), nullptr);
  EXPECT_EQ(NewsExtractor::nextIndex, 1);
}

TEST_F(NewsExtractorTest, NothingDueVisitsEverySourceOnceAndMovesOnePosition) {
  for (const char* name : {"a", "b", "c"})
    list.AddSource(Definition(name));
  for (int i = 0; i < 3; ++i)
    list.GetSource(i)->lastRequest = Now();
  for (int start : {0, 1, 2}) {
    NewsExtractor::nextIndex = start;
    EXPECT_EQ(list.GetNextSource(20), nullptr);
    EXPECT_EQ(NewsExtractor::nextIndex, (start + 1) % 3);
  }
}

TEST_F(NewsExtractorTest, DeletedSourcesAreParkedAndTakePartInNothing) {
  list.AddSource(Definition("a"));
  list.AddSource(Definition("b"));
  NewsSource* parked = list.GetSource(0);
  parked->AddNews(std::make_unique<NewsData>(parked, NewsRecord{"", "old", "", Now(), 0}));
  list.DeleteSource(0);
  list.DeleteSource(5);
  EXPECT_EQ(Names(list), std::vector<std::string>{"b"});
  EXPECT_EQ(parked->GetNews(0)->headline, "old") << "still alive, with its items";
  EXPECT_EQ(list.FindSourceByName("a"), nullptr);
  EXPECT_EQ(list.FindSourceByUrl("http://127.0.0.1/b.html"), list.GetSource(0));
  EXPECT_TRUE(Headlines(list).empty());

  // Once the notifiers are detached, a parked source's late report goes
  // nowhere either.
  list.DetachNotifiers();
  parked->OnHttpEvent(-1, nullptr, 0, nullptr, 0);
  list.GetSource(0)->OnHttpEvent(-1, nullptr, 0, nullptr, 0);
  EXPECT_TRUE(updater.Reports.empty());
}

TEST_F(NewsExtractorTest, GetAllNewsGathersSourceBySourceAndClearAllNewsEmptiesThem) {
  list.AddSource(Definition("a"));
  list.AddSource(Definition("b"));
  for (auto [index, headline] : {std::pair{1, "b1"}, {0, "a1"}, {1, "b2"}}) {
    NewsSource* source = list.GetSource(index);
    source->AddNews(std::make_unique<NewsData>(source, NewsRecord{"", headline, "", Now(), 0}));
  }
  std::vector<NewsData*> items(1, nullptr);
  EXPECT_EQ(list.GetAllNews(items), 3);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[1]->headline + items[2]->headline + items[3]->headline, "a1b1b2");
  EXPECT_EQ(list.ClearAllNews(), 0);
  EXPECT_EQ(list.GetSource(0)->GetNewsCount() + list.GetSource(1)->GetNewsCount(), 0);
}

TEST_F(NewsExtractorTest, SourcesFileIsWrittenLineByLineWithCrLf) {
  SourceDefinition definition = Definition("Daily");
  definition.noveltyDetection = true;
  definition.ignoreDates = false;
  definition.historyLength = 7;
  definition.trackerCounter = 12;
  list.AddSource(definition);
  SourceDefinition noUrl;
  noUrl.name = "Blank";
  list.AddSource(noUrl);
  const std::string path = dir.File("s.nsc");
  ASSERT_TRUE(list.SaveSources(path));
  EXPECT_EQ(
      ReadFileBytes(path),
      Header +
          Block("http://127.0.0.1/Daily.html", "Daily",
                "true\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\nfalse\r\ntrue", "7", "12") +
          Block("", "Blank", "false\r\ntrue\r\nfalse\r\ntrue\r\ntrue\r\ntrue\r\ntrue", "3", "0"));
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

TEST_F(NewsExtractorTest, EveryFieldOfASourceSurvivesSaveAndLoad) {
  // Each source flips another flag, so a field read from the wrong line shows.
  const std::string longUrl = "http://127.0.0.1/" + std::string(3000, 'u') + ".html";
  for (int i = 0; i < 8; ++i) {
    SourceDefinition definition = Definition("source " + std::to_string(i));
    if (i == 7)
      definition.url = longUrl;
    bool* flags[] = {&definition.enabled,
                     &definition.newsExtraction,
                     &definition.noveltyDetection,
                     &definition.keepChangeTrack,
                     &definition.ignoreHtmlTags,
                     &definition.ignoreDates,
                     &definition.ignoreBigHexaNumbers};
    if (i < 7)
      *flags[i] = !*flags[i];
    definition.historyLength = 10 + i;
    definition.trackerCounter = 100 + i;
    list.AddSource(definition);
  }
  const std::string path = dir.File("s.nsc");
  ASSERT_TRUE(list.SaveSources(path));
  NewsExtractor loaded(nullptr);
  ASSERT_TRUE(loaded.LoadSources(path));
  ASSERT_EQ(loaded.GetSourceCount(), 8);
  for (int i = 0; i < 8; ++i) {
    const NewsSource* a = list.GetSource(i);
    const NewsSource* b = loaded.GetSource(i);
    EXPECT_EQ(b->url, a->url);
    EXPECT_EQ(b->name, a->name);
    EXPECT_EQ(
        (std::vector<bool>{b->enabled, b->newsExtraction, b->noveltyDetection, b->keepChangeTrack,
                           b->ignoreHtmlTags, b->ignoreDates, b->ignoreBigHexaNumbers}),
        (std::vector<bool>{a->enabled, a->newsExtraction, a->noveltyDetection, a->keepChangeTrack,
                           a->ignoreHtmlTags, a->ignoreDates, a->ignoreBigHexaNumbers}))
        << i;
    EXPECT_EQ(b->historyLength, 10 + i);
    EXPECT_EQ(b->pageTracker->GetDepth(), 10 + i);
    EXPECT_EQ(b->pageTracker->GetCopyCounter(), 100 + i);
  }
  EXPECT_EQ(loaded.GetSource(7)->url, longUrl);
}

TEST_F(NewsExtractorTest, PageCopyNumberingContinuesFromTheLoadedCounter) {
  const std::string path = dir.Write(
      "s.nsc", Header + Block("http://127.0.0.1/p.html", "P",
                              "true\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\ntrue", "3", "41"));
  ASSERT_TRUE(list.LoadSources(path));
  CNoveltyDetector* tracker = list.GetSource(0)->pageTracker.get();
  ASSERT_TRUE(tracker->IsNew("<p>first</p>"));
  const std::string copy = tracker->GetLastCopyPath();
  EXPECT_EQ(copy.substr(copy.size() - 9), "00042.htm");
  EXPECT_EQ(ReadFileBytes(copy), "<p>first</p>");
}

TEST_F(NewsExtractorTest, VersionLineIsCheckedByLengthAndLastTwoCharacters) {
  struct Case {
    std::string line;
    std::string box; // "" when accepted
  };
  const Case cases[] = {
      {"1.020b", ""},
      {" 1.020b \t", ""},
      {"1.020c", ""},
      {"7.990b", ""},
      {"1.020a", "Error: Unsupported source file version"},
      {"1.02b", "Error: Incorrect source file"},
      {"1.0200b", "Error: Incorrect source file"},
  };
  for (const Case& c : cases) {
    Boxes.clear();
    NewsExtractor loaded(nullptr);
    const std::string path =
        dir.Write("v.nsc", "Source definition version x\r\n" + c.line + "\r\n\r\n\r\n" +
                               Block("http://127.0.0.1/a.html", "A"));
    EXPECT_TRUE(loaded.LoadSources(path)) << c.line;
    EXPECT_EQ(loaded.GetSourceCount(), c.box.empty() ? 1 : 0) << c.line;
    EXPECT_EQ(Boxes, c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box})
        << c.line;
  }
  Boxes.clear();
  EXPECT_FALSE(list.LoadSources(dir.File("missing.nsc")));
  EXPECT_TRUE(Boxes.empty()) << "a missing file shows nothing";
}

TEST_F(NewsExtractorTest, FieldsAreReadAsWrittenWhateverTheirSpelling) {
  const std::string path = dir.Write(
      "s.nsc", Header + Block("  http://127.0.0.1/a.html\t", " Name with blanks ",
                              "True\r\nTRUE\r\n t r u e \r\nyes\r\n\r\nfalse\r\ntrue", " -7", "x"));
  ASSERT_TRUE(list.LoadSources(path));
  ASSERT_EQ(list.GetSourceCount(), 1);
  const NewsSource* source = list.GetSource(0);
  EXPECT_EQ(source->url, "http://127.0.0.1/a.html");
  EXPECT_EQ(source->name, "Name with blanks");
  EXPECT_EQ((std::vector<bool>{source->enabled, source->newsExtraction, source->noveltyDetection,
                               source->keepChangeTrack, source->ignoreHtmlTags, source->ignoreDates,
                               source->ignoreBigHexaNumbers}),
            (std::vector<bool>{false, false, true, false, false, false, true}));
  EXPECT_EQ(source->historyLength, 1);
  EXPECT_EQ(source->pageTracker->GetCopyCounter(), 0);
}

TEST_F(NewsExtractorTest, AnyLineBreakIsReadAndOnlyACompleteBlockCounts) {
  const std::string two =
      Header + Block("http://127.0.0.1/a.html", "A") + Block("http://127.0.0.1/b.html", "B");
  auto withBreaks = [&](const std::string& lineBreak) {
    std::string text;
    for (size_t at = 0, next; at < two.size(); at = next + 2) {
      next = two.find("\r\n", at);
      text += two.substr(at, next - at) + lineBreak;
    }
    return text;
  };
  struct Case {
    std::string text;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {two, {"A", "B"}},
      {withBreaks("\n"), {"A", "B"}},
      {withBreaks("\r"), {"A", "B"}},
      {two.substr(0, two.size() - 2), {"A", "B"}}, // no break after the last line
      {two.substr(0, two.size() - 4), {"A"}},      // the last line is missing
  };
  for (const Case& c : cases) {
    NewsExtractor loaded(nullptr);
    ASSERT_TRUE(loaded.LoadSources(dir.Write("s.nsc", c.text)));
    EXPECT_EQ(Names(loaded), c.names) << testing::PrintToString(c.text);
  }
}

TEST_F(NewsExtractorTest, LineBreaksInANameOrUrlDoNotBreakTheBlock) {
  SourceDefinition definition = Definition("two\r\nlines");
  definition.url = "http://127.0.0.1/a\nb.html";
  definition.historyLength = 9;
  list.AddSource(definition);
  list.AddSource(Definition("next"));
  const std::string path = dir.File("s.nsc");
  ASSERT_TRUE(list.SaveSources(path));
  NewsExtractor loaded(nullptr);
  ASSERT_TRUE(loaded.LoadSources(path));
  EXPECT_EQ(Names(loaded), (std::vector<std::string>{"two  lines", "next"}));
  EXPECT_EQ(loaded.GetSource(0)->url, "http://127.0.0.1/a b.html");
  EXPECT_EQ(loaded.GetSource(0)->historyLength, 9);
}

TEST_F(NewsExtractorTest, AFailedSaveKeepsTheOldFile) {
  list.AddSource(Definition("a"));
  NewsSource* source = list.GetSource(0);
  source->AddNews(std::make_unique<NewsData>(source, NewsRecord{"", "kept", "", Now(), 0}));
  const std::string sources = dir.Write("s.nsc", "old sources");
  const std::string news = dir.Write("n.ndt", "old news");
  {
    // Every write past the first bytes fails, as on a full disk.
    TFileSizeLimit full(4);
    EXPECT_FALSE(list.SaveSources(sources));
    EXPECT_EQ(list.SaveNews(news), -1);
  }
  EXPECT_EQ(ReadFileBytes(sources), "old sources");
  EXPECT_EQ(ReadFileBytes(news), "old news");
  EXPECT_FALSE(list.SaveSources(dir.File("no/such/folder/s.nsc")));
  EXPECT_EQ(Boxes, (std::vector<std::string>{"Error: Failed to save the sources file '" + sources +
                                                 "'; the file there before is unchanged.",
                                             "Error: Failed to save the news file '" + news +
                                                 "'; the file there before is unchanged.",
                                             "Error: Failed to save the sources file '" +
                                                 dir.File("no/such/folder/s.nsc") +
                                                 "'; the file there before is unchanged."}));

  EXPECT_TRUE(list.SaveSources(sources));
  EXPECT_EQ(ReadFileBytes(sources).substr(0, Header.size()), Header);
}

// A file that was not loaded whole is never overwritten by what was not
// loaded from it: the save sets it aside beside itself, says where, and
// writes the list as it is. Nothing of what the user had is lost.
TEST_F(NewsExtractorTest, FilesNotLoadedWholeAreSetAsideNotOverwritten) {
  const std::string sourcesText = Header + Block("http://127.0.0.1/a.html", "a");
  const std::string newsText = NewsItem("a", Now(), "kept");
  struct Case {
    const char* Name;
    std::string SourcesText; // "missing", "unreadable" or the file's text
    std::string LoadBox;     // the message of the load, "" for none
    bool SourcesAside;
  };
  const Case cases[] = {
      {"missing sources file", "missing", "", false},
      {"unreadable sources file", "unreadable", "", true},
      {"refused version",
       "Source definition version 1.020a\r\n1.020a\r\n\r\n\r\n" +
           Block("http://127.0.0.1/a.html", "a"),
       "Error: Unsupported source file version", true},
      {"incorrect version line",
       "Source definition\r\n\r\n" + Block("http://127.0.0.1/a.html", "a"),
       "Error: Incorrect source file", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempDir files;
    const std::string sources = files.File("s.nsc");
    const std::string news = files.Write("n.ndt", newsText);
    if (c.SourcesText == "unreadable")
      ASSERT_EQ(symlink("s.nsc", sources.c_str()), 0); // a link to itself opens as nothing
    else if (c.SourcesText != "missing")
      files.Write("s.nsc", c.SourcesText);
    Boxes.clear();
    NewsExtractor loaded(nullptr);
    loaded.LoadSources(sources);
    loaded.LoadNews(news, nullptr);
    EXPECT_EQ(loaded.GetSourceCount(), 0);
    EXPECT_EQ(Boxes,
              c.LoadBox.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.LoadBox});

    Boxes.clear();
    loaded.AddSource(Definition("added"));
    EXPECT_TRUE(loaded.SaveSources(sources));
    EXPECT_EQ(loaded.SaveNews(news), 0);
    std::vector<std::string> boxes;
    if (c.SourcesAside)
      boxes.push_back("Warning: The sources file '" + sources + "' could not be read whole; it " +
                      "is kept as '" + sources + ".unread'.");
    boxes.push_back("Warning: The news file '" + news + "' could not be read whole; it is kept " +
                    "as '" + news + ".unread'.");
    EXPECT_EQ(Boxes, boxes);
    EXPECT_EQ(ReadFileBytes(news + ".unread"), newsText);
    if (c.SourcesAside && c.SourcesText != "unreadable") {
      EXPECT_EQ(ReadFileBytes(sources + ".unread"), c.SourcesText);
    }
    EXPECT_EQ(std::filesystem::exists(std::filesystem::symlink_status(sources + ".unread")),
              c.SourcesAside);
    NewsExtractor saved(nullptr);
    ASSERT_TRUE(saved.LoadSources(sources));
    EXPECT_EQ(Names(saved), std::vector<std::string>{"added"});

    // Set aside once: the next save writes over the file it wrote itself.
    Boxes.clear();
    EXPECT_TRUE(loaded.SaveSources(sources));
    EXPECT_EQ(loaded.SaveNews(news), 0);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_FALSE(FileExists(news + ".unread2"));
  }

  // Whole files are saved over without a word; an earlier file set aside
  // is never replaced by a later one.
  Boxes.clear();
  const std::string sources = dir.Write("s.nsc", sourcesText);
  const std::string news = dir.Write("n.ndt", newsText);
  ASSERT_TRUE(list.LoadSources(sources));
  list.LoadNews(news, nullptr);
  EXPECT_TRUE(list.SaveSources(sources));
  EXPECT_EQ(list.SaveNews(news), 0);
  EXPECT_TRUE(Boxes.empty());
  EXPECT_EQ(ReadFileBytes(news), newsText);
  dir.Write("n.ndt.unread", "earlier");
  const std::string orphan = NewsItem("unknown", Now(), "orphan");
  list.LoadNews(dir.Write("n.ndt", orphan), nullptr);
  EXPECT_EQ(list.SaveNews(news), 0);
  EXPECT_EQ(ReadFileBytes(news + ".unread"), "earlier");
  EXPECT_EQ(ReadFileBytes(news + ".unread2"), orphan);

  // A news file that cannot be read is set aside too, not saved over.
  const std::string unreadable = dir.File("u.ndt");
  ASSERT_EQ(symlink("u.ndt", unreadable.c_str()), 0);
  Boxes.clear();
  list.LoadNews(unreadable, nullptr);
  EXPECT_EQ(list.SaveNews(unreadable), 0);
  EXPECT_EQ(Boxes, std::vector<std::string>{"Warning: The news file '" + unreadable +
                                            "' could not be read whole; it is kept as '" +
                                            unreadable + ".unread'."});
  EXPECT_TRUE(std::filesystem::is_symlink(unreadable + ".unread"));
}

// Every block begins with a "----" line: a block with a line missing, or
// with lines too many, costs that block alone, and the file is kept aside at
// the next save since it was not read whole.
TEST_F(NewsExtractorTest, ADamagedBlockCostsOnlyThatBlock) {
  const std::string a = Block("http://127.0.0.1/a.html", "A");
  const std::string b = Block("http://127.0.0.1/b.html", "B");
  const std::string c = Block("http://127.0.0.1/c.html", "C");
  const std::string bMissingALine =
      b.substr(0, b.find("true\r\n")) + b.substr(b.find("\r\n", b.find("true\r\n")) + 2);
  struct Case {
    const char* Name;
    std::string Text;
    std::vector<std::string> Names;
    bool Whole;
  };
  const Case cases[] = {
      {"whole", Header + a + b + c, {"A", "B", "C"}, true},
      {"a flag line missing", Header + a + bMissingALine + c, {"A", "C"}, false},
      {"the URL line missing",
       Header + a + "----\r\nB\r\n" + b.substr(b.find("\r\n\r\n") + 2) + c,
       {"A", "C"},
       false},
      {"a line too many",
       Header + a + b.substr(0, b.size() - 2) + "\r\nextra\r\n" + c,
       {"A", "B", "C"},
       false},
      {"stray text between blocks", Header + a + "stray\r\n" + b + c, {"A", "B", "C"}, false},
      {"the first block's mark missing", Header + a.substr(6) + b + c, {"B", "C"}, false},
      {"empty lines between blocks", Header + a + "\r\n\r\n" + b + c, {"A", "B", "C"}, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    TTempDir files;
    const std::string path = files.Write("s.nsc", k.Text);
    NewsExtractor loaded(nullptr);
    ASSERT_TRUE(loaded.LoadSources(path));
    EXPECT_EQ(Names(loaded), k.Names);
    for (const std::string& name : k.Names) {
      const std::string file(1, static_cast<char>(std::tolower(name[0])));
      EXPECT_EQ(loaded.FindSourceByName(name)->url, "http://127.0.0.1/" + file + ".html");
    }
    Boxes.clear();
    ASSERT_TRUE(loaded.SaveSources(path));
    EXPECT_EQ(FileExists(path + ".unread"), !k.Whole);
    EXPECT_EQ(Boxes.size(), k.Whole ? 0u : 1u);
  }
}

TEST_F(NewsExtractorTest, NewsFileRoundTripKeepsHeadlinesAndCleansDates) {
  list.AddSource(Definition("a"));
  list.AddSource(Definition("b"));
  const TDateTime received = Now() - 0.25;
  NewsSource* a = list.GetSource(0);
  NewsSource* b = list.GetSource(1);
  a->AddNews(std::make_unique<NewsData>(
      a, NewsRecord{"01/02/2024", "  spaced headline ", "http://h/1", received, 0}));
  b->AddNews(std::make_unique<NewsData>(b, NewsRecord{"x", "change", "file:///c", received, 1}));
  a->news[0]->dateText = "  01/02/2024  ";
  const std::string path = dir.File("n.ndt");
  EXPECT_EQ(list.SaveNews(path), 0);
  EXPECT_EQ(ReadFileBytes(path),
            "a\r\n" + FormatDayCount(received) +
                "\r\n  spaced headline \r\nhttp://h/1\r\n0\r\n  01/02/2024  \r\n"
                "b\r\n" +
                FormatDayCount(received) + "\r\nchange\r\nfile:///c\r\n1\r\nx\r\n");

  NewsExtractor loaded(nullptr);
  loaded.AddSource(Definition("a"));
  loaded.AddSource(Definition("b"));
  CDataMatcher matcher;
  EXPECT_EQ(loaded.LoadNews(path, &matcher), 0);
  ASSERT_EQ(loaded.GetSource(0)->GetNewsCount(), 1);
  const NewsData* item = loaded.GetSource(0)->GetNews(0);
  EXPECT_EQ(item->headline, "  spaced headline ");
  EXPECT_EQ(item->dateText, "01/02/2024");
  EXPECT_EQ(item->link, "http://h/1");
  EXPECT_EQ(item->source, loaded.GetSource(0));
  EXPECT_NEAR(item->received, received, 1e-6);
  EXPECT_EQ(loaded.GetSource(1)->GetNews(0)->kind, 1);

  // Loading again does not de-duplicate.
  loaded.LoadNews(path, &matcher);
  EXPECT_EQ(loaded.GetSource(0)->GetNewsCount(), 2);
}

TEST_F(NewsExtractorTest, LoadingDropsOldItemsAndItemsOfUnknownSources) {
  list.AddSource(Definition("a"));
  const TDateTime now = Now();
  const std::string text = NewsItem("a", now - 47.0 / 24, "fresh") +
                           NewsItem("a", now - 48.01 / 24, "old") +
                           NewsItem("gone", now, "orphan") + NewsItem("a", now, "last");
  CDataMatcher matcher;
  list.LoadNews(dir.Write("n.ndt", text), &matcher);
  EXPECT_EQ(Headlines(list), (std::vector<std::string>{"a/fresh/01/02/2024", "a/last/01/02/2024"}));

  // The last item needs no final line break; a cut item is dropped.
  list.ClearAllNews();
  list.LoadNews(dir.Write("n.ndt", text.substr(0, text.size() - 2)), &matcher);
  EXPECT_EQ(list.GetSource(0)->GetNewsCount(), 2);
  list.ClearAllNews();
  list.LoadNews(dir.Write("n.ndt", text.substr(0, text.size() - 14)), &matcher);
  EXPECT_EQ(list.GetSource(0)->GetNewsCount(), 1);
  EXPECT_EQ(list.LoadNews(dir.File("missing.ndt"), &matcher), 0);
}

TEST_F(NewsExtractorTest, LongNewsLinesStayWhole) {
  list.AddSource(Definition("a"));
  const std::string headline(5000, 'h');
  CDataMatcher matcher;
  list.LoadNews(dir.Write("n.ndt", NewsItem("a", Now(), headline) + NewsItem("a", Now(), "next")),
                &matcher);
  ASSERT_EQ(list.GetSource(0)->GetNewsCount(), 2);
  EXPECT_EQ(list.GetSource(0)->GetNews(0)->headline, headline);
  EXPECT_EQ(list.GetSource(0)->GetNews(1)->headline, "next");
}

// Reception times from the first day of 1900 to the last of 9999 are read
// (the last, far ahead, as now); a damaged one (no number, or a day outside
// those years) is old, so the age filter drops its item instead of keeping
// it for ever.
TEST_F(NewsExtractorTest, ReceptionTimesOutsideTheCalendarAreOldLikeNonNumbers) {
  list.AddSource(Definition("a"));
  std::string text = NewsItem("a", 2958465.999988, "last day");
  for (const char* received : {"nan", "inf", "-inf", "1e300", "-1e300", "2958466", "-700000"})
    text += "a\r\n" + std::string(received) + "\r\nnot a time\r\n\r\n0\r\n\r\n";
  CDataMatcher matcher;
  list.LoadNews(dir.Write("n.ndt", text), &matcher);
  EXPECT_EQ(Headlines(list), std::vector<std::string>{"a/last day/01/02/2024"});
  struct Case {
    const char* text;
    TDateTime days;
  };
  const Case cases[] = {{"2", 2}, {"1.999", 0}, {"2958465.5", 2958465.5}, {"1e300", 0}};
  for (const Case& c : cases)
    EXPECT_EQ(ParseDayCount(c.text), c.days) << c.text;
}

// An item stamped ahead of time by a clock that was set wrong is taken as
// received now once it is more than a day ahead, so that it ages and goes
// like the others; within a day it keeps its time.
TEST_F(NewsExtractorTest, ReceptionTimesFarAheadAreReadAsNow) {
  list.AddSource(Definition("a"));
  const TDateTime written = Now();
  struct {
    const char* Headline;
    double Ahead; // days
    bool KeepsItsTime;
  } cases[] = {
      {"a year ahead", 365, false},
      {"a day and an hour ahead", 1 + 1.0 / 24, false},
      {"half a day ahead", 0.5, true},
      {"an hour ago", -1.0 / 24, true},
  };
  std::string text;
  for (const auto& c : cases)
    text += NewsItem("a", written + c.Ahead, c.Headline);
  CDataMatcher matcher;
  const TDateTime before = Now();
  list.LoadNews(dir.Write("n.ndt", text), &matcher);
  const TDateTime after = Now();
  const NewsSource* source = list.GetSource(0);
  ASSERT_EQ(source->GetNewsCount(), 4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(cases[i].Headline);
    const TDateTime received = source->GetNews(i)->received;
    if (cases[i].KeepsItsTime) {
      EXPECT_NEAR(received, written + cases[i].Ahead, 1e-6);
    } else {
      EXPECT_GE(received, before);
      EXPECT_LE(received, after);
      // Now, it is too old two days later.
      EXPECT_TRUE(source->GetNews(i)->IsOlderThan(48, after + 2));
    }
  }
}

// A locale whose decimal separator is a comma, built for the test.
class CommaLocale {
public:
  CommaLocale() {
    const std::string command =
        "localedef -i de_DE -f UTF-8 " + dir_.File("de_DE.UTF-8") + " >/dev/null 2>&1";
    if (std::system(command.c_str()) > 1) // 1 only warns
      return;
    setenv("LOCPATH", dir_.Path().c_str(), 1);
    active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  }
  ~CommaLocale() {
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
  }
  bool Active() const { return active_; }

private:
  TTempDir dir_;
  bool active_ = false;
};

TEST_F(NewsExtractorTest, ReceptionTimeIsWrittenAndReadInTheCLocale) {
  list.AddSource(Definition("a"));
  NewsSource* source = list.GetSource(0);
  const TDateTime received = 46000.5;
  source->AddNews(std::make_unique<NewsData>(source, NewsRecord{"", "h", "", received, 0}));
  const std::string path = dir.File("n.ndt");
  {
    CommaLocale comma;
    ASSERT_TRUE(comma.Active()) << "cannot build a comma locale";
    char check[16];
    std::snprintf(check, sizeof check, "%.1f", 0.5);
    ASSERT_STREQ(check, "0,5");
    list.SaveNews(path);
    EXPECT_EQ(ReadFileBytes(path), "a\r\n46000.500000\r\nh\r\n\r\n0\r\n\r\n");
    list.ClearAllNews();
    list.LoadNews(path, nullptr);
  }
  ASSERT_EQ(source->GetNewsCount(), 1);
  EXPECT_EQ(source->GetNews(0)->received, received);
  EXPECT_EQ(ParseDayCount(" 37765.543210"), 37765.54321);
  EXPECT_EQ(ParseDayCount("junk"), 0);
}

} // namespace
