#include "skin/Eputils.h"

#include "platform/ui/Forms.h"

#include <algorithm>
#include <cstring>

static_assert(sizeof(RGNDATAHEADER) == 32 && sizeof(RECT) == 16, "region data layout");

// ---------------------------------------------------------------- colours and points

namespace {

uint8_t ChangeByte(uint8_t c, int8_t d) {
  if (d >= 0)
    return static_cast<uint8_t>(std::min(255, c + d));
  return -d < c ? static_cast<uint8_t>(c + d) : 0;
}

} // namespace

TColor RGBChange(TColor Color, int8_t DR, int8_t DG, int8_t DB) {
  const auto c = static_cast<uint32_t>(Color);
  const uint32_t r = ChangeByte(static_cast<uint8_t>(c), DR);
  const uint32_t g = ChangeByte(static_cast<uint8_t>(c >> 8), DG);
  const uint32_t b = ChangeByte(static_cast<uint8_t>(c >> 16), DB);
  return static_cast<TColor>((c & 0xFF000000u) | r | (g << 8) | (b << 16));
}

TColor MiddleColor(TColor C1, TColor C2) {
  const auto a = static_cast<COLORREF>(ColorToRGB(C1));
  const auto b = static_cast<COLORREF>(ColorToRGB(C2));
  return Compose(static_cast<uint8_t>((GetRValue(a) + GetRValue(b)) / 2),
                 static_cast<uint8_t>((GetGValue(a) + GetGValue(b)) / 2),
                 static_cast<uint8_t>((GetBValue(a) + GetBValue(b)) / 2));
}

TColor Compose(uint8_t R, uint8_t G, uint8_t B) {
  return static_cast<TColor>(RGB(R, G, B));
}

int Max(int A, int B) {
  return A > B ? A : B;
}

int Min(int A, int B) {
  return A < B ? A : B;
}

bool PointInRect(TPoint P, const TRect& R) {
  return P.X >= R.Left && P.X <= R.Right && P.Y >= R.Top && P.Y <= R.Bottom;
}

// ---------------------------------------------------------------- TFBitmap

