#include "skin/Epctrls.h"

#include "platform/gfx/Gdi.h"
#include "platform/ui/Forms.h"
#include "skin/Bmputils.h"
#include "skin/Effbmp.h"
#include "skin/Grutils.h"
#include "skin/Ptinform.h"
#include "skin/Vclbase.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// What lies under Control, its parent's colour first: a parent's paint
// leaves its background to the erase step.
static void CopyUnderneath(TControl* Control, TBitmap* Bitmap, bool WithCustomControls) {
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(Control->Width(), Control->Height());
  if (Control->Parent() == nullptr)
    return;
  TCanvas* c = Bitmap->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Control->Parent()->Color());
  c->FillRect(Rect(0, 0, Control->Width(), Control->Height()));
  if (WithCustomControls)
    CopyParentImage1(Control, c);
  else
    CopyParentImage(Control, c);
}

// ---------------------------------------------------------------- TepImagePanel

TepImagePanel::TepImagePanel(TComponent* AOwner) : TPanel(AOwner) {
  SetBounds(Left(), Top(), 100, 100);
}

TepImagePanel::~TepImagePanel() {
  Destroying();
}

void TepImagePanel::SetBevelInnerColor(TColor Value) {
  bevelInnerColor = Value;
  Invalidate();
}

void TepImagePanel::SetBevelOuterColor(TColor Value) {
  bevelOuterColor = Value;
  Invalidate();
}

void TepImagePanel::SetWallpaper(TepBitmap* Value) {
  ReferTo(this, wallpaper, Value);
  Invalidate();
}

void TepImagePanel::Notification(TComponent* AComponent, TOperation Operation) {
  TPanel::Notification(AComponent, Operation);
  if (Operation == opRemove && ForgetRemoved(wallpaper, AComponent))
    Invalidate();
}

void TepImagePanel::WMEraseBkgnd(TMessage&) {}

void TepImagePanel::PaintBackground(const TRect& R) {
  TCanvas* c = Canvas();
  TGraphic* graphic = WallpaperGraphic(wallpaper);
  if (graphic == nullptr) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(R);
    return;
  }
  const int pw = graphic->Width(), ph = graphic->Height();
  HDC dc = c->Handle();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, R.Left, R.Top, R.Right, R.Bottom);
  for (int i = 0; i <= R.Width() / pw; ++i)
    for (int j = 0; j <= R.Height() / ph; ++j)
      c->Draw(R.Left + i * pw, R.Top + j * ph, graphic);
  RestoreDC(dc, saved);
}

bool TepImagePanel::BevelColors(TPanelBevel Kind, TColor& TopColor, TColor& BottomColor) const {
  if (Kind != bvLowered && Kind != bvRaised)
    return false;
  TopColor = Kind == bvLowered ? bevelOuterColor : bevelInnerColor;
  BottomColor = Kind == bvLowered ? bevelInnerColor : bevelOuterColor;
  return true;
}

TRect TepImagePanel::PaintBevels(TRect R) {
  TColor top, bottom;
  if (BevelColors(BevelOuter(), top, bottom))
    Frm3D(Canvas(), R, top, bottom, BevelWidth());
  if (BevelOuter() != bvNone) {
    const int inset = BorderWidth() + BevelWidth();
    R = Rect(R.Left + inset, R.Top + inset, R.Right - inset, R.Bottom - inset);
  }
  if (BevelColors(BevelInner(), top, bottom))
    Frm3D(Canvas(), R, top, bottom, BevelWidth());
  return R;
}

void TepImagePanel::PaintCaption(TRect R) {
  if (Caption().empty())
    return;
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsClear);
  c->SetFont(Font());
  const int h = c->TextHeight("W");
  R.Top = (R.Top + R.Bottom - h) / 2;
  R.Bottom = R.Top + h;
  static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  c->DrawText(Caption(), R, align[Alignment()] | DT_EXPANDTABS);
}

void TepImagePanel::Paint() {
  PaintBackground(ClientRect());
  PaintCaption(PaintBevels(ClientRect()));
}

// ---------------------------------------------------------------- TepRndPanel

TepRndPanel::TepRndPanel(TComponent* AOwner) : TepImagePanel(AOwner) {
  MakeRegion();
}

