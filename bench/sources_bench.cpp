// Loading many sources: the time and the memory that the sources of a
// sources file cost from loading until their first fetch.
//   sources_bench [COUNT]   (1000 unless given)
// Ends with one JSON line of the figures.
#include <malloc.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/Newsextractor.h"
#include "engine/Newstools.h"
#include "tests/support/TempDir.h"

namespace {

double SecondsNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

long RssKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0)
      return std::stol(line.substr(6));
  return -1;
}

size_t HeapInUse() {
  return mallinfo2().uordblks;
}

// A sources file of count sources, each with a page of its own.
std::string WriteSourcesFile(const TTempDir& dir, int count) {
  NewsExtractor writer(nullptr);
  for (int i = 0; i < count; ++i) {
    SourceDefinition definition;
    definition.name = "Source " + std::to_string(i);
    definition.url = "http://127.0.0.1:8080/page" + std::to_string(i) + ".html";
    definition.enabled = true;
    definition.noveltyDetection = i % 2 == 0;
    definition.keepChangeTrack = false;
    writer.AddSource(definition);
  }
  const std::string path = dir.File("many.nsc");
  writer.SaveSources(path);
  return path;
}

} // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  if (count <= 0) {
    std::fprintf(stderr, "sources_bench: the count must be above 0\n");
    return 1;
  }
  InitNewsTools();
  TTempDir dir;
  const std::string path = WriteSourcesFile(dir, count);
  malloc_trim(0);
  const size_t heapBefore = HeapInUse();
  const long rssBefore = RssKiB();
  const double start = SecondsNow();
  NewsExtractor list(nullptr);
  const bool loaded = list.LoadSources(path);
  const double seconds = SecondsNow() - start;
  const double heapMiB = (static_cast<double>(HeapInUse()) - heapBefore) / (1024.0 * 1024.0);
  const double rssMiB = (RssKiB() - rssBefore) / 1024.0;
  if (!loaded || list.GetSourceCount() != count) {
    std::fprintf(stderr, "sources_bench: loaded %d of %d sources\n", list.GetSourceCount(), count);
    return 1;
  }
  std::printf("%d sources loaded in %.3f s (%.1f us each); heap %.2f MiB (%.1f KiB each), "
              "resident memory %+.2f MiB\n",
              count, seconds, seconds * 1e6 / count, heapMiB, heapMiB * 1024 / count, rssMiB);
  std::printf("{\"sources\":%d,\"seconds\":%.4f,\"heap_mib\":%.3f,\"rss_mib\":%.3f}\n", count,
              seconds, heapMiB, rssMiB);
  FreeNewsTools();
  return 0;
}
