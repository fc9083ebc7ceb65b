// The news engine's work on one fetched page: the tag parser, the detection
// passes, the worker's gzip decoding of the body, and the whole main-thread
// path of a fetched page (change gate, parse, detection, commit), per page of the corpus or
// of the files given; then the largest page repeated 1, 2, 4 and 8 times to
// show how the cost grows with the page. Beside each page, the time of the
// reference HTML parser's bare parse of it into a tree, which the whole
// main-thread path is held against.
//   engine_bench [FILE...]
// Ends with one JSON line of the totals.
#include <sys/resource.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <libxml/HTMLparser.h>

#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "tests/engine/ReferenceNormalisation.h"
#include "tests/support/Compress.h"
#include "tests/support/TempDir.h"

namespace {

// The main thread's own CPU time: the machine may be busy with other work,
// and time spent waiting for a core is no cost of the engine's.
struct TClock {
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<TClock, duration>;
  static time_point now() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return time_point(duration(now.tv_sec * 1000000000LL + now.tv_nsec));
  }
};
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

// The reference parser's bare parse of the page into a tree, freeing the tree
// outside the time.
double MeasureReferenceParse(const std::string& page) {
  std::vector<double> runs;
  for (int i = 0; i < Runs; ++i) {
    const auto start = TClock::now();
    htmlDocPtr doc = htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr, nullptr,
                                    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                        HTML_PARSE_NONET);
    runs.push_back(MillisecondsSince(start));
    xmlFreeDoc(doc);
  }
  return Median(runs);
}

std::unique_ptr<NewsSource> FreshSource() {
  auto source = std::make_unique<NewsSource>(nullptr);
  source->keepChangeTrack = false;
  source->SetUrl("http://127.0.0.1/bench/page.html");
  return source;
}

