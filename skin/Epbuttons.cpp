#include "skin/Epbuttons.h"

#include "platform/gfx/Gdi.h"
#include "skin/Effbmp.h"
#include "skin/Eputils.h"
#include "skin/Grutils.h"

namespace {

TColor Light(TColor C) {
  return RGBChange(C, 65, 65, 65);
}

TColor Dark(TColor C) {
  return RGBChange(C, -65, -65, -65);
}

} // namespace

// ---------------------------------------------------------------- TepLabelButton

TepLabelButton::TepLabelButton(TComponent* AOwner) : TButtonGControl(AOwner) {
  SetBounds(0, 0, 100, 30);
}

void TepLabelButton::SetEfCaption(bool Value) {
  efCaption = Value;
  XPaint();
}

// Margin and Spacing play no part: the content keeps two pixels from the edges.
void TepLabelButton::PlaceContent(int TextWidth, int TextHeight) {
  const int w = Width(), h = Height();
  const int gw = Glyph()->Empty() ? 0 : Glyph()->Width() / NumGlyphs();
  const int gh = Glyph()->Empty() ? 0 : Glyph()->Height();
  switch (Layout()) {
  case blGlyphLeft:
    GlyphX = 2, GlyphY = h / 2 - gh / 2;
    TextX = w - TextWidth - 2, TextY = h / 2 - TextHeight / 2;
    break;
  case blGlyphRight:
    GlyphX = w - gw - 2, GlyphY = h / 2 - gh / 2;
    TextX = 2, TextY = h / 2 - TextHeight / 2;
    break;
  case blGlyphTop:
    GlyphX = w / 2 - gw / 2, GlyphY = 2;
    TextX = w / 2 - TextWidth / 2, TextY = h - TextHeight - 2;
    break;
  case blGlyphBottom:
    GlyphX = w / 2 - gw / 2, GlyphY = h - gh - 2;
    TextX = w / 2 - TextWidth / 2, TextY = 2;
    break;
  }
}

void TepLabelButton::PaintFace() {
  TCanvas* canvas = OffBmp()->Canvas();
  canvas->Brush()->SetStyle(bsClear);
  const AnsiString& caption = Caption();
  PlaceContent(canvas->TextWidth(caption), canvas->TextHeight(caption));
  if (mouseIn && down) {
    ++TextX;
    ++TextY;
  }
  const TColor fontColor = Font()->Color();
  if (mouseIn && efCaption) {
    canvas->Font()->SetColor(ActiveTextColor());
    canvas->TextOut(TextX - 1, TextY - 1, caption);
    canvas->TextOut(TextX + 1, TextY + 1, caption);
  }
  canvas->Font()->SetColor(mouseIn && !efCaption ? ActiveTextColor() : fontColor);
  canvas->TextOut(TextX, TextY, caption);
  DrawButtonGlyph();
}

// ---------------------------------------------------------------- TepEfButton

TepEfButton::TepEfButton(TComponent* AOwner) : TButtonGControl(AOwner) {
  SetBounds(0, 0, 65, 25);
  SetActiveTextColor(clBlue);
}

void TepEfButton::StoreWidth(int& Field, int Value) {
  if (Value < 0 || Value > 50)
    return;
  Field = Value;
  XPaint();
}

void TepEfButton::SetBtnColor(TColor Value) {
  btnColor = Value;
  XPaint();
}

void TepEfButton::SetEfCaption(bool Value) {
  efCaption = Value;
  XPaint();
}

void TepEfButton::WriteCaption(TColor Color) {
  TCanvas* canvas = OffBmp()->Canvas();
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(Color);
  canvas->TextOut(TextX, TextY, Caption());
}