TFBitmap::TFBitmap(HBITMAP Bitmap) {
  bitmapInfo = BITMAPINFO{};
  BITMAP description;
  if (Bitmap == nullptr || GetObject(Bitmap, sizeof(description), &description) == 0)
    return;
  BITMAPINFOHEADER& h = bitmapInfo.bmiHeader;
  h.biSize = 40;
  h.biWidth = description.bmWidth;
  h.biHeight = -description.bmHeight;
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biCompression = BI_RGB;
  void* section = nullptr;
  handle = CreateDIBSection(nullptr, &bitmapInfo, DIB_RGB_COLORS, &section, nullptr, 0);
  if (handle == nullptr)
    return;
  width = description.bmWidth;
  height = description.bmHeight;
  bits = static_cast<uint8_t*>(section);
  HDC screen = GetDC(nullptr);
  BITMAPINFO info = bitmapInfo;
  GetDIBits(screen, Bitmap, 0, static_cast<UINT>(height), bits, &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  Initialize();
}

void TFBitmap::Initialize() {
  gap = width % 4;
  rowInc = width * 3 + gap;
  size = rowInc * height;
  rows.resize(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[static_cast<size_t>(y)] = bits + y * rowInc;
  dc = CreateCompatibleDC(nullptr);
  oldBitmap = SelectObject(dc, handle);
}

TFBitmap::~TFBitmap() {
  if (dc != nullptr) {
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
  }
  if (handle != nullptr)
    DeleteObject(handle);
}

// ---------------------------------------------------------------- transparent drawing

namespace {

// A memory context with a bitmap of its own, both freed together.
class TScratch {
public:
  TScratch(HBITMAP Bitmap) : dc(CreateCompatibleDC(nullptr)), bitmap(Bitmap) {
    old = SelectObject(dc, bitmap);
  }
  ~TScratch() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
  HDC Dc() const { return dc; }

private:
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old = nullptr;
};

} // namespace

// The opaque pixels are cut out of a copy of the destination with the mask,
// the transparent ones blackened in a copy of the source part with the
// inverse mask, and the two ORed together: the caller's bitmap itself is
// only read.
void StretchTransparentBlt(HDC Dest, int X, int Y, int W, int H, HBITMAP Source,
                           const TRect& SourceRect, COLORREF Transparent) {
  BITMAP description;
  if (Dest == nullptr || Source == nullptr ||
      GetObject(Source, sizeof(description), &description) == 0)
    return;
  TRect part = SourceRect;
  int partWidth = std::min(SourceRect.Right, description.bmWidth) - SourceRect.Left;
  int partHeight = std::min(SourceRect.Bottom, description.bmHeight) - SourceRect.Top;
  if (partWidth == 0 || partHeight == 0) {
    part = TRect{0, 0, description.bmWidth, description.bmHeight};
    partWidth = description.bmWidth;
    partHeight = description.bmHeight;
  }
  // A part lying off the bitmap has nothing to draw.
  if (partWidth < 0 || partHeight < 0 || part.Left < 0 || part.Top < 0)
    return;
  const bool stretched = W != 0 && H != 0;
  const int targetWidth = stretched ? W : partWidth;
  const int targetHeight = stretched ? H : partHeight;

  HDC source = CreateCompatibleDC(Dest);
  HGDIOBJ oldSource = SelectObject(source, Source);
  SetMapMode(source, GetMapMode(Dest));
  {
    TScratch mask(CreateBitmap(partWidth, partHeight, 1, 1, nullptr));
    TScratch inverse(CreateBitmap(partWidth, partHeight, 1, 1, nullptr));
    TScratch work(CreateCompatibleBitmap(Dest, targetWidth, targetHeight));
    TScratch opaque(CreateCompatibleBitmap(Dest, partWidth, partHeight));

    const COLORREF oldBk = SetBkColor(source, Transparent);
    BitBlt(mask.Dc(), 0, 0, partWidth, partHeight, source, part.Left, part.Top, SRCCOPY);
    SetBkColor(source, oldBk);
    BitBlt(inverse.Dc(), 0, 0, partWidth, partHeight, mask.Dc(), 0, 0, NOTSRCCOPY);

    BitBlt(work.Dc(), 0, 0, targetWidth, targetHeight, Dest, X, Y, SRCCOPY);
    StretchBlt(work.Dc(), 0, 0, targetWidth, targetHeight, mask.Dc(), 0, 0, partWidth, partHeight,
               SRCAND);
    BitBlt(opaque.Dc(), 0, 0, partWidth, partHeight, source, part.Left, part.Top, SRCCOPY);
    BitBlt(opaque.Dc(), 0, 0, partWidth, partHeight, inverse.Dc(), 0, 0, SRCAND);
    StretchBlt(work.Dc(), 0, 0, targetWidth, targetHeight, opaque.Dc(), 0, 0, partWidth, partHeight,
               SRCPAINT);
    BitBlt(Dest, X, Y, targetWidth, targetHeight, work.Dc(), 0, 0, SRCCOPY);
  }
  SelectObject(source, oldSource);
  DeleteDC(source);
}

void DrawTransparentPart(TCanvas* Canvas, int X, int Y, int W, int H, const TRect& SourceRect,
                         TBitmap* Bitmap, TColor Color, bool TakeDefault) {
  if (Canvas == nullptr || Bitmap == nullptr || Bitmap->Empty())
    return;
  TBitmap copy;
  copy.Assign(Bitmap);
  if (Color == clNone) {
    const bool empty = SourceRect.Right <= SourceRect.Left || SourceRect.Bottom <= SourceRect.Top;
    const TRect part = empty ? TRect{0, 0, copy.Width(), copy.Height()} : SourceRect;
    HDC from = copy.Canvas()->Handle();
    if (W != 0 && H != 0)
      StretchBlt(Canvas->Handle(), X, Y, W, H, from, part.Left, part.Top, part.Width(),
                 part.Height(), SRCCOPY);
    else
      BitBlt(Canvas->Handle(), X, Y, part.Width(), part.Height(), from, part.Left, part.Top,
             SRCCOPY);
    return;
  }
  if (TakeDefault && Color == clDefault)
    Color = copy.Canvas()->Pixels(0, copy.Height() - 1);
  const TColor rgb = ColorToRGB(Color & ~clPaletteRelative);
  StretchTransparentBlt(Canvas->Handle(), X, Y, W, H, copy.Handle(), SourceRect,
                        static_cast<COLORREF>(rgb));
}

void DrawBitmapRect(TCanvas* Canvas, int X, int Y, TBitmap* Bitmap, const TRect& R) {
  if (Canvas == nullptr || Bitmap == nullptr || Bitmap->Empty())
    return;
  Canvas->CopyRect(Bounds(X, Y, R.Width(), R.Height()), Bitmap->Canvas(), R);
}

namespace Eputils {
void DrawBitmapTransparent(TCanvas* Canvas, int X, int Y, TBitmap* Bitmap, TColor Color) {
  DrawTransparentPart(Canvas, X, Y, 0, 0, TRect{}, Bitmap, Color, false);
}
} // namespace Eputils

// ---------------------------------------------------------------- regions

int MakeRegionData(const std::vector<RECT>& Runs, int Width, int Height,
                   std::unique_ptr<uint8_t[]>& Data) {
  const size_t bytes = sizeof(RGNDATAHEADER) + Runs.size() * sizeof(RECT);
  Data = std::make_unique<uint8_t[]>(bytes);
  RGNDATAHEADER header;
  header.dwSize = sizeof(RGNDATAHEADER);
  header.iType = RDH_RECTANGLES;
  header.nCount = static_cast<DWORD>(Runs.size());
  header.nRgnSize = 0;
  header.rcBound = RECT{0, 0, Width, Height};
  std::memcpy(Data.get(), &header, sizeof header);
  if (!Runs.empty())
    std::memcpy(Data.get() + sizeof header, Runs.data(), Runs.size() * sizeof(RECT));
  return static_cast<int>(bytes);
}

// Runs are kept however many there are: a detailed mask keeps its whole shape.
int CreateRgnFromBmp(TBitmap* Mask, std::unique_ptr<uint8_t[]>& Data) {
  Data.reset();
  if (Mask == nullptr || Mask->Empty())
    return 0;
  const TFBitmap scan(Mask->Handle());
  if (scan.Bits() == nullptr)
    return 0;
  std::vector<RECT> runs;
  const int width = scan.Width();
  for (int y = 0; y < scan.Height(); ++y) {
    const uint8_t* row = scan.Row(y);
    auto black = [row](int x) { return row[x * 3] + row[x * 3 + 1] + row[x * 3 + 2] == 0; };
    int x = 0;
    while (x < width) {
      if (!black(x)) {
        ++x;
        continue;
      }
      int end = x;
      while (end < width && black(end))
        ++end;
      runs.push_back(RECT{x, y, end, y + 1});
      x = end;
    }
  }
  return MakeRegionData(runs, width, scan.Height(), Data);
}

// ---------------------------------------------------------------- pixels

void Blur(TBitmap* Source, TBitmap* Dest, int Amount) {
  if (Source == nullptr || Dest == nullptr || Source->Empty())
    return;
  TCanvas* from = Source->Canvas();
  TCanvas* to = Dest->Canvas();
  const int width = Source->Width(), height = Source->Height();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      TColor c = from->Pixels(x, y);
      for (int dx = std::max(-Amount, -x); dx <= Amount && x + dx < width; ++dx)
        for (int dy = std::max(-Amount, -y); dy <= Amount && y + dy < height; ++dy)
          c = MiddleColor(c, from->Pixels(x + dx, y + dy));
      to->SetPixels(x, y, c);
      if (Application != nullptr)
        Application->ProcessMessages();
    }
}

namespace {

// Fills Info's header from the bitmap, in its own depth.
void DescribeBitmap(HBITMAP Bitmap, BITMAPINFO& Info) {
  BITMAP description;
  if (Bitmap == nullptr || GetObject(Bitmap, sizeof(description), &description) == 0)
    throw EInvalidGraphic("Invalid Bitmap");
  BITMAPINFOHEADER& h = Info.bmiHeader;
  h = BITMAPINFOHEADER{};
  h.biSize = 40;
  h.biWidth = description.bmWidth;
  h.biHeight = description.bmHeight;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(description.bmBitsPixel * description.bmPlanes);
  h.biCompression = BI_RGB;
  const int rowBytes = ((description.bmWidth * h.biBitCount + 31) / 32) * 32 / 8;
  h.biSizeImage = static_cast<DWORD>(rowBytes * description.bmHeight);
}

// Runs Work on a screen context with Palette selected and realised.
template <typename TWork> int WithPalette(HPALETTE Palette, TWork Work) {
  HDC dc = GetDC(nullptr);
  HPALETTE old = Palette != nullptr ? SelectPalette(dc, Palette, false) : nullptr;
  if (Palette != nullptr)
    RealizePalette(dc);
  const int result = Work(dc);
  if (old != nullptr)
    SelectPalette(dc, old, false);
  ReleaseDC(nullptr, dc);
  return result;
}

} // namespace

bool GetDIB(HBITMAP Bitmap, HPALETTE Palette, BITMAPINFO& Info, void* Bits) {
  DescribeBitmap(Bitmap, Info);
  const auto lines = static_cast<UINT>(Info.bmiHeader.biHeight);
  return WithPalette(Palette, [&](HDC dc) {
           return GetDIBits(dc, Bitmap, 0, lines, Bits, &Info, DIB_RGB_COLORS);
         }) != 0;
}

bool SetDIB(HBITMAP Bitmap, HPALETTE Palette, BITMAPINFO& Info, const void* Bits) {
  DescribeBitmap(Bitmap, Info);
  const auto lines = static_cast<UINT>(Info.bmiHeader.biHeight);
  return WithPalette(Palette, [&](HDC dc) {
           return SetDIBits(dc, Bitmap, 0, lines, Bits, &Info, DIB_RGB_COLORS);
         }) != 0;
}

// ---------------------------------------------------------------- TBits

void TBits::SetSize(int Value) {
  if (Value < 0)
    return;
  const size_t count = (static_cast<size_t>(Value) + 31) / 32;
  words.resize(count, 0);
  // Bits dropped by shrinking come back clear when the array grows again.
  if (Value % 32 != 0 && !words.empty())
    words.back() &= (1u << (Value % 32)) - 1;
  size = Value;
}

void TBits::SetBit(int Index, bool Value) {
  if (Index < 0)
    return;
  if (Index >= size)
    SetSize(Index + 1);
  uint32_t& word = words[static_cast<size_t>(Index) / 32];
  const uint32_t mask = 1u << (Index % 32);
  word = Value ? word | mask : word & ~mask;
}

bool TBits::GetBit(int Index) const {
  if (Index < 0 || Index >= size)
    return false;
  return (words[static_cast<size_t>(Index) / 32] >> (Index % 32)) & 1u;
}

int TBits::OpenBit() const {
  for (int i = 0; i < size; ++i)
    if (!GetBit(i))
      return i;
  return size;
}