void TepRndPanel::SetPanelKind(TPanelKind Value) {
  panelKind = Value;
  MakeRegion();
  Invalidate();
}

void TepRndPanel::SetRadius(int Value) {
  radius = Value;
  MakeRegion();
  Invalidate();
}

void TepRndPanel::BoundsChanged(int OldWidth, int OldHeight) {
  TepImagePanel::BoundsChanged(OldWidth, OldHeight);
  if (OldWidth != Width() || OldHeight != Height())
    MakeRegion();
}

void TepRndPanel::MakeRegion() {
  const int w = Width(), h = Height(), d = 2 * radius;
  SetWindowRgn(panelKind == pkEllipse ? CreateEllipticRgn(0, 0, w, h)
                                      : CreateRoundRectRgn(0, 0, w, h, d, d),
               true);
}

void TepRndPanel::PaintRndBevel(TPanelBevel Kind, const TRect& R, int Corner) {
  TColor top, bottom;
  if (!BevelColors(Kind, top, bottom))
    return;
  if (panelKind == pkEllipse)
    RndFrm3D(Canvas(), top, bottom, R, BevelWidth());
  else
    RndRectFrm3D(Canvas(), R, top, bottom, Corner, BevelWidth());
}

void TepRndPanel::PaintRoundFace() {
  TRect r = panelKind == pkEllipse ? Rect(0, 0, Width(), Height())
                                   : Rect(1, 1, Width() - 2, Height() - 2);
  PaintRndBevel(BevelOuter(), r, 2 * (radius - BorderWidth()));
  if (BevelOuter() != bvNone) {
    const int inset = BorderWidth() + BevelWidth();
    r = Rect(r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset);
  }
  PaintRndBevel(BevelInner(), r, 2 * radius);
  PaintCaption(r);
}

void TepRndPanel::Paint() {
  PaintBackground(ClientRect());
  PaintRoundFace();
}

// ---------------------------------------------------------------- TepEffectRndPanel

TepEffectRndPanel::TepEffectRndPanel(TComponent* AOwner) : TepRndPanel(AOwner) {}

TepEffectRndPanel::~TepEffectRndPanel() = default;

void TepEffectRndPanel::SetMiddleTransparent(bool Value) {
  middleTransparent = Value;
  InvalidatePanel();
}

void TepEffectRndPanel::SetNoise(bool Value) {
  noise = Value;
  InvalidatePanel();
}

void TepEffectRndPanel::InvalidatePanel() {
  cache.reset();
  Invalidate();
}

void TepEffectRndPanel::BuildCache() {
  cache = std::make_unique<TBitmap>();
  CopyUnderneath(this, cache.get(), true);
  if (!middleTransparent && !noise)
    return;
  TEffectBmp effects(cache->Handle());
  if (middleTransparent)
    effects.AddMiddleColor(Color());
  if (noise)
    effects.AddColorNoise(30);
  effects.Draw(cache->Canvas()->Handle(), 0, 0);
}

void TepEffectRndPanel::WMEraseBkgnd(TMessage&) {
  BuildCache();
}

void TepEffectRndPanel::CMVisibleChanged(TMessage& Message) {
  TepRndPanel::CMVisibleChanged(Message);
  cache.reset();
}

void TepEffectRndPanel::Paint() {
  if (cache == nullptr)
    BuildCache();
  Canvas()->Draw(0, 0, cache.get());
  PaintRoundFace();
}

// ---------------------------------------------------------------- TepShadowPanel

TepShadowPanel::TepShadowPanel(TComponent* AOwner) : TepImagePanel(AOwner) {}

void TepShadowPanel::SetShadowWidth(int Value) {
  shadowWidth = std::max(0, Value);
  Realign();
  Invalidate();
}

void TepShadowPanel::SetShadowKind(TShadowKind Value) {
  shadowKind = Value;
  Realign();
  Invalidate();
}

TRect TepShadowPanel::BodyRect() const {
  const int w = shadowWidth, W = Width(), H = Height();
  switch (shadowKind) {
  case skLeftTop:
    return Rect(w, w, W, H);
  case skRightTop:
    return Rect(0, w, W - w, H);
  case skLeftBottom:
    return Rect(w, 0, W, H - w);
  case skRightBottom:
    break;
  }
  return Rect(0, 0, W - w, H - w);
}

