#pragma once
// The faces of the skinned controls: button plates with an icon, the check
// box glyphs, the slider's thumb and ruler. Every state of one control has
// the same shape in the same place; light and accent tell the states apart.
#include "tools/skingen/Icons.h"
#include "tools/skingen/Skinpaint.h"

enum class TFaceState { Up, Active, Down, Disabled };

constexpr int kMorphSize = 22;
constexpr int kBitmapButtonSize = 28;

// A morph button's picture over the part of the window it covers.
TSkinCanvas MorphFace(const TSkinCanvas& Background, TIcon Icon, TFaceState State);
// A bitmap button's picture on the transparent key colour.
TSkinCanvas BitmapButtonFace(TIcon Icon, TFaceState State);
// The check box strip: checked, then unchecked, 16 x 16 each.
TSkinCanvas CheckStrip();
// The slider thumb strip: normal, then pressed, 12 x 18 each.
TSkinCanvas ThumbStrip();
// The slider ruler: 16 x 8, two-pixel ends and a middle that repeats.
TSkinCanvas Ruler();
