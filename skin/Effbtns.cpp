#include "skin/Effbtns.h"

#include "skin/Eputils.h"
#include "skin/Grutils.h"
#include "skin/Ptinform.h"

#include <type_traits>

// ---------------------------------------------------------------- shared face

template <class TBase> void TEffectButton<TBase>::SetNoise(bool Value) {
  noise = Value;
  Refresh();
}

template <class TBase> void TEffectButton<TBase>::SetFrameWidth(TSmType Value) {
  frameWidth = Value;
  Refresh();
}

template <class TBase> void TEffectButton<TBase>::Refresh() {
  if constexpr (std::is_base_of_v<TEffectGControl, TBase>)
    this->XPaint();
  else
    this->Repaint();
}

template <class TBase> void TEffectButton<TBase>::SetLayoutCoord() {
  TCanvas* canvas = this->OffBmp()->Canvas();
  const AnsiString caption = this->Caption();
  const int glyphWidth = this->Glyph()->Width() / this->NumGlyphs();
  CalcLCoord(this->Layout(), Rect(0, 0, this->Width(), this->Height()), glyphWidth,
             this->Glyph()->Height(), canvas->TextWidth(caption), canvas->TextHeight(caption),
             this->Spacing(), this->Margin(), this->TextX, this->TextY, this->GlyphX, this->GlyphY);
  if (!Pressed())
    return;
  ++this->TextX;
  ++this->TextY;
  ++this->GlyphX;
  ++this->GlyphY;
}

template <class TBase> void TEffectButton<TBase>::PaintFace() {
  if (this->OffBmp() == nullptr)
    return;
  TCanvas* canvas = this->OffBmp()->Canvas();
  SetLayoutCoord();
  const TColor c = ColorToRGB(this->Color());
  const TColor dark = RGBChange(c, -65, -65, -65);
  const TColor light = RGBChange(c, 65, 65, 65);
  if (Pressed())
    DrawFrame(canvas, dark, light);
  else
    DrawFrame(canvas, light, dark);
  canvas->Brush()->SetStyle(bsClear);
  const AnsiString caption = this->Caption();
  if (const int shadow = ShadowDistance(); shadow != 0) {
    canvas->Font()->SetColor(clBlack);
    canvas->TextOut(this->TextX + shadow, this->TextY + shadow, caption);
  }
  this->PaintEf();
  canvas->Font()->SetColor(this->mouseIn ? this->ActiveTextColor() : this->Font()->Color());
  canvas->Brush()->SetStyle(bsClear);
  canvas->TextOut(this->TextX, this->TextY, caption);
  this->DrawButtonGlyph();
}

template <class TBase> void TEffectButton<TBase>::PaintEffects() {
  TEffectBmp* bmp = this->EfBmp();
  if (Tinted())
    bmp->AddMiddleColor(this->Color());
  bmp->SplitBlur(1);
  if (noise)
    bmp->AddColorNoise(30);
}

template class TEffectButton<TButtonGControl>;
template class TEffectButton<TButtonCControl>;

// ---------------------------------------------------------------- windowless pair

namespace {
void DrawRectFrame(TCanvas* Canvas, int Width, int Height, TColor First, TColor Second,
                   int FrameWidth) {
  Frm3D(Canvas, Rect(-1, 0, Width + 1, Height + 1), First, Second, FrameWidth + 1);
}
} // namespace

TepEfBtn::TepEfBtn(TComponent* AOwner) : TEffectButton<TButtonGControl>(AOwner) {
  SetBounds(Left(), Top(), 65, 65);
}

void TepEfBtn::SetShadowOffset(TSmType Value) {
  shadowOffset = Value;
  XPaint();
}

void TepEfBtn::DrawFrame(TCanvas* Canvas, TColor First, TColor Second) {
  DrawRectFrame(Canvas, Width(), Height(), First, Second, frameWidth);
}

TepEfTrBtn::TepEfTrBtn(TComponent* AOwner) : TEffectButton<TButtonGControl>(AOwner) {
  SetBounds(Left(), Top(), 75, 25);
  SetTransparent(true);
}

void TepEfTrBtn::DrawFrame(TCanvas* Canvas, TColor First, TColor Second) {
  Canvas->Pen()->SetColor(clBlack);
  Canvas->Brush()->SetStyle(bsClear);
  DrawRectFrame(Canvas, Width(), Height(), First, Second, frameWidth);
}

// ---------------------------------------------------------------- round pair

