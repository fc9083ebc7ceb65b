#pragma once
// Push buttons drawn by the effect control bases: a caption with a glow under
// the mouse, and a bevelled button whose face is softly blurred.
#include "platform/ui/Dialogs.h"
#include "skin/Vclbase.h"

#include <cstdint>
#include <memory>

enum TepSpeedState { bsUp, bsDisabled, bsDown, bsExclusive };

// A speed button: held down in a group of the same index on one parent, flat
// with a frame only under the mouse, with glyph frames and a gradient or
// averaged face.
class TepSpeedButton : public TEffectGControl {
public:
  explicit TepSpeedButton(TComponent* AOwner);
  ~TepSpeedButton() override;

  TColor ActiveTextColor() const { return activeTextColor; }
  void SetActiveTextColor(TColor Value) { Store(activeTextColor, Value); }
  uint8_t FrameWidth() const { return frameWidth; }
  void SetFrameWidth(uint8_t Value) { Store(frameWidth, Value); }
  TColor PatternColor() const { return patternColor; }
  void SetPatternColor(TColor Value) { Store(patternColor, Value); }
  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value) { Store(innerColor, Value); }
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value) { Store(outerColor, Value); }
  int32_t GroupIndex() const { return groupIndex; }
  void SetGroupIndex(int32_t Value);
  bool Down() const { return down; }
  void SetDown(bool Value);
  bool AllowAllUp() const { return allowAllUp; }
  void SetAllowAllUp(bool Value);
  int32_t Spacing() const { return spacing; }
  void SetSpacing(int32_t Value) { Store(spacing, Value); }
  int32_t Margin() const { return margin; }
  // Values below -1 are ignored.
  void SetMargin(int32_t Value);
  bool Flat() const { return flat; }
  void SetFlat(bool Value) { Store(flat, Value); }
  TBitmap* Glyph() const { return glyph.get(); }
  // Copies Value's picture.
  void SetGlyph(const TBitmap* Value);
  TLayout Layout() const { return layout; }
  void SetLayout(TLayout Value) { Store(layout, Value); }
  TNumGlyphs NumGlyphs() const { return numGlyphs; }
  // Values outside 1..4 are ignored.
  void SetNumGlyphs(TNumGlyphs Value);
  TepWavePlayer* ClickSound() const { return clickSound; }
  void SetClickSound(TepWavePlayer* Value);
  TepWavePlayer* ActiveSound() const { return activeSound; }
  void SetActiveSound(TepWavePlayer* Value);
  bool MiddleTransparent() const { return middleTransparent; }
  void SetMiddleTransparent(bool Value) { Store(middleTransparent, Value); }
  bool GradEffect() const { return gradEffect; }
  void SetGradEffect(bool Value) { Store(gradEffect, Value); }
  TGradKind GradKind() const { return gradKind; }
  void SetGradKind(TGradKind Value) { Store(gradKind, Value); }
  TColor GradColor() const { return gradColor; }
  void SetGradColor(TColor Value) { Store(gradColor, Value); }
  TColor ActiveGradColor() const { return activeGradColor; }
  void SetActiveGradColor(TColor Value) { Store(activeGradColor, Value); }

  TepSpeedState State() const { return state; }
  bool MouseIn() const { return mouseIn; }
  void Click() override;
  void DblClick() override;

protected:
  void PaintFace() override;
  void PaintEffects() override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMButtonPressed(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  template <class T> void Store(T& Field, const T& Value) {
    Field = Value;
    XPaint();
  }
  bool Inside(int X, int Y) const;
  bool Pressed() const { return state == bsDown || state == bsExclusive; }
  TColor GradientColor() const { return mouseIn ? activeGradColor : gradColor; }
  // Tells the buttons of the group that this one changed.
  void UpdateExclusive();
  // A flat button looks again where the pointer is.
  void UpdateTracking();
  void PaintMiddleGradient();
  void PaintPattern(const TRect& R);

  TColor activeTextColor = clBlack;
  uint8_t frameWidth = 0;
  TColor patternColor = clWhite;
  TColor innerColor = clBtnHighlight;
  TColor outerColor = clBtnShadow;
  int32_t groupIndex = 0;
  bool down = false;
  bool dragging = false;
  bool allowAllUp = false;
  int32_t spacing = 4;
  int32_t margin = -1;
  bool flat = false;
  bool mouseIn = false;
  std::unique_ptr<TBitmap> glyph;
  TLayout layout = blGlyphLeft;
  TNumGlyphs numGlyphs = 1;
  int textX = 0, textY = 0, glyphX = 0, glyphY = 0;
  TepWavePlayer* clickSound = nullptr;
  TepWavePlayer* activeSound = nullptr;
  bool middleTransparent = false;
  bool gradEffect = false;
  TGradKind gradKind = gdRight;
  TColor gradColor = clBlack;
  TColor activeGradColor = clBlack;
  TepSpeedState state = bsUp;
};

