#include "skin/Bmputils.h"

#include "skin/Eputils.h"

#include <vector>

TColor GetTransparentColor(TBitmap* Bitmap) {
  if (Bitmap == nullptr || Bitmap->Empty())
    return clNone;
  return Bitmap->Canvas()->Pixels(0, Bitmap->Height() - 1);
}

void DrawBitmapTransparent(TCanvas* Canvas, int X, int Y, TBitmap* Bitmap, TColor Color) {
  DrawTransparentPart(Canvas, X, Y, 0, 0, TRect{}, Bitmap, Color, true);
}

void DrawBitmapRectTransparent(TCanvas* Canvas, int X, int Y, const TRect& R, TBitmap* Bitmap,
                               TColor Color) {
  DrawTransparentPart(Canvas, X, Y, 0, 0, R, Bitmap, Color, true);
}

void StretchBitmapRectTransparent(TCanvas* Canvas, int X, int Y, int W, int H, const TRect& R,
                                  TBitmap* Bitmap, TColor Color) {
  DrawTransparentPart(Canvas, X, Y, W, H, R, Bitmap, Color, true);
}

void DrawTransparentBitmap(HDC DC, HBITMAP Bitmap, int X, int Y, COLORREF Color) {
  StretchTransparentBlt(DC, X, Y, 0, 0, Bitmap, TRect{}, Color);
}

void PaintGlyph(TCanvas* Canvas, int X, int Y, TBitmap* Strip, int Count, int Index) {
  if (Strip == nullptr || Strip->Empty() || Count < 1 || Index < 1 || Index > Count)
    return;
  const int frameWidth = Strip->Width() / Count;
  if (frameWidth == 0)
    return;
  TBitmap frame;
  frame.SetSize(frameWidth, Strip->Height());
  frame.Canvas()->CopyRect(TRect{0, 0, frameWidth, Strip->Height()}, Strip->Canvas(),
                           TRect{(Index - 1) * frameWidth, 0, Index * frameWidth, Strip->Height()});
  DrawBitmapTransparent(Canvas, X, Y, &frame, GetTransparentColor(&frame));
}

// Read through the canvas: only small bitmaps (a slider thumb) come here. A
// bitmap one row high has no such row, so every pixel counts as opaque.
int CreateRFromBmp(TBitmap* Bitmap, std::unique_ptr<uint8_t[]>& Data) {
  Data.reset();
  if (Bitmap == nullptr || Bitmap->Empty())
    return 0;
  TCanvas* canvas = Bitmap->Canvas();
  const int width = Bitmap->Width(), height = Bitmap->Height();
  const TColor transparent = canvas->Pixels(0, height - 2);
  std::vector<RECT> runs;
  for (int y = 0; y < height; ++y) {
    int x = 0;
    while (x < width) {
      if (canvas->Pixels(x, y) == transparent) {
        ++x;
        continue;
      }
      int end = x;
      while (end < width && canvas->Pixels(end, y) != transparent)
        ++end;
      runs.push_back(RECT{x, y, end, y + 1});
      x = end;
    }
  }
  return MakeRegionData(runs, width, height, Data);
}
