#pragma once
// The pixel buffer every skinned control works its effects on: a 24-bit
// top-down DIB section whose bytes are read and written directly. Pixels are
// blue, green, red; rows are padded to 4 bytes. A pixel as an integer is
// 0x00RRGGBB (not a TColor): colours given as TColor are split into channels
// first. A buffer that could not be made (a size of 0) is empty: 0 x 0, no
// bits, and every operation on it does nothing.
#include "platform/gfx/Graphics.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Types.h"

#include <cstdint>

enum TGradKind { gdRight, gdLeft, gdTop, gdBottom, gdVCenter, gdHCenter };

class TEffectBmp : public TObject {
public:
  TEffectBmp(int AWidth, int AHeight);
  // A copy of Bitmap's pixels in this layout, whatever its own format.
  explicit TEffectBmp(HBITMAP Bitmap);
  TEffectBmp(const TEffectBmp& Other);
  TEffectBmp& operator=(const TEffectBmp&) = delete;
  ~TEffectBmp() override;

  HBITMAP Handle() const { return handle; }
  int Width() const { return width; }
  int Height() const { return height; }
  int Size() const { return size; }
  uint8_t* Bits() const { return bits; }
  const BITMAPINFO& BitmapInfo() const { return bitmapInfo; }
  int Stride() const { return width * 3 + width % 4; }

  // Row and pixel access; callers keep x and y inside the buffer.
  uint8_t* GetLine(int Y) const;
  void GetScanLine(int Y, void* Dest) const;
  void SetLine(int Y, const void* Src);
  int GetPixel(int X, int Y) const;
  void SetPixel(int X, int Y, int Value);

  // Drawing onto a device context, source copy.
  void Draw(HDC DC, int X, int Y) const;
  void Stretch(HDC DC, int X, int Y, int W, int H) const;
  void DrawRect(HDC DC, int X, int Y, int SrcX, int SrcY, int W, int H) const;
  void TileDraw(HDC DC, int X, int Y, int W, int H) const;

  // Buffer to buffer.
  void Tile(TEffectBmp* Dest) const;
  void Resize(TEffectBmp* Dest) const;
  void Flip();
  void Flop();
  void CopyRect(const TEffectBmp* Src, const TRect& R, int X, int Y);

  // Effects, in place.
  void AddColorNoise(int Amount);
  void AddMiddleColor(TColor Color);
  void AddMiddleColorInRect(TColor Color, const TRect& R);
  void MiddleBMP(const TEffectBmp* Other);
  void Blur(int Amount);
  void SplitBlur(int Amount);
  void MaskSplitBlur(const TEffectBmp* Mask, int Amount);
  void Wave(int XDiv, int YDiv, int Ratio);
  void AddGradColor(TColor Color, TGradKind Kind);
  void AddGradBMP(const TEffectBmp* Other, TGradKind Kind);
  void Morph(const TEffectBmp* Other, double Kf);
  void MorphRect(const TEffectBmp* Other, double Kf, const TRect& R, int X, int Y);

private:
  void Create(int AWidth, int AHeight);
  bool SameSize(const TEffectBmp* Other) const;
  uint8_t* PixelAt(int X, int Y) const { return bits + Y * Stride() + X * 3; }
  void SplitBlurWhere(int Amount, const TEffectBmp* Mask);
  template <typename TColorAt> void Gradient(TGradKind Kind, TColorAt ColorAt);

  HBITMAP handle = nullptr;
  int width = 0;
  int height = 0;
  int size = 0;
  uint8_t* bits = nullptr;
  BITMAPINFO bitmapInfo;
};

using PEfBmp = TEffectBmp*;
