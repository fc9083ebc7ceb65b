#pragma once
// The colours of the three windows. The frame is a neutral graphite that
// sits well beside the grid's aqua and any colour the user picks; one accent
// says "active", one says "pressed".
#include "tools/skingen/Skinpaint.h"

namespace Palette {

inline const TRgb Outline = Rgb(0x0B0E12);
inline const TRgb InnerBorder = Rgb(0x181C22);
inline const TRgb TitleTop = Rgb(0x404854);
inline const TRgb TitleBottom = Rgb(0x2F363F);
inline const TRgb BodyTop = Rgb(0x2D333C);
inline const TRgb BodyBottom = Rgb(0x23282F);
inline const TRgb Raised = Rgb(0x363D47);
inline const TRgb RaisedBottom = Rgb(0x2F353E);
inline const TRgb Well = Rgb(0x171B20);
inline const TRgb Highlight = Rgb(0x505A67);
inline const TRgb Shadow = Rgb(0x13161B);
inline const TRgb Text = Rgb(0xE6EAEF);
inline const TRgb DimText = Rgb(0x7C8693);
inline const TRgb Accent = Rgb(0x3FA9F5);
inline const TRgb AccentText = Rgb(0x8ACFFF);
inline const TRgb Pressed = Rgb(0xF5A623);
// The grid's default cell colour, which the marks drawn in the grid sit on.
inline const TRgb Aqua = Rgb(0x00FFFF);
// The grids' title row.
inline const TRgb TitleRow = Rgb(0x808080);
inline const TRgb Ink = Rgb(0x262C34);
inline const TRgb HintPaper = Rgb(0xFFF4C2);
inline const TRgb Paper = Rgb(0xFFFFFF);
// The colour that a control drawing a picture transparently leaves out:
// every picture drawn that way has it at its bottom-left pixel.
inline const TRgb Key = Rgb(0xFF00FF);

} // namespace Palette
