#include "platform/gfx/Graphics.h"

#include "platform/gfx/GdiObjects.h"
#include "platform/gfx/Jpeg.h"
#include "platform/gfx/Raster.h"
#include "platform/rtl/Stringlist.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

// ---------------------------------------------------------------------------
// Colours

TColor ColorToRGB(TColor Color) {
  if (Color < 0)
    return static_cast<TColor>(GetSysColor(Color & 0xFF));
  return Color;
}

namespace {

struct TColorIdent {
  TColor Color;
  const char* Ident;
};

constexpr TColorIdent colorIdents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

} // namespace

bool ColorToIdent(TColor Color, AnsiString& Ident) {
  for (const TColorIdent& c : colorIdents)
    if (c.Color == Color) {
      Ident = c.Ident;
      return true;
    }
  return false;
}

bool IdentToColor(const AnsiString& Ident, TColor& Color) {
  // The light and dark greys share their values with silver and grey.
  if (AnsiSameText(Ident, "clLtGray") || AnsiSameText(Ident, "clDkGray")) {
    Color = AnsiSameText(Ident, "clLtGray") ? clLtGray : clDkGray;
    return true;
  }
  for (const TColorIdent& c : colorIdents)
    if (AnsiSameText(Ident, c.Ident)) {
      Color = c.Color;
      return true;
    }
  return false;
}

AnsiString ColorToString(TColor Color) {
  AnsiString ident;
  if (ColorToIdent(Color, ident))
    return ident;
  char text[16];
  std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(Color));
  return text;
}

TColor StringToColor(const AnsiString& Text) {
  TColor color;
  if (IdentToColor(Text, color))
    return color;
  const bool hex = !Text.empty() && Text[0] == '$';
  const char* digits = Text.c_str() + (hex ? 1 : 0);
  char* end = nullptr;
  const long long value = std::strtoll(digits, &end, hex ? 16 : 10);
  if (*digits == '\0' || end == nullptr || *end != '\0' || value < INT32_MIN ||
      value > static_cast<long long>(UINT32_MAX))
    throw EConvertError("'" + Text + "' is not a valid colour");
  return static_cast<TColor>(static_cast<uint32_t>(value));
}

int MulDiv(int a, int b, int c) {
  if (c == 0)
    return -1;
  const int64_t p = int64_t{a} * b;
  const bool negative = (p < 0) != (c < 0);
  const int64_t n = p < 0 ? -p : p, d = c < 0 ? -int64_t{c} : c;
  const int64_t q = (n + d / 2) / d;
  return static_cast<int>(negative ? -q : q);
}

namespace {

COLORREF ToColorRef(TColor Color) {
  return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF;
}

} // namespace

// ---------------------------------------------------------------------------
// Fonts, pens, brushes

void TGraphicsObject::Changed() {
  if (OnChange)
    OnChange(this);
}

TFont::TFont() = default;

TFont::~TFont() {
  DeleteObject(handle);
}

void TFont::Change() {
  DeleteObject(handle);
  handle = nullptr;
  Changed();
}

void TFont::Assign(const TPersistent* Source) {
  const auto* font = dynamic_cast<const TFont*>(Source);
  if (font == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (font == this)
    return;
  name = font->name;
  height = font->height;
  style = font->style;
  color = font->color;
  pitch = font->pitch;
  charset = font->charset;
  Change();
}

void TFont::SetName(const AnsiString& Value) {
  if (Value.empty() || Value == name)
    return;
  name = Value;
  Change();
}

int TFont::Size() const {
  return -MulDiv(height, 72, PixelsPerInch());
}

void TFont::SetSize(int Value) {
  SetHeight(-MulDiv(Value, PixelsPerInch(), 72));
}

void TFont::SetHeight(int Value) {
  if (Value == height)
    return;
  height = Value;
  Change();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == style)
    return;
  style = Value;
  Change();
}

void TFont::SetColor(TColor Value) {
  if (Value == color)
    return;
  color = Value;
  Changed(); // the colour is the context's, not the font object's
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == pitch)
    return;
  pitch = Value;
  Change();
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == charset)
    return;
  charset = Value;
  Change();
}

LOGFONT TFont::LogFont() const {
  LOGFONT log;
  log.lfHeight = height;
  log.lfWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  log.lfItalic = style.Contains(fsItalic);
  log.lfUnderline = style.Contains(fsUnderline);
  log.lfStrikeOut = style.Contains(fsStrikeOut);
  log.lfCharSet = charset;
  log.lfPitchAndFamily = pitch == fpFixed      ? FIXED_PITCH
                         : pitch == fpVariable ? VARIABLE_PITCH
                                               : DEFAULT_PITCH;
  std::strncpy(log.lfFaceName, name.c_str(), LF_FACESIZE - 1);
  return log;
}

HFONT TFont::Handle() {
  if (handle == nullptr) {
    const LOGFONT log = LogFont();
    handle = CreateFontIndirect(&log);
  }
  return handle;
}

TPen::~TPen() {
  DeleteObject(handle);
}

void TPen::Change() {
  DeleteObject(handle);
  handle = nullptr;
  Changed();
}

