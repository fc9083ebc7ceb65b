// Throughput of the engine's text layer on every corpus page: HtmlToText, the
// entity decoding and the UTF-8 fold on their own (on the raw page, where
// they find most), the change detector's removal of dates, times and
// hexadecimal runs (also on the raw page), and the walk over all anchors.
// Prints MB/s per page and for the whole corpus.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/Htmlhrefextractor.h"
#include "engine/Htmltools.h"
#include "engine/Miscstr.h"
#include "engine/Newstools.h"
#include "engine/Pcregexp.h"
#include "tests/support/TempDir.h"

namespace {

using TClock = std::chrono::steady_clock;

// Seconds of one run, the best of a few so that a page of a few kilobytes is
// timed as well as a large one.
template <typename TRun> double BestSeconds(TRun run) {
  double best = 1e9;
  double total = 0;
  for (int i = 0; i < 20 && (i < 3 || total < 0.05); ++i) {
    const auto start = TClock::now();
    run();
    const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
    best = std::min(best, seconds);
    total += seconds;
  }
  return best;
}

double MBps(double bytes, double seconds) {
  return seconds > 0 ? bytes / 1e6 / seconds : 0;
}

struct TFigures {
  double text = 0, decode = 0, fold = 0, remove = 0, anchors = 0;
};

// Seconds of one in-place function on a fresh copy of the page; the copy is
// made outside the timing.
double InPlaceSeconds(const std::string& html, int (*function)(char*), size_t& sink) {
  double best = 1e9;
  double total = 0;
  for (int i = 0; i < 20 && (i < 3 || total < 0.05); ++i) {
    std::string copy = html;
    const auto start = TClock::now();
    function(copy.data());
    const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
    sink += static_cast<unsigned char>(copy[0]);
    best = std::min(best, seconds);
    total += seconds;
  }
  return best;
}

} // namespace

int main() {
  const TPCRegexp date("[0-9][0-9]?[0-9]?[0-9]?[/-][0-9][0-9]?[/-][0-9][0-9]?[0-9]?[0-9]?");
  const TPCRegexp time("[0-9][0-9]?[h:-][0-9][0-9]?([m:-][0-9][0-9]?)?");
  const TPCRegexp hex("[0-9A-Fa-f]{5}");
  std::vector<std::filesystem::path> pages;
  for (const auto& entry : std::filesystem::directory_iterator(WT_CORPUS_DIR))
    pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());

  std::printf("%-48s %10s %12s %12s %12s %12s %12s %8s\n", "page", "bytes", "text MB/s",
              "decode MB/s", "fold MB/s", "remove MB/s", "anchors MB/s", "anchors");
  TFigures seconds;
  double bytes = 0;
  size_t sink = 0;
  for (const auto& path : pages) {
    const std::string html = ReadFileBytes(path.string());
    TFigures page;
    page.text = BestSeconds([&] { sink += HtmlToText(html).size(); });
    page.decode = InPlaceSeconds(html, DecodeHtmlEntities, sink);
    page.fold = InPlaceSeconds(html, FoldUtf8, sink);
    page.remove = BestSeconds([&] {
      sink += RemoveAllMatches(RemoveAllMatches(RemoveAllMatches(html, date), time), hex).size();
    });
    int anchors = 0;
    page.anchors = BestSeconds([&] {
      CHtmlHrefExtractor extractor;
      anchors = 0;
      int position = 0;
      int end = 0;
      for (int from = 0;; from = end) {
        position = from;
        const bool found = extractor.ExtractNextHRef(html, position, end);
        if (position < 0)
          break;
        anchors += found ? 1 : 0;
      }
    });
    const double n = static_cast<double>(html.size());
    std::printf("%-48s %10zu %12.1f %12.1f %12.1f %12.1f %12.1f %8d\n", path.filename().c_str(),
                html.size(), MBps(n, page.text), MBps(n, page.decode), MBps(n, page.fold),
                MBps(n, page.remove), MBps(n, page.anchors), anchors);
    bytes += n;
    seconds.text += page.text;
    seconds.decode += page.decode;
    seconds.fold += page.fold;
    seconds.remove += page.remove;
    seconds.anchors += page.anchors;
  }
  std::printf("%-48s %10.0f %12.1f %12.1f %12.1f %12.1f %12.1f\n", "corpus", bytes,
              MBps(bytes, seconds.text), MBps(bytes, seconds.decode), MBps(bytes, seconds.fold),
              MBps(bytes, seconds.remove), MBps(bytes, seconds.anchors));
  std::printf("corpus seconds per pass: text %.3f, decode %.3f, fold %.3f, remove %.3f, anchors "
              "%.3f\n",
              seconds.text, seconds.decode, seconds.fold, seconds.remove, seconds.anchors);
  return sink == 0 ? 1 : 0;
}
