#include "skin/Vclbase.h"

#include "skin/Bmputils.h"
#include "skin/Grutils.h"

#include <type_traits>

bool IsLoading(const TComponent* C) {
  return C->ComponentState().Contains(csReading) || C->ComponentState().Contains(csLoading);
}

// ---------------------------------------------------------------- layout

void CalcLCoord(TLayout Layout, const TRect& Rect, int GlyphWidth, int GlyphHeight, int TextWidth,
                int TextHeight, int Spacing, int Margin, int& TextX, int& TextY, int& GlyphX,
                int& GlyphY) {
  const int cx = Rect.Left + (Rect.Right - Rect.Left) / 2;
  const int cy = Rect.Top + (Rect.Bottom - Rect.Top) / 2;
  const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  // Across the layout's direction both are centred.
  if (horizontal) {
    GlyphY = cy - GlyphHeight / 2;
    TextY = cy - TextHeight / 2;
  } else {
    GlyphX = cx - GlyphWidth / 2;
    TextX = cx - TextWidth / 2;
  }
  if (Margin == -1) {
    const int hw = (TextWidth + GlyphWidth + Spacing) / 2;
    const int hh = (TextHeight + GlyphHeight + Spacing) / 2;
    switch (Layout) {
    case blGlyphLeft:
      GlyphX = cx - hw;
      TextX = cx + hw - TextWidth;
      break;
    case blGlyphRight:
      GlyphX = cx + hw - GlyphWidth;
      TextX = cx - hw;
      break;
    case blGlyphTop:
      GlyphY = cy - hh;
      TextY = cy + hh - TextHeight;
      break;
    case blGlyphBottom:
      GlyphY = cy + hh - GlyphHeight;
      TextY = cy - hh;
      break;
    }
    return;
  }
  switch (Layout) {
  case blGlyphLeft:
    GlyphX = Rect.Left + Margin;
    TextX = GlyphX + GlyphWidth + Spacing;
    break;
  case blGlyphRight:
    GlyphX = Rect.Right - GlyphWidth - Margin;
    TextX = GlyphX - Spacing - TextWidth;
    break;
  case blGlyphTop:
    GlyphY = Rect.Top + Margin;
    TextY = GlyphY + GlyphHeight + Spacing;
    break;
  case blGlyphBottom:
    GlyphY = Rect.Bottom - GlyphHeight - Margin;
    TextY = GlyphY - Spacing - TextHeight;
    break;
  }
}

// ---------------------------------------------------------------- painting scheme

template <class TBase> TEffectPainter<TBase>::TEffectPainter(TComponent* AOwner) : TBase(AOwner) {
  this->ControlStyle << csOpaque;
}

template <class TBase> void TEffectPainter<TBase>::Paint() {
  offBmp = std::make_unique<TBitmap>();
  offBmp->SetSize(this->Width() + 1, this->Height() + 1);
  TCanvas* canvas = offBmp->Canvas();
  canvas->SetFont(this->Font());
  try {
    if (transparent) {
      PaintTransparent();
    } else {
      canvas->Brush()->SetStyle(bsSolid);
      canvas->Brush()->SetColor(this->Color());
      canvas->FillRect(Rect(0, 0, offBmp->Width(), offBmp->Height()));
    }
    PaintFace();
    this->Canvas()->Draw(0, 0, offBmp.get());
  } catch (...) {
    offBmp.reset();
    throw;
  }
  offBmp.reset();
}

template <class TBase> void TEffectPainter<TBase>::PaintEf() {
  if (!offBmp)
    return;
  efBmp = std::make_unique<TEffectBmp>(offBmp->Handle());
  try {
    PaintEffects();
    efBmp->Draw(offBmp->Canvas()->Handle(), 0, 0);
  } catch (...) {
    efBmp.reset();
    throw;
  }
  efBmp.reset();
}

template <class TBase> void TEffectPainter<TBase>::PaintTransparent() {
  if (!offBmp)
    return;
  TWinControl* parent = this->Parent();
  TCanvas* canvas = offBmp->Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(parent != nullptr ? parent->Color() : this->Color());
  canvas->FillRect(Rect(0, 0, offBmp->Width(), offBmp->Height()));
  CopyParentImage(this, canvas);
}

template <class TBase> void TEffectPainter<TBase>::WMMove(TMessage& Message) {
  TBase::WMMove(Message);
  // What shows through changed with the place.
  if (transparent)
    this->Invalidate();
}

template class TEffectPainter<TGraphicControl>;
template class TEffectPainter<TCustomControl>;

// ---------------------------------------------------------------- effect bases

TEffectGControl::TEffectGControl(TComponent* AOwner) : TEffectPainter<TGraphicControl>(AOwner) {}

