#include "platform/gfx/Raster.h"

#include "platform/gfx/Backend.h"
#include "platform/gfx/ScreenText.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>

// ---------------------------------------------------------------------------
// Raster operations

bool RopUsesSource(DWORD Rop) {
  const uint32_t r = (Rop >> 16) & 0xFF;
  return (((r >> 2) ^ r) & 0x33) != 0;
}

bool RopUsesPattern(DWORD Rop) {
  const uint32_t r = (Rop >> 16) & 0xFF;
  return (((r >> 4) ^ r) & 0x0F) != 0;
}

uint32_t ApplyRop3(DWORD Rop, uint32_t p, uint32_t s, uint32_t d) {
  switch (Rop) {
  case SRCCOPY:
    return s;
  case SRCAND:
    return s & d;
  case SRCPAINT:
    return s | d;
  case SRCINVERT:
    return s ^ d;
  case NOTSRCCOPY:
    return ~s;
  case PATCOPY:
    return p;
  case PATINVERT:
    return p ^ d;
  case DSTINVERT:
    return ~d;
  default:
    break;
  }
  // Bit i of the operation's code is the result for pattern, source and
  // destination bits (i >> 2, i >> 1, i) & 1.
  const uint32_t code = (Rop >> 16) & 0xFF;
  uint32_t result = 0;
  for (int i = 0; i < 8; ++i)
    if ((code >> i) & 1)
      result |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  return result;
}

uint32_t ApplyRop2(int Rop2, uint32_t pen, uint32_t d) {
  if (Rop2 == R2_COPYPEN)
    return pen;
  // Code - 1 is the truth table over (pen, destination) bits.
  const int code = std::clamp(Rop2, int{R2_BLACK}, int{R2_WHITE}) - 1;
  uint32_t result = 0;
  for (int i = 0; i < 4; ++i)
    if ((code >> i) & 1)
      result |= ((i & 2) ? pen : ~pen) & ((i & 1) ? d : ~d);
  return result;
}

namespace {

int PositiveMod(int a, int m) {
  const int r = a % m;
  return r < 0 ? r + m : r;
}

bool HatchBit(int hatch, int x, int y) {
  switch (hatch) {
  case HS_HORIZONTAL:
    return y == 7;
  case HS_VERTICAL:
    return x == 7;
  case HS_FDIAGONAL:
    return x == y;
  case HS_BDIAGONAL:
    return x + y == 7;
  case HS_CROSS:
    return x == 7 || y == 7;
  case HS_DIAGCROSS:
    return x == y || x + y == 7;
  default:
    return false;
  }
}

// The brush's raw value at a device pixel of dc's surface; false where the
// brush leaves the pixel alone (null brush, transparent hatch background).
bool BrushRaw(const TDeviceContext* dc, const TBrushObject* brush, int x, int y, uint32_t& raw) {
  const TBitmapObject* dest = dc->State.Bitmap;
  const UINT style = brush != nullptr ? brush->Log.lbStyle : BS_NULL;
  if (style == BS_NULL)
    return false;
  if (style == BS_SOLID) {
    raw = dest->RawOf(brush->Log.lbColor);
    return true;
  }
  const int px = PositiveMod(x - dc->State.BrushOrg.x, 8);
  const int py = PositiveMod(y - dc->State.BrushOrg.y, 8);
  if (style == BS_HATCHED) {
    if (HatchBit(static_cast<int>(brush->Log.lbHatch), px, py)) {
      raw = dest->RawOf(brush->Log.lbColor);
      return true;
    }
    if (dc->State.BkMode != OPAQUE)
      return false;
    raw = dest->RawOf(dc->State.BkColor);
    return true;
  }
  const COLORREF value = brush->Pattern[py][px];
  if (!brush->PatternMono) {
    raw = dest->RawOf(value);
    return true;
  }
  raw = dest->BitCount == 1 ? value
                            : dest->RawOf(value != 0 ? dc->State.BkColor : dc->State.TextColor);
  return true;
}

// Turns a source pixel into the destination's raw value.
struct TSourceReader {
  const TBitmapObject* Source;
  const TBitmapObject* Dest;
  COLORREF SourceBk;
  COLORREF DestText;
  COLORREF DestBk;
  bool sameRaw;

  TSourceReader(const TBitmapObject* source, const TDeviceContext* dest, COLORREF sourceBk)
      : Source(source), Dest(dest->State.Bitmap), SourceBk(sourceBk & 0xFFFFFF),
        DestText(dest->State.TextColor), DestBk(dest->State.BkColor) {
    sameRaw = Source != nullptr && ((!Source->Indexed() && !Dest->Indexed()) ||
                                    (Source->BitCount == 1 && Dest->BitCount == 1) ||
                                    (Source->BitCount == Dest->BitCount &&
                                     Source->Colors.size() == Dest->Colors.size() &&
                                     std::memcmp(Source->Colors.data(), Dest->Colors.data(),
                                                 Source->Colors.size() * sizeof(RGBQUAD)) == 0));
  }

  uint32_t Read(int x, int y) const {
    const uint32_t raw = Source->Raw(x, y);
    if (sameRaw)
      return raw;
    if (Source->BitCount == 1)
      return Dest->RawOf(raw != 0 ? DestBk : DestText);
    const COLORREF color = Source->ColorOf(raw);
    if (Dest->BitCount == 1)
      return color == SourceBk ? 1u : 0u;
    return Dest->RawOf(color);
  }
};

struct TSpan {
  int first;  // first pixel, device coordinates
  int length; // pixels, may be negative for a mirrored axis
};

// The clip rectangles of dc that meet a device rectangle.
std::vector<RECT> AreaWithin(const TDeviceContext* dc, const RECT& r) {
  std::vector<RECT> out;
  for (const RECT& a : dc->DrawArea()) {
    RECT i;
    if (IntersectRect(&i, &a, &r))
      out.push_back(i);
  }
  return out;
}

// Normalises a rectangle given by corner and signed extent.
RECT SpanRect(int x, int y, int w, int h) {
  RECT r{x, y, x + w, y + h};
  if (r.right < r.left)
    std::swap(r.left, r.right);
  if (r.bottom < r.top)
    std::swap(r.top, r.bottom);
  return r;
}

// A blit within one bitmap reads from a copy, so that overlapping areas come
// out as if the whole source had been read before anything was written.
std::unique_ptr<TBitmapObject> SourceCopyIfSame(const TBitmapObject* Source,
                                                const TBitmapObject* Dest) {
  if (Source == nullptr || Source != Dest)
    return nullptr;
  auto copy = std::make_unique<TBitmapObject>(Source->Width, Source->Height, Source->BitCount);
  copy->Colors = Source->Colors;
  for (int y = 0; y < Source->Height; ++y)
    std::memcpy(copy->Row(y), Source->Row(y), static_cast<size_t>(Source->Stride));
  return copy;
}

} // namespace

