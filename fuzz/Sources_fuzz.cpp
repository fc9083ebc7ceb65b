// The sources file: read, then written back.
#include "engine/Newsextractor.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SilenceMessageBoxes();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = InputFile(data, size, ".NSC");
  NewsExtractor list(nullptr);
  if (list.LoadSources(input))
    list.SaveSources(input + ".out");
  return 0;
}
