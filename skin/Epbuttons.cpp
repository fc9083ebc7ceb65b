#include "skin/Epbuttons.h"

#include "platform/gfx/Gdi.h"
#include "skin/Bmputils.h"
#include "skin/Effbmp.h"
#include "skin/Eputils.h"
#include "skin/Grutils.h"

#include <cctype>

namespace {

TColor Light(TColor C) {
  return RGBChange(C, 65, 65, 65);
}

TColor Dark(TColor C) {
  return RGBChange(C, -65, -65, -65);
}

} // namespace

// ---------------------------------------------------------------- TepSpeedButton

namespace {

// The character after a single '&' in Caption, 0 when none.
char AccelChar(const AnsiString& Caption) {
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != '&')
      continue;
    if (Caption[i + 1] != '&')
      return Caption[i + 1];
    ++i;
  }
  return 0;
}

bool SameLetter(char A, char B) {
  return std::toupper(static_cast<unsigned char>(A)) == std::toupper(static_cast<unsigned char>(B));
}

} // namespace

TepSpeedButton::TepSpeedButton(TComponent* AOwner)
    : TEffectGControl(AOwner), glyph(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 25, 25);
  ControlStyle = {csCaptureMouse, csOpaque, csDoubleClicks};
  SetParentFont(true);
}

TepSpeedButton::~TepSpeedButton() {
  Destroying();
}

void TepSpeedButton::SetMargin(int32_t Value) {
  if (Value < -1)
    return;
  Store(margin, Value);
}

void TepSpeedButton::SetNumGlyphs(TNumGlyphs Value) {
  if (Value < 1 || Value > 4)
    return;
  Store(numGlyphs, Value);
}

void TepSpeedButton::SetGlyph(const TBitmap* Value) {
  glyph->Assign(Value);
  XPaint();
}

void TepSpeedButton::SetClickSound(TepWavePlayer* Value) {
  ReferTo(this, clickSound, Value);
}

void TepSpeedButton::SetActiveSound(TepWavePlayer* Value) {
  ReferTo(this, activeSound, Value);
}

void TepSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
  TEffectGControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  ForgetRemoved(clickSound, AComponent);
  ForgetRemoved(activeSound, AComponent);
}

void TepSpeedButton::SetGroupIndex(int32_t Value) {
  groupIndex = Value;
  UpdateExclusive();
}

void TepSpeedButton::SetAllowAllUp(bool Value) {
  allowAllUp = Value;
  UpdateExclusive();
}

void TepSpeedButton::SetDown(bool Value) {
  if (groupIndex == 0)
    Value = false;
  if (Value == down)
    return;
  if (down && !allowAllUp)
    return;
  down = Value;
  state = Value ? bsExclusive : bsUp;
  XPaint();
  if (Value)
    UpdateExclusive();
}

void TepSpeedButton::UpdateExclusive() {
  if (groupIndex == 0 || Parent() == nullptr)
    return;
  TMessage message{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex),
                   reinterpret_cast<LPARAM>(this), 0};
  Parent()->Broadcast(message);
}

void TepSpeedButton::CMButtonPressed(TMessage& Message) {
  if (Message.WParam != static_cast<WPARAM>(groupIndex))
    return;
  auto* sender = reinterpret_cast<TepSpeedButton*>(Message.LParam);
  if (sender != this && sender->down && down) {
    down = false;
    state = bsUp;
    XPaint();
  }
  allowAllUp = sender->allowAllUp;
}

bool TepSpeedButton::Inside(int X, int Y) const {
  return X >= 0 && X <= ClientWidth() && Y >= 0 && Y <= ClientHeight();
}

void TepSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TEffectGControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled())
    return;
  if (!down) {
    state = bsDown;
    mouseIn = true;
    XPaint();
  }
  dragging = true;
}

void TepSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TEffectGControl::MouseMove(Shift, X, Y);
  if (!dragging)
    return;
  TepSpeedState next = down ? bsExclusive : bsUp;
  mouseIn = Inside(X, Y);
  if (mouseIn)
    next = down ? bsExclusive : bsDown;
  if (next == state)
    return;
  state = next;
  XPaint();
}

void TepSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TEffectGControl::MouseUp(Button, Shift, X, Y);
  if (!dragging)
    return;
  dragging = false;
  const bool inside = Inside(X, Y);
  mouseIn = inside;
  if (groupIndex == 0) {
    state = bsUp;
    if (inside)
      XPaint();
  } else if (inside) {
    SetDown(!down);
  } else {
    if (down)
      state = bsExclusive;
    XPaint();
  }
  if (inside)
    Click();
  UpdateTracking();
}

void TepSpeedButton::Click() {
  PlaySound(clickSound);
  TEffectGControl::Click();
}

void TepSpeedButton::DblClick() {
  if (down)
    TEffectGControl::DblClick();
}

void TepSpeedButton::WndProc(TMessage& Message) {
  if (Message.Msg != CM_DIALOGCHAR) {
    TEffectGControl::WndProc(Message);
    return;
  }
  const char key = static_cast<char>(Message.WParam);
  const char accel = AccelChar(Caption());
  if (accel == 0 || !SameLetter(key, accel) || !Enabled() || !Visible()) {
    TEffectGControl::WndProc(Message);
    return;
  }
  Click();
  Message.Result = 1;
}