TRoundEffectButton::TRoundEffectButton(TComponent* AOwner, TSmType AFrameWidth, int ARadius)
    : TEffectButton<TButtonCControl>(AOwner), radius(ARadius) {
  frameWidth = AFrameWidth;
  SetBounds(Left(), Top(), 65, 65);
}

void TRoundEffectButton::SetRadius(int Value) {
  radius = Value;
  CreateR();
  Repaint();
}

void TRoundEffectButton::SetBtnKind(TBtnKind Value) {
  btnKind = Value;
  CreateR();
  Repaint();
}

bool TRoundEffectButton::IsMouseIn(int X, int Y) {
  const TRect r = Rect(1, 1, Width(), Height());
  if (btnKind == bkEllipse)
    return PointinEllipse(X, Y, r);
  return PointinRndRect(X, Y, radius, r);
}

void TRoundEffectButton::DrawFrame(TCanvas* Canvas, TColor First, TColor Second) {
  const int w = Width(), h = Height(), pen = frameWidth + 1;
  if (btnKind == bkEllipse) {
    // An even pen sits half a pixel further in: the right and bottom edges
    // come one pixel closer to stay whole.
    const TRect r = frameWidth % 2 != 0 ? Rect(1, 2, w, h) : Rect(1, 2, w - 1, h - 1);
    RndFrm3D(Canvas, First, Second, r, pen);
    return;
  }
  if (radius != 0)
    RndRectFrm3D(Canvas, Rect(0, 1, w, h), First, Second, 2 * radius, pen);
  else
    Frm3D(Canvas, Rect(0, 1, w + 1, h + 1), First, Second, pen);
}

void TRoundEffectButton::WMSize(TMessage& Message) {
  CreateR();
  TEffectButton<TButtonCControl>::WMSize(Message);
}

void TRoundEffectButton::CreateR() {
  const int w = Width(), h = Height();
  if (btnKind == bkEllipse) {
    region = CreateEllipticRgn(1, 1, w, h);
    SetWindowRgn(region, true);
    return;
  }
  if (radius == 0) {
    if (region != nullptr) {
      region = nullptr;
      SetWindowRgn(nullptr, true);
    }
    return;
  }
  region = CreateRoundRectRgn(1, 1, w, h, 2 * radius, 2 * radius);
  SetWindowRgn(region, true);
}

TepEfRndBtn::TepEfRndBtn(TComponent* AOwner) : TRoundEffectButton(AOwner, 3, 10) {}

void TepEfRndBtn::SetShadowOffset(TSmType Value) {
  shadowOffset = Value;
  Repaint();
}

TepEfTrRndBtn::TepEfTrRndBtn(TComponent* AOwner) : TRoundEffectButton(AOwner, 2, 0) {
  SetTransparent(true);
}

void TepEfTrRndBtn::DrawFrame(TCanvas* Canvas, TColor First, TColor Second) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->Pen()->SetColor(Color());
  TRoundEffectButton::DrawFrame(Canvas, First, Second);
}

// ---------------------------------------------------------------- published

namespace {
[[maybe_unused]] const bool btnKindIdents =
    RegisterEnum<TBtnKind>({{"bkEllipse", bkEllipse}, {"bkRndRect", bkRndRect}});

template <class C> void PublishEffectButton(TPublisher<C>& p) {
  p.Property("Margin", &C::Margin, &C::SetMargin).Default(-1);
  p.Property("Spacing", &C::Spacing, &C::SetSpacing).Default(4);
  p.Property("Layout", &C::Layout, &C::SetLayout).Default(blGlyphLeft);
  p.Property("Noise", &C::Noise, &C::SetNoise);
  p.Property("FrameWidth", &C::FrameWidth, &C::SetFrameWidth);
}

template <class C> void PublishRound(TPublisher<C>& p) {
  PublishEffectButton(p);
  p.Property("Radius", &C::Radius, &C::SetRadius);
  p.Property("BtnKind", &C::BtnKind, &C::SetBtnKind);
}
} // namespace

WT_PUBLISH(TepEfBtn, TButtonGControl) {
  PublishEffectButton(p);
  p.Property("ShadowOffset", &TepEfBtn::ShadowOffset, &TepEfBtn::SetShadowOffset);
}

WT_PUBLISH(TepEfTrBtn, TButtonGControl) {
  PublishEffectButton(p);
}

WT_PUBLISH(TepEfRndBtn, TButtonCControl) {
  PublishRound(p);
  p.Property("ShadowOffset", &TepEfRndBtn::ShadowOffset, &TepEfRndBtn::SetShadowOffset);
}

WT_PUBLISH(TepEfTrRndBtn, TButtonCControl) {
  PublishRound(p);
}
