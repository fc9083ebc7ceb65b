#pragma once
// The class library's drawing objects: colours, fonts, pens, brushes, the
// canvas that draws with them, and the graphic classes (bitmaps, pictures)
// with their registry of file formats. Built on the handles of Gdi.h.
#include "platform/gfx/Gdi.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"

#include <memory>
#include <mutex>
#include <vector>

// ---------------------------------------------------------------------------
// Colours: 0x00BBGGRR; system colours have the top bit set and their index
// in the low byte; ColorToRGB resolves them from our fixed table.

using TColor = int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor SysColor(int index) {
  return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index));
}

constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SysColor(COLOR_MENU);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

// Draw without transparency / take the colour from the bitmap.
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
// Flags of palette-relative and palette-index colours.
constexpr TColor clPaletteRelative = 0x02000000;
constexpr TColor clPaletteIndex = 0x01000000;

// System colours become their RGB value; other colours are returned as they
// are (clNone and clDefault included).
TColor ColorToRGB(TColor Color);
// The colour's identifier ("clBtnFace") when it has one.
bool ColorToIdent(TColor Color, AnsiString& Ident);
bool IdentToColor(const AnsiString& Ident, TColor& Color);
// Identifier or "$00BBGGRR"; the reverse also takes decimal and $hex numbers.
AnsiString ColorToString(TColor Color);
TColor StringToColor(const AnsiString& Text); // EConvertError when not a colour

// Rounded a * b / c, as the platform's MulDiv (-1 for c = 0).
int MulDiv(int a, int b, int c);

class EInvalidGraphic : public Exception {
public:
  using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
public:
  using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Fonts, pens, brushes

// Each owns the platform object made from its values, remade after a change.
class TGraphicsObject : public TPersistent {
public:
  TNotifyEvent OnChange;

protected:
  virtual void Changed();
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;

class TFont : public TGraphicsObject {
public:
  TFont();
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  void Assign(const TPersistent* Source) override;

  AnsiString Name() const { return name; }
  void SetName(const AnsiString& Value);
  // Points; Height is pixels, negative for the character height.
  int Size() const;
  void SetSize(int Value);
  int Height() const { return height; }
  void SetHeight(int Value);
  TFontStyles Style() const { return style; }
  void SetStyle(TFontStyles Value);
  TColor Color() const { return color; }
  void SetColor(TColor Value);
  TFontPitch Pitch() const { return pitch; }
  void SetPitch(TFontPitch Value);
  TFontCharset Charset() const { return charset; }
  void SetCharset(TFontCharset Value);
  int PixelsPerInch() const { return 96; }

  HFONT Handle();
  LOGFONT LogFont() const;

private:
  void Change();
  AnsiString name = "MS Sans Serif";
  int height = -11;
  TFontStyles style;
  TColor color = clWindowText;
  TFontPitch pitch = fpDefault;
  TFontCharset charset = DEFAULT_CHARSET;
  HFONT handle = nullptr;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};

class TPen : public TGraphicsObject {
public:
  TPen() = default;
  ~TPen() override;
  TPen(const TPen&) = delete;
  TPen& operator=(const TPen&) = delete;

  void Assign(const TPersistent* Source) override;

  TColor Color() const { return color; }
  void SetColor(TColor Value);
  int Width() const { return width; }
  void SetWidth(int Value);
  TPenStyle Style() const { return style; }
  void SetStyle(TPenStyle Value);
  TPenMode Mode() const { return mode; }
  void SetMode(TPenMode Value);

  HPEN Handle();
  int Rop2() const; // the binary raster operation of Mode

private:
  void Change();
  TColor color = clBlack;
  int width = 1;
  TPenStyle style = psSolid;
  TPenMode mode = pmCopy;
  HPEN handle = nullptr;
};

enum TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

class TBitmap;

class TBrush : public TGraphicsObject {
public:
  TBrush() = default;
  ~TBrush() override;
  TBrush(const TBrush&) = delete;
  TBrush& operator=(const TBrush&) = delete;

  void Assign(const TPersistent* Source) override;

  TColor Color() const { return color; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return style; }
  void SetStyle(TBrushStyle Value);
  // An 8 x 8 pattern, not owned; its pixels are copied when the brush is made.
  TBitmap* Bitmap() const { return bitmap; }
  void SetBitmap(TBitmap* Value);