void TEffectGControl::SetTransparent(bool Value) {
  transparent = Value;
  if (Value)
    ControlStyle >> csOpaque;
  else
    ControlStyle << csOpaque;
  XPaint();
}

void TEffectGControl::XPaint() {
  if (ControlStyle.Contains(csOpaque)) {
    Invalidate();
    return;
  }
  ControlStyle << csOpaque;
  Invalidate();
  ControlStyle >> csOpaque;
}

TEffectCControl::TEffectCControl(TComponent* AOwner) : TEffectPainter<TCustomControl>(AOwner) {}

void TEffectCControl::SetTransparent(bool Value) {
  transparent = Value;
  Invalidate();
}

void TEffectCControl::WMEraseBkgnd(TMessage&) {}

// ---------------------------------------------------------------- button fields

template <class TBase>
TButtonControl<TBase>::TButtonControl(TComponent* AOwner)
    : TBase(AOwner), glyph(std::make_unique<TBitmap>()) {}

template <class TBase> TButtonControl<TBase>::~TButtonControl() {
  this->Destroying();
}

template <class TBase> void TButtonControl<TBase>::SetGlyph(const TBitmap* Value) {
  glyph->Assign(Value);
  Redraw();
}

template <class TBase> void TButtonControl<TBase>::SetNumGlyphs(TNumGlyphs Value) {
  if (Value < 1 || Value > 4)
    return;
  numGlyphs = Value;
  Redraw();
}

template <class TBase> void TButtonControl<TBase>::SetActiveTextColor(TColor Value) {
  activeTextColor = Value;
  Redraw();
}

template <class TBase> void TButtonControl<TBase>::SetSpacing(TSpacing Value) {
  if (Value < 0 || Value == spacing)
    return;
  spacing = Value;
  Redraw();
}

template <class TBase> void TButtonControl<TBase>::SetMargin(TMargin Value) {
  if (Value < -1 || Value == margin)
    return;
  margin = Value;
  Redraw();
}

template <class TBase> void TButtonControl<TBase>::SetLayout(TLayout Value) {
  layout = Value;
  Redraw();
}

template <class TBase> void TButtonControl<TBase>::SetClickSound(TepWavePlayer* Value) {
  ReferTo(this, clickSound, Value);
}

template <class TBase> void TButtonControl<TBase>::SetActiveSound(TepWavePlayer* Value) {
  ReferTo(this, activeSound, Value);
}

template <class TBase> bool TButtonControl<TBase>::IsMouseIn(int X, int Y) {
  return X >= 1 && X < this->Width() && Y >= 1 && Y < this->Height();
}

template <class TBase>
void TButtonControl<TBase>::Notification(TComponent* AComponent, TOperation Operation) {
  TBase::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  ForgetRemoved(clickSound, AComponent);
  ForgetRemoved(activeSound, AComponent);
}

template <class TBase> void TButtonControl<TBase>::CMTextChanged(TMessage&) {
  Redraw();
}

template <class TBase> void TButtonControl<TBase>::DrawButtonGlyph() {
  TBitmap* offBmp = this->OffBmp();
  if (offBmp == nullptr || glyph->Empty())
    return;
  int frame = 1;
  if (mouseIn && down && numGlyphs > 3)
    frame = 3;
  else if (mouseIn && numGlyphs > 2)
    frame = 2;
  else if (!this->Enabled())
    frame = numGlyphs;
  PaintGlyph(offBmp->Canvas(), GlyphX, GlyphY, glyph.get(), numGlyphs, frame);
}

template <class TBase> void TButtonControl<TBase>::Redraw() {
  if constexpr (std::is_base_of_v<TEffectGControl, TBase>)
    this->XPaint();
  else
    this->Invalidate();
}

template <class TBase> void TButtonControl<TBase>::LeftButtonUp(TShiftState Shift, int X, int Y) {
  down = false;
  if (!mouseIn)
    return;
  Redraw();
  PlaySound(clickSound);
  TBase::MouseUp(mbLeft, Shift, X, Y);
  if (OnClick)
    OnClick(this);
}

template class TButtonControl<TEffectGControl>;
template class TButtonControl<TEffectCControl>;

// ---------------------------------------------------------------- hover by enter and leave

template <class TBase> void THoverButton<TBase>::CMMouseEnter(TMessage& Message) {
  TBase::CMMouseEnter(Message);
  if (this->mouseIn || !this->Enabled())
    return;
  this->mouseIn = true;
  this->Redraw();
  PlaySound(this->ActiveSound());
}

template <class TBase> void THoverButton<TBase>::CMMouseLeave(TMessage& Message) {
  TBase::CMMouseLeave(Message);
  if (!this->mouseIn || !this->Enabled())
    return;
  this->mouseIn = false;
  this->Redraw();
}

