// The anchor walk over a page, and each link made absolute.
#include "engine/Htmlhrefextractor.h"
#include "engine/Htmltools.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string html(reinterpret_cast<const char*>(data), size);
  CHtmlHrefExtractor extractor;
  int end = 0;
  for (int from = 0;; from = end) {
    int position = from;
    const bool found = extractor.ExtractNextHRef(html, position, end);
    if (position < 0 || end <= from)
      break;
    if (found)
      ResolveHref("http://127.0.0.1/a/b.html?q=1", extractor.href);
  }
  return 0;
}
