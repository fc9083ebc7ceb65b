#include "fuzz/FuzzSupport.h"

#include "platform/gfx/Backend.h"
#include "platform/rtl/Messages.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

std::string InputFile(const uint8_t* data, size_t size, const char* extension) {
  static const std::string dir = [] {
    char pattern[] = "/tmp/wt-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::string(made != nullptr ? made : "/tmp");
  }();
  const std::string path = dir + "/input" + extension;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

std::unique_ptr<TMemoryStream> InputStream(const uint8_t* data, size_t size) {
  auto stream = std::make_unique<TMemoryStream>();
  if (size > 0)
    stream->Write(data, static_cast<int>(size));
  stream->SetPosition(0);
  return stream;
}

void UseOffscreenDrawing() {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  GfxEnsureBackend();
}

void SilenceMessageBoxes() {
  SetMessageBoxHook([](const char*, const char*, int) { return 1; });
}