void TepShadowPanel::AlignControls(TControl* AControl, TRect& Rect) {
  Rect = BodyRect();
  TCustomControl::AlignControls(AControl, Rect);
}

// The shadow is the body's outline moved diagonally away from the shadowed
// sides' opposites, over the parent's image darkened half-way to black.
void TepShadowPanel::Paint() {
  const TRect body = BodyRect();
  TBitmap under;
  CopyUnderneath(this, &under, false);
  const int w = shadowWidth;
  const int dx = body.Left == 0 ? w : -w, dy = body.Top == 0 ? w : -w;
  TEffectBmp effects(under.Handle());
  effects.AddMiddleColorInRect(
      clBlack, Rect(body.Left + dx, body.Top + dy, body.Right + dx - 1, body.Bottom + dy - 1));
  effects.Draw(Canvas()->Handle(), 0, 0);
  PaintBackground(body);
  PaintCaption(PaintBevels(body));
}

// ---------------------------------------------------------------- TepMoveForm

TepMoveForm::TepMoveForm(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(Left(), Top(), 100, 100);
}

// The mouse events stay here: the handle is all drag.
void TepMoveForm::MouseDown(TMouseButton Button, TShiftState, int X, int Y) {
  if (Button == mbLeft && !moving)
    moving = true;
  StartX = X;
  StartY = Y;
}

void TepMoveForm::MouseMove(TShiftState, int X, int Y) {
  if (!moving)
    return;
  // A handle owned by anything but a control has no window to move.
  auto* window = dynamic_cast<TControl*>(Owner());
  if (window == nullptr)
    return;
  window->SetBounds(window->Left() + X - StartX, window->Top() + Y - StartY, window->Width(),
                    window->Height());
}

void TepMoveForm::MouseUp(TMouseButton, TShiftState, int, int) {
  moving = false;
}

// ---------------------------------------------------------------- TepSplitter

TepSplitter::TepSplitter(TComponent* AOwner)
    : TGraphicControl(AOwner), splitterGlyph(std::make_unique<TBitmap>()) {
  SetAlign(alLeft);
  SetBounds(Left(), Top(), 3, 100);
  SetCursor(crHSplit);
}

TepSplitter::~TepSplitter() {
  if (Sizing())
    StopSizing();
}

void TepSplitter::SetMinSize(int Value) {
  minSize = Value;
}

void TepSplitter::SetBeveled(bool Value) {
  beveled = Value;
  Invalidate();
}

void TepSplitter::SetInnerColor(TColor Value) {
  innerColor = Value;
  Invalidate();
}

void TepSplitter::SetOuterColor(TColor Value) {
  outerColor = Value;
  Invalidate();
}

void TepSplitter::SetSplitterGlyph(const TBitmap* Value) {
  splitterGlyph->Assign(Value);
  Invalidate();
}

void TepSplitter::SetUseGlyph(bool Value) {
  useGlyph = Value;
  Invalidate();
}

void TepSplitter::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  const int gw = splitterGlyph->Width(), gh = splitterGlyph->Height();
  if (useGlyph && gw > 0 && gh > 0) {
    for (int x = 0; x < Width(); x += gw)
      for (int y = 0; y < Height(); y += gh)
        c->Draw(x, y, splitterGlyph.get());
    return;
  }
  if (!beveled)
    return;
  TRect r = ClientRect();
  if (Horizontal())
    r = Rect(r.Left - 2, r.Top + 1, r.Right + 2, r.Bottom - 1);
  else
    r = Rect(r.Left + 1, r.Top - 2, r.Right - 1, r.Bottom + 2);
  r = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
  c->Brush()->SetColor(innerColor);
  c->FrameRect(r);
  r = Rect(r.Left - 2, r.Top - 2, r.Right - 2, r.Bottom - 2);
  c->Brush()->SetColor(outerColor);
  c->FrameRect(r);
}

