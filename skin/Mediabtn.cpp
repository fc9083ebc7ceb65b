#include "skin/Mediabtn.h"

#include "platform/gfx/Gdi.h"
#include "platform/ui/Forms.h"
#include "skin/Bmputils.h"
#include "skin/Effbmp.h"
#include "skin/Eputils.h"
#include "skin/Grutils.h"
#include "skin/Vclbase.h"

#include <utility>
#include <vector>

namespace {

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
  ReferTo(this, clickSound, Value);
}

void TepPushControl::SetActiveSound(TepWavePlayer* Value) {
  ReferTo(this, activeSound, Value);
}

void TepPushControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  ForgetRemoved(clickSound, AComponent);
  ForgetRemoved(activeSound, AComponent);
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
  const auto missing = [this] {
    return bmpNormal->Empty() || bmpActive->Empty() || bmpDown->Empty();
  };
  // Faces made here are shown at once: nothing else would paint them.
  if (missing())
    DrawBitmaps();
  if (missing())
    return;
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

// ---------------------------------------------------------------- TepRealTimeButton

TepRealTimeButton::TepRealTimeButton(TComponent* AOwner) : TepCustomBitmapButton(AOwner) {
  SetTransparent(false);
}

std::unique_ptr<TBitmap> TepRealTimeButton::CreateOneBitmap(TBtnState, bool) {
  return nullptr;
}

void TepRealTimeButton::MakeBitmaps() {
  const auto make = [this](TBitmap* Into, TBtnState State, bool IsActive) {
    if (const std::unique_ptr<TBitmap> made = CreateOneBitmap(State, IsActive))
      Into->Assign(made.get());
  };
  make(BmpNormal(), abNone, false);
  make(BmpActive(), abNone, true);
  make(BmpDown(), abPush, true);
}

void TepRealTimeButton::CreateBitmaps() {
  MakeBitmaps();
  // Nothing made: the control keeps its size.
  if (BmpNormal()->Empty())
    return;
  making = true;
  SetClientWidth(BmpNormal()->Width());
  SetClientHeight(BmpNormal()->Height());
  making = false;
}

void TepRealTimeButton::Loaded() {
  TepCustomBitmapButton::Loaded();
  CreateBitmaps();
}

void TepRealTimeButton::Resize() {
  TepCustomBitmapButton::Resize();
  if (!making && !IsLoading(this))
    MakeBitmaps();
}

void TepRealTimeButton::GlyphChanged() {
  if (!IsLoading(this))
    MakeBitmaps();
  Invalidate();
}

// ---------------------------------------------------------------- TepBlurButton

TepBlurButton::TepBlurButton(TComponent* AOwner) : TepRealTimeButton(AOwner) {
  SetColor(clBtnFace);
}

