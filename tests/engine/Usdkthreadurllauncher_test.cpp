#include "engine/Usdkthreadurllauncher.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "engine/Chttpthread.h"
#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Kernel.h"
#include "tests/support/NginxServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/SilentServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TinyproxyServer.h"

namespace {

struct TAnswer {
  int Kind;
  AnsiString Host, Port;
};

TAnswer Ask(CHttpProxyConfig& config, const std::string& url) {
  TAnswer answer{-9, "stale", "stale"};
  answer.Kind = config.GetProxyForUrl(url, answer.Host, answer.Port);
  return answer;
}

TEST(ProxyConfig, ManualAndOffModes) {
  struct {
    const char* Name;
    bool ScriptMode;
    const char* ScriptUrl;
    bool Manual;
    const char* Host;
    const char* Port;
    bool On;
    TAnswer Expected;
  } cases[] = {
      {"all off", false, nullptr, false, nullptr, nullptr, false, {0, "", ""}},
      {"manual", false, nullptr, true, "proxy.lan", "3128", true, {1, "proxy.lan", "3128"}},
      {"manual without port", false, nullptr, true, "p", "", true, {1, "p", "8080"}},
      {"manual with null port", false, nullptr, true, "p", nullptr, true, {1, "p", "8080"}},
      {"manual without host", false, nullptr, true, "", "3128", false, {0, "", ""}},
      {"script without URL", true, "", false, nullptr, nullptr, false, {0, "", ""}},
      {"host longer than any field",
       false,
       nullptr,
       true,
       "a-very-long-proxy-name-that-keeps-going-and-going-and-going-and-going-and-going-and-"
       "going-and-going-and-going-and-going-and-going-and-going-and-going-and-going-and-going-"
       "and-going-and-going-and-going-and-going-and-going-and-going-and-going.example",
       "1",
       true,
       {1,
        "a-very-long-proxy-name-that-keeps-going-and-going-and-going-and-going-and-going-and-"
        "going-and-going-and-going-and-going-and-going-and-going-and-going-and-going-and-going-"
        "and-going-and-going-and-going-and-going-and-going-and-going-and-going.example",
        "1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    CHttpProxyConfig config;
    EXPECT_EQ(config.SetProxySettings(false, c.ScriptMode, c.ScriptUrl, c.Manual, c.Host, c.Port),
              c.On);
    for (const char* url : {"http://www.example.com/a.html", "http://other"}) {
      TAnswer answer = Ask(config, url);
      EXPECT_EQ(answer.Kind, c.Expected.Kind) << url;
      EXPECT_EQ(answer.Host, c.Expected.Host) << url;
      EXPECT_EQ(answer.Port, c.Expected.Port) << url;
    }
  }
}

TEST(ProxyConfig, ParsesTheFirstEntryOfAScriptAnswer) {
  struct {
    const char* Answer;
    TAnswer Expected;
  } cases[] = {
      {"PROXY p:3128; DIRECT", {1, "p", "3128"}},
      {"PROXY \t proxy.lan:8080", {1, "proxy.lan", "8080"}},
      {"SOCKS s:1080", {2, "s", "1080"}},
      {"DIRECT", {0, "", ""}},
      {"DIRECT; PROXY p:3128", {0, "", ""}},
      {"PROXY p", {0, "", ""}},
      {"PROXY p; PROXY q:80", {0, "", ""}},
      // A port that is not 1 to 65535 in digits spoils the entry like a
      // missing one: 113348 would wrap round to port 47812.
      {"PROXY 127.0.0.1:113348", {0, "", ""}},
      {"PROXY p:65536", {0, "", ""}},
      {"PROXY p:0", {0, "", ""}},
      {"PROXY p:-80", {0, "", ""}},
      {"PROXY p:80x; DIRECT", {0, "", ""}},
      {"PROXY p:", {0, "", ""}},
      {"PROXY p:000080", {0, "", ""}},
      {"PROXY :3128", {0, "", ""}},
      {"PROXY p:65535 ; DIRECT", {1, "p", "65535"}},
      {"SOCKS s:1", {2, "s", "1"}},
      {"PROXY", {0, "", ""}},
      {"proxy p:3128", {0, "", ""}},
      {"", {0, "", ""}},
      {nullptr, {0, "", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Answer ? c.Answer : "(null)");
    TAnswer answer{-1, "stale", "stale"};
    answer.Kind = CHttpProxyConfig::ParseProxyAnswer(c.Answer, answer.Host, answer.Port);
    EXPECT_EQ(answer.Kind, c.Expected.Kind);
    EXPECT_EQ(answer.Host, c.Expected.Host);
    EXPECT_EQ(answer.Port, c.Expected.Port);
  }
}

TEST(ProxyConfig, ScriptHostServices) {
  struct {
    const char* Address;
    const char* Network;
    const char* Mask;
    bool In;
  } nets[] = {
      {"10.1.2.3", "10.1.0.0", "255.255.0.0", true},
      {"10.2.2.3", "10.1.0.0", "255.255.0.0", false},
      {"10.1.2.3", "10.1.2.3", "255.255.255.255", true},
      {"10.1.2.3", "10.1.0.1", "255.255.0.0", false},
      {"nonsense", "0.0.0.0", "0.0.0.0", false},
      {"10.1.2.3", "nonsense", "0.0.0.0", false},
  };
  for (const auto& n : nets)
    EXPECT_EQ(CHttpProxyConfig::ScriptIsInNet(n.Address, n.Network, n.Mask), n.In)
        << n.Address << " in " << n.Network << "/" << n.Mask;

  char buffer[64];
  uint32_t size = sizeof buffer;
  EXPECT_EQ(CHttpProxyConfig::ScriptResolveHost("localhost", buffer, &size), 0u);
  EXPECT_STREQ(buffer, "127.0.0.1");
  EXPECT_TRUE(CHttpProxyConfig::ScriptIsResolvable("127.0.0.1"));
  EXPECT_FALSE(CHttpProxyConfig::ScriptIsResolvable("no-such-host.invalid"));
  // The address is cut to the buffer, never overrun.
  uint32_t small = 4;
  EXPECT_EQ(CHttpProxyConfig::ScriptResolveHost("localhost", buffer, &small), 0u);
  EXPECT_STREQ(buffer, "127");
  size = sizeof buffer;
  EXPECT_EQ(CHttpProxyConfig::ScriptGetLocalAddress(buffer, &size), 0u);
  EXPECT_TRUE(CHttpProxyConfig::ScriptIsInNet(buffer, "0.0.0.0", "0.0.0.0")) << buffer;
}

// A site of scripts and one page on the tests' nginx, and a tinyproxy in front
// of it. Scripts name the proxy for requests to "localhost" only, so the same
// page is fetched through the proxy or directly by the host name of its URL.
class ProxyScripts : public testing::Test {
protected:
  ProxyScripts() {
    Site.Write("page.html", ReadFileBytes(CorpusPage("001.html")));
    WriteScript("proxy.pac", "function FindProxyForURL(url, host) {\n"
                             "  if (shExpMatch(host, 'localhost*'))\n"
                             "    return 'PROXY " +
                                 Proxy.HostPort() +
                                 "; DIRECT';\n"
                                 "  return 'DIRECT';\n"
                                 "}\n");
    WriteScript("throws.pac", "function FindProxyForURL(url, host) { throw 'broken'; }");
    WriteScript("loops.pac", "function FindProxyForURL(url, host) { for (;;) {} }");
    TNginxOptions options;
    options.DocumentRoot = Site.Path();
    Nginx = std::make_unique<TNginxServer>(options);
  }

  void WriteScript(const std::string& name, const std::string& text) { Site.Write(name, text); }
  std::string ScriptUrl(const std::string& name) const { return Nginx->Url(name); }
  std::string PageUrl(const char* host) const {
    return "http://" + std::string(host) + ":" + std::to_string(Nginx->Port()) + "/page.html";
  }

  // Fetches url with the proxy the configuration names for it; true when
  // the page came back whole.
  bool FetchThrough(CHttpProxyConfig& config, const std::string& url, int& kind) {
    AnsiString host, port;
    kind = config.GetProxyForUrl(url, host, port);
    std::unique_ptr<CHTTPTransaction> transaction(AcquireTransaction());
    if (!transaction)
      return false;
    transaction->SetUrl(url.c_str());
    transaction->SetProxy(kind != pkDirect ? host.c_str() : "", port.c_str());
    transaction->SetTimeOut(20000);
    transaction->RunTransaction(url.c_str());
    return transaction->Status() == 0 &&
           std::string(transaction->ResultBody(), transaction->ResultBodyLength()) ==
               ReadFileBytes(CorpusPage("001.html"));
  }

  size_t ProxiedRequests() const {
    std::string log = Proxy.Log();
    size_t count = 0;
    for (size_t at = log.find("page.html"); at != std::string::npos;
         at = log.find("page.html", at + 1))
      ++count;
    return count;
  }

  TTempDir Site;
  TTinyproxyServer Proxy;
  std::unique_ptr<TNginxServer> Nginx;
};

TEST_F(ProxyScripts, ScriptSendsEachRequestTheRightWay) {
  CHttpProxyConfig config;
  ASSERT_TRUE(config.SetProxySettings(false, true, ScriptUrl("proxy.pac").c_str(), false, "", ""));
  int kind = -1;
  EXPECT_TRUE(FetchThrough(config, PageUrl("127.0.0.1"), kind));
  EXPECT_EQ(kind, pkDirect);
  EXPECT_EQ(ProxiedRequests(), 0u) << Proxy.Log();
  EXPECT_TRUE(FetchThrough(config, PageUrl("localhost"), kind));
  EXPECT_EQ(kind, pkProxy);
  EXPECT_EQ(config.GetLastResult(), 0);
  EXPECT_GE(ProxiedRequests(), 1u) << Proxy.Log();
}

// A script that cannot be used never lets the request go direct, past the
// proxy the user asked for: the lookup says why, and the request fails with it
// before it connects anywhere.
TEST_F(ProxyScripts, UnusableScriptsFailTheRequestInsteadOfGoingDirect) {
  struct {
    const char* Script;
    const char* Reason;
  } cases[] = {
      {"throws.pac", "gave no answer"},
      {"loops.pac", "gave no answer"},
      {"missing.pac", "Not Found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Script);
    CHttpProxyConfig config;
    config.SetProxySettings(false, true, ScriptUrl(c.Script).c_str(), false, "", "");
    AnsiString host = "stale", port = "stale", problem;
    EXPECT_EQ(config.GetProxyForUrl(PageUrl("localhost"), host, port, nullptr, &problem),
              pkUnusable);
    EXPECT_EQ(host, "");
    EXPECT_EQ(port, "");
    EXPECT_NE(problem.find(ScriptUrl(c.Script)), std::string::npos) << problem;
    EXPECT_NE(problem.find(c.Reason), std::string::npos) << problem;
    EXPECT_NE(config.GetLastResult(), 0);
  }

  // A request whose lookup refuses fails with the reason and connects nowhere.
  TScriptedServer page;
  page.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\npage"});
  struct TListener : CHttpCallback {
    int Status = 1;
    std::string Problem;
    void OnHttpEvent(int, const char*, unsigned, const char*, unsigned) override {}
    void OnHttpResponse(const THttpResponse& response) override {
      Status = response.Status;
      Problem = response.Problem ? response.Problem : "";
    }
  } listener;
  CHTTPTransaction* transaction = AcquireTransaction();
  ASSERT_NE(transaction, nullptr);
  transaction->SetUrl(page.Url("page.html").c_str());
  transaction->SetProxyLookup(
      [](const char*, AnsiString&, AnsiString&, AnsiString& problem, const std::function<bool()>&) {
        problem = "the script http://pac/ gave no answer";
        return false;
      });
  transaction->SetCallback(&listener);
  transaction->Start();
  for (int i = 0; i < 1000 && listener.Status == 1; ++i)
    CheckSynchronize(10);
  EXPECT_EQ(listener.Status, -1);
  EXPECT_EQ(listener.Problem,
            "Error, proxy script unusable: the script http://pac/ gave no answer");
  StopAllTransactions();
  EXPECT_EQ(page.Connections(), 0);
}

TEST_F(ProxyScripts, ScriptIsDownloadedAgainOnlyAfterNewSettings) {
  CHttpProxyConfig config;
  config.SetProxySettings(false, true, ScriptUrl("proxy.pac").c_str(), false, "", "");
  EXPECT_EQ(Ask(config, PageUrl("localhost")).Kind, pkProxy);

  WriteScript("proxy.pac", "function FindProxyForURL(url, host) { return 'SOCKS s:1080'; }");
  EXPECT_EQ(Ask(config, PageUrl("localhost")).Kind, pkProxy) << "the downloaded script is reused";
  config.SetProxySettings(false, true, ScriptUrl("proxy.pac").c_str(), false, "", "");
  TAnswer answer = Ask(config, PageUrl("localhost"));
  EXPECT_EQ(answer.Kind, pkSocks);
  EXPECT_EQ(answer.Host, "s");
  EXPECT_EQ(answer.Port, "1080");
}

// The script goes to the evaluator in memory: no file of it is written
// anywhere (a read-only folder or a link planted at the file's name could
// otherwise bypass the proxy or redirect the write), and a failed download
// never lets an earlier script answer.
TEST_F(ProxyScripts, ScriptsAreNeverWrittenToAFile) {
  TTempDir temporary;
  const char* before = std::getenv("TMPDIR");
  const std::string saved = before ? before : "";
  setenv("TMPDIR", temporary.Path().c_str(), 1);
  {
    CHttpProxyConfig config;
    config.SetProxySettings(false, true, ScriptUrl("missing.pac").c_str(), false, "", "");
    EXPECT_EQ(Ask(config, PageUrl("localhost")).Kind, pkUnusable);
    config.SetProxySettings(false, true, ScriptUrl("proxy.pac").c_str(), false, "", "");
    EXPECT_EQ(Ask(config, PageUrl("localhost")).Kind, pkProxy);
    EXPECT_TRUE(std::filesystem::is_empty(temporary.Path()));
  }
  if (before)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");
  EXPECT_TRUE(std::filesystem::is_empty(temporary.Path()));
}

// Discovery that offers the script in OfferedScript ("" for none) and counts
// how often it was asked.
std::string OfferedScript;
int DetectCalls = 0;
bool FakeDetect(char* buffer, uint32_t size, uint32_t) {
  ++DetectCalls;
  if (OfferedScript.empty() || OfferedScript.size() + 1 > size) {
    SetLastError(ERROR_INTERNET_AUTODETECTION_FAILED);
    return false;
  }
  std::memcpy(buffer, OfferedScript.c_str(), OfferedScript.size() + 1);
  return true;
}

TAutoProxyEntries WithFakeDiscovery(const std::string& offered) {
  OfferedScript = offered;
  DetectCalls = 0;
  TAutoProxyEntries entries;
  entries.Detect = FakeDetect;
  return entries;
}

TEST_F(ProxyScripts, DiscoveredScriptDecidesAndDiscoveryRunsOncePerSettings) {
  WriteScript("socks.pac", "function FindProxyForURL(url, host) { return 'SOCKS s:1080'; }");
  CHttpProxyConfig config(WithFakeDiscovery(ScriptUrl("socks.pac")));
  config.SetProxySettings(true, true, ScriptUrl("proxy.pac").c_str(), false, "", "");
  EXPECT_EQ(Ask(config, PageUrl("localhost")).Kind, pkSocks);
  EXPECT_EQ(Ask(config, PageUrl("127.0.0.1")).Kind, pkSocks);
  EXPECT_EQ(DetectCalls, 1);
  config.SetProxySettings(true, true, ScriptUrl("proxy.pac").c_str(), false, "", "");
  EXPECT_EQ(Ask(config, PageUrl("localhost")).Kind, pkSocks);
  EXPECT_EQ(DetectCalls, 2);
}

// Both scripts share one downloaded file; each must still answer with its own
// text when the other was the last one fetched.
TEST_F(ProxyScripts, DiscoveredAndConfiguredScriptsEachAnswerForThemselves) {
  WriteScript("numeric.pac", "function FindProxyForURL(url, host) {\n"
                             "  return shExpMatch(host, '127.*') ? 'SOCKS s:1080' : 'DIRECT';\n"
                             "}");
  CHttpProxyConfig config(WithFakeDiscovery(ScriptUrl("numeric.pac")));
  config.SetProxySettings(true, true, ScriptUrl("proxy.pac").c_str(), false, "", "");
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(Ask(config, PageUrl("localhost")).Kind, pkProxy);
    EXPECT_EQ(Ask(config, PageUrl("127.0.0.1")).Kind, pkSocks);
  }
}

TEST_F(ProxyScripts, ConfiguredScriptDecidesWhenDiscoveryFindsNone) {
  CHttpProxyConfig config(WithFakeDiscovery(""));
  config.SetProxySettings(true, true, ScriptUrl("proxy.pac").c_str(), false, "", "");
  EXPECT_EQ(Ask(config, PageUrl("localhost")).Kind, pkProxy);
  EXPECT_EQ(Ask(config, PageUrl("127.0.0.1")).Kind, pkDirect);
  EXPECT_EQ(DetectCalls, 1);
}

TEST_F(ProxyScripts, WithoutTheScriptLibraryEveryUrlIsDirect) {
  CHttpProxyConfig config(TAutoProxyEntries{nullptr, nullptr, nullptr, nullptr});
  config.SetProxySettings(true, true, ScriptUrl("proxy.pac").c_str(), false, "", "");
  TAnswer answer = Ask(config, PageUrl("localhost"));
  EXPECT_EQ(answer.Kind, pkDirect);
  EXPECT_EQ(answer.Host, "");
  EXPECT_EQ(config.GetLastResult(), -3);
  AnsiString detected = "stale";
  EXPECT_EQ(config.DetectScriptUrl(detected), -3);
  EXPECT_EQ(detected, "");
}

// A failed script download is tried again later, each time after twice the
// delay (up to the refresh interval), and a script once downloaded whole
// keeps answering when a later refresh fails.
TEST(ProxyScriptRefresh, RetriesWithBackOffAndKeepsAScriptThroughFailedRefreshes) {
  TScriptedServer scripts;
  const std::string missing = "HTTP/1.0 404 Not Found\r\n\r\n";
  for (int failure = 0; failure < 3; ++failure)
    scripts.Add({.Bytes = missing});
  scripts.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\nfunction FindProxyForURL(u, h) {"
                        " return 'PROXY a:1'; }"});
  scripts.Add({.Bytes = missing});
  CHttpProxyConfig config(TAutoProxyEntries(),
                          TScriptRefresh{.IntervalMs = 1000, .FirstRetryMs = 100});
  const auto start = std::chrono::steady_clock::now();
  const auto elapsedMs = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
  };
  config.SetProxySettings(false, true, scripts.Url("p.pac").c_str(), false, "", "");
  EXPECT_EQ(Ask(config, "http://h/").Kind, pkUnusable) << "the first download failed";
  // Tries at 0, 100, 300 and 700 ms.
  ASSERT_TRUE(scripts.WaitForConnections(4));
  EXPECT_GE(elapsedMs(), 700);
  TAnswer answer;
  while ((answer = Ask(config, "http://h/")).Kind != pkProxy && elapsedMs() < 30000)
    Sleep(20);
  EXPECT_EQ(answer.Host, "a");
  ASSERT_TRUE(scripts.WaitForConnections(5)) << "the kept script is downloaded again";
  EXPECT_GE(elapsedMs(), 1700);
  Sleep(100);
  answer = Ask(config, "http://h/");
  EXPECT_EQ(answer.Kind, pkProxy);
  EXPECT_EQ(answer.Host, "a");
}

// The configuration downloads on a thread of its own, which its end stops
// at once even while a script server stalls.
TEST(ProxyScriptRefresh, NewSettingsAndTheEndNeverWaitForADownload) {
  TScriptedServer scripts;
  // An end that waited for a download would take this long; half of it is
  // room for a loaded machine.
  constexpr auto Stall = std::chrono::seconds(30);
  scripts.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\n",
               .DelayMs = static_cast<int>(std::chrono::milliseconds(Stall).count())});
  auto config = std::make_unique<CHttpProxyConfig>();
  const auto start = std::chrono::steady_clock::now();
  config->SetProxySettings(false, true, scripts.Url("p.pac").c_str(), false, "", "");
  ASSERT_TRUE(scripts.WaitForConnections(1));
  config->SetProxySettings(false, true, scripts.Url("q.pac").c_str(), false, "", "");
  ASSERT_TRUE(scripts.WaitForConnections(2)) << "new settings are not held up by the old script";
  config.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, Stall / 2) << "the end waited for it";
}

// The end of the configuration stops a download stuck in a connect that is
// never answered, well before its 45 s time-out.
TEST(ProxyScriptRefresh, TheEndStopsADownloadStuckInConnect) {
  TSilentServer silent;
  auto config = std::make_unique<CHttpProxyConfig>();
  config->SetProxySettings(false, true, silent.Url("p.pac").c_str(), false, "", "");
  Sleep(300);
  const auto start = std::chrono::steady_clock::now();
  config.reset();
  const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  std::printf("end of the configuration during a stuck download: %lld ms\n",
              static_cast<long long>(spent.count()));
  EXPECT_LT(spent, std::chrono::seconds(20));
}

} // namespace
