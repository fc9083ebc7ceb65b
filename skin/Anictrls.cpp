#include "skin/Anictrls.h"

#include "skin/Bmputils.h"

#include <algorithm>

// ---------------------------------------------------------------- TepAnimated

TepAnimated::TepAnimated(TComponent* AOwner)
    : TEffectGControl(AOwner), timer(std::make_unique<TTimer>(nullptr)) {
  timer->SetEnabled(false);
  timer->SetOnTimer([this](TObject* Sender) { TimerExpired(Sender); });
  timer->SetInterval(50);
}

TepAnimated::~TepAnimated() {
  timer->SetEnabled(false);
}

void TepAnimated::SetActive(bool Value) {
  if (Value == active)
    return;
  if (Value) {
    Rewind();
    timer->SetOnTimer([this](TObject* Sender) { TimerExpired(Sender); });
    timer->SetEnabled(true);
    active = timer->Enabled();
    Start();
    return;
  }
  timer->SetEnabled(false);
  timer->SetOnTimer(nullptr);
  active = false;
  Stop();
  XPaint();
}

void TepAnimated::Start() {
  if (OnStart && !IsLoading(this))
    OnStart(this);
}

void TepAnimated::Stop() {
  if (OnStop)
    OnStop(this);
}

// ---------------------------------------------------------------- TepRunStr

TepRunStr::TepRunStr(TComponent* AOwner) : TepAnimated(AOwner) {
  ControlStyle >> csSetCaption;
  SetBounds(Left(), Top(), 50, 25);
}

TepRunStr::~TepRunStr() {
  SetActive(false);
}

void TepRunStr::SetStep(TStep Value) {
  if (Value >= 1 && Value <= 100)
    step = Value;
}

void TepRunStr::Rewind() {
  textPos = Width();
}

void TepRunStr::TimerExpired(TObject*) {
  if (!Visible())
    return;
  textPos -= step;
  XPaint();
}

// At rest the caption waits just beyond the right edge; once it has left
// at the left edge it comes in again from the right.
void TepRunStr::PaintFace() {
  if (!Active())
    textPos = Width();
  TCanvas* c = OffBmp()->Canvas();
  const int w = c->TextWidth(Caption());
  if (-w > textPos)
    textPos = Width();
  c->Brush()->SetStyle(bsClear);
  c->TextOut(textPos, Height() / 2 - c->TextHeight(Caption()) / 2, Caption());
}

// ---------------------------------------------------------------- TepRunPanel

TepRunPanel::TepRunPanel(TComponent* AOwner)
    : TepAnimated(AOwner), lines(std::make_unique<TStringList>()) {
  SetBounds(Left(), Top(), 50, 25);
  topPos = Height();
  SetTransparent(false);
}

TepRunPanel::~TepRunPanel() = default;

void TepRunPanel::SetLines(const TStrings* Value) {
  lines->Assign(Value);
}

void TepRunPanel::SetStep(TStep Value) {
  if (Value >= 1 && Value <= 100)
    step = Value;
}

void TepRunPanel::SetTextLayout(Anictrls::TTextLayout Value) {
  textLayout = Value;
  XPaint();
}

void TepRunPanel::Rewind() {
  topLine = 0;
  topPos = Height();
}

void TepRunPanel::TimerExpired(TObject*) {
  if (Visible() && Enabled() && lines->Count() > 0)
    XPaint();
}

void TepRunPanel::PaintFace() {
  const int count = lines->Count();
  if (!Active() || count == 0)
    return;
  topPos -= step;
  TCanvas* c = OffBmp()->Canvas();
  c->SetFont(Font());
  c->Brush()->SetStyle(bsClear);
  const int lh = c->TextHeight("A");
  if (-lh > topPos) {
    topPos += lh;
    ++topLine;
    if (topLine > count - 1) {
      topLine = 0;
      topPos = Height();
    }
  }
  for (int i = topLine, y = topPos; y < Height() + lh && i < count; ++i, y += lh) {
    const AnsiString line = lines->Get(i);
    int x = 0;
    if (textLayout == Anictrls::tlRight)
      x = Width() - c->TextWidth(line);
    else if (textLayout == Anictrls::tlCenter)
      x = Width() / 2 - c->TextWidth(line) / 2;
    c->TextOut(x, y, line);
  }
}

// ---------------------------------------------------------------- TepAniImage

TepAniImage::TepAniImage(TComponent* AOwner)
    : TepAnimated(AOwner), glyph(std::make_unique<TBitmap>()) {
  SetBounds(Left(), Top(), 25, 25);
  SetInterval(100);
  SetTransparent(true);
}

TepAniImage::~TepAniImage() {
  Destroying();
}

