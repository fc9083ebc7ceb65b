#pragma once
// What the class library's buttons share: where the glyph goes beside the
// caption, and the look a button is in. Scoped, so that the skinned
// controls' own layout enumeration of the same identifiers can live beside
// it.
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
