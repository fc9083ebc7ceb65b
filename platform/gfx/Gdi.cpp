#include "platform/gfx/Gdi.h"

#include "platform/gfx/Backend.h"
#include "platform/gfx/GdiObjects.h"
#include "platform/gfx/Raster.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------
// Object lifetime

void GdiRetain(TGdiObject* Object) {
  if (Object != nullptr)
    ++Object->Holders;
}

void GdiRelease(TGdiObject* Object) {
  if (Object == nullptr)
    return;
  --Object->Holders;
  if (Object->Holders == 0 && Object->DeletePending)
    delete Object;
}

BOOL DeleteObject(HGDIOBJ Object) {
  if (Object == nullptr || Object->Stock)
    return Object != nullptr;
  if (Object->Holders > 0) {
    Object->DeletePending = true;
    return 1;
  }
  delete Object;
  return 1;
}

namespace {

HBRUSH MakeStockBrush(UINT style, COLORREF color) {
  auto* b = new TBrushObject;
  b->Log.lbStyle = style;
  b->Log.lbColor = color;
  b->Stock = true;
  return b;
}

HPEN MakeStockPen(UINT style, COLORREF color) {
  auto* p = new TPenObject;
  p->Log.lopnStyle = style;
  p->Log.lopnWidth.x = 1;
  p->Log.lopnColor = color;
  p->Stock = true;
  return p;
}

HFONT MakeStockFont() {
  auto* f = new TFontObject;
  f->Log.lfHeight = -11;
  std::strcpy(f->Log.lfFaceName, "MS Sans Serif");
  f->Stock = true;
  return f;
}

HPALETTE MakeStockPalette() {
  auto* p = new TPaletteObject;
  for (const RGBQUAD& q : DefaultPaletteColors())
    p->Entries.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
  p->Stock = true;
  return p;
}

HBITMAP StockMonoBitmap() {
  static HBITMAP bitmap = [] {
    auto* b = new TBitmapObject(1, 1, 1);
    b->Stock = true;
    return b;
  }();
  return bitmap;
}

} // namespace

HGDIOBJ GetStockObject(int Index) {
  static HBRUSH brushes[] = {
      MakeStockBrush(BS_SOLID, RGB(255, 255, 255)), MakeStockBrush(BS_SOLID, RGB(192, 192, 192)),
      MakeStockBrush(BS_SOLID, RGB(128, 128, 128)), MakeStockBrush(BS_SOLID, RGB(64, 64, 64)),
      MakeStockBrush(BS_SOLID, RGB(0, 0, 0)),       MakeStockBrush(BS_NULL, 0)};
  static HPEN pens[] = {MakeStockPen(PS_SOLID, RGB(255, 255, 255)),
                        MakeStockPen(PS_SOLID, RGB(0, 0, 0)), MakeStockPen(PS_NULL, 0)};
  static HFONT font = MakeStockFont();
  static HPALETTE palette = MakeStockPalette();
  if (Index >= WHITE_BRUSH && Index <= NULL_BRUSH)
    return brushes[Index];
  if (Index >= WHITE_PEN && Index <= NULL_PEN)
    return pens[Index - WHITE_PEN];
  if (Index == SYSTEM_FONT || Index == DEFAULT_GUI_FONT)
    return font;
  if (Index == DEFAULT_PALETTE)
    return palette;
  return nullptr;
}

