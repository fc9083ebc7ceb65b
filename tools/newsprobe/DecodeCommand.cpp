// newsprobe decode --coding gzip|deflate FILE: the file's bytes as the content
// decoder turns a body of that coding into a page.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "engine/Chttpthread.h"
#include "tools/newsprobe/Probe.h"

namespace {

int RunDecode(const TProbeArgs& given) {
  TProbeArgs args = given;
  std::string coding = TakeOption(args, "--coding");
  if (args.size() != 1 || (coding != "gzip" && coding != "deflate"))
    return ProbeUsage("decode");
  std::ifstream file(args[0], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "newsprobe decode: cannot read %s\n", args[0].c_str());
    return 1;
  }
  std::string body((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::unique_ptr<char[]> output;
  int length = 0;
  AnsiString problem;
  CHttpDecompressor decompressor;
  if (decompressor.DecodeContent(coding == "gzip" ? ccGzip : ccDeflate, body.data(),
                                 static_cast<int>(body.size()), output, length, &problem) != 0) {
    std::fprintf(stderr, "newsprobe decode: %s is no whole %s body (%s)\n", args[0].c_str(),
                 coding.c_str(), problem.c_str());
    return 1;
  }
  std::fwrite(output.get(), 1, static_cast<size_t>(length), stdout);
  return 0;
}

} // namespace

NEWSPROBE_COMMAND(decode, "decode", "decode --coding gzip|deflate FILE", RunDecode);
