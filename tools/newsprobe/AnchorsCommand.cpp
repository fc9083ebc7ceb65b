// newsprobe anchors FILE [BASE_URL]: every anchor of the page as the engine's
// anchor walk finds it, one JSON line each: href, absolute (resolved against
// BASE_URL when given), text, position, end.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/Htmlhrefextractor.h"
#include "engine/Htmltools.h"
#include "tools/newsprobe/Json.h"
#include "tools/newsprobe/Probe.h"

namespace {

int RunAnchors(const TProbeArgs& args) {
  if (args.empty() || args.size() > 2)
    return ProbeUsage("anchors");
  std::ifstream file(args[0], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "newsprobe anchors: cannot read %s\n", args[0].c_str());
    return 1;
  }
  const std::string html((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const bool hasBase = args.size() == 2;
  CHtmlHrefExtractor extractor;
  int position = 0;
  int end = 0;
  for (int from = 0;; from = end) {
    position = from;
    const bool found = extractor.ExtractNextHRef(html, position, end);
    if (position < 0)
      break;
    if (!found)
      continue;
    TJsonLine line;
    line.Add("href", extractor.href);
    line.Add("absolute", hasBase ? ResolveHref(args[1], extractor.href) : extractor.href);
    line.Add("text", extractor.text).Add("position", position).Add("end", end);
    line.Print();
  }
  return 0;
}

} // namespace

NEWSPROBE_COMMAND(anchors, "anchors", "anchors FILE [BASE_URL]", RunAnchors);