// Caption and glyph only, two pixels from the edges; the caption glows
// under the mouse.
class TepLabelButton : public TButtonGControl {
public:
  explicit TepLabelButton(TComponent* AOwner);

  bool EfCaption() const { return efCaption; }
  void SetEfCaption(bool Value);

protected:
  void PaintFace() override;

private:
  void PlaceContent(int TextWidth, int TextHeight);

  bool efCaption = false;
};

// A sunken outer frame around a raised inner button, blurred together; the
// caption and the outermost lines stay crisp.
class TepEfButton : public TButtonGControl {
public:
  explicit TepEfButton(TComponent* AOwner);

  int FrameWidth() const { return frameWidth; }
  // Values outside 0..50 are ignored.
  void SetFrameWidth(int Value) { StoreWidth(frameWidth, Value); }
  int BtnFrameWidth() const { return btnFrameWidth; }
  void SetBtnFrameWidth(int Value) { StoreWidth(btnFrameWidth, Value); }
  TColor BtnColor() const { return btnColor; }
  void SetBtnColor(TColor Value);
  bool EfCaption() const { return efCaption; }
  void SetEfCaption(bool Value);

protected:
  void PaintFace() override;
  void PaintEffects() override;

private:
  void StoreWidth(int& Field, int Value);
  void WriteCaption(TColor Color);
  bool Pushed() const { return mouseIn && down; }

  int frameWidth = 2;
  int btnFrameWidth = 3;
  TColor btnColor = clBtnFace;
  bool efCaption = false;
};

enum TMarkAlign { mkLeft, mkTop, mkRight, mkBottom };

// A caption, a glyph and a mark of the chosen colour; a click asks for a new
// colour in the colour dialog.
class TepColorButton : public TEffectGControl {
public:
  explicit TepColorButton(TComponent* AOwner);
  ~TepColorButton() override;

  TColor ColorValue() const { return colorValue; }
  void SetColorValue(TColor Value) { Store(colorValue, Value); }
  TColorDialog* ColorDialog() const { return colorDialog; }
  void SetColorDialog(TColorDialog* Value);
  TMarkAlign MarkAlign() const { return markAlign; }
  void SetMarkAlign(TMarkAlign Value) { Store(markAlign, Value); }
  int MarkWidth() const { return markWidth; }
  void SetMarkWidth(int Value) { Store(markWidth, Value); }
  int MarkHeight() const { return markHeight; }
  void SetMarkHeight(int Value) { Store(markHeight, Value); }
  uint8_t MarkOffset() const { return markOffset; }
  void SetMarkOffset(uint8_t Value) { Store(markOffset, Value); }
  bool UseFrame() const { return useFrame; }
  void SetUseFrame(bool Value) { Store(useFrame, Value); }
  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value) { Store(innerColor, Value); }
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value) { Store(outerColor, Value); }
  TBitmap* Glyph() const { return glyph.get(); }
  // Copies Value's picture.
  void SetGlyph(const TBitmap* Value);
  TNumGlyphs NumGlyphs() const { return numGlyphs; }
  // Values outside 1..4 are ignored.
  void SetNumGlyphs(TNumGlyphs Value);
  TLayout Layout() const { return layout; }
  void SetLayout(TLayout Value) { Store(layout, Value); }
  int Margin() const { return margin; }
  // Values below -1 are ignored.
  void SetMargin(int Value);
  int Spacing() const { return spacing; }
  void SetSpacing(int Value) { Store(spacing, Value); }
  bool EfCaption() const { return efCaption; }
  void SetEfCaption(bool Value) { Store(efCaption, Value); }
  TColor ActiveTextColor() const { return activeTextColor; }
  void SetActiveTextColor(TColor Value) { Store(activeTextColor, Value); }
  TepWavePlayer* ClickSound() const { return clickSound; }
  void SetClickSound(TepWavePlayer* Value);
  TepWavePlayer* ActiveSound() const { return activeSound; }
  void SetActiveSound(TepWavePlayer* Value);

  bool MouseIn() const { return mouseIn; }
  // Where the last paint put the mark.
  TPoint MarkPos() const { return markPos; }

  TNotifyEvent OnChange;

