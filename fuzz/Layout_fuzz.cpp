// Stored window layouts: parsed, and the components they describe made.
#include "fuzz/FuzzSupport.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Stdctrls.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseOffscreenDrawing();
  Application->Initialize();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const AnsiString text(reinterpret_cast<const char*>(data), size);
  try {
    ParseLayout(text, "fuzz.lay");
    delete CreateFromLayout(text, "fuzz.lay", nullptr);
  } catch (const std::exception&) {
  }
  return 0;
}