void TepBlurButton::DrawFace(TCanvas* Canvas, TBtnState State) {
  const int w = Width(), h = Height(), b = bevelWidht;
  const TColor c = ColorToRGB(Color());
  const TColor light = RGBChange(c, 70, 70, 70), dark = RGBChange(c, -70, -70, -70);
  const TColor first = State == abPush ? dark : light;
  const TColor second = State == abPush ? light : dark;
  TPen* pen = Canvas->Pen();
  FillRectWith(Canvas, Rect(-1, -1, w + 1, h + 1), c);
  switch (kind) {
  case Mediabtn::bkRect:
    pen->SetColor(clBlack);
    Canvas->Rectangle(0, 0, w, h);
    Canvas->Rectangle(1, 1, w - 1, h);
    for (int i = 2; i <= b; ++i) {
      pen->SetColor(first);
      Canvas->MoveTo(i, h - i);
      Canvas->LineTo(i, i);
      Canvas->LineTo(w - i - 1, i);
      pen->SetColor(second);
      Canvas->MoveTo(w - i - 1, i + 1);
      Canvas->LineTo(w - i - 1, h - i);
      Canvas->LineTo(i, h - i);
    }
    return;
  case Mediabtn::bkRoundRect:
    Canvas->Brush()->SetStyle(bsClear);
    for (int i = 2; i <= b; ++i) {
      pen->SetColor(first);
      Canvas->MoveTo(i, h - b + i - 2);
      Canvas->LineTo(i, b);
      Canvas->MoveTo(b, i);
      Canvas->LineTo(w - b, i);
      pen->SetColor(second);
      Canvas->MoveTo(w - i, i);
      Canvas->LineTo(w - i, h - i);
      Canvas->LineTo(i, h - i);
    }
    pen->SetColor(clBlack);
    Canvas->RoundRect(1, 1, w - 1, h, 6, 6);
    return;
  case Mediabtn::bkEllipse:
    Canvas->Brush()->SetStyle(bsClear);
    for (int i = 2; i <= b; ++i) {
      pen->SetColor(first);
      Canvas->RoundRect(i, i, w, h, h - 2 * i, h - 2 * i);
      Canvas->RoundRect(i, i, w, h, h - i, h - i);
      pen->SetColor(second);
      Canvas->RoundRect(1, 1, w - i + 1, h - i + 1, h - 2 * i, h - 2 * i);
      Canvas->RoundRect(1, 1, w - i + 1, h - i + 1, h - i, h - i);
    }
    pen->SetColor(c);
    Canvas->RoundRect(0, 0, w + 1, h + 1, h + 1, h + 1);
    pen->SetColor(clBlack);
    Canvas->RoundRect(1, 1, w, h, h - 1, h - 1);
    return;
  }
}

std::unique_ptr<TBitmap> TepBlurButton::CreateOneBitmap(TBtnState State, bool IsActive) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetSize(Width(), Height());
  TCanvas* canvas = bmp->Canvas();
  canvas->Font()->Assign(Font());
  canvas->Pen()->SetWidth(1);
  DrawFace(canvas, State);
  if (blur) {
    TEffectBmp soft(bmp->Handle());
    soft.SplitBlur(1);
    soft.Draw(canvas->Handle(), 0, 0);
  }
  PrepareText(canvas, Font());
  canvas->Font()->SetColor(IsActive ? activeTextColor : textColor);
  const int shift = State == abPush ? 1 : 0;
  TRect r = Rect(bevelWidht + shift, bevelWidht + shift, Width() - bevelWidht + shift,
                 Height() - bevelWidht + shift);
  canvas->DrawText(Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  return bmp;
}

// ---------------------------------------------------------------- TepSphereButton

TepSphereButton::TepSphereButton(TComponent* AOwner)
    : TepRealTimeButton(AOwner), glyph(std::make_unique<TBitmap>()) {
  SetColor(clGray);
  SetBounds(0, 0, 40, 40);
}

TepSphereButton::~TepSphereButton() {
  Destroying();
}

void TepSphereButton::SetActiveColor(TColor Value) {
  activeColor = Value;
  Invalidate();
}

void TepSphereButton::SetGlyph(const TBitmap* Value) {
  glyph->Assign(Value);
  GlyphChanged();
}

void TepSphereButton::SetRegion() {
  SetWindowRgn(CreateEllipticRgn(0, 0, Width(), Height()), true);
}

void TepSphereButton::Resize() {
  TepRealTimeButton::Resize();
  if (Width() != Height())
    SetWidth(Height());
  SetRegion();
}