BOOL RasterBlit(HDC Dest, int X, int Y, int Width, int Height, const TBitmapObject* Source,
                int XSrc, int YSrc, int SrcWidth, int SrcHeight, COLORREF SourceBk, DWORD Rop,
                COLORREF Transparent) {
  TBitmapObject* dest = Dest->State.Bitmap;
  if (Dest->Kind != TDeviceContext::TKind::Memory || dest == nullptr)
    return 1;
  const bool usesSource = RopUsesSource(Rop);
  if (usesSource && Source == nullptr)
    return 0;
  if (Width == 0 || Height == 0 || (usesSource && (SrcWidth == 0 || SrcHeight == 0)))
    return 1;
  const std::unique_ptr<TBitmapObject> copy = SourceCopyIfSame(usesSource ? Source : nullptr, dest);
  if (copy)
    Source = copy.get();
  const RECT target = SpanRect(Dest->DeviceX(X), Dest->DeviceY(Y), Width, Height);
  const RECT from = SpanRect(XSrc, YSrc, SrcWidth, SrcHeight);
  const int tw = target.right - target.left, th = target.bottom - target.top;
  const int fw = from.right - from.left, fh = from.bottom - from.top;
  const bool mirrorX = (Width < 0) != (SrcWidth < 0);
  const bool mirrorY = (Height < 0) != (SrcHeight < 0);
  const bool usesPattern = RopUsesPattern(Rop);
  const TBrushObject* brush = Dest->State.Brush;
  const uint32_t mask = dest->RawMask();
  const TSourceReader reader(Source, Dest, SourceBk);
  std::vector<int> columns(static_cast<size_t>(tw));
  for (int i = 0; i < tw; ++i) {
    const int k = mirrorX ? tw - 1 - i : i;
    columns[static_cast<size_t>(i)] = from.left + static_cast<int>(int64_t{k} * fw / tw);
  }
  const bool plainCopy = Rop == SRCCOPY && Transparent == CLR_INVALID && !mirrorX && !mirrorY &&
                         tw == fw && th == fh && Source->BitCount == dest->BitCount &&
                         reader.sameRaw && dest->BitCount >= 8;
  const bool solidFill = Rop == PATCOPY && brush != nullptr && brush->Log.lbStyle == BS_SOLID;
  const uint32_t fill = solidFill ? dest->RawOf(brush->Log.lbColor) : 0;
  for (const RECT& r : AreaWithin(Dest, target)) {
    if (solidFill) {
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
          dest->SetRaw(x, y, fill);
      continue;
    }
    if (plainCopy) {
      // Whole bytes of equal formats: rows are copied as they are.
      const int bytes = dest->BitCount / 8;
      const int sx = from.left + (r.left - target.left);
      const int left = std::max(0, -sx),
                right = std::min<int>(r.right - r.left, Source->Width - sx);
      for (int y = r.top; y < r.bottom && right > left; ++y) {
        const int sy = from.top + (y - target.top);
        if (sy >= 0 && sy < Source->Height)
          std::memmove(dest->Row(y) + (r.left + left) * bytes,
                       Source->Row(sy) + (sx + left) * bytes,
                       static_cast<size_t>((right - left) * bytes));
      }
      continue;
    }
    for (int y = r.top; y < r.bottom; ++y) {
      const int j = mirrorY ? th - 1 - (y - target.top) : y - target.top;
      const int sy = from.top + static_cast<int>(int64_t{j} * fh / th);
      if (usesSource && (sy < 0 || sy >= Source->Height))
        continue;
      for (int x = r.left; x < r.right; ++x) {
        uint32_t s = 0, p = 0;
        if (usesSource) {
          const int sx = columns[static_cast<size_t>(x - target.left)];
          if (sx < 0 || sx >= Source->Width)
            continue;
          if (Transparent != CLR_INVALID && Source->PixelColor(sx, sy) == Transparent)
            continue;
          s = reader.Read(sx, sy);
        }
        if (usesPattern && !BrushRaw(Dest, brush, x, y, p))
          continue;
        dest->SetRaw(x, y, ApplyRop3(Rop, p, s, dest->Raw(x, y)) & mask);
      }
    }
  }
  return 1;
}

BOOL RasterMaskBlit(HDC Dest, int X, int Y, int Width, int Height, const TBitmapObject* Source,
                    int XSrc, int YSrc, COLORREF SourceBk, const TBitmapObject* Mask, int XMask,
                    int YMask, DWORD ForeRop, DWORD BackRop) {
  TBitmapObject* dest = Dest->State.Bitmap;
  if (Dest->Kind != TDeviceContext::TKind::Memory || dest == nullptr || Width <= 0 || Height <= 0)
    return 1;
  if ((RopUsesSource(ForeRop) || RopUsesSource(BackRop)) && Source == nullptr)
    return 0;
  const std::unique_ptr<TBitmapObject> sourceCopy = SourceCopyIfSame(Source, dest);
  if (sourceCopy)
    Source = sourceCopy.get();
  const std::unique_ptr<TBitmapObject> maskCopy = SourceCopyIfSame(Mask, dest);
  if (maskCopy)
    Mask = maskCopy.get();
  const int left = Dest->DeviceX(X), top = Dest->DeviceY(Y);
  const RECT target{left, top, left + Width, top + Height};
  const TSourceReader reader(Source, Dest, SourceBk);
  const uint32_t rawMask = dest->RawMask();
  for (const RECT& r : AreaWithin(Dest, target)) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        const int mx = XMask + x - left, my = YMask + y - top;
        const bool fore =
            mx < 0 || my < 0 || mx >= Mask->Width || my >= Mask->Height || Mask->Raw(mx, my) != 0;
        const DWORD rop = fore ? ForeRop : BackRop;
        uint32_t s = 0, p = 0;
        if (RopUsesSource(rop)) {
          const int sx = XSrc + x - left, sy = YSrc + y - top;
          if (sx < 0 || sy < 0 || sx >= Source->Width || sy >= Source->Height)
            continue;
          s = reader.Read(sx, sy);
        }
        if (RopUsesPattern(rop) && !BrushRaw(Dest, Dest->State.Brush, x, y, p))
          continue;
        dest->SetRaw(x, y, ApplyRop3(rop, p, s, dest->Raw(x, y)) & rawMask);
      }
    }
  }
  return 1;
}

// ---------------------------------------------------------------------------
// Rectangle lists