protected:
  void PaintFace() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  template <class T> void Store(T& Field, const T& Value) {
    Field = Value;
    XPaint();
  }
  bool Pushed() const { return mouseIn && down; }
  void PlaceContent(int TextWidth, int TextHeight, int GlyphWidth, int GlyphHeight);
  void PaintMark();

  TColor colorValue = clBlack;
  TColorDialog* colorDialog = nullptr;
  TMarkAlign markAlign = mkLeft;
  int markWidth = 10;
  int markHeight = 10;
  uint8_t markOffset = 2;
  bool useFrame = true;
  TColor innerColor = clBtnHighlight;
  TColor outerColor = clBtnShadow;
  std::unique_ptr<TBitmap> glyph;
  TNumGlyphs numGlyphs = 1;
  TLayout layout = blGlyphLeft;
  int margin = -1;
  int spacing = 4;
  bool efCaption = false;
  TColor activeTextColor = clBlack;
  TepWavePlayer* clickSound = nullptr;
  TepWavePlayer* activeSound = nullptr;
  bool mouseIn = false;
  bool down = false;
  int textX = 0, textY = 0, glyphX = 0, glyphY = 0;
  TPoint markPos{0, 0};
};

// A windowed button the keyboard works: Space presses and releases it,
// Enter and the caption's accelerator click it.
class TepKeyButton : public TButtonCControl {
public:
  explicit TepKeyButton(TComponent* AOwner);

  bool ShowFocus() const { return showFocus; }
  void SetShowFocus(bool Value);
  // Pressed by Space and not yet released.
  bool KeyPressed() const { return keyPressed; }

protected:
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyUp(uint16_t& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  void DoClick();
  // The caption and the glyph at the layout's places in R.
  void PaintContent(const TRect& R);

private:
  bool showFocus = true;
  bool keyPressed = false;
};

// A bevelled windowed button with a gradient or averaged face and a focus mark.
class TepFocusButton : public TepKeyButton {
public:
  explicit TepFocusButton(TComponent* AOwner);

  int FrameWidth() const { return frameWidth; }
  // Values outside 0..50 are ignored.
  void SetFrameWidth(int Value);
  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value) { Store(innerColor, Value); }
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value) { Store(outerColor, Value); }
  bool GradEffect() const { return gradEffect; }
  void SetGradEffect(bool Value) { Store(gradEffect, Value); }
  TGradKind GradKind() const { return gradKind; }
  void SetGradKind(TGradKind Value) { Store(gradKind, Value); }
  TColor GradColor() const { return gradColor; }
  void SetGradColor(TColor Value) { Store(gradColor, Value); }
  TColor ActiveGradColor() const { return activeGradColor; }
  void SetActiveGradColor(TColor Value) { Store(activeGradColor, Value); }
  bool MiddleTransparent() const { return middleTransparent; }
  void SetMiddleTransparent(bool Value) { Store(middleTransparent, Value); }

protected:
  void PaintFace() override;
  void PaintEffects() override;

private:
  template <class T> void Store(T& Field, const T& Value) {
    Field = Value;
    Invalidate();
  }
  TColor GradientColor() const { return mouseIn ? activeGradColor : gradColor; }

  int frameWidth = 1;
  TColor innerColor = clBtnHighlight;
  TColor outerColor = clBtnShadow;
  bool gradEffect = false;
  TGradKind gradKind = gdRight;
  TColor gradColor = clBlack;
  TColor activeGradColor = clBlack;
  bool middleTransparent = false;
};