std::unique_ptr<TBitmap> TepSphereButton::CreateOneBitmap(TBtnState State, bool IsActive) {
  const int d = Min(Width(), Height());
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetSize(Width(), Height());
  TCanvas* canvas = bmp->Canvas();
  FillRectWith(canvas, Rect(0, 0, Width(), Height()), BackColor());
  canvas->Pen()->SetStyle(psClear);
  TColor brush = RGBChange(ColorToRGB(IsActive ? activeColor : Color()), -36, -36, -36);
  for (int i = 0; i <= 12; ++i) {
    canvas->Brush()->SetColor(brush);
    if (d > 35)
      canvas->Ellipse(i, i, d - (d / 18) * i, d - (d / 18) * i);
    else if (d > 25)
      canvas->Ellipse(i / 2, i / 2, d - 6 * i / 4, d - 6 * i / 4);
    else
      canvas->Ellipse(i / 2, i / 2, d - i, d - i);
    const int8_t step = State == abPush && i > 2 ? -6 : 6;
    brush = RGBChange(brush, step, step, step);
  }
  if (!glyph->Empty()) {
    const int shift = State == abPush ? 2 : 0;
    const int x = (d - glyph->Width()) / 2 - d / 12 + shift;
    const int y = (d - glyph->Height()) / 2 - d / 12 + shift;
    DrawBitmapTransparent(canvas, x, y, glyph.get(), glyph->Canvas()->Pixels(0, 0));
  }
  return bmp;
}

// ---------------------------------------------------------------- TepDiscButton

namespace {
constexpr int discSize = 51;
constexpr int discMargin = 2;
} // namespace

TepDiscButton::TepDiscButton(TComponent* AOwner)
    : TepRealTimeButton(AOwner), glyph(std::make_unique<TBitmap>()) {
  SetHeight(discSize);
  SetCaption("Button");
}

TepDiscButton::~TepDiscButton() {
  Destroying();
}

void TepDiscButton::Store(TColor& Field, TColor Value) {
  if (Field == Value)
    return;
  Field = Value;
  Invalidate();
}

void TepDiscButton::SetGlyph(const TBitmap* Value) {
  glyph->Assign(Value);
  GlyphChanged();
}

std::unique_ptr<TBitmap> TepDiscButton::CreateDisc(TBtnState State) {
  const int D = discSize, m = discMargin;
  auto disc = std::make_unique<TBitmap>();
  disc->SetSize(D + 2 * m, D + 2 * m);
  TCanvas* canvas = disc->Canvas();
  FillRectWith(canvas, Rect(-1, -1, disc->Width() + 2, disc->Height() + 1), BackColor());
  canvas->Pen()->SetStyle(psClear);
  const TColor circle = ColorToRGB(circleColor);
  TColor brush = RGBChange(circle, -120, -120, -120);
  const auto ellipse = [&](int a, int b) {
    canvas->Brush()->SetColor(brush);
    canvas->Ellipse(a, a, b, b);
  };
  for (int i = 0; i <= 6; ++i) {
    ellipse(m + i, m + D - i);
    brush = RGBChange(brush, 20, 20, 20);
  }
  brush = RGBChange(circle, -60, -60, -60);
  for (int i = 0; i <= 3; ++i) {
    ellipse(m + i, m + D - 6 - i);
    brush = RGBChange(brush, 20, 20, 20);
  }
  brush = RGBChange(brush, 20, 20, 20);
  ellipse(m + 4, m + D - 19); // the highlight
  brush = RGBChange(brush, -20, -20, -20);
  for (int i = 4; i <= 6; ++i) {
    brush = RGBChange(brush, -20, -20, -20);
    ellipse(m + i, m + 40 + i);
  }
  brush = circle;
  ellipse(m + 6, m + D - 7); // the face
  if (State == abPush) {
    // A half turn: the highlight moves to the lower right.
    TEffectBmp turned(disc->Handle());
    turned.Flip();
    turned.Flop();
    turned.Draw(canvas->Handle(), 0, 0);
  }
  if (!glyph->Empty()) {
    const int shift = State == abPush ? 2 : 0;
    DrawBitmapTransparent(canvas, (D - glyph->Width()) / 2 + shift,
                          (D - glyph->Height()) / 2 + shift, glyph.get(),
                          glyph->Canvas()->Pixels(0, 0));
  }
  return disc;
}

