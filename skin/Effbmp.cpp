#include "skin/Effbmp.h"

#include "platform/ui/Typinfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Stored layouts name the gradient kinds of the controls that use them.
[[maybe_unused]] const bool gradKindIdents = RegisterEnum<TGradKind>({{"gdRight", gdRight},
                                                                      {"gdLeft", gdLeft},
                                                                      {"gdTop", gdTop},
                                                                      {"gdBottom", gdBottom},
                                                                      {"gdVCenter", gdVCenter},
                                                                      {"gdHCenter", gdHCenter}});

uint8_t ClampByte(long value) {
  return static_cast<uint8_t>(std::clamp<long>(value, 0, 255));
}

// Ties go to the even neighbour, as everywhere in these effects.
uint8_t RoundByte(double value) {
  return ClampByte(std::lrint(value));
}

uint8_t Average(int a, int b) {
  return static_cast<uint8_t>((a + b) >> 1);
}

// A TColor as the three bytes of a pixel: blue, green, red.
struct TChannels {
  uint8_t Bytes[3];
};

TChannels ChannelsOf(TColor Color) {
  const TColor rgb = ColorToRGB(Color);
  return {{GetBValue(static_cast<COLORREF>(rgb)), GetGValue(static_cast<COLORREF>(rgb)),
           GetRValue(static_cast<COLORREF>(rgb))}};
}

// Any value that is not 0 or more (NaN included) becomes 0, 1 or more 1.
double ClampWeight(double kf) {
  if (!(kf >= 0))
    return 0;
  return std::min(kf, 1.0);
}

void BlendPixel(uint8_t* p, const uint8_t* other, double kf) {
  for (int i = 0; i < 3; ++i)
    p[i] = RoundByte((1 - kf) * p[i] + kf * other[i]);
}

// Weight k: 0 gives the colour, 1 the pixel as it was.
void GradPixel(uint8_t* p, const uint8_t* color, double k) {
  for (int i = 0; i < 3; ++i)
    p[i] = RoundByte(p[i] * k + (1 - k) * color[i]);
}

// With too few pixels for a finite step the gradient reaches the far edge at
// the next pixel already.
double GradStep(int span) {
  return span > 0 ? 1.0 / span : 1.0;
}

} // namespace

// ---------------------------------------------------------------- lifetime

TEffectBmp::TEffectBmp(int AWidth, int AHeight) {
  Create(AWidth, AHeight);
}

TEffectBmp::TEffectBmp(HBITMAP Bitmap) {
  BITMAP description;
  if (Bitmap == nullptr || GetObject(Bitmap, sizeof(description), &description) == 0) {
    Create(0, 0);
    return;
  }
  Create(description.bmWidth, description.bmHeight);
  if (bits == nullptr)
    return;
  HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
  BITMAPINFO info = bitmapInfo;
  GetDIBits(screen, Bitmap, 0, static_cast<UINT>(height), bits, &info, DIB_RGB_COLORS);
  DeleteDC(screen);
}

TEffectBmp::TEffectBmp(const TEffectBmp& Other) : TObject() {
  Create(Other.width, Other.height);
  if (bits != nullptr)
    std::memcpy(bits, Other.bits, static_cast<size_t>(size));
}

TEffectBmp::~TEffectBmp() {
  if (handle != nullptr)
    DeleteObject(handle);
}

void TEffectBmp::Create(int AWidth, int AHeight) {
  bitmapInfo = BITMAPINFO{};
  BITMAPINFOHEADER& h = bitmapInfo.bmiHeader;
  h.biSize = 40;
  h.biWidth = AWidth;
  h.biHeight = -AHeight;
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biCompression = BI_RGB;
  void* section = nullptr;
  handle = AWidth > 0 && AHeight > 0
               ? CreateDIBSection(nullptr, &bitmapInfo, DIB_RGB_COLORS, &section, nullptr, 0)
               : nullptr;
  if (handle == nullptr) {
    h.biWidth = 0;
    h.biHeight = 0;
    return;
  }
  width = AWidth;
  height = AHeight;
  size = Stride() * height;
  bits = static_cast<uint8_t*>(section);
}

bool TEffectBmp::SameSize(const TEffectBmp* Other) const {
  return Other != nullptr && Other->width == width && Other->height == height;
}

// ---------------------------------------------------------------- access

uint8_t* TEffectBmp::GetLine(int Y) const {
  return bits + Y * Stride();
}

void TEffectBmp::GetScanLine(int Y, void* Dest) const {
  std::memcpy(Dest, GetLine(Y), static_cast<size_t>(width) * 3);
}

