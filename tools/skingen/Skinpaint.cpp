#include "tools/skingen/Skinpaint.h"

#include "platform/rtl/Streams.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace {

constexpr int kSamples = 4;

uint8_t ToByte(double V) {
  return static_cast<uint8_t>(std::clamp(std::lround(V * 255.0), 0L, 255L));
}

} // namespace

TRgb Rgb(uint32_t Hex) {
  return TRgb{((Hex >> 16) & 255) / 255.0, ((Hex >> 8) & 255) / 255.0, (Hex & 255) / 255.0};
}

TRgb Mix(TRgb A, TRgb B, double T) {
  return TRgb{A.R + (B.R - A.R) * T, A.G + (B.G - A.G) * T, A.B + (B.B - A.B) * T};
}

TRgb Shade(TRgb Color, double Amount) {
  return Amount >= 0 ? Mix(Color, TRgb{1, 1, 1}, Amount) : Mix(Color, TRgb{0, 0, 0}, -Amount);
}

TColor ToColor(TRgb Color) {
  return static_cast<TColor>(ToByte(Color.R) | ToByte(Color.G) << 8 | ToByte(Color.B) << 16);
}

TInside Box(double Left, double Top, double Right, double Bottom) {
  return [=](double X, double Y) { return X >= Left && X < Right && Y >= Top && Y < Bottom; };
}

TInside RoundBox(double Left, double Top, double Right, double Bottom, double Radius) {
  return [=](double X, double Y) {
    if (X < Left || X >= Right || Y < Top || Y >= Bottom)
      return false;
    const double cx = std::clamp(X, Left + Radius, Right - Radius);
    const double cy = std::clamp(Y, Top + Radius, Bottom - Radius);
    const double dx = X - cx, dy = Y - cy;
    return dx * dx + dy * dy <= Radius * Radius;
  };
}

TInside Disc(double X0, double Y0, double Radius) {
  return [=](double X, double Y) {
    const double dx = X - X0, dy = Y - Y0;
    return dx * dx + dy * dy <= Radius * Radius;
  };
}

TInside Ring(double X0, double Y0, double Outer, double Inner) {
  return [=](double X, double Y) {
    const double d = (X - X0) * (X - X0) + (Y - Y0) * (Y - Y0);
    return d <= Outer * Outer && d > Inner * Inner;
  };
}

TInside Stroke(double X1, double Y1, double X2, double Y2, double Width) {
  const double dx = X2 - X1, dy = Y2 - Y1;
  const double length = std::sqrt(dx * dx + dy * dy);
  const double ux = dx / length, uy = dy / length;
  return [=](double X, double Y) {
    const double along = (X - X1) * ux + (Y - Y1) * uy;
    const double across = -(X - X1) * uy + (Y - Y1) * ux;
    return along >= 0 && along <= length && std::abs(across) <= Width / 2;
  };
}

TInside Polygon(std::vector<std::pair<double, double>> Points) {
  return [Points = std::move(Points)](double X, double Y) {
    bool inside = false;
    for (std::size_t i = 0, j = Points.size() - 1; i < Points.size(); j = i++) {
      const auto [xi, yi] = Points[i];
      const auto [xj, yj] = Points[j];
      if ((yi > Y) != (yj > Y) && X < (xj - xi) * (Y - yi) / (yj - yi) + xi)
        inside = !inside;
    }
    return inside;
  };
}

TInside Union(std::vector<TInside> Shapes) {
  return [Shapes = std::move(Shapes)](double X, double Y) {
    return std::any_of(Shapes.begin(), Shapes.end(), [&](const TInside& s) { return s(X, Y); });
  };
}

TInside Minus(TInside Shape, TInside Hole) {
  return [=](double X, double Y) { return Shape(X, Y) && !Hole(X, Y); };
}

TInside Moved(TInside Shape, double DX, double DY) {
  return [=](double X, double Y) { return Shape(X - DX, Y - DY); };
}

TInside Crisp(TInside Shape) {
  return [Shape](double X, double Y) { return Shape(std::floor(X) + 0.5, std::floor(Y) + 0.5); };
}

TSkinCanvas::TSkinCanvas(int Width, int Height, TRgb Fill)
    : width(Width), height(Height), pixels(static_cast<std::size_t>(Width) * Height, Fill) {}

void TSkinCanvas::SetPixel(int X, int Y, TRgb Color) {
  if (X >= 0 && Y >= 0 && X < width && Y < height)
    pixels[Index(X, Y)] = Color;
}

void TSkinCanvas::Fill(const TInside& Shape, TRgb Color, double Alpha) {
  Fill(Shape, Color, Alpha, 0, 0, width, height);
}

void TSkinCanvas::Fill(const TInside& Shape, TRgb Color, double Alpha, int Left, int Top, int Right,
                       int Bottom) {
  Left = std::max(Left, 0);
  Top = std::max(Top, 0);
  Right = std::min(Right, width);
  Bottom = std::min(Bottom, height);
  for (int y = Top; y < Bottom; ++y)
    for (int x = Left; x < Right; ++x) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx)
          hits += Shape(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples) ? 1 : 0;
      if (hits > 0)
        pixels[Index(x, y)] = Mix(pixels[Index(x, y)], Color, Alpha * hits / (kSamples * kSamples));
    }
}

void TSkinCanvas::FillGradient(const TInside& Shape, int Top, int Bottom, TRgb First, TRgb Last) {
  for (int y = Top; y < Bottom; ++y)
    Fill(Shape, Mix(First, Last, Bottom - Top > 1 ? double(y - Top) / (Bottom - Top - 1) : 0), 1, 0,
         y, width, y + 1);
}