TControl* TepSplitter::FindNeighbour() const {
  TPoint p;
  switch (Align()) {
  case alLeft:
    p = Point(Left() - 1, Top());
    break;
  case alRight:
    p = Point(Left() + Width(), Top());
    break;
  case alTop:
    p = Point(Left(), Top() - 1);
    break;
  case alBottom:
    p = Point(Left(), Top() + Height());
    break;
  default:
    return nullptr;
  }
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    TControl* c = Parent()->Controls(i);
    if (c == this || !c->Visible())
      continue;
    const TRect b = c->BoundsRect();
    if (p.X >= b.Left && p.X < b.Right && p.Y >= b.Top && p.Y < b.Bottom)
      return c;
  }
  return nullptr;
}

int TepSplitter::LargestSize(TControl* Neighbour) const {
  const bool across = Horizontal();
  int size = across ? Parent()->ClientHeight() : Parent()->ClientWidth();
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    TControl* c = Parent()->Controls(i);
    if (!c->Visible())
      continue;
    const TAlign a = c->Align();
    if (across ? (a == alTop || a == alBottom) : (a == alLeft || a == alRight))
      size -= across ? c->Height() : c->Width();
  }
  return size + (across ? Neighbour->Height() : Neighbour->Width());
}

// The line covers the splitter's own extent where its near edge would lie.
void TepSplitter::DrawLine() {
  if (lineDC == nullptr || neighbour == nullptr)
    return;
  lineVisible = !lineVisible;
  const TRect b = neighbour->BoundsRect();
  HGDIOBJ old = SelectObject(lineDC, GetStockObject(GRAY_BRUSH));
  switch (Align()) {
  case alLeft:
    PatBlt(lineDC, b.Left + newSize, Top(), Width(), Height(), PATINVERT);
    break;
  case alRight:
    PatBlt(lineDC, b.Right - newSize - Width(), Top(), Width(), Height(), PATINVERT);
    break;
  case alTop:
    PatBlt(lineDC, Left(), b.Top + newSize, Width(), Height(), PATINVERT);
    break;
  default:
    PatBlt(lineDC, Left(), b.Bottom - newSize - Height(), Width(), Height(), PATINVERT);
    break;
  }
  SelectObject(lineDC, old);
}

void TepSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || Sizing() || Parent() == nullptr)
    return;
  TControl* found = FindNeighbour();
  if (found == nullptr)
    return;
  sizing = true;
  neighbour = found;
  neighbour->FreeNotification(this);
  downPos = Point(X, Y);
  startSize = newSize = Horizontal() ? found->Height() : found->Width();
  maxSize = LargestSize(found);
  lineDC = GetDC(Parent());
  if (TCustomForm* form = GetParentForm(); form != nullptr && form->ActiveControl() != nullptr) {
    activeControl = form->ActiveControl();
    activeControl->FreeNotification(this);
    oldKeyDown = activeControl->OnKeyDown;
    activeControl->OnKeyDown = [this](TObject* Sender, uint16_t& Key, TShiftState Shift) {
      ActiveKeyDown(Sender, Key, Shift);
    };
  }
  DrawLine();
}

void TepSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!Sizing())
    return;
  int delta = Horizontal() ? Y - downPos.Y : X - downPos.X;
  if (Align() == alRight || Align() == alBottom)
    delta = -delta;
  const int size = std::clamp(startSize + delta, minSize, std::max(minSize, maxSize));
  if (size == newSize)
    return;
  DrawLine();
  newSize = size;
  DrawLine();
}

void TepSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !Sizing())
    return;
  TControl* c = neighbour;
  const TRect b = c->BoundsRect();
  Parent()->DisableAlign();
  switch (Align()) {
  case alLeft:
    c->SetWidth(newSize);
    break;
  case alRight:
    c->SetBounds(b.Right - newSize, b.Top, newSize, b.Height());
    break;
  case alTop:
    c->SetHeight(newSize);
    break;
  default:
    c->SetBounds(b.Left, b.Bottom - newSize, b.Width(), newSize);
    break;
  }
  StopSizing();
  Parent()->EnableAlign();
}

void TepSplitter::StopSizing() {
  if (lineVisible)
    DrawLine();
  ReleaseDC(Parent(), lineDC);
  lineDC = nullptr;
  if (activeControl != nullptr) {
    activeControl->OnKeyDown = oldKeyDown;
    activeControl->RemoveFreeNotification(this);
  }
  activeControl = nullptr;
  oldKeyDown = nullptr;
  if (neighbour != nullptr)
    neighbour->RemoveFreeNotification(this);
  neighbour = nullptr;
  sizing = false;
  if (OnMoved)
    OnMoved(this);
}

