// The change gate's normalisation: the first byte picks the options.
#include "engine/Htmlnoveltydetector.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  const AnsiString page(reinterpret_cast<const char*>(data + 1), size - 1);
  CNoveltyDetector::Fingerprint32(page, (data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0);
  return 0;
}
