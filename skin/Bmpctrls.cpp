#include "skin/Bmpctrls.h"

#include "platform/ui/Actnlist.h"
#include "skin/Bmputils.h"

namespace {

// The pixel of Glyph at (X, Y) when it lies strictly inside past column 0
// and row 0; whether the point is on the glyph at all.
bool OpaqueAt(TBitmap* Glyph, int X, int Y, TColor Transparent) {
  if (X <= 0 || X >= Glyph->Width() || Y <= 0 || Y >= Glyph->Height())
    return false;
  return Glyph->Canvas()->Pixels(X, Y) != Transparent;
}

} // namespace

// ---------------------------------------------------------------- check box

TepBMPCheckBox::TepBMPCheckBox(TComponent* AOwner)
    : TEffectGControl(AOwner), checkGlyph(std::make_unique<TBitmap>()) {
  SetBounds(Left(), Top(), 100, 30);
}

TepBMPCheckBox::~TepBMPCheckBox() {
  Destroying();
}

void TepBMPCheckBox::SetCheckGlyph(const TBitmap* Value) {
  checkGlyph->Assign(Value);
  XPaint();
}

void TepBMPCheckBox::SetAlignment(TLeftRight Value) {
  if (Value != taLeftJustify && Value != taRightJustify)
    return;
  textAlignment = Value;
  XPaint();
}

void TepBMPCheckBox::SetActiveTextColor(TColor Value) {
  activeTextColor = Value;
  XPaint();
}

void TepBMPCheckBox::SetEfCaption(bool Value) {
  efCaption = Value;
  XPaint();
}

void TepBMPCheckBox::SetChecked(bool Value) {
  checked = Value;
  XPaint();
}

void TepBMPCheckBox::SetClickSound(TepWavePlayer* Value) {
  ReferTo(this, clickSound, Value);
}

void TepBMPCheckBox::SetActiveSound(TepWavePlayer* Value) {
  ReferTo(this, activeSound, Value);
}

void TepBMPCheckBox::_Click() {
  checked = !checked;
  XPaint();
  if (OnClick)
    OnClick(this);
}

void TepBMPCheckBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  TEffectGControl::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (action == nullptr)
    return;
  SetChecked(action->Checked());
  TCustomActionList* list = action->ActionList();
  TCustomImageList* images = list != nullptr ? list->Images() : nullptr;
  if (checkGlyph->Empty() && images != nullptr && action->ImageIndex() >= 0 &&
      action->ImageIndex() < images->Count()) {
    checkGlyph->SetSize(images->Width(), images->Height());
    TCanvas* canvas = checkGlyph->Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clFuchsia);
    canvas->FillRect(Rect(0, 0, images->Width(), images->Height()));
    images->Draw(canvas, 0, 0, action->ImageIndex());
  }
  XPaint();
}

void TepBMPCheckBox::Notification(TComponent* AComponent, TOperation Operation) {
  TEffectGControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  ForgetRemoved(clickSound, AComponent);
  ForgetRemoved(activeSound, AComponent);
}

void TepBMPCheckBox::PaintFace() {
  TCanvas* canvas = OffBmp()->Canvas();
  const AnsiString caption = Caption();
  const int glyphY = Height() / 2 - checkGlyph->Height() / 2;
  const int textY = Height() / 2 - canvas->TextHeight(caption) / 2;
  int glyphX = 1;
  int textX = Width() - canvas->TextWidth(caption) - 3;
  if (textAlignment == taRightJustify) {
    textX = 1;
    glyphX = Width() - 3 - checkGlyph->Width() / 2;
  }
  canvas->Brush()->SetStyle(bsClear);
  if (mouseIn) {
    canvas->Font()->SetColor(activeTextColor);
    if (efCaption) {
      // A glow of the active colour around the caption in its own colour.
      canvas->TextOut(textX - 1, textY - 1, caption);
      canvas->TextOut(textX + 1, textY + 1, caption);
      canvas->Font()->SetColor(Font()->Color());
    }
  }
  canvas->TextOut(textX, textY, caption);
  PaintGlyph(canvas, glyphX, glyphY, checkGlyph.get(), 2, checked ? 1 : 2);
}

void TepBMPCheckBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft || !mouseIn)
    return;
  XPaint();
  PlaySound(clickSound);
  TEffectGControl::MouseUp(Button, Shift, X, Y);
  _Click();
}

void TepBMPCheckBox::CMMouseEnter(TMessage& Message) {
  TEffectGControl::CMMouseEnter(Message);
  if (mouseIn || !Enabled())
    return;
  mouseIn = true;
  XPaint();
  PlaySound(activeSound);
}

void TepBMPCheckBox::CMMouseLeave(TMessage& Message) {
  TEffectGControl::CMMouseLeave(Message);
  if (!mouseIn || !Enabled())
    return;
  mouseIn = false;
  XPaint();
}

void TepBMPCheckBox::CMTextChanged(TMessage&) {
  XPaint();
}

// ---------------------------------------------------------------- radio button