void TPen::Assign(const TPersistent* Source) {
  const auto* pen = dynamic_cast<const TPen*>(Source);
  if (pen == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (pen == this)
    return;
  color = pen->color;
  width = pen->width;
  style = pen->style;
  mode = pen->mode;
  Change();
}

void TPen::SetColor(TColor Value) {
  if (Value == color)
    return;
  color = Value;
  Change();
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == width)
    return;
  width = Value;
  Change();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == style)
    return;
  style = Value;
  Change();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == mode)
    return;
  mode = Value;
  Changed();
}

int TPen::Rop2() const {
  static const int rops[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                             R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                             R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                             R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  return rops[mode];
}

HPEN TPen::Handle() {
  if (handle == nullptr) {
    static const int styles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                 PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    handle = CreatePen(styles[style], width, ToColorRef(color));
  }
  return handle;
}

TBrush::~TBrush() {
  DeleteObject(handle);
}

void TBrush::Change() {
  DeleteObject(handle);
  handle = nullptr;
  Changed();
}

void TBrush::Assign(const TPersistent* Source) {
  const auto* brush = dynamic_cast<const TBrush*>(Source);
  if (brush == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (brush == this)
    return;
  color = brush->color;
  style = brush->style;
  bitmap = brush->bitmap;
  Change();
}

void TBrush::SetColor(TColor Value) {
  if (Value == color && style != bsClear)
    return;
  color = Value;
  // A colour makes a clear brush solid again, as the class library does.
  if (style == bsClear)
    style = bsSolid;
  Change();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == style)
    return;
  style = Value;
  Change();
}

void TBrush::SetBitmap(TBitmap* Value) {
  bitmap = Value;
  Change();
}

HBRUSH TBrush::Handle() {
  if (handle != nullptr)
    return handle;
  if (bitmap != nullptr && !bitmap->Empty()) {
    handle = CreatePatternBrush(bitmap->Handle());
  } else if (style == bsSolid) {
    handle = CreateSolidBrush(ToColorRef(color));
  } else if (style == bsClear) {
    LOGBRUSH log;
    log.lbStyle = BS_NULL;
    handle = CreateBrushIndirect(&log);
  } else {
    handle = CreateHatchBrush(HS_HORIZONTAL + (style - bsHorizontal), ToColorRef(color));
  }
  return handle;
}

// ---------------------------------------------------------------------------
// Canvas

TCanvas::TCanvas()
    : font(std::make_unique<TFont>()), pen(std::make_unique<TPen>()),
      brush(std::make_unique<TBrush>()) {}

TCanvas::~TCanvas() = default;

HDC TCanvas::Handle() {
  if (handle == nullptr)
    CreateHandle();
  if (handle == nullptr)
    throw EInvalidGraphicOperation("Canvas does not allow drawing");
  return handle;
}

void TCanvas::SetHandle(HDC Value) {
  handle = Value;
}

HDC TCanvas::Prepare() {
  HDC dc = Handle();
  SelectObject(dc, font->Handle());
  SelectObject(dc, pen->Handle());
  SelectObject(dc, brush->Handle());
  SetTextColor(dc, ToColorRef(font->Color()));
  SetBkColor(dc, ToColorRef(brush->Color()));
  SetBkMode(dc, brush->Style() == bsSolid && brush->Bitmap() == nullptr ? OPAQUE : TRANSPARENT);
  SetROP2(dc, pen->Rop2());
  return dc;
}

void TCanvas::Changing() {
  if (OnChanging)
    OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange)
    OnChange(this);
}

TPoint TCanvas::PenPos() {
  POINT p;
  MoveToEx(Handle(), 0, 0, &p);
  MoveToEx(Handle(), p.x, p.y, nullptr);
  return TPoint{p.x, p.y};
}

TRect TCanvas::ClipRect() {
  RECT r;
  GetClipBox(Handle(), &r);
  return TRect{r.left, r.top, r.right, r.bottom};
}

