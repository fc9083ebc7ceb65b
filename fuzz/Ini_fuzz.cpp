// The INI file: every section and key read, then one key written.
#include "fuzz/FuzzSupport.h"
#include "platform/rtl/Inifiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TIniFile ini(InputFile(data, size, ".INI"));
  TStringList sections, keys;
  ini.ReadSections(sections);
  for (int i = 0; i < sections.Count() && i < 64; ++i) {
    ini.ReadSection(sections.Strings(i), keys);
    for (int k = 0; k < keys.Count() && k < 64; ++k)
      ini.ReadInteger(sections.Strings(i), keys.Strings(k), 0);
  }
  try {
    ini.WriteString("Misc", "Language", "1000");
    ini.EraseSection("Hint");
  } catch (const EIniFileException&) {
  }
  return 0;
}
