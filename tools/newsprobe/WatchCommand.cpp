// newsprobe watch SOURCES_FILE NEWS_FILE --seconds N [--interval S]
// [--max-request K]: the engine as the main window drives it, without
// windows. Once a second the next due source starts its request; between
// ticks the main thread serves the transactions' hand-overs. Every report of
// a source is printed as a JSON line with its new items. At the end both files
// are saved, also when SIGTERM or SIGINT ends the watch early (the exit code
// is then 128 plus the signal's number; 1 when a file could not be saved).
// Page copies go to "cache/" beside the sources file.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "engine/Chttpthread.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Newsextractor.h"
#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Kernel.h"
#include "tools/newsprobe/Json.h"
#include "tools/newsprobe/Probe.h"

namespace {

constexpr DWORD TickMs = 1000;

volatile std::sig_atomic_t StopSignal = 0;

extern "C" void OnStopSignal(int number) {
  StopSignal = number;
}

// SIGTERM and SIGINT end the watch as the end of its time does: the requests
// are stopped and both files saved, so nothing found so far is lost.
void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

class TWatchNotifier : public NewsUpdater {
public:
  void OnNewsReceived(NewsSource* source, int32_t count) override {
    std::string items = "[";
    const int total = source->GetNewsCount();
    for (int i = total - std::min(count, total); i < total; ++i) {
      const NewsData* item = source->GetNews(i);
      if (items.size() > 1)
        items += ",";
      items += TJsonLine()
                   .Add("date", item->dateText)
                   .Add("headline", item->headline)
                   .Add("link", item->link)
                   .Text();
    }
    TJsonLine()
        .Add("source", source->name)
        .Add("count", count)
        .Add("busy", source->IsBusy())
        .Add("elapsed_ms", static_cast<int64_t>(GetTickCount() - Started[source]))
        .AddRaw("items", items + "]")
        .Print();
    std::fflush(stdout);
  }

  // When each source's last request started.
  std::map<const NewsSource*, DWORD> Started;
};

int Watch(const TProbeArgs& given) {
  TProbeArgs args = given;
  const int seconds = std::atoi(TakeOption(args, "--seconds", "0").c_str());
  const int interval = std::atoi(TakeOption(args, "--interval", "20").c_str());
  const int maxRequest = std::atoi(TakeOption(args, "--max-request", "3").c_str());
  if (args.size() != 2 || seconds <= 0 || interval < 0 || maxRequest <= 0)
    return ProbeUsage("watch");
  const AnsiString sourcesFile = args[0];
  const AnsiString newsFile = args[1];
  // An absolute folder, so that the page-change links name the copies fully.
  const std::string folder = ExtractFilePath(sourcesFile);
  CNoveltyDetector::SetCacheFolder(
      std::filesystem::absolute(folder.empty() ? "." : folder).lexically_normal() / "cache/");

  CatchStopSignals();
  InitNewsTools();
  CreateProxyConfig();
  TWatchNotifier notifier;
  CDataMatcher matcher;
  NewsExtractor::SetMaxRequest(maxRequest);
  bool saved = false;
  {
    NewsExtractor list(&notifier);
    if (!list.LoadSources(sourcesFile))
      std::fprintf(stderr, "newsprobe watch: cannot read %s\n", sourcesFile.c_str());
    list.LoadNews(newsFile, &matcher);

    const DWORD start = GetTickCount();
    const DWORD duration = static_cast<DWORD>(seconds) * 1000;
    DWORD nextTick = start;
    for (DWORD now = start; now - start < duration && !StopSignal; now = GetTickCount()) {
      if (static_cast<int32_t>(now - nextTick) >= 0) {
        nextTick += TickMs;
        if (NewsSource* source = list.GetNextSource(interval)) {
          notifier.Started[source] = now;
          source->StartRequest();
        }
      }
      const int untilTick = static_cast<int32_t>(nextTick - now);
      const int untilEnd = static_cast<int>(duration - (now - start));
      CheckSynchronize(std::max(0, std::min(untilTick, untilEnd)));
    }

    list.DetachNotifiers();
    StopAllTransactions();
    // A failed save has been reported; the exit code tells it too.
    saved = list.SaveSources(sourcesFile);
    saved = list.SaveNews(newsFile) == 0 && saved;
  }
  DeleteProxyConfig();
  FreeNewsTools();
  if (!StopSignal)
    return saved ? 0 : 1;
  std::fprintf(stderr, "newsprobe watch: stopped by signal %d\n", static_cast<int>(StopSignal));
  return 128 + StopSignal;
}

} // namespace

NEWSPROBE_COMMAND(Watch, "watch",
                  "watch SOURCES_FILE NEWS_FILE --seconds N [--interval S] [--max-request K]",
                  Watch);