void TepSpeedButton::CMMouseEnter(TMessage& Message) {
  TEffectGControl::CMMouseEnter(Message);
  if (!Enabled())
    return;
  mouseIn = true;
  XPaint();
  PlaySound(activeSound);
}

void TepSpeedButton::CMMouseLeave(TMessage& Message) {
  TEffectGControl::CMMouseLeave(Message);
  if (!Enabled() || dragging)
    return;
  mouseIn = false;
  XPaint();
}

void TepSpeedButton::UpdateTracking() {
  if (!flat || !Enabled())
    return;
  const TPoint p = ScreenToClient(Mouse_CursorPos());
  const bool over = p.X >= 0 && p.X < Width() && p.Y >= 0 && p.Y < Height();
  mouseIn = !over;
  Perform(over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
}

void TepSpeedButton::CMEnabledChanged(TMessage& Message) {
  TEffectGControl::CMEnabledChanged(Message);
  XPaint();
}

void TepSpeedButton::CMFontChanged(TMessage& Message) {
  TEffectGControl::CMFontChanged(Message);
  XPaint();
}

void TepSpeedButton::CMTextChanged(TMessage& Message) {
  TEffectGControl::CMTextChanged(Message);
  XPaint();
}

void TepSpeedButton::PaintEffects() {
  if (gradEffect)
    EfBmp()->AddGradColor(GradientColor(), gradKind);
  else if (Transparent() && middleTransparent)
    EfBmp()->AddMiddleColor(Color());
}

// The parent's image averaged with a gradient on the button's colour.
void TepSpeedButton::PaintMiddleGradient() {
  TBitmap* off = OffBmp();
  TBitmap work;
  work.SetSize(off->Width(), off->Height());
  work.Canvas()->Brush()->SetColor(Color());
  work.Canvas()->FillRect(Rect(0, 0, work.Width(), work.Height()));
  TEffectBmp gradient(work.Handle());
  gradient.AddGradColor(GradientColor(), gradKind);
  TEffectBmp image(off->Handle());
  image.MiddleBMP(&gradient);
  image.Draw(off->Canvas()->Handle(), 0, 0);
}

// A checker of the button's colour and PatternColor, aligned to the control.
void TepSpeedButton::PaintPattern(const TRect& R) {
  TCanvas* canvas = OffBmp()->Canvas();
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      canvas->SetPixels(x, y, (x + y) % 2 == 0 ? patternColor : Color());
}

void TepSpeedButton::PaintFace() {
  if (Transparent() && middleTransparent && gradEffect)
    PaintMiddleGradient();
  else
    PaintEf();

  if (!Enabled()) {
    state = bsDisabled;
    mouseIn = false;
  } else if (state == bsDisabled) {
    state = down && groupIndex != 0 ? bsExclusive : bsUp;
  }

  TCanvas* canvas = OffBmp()->Canvas();
  TRect r = Rect(0, 0, Width(), Height());
  const auto shrink = [&r](int N) { r = Rect(r.Left + N, r.Top + N, r.Right - N, r.Bottom - N); };
  if (!flat && Pressed()) {
    Frm3D(canvas, r, outerColor, innerColor, frameWidth);
    shrink(frameWidth);
  } else if (!flat) {
    Frm3D(canvas, r, innerColor, outerColor, frameWidth);
  } else if (Pressed()) {
    Frm3D(canvas, r, outerColor, innerColor, 1);
    shrink(1);
  } else if (mouseIn && state != bsDisabled) {
    Frm3D(canvas, r, innerColor, outerColor, 1);
  }
  if (!Transparent() && !gradEffect && state == bsExclusive && !mouseIn)
    PaintPattern(r);

  const int gw = glyph->Empty() ? 0 : glyph->Width() / numGlyphs;
  const int gh = glyph->Empty() ? 0 : glyph->Height();
  CalcLCoord(layout, Rect(0, 0, Width(), Height()), gw, gh, canvas->TextWidth(Caption()),
             canvas->TextHeight(Caption()), spacing, margin, textX, textY, glyphX, glyphY);
  if (Pressed() && (frameWidth > 0 || flat)) {
    ++textX;
    ++textY;
    ++glyphX;
    ++glyphY;
  }
  if (!glyph->Empty()) {
    int frame = 1;
    if (Pressed() && numGlyphs > 3)
      frame = 3;
    else if (mouseIn && numGlyphs > 2)
      frame = 2;
    else if (state == bsDisabled)
      frame = numGlyphs;
    PaintGlyph(canvas, glyphX, glyphY, glyph.get(), numGlyphs, frame);
  }
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(mouseIn ? activeTextColor : Font()->Color());
  canvas->TextOut(textX, textY, Caption());
}

// ---------------------------------------------------------------- TepLabelButton

TepLabelButton::TepLabelButton(TComponent* AOwner) : TButtonGControl(AOwner) {
  SetBounds(0, 0, 100, 30);
}

void TepLabelButton::SetEfCaption(bool Value) {
  efCaption = Value;
  XPaint();
}

// Margin and Spacing play no part: the content keeps two pixels from the edges.
void TepLabelButton::PlaceContent(int TextWidth, int TextHeight) {
  const int w = Width(), h = Height();
  const int gw = Glyph()->Empty() ? 0 : Glyph()->Width() / NumGlyphs();
  const int gh = Glyph()->Empty() ? 0 : Glyph()->Height();
  const auto place = [this](int GX, int GY, int TX, int TY) {
    GlyphX = GX;
    GlyphY = GY;
    TextX = TX;
    TextY = TY;
  };
  switch (Layout()) {
  case blGlyphLeft:
    place(2, h / 2 - gh / 2, w - TextWidth - 2, h / 2 - TextHeight / 2);
    break;
  case blGlyphRight:
    place(w - gw - 2, h / 2 - gh / 2, 2, h / 2 - TextHeight / 2);
    break;
  case blGlyphTop:
    place(w / 2 - gw / 2, 2, w / 2 - TextWidth / 2, h - TextHeight - 2);
    break;
  case blGlyphBottom:
    place(w / 2 - gw / 2, h - gh - 2, w / 2 - TextWidth / 2, 2);
    break;
  }
}

void TepLabelButton::PaintFace() {
  TCanvas* canvas = OffBmp()->Canvas();
  canvas->Brush()->SetStyle(bsClear);
  const AnsiString& caption = Caption();
  PlaceContent(canvas->TextWidth(caption), canvas->TextHeight(caption));
  if (mouseIn && down) {
    ++TextX;
    ++TextY;
  }
  const TColor fontColor = Font()->Color();
  if (mouseIn && efCaption) {
    canvas->Font()->SetColor(ActiveTextColor());
    canvas->TextOut(TextX - 1, TextY - 1, caption);
    canvas->TextOut(TextX + 1, TextY + 1, caption);
  }
  canvas->Font()->SetColor(mouseIn && !efCaption ? ActiveTextColor() : fontColor);
  canvas->TextOut(TextX, TextY, caption);
  DrawButtonGlyph();
}

// ---------------------------------------------------------------- TepEfButton

TepEfButton::TepEfButton(TComponent* AOwner) : TButtonGControl(AOwner) {
  SetBounds(0, 0, 65, 25);
  SetActiveTextColor(clBlue);
}

void TepEfButton::StoreWidth(int& Field, int Value) {
  if (Value < 0 || Value > 50)
    return;
  Field = Value;
  XPaint();
}

void TepEfButton::SetBtnColor(TColor Value) {
  btnColor = Value;
  XPaint();
}

void TepEfButton::SetEfCaption(bool Value) {
  efCaption = Value;
  XPaint();
}

void TepEfButton::WriteCaption(TColor Color) {
  TCanvas* canvas = OffBmp()->Canvas();
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(Color);
  canvas->TextOut(TextX, TextY, Caption());
}

void TepEfButton::PaintFace() {
  TCanvas* canvas = OffBmp()->Canvas();
  const int w = Width(), h = Height(), f = frameWidth, g = btnFrameWidth;
  const TColor c = ColorToRGB(Color()), b = ColorToRGB(btnColor);
  const bool pushed = Pushed();

  const int gw = Glyph()->Empty() ? 0 : Glyph()->Width() / NumGlyphs();
  const int gh = Glyph()->Empty() ? 0 : Glyph()->Height();
  CalcLCoord(Layout(), Rect(0, 0, w, h), gw, gh, canvas->TextWidth(Caption()),
             canvas->TextHeight(Caption()), Spacing(), Margin(), TextX, TextY, GlyphX, GlyphY);
  if (pushed) {
    ++TextX;
    ++TextY;
    ++GlyphX;
    ++GlyphY;
  }

  if (!Transparent()) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(b);
    canvas->FillRect(Rect(0, 0, w, h));
  }
  Frm3D(canvas, Rect(0, 0, w, h), Dark(c), Light(c), f);
  if (pushed)
    Frm3D(canvas, Rect(f + 3, f + 3, w - f, h - f - 1), Light(b), Dark(b), g - 1);
  else
    Frm3D(canvas, Rect(f + 2, f + 2, w - f - 1, h - f - 1), Light(b), Dark(b), g);
  Frm3D(canvas, Rect(f, f, w - f, h - f), clBlack, clBlack, pushed ? 3 : 2);
  if (pushed) {
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(clBlack);
    canvas->Rectangle(f + 1, f + 1, w - f - 1, h - f - 1);
  }
  // Written before the blur, the caption becomes a glow.
  if (efCaption && mouseIn)
    WriteCaption(ActiveTextColor());
  PaintEf();

  WriteCaption(!efCaption && mouseIn ? ActiveTextColor() : Font()->Color());
  if (f > 0) {
    Frm3D(canvas, Rect(0, 0, w, h), Dark(c), Light(c), 1);
    Frm3D(canvas, Rect(f, f, w - f, h - f), clBlack, clBlack, 1);
  }
  DrawButtonGlyph();
}

