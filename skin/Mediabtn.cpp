#include "skin/Mediabtn.h"

#include "platform/gfx/Gdi.h"
#include "platform/ui/Forms.h"
#include "skin/Bmputils.h"
#include "skin/Effbmp.h"
#include "skin/Grutils.h"

#include <utility>
#include <vector>

namespace {

void PlaySound(TepWavePlayer* Sound) {
  if (Sound != nullptr && !Sound->Wave()->Empty())
    Sound->Play();
}

void FillRectWith(TCanvas* Canvas, const TRect& R, TColor Color) {
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Color);
  Canvas->FillRect(R);
}

// The control's font over a transparent text background.
void PrepareText(TCanvas* Canvas, const TFont* Font) {
  Canvas->Font()->Assign(Font);
  Canvas->Brush()->SetStyle(bsClear);
}

// What lies beneath Control: its parent's colour, then the parent's image.
void ParentImage(TControl* Control, TCanvas* Canvas) {
  const TWinControl* parent = Control->Parent();
  FillRectWith(Canvas, Rect(0, 0, Control->Width(), Control->Height()),
               parent != nullptr ? parent->Color() : Control->Color());
  CopyParentImage(Control, Canvas);
}

} // namespace

// ---------------------------------------------------------------- TepPushControl

TepPushControl::TepPushControl(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 90, 30);
  Font()->SetName("Arial");
  Font()->SetSize(11);
  Font()->SetStyle({fsBold, fsItalic});
  SetTabStop(true);
}

TepPushControl::~TepPushControl() {
  Destroying();
}

void TepPushControl::SetClickSound(TepWavePlayer* Value) {
  SetSound(clickSound, Value);
}

void TepPushControl::SetActiveSound(TepWavePlayer* Value) {
  SetSound(activeSound, Value);
}

void TepPushControl::SetSound(TepWavePlayer*& Field, TepWavePlayer* Value) {
  Field = Value;
  if (Value != nullptr)
    Value->FreeNotification(this);
}

void TepPushControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == clickSound)
    clickSound = nullptr;
  if (AComponent == activeSound)
    activeSound = nullptr;
}

void TepPushControl::Press(bool Down) {
  if (Down && pressState != abPush) {
    pressState = abPush;
    Invalidate();
  } else if (!Down && pressState != abUnPush) {
    pressState = abUnPush;
    Invalidate();
  }
}

void TepPushControl::Active(bool Inside) {
  if (Inside == mouseIn)
    return;
  mouseIn = Inside;
  Invalidate();
  if (Inside)
    PlaySound(activeSound);
}

bool TepPushControl::PointInComponent(int X, int Y) const {
  return X >= 0 && X <= Width() && Y >= 0 && Y <= Height();
}

void TepPushControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  Press(true);
}

void TepPushControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (pressState == abPush && PointInComponent(X, Y))
    Press(false);
  pressState = abNone;
}

void TepPushControl::CMMouseEnter(TMessage& Message) {
  TCustomControl::CMMouseEnter(Message);
  if (pressState == abUnPush)
    Press(true);
  Active(true);
}

void TepPushControl::CMMouseLeave(TMessage& Message) {
  TCustomControl::CMMouseLeave(Message);
  if (pressState == abPush)
    Press(false);
  Active(false);
}

void TepPushControl::Click() {
  // A keyboard click with the mouse elsewhere is silent.
  if (mouseIn)
    PlaySound(clickSound);
  if (TCustomForm* form = dynamic_cast<TCustomForm*>(Parent()))
    form->ModalResult = modalResult;
  TCustomControl::Click();
}

void TepPushControl::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (Key != 13)
    return;
  Press(true);
  Click();
  Press(false);
  pressState = abNone;
}

void TepPushControl::WMSetFocus(TMessage&) {
  Invalidate();
}

void TepPushControl::WMKillFocus(TMessage&) {
  Invalidate();
}

void TepPushControl::WMEraseBkgnd(TMessage& Message) {
  // The paint covers the whole control.
  Message.Result = 1;
}

// ---------------------------------------------------------------- TepCustomButton

TepCustomButton::TepCustomButton(TComponent* AOwner) : TepPushControl(AOwner) {}

TepCustomButton::~TepCustomButton() {
  Destroying();
}

void TepCustomButton::SetTransparent(bool Value) {
  transparent = Value;
  Invalidate();
}

void TepCustomButton::Paint() {
  buffer = std::make_unique<TBitmap>();
  buffer->SetSize(Width() + 5, Height() + 5);
  if (transparent)
    ParentImage(this, buffer->Canvas());
  else
    FillRectWith(buffer->Canvas(), Rect(0, 0, buffer->Width(), buffer->Height()), Color());
  PaintFace();
  Canvas()->Draw(0, 0, buffer.get());
  buffer.reset();
}

void TepCustomButton::CMTextChanged(TMessage& Message) {
  TepPushControl::CMTextChanged(Message);
  Invalidate();
}

void TepCustomButton::WMMove(TMessage& Message) {
  TepPushControl::WMMove(Message);
  if (transparent)
    Invalidate();
}