namespace {

// Coordinates are held to 27 bits, as the system's regions hold them, so
// that a rectangle's width and height always fit in an int.
constexpr int kCoordinateLimit = 1 << 27;

QRegion ToQRegion(const std::vector<RECT>& rects) {
  QRegion region;
  const auto held = [](int v) { return std::clamp(v, -kCoordinateLimit, kCoordinateLimit); };
  for (const RECT& r : rects) {
    const int left = held(r.left), top = held(r.top), right = held(r.right),
              bottom = held(r.bottom);
    if (right > left && bottom > top)
      region += QRect(left, top, right - left, bottom - top);
  }
  return region;
}

std::vector<RECT> FromQRegion(const QRegion& region) {
  std::vector<RECT> rects;
  rects.reserve(static_cast<size_t>(region.rectCount()));
  for (const QRect& r : region)
    rects.push_back(RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
  return rects;
}

} // namespace

std::vector<RECT> RectsCombine(const std::vector<RECT>& A, const std::vector<RECT>& B, int Mode) {
  const QRegion a = ToQRegion(A), b = ToQRegion(B);
  switch (Mode) {
  case RGN_AND:
    return FromQRegion(a.intersected(b));
  case RGN_OR:
    return FromQRegion(a.united(b));
  case RGN_XOR:
    return FromQRegion(a.xored(b));
  case RGN_DIFF:
    return FromQRegion(a.subtracted(b));
  default:
    return FromQRegion(a);
  }
}

int RegionKind(const std::vector<RECT>& Rects) {
  return Rects.empty() ? NULLREGION : Rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT RectsBounds(const std::vector<RECT>& Rects) {
  RECT box{};
  for (const RECT& r : Rects)
    UnionRect(&box, &box, &r);
  return box;
}

// ---------------------------------------------------------------------------
// Masks: shapes rasterised in device pixels, then painted through the clip.

namespace {

struct TMask {
  RECT Bounds{};
  std::vector<uint8_t> On;

  explicit TMask(RECT bounds) : Bounds(bounds) {
    On.assign(static_cast<size_t>(std::max(0L, long{bounds.right - bounds.left}) *
                                  std::max(0L, long{bounds.bottom - bounds.top})),
              0);
  }
  int Width() const { return Bounds.right - Bounds.left; }
  bool Inside(int x, int y) const {
    return x >= Bounds.left && x < Bounds.right && y >= Bounds.top && y < Bounds.bottom;
  }
  uint8_t& At(int x, int y) {
    return On[static_cast<size_t>((y - Bounds.top) * Width() + (x - Bounds.left))];
  }
  void Set(int x, int y, uint8_t v = 1) {
    if (Inside(x, y))
      At(x, y) = v;
  }
  void FillRect(int l, int t, int r, int b) {
    for (int y = std::max(t, Bounds.top); y < std::min(b, Bounds.bottom); ++y)
      for (int x = std::max(l, Bounds.left); x < std::min(r, Bounds.right); ++x)
        At(x, y) = 1;
  }
};

// Mask bounds: the shape's box limited to where drawing may land.
RECT MaskBounds(const TDeviceContext* dc, RECT shape) {
  RECT limit = RectsBounds(dc->DrawArea());
  RECT r;
  IntersectRect(&r, &shape, &limit);
  return r;
}

using TColorAt = std::function<bool(int x, int y, uint32_t& raw)>;

// Paints the mask's pixels (value 1, or 2 for the second colour when given)
// through the clip with the binary raster operation.
void PaintMask(TDeviceContext* dc, TMask& mask, const TColorAt& color, int rop2,
               const TColorAt& second = nullptr) {
  TBitmapObject* dest = dc->State.Bitmap;
  if (dc->Kind != TDeviceContext::TKind::Memory || dest == nullptr)
    return;
  const uint32_t rawMask = dest->RawMask();
  for (const RECT& r : AreaWithin(dc, mask.Bounds))
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const uint8_t v = mask.At(x, y);
        if (v == 0)
          continue;
        uint32_t raw = 0;
        const bool draw = v == 2 && second ? second(x, y, raw) : color(x, y, raw);
        if (draw)
          dest->SetRaw(x, y, ApplyRop2(rop2, raw, dest->Raw(x, y)) & rawMask);
      }
}

TColorAt SolidColor(const TDeviceContext* dc, COLORREF color) {
  const uint32_t raw = dc->State.Bitmap->RawOf(color);
  return [raw](int, int, uint32_t& out) {
    out = raw;
    return true;
  };
}

TColorAt BrushColor(const TDeviceContext* dc, const TBrushObject* brush) {
  return [dc, brush](int x, int y, uint32_t& out) { return BrushRaw(dc, brush, x, y, out); };
}

bool Drawable(const TDeviceContext* dc) {
  return dc != nullptr && dc->Kind == TDeviceContext::TKind::Memory && dc->State.Bitmap != nullptr;
}

// Renders with QPainter into a mask image the size of the mask; pixels the
// painting covers become `value`.
void PaintWithQt(TMask& mask, const std::function<void(QPainter&)>& paint, uint8_t value = 1) {
  const int w = mask.Width(), h = mask.Bounds.bottom - mask.Bounds.top;
  if (w <= 0 || h <= 0)
    return;
  GfxEnsureBackend();
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(-mask.Bounds.left, -mask.Bounds.top);
    paint(painter);
  }
  for (int y = 0; y < h; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x)
      if (qAlpha(line[x]) >= 128)
        mask.On[static_cast<size_t>(y * w + x)] = value;
  }
}

const TPenObject* CurrentPen(const TDeviceContext* dc) {
  return dc->State.Pen;
}

int PenWidth(const TPenObject* pen) {
  return std::max(1, static_cast<int>(pen->Log.lopnWidth.x));
}

bool PenVisible(const TPenObject* pen) {
  return pen != nullptr && pen->Log.lopnStyle != PS_NULL;
}

QPen QtPen(const TPenObject* pen) {
  QPen p(Qt::white);
  p.setWidth(PenWidth(pen));
  p.setCapStyle(Qt::RoundCap);
  p.setJoinStyle(Qt::RoundJoin);
  if (PenWidth(pen) == 1)
    p.setCosmetic(true);
  return p;
}

// Dash patterns of one-pixel pens, in pixels on, off, on, off ...
const std::vector<int>& DashPattern(UINT style) {
  static const std::vector<int> solid{};
  static const std::vector<int> dash{18, 6};
  static const std::vector<int> dot{3, 3};
  static const std::vector<int> dashDot{9, 6, 3, 6};
  static const std::vector<int> dashDotDot{9, 3, 3, 3, 3, 3};
  switch (style) {
  case PS_DASH:
    return dash;
  case PS_DOT:
    return dot;
  case PS_DASHDOT:
    return dashDot;
  case PS_DASHDOTDOT:
    return dashDotDot;
  default:
    return solid;
  }
}

// True when the pattern position falls on a dash.
bool DashOn(const std::vector<int>& pattern, int position) {
  if (pattern.empty())
    return true;
  int period = 0;
  for (int n : pattern)
    period += n;
  int p = position % period;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (p < pattern[i])
      return i % 2 == 0;
    p -= pattern[i];
  }
  return true;
}