void TCanvas::MoveTo(int X, int Y) {
  MoveToEx(Handle(), X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  ::LineTo(Prepare(), X, Y);
  Changed();
}

namespace {

std::vector<POINT> ToPoints(const std::vector<TPoint>& Points) {
  std::vector<POINT> out;
  out.reserve(Points.size());
  for (const TPoint& p : Points)
    out.push_back(POINT{p.X, p.Y});
  return out;
}

RECT ToRECT(const TRect& R) {
  return RECT{R.Left, R.Top, R.Right, R.Bottom};
}

} // namespace

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  const std::vector<POINT> points = ToPoints(Points);
  Changing();
  ::Polyline(Prepare(), points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  const std::vector<POINT> points = ToPoints(Points);
  Changing();
  ::Polygon(Prepare(), points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  ::Rectangle(Prepare(), X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::FillRect(const TRect& R) {
  const RECT r = ToRECT(R);
  Changing();
  ::FillRect(Prepare(), &r, brush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& R) {
  const RECT r = ToRECT(R);
  Changing();
  ::FrameRect(Prepare(), &r, brush->Handle());
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  ::Ellipse(Prepare(), X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  ::RoundRect(Prepare(), X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  ::Arc(Prepare(), X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  ::Pie(Prepare(), X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->Empty())
    return;
  Changing();
  Graphic->Draw(this, TRect{X, Y, X + Graphic->Width(), Y + Graphic->Height()});
  Changed();
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->Empty())
    return;
  Changing();
  Graphic->Draw(this, R);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect) {
  if (Source == nullptr)
    return;
  Changing();
  StretchBlt(Prepare(), Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Source->Handle(),
             SourceRect.Left, SourceRect.Top, SourceRect.Width(), SourceRect.Height(), copyMode);
  Changed();
}

void TCanvas::TextOut(int X, int Y, const AnsiString& Text) {
  Changing();
  HDC dc = Prepare();
  ::TextOut(dc, X, Y, Text.c_str(), static_cast<int>(Text.size()));
  SIZE size;
  GetTextExtentPoint32(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
  MoveToEx(dc, X + size.cx, Y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const AnsiString& Text) {
  const RECT r = ToRECT(R);
  UINT options = ETO_CLIPPED;
  if (brush->Style() != bsClear)
    options |= ETO_OPAQUE;
  Changing();
  ExtTextOut(Prepare(), X, Y, options, &r, Text.c_str(), static_cast<int>(Text.size()), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const AnsiString& Text) {
  SIZE size;
  GetTextExtentPoint32(Prepare(), Text.c_str(), static_cast<int>(Text.size()), &size);
  return size;
}

int TCanvas::DrawText(const AnsiString& Text, TRect& R, UINT Format) {
  RECT r = ToRECT(R);
  if (!(Format & DT_CALCRECT))
    Changing();
  const int result = ::DrawText(Prepare(), Text.c_str(), static_cast<int>(Text.size()), &r, Format);
  R = TRect{r.left, r.top, r.right, r.bottom};
  if (!(Format & DT_CALCRECT))
    Changed();
  return result;
}

void TCanvas::DrawFocusRect(const TRect& R) {
  const RECT r = ToRECT(R);
  Changing();
  ::DrawFocusRect(Prepare(), &r);
  Changed();
}

TColor TCanvas::Pixels(int X, int Y) {
  const COLORREF c = GetPixel(Handle(), X, Y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixels(int X, int Y, TColor Color) {
  Changing();
  SetPixel(Handle(), X, Y, ToColorRef(Color));
  Changed();
}

void TCanvas::Lock() {
  lock.lock();
  ++lockCount;
}

void TCanvas::Unlock() {
  --lockCount;
  lock.unlock();
}

bool TCanvas::TryLock() {
  if (!lock.try_lock())
    return false;
  ++lockCount;
  return true;
}

// ---------------------------------------------------------------------------
// Graphic

void TGraphic::SetTransparent(bool Value) {
  if (Value == transparent)
    return;
  transparent = Value;
  Changed(this);
}

void TGraphic::LoadFromClipboardFormat(WORD, uintptr_t, HPALETTE) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(WORD&, uintptr_t&, HPALETTE&) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

bool TGraphic::Equals(const TGraphic* Other) const {
  return Other == this;
}

void TGraphic::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
  stream.FlushBuffer();
}

void TGraphic::Changed(TObject*) {
  Modified = true;
  if (OnChange)
    OnChange(this);
}

void TGraphic::Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                        const TRect& R, const AnsiString& Msg) {
  if (OnProgress)
    OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

// ---------------------------------------------------------------------------
// Bitmaps

// The canvas of a bitmap: a memory context with the bitmap selected, made on
// first use and dropped whenever the bitmap's pixels are replaced.
class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap* owner) : bitmap(owner) {}
  ~TBitmapCanvas() override { FreeContext(); }
  TBitmapCanvas(const TBitmapCanvas&) = delete;
  TBitmapCanvas& operator=(const TBitmapCanvas&) = delete;

  void FreeContext() {
    HDC dc = HandleAllocated() ? Handle() : nullptr;
    SetHandle(nullptr);
    DeleteDC(dc);
  }

protected:
  void CreateHandle() override {
    HDC dc = CreateCompatibleDC(nullptr);
    if (bitmap->handle != nullptr)
      SelectObject(dc, bitmap->handle);
    SetHandle(dc);
  }

private:
  TBitmap* bitmap;
};

namespace {

int FormatBits(TPixelFormat format) {
  switch (format) {
  case pf1bit:
    return 1;
  case pf4bit:
    return 4;
  case pf8bit:
    return 8;
  case pf15bit:
  case pf16bit:
  case pf24bit:
    return 24;
  default:
    return 32;
  }
}

TPixelFormat BitsFormat(int bits) {
  switch (bits) {
  case 1:
    return pf1bit;
  case 4:
    return pf4bit;
  case 8:
    return pf8bit;
  case 24:
    return pf24bit;
  default:
    return pf32bit;
  }
}

std::vector<RGBQUAD> FormatColors(int bits) {
  if (bits == 1)
    return {{0, 0, 0, 0}, {255, 255, 255, 0}};
  if (bits == 4) {
    std::vector<RGBQUAD> colors = DefaultPaletteColors();
    // The 16 colours: the first 8 and the last 8 of the static ones.
    std::vector<RGBQUAD> out(colors.begin(), colors.begin() + 8);
    out.insert(out.end(), colors.end() - 8, colors.end());
    out[7] = colors[7];
    out[8] = colors[12];
    return out;
  }
  return HalftonePaletteColors();
}

// A new bitmap of the given depth holding Source's pixels (nearest colours).
HBITMAP ConvertBitmap(const TBitmapObject* source, int bits, const std::vector<RGBQUAD>& colors) {
  HBITMAP b = CreateBitmap(source->Width, source->Height, 1, static_cast<UINT>(bits), nullptr);
  if (b == nullptr)
    return nullptr;
  if (b->Indexed())
    b->Colors = colors;
  for (int y = 0; y < source->Height; ++y)
    for (int x = 0; x < source->Width; ++x)
      b->SetRaw(x, y, b->RawOf(source->PixelColor(x, y)));
  return b;
}

} // namespace

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  canvas.reset();
  DeleteObject(handle);
  DeleteObject(mask);
  FreePalette();
}

int TBitmap::BitCount() const {
  return handle != nullptr ? handle->BitCount : FormatBits(pixelFormat);
}

TPixelFormat TBitmap::PixelFormat() const {
  return pixelFormat;
}

void TBitmap::FreePalette() {
  DeleteObject(palette);
  palette = nullptr;
}

void TBitmap::Changed(TObject* Sender) {
  DeleteObject(mask);
  mask = nullptr;
  TGraphic::Changed(Sender);
}

void TBitmap::Replace(HBITMAP Value, TPixelFormat Format) {
  if (canvas)
    canvas->FreeContext();
  if (Value != handle)
    DeleteObject(handle);
  handle = Value;
  width = Value != nullptr ? Value->Width : 0;
  height = Value != nullptr ? Value->Height : 0;
  pixelFormat = Format;
  FreePalette();
  Changed(this);
}

void TBitmap::SetSize(int NewWidth, int NewHeight) {
  NewWidth = std::max(0, NewWidth);
  NewHeight = std::max(0, NewHeight);
  if (NewWidth == width && NewHeight == height)
    return;
  if (NewWidth == 0 || NewHeight == 0) {
    // The size is kept so that the other side can still be set.
    Replace(nullptr, pixelFormat);
    width = NewWidth;
    height = NewHeight;
    return;
  }
  HBITMAP b = CreateBitmap(NewWidth, NewHeight, 1, static_cast<UINT>(BitCount()), nullptr);
  if (b == nullptr)
    throw EInvalidGraphicOperation("Out of system resources");
  if (b->Indexed())
    b->Colors = handle != nullptr ? handle->Colors : FormatColors(b->BitCount);
  // White everywhere, one row made and copied (pictures may be large), then
  // the old picture where it reaches.
  const uint32_t white = b->RawOf(0xFFFFFF);
  for (int x = 0; x < NewWidth; ++x)
    b->SetRaw(x, 0, white);
  for (int y = 1; y < NewHeight; ++y)
    std::memcpy(b->Row(y), b->Row(0), static_cast<size_t>(b->Stride));
  const int keptWidth = handle != nullptr ? std::min(handle->Width, NewWidth) : 0;
  const int keptHeight = handle != nullptr ? std::min(handle->Height, NewHeight) : 0;
  for (int y = 0; y < keptHeight; ++y)
    for (int x = 0; x < keptWidth; ++x)
      b->SetRaw(x, y, handle->Raw(x, y));
  Replace(b, pixelFormat);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pixelFormat)
    return;
  const int bits = FormatBits(Value);
  if (handle == nullptr || handle->BitCount == bits) {
    pixelFormat = Value;
    Changed(this);
    return;
  }
  Replace(ConvertBitmap(handle, bits, FormatColors(bits)), Value);
}

void TBitmap::SetMonochrome(bool Value) {
  if (Value == Monochrome())
    return;
  SetPixelFormat(Value ? pf1bit : pfDevice);
}

TCanvas* TBitmap::Canvas() {
  if (!canvas) {
    canvas = std::make_unique<TBitmapCanvas>(this);
    canvas->OnChange = [this](TObject*) { Changed(this); };
  }
  return canvas.get();
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == handle)
    return;
  const TPixelFormat format =
      Value == nullptr ? pixelFormat : (Value->DibSection ? BitsFormat(Value->BitCount) : pfDevice);
  Replace(Value, format);
}

HBITMAP TBitmap::ReleaseHandle() {
  if (canvas)
    canvas->FreeContext();
  HBITMAP released = handle;
  handle = nullptr;
  width = height = 0;
  FreePalette();
  Changed(this);
  return released;
}

void* TBitmap::ScanLine(int Y) {
  if (handle == nullptr || Y < 0 || Y >= height)
    throw EInvalidGraphicOperation("Scan line index out of range");
  return handle->Row(Y);
}

TColor TBitmap::TransparentColor() {
  if (transparentMode == tmFixed && transparentColor != clDefault)
    return transparentColor;
  if (handle == nullptr)
    return clDefault;
  return static_cast<TColor>(handle->PixelColor(0, height - 1)) | clPaletteRelative;
}

void TBitmap::SetTransparentColor(TColor Value) {
  transparentColor = Value;
  transparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == transparentMode)
    return;
  if (Value == tmAuto)
    transparentColor = clDefault;
  transparentMode = Value;
  Changed(this);
}

HBITMAP TBitmap::MaskHandle() {
  if (mask != nullptr || handle == nullptr)
    return mask;
  const COLORREF key = ToColorRef(TransparentColor() & ~clPaletteRelative);
  mask = CreateBitmap(width, height, 1, 1, nullptr);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      mask->SetRaw(x, y, handle->PixelColor(x, y) == key ? 1 : 0);
  return mask;
}

HPALETTE TBitmap::GetPalette() {
  if (palette != nullptr || handle == nullptr || !handle->Indexed())
    return palette;
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + handle->Colors.size() * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(handle->Colors.size());
  for (size_t i = 0; i < handle->Colors.size(); ++i) {
    const RGBQUAD& q = handle->Colors[i];
    log->palPalEntry[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
  }
  palette = CreatePalette(log);
  return palette;
}

void TBitmap::SetPalette(HPALETTE Value) {
  if (Value == nullptr || handle == nullptr || !handle->Indexed())
    return;
  std::vector<PALETTEENTRY> entries(GetPaletteEntries(Value, 0, 0, nullptr));
  GetPaletteEntries(Value, 0, static_cast<UINT>(entries.size()), entries.data());
  entries.resize(std::min(entries.size(), size_t{1} << handle->BitCount));
  handle->Colors.clear();
  for (const PALETTEENTRY& e : entries)
    handle->Colors.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
  FreePalette();
  PaletteModified = true;
  Changed(this);
}

void TBitmap::Assign(const TPersistent* Source) {
  if (Source == this)
    return;
  if (Source == nullptr) {
    Replace(nullptr, pixelFormat);
    return;
  }
  const auto* other = dynamic_cast<const TBitmap*>(Source);
  if (other == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  HBITMAP copy = nullptr;
  if (other->handle != nullptr) {
    copy = CreateBitmap(other->width, other->height, 1, static_cast<UINT>(other->handle->BitCount),
                        nullptr);
    copy->Colors = other->handle->Colors;
    copy->DibSection = other->handle->DibSection;
    for (int y = 0; y < other->height; ++y)
      std::memcpy(copy->Row(y), other->handle->Row(y), static_cast<size_t>(copy->Stride));
  }
  transparent = other->transparent;
  transparentColor = other->transparentColor;
  transparentMode = other->transparentMode;
  handleType = other->handleType;
  Replace(copy, other->pixelFormat);
  width = other->width;
  height = other->height;
}

void TBitmap::Draw(TCanvas* Canvas, const TRect& Rect) {
  if (handle == nullptr || Canvas == nullptr)
    return;
  HDC dc = Canvas->Handle();
  // A monochrome bitmap shows black and white whatever the target's colours.
  const COLORREF text = SetTextColor(dc, handle->BitCount == 1 ? 0 : GetTextColor(dc));
  const COLORREF back = SetBkColor(dc, handle->BitCount == 1 ? 0xFFFFFF : GetBkColor(dc));
  const COLORREF key =
      Transparent() ? ToColorRef(TransparentColor() & ~clPaletteRelative) : CLR_INVALID;
  RasterBlit(dc, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), handle, 0, 0, width, height,
             0xFFFFFF, Transparent() ? SRCCOPY : Canvas->CopyMode(), key);
  SetTextColor(dc, text);
  SetBkColor(dc, back);
}

// The BMP file format: a 14-byte file header, an information header (12, 40
// or more bytes), the colour table, then rows bottom-up (top-down for a
// negative height), each padded to 4 bytes.
namespace {

[[noreturn]] void InvalidBitmap() {
  throw EInvalidGraphic("Bitmap image is not valid");
}

uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void ReadExactly(TStream* stream, void* buffer, size_t n) {
  if (n > 0 && stream->Read(buffer, static_cast<int>(n)) != static_cast<int>(n))
    InvalidBitmap();
}

// The value of a pixel's field under a bit mask, scaled to 0..255.
uint8_t MaskedChannel(uint32_t pixel, uint32_t mask) {
  if (mask == 0)
    return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0)
    ++shift;
  const uint32_t max = mask >> shift;
  return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / max);
}

constexpr uint32_t BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;

// Run-length coded rows (8 or 4 bits) into a bottom-up index buffer.
void DecodeRle(const std::vector<uint8_t>& data, int bits, int width, int height, int stride,
               std::vector<uint8_t>& rows) {
  int x = 0, y = 0;
  size_t i = 0;
  auto put = [&](uint8_t index) {
    if (x < width && y < height) {
      uint8_t* row = rows.data() + static_cast<ptrdiff_t>(y) * stride;
      if (bits == 8)
        row[x] = index;
      else
        row[x / 2] = static_cast<uint8_t>((x & 1) ? (row[x / 2] & 0xF0) | (index & 0x0F)
                                                  : (row[x / 2] & 0x0F) | (index << 4));
    }
    ++x;
  };
  while (i + 1 < data.size() && y < height) {
    const uint8_t count = data[i], value = data[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k)
        put(bits == 8 ? value : static_cast<uint8_t>((k & 1) ? value & 0x0F : value >> 4));
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (i + 1 >= data.size())
        InvalidBitmap();
      x += data[i];
      y += data[i + 1];
      i += 2;
    } else {
      const size_t bytes = bits == 8 ? value : (value + 1) / 2;
      if (i + bytes > data.size())
        InvalidBitmap();
      for (int k = 0; k < value; ++k)
        put(bits == 8
                ? data[i + k]
                : static_cast<uint8_t>((k & 1) ? data[i + k / 2] & 0x0F : data[i + k / 2] >> 4));
      i += (bytes + 1) & ~size_t{1};
    }
  }
}

HBITMAP NewDibBitmap(int width, int height, int bits, const std::vector<RGBQUAD>& colors) {
  HBITMAP b = CreateBitmap(width, height, 1, static_cast<UINT>(bits), nullptr);
  if (b == nullptr)
    InvalidBitmap();
  b->DibSection = true;
  if (b->Indexed())
    b->Colors = colors;
  return b;
}

// 32-bit pixels keep no alpha.
void ClearAlpha(HBITMAP b, int y) {
  if (b->BitCount == 32)
    for (int x = 0; x < b->Width; ++x)
      b->Row(y)[4 * x + 3] = 0;
}

// Rows stored as the bitmap stores them go straight from the stream into it.
HBITMAP ReadPlainRows(TStream* stream, int width, int height, int bits, bool topDown,
                      const std::vector<RGBQUAD>& colors) {
  HBITMAP b = NewDibBitmap(width, height, bits, colors);
  try {
    for (int i = 0; i < height; ++i) {
      const int y = topDown ? i : height - 1 - i;
      ReadExactly(stream, b->Row(y), static_cast<size_t>(b->Stride));
      ClearAlpha(b, y);
    }
  } catch (...) {
    DeleteObject(b);
    throw;
  }
  return b;
}

HBITMAP ReadBmp(TStream* stream) {
  uint8_t file[14];
  ReadExactly(stream, file, sizeof file);
  if (file[0] != 'B' || file[1] != 'M')
    InvalidBitmap();
  const uint32_t offBits = Le32(file + 10);
  uint8_t sizeBytes[4];
  ReadExactly(stream, sizeBytes, 4);
  const uint32_t headerSize = Le32(sizeBytes);
  if (headerSize != 12 && (headerSize < 40 || headerSize > 256))
    InvalidBitmap();
  std::vector<uint8_t> header(headerSize);
  std::memcpy(header.data(), sizeBytes, 4);
  ReadExactly(stream, header.data() + 4, headerSize - 4);
  const bool core = headerSize == 12;
  const int32_t width = core ? Le16(&header[4]) : static_cast<int32_t>(Le32(&header[4]));
  const int32_t rawHeight =
      core ? static_cast<int16_t>(Le16(&header[6])) : static_cast<int32_t>(Le32(&header[8]));
  const int planes = core ? Le16(&header[8]) : Le16(&header[12]);
  const int bits = core ? Le16(&header[10]) : Le16(&header[14]);
  const uint32_t compression = core ? 0 : Le32(&header[16]);
  const uint32_t clrUsed = core ? 0 : Le32(&header[32]);
  const bool topDown = rawHeight < 0;
  const int height = static_cast<int>(topDown ? -int64_t{rawHeight} : rawHeight);
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || planes != 1)
    InvalidBitmap();
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    InvalidBitmap();
  const bool rle = (compression == BI_RLE8 && bits == 8) || (compression == BI_RLE4 && bits == 4);
  if (compression != 0 && !rle && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32)))
    InvalidBitmap();
  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bits == 32)
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  size_t consumed = 14 + headerSize;
  if (compression == BI_BITFIELDS) {
    if (headerSize >= 52) {
      for (int i = 0; i < 3; ++i)
        masks[i] = Le32(&header[40 + 4 * i]);
    } else {
      uint8_t m[12];
      ReadExactly(stream, m, sizeof m);
      consumed += sizeof m;
      for (int i = 0; i < 3; ++i)
        masks[i] = Le32(m + 4 * i);
    }
  }
  std::vector<RGBQUAD> colors;
  if (bits <= 8) {
    const size_t n = clrUsed != 0 && clrUsed <= (1u << bits) ? clrUsed : size_t{1} << bits;
    const size_t entry = core ? 3 : 4;
    std::vector<uint8_t> table(n * entry);
    ReadExactly(stream, table.data(), table.size());
    consumed += table.size();
    for (size_t i = 0; i < n; ++i)
      colors.push_back(RGBQUAD{table[i * entry], table[i * entry + 1], table[i * entry + 2], 0});
  }
  if (offBits > consumed) {
    // An offset beyond the end of the stream is refused before the gap is
    // taken in.
    if (static_cast<int64_t>(offBits - consumed) > stream->Size() - stream->Position())
      InvalidBitmap();
    std::vector<uint8_t> gap(offBits - consumed);
    ReadExactly(stream, gap.data(), gap.size());
  }
  const int stride = DibStride(width, bits);
  const size_t rowBytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
  // Nothing is made larger than what the stream can fill: a header that
  // claims gigabytes of pixels in a short file is refused before the
  // allocation. Run-length data may leave pixels blank, so it is held to a
  // picture of 256 MB instead.
  const int64_t available = stream->Size() - stream->Position();
  if ((!rle && static_cast<int64_t>(rowBytes) > available) || (rle && rowBytes > (256u << 20)))
    InvalidBitmap();
  const int storeBits = bits == 16 ? 24 : bits;
  if (!rle && storeBits == bits && compression != BI_BITFIELDS)
    return ReadPlainRows(stream, width, height, storeBits, topDown, colors);
  std::vector<uint8_t> rows(rowBytes, 0);
  if (rle) {
    const int64_t left = stream->Size() - stream->Position();
    std::vector<uint8_t> data(static_cast<size_t>(std::max<int64_t>(0, left)));
    ReadExactly(stream, data.data(), data.size());
    DecodeRle(data, bits, width, height, stride, rows);
  } else {
    ReadExactly(stream, rows.data(), rows.size());
  }
  HBITMAP b = NewDibBitmap(width, height, storeBits, colors);
  for (int y = 0; y < height; ++y) {
    const int source = topDown && !rle ? y : height - 1 - y;
    const uint8_t* row = rows.data() + static_cast<ptrdiff_t>(source) * stride;
    if (bits == 16 || (bits == 32 && compression == BI_BITFIELDS)) {
      for (int x = 0; x < width; ++x) {
        const uint32_t pixel = bits == 16 ? Le16(row + 2 * x) : Le32(row + 4 * x);
        b->SetRaw(x, y,
                  RGB(MaskedChannel(pixel, masks[0]), MaskedChannel(pixel, masks[1]),
                      MaskedChannel(pixel, masks[2])));
      }
      continue;
    }
    std::memcpy(b->Row(y), row, static_cast<size_t>(stride));
    ClearAlpha(b, y);
  }
  return b;
}

