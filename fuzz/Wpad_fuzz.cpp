// The names discovery asks for the machine's domain, as the resolver gives
// it: each begins with "wpad." and is a parent of the one before.
#include "platform/autoproxy/Autoproxy.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string domain(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> names = WpadCandidates(domain);
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i].compare(0, 5, "wpad.") != 0)
      __builtin_trap();
    if (i > 0 && !names[i - 1].ends_with("." + names[i].substr(5)))
      __builtin_trap();
  }
  return 0;
}
