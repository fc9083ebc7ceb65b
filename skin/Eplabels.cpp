#include "skin/Eplabels.h"

#include "skin/Bmputils.h"

namespace {

// Halvings truncate towards zero.
int Half(int Value) {
  return Value / 2;
}

void TextInColor(TCanvas* Canvas, int X, int Y, const AnsiString& Text, TColor Color) {
  Canvas->Font()->SetColor(Color);
  Canvas->TextOut(X, Y, Text);
}

// The raised look: a light copy up and left, a dark one down and right; the
// caller draws the text itself between them afterwards.
void DrawRelief(TCanvas* Canvas, int X, int Y, const AnsiString& Text, bool UseInner, TColor Inner,
                bool UseOuter, TColor Outer) {
  if (UseInner)
    TextInColor(Canvas, X - 1, Y - 1, Text, Inner);
  if (UseOuter)
    TextInColor(Canvas, X + 1, Y + 1, Text, Outer);
}

void Fill(TBitmap& Bitmap, TColor Color) {
  TCanvas* canvas = Bitmap.Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color);
  canvas->FillRect(Rect(0, 0, Bitmap.Width(), Bitmap.Height()));
}

// A bitmap the size of Like, white, with the text drawn in black at each
// of the points.
void TextMask(TBitmap& Mask, TBitmap& Like, TFont* Font, const AnsiString& Text,
              std::initializer_list<TPoint> Points) {
  Mask.SetSize(Like.Width(), Like.Height());
  Fill(Mask, clWhite);
  TCanvas* canvas = Mask.Canvas();
  canvas->SetFont(Font);
  canvas->Font()->SetColor(clBlack);
  canvas->Brush()->SetStyle(bsClear);
  for (const TPoint p : Points)
    canvas->TextOut(p.X, p.Y, Text);
}

UINT AlignmentFlags(TAlignment Alignment) {
  switch (Alignment) {
  case taRightJustify:
    return DT_RIGHT;
  case taCenter:
    return DT_CENTER;
  default:
    return DT_LEFT;
  }
}

// Where a line of Width pixels starts in a control Extent wide.
int AlignedX(TAlignment Alignment, int Extent, int Width, int Left, int RightGap) {
  switch (Alignment) {
  case taRightJustify:
    return Extent - Width - RightGap;
  case taCenter:
    return Half(Extent) - Half(Width);
  default:
    return Left;
  }
}

} // namespace

void TepLabelBase::CMTextChanged(TMessage&) {
  XPaint();
}

// ---------------------------------------------------------------- TepLabel

TepCustomLabel::TepCustomLabel(TComponent* AOwner) : TepLabelBase(AOwner) {
  SetBounds(Left(), Top(), 65, 17);
}

void TepCustomLabel::PaintFace() {
  if (Transparent() && middleTransparent && gradEffect)
    PaintMiddleGradient();
  else
    PaintEf();
  DoDrawText();
}

void TepCustomLabel::PaintEffects() {
  if (gradEffect)
    EfBmp()->AddGradColor(gradColor, gradKind);
  else if (Transparent() && middleTransparent)
    EfBmp()->AddMiddleColor(Color());
}

void TepCustomLabel::PaintMiddleGradient() {
  TBitmap work;
  work.SetSize(Width(), Height());
  Fill(work, Color());
  TEffectBmp gradient(work.Handle());
  gradient.AddGradColor(gradColor, gradKind);
  TEffectBmp sized(OffBmp()->Width(), OffBmp()->Height());
  gradient.Resize(&sized);
  TEffectBmp image(OffBmp()->Handle());
  image.MiddleBMP(&sized);
  image.Draw(OffBmp()->Canvas()->Handle(), 0, 0);
}