std::vector<uint8_t> BmpImage(const TBitmapObject* b) {
  const uint32_t colors = b->Indexed() ? static_cast<uint32_t>(b->Colors.size()) : 0;
  const uint32_t offBits = 14 + 40 + 4 * colors;
  const uint32_t imageSize = static_cast<uint32_t>(DibStride(b->Width, b->BitCount) * b->Height);
  std::vector<uint8_t> out;
  out.reserve(offBits + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, offBits + imageSize);
  Put32(out, 0);
  Put32(out, offBits);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(b->Width));
  Put32(out, static_cast<uint32_t>(b->Height));
  Put16(out, 1);
  Put16(out, static_cast<uint16_t>(b->BitCount));
  Put32(out, 0);
  Put32(out, imageSize);
  Put32(out, 3780); // 96 dots per inch
  Put32(out, 3780);
  Put32(out, colors);
  Put32(out, 0);
  for (uint32_t i = 0; i < colors; ++i) {
    const RGBQUAD& q = b->Colors[i];
    out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
  }
  for (int y = b->Height - 1; y >= 0; --y) {
    const uint8_t* row = b->Row(y);
    out.insert(out.end(), row, row + b->Stride);
  }
  return out;
}

} // namespace

void TBitmap::LoadFromStream(TStream* Stream) {
  HBITMAP b = nullptr;
  try {
    b = ReadBmp(Stream);
  } catch (const EReadError&) {
    InvalidBitmap();
  }
  Replace(b, BitsFormat(b->BitCount));
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (handle == nullptr)
    return;
  const std::vector<uint8_t> image = BmpImage(handle);
  Stream->WriteBuffer(image.data(), static_cast<int>(image.size()));
}

