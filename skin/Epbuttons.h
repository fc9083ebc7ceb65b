#pragma once
// Push buttons drawn by the effect control bases: a caption with a glow under
// the mouse, and a bevelled button whose face is softly blurred.
#include "skin/Vclbase.h"

#include <cstdint>

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

// Scoped: the media buttons have kinds of the same names.
enum class TBtnKind { bkRect, bkEllipse, bkRndRect };

// A flat face with a soft shadow that darkens what lies beneath.
class TepShadowBtn : public TButtonGTControl {
public:
  explicit TepShadowBtn(TComponent* AOwner);

  TBtnKind BtnKind() const { return btnKind; }
  void SetBtnKind(TBtnKind Value) { Store(btnKind, Value); }
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

  TBtnKind btnKind = TBtnKind::bkRect;
  TColor btnColor = clBlue;
  int radius = 10;
  uint8_t shadowOffset = 3;
  bool blurShadow = false;
};

WT_DECLARE_META(TepLabelButton)
WT_DECLARE_META(TepEfButton)
WT_DECLARE_META(TepShadowBtn)
