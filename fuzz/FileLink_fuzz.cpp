// A page's file link: decoded, written back, and judged against a folder. A
// link that decodes gives the same path back from its own rewritten form, and
// a link handed on always lies inside the folder.
#include "platform/shell/Fileurl.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const AnsiString url(reinterpret_cast<const char*>(data), size);
  AnsiString path, again;
  if (FileUrlPath(url, path) && (!FileUrlPath(FileUrlOf(path), again) || again != path))
    std::abort();
  const AnsiString folder = "/tmp/wt-fuzz-cache/";
  const AnsiString handed = FileUrlInsideFolder(url, folder);
  if (!handed.empty() && handed.rfind("file://" + folder, 0) != 0)
    std::abort();
  return 0;
}
