#include "tools/skingen/Controls.h"

#include "tools/skingen/Palette.h"

namespace {

struct TFaceColours {
  TRgb Outline, Top, Bottom, Icon;
  double Light; // the inner highlight's strength; negative: a shadow at the top
};

TFaceColours Colours(TFaceState State) {
  switch (State) {
  case TFaceState::Active:
    return {Palette::Accent, Rgb(0x56626F), Rgb(0x3A424D), Palette::AccentText, 0.7};
  case TFaceState::Down:
    return {Palette::Pressed, Rgb(0x22272E), Rgb(0x333A44), Palette::Pressed, -0.8};
  case TFaceState::Disabled:
    return {Rgb(0x1A1E24), Rgb(0x3A414B), Rgb(0x333941), Palette::DimText, 0.25};
  case TFaceState::Up:
    break;
  }
  return {Rgb(0x101419), Rgb(0x4C5663), Rgb(0x343B45), Rgb(0xDCE2E9), 0.55};
}

void Plate(TSkinCanvas& Canvas, int Size, double Radius, TFaceState State, bool CrispEdge) {
  const TFaceColours c = Colours(State);
  const TInside outer =
      CrispEdge ? Crisp(RoundBox(0, 0, Size, Size, Radius)) : RoundBox(0, 0, Size, Size, Radius);
  const TInside round = RoundBox(1, 1, Size - 1, Size - 1, Radius - 1);
  // Never past the outline, where a crisp plate leaves the key colour.
  const TInside face = [outer, round](double X, double Y) { return outer(X, Y) && round(X, Y); };
  Canvas.Fill(outer, c.Outline);
  Canvas.FillGradient(face, 1, Size - 1, c.Top, c.Bottom);
  // Light from the top left: a bright line under the top edge, or a dark
  // one when the plate is pressed in.
  const TInside edge = Minus(face, RoundBox(1, 2, Size - 1, Size - 1, Radius - 1));
  if (c.Light > 0)
    Canvas.Fill(edge, Rgb(0x77828F), c.Light);
  else
    Canvas.Fill(edge, Palette::Shadow, -c.Light);
}

void Icon(TSkinCanvas& Canvas, TIcon Icon, double X, double Y, TFaceState State) {
  const TFaceColours c = Colours(State);
  if (State == TFaceState::Up || State == TFaceState::Active)
    Canvas.Fill(IconShape(Icon, X, Y + 1), Palette::Shadow, 0.6);
  Canvas.Fill(IconShape(Icon, X, Y), c.Icon);
}

} // namespace

TSkinCanvas MorphFace(const TSkinCanvas& Background, TIcon IconKind, TFaceState State) {
  TSkinCanvas face = Background;
  Plate(face, kMorphSize, 5, State, false);
  const double at = (kMorphSize - kIconSize) / 2.0;
  Icon(face, IconKind, at, at, State);
  return face;
}

TSkinCanvas BitmapButtonFace(TIcon IconKind, TFaceState State) {
  TSkinCanvas face(kBitmapButtonSize, kBitmapButtonSize, Palette::Key);
  Plate(face, kBitmapButtonSize, 6, State, true);
  const double at = (kBitmapButtonSize - kIconSize) / 2.0;
  Icon(face, IconKind, at, at, State);
  return face;
}

TSkinCanvas CheckStrip() {
  TSkinCanvas strip(32, 16, Palette::Key);
  for (int frame = 0; frame < 2; ++frame) {
    const int x = frame * 16;
    strip.Fill(Crisp(RoundBox(x + 1, 1, x + 15, 15, 3)), Rgb(0x5E6876));
    strip.FillGradient(Moved(RoundBox(2, 2, 14, 14, 2), x, 0), 2, 14, Rgb(0x14171C), Rgb(0x272D35));
    // A shadow under the upper edge: the box is sunk into the page.
    strip.Fill(Moved(Minus(RoundBox(2, 2, 14, 14, 2), RoundBox(2, 3, 14, 14, 2)), x, 0),
               Palette::Outline, 0.8);
    if (frame == 0)
      strip.Fill(
          Moved(Union({Stroke(3.6, 7.6, 6.6, 10.6, 2.2), Stroke(5.8, 10.6, 12.4, 4, 2.2)}), x, 0),
          Palette::Accent);
  }
  return strip;
}

TSkinCanvas ThumbStrip() {
  TSkinCanvas strip(24, 18, Palette::Key);
  for (int frame = 0; frame < 2; ++frame) {
    const int x = frame * 12;
    const TFaceState state = frame == 0 ? TFaceState::Up : TFaceState::Down;
    const TFaceColours c = Colours(state);
    // Column 0 stays the key colour: the thumb's shape is read from it.
    strip.Fill(Crisp(RoundBox(x + 1, 0, x + 12, 18, 3)), Palette::Outline);
    strip.FillGradient(RoundBox(x + 2, 1, x + 11, 17, 2), 1, 17, c.Top, c.Bottom);
    strip.FillRect(x + 5, 5, x + 8, 13, frame == 0 ? Palette::Accent : Palette::Pressed);
    strip.FillRect(x + 5, 13, x + 8, 14, Palette::Shadow);
  }
  return strip;
}

TSkinCanvas Ruler() {
  TSkinCanvas ruler(16, 8, Palette::Key);
  ruler.FillRect(0, 2, 16, 3, Palette::Outline);
  ruler.FillRect(0, 3, 16, 5, Palette::Well);
  ruler.FillRect(0, 5, 16, 6, Palette::Highlight);
  return ruler;
}