void TepEfButton::PaintEffects() {
  EfBmp()->SplitBlur(1);
}

// ---------------------------------------------------------------- TepColorButton

TepColorButton::TepColorButton(TComponent* AOwner)
    : TEffectGControl(AOwner), glyph(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 86, 30);
}

TepColorButton::~TepColorButton() {
  Destroying();
}

void TepColorButton::SetColorDialog(TColorDialog* Value) {
  colorDialog = Value;
  if (Value != nullptr)
    Value->FreeNotification(this);
}

void TepColorButton::SetClickSound(TepWavePlayer* Value) {
  clickSound = Value;
  if (Value != nullptr)
    Value->FreeNotification(this);
}

void TepColorButton::SetActiveSound(TepWavePlayer* Value) {
  activeSound = Value;
  if (Value != nullptr)
    Value->FreeNotification(this);
}

void TepColorButton::Notification(TComponent* AComponent, TOperation Operation) {
  TEffectGControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == colorDialog)
    colorDialog = nullptr;
  ForgetRemoved(clickSound, AComponent);
  ForgetRemoved(activeSound, AComponent);
}

void TepColorButton::SetGlyph(const TBitmap* Value) {
  glyph->Assign(Value);
  XPaint();
}

void TepColorButton::SetNumGlyphs(TNumGlyphs Value) {
  if (Value < 1 || Value > 4)
    return;
  Store(numGlyphs, Value);
}

