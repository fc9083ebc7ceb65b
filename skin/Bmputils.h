#pragma once
// Bitmaps drawn with one colour left out, frames cut from glyph strips, and
// window-region data from the opaque pixels of a bitmap.
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <memory>

// The colour of the bottom-left pixel; clNone for an empty bitmap.
TColor GetTransparentColor(TBitmap* Bitmap);

// Bitmap (or its part R; an empty R is the whole) at (X, Y), pixels of Color
// left out. clNone draws every pixel; clDefault stands for the bitmap's
// bottom-left pixel colour.
void DrawBitmapTransparent(TCanvas* Canvas, int X, int Y, TBitmap* Bitmap, TColor Color);
void DrawBitmapRectTransparent(TCanvas* Canvas, int X, int Y, const TRect& R, TBitmap* Bitmap,
                               TColor Color);
// The part R stretched to W x H (not stretched when either is 0).
void StretchBitmapRectTransparent(TCanvas* Canvas, int X, int Y, int W, int H, const TRect& R,
                                  TBitmap* Bitmap, TColor Color);
// The handle-level whole-bitmap form; Color is an RGB value.
void DrawTransparentBitmap(HDC DC, HBITMAP Bitmap, int X, int Y, COLORREF Color);

// Frame Index (from 1) of a strip of Count equal frames side by side, drawn
// at (X, Y) with the frame's own bottom-left pixel transparent. Nothing for
// an empty strip or a frame that is not in it.
void PaintGlyph(TCanvas* Canvas, int X, int Y, TBitmap* Strip, int Count, int Index);

// Region data, as CreateRgnFromBmp makes it, from the runs of pixels that
// differ from the colour at column 0 of the second row from the bottom.
int CreateRFromBmp(TBitmap* Bitmap, std::unique_ptr<uint8_t[]>& Data);
