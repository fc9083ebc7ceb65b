#pragma once
// The backend bridge, for platform/ui only: the one application object, the
// screen, and the way a window's pixels and shape reach the toolkit. No
// toolkit type appears here: a window surface is an ordinary 32-bit bitmap
// (HBITMAP from CreateBitmap(w, h, 1, 32, nullptr)) that platform/ui paints
// into through a memory context (CreateCompatibleDC, SelectObject, TCanvas's
// SetHandle) and shows from GfxBitmapPixels, which it wraps in a QImage of its own (see
// TGfxPixels).
#include "platform/gfx/GdiObjects.h"

#include <memory>
#include <string>
#include <vector>

// Creates the process's QApplication when none exists yet (with an empty
// argument list); platform/ui's TApplication calls the same function, so both
// share one application object whichever comes first.
void GfxEnsureBackend();

// Screen size from the backend's primary screen (1024 x 768 without one).
int GfxScreenWidth();
int GfxScreenHeight();
// The screen's pixels in (X, Y, Width, Height) as a 32-bit bitmap; parts off
// the screen are black. Null for an empty rectangle.
std::unique_ptr<TBitmapObject> GfxGrabScreen(int X, int Y, int Width, int Height);

// Where a bitmap's pixels are, for showing a window surface: a 32-bit bitmap's
// rows are what QImage::Format_RGB32 reads (blue, green, red, unused), a
// 24-bit one's what QImage::Format_BGR888 reads. Valid until the bitmap is
// deleted.
struct TGfxPixels {
  const uint8_t* Bits = nullptr;
  int Width = 0;
  int Height = 0;
  int Stride = 0;
  int BitCount = 0;
};
TGfxPixels GfxBitmapPixels(HBITMAP Bitmap);

// The rectangles of a region, for a window's shape.
std::vector<RECT> GfxRegionRects(HRGN Region);

// GetDC and ReleaseDC with a window handle go to platform/ui through these.
using TWindowDCProvider = HDC (*)(void* Window);
using TWindowDCRelease = int (*)(void* Window, HDC DC);
void GfxSetWindowDCProvider(TWindowDCProvider Provider, TWindowDCRelease Release);

// A font description as this layer draws it, for the toolkit's own widgets:
// the family to ask for (Windows-1252 bytes) and the pixel size of the em.
struct TGfxFontSpec {
  std::string Family;
  int PixelSize = 0;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
};
TGfxFontSpec GfxFontSpec(const LOGFONT& Font);