void TepColorButton::SetMargin(int Value) {
  if (Value < -1)
    return;
  Store(margin, Value);
}

void TepColorButton::CMMouseEnter(TMessage& Message) {
  TEffectGControl::CMMouseEnter(Message);
  if (mouseIn)
    return;
  mouseIn = true;
  XPaint();
  PlaySound(activeSound);
}

void TepColorButton::CMMouseLeave(TMessage& Message) {
  TEffectGControl::CMMouseLeave(Message);
  if (!mouseIn)
    return;
  mouseIn = false;
  XPaint();
}

void TepColorButton::CMTextChanged(TMessage& Message) {
  TEffectGControl::CMTextChanged(Message);
  XPaint();
}

void TepColorButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TEffectGControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || colorDialog == nullptr || X < 0 || X >= Width() || Y < 0 || Y >= Height())
    return;
  down = true;
  mouseIn = true;
  XPaint();
  PlaySound(clickSound);
  colorDialog->SetColor(ColorToRGB(colorValue));
  if (colorDialog->Execute() && colorDialog->Color() != colorValue) {
    colorValue = colorDialog->Color();
    if (OnChange)
      OnChange(this);
  }
  down = false;
  XPaint();
}

void TepColorButton::PlaceContent(int TextWidth, int TextHeight, int GlyphWidth, int GlyphHeight) {
  CalcLCoord(layout, ClientRect(), GlyphWidth, GlyphHeight, TextWidth, TextHeight, spacing, margin,
             textX, textY, glyphX, glyphY);
  const int sx = markWidth / 2 + markOffset / 2, sy = markHeight / 2 + markOffset / 2;
  const int dx = markAlign == mkLeft ? sx : markAlign == mkRight ? -sx : 0;
  const int dy = markAlign == mkTop ? sy : markAlign == mkBottom ? -sy : 0;
  textX += dx;
  glyphX += dx;
  textY += dy;
  glyphY += dy;
  switch (markAlign) {
  case mkLeft:
    markPos = Point(Min(textX, glyphX) - markWidth - markOffset, Height() / 2 - markHeight / 2);
    break;
  case mkRight:
    markPos = Point(Max(glyphX + GlyphWidth, textX + TextWidth) + markOffset,
                    Height() / 2 - markHeight / 2);
    break;
  case mkTop:
    markPos = Point(Width() / 2 - markWidth / 2, Min(textY, glyphY) - markHeight - markOffset);
    break;
  case mkBottom:
    markPos = Point(Width() / 2 - markWidth / 2,
                    Max(glyphY + GlyphHeight, textY + TextHeight) + markOffset);
    break;
  }
  if (Pushed()) {
    ++textX;
    ++textY;
    ++glyphX;
    ++glyphY;
    markPos = Point(markPos.X + 1, markPos.Y + 1);
  }
}

void TepColorButton::PaintMark() {
  TCanvas* canvas = OffBmp()->Canvas();
  const TRect r = Bounds(markPos.X, markPos.Y, markWidth, markHeight);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(colorValue);
  if (Transparent()) {
    canvas->FillRect(r);
    return;
  }
  const TColor value = ColorToRGB(colorValue), face = ColorToRGB(Color());
  TColor outline = face;
  if (value == face)
    outline = value == ColorToRGB(clBlack) ? clWhite : clBlack;
  canvas->Pen()->SetColor(outline);
  canvas->Rectangle(r);
}

void TepColorButton::PaintFace() {
  TCanvas* canvas = OffBmp()->Canvas();
  const TRect client = ClientRect();
  if (useFrame && Pushed())
    Frm3D(canvas, client, outerColor, innerColor, 1);
  else if (useFrame && mouseIn)
    Frm3D(canvas, client, innerColor, outerColor, 1);
  const int gw = glyph->Empty() ? 0 : glyph->Width() / numGlyphs;
  const int gh = glyph->Empty() ? 0 : glyph->Height();
  const AnsiString& caption = Caption();
  PlaceContent(canvas->TextWidth(caption), canvas->TextHeight(caption), gw, gh);
  PaintMark();

  canvas->Brush()->SetStyle(bsClear);
  if (mouseIn && efCaption) {
    canvas->Font()->SetColor(activeTextColor);
    canvas->TextOut(textX - 1, textY - 1, caption);
    canvas->TextOut(textX + 1, textY + 1, caption);
  }
  canvas->Font()->SetColor(mouseIn && !efCaption ? activeTextColor : Font()->Color());
  canvas->TextOut(textX, textY, caption);

  int frame = 1;
  if (Pushed() && numGlyphs > 3)
    frame = 3;
  else if (mouseIn && numGlyphs > 2)
    frame = 2;
  else if (!Enabled())
    frame = numGlyphs;
  PaintGlyph(canvas, glyphX, glyphY, glyph.get(), numGlyphs, frame);
}

// ---------------------------------------------------------------- TepShadowBtn

