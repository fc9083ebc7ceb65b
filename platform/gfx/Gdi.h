#pragma once
// The drawing interface of the platform as the skinned controls and the
// picture classes call it: handles to drawing objects, device contexts over
// bitmaps and windows, blits with raster operations, regions and palettes.
// Colours here are COLORREF values 0x00BBGGRR. Pixels of every bitmap are kept
// top-down with rows padded to 4 bytes; raster operations work on those bytes
// directly, so results are exact to the pixel.
#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using UINT = uint32_t;
using BOOL = int;
using COLORREF = DWORD;

// Every drawing object is one of these; the handle is its address.
class TGdiObject;
class TBitmapObject;
class TBrushObject;
class TPenObject;
class TFontObject;
class TRegionObject;
class TPaletteObject;
class TDeviceContext;

using HGDIOBJ = TGdiObject*;
using HBITMAP = TBitmapObject*;
using HBRUSH = TBrushObject*;
using HPEN = TPenObject*;
using HFONT = TFontObject*;
using HRGN = TRegionObject*;
using HPALETTE = TPaletteObject*;
using HDC = TDeviceContext*;

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};

// Left and top inside, right and bottom outside.
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) {
  return static_cast<BYTE>(c);
}
constexpr BYTE GetGValue(COLORREF c) {
  return static_cast<BYTE>(c >> 8);
}
constexpr BYTE GetBValue(COLORREF c) {
  return static_cast<BYTE>(c >> 16);
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Bitmap descriptions.
struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 0;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;
};

struct BITMAPINFOHEADER {
  DWORD biSize = 0;
  LONG biWidth = 0;
  LONG biHeight = 0; // negative: rows run top-down
  WORD biPlanes = 0;
  WORD biBitCount = 0;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};

struct RGBQUAD {
  BYTE rgbBlue = 0;
  BYTE rgbGreen = 0;
  BYTE rgbRed = 0;
  BYTE rgbReserved = 0;
};

// A header followed by its colour table; callers with more than one colour
// allocate the larger block and address bmiColors beyond index 0.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

// Bytes per row of a device-independent bitmap: padded to 4 bytes.
constexpr LONG DibStride(LONG width, int bitCount) {
  return ((width * bitCount + 31) / 32) * 4;
}

// Palettes.
struct PALETTEENTRY {
  BYTE peRed = 0;
  BYTE peGreen = 0;
  BYTE peBlue = 0;
  BYTE peFlags = 0;
};

// peFlags: the entry keeps its own place in the system palette.
constexpr BYTE PC_NOCOLLAPSE = 0x04;

struct LOGPALETTE {
  WORD palVersion = 0x300;
  WORD palNumEntries = 0;
  PALETTEENTRY palPalEntry[1];
};

// Pens, brushes, fonts.
enum : UINT {
  PS_SOLID = 0,
  PS_DASH = 1,
  PS_DOT = 2,
  PS_DASHDOT = 3,
  PS_DASHDOTDOT = 4,
  PS_NULL = 5,
  PS_INSIDEFRAME = 6,
};
enum : UINT { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3 };
enum : int {
  HS_HORIZONTAL = 0,
  HS_VERTICAL = 1,
  HS_FDIAGONAL = 2,
  HS_BDIAGONAL = 3,
  HS_CROSS = 4,
  HS_DIAGCROSS = 5,
};

struct LOGPEN {
  UINT lopnStyle = PS_SOLID;
  POINT lopnWidth;
  COLORREF lopnColor = 0;
};

struct LOGBRUSH {
  UINT lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  intptr_t lbHatch = 0;
};

constexpr int LF_FACESIZE = 32;
enum : LONG { FW_NORMAL = 400, FW_BOLD = 700 };
enum : BYTE { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, OEM_CHARSET = 255 };
enum : BYTE { DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2 };

struct LOGFONT {
  LONG lfHeight = 0; // negative: character height; positive: cell height
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = FW_NORMAL;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = DEFAULT_CHARSET;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = DEFAULT_PITCH;
  char lfFaceName[LF_FACESIZE] = {};
};

struct TEXTMETRIC {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
};

// Stock objects: never deleted, always valid.
enum : int {
  WHITE_BRUSH = 0,
  LTGRAY_BRUSH = 1,
  GRAY_BRUSH = 2,
  DKGRAY_BRUSH = 3,
  BLACK_BRUSH = 4,
  NULL_BRUSH = 5,
  WHITE_PEN = 6,
  BLACK_PEN = 7,
  NULL_PEN = 8,
  SYSTEM_FONT = 13,
  DEFAULT_PALETTE = 15,
  DEFAULT_GUI_FONT = 17,
};