  HBRUSH Handle();

private:
  void Change();
  TColor color = clWhite;
  TBrushStyle style = bsSolid;
  TBitmap* bitmap = nullptr;
  HBRUSH handle = nullptr;
};

// ---------------------------------------------------------------------------
// Canvas

using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

class TGraphic;

// Draws through a device context with its Pen, Brush and Font, which are put
// into the context before every operation. The context is the canvas's own
// (made by CreateHandle in a descendant) or one given with SetHandle, which
// the canvas does not own: hand it null before deleting that context.
class TCanvas : public TPersistent {
public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Handle(); // EInvalidOperation "Canvas does not allow drawing" without one
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return handle != nullptr; }

  TFont* Font() { return font.get(); }
  TPen* Pen() { return pen.get(); }
  TBrush* Brush() { return brush.get(); }
  void SetFont(const TFont* Value) { font->Assign(Value); }
  void SetPen(const TPen* Value) { pen->Assign(Value); }
  void SetBrush(const TBrush* Value) { brush->Assign(Value); }
  TCopyMode CopyMode() const { return copyMode; }
  void SetCopyMode(TCopyMode Value) { copyMode = Value; }
  TPoint PenPos();
  void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
  TRect ClipRect();

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y); // the end point is not drawn
  void Polyline(const std::vector<TPoint>& Points);
  void Polygon(const std::vector<TPoint>& Points);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  // Counter-clockwise along the ellipse in (X1, Y1, X2, Y2) from the ray
  // through (X3, Y3) to the ray through (X4, Y4).
  void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& R, TGraphic* Graphic);
  void CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect);
  // Text is Windows-1252; TextOut moves PenPos to the text's end.
  void TextOut(int X, int Y, const AnsiString& Text);
  // Text at (X, Y) clipped to R; R is filled first when the brush is solid.
  void TextRect(const TRect& R, int X, int Y, const AnsiString& Text);
  SIZE TextExtent(const AnsiString& Text);
  int TextWidth(const AnsiString& Text) { return TextExtent(Text).cx; }
  int TextHeight(const AnsiString& Text) { return TextExtent(Text).cy; }
  // The platform's DrawText with this canvas's font (DT_ flags).
  int DrawText(const AnsiString& Text, TRect& R, UINT Format);
  void DrawFocusRect(const TRect& R);
  // clNone outside the surface; writes there do nothing.
  TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Color);

  // Serialises drawing from other threads (the GIF painters).
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return lockCount; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();
  // Puts Pen, Brush and Font into the context; answers the context.
  HDC Prepare();

private:
  HDC handle = nullptr;
  std::unique_ptr<TFont> font;
  std::unique_ptr<TPen> pen;
  std::unique_ptr<TBrush> brush;
  TCopyMode copyMode = cmSrcCopy;
  std::recursive_mutex lock;
  int lockCount = 0;
};

// ---------------------------------------------------------------------------
// Graphics and pictures

enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent =
    std::function<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                       const TRect& R, const AnsiString& Msg)>;

class TGraphic : public TPersistent {
public:
  ~TGraphic() override = default;

  virtual void Draw(TCanvas* Canvas, const TRect& Rect) = 0;
  virtual bool GetEmpty() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual void SetHeight(int Value) = 0;
  virtual HPALETTE GetPalette() { return nullptr; }
  virtual void SetPalette(HPALETTE) {}
  virtual bool GetTransparent() const { return transparent; }
  virtual void SetTransparent(bool Value);
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  // The clipboard is not reached from this layer; classes that know a
  // clipboard format override these.
  virtual void LoadFromClipboardFormat(WORD Format, uintptr_t Data, HPALETTE Palette);
  virtual void SaveToClipboardFormat(WORD& Format, uintptr_t& Data, HPALETTE& Palette);
  virtual bool Equals(const TGraphic* Other) const;
  // The graphic as stored with a layout: its stream by default.
  virtual void ReadData(TStream* Stream) { LoadFromStream(Stream); }
  virtual void WriteData(TStream* Stream) { SaveToStream(Stream); }

  bool Empty() const { return GetEmpty(); }
  int Width() const { return GetWidth(); }
  int Height() const { return GetHeight(); }
  bool Transparent() const { return GetTransparent(); }
  HPALETTE Palette() { return GetPalette(); }
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName);

  bool Modified = false;
  bool PaletteModified = false;
  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

  virtual void Changed(TObject* Sender);
  void Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                const TRect& R, const AnsiString& Msg);

protected:
  bool transparent = false;
};

using TGraphicFactory = std::unique_ptr<TGraphic> (*)();

enum TPixelFormat {
  pfDevice,
  pf1bit,
  pf4bit,
  pf8bit,
  pf15bit,
  pf16bit,
  pf24bit,
  pf32bit,
  pfCustom
};
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };

class TBitmapCanvas;