// A one-pixel line from (x0, y0) towards (x1, y1), the end point left out.
// Mask value 1 marks dashes, 2 gaps (drawn in the background colour when opaque).
void LineMask(TMask& mask, int x0, int y0, int x1, int y1, const std::vector<int>& pattern,
              int& counter) {
  const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx - dy;
  int x = x0, y = y0;
  while (x != x1 || y != y1) {
    mask.Set(x, y, DashOn(pattern, counter++) ? 1 : 2);
    const int e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
}

RECT LineBounds(int x0, int y0, int x1, int y1, int width) {
  const int pad = width / 2 + 1;
  return RECT{std::min(x0, x1) - pad, std::min(y0, y1) - pad, std::max(x0, x1) + pad + 1,
              std::max(y0, y1) + pad + 1};
}

void PaintPenMask(TDeviceContext* dc, TMask& mask) {
  const TPenObject* pen = CurrentPen(dc);
  TColorAt gap = nullptr;
  if (dc->State.BkMode == OPAQUE)
    gap = SolidColor(dc, dc->State.BkColor);
  else
    gap = [](int, int, uint32_t&) { return false; };
  PaintMask(dc, mask, SolidColor(dc, pen->Log.lopnColor), dc->State.Rop2, gap);
}

// A polyline in device coordinates with the current pen.
void StrokeDevicePolyline(TDeviceContext* dc, const std::vector<QPoint>& points, bool closed) {
  const TPenObject* pen = CurrentPen(dc);
  if (!PenVisible(pen) || points.size() < 2)
    return;
  const int width = PenWidth(pen);
  RECT box{points[0].x(), points[0].y(), points[0].x(), points[0].y()};
  for (const QPoint& p : points)
    box = RECT{std::min<LONG>(box.left, p.x()), std::min<LONG>(box.top, p.y()),
               std::max<LONG>(box.right, p.x()), std::max<LONG>(box.bottom, p.y())};
  TMask mask(MaskBounds(dc, LineBounds(box.left, box.top, box.right, box.bottom, width)));
  if (mask.On.empty())
    return;
  if (width == 1) {
    const std::vector<int>& pattern = DashPattern(pen->Log.lopnStyle);
    for (size_t i = 0; i + 1 < points.size(); ++i)
      LineMask(mask, points[i].x(), points[i].y(), points[i + 1].x(), points[i + 1].y(), pattern,
               dc->StyleCounter);
    if (closed)
      LineMask(mask, points.back().x(), points.back().y(), points[0].x(), points[0].y(), pattern,
               dc->StyleCounter);
  } else {
    PaintWithQt(mask, [&](QPainter& p) {
      p.setPen(QtPen(pen));
      QPolygon polygon;
      for (const QPoint& q : points)
        polygon << q;
      if (closed)
        p.drawPolygon(polygon);
      else
        p.drawPolyline(polygon);
    });
  }
  PaintPenMask(dc, mask);
}

QPoint DevicePoint(const TDeviceContext* dc, int x, int y) {
  return QPoint(dc->DeviceX(x), dc->DeviceY(y));
}

RECT DeviceBox(const TDeviceContext* dc, int l, int t, int r, int b) {
  RECT box{dc->DeviceX(l), dc->DeviceY(t), dc->DeviceX(r), dc->DeviceY(b)};
  if (box.right < box.left)
    std::swap(box.left, box.right);
  if (box.bottom < box.top)
    std::swap(box.top, box.bottom);
  return box;
}

// Draws a closed shape: interior with the brush, outline with the pen. The
// shape paints itself into the painter given the pen (or none, for the fill).
void DrawShape(TDeviceContext* dc, RECT box, const std::function<void(QPainter&, RECT)>& shape) {
  const TPenObject* pen = CurrentPen(dc);
  const bool outline = PenVisible(pen);
  const int width = outline ? PenWidth(pen) : 0;
  if (outline && pen->Log.lopnStyle == PS_INSIDEFRAME && width > 1)
    box = RECT{box.left + width / 2, box.top + width / 2, box.right - (width - 1) / 2,
               box.bottom - (width - 1) / 2};
  TMask fill(MaskBounds(
      dc, RECT{box.left - width, box.top - width, box.right + width, box.bottom + width}));
  if (fill.On.empty())
    return;
  const TBrushObject* brush = dc->State.Brush;
  if (brush != nullptr && brush->Log.lbStyle != BS_NULL) {
    // Without a pen the shape is one pixel smaller, as the outline would have
    // taken the right and bottom edges.
    PaintWithQt(fill, [&](QPainter& p) {
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      shape(p, box);
    });
    PaintMask(dc, fill, BrushColor(dc, brush), dc->State.Rop2);
  }
  if (!outline)
    return;
  TMask line(fill.Bounds);
  PaintWithQt(line, [&](QPainter& p) {
    p.setPen(QtPen(pen));
    p.setBrush(Qt::NoBrush);
    shape(p, box);
  });
  PaintMask(dc, line, SolidColor(dc, pen->Log.lopnColor), dc->State.Rop2);
}

} // namespace

// ---------------------------------------------------------------------------
// Lines and shapes

BOOL MoveToEx(HDC DC, int X, int Y, POINT* Old) {
  if (DC == nullptr)
    return 0;
  if (Old != nullptr)
    *Old = DC->State.Current;
  DC->State.Current = POINT{X, Y};
  DC->StyleCounter = 0;
  return 1;
}

BOOL LineTo(HDC DC, int X, int Y) {
  if (DC == nullptr)
    return 0;
  const POINT from = DC->State.Current;
  DC->State.Current = POINT{X, Y};
  if (Drawable(DC))
    StrokeDevicePolyline(DC, {DevicePoint(DC, from.x, from.y), DevicePoint(DC, X, Y)}, false);
  return 1;
}

BOOL Polyline(HDC DC, const POINT* Points, int Count) {
  if (DC == nullptr || Points == nullptr || Count < 2)
    return 0;
  if (!Drawable(DC))
    return 1;
  std::vector<QPoint> points;
  for (int i = 0; i < Count; ++i)
    points.push_back(DevicePoint(DC, Points[i].x, Points[i].y));
  DC->StyleCounter = 0;
  StrokeDevicePolyline(DC, points, false);
  return 1;
}

BOOL Polygon(HDC DC, const POINT* Points, int Count) {
  if (DC == nullptr || Points == nullptr || Count < 2)
    return 0;
  if (!Drawable(DC))
    return 1;
  QPolygon polygon;
  RECT box{Points[0].x, Points[0].y, Points[0].x, Points[0].y};
  for (int i = 0; i < Count; ++i) {
    const QPoint p = DevicePoint(DC, Points[i].x, Points[i].y);
    polygon << p;
    box = RECT{std::min<LONG>(box.left, p.x()), std::min<LONG>(box.top, p.y()),
               std::max<LONG>(box.right, p.x() + 1), std::max<LONG>(box.bottom, p.y() + 1)};
  }
  DrawShape(DC, box, [&](QPainter& p, RECT) { p.drawPolygon(polygon, Qt::OddEvenFill); });
  return 1;
}

BOOL Rectangle(HDC DC, int Left, int Top, int Right, int Bottom) {
  if (DC == nullptr)
    return 0;
  if (!Drawable(DC))
    return 1;
  const RECT box = DeviceBox(DC, Left, Top, Right, Bottom);
  const TPenObject* pen = CurrentPen(DC);
  const TBrushObject* brush = DC->State.Brush;
  const bool outline = PenVisible(pen);
  if (brush != nullptr && brush->Log.lbStyle != BS_NULL) {
    // The interior; without a pen the right and bottom edges stay undrawn.
    const RECT inner = outline ? RECT{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1}
                               : RECT{box.left, box.top, box.right - 1, box.bottom - 1};
    TMask fill(MaskBounds(DC, inner));
    fill.FillRect(inner.left, inner.top, inner.right, inner.bottom);
    PaintMask(DC, fill, BrushColor(DC, brush), DC->State.Rop2);
  }
  if (!outline || box.right - box.left < 1 || box.bottom - box.top < 1)
    return 1;
  if (PenWidth(pen) > 1) {
    DrawShape(DC, box, [](QPainter& p, RECT b) {
      p.drawRect(QRect(b.left, b.top, b.right - b.left - 1, b.bottom - b.top - 1));
    });
    return 1;
  }
  const int l = box.left, t = box.top, r = box.right - 1, b = box.bottom - 1;
  DC->StyleCounter = 0;
  StrokeDevicePolyline(DC, {QPoint(l, t), QPoint(r, t), QPoint(r, b), QPoint(l, b)}, true);
  return 1;
}

BOOL Ellipse(HDC DC, int Left, int Top, int Right, int Bottom) {
  if (DC == nullptr)
    return 0;
  if (!Drawable(DC))
    return 1;
  DrawShape(DC, DeviceBox(DC, Left, Top, Right, Bottom), [](QPainter& p, RECT b) {
    p.drawEllipse(QRect(b.left, b.top, b.right - b.left - 1, b.bottom - b.top - 1));
  });
  return 1;
}

