#include "platform/ui/Extctrls.h"

#include <algorithm>

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
  Canvas->Pen()->SetWidth(1);
  for (int i = 0; i < Width && Rect.Width() > 0 && Rect.Height() > 0; ++i) {
    const int right = Rect.Right - 1, bottom = Rect.Bottom - 1;
    Canvas->Pen()->SetColor(TopColor);
    Canvas->MoveTo(Rect.Left, bottom);
    Canvas->LineTo(Rect.Left, Rect.Top);
    Canvas->LineTo(right, Rect.Top);
    Canvas->Pen()->SetColor(BottomColor);
    Canvas->LineTo(right, bottom);
    Canvas->LineTo(Rect.Left - 1, bottom);
    Rect = ::Rect(Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1);
  }
}

// ---------------------------------------------------------------- TCustomPanel

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle << csAcceptsControls << csSetCaption << csOpaque;
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::SetBevelInner(TPanelBevel Value) {
  bevelInner = Value;
  FrameChanged();
}
void TCustomPanel::SetBevelOuter(TPanelBevel Value) {
  bevelOuter = Value;
  FrameChanged();
}
void TCustomPanel::SetBevelWidth(int Value) {
  bevelWidth = std::max(1, Value);
  FrameChanged();
}
void TCustomPanel::SetBorderWidth(int Value) {
  borderWidth = std::max(0, Value);
  FrameChanged();
}
void TCustomPanel::SetAlignment(TAlignment Value) {
  alignment = Value;
  Invalidate();
}

void TCustomPanel::FrameChanged() {
  Realign();
  Invalidate();
}

int TCustomPanel::FrameWidth() const {
  int w = borderWidth;
  if (bevelOuter != bvNone)
    w += bevelWidth;
  if (bevelInner != bvNone)
    w += bevelWidth;
  return w;
}

void TCustomPanel::AlignControls(TControl* AControl, TRect& Rect) {
  const int w = FrameWidth();
  Rect = ::Rect(Rect.Left + w, Rect.Top + w, std::max(Rect.Left + w, Rect.Right - w),
                std::max(Rect.Top + w, Rect.Bottom - w));
  TCustomControl::AlignControls(AControl, Rect);
}

void TCustomPanel::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Invalidate();
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TPanelBevel kind) {
    if (kind == bvNone)
      return;
    const bool raised = kind == bvRaised;
    const TColor top = kind == bvSpace ? Color() : raised ? clBtnHighlight : clBtnShadow;
    const TColor bottom = kind == bvSpace ? Color() : raised ? clBtnShadow : clBtnHighlight;
    Frame3D(c, r, top, bottom, bevelWidth);
  };
  bevel(bevelOuter);
  Frame3D(c, r, Color(), Color(), borderWidth);
  bevel(bevelInner);
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  if (Caption().empty())
    return;
  static const unsigned align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  c->Brush()->SetStyle(bsClear);
  c->DrawText(Caption(), r, DT_VCENTER | DT_SINGLELINE | align[alignment]);
}

WT_PUBLISH(TCustomPanel, TCustomControl) {}

WT_PUBLISH(TPanel, TCustomPanel) {
  p.Property("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner).Default(bvNone);
  p.Property("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter).Default(bvRaised);
  p.Property("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).Default(1);
  p.Property("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth).Default(0);
  p.Property("Alignment", &TPanel::Alignment, &TPanel::SetAlignment).Default(taCenter);
}

namespace {
[[maybe_unused]] const bool bevelIdents = RegisterEnum<TPanelBevel>(
    {{"bvNone", bvNone}, {"bvLowered", bvLowered}, {"bvRaised", bvRaised}, {"bvSpace", bvSpace}});
}

// ---------------------------------------------------------------- TImage

TImage::TImage(TComponent* AOwner)
    : TGraphicControl(AOwner), picture(std::make_unique<TPicture>()) {
  picture->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
  picture->OnChange = nullptr;
}

void TImage::SetStretch(bool Value) {
  stretch = Value;
  Invalidate();
}
void TImage::SetCenter(bool Value) {
  center = Value;
  Invalidate();
}
void TImage::SetAutoSize(bool Value) {
  autoSize = Value;
  PictureChanged(nullptr);
}
void TImage::SetTransparent(bool Value) {
  transparent = Value;
  PictureChanged(nullptr);
}

void TImage::PictureChanged(TObject*) {
  TGraphic* g = picture->Graphic();
  if (g != nullptr && g->GetTransparent() != transparent)
    g->SetTransparent(transparent);
  if (autoSize && g != nullptr && !g->Empty())
    SetBounds(Left(), Top(), g->Width(), g->Height());
  Invalidate();
}

TRect TImage::DestRect() const {
  if (stretch)
    return ClientRect();
  const int w = picture->Width(), h = picture->Height();
  if (!center)
    return Rect(0, 0, w, h);
  const int x = (Width() - w) / 2, y = (Height() - h) / 2;
  return Rect(x, y, x + w, y + h);
}

void TImage::Paint() {
  TGraphic* g = picture->Graphic();
  if (g == nullptr || g->Empty())
    return;
  Canvas()->StretchDraw(DestRect(), g);
}

WT_PUBLISH(TImage, TGraphicControl) {
  p.Object("Picture", &TImage::Picture);
  p.Property("Stretch", &TImage::Stretch, &TImage::SetStretch).Default(false);
  p.Property("Center", &TImage::Center, &TImage::SetCenter).Default(false);
  p.Property("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize).Default(false);
  p.Property("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
}
