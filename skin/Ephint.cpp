#include "skin/Ephint.h"

#include "platform/gfx/Gdi.h"
#include "platform/ui/WindowImpl.h"
#include "skin/Bmputils.h"
#include "skin/Effbmp.h"
#include "skin/Grutils.h"

#include <algorithm>

namespace {

// The application's show-hint event as a TepHint sets it: a value that knows
// whose it is, so that the component can take it back when it goes away.
struct TShowHintRoute {
  TepHint* Hint;
  void operator()(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo) const {
    Hint->SelfOnShowHint(HintStr, CanShow, HintInfo);
  }
};

constexpr UINT HintTextFormat = DT_LEFT | DT_TOP | DT_NOPREFIX;

void TileGraphic(TCanvas* Canvas, TGraphic* Graphic, int Width, int Height) {
  const int w = Graphic->Width(), h = Graphic->Height();
  for (int i = 0; i <= Width / w; ++i)
    for (int j = 0; j <= Height / h; ++j)
      Canvas->Draw(i * w, j * h, Graphic);
}

} // namespace

// ---------------------------------------------------------------- TepHint

TepHint::TepHint(TComponent* AOwner)
    : TComponent(AOwner), glyph(std::make_unique<TBitmap>()), font(std::make_unique<TFont>()) {
  if (ComponentState().Contains(csDesigning))
    return;
  Application->HintWindowClass = HintWindowClassOf<TepHintWindow>();
  // Twice, so that the next hint window is made of the new class.
  Application->SetShowHint(!Application->ShowHint());
  Application->SetShowHint(!Application->ShowHint());
  RouteShowHint();
}

TepHint::~TepHint() {
  Destroying();
  // The application must not call into a component that is gone.
  const auto* route = Application->OnShowHint.target<TShowHintRoute>();
  if (route != nullptr && route->Hint == this)
    Application->OnShowHint = nullptr;
}

void TepHint::RouteShowHint() {
  Application->OnShowHint = TShowHintRoute{this};
}

void TepHint::SetWallPaper(TepBitmap* Value) {
  ReferTo(this, wallPaper, Value);
}

void TepHint::SetActive(bool Value) {
  active = Value;
  if (!Value)
    return;
  if (TCustomForm* main = Application->MainForm())
    for (int i = 0; i < main->ComponentCount(); ++i) {
      auto* other = dynamic_cast<TepHint*>(main->Components(i));
      if (other != nullptr && other != this && other->Active())
        other->SetActive(false);
    }
  if (!ComponentState().Contains(csDesigning))
    RouteShowHint();
}

void TepHint::SelfOnShowHint(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo) {
  if (OnShowHint)
    OnShowHint(HintStr, CanShow, HintInfo);
}

void TepHint::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == wallPaper)
    wallPaper = nullptr;
}

void TepHint::CalcTextSize(TCanvas* Canvas, const AnsiString& Text, int& Width, int& Height) const {
  TRect r = Rect(0, 0, 1, 0);
  Canvas->DrawText(Text, r, DT_CALCRECT | HintTextFormat);
  Width = r.Width() + 4;
  Height = r.Height() + 1;
}

void TepHint::CalcHintSize(TCanvas* Canvas, const AnsiString& Text, int& Width, int& Height) const {
  CalcTextSize(Canvas, Text, Width, Height);
  if (!glyph->Empty()) {
    if (glyph->Height() > Height)
      Height = glyph->Height() + 4;
    Width += glyph->Width() + 4;
  }
  if (mergeEffect)
    Width += mergeWidth + 2;
}

TepHint* FindHintComponent() {
  TCustomForm* main = Application->MainForm();
  if (main == nullptr)
    return nullptr;
  for (int i = 0; i < main->ComponentCount(); ++i) {
    auto* hint = dynamic_cast<TepHint*>(main->Components(i));
    if (hint != nullptr && hint->Active())
      return hint;
  }
  return nullptr;
}

// ---------------------------------------------------------------- TepHintWindow

TepHintWindow::TepHintWindow(TComponent* AOwner)
    : THintWindow(AOwner), screenBehind(std::make_unique<TBitmap>()) {}

namespace {

// A strip narrower than two pixels has nothing to fade across.
bool Merges(const TepHint* Hint) {
  return Hint->MergeEffect() && Hint->MergeWidth() >= 2;
}

} // namespace

void TepHintWindow::CreateParams(TCreateParams& Params) {
  THintWindow::CreateParams(Params);
  Params.Style &= ~WS_BORDER;
}

// The window's pixels are all painted by Paint, and with the merge effect
// what lies behind must not be wiped first.
void TepHintWindow::WMEraseBkgnd(TMessage& Message) {
  Message.Result = 1;
}

void TepHintWindow::ActivateHint(const TRect& Rect, const AnsiString& AHint) {
  TepHint* hint = FindHintComponent();
  if (hint == nullptr)
    return;
  SetFont(hint->Font());
  Canvas()->Font()->Assign(hint->Font());
  TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->Font()->Assign(hint->Font());
  // The glyph, the strip and the margins stay on the screen beside the text.
  int width = 0, height = 0;
  hint->CalcHintSize(measure.Canvas(), "", width, height);
  const AnsiString text =
      BoundHintText(measure.Canvas(), AHint, Screen->Width() - width, Screen->Height() - 1);
  SetCaption(text);
  hint->CalcHintSize(measure.Canvas(), text, width, height);
  SetBounds(Rect.Left, Rect.Top, width, height);
  screenBehind->Assign(nullptr);
  if (Merges(hint)) {
    SetVisible(false);
    screenBehind->SetSize(width, height);
    GetScreenImage(Rect.Left, Rect.Top, screenBehind.get());
  }
  SetVisible(true);
  HandleNeeded();
  Impl()->Raise();
  Invalidate();
}

