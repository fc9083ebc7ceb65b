#include "skin/Medialib.h"

#include "platform/gfx/Gdi.h"
#include "skin/Effbmp.h"

// ---------------------------------------------------------------- TepBitmap

TepBitmap::TepBitmap(TComponent* AOwner)
    : TComponent(AOwner), bitmap(std::make_unique<TPicture>()) {}

TepBitmap::~TepBitmap() {
  Destroying();
}

void TepBitmap::SetBitmap(const TPicture* Value) {
  bitmap->Assign(Value);
}

TGraphic* WallpaperGraphic(const TepBitmap* Wallpaper) {
  if (Wallpaper == nullptr)
    return nullptr;
  TGraphic* graphic = Wallpaper->Bitmap()->Graphic();
  if (graphic == nullptr || graphic->Width() <= 0 || graphic->Height() <= 0)
    return nullptr;
  return graphic;
}

// ---------------------------------------------------------------- the bevel

void DrawMediaBevel(TCanvas* Canvas, int W, int H, int N, TColor A, TColor Z) {
  for (int i = 0; i < N; ++i) {
    Canvas->Pen()->SetColor(A);
    Canvas->MoveTo(i, i);
    Canvas->LineTo(W - i, i);
    Canvas->MoveTo(i, i);
    Canvas->LineTo(i, H - i);
    Canvas->Pen()->SetColor(Z);
    Canvas->MoveTo(i, H - i - 1);
    Canvas->LineTo(W - i, H - i - 1);
    Canvas->MoveTo(W - i - 1, i);
    Canvas->LineTo(W - i - 1, H - i - 1);
  }
}

// ---------------------------------------------------------------- TepCustomMediaPanel

TepCustomMediaPanel::TepCustomMediaPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}

TepCustomMediaPanel::~TepCustomMediaPanel() {
  Destroying();
}

void TepCustomMediaPanel::SetInnerColor(TColor Value) {
  innerColor = Value;
  Invalidate();
}

void TepCustomMediaPanel::SetOuterColor(TColor Value) {
  outerColor = Value;
  Invalidate();
}

void TepCustomMediaPanel::SetWallpaper(TepBitmap* Value) {
  ReferTo(this, wallpaper, Value);
  Invalidate();
}

void TepCustomMediaPanel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomPanel::Notification(AComponent, Operation);
  if (Operation == opRemove && ForgetRemoved(wallpaper, AComponent))
    Invalidate();
}

void TepCustomMediaPanel::Paint() {
  Canvas()->Pen()->SetWidth(1);
  DrawMediaBevel(Canvas(), Width(), Height(), BevelWidth(), innerColor, outerColor);
  if (TGraphic* graphic = WallpaperGraphic(wallpaper))
    PaintWallpaper(graphic);
}

// The tiles start inside the border and the bevels and stay there.
void TepCustomMediaPanel::PaintWallpaper(TGraphic* Graphic) {
  int inset = BorderWidth();
  if (BevelOuter() != bvNone)
    inset += BevelWidth();
  if (BevelInner() != bvNone)
    inset += BevelWidth();
  TRect r = ClientRect();
  r.Left += inset;
  r.Top += inset;
  r.Right -= inset;
  r.Bottom -= inset;
  if (r.Right <= r.Left || r.Bottom <= r.Top)
    return;
  const int w = Graphic->Width(), h = Graphic->Height();
  const int cols = (ClientWidth() - 2 * inset) / w, rows = (ClientHeight() - 2 * inset) / h;
  HDC dc = Canvas()->Handle();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
  for (int i = 0; i <= cols; ++i)
    for (int j = 0; j <= rows; ++j)
      Canvas()->Draw(r.Left + i * w, r.Top + j * h, Graphic);
  RestoreDC(dc, saved);
}

// ---------------------------------------------------------------- TepMediaBevel

TepMediaBevel::TepMediaBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 50, 50);
}

void TepMediaBevel::SetInnerColor(TColor Value) {
  innerColor = Value;
  Invalidate();
}

void TepMediaBevel::SetOuterColor(TColor Value) {
  outerColor = Value;
  Invalidate();
}

void TepMediaBevel::SetBevelWidth(int Value) {
  bevelWidth = Value;
  Invalidate();
}

void TepMediaBevel::Paint() {
  Canvas()->Pen()->SetWidth(1);
  DrawMediaBevel(Canvas(), Width(), Height(), bevelWidth, innerColor, outerColor);
}

// ---------------------------------------------------------------- TepTracker

TepTracker::TepTracker(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 30, 30);
}

void TepTracker::CMMouseEnter(TMessage& Message) {
  TCustomControl::CMMouseEnter(Message);
  if (OnMouseEnter)
    OnMouseEnter(this);
}

