// A GIF stream: loaded, its first frames painted onto a bitmap, saved again.
#include "fuzz/FuzzSupport.h"
#include "gif/Gifimage.h"

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseOffscreenDrawing();
  GifimageInitialization();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto input = InputStream(data, size);
  TGIFImage image;
  try {
    image.LoadFromStream(input.get());
  } catch (const std::exception&) {
    return 0;
  }
  // Pictures the reader accepts but that would take long to paint are
  // still read whole; painting is tried on sizes a window shows.
  if (image.GetWidth() > 1024 || image.GetHeight() > 1024)
    return 0;
  TBitmap target;
  target.SetSize(std::max(1, image.GetWidth()), std::max(1, image.GetHeight()));
  const TRect all = Rect(0, 0, target.Width(), target.Height());
  try {
    for (int i = 0; i < std::min(4, image.Images()->GetCount()); ++i)
      image.Images()->SubImages(i)->Draw(target.Canvas(), all, true, false);
    image.Draw(target.Canvas(), all);
    TMemoryStream out;
    image.SaveToStream(&out);
  } catch (const std::exception&) {
  }
  return 0;
}