void TepEfButton::PaintFace() {
  TCanvas* canvas = OffBmp()->Canvas();
  const int w = Width(), h = Height(), f = frameWidth, g = btnFrameWidth;
  const TColor c = ColorToRGB(Color()), b = ColorToRGB(btnColor);
  const bool pushed = Pushed();

  const int gw = Glyph()->Empty() ? 0 : Glyph()->Width() / NumGlyphs();
  const int gh = Glyph()->Empty() ? 0 : Glyph()->Height();
  CalcLCoord(Layout(), Rect(0, 0, w, h), gw, gh, canvas->TextWidth(Caption()),
             canvas->TextHeight(Caption()), Spacing(), Margin(), TextX, TextY, GlyphX, GlyphY);
  if (pushed) {
    ++TextX;
    ++TextY;
    ++GlyphX;
    ++GlyphY;
  }

  if (!Transparent()) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(b);
    canvas->FillRect(Rect(0, 0, w, h));
  }
  Frm3D(canvas, Rect(0, 0, w, h), Dark(c), Light(c), f);
  if (pushed)
    Frm3D(canvas, Rect(f + 3, f + 3, w - f, h - f - 1), Light(b), Dark(b), g - 1);
  else
    Frm3D(canvas, Rect(f + 2, f + 2, w - f - 1, h - f - 1), Light(b), Dark(b), g);
  Frm3D(canvas, Rect(f, f, w - f, h - f), clBlack, clBlack, pushed ? 3 : 2);
  if (pushed) {
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(clBlack);
    canvas->Rectangle(f + 1, f + 1, w - f - 1, h - f - 1);
  }
  // Written before the blur, the caption becomes a glow.
  if (efCaption && mouseIn)
    WriteCaption(ActiveTextColor());
  PaintEf();

  WriteCaption(!efCaption && mouseIn ? ActiveTextColor() : Font()->Color());
  if (f > 0) {
    Frm3D(canvas, Rect(0, 0, w, h), Dark(c), Light(c), 1);
    Frm3D(canvas, Rect(f, f, w - f, h - f), clBlack, clBlack, 1);
  }
  DrawButtonGlyph();
}

void TepEfButton::PaintEffects() {
  EfBmp()->SplitBlur(1);
}

// ---------------------------------------------------------------- TepShadowBtn

TepShadowBtn::TepShadowBtn(TComponent* AOwner) : TButtonGTControl(AOwner) {
  SetBounds(0, 0, 85, 35);
}

TRect TepShadowBtn::FaceRect(bool IsPushed) const {
  const int d = IsPushed ? 3 : 2;
  return Rect(d, d, Width() - shadowOffset - 4 + d, Height() - shadowOffset - 4 + d);
}

bool TepShadowBtn::IsMouseIn(int X, int Y) {
  if (btnKind == TBtnKind::bkRect)
    return X >= 0 && X < Width() && Y >= 0 && Y < Height();
  const TRect r = FaceRect(false);
  HRGN shape = btnKind == TBtnKind::bkEllipse
                   ? CreateEllipticRgn(r.Left, r.Top, r.Right, r.Bottom)
                   : CreateRoundRectRgn(r.Left, r.Top, r.Right, r.Bottom, 2 * radius, 2 * radius);
  const bool inside = PtInRegion(shape, X, Y);
  DeleteObject(shape);
  return inside;
}

// Halves the brightness of everything under the shadow's shape.
void TepShadowBtn::PaintShadow() {
  TBitmap* off = OffBmp();
  TBitmap mask;
  mask.SetSize(off->Width(), off->Height());
  TCanvas* m = mask.Canvas();
  m->Brush()->SetColor(clWhite);
  m->FillRect(Rect(0, 0, mask.Width(), mask.Height()));
  m->Brush()->SetColor(clBlack);
  m->Pen()->SetColor(clBlack);
  const int o = shadowOffset;
  TRect r = btnKind == TBtnKind::bkRect ? Rect(o + 2, o + 2, Width() - 2, Height() - 1)
                                        : Rect(o, o, Width() - 2, Height() - 1);
  if (Pushed()) {
    r.Left += r.Left > 5 ? 1 : 0;
    r.Top += r.Top > 5 ? 1 : 0;
    --r.Right;
    --r.Bottom;
  }
  switch (btnKind) {
  case TBtnKind::bkRect:
    m->Rectangle(r);
    break;
  case TBtnKind::bkEllipse:
    m->Ellipse(r);
    break;
  case TBtnKind::bkRndRect:
    m->RoundRect(r.Left, r.Top, r.Right, r.Bottom, 2 * radius, 2 * radius);
    break;
  }
  TEffectBmp image(off->Handle());
  const TEffectBmp where(mask.Handle());
  for (int y = 0; y < image.Height(); ++y) {
    uint8_t* pixel = image.GetLine(y);
    const uint8_t* black = where.GetLine(y);
    for (int x = 0; x < image.Width() * 3; x += 3)
      if (black[x] == 0 && black[x + 1] == 0 && black[x + 2] == 0)
        for (int i = 0; i < 3; ++i)
          pixel[x + i] >>= 1;
  }
  if (blurShadow)
    image.MaskSplitBlur(&where, 1);
  image.Draw(off->Canvas()->Handle(), 0, 0);
}

