#pragma once
// Windowless labels that draw their text with small effects over the image
// the effect base prepares: embossed and tinted, word-wrapped, with a drop
// shadow that darkens what lies beneath, cut out of a wallpaper, or bent by
// a sine wave.
#include "platform/rtl/Stringlist.h"
#include "platform/ui/Stdctrls.h"
#include "skin/Vclbase.h"

#include <memory>

// What every label shares: a repaint for each change, the caption included.
class TepLabelBase : public TEffectGControl {
public:
  using TEffectGControl::TEffectGControl;

protected:
  void CMTextChanged(TMessage& Message) override;
  // Stores Value and repaints.
  template <class T> void Store(T& Field, const T& Value) {
    Field = Value;
    XPaint();
  }
};

// One line, embossed, optionally tinted or shaded with a gradient.
class TepCustomLabel : public TepLabelBase {
public:
  explicit TepCustomLabel(TComponent* AOwner);

  bool MiddleTransparent() const { return middleTransparent; }
  void SetMiddleTransparent(bool Value) { Store(middleTransparent, Value); }
  bool UseInnerColor() const { return useInnerColor; }
  void SetUseInnerColor(bool Value) { Store(useInnerColor, Value); }
  bool UseOuterColor() const { return useOuterColor; }
  void SetUseOuterColor(bool Value) { Store(useOuterColor, Value); }
  TAlignment Alignment() const { return alignment; }
  void SetAlignment(TAlignment Value) { Store(alignment, Value); }
  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value) { Store(innerColor, Value); }
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value) { Store(outerColor, Value); }
  bool Text3D() const { return text3D; }
  void SetText3D(bool Value) { Store(text3D, Value); }
  bool GradEffect() const { return gradEffect; }
  void SetGradEffect(bool Value) { Store(gradEffect, Value); }
  TGradKind GradKind() const { return gradKind; }
  void SetGradKind(TGradKind Value) { Store(gradKind, Value); }
  TColor GradColor() const { return gradColor; }
  void SetGradColor(TColor Value) { Store(gradColor, Value); }

protected:
  void PaintFace() override;
  void PaintEffects() override;

private:
  // The parent's image through a half-strength gradient.
  void PaintMiddleGradient();
  void DoDrawText();

  bool middleTransparent = false;
  bool useInnerColor = true;
  bool useOuterColor = true;
  TAlignment alignment = taLeftJustify;
  TColor innerColor = clLime;
  TColor outerColor = clLime;
  bool text3D = true;
  bool gradEffect = false;
  TGradKind gradKind = gdRight;
  TColor gradColor = clBlack;
};

class TepLabel : public TepCustomLabel {
public:
  using TepCustomLabel::TepCustomLabel;
};

// Word-wrapped lines, top-aligned.
class TepTextLabel : public TepLabelBase {
public:
  explicit TepTextLabel(TComponent* AOwner);
  ~TepTextLabel() override;

  TStringList* Lines() const { return lines.get(); }
  // Copies Value's lines.
  void SetLines(const TStrings* Value);
  TAlignment Alignment() const { return alignment; }
  void SetAlignment(TAlignment Value) { Store(alignment, Value); }
  TColor TextInnerColor() const { return textInnerColor; }
  void SetTextInnerColor(TColor Value) { Store(textInnerColor, Value); }
  TColor TextOuterColor() const { return textOuterColor; }
  void SetTextOuterColor(TColor Value) { Store(textOuterColor, Value); }
  bool Text3D() const { return text3D; }
  void SetText3D(bool Value) { Store(text3D, Value); }
  bool MiddleTransparent() const { return middleTransparent; }
  void SetMiddleTransparent(bool Value) { Store(middleTransparent, Value); }

protected:
  void PaintFace() override;
  void PaintEffects() override;

private:
  std::unique_ptr<TStringList> lines;
  TAlignment alignment = taLeftJustify;
  TColor textInnerColor = clBlack;
  TColor textOuterColor = clBlack;
  bool text3D = false;
  bool middleTransparent = false;
};