BOOL RoundRect(HDC DC, int Left, int Top, int Right, int Bottom, int Width, int Height) {
  if (DC == nullptr)
    return 0;
  if (!Drawable(DC))
    return 1;
  DrawShape(DC, DeviceBox(DC, Left, Top, Right, Bottom), [=](QPainter& p, RECT b) {
    p.drawRoundedRect(QRect(b.left, b.top, b.right - b.left - 1, b.bottom - b.top - 1),
                      std::abs(Width) / 2.0, std::abs(Height) / 2.0);
  });
  return 1;
}

namespace {

// The parametric angle (degrees, counter-clockwise on screen) at which the
// ray from the ellipse's centre through (x, y) meets the ellipse.
double EllipseAngle(const RECT& b, int x, int y) {
  const double cx = (b.left + b.right) / 2.0, cy = (b.top + b.bottom) / 2.0;
  const double rx = std::max(0.5, (b.right - b.left) / 2.0);
  const double ry = std::max(0.5, (b.bottom - b.top) / 2.0);
  return std::atan2(-(y - cy) / ry, (x - cx) / rx) * 180.0 / M_PI;
}

// Start and counter-clockwise span in sixteenths of a degree; equal rays give
// the whole ellipse.
std::pair<int, int> ArcAngles(const RECT& b, int x3, int y3, int x4, int y4) {
  const double a3 = EllipseAngle(b, x3, y3), a4 = EllipseAngle(b, x4, y4);
  double span = a4 - a3;
  while (span <= 0)
    span += 360.0;
  return {static_cast<int>(std::lround(a3 * 16)), static_cast<int>(std::lround(span * 16))};
}

} // namespace

BOOL Arc(HDC DC, int Left, int Top, int Right, int Bottom, int X3, int Y3, int X4, int Y4) {
  if (DC == nullptr)
    return 0;
  const TPenObject* pen = CurrentPen(DC);
  if (!Drawable(DC) || !PenVisible(pen))
    return 1;
  const RECT box = DeviceBox(DC, Left, Top, Right, Bottom);
  const auto [start, span] =
      ArcAngles(box, DC->DeviceX(X3), DC->DeviceY(Y3), DC->DeviceX(X4), DC->DeviceY(Y4));
  const int width = PenWidth(pen);
  TMask mask(MaskBounds(
      DC, RECT{box.left - width, box.top - width, box.right + width, box.bottom + width}));
  PaintWithQt(mask, [&, start = start, span = span](QPainter& p) {
    p.setPen(QtPen(pen));
    p.drawArc(QRect(box.left, box.top, box.right - box.left - 1, box.bottom - box.top - 1), start,
              span);
  });
  PaintMask(DC, mask, SolidColor(DC, pen->Log.lopnColor), DC->State.Rop2);
  return 1;
}

BOOL Pie(HDC DC, int Left, int Top, int Right, int Bottom, int X3, int Y3, int X4, int Y4) {
  if (DC == nullptr)
    return 0;
  if (!Drawable(DC))
    return 1;
  const RECT box = DeviceBox(DC, Left, Top, Right, Bottom);
  const auto [start, span] =
      ArcAngles(box, DC->DeviceX(X3), DC->DeviceY(Y3), DC->DeviceX(X4), DC->DeviceY(Y4));
  DrawShape(DC, box, [start = start, span = span](QPainter& p, RECT b) {
    p.drawPie(QRect(b.left, b.top, b.right - b.left - 1, b.bottom - b.top - 1), start, span);
  });
  return 1;
}

namespace {

// Fills device rectangles with a brush, ignoring the binary raster operation.
void FillDeviceRects(TDeviceContext* dc, const std::vector<RECT>& rects, HBRUSH brush,
                     DWORD rop = PATCOPY) {
  if (!Drawable(dc))
    return;
  const HBRUSH saved = dc->State.Brush;
  const POINT vp = dc->State.ViewportOrg, wo = dc->State.WindowOrg;
  dc->State.Brush = brush;
  dc->State.ViewportOrg = POINT{};
  dc->State.WindowOrg = POINT{};
  for (const RECT& r : rects)
    RasterBlit(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, 0, 0, 0, 0, 0, rop);
  dc->State.Brush = saved;
  dc->State.ViewportOrg = vp;
  dc->State.WindowOrg = wo;
}

std::vector<RECT> FrameRects(const RECT& b, int w, int h) {
  if (b.right <= b.left || b.bottom <= b.top)
    return {};
  return RectsCombine({b}, {RECT{b.left + w, b.top + h, b.right - w, b.bottom - h}}, RGN_DIFF);
}

} // namespace

int FillRect(HDC DC, const RECT* Rect, HBRUSH Brush) {
  if (DC == nullptr || Rect == nullptr || Brush == nullptr)
    return 0;
  const RECT box = DeviceBox(DC, Rect->left, Rect->top, Rect->right, Rect->bottom);
  FillDeviceRects(DC, {box}, Brush);
  return 1;
}

int FrameRect(HDC DC, const RECT* Rect, HBRUSH Brush) {
  if (DC == nullptr || Rect == nullptr || Brush == nullptr)
    return 0;
  const RECT box = DeviceBox(DC, Rect->left, Rect->top, Rect->right, Rect->bottom);
  FillDeviceRects(DC, FrameRects(box, 1, 1), Brush);
  return 1;
}

namespace {

// One border of Rect: top and left in TopLeft, bottom and right in
// BottomRight (system colour indexes); the sides not in Flags are left out.
void DrawBorder(HDC DC, const RECT& Rect, int TopLeft, int BottomRight, UINT Flags) {
  HBRUSH light = CreateSolidBrush(GetSysColor(TopLeft));
  HBRUSH dark = CreateSolidBrush(GetSysColor(BottomRight));
  const RECT top{Rect.left, Rect.top, Rect.right, Rect.top + 1};
  const RECT left{Rect.left, Rect.top, Rect.left + 1, Rect.bottom};
  const RECT bottom{Rect.left, Rect.bottom - 1, Rect.right, Rect.bottom};
  const RECT right{Rect.right - 1, Rect.top, Rect.right, Rect.bottom};
  if ((Flags & BF_TOP) != 0)
    FillRect(DC, &top, light);
  if ((Flags & BF_LEFT) != 0)
    FillRect(DC, &left, light);
  if ((Flags & BF_BOTTOM) != 0)
    FillRect(DC, &bottom, dark);
  if ((Flags & BF_RIGHT) != 0)
    FillRect(DC, &right, dark);
  DeleteObject(light);
  DeleteObject(dark);
}

} // namespace

BOOL DrawEdge(HDC DC, RECT* Rect, UINT Edge, UINT Flags) {
  if (DC == nullptr || Rect == nullptr)
    return 0;
  RECT r = *Rect;
  auto shrink = [&r, Flags] {
    r.left += (Flags & BF_LEFT) != 0 ? 1 : 0;
    r.top += (Flags & BF_TOP) != 0 ? 1 : 0;
    r.right -= (Flags & BF_RIGHT) != 0 ? 1 : 0;
    r.bottom -= (Flags & BF_BOTTOM) != 0 ? 1 : 0;
  };
  if ((Edge & BDR_RAISEDOUTER) != 0)
    DrawBorder(DC, r, COLOR_3DLIGHT, COLOR_3DDKSHADOW, Flags);
  else if ((Edge & BDR_SUNKENOUTER) != 0)
    DrawBorder(DC, r, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, Flags);
  if ((Edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) != 0)
    shrink();
  if ((Edge & BDR_RAISEDINNER) != 0)
    DrawBorder(DC, r, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, Flags);
  else if ((Edge & BDR_SUNKENINNER) != 0)
    DrawBorder(DC, r, COLOR_3DDKSHADOW, COLOR_3DLIGHT, Flags);
  if ((Edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) != 0)
    shrink();
  if ((Flags & BF_MIDDLE) != 0) {
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    FillRect(DC, &r, face);
    DeleteObject(face);
  }
  if ((Flags & BF_ADJUST) != 0)
    *Rect = r;
  return 1;
}