// Ternary raster operations (pattern, source, destination).
enum : DWORD {
  SRCCOPY = 0x00CC0020,
  SRCPAINT = 0x00EE0086,
  SRCAND = 0x008800C6,
  SRCINVERT = 0x00660046,
  SRCERASE = 0x00440328,
  NOTSRCCOPY = 0x00330008,
  NOTSRCERASE = 0x001100A6,
  MERGECOPY = 0x00C000CA,
  MERGEPAINT = 0x00BB0226,
  PATCOPY = 0x00F00021,
  PATPAINT = 0x00FB0A09,
  PATINVERT = 0x005A0049,
  DSTINVERT = 0x00550009,
  BLACKNESS = 0x00000042,
  WHITENESS = 0x00FF0062,
};

// Binary raster operations for pens and fills (SetROP2).
enum : int {
  R2_BLACK = 1,
  R2_NOTMERGEPEN = 2,
  R2_MASKNOTPEN = 3,
  R2_NOTCOPYPEN = 4,
  R2_MASKPENNOT = 5,
  R2_NOT = 6,
  R2_XORPEN = 7,
  R2_NOTMASKPEN = 8,
  R2_MASKPEN = 9,
  R2_NOTXORPEN = 10,
  R2_NOP = 11,
  R2_MERGENOTPEN = 12,
  R2_COPYPEN = 13,
  R2_MERGEPENNOT = 14,
  R2_MERGEPEN = 15,
  R2_WHITE = 16,
};

enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };

// Region results and combination modes.
enum : int { ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

// The region data block: a 32-byte header, then nCount rectangles.
struct RGNDATAHEADER {
  DWORD dwSize = 32;
  DWORD iType = 1;
  DWORD nCount = 0;
  DWORD nRgnSize = 0;
  RECT rcBound;
};
constexpr DWORD RDH_RECTANGLES = 1;

struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
};

// GetDeviceCaps indexes.
enum : int {
  HORZRES = 8,
  VERTRES = 10,
  BITSPIXEL = 12,
  PLANES = 14,
  NUMCOLORS = 24,
  LOGPIXELSX = 88,
  LOGPIXELSY = 90,
  SIZEPALETTE = 104,
  RASTERCAPS = 38,
};
constexpr int RC_PALETTE = 0x0100;

// DrawText formats.
enum : UINT {
  DT_TOP = 0x0000,
  DT_LEFT = 0x0000,
  DT_CENTER = 0x0001,
  DT_RIGHT = 0x0002,
  DT_VCENTER = 0x0004,
  DT_BOTTOM = 0x0008,
  DT_WORDBREAK = 0x0010,
  DT_SINGLELINE = 0x0020,
  DT_EXPANDTABS = 0x0040,
  DT_NOCLIP = 0x0100,
  DT_CALCRECT = 0x0400,
  DT_NOPREFIX = 0x0800,
  DT_END_ELLIPSIS = 0x8000,
};

// Objects.
BOOL DeleteObject(HGDIOBJ Object);
HGDIOBJ GetStockObject(int Index);
// Bytes written; for a bitmap Buffer is a BITMAP, for a palette a WORD count.
int GetObject(HGDIOBJ Object, int Size, void* Buffer);

// Bitmaps. Planes other than 1 are refused; bit counts 1, 4, 8, 24 and 32.
HBITMAP CreateBitmap(int Width, int Height, UINT Planes, UINT BitCount, const void* Bits);
HBITMAP CreateCompatibleBitmap(HDC DC, int Width, int Height);
// A bitmap whose pixel bytes the caller addresses through *Bits, laid out as
// the header says (rows top-down for a negative biHeight).
HBITMAP CreateDIBSection(HDC DC, const BITMAPINFO* Info, UINT Usage, void** Bits, void* Section,
                         DWORD Offset);
// Reads Lines rows from Start in the format of Info; with Bits null and
// biBitCount 0 only fills Info's header. Returns the rows copied.
int GetDIBits(HDC DC, HBITMAP Bitmap, UINT Start, UINT Lines, void* Bits, BITMAPINFO* Info,
              UINT Usage);
int SetDIBits(HDC DC, HBITMAP Bitmap, UINT Start, UINT Lines, const void* Bits,
              const BITMAPINFO* Info, UINT Usage);
int SetDIBitsToDevice(HDC DC, int XDest, int YDest, DWORD Width, DWORD Height, int XSrc, int YSrc,
                      UINT StartScan, UINT Lines, const void* Bits, const BITMAPINFO* Info,
                      UINT Usage);
