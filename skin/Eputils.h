#pragma once
// Small drawing helpers shared by the skinned controls: the masked
// transparent blit, a 24-bit row-table copy of a bitmap for fast scanning,
// window-region data from a mask, colour arithmetic and a growable bit array.
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <memory>
#include <vector>

// ---------------------------------------------------------------- colours and points

// Adds signed deltas to the red, green and blue bytes, saturating at 0 and
// 255; the fourth byte is kept and a system colour is not resolved first.
TColor RGBChange(TColor Color, int8_t DR, int8_t DG, int8_t DB);
// Both resolved to RGB; each channel the truncated mean.
TColor MiddleColor(TColor C1, TColor C2);
TColor Compose(uint8_t R, uint8_t G, uint8_t B);
int Max(int A, int B);
int Min(int A, int B);
// Right and bottom edges count as inside.
bool PointInRect(TPoint P, const TRect& R);

// ---------------------------------------------------------------- bitmaps

// A 24-bit top-down copy of a bitmap (blue, green, red), with the address of
// every row, selected in a memory context of its own.
class TFBitmap {
public:
  explicit TFBitmap(HBITMAP Bitmap);
  ~TFBitmap();
  TFBitmap(const TFBitmap&) = delete;
  TFBitmap& operator=(const TFBitmap&) = delete;

  uint8_t* Bits() const { return bits; }
  uint8_t* Row(int Y) const { return rows[static_cast<size_t>(Y)]; }
  int Gap() const { return gap; }       // padding bytes per row
  int RowInc() const { return rowInc; } // the stride
  int Size() const { return size; }
  int Width() const { return width; }
  int Height() const { return height; }
  HBITMAP Handle() const { return handle; }
  HDC DC() const { return dc; }
  const BITMAPINFO& BitmapInfo() const { return bitmapInfo; }

private:
  void Initialize();

  uint8_t* bits = nullptr;
  std::vector<uint8_t*> rows;
  int gap = 0;
  int rowInc = 0;
  int size = 0;
  int width = 0;
  int height = 0;
  HBITMAP handle = nullptr;
  HDC dc = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  BITMAPINFO bitmapInfo;
};

// The core of every transparent draw: Source's part SourceRect (the whole
// bitmap when that comes out empty) goes to (X, Y), stretched to W x H when
// both are non-zero, with the pixels of Transparent left out. Raster
// operations only; Source is restored afterwards.
void StretchTransparentBlt(HDC Dest, int X, int Y, int W, int H, HBITMAP Source,
                           const TRect& SourceRect, COLORREF Transparent);

// The canvas-level form: clNone draws every pixel; with TakeDefault, clDefault
// stands for the bitmap's bottom-left pixel colour.
void DrawTransparentPart(TCanvas* Canvas, int X, int Y, int W, int H, const TRect& SourceRect,
                         TBitmap* Bitmap, TColor Color, bool TakeDefault);

// A plain copy of Bitmap's part R to (X, Y) with the canvas's copy mode.
void DrawBitmapRect(TCanvas* Canvas, int X, int Y, TBitmap* Bitmap, const TRect& R);

// This unit's twin of the transparent draw, which takes clDefault as a colour
// like any other; the common one is in Bmputils.
namespace Eputils {
void DrawBitmapTransparent(TCanvas* Canvas, int X, int Y, TBitmap* Bitmap, TColor Color);
}

// ---------------------------------------------------------------- regions

// Region data (RGNDATA: a 32-byte header, then one-pixel-high rectangles in
// row order) from the runs of pure black pixels of Mask; bounds are the
// mask's size. Returns the block's size, 32 + 16 n, and hands the block to
// Data; 0 and no block for an empty mask.
int CreateRgnFromBmp(TBitmap* Mask, std::unique_ptr<uint8_t[]>& Data);
// The block for the given runs of a Width x Height bitmap.
int MakeRegionData(const std::vector<RECT>& Runs, int Width, int Height,
                   std::unique_ptr<uint8_t[]>& Data);

// ---------------------------------------------------------------- pixels

// Dest's pixels become a running mean of Source's over the window -Amount..
// Amount around each, clipped to the bitmap; the loop is served after every
// pixel. For small bitmaps only.
void Blur(TBitmap* Source, TBitmap* Dest, int Amount);

// Read and write a bitmap's pixels in its own depth with Palette selected and
// realised (none: the default). Info's header is filled from the bitmap first;
// EInvalidGraphic "Invalid Bitmap" when the bitmap cannot be described.
bool GetDIB(HBITMAP Bitmap, HPALETTE Palette, BITMAPINFO& Info, void* Bits);
bool SetDIB(HBITMAP Bitmap, HPALETTE Palette, BITMAPINFO& Info, const void* Bits);

// ---------------------------------------------------------------- bits

// A growable bit array whose out-of-range errors are quietly ignored.
class TBits {
public:
  int Size() const { return size; }
  // Keeps the bits below Value; new ones are clear.
  void SetSize(int Value);
  // Grows the array to hold Index; a negative index does nothing.
  void SetBit(int Index, bool Value);
  // False beyond the array.
  bool GetBit(int Index) const;
  // The first clear bit, or Size when every bit is set.
  int OpenBit() const;

private:
  int size = 0;
  std::vector<uint32_t> words;
};