void TepHintWindow::Paint() {
  TepHint* hint = FindHintComponent();
  if (hint == nullptr)
    return;
  const int width = Width(), height = Height();
  TBitmap image;
  image.SetSize(width, height);
  if (image.Empty())
    return;
  TCanvas* canvas = image.Canvas();
  canvas->Font()->Assign(Canvas()->Font());
  const TRect client = ClientRect();

  if (Merges(hint) && screenBehind->Width() == width && screenBehind->Height() == height) {
    canvas->Draw(0, 0, screenBehind.get());
    MergeBackground(hint, &image);
  } else if (hint->WallPaper() == nullptr || hint->WallPaper()->Bitmap()->Graphic() == nullptr) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(hint->Color());
    canvas->FillRect(client);
  } else if (TGraphic* graphic = WallpaperGraphic(hint->WallPaper())) {
    TileGraphic(canvas, graphic, width, height);
  }

  TBitmap* glyph = hint->Glyph();
  TRect text = client;
  text.Left += glyph->Empty() ? 2 : glyph->Width() + 4;
  if (!glyph->Empty())
    DrawBitmapTransparent(canvas, 2, height / 2 - glyph->Height() / 2, glyph, clDefault);
  if (hint->Frame())
    Frm3D(canvas, client, hint->FrameInnerColor(), hint->FrameOuterColor(), 1);
  if (hint->MergeEffect())
    text.Right -= hint->MergeWidth();
  int textWidth = 0, textHeight = 0;
  hint->CalcTextSize(canvas, Caption(), textWidth, textHeight);
  if (!glyph->Empty() && glyph->Height() > textHeight)
    text.Top = height / 2 - textHeight / 2;

  canvas->Brush()->SetStyle(bsClear);
  canvas->DrawText(Caption(), text, HintTextFormat);
  Canvas()->Draw(0, 0, &image);
}

void TepHintWindow::MergeBackground(TepHint* Hint, TBitmap* Image) const {
  const int width = Image->Width(), height = Image->Height();
  // A strip wider than the window fades across the whole of it.
  const int merge = std::min<int>(Hint->MergeWidth(), width);
  const TRect strip = Rect(width - merge, 0, width, height);
  TBitmap screen;
  screen.SetSize(merge, height);
  if (!screen.Empty())
    screen.Canvas()->CopyRect(Rect(0, 0, merge, height), Image->Canvas(), strip);
  TCanvas* canvas = Image->Canvas();

  TepBitmap* wallPaper = Hint->WallPaper();
  if (wallPaper == nullptr || wallPaper->Bitmap()->Graphic() == nullptr) {
    TEffectBmp faded(screen.Handle());
    faded.AddGradColor(Hint->Color(), gdLeft);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Hint->Color());
    canvas->FillRect(Rect(0, 0, width - merge, height));
    faded.Draw(canvas->Handle(), width - merge, 0);
    return;
  }
  TGraphic* graphic = WallpaperGraphic(wallPaper);
  if (graphic == nullptr)
    return;
  TBitmap tiled;
  tiled.SetSize(width, height);
  TileGraphic(tiled.Canvas(), graphic, width, height);
  TBitmap paper;
  paper.SetSize(merge, height);
  if (!paper.Empty())
    paper.Canvas()->CopyRect(Rect(0, 0, merge, height), tiled.Canvas(), strip);
  TEffectBmp faded(screen.Handle());
  const TEffectBmp paperStrip(paper.Handle());
  faded.AddGradBMP(&paperStrip, gdLeft);
  canvas->Draw(0, 0, &tiled);
  faded.Draw(canvas->Handle(), width - merge, 0);
}

// ---------------------------------------------------------------- publishing

WT_PUBLISH(TepHint, TComponent) {
  p.Property("WallPaper", &TepHint::WallPaper, &TepHint::SetWallPaper);
  p.Property("MergeEffect", &TepHint::MergeEffect, &TepHint::SetMergeEffect);
  p.Object("Glyph", &TepHint::Glyph);
  p.Property("MergeWidth", &TepHint::MergeWidth, &TepHint::SetMergeWidth);
  p.Property("Frame", &TepHint::Frame, &TepHint::SetFrame);
  p.Color("FrameInnerColor", &TepHint::FrameInnerColor, &TepHint::SetFrameInnerColor);
  p.Color("FrameOuterColor", &TepHint::FrameOuterColor, &TepHint::SetFrameOuterColor);
  p.Object("Font", &TepHint::Font);
  p.Color("Color", &TepHint::Color, &TepHint::SetColor);
  p.Property("Active", &TepHint::Active, &TepHint::SetActive);
  p.Event("OnShowHint", &TepHint::OnShowHint);
}

WT_PUBLISH(TepHintWindow, THintWindow) {}
