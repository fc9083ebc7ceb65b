#pragma once
// What lies under a transparent control, screen capture, and 3-D frames. The
// colour routines RGBChange and MiddleColor come with Eputils.
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Types.h"
#include "platform/ui/Controls.h"
#include "skin/Eputils.h"

// Paints into Canvas, at Control's place, its parent's own painting and the
// parent's visible windowless children below Control that overlap it.
void CopyParentImage(TControl* Control, TCanvas* Canvas);
// As CopyParentImage, then also the parent's visible windowed custom
// controls below Control that overlap it.
void CopyParentImage1(TControl* Control, TCanvas* Canvas);

// Fills Bitmap with the screen area of its size whose top-left is (X, Y).
void GetScreenImage(int X, int Y, TBitmap* Bitmap);

// A rectangle frame Width pixels wide: left and top edges in TopColor, right
// and bottom edges in BottomColor.
void Frm3D(TCanvas* Canvas, const TRect& Rect, TColor TopColor, TColor BottomColor, int Width);
// The ellipse in Rect: the upper-left half in LightColor, the lower-right half
// in DarkColor, with a pen Width wide.
void RndFrm3D(TCanvas* Canvas, TColor LightColor, TColor DarkColor, const TRect& Rect, int Width);
// A rounded rectangle with corner circles of diameter Radius, the pen kept
// inside Rect: top and left in TopColor, right and bottom in BottomColor
// (either clNone to leave it out).
void RndRectFrm3D(TCanvas* Canvas, const TRect& Rect, TColor TopColor, TColor BottomColor,
                  int Radius, int PenWidth);
