// A news source's request cycle: due time, URL and options, the completion
// with its reports, and requests over real connections, also when the pool
// is exhausted or the source goes away while its request runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/Chttpthread.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Newsextractor.h"
#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "engine/Usdkthreadurllauncher.h"
#include "platform/autoproxy/Autoproxy.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Kernel.h"
#include "tests/engine/NewsPages.h"
#include "tests/support/Compress.h"
#include "tests/support/Privileges.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"

namespace {

class RecordingUpdater : public NewsUpdater {
public:
  void OnNewsReceived(NewsSource* source, int32_t count) override {
    Reports.push_back(count);
    Busy = source->IsBusy();
  }
  std::vector<int> Reports;
  bool Busy = true;
};

// Serves the transactions' hand-overs until done() or the time-out.
template <class Done> bool ServeUntil(Done done, int timeoutMs = 30000) {
  for (const DWORD start = GetTickCount(); !done();) {
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs))
      return false;
    CheckSynchronize(10);
  }
  return true;
}

const std::string OkHeader = "HTTP/1.0 200 OK\r\nContent-Type: text/html";

class NewsRequestTest : public testing::Test {
protected:
  void SetUp() override {
    InitNewsTools();
    CNoveltyDetector::SetCacheFolder(dir.File("cache/"));
    source.SetUrl("http://127.0.0.1/news.html");
    source.name = "News";
  }
  void TearDown() override {
    StopAllTransactions();
    FreeNewsTools();
  }

  // Hands a completion to the source as its transaction would: a compressed
  // body with the page the worker inflated from it, or, when it is not
  // whole, as a failure.
  void Complete(int status, const std::string& header, const std::string& body) {
    const int coding = GetContentEncoding(header.c_str(), static_cast<int>(header.size()));
    const bool compressed = coding == ccGzip || coding == ccDeflate;
    std::unique_ptr<char[]> page;
    int length = 0;
    if (status != 0 || (compressed && CHttpDecompressor().DecodeContent(
                                          coding, body.data(), static_cast<int>(body.size()), page,
                                          length) != 0)) {
      source.OnHttpEvent(status != 0 ? status : -1, nullptr, 0, nullptr, 0);
      return;
    }
    source.OnHttpResponse({0, body.c_str(), static_cast<unsigned>(body.size()), header.c_str(),
                           static_cast<unsigned>(header.size()), page.get(),
                           static_cast<unsigned>(length)});
  }

  TTempDir dir;
  RecordingUpdater updater;
  NewsSource source{&updater};
};

TEST_F(NewsRequestTest, IsDueCountsTheElapsedTimeWithinOneDay) {
  EXPECT_TRUE(source.IsDue(20)) << "never requested";
  const double second = 1.0 / SecsPerDay;
  struct Case {
    double ago;
    bool due;
  };
  const Case cases[] = {{21 * second, true},     {19 * second, false}, {1 + 10 * second, false},
                        {1 + 30 * second, true}, {-5 * second, true},  {3 + 0.5, true}};
  for (const Case& c : cases) {
    source.lastRequest = Now() - c.ago;
    EXPECT_EQ(source.IsDue(20), c.due) << c.ago * SecsPerDay << " s ago";
  }
}

TEST_F(NewsRequestTest, OptionsAndHistoryLengthReachThePageTracker) {
  for (auto [length, kept] : {std::pair{0, 1}, {5000, 1024}, {12, 12}}) {
    source.SetHistoryLength(length);
    EXPECT_EQ(source.historyLength, kept);
    EXPECT_EQ(source.pageTracker->GetDepth(), kept);
  }
  source.pageTracker->IsNew("<p>page</p>");
  source.SetOptions(true, false, true, true, true);
  EXPECT_TRUE(source.noveltyDetection);
  EXPECT_FALSE(source.pageTracker->GetKeepCopies());
  EXPECT_EQ(source.pageTracker->GetHistoryCount(), 0) << "a changed flag clears the history";
}