// ---------------------------------------------------------------- TepLightLabelButton

TepLightLabelButton::TepLightLabelButton(TComponent* AOwner) : TepCustomButton(AOwner) {}

void TepLightLabelButton::Store(TColor& Field, TColor Value) {
  if (Field == Value)
    return;
  Field = Value;
  Invalidate();
}

void TepLightLabelButton::PaintFace() {
  using Offsets = std::vector<TPoint>;
  const int p = Pushed() ? 6 : 5;
  const AnsiString& caption = Caption();
  // The halo's offsets as the mask takes them, and in the order they are
  // painted on the buffer.
  Offsets maskAt, paintAt;
  TColor halo = activeColor;
  if (!MouseIn()) {
    maskAt = paintAt = {{2, 2}};
    halo = shadowColor;
  } else if (!Pushed()) {
    maskAt = {{-1, -1}, {1, 1}};
    paintAt = {{1, 1}, {-1, -1}};
  } else {
    maskAt = paintAt = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
  }

  TBitmap mask;
  mask.SetSize(Buffer()->Width(), Buffer()->Height());
  TCanvas* m = mask.Canvas();
  FillRectWith(m, Rect(0, 0, mask.Width(), mask.Height()), clWhite);
  PrepareText(m, Font());
  m->Font()->SetColor(clBlack);
  m->TextOut(p, p, caption);
  for (const TPoint& d : maskAt)
    m->TextOut(p + d.X, p + d.Y, caption);

  TCanvas* b = Buffer()->Canvas();
  PrepareText(b, Font());
  b->Font()->SetColor(halo);
  for (const TPoint& d : paintAt)
    b->TextOut(p + d.X, p + d.Y, caption);

  TEffectBmp image(Buffer()->Handle());
  const TEffectBmp where(mask.Handle());
  image.MaskSplitBlur(&where, 1);
  image.Draw(b->Handle(), 0, 0);

  b->Font()->SetColor(normalColor);
  b->TextOut(p, p, caption);
}

// ---------------------------------------------------------------- TepCustomBitmapButton

TepCustomBitmapButton::TepCustomBitmapButton(TComponent* AOwner)
    : TepPushControl(AOwner), bmpActive(std::make_unique<TBitmap>()),
      bmpNormal(std::make_unique<TBitmap>()), bmpDown(std::make_unique<TBitmap>()) {}

TepCustomBitmapButton::~TepCustomBitmapButton() {
  Destroying();
}

void TepCustomBitmapButton::Take(TBitmap& Field, const TBitmap* Value) {
  if (Value == nullptr)
    return;
  Field.Assign(Value);
  SetBounds(Left(), Top(), Value->Width(), Value->Height());
}

void TepCustomBitmapButton::SetTransparent(bool Value) {
  transparent = Value;
  Invalidate();
}

void TepCustomBitmapButton::SetBackColor(TColor Value) {
  if (backColor == Value)
    return;
  backColor = Value;
  Invalidate();
}

void TepCustomBitmapButton::Paint() {
  if (bmpNormal->Empty() || bmpActive->Empty() || bmpDown->Empty()) {
    DrawBitmaps();
    return;
  }
  TBitmap* shown = Pushed() ? bmpDown.get() : MouseIn() ? bmpActive.get() : bmpNormal.get();
  if (!transparent) {
    Canvas()->Draw(0, 0, shown);
    return;
  }
  TBitmap image;
  image.SetSize(Width(), Height());
  // The parent's colour first: its own painting leaves the erased background out.
  ParentImage(this, image.Canvas());
  DrawBitmapTransparent(image.Canvas(), 0, 0, shown, shown->Canvas()->Pixels(0, 0));
  Canvas()->Draw(0, 0, &image);
}

// ---------------------------------------------------------------- TepMediaButton

TepMediaButton::TepMediaButton(TComponent* AOwner) : TepPushControl(AOwner) {}

TepMediaButton::~TepMediaButton() {
  Destroying();
}

void TepMediaButton::SetInnerColor(TColor Value) {
  innerColor = Value;
  Invalidate();
}

void TepMediaButton::SetOuterColor(TColor Value) {
  outerColor = Value;
  Invalidate();
}

void TepMediaButton::SetActiveColor(TColor Value) {
  activeColor = Value;
  Invalidate();
}

void TepMediaButton::SetBevelWidth(int Value) {
  bevelWidth = Value;
  Invalidate();
}

void TepMediaButton::SetWallpaper(TepBitmap* Value) {
  if (wallpaper != nullptr && wallpaper != Value)
    wallpaper->RemoveFreeNotification(this);
  wallpaper = Value;
  if (Value != nullptr)
    Value->FreeNotification(this);
  Invalidate();
}

void TepMediaButton::Notification(TComponent* AComponent, TOperation Operation) {
  TepPushControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == wallpaper) {
    wallpaper = nullptr;
    Invalidate();
  }
}

void TepMediaButton::CMTextChanged(TMessage& Message) {
  TepPushControl::CMTextChanged(Message);
  Invalidate();
}