void TBitmap::ReadData(TStream* Stream) {
  uint8_t sizeBytes[4];
  Stream->ReadBuffer(sizeBytes, 4);
  const uint32_t size = Le32(sizeBytes);
  if (size == 0) {
    Replace(nullptr, pixelFormat);
    return;
  }
  if (size > Stream->Size() - Stream->Position())
    InvalidBitmap();
  TMemoryStream image;
  image.CopyFrom(Stream, size);
  image.SetPosition(0);
  LoadFromStream(&image);
}

void TBitmap::WriteData(TStream* Stream) {
  const std::vector<uint8_t> image = handle != nullptr ? BmpImage(handle) : std::vector<uint8_t>{};
  std::vector<uint8_t> size;
  Put32(size, static_cast<uint32_t>(image.size()));
  Stream->WriteBuffer(size.data(), 4);
  Stream->WriteBuffer(image.data(), static_cast<int>(image.size()));
}

// ---------------------------------------------------------------------------
// Pictures and their registries

namespace {

AnsiString Lower(AnsiString s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

struct TFileFormat {
  AnsiString Extension; // lower case
  AnsiString Description;
  AnsiString ClassName;
  TGraphicFactory Factory;
};

struct TGraphicRegistry {
  std::vector<TFileFormat> formats;
  std::map<AnsiString, TGraphicFactory> classes; // by lower-case name
  std::map<WORD, AnsiString> clipboard;
};

std::unique_ptr<TGraphic> NewBitmap() {
  return std::make_unique<TBitmap>();
}

std::unique_ptr<TGraphic> NewJpeg() {
  return std::make_unique<TJPEGImage>();
}

TGraphicRegistry& Registry() {
  static TGraphicRegistry registry = [] {
    TGraphicRegistry r;
    r.formats = {{"bmp", "Bitmaps", "TBitmap", NewBitmap},
                 {"jpg", "JPEG Image File", "TJPEGImage", NewJpeg},
                 {"jpeg", "JPEG Image File", "TJPEGImage", NewJpeg}};
    r.classes = {{"tbitmap", NewBitmap}, {"tjpegimage", NewJpeg}};
    return r;
  }();
  return registry;
}

} // namespace

void TPicture::RegisterFileFormat(const AnsiString& Extension, const AnsiString& Description,
                                  const AnsiString& ClassName, TGraphicFactory Factory) {
  TGraphicRegistry& r = Registry();
  const AnsiString ext = Lower(Extension);
  std::erase_if(r.formats, [&](const TFileFormat& f) { return f.Extension == ext; });
  r.formats.push_back({ext, Description, ClassName, Factory});
  r.classes[Lower(ClassName)] = Factory;
}

void TPicture::RegisterClipboardFormat(WORD Format, const AnsiString& ClassName,
                                       TGraphicFactory Factory) {
  TGraphicRegistry& r = Registry();
  r.clipboard[Format] = ClassName;
  r.classes[Lower(ClassName)] = Factory;
}

void TPicture::UnregisterGraphicClass(const AnsiString& ClassName) {
  TGraphicRegistry& r = Registry();
  const AnsiString name = Lower(ClassName);
  std::erase_if(r.formats, [&](const TFileFormat& f) { return Lower(f.ClassName) == name; });
  std::erase_if(r.clipboard, [&](const auto& c) { return Lower(c.second) == name; });
  r.classes.erase(name);
}

std::unique_ptr<TGraphic> TPicture::CreateGraphic(const AnsiString& ClassName) {
  const TGraphicRegistry& r = Registry();
  const auto it = r.classes.find(Lower(ClassName));
  return it != r.classes.end() ? it->second() : nullptr;
}

std::unique_ptr<TGraphic> TPicture::CreateGraphicForExtension(const AnsiString& Extension) {
  AnsiString ext = Lower(Extension);
  if (!ext.empty() && ext[0] == '.')
    ext.erase(0, 1);
  for (const TFileFormat& f : Registry().formats)
    if (f.Extension == ext)
      return f.Factory();
  return nullptr;
}

bool TPicture::SupportsClipboardFormat(WORD Format) {
  return Registry().clipboard.count(Format) != 0;
}

AnsiString TPicture::GraphicFilter() {
  AnsiString all, each;
  for (const TFileFormat& f : Registry().formats) {
    const AnsiString mask = "*." + f.Extension;
    all += (all.empty() ? "" : ";") + mask;
    each += "|" + f.Description + " (" + mask + ")|" + mask;
  }
  return "All (" + all + ")|" + all + each;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
  if (OnChange)
    OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> Value) {
  graphic = std::move(Value);
  if (graphic) {
    graphic->OnChange = [this](TObject* sender) { Changed(sender); };
    graphic->OnProgress = [this](TObject* sender, TProgressStage stage, uint8_t percent,
                                 bool redraw, const TRect& r, const AnsiString& msg) {
      if (OnProgress)
        OnProgress(sender, stage, percent, redraw, r, msg);
    };
  }
  Changed(this);
}

void TPicture::SetGraphic(const TGraphic* Value) {
  if (Value == graphic.get())
    return;
  if (Value == nullptr) {
    Take(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> copy = CreateGraphic(Value->ClassName());
  if (!copy)
    throw EInvalidGraphic("Unknown graphic class " + Value->ClassName());
  copy->Assign(Value);
  Take(std::move(copy));
}

void TPicture::Assign(const TPersistent* Source) {
  if (Source == this)
    return;
  if (Source == nullptr) {
    SetGraphic(nullptr);
  } else if (const auto* picture = dynamic_cast<const TPicture*>(Source)) {
    SetGraphic(picture->Graphic());
  } else if (const auto* g = dynamic_cast<const TGraphic*>(Source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(Source);
  }
}

TBitmap* TPicture::Bitmap() {
  auto* bitmap = dynamic_cast<TBitmap*>(graphic.get());
  if (bitmap == nullptr) {
    Take(std::make_unique<TBitmap>());
    bitmap = static_cast<TBitmap*>(graphic.get());
  }
  return bitmap;
}

void TPicture::LoadFromFile(const AnsiString& FileName) {
  const size_t dot = FileName.rfind('.');
  const size_t slash = FileName.rfind('/');
  const AnsiString ext = dot == AnsiString::npos || (slash != AnsiString::npos && dot < slash)
                             ? AnsiString()
                             : FileName.substr(dot + 1);
  std::unique_ptr<TGraphic> g = CreateGraphicForExtension(ext);
  if (!g)
    throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  g->OnProgress = OnProgress;
  g->LoadFromFile(FileName);
  Take(std::move(g));
}

void TPicture::SaveToFile(const AnsiString& FileName) {
  if (graphic)
    graphic->SaveToFile(FileName);
}

void TPicture::ReadData(TStream* Stream) {
  uint8_t length = 0;
  Stream->ReadBuffer(&length, 1);
  if (length == 0) {
    Take(nullptr);
    return;
  }
  AnsiString name(length, '\0');
  Stream->ReadBuffer(name.data(), length);
  std::unique_ptr<TGraphic> g = CreateGraphic(name);
  if (!g)
    throw EInvalidGraphic("Unknown graphic class " + name);
  g->OnProgress = OnProgress;
  g->ReadData(Stream);
  Take(std::move(g));
}

void TPicture::WriteData(TStream* Stream) {
  const AnsiString name = graphic ? graphic->ClassName() : AnsiString();
  const uint8_t length = static_cast<uint8_t>(std::min<size_t>(name.size(), 255));
  Stream->WriteBuffer(&length, 1);
  Stream->WriteBuffer(name.data(), length);
  if (graphic)
    graphic->WriteData(Stream);
}