TepShadowBtn::TepShadowBtn(TComponent* AOwner) : TButtonGTControl(AOwner) {
  SetBounds(0, 0, 85, 35);
}

TRect TepShadowBtn::FaceRect(bool IsPushed) const {
  const int d = IsPushed ? 3 : 2;
  return Rect(d, d, Width() - shadowOffset - 4 + d, Height() - shadowOffset - 4 + d);
}

bool TepShadowBtn::IsMouseIn(int X, int Y) {
  if (btnKind == Epbuttons::TBtnKind::bkRect)
    return X >= 0 && X < Width() && Y >= 0 && Y < Height();
  const TRect r = FaceRect(false);
  HRGN shape = btnKind == Epbuttons::TBtnKind::bkEllipse
                   ? CreateEllipticRgn(r.Left, r.Top, r.Right, r.Bottom)
                   : CreateRoundRectRgn(r.Left, r.Top, r.Right, r.Bottom, 2 * radius, 2 * radius);
  const bool inside = PtInRegion(shape, X, Y);
  DeleteObject(shape);
  return inside;
}

// Halves the brightness of everything under the shadow's shape.
void TepShadowBtn::PaintShadow() {
  TBitmap* off = OffBmp();
  TBitmap mask;
  mask.SetSize(off->Width(), off->Height());
  TCanvas* m = mask.Canvas();
  m->Brush()->SetColor(clWhite);
  m->FillRect(Rect(0, 0, mask.Width(), mask.Height()));
  m->Brush()->SetColor(clBlack);
  m->Pen()->SetColor(clBlack);
  const int o = shadowOffset;
  TRect r = btnKind == Epbuttons::TBtnKind::bkRect ? Rect(o + 2, o + 2, Width() - 2, Height() - 1)
                                                   : Rect(o, o, Width() - 2, Height() - 1);
  if (Pushed()) {
    r.Left += r.Left > 5 ? 1 : 0;
    r.Top += r.Top > 5 ? 1 : 0;
    --r.Right;
    --r.Bottom;
  }
  switch (btnKind) {
  case Epbuttons::TBtnKind::bkRect:
    m->Rectangle(r);
    break;
  case Epbuttons::TBtnKind::bkEllipse:
    m->Ellipse(r);
    break;
  case Epbuttons::TBtnKind::bkRndRect:
    m->RoundRect(r.Left, r.Top, r.Right, r.Bottom, 2 * radius, 2 * radius);
    break;
  }
  TEffectBmp image(off->Handle());
  const TEffectBmp where(mask.Handle());
  for (int y = 0; y < image.Height(); ++y) {
    uint8_t* pixel = image.GetLine(y);
    const uint8_t* black = where.GetLine(y);
    for (int x = 0; x < image.Width() * 3; x += 3)
      if (black[x] == 0 && black[x + 1] == 0 && black[x + 2] == 0)
        for (int i = 0; i < 3; ++i)
          pixel[x + i] >>= 1;
  }
  if (blurShadow)
    image.MaskSplitBlur(&where, 1);
  image.Draw(off->Canvas()->Handle(), 0, 0);
}

void TepShadowBtn::PaintFace() {
  PaintShadow();
  TCanvas* canvas = OffBmp()->Canvas();
  const TRect face = FaceRect(Pushed());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(btnColor);
  canvas->Pen()->SetColor(btnColor);
  switch (btnKind) {
  case Epbuttons::TBtnKind::bkRect:
    canvas->FillRect(face);
    break;
  case Epbuttons::TBtnKind::bkEllipse:
    canvas->Ellipse(face);
    break;
  case Epbuttons::TBtnKind::bkRndRect:
    canvas->RoundRect(face.Left, face.Top, face.Right, face.Bottom, 2 * radius, 2 * radius);
    break;
  }
  const int gw = Glyph()->Empty() ? 0 : Glyph()->Width() / NumGlyphs();
  const int gh = Glyph()->Empty() ? 0 : Glyph()->Height();
  CalcLCoord(Layout(), face, gw, gh, canvas->TextWidth(Caption()), canvas->TextHeight(Caption()),
             Spacing(), Margin(), TextX, TextY, GlyphX, GlyphY);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(mouseIn ? ActiveTextColor() : Font()->Color());
  canvas->TextOut(TextX, TextY, Caption());
  DrawButtonGlyph();
}

// ---------------------------------------------------------------- TepKeyButton

TepKeyButton::TepKeyButton(TComponent* AOwner) : TButtonCControl(AOwner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TepKeyButton::SetShowFocus(bool Value) {
  showFocus = Value;
  Invalidate();
}

void TepKeyButton::DoClick() {
  if (OnClick)
    OnClick(this);
}

void TepKeyButton::KeyDown(uint16_t& Key, TShiftState Shift) {
  TButtonCControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE && !down) {
    down = true;
    mouseIn = true;
    keyPressed = true;
    Invalidate();
  } else if (Key == VK_RETURN && Shift.Empty() && Focused() && CanFocus()) {
    Key = 0;
    DoClick();
  }
}

void TepKeyButton::KeyUp(uint16_t& Key, TShiftState Shift) {
  TButtonCControl::KeyUp(Key, Shift);
  if (Key != VK_SPACE || !keyPressed)
    return;
  const TPoint p = ScreenToClient(Mouse_CursorPos());
  mouseIn = p.X >= 0 && p.X <= Width() && p.Y >= 0 && p.Y <= Height();
  down = false;
  keyPressed = false;
  Invalidate();
  DoClick();
}

void TepKeyButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (keyPressed)
    return;
  if (Button == mbLeft && !Focused() && CanFocus())
    SetFocus();
  TButtonCControl::MouseDown(Button, Shift, X, Y);
}

void TepKeyButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (keyPressed)
    return;
  TButtonCControl::MouseUp(Button, Shift, X, Y);
}

void TepKeyButton::WMSetFocus(TMessage& Message) {
  TButtonCControl::WMSetFocus(Message);
  Invalidate();
}

void TepKeyButton::WMKillFocus(TMessage& Message) {
  TButtonCControl::WMKillFocus(Message);
  if (keyPressed) {
    keyPressed = false;
    down = false;
  }
  Invalidate();
}

void TepKeyButton::CMDialogChar(TMessage& Message) {
  const char accel = AccelChar(Caption());
  if (accel == 0 || !SameLetter(static_cast<char>(Message.WParam), accel) || !CanFocus()) {
    TButtonCControl::CMDialogChar(Message);
    return;
  }
  DoClick();
  Message.Result = 1;
}

void TepKeyButton::PaintContent(const TRect& R) {
  TCanvas* canvas = OffBmp()->Canvas();
  const int gw = Glyph()->Empty() ? 0 : Glyph()->Width() / NumGlyphs();
  const int gh = Glyph()->Empty() ? 0 : Glyph()->Height();
  const AnsiString& caption = Caption();
  CalcLCoord(Layout(), R, gw, gh, canvas->TextWidth(caption), canvas->TextHeight(caption),
             Spacing(), Margin(), TextX, TextY, GlyphX, GlyphY);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(mouseIn ? ActiveTextColor() : Font()->Color());
  canvas->TextOut(TextX, TextY, caption);
  DrawButtonGlyph();
}

// ---------------------------------------------------------------- TepFocusButton

TepFocusButton::TepFocusButton(TComponent* AOwner) : TepKeyButton(AOwner) {}

void TepFocusButton::SetFrameWidth(int Value) {
  if (Value < 0 || Value > 50)
    return;
  Store(frameWidth, Value);
}

void TepFocusButton::PaintEffects() {
  if (gradEffect)
    EfBmp()->AddGradColor(GradientColor(), gradKind);
  else if (Transparent() && middleTransparent)
    EfBmp()->AddMiddleColor(Color());
}

void TepFocusButton::PaintFace() {
  TBitmap* off = OffBmp();
  if (Transparent() && middleTransparent && gradEffect) {
    TBitmap work;
    work.SetSize(off->Width(), off->Height());
    work.Canvas()->Brush()->SetColor(Color());
    work.Canvas()->FillRect(Rect(0, 0, work.Width(), work.Height()));
    TEffectBmp gradient(work.Handle());
    gradient.AddGradColor(GradientColor(), gradKind);
    TEffectBmp image(off->Handle());
    image.MiddleBMP(&gradient);
    image.Draw(off->Canvas()->Handle(), 0, 0);
  } else {
    PaintEf();
  }
  TCanvas* canvas = off->Canvas();
  const TRect client = ClientRect();
  if (mouseIn && down)
    Frm3D(canvas, client, outerColor, innerColor, frameWidth);
  else
    Frm3D(canvas, client, innerColor, outerColor, frameWidth);
  const int inset = frameWidth + 2;
  const TRect content =
      Rect(client.Left + inset, client.Top + inset, client.Right - inset, client.Bottom - inset);
  if (ShowFocus() && Focused()) {
    if (!Transparent() && !gradEffect) {
      canvas->DrawFocusRect(content);
    } else {
      canvas->Brush()->SetStyle(bsClear);
      canvas->Pen()->SetMode(pmNot);
      canvas->Rectangle(content);
      canvas->Pen()->SetMode(pmCopy);
    }
  }
  PaintContent(content);
}

// ---------------------------------------------------------------- TepTransparentBtn

TepTransparentBtn::TepTransparentBtn(TComponent* AOwner) : TepKeyButton(AOwner) {}

void TepTransparentBtn::SetFrameRnd(bool Value) {
  frameRnd = Value;
  UpdateRegion();
  Invalidate();
}

void TepTransparentBtn::SetRadius(int Value) {
  if (Value < 1 || Value > 255)
    return;
  radius = Value;
  UpdateRegion();
  Invalidate();
}

void TepTransparentBtn::Resize() {
  TepKeyButton::Resize();
  UpdateRegion();
}

void TepTransparentBtn::UpdateRegion() {
  SetWindowRgn(frameRnd ? CreateRoundRectRgn(0, 0, Width(), Height(), 2 * radius, 2 * radius)
                        : nullptr,
               true);
}

bool TepTransparentBtn::IsMouseIn(int X, int Y) {
  if (!frameRnd)
    return TepKeyButton::IsMouseIn(X, Y);
  HRGN shape = CreateRoundRectRgn(1, 1, Width() - 1, Height() - 1, 2 * radius, 2 * radius);
  const bool inside = PtInRegion(shape, X, Y);
  DeleteObject(shape);
  return inside;
}

void TepTransparentBtn::PaintEffects() {
  if (Transparent() && middleTransparent)
    EfBmp()->AddMiddleColor(Color());
}