void TepCustomLabel::DoDrawText() {
  const AnsiString& text = Caption();
  if (text.empty())
    return;
  TCanvas* canvas = OffBmp()->Canvas();
  canvas->Brush()->SetStyle(bsClear);
  const int x = AlignedX(alignment, Width(), canvas->TextWidth(text), 2, 2);
  const int y = Half(Height()) - Half(canvas->TextHeight(text));
  if (text3D)
    DrawRelief(canvas, x, y, text, useInnerColor, innerColor, useOuterColor, outerColor);
  TextInColor(canvas, x, y, text, Font()->Color());
}

// ---------------------------------------------------------------- TepTextLabel

TepTextLabel::TepTextLabel(TComponent* AOwner)
    : TepLabelBase(AOwner), lines(std::make_unique<TStringList>()) {
  SetBounds(Left(), Top(), 50, 25);
  lines->OnChange = [this](TObject*) { XPaint(); };
}

TepTextLabel::~TepTextLabel() {
  Destroying();
  lines->OnChange = nullptr;
}

void TepTextLabel::SetLines(const TStrings* Value) {
  lines->Assign(Value);
}

void TepTextLabel::PaintFace() {
  if (Transparent() && middleTransparent)
    PaintEf();
  TCanvas* canvas = OffBmp()->Canvas();
  canvas->Brush()->SetStyle(bsClear);
  const AnsiString text = lines->Text();
  const UINT flags = DT_WORDBREAK | DT_TOP | AlignmentFlags(alignment);
  const int w = Width(), h = Height();
  auto draw = [&](TRect r, TColor color, UINT extra) {
    canvas->Font()->SetColor(color);
    canvas->DrawText(text, r, flags | extra);
  };
  if (!text3D) {
    draw(Rect(0, 0, w, h), Font()->Color(), DT_EXPANDTABS);
    return;
  }
  draw(Rect(0, 0, w - 2, h - 2), textInnerColor, 0);
  draw(Rect(2, 2, w, h), textOuterColor, 0);
  draw(Rect(1, 1, w - 1, h - 1), Font()->Color(), 0);
}

void TepTextLabel::PaintEffects() {
  EfBmp()->AddMiddleColor(Color());
}

// ---------------------------------------------------------------- TepShadowLabel

TepShadowLabel::TepShadowLabel(TComponent* AOwner) : TepLabelBase(AOwner) {
  SetBounds(Left(), Top(), 65, 17);
}

void TepShadowLabel::PaintFace() {
  const AnsiString& text = Caption();
  TBitmap* off = OffBmp();
  TCanvas* canvas = off->Canvas();
  const int d = shadowOffset;
  const int x = AlignedX(alignment, Width(), canvas->TextWidth(text), 1, d + 1);
  const int y = Half(Height()) - Half(canvas->TextHeight(text)) - d / 2;

  TBitmap mask;
  if (blurShadow)
    TextMask(mask, *off, Font(), text,
             {Point(x + d - 1, y + d - 1), Point(x + d, y + d), Point(x + d + 1, y + d + 1)});
  else
    TextMask(mask, *off, Font(), text, {Point(x + d, y + d), Point(x + d + 1, y + d + 1)});

  TEffectBmp image(off->Handle());
  const TEffectBmp shadow(mask.Handle());
  for (int py = 0; py < image.Height(); ++py)
    for (int px = 0; px < image.Width(); ++px)
      if (shadow.GetPixel(px, py) == 0)
        image.SetPixel(px, py, (image.GetPixel(px, py) >> 1) & 0x7F7F7F);
  if (blurShadow)
    image.MaskSplitBlur(&shadow, 1);
  image.Draw(canvas->Handle(), 0, 0);

  canvas->Brush()->SetStyle(bsClear);
  TextInColor(canvas, x, y, text, Font()->Color());
}

// ---------------------------------------------------------------- TepBitLabel

TepBitLabel::TepBitLabel(TComponent* AOwner)
    : TepLabelBase(AOwner), wallpaper(std::make_unique<TBitmap>()),
      textImage(std::make_unique<TBitmap>()) {
  SetBounds(Left(), Top(), 60, 20);
  // Changed in place (a layout loads it so): the letters must be cut again.
  wallpaper->OnChange = [this](TObject*) { MakeDirty(); };
}

