// Gzip decoding by the content decoder next to zlib's own inflate of the same
// bytes, and page fingerprinting (plain, and with tags, dates and hexadecimal
// runs ignored as the change gate does), in MB/s of page text for every
// corpus page.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <crypto++/gzip.h>
#include <crypto++/queue.h>
#include <zlib.h>

#include "engine/Chttpthread.h"
#include "engine/Htmlnoveltydetector.h"
#include "tests/support/Compress.h"
#include "tests/support/TempDir.h"

namespace {

using TClock = std::chrono::steady_clock;

size_t ZlibInflate(const std::string& body, size_t pageSize) {
  std::unique_ptr<char[]> out(new char[pageSize + 1]);
  z_stream stream{};
  inflateInit2(&stream, 16 + 15);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
  stream.avail_in = static_cast<uInt>(body.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.get());
  stream.avail_out = static_cast<uInt>(pageSize + 1);
  inflate(&stream, Z_FINISH);
  size_t produced = stream.total_out;
  inflateEnd(&stream);
  return produced;
}

size_t DecoderInflate(const std::string& body) {
  std::unique_ptr<char[]> out;
  int length = 0;
  CHttpDecompressor().DecodeContent(ccGzip, body.data(), static_cast<int>(body.size()), out,
                                    length);
  return static_cast<size_t>(length);
}

// The library's Gunzip as it comes (its own CRC-32 included), fed in large
// pieces: what the decoder would cost without its faster trailer check.
size_t LibraryInflate(const std::string& body) {
  auto* queue = new CryptoPP::ByteQueue();
  CryptoPP::Gunzip filter(queue);
  const size_t piece = 4096;
  for (size_t offset = 0; offset < body.size(); offset += piece)
    filter.Put(reinterpret_cast<const CryptoPP::byte*>(body.data()) + offset,
               std::min(piece, body.size() - offset));
  filter.MessageEnd();
  return static_cast<size_t>(queue->MaxRetrievable());
}

// Seconds per run of work, repeated until a tenth of a second has passed.
template <class TWork> double SecondsPerRun(TWork work) {
  int runs = 0;
  auto start = TClock::now();
  std::chrono::duration<double> spent{};
  do {
    work();
    ++runs;
    spent = TClock::now() - start;
  } while (spent.count() < 0.1);
  return spent.count() / runs;
}

double MBps(size_t bytes, double seconds) {
  return bytes / seconds / 1e6;
}

} // namespace

int main() {
  std::vector<std::filesystem::path> pages;
  for (const auto& entry : std::filesystem::directory_iterator(WT_CORPUS_DIR))
    pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());
  std::printf("%-44s %9s %9s %9s %9s %6s %6s %9s %9s\n", "page", "bytes", "zlib", "library",
              "decoder", "dec/z", "lib/z", "fp plain", "fp gate");
  double zlibTotal = 0, libraryTotal = 0, decoderTotal = 0, plainTotal = 0, gateTotal = 0;
  size_t bytesTotal = 0;
  bool sound = true;
  int pagesWithin = 0, pagesTimed = 0;
  for (const auto& path : pages) {
    std::string page = ReadFileBytes(path.string());
    if (page.empty())
      continue;
    std::string body = Gzip(page);
    sound = sound && ZlibInflate(body, page.size()) == page.size() &&
            DecoderInflate(body) == page.size();
    double zlib = SecondsPerRun([&] { ZlibInflate(body, page.size()); });
    double library = SecondsPerRun([&] { LibraryInflate(body); });
    double decoder = SecondsPerRun([&] { DecoderInflate(body); });
    double plain =
        SecondsPerRun([&] { CNoveltyDetector::Fingerprint32(page, false, false, false); });
    double gate = SecondsPerRun([&] { CNoveltyDetector::Fingerprint32(page, true, true, true); });
    ++pagesTimed;
    pagesWithin += decoder <= 3 * zlib ? 1 : 0;
    zlibTotal += zlib;
    libraryTotal += library;
    decoderTotal += decoder;
    plainTotal += plain;
    gateTotal += gate;
    bytesTotal += page.size();
    std::printf("%-44s %9zu %9.1f %9.1f %9.1f %6.2f %6.2f %9.1f %9.1f\n", path.filename().c_str(),
                page.size(), MBps(page.size(), zlib), MBps(page.size(), library),
                MBps(page.size(), decoder), decoder / zlib, library / zlib,
                MBps(page.size(), plain), MBps(page.size(), gate));
  }
  std::printf("%-44s %9zu %9.1f %9.1f %9.1f %6.2f %6.2f %9.1f %9.1f\n", "all pages", bytesTotal,
              MBps(bytesTotal, zlibTotal), MBps(bytesTotal, libraryTotal),
              MBps(bytesTotal, decoderTotal), decoderTotal / zlibTotal, libraryTotal / zlibTotal,
              MBps(bytesTotal, plainTotal), MBps(bytesTotal, gateTotal));
  std::printf("MB/s of page text. gzip decoding: zlib's inflate, the library's inflate alone, "
              "the content decoder; fingerprinting: plain, and as the change gate does\n");
  std::printf("decoded every page whole: %s\n", sound ? "yes" : "NO");
  std::printf("decoder within 3x zlib's time: %s for all pages together, on %d of %d pages alone\n",
              decoderTotal <= 3 * zlibTotal ? "yes" : "NO", pagesWithin, pagesTimed);
  return sound ? 0 : 1;
}
