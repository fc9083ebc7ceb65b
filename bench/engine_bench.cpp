// The news engine's work on one fetched page: the tag parser, the detection
// passes, and the whole main-thread path of a fetched page (gzip decoding of
// the body, change gate, parse, detection, commit), per page of the corpus or
// of the files given; then the largest page repeated 1, 2, 4 and 8 times to
// show how the cost grows with the page.
//   engine_bench [FILE...]
// Ends with one JSON line of the totals.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "tests/support/Compress.h"
#include "tests/support/TempDir.h"

namespace {

using TClock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int Runs = 7;
const char* const GzipHeader = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n"
                               "Content-Encoding: gzip\r\n";

double MillisecondsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::unique_ptr<NewsSource> FreshSource() {
  auto source = std::make_unique<NewsSource>(nullptr);
  source->keepChangeTrack = false;
  source->SetUrl("http://127.0.0.1/bench/page.html");
  return source;
}

struct TPageCost {
  double parseMs = 0;
  double detectMs = 0;
  double parseDetectMs = 0;
  double mainThreadMs = 0;
  int items = 0;
};

// Medians over several runs; each run starts from a fresh source, as the
// detection replaces the parser's structure.
TPageCost MeasureParseDetect(const std::string& page) {
  std::vector<double> parse, detect, both;
  TPageCost cost;
  for (int run = 0; run < Runs; ++run) {
    std::unique_ptr<NewsSource> source = FreshSource();
    source->pageText = PageFromBody(page.data(), page.size());
    TClock::time_point start = TClock::now();
    source->parser->Parse(source->pageText);
    parse.push_back(MillisecondsSince(start));
    start = TClock::now();
    cost.items = source->DetectNews(NewsSource::DetectAll);
    detect.push_back(MillisecondsSince(start));
    both.push_back(parse.back() + detect.back());
  }
  cost.parseMs = Median(parse);
  cost.detectMs = Median(detect);
  cost.parseDetectMs = Median(both);
  return cost;
}

// From the gzip body as the transaction hands it over to the committed items:
// the source's own completion.
double MeasureMainThread(const std::string& body) {
  std::vector<double> times;
  for (int run = 0; run < Runs; ++run) {
    std::unique_ptr<NewsSource> source = FreshSource();
    TClock::time_point start = TClock::now();
    source->OnHttpEvent(0, body.data(), static_cast<unsigned>(body.size()), GzipHeader,
                        static_cast<unsigned>(std::strlen(GzipHeader)));
    times.push_back(MillisecondsSince(start));
  }
  return Median(times);
}

double MBps(size_t bytes, double ms) {
  return ms > 0 ? bytes / (ms / 1000) / 1e6 : 0;
}

std::vector<fs::path> PagesToMeasure(int argc, char** argv) {
  std::vector<fs::path> pages;
  for (int i = 1; i < argc; ++i)
    pages.emplace_back(argv[i]);
  if (!pages.empty())
    return pages;
  for (const auto& entry : fs::directory_iterator(WT_CORPUS_DIR))
    if (entry.path().extension() == ".html")
      pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());
  return pages;
}

} // namespace

int main(int argc, char** argv) {
  InitNewsTools();
  std::vector<fs::path> pages = PagesToMeasure(argc, argv);
  std::printf("%-40s %9s %8s %8s %8s %8s %8s %6s %10s\n", "page", "bytes", "parse", "detect",
              "p+d ms", "p+d MB/s", "main ms", "items", "peak KB");
  size_t totalBytes = 0;
  double totalParseDetect = 0;
  double totalMainThread = 0;
  double maxPageMs = 0;
  std::string maxPage;
  std::string largest;
  int measured = 0;
  for (const fs::path& path : pages) {
    std::string page = ReadFileBytes(path.string());
    if (page.empty()) {
      std::fprintf(stderr, "engine_bench: cannot read %s or it is empty\n", path.c_str());
      continue;
    }
    TPageCost cost = MeasureParseDetect(page);
    cost.mainThreadMs = MeasureMainThread(Gzip(page));
    std::printf("%-40s %9zu %8.3f %8.3f %8.3f %8.1f %8.3f %6d %10ld\n", path.filename().c_str(),
                page.size(), cost.parseMs, cost.detectMs, cost.parseDetectMs,
                MBps(page.size(), cost.parseDetectMs), cost.mainThreadMs, cost.items, PeakRssKb());
    ++measured;
    totalBytes += page.size();
    totalParseDetect += cost.parseDetectMs;
    totalMainThread += cost.mainThreadMs;
    if (cost.parseDetectMs > maxPageMs) {
      maxPageMs = cost.parseDetectMs;
      maxPage = path.filename().string();
    }
    if (page.size() > largest.size())
      largest = std::move(page);
  }
  std::printf("%-40s %9zu %8s %8s %8.3f %8.1f %8.3f\n", "all pages", totalBytes, "", "",
              totalParseDetect, MBps(totalBytes, totalParseDetect), totalMainThread);

  if (!largest.empty()) {
    std::printf("\nthe largest page repeated (parse + detect, median of %d runs)\n", Runs);
    double once = 0;
    for (int times : {1, 2, 4, 8}) {
      std::string repeated;
      for (int i = 0; i < times; ++i)
        repeated += largest;
      double ms = MeasureParseDetect(repeated).parseDetectMs;
      once = times == 1 ? ms : once;
      std::printf("%dx %9zu bytes %9.3f ms %8.1f MB/s %6.2f times the time of one\n", times,
                  repeated.size(), ms, MBps(repeated.size(), ms), once > 0 ? ms / once : 0);
    }
  }
  std::printf("{\"pages\":%d,\"bytes\":%zu,\"total_parse_detect_ms\":%.3f,\"max_page_ms\":%.3f,"
              "\"max_page\":\"%s\",\"total_main_thread_ms\":%.3f,\"peak_rss_kb\":%ld}\n",
              measured, totalBytes, totalParseDetect, maxPageMs, maxPage.c_str(), totalMainThread,
              PeakRssKb());
  FreeNewsTools();
  return measured > 0 ? 0 : 1;
}
