#pragma once
// Push buttons drawn by the effect control bases: a caption with a glow under
// the mouse, and a bevelled button whose face is softly blurred.
#include "skin/Vclbase.h"

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

WT_DECLARE_META(TepLabelButton)
WT_DECLARE_META(TepEfButton)
