// newsprobe watch, run as the tool it is against a real nginx: the engine
// driven once a second as the main window drives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

#include "engine/Htmlnoveltydetector.h"
#include "engine/Newsextractor.h"
#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "tests/engine/NewsPages.h"
#include "tests/engine/Newsprobe.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"

namespace {

// Runs "newsprobe watch ARGS", handing each output line to onLine as it
// arrives.
TProbeRun RunWatch(const std::string& args,
                   const std::function<void(const std::string&)>& onLine = {}) {
  return RunNewsprobe("watch " + args, onLine);
}

// The value of a top-level field of a report line: a string without its
// quotes, or a number or boolean as written.
std::string Field(const std::string& line, const std::string& key) {
  const std::string tag = "\"" + key + "\":";
  size_t at = line.find(tag);
  if (at == std::string::npos)
    return "";
  at += tag.size();
  if (line[at] == '"')
    return line.substr(at + 1, line.find('"', at + 1) - at - 1);
  return line.substr(at, line.find_first_of(",}", at) - at);
}

// The values of one key of every item of a report line.
std::vector<std::string> ItemFields(const std::string& line, const std::string& key) {
  std::vector<std::string> values;
  const size_t items = line.find("\"items\":[");
  for (size_t at = line.find("\"" + key + "\":", items);
       items != std::string::npos && at != std::string::npos;
       at = line.find("\"" + key + "\":", at + 1))
    values.push_back(Field(line.substr(at), key));
  return values;
}

std::map<std::string, std::vector<std::string>> LinesBySource(const TProbeRun& run) {
  std::map<std::string, std::vector<std::string>> bySource;
  for (const std::string& line : run.Lines)
    bySource[Field(line, "source")].push_back(line);
  return bySource;
}

std::vector<std::string> TableHeadlines(const std::string& topic, int count) {
  std::vector<std::string> headlines;
  for (int i = 1; i <= count; ++i)
    headlines.push_back(topic + " council approves budget plan " + std::to_string(i));
  return headlines;
}

SourceDefinition Definition(const std::string& name, const std::string& url) {
  SourceDefinition definition;
  definition.name = name;
  definition.url = url;
  definition.enabled = true;
  return definition;
}

class WatchCommandTest : public testing::Test {
protected:
  WatchCommandTest() {
    CNoveltyDetector::SetCacheFolder(work.File("cache/"));
    root.Write("table.html", DatedTablePage("Table", 8));
    root.Write("zipped.html.gz", Gzip(DatedTablePage("Zipped", 6)));
    root.Write("corpus.html", ReadFileBytes(CorpusPage("ars-1.html")));
    options.DocumentRoot = root.Path();
    options.Gzip = true;
    options.Locations = "location = /zipped.html { default_type text/html; "
                        "add_header Content-Encoding gzip; alias " +
                        root.File("zipped.html.gz") + "; }";
  }

  std::string Args(int seconds) const {
    return sourcesFile + " " + newsFile + " --seconds " + std::to_string(seconds) +
           " --interval 1 --max-request 3";
  }

