// BMP and JPEG pictures: the first byte picks the reader; a picture that
// loads is drawn once.
#include "fuzz/FuzzSupport.h"
#include "platform/gfx/Graphics.h"
#include "platform/gfx/Jpeg.h"

#include <algorithm>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseOffscreenDrawing();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  auto input = InputStream(data + 1, size - 1);
  std::unique_ptr<TGraphic> picture;
  if ((data[0] & 1) != 0)
    picture = std::make_unique<TJPEGImage>();
  else
    picture = std::make_unique<TBitmap>();
  try {
    picture->LoadFromStream(input.get());
    if (picture->GetWidth() > 2048 || picture->GetHeight() > 2048)
      return 0;
    TBitmap target;
    target.SetSize(64, 64);
    picture->Draw(target.Canvas(), Rect(0, 0, 64, 64));
  } catch (const std::exception&) {
  }
  return 0;
}