BOOL DrawFrameControl(HDC DC, RECT* Rect, UINT Type, UINT State) {
  if (Type != DFC_BUTTON || (State & DFCS_BUTTONPUSH) == 0)
    return 0;
  const UINT edge = (State & DFCS_PUSHED) != 0 ? UINT{EDGE_SUNKEN} : UINT{EDGE_RAISED};
  const UINT adjust = (State & DFCS_ADJUSTRECT) != 0 ? UINT{BF_ADJUST} : 0u;
  return DrawEdge(DC, Rect, edge, BF_RECT | BF_MIDDLE | adjust);
}

BOOL InvertRect(HDC DC, const RECT* Rect) {
  if (DC == nullptr || Rect == nullptr)
    return 0;
  const RECT box = DeviceBox(DC, Rect->left, Rect->top, Rect->right, Rect->bottom);
  FillDeviceRects(DC, {box}, DC->State.Brush, DSTINVERT);
  return 1;
}

BOOL DrawFocusRect(HDC DC, const RECT* Rect) {
  if (DC == nullptr || Rect == nullptr)
    return 0;
  if (!Drawable(DC))
    return 1;
  // Every other pixel of the one-pixel frame is inverted, so drawing twice
  // restores the picture.
  const RECT b = DeviceBox(DC, Rect->left, Rect->top, Rect->right, Rect->bottom);
  TMask mask(MaskBounds(DC, b));
  for (const RECT& r : FrameRects(b, 1, 1))
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (((x + y) & 1) == 0)
          mask.Set(x, y);
  PaintMask(DC, mask, SolidColor(DC, 0), R2_NOT);
  return 1;
}

// ---------------------------------------------------------------------------
// Text

namespace {

struct TFontCache {
  std::map<std::string, QFont> fonts;
};

std::string FontKey(const LOGFONT& f) {
  return std::string(reinterpret_cast<const char*>(&f), sizeof f);
}

QString FamilyOf(const LOGFONT& f) {
  return AnsiToQString(f.lfFaceName);
}

QFont MakeQFont(const LOGFONT& f) {
  GfxEnsureBackend();
  QFont font(FamilyOf(f));
  font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
  font.setHintingPreference(QFont::PreferFullHinting);
  font.setWeight(f.lfWeight >= 600 ? QFont::Bold : QFont::Normal);
  font.setItalic(f.lfItalic != 0);
  font.setUnderline(f.lfUnderline != 0);
  font.setStrikeOut(f.lfStrikeOut != 0);
  if ((f.lfPitchAndFamily & 3) == FIXED_PITCH)
    font.setFixedPitch(true);
  if (f.lfHeight < 0) {
    font.setPixelSize(-f.lfHeight);
  } else {
    // A positive height is the whole cell: scale the em to make it fit.
    const int cell = f.lfHeight > 0 ? f.lfHeight : 16;
    font.setPixelSize(cell);
    const QFontMetrics m(font);
    const int full = std::max(1, m.ascent() + m.descent());
    font.setPixelSize(std::max(1, cell * cell / full));
  }
  return font;
}

// Painter threads draw too: the cache is shared.
QFont FontOf(const TDeviceContext* dc) {
  static TFontCache cache;
  static std::mutex lock;
  const std::lock_guard<std::mutex> hold(lock);
  const LOGFONT& log = dc->State.Font->Log;
  const std::string key = FontKey(log);
  auto it = cache.fonts.find(key);
  if (it == cache.fonts.end())
    it = cache.fonts.emplace(key, MakeQFont(log)).first;
  return it->second;
}

QString ToQString(const char* text, int length) {
  if (text == nullptr)
    return {};
  const size_t n = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
  return AnsiToQString(std::string_view(text, n));
}

// Draws one line of text with its cell's top-left at device (x, y).
void DrawTextLine(TDeviceContext* dc, int x, int y, const QString& text, int underlineIndex) {
  if (!Drawable(dc) || text.isEmpty())
    return;
  const QFont font = FontOf(dc);
  const QFontMetrics m(font);
  const int width = m.horizontalAdvance(text), height = m.ascent() + m.descent();
  if (dc->State.BkMode == OPAQUE) {
    TMask back(MaskBounds(dc, RECT{x, y, x + width, y + height}));
    back.FillRect(x, y, x + width, y + height);
    PaintMask(dc, back, SolidColor(dc, dc->State.BkColor), R2_COPYPEN);
  }
  TMask glyphs(MaskBounds(dc, RECT{x - height, y, x + width + height, y + height}));
  PaintWithQt(glyphs, [&](QPainter& p) {
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QPoint(x, y + m.ascent()), text);
    if (underlineIndex >= 0 && underlineIndex < text.size()) {
      const int ux = x + m.horizontalAdvance(text.left(underlineIndex));
      const int uw = m.horizontalAdvance(text.mid(underlineIndex, 1));
      p.fillRect(QRect(ux, y + m.ascent() + 1, uw, 1), Qt::white);
    }
  });
  PaintMask(dc, glyphs, SolidColor(dc, dc->State.TextColor), R2_COPYPEN);
}

} // namespace

BOOL TextOut(HDC DC, int X, int Y, const char* Text, int Length) {
  if (DC == nullptr)
    return 0;
  DrawTextLine(DC, DC->DeviceX(X), DC->DeviceY(Y), ToQString(Text, Length), -1);
  return 1;
}

BOOL ExtTextOut(HDC DC, int X, int Y, UINT Options, const RECT* Rect, const char* Text, int Length,
                const int*) {
  if (DC == nullptr)
    return 0;
  const TDcState saved = DC->State;
  if (Rect != nullptr && (Options & ETO_OPAQUE)) {
    TMask back(MaskBounds(DC, DeviceBox(DC, Rect->left, Rect->top, Rect->right, Rect->bottom)));
    back.FillRect(back.Bounds.left, back.Bounds.top, back.Bounds.right, back.Bounds.bottom);
    PaintMask(DC, back, SolidColor(DC, DC->State.BkColor), R2_COPYPEN);
  }
  if (Rect != nullptr && (Options & ETO_CLIPPED))
    IntersectClipRect(DC, Rect->left, Rect->top, Rect->right, Rect->bottom);
  if (Rect != nullptr && (Options & ETO_OPAQUE))
    DC->State.BkMode = TRANSPARENT;
  DrawTextLine(DC, DC->DeviceX(X), DC->DeviceY(Y), ToQString(Text, Length), -1);
  DC->State.HasClip = saved.HasClip;
  DC->State.Clip = saved.Clip;
  DC->State.BkMode = saved.BkMode;
  return 1;
}

BOOL GetTextExtentPoint32(HDC DC, const char* Text, int Length, SIZE* Size) {
  if (DC == nullptr || Size == nullptr)
    return 0;
  const QFontMetrics m(FontOf(DC));
  Size->cx = m.horizontalAdvance(ToQString(Text, Length));
  Size->cy = m.ascent() + m.descent();
  return 1;
}