// The tiles start inside the bevel and stay there.
void TepMediaButton::PaintWallpaper(TCanvas* Canvas, TGraphic* Graphic) {
  const int shift = Pushed() ? 1 : 0;
  const TRect r = Rect(shift + bevelWidth, shift + bevelWidth, shift + ClientWidth() - bevelWidth,
                       shift + ClientHeight() - bevelWidth);
  if (r.Right <= r.Left || r.Bottom <= r.Top)
    return;
  const int w = Graphic->Width(), h = Graphic->Height();
  const int cols = (ClientWidth() - 2 * bevelWidth) / w;
  const int rows = (ClientHeight() - 2 * bevelWidth) / h;
  HDC dc = Canvas->Handle();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
  for (int i = 0; i <= cols; ++i)
    for (int j = 0; j <= rows; ++j)
      Canvas->Draw(r.Left + i * w, r.Top + j * h, Graphic);
  RestoreDC(dc, saved);
}

void TepMediaButton::PaintCaption(TCanvas* Canvas, int Offset, TColor Color) {
  TRect r = Rect(Offset, Offset, ClientWidth() + Offset, ClientHeight() + Offset);
  Canvas->Font()->SetColor(Color);
  Canvas->DrawText(Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TepMediaButton::Paint() {
  TBitmap buffer;
  buffer.SetSize(Width(), Height());
  TCanvas* c = buffer.Canvas();
  PrepareText(c, Font());
  if (TGraphic* graphic = WallpaperGraphic(wallpaper))
    PaintWallpaper(c, graphic);
  c->Pen()->SetWidth(1);
  const TColor fontColor = Font()->Color();
  if (Pushed()) {
    const int b = bevelWidth;
    c->Pen()->SetColor(outerColor);
    c->MoveTo(b, b);
    c->LineTo(Width() - b, b);
    c->MoveTo(b, b);
    c->LineTo(b, Height() - b);
    DrawMediaBevel(c, Width(), Height(), b, outerColor, innerColor);
    PaintCaption(c, 2, outerColor);
    PaintCaption(c, 1, activeColor);
  } else {
    DrawMediaBevel(c, Width(), Height(), bevelWidth, innerColor, outerColor);
    PaintCaption(c, 1, Enabled() ? outerColor : fontColor);
    PaintCaption(c, 0, !Enabled() ? outerColor : MouseIn() ? activeColor : fontColor);
  }
  Canvas()->Draw(0, 0, &buffer);
}

// ---------------------------------------------------------------- published

WT_PUBLISH(TepCustomButton, TCustomControl) {
  p.Property("Transparent", &TepCustomButton::Transparent, &TepCustomButton::SetTransparent)
      .Default(false);
  p.Property("ModalResult", &TepCustomButton::ModalResult, &TepCustomButton::SetModalResult)
      .Default(int32_t{0});
}

WT_PUBLISH(TepLightLabelButton, TepCustomButton) {
  using B = TepLightLabelButton;
  p.Color("NormalColor", &B::NormalColor, &B::SetNormalColor).Default(clBlack);
  p.Color("ShadowColor", &B::ShadowColor, &B::SetShadowColor).Default(clBtnShadow);
  p.Color("ActiveColor", &B::ActiveColor, &B::SetActiveColor).Default(clYellow);
  p.Property("ClickSound", &B::ClickSound, &B::SetClickSound);
  p.Property("ActiveSound", &B::ActiveSound, &B::SetActiveSound);
}

WT_PUBLISH(TepCustomBitmapButton, TCustomControl) {
  using B = TepCustomBitmapButton;
  p.Color("BackColor", &B::BackColor, &B::SetBackColor).Default(clBtnFace);
  p.Property("ModalResult", &B::ModalResult, &B::SetModalResult).Default(int32_t{0});
  p.Property("Transparent", &B::Transparent, &B::SetTransparent).Default(true);
}

WT_PUBLISH(TepBitmapButton, TepCustomBitmapButton) {
  using B = TepBitmapButton;
  p.Object("BmpActive", &B::BmpActive);
  p.Object("BmpNormal", &B::BmpNormal);
  p.Object("BmpDown", &B::BmpDown);
  p.Property("ClickSound", &B::ClickSound, &B::SetClickSound);
  p.Property("ActiveSound", &B::ActiveSound, &B::SetActiveSound);
}

WT_PUBLISH(TepMediaButton, TCustomControl) {
  using B = TepMediaButton;
  p.Property("ClickSound", &B::ClickSound, &B::SetClickSound);
  p.Property("ActiveSound", &B::ActiveSound, &B::SetActiveSound);
  p.Color("InnerColor", &B::InnerColor, &B::SetInnerColor).Default(clBtnHighlight);
  p.Color("ActiveColor", &B::ActiveColor, &B::SetActiveColor).Default(clBlack);
  p.Color("OuterColor", &B::OuterColor, &B::SetOuterColor).Default(clBtnShadow);
  p.Property("BevelWidth", &B::BevelWidth, &B::SetBevelWidth).Default(2);
  p.Property("Wallpaper", &B::Wallpaper, &B::SetWallpaper);
  p.Property("ModalResult", &B::ModalResult, &B::SetModalResult).Default(int32_t{0});
}
