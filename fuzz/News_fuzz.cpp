// The news file, read against two known sources, then written back.
#include "engine/Newsextractor.h"
#include "engine/Newstools.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SilenceMessageBoxes();
  InitNewsTools();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = InputFile(data, size, ".NDT");
  NewsExtractor list(nullptr);
  for (const char* name : {"a", "b"}) {
    SourceDefinition definition;
    definition.name = name;
    definition.url = std::string("http://127.0.0.1/") + name + ".html";
    definition.enabled = true;
    list.AddSource(definition);
  }
  CDataMatcher matcher;
  if (list.LoadNews(input, &matcher) >= 0)
    list.SaveNews(input + ".out");
  return 0;
}