struct TPageCost {
  double decodeMs = 0;
  double gateMs = 0;
  double oldGateMs = 0;
  double parseMs = 0;
  double detectMs = 0;
  double commitMs = 0;
  double parseDetectMs = 0;
  double mainThreadMs = 0;
  double referenceMs = 0;
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

// The steps of a fetched gzip page one by one: the worker's decoding, then
// as the source takes them the change gate (and the gate's normalisation as it
// first was, for comparison), parse, detection and commit.
void MeasureSteps(const std::string& body, TPageCost& cost) {
  std::vector<double> decode, gate, oldGate, parse, detect, commit;
  for (int run = 0; run < Runs; ++run) {
    std::unique_ptr<NewsSource> source = FreshSource();
    TClock::time_point start = TClock::now();
    std::unique_ptr<char[]> decoded;
    int decodedLength = 0;
    CHttpDecompressor().DecodeContent(
        GetContentEncoding(GzipHeader, static_cast<int>(std::strlen(GzipHeader))), body.data(),
        static_cast<int>(body.size()), decoded, decodedLength);
    source->pageText = PageFromBody(decoded.get(), decodedLength);
    decoded.reset();
    decode.push_back(MillisecondsSince(start));
    // A small page is normalised over and over, until a megabyte has gone
    // through, as its time would otherwise be that of reading the clock.
    const int repeats = static_cast<int>(
        std::max<size_t>(1, 1000000 / std::max<size_t>(1, source->pageText.size())));
    start = TClock::now();
    for (int i = 0; i < repeats; ++i)
      source->changeGate->IsNew(source->pageText);
    gate.push_back(MillisecondsSince(start) / repeats);
    start = TClock::now();
    for (int i = 0; i < repeats; ++i)
      ReferenceFingerprint32(source->pageText, true, true, true);
    oldGate.push_back(MillisecondsSince(start) / repeats);
    start = TClock::now();
    source->parser->Parse(source->pageText);
    parse.push_back(MillisecondsSince(start));
    start = TClock::now();
    const int found = source->DetectNews(NewsSource::DetectAll);
    detect.push_back(MillisecondsSince(start));
    start = TClock::now();
    if (found > 0)
      source->CommitCandidates();
    commit.push_back(MillisecondsSince(start));
  }
  cost.decodeMs = Median(decode);
  cost.gateMs = Median(gate);
  cost.oldGateMs = Median(oldGate);
  cost.parseMs = Median(parse);
  cost.detectMs = Median(detect);
  cost.commitMs = Median(commit);
}

// From the gzip body and the page the worker inflated from it, as the
// transaction hands them over, to the committed items: the source's own
// completion.
double MeasureMainThread(const std::string& body) {
  std::unique_ptr<char[]> decoded;
  int decodedLength = 0;
  CHttpDecompressor().DecodeContent(ccGzip, body.data(), static_cast<int>(body.size()), decoded,
                                    decodedLength);
  const THttpResponse response{0,
                               body.data(),
                               static_cast<unsigned>(body.size()),
                               GzipHeader,
                               static_cast<unsigned>(std::strlen(GzipHeader)),
                               decoded.get(),
                               static_cast<unsigned>(decodedLength)};
  std::vector<double> times;
  for (int run = 0; run < Runs; ++run) {
    std::unique_ptr<NewsSource> source = FreshSource();
    TClock::time_point start = TClock::now();
    source->OnHttpResponse(response);
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

struct TTotals {
  size_t bytes = 0;
  double parseDetect = 0;
  double mainThread = 0;
  double reference = 0;
  double oldMainThread = 0;
  double maxMainMs = 0;
  std::string maxMainPage;
  double minGateMBps = 0;
  double minOldGateMBps = 0;
  std::string minGatePage;
  int measured = 0;

  void Add(const std::string& page, size_t size, const TPageCost& cost) {
    ++measured;
    bytes += size;
    parseDetect += cost.parseDetectMs;
    mainThread += cost.mainThreadMs;
    reference += cost.referenceMs;
    oldMainThread += OldMain(cost);
    if (cost.mainThreadMs > maxMainMs) {
      maxMainMs = cost.mainThreadMs;
      maxMainPage = page;
    }
    const double gate = MBps(size, cost.gateMs);
    if (minGatePage.empty() || gate < minGateMBps) {
      minGateMBps = gate;
      minOldGateMBps = MBps(size, cost.oldGateMs);
      minGatePage = page;
    }
  }
  // The whole path with the gate's normalisation as it first was.
  static double OldMain(const TPageCost& cost) {
    return cost.mainThreadMs - cost.gateMs + cost.oldGateMs;
  }
};

} // namespace

int main(int argc, char** argv) {
  InitNewsTools();
  std::vector<fs::path> pages = PagesToMeasure(argc, argv);
  std::printf("times in ms, medians of %d runs; \"old\": with the first normalisation\n", Runs);
  std::printf("%-36s %8s %7s %7s %8s %8s %7s %7s %7s %7s %7s %7s %5s %8s\n", "page", "bytes",
              "worker", "gate", "gateMB/s", "oldMB/s", "parse", "detect", "commit", "main",
              "oldmain", "libxml2", "items", "peak KB");
  TTotals totals;
  std::string largest;
  for (const fs::path& path : pages) {
    std::string page = ReadFileBytes(path.string());
    if (page.empty()) {
      std::fprintf(stderr, "engine_bench: cannot read %s or it is empty\n", path.c_str());
      continue;
    }
    TPageCost cost = MeasureParseDetect(page);
    const std::string body = Gzip(page);
    MeasureSteps(body, cost);
    cost.mainThreadMs = MeasureMainThread(body);
    cost.referenceMs = MeasureReferenceParse(page);
    std::printf("%-36s %8zu %7.3f %7.3f %8.1f %8.1f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %5d %8ld\n",
                path.filename().c_str(), page.size(), cost.decodeMs, cost.gateMs,
                MBps(page.size(), cost.gateMs), MBps(page.size(), cost.oldGateMs), cost.parseMs,
                cost.detectMs, cost.commitMs, cost.mainThreadMs, TTotals::OldMain(cost),
                cost.referenceMs, cost.items, PeakRssKb());
    totals.Add(path.filename().string(), page.size(), cost);
    if (page.size() > largest.size())
      largest = std::move(page);
  }
  std::printf("all pages: %zu bytes, main-thread path %.3f ms (%.3f ms with the first "
              "normalisation), parse + detect %.3f ms\n",
              totals.bytes, totals.mainThread, totals.oldMainThread, totals.parseDetect);
  std::printf("slowest path: %s %.3f ms; slowest normalisation: %s %.1f MB/s (%.1f MB/s with the "
              "first)\n",
              totals.maxMainPage.c_str(), totals.maxMainMs, totals.minGatePage.c_str(),
              totals.minGateMBps, totals.minOldGateMBps);
  std::printf("reference parse (libxml2): %.3f ms; main-thread path over it: %.2fx\n",
              totals.reference, totals.reference > 0 ? totals.mainThread / totals.reference : 0);

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
  std::printf("{\"pages\":%d,\"bytes\":%zu,\"total_parse_detect_ms\":%.3f,"
              "\"max_page_ms\":%.3f,\"max_page\":\"%s\",\"total_main_thread_ms\":%.3f,"
              "\"total_main_thread_old_gate_ms\":%.3f,\"min_gate_mbps\":%.1f,"
              "\"reference_parse_ms\":%.3f,\"peak_rss_kb\":%ld}\n",
              totals.measured, totals.bytes, totals.parseDetect, totals.maxMainMs,
              totals.maxMainPage.c_str(), totals.mainThread, totals.oldMainThread,
              totals.minGateMBps, totals.reference, PeakRssKb());
  FreeNewsTools();
  return totals.measured > 0 ? 0 : 1;
}
