#pragma once
// Small stateless helpers that the windows share: snapping a dragged window to
// the screen edges, fonts in the INI file, and the colour rules of the grids.
// Colours keep their high byte through every function here.
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Inifiles.h"

#include <cstdint>

// Moves a window whose edge lies closer than dx (dy) to an edge of the primary
// screen onto that edge; answers whether it snapped. A left (top) edge exactly
// at 0 snaps only towards the opposite edge.
bool SnapToScreenEdges(int32_t left, int32_t top, int32_t width, int32_t height, int32_t& newLeft,
                       int32_t& newTop, int32_t dx, int32_t dy);
// The same against a screen of the given size.
bool SnapToScreenEdges(int32_t screenWidth, int32_t screenHeight, int32_t left, int32_t top,
                       int32_t width, int32_t height, int32_t& newLeft, int32_t& newTop, int32_t dx,
                       int32_t dy);

// Keys Color, Name, Pitch, Size, Style.Bold, Style.Italic, Style.Underline.
void SaveFontToIni(TIniFile* ini, TFont* font, const AnsiString& section);
// Missing keys give black Arial 8 of default pitch; a style flag read true is
// added to the font's style, one read false removes nothing.
void LoadFontFromIni(TIniFile* ini, TFont* font, const AnsiString& section);

// The decimal number at the start of a colour's text: leading blanks, an
// optional sign, digits up to the first non-digit; no digits give 0.
TColor ColorFromText(const AnsiString& text);

// Fills table[0..n-1] with steps from base: table[n - 1] is base itself and
// table[0] the step furthest from it. Direction > 0 goes towards black, < 0
// towards white, 0 towards black when any channel is above 128, else white.
// n must be at least 1.
void MakeColorGradient(TColor base, TColor* table, int32_t n, int32_t direction);
// Each channel times factor, truncated and capped at 255; black scales as if
// every channel were 1.
void ScaleColor(TColor color, TColor& out, float factor);
// The largest of the three channels.
int32_t ColorBrightness(TColor color);
// The factor that sets a selected row or a separator line apart from a colour
// of the given brightness.
float BrightnessFactor(int32_t brightness);
// The contrast ratio of two colours' relative luminances, from 1 (the same)
// to 21 (black and white).
double ContrastRatio(TColor a, TColor b);
// text when it contrasts with background by at least 4.5:1, else black or
// white, whichever contrasts more.
TColor LegibleTextColor(TColor text, TColor background);