void TEffectBmp::SetLine(int Y, const void* Src) {
  std::memcpy(GetLine(Y), Src, static_cast<size_t>(width) * 3);
}

int TEffectBmp::GetPixel(int X, int Y) const {
  const uint8_t* p = PixelAt(X, Y);
  return p[0] | (p[1] << 8) | (p[2] << 16);
}

void TEffectBmp::SetPixel(int X, int Y, int Value) {
  uint8_t* p = PixelAt(X, Y);
  p[0] = static_cast<uint8_t>(Value);
  p[1] = static_cast<uint8_t>(Value >> 8);
  p[2] = static_cast<uint8_t>(Value >> 16);
}

// ---------------------------------------------------------------- drawing

void TEffectBmp::Draw(HDC DC, int X, int Y) const {
  if (bits == nullptr)
    return;
  SetDIBitsToDevice(DC, X, Y, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                    static_cast<UINT>(height), bits, &bitmapInfo, DIB_RGB_COLORS);
}

void TEffectBmp::Stretch(HDC DC, int X, int Y, int W, int H) const {
  if (bits == nullptr)
    return;
  StretchDIBits(DC, X, Y, W, H, 0, 0, width, height, bits, &bitmapInfo, DIB_RGB_COLORS, SRCCOPY);
}

void TEffectBmp::DrawRect(HDC DC, int X, int Y, int SrcX, int SrcY, int W, int H) const {
  if (bits == nullptr)
    return;
  StretchDIBits(DC, X, Y, W, H, SrcX, SrcY, W, H, bits, &bitmapInfo, DIB_RGB_COLORS, SRCCOPY);
}

void TEffectBmp::TileDraw(HDC DC, int X, int Y, int W, int H) const {
  if (bits == nullptr || W <= 0 || H <= 0)
    return;
  HDC screen = GetDC(nullptr);
  HDC work = CreateCompatibleDC(screen);
  HBITMAP surface = CreateCompatibleBitmap(screen, W, H);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(work, surface);
  Draw(work, 0, 0);
  // Each copy doubles the covered band, so a large area takes few blits.
  int coveredWidth = std::min(width, W);
  int coveredHeight = std::min(height, H);
  while (coveredHeight < H) {
    const int band = std::min(coveredHeight, H - coveredHeight);
    BitBlt(work, 0, coveredHeight, coveredWidth, band, work, 0, 0, SRCCOPY);
    coveredHeight += band;
  }
  while (coveredWidth < W) {
    const int band = std::min(coveredWidth, W - coveredWidth);
    BitBlt(work, coveredWidth, 0, band, H, work, 0, 0, SRCCOPY);
    coveredWidth += band;
  }
  BitBlt(DC, X, Y, W, H, work, 0, 0, SRCCOPY);
  SelectObject(work, old);
  DeleteObject(surface);
  DeleteDC(work);
}

// ---------------------------------------------------------------- buffer to buffer

void TEffectBmp::Tile(TEffectBmp* Dest) const {
  if (bits == nullptr || Dest == nullptr)
    return;
  for (int y = 0; y < Dest->height; ++y)
    for (int x = 0; x < Dest->width; ++x)
      std::memcpy(Dest->PixelAt(x, y), PixelAt(x % width, y % height), 3);
}

void TEffectBmp::Resize(TEffectBmp* Dest) const {
  if (bits == nullptr || Dest == nullptr || Dest->bits == nullptr)
    return;
  const double sx = static_cast<double>(Dest->width - 1) / width;
  const double sy = static_cast<double>(Dest->height - 1) / height;
  const int spanX = static_cast<int>(sx);
  const int spanY = static_cast<int>(sy);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int value = GetPixel(x, y);
      const int left = static_cast<int>(x * sx);
      const int top = static_cast<int>(y * sy);
      for (int j = 0; j <= spanY; ++j)
        for (int i = 0; i <= spanX; ++i)
          Dest->SetPixel(left + i, top + j, value);
    }
  // The scale (size - 1) / size stops short of dest's far edge whenever dest
  // is not one more than a multiple of this size (always when shrinking);
  // the last pixels reached are carried out to the edge instead of leaving
  // dest's old pixels there.
  const int lastX = static_cast<int>((width - 1) * sx) + spanX;
  const int lastY = static_cast<int>((height - 1) * sy) + spanY;
  for (int y = 0; y <= lastY; ++y)
    for (int x = lastX + 1; x < Dest->width; ++x)
      std::memcpy(Dest->PixelAt(x, y), Dest->PixelAt(lastX, y), 3);
  for (int y = lastY + 1; y < Dest->height; ++y)
    std::memcpy(Dest->GetLine(y), Dest->GetLine(lastY), static_cast<size_t>(Dest->width) * 3);
}