BOOL GetTextMetrics(HDC DC, TEXTMETRIC* Metrics) {
  if (DC == nullptr || Metrics == nullptr)
    return 0;
  const QFont font = FontOf(DC);
  const QFontMetrics m(font);
  Metrics->tmAscent = m.ascent();
  Metrics->tmDescent = m.descent();
  Metrics->tmHeight = m.ascent() + m.descent();
  Metrics->tmInternalLeading = std::max(0, Metrics->tmHeight - font.pixelSize());
  Metrics->tmExternalLeading = std::max(0, m.leading());
  Metrics->tmAveCharWidth = m.averageCharWidth();
  Metrics->tmMaxCharWidth = m.maxWidth();
  Metrics->tmWeight = DC->State.Font->Log.lfWeight;
  return 1;
}

namespace {

struct TTextLine {
  QString Text;
  int Underline = -1;
};

// '&' marks the next character as the shortcut (underlined); "&&" is one '&'.
TTextLine StripPrefix(const QString& text) {
  TTextLine line;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != '&')
        line.Underline = static_cast<int>(line.Text.size());
    } else if (text[i] == '&') {
      continue;
    }
    line.Text += text[i];
  }
  return line;
}

QString ExpandTabs(const QString& text, const QFontMetrics& m) {
  const int stop = std::max(1, 8 * m.averageCharWidth());
  QString out;
  for (const QChar c : text) {
    if (c != '\t') {
      out += c;
      continue;
    }
    const int next = (m.horizontalAdvance(out) / stop + 1) * stop;
    do
      out += ' ';
    while (m.horizontalAdvance(out) < next);
  }
  return out;
}

// Greedy breaks at spaces; a word longer than the width keeps a line of its own.
std::vector<QString> WrapWords(const QString& text, int width, const QFontMetrics& m) {
  std::vector<QString> lines;
  QString current;
  int i = 0;
  const int n = static_cast<int>(text.size());
  while (i < n) {
    int j = i;
    while (j < n && text[j] != ' ')
      ++j;
    const QString word = text.mid(i, j - i);
    const QString candidate = current.isEmpty() ? word : current + ' ' + word;
    if (!current.isEmpty() && m.horizontalAdvance(candidate) > width) {
      lines.push_back(current);
      current = word;
    } else {
      current = candidate;
    }
    i = j + 1;
  }
  lines.push_back(current);
  return lines;
}

} // namespace

int DrawText(HDC DC, const char* Text, int Length, RECT* Rect, UINT Format) {
  if (DC == nullptr || Rect == nullptr)
    return 0;
  const QFontMetrics m(FontOf(DC));
  const int lineHeight = m.ascent() + m.descent();
  QString text = ToQString(Text, Length);
  std::vector<QString> paragraphs;
  if (Format & DT_SINGLELINE) {
    text.remove('\r');
    text.remove('\n');
    paragraphs.push_back(text);
  } else {
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    for (const QString& p : text.split('\n'))
      paragraphs.push_back(p);
  }
  std::vector<TTextLine> lines;
  const int width = Rect->right - Rect->left;
  for (QString p : paragraphs) {
    p = (Format & DT_EXPANDTABS) ? ExpandTabs(p, m) : p.replace('\t', ' ');
    const bool wrap = (Format & DT_WORDBREAK) && !(Format & DT_SINGLELINE);
    // Shortcut marks are taken out before measuring.
    if (Format & DT_NOPREFIX) {
      for (const QString& l : wrap ? WrapWords(p, width, m) : std::vector<QString>{p})
        lines.push_back(TTextLine{l, -1});
      continue;
    }
    const TTextLine stripped = StripPrefix(p);
    if (!wrap) {
      lines.push_back(stripped);
      continue;
    }
    int offset = 0;
    for (const QString& l : WrapWords(stripped.Text, width, m)) {
      const int start = static_cast<int>(stripped.Text.indexOf(l, offset));
      const int u = stripped.Underline - start;
      lines.push_back(TTextLine{l, u >= 0 && u < l.size() ? u : -1});
      offset = start + static_cast<int>(l.size());
    }
  }
  int widest = 0;
  for (const TTextLine& l : lines)
    widest = std::max(widest, m.horizontalAdvance(l.Text));
  const int total = lineHeight * static_cast<int>(lines.size());
  if (Format & DT_CALCRECT) {
    Rect->right = Rect->left + widest;
    Rect->bottom = Rect->top + total;
    return total;
  }
  int top = Rect->top;
  if (Format & DT_SINGLELINE) {
    if (Format & DT_VCENTER)
      top = Rect->top + (Rect->bottom - Rect->top - lineHeight) / 2;
    else if (Format & DT_BOTTOM)
      top = Rect->bottom - lineHeight;
  }
  const TDcState saved = DC->State;
  if (!(Format & DT_NOCLIP))
    IntersectClipRect(DC, Rect->left, Rect->top, Rect->right, Rect->bottom);
  int y = top;
  for (const TTextLine& l : lines) {
    const int w = m.horizontalAdvance(l.Text);
    int x = Rect->left;
    if (Format & DT_CENTER)
      x = Rect->left + (width - w) / 2;
    else if (Format & DT_RIGHT)
      x = Rect->right - w;
    DrawTextLine(DC, DC->DeviceX(x), DC->DeviceY(y), l.Text, l.Underline);
    y += lineHeight;
  }
  DC->State.HasClip = saved.HasClip;
  DC->State.Clip = saved.Clip;
  return (Format & (DT_VCENTER | DT_BOTTOM)) && (Format & DT_SINGLELINE)
             ? top - Rect->top + lineHeight
             : total;
}

TGfxFontSpec GfxFontSpec(const LOGFONT& Font) {
  const QFont font = MakeQFont(Font);
  TGfxFontSpec spec;
  spec.Family = QStringToAnsi(font.family());
  spec.PixelSize = font.pixelSize();
  spec.Bold = font.bold();
  spec.Italic = font.italic();
  spec.Underline = font.underline();
  spec.StrikeOut = font.strikeOut();
  return spec;
}

// ---------------------------------------------------------------------------
// Regions

namespace {

HRGN NewRegion(std::vector<RECT> rects) {
  auto* r = new TRegionObject;
  r->Rects = RectsCombine(rects, {}, RGN_OR);
  return r;
}

RECT Normalized(int l, int t, int r, int b) {
  return RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

// Pixel rows of an ellipse inscribed in b (pixel centres inside the curve),
// or of a rounded rectangle whose corners are quarter ellipses of rx, ry.
std::vector<RECT> RoundedRows(const RECT& b, double rx, double ry) {
  std::vector<RECT> rows;
  const double top = b.top + ry, bottom = b.bottom - ry;
  for (int y = b.top; y < b.bottom; ++y) {
    const double yc = y + 0.5;
    double inset = 0;
    if (ry > 0 && (yc < top || yc > bottom)) {
      const double d = yc < top ? top - yc : yc - bottom;
      const double v = 1.0 - (d / ry) * (d / ry);
      if (v < 0)
        continue;
      inset = rx - rx * std::sqrt(v);
    }
    const int x0 = static_cast<int>(std::ceil(b.left + inset - 0.5));
    const int x1 = static_cast<int>(std::floor(b.right - inset - 0.5)) + 1;
    if (x1 > x0)
      rows.push_back(RECT{x0, y, x1, y + 1});
  }
  return rows;
}

} // namespace

HRGN CreateRectRgn(int Left, int Top, int Right, int Bottom) {
  return NewRegion({Normalized(Left, Top, Right, Bottom)});
}

HRGN CreateRectRgnIndirect(const RECT* Rect) {
  return Rect != nullptr ? CreateRectRgn(Rect->left, Rect->top, Rect->right, Rect->bottom)
                         : nullptr;
}

HRGN CreateEllipticRgn(int Left, int Top, int Right, int Bottom) {
  const RECT b = Normalized(Left, Top, Right, Bottom);
  return NewRegion(RoundedRows(b, (b.right - b.left) / 2.0, (b.bottom - b.top) / 2.0));
}

HRGN CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int Width, int Height) {
  const RECT b = Normalized(Left, Top, Right, Bottom);
  const double rx = std::min(std::abs(Width) / 2.0, (b.right - b.left) / 2.0);
  const double ry = std::min(std::abs(Height) / 2.0, (b.bottom - b.top) / 2.0);
  return NewRegion(RoundedRows(b, rx, ry));
}

