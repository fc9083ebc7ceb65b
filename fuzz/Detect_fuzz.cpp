// A page as a news source fetched it: the tag parser, the detection passes
// and the commit of the candidates.
#include "engine/Htmltools.h"
#include "engine/Newsdata.h"
#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "engine/Smartparser.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitNewsTools();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  NewsSource source(nullptr);
  source.keepChangeTrack = false;
  source.SetUrl("http://127.0.0.1/dir/page.html");
  source.pageText = PageFromBody(reinterpret_cast<const char*>(data), size);
  source.parser->Parse(source.pageText);
  if (source.DetectNews(7) > 0)
    source.CommitCandidates();
  for (int i = 0; i < source.GetNewsCount(); ++i)
    source.MakeAbsoluteUrl(source.GetNews(i)->link);
  return 0;
}