std::unique_ptr<TBitmap> TepDiscButton::CreateOneBitmap(TBtnState State, bool IsActive) {
  const int D = discSize, m = discMargin;
  const std::unique_ptr<TBitmap> disc = CreateDisc(State);
  auto bmp = std::make_unique<TBitmap>();
  TCanvas* canvas = bmp->Canvas();
  canvas->Font()->Assign(Font());
  bmp->SetSize(canvas->TextWidth(Caption()) + D + 2 * m + 30, D + 2 * m);
  FillRectWith(canvas, Rect(-1, -1, bmp->Width() + 2, bmp->Height() + 1), BackColor());
  canvas->Draw(0, 0, disc.get());
  PrepareText(canvas, Font());
  using Halo = std::vector<TPoint>;
  Halo halo;
  TColor haloColor = activeColor;
  TPoint at{0, 0};
  if (State == abPush) {
    halo = {{1, -1}, {1, 3}, {3, 1}, {-1, 1}};
    at = {1, 1};
  } else if (IsActive) {
    halo = {{0, -2}, {0, 2}, {2, 0}, {-2, 0}};
  } else {
    halo = {{2, 2}};
    haloColor = shadowColor;
  }
  const int x = D + 10, y = m + 1;
  canvas->Font()->SetColor(haloColor);
  for (const TPoint& d : halo)
    canvas->TextOut(x + d.X, y + d.Y, Caption());
  canvas->Font()->SetColor(normalColor);
  canvas->TextOut(x + at.X, y + at.Y, Caption());
  return bmp;
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
  ReferTo(this, wallpaper, Value);
  Invalidate();
}

void TepMediaButton::Notification(TComponent* AComponent, TOperation Operation) {
  TepPushControl::Notification(AComponent, Operation);
  if (Operation == opRemove && ForgetRemoved(wallpaper, AComponent))
    Invalidate();
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

WT_PUBLISH(TepRealTimeButton, TepCustomBitmapButton) {
  p.Property("ClickSound", &TepRealTimeButton::ClickSound, &TepRealTimeButton::SetClickSound);
  p.Property("ActiveSound", &TepRealTimeButton::ActiveSound, &TepRealTimeButton::SetActiveSound);
}

namespace {
[[maybe_unused]] const bool kindIdents =
    RegisterEnum<Mediabtn::TepKind>({{"bkRect", Mediabtn::bkRect},
                                     {"bkRoundRect", Mediabtn::bkRoundRect},
                                     {"bkEllipse", Mediabtn::bkEllipse}});
} // namespace

WT_PUBLISH(TepBlurButton, TepRealTimeButton) {
  using B = TepBlurButton;
  p.Color("ActiveTextColor", &B::ActiveTextColor, &B::SetActiveTextColor).Default(clHighlight);
  p.Property("BevelWidht", &B::BevelWidht, &B::SetBevelWidht).Default(2);
  p.Property("Blur", &B::Blur, &B::SetBlur).Default(true);
  p.Property("Kind", &B::Kind, &B::SetKind).Default(Mediabtn::bkRect);
  p.Color("TextColor", &B::TextColor, &B::SetTextColor).Default(clWindowText);
}

WT_PUBLISH(TepSphereButton, TepRealTimeButton) {
  using B = TepSphereButton;
  p.Color("ActiveColor", &B::ActiveColor, &B::SetActiveColor).Default(clBlue);
  p.Object("Glyph", &B::Glyph);
}

WT_PUBLISH(TepDiscButton, TepRealTimeButton) {
  using B = TepDiscButton;
  p.Color("ActiveColor", &B::ActiveColor, &B::SetActiveColor).Default(clYellow);
  p.Color("CircleColor", &B::CircleColor, &B::SetCircleColor).Default(clSilver);
  p.Object("Glyph", &B::Glyph);
  p.Color("NormalColor", &B::NormalColor, &B::SetNormalColor).Default(clBlack);
  p.Color("ShadowColor", &B::ShadowColor, &B::SetShadowColor).Default(clBtnShadow);
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