template <class TBase>
void THoverButton<TBase>::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && this->IsMouseIn(X, Y)) {
    this->down = true;
    this->mouseIn = true;
    this->Redraw();
  }
  TBase::MouseDown(Button, Shift, X, Y);
}

template <class TBase>
void THoverButton<TBase>::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft)
    this->LeftButtonUp(Shift, X, Y);
}

template class THoverButton<TEffectGControl>;
template class THoverButton<TEffectCControl>;

// ---------------------------------------------------------------- hover by moves

TButtonGTControl::TButtonGTControl(TComponent* AOwner) : TButtonControl<TEffectGControl>(AOwner) {}

TButtonGTControl::~TButtonGTControl() {
  Destroying();
}

void TButtonGTControl::CMMouseLeave(TMessage&) {
  if (!mouseIn)
    return;
  mouseIn = false;
  Redraw();
}

void TButtonGTControl::MouseMove(TShiftState Shift, int X, int Y) {
  const bool was = mouseIn;
  mouseIn = IsMouseIn(X, Y);
  if (mouseIn != was)
    Redraw();
  if (mouseIn && !was && !checkTimer) {
    checkTimer = std::make_unique<TTimer>(nullptr);
    checkTimer->SetInterval(300);
    checkTimer->SetOnTimer([this](TObject* Sender) { CheckTimerTick(Sender); });
    PlaySound(ActiveSound());
  }
  if (mouseIn)
    TEffectGControl::MouseMove(Shift, X, Y);
}

void TButtonGTControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft || !mouseIn)
    return;
  down = true;
  Redraw();
  TEffectGControl::MouseDown(Button, Shift, X, Y);
}

void TButtonGTControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft)
    LeftButtonUp(Shift, X, Y);
}

void TButtonGTControl::CheckTimerTick(TObject*) {
  const TPoint cursor = Mouse_CursorPos();
  const TPoint origin = ClientOrigin();
  const bool over = cursor.X >= origin.X && cursor.X <= origin.X + Width() &&
                    cursor.Y >= origin.Y && cursor.Y <= origin.Y + Height();
  if (!over && mouseIn) {
    mouseIn = false;
    Redraw();
  }
  checkTimer->SetEnabled(false);
  checkTimer->SetOnTimer(nullptr);
  checkTimer.reset();
}

// ---------------------------------------------------------------- windowed button

void TButtonCControl::CMEnabledChanged(TMessage& Message) {
  THoverButton<TEffectCControl>::CMEnabledChanged(Message);
  Invalidate();
}

// ---------------------------------------------------------------- published

namespace {

[[maybe_unused]] const bool layoutIdents =
    RegisterEnum<TLayout>({{"blGlyphLeft", blGlyphLeft},
                           {"blGlyphRight", blGlyphRight},
                           {"blGlyphTop", blGlyphTop},
                           {"blGlyphBottom", blGlyphBottom}});

// The published part every button base has.
template <class C> void PublishButton(TPublisher<C>& p) {
  p.Color("ActiveTextColor", &C::ActiveTextColor, &C::SetActiveTextColor);
  p.Object("Glyph", &C::Glyph);
  p.Property("NumGlyphs", &C::NumGlyphs, &C::SetNumGlyphs).Default(TNumGlyphs{1});
  p.Property("ClickSound", &C::ClickSound, &C::SetClickSound);
  p.Property("ActiveSound", &C::ActiveSound, &C::SetActiveSound);
  p.Event("OnClick", &C::OnClick);
}
} // namespace

WT_PUBLISH(TEffectGControl, TGraphicControl) {
  p.Property("Transparent", &TEffectGControl::Transparent, &TEffectGControl::SetTransparent);
}

WT_PUBLISH(TEffectCControl, TCustomControl) {
  p.Property("Transparent", &TEffectCControl::Transparent, &TEffectCControl::SetTransparent);
}

WT_PUBLISH(TButtonGControl, TEffectGControl) {
  PublishButton(p);
}

WT_PUBLISH(TButtonGTControl, TEffectGControl) {
  PublishButton(p);
  p.Property("Margin", &TButtonGTControl::Margin, &TButtonGTControl::SetMargin).Default(-1);
  p.Property("Spacing", &TButtonGTControl::Spacing, &TButtonGTControl::SetSpacing).Default(4);
  p.Property("Layout", &TButtonGTControl::Layout, &TButtonGTControl::SetLayout)
      .Default(blGlyphLeft);
}

WT_PUBLISH(TButtonCControl, TEffectCControl) {
  PublishButton(p);
}