// A windowed button drawn as a frame over its face, plain, 3-D or rounded in
// a round window.
class TepTransparentBtn : public TepKeyButton {
public:
  explicit TepTransparentBtn(TComponent* AOwner);

  bool Frame() const { return frame; }
  void SetFrame(bool Value) { Store(frame, Value); }
  TColor FrameColor() const { return frameColor; }
  void SetFrameColor(TColor Value) { Store(frameColor, Value); }
  bool Frame3D() const { return frame3D; }
  void SetFrame3D(bool Value) { Store(frame3D, Value); }
  TColor FrameInnerColor() const { return frameInnerColor; }
  void SetFrameInnerColor(TColor Value) { Store(frameInnerColor, Value); }
  TColor FrameOuterColor() const { return frameOuterColor; }
  void SetFrameOuterColor(TColor Value) { Store(frameOuterColor, Value); }
  bool FrameRnd() const { return frameRnd; }
  void SetFrameRnd(bool Value);
  int Radius() const { return radius; }
  // Values outside 1..255 are ignored.
  void SetRadius(int Value);
  bool MiddleTransparent() const { return middleTransparent; }
  void SetMiddleTransparent(bool Value) { Store(middleTransparent, Value); }

  // A rounded button counts only its rounded shape, one pixel in.
  bool IsMouseIn(int X, int Y) override;

protected:
  void PaintFace() override;
  void PaintEffects() override;
  void Resize() override;

private:
  template <class T> void Store(T& Field, const T& Value) {
    Field = Value;
    Invalidate();
  }
  void UpdateRegion();
  void PaintFrame();
  void PaintFocus();

  bool frame = true;
  TColor frameColor = clBlack;
  bool frame3D = false;
  TColor frameInnerColor = clBtnHighlight;
  TColor frameOuterColor = clBtnShadow;
  bool frameRnd = false;
  int radius = 5;
  bool middleTransparent = false;
};

// In a namespace of the unit's own: the effect buttons have a TBtnKind of
// their own, and the media buttons kinds of the same names.
namespace Epbuttons {
enum class TBtnKind { bkRect, bkEllipse, bkRndRect };
}

// A flat face with a soft shadow that darkens what lies beneath.
class TepShadowBtn : public TButtonGTControl {
public:
  explicit TepShadowBtn(TComponent* AOwner);

  Epbuttons::TBtnKind BtnKind() const { return btnKind; }
  void SetBtnKind(Epbuttons::TBtnKind Value) { Store(btnKind, Value); }
  TColor BtnColor() const { return btnColor; }
  void SetBtnColor(TColor Value) { Store(btnColor, Value); }
  int Radius() const { return radius; }
  void SetRadius(int Value) { Store(radius, Value); }
  uint8_t ShadowOffset() const { return shadowOffset; }
  void SetShadowOffset(uint8_t Value) { Store(shadowOffset, Value); }
  bool BlurShadow() const { return blurShadow; }
  void SetBlurShadow(bool Value) { Store(blurShadow, Value); }

  // Only the face's shape counts.
  bool IsMouseIn(int X, int Y) override;

protected:
  void PaintFace() override;

private:
  template <class T> void Store(T& Field, const T& Value) {
    Field = Value;
    XPaint();
  }
  bool Pushed() const { return mouseIn && down; }
  void PaintShadow();
  TRect FaceRect(bool IsPushed) const;

  Epbuttons::TBtnKind btnKind = Epbuttons::TBtnKind::bkRect;
  TColor btnColor = clBlue;
  int radius = 10;
  uint8_t shadowOffset = 3;
  bool blurShadow = false;
};

WT_DECLARE_META(TepSpeedButton)
WT_DECLARE_META(TepLabelButton)
WT_DECLARE_META(TepEfButton)
WT_DECLARE_META(TepColorButton)
WT_DECLARE_META(TepShadowBtn)
WT_DECLARE_META(TepFocusButton)
WT_DECLARE_META(TepTransparentBtn)