int GetObject(HGDIOBJ Object, int Size, void* Buffer) {
  if (Object == nullptr)
    return 0;
  switch (Object->Kind) {
  case TGdiObject::TKind::Bitmap: {
    if (Buffer == nullptr)
      return sizeof(BITMAP);
    if (Size < static_cast<int>(sizeof(BITMAP)))
      return 0;
    const auto* b = static_cast<const TBitmapObject*>(Object);
    BITMAP bm;
    bm.bmWidth = b->Width;
    bm.bmHeight = b->Height;
    // Device-dependent bitmaps describe their rows 2-byte aligned.
    bm.bmWidthBytes = b->DibSection ? b->Stride : ((b->Width * b->BitCount + 15) / 16) * 2;
    bm.bmPlanes = 1;
    bm.bmBitsPixel = static_cast<WORD>(b->BitCount);
    bm.bmBits = b->DibSection ? b->Bits : nullptr;
    std::memcpy(Buffer, &bm, sizeof bm);
    return sizeof(BITMAP);
  }
  case TGdiObject::TKind::Palette: {
    if (Buffer == nullptr || Size < 2)
      return Buffer == nullptr ? 2 : 0;
    const WORD n = static_cast<WORD>(static_cast<const TPaletteObject*>(Object)->Entries.size());
    std::memcpy(Buffer, &n, 2);
    return 2;
  }
  case TGdiObject::TKind::Pen: {
    if (Buffer == nullptr || Size < static_cast<int>(sizeof(LOGPEN)))
      return Buffer == nullptr ? sizeof(LOGPEN) : 0;
    std::memcpy(Buffer, &static_cast<const TPenObject*>(Object)->Log, sizeof(LOGPEN));
    return sizeof(LOGPEN);
  }
  case TGdiObject::TKind::Brush: {
    if (Buffer == nullptr || Size < static_cast<int>(sizeof(LOGBRUSH)))
      return Buffer == nullptr ? sizeof(LOGBRUSH) : 0;
    std::memcpy(Buffer, &static_cast<const TBrushObject*>(Object)->Log, sizeof(LOGBRUSH));
    return sizeof(LOGBRUSH);
  }
  case TGdiObject::TKind::Font: {
    if (Buffer == nullptr || Size < static_cast<int>(sizeof(LOGFONT)))
      return Buffer == nullptr ? sizeof(LOGFONT) : 0;
    std::memcpy(Buffer, &static_cast<const TFontObject*>(Object)->Log, sizeof(LOGFONT));
    return sizeof(LOGFONT);
  }
  case TGdiObject::TKind::Region:
    return 0;
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Bitmaps

TBitmapObject::TBitmapObject(int width, int height, int bitCount)
    : TGdiObject(TKind::Bitmap), Width(width), Height(height), BitCount(bitCount),
      Stride(DibStride(width, bitCount)) {
  store.assign((static_cast<size_t>(Stride) * static_cast<size_t>(height) + 3) / 4, 0);
  Bits = reinterpret_cast<uint8_t*>(store.data());
  if (bitCount == 1) {
    Colors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  } else if (bitCount <= 8) {
    const int n = 1 << bitCount;
    for (int i = 0; i < n; ++i) {
      const BYTE v = static_cast<BYTE>(i * 255 / (n - 1));
      Colors.push_back({v, v, v, 0});
    }
  }
}

uint32_t TBitmapObject::Raw(int x, int y) const {
  const uint8_t* row = Row(y);
  switch (BitCount) {
  case 1:
    return (row[x >> 3] >> (7 - (x & 7))) & 1u;
  case 4:
    return (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
  case 8:
    return row[x];
  case 24: {
    const uint8_t* p = row + x * 3;
    return RGB(p[2], p[1], p[0]);
  }
  default: {
    const uint8_t* p = row + x * 4;
    return RGB(p[2], p[1], p[0]);
  }
  }
}

void TBitmapObject::SetRaw(int x, int y, uint32_t value) {
  uint8_t* row = Row(y);
  switch (BitCount) {
  case 1: {
    const uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
    row[x >> 3] = (value & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit;
    return;
  }
  case 4: {
    uint8_t& b = row[x >> 1];
    b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                : static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
    return;
  }
  case 8:
    row[x] = static_cast<uint8_t>(value);
    return;
  case 24: {
    uint8_t* p = row + x * 3;
    p[0] = GetBValue(value);
    p[1] = GetGValue(value);
    p[2] = GetRValue(value);
    return;
  }
  default: {
    uint8_t* p = row + x * 4;
    p[0] = GetBValue(value);
    p[1] = GetGValue(value);
    p[2] = GetRValue(value);
    p[3] = 0;
    return;
  }
  }
}

COLORREF TBitmapObject::ColorOf(uint32_t raw) const {
  if (!Indexed())
    return raw & 0xFFFFFF;
  if (raw >= Colors.size())
    return 0;
  const RGBQUAD& q = Colors[raw];
  return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

uint32_t TBitmapObject::RawOf(COLORREF color) const {
  color &= 0xFFFFFF;
  if (!Indexed())
    return color;
  if (color != lastColor) {
    lastRaw = NearestColorIndex(Colors, color);
    lastColor = color;
  }
  return lastRaw;
}

uint32_t NearestColorIndex(const std::vector<RGBQUAD>& colors, COLORREF color) {
  uint32_t best = 0;
  long bestDistance = -1;
  for (size_t i = 0; i < colors.size(); ++i) {
    const long dr = long{colors[i].rgbRed} - GetRValue(color);
    const long dg = long{colors[i].rgbGreen} - GetGValue(color);
    const long db = long{colors[i].rgbBlue} - GetBValue(color);
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      best = static_cast<uint32_t>(i);
      bestDistance = d;
      if (d == 0)
        break;
    }
  }
  return best;
}

std::vector<RGBQUAD> DefaultPaletteColors() {
  static const BYTE table[20][3] = {
      {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
      {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
      {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
      {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
  std::vector<RGBQUAD> colors;
  for (const auto& c : table)
    colors.push_back({c[2], c[1], c[0], 0});
  return colors;
}

std::vector<RGBQUAD> HalftonePaletteColors() {
  std::vector<RGBQUAD> colors = DefaultPaletteColors();
  const std::vector<RGBQUAD> statics = colors;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) {
        const RGBQUAD q{static_cast<BYTE>(b * 51), static_cast<BYTE>(g * 51),
                        static_cast<BYTE>(r * 51), 0};
        const bool known = std::any_of(statics.begin(), statics.end(), [&](const RGBQUAD& s) {
          return s.rgbRed == q.rgbRed && s.rgbGreen == q.rgbGreen && s.rgbBlue == q.rgbBlue;
        });
        if (!known)
          colors.push_back(q);
      }
  return colors;
}

namespace {

bool ValidSize(int width, int height, int bitCount) {
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
    return false;
  const int64_t bytes = int64_t{DibStride(width, bitCount)} * height;
  return bytes <= (int64_t{1} << 29);
}

bool ValidBitCount(int bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24 || bitCount == 32;
}

} // namespace

HBITMAP CreateBitmap(int Width, int Height, UINT Planes, UINT BitCount, const void* Bits) {
  const int bitCount = static_cast<int>(BitCount);
  if (Planes != 1 || !ValidBitCount(bitCount) || !ValidSize(Width, Height, bitCount))
    return nullptr;
  auto* b = new TBitmapObject(Width, Height, bitCount);
  if (Bits != nullptr) {
    // The caller's rows are 2-byte aligned.
    const int source = ((Width * bitCount + 15) / 16) * 2;
    const int used = (Width * bitCount + 7) / 8;
    for (int y = 0; y < Height; ++y)
      std::memcpy(b->Row(y), static_cast<const uint8_t*>(Bits) + static_cast<ptrdiff_t>(y) * source,
                  static_cast<size_t>(used));
  }
  return b;
}

HBITMAP CreateCompatibleBitmap(HDC DC, int Width, int Height) {
  const TBitmapObject* current =
      DC != nullptr && DC->Kind == TDeviceContext::TKind::Memory ? DC->State.Bitmap : nullptr;
  const int bitCount = current != nullptr ? current->BitCount : 32;
  if (!ValidSize(Width, Height, bitCount))
    return nullptr;
  auto* b = new TBitmapObject(Width, Height, bitCount);
  if (current != nullptr)
    b->Colors = current->Colors;
  return b;
}

namespace {

// Colour table of a DIB header, resolved to RGB.
bool DibColors(const BITMAPINFO* Info, UINT Usage, HPALETTE Palette, std::vector<RGBQUAD>& out) {
  const BITMAPINFOHEADER& h = Info->bmiHeader;
  if (h.biBitCount > 8)
    return true;
  const size_t n = h.biClrUsed != 0 ? std::min<size_t>(h.biClrUsed, size_t{1} << h.biBitCount)
                                    : size_t{1} << h.biBitCount;
  out.resize(n);
  if (Usage == DIB_RGB_COLORS) {
    std::memcpy(out.data(), Info->bmiColors, n * sizeof(RGBQUAD));
    return true;
  }
  if (Palette == nullptr)
    Palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  const auto* indexes = reinterpret_cast<const WORD*>(Info->bmiColors);
  for (size_t i = 0; i < n; ++i) {
    const auto& entries = Palette->Entries;
    const PALETTEENTRY e = indexes[i] < entries.size() ? entries[indexes[i]] : PALETTEENTRY{};
    out[i] = {e.peBlue, e.peGreen, e.peRed, 0};
  }
  return true;
}

bool ValidDibHeader(const BITMAPINFO* Info) {
  if (Info == nullptr)
    return false;
  const BITMAPINFOHEADER& h = Info->bmiHeader;
  const LONG height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  return h.biSize >= 40 && h.biCompression == BI_RGB && h.biPlanes == 1 &&
         ValidBitCount(h.biBitCount) && ValidSize(h.biWidth, height, h.biBitCount);
}

} // namespace

HBITMAP CreateDIBSection(HDC DC, const BITMAPINFO* Info, UINT Usage, void** Bits, void*, DWORD) {
  if (Bits != nullptr)
    *Bits = nullptr;
  if (!ValidDibHeader(Info))
    return nullptr;
  const BITMAPINFOHEADER& h = Info->bmiHeader;
  auto* b = new TBitmapObject(h.biWidth, h.biHeight < 0 ? -h.biHeight : h.biHeight, h.biBitCount);
  b->DibSection = true;
  b->BottomUp = h.biHeight > 0;
  DibColors(Info, Usage, DC != nullptr ? DC->State.Palette : nullptr, b->Colors);
  if (Bits != nullptr)
    *Bits = b->Bits;
  return b;
}

std::unique_ptr<TBitmapObject> BitmapFromDib(const BITMAPINFO* Info, const void* Bits, UINT Usage,
                                             HPALETTE Palette) {
  if (!ValidDibHeader(Info) || Bits == nullptr)
    return nullptr;
  const BITMAPINFOHEADER& h = Info->bmiHeader;
  auto b = std::make_unique<TBitmapObject>(h.biWidth, h.biHeight < 0 ? -h.biHeight : h.biHeight,
                                           h.biBitCount);
  b->BottomUp = h.biHeight > 0;
  DibColors(Info, Usage, Palette, b->Colors);
  std::memcpy(b->Bits, Bits, static_cast<size_t>(b->Stride) * static_cast<size_t>(b->Height));
  return b;
}

UINT GetDIBColorTable(HDC DC, UINT Start, UINT Entries, RGBQUAD* Colors) {
  if (DC == nullptr || Colors == nullptr)
    return 0;
  const HBITMAP b = DC->State.Bitmap;
  if (b == nullptr || b->Stock || !b->Indexed() || Start >= b->Colors.size())
    return 0;
  const UINT count = std::min<UINT>(Entries, static_cast<UINT>(b->Colors.size()) - Start);
  std::copy_n(b->Colors.begin() + Start, count, Colors);
  return count;
}

int GetDIBits(HDC DC, HBITMAP Bitmap, UINT Start, UINT Lines, void* Bits, BITMAPINFO* Info,
              UINT Usage) {
  if (Bitmap == nullptr || Info == nullptr)
    return 0;
  BITMAPINFOHEADER& h = Info->bmiHeader;
  if (h.biBitCount == 0) {
    h.biWidth = Bitmap->Width;
    h.biHeight = Bitmap->Height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(Bitmap->BitCount);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(DibStride(Bitmap->Width, Bitmap->BitCount) * Bitmap->Height);
    if (Bits == nullptr)
      return Bitmap->Height;
  }
  if (!ValidBitCount(h.biBitCount) || h.biPlanes != 1 || h.biCompression != BI_RGB)
    return 0;
  h.biWidth = Bitmap->Width;
  const bool topDown = h.biHeight < 0;
  h.biHeight = topDown ? -Bitmap->Height : Bitmap->Height;
  h.biSizeImage = static_cast<DWORD>(DibStride(Bitmap->Width, h.biBitCount) * Bitmap->Height);
  // The colour table: the bitmap's own when the depth matches, else a fixed one.
  TBitmapObject target(Bitmap->Width, 1, h.biBitCount);
  if (target.Indexed()) {
    if (Bitmap->BitCount == h.biBitCount)
      target.Colors = Bitmap->Colors;
    else if (h.biBitCount == 8)
      target.Colors = HalftonePaletteColors();
    else if (h.biBitCount == 4)
      target.Colors =
          std::vector<RGBQUAD>(DefaultPaletteColors().begin(), DefaultPaletteColors().begin() + 16);
    target.Colors.resize(size_t{1} << h.biBitCount);
    if (Usage == DIB_RGB_COLORS)
      std::memcpy(Info->bmiColors, target.Colors.data(), target.Colors.size() * sizeof(RGBQUAD));
    h.biClrUsed = 0;
  }
  if (Bits == nullptr)
    return Bitmap->Height;
  (void)DC;
  const UINT height = static_cast<UINT>(Bitmap->Height);
  if (Start >= height)
    return 0;
  Lines = std::min(Lines, height - Start);
  const bool sameLayout = Bitmap->BitCount == h.biBitCount;
  for (UINT i = 0; i < Lines; ++i) {
    const UINT scan = Start + i;
    const int y = topDown ? static_cast<int>(scan) : static_cast<int>(height - 1 - scan);
    uint8_t* out = static_cast<uint8_t*>(Bits) + static_cast<ptrdiff_t>(i) * target.Stride;
    if (sameLayout) {
      std::memcpy(out, Bitmap->Row(y), static_cast<size_t>(target.Stride));
      continue;
    }
    for (int x = 0; x < Bitmap->Width; ++x)
      target.SetRaw(x, 0, target.RawOf(Bitmap->PixelColor(x, y)));
    std::memcpy(out, target.Row(0), static_cast<size_t>(target.Stride));
  }
  return static_cast<int>(Lines);
}

int SetDIBits(HDC DC, HBITMAP Bitmap, UINT Start, UINT Lines, const void* Bits,
              const BITMAPINFO* Info, UINT Usage) {
  if (Bitmap == nullptr)
    return 0;
  std::unique_ptr<TBitmapObject> source =
      BitmapFromDib(Info, Bits, Usage, DC != nullptr ? DC->State.Palette : nullptr);
  if (source == nullptr || source->Width != Bitmap->Width)
    return 0;
  const bool topDown = !source->BottomUp;
  const UINT height = static_cast<UINT>(std::min(source->Height, Bitmap->Height));
  if (Start >= height)
    return 0;
  Lines = std::min(Lines, height - Start);
  for (UINT i = 0; i < Lines; ++i) {
    const UINT scan = Start + i;
    const int y = topDown ? static_cast<int>(scan) : source->Height - 1 - static_cast<int>(scan);
    const int target = topDown ? y : Bitmap->Height - source->Height + y;
    for (int x = 0; x < Bitmap->Width; ++x)
      Bitmap->SetRaw(x, target, Bitmap->RawOf(source->PixelColor(x, y)));
  }
  return static_cast<int>(Lines);
}

int SetDIBitsToDevice(HDC DC, int XDest, int YDest, DWORD Width, DWORD Height, int XSrc, int YSrc,
                      UINT StartScan, UINT Lines, const void* Bits, const BITMAPINFO* Info,
                      UINT Usage) {
  if (DC == nullptr || !ValidDibHeader(Info))
    return 0;
  // The given scan lines of a bottom-up DIB stand for rows counted from its
  // bottom; only the lines present can be drawn.
  BITMAPINFO header = *Info;
  const bool topDown = Info->bmiHeader.biHeight < 0;
  header.bmiHeader.biHeight = topDown ? -static_cast<LONG>(Lines) : static_cast<LONG>(Lines);
  std::unique_ptr<TBitmapObject> source;
  if (Info->bmiHeader.biBitCount <= 8) {
    // The colour table follows the header; keep it with the copied header.
    source = BitmapFromDib(Info, Bits, Usage, DC->State.Palette);
    if (source == nullptr)
      return 0;
    auto rows =
        std::make_unique<TBitmapObject>(source->Width, static_cast<int>(Lines), source->BitCount);
    rows->Colors = source->Colors;
    std::memcpy(rows->Bits, Bits, static_cast<size_t>(rows->Stride) * Lines);
    rows->BottomUp = !topDown;
    source = std::move(rows);
  } else {
    source = BitmapFromDib(&header, Bits, Usage, DC->State.Palette);
  }
  if (source == nullptr || Lines == 0)
    return 0;
  const int fullHeight =
      Info->bmiHeader.biHeight < 0 ? -Info->bmiHeader.biHeight : Info->bmiHeader.biHeight;
  // Source row (top-down, full image) of the rectangle's top.
  const int top = topDown ? YSrc : fullHeight - YSrc - static_cast<int>(Height);
  const int firstRow = topDown ? static_cast<int>(StartScan)
                               : fullHeight - static_cast<int>(StartScan) - static_cast<int>(Lines);
  RasterBlit(DC, XDest, YDest, static_cast<int>(Width), static_cast<int>(Height), source.get(),
             XSrc, top - firstRow, static_cast<int>(Width), static_cast<int>(Height), 0xFFFFFF,
             SRCCOPY);
  return static_cast<int>(Lines);
}

int StretchDIBits(HDC DC, int XDest, int YDest, int DestWidth, int DestHeight, int XSrc, int YSrc,
                  int SrcWidth, int SrcHeight, const void* Bits, const BITMAPINFO* Info, UINT Usage,
                  DWORD Rop) {
  if (DC == nullptr)
    return 0;
  std::unique_ptr<TBitmapObject> source = BitmapFromDib(Info, Bits, Usage, DC->State.Palette);
  if (source == nullptr)
    return 0;
  // Rectangles of a bottom-up DIB are measured from its bottom row.
  int top = YSrc;
  if (source->BottomUp)
    top = SrcHeight >= 0 ? source->Height - YSrc - SrcHeight : source->Height - YSrc;
  RasterBlit(DC, XDest, YDest, DestWidth, DestHeight, source.get(), XSrc, top, SrcWidth, SrcHeight,
             0xFFFFFF, Rop);
  return source->Height;
}

// ---------------------------------------------------------------------------
// Device contexts

TDeviceContext::TDeviceContext(TKind kind) : Kind(kind) {
  State.Bitmap = kind == TKind::Memory ? StockMonoBitmap() : nullptr;
  State.Pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  State.Brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  State.Font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  State.Palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  RetainState(State);
}

TDeviceContext::~TDeviceContext() {
  for (const TDcState& s : saved)
    ReleaseState(s);
  ReleaseState(State);
}

void TDeviceContext::RetainState(const TDcState& s) {
  GdiRetain(s.Bitmap);
  GdiRetain(s.Pen);
  GdiRetain(s.Brush);
  GdiRetain(s.Font);
  GdiRetain(s.Palette);
}

void TDeviceContext::ReleaseState(const TDcState& s) {
  GdiRelease(s.Bitmap);
  GdiRelease(s.Pen);
  GdiRelease(s.Brush);
  GdiRelease(s.Font);
  GdiRelease(s.Palette);
}

HGDIOBJ TDeviceContext::Select(HGDIOBJ Object) {
  TGdiObject** slot = nullptr;
  switch (Object->Kind) {
  case TGdiObject::TKind::Bitmap:
    if (Kind != TKind::Memory)
      return nullptr;
    slot = reinterpret_cast<TGdiObject**>(&State.Bitmap);
    break;
  case TGdiObject::TKind::Pen:
    slot = reinterpret_cast<TGdiObject**>(&State.Pen);
    break;
  case TGdiObject::TKind::Brush:
    slot = reinterpret_cast<TGdiObject**>(&State.Brush);
    break;
  case TGdiObject::TKind::Font:
    slot = reinterpret_cast<TGdiObject**>(&State.Font);
    break;
  case TGdiObject::TKind::Palette:
    slot = reinterpret_cast<TGdiObject**>(&State.Palette);
    break;
  case TGdiObject::TKind::Region:
    return nullptr;
  }
  TGdiObject* previous = *slot;
  if (previous == Object)
    return previous;
  GdiRetain(Object);
  *slot = Object;
  // The previous object stays valid for the caller: it is released only after
  // the hand-back, and a pending delete then takes effect.
  const bool pending = previous->DeletePending && previous->Holders == 1;
  GdiRelease(previous);
  return pending ? nullptr : previous;
}

int TDeviceContext::Save() {
  saved.push_back(State);
  RetainState(State);
  return static_cast<int>(saved.size());
}

bool TDeviceContext::Restore(int level) {
  const int count = static_cast<int>(saved.size());
  const int target = level < 0 ? count + level + 1 : level;
  if (target < 1 || target > count)
    return false;
  while (static_cast<int>(saved.size()) > target) {
    ReleaseState(saved.back());
    saved.pop_back();
  }
  ReleaseState(State);
  State = std::move(saved.back());
  saved.pop_back();
  return true;
}

int TDeviceContext::SurfaceWidth() const {
  if (Kind == TKind::Screen)
    return GfxScreenWidth();
  return State.Bitmap != nullptr ? State.Bitmap->Width : 0;
}

int TDeviceContext::SurfaceHeight() const {
  if (Kind == TKind::Screen)
    return GfxScreenHeight();
  return State.Bitmap != nullptr ? State.Bitmap->Height : 0;
}

std::vector<RECT> TDeviceContext::DrawArea() const {
  // The 1 x 1 bitmap a memory context starts with is shared: nothing lands there.
  if (Kind == TKind::Memory && (State.Bitmap == nullptr || State.Bitmap->Stock))
    return {};
  const RECT surface{0, 0, SurfaceWidth(), SurfaceHeight()};
  if (!State.HasClip)
    return {surface};
  std::vector<RECT> area;
  for (const RECT& r : State.Clip) {
    RECT i;
    if (IntersectRect(&i, &r, &surface))
      area.push_back(i);
  }
  return area;
}

HDC CreateCompatibleDC(HDC) {
  return new TDeviceContext(TDeviceContext::TKind::Memory);
}

HDC CreateDC(const char* Driver, const char*, const char*, const void*) {
  if (Driver == nullptr || std::strcmp(Driver, "DISPLAY") != 0)
    return nullptr;
  GfxEnsureBackend();
  return new TDeviceContext(TDeviceContext::TKind::Screen);
}

BOOL DeleteDC(HDC DC) {
  delete DC;
  return DC != nullptr;
}

namespace {
TWindowDCProvider windowDCProvider = nullptr;
TWindowDCRelease windowDCRelease = nullptr;
} // namespace

void GfxSetWindowDCProvider(TWindowDCProvider Provider, TWindowDCRelease Release) {
  windowDCProvider = Provider;
  windowDCRelease = Release;
}

HDC GetDC(void* Window) {
  if (Window != nullptr)
    return windowDCProvider != nullptr ? windowDCProvider(Window) : nullptr;
  return CreateDC("DISPLAY", nullptr, nullptr, nullptr);
}

int ReleaseDC(void* Window, HDC DC) {
  if (Window != nullptr && windowDCRelease != nullptr)
    return windowDCRelease(Window, DC);
  return DeleteDC(DC);
}

HGDIOBJ SelectObject(HDC DC, HGDIOBJ Object) {
  if (DC == nullptr || Object == nullptr)
    return nullptr;
  return DC->Select(Object);
}

HGDIOBJ GetCurrentObject(HDC DC, UINT Kind) {
  if (DC == nullptr)
    return nullptr;
  switch (Kind) {
  case OBJ_PEN:
    return DC->State.Pen;
  case OBJ_BRUSH:
    return DC->State.Brush;
  case OBJ_PAL:
    return DC->State.Palette;
  case OBJ_FONT:
    return DC->State.Font;
  case OBJ_BITMAP:
    return DC->State.Bitmap;
  default:
    return nullptr;
  }
}

int SaveDC(HDC DC) {
  return DC != nullptr ? DC->Save() : 0;
}

BOOL RestoreDC(HDC DC, int Saved) {
  return DC != nullptr && DC->Restore(Saved);
}

int GetDeviceCaps(HDC DC, int Index) {
  const bool screen = DC == nullptr || DC->Kind == TDeviceContext::TKind::Screen;
  const int bits =
      screen ? GfxScreenDepth() : (DC->State.Bitmap != nullptr ? DC->State.Bitmap->BitCount : 1);
  switch (Index) {
  case HORZRES:
    return screen ? GfxScreenWidth() : DC->SurfaceWidth();
  case VERTRES:
    return screen ? GfxScreenHeight() : DC->SurfaceHeight();
  case BITSPIXEL:
    return bits;
  case PLANES:
    return 1;
  case NUMCOLORS:
    return bits <= 8 ? 20 : -1;
  case SIZEPALETTE:
    return bits <= 8 ? 1 << bits : 0;
  case RASTERCAPS:
    return bits <= 8 ? RC_PALETTE : 0;
  case LOGPIXELSX:
  case LOGPIXELSY:
    return 96;
  default:
    return 0;
  }
}

#define WT_DC_SETTER(Name, Getter, Field, Type)                                                    \
  Type Name(HDC DC, Type Value) {                                                                  \
    if (DC == nullptr)                                                                             \
      return 0;                                                                                    \
    const Type old = DC->State.Field;                                                              \
    DC->State.Field = Value;                                                                       \
    return old;                                                                                    \
  }                                                                                                \
  Type Getter(HDC DC) {                                                                            \
    return DC != nullptr ? DC->State.Field : 0;                                                    \
  }

WT_DC_SETTER(SetBkMode, GetBkMode, BkMode, int)
WT_DC_SETTER(SetROP2, GetROP2, Rop2, int)
WT_DC_SETTER(SetStretchBltMode, GetStretchBltMode, StretchMode, int)
WT_DC_SETTER(SetMapMode, GetMapMode, MapMode, int)
#undef WT_DC_SETTER

COLORREF SetBkColor(HDC DC, COLORREF Color) {
  if (DC == nullptr)
    return CLR_INVALID;
  const COLORREF old = DC->State.BkColor;
  DC->State.BkColor = Color & 0xFFFFFF;
  return old;
}

COLORREF GetBkColor(HDC DC) {
  return DC != nullptr ? DC->State.BkColor : CLR_INVALID;
}

COLORREF SetTextColor(HDC DC, COLORREF Color) {
  if (DC == nullptr)
    return CLR_INVALID;
  const COLORREF old = DC->State.TextColor;
  DC->State.TextColor = Color & 0xFFFFFF;
  return old;
}

COLORREF GetTextColor(HDC DC) {
  return DC != nullptr ? DC->State.TextColor : CLR_INVALID;
}

namespace {

BOOL SetPoint(HDC DC, POINT TDcState::*field, int X, int Y, POINT* Old) {
  if (DC == nullptr)
    return 0;
  if (Old != nullptr)
    *Old = DC->State.*field;
  DC->State.*field = POINT{X, Y};
  return 1;
}

BOOL GetPoint(HDC DC, POINT TDcState::*field, POINT* Out) {
  if (DC == nullptr || Out == nullptr)
    return 0;
  *Out = DC->State.*field;
  return 1;
}

} // namespace

BOOL SetBrushOrgEx(HDC DC, int X, int Y, POINT* Old) {
  return SetPoint(DC, &TDcState::BrushOrg, X, Y, Old);
}
BOOL SetViewportOrgEx(HDC DC, int X, int Y, POINT* Old) {
  return SetPoint(DC, &TDcState::ViewportOrg, X, Y, Old);
}
BOOL GetViewportOrgEx(HDC DC, POINT* Origin) {
  return GetPoint(DC, &TDcState::ViewportOrg, Origin);
}
BOOL OffsetViewportOrgEx(HDC DC, int DX, int DY, POINT* Old) {
  if (DC == nullptr)
    return 0;
  const POINT o = DC->State.ViewportOrg;
  return SetViewportOrgEx(DC, o.x + DX, o.y + DY, Old);
}
BOOL SetWindowOrgEx(HDC DC, int X, int Y, POINT* Old) {
  return SetPoint(DC, &TDcState::WindowOrg, X, Y, Old);
}
BOOL GetWindowOrgEx(HDC DC, POINT* Origin) {
  return GetPoint(DC, &TDcState::WindowOrg, Origin);
}

BOOL DPtoLP(HDC DC, POINT* Points, int Count) {
  if (DC == nullptr || Points == nullptr)
    return 0;
  for (int i = 0; i < Count; ++i)
    Points[i] = POINT{Points[i].x - DC->DeviceX(0), Points[i].y - DC->DeviceY(0)};
  return 1;
}

BOOL LPtoDP(HDC DC, POINT* Points, int Count) {
  if (DC == nullptr || Points == nullptr)
    return 0;
  for (int i = 0; i < Count; ++i)
    Points[i] = POINT{DC->DeviceX(Points[i].x), DC->DeviceY(Points[i].y)};
  return 1;
}

// ---------------------------------------------------------------------------
// Clipping

namespace {

RECT DeviceRect(HDC DC, int Left, int Top, int Right, int Bottom) {
  return RECT{DC->DeviceX(Left), DC->DeviceY(Top), DC->DeviceX(Right), DC->DeviceY(Bottom)};
}

// The current clip as rectangles: the whole surface when there is none.
std::vector<RECT> CurrentClip(HDC DC) {
  if (DC->State.HasClip)
    return DC->State.Clip;
  return {RECT{0, 0, DC->SurfaceWidth(), DC->SurfaceHeight()}};
}

int SetClip(HDC DC, std::vector<RECT> rects) {
  DC->State.HasClip = true;
  DC->State.Clip = std::move(rects);
  return RegionKind(DC->State.Clip);
}

} // namespace

int IntersectClipRect(HDC DC, int Left, int Top, int Right, int Bottom) {
  if (DC == nullptr)
    return ERROR;
  const std::vector<RECT> rect{DeviceRect(DC, Left, Top, Right, Bottom)};
  return SetClip(DC, RectsCombine(CurrentClip(DC), rect, RGN_AND));
}

int ExcludeClipRect(HDC DC, int Left, int Top, int Right, int Bottom) {
  if (DC == nullptr)
    return ERROR;
  const std::vector<RECT> rect{DeviceRect(DC, Left, Top, Right, Bottom)};
  return SetClip(DC, RectsCombine(CurrentClip(DC), rect, RGN_DIFF));
}

int SelectClipRgn(HDC DC, HRGN Region) {
  if (DC == nullptr)
    return ERROR;
  if (Region == nullptr) {
    DC->State.HasClip = false;
    DC->State.Clip.clear();
    return SIMPLEREGION;
  }
  return SetClip(DC, Region->Rects);
}

int ExtSelectClipRgn(HDC DC, HRGN Region, int Mode) {
  if (DC == nullptr)
    return ERROR;
  if (Mode == RGN_COPY || Region == nullptr)
    return SelectClipRgn(DC, Mode == RGN_COPY ? Region : nullptr);
  return SetClip(DC, RectsCombine(CurrentClip(DC), Region->Rects, Mode));
}

int GetClipBox(HDC DC, RECT* Rect) {
  if (DC == nullptr || Rect == nullptr)
    return ERROR;
  const std::vector<RECT> area = DC->DrawArea();
  RECT box{};
  for (const RECT& r : area)
    UnionRect(&box, &box, &r);
  const int dx = DC->State.ViewportOrg.x - DC->State.WindowOrg.x;
  const int dy = DC->State.ViewportOrg.y - DC->State.WindowOrg.y;
  *Rect = RECT{box.left - dx, box.top - dy, box.right - dx, box.bottom - dy};
  return RegionKind(area);
}

int GetClipRgn(HDC DC, HRGN Region) {
  if (DC == nullptr || Region == nullptr)
    return -1;
  if (!DC->State.HasClip)
    return 0;
  Region->Rects = DC->State.Clip;
  return 1;
}

// ---------------------------------------------------------------------------
// Rectangles

BOOL SetRect(RECT* Rect, int Left, int Top, int Right, int Bottom) {
  if (Rect == nullptr)
    return 0;
  *Rect = RECT{Left, Top, Right, Bottom};
  return 1;
}

BOOL IsRectEmpty(const RECT* Rect) {
  return Rect == nullptr || Rect->right <= Rect->left || Rect->bottom <= Rect->top;
}

BOOL IntersectRect(RECT* Dest, const RECT* A, const RECT* B) {
  RECT r{std::max(A->left, B->left), std::max(A->top, B->top), std::min(A->right, B->right),
         std::min(A->bottom, B->bottom)};
  if (IsRectEmpty(&r))
    r = RECT{};
  *Dest = r;
  return !IsRectEmpty(&r);
}

BOOL UnionRect(RECT* Dest, const RECT* A, const RECT* B) {
  if (IsRectEmpty(A) && IsRectEmpty(B)) {
    *Dest = RECT{};
    return 0;
  }
  if (IsRectEmpty(A)) {
    *Dest = *B;
    return 1;
  }
  if (IsRectEmpty(B)) {
    *Dest = *A;
    return 1;
  }
  *Dest = RECT{std::min(A->left, B->left), std::min(A->top, B->top), std::max(A->right, B->right),
               std::max(A->bottom, B->bottom)};
  return 1;
}

BOOL OffsetRect(RECT* Rect, int DX, int DY) {
  if (Rect == nullptr)
    return 0;
  *Rect = RECT{Rect->left + DX, Rect->top + DY, Rect->right + DX, Rect->bottom + DY};
  return 1;
}

BOOL InflateRect(RECT* Rect, int DX, int DY) {
  if (Rect == nullptr)
    return 0;
  *Rect = RECT{Rect->left - DX, Rect->top - DY, Rect->right + DX, Rect->bottom + DY};
  return 1;
}

BOOL PtInRect(const RECT* Rect, POINT Point) {
  return Rect != nullptr && Point.x >= Rect->left && Point.x < Rect->right &&
         Point.y >= Rect->top && Point.y < Rect->bottom;
}

BOOL EqualRect(const RECT* A, const RECT* B) {
  return A->left == B->left && A->top == B->top && A->right == B->right && A->bottom == B->bottom;
}

// ---------------------------------------------------------------------------
// Blits

BOOL BitBlt(HDC Dest, int X, int Y, int Width, int Height, HDC Src, int XSrc, int YSrc, DWORD Rop) {
  return StretchBlt(Dest, X, Y, Width, Height, Src, XSrc, YSrc, Width, Height, Rop);
}

BOOL StretchBlt(HDC Dest, int X, int Y, int Width, int Height, HDC Src, int XSrc, int YSrc,
                int SrcWidth, int SrcHeight, DWORD Rop) {
  if (Dest == nullptr)
    return 0;
  if (!RopUsesSource(Rop))
    return PatBlt(Dest, X, Y, Width, Height, Rop);
  if (Src == nullptr)
    return 0;
  const int sx = Src->DeviceX(XSrc);
  const int sy = Src->DeviceY(YSrc);
  if (Src->Kind == TDeviceContext::TKind::Screen) {
    const int w = std::abs(SrcWidth);
    const int h = std::abs(SrcHeight);
    const int left = SrcWidth < 0 ? sx + SrcWidth + 1 : sx;
    const int top = SrcHeight < 0 ? sy + SrcHeight + 1 : sy;
    std::unique_ptr<TBitmapObject> shot = GfxGrabScreen(left, top, w, h);
    if (shot == nullptr)
      return 0;
    return RasterBlit(Dest, X, Y, Width, Height, shot.get(), sx - left, sy - top, SrcWidth,
                      SrcHeight, Src->State.BkColor, Rop);
  }
  if (Src->State.Bitmap == nullptr)
    return 0;
  return RasterBlit(Dest, X, Y, Width, Height, Src->State.Bitmap, sx, sy, SrcWidth, SrcHeight,
                    Src->State.BkColor, Rop);
}

BOOL PatBlt(HDC DC, int X, int Y, int Width, int Height, DWORD Rop) {
  if (DC == nullptr)
    return 0;
  return RasterBlit(DC, X, Y, Width, Height, nullptr, 0, 0, Width, Height, 0, Rop);
}

BOOL MaskBlt(HDC Dest, int X, int Y, int Width, int Height, HDC Src, int XSrc, int YSrc,
             HBITMAP Mask, int XMask, int YMask, DWORD Rop) {
  if (Dest == nullptr)
    return 0;
  const DWORD fore = Rop & 0x00FFFFFF;
  const DWORD back = ((Rop >> 8) & 0x00FF0000) | (Rop & 0xFFFF);
  if (Mask == nullptr)
    return BitBlt(Dest, X, Y, Width, Height, Src, XSrc, YSrc, fore);
  TBitmapObject* source = Src != nullptr ? Src->State.Bitmap : nullptr;
  return RasterMaskBlit(Dest, X, Y, Width, Height, source, Src != nullptr ? Src->DeviceX(XSrc) : 0,
                        Src != nullptr ? Src->DeviceY(YSrc) : 0,
                        Src != nullptr ? Src->State.BkColor : 0, Mask, XMask, YMask, fore, back);
}

COLORREF GetPixel(HDC DC, int X, int Y) {
  if (DC == nullptr)
    return CLR_INVALID;
  const int x = DC->DeviceX(X);
  const int y = DC->DeviceY(Y);
  const POINT p{x, y};
  const std::vector<RECT> area = DC->DrawArea();
  if (std::none_of(area.begin(), area.end(), [&](const RECT& r) { return PtInRect(&r, p); }))
    return CLR_INVALID;
  if (DC->Kind == TDeviceContext::TKind::Screen) {
    std::unique_ptr<TBitmapObject> shot = GfxGrabScreen(x, y, 1, 1);
    return shot != nullptr ? shot->PixelColor(0, 0) : CLR_INVALID;
  }
  return DC->State.Bitmap->PixelColor(x, y);
}

COLORREF SetPixel(HDC DC, int X, int Y, COLORREF Color) {
  if (DC == nullptr || DC->Kind != TDeviceContext::TKind::Memory)
    return CLR_INVALID;
  const int x = DC->DeviceX(X);
  const int y = DC->DeviceY(Y);
  const POINT p{x, y};
  const std::vector<RECT> area = DC->DrawArea();
  if (std::none_of(area.begin(), area.end(), [&](const RECT& r) { return PtInRect(&r, p); }))
    return CLR_INVALID;
  TBitmapObject* b = DC->State.Bitmap;
  b->SetRaw(x, y, b->RawOf(Color));
  return b->PixelColor(x, y);
}

// ---------------------------------------------------------------------------
// Pens, brushes, fonts

HPEN CreatePen(int Style, int Width, COLORREF Color) {
  LOGPEN log;
  log.lopnStyle = static_cast<UINT>(Style);
  log.lopnWidth.x = Width;
  log.lopnColor = Color;
  return CreatePenIndirect(&log);
}

HPEN CreatePenIndirect(const LOGPEN* Pen) {
  if (Pen == nullptr || Pen->lopnStyle > PS_INSIDEFRAME)
    return nullptr;
  auto* p = new TPenObject;
  p->Log = *Pen;
  p->Log.lopnColor &= 0xFFFFFF;
  return p;
}

HBRUSH CreateSolidBrush(COLORREF Color) {
  LOGBRUSH log;
  log.lbStyle = BS_SOLID;
  log.lbColor = Color;
  return CreateBrushIndirect(&log);
}

HBRUSH CreateHatchBrush(int Hatch, COLORREF Color) {
  LOGBRUSH log;
  log.lbStyle = BS_HATCHED;
  log.lbColor = Color;
  log.lbHatch = Hatch;
  return CreateBrushIndirect(&log);
}

HBRUSH CreatePatternBrush(HBITMAP Pattern) {
  if (Pattern == nullptr)
    return nullptr;
  auto* b = new TBrushObject;
  b->Log.lbStyle = BS_PATTERN;
  b->PatternMono = Pattern->BitCount == 1;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const int px = x % Pattern->Width;
      const int py = y % Pattern->Height;
      b->Pattern[y][x] = b->PatternMono ? Pattern->Raw(px, py) : Pattern->PixelColor(px, py);
    }
  return b;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* Brush) {
  if (Brush == nullptr || Brush->lbStyle > BS_HATCHED)
    return nullptr;
  if (Brush->lbStyle == BS_HATCHED &&
      (Brush->lbHatch < HS_HORIZONTAL || Brush->lbHatch > HS_DIAGCROSS))
    return nullptr;
  auto* b = new TBrushObject;
  b->Log = *Brush;
  b->Log.lbColor &= 0xFFFFFF;
  return b;
}

HFONT CreateFontIndirect(const LOGFONT* Font) {
  if (Font == nullptr)
    return nullptr;
  auto* f = new TFontObject;
  f->Log = *Font;
  f->Log.lfFaceName[LF_FACESIZE - 1] = '\0';
  return f;
}

// ---------------------------------------------------------------------------
// System colours and the screen

COLORREF GetSysColor(int Index) {
  static const COLORREF table[COLOR_COUNT] = {
      RGB(192, 192, 192), // scroll bar
      RGB(0, 128, 128),   // desktop
      RGB(0, 0, 128),     // active caption
      RGB(128, 128, 128), // inactive caption
      RGB(192, 192, 192), // menu
      RGB(255, 255, 255), // window
      RGB(0, 0, 0),       // window frame
      RGB(0, 0, 0),       // menu text
      RGB(0, 0, 0),       // window text
      RGB(255, 255, 255), // caption text
      RGB(192, 192, 192), // active border
      RGB(192, 192, 192), // inactive border
      RGB(128, 128, 128), // application workspace
      RGB(0, 0, 128),     // highlight
      RGB(255, 255, 255), // highlight text
      RGB(192, 192, 192), // button face
      RGB(128, 128, 128), // button shadow
      RGB(128, 128, 128), // grey text
      RGB(0, 0, 0),       // button text
      RGB(192, 192, 192), // inactive caption text
      RGB(255, 255, 255), // button highlight
      RGB(64, 64, 64),    // 3-D dark shadow
      RGB(223, 223, 223), // 3-D light
      RGB(0, 0, 0),       // tooltip text
      RGB(255, 255, 225), // tooltip background
  };
  return Index >= 0 && Index < COLOR_COUNT ? table[Index] : 0;
}

namespace {
int screenDepth = 32;
}

int GfxScreenDepth() {
  return screenDepth;
}

void GfxSetScreenDepth(int BitsPerPixel) {
  screenDepth = BitsPerPixel;
}

// ---------------------------------------------------------------------------
// Palettes

HPALETTE CreatePalette(const LOGPALETTE* Palette) {
  if (Palette == nullptr || Palette->palVersion != 0x300 || Palette->palNumEntries == 0)
    return nullptr;
  auto* p = new TPaletteObject;
  p->Entries.assign(Palette->palPalEntry, Palette->palPalEntry + Palette->palNumEntries);
  return p;
}

HPALETTE CreateHalftonePalette(HDC) {
  auto* p = new TPaletteObject;
  for (const RGBQUAD& q : HalftonePaletteColors())
    p->Entries.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
  return p;
}

UINT GetPaletteEntries(HPALETTE Palette, UINT Start, UINT Count, PALETTEENTRY* Entries) {
  if (Palette == nullptr)
    return 0;
  const UINT size = static_cast<UINT>(Palette->Entries.size());
  if (Entries == nullptr)
    return size;
  if (Start >= size)
    return 0;
  Count = std::min(Count, size - Start);
  std::copy_n(Palette->Entries.begin() + Start, Count, Entries);
  return Count;
}

UINT SetPaletteEntries(HPALETTE Palette, UINT Start, UINT Count, const PALETTEENTRY* Entries) {
  if (Palette == nullptr || Palette->Stock || Entries == nullptr)
    return 0;
  const UINT size = static_cast<UINT>(Palette->Entries.size());
  if (Start >= size)
    return 0;
  Count = std::min(Count, size - Start);
  std::copy_n(Entries, Count, Palette->Entries.begin() + Start);
  return Count;
}

UINT GetNearestPaletteIndex(HPALETTE Palette, COLORREF Color) {
  if (Palette == nullptr)
    return CLR_INVALID;
  std::vector<RGBQUAD> colors;
  for (const PALETTEENTRY& e : Palette->Entries)
    colors.push_back({e.peBlue, e.peGreen, e.peRed, 0});
  return NearestColorIndex(colors, Color);
}

HPALETTE SelectPalette(HDC DC, HPALETTE Palette, BOOL) {
  return static_cast<HPALETTE>(SelectObject(DC, Palette));
}

UINT RealizePalette(HDC DC) {
  // Every surface here holds true colours: nothing needs mapping.
  return DC != nullptr ? static_cast<UINT>(DC->State.Palette->Entries.size()) : 0;
}

UINT GetSystemPaletteEntries(HDC, UINT Start, UINT Count, PALETTEENTRY* Entries) {
  const std::vector<RGBQUAD> colors = HalftonePaletteColors();
  const UINT size = 256;
  if (Entries == nullptr)
    return size;
  UINT n = 0;
  for (UINT i = Start; i < size && n < Count; ++i, ++n) {
    const RGBQUAD q = i < colors.size() ? colors[i] : RGBQUAD{};
    Entries[n] = {q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
  }
  return n;
}
