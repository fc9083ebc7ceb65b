#pragma once
// Pixel work shared by the drawing calls: raster operations applied to bitmap
// bytes, set operations on rectangle lists, and shapes turned into pixel masks.
#include "platform/gfx/GdiObjects.h"

#include <vector>

// True when a ternary raster operation reads the source (or the pattern).
bool RopUsesSource(DWORD Rop);
bool RopUsesPattern(DWORD Rop);
// The ternary operation's result on raw values (all bits at once).
uint32_t ApplyRop3(DWORD Rop, uint32_t pattern, uint32_t source, uint32_t dest);
uint32_t ApplyRop2(int Rop2, uint32_t pen, uint32_t dest);

// Copies (stretching when the sizes differ, mirroring for opposite signs)
// Source's device rectangle onto Dest's logical rectangle with the raster
// operation, converting colour and monochrome pixels as the platform does:
// colour to monochrome by the source's background colour (equal: white), and
// monochrome to colour as Dest's text colour (0 bits) and background colour (1
// bits). Source may be null for operations that do not read it. Source pixels
// of the colour Transparent (when not CLR_INVALID) leave Dest as it is.
BOOL RasterBlit(HDC Dest, int X, int Y, int Width, int Height, const TBitmapObject* Source,
                int XSrc, int YSrc, int SrcWidth, int SrcHeight, COLORREF SourceBk, DWORD Rop,
                COLORREF Transparent = CLR_INVALID);
BOOL RasterMaskBlit(HDC Dest, int X, int Y, int Width, int Height, const TBitmapObject* Source,
                    int XSrc, int YSrc, COLORREF SourceBk, const TBitmapObject* Mask, int XMask,
                    int YMask, DWORD ForeRop, DWORD BackRop);

// Set operations (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF) on banded rectangle lists;
// the result is banded and coalesced.
std::vector<RECT> RectsCombine(const std::vector<RECT>& A, const std::vector<RECT>& B, int Mode);
RECT RectsBounds(const std::vector<RECT>& Rects);
// NULLREGION, SIMPLEREGION or COMPLEXREGION.
int RegionKind(const std::vector<RECT>& Rects);