void TepTransparentBtn::PaintFrame() {
  TCanvas* canvas = OffBmp()->Canvas();
  const TRect r = Rect(0, 0, Width(), Height());
  const TColor outline = Enabled() ? frameColor : frameOuterColor;
  const TColor raised = down ? frameOuterColor : frameInnerColor;
  const TColor sunk = down ? frameInnerColor : frameOuterColor;
  if (frameRnd) {
    RndRectFrm3D(canvas, r, mouseIn ? raised : outline, mouseIn ? sunk : outline, 2 * radius, 1);
    return;
  }
  canvas->Pen()->SetWidth(1);
  if (frame3D)
    Frm3D(canvas, r, mouseIn ? raised : outline, mouseIn ? sunk : outline, 1);
  else if (mouseIn)
    Frm3D(canvas, r, frameColor, frameColor, 1);
  else
    Frm3D(canvas, Rect(1, 1, Width() - 1, Height() - 1), outline, outline, 1);
}

void TepTransparentBtn::PaintFocus() {
  TCanvas* canvas = OffBmp()->Canvas();
  const TRect r = Rect(1, 1, Width() - 1, Height() - 1);
  if (!frameRnd && !Transparent()) {
    canvas->DrawFocusRect(r);
    return;
  }
  canvas->Brush()->SetStyle(bsClear);
  canvas->Pen()->SetMode(pmNot);
  if (frameRnd)
    canvas->RoundRect(r.Left, r.Top, r.Right, r.Bottom, 2 * radius - 5, 2 * radius - 5);
  else
    canvas->Rectangle(r);
  canvas->Pen()->SetMode(pmCopy);
}

void TepTransparentBtn::PaintFace() {
  PaintEf();
  if (frame)
    PaintFrame();
  if (ShowFocus() && Focused())
    PaintFocus();
  PaintContent(ClientRect());
}

// ---------------------------------------------------------------- published

WT_PUBLISH(TepLabelButton, TButtonGControl) {
  p.Property("Layout", &TepLabelButton::Layout, &TepLabelButton::SetLayout).Default(blGlyphLeft);
  p.Property("EfCaption", &TepLabelButton::EfCaption, &TepLabelButton::SetEfCaption).Default(false);
}

WT_PUBLISH(TepEfButton, TButtonGControl) {
  using B = TepEfButton;
  p.Property("FrameWidth", &B::FrameWidth, &B::SetFrameWidth).Default(2);
  p.Property("BtnFrameWidth", &B::BtnFrameWidth, &B::SetBtnFrameWidth).Default(3);
  p.Color("BtnColor", &B::BtnColor, &B::SetBtnColor).Default(clBtnFace);
  p.Property("EfCaption", &B::EfCaption, &B::SetEfCaption).Default(false);
  p.Property("Layout", &B::Layout, &B::SetLayout).Default(blGlyphLeft);
  p.Property("Margin", &B::Margin, &B::SetMargin).Default(-1);
  p.Property("Spacing", &B::Spacing, &B::SetSpacing).Default(4);
}

namespace {
[[maybe_unused]] const bool btnKindIdents =
    RegisterEnum<Epbuttons::TBtnKind>({{"bkRect", Epbuttons::TBtnKind::bkRect},
                                       {"bkEllipse", Epbuttons::TBtnKind::bkEllipse},
                                       {"bkRndRect", Epbuttons::TBtnKind::bkRndRect}});
} // namespace

WT_PUBLISH(TepShadowBtn, TButtonGTControl) {
  using B = TepShadowBtn;
  p.Property("BtnKind", &B::BtnKind, &B::SetBtnKind).Default(Epbuttons::TBtnKind::bkRect);
  p.Color("BtnColor", &B::BtnColor, &B::SetBtnColor).Default(clBlue);
  p.Property("Radius", &B::Radius, &B::SetRadius).Default(10);
  p.Property("ShadowOffset", &B::ShadowOffset, &B::SetShadowOffset).Default(uint8_t{3});
  p.Property("BlurShadow", &B::BlurShadow, &B::SetBlurShadow).Default(false);
}