int StretchDIBits(HDC DC, int XDest, int YDest, int DestWidth, int DestHeight, int XSrc, int YSrc,
                  int SrcWidth, int SrcHeight, const void* Bits, const BITMAPINFO* Info, UINT Usage,
                  DWORD Rop);
// Entries from Start of the colour table of the palette bitmap selected
// into DC, at most Entries of them; the count copied, 0 for a bitmap of
// more than 8 bits per pixel or none.
UINT GetDIBColorTable(HDC DC, UINT Start, UINT Entries, RGBQUAD* Colors);

// Device contexts. A memory context starts with a 1 x 1 monochrome bitmap, as
// the platform's do; "DISPLAY" makes a context over the screen.
HDC CreateCompatibleDC(HDC DC);
HDC CreateDC(const char* Driver, const char* Device, const char* Output, const void* InitData);
BOOL DeleteDC(HDC DC);
HDC GetDC(void* Window); // null: the screen
int ReleaseDC(void* Window, HDC DC);
HGDIOBJ SelectObject(HDC DC, HGDIOBJ Object);
HGDIOBJ GetCurrentObject(HDC DC, UINT Kind);
enum : UINT { OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_PAL = 5, OBJ_FONT = 6, OBJ_BITMAP = 7 };
int SaveDC(HDC DC);
BOOL RestoreDC(HDC DC, int Saved); // negative: relative to the latest
int GetDeviceCaps(HDC DC, int Index);

COLORREF SetBkColor(HDC DC, COLORREF Color);
COLORREF GetBkColor(HDC DC);
COLORREF SetTextColor(HDC DC, COLORREF Color);
COLORREF GetTextColor(HDC DC);
int SetBkMode(HDC DC, int Mode);
int GetBkMode(HDC DC);
int SetROP2(HDC DC, int Mode);
int GetROP2(HDC DC);
int SetStretchBltMode(HDC DC, int Mode);
int GetStretchBltMode(HDC DC);
BOOL SetBrushOrgEx(HDC DC, int X, int Y, POINT* Old);

// Logical to device coordinates: device = logical - window origin + viewport origin.
BOOL SetViewportOrgEx(HDC DC, int X, int Y, POINT* Old);
BOOL GetViewportOrgEx(HDC DC, POINT* Origin);
BOOL OffsetViewportOrgEx(HDC DC, int DX, int DY, POINT* Old);
BOOL SetWindowOrgEx(HDC DC, int X, int Y, POINT* Old);
BOOL GetWindowOrgEx(HDC DC, POINT* Origin);
BOOL DPtoLP(HDC DC, POINT* Points, int Count);
BOOL LPtoDP(HDC DC, POINT* Points, int Count);
// One logical unit is one pixel: only MM_TEXT is known; the mode is kept.
enum : int { MM_TEXT = 1 };
int SetMapMode(HDC DC, int Mode);
int GetMapMode(HDC DC);

// Clipping; regions given to SelectClipRgn are in device coordinates and copied.
int IntersectClipRect(HDC DC, int Left, int Top, int Right, int Bottom);
int ExcludeClipRect(HDC DC, int Left, int Top, int Right, int Bottom);
int SelectClipRgn(HDC DC, HRGN Region);
int ExtSelectClipRgn(HDC DC, HRGN Region, int Mode);
int GetClipBox(HDC DC, RECT* Rect);  // logical coordinates
int GetClipRgn(HDC DC, HRGN Region); // 1 with a clip region, 0 without

// Blits.
BOOL BitBlt(HDC Dest, int X, int Y, int Width, int Height, HDC Src, int XSrc, int YSrc, DWORD Rop);
BOOL StretchBlt(HDC Dest, int X, int Y, int Width, int Height, HDC Src, int XSrc, int YSrc,
                int SrcWidth, int SrcHeight, DWORD Rop);
BOOL PatBlt(HDC DC, int X, int Y, int Width, int Height, DWORD Rop);
// Source pixels where the mask bit is 1 use ForeRop, else BackRop (both the
// high byte of a ternary code, as the platform's MAKEROP4 composes them).
BOOL MaskBlt(HDC Dest, int X, int Y, int Width, int Height, HDC Src, int XSrc, int YSrc,
             HBITMAP Mask, int XMask, int YMask, DWORD Rop);
constexpr DWORD MAKEROP4(DWORD Fore, DWORD Back) {
  return ((Back << 8) & 0xFF000000) | Fore;
}

COLORREF GetPixel(HDC DC, int X, int Y); // CLR_INVALID outside the surface or clip
COLORREF SetPixel(HDC DC, int X, int Y, COLORREF Color);