  TTempDir root;
  TTempDir work;
  TNginxOptions options;
  const std::string sourcesFile = work.File("watch.nsc");
  const std::string newsFile = work.File("watch.ndt");
};

TEST_F(WatchCommandTest, NewsArriveOnceAndAreKeptInTheNewsFile) {
  TNginxServer nginx(options);
  {
    NewsExtractor list(nullptr);
    list.AddSource(Definition("Table", nginx.Url("table.html")));
    list.AddSource(Definition("Missing", nginx.Url("missing.html")));
    list.AddSource(Definition("Zipped", nginx.Url("zipped.html")));
    list.AddSource(Definition("Corpus", nginx.Url("corpus.html")));
    ASSERT_TRUE(list.SaveSources(sourcesFile));
  }
  // Six ticks: Missing, Zipped, Corpus, Table, then Missing and Zipped again.
  const TProbeRun run = RunWatch(Args(6));
  ASSERT_EQ(run.ExitCode, 0);
  auto bySource = LinesBySource(run);
  ASSERT_EQ(bySource["Table"].size(), 1u) << testing::PrintToString(run.Lines);
  EXPECT_EQ(Field(bySource["Table"][0], "count"), "8");
  EXPECT_EQ(ItemFields(bySource["Table"][0], "headline"), TableHeadlines("Table", 8));
  EXPECT_EQ(ItemFields(bySource["Table"][0], "date")[7], "08/03/2024");
  ASSERT_EQ(bySource["Zipped"].size(), 1u) << testing::PrintToString(run.Lines);
  EXPECT_EQ(ItemFields(bySource["Zipped"][0], "headline"), TableHeadlines("Zipped", 6));
  ASSERT_EQ(bySource["Missing"].size(), 2u) << "a failing source stays schedulable";
  for (const std::string& line : bySource["Missing"])
    EXPECT_EQ(Field(line, "count"), "0");
  for (const std::string& line : run.Lines) {
    EXPECT_EQ(Field(line, "busy"), "false");
    EXPECT_EQ(ItemFields(line, "headline").size(), std::stoul(Field(line, "count"))) << line;
  }

  // The saved files load again into the reported items.
  InitNewsTools();
  NewsExtractor loaded(nullptr);
  ASSERT_TRUE(loaded.LoadSources(sourcesFile));
  ASSERT_EQ(loaded.GetSourceCount(), 4);
  CDataMatcher matcher;
  loaded.LoadNews(newsFile, &matcher);
  std::vector<std::string> reported, stored;
  for (const std::string& line : run.Lines)
    for (const std::string& headline : ItemFields(line, "headline"))
      reported.push_back(Field(line, "source") + ": " + headline);
  std::vector<NewsData*> items;
  loaded.GetAllNews(items);
  for (const NewsData* item : items)
    stored.push_back(item->source->name + ": " + item->headline);
  std::sort(reported.begin(), reported.end());
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, reported);
  FreeNewsTools();

  // A new run knows the stored items: the refetched tables bring nothing new.
  const TProbeRun again = RunWatch(Args(2));
  ASSERT_EQ(again.ExitCode, 0);
  bySource = LinesBySource(again);
  ASSERT_EQ(bySource["Zipped"].size(), 1u) << testing::PrintToString(again.Lines);
  EXPECT_EQ(Field(bySource["Zipped"][0], "count"), "0");
}

TEST_F(WatchCommandTest, AChangedPageGivesOnePageChangeItemLinkingItsCopy) {
  root.Write("plain.html", "<html><body><p>first version</p></body></html>");
  TNginxServer nginx(options);
  {
    NewsExtractor list(nullptr);
    SourceDefinition definition = Definition("Tracked", nginx.Url("plain.html"));
    definition.newsExtraction = false;
    definition.noveltyDetection = true;
    list.AddSource(definition);
    ASSERT_TRUE(list.SaveSources(sourcesFile));
  }
  const std::string changed = "<html><body><p>second version</p></body></html>";
  const TProbeRun run = RunWatch(Args(4), [&](const std::string& line) {
    if (line.find("Page tracker initialized at ") != std::string::npos)
      root.Write("plain.html", changed);
  });
  ASSERT_EQ(run.ExitCode, 0);
  ASSERT_EQ(run.Lines.size(), 2u) << testing::PrintToString(run.Lines);
  const std::string copies = "file://" + work.File("cache/http___127_0_0_1_") +
                             std::to_string(nginx.Port()) + "_plain_html.htm";
  struct Expected {
    std::string headline, link, content;
  };
  const Expected expected[] = {
      {"Page tracker initialized at ", copies + "00001.htm",
       "<html><body><p>first version</p></body></html>"},
      {"Page update detected at ", copies + "00002.htm", changed},
  };
  for (int i = 0; i < 2; ++i) {
    const std::string& line = run.Lines[i];
    EXPECT_EQ(Field(line, "count"), "1");
    const std::string headline = ItemFields(line, "headline").at(0);
    EXPECT_EQ(headline.substr(0, expected[i].headline.size()), expected[i].headline);
    EXPECT_EQ(headline.substr(expected[i].headline.size()), ItemFields(line, "date").at(0));
    const std::string link = ItemFields(line, "link").at(0);
    EXPECT_EQ(link, expected[i].link);
    EXPECT_EQ(ReadFileBytes(link.substr(7)), expected[i].content);
  }
  NewsExtractor loaded(nullptr);
  loaded.LoadSources(sourcesFile);
  EXPECT_EQ(loaded.GetSource(0)->pageTracker->GetCopyCounter(), 2);
}