void TepSplitter::ActiveKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    StopSizing();
    return;
  }
  if (oldKeyDown)
    oldKeyDown(Sender, Key, Shift);
}

// A neighbour or a key owner that goes away mid-drag ends the drag.
void TepSplitter::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation != opRemove || !Sizing())
    return;
  if (AComponent == activeControl) {
    activeControl = nullptr;
    oldKeyDown = nullptr;
  }
  if (AComponent == neighbour) {
    // The line went with the neighbour's repaint.
    lineVisible = false;
    neighbour = nullptr;
    StopSizing();
  }
}

// ---------------------------------------------------------------- TepBevel

TepBevel::TepBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(Left(), Top(), 50, 50);
}

void TepBevel::SetStyle(TepBevelStyle Value) {
  style = Value;
  Invalidate();
}

void TepBevel::SetShape(TepBevelShape Value) {
  shape = Value;
  Invalidate();
}

void TepBevel::SetInnerColor(TColor Value) {
  innerColor = Value;
  Invalidate();
}

void TepBevel::SetOuterColor(TColor Value) {
  outerColor = Value;
  Invalidate();
}

void TepBevel::HLine(int Y, TColor Color) {
  Canvas()->Pen()->SetColor(Color);
  Canvas()->MoveTo(0, Y);
  Canvas()->LineTo(Width(), Y);
}

void TepBevel::VLine(int X, TColor Color) {
  Canvas()->Pen()->SetColor(Color);
  Canvas()->MoveTo(X, 0);
  Canvas()->LineTo(X, Height());
}

void TepBevel::Paint() {
  const TColor c1 = style == bsRaised ? innerColor : outerColor;
  const TColor c2 = style == bsRaised ? outerColor : innerColor;
  const int w = Width(), h = Height();
  Canvas()->Pen()->SetWidth(1);
  switch (shape) {
  case bsBox:
    Frm3D(Canvas(), Rect(0, 0, w, h), c1, c2, 1);
    break;
  case bsFrame:
    Frm3D(Canvas(), Rect(1, 1, w, h), c2, c1, 1);
    Frm3D(Canvas(), Rect(0, 0, w - 1, h - 1), c1, c2, 1);
    break;
  case bsTopLine:
    HLine(0, c1);
    HLine(1, c2);
    break;
  case bsBottomLine:
    HLine(h - 2, c1);
    HLine(h - 1, c2);
    break;
  case bsLeftLine:
    VLine(0, c1);
    VLine(1, c2);
    break;
  case bsRightLine:
    VLine(w - 2, c1);
    VLine(w - 1, c2);
    break;
  }
}

// ---------------------------------------------------------------- TepImage

TepImage::TepImage(TComponent* AOwner)
    : TGraphicControl(AOwner), glyph(std::make_unique<TBitmap>()) {
  SetBounds(Left(), Top(), 50, 50);
}

TepImage::~TepImage() = default;

void TepImage::SetGlyph(const TBitmap* Value) {
  glyph->Assign(Value);
  Invalidate();
}

void TepImage::SetStretch(bool Value) {
  stretch = Value;
  Invalidate();
}

void TepImage::SetWallStyle(bool Value) {
  wallStyle = Value;
  Invalidate();
}

void TepImage::SetGlyphTransparent(bool Value) {
  glyphTransparent = Value;
  Invalidate();
}

void TepImage::Paint() {
  const int gw = glyph->Width(), gh = glyph->Height();
  if (gw <= 0 || gh <= 0)
    return;
  if (wallStyle) {
    for (int x = 0; x < Width(); x += gw)
      for (int y = 0; y < Height(); y += gh)
        Canvas()->Draw(x, y, glyph.get());
    return;
  }
  const TColor leftOut = glyphTransparent ? clDefault : clNone;
  if (stretch)
    StretchBitmapRectTransparent(Canvas(), 0, 0, Width(), Height(), TRect{}, glyph.get(), leftOut);
  else
    DrawBitmapTransparent(Canvas(), 0, 0, glyph.get(), leftOut);
}