void TEffectBmp::Flip() {
  for (int y = 0; y < height; ++y) {
    uint8_t* row = GetLine(y);
    for (int l = 0, r = width - 1; l < r; ++l, --r)
      std::swap_ranges(row + l * 3, row + l * 3 + 3, row + r * 3);
  }
}

void TEffectBmp::Flop() {
  const size_t bytes = static_cast<size_t>(width) * 3;
  for (int i = 0; i < height / 2; ++i)
    std::swap_ranges(GetLine(i), GetLine(i) + bytes, GetLine(height - 1 - i));
}

// Clipped to both buffers: rectangles reaching outside either change nothing
// there instead of touching memory that is not theirs.
void TEffectBmp::CopyRect(const TEffectBmp* Src, const TRect& R, int X, int Y) {
  if (Src == nullptr)
    return;
  for (int row = std::max(R.Top, 0); row <= std::min(R.Bottom, height - 1); ++row)
    for (int col = std::max(R.Left, 0); col <= std::min(R.Right, width - 1); ++col) {
      const int sx = X + col - R.Left, sy = Y + row - R.Top;
      if (sx >= 0 && sx < Src->width && sy >= 0 && sy < Src->height)
        std::memcpy(PixelAt(col, row), Src->PixelAt(sx, sy), 3);
    }
}

// ---------------------------------------------------------------- effects

void TEffectBmp::AddColorNoise(int Amount) {
  const int offset = Amount / 2;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = PixelAt(x, y);
      // Drawn red, green, blue; stored blue, green, red.
      for (int channel = 2; channel >= 0; --channel)
        p[channel] = ClampByte(p[channel] + Random(Amount) - offset);
    }
}

void TEffectBmp::AddMiddleColor(TColor Color) {
  AddMiddleColorInRect(Color, TRect{0, 0, width - 1, height - 1});
}

void TEffectBmp::AddMiddleColorInRect(TColor Color, const TRect& R) {
  const TChannels c = ChannelsOf(Color);
  for (int y = std::max(R.Top, 0); y <= std::min(R.Bottom, height - 1); ++y)
    for (int x = std::max(R.Left, 0); x <= std::min(R.Right, width - 1); ++x) {
      uint8_t* p = PixelAt(x, y);
      for (int i = 0; i < 3; ++i)
        p[i] = Average(p[i], c.Bytes[i]);
    }
}

void TEffectBmp::MiddleBMP(const TEffectBmp* Other) {
  if (!SameSize(Other))
    return;
  for (int i = 0; i < size; ++i)
    bits[i] = Average(bits[i], Other->bits[i]);
}

void TEffectBmp::Blur(int Amount) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int c = GetPixel(x, y);
      for (int dx = -Amount; dx <= Amount; ++dx)
        for (int dy = -Amount; dy <= Amount; ++dy) {
          const int nx = x + dx, ny = y + dy;
          if (nx < 0 || nx >= width || ny < 0 || ny >= height)
            continue;
          const int n = GetPixel(nx, ny);
          int mixed = 0;
          for (int shift = 0; shift < 24; shift += 8)
            mixed |= Average((c >> shift) & 0xFF, (n >> shift) & 0xFF) << shift;
          c = mixed;
        }
      SetPixel(x, y, c);
    }
}

void TEffectBmp::SplitBlur(int Amount) {
  SplitBlurWhere(Amount, nullptr);
}

void TEffectBmp::MaskSplitBlur(const TEffectBmp* Mask, int Amount) {
  if (Mask == nullptr || Mask->width != width || height > Mask->height)
    return;
  SplitBlurWhere(Amount, Mask);
}

namespace {

// The sample row or column Amount before At, or At itself near the start.
int SampleBefore(int At, int Amount, int Size) {
  const int64_t before = int64_t{At} - Amount;
  return static_cast<int>(std::clamp<int64_t>(before >= 0 ? before : At, 0, Size - 1));
}

// The sample row or column Amount after At, or the last one near the end.
int SampleAfter(int At, int Amount, int Size) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{At} + Amount, 0, Size - 1));
}

} // namespace