HRGN CreatePolygonRgn(const POINT* Points, int Count, int FillMode) {
  if (Points == nullptr || Count < 3)
    return nullptr;
  QPolygon polygon;
  for (int i = 0; i < Count; ++i)
    polygon << QPoint(Points[i].x, Points[i].y);
  auto* r = new TRegionObject;
  r->Rects = FromQRegion(QRegion(polygon, FillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
  return r;
}

int CombineRgn(HRGN Dest, HRGN Src1, HRGN Src2, int Mode) {
  if (Dest == nullptr || Src1 == nullptr || Mode < RGN_AND || Mode > RGN_COPY)
    return ERROR;
  if (Mode == RGN_COPY) {
    Dest->Rects = Src1->Rects;
  } else {
    if (Src2 == nullptr)
      return ERROR;
    Dest->Rects = RectsCombine(Src1->Rects, Src2->Rects, Mode);
  }
  return RegionKind(Dest->Rects);
}

int OffsetRgn(HRGN Region, int DX, int DY) {
  if (Region == nullptr)
    return ERROR;
  for (RECT& r : Region->Rects)
    OffsetRect(&r, DX, DY);
  return RegionKind(Region->Rects);
}

BOOL PtInRegion(HRGN Region, int X, int Y) {
  if (Region == nullptr)
    return 0;
  const POINT p{X, Y};
  return std::any_of(Region->Rects.begin(), Region->Rects.end(),
                     [&](const RECT& r) { return PtInRect(&r, p); });
}

BOOL RectInRegion(HRGN Region, const RECT* Rect) {
  if (Region == nullptr || Rect == nullptr)
    return 0;
  return !RectsCombine(Region->Rects, {*Rect}, RGN_AND).empty();
}

BOOL EqualRgn(HRGN A, HRGN B) {
  if (A == nullptr || B == nullptr || A->Rects.size() != B->Rects.size())
    return 0;
  for (size_t i = 0; i < A->Rects.size(); ++i)
    if (!EqualRect(&A->Rects[i], &B->Rects[i]))
      return 0;
  return 1;
}

int GetRgnBox(HRGN Region, RECT* Rect) {
  if (Region == nullptr || Rect == nullptr)
    return ERROR;
  *Rect = RectsBounds(Region->Rects);
  return RegionKind(Region->Rects);
}

BOOL SetRectRgn(HRGN Region, int Left, int Top, int Right, int Bottom) {
  if (Region == nullptr)
    return 0;
  const RECT r = Normalized(Left, Top, Right, Bottom);
  Region->Rects = IsRectEmpty(&r) ? std::vector<RECT>{} : std::vector<RECT>{r};
  return 1;
}

DWORD GetRegionData(HRGN Region, DWORD Size, RGNDATA* Data) {
  if (Region == nullptr)
    return 0;
  const DWORD count = static_cast<DWORD>(Region->Rects.size());
  const DWORD needed = sizeof(RGNDATAHEADER) + count * sizeof(RECT);
  if (Data == nullptr || Size < needed)
    return needed;
  RGNDATAHEADER header;
  header.dwSize = sizeof(RGNDATAHEADER);
  header.iType = RDH_RECTANGLES;
  header.nCount = count;
  header.nRgnSize = count * sizeof(RECT);
  header.rcBound = RectsBounds(Region->Rects);
  std::memcpy(static_cast<void*>(Data), &header, sizeof header);
  if (count != 0)
    std::memcpy(Data->Buffer, Region->Rects.data(), count * sizeof(RECT));
  return needed;
}

HRGN ExtCreateRegion(const void* Transform, DWORD Size, const RGNDATA* Data) {
  if (Transform != nullptr || Data == nullptr || Size < sizeof(RGNDATAHEADER))
    return nullptr;
  RGNDATAHEADER header;
  std::memcpy(&header, static_cast<const void*>(Data), sizeof header);
  if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES)
    return nullptr;
  if (header.nCount > (Size - sizeof(RGNDATAHEADER)) / sizeof(RECT))
    return nullptr;
  std::vector<RECT> rects(header.nCount);
  if (header.nCount != 0)
    std::memcpy(rects.data(), Data->Buffer, header.nCount * sizeof(RECT));
  return NewRegion(std::move(rects));
}

namespace {

std::vector<RECT> DeviceRects(const TDeviceContext* dc, const std::vector<RECT>& rects) {
  const int dx = dc->DeviceX(0), dy = dc->DeviceY(0);
  std::vector<RECT> out = rects;
  for (RECT& r : out)
    OffsetRect(&r, dx, dy);
  return out;
}

} // namespace

BOOL FillRgn(HDC DC, HRGN Region, HBRUSH Brush) {
  if (DC == nullptr || Region == nullptr || Brush == nullptr)
    return 0;
  FillDeviceRects(DC, DeviceRects(DC, Region->Rects), Brush);
  return 1;
}

BOOL FrameRgn(HDC DC, HRGN Region, HBRUSH Brush, int Width, int Height) {
  if (DC == nullptr || Region == nullptr || Brush == nullptr || Width < 0 || Height < 0)
    return 0;
  // The frame is what the region loses when shrunk by Width and Height.
  std::vector<RECT> inner = Region->Rects;
  for (const auto& [dx, dy] : {std::pair{Width, 0}, {-Width, 0}, {0, Height}, {0, -Height}}) {
    std::vector<RECT> shifted = Region->Rects;
    for (RECT& r : shifted)
      OffsetRect(&r, dx, dy);
    inner = RectsCombine(inner, shifted, RGN_AND);
  }
  FillDeviceRects(DC, DeviceRects(DC, RectsCombine(Region->Rects, inner, RGN_DIFF)), Brush);
  return 1;
}

BOOL PaintRgn(HDC DC, HRGN Region) {
  return DC != nullptr && FillRgn(DC, Region, DC->State.Brush);
}

BOOL InvertRgn(HDC DC, HRGN Region) {
  if (DC == nullptr || Region == nullptr)
    return 0;
  FillDeviceRects(DC, DeviceRects(DC, Region->Rects), DC->State.Brush, DSTINVERT);
  return 1;
}

std::vector<RECT> GfxRegionRects(HRGN Region) {
  return Region != nullptr ? Region->Rects : std::vector<RECT>{};
}
