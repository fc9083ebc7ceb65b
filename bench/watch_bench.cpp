// Watching 100 corpus pages served by a local nginx: main-thread time per
// completed request, and memory, which must stay flat once every page is
// known (an unchanged page fetched again costs nothing lasting).
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "engine/Chttpthread.h"
#include "engine/Newsextractor.h"
#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Kernel.h"
#include "tests/support/NginxServer.h"

namespace {

constexpr int SourceCount = 100;
constexpr int Requests = 1000;

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0)
      return std::stol(line.substr(std::strlen(field)));
  return -1;
}

long PeakRssKiB() {
  return StatusKiB("VmHWM:");
}

long RssKiB() {
  return StatusKiB("VmRSS:");
}

size_t HeapInUse() {
  return mallinfo2().uordblks;
}

class CountingNotifier : public NewsUpdater {
public:
  void OnNewsReceived(NewsSource*, int32_t count) override { Items += count; }
  long Items = 0;
};

} // namespace

int main() {
  TNginxOptions options;
  options.DocumentRoot = WT_CORPUS_DIR;
  TNginxServer nginx(options);
  std::vector<AnsiString> pages = FindFiles(WT_CORPUS_DIR, "*.html");
  std::sort(pages.begin(), pages.end());
  if (pages.size() < static_cast<size_t>(SourceCount)) {
    std::fprintf(stderr, "watch_bench: the corpus has fewer than %d pages\n", SourceCount);
    return 1;
  }

  InitNewsTools();
  CountingNotifier notifier;
  NewsExtractor list(&notifier);
  for (int i = 0; i < SourceCount; ++i) {
    SourceDefinition definition;
    definition.name = pages[i];
    definition.url = nginx.Url(ExtractFileName(pages[i]));
    definition.enabled = true;
    definition.noveltyDetection = true;
    definition.keepChangeTrack = false;
    list.AddSource(definition);
  }
  NewsExtractor::SetMaxRequest(10);

  // Round by round, each source requested once: the main thread's time and,
  // with no request in flight, the heap after every round.
  const int rounds = Requests / SourceCount;
  std::vector<double> cpuAtRound{ThreadCpuMs()};
  std::vector<size_t> heapAtRound{HeapInUse()};
  std::vector<long> peakAtRound{PeakRssKiB()};
  std::vector<long> rssAtRound{RssKiB()};
  const DWORD start = GetTickCount();
  for (int round = 1; round <= rounds; ++round) {
    std::vector<NewsSource*> running;
    int started = 0;
    for (int completed = 0; completed < SourceCount;) {
      while (started < SourceCount) {
        NewsSource* source = list.GetNextSource(0);
        if (!source || (source->StartRequest(), !source->IsBusy()))
          break;
        running.push_back(source);
        ++started;
      }
      CheckSynchronize(10);
      const auto done = std::partition(running.begin(), running.end(),
                                       [](NewsSource* source) { return source->IsBusy(); });
      completed += static_cast<int>(running.end() - done);
      running.erase(done, running.end());
    }
    // Every request has reported; wait for the finished transactions to free
    // themselves.
    StopAllTransactions();
    cpuAtRound.push_back(ThreadCpuMs());
    heapAtRound.push_back(HeapInUse());
    peakAtRound.push_back(PeakRssKiB());
    rssAtRound.push_back(RssKiB());
  }
  const DWORD elapsed = GetTickCount() - start;
  list.DetachNotifiers();
  StopAllTransactions();

  const double firstRound = (cpuAtRound[1] - cpuAtRound[0]) / SourceCount;
  const double laterRounds = (cpuAtRound[rounds] - cpuAtRound[1]) / (Requests - SourceCount);
  std::printf("watch: %d sources, %d completed requests in %.1f s, %ld items found\n", SourceCount,
              Requests, elapsed / 1000.0, notifier.Items);
  std::printf("main thread: %.3f ms per request in the first round (new pages), %.3f ms per "
              "request later (unchanged pages), %.3f ms overall\n",
              firstRound, laterRounds, (cpuAtRound[rounds] - cpuAtRound[0]) / Requests);
  std::printf("memory: peak RSS %.1f MiB after %d requests; heap in use %.1f KiB after round 2, "
              "%.1f KiB after round %d (%+.1f bytes per request)\n",
              PeakRssKiB() / 1024.0, Requests, heapAtRound[2] / 1024.0,
              heapAtRound[rounds] / 1024.0, rounds,
              (static_cast<double>(heapAtRound[rounds]) - static_cast<double>(heapAtRound[2])) /
                  (Requests - 2 * SourceCount));
  std::printf("after round  heap KiB  RSS KiB  peak RSS KiB\n");
  for (int round = 1; round <= rounds; ++round)
    std::printf("%11d %9.1f %8ld %13ld\n", round, heapAtRound[round] / 1024.0, rssAtRound[round],
                peakAtRound[round]);
  FreeNewsTools();
  return 0;
}