// Drawing objects.
HPEN CreatePen(int Style, int Width, COLORREF Color);
HPEN CreatePenIndirect(const LOGPEN* Pen);
HBRUSH CreateSolidBrush(COLORREF Color);
HBRUSH CreateHatchBrush(int Hatch, COLORREF Color);
HBRUSH CreatePatternBrush(HBITMAP Pattern); // copies the top-left 8 x 8 pixels
HBRUSH CreateBrushIndirect(const LOGBRUSH* Brush);
HFONT CreateFontIndirect(const LOGFONT* Font);

// Shapes, with the selected pen and brush; right and bottom are outside.
BOOL MoveToEx(HDC DC, int X, int Y, POINT* Old);
BOOL LineTo(HDC DC, int X, int Y); // the end point itself is not drawn
BOOL Polyline(HDC DC, const POINT* Points, int Count);
BOOL Polygon(HDC DC, const POINT* Points, int Count);
BOOL Rectangle(HDC DC, int Left, int Top, int Right, int Bottom);
BOOL Ellipse(HDC DC, int Left, int Top, int Right, int Bottom);
BOOL RoundRect(HDC DC, int Left, int Top, int Right, int Bottom, int Width, int Height);
// Counter-clockwise from the ray through (X3, Y3) to the ray through (X4, Y4).
BOOL Arc(HDC DC, int Left, int Top, int Right, int Bottom, int X3, int Y3, int X4, int Y4);
BOOL Pie(HDC DC, int Left, int Top, int Right, int Bottom, int X3, int Y3, int X4, int Y4);
int FillRect(HDC DC, const RECT* Rect, HBRUSH Brush);
int FrameRect(HDC DC, const RECT* Rect, HBRUSH Brush);
BOOL InvertRect(HDC DC, const RECT* Rect);
BOOL DrawFocusRect(HDC DC, const RECT* Rect); // dotted, inverting: twice restores
// 3-D edges in the system colours. An outer and an inner one-pixel border
// each: raised ones light at the top and left, sunken ones dark there.
enum : UINT {
  BDR_RAISEDOUTER = 0x0001,
  BDR_SUNKENOUTER = 0x0002,
  BDR_RAISEDINNER = 0x0004,
  BDR_SUNKENINNER = 0x0008,
  EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
  EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
};
// Which sides; BF_MIDDLE fills the inside with the face colour, BF_ADJUST
// shrinks Rect to what the edges leave.
enum : UINT {
  BF_LEFT = 0x0001,
  BF_TOP = 0x0002,
  BF_RIGHT = 0x0004,
  BF_BOTTOM = 0x0008,
  BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
  BF_MIDDLE = 0x0800,
  BF_ADJUST = 0x2000,
};
BOOL DrawEdge(HDC DC, RECT* Rect, UINT Edge, UINT Flags);
// Standard frames; only the push button: raised, or sunken when pushed, on
// the face colour. DFCS_ADJUSTRECT shrinks Rect to the face inside.
enum : UINT { DFC_BUTTON = 4 };
enum : UINT { DFCS_BUTTONPUSH = 0x0010, DFCS_ADJUSTRECT = 0x2000, DFCS_PUSHED = 0x0200 };
BOOL DrawFrameControl(HDC DC, RECT* Rect, UINT Type, UINT State);

// Text, Windows-1252 bytes, in the selected font and text colour; the
// background is filled with the background colour in OPAQUE mode.
BOOL TextOut(HDC DC, int X, int Y, const char* Text, int Length);
// Options: ETO_OPAQUE fills Rect with the background colour, ETO_CLIPPED clips to it.
enum : UINT { ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004 };
BOOL ExtTextOut(HDC DC, int X, int Y, UINT Options, const RECT* Rect, const char* Text, int Length,
                const int* Dx);
BOOL GetTextExtentPoint32(HDC DC, const char* Text, int Length, SIZE* Size);
BOOL GetTextMetrics(HDC DC, TEXTMETRIC* Metrics);
// Returns the height of the text; with DT_CALCRECT only measures, widening or
// narrowing Rect's right and setting its bottom.
int DrawText(HDC DC, const char* Text, int Length, RECT* Rect, UINT Format);

