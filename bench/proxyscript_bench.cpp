// What a stalling proxy script server costs the threads that must never wait
// for it: the time a request start, the stop of every transaction and the
// end of the proxy configuration take while the server holds its answer.
// The tests only check that none of them waits for the script; these are
// their speeds.
#include "engine/Chttpthread.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "engine/Usdkthreadurllauncher.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Rounds = 20;
// Far longer than any of the measured calls may take.
constexpr int StallMs = 30000;

class TQuietUpdater : public NewsUpdater {
public:
  void OnNewsReceived(NewsSource*, int32_t) override {}
};

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A script server that holds every answer, and the configuration that asks it.
class TStalledScript {
public:
  TStalledScript() {
    server.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\n", .DelayMs = StallMs});
    CreateProxyConfig();
    ProxyConfig->SetProxySettings(false, true, server.Url("proxy.pac").c_str(), false, "", "");
  }
  ~TStalledScript() {
    StopAllTransactions();
    DeleteProxyConfig();
  }
  TScriptedServer server;
};

// A request started through the stalled script, and the time the start took.
double RequestStart(NewsSource& source) {
  const Clock::time_point start = Clock::now();
  source.StartRequest();
  return MsSince(start);
}

double StartWhileTheScriptStalls() {
  TStalledScript script;
  TQuietUpdater updater;
  NewsSource source(&updater);
  source.SetUrl("http://127.0.0.1:9/front.html");
  return RequestStart(source);
}

double StopWhileTheScriptStalls() {
  TStalledScript script;
  TQuietUpdater updater;
  NewsSource source(&updater);
  source.SetUrl("http://127.0.0.1:9/front.html");
  RequestStart(source);
  script.server.WaitForConnections(1);
  const Clock::time_point start = Clock::now();
  StopAllTransactions();
  return MsSince(start);
}

double EndDuringADownload() {
  TScriptedServer server;
  server.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\n", .DelayMs = StallMs});
  auto config = std::make_unique<CHttpProxyConfig>();
  config->SetProxySettings(false, true, server.Url("p.pac").c_str(), false, "", "");
  server.WaitForConnections(1);
  const Clock::time_point start = Clock::now();
  config.reset();
  return MsSince(start);
}

void Report(const char* what, const std::function<double()>& measure) {
  std::vector<double> times;
  for (int i = 0; i < Rounds; ++i)
    times.push_back(measure());
  std::sort(times.begin(), times.end());
  std::printf("%-46s median %8.2f ms, slowest %8.2f ms\n", what, times[times.size() / 2],
              times.back());
}

} // namespace

int main() {
  TTempDir dir;
  InitNewsTools();
  CNoveltyDetector::SetCacheFolder(dir.File("cache/"));
  std::printf("proxy script server stalling %d s, %d rounds each:\n", StallMs / 1000, Rounds);
  Report("request start", StartWhileTheScriptStalls);
  Report("stop of every transaction", StopWhileTheScriptStalls);
  Report("end of the configuration during a download", EndDuringADownload);
  FreeNewsTools();
}