// The sample rows and columns are kept inside the buffer: a negative amount
// would otherwise point them past its edges.
void TEffectBmp::SplitBlurWhere(int Amount, const TEffectBmp* Mask) {
  if (Amount == 0)
    return;
  for (int y = 0; y < height; ++y) {
    const int up = SampleBefore(y, Amount, height);
    const int low = SampleAfter(y, Amount, height);
    for (int x = 0; x < width; ++x) {
      if (Mask != nullptr) {
        const uint8_t* m = Mask->PixelAt(x, y);
        if (m[0] != 0 || m[1] != 0 || m[2] != 0)
          continue;
      }
      const int a = SampleBefore(x, Amount, width);
      const int b = SampleAfter(x, Amount, width);
      uint8_t* p = PixelAt(x, y);
      for (int i = 0; i < 3; ++i)
        p[i] = static_cast<uint8_t>(
            (PixelAt(a, up)[i] + PixelAt(a, low)[i] + PixelAt(b, up)[i] + PixelAt(b, low)[i]) >> 2);
    }
  }
}

void TEffectBmp::Wave(int XDiv, int YDiv, int Ratio) {
  if (XDiv == 0 || YDiv == 0 || bits == nullptr)
    return;
  const TEffectBmp copy(*this);
  for (int x = 0; x < width; ++x)
    for (int y = 0; y < height; ++y) {
      const long sx = std::lrint(x + Ratio * std::sin(static_cast<double>(y) / YDiv));
      const long sy = std::lrint(y + Ratio * std::sin(static_cast<double>(x) / XDiv));
      SetPixel(x, y,
               copy.GetPixel(static_cast<int>(std::clamp<long>(sx, 0, width - 1)),
                             static_cast<int>(std::clamp<long>(sy, 0, height - 1))));
    }
}

template <typename TColorAt> void TEffectBmp::Gradient(TGradKind Kind, TColorAt ColorAt) {
  if (bits == nullptr)
    return;
  auto blend = [&](int x, int y, double k) { GradPixel(PixelAt(x, y), ColorAt(x, y), k); };
  auto rowRun = [&](int y, int from, int to, double step) {
    double k = 0;
    for (int x = from; from <= to ? x <= to : x >= to; x += from <= to ? 1 : -1) {
      blend(x, y, k);
      k += step;
    }
  };
  auto rowsRun = [&](int from, int to, double step) {
    double k = 0;
    for (int y = from; from <= to ? y <= to : y >= to; y += from <= to ? 1 : -1) {
      for (int x = 0; x < width; ++x)
        blend(x, y, k);
      k += step;
    }
  };
  switch (Kind) {
  case gdRight:
    for (int y = 0; y < height; ++y)
      rowRun(y, width - 1, 0, GradStep(width - 1));
    break;
  case gdLeft:
    for (int y = 0; y < height; ++y)
      rowRun(y, 0, width - 1, GradStep(width - 1));
    break;
  case gdTop:
    rowsRun(0, height - 1, GradStep(height - 1));
    break;
  case gdBottom:
    rowsRun(height - 1, 0, GradStep(height - 1));
    break;
  case gdVCenter: {
    const double step = GradStep((width - 1) / 2);
    for (int y = 0; y < height; ++y) {
      rowRun(y, width / 2, 0, step);
      if (width / 2 + 1 <= width - 1)
        rowRun(y, width / 2 + 1, width - 1, step);
    }
    break;
  }
  case gdHCenter: {
    const double step = GradStep((height - 1) / 2);
    rowsRun(height / 2, height - 1, step);
    if (height / 2 - 1 >= 0)
      rowsRun(height / 2 - 1, 0, step);
    break;
  }
  }
}

void TEffectBmp::AddGradColor(TColor Color, TGradKind Kind) {
  const TChannels c = ChannelsOf(Color);
  Gradient(Kind, [&c](int, int) { return c.Bytes; });
}

void TEffectBmp::AddGradBMP(const TEffectBmp* Other, TGradKind Kind) {
  if (!SameSize(Other))
    return;
  Gradient(Kind, [Other](int x, int y) { return Other->PixelAt(x, y); });
}

void TEffectBmp::Morph(const TEffectBmp* Other, double Kf) {
  if (!SameSize(Other))
    return;
  MorphRect(Other, Kf, TRect{0, 0, width - 1, height - 1}, 0, 0);
}

// Clipped like CopyRect.
void TEffectBmp::MorphRect(const TEffectBmp* Other, double Kf, const TRect& R, int X, int Y) {
  if (Other == nullptr)
    return;
  const double kf = ClampWeight(Kf);
  for (int row = std::max(R.Top, 0); row <= std::min(R.Bottom, height - 1); ++row)
    for (int col = std::max(R.Left, 0); col <= std::min(R.Right, width - 1); ++col) {
      const int sx = X + col - R.Left, sy = Y + row - R.Top;
      if (sx >= 0 && sx < Other->width && sy >= 0 && sy < Other->height)
        BlendPixel(PixelAt(col, row), Other->PixelAt(sx, sy), kf);
    }
}