// Regions.
HRGN CreateRectRgn(int Left, int Top, int Right, int Bottom);
HRGN CreateRectRgnIndirect(const RECT* Rect);
HRGN CreateEllipticRgn(int Left, int Top, int Right, int Bottom);
HRGN CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int Width, int Height);
HRGN CreatePolygonRgn(const POINT* Points, int Count, int FillMode);
enum : int { ALTERNATE = 1, WINDING = 2 };
int CombineRgn(HRGN Dest, HRGN Src1, HRGN Src2, int Mode);
int OffsetRgn(HRGN Region, int DX, int DY);
BOOL PtInRegion(HRGN Region, int X, int Y);
BOOL RectInRegion(HRGN Region, const RECT* Rect);
BOOL EqualRgn(HRGN A, HRGN B);
int GetRgnBox(HRGN Region, RECT* Rect);
BOOL SetRectRgn(HRGN Region, int Left, int Top, int Right, int Bottom);
// Writes the region data when Size is large enough and Data is not null;
// always returns the size the data needs (0 for a bad region).
DWORD GetRegionData(HRGN Region, DWORD Size, RGNDATA* Data);
// Null for data whose header or sizes are wrong. The transform is not supported
// and must be null.
HRGN ExtCreateRegion(const void* Transform, DWORD Size, const RGNDATA* Data);
BOOL FillRgn(HDC DC, HRGN Region, HBRUSH Brush);
BOOL FrameRgn(HDC DC, HRGN Region, HBRUSH Brush, int Width, int Height);
BOOL PaintRgn(HDC DC, HRGN Region);
BOOL InvertRgn(HDC DC, HRGN Region);

// Palettes. The default palette holds the platform's 20 static colours; the
// halftone palette is those 20 and a 6 x 6 x 6 colour cube.
HPALETTE CreatePalette(const LOGPALETTE* Palette);
HPALETTE CreateHalftonePalette(HDC DC);
UINT GetPaletteEntries(HPALETTE Palette, UINT Start, UINT Count, PALETTEENTRY* Entries);
UINT SetPaletteEntries(HPALETTE Palette, UINT Start, UINT Count, const PALETTEENTRY* Entries);
UINT GetNearestPaletteIndex(HPALETTE Palette, COLORREF Color);
HPALETTE SelectPalette(HDC DC, HPALETTE Palette, BOOL ForceBackground);
UINT RealizePalette(HDC DC);
UINT GetSystemPaletteEntries(HDC DC, UINT Start, UINT Count, PALETTEENTRY* Entries);

// Rectangles.
BOOL SetRect(RECT* Rect, int Left, int Top, int Right, int Bottom);
BOOL IntersectRect(RECT* Dest, const RECT* A, const RECT* B);
BOOL UnionRect(RECT* Dest, const RECT* A, const RECT* B);
BOOL OffsetRect(RECT* Rect, int DX, int DY);
BOOL InflateRect(RECT* Rect, int DX, int DY);
BOOL PtInRect(const RECT* Rect, POINT Point); // right and bottom edges outside
BOOL IsRectEmpty(const RECT* Rect);
BOOL EqualRect(const RECT* A, const RECT* B);

// System colours by index (COLOR_BTNFACE and so on), our own fixed table.
enum : int {
  COLOR_SCROLLBAR = 0,
  COLOR_BACKGROUND = 1,
  COLOR_ACTIVECAPTION = 2,
  COLOR_INACTIVECAPTION = 3,
  COLOR_MENU = 4,
  COLOR_WINDOW = 5,
  COLOR_WINDOWFRAME = 6,
  COLOR_MENUTEXT = 7,
  COLOR_WINDOWTEXT = 8,
  COLOR_CAPTIONTEXT = 9,
  COLOR_ACTIVEBORDER = 10,
  COLOR_INACTIVEBORDER = 11,
  COLOR_APPWORKSPACE = 12,
  COLOR_HIGHLIGHT = 13,
  COLOR_HIGHLIGHTTEXT = 14,
  COLOR_BTNFACE = 15,
  COLOR_BTNSHADOW = 16,
  COLOR_GRAYTEXT = 17,
  COLOR_BTNTEXT = 18,
  COLOR_INACTIVECAPTIONTEXT = 19,
  COLOR_BTNHIGHLIGHT = 20,
  COLOR_3DDKSHADOW = 21,
  COLOR_3DLIGHT = 22,
  COLOR_INFOTEXT = 23,
  COLOR_INFOBK = 24,
  COLOR_COUNT = 25,
};
COLORREF GetSysColor(int Index);

// The screen: its size comes from the backend; its depth in bits per pixel is
// 32 unless a test sets another one (palette devices have 8 or fewer).
int GfxScreenDepth();
void GfxSetScreenDepth(int BitsPerPixel);

// The objects behind the handles, complete so that a handle of any kind is an
// HGDIOBJ; their members are this layer's business.
#include "platform/gfx/GdiObjects.h"
