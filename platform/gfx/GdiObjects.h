#pragma once
// The drawing objects behind the handles of Gdi.h. Shared by this layer's
// units and by the window bridge; callers elsewhere only hold handles.
#include "platform/gfx/Gdi.h"

#include <memory>
#include <vector>

class TGdiObject {
public:
  enum class TKind { Bitmap, Brush, Pen, Font, Region, Palette };
  explicit TGdiObject(TKind kind) : Kind(kind) {}
  virtual ~TGdiObject() = default;
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;

  const TKind Kind;
  bool Stock = false;
  // Contexts (and their saved states) that hold this object; a delete asked
  // while held is carried out when the last one lets go.
  int Holders = 0;
  bool DeletePending = false;
};

// Keeps the object alive while a context holds it.
void GdiRetain(TGdiObject* Object);
void GdiRelease(TGdiObject* Object);

class TBitmapObject : public TGdiObject {
public:
  // Pixels are uninitialised apart from being zero; Colors sized for indexed
  // formats (black and white for 1 bit, greys otherwise).
  TBitmapObject(int width, int height, int bitCount);

  bool Indexed() const { return BitCount <= 8; }
  uint8_t* Row(int y) {
    return Bits + static_cast<ptrdiff_t>(BottomUp ? Height - 1 - y : y) * Stride;
  }
  const uint8_t* Row(int y) const {
    return Bits + static_cast<ptrdiff_t>(BottomUp ? Height - 1 - y : y) * Stride;
  }
  // Raw values: a colour index for indexed formats, else a COLORREF.
  uint32_t Raw(int x, int y) const;
  void SetRaw(int x, int y, uint32_t value);
  uint32_t RawMask() const { return Indexed() ? (1u << BitCount) - 1 : 0xFFFFFFu; }
  COLORREF ColorOf(uint32_t raw) const;
  uint32_t RawOf(COLORREF color) const; // nearest colour for indexed formats
  COLORREF PixelColor(int x, int y) const { return ColorOf(Raw(x, y)); }

  int Width;
  int Height;
  int BitCount;
  int Stride;
  bool DibSection = false;
  bool BottomUp = false;
  std::vector<RGBQUAD> Colors;
  uint8_t* Bits;

private:
  std::vector<uint32_t> store;
  mutable COLORREF lastColor = CLR_INVALID;
  mutable uint32_t lastRaw = 0;
};

class TBrushObject : public TGdiObject {
public:
  TBrushObject() : TGdiObject(TKind::Brush) {}
  LOGBRUSH Log;
  // For pattern brushes: 8 x 8 colours, or bits when the pattern was monochrome
  // (then drawn in the text and background colours).
  bool PatternMono = false;
  COLORREF Pattern[8][8] = {};
};

class TPenObject : public TGdiObject {
public:
  TPenObject() : TGdiObject(TKind::Pen) {}
  LOGPEN Log;
};

class TFontObject : public TGdiObject {
public:
  TFontObject() : TGdiObject(TKind::Font) {}
  LOGFONT Log;
};

// A set of pixels as y-x banded rectangles, the way region data lists them.
class TRegionObject : public TGdiObject {
public:
  TRegionObject() : TGdiObject(TKind::Region) {}
  std::vector<RECT> Rects;
};

class TPaletteObject : public TGdiObject {
public:
  TPaletteObject() : TGdiObject(TKind::Palette) {}
  std::vector<PALETTEENTRY> Entries;
};

struct TDcState {
  HBITMAP Bitmap = nullptr;
  HPEN Pen = nullptr;
  HBRUSH Brush = nullptr;
  HFONT Font = nullptr;
  HPALETTE Palette = nullptr;
  COLORREF TextColor = 0;
  COLORREF BkColor = 0xFFFFFF;
  int BkMode = OPAQUE;
  int Rop2 = R2_COPYPEN;
  int StretchMode = BLACKONWHITE;
  int MapMode = MM_TEXT;
  POINT ViewportOrg;
  POINT WindowOrg;
  POINT BrushOrg;
  POINT Current;
  bool HasClip = false;
  std::vector<RECT> Clip; // device coordinates
};

class TDeviceContext {
public:
  enum class TKind { Memory, Screen };
  explicit TDeviceContext(TKind kind);
  ~TDeviceContext();
  TDeviceContext(const TDeviceContext&) = delete;
  TDeviceContext& operator=(const TDeviceContext&) = delete;

  // Swaps in an object of the same kind as Object, returning the previous one.
  HGDIOBJ Select(HGDIOBJ Object);
  int Save();
  bool Restore(int level);

  int DeviceX(int x) const { return x - State.WindowOrg.x + State.ViewportOrg.x; }
  int DeviceY(int y) const { return y - State.WindowOrg.y + State.ViewportOrg.y; }
  // Where drawing may land, device coordinates: surface bounds and clip.
  std::vector<RECT> DrawArea() const;
  // The surface size (the screen's for a screen context).
  int SurfaceWidth() const;
  int SurfaceHeight() const;

  const TKind Kind;
  TDcState State;
  int StyleCounter = 0; // position in the dash pattern of styled lines

private:
  void RetainState(const TDcState& state);
  void ReleaseState(const TDcState& state);
  std::vector<TDcState> saved;
};

// Colour-table helpers shared by the bitmap and picture code.
std::vector<RGBQUAD> DefaultPaletteColors();  // the 20 static colours
std::vector<RGBQUAD> HalftonePaletteColors(); // those and a 6 x 6 x 6 cube
uint32_t NearestColorIndex(const std::vector<RGBQUAD>& colors, COLORREF color);

// A copy of the pixels given in device-independent form, or null when the
// header is not one this layer reads (or a DIB_PAL_COLORS table without a
// palette to resolve it).
std::unique_ptr<TBitmapObject> BitmapFromDib(const BITMAPINFO* Info, const void* Bits, UINT Usage,
                                             HPALETTE Palette);
