// newsprobe detect FILE [--url URL] [--mode N]: the file's bytes as the page
// a news source fetched from URL, through the tag parser, the detection
// passes and the commit of the candidates; one line per committed item and a
// last line of counts and timings.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "tools/newsprobe/Json.h"
#include "tools/newsprobe/Probe.h"

namespace {

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

int CountNodes(const CSmartDataStructure& node) {
  int count = 1;
  for (const auto& child : node.children)
    count += CountNodes(*child);
  return count;
}

int RunDetect(const TProbeArgs& given) {
  TProbeArgs args = given;
  const std::string url = TakeOption(args, "--url", "http://127.0.0.1/");
  const std::string modeText = TakeOption(args, "--mode", "7");
  char* modeEnd = nullptr;
  const long mode = std::strtol(modeText.c_str(), &modeEnd, 10);
  if (args.size() != 1 || *modeEnd != '\0' || mode < 0)
    return ProbeUsage("detect");
  std::ifstream file(args[0], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "newsprobe detect: cannot read %s\n", args[0].c_str());
    return 1;
  }
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

  InitNewsTools();
  NewsSource source(nullptr);
  // No page copies: the probe leaves no cache folder behind.
  source.keepChangeTrack = false;
  source.SetUrl(url);
  source.pageText = PageFromBody(bytes.data(), bytes.size());

  TClock::time_point start = TClock::now();
  source.parser->Parse(source.pageText);
  const double parseMs = MillisecondsSince(start);
  start = TClock::now();
  const int candidates = source.DetectNews(static_cast<int32_t>(mode));
  const double detectMs = MillisecondsSince(start);
  const int committed = candidates > 0 ? source.CommitCandidates() : 0;

  for (int i = 0; i < source.GetNewsCount(); ++i) {
    const NewsData* item = source.GetNews(i);
    TJsonLine()
        .Add("date", item->dateText)
        .Add("headline", item->headline)
        .Add("link", item->link)
        .Add("absolute", source.MakeAbsoluteUrl(item->link))
        .Print();
  }
  CSmartStructure& structure = *source.parser->structure;
  const int nodes = structure.BuildTree() ? CountNodes(*structure.root) : 0;
  structure.FreeTree();
  TJsonLine()
      .Add("candidates", candidates)
      .Add("committed", committed)
      .Add("tokens", structure.tokenCount)
      .Add("nodes", nodes)
      .Add("parse_ms", parseMs)
      .Add("detect_ms", detectMs)
      .Print();
  FreeNewsTools();
  return 0;
}

} // namespace

NEWSPROBE_COMMAND(detect, "detect", "detect FILE [--url URL] [--mode N]", RunDetect);