TepBMPRadioButton::TepBMPRadioButton(TComponent* AOwner) : TepBMPCheckBox(AOwner) {}

void TepBMPRadioButton::_Click() {
  checked = true;
  XPaint();
  if (OnClick)
    OnClick(this);
  TWinControl* parent = Parent();
  if (parent == nullptr)
    return;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<TepBMPRadioButton*>(parent->Controls(i));
    if (sibling == nullptr || sibling == this || sibling->groupIndex != groupIndex)
      continue;
    sibling->checked = false;
    sibling->XPaint();
  }
}

// ---------------------------------------------------------------- switch

TepBMPSwitch::TepBMPSwitch(TComponent* AOwner)
    : TEffectGControl(AOwner), onGlyph(std::make_unique<TBitmap>()),
      offGlyph(std::make_unique<TBitmap>()) {
  SetBounds(Left(), Top(), 100, 100);
}

TepBMPSwitch::~TepBMPSwitch() {
  Destroying();
}

void TepBMPSwitch::SetOnGlyph(const TBitmap* Value) {
  onGlyph->Assign(Value);
  XPaint();
}

void TepBMPSwitch::SetOffGlyph(const TBitmap* Value) {
  offGlyph->Assign(Value);
  XPaint();
}

void TepBMPSwitch::SetState(TState Value) {
  state = Value;
  XPaint();
  if (IsLoading(this))
    return;
  if (state == sOn && OnOn)
    OnOn(this);
  if (state == sOff && OnOff)
    OnOff(this);
}

void TepBMPSwitch::PaintFace() {
  DrawSwitchGlyph();
}

void TepBMPSwitch::DrawSwitchGlyph() {
  TBitmap* glyph = state == sOn && !onGlyph->Empty() ? onGlyph.get() : offGlyph.get();
  if (glyph->Empty())
    return;
  transparentColor = GetTransparentColor(glyph);
  DrawBitmapTransparent(OffBmp()->Canvas(), 0, 0, glyph, transparentColor);
}

void TepBMPSwitch::MouseDown(TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft)
    return;
  TBitmap* glyph = state == sOn ? onGlyph.get() : offGlyph.get();
  if (!OpaqueAt(glyph, X, Y, transparentColor))
    return;
  SetState(state == sOn ? sOff : sOn);
}

// ---------------------------------------------------------------- button

TepBMPButton::TepBMPButton(TComponent* AOwner)
    : TEffectGControl(AOwner), downGlyph(std::make_unique<TBitmap>()),
      upGlyph(std::make_unique<TBitmap>()), activeGlyph(std::make_unique<TBitmap>()),
      unEnGlyph(std::make_unique<TBitmap>()) {
  SetBounds(Left(), Top(), 100, 100);
}

TepBMPButton::~TepBMPButton() {
  Destroying();
  FreeTimer();
}

void TepBMPButton::SetDownGlyph(const TBitmap* Value) {
  downGlyph->Assign(Value);
  XPaint();
}

void TepBMPButton::SetUpGlyph(const TBitmap* Value) {
  upGlyph->Assign(Value);
  XPaint();
}

void TepBMPButton::SetActiveGlyph(const TBitmap* Value) {
  activeGlyph->Assign(Value);
  XPaint();
}

void TepBMPButton::SetUnEnGlyph(const TBitmap* Value) {
  unEnGlyph->Assign(Value);
  XPaint();
}

void TepBMPButton::SetClickSound(TepWavePlayer* Value) {
  ReferTo(this, clickSound, Value);
}

void TepBMPButton::SetActiveSound(TepWavePlayer* Value) {
  ReferTo(this, activeSound, Value);
}

void TepBMPButton::Notification(TComponent* AComponent, TOperation Operation) {
  TEffectGControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  ForgetRemoved(clickSound, AComponent);
  ForgetRemoved(activeSound, AComponent);
  // The owner frees the timer with its other components.
  if (AComponent == hoverTimer)
    hoverTimer = nullptr;
}

void TepBMPButton::PaintFace() {
  DrawBtnGlyph(OffBmp()->Canvas());
}

void TepBMPButton::ShowGlyph(TCanvas* Canvas, TBitmap* Glyph, uint8_t Kind) {
  transparentColor = GetTransparentColor(Glyph);
  DrawBitmapTransparent(Canvas, 0, 0, Glyph, transparentColor);
  shownWidth = Glyph->Width();
  shownHeight = Glyph->Height();
  shownKind = Kind;
}

void TepBMPButton::DrawBtnGlyph(TCanvas* Canvas) {
  if (!Enabled()) {
    if (!unEnGlyph->Empty())
      ShowGlyph(Canvas, unEnGlyph.get(), 0);
    else if (!upGlyph->Empty())
      ShowGlyph(Canvas, upGlyph.get(), 1);
    return;
  }
  if (mouseIn && down && !downGlyph->Empty())
    ShowGlyph(Canvas, downGlyph.get(), 3);
  else if (mouseIn && !activeGlyph->Empty())
    ShowGlyph(Canvas, activeGlyph.get(), 2);
  else if (!upGlyph->Empty())
    ShowGlyph(Canvas, upGlyph.get(), 1);
}

