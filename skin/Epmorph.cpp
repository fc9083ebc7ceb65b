#include "skin/Epmorph.h"

#include "skin/Bmputils.h"

TepMorphButton::TepMorphButton(TComponent* AOwner)
    : TEffectGControl(AOwner), fadeTimer(std::make_unique<TTimer>(nullptr)),
      downGlyph(std::make_unique<TBitmap>()), upGlyph(std::make_unique<TBitmap>()),
      activeGlyph(std::make_unique<TBitmap>()) {
  SetBounds(Left(), Top(), 100, 100);
  fadeTimer->SetEnabled(false);
  fadeTimer->SetInterval(100);
}

TepMorphButton::~TepMorphButton() {
  fadeTimer->SetEnabled(false);
  Destroying();
}

void TepMorphButton::SetUpGlyph(const TBitmap* Value) {
  upGlyph->Assign(Value);
  XPaint();
}

void TepMorphButton::SetDownGlyph(const TBitmap* Value) {
  downGlyph->Assign(Value);
  XPaint();
}

void TepMorphButton::SetActiveGlyph(const TBitmap* Value) {
  activeGlyph->Assign(Value);
  XPaint();
}

void TepMorphButton::SetGlyphsTransparent(bool Value) {
  glyphsTransparent = Value;
  XPaint();
}

void TepMorphButton::SetClickSound(TepWavePlayer* Value) {
  ReferTo(this, clickSound, Value);
}

void TepMorphButton::SetActiveSound(TepWavePlayer* Value) {
  ReferTo(this, activeSound, Value);
}

void TepMorphButton::Notification(TComponent* AComponent, TOperation Operation) {
  TEffectGControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  ForgetRemoved(clickSound, AComponent);
  ForgetRemoved(activeSound, AComponent);
}

void TepMorphButton::PaintFace() {
  TBitmap* offBmp = OffBmp();
  if (offBmp == nullptr || upGlyph->Empty() || activeGlyph->Empty())
    return;
  TCanvas* canvas = offBmp->Canvas();
  if (mouseIn && pressed && !downGlyph->Empty()) {
    if (glyphsTransparent)
      DrawBitmapTransparent(canvas, 0, 0, downGlyph.get(), GetTransparentColor(downGlyph.get()));
    else
      canvas->Draw(0, 0, downGlyph.get());
    return;
  }
  TBitmap a, b;
  a.SetSize(upGlyph->Width(), upGlyph->Height());
  b.SetSize(upGlyph->Width(), upGlyph->Height());
  a.Canvas()->Draw(0, 0, upGlyph.get());
  b.Canvas()->Draw(0, 0, activeGlyph.get());
  TEffectBmp efA(a.Handle());
  const TEffectBmp efB(b.Handle());
  efA.Morph(&efB, MorphFactor());
  if (!glyphsTransparent) {
    efA.Draw(canvas->Handle(), 0, 0);
    return;
  }
  efA.Draw(a.Canvas()->Handle(), 0, 0);
  DrawBitmapTransparent(canvas, 0, 0, &a, GetTransparentColor(&a));
}

void TepMorphButton::IncMorphkf(TObject*) {
  if (morphTenths >= kWhole) {
    fadeTimer->SetEnabled(false);
    morphTenths = kWhole;
    return;
  }
  ++morphTenths;
  XPaint();
}

void TepMorphButton::DecMorphkf(TObject*) {
  if (morphTenths <= 0) {
    fadeTimer->SetEnabled(false);
    morphTenths = 0;
    return;
  }
  --morphTenths;
  XPaint();
}

void TepMorphButton::StartFade(void (TepMorphButton::*Step)(TObject*)) {
  fadeTimer->SetOnTimer([this, Step](TObject* Sender) { (this->*Step)(Sender); });
  fadeTimer->SetEnabled(true);
}

void TepMorphButton::ShowPressedImage() {
  morphTenths = kWhole;
  XPaint();
}

void TepMorphButton::CMMouseEnter(TMessage& Message) {
  mouseIn = true;
  if (pressed && !downGlyph->Empty())
    ShowPressedImage();
  else
    StartFade(&TepMorphButton::IncMorphkf);
  PlaySound(activeSound);
  TEffectGControl::CMMouseEnter(Message);
}

void TepMorphButton::CMMouseLeave(TMessage& Message) {
  mouseIn = false;
  if (pressed && !downGlyph->Empty())
    ShowPressedImage();
  StartFade(&TepMorphButton::DecMorphkf);
  TEffectGControl::CMMouseLeave(Message);
}

void TepMorphButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && !pressed) {
    pressed = true;
    mouseIn = true;
    if (!downGlyph->Empty()) {
      fadeTimer->SetEnabled(false);
      XPaint();
    }
  }
  TEffectGControl::MouseDown(Button, Shift, X, Y);
}

void TepMorphButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && pressed) {
    pressed = false;
    if (!downGlyph->Empty() && !fadeTimer->Enabled()) {
      morphTenths = mouseIn ? kWhole : 0;
      XPaint();
    }
    if (mouseIn) {
      PlaySound(clickSound);
      if (OnClick)
        OnClick(this);
    }
  }
  TEffectGControl::MouseUp(Button, Shift, X, Y);
}

WT_PUBLISH(TepMorphButton, TEffectGControl) {
  using B = TepMorphButton;
  p.Property("ClickSound", &B::ClickSound, &B::SetClickSound);
  p.Property("ActiveSound", &B::ActiveSound, &B::SetActiveSound);
  p.Object("UpGlyph", &B::UpGlyph);
  p.Object("DownGlyph", &B::DownGlyph);
  p.Object("ActiveGlyph", &B::ActiveGlyph);
  p.Event("OnClick", &B::OnClick);
  p.Property("GlyphsTransparent", &B::GlyphsTransparent, &B::SetGlyphsTransparent);
  p.Property("Interval", &B::GetInterval, &B::SetInterval);
}