// ---------------------------------------------------------------- TepRegulator

TepRegulator::TepRegulator(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(Left(), Top(), 30, 150);
}

TepRegulator::~TepRegulator() {
  StopTracking();
}

void TepRegulator::SetMinValue(int Value) {
  minValue = Value;
  PlaceKnob();
}

void TepRegulator::SetMaxValue(int Value) {
  maxValue = Value;
  PlaceKnob();
}

void TepRegulator::SetValue(int Value) {
  const int clamped = std::clamp(Value, std::min(minValue, maxValue), std::max(minValue, maxValue));
  const bool changed = clamped != value;
  value = clamped;
  PlaceKnob();
  if (changed && OnChange)
    OnChange(this);
}

void TepRegulator::SetTimeInt(unsigned Value) {
  timeInt = Value;
}

void TepRegulator::SetBtnColor(TColor Value) {
  btnColor = Value;
  Invalidate();
}

void TepRegulator::SetFrameWidth(TSmType Value) {
  if (Value < 1 || Value > 100)
    return;
  frameWidth = Value;
  Invalidate();
}

// An empty range or a control no higher than its knob leaves the knob at the
// bottom rather than dividing by zero.
void TepRegulator::PlaceKnob() {
  const int r = Radius();
  knobY = Height() - r;
  if (maxValue != minValue && Travel() > 0)
    knobY -= static_cast<int>(int64_t{value - minValue} * Travel() / (maxValue - minValue));
  Invalidate();
}

void TepRegulator::BoundsChanged(int OldWidth, int OldHeight) {
  TCustomControl::BoundsChanged(OldWidth, OldHeight);
  if (OldWidth == Width() && OldHeight == Height())
    return;
  const int d = 2 * Radius();
  SetWindowRgn(CreateRoundRectRgn(0, 0, Width(), Height(), d, d), true);
  PlaceKnob();
}

void TepRegulator::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const int r = Radius();
  const int dx = X - r, dy = Y - knobY;
  if (Button == mbLeft && dx * dx + dy * dy <= r * r && !tracking) {
    TPoint p;
    GetCursorPos(&p);
    lastY = p.Y;
    tracking = true;
    SetTimer(Handle(), 1, timeInt);
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TepRegulator::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  StopTracking();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TepRegulator::StopTracking() {
  if (!tracking)
    return;
  tracking = false;
  KillTimer(Handle(), 1);
}

void TepRegulator::WMTimer(TMessage& Message) {
  if (Message.WParam != 1 || !tracking)
    return;
  TPoint p;
  GetCursorPos(&p);
  const int r = Radius();
  knobY = std::clamp(knobY + p.Y - lastY, r, std::max(r, Height() - r));
  lastY = p.Y;
  Invalidate();
  if (Travel() <= 0)
    return;
  const int old = value;
  value = minValue + static_cast<int>((maxValue - minValue) *
                                      (1.0 - static_cast<double>(knobY - r) / Travel()));
  if (value != old && OnChange)
    OnChange(this);
}

// A sunken slot down the middle and the knob over it.
void TepRegulator::Paint() {
  TCanvas* c = Canvas();
  const int r = Radius(), w = Width(), h = Height();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  RndRectFrm3D(c, Rect(0, 0, w, h), RGBChange(Color(), 65, 65, 65),
               RGBChange(Color(), -65, -65, -65), 2 * r, frameWidth);
  Frm3D(c, Rect(r - 2, r, r + 2, h - r), clBtnShadow, clBtnHighlight, 1);
  const TRect knob = Rect(1, knobY - r + 1, w - 1, knobY + r - 1);
  c->Pen()->SetStyle(psClear);
  c->Brush()->SetColor(btnColor);
  c->Ellipse(knob);
  c->Pen()->SetStyle(psSolid);
  RndFrm3D(c, clBtnHighlight, clBtnShadow, knob, frameWidth);
}

// ---------------------------------------------------------------- TepSwitch

TepSwitch::TepSwitch(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(Left(), Top(), 35, 70);
}

void TepSwitch::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth == Width() && AHeight == Height() && WindowRgn() != nullptr) {
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  TCustomControl::SetBounds(ALeft, ATop, AWidth, static_cast<int>(std::lrint(1.5 * AWidth)));
  SetWindowRgn(CreateRoundRectRgn(0, 0, Width(), Height(), Width(), Width()), true);
}