// One line over a shadow that halves the brightness of what lies beneath.
class TepShadowLabel : public TepLabelBase {
public:
  explicit TepShadowLabel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment; }
  void SetAlignment(TAlignment Value) { Store(alignment, Value); }
  uint8_t ShadowOffset() const { return shadowOffset; }
  void SetShadowOffset(uint8_t Value) { Store(shadowOffset, Value); }
  bool BlurShadow() const { return blurShadow; }
  void SetBlurShadow(bool Value) { Store(blurShadow, Value); }

protected:
  void PaintFace() override;

private:
  TAlignment alignment = taLeftJustify;
  uint8_t shadowOffset = 0;
  bool blurShadow = false;
};

// Letters cut out of a tiled wallpaper; the cut-out is kept until the
// caption, the font, the wallpaper or the key colour changes.
class TepBitLabel : public TepLabelBase {
public:
  explicit TepBitLabel(TComponent* AOwner);
  ~TepBitLabel() override;

  TAlignment Alignment() const { return alignment; }
  void SetAlignment(TAlignment Value) { Store(alignment, Value); }
  TBitmap* Wallpaper() const { return wallpaper.get(); }
  // Copies Value's picture.
  void SetWallpaper(const TBitmap* Value);
  TColor TransparentColor() const { return transparentColor; }
  void SetTransparentColor(TColor Value);
  bool Text3D() const { return text3D; }
  void Set3DText(bool Value) { Store(text3D, Value); }
  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value) { Store(innerColor, Value); }
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value) { Store(outerColor, Value); }
  bool UseInnerColor() const { return useInnerColor; }
  void SetUseInnerColor(bool Value) { Store(useInnerColor, Value); }
  bool UseOuterColor() const { return useOuterColor; }
  void SetUseOuterColor(bool Value) { Store(useOuterColor, Value); }

  // The cut-out letters as last built.
  TBitmap* TextImage() const { return textImage.get(); }
  bool Dirty() const { return dirty; }

protected:
  void PaintFace() override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;

private:
  void MakeDirty();
  void BuildTextImage();

  TAlignment alignment = taLeftJustify;
  std::unique_ptr<TBitmap> wallpaper;
  bool dirty = true;
  std::unique_ptr<TBitmap> textImage;
  TColor transparentColor = clWhite;
  bool text3D = false;
  TColor innerColor = clBtnHighlight;
  TColor outerColor = clBtnShadow;
  bool useInnerColor = true;
  bool useOuterColor = true;
};

// One line bent by a sine wave.
class TepWaveLabel : public TepLabelBase {
public:
  explicit TepWaveLabel(TComponent* AOwner);

  int32_t TextX() const { return textX; }
  void SetTextX(int32_t Value) { Store(textX, Value); }
  int32_t TextY() const { return textY; }
  void SetTextY(int32_t Value) { Store(textY, Value); }
  int32_t XDiv() const { return xDiv; }
  void SetXDiv(int32_t Value) { Store(xDiv, Value); }
  int32_t YDiv() const { return yDiv; }
  void SetYDiv(int32_t Value) { Store(yDiv, Value); }
  int32_t RatioVal() const { return ratioVal; }
  void SetRatioVal(int32_t Value) { Store(ratioVal, Value); }
  bool UseInnerColor() const { return useInnerColor; }
  void SetUseInnerColor(bool Value) { Store(useInnerColor, Value); }
  bool UseOuterColor() const { return useOuterColor; }
  void SetUseOuterColor(bool Value) { Store(useOuterColor, Value); }
  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value) { Store(innerColor, Value); }
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value) { Store(outerColor, Value); }

protected:
  void PaintFace() override;

private:
  int32_t textX = 1;
  int32_t textY = 1;
  int32_t xDiv = 0;
  int32_t yDiv = 0;
  int32_t ratioVal = 0;
  bool useInnerColor = false;
  bool useOuterColor = false;
  TColor innerColor = clBlack;
  TColor outerColor = clBlack;
};

WT_DECLARE_META(TepLabel)
WT_DECLARE_META(TepTextLabel)
WT_DECLARE_META(TepShadowLabel)
WT_DECLARE_META(TepBitLabel)
WT_DECLARE_META(TepWaveLabel)