TEST_F(NewsRequestTest, FailedCompletionsReportNothingFound) {
  source.busy = true;
  Complete(-1, "", "");
  Complete(-2, "", "");
  Complete(0, OkHeader + "\r\nContent-Encoding: br", DatedTablePage("Coded", 8));
  // A compressed body that is not whole is no page either.
  Complete(0, OkHeader + "\r\nContent-Encoding: gzip", "not a gzip stream");
  const std::string zipped = Gzip(DatedTablePage("Cut", 8));
  Complete(0, OkHeader + "\r\nContent-Encoding: gzip", zipped.substr(0, zipped.size() - 4));
  EXPECT_EQ(updater.Reports, (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(source.changeGate->GetHistoryCount(), 0);
  EXPECT_FALSE(updater.Busy);
  EXPECT_EQ(source.GetNewsCount(), 0);

  // A page that is empty, also once decoded, is new to neither detector.
  updater.Reports.clear();
  source.SetOptions(true, false, true, true, true);
  Complete(0, OkHeader, "");
  Complete(0, OkHeader + "\r\nContent-Encoding: gzip", Gzip(" \r\n\t "));
  EXPECT_TRUE(updater.Reports.empty());
  EXPECT_EQ(source.GetNewsCount(), 0);
}

TEST_F(NewsRequestTest, ANewPageIsDetectedOnceWhateverItsCoding) {
  source.SetOptions(true, true, true, true, true);
  Complete(0, OkHeader, DatedTablePage("Plain", 8));
  // First the items, then the page tracker's first event.
  EXPECT_EQ(updater.Reports, (std::vector<int>{8, 1}));
  ASSERT_EQ(source.GetNewsCount(), 9);
  EXPECT_EQ(source.GetNews(0)->headline, "Plain council approves budget plan 1");
  EXPECT_EQ(source.GetNews(8)->kind, 1);
  EXPECT_EQ(source.GetNews(8)->headline.rfind("Page tracker initialized at ", 0), 0u);

  updater.Reports.clear();
  Complete(0, OkHeader, DatedTablePage("Plain", 8));
  EXPECT_TRUE(updater.Reports.empty()) << "an unchanged page reports nothing";

  // A zero byte of the decoded page is a blank, not its end.
  Complete(0, OkHeader + "\r\nContent-Encoding: gzip",
           Gzip(std::string(1, '\0') + DatedTablePage("Zipped", 6)));
  EXPECT_EQ(updater.Reports, (std::vector<int>{6, 1}));
  const NewsData* change = source.GetNews(source.GetNewsCount() - 1);
  EXPECT_EQ(change->headline.rfind("Page update detected at ", 0), 0u);
  EXPECT_EQ(change->link, "file://" + source.pageTracker->GetLastCopyPath());
  EXPECT_EQ(change->dateText, change->headline.substr(24));
}

// One road from a response to its page, with the source's rule (a page it
// can read or none) and the wizard's (whatever can be shown).
TEST(PageOfResponse, TheSourcesAndTheWizardsRules) {
  const std::string page = "<p>a" + std::string(1, '\0') + "b</p>";
  const std::string blanked = "<p>a b</p>";
  const std::string gzip = Gzip(page);
  const std::string gzipHeader = "HTTP/1.0 200 OK\r\nContent-Encoding: gzip";
  const std::string worker = "the worker's page";
  struct Case {
    const char* Name;
    int Status;
    std::string Header, Body;
    const std::string* Decoded;
    bool WholeGives;
    std::string WholePage;
    bool ShownGives;
    std::string ShownPage;
  };
  // Only the worker inflates: a compressed body it did not hand over with
  // its page (it fails those that are not whole) gives none.
  const Case cases[] = {
      {"plain", 0, OkHeader, page, nullptr, true, blanked, true, blanked},
      {"gzip the worker inflated", 0, gzipHeader, gzip, &worker, true, worker, true, worker},
      {"gzip without the worker's page", 0, gzipHeader, gzip, nullptr, false, "stale", false,
       "stale"},
      {"deflate without the worker's page", 0, "HTTP/1.0 200 OK\r\nContent-Encoding: deflate",
       Compress(page, ZlibBits), nullptr, false, "stale", false, "stale"},
      {"unknown coding", 0, "HTTP/1.0 200 OK\r\nContent-Encoding: br", page, nullptr, false,
       "stale", true, blanked},
      {"failure", -1, "", "", nullptr, false, "stale", false, "stale"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    THttpResponse response{c.Status,
                           c.Status == 0 ? c.Body.data() : nullptr,
                           static_cast<unsigned>(c.Body.size()),
                           c.Status == 0 ? c.Header.data() : nullptr,
                           static_cast<unsigned>(c.Header.size()),
                           c.Decoded ? c.Decoded->data() : nullptr,
                           c.Decoded ? static_cast<unsigned>(c.Decoded->size()) : 0u};
    AnsiString whole = "stale", shown = "stale";
    EXPECT_EQ(PageOfResponse(response, prWholePageOnly, whole), c.WholeGives);
    EXPECT_TRUE(whole == c.WholePage);
    EXPECT_EQ(PageOfResponse(response, prWhatCanBeShown, shown), c.ShownGives);
    EXPECT_TRUE(shown == c.ShownPage);
  }
}

// A source reads the page the worker inflated and never inflates the body
// again.
TEST_F(NewsRequestTest, ASourceTakesThePageTheWorkerInflated) {
  const std::string page = DatedTablePage("Inflated", 8);
  const std::string header = OkHeader + "\r\nContent-Encoding: gzip";
  const std::string notAStream = "not a gzip stream";
  source.OnHttpResponse({0, notAStream.data(), static_cast<unsigned>(notAStream.size()),
                         header.data(), static_cast<unsigned>(header.size()), page.data(),
                         static_cast<unsigned>(page.size())});
  EXPECT_EQ(updater.Reports, std::vector<int>{8});
}

// A server that stops halfway through its page: the request fails, the change
// gate keeps no fingerprint of half a page, and the whole page, once it
// comes, is new and gives all its items.
TEST_F(NewsRequestTest, APageCutShortIsAFailedRequest) {
  const std::string page = DatedTablePage("Served", 8);
  const std::string zipped = Gzip(page);
  const std::string length = "\r\nContent-Length: ";
  TScriptedServer server;
  server.Add({.Bytes = OkHeader + length + std::to_string(page.size()) + "\r\n\r\n" +
                       page.substr(0, page.size() / 2)});
  server.Add({.Bytes = OkHeader + "\r\nContent-Encoding: gzip\r\n\r\n" +
                       zipped.substr(0, zipped.size() / 2)});
  server.Add({.Bytes = OkHeader + length + std::to_string(page.size()) + "\r\n\r\n" + page});
  source.SetUrl(server.Url("news.html"));
  for (size_t request = 1; request <= 3; ++request) {
    source.lastRequest = 0;
    source.StartRequest();
    ASSERT_TRUE(ServeUntil([&] { return updater.Reports.size() == request; }));
  }
  EXPECT_EQ(updater.Reports, (std::vector<int>{0, 0, 8}));
  EXPECT_EQ(source.changeGate->GetHistoryCount(), 1);
}

// The page-change item of a page whose copy could not be written (a full
// disk) links to no copy; the change itself is still reported.
TEST_F(NewsRequestTest, APageChangeLinksOnlyToACopyThatWasWritten) {
  source.SetOptions(true, true, true, true, true);
  const std::string copy =
      CNoveltyDetector::GetCacheFolder() + source.pageTracker->GetFileName() + "00001.htm";
  {
    // Every write past the first bytes fails, as on a full disk.
    TFileSizeLimit full(16);
    Complete(0, OkHeader, DatedTablePage("Full", 6));
  }
  EXPECT_EQ(updater.Reports, (std::vector<int>{6, 1}));
  EXPECT_EQ(source.GetNews(6)->kind, 1);
  EXPECT_EQ(source.GetNews(6)->link, "");
  EXPECT_FALSE(FileExists(copy));
}

TEST_F(NewsRequestTest, ASourceWithoutNotifierExtractsSilently) {
  NewsSource quiet(nullptr);
  quiet.pageText = DatedTablePage("Quiet", 7);
  quiet.ExtractNews();
  EXPECT_EQ(quiet.GetNewsCount(), 7);
  quiet.OnHttpEvent(-1, nullptr, 0, nullptr, 0);
  source.pageText = "";
  source.ExtractNews();
  EXPECT_EQ(updater.Reports, std::vector<int>{0});
}

TEST_F(NewsRequestTest, ARequestRunsThroughTheProxyForItsUrl) {
  TScriptedServer server;
  server.Add({.Bytes = OkHeader + "\r\n\r\n" + DatedTablePage("Proxied", 8)});
  CreateProxyConfig();
  ProxyConfig->SetProxySettings(false, false, "", true, "127.0.0.1",
                                std::to_string(server.Port()).c_str());
  source.SetUrl("http://news.example/front.html");
  const TDateTime before = Now();
  EXPECT_EQ(source.StartRequest(), 0);
  DeleteProxyConfig();
  EXPECT_TRUE(source.IsBusy());
  EXPECT_GE(source.lastRequest, before);
  ASSERT_TRUE(ServeUntil([&] { return !updater.Reports.empty(); }));
  EXPECT_EQ(updater.Reports, std::vector<int>{8});
  EXPECT_FALSE(source.IsBusy());
  EXPECT_EQ(server.Request(0).substr(0, 44), "GET http://news.example/front.html HTTP/1.0\r");
}

TEST_F(NewsRequestTest, WithThePoolExhaustedTheSourceStaysIdleAndDue) {
  std::vector<std::unique_ptr<CHTTPTransaction>> taken;
  while (CHTTPTransaction* transaction = AcquireTransaction())
    taken.emplace_back(transaction);
  ASSERT_EQ(taken.size(), static_cast<size_t>(TransactionPoolSize));
  EXPECT_EQ(source.StartRequest(), 0);
  EXPECT_FALSE(source.IsBusy());
  EXPECT_TRUE(source.IsDue(20));
  taken.clear();

  TScriptedServer server;
  server.Add({.Bytes = "HTTP/1.0 404 Not Found\r\n\r\n"});
  source.SetUrl(server.Url("news.html"));
  source.StartRequest();
  EXPECT_TRUE(source.IsBusy());
  ASSERT_TRUE(ServeUntil([&] { return !updater.Reports.empty(); }));
  EXPECT_EQ(updater.Reports, std::vector<int>{0});
}

TEST_F(NewsRequestTest, NoResultReachesASourceThatIsGone) {
  TScriptedServer server;
  server.Add({.Bytes = OkHeader + "\r\n\r\n" + DatedTablePage("Late", 8), .DelayMs = 300});
  {
    NewsExtractor list(&updater);
    for (const char* name : {"kept", "parked"}) {
      SourceDefinition definition;
      definition.name = name;
      definition.url = server.Url(std::string(name) + ".html");
      list.AddSource(definition);
      list.GetSource(list.GetSourceCount() - 1)->StartRequest();
    }
    list.DeleteSource(1);
    auto alone = std::make_unique<NewsSource>(&updater);
    alone->SetUrl(server.Url("alone.html"));
    alone->StartRequest();
    ASSERT_TRUE(server.WaitForConnections(3));
  }
  // The workers finish their responses; nothing may be handed to the sources.
  ServeUntil([] { return false; }, 600);
  EXPECT_TRUE(updater.Reports.empty());
}

// A proxy script is downloaded and run on the workers: a script server slow
// to answer or a script that never returns holds up only the request, never
// the thread that starts it, and the request still takes the route the
// script gives once it has answered.
TEST_F(NewsRequestTest, AProxyScriptNeverHoldsUpTheRequestStart) {
  struct Case {
    const char* Name;
    std::string Script; // "{proxy}" stands for the proxy's host and port
    int ScriptDelayMs;
    bool ThroughProxy; // else the request fails without connecting anywhere
  };
  // A start that waited would take at least this: the slow server's delay and
  // the looping script's time limit. Its own speed is the engine bench's.
  constexpr DWORD HoldUpMs = AutoProxyScriptTimeLimitMs;
  const Case cases[] = {
      {"slow script server", "function FindProxyForURL(u, h) { return 'PROXY {proxy}'; }", HoldUpMs,
       true},
      {"looping script", "function FindProxyForURL(u, h) { for (;;) {} }", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    updater.Reports.clear();
    TScriptedServer site, proxy, scripts;
    const std::string page = OkHeader + "\r\n\r\n" + DatedTablePage(c.Name, 8);
    site.Add({.Bytes = page});
    proxy.Add({.Bytes = page});
    std::string script = c.Script;
    if (const size_t at = script.find("{proxy}"); at != std::string::npos)
      script.replace(at, 7, proxy.HostPort());
    scripts.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\n" + script, .DelayMs = c.ScriptDelayMs});
    CreateProxyConfig();
    const DWORD start = GetTickCount();
    ProxyConfig->SetProxySettings(false, true, scripts.Url("proxy.pac").c_str(), false, "", "");
    source.SetUrl(site.Url("front.html"));
    EXPECT_EQ(source.StartRequest(), 0);
    EXPECT_LT(GetTickCount() - start, HoldUpMs) << "the start waited for the script";
    DeleteProxyConfig();
    ASSERT_TRUE(ServeUntil([&] { return !updater.Reports.empty(); }, 20000));
    EXPECT_EQ(updater.Reports, std::vector<int>{c.ThroughProxy ? 8 : 0});
    EXPECT_EQ(proxy.Connections(), c.ThroughProxy ? 1 : 0);
    EXPECT_EQ(site.Connections(), 0);
  }
}

// A request whose script server stalls ends at once when told to, without a
// report: closing the program never waits for the script.
TEST_F(NewsRequestTest, StoppingARequestThatWaitsForItsScriptIsPrompt) {
  TScriptedServer scripts;
  // A stop that waited for the script would take this long; half of it is
  // room for a loaded machine.
  constexpr DWORD StallMs = 30000;
  scripts.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\n", .DelayMs = StallMs});
  CreateProxyConfig();
  ProxyConfig->SetProxySettings(false, true, scripts.Url("proxy.pac").c_str(), false, "", "");
  source.SetUrl("http://127.0.0.1:9/front.html");
  const DWORD start = GetTickCount();
  source.StartRequest();
  ASSERT_TRUE(scripts.WaitForConnections(1));
  StopAllTransactions();
  DeleteProxyConfig();
  EXPECT_LT(GetTickCount() - start, StallMs / 2) << "the stop waited for the script";
  EXPECT_TRUE(updater.Reports.empty());
}

} // namespace
