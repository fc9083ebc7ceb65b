#pragma once
// The generator's own pixel canvas: colours in floating point, shapes given
// as inside tests and covered by 4 x 4 samples per pixel, so that edges on
// whole pixels stay crisp and slanted edges are smoothed. Everything is
// plain arithmetic, so the same program makes the same bytes every run.
#include "platform/gfx/Graphics.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct TRgb {
  double R = 0, G = 0, B = 0;
};

// 0xRRGGBB.
TRgb Rgb(uint32_t Hex);
TRgb Mix(TRgb A, TRgb B, double T);
// Lighter (Amount > 0) or darker (Amount < 0) by a share of the way to
// white or black.
TRgb Shade(TRgb Color, double Amount);
// The library's colour value (0x00BBGGRR) of a colour, rounded.
TColor ToColor(TRgb Color);

// True where a point (in pixel units, pixel X covering X..X+1) is inside.
using TInside = std::function<bool(double X, double Y)>;

TInside Box(double Left, double Top, double Right, double Bottom);
TInside RoundBox(double Left, double Top, double Right, double Bottom, double Radius);
TInside Disc(double X, double Y, double Radius);
TInside Ring(double X, double Y, double Outer, double Inner);
// A stroke of the given width along a segment, with flat ends.
TInside Stroke(double X1, double Y1, double X2, double Y2, double Width);
// A closed polygon, by the even-odd rule.
TInside Polygon(std::vector<std::pair<double, double>> Points);
TInside Union(std::vector<TInside> Shapes);
TInside Minus(TInside Shape, TInside Hole);
TInside Moved(TInside Shape, double DX, double DY);
// Only the pixel's centre counts: an edge that a transparent drawing keys
// out, or that must meet a one-bit mask, does not blend.
TInside Crisp(TInside Shape);

class TSkinCanvas {
public:
  TSkinCanvas() = default;
  TSkinCanvas(int Width, int Height, TRgb Fill);

  int Width() const { return width; }
  int Height() const { return height; }
  TRgb Pixel(int X, int Y) const { return pixels[Index(X, Y)]; }
  void SetPixel(int X, int Y, TRgb Color);

  // Blends Color over every pixel by the share of its samples inside Shape
  // (times Alpha), within the rectangle Left..Right, Top..Bottom.
  void Fill(const TInside& Shape, TRgb Color, double Alpha = 1);
  void Fill(const TInside& Shape, TRgb Color, double Alpha, int Left, int Top, int Right,
            int Bottom);
  // Shape filled row by row from First (row Top) to Last (row Bottom - 1).
  void FillGradient(const TInside& Shape, int Top, int Bottom, TRgb First, TRgb Last);
  // Whole pixels, no blending.
  void FillRect(int Left, int Top, int Right, int Bottom, TRgb Color);
  void Blend(int Left, int Top, int Right, int Bottom, TRgb Color, double Alpha);
  // Rows from Top to Bottom - 1 going from the one colour to the other.
  void VerticalGradient(int Left, int Top, int Right, int Bottom, TRgb First, TRgb Last);
  // A one-pixel frame: Light on the top and left, Dark on the bottom and right.
  void Bevel(int Left, int Top, int Right, int Bottom, TRgb Light, TRgb Dark);
  void Draw(const TSkinCanvas& Source, int X, int Y);
  TSkinCanvas Crop(int Left, int Top, int Width, int Height) const;
  // Each pixel repeated Factor times each way.
  TSkinCanvas Scaled(int Factor) const;

  // A 24-bit bitmap of the pixels, rounded to bytes.
  std::unique_ptr<TBitmap> ToBitmap() const;

private:
  std::size_t Index(int X, int Y) const { return static_cast<std::size_t>(Y) * width + X; }

  int width = 0;
  int height = 0;
  std::vector<TRgb> pixels;
};

// A one-bit bitmap: black where Inside holds at the pixel's centre, white
// elsewhere (the form of a window mask).
std::unique_ptr<TBitmap> MaskBitmap(int Width, int Height, const TInside& Inside);
// The BMP file image of a bitmap.
std::vector<uint8_t> BmpBytes(TBitmap& Bitmap);