void TepSwitch::Fire() {
  if (state == Epctrls::sOn && OnOn)
    OnOn(this);
  else if (state == Epctrls::sOff && OnOff)
    OnOff(this);
}

void TepSwitch::SetState(Epctrls::TState Value) {
  state = Value;
  Invalidate();
  if (!IsLoading(this))
    Fire();
}

void TepSwitch::SetOnBtnColor(TColor Value) {
  onBtnColor = Value;
  Invalidate();
}

void TepSwitch::SetOffBtnColor(TColor Value) {
  offBtnColor = Value;
  Invalidate();
}

void TepSwitch::SetFrameWidth(TSmType Value) {
  if (Value < 1 || Value > 100)
    return;
  frameWidth = Value;
  Invalidate();
}

void TepSwitch::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && PointinRndRect(X, Y, Width() / 2, ClientRect())) {
    state = state == Epctrls::sOn ? Epctrls::sOff : Epctrls::sOn;
    Invalidate();
    Fire();
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

// The knob sits in the upper half when on, in the lower half when off.
void TepSwitch::Paint() {
  TCanvas* c = Canvas();
  const int w = Width(), h = Height(), r = w / 2;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  RndRectFrm3D(c, Rect(0, 0, w, h), RGBChange(Color(), 65, 65, 65),
               RGBChange(Color(), -65, -65, -65), w, frameWidth);
  Frm3D(c, Rect(r - 2, r, r + 2, h - r), RGBChange(Color(), -65, -65, -65),
        RGBChange(Color(), 65, 65, 65), 1);
  const int inset = frameWidth + 2;
  const int top = state == Epctrls::sOn ? inset : h - w + inset;
  const TRect knob = Rect(inset, top, w - inset, top + w - 2 * inset);
  c->Brush()->SetColor(state == Epctrls::sOn ? onBtnColor : offBtnColor);
  c->Pen()->SetStyle(psClear);
  c->Ellipse(knob);
  c->Pen()->SetStyle(psSolid);
  RndFrm3D(c, RGBChange(Color(), 65, 65, 65), RGBChange(Color(), -65, -65, -65), knob, 1);
}

// ---------------------------------------------------------------- publishing

namespace {
[[maybe_unused]] const bool bevelStyleIdents =
    RegisterEnum<TepBevelStyle>({{"bsLowered", bsLowered}, {"bsRaised", bsRaised}});
[[maybe_unused]] const bool bevelShapeIdents =
    RegisterEnum<TepBevelShape>({{"bsBox", bsBox},
                                 {"bsFrame", bsFrame},
                                 {"bsTopLine", bsTopLine},
                                 {"bsBottomLine", bsBottomLine},
                                 {"bsLeftLine", bsLeftLine},
                                 {"bsRightLine", bsRightLine}});
} // namespace

WT_PUBLISH(THack, TWinControl) {}

WT_PUBLISH(TepImagePanel, TPanel) {
  p.Color("BevelInnerColor", &TepImagePanel::BevelInnerColor, &TepImagePanel::SetBevelInnerColor);
  p.Color("BevelOuterColor", &TepImagePanel::BevelOuterColor, &TepImagePanel::SetBevelOuterColor);
  p.Property("Wallpaper", &TepImagePanel::Wallpaper, &TepImagePanel::SetWallpaper);
}

WT_PUBLISH(TepMoveForm, TGraphicControl) {}

WT_PUBLISH(TepBevel, TGraphicControl) {
  p.Color("InnerColor", &TepBevel::InnerColor, &TepBevel::SetInnerColor).Default(clBtnHighlight);
  p.Color("OuterColor", &TepBevel::OuterColor, &TepBevel::SetOuterColor).Default(clBtnShadow);
  p.Property("Shape", &TepBevel::Shape, &TepBevel::SetShape).Default(bsBox);
  p.Property("Style", &TepBevel::Style, &TepBevel::SetStyle).Default(bsLowered);
}

WT_PUBLISH(TepSplitter, TGraphicControl) {
  p.Property("Beveled", &TepSplitter::Beveled, &TepSplitter::SetBeveled);
  p.Color("InnerColor", &TepSplitter::InnerColor, &TepSplitter::SetInnerColor);
  p.Property("MinSize", &TepSplitter::MinSize, &TepSplitter::SetMinSize);
  p.Color("OuterColor", &TepSplitter::OuterColor, &TepSplitter::SetOuterColor);
  p.Object("SplitterGlyph", &TepSplitter::SplitterGlyph);
  p.Property("UseGlyph", &TepSplitter::UseGlyph, &TepSplitter::SetUseGlyph);
  p.Event("OnMoved", &TepSplitter::OnMoved);
}

WT_PUBLISH(TepImage, TGraphicControl) {
  p.Object("Glyph", &TepImage::Glyph);
  p.Property("GlyphTransparent", &TepImage::GlyphTransparent, &TepImage::SetGlyphTransparent)
      .Default(false);
  p.Property("Stretch", &TepImage::Stretch, &TepImage::SetStretch).Default(false);
  p.Property("WallStyle", &TepImage::WallStyle, &TepImage::SetWallStyle).Default(false);
}

namespace {
[[maybe_unused]] const bool panelKindIdents =
    RegisterEnum<TPanelKind>({{"pkEllipse", pkEllipse}, {"pkRndRect", pkRndRect}});
[[maybe_unused]] const bool shadowKindIdents =
    RegisterEnum<TShadowKind>({{"skLeftTop", skLeftTop},
                               {"skRightTop", skRightTop},
                               {"skLeftBottom", skLeftBottom},
                               {"skRightBottom", skRightBottom}});
[[maybe_unused]] const bool stateIdents =
    RegisterEnum<Epctrls::TState>({{"sOff", Epctrls::sOff}, {"sOn", Epctrls::sOn}});
} // namespace

WT_PUBLISH(TepRegulator, TCustomControl) {
  p.Color("BtnColor", &TepRegulator::BtnColor, &TepRegulator::SetBtnColor);
  p.Property("FrameWidth", &TepRegulator::FrameWidth, &TepRegulator::SetFrameWidth);
  p.Property("MaxValue", &TepRegulator::MaxValue, &TepRegulator::SetMaxValue);
  p.Property("MinValue", &TepRegulator::MinValue, &TepRegulator::SetMinValue);
  p.Property("TimeInt", &TepRegulator::TimeInt, &TepRegulator::SetTimeInt);
  p.Property("Value", &TepRegulator::Value, &TepRegulator::SetValue);
  p.Event("OnChange", &TepRegulator::OnChange);
}

WT_PUBLISH(TepSwitch, TCustomControl) {
  p.Property("FrameWidth", &TepSwitch::FrameWidth, &TepSwitch::SetFrameWidth);
  p.Color("OffBtnColor", &TepSwitch::OffBtnColor, &TepSwitch::SetOffBtnColor);
  p.Color("OnBtnColor", &TepSwitch::OnBtnColor, &TepSwitch::SetOnBtnColor);
  p.Property("State", &TepSwitch::State, &TepSwitch::SetState);
  p.Event("OnOff", &TepSwitch::OnOff);
  p.Event("OnOn", &TepSwitch::OnOn);
}

WT_PUBLISH(TepRndPanel, TepImagePanel) {
  p.Property("PanelKind", &TepRndPanel::PanelKind, &TepRndPanel::SetPanelKind);
  p.Property("Radius", &TepRndPanel::Radius, &TepRndPanel::SetRadius);
}

WT_PUBLISH(TepEffectRndPanel, TepRndPanel) {
  p.Property("MiddleTransparent", &TepEffectRndPanel::MiddleTransparent,
             &TepEffectRndPanel::SetMiddleTransparent);
  p.Property("Noise", &TepEffectRndPanel::Noise, &TepEffectRndPanel::SetNoise);
}

WT_PUBLISH(TepShadowPanel, TepImagePanel) {
  p.Property("ShadowKind", &TepShadowPanel::ShadowKind, &TepShadowPanel::SetShadowKind);
  p.Property("ShadowWidth", &TepShadowPanel::ShadowWidth, &TepShadowPanel::SetShadowWidth);
}