// Pixels in 1, 4, 8 (with a colour table), 24 or 32 bits, rows top-down and
// padded to 4 bytes (ScanLine). A new bitmap is empty; growing it keeps the
// old pixels at the top left and makes the rest white.
class TBitmap : public TGraphic {
public:
  TBitmap();
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  void Assign(const TPersistent* Source) override; // safe on itself; null empties
  void Draw(TCanvas* Canvas, const TRect& Rect) override;
  bool GetEmpty() const override { return handle == nullptr; }
  int GetWidth() const override { return width; }
  int GetHeight() const override { return height; }
  void SetWidth(int Value) override { SetSize(Value, height); }
  void SetHeight(int Value) override { SetSize(width, Value); }
  void SetSize(int NewWidth, int NewHeight);
  void Changed(TObject* Sender) override;
  HPALETTE GetPalette() override;           // owned by the bitmap
  void SetPalette(HPALETTE Value) override; // copies the colours
  // A BMP file image, from the stream's position.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // A 32-bit byte count, then the BMP file image.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

  TCanvas* Canvas();
  HBITMAP Handle() const { return handle; }
  // Takes ownership of Value (which must not be selected in another context).
  void SetHandle(HBITMAP Value);
  // Gives up ownership: the bitmap is empty afterwards.
  HBITMAP ReleaseHandle();
  // A monochrome bitmap, white where the pixels have TransparentColor, owned
  // by the bitmap and remade after a change.
  HBITMAP MaskHandle();

  TPixelFormat PixelFormat() const;
  void SetPixelFormat(TPixelFormat Value);
  TBitmapHandleType HandleType() const { return handleType; }
  void SetHandleType(TBitmapHandleType Value) { handleType = Value; }
  bool Monochrome() const { return handle != nullptr && BitCount() == 1; }
  void SetMonochrome(bool Value);
  // Row Y's first byte; EInvalidGraphicOperation outside 0..Height-1.
  void* ScanLine(int Y);

  // tmAuto: the bottom-left pixel's colour; tmFixed: the colour set.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return transparentMode; }
  void SetTransparentMode(TTransparentMode Value);
  bool IgnorePalette = false;

  void Dormant() {}
  void FreeImage() {}

private:
  friend class TBitmapCanvas;
  int BitCount() const;
  void Replace(HBITMAP Value, TPixelFormat Format);
  void FreePalette();

  HBITMAP handle = nullptr;
  int width = 0;
  int height = 0;
  TPixelFormat pixelFormat = pfDevice;
  TBitmapHandleType handleType = bmDIB;
  TColor transparentColor = clDefault;
  TTransparentMode transparentMode = tmAuto;
  HPALETTE palette = nullptr;
  HBITMAP mask = nullptr;
  std::unique_ptr<TBitmapCanvas> canvas;
};

// A picture holds one graphic of any registered class.
class TPicture : public TPersistent {
public:
  TPicture();
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // Null and TPicture and TGraphic sources; the graphic is copied.
  void Assign(const TPersistent* Source) override;

  TGraphic* Graphic() const { return graphic.get(); }
  void SetGraphic(const TGraphic* Value); // copies it (null empties)
  // The graphic as a bitmap; a graphic of another class is replaced by an
  // empty bitmap first.
  TBitmap* Bitmap();
  int Width() const { return graphic ? graphic->Width() : 0; }
  int Height() const { return graphic ? graphic->Height() : 0; }

  // By the file's extension; EInvalidGraphic for unknown extensions.
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName);

  // The stored layout form: a one-byte length and the graphic's class name,
  // then the graphic's own data (nothing but a zero length when empty).
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

  // Registries: file formats by extension (without the dot, any case) and
  // graphic classes by name. "TBitmap" (bmp) and "TJPEGImage" (jpg, jpeg)
  // are known from the start.
  static void RegisterFileFormat(const AnsiString& Extension, const AnsiString& Description,
                                 const AnsiString& ClassName, TGraphicFactory Factory);
  static void RegisterClipboardFormat(WORD Format, const AnsiString& ClassName,
                                      TGraphicFactory Factory);
  static void UnregisterGraphicClass(const AnsiString& ClassName);
  static std::unique_ptr<TGraphic> CreateGraphic(const AnsiString& ClassName);
  static std::unique_ptr<TGraphic> CreateGraphicForExtension(const AnsiString& Extension);
  static bool SupportsClipboardFormat(WORD Format);
  // "All (*.bmp;*.jpg)|*.bmp;*.jpg|Bitmaps (*.bmp)|*.bmp|..."
  static AnsiString GraphicFilter();

private:
  void Changed(TObject* Sender);
  void Take(std::unique_ptr<TGraphic> Value);
  std::unique_ptr<TGraphic> graphic;
};