WT_PUBLISH(TepSpeedButton, TEffectGControl) {
  using B = TepSpeedButton;
  p.Color("ActiveTextColor", &B::ActiveTextColor, &B::SetActiveTextColor).Default(clBlack);
  p.Property("FrameWidth", &B::FrameWidth, &B::SetFrameWidth).Default(uint8_t{0});
  p.Color("PatternColor", &B::PatternColor, &B::SetPatternColor).Default(clWhite);
  p.Color("InnerColor", &B::InnerColor, &B::SetInnerColor).Default(clBtnHighlight);
  p.Color("OuterColor", &B::OuterColor, &B::SetOuterColor).Default(clBtnShadow);
  p.Property("GroupIndex", &B::GroupIndex, &B::SetGroupIndex).Default(int32_t{0});
  p.Property("Down", &B::Down, &B::SetDown).Default(false);
  p.Property("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp).Default(false);
  p.Property("Spacing", &B::Spacing, &B::SetSpacing).Default(int32_t{4});
  p.Property("Margin", &B::Margin, &B::SetMargin).Default(int32_t{-1});
  p.Property("Flat", &B::Flat, &B::SetFlat).Default(false);
  p.Object("Glyph", &B::Glyph);
  p.Property("Layout", &B::Layout, &B::SetLayout).Default(blGlyphLeft);
  p.Property("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs).Default(TNumGlyphs{1});
  p.Property("ClickSound", &B::ClickSound, &B::SetClickSound);
  p.Property("ActiveSound", &B::ActiveSound, &B::SetActiveSound);
  p.Property("MiddleTransparent", &B::MiddleTransparent, &B::SetMiddleTransparent).Default(false);
  p.Property("GradEffect", &B::GradEffect, &B::SetGradEffect).Default(false);
  p.Property("GradKind", &B::GradKind, &B::SetGradKind).Default(gdRight);
  p.Color("GradColor", &B::GradColor, &B::SetGradColor).Default(clBlack);
  p.Color("ActiveGradColor", &B::ActiveGradColor, &B::SetActiveGradColor).Default(clBlack);
}

namespace {
[[maybe_unused]] const bool markAlignIdents = RegisterEnum<TMarkAlign>(
    {{"mkLeft", mkLeft}, {"mkTop", mkTop}, {"mkRight", mkRight}, {"mkBottom", mkBottom}});
} // namespace

WT_PUBLISH(TepColorButton, TEffectGControl) {
  using B = TepColorButton;
  p.Color("ColorValue", &B::ColorValue, &B::SetColorValue).Default(clBlack);
  p.Property("ColorDialog", &B::ColorDialog, &B::SetColorDialog);
  p.Event("OnChange", &B::OnChange);
  p.Property("MarkAlign", &B::MarkAlign, &B::SetMarkAlign).Default(mkLeft);
  p.Property("MarkWidth", &B::MarkWidth, &B::SetMarkWidth).Default(10);
  p.Property("MarkHeight", &B::MarkHeight, &B::SetMarkHeight).Default(10);
  p.Property("MarkOffset", &B::MarkOffset, &B::SetMarkOffset).Default(uint8_t{2});
  p.Property("UseFrame", &B::UseFrame, &B::SetUseFrame).Default(true);
  p.Color("InnerColor", &B::InnerColor, &B::SetInnerColor).Default(clBtnHighlight);
  p.Color("OuterColor", &B::OuterColor, &B::SetOuterColor).Default(clBtnShadow);
  p.Object("Glyph", &B::Glyph);
  p.Property("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs).Default(TNumGlyphs{1});
  p.Property("Layout", &B::Layout, &B::SetLayout).Default(blGlyphLeft);
  p.Property("Margin", &B::Margin, &B::SetMargin).Default(-1);
  p.Property("Spacing", &B::Spacing, &B::SetSpacing).Default(4);
  p.Property("EfCaption", &B::EfCaption, &B::SetEfCaption).Default(false);
  p.Color("ActiveTextColor", &B::ActiveTextColor, &B::SetActiveTextColor);
  p.Property("ClickSound", &B::ClickSound, &B::SetClickSound);
  p.Property("ActiveSound", &B::ActiveSound, &B::SetActiveSound);
}

WT_PUBLISH(TepFocusButton, TButtonCControl) {
  using B = TepFocusButton;
  p.Property("FrameWidth", &B::FrameWidth, &B::SetFrameWidth).Default(1);
  p.Color("InnerColor", &B::InnerColor, &B::SetInnerColor).Default(clBtnHighlight);
  p.Color("OuterColor", &B::OuterColor, &B::SetOuterColor).Default(clBtnShadow);
  p.Property("GradEffect", &B::GradEffect, &B::SetGradEffect).Default(false);
  p.Property("GradKind", &B::GradKind, &B::SetGradKind).Default(gdRight);
  p.Color("GradColor", &B::GradColor, &B::SetGradColor).Default(clBlack);
  p.Color("ActiveGradColor", &B::ActiveGradColor, &B::SetActiveGradColor).Default(clBlack);
  p.Property("MiddleTransparent", &B::MiddleTransparent, &B::SetMiddleTransparent).Default(false);
  p.Property("ShowFocus", &B::ShowFocus, &B::SetShowFocus).Default(true);
  p.Property("Layout", &B::Layout, &B::SetLayout).Default(blGlyphLeft);
  p.Property("Margin", &B::Margin, &B::SetMargin).Default(-1);
  p.Property("Spacing", &B::Spacing, &B::SetSpacing).Default(4);
}

WT_PUBLISH(TepTransparentBtn, TButtonCControl) {
  using B = TepTransparentBtn;
  p.Property("Frame", &B::Frame, &B::SetFrame).Default(true);
  p.Color("FrameColor", &B::FrameColor, &B::SetFrameColor).Default(clBlack);
  p.Property("Frame3D", &B::Frame3D, &B::SetFrame3D).Default(false);
  p.Color("FrameInnerColor", &B::FrameInnerColor, &B::SetFrameInnerColor).Default(clBtnHighlight);
  p.Color("FrameOuterColor", &B::FrameOuterColor, &B::SetFrameOuterColor).Default(clBtnShadow);
  p.Property("FrameRnd", &B::FrameRnd, &B::SetFrameRnd).Default(false);
  p.Property("Radius", &B::Radius, &B::SetRadius).Default(5);
  p.Property("MiddleTransparent", &B::MiddleTransparent, &B::SetMiddleTransparent).Default(false);
  p.Property("ShowFocus", &B::ShowFocus, &B::SetShowFocus).Default(true);
  p.Property("Layout", &B::Layout, &B::SetLayout).Default(blGlyphLeft);
  p.Property("Margin", &B::Margin, &B::SetMargin).Default(-1);
  p.Property("Spacing", &B::Spacing, &B::SetSpacing).Default(4);
}