TBitmap* TepBMPButton::HitGlyph() const {
  switch (shownKind) {
  case 1:
    return upGlyph.get();
  case 2:
    return activeGlyph.get();
  case 3:
    return downGlyph.get();
  default:
    return nullptr;
  }
}

void TepBMPButton::MouseMove(TShiftState Shift, int X, int Y) {
  const bool wasIn = mouseIn;
  const bool inShown = X > 0 && X < shownWidth && Y > 0 && Y < shownHeight;
  TBitmap* glyph = HitGlyph();
  mouseIn = inShown && (glyph == nullptr || OpaqueAt(glyph, X, Y, transparentColor));
  if (mouseIn != wasIn && (!activeGlyph->Empty() || down))
    XPaint();
  if (mouseIn && !wasIn && hoverTimer == nullptr) {
    CreateTimer();
    PlaySound(activeSound);
  }
  if (mouseIn)
    TEffectGControl::MouseMove(Shift, X, Y);
}

void TepBMPButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft || !mouseIn)
    return;
  down = true;
  mouseIn = true;
  if (!downGlyph->Empty())
    XPaint();
  TEffectGControl::MouseDown(Button, Shift, X, Y);
}

void TepBMPButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft)
    return;
  down = false;
  if (!mouseIn)
    return;
  if (!upGlyph->Empty())
    XPaint();
  PlaySound(clickSound);
  if (OnClick)
    OnClick(this);
  TEffectGControl::MouseUp(Button, Shift, X, Y);
}

void TepBMPButton::CMMouseLeave(TMessage& Message) {
  if (mouseIn) {
    mouseIn = false;
    if (!activeGlyph->Empty())
      XPaint();
  }
  TEffectGControl::CMMouseLeave(Message);
}

void TepBMPButton::CreateTimer() {
  hoverTimer = new TTimer(this);
  hoverTimer->SetInterval(500);
  hoverTimer->SetOnTimer([this](TObject* Sender) { TimerExpired(Sender); });
  hoverTimer->SetEnabled(true);
}

void TepBMPButton::FreeTimer() {
  if (hoverTimer == nullptr)
    return;
  TTimer* timer = hoverTimer;
  hoverTimer = nullptr;
  timer->SetEnabled(false);
  timer->SetOnTimer(nullptr);
  delete timer;
}

void TepBMPButton::TimerExpired(TObject*) {
  const TPoint cursor = Mouse_CursorPos();
  const TPoint origin = ClientOrigin();
  const bool over = cursor.X >= origin.X && cursor.X <= origin.X + Width() &&
                    cursor.Y >= origin.Y && cursor.Y <= origin.Y + Height();
  if (!over && mouseIn) {
    mouseIn = false;
    XPaint();
  }
  FreeTimer();
}

// ---------------------------------------------------------------- published

namespace {
[[maybe_unused]] const bool stateIdents = RegisterEnum<TState>({{"sOn", sOn}, {"sOff", sOff}});
} // namespace

WT_PUBLISH(TepBMPCheckBox, TEffectGControl) {
  using C = TepBMPCheckBox;
  p.Property("ClickSound", &C::ClickSound, &C::SetClickSound);
  p.Property("ActiveSound", &C::ActiveSound, &C::SetActiveSound);
  p.Property("EfCaption", &C::EfCaption, &C::SetEfCaption);
  p.Object("CheckGlyph", &C::CheckGlyph);
  p.Property("TextAlignment", &C::TextAlignment, &C::SetAlignment);
  p.Property("Checked", &C::Checked, &C::SetChecked);
  p.Color("ActiveTextColor", &C::ActiveTextColor, &C::SetActiveTextColor);
  p.Event("OnClick", &C::OnClick);
}

WT_PUBLISH(TepBMPRadioButton, TepBMPCheckBox) {
  p.Property("GroupIndex", &TepBMPRadioButton::GroupIndex, &TepBMPRadioButton::SetGroupIndex);
}

WT_PUBLISH(TepBMPSwitch, TEffectGControl) {
  p.Object("OnGlyph", &TepBMPSwitch::OnGlyph);
  p.Object("OffGlyph", &TepBMPSwitch::OffGlyph);
  p.Event("OnOn", &TepBMPSwitch::OnOn);
  p.Event("OnOff", &TepBMPSwitch::OnOff);
  p.Property("State", &TepBMPSwitch::State, &TepBMPSwitch::SetState);
}

WT_PUBLISH(TepBMPButton, TEffectGControl) {
  using B = TepBMPButton;
  p.Property("ClickSound", &B::ClickSound, &B::SetClickSound);
  p.Property("ActiveSound", &B::ActiveSound, &B::SetActiveSound);
  p.Object("UpGlyph", &B::UpGlyph);
  p.Object("DownGlyph", &B::DownGlyph);
  p.Object("ActiveGlyph", &B::ActiveGlyph);
  p.Object("UnEnGlyph", &B::UnEnGlyph);
  p.Event("OnClick", &B::OnClick);
}