void TepShadowBtn::PaintFace() {
  PaintShadow();
  TCanvas* canvas = OffBmp()->Canvas();
  const TRect face = FaceRect(Pushed());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(btnColor);
  canvas->Pen()->SetColor(btnColor);
  switch (btnKind) {
  case TBtnKind::bkRect:
    canvas->FillRect(face);
    break;
  case TBtnKind::bkEllipse:
    canvas->Ellipse(face);
    break;
  case TBtnKind::bkRndRect:
    canvas->RoundRect(face.Left, face.Top, face.Right, face.Bottom, 2 * radius, 2 * radius);
    break;
  }
  const int gw = Glyph()->Empty() ? 0 : Glyph()->Width() / NumGlyphs();
  const int gh = Glyph()->Empty() ? 0 : Glyph()->Height();
  CalcLCoord(Layout(), face, gw, gh, canvas->TextWidth(Caption()), canvas->TextHeight(Caption()),
             Spacing(), Margin(), TextX, TextY, GlyphX, GlyphY);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(mouseIn ? ActiveTextColor() : Font()->Color());
  canvas->TextOut(TextX, TextY, Caption());
  DrawButtonGlyph();
}

// ---------------------------------------------------------------- published

namespace {
// The layout's stored default is an identifier: it must be known before the
// tables are built, whichever unit's start-up runs first.
[[maybe_unused]] const bool layoutIdents =
    !TEnumIdents<TLayout>::Table().empty() ||
    RegisterEnum<TLayout>({{"blGlyphLeft", blGlyphLeft},
                           {"blGlyphRight", blGlyphRight},
                           {"blGlyphTop", blGlyphTop},
                           {"blGlyphBottom", blGlyphBottom}});
} // namespace

WT_PUBLISH(TepLabelButton, TButtonGControl) {
  p.Property("Layout", &TepLabelButton::Layout, &TepLabelButton::SetLayout).Default(blGlyphLeft);
  p.Property("EfCaption", &TepLabelButton::EfCaption, &TepLabelButton::SetEfCaption).Default(false);
}

WT_PUBLISH(TepEfButton, TButtonGControl) {
  using B = TepEfButton;
  p.Property("FrameWidth", &B::FrameWidth, &B::SetFrameWidth).Default(2);
  p.Property("BtnFrameWidth", &B::BtnFrameWidth, &B::SetBtnFrameWidth).Default(3);
  p.Color("BtnColor", &B::BtnColor, &B::SetBtnColor).Default(clBtnFace);
  p.Property("EfCaption", &B::EfCaption, &B::SetEfCaption).Default(false);
  p.Property("Layout", &B::Layout, &B::SetLayout).Default(blGlyphLeft);
  p.Property("Margin", &B::Margin, &B::SetMargin).Default(-1);
  p.Property("Spacing", &B::Spacing, &B::SetSpacing).Default(4);
}

namespace {
[[maybe_unused]] const bool btnKindIdents =
    RegisterEnum<TBtnKind>({{"bkRect", TBtnKind::bkRect},
                            {"bkEllipse", TBtnKind::bkEllipse},
                            {"bkRndRect", TBtnKind::bkRndRect}});
} // namespace

WT_PUBLISH(TepShadowBtn, TButtonGTControl) {
  using B = TepShadowBtn;
  p.Property("BtnKind", &B::BtnKind, &B::SetBtnKind).Default(TBtnKind::bkRect);
  p.Color("BtnColor", &B::BtnColor, &B::SetBtnColor).Default(clBlue);
  p.Property("Radius", &B::Radius, &B::SetRadius).Default(10);
  p.Property("ShadowOffset", &B::ShadowOffset, &B::SetShadowOffset).Default(uint8_t{3});
  p.Property("BlurShadow", &B::BlurShadow, &B::SetBlurShadow).Default(false);
}