// Ended by a signal long before its time, the watch still saves what it
// found: the items reported before the signal are in the news file.
TEST_F(WatchCommandTest, ASignalEndsTheWatchAndKeepsWhatWasFound) {
  TNginxServer nginx(options);
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    std::remove(newsFile.c_str());
    {
      NewsExtractor list(nullptr);
      list.AddSource(Definition("Table", nginx.Url("table.html")));
      ASSERT_TRUE(list.SaveSources(sourcesFile));
    }
    // The shell tells its process id, which the tool keeps by exec.
    pid_t pid = 0;
    const TProbeRun run = RunCommand("echo $$; exec " WT_BINARY_DIR "/tools/newsprobe watch " +
                                         Args(600) + " 2>/dev/null",
                                     [&](const std::string& line) {
                                       if (!pid)
                                         pid = std::stoi(line);
                                       else if (Field(line, "count") == "8")
                                         kill(pid, signal);
                                     });
    EXPECT_EQ(run.ExitCode, 128 + signal);
    ASSERT_EQ(run.Lines.size(), 2u) << run.Out;
    NewsExtractor loaded(nullptr);
    ASSERT_TRUE(loaded.LoadSources(sourcesFile));
    CDataMatcher matcher;
    InitNewsTools();
    loaded.LoadNews(newsFile, &matcher);
    FreeNewsTools();
    ASSERT_EQ(loaded.GetSourceCount(), 1);
    EXPECT_EQ(loaded.GetSource(0)->GetNewsCount(), 8);
  }
}

// Without its sources file the watch knows no source for the stored items:
// the news file is set aside with a message saying where, not emptied. A
// file that cannot be saved is reported and fails the run.
TEST_F(WatchCommandTest, FilesThatWereNotLoadedAreKeptAndFailedSavesReported) {
  const std::string stored = "Gone\r\n" + FormatDayCount(Now()) +
                             "\r\nStored headline\r\nhttp://h/a.html\r\n0\r\n01/02/2024\r\n";
  work.Write("watch.ndt", stored);
  const TProbeRun run = RunWatch(Args(1) + " 2>&1");
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Out, "newsprobe watch: cannot read " + sourcesFile + "\nWarning: The news file '" +
                         newsFile + "' could not be read whole; it is " + "kept as '" + newsFile +
                         ".unread'.\n");
  EXPECT_EQ(ReadFileBytes(newsFile + ".unread"), stored);
  EXPECT_EQ(ReadFileBytes(newsFile), "");

  const std::string nowhere = work.File("no/such/folder/watch.nsc");
  const TProbeRun failed = RunWatch(nowhere + " " + newsFile + " --seconds 1 2>&1");
  EXPECT_EQ(failed.ExitCode, 1);
  EXPECT_EQ(failed.Out, "newsprobe watch: cannot read " + nowhere +
                            "\nError: Failed to save the sources file '" + nowhere +
                            "'; the file there before is unchanged.\n");
}

TEST_F(WatchCommandTest, RefusesIncompleteArguments) {
  for (const std::string args : {"", "a.nsc b.ndt", "a.nsc --seconds 2", "a.nsc b.ndt --seconds 0"})
    EXPECT_EQ(RunWatch(args + " 2>/dev/null").ExitCode, 2) << args;
}

} // namespace
