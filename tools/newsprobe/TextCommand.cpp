// newsprobe text FILE: the clean one-line text of the file's bytes as the
// engine makes it of an HTML fragment, written in UTF-8.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/Htmltools.h"
#include "platform/rtl/Codepage.h"
#include "tools/newsprobe/Probe.h"

namespace {

int RunText(const TProbeArgs& args) {
  if (args.size() != 1)
    return ProbeUsage("text");
  std::ifstream file(args[0], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "newsprobe text: cannot read %s\n", args[0].c_str());
    return 1;
  }
  const std::string html((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::string text = Cp1252ToUtf8(HtmlToText(html)) + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

} // namespace

NEWSPROBE_COMMAND(text, "text", "text FILE", RunText);