void TSkinCanvas::FillRect(int Left, int Top, int Right, int Bottom, TRgb Color) {
  Blend(Left, Top, Right, Bottom, Color, 1);
}

void TSkinCanvas::Blend(int Left, int Top, int Right, int Bottom, TRgb Color, double Alpha) {
  for (int y = std::max(Top, 0); y < std::min(Bottom, height); ++y)
    for (int x = std::max(Left, 0); x < std::min(Right, width); ++x)
      pixels[Index(x, y)] = Mix(pixels[Index(x, y)], Color, Alpha);
}

void TSkinCanvas::VerticalGradient(int Left, int Top, int Right, int Bottom, TRgb First,
                                   TRgb Last) {
  const int rows = Bottom - Top;
  for (int y = Top; y < Bottom; ++y)
    FillRect(Left, y, Right, y + 1, Mix(First, Last, rows > 1 ? double(y - Top) / (rows - 1) : 0));
}

void TSkinCanvas::Bevel(int Left, int Top, int Right, int Bottom, TRgb Light, TRgb Dark) {
  FillRect(Left, Top, Right, Top + 1, Light);
  FillRect(Left, Top, Left + 1, Bottom, Light);
  FillRect(Left, Bottom - 1, Right, Bottom, Dark);
  FillRect(Right - 1, Top + 1, Right, Bottom, Dark);
}

void TSkinCanvas::Draw(const TSkinCanvas& Source, int X, int Y) {
  for (int y = 0; y < Source.height; ++y)
    for (int x = 0; x < Source.width; ++x)
      SetPixel(X + x, Y + y, Source.Pixel(x, y));
}

TSkinCanvas TSkinCanvas::Crop(int Left, int Top, int Width, int Height) const {
  TSkinCanvas out(Width, Height, TRgb{});
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      out.SetPixel(x, y,
                   Pixel(std::clamp(Left + x, 0, width - 1), std::clamp(Top + y, 0, height - 1)));
  return out;
}

TSkinCanvas TSkinCanvas::Scaled(int Factor) const {
  TSkinCanvas out(width * Factor, height * Factor, TRgb{});
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      out.pixels[out.Index(x, y)] = Pixel(x / Factor, y / Factor);
  return out;
}

namespace {

using TBgr = std::array<uint8_t, 3>;

TBgr Bytes(TRgb Color) {
  return TBgr{ToByte(Color.B), ToByte(Color.G), ToByte(Color.R)};
}

int RowBytes(int Width, int Bits) {
  return (Width * Bits + 31) / 32 * 4;
}

// Each colour once, in the order the rows first show them; empty when there
// are more than 256.
std::vector<TBgr> ColourTable(const std::vector<std::vector<TBgr>>& Rows) {
  std::vector<TBgr> table;
  std::map<TBgr, int> seen;
  for (const auto& row : Rows)
    for (const TBgr& c : row)
      if (seen.emplace(c, static_cast<int>(table.size())).second) {
        table.push_back(c);
        if (table.size() > 256)
          return {};
      }
  return table;
}

void SetColourTable(TBitmap& Bitmap, const std::vector<TBgr>& Table) {
  std::vector<uint8_t> memory(sizeof(LOGPALETTE) + Table.size() * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(memory.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(Table.size());
  for (std::size_t i = 0; i < Table.size(); ++i)
    palette->palPalEntry[i] = PALETTEENTRY{Table[i][2], Table[i][1], Table[i][0], 0};
  HPALETTE handle = CreatePalette(palette);
  Bitmap.SetPalette(handle);
  DeleteObject(handle);
}

} // namespace

// A picture of few colours (flat skins) is stored with a colour table when
// that makes it smaller.
std::unique_ptr<TBitmap> TSkinCanvas::ToBitmap() const {
  std::vector<std::vector<TBgr>> rows(height, std::vector<TBgr>(width));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rows[y][x] = Bytes(Pixel(x, y));
  const std::vector<TBgr> table = ColourTable(rows);
  const bool indexed =
      !table.empty() && 4 * static_cast<int>(table.size()) + height * RowBytes(width, 8) <
                            height * RowBytes(width, 24);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(indexed ? pf8bit : pf24bit);
  bitmap->SetSize(width, height);
  if (indexed)
    SetColourTable(*bitmap, table);
  std::map<TBgr, uint8_t> index;
  for (std::size_t i = 0; i < table.size(); ++i)
    index[table[i]] = static_cast<uint8_t>(i);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
    for (int x = 0; x < width; ++x)
      if (indexed)
        row[x] = index[rows[y][x]];
      else
        std::copy(rows[y][x].begin(), rows[y][x].end(), row + 3 * x);
  }
  return bitmap;
}

std::unique_ptr<TBitmap> MaskBitmap(int Width, int Height, const TInside& Inside) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf1bit);
  bitmap->SetSize(Width, Height);
  TCanvas* canvas = bitmap->Canvas();
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      canvas->SetPixels(x, y, Inside(x + 0.5, y + 0.5) ? clBlack : clWhite);
  return bitmap;
}

std::vector<uint8_t> BmpBytes(TBitmap& Bitmap) {
  TMemoryStream stream;
  Bitmap.SaveToStream(&stream);
  return std::vector<uint8_t>(stream.Memory(), stream.Memory() + stream.Size());
}