void TepAniImage::SetGlyph(const TBitmap* Value) {
  glyph->Assign(Value);
  const int gw = glyph->Width(), gh = glyph->Height();
  numGlyphs = 1;
  if (gh != 0) {
    // A strip narrower than high still holds one frame.
    numGlyphs = std::max(1, gw / gh);
    SetBounds(Left(), Top(), gw / numGlyphs, gh);
  }
  glyphNum = 1;
  XPaint();
}

void TepAniImage::SetNumGlyphs(int Value) {
  if (Value < 1)
    return;
  numGlyphs = Value;
  glyphNum = 1;
  XPaint();
}

void TepAniImage::SetGlyphNum(int Value) {
  if (Value < 0 || Value > numGlyphs)
    return;
  glyphNum = Value;
  XPaint();
}

void TepAniImage::SetStretch(bool Value) {
  stretch = Value;
  XPaint();
}

void TepAniImage::TimerExpired(TObject*) {
  if (!Visible())
    return;
  glyphNum = glyphNum < numGlyphs ? glyphNum + 1 : 1;
  XPaint();
}

// Neither a layout being read nor a control going away tells its handlers.
bool TepAniImage::Quiet() const {
  return IsLoading(this) || ComponentState().Contains(csDestroying);
}

void TepAniImage::Start() {
  if (!Quiet())
    TepAnimated::Start();
}

void TepAniImage::Stop() {
  if (!Quiet())
    TepAnimated::Stop();
}

void TepAniImage::PaintFace() {
  DrawGl(glyphNum);
}

void TepAniImage::DrawGl(int N) {
  const int gw = glyph->Width(), gh = glyph->Height();
  const int fw = gw / numGlyphs;
  if (N < 1 || fw <= 0 || gh <= 0)
    return;
  TBitmap frame;
  frame.SetSize(fw, gh);
  frame.Canvas()->CopyRect(Rect(0, 0, fw, gh), glyph->Canvas(), Rect(fw * (N - 1), 0, fw * N, gh));
  const TColor key = GetTransparentColor(&frame);
  TCanvas* c = OffBmp()->Canvas();
  if (stretch)
    StretchBitmapRectTransparent(c, 0, 0, Width(), Height(), TRect{}, &frame, key);
  else
    DrawBitmapTransparent(c, 0, 0, &frame, key);
}

// ---------------------------------------------------------------- publishing

namespace {
[[maybe_unused]] const bool layoutIdents =
    RegisterEnum<Anictrls::TTextLayout>({{"tlRight", Anictrls::tlRight},
                                         {"tlCenter", Anictrls::tlCenter},
                                         {"tlLeft", Anictrls::tlLeft}});
}

WT_PUBLISH(TepRunStr, TEffectGControl) {
  p.Property("Step", &TepRunStr::Step, &TepRunStr::SetStep);
  p.Property("Interval", &TepRunStr::Interval, &TepRunStr::SetInterval).Default(50u);
  p.Property("Active", &TepRunStr::Active, &TepRunStr::SetActive).Default(false);
  p.Event("OnStart", &TepRunStr::OnStart);
  p.Event("OnStop", &TepRunStr::OnStop);
}

WT_PUBLISH(TepRunPanel, TEffectGControl) {
  p.Property("TextLayout", &TepRunPanel::TextLayout, &TepRunPanel::SetTextLayout)
      .Default(Anictrls::tlRight);
  p.Property("Step", &TepRunPanel::Step, &TepRunPanel::SetStep);
  p.Property("Interval", &TepRunPanel::Interval, &TepRunPanel::SetInterval).Default(50u);
  p.Property("Active", &TepRunPanel::Active, &TepRunPanel::SetActive).Default(false);
  p.Event("OnStart", &TepRunPanel::OnStart);
  p.Event("OnStop", &TepRunPanel::OnStop);
  p.Object("Lines", &TepRunPanel::Lines);
}

WT_PUBLISH(TepAniImage, TEffectGControl) {
  p.Property("Stretch", &TepAniImage::Stretch, &TepAniImage::SetStretch);
  p.Object("Glyph", &TepAniImage::Glyph);
  p.Property("NumGlyphs", &TepAniImage::NumGlyphs, &TepAniImage::SetNumGlyphs).Default(1);
  p.Property("GlyphNum", &TepAniImage::GlyphNum, &TepAniImage::SetGlyphNum).Default(0);
  p.Property("Active", &TepAniImage::Active, &TepAniImage::SetActive);
  p.Property("Interval", &TepAniImage::Interval, &TepAniImage::SetInterval).Default(100u);
  p.Event("OnStart", &TepAniImage::OnStart);
  p.Event("OnStop", &TepAniImage::OnStop);
}
