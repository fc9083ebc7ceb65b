// newsprobe fingerprint FILE [--flags KEEP,TEXT,DATES,HEX]: the fingerprint
// the change detector computes for the file's page with those options (KEEP
// also stores the page in the page cache, as a page tracker would).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "engine/Htmlnoveltydetector.h"
#include "tools/newsprobe/Json.h"
#include "tools/newsprobe/Probe.h"

namespace {

struct TFingerprintFlags {
  bool Keep = false, Text = false, Dates = false, Hex = false;
};

bool ParseFlags(const std::string& list, TFingerprintFlags& flags) {
  std::istringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    if (item == "KEEP")
      flags.Keep = true;
    else if (item == "TEXT")
      flags.Text = true;
    else if (item == "DATES")
      flags.Dates = true;
    else if (item == "HEX")
      flags.Hex = true;
    else if (!item.empty())
      return false;
  }
  return true;
}

int RunFingerprint(const TProbeArgs& given) {
  TProbeArgs args = given;
  TFingerprintFlags flags;
  if (!ParseFlags(TakeOption(args, "--flags"), flags) || args.size() != 1)
    return ProbeUsage("fingerprint");
  std::ifstream file(args[0], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "newsprobe fingerprint: cannot read %s\n", args[0].c_str());
    return 1;
  }
  AnsiString page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  TJsonLine line;
  line.Add("file", args[0])
      .Add("fingerprint",
           CNoveltyDetector::Fingerprint32(page, flags.Text, flags.Dates, flags.Hex));
  if (flags.Keep) {
    CNoveltyDetector detector(args[0], true, flags.Text, flags.Dates, flags.Hex);
    bool stored = detector.IsNew(page) && detector.GetKeepCopies();
    line.Add("copy", stored ? detector.GetLastCopyPath() : "");
  }
  line.Print();
  return 0;
}

} // namespace

NEWSPROBE_COMMAND(fingerprint, "fingerprint", "fingerprint FILE [--flags KEEP,TEXT,DATES,HEX]",
                  RunFingerprint);