TepBitLabel::~TepBitLabel() {
  Destroying();
  wallpaper->OnChange = nullptr;
}

void TepBitLabel::SetWallpaper(const TBitmap* Value) {
  wallpaper->Assign(Value);
  MakeDirty();
}

void TepBitLabel::SetTransparentColor(TColor Value) {
  transparentColor = Value;
  MakeDirty();
}

void TepBitLabel::MakeDirty() {
  dirty = true;
  XPaint();
}

void TepBitLabel::CMTextChanged(TMessage&) {
  MakeDirty();
}

void TepBitLabel::CMFontChanged(TMessage& Message) {
  dirty = true;
  TepLabelBase::CMFontChanged(Message);
}

void TepBitLabel::BuildTextImage() {
  const AnsiString& text = Caption();
  TCanvas* canvas = OffBmp()->Canvas();
  TBitmap work;
  work.SetSize(canvas->TextWidth(text) + 10, canvas->TextHeight(text) + 10);
  const int ww = wallpaper->Width(), wh = wallpaper->Height();
  for (int i = 0; i <= work.Width() / ww; ++i)
    for (int j = 0; j <= work.Height() / wh; ++j)
      work.Canvas()->Draw(i * ww, j * wh, wallpaper.get());
  TBitmap mask;
  TextMask(mask, work, Font(), text, {Point(0, 0)});

  textImage->SetSize(work.Width(), work.Height());
  Fill(*textImage, transparentColor);
  TEffectBmp letters(textImage->Handle());
  const TEffectBmp source(work.Handle());
  const TEffectBmp shape(mask.Handle());
  for (int y = 0; y < letters.Height(); ++y)
    for (int x = 0; x < letters.Width(); ++x)
      if (shape.GetPixel(x, y) == 0)
        letters.SetPixel(x, y, source.GetPixel(x, y));
  letters.Draw(textImage->Canvas()->Handle(), 0, 0);
  dirty = false;
}

void TepBitLabel::PaintFace() {
  const AnsiString& text = Caption();
  if (wallpaper->Empty() || wallpaper->Width() <= 0 || wallpaper->Height() <= 0 || text.empty())
    return;
  if (dirty)
    BuildTextImage();
  TCanvas* canvas = OffBmp()->Canvas();
  const int x = AlignedX(alignment, Width(), textImage->Width(), 1, 0);
  const int y = Half(Height()) - Half(textImage->Height()) + 5;
  if (text3D) {
    canvas->Brush()->SetStyle(bsClear);
    DrawRelief(canvas, x, y, text, useInnerColor, innerColor, useOuterColor, outerColor);
  }
  DrawBitmapTransparent(canvas, x, y, textImage.get(), transparentColor);
}

// ---------------------------------------------------------------- TepWaveLabel

TepWaveLabel::TepWaveLabel(TComponent* AOwner) : TepLabelBase(AOwner) {
  SetBounds(Left(), Top(), 65, 17);
}

void TepWaveLabel::PaintFace() {
  TBitmap work;
  work.SetSize(Width() + Width() / 4, Height());
  Fill(work, Color());
  TCanvas* canvas = work.Canvas();
  canvas->SetFont(Font());
  canvas->Brush()->SetStyle(bsClear);
  const AnsiString& text = Caption();
  DrawRelief(canvas, textX, textY, text, useInnerColor, innerColor, useOuterColor, outerColor);
  TextInColor(canvas, textX, textY, text, Font()->Color());

  TEffectBmp bent(work.Handle());
  bent.Wave(xDiv, yDiv, ratioVal);
  bent.Draw(canvas->Handle(), 0, 0);
  DrawBitmapTransparent(OffBmp()->Canvas(), 0, 0, &work, GetTransparentColor(&work));
}

// ---------------------------------------------------------------- published