void TepTracker::CMMouseLeave(TMessage& Message) {
  TCustomControl::CMMouseLeave(Message);
  if (OnMouseLeave)
    OnMouseLeave(this);
}

// ---------------------------------------------------------------- TepMorphing

TepMorphing::TepMorphing(TComponent* AOwner)
    : TCustomControl(AOwner), dest(std::make_unique<TBitmap>()),
      source(std::make_unique<TBitmap>()), timer(std::make_unique<TTimer>(nullptr)) {
  ControlStyle << csOpaque;
  SetBounds(0, 0, 100, 100);
  timer->SetEnabled(false);
  timer->SetInterval(50);
  timer->SetOnTimer([this](TObject* Sender) { TimerExpired(Sender); });
}

TepMorphing::~TepMorphing() {
  Destroying();
  timer->SetEnabled(false);
}

void TepMorphing::SetDirect(TDirect Value) {
  direct = Value;
  Invalidate();
}

void TepMorphing::SetDest(const TBitmap* Value) {
  dest->Assign(Value);
  Invalidate();
}

void TepMorphing::SetSource(const TBitmap* Value) {
  source->Assign(Value);
  Invalidate();
}

void TepMorphing::Morphing() {
  factor = 0.0;
  if (step == 0) {
    // Nothing to fade through: show the end at once.
    factor = 1.0;
    timer->SetEnabled(false);
    Invalidate();
    return;
  }
  increment = 1.0 / step;
  timer->SetEnabled(true);
}

void TepMorphing::TimerExpired(TObject*) {
  factor += increment;
  if (factor >= 1.0) {
    factor = 1.0;
    timer->SetEnabled(false);
  }
  Invalidate();
}

TBitmap* TepMorphing::FromImage() const {
  return direct == mdForward ? source.get() : dest.get();
}

TBitmap* TepMorphing::ToImage() const {
  return direct == mdForward ? dest.get() : source.get();
}

void TepMorphing::Paint() {
  if (factor == 0.0) {
    Canvas()->Draw(0, 0, FromImage());
    return;
  }
  if (factor == 1.0) {
    Canvas()->Draw(0, 0, ToImage());
    return;
  }
  TEffectBmp from(FromImage()->Handle());
  const TEffectBmp to(ToImage()->Handle());
  from.Morph(&to, factor);
  from.Draw(Canvas()->Handle(), 0, 0);
}

// ---------------------------------------------------------------- publishing

namespace {
[[maybe_unused]] const bool directIdents =
    RegisterEnum<TDirect>({{"mdForward", mdForward}, {"mdBackward", mdBackward}});
}

WT_PUBLISH(TepBitmap, TComponent) {
  p.Object("Bitmap", &TepBitmap::Bitmap);
}

WT_PUBLISH(TepCustomMediaPanel, TCustomPanel) {}

// Of the panel's own properties only the widths, which size the media bevel
// and the wallpaper's inset: its bevels and caption are not drawn.
WT_PUBLISH(TepMediaPanel, TepCustomMediaPanel) {
  p.Property("BevelWidth", &TepMediaPanel::BevelWidth, &TepMediaPanel::SetBevelWidth).Default(1);
  p.Property("BorderWidth", &TepMediaPanel::BorderWidth, &TepMediaPanel::SetBorderWidth).Default(0);
  p.Property("Wallpaper", &TepMediaPanel::Wallpaper, &TepMediaPanel::SetWallpaper);
  p.Color("InnerColor", &TepMediaPanel::InnerColor, &TepMediaPanel::SetInnerColor)
      .Default(clBtnHighlight);
  p.Color("OuterColor", &TepMediaPanel::OuterColor, &TepMediaPanel::SetOuterColor)
      .Default(clBtnShadow);
}

WT_PUBLISH(TepMediaBevel, TGraphicControl) {
  p.Color("InnerColor", &TepMediaBevel::InnerColor, &TepMediaBevel::SetInnerColor)
      .Default(clBtnHighlight);
  p.Color("OuterColor", &TepMediaBevel::OuterColor, &TepMediaBevel::SetOuterColor)
      .Default(clBtnShadow);
  p.Property("BevelWidth", &TepMediaBevel::BevelWidth, &TepMediaBevel::SetBevelWidth).Default(2);
}

WT_PUBLISH(TepTracker, TCustomControl) {
  p.Event("OnMouseEnter", &TepTracker::OnMouseEnter);
  p.Event("OnMouseLeave", &TepTracker::OnMouseLeave);
}

WT_PUBLISH(TepMorphing, TCustomControl) {
  p.Object("Dest", &TepMorphing::Dest);
  p.Property("Direct", &TepMorphing::Direct, &TepMorphing::SetDirect).Default(mdForward);
  p.Object("Source", &TepMorphing::Source);
  p.Property("Step", &TepMorphing::Step, &TepMorphing::SetStep).Default(uint8_t{20});
}