namespace {
// The labels' layouts name alignments, also in a program that links no other
// unit registering them.
[[maybe_unused]] const bool alignmentIdents = RegisterEnum<TAlignment>(
    {{"taLeftJustify", taLeftJustify}, {"taRightJustify", taRightJustify}, {"taCenter", taCenter}});
} // namespace

WT_PUBLISH(TepLabel, TEffectGControl) {
  using L = TepLabel;
  p.Property("MiddleTransparent", &L::MiddleTransparent, &L::SetMiddleTransparent);
  p.Color("GradColor", &L::GradColor, &L::SetGradColor);
  p.Property("GradEffect", &L::GradEffect, &L::SetGradEffect);
  p.Property("GradKind", &L::GradKind, &L::SetGradKind);
  p.Color("InnerColor", &L::InnerColor, &L::SetInnerColor);
  p.Color("OuterColor", &L::OuterColor, &L::SetOuterColor);
  p.Property("UseInnerColor", &L::UseInnerColor, &L::SetUseInnerColor);
  p.Property("UseOuterColor", &L::UseOuterColor, &L::SetUseOuterColor);
  p.Property("Text3D", &L::Text3D, &L::SetText3D);
  p.Property("Alignment", &L::Alignment, &L::SetAlignment).Default(taLeftJustify);
}

WT_PUBLISH(TepTextLabel, TEffectGControl) {
  using L = TepTextLabel;
  p.Property("MiddleTransparent", &L::MiddleTransparent, &L::SetMiddleTransparent);
  p.Property("Alignment", &L::Alignment, &L::SetAlignment);
  p.Object("Lines", &L::Lines);
  p.Color("TextInnerColor", &L::TextInnerColor, &L::SetTextInnerColor);
  p.Color("TextOuterColor", &L::TextOuterColor, &L::SetTextOuterColor);
  p.Property("Text3D", &L::Text3D, &L::SetText3D);
}

WT_PUBLISH(TepShadowLabel, TEffectGControl) {
  using L = TepShadowLabel;
  p.Property("Alignment", &L::Alignment, &L::SetAlignment).Default(taLeftJustify);
  p.Property("BlurShadow", &L::BlurShadow, &L::SetBlurShadow);
  p.Property("ShadowOffset", &L::ShadowOffset, &L::SetShadowOffset);
}

WT_PUBLISH(TepBitLabel, TEffectGControl) {
  using L = TepBitLabel;
  p.Property("Alignment", &L::Alignment, &L::SetAlignment).Default(taLeftJustify);
  p.Color("OuterColor", &L::OuterColor, &L::SetOuterColor);
  p.Color("InnerColor", &L::InnerColor, &L::SetInnerColor);
  p.Property("UseOuterColor", &L::UseOuterColor, &L::SetUseOuterColor);
  p.Property("UseInnerColor", &L::UseInnerColor, &L::SetUseInnerColor);
  p.Property("Text3D", &L::Text3D, &L::Set3DText);
  p.Color("TransparentColor", &L::TransparentColor, &L::SetTransparentColor);
  p.Object("Wallpaper", &L::Wallpaper);
}

WT_PUBLISH(TepWaveLabel, TEffectGControl) {
  using L = TepWaveLabel;
  p.Color("InnerColor", &L::InnerColor, &L::SetInnerColor);
  p.Color("OuterColor", &L::OuterColor, &L::SetOuterColor);
  p.Property("UseInnerColor", &L::UseInnerColor, &L::SetUseInnerColor);
  p.Property("UseOuterColor", &L::UseOuterColor, &L::SetUseOuterColor);
  p.Property("XDiv", &L::XDiv, &L::SetXDiv);
  p.Property("YDiv", &L::YDiv, &L::SetYDiv);
  p.Property("RatioVal", &L::RatioVal, &L::SetRatioVal);
  p.Property("TextX", &L::TextX, &L::SetTextX);
  p.Property("TextY", &L::TextY, &L::SetTextY);
}
