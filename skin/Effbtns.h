#pragma once
// Caption-and-glyph buttons drawn by code: a bevel in two shades of the
// button's Color, an optional soft shadow under the caption, a light blur
// over the frame and optional colour noise, then the sharp caption and the
// glyph. Two are windowless rectangles, two are small windows cut to an
// ellipse or a rounded rectangle; the Tr ones tint what lies beneath them.
#include "skin/Vclbase.h"

#include <cstdint>

enum TBtnKind { bkEllipse, bkRndRect };
using TSmType = uint8_t; // 0..100

// What the four faces share: the shades, the caption and glyph placement,
// the shadow, the effect pass, the caption and the glyph.
template <class TBase> class TEffectButton : public TBase {
public:
  explicit TEffectButton(TComponent* AOwner) : TBase(AOwner) {}

  bool Noise() const { return noise; }
  void SetNoise(bool Value);
  TSmType FrameWidth() const { return frameWidth; }
  void SetFrameWidth(TSmType Value);

protected:
  void PaintFace() override;
  void PaintEffects() override;
  // The bevel, First on the top and left, Second on the bottom and right.
  virtual void DrawFrame(TCanvas* Canvas, TColor First, TColor Second) = 0;
  // The caption's shadow distance; 0 draws none.
  virtual int ShadowDistance() const { return 0; }
  // Tinted buttons mix Color into the parent's image they show.
  virtual bool Tinted() const { return false; }
  // Windowless buttons repaint in place, windowed ones at once.
  void Refresh();
  bool Pressed() const { return this->mouseIn && this->down; }
  // Caption and glyph positions, one pixel right and down when pressed.
  void SetLayoutCoord();

  bool noise = false;
  TSmType frameWidth = 2;
};

extern template class TEffectButton<TButtonGControl>;
extern template class TEffectButton<TButtonCControl>;

class TepEfBtn : public TEffectButton<TButtonGControl> {
public:
  explicit TepEfBtn(TComponent* AOwner);

  TSmType ShadowOffset() const { return shadowOffset; }
  void SetShadowOffset(TSmType Value);

protected:
  void DrawFrame(TCanvas* Canvas, TColor First, TColor Second) override;
  int ShadowDistance() const override { return shadowOffset; }

private:
  TSmType shadowOffset = 2;
};

class TepEfTrBtn : public TEffectButton<TButtonGControl> {
public:
  explicit TepEfTrBtn(TComponent* AOwner);

protected:
  void DrawFrame(TCanvas* Canvas, TColor First, TColor Second) override;
  bool Tinted() const override { return Transparent(); }
};

// The round pair: the window is cut to the button's shape, and only a
// press inside the shape counts.
class TRoundEffectButton : public TEffectButton<TButtonCControl> {
public:
  TRoundEffectButton(TComponent* AOwner, TSmType AFrameWidth, int ARadius);

  int Radius() const { return radius; }
  void SetRadius(int Value);
  TBtnKind BtnKind() const { return btnKind; }
  void SetBtnKind(TBtnKind Value);
  // The region in force; the window owns it.
  HRGN Region() const { return region; }
  bool IsMouseIn(int X, int Y) override;

protected:
  void DrawFrame(TCanvas* Canvas, TColor First, TColor Second) override;
  void WMSize(TMessage& Message) override;
  void CreateR();

private:
  HRGN region = nullptr;
  int radius;
  TBtnKind btnKind = bkEllipse;
};

class TepEfRndBtn : public TRoundEffectButton {
public:
  explicit TepEfRndBtn(TComponent* AOwner);

  TSmType ShadowOffset() const { return shadowOffset; }
  void SetShadowOffset(TSmType Value);

protected:
  int ShadowDistance() const override { return shadowOffset; }

private:
  TSmType shadowOffset = 2;
};

class TepEfTrRndBtn : public TRoundEffectButton {
public:
  explicit TepEfTrRndBtn(TComponent* AOwner);

protected:
  void DrawFrame(TCanvas* Canvas, TColor First, TColor Second) override;
  bool Tinted() const override { return Transparent(); }
};

WT_DECLARE_META(TepEfBtn)
WT_DECLARE_META(TepEfTrBtn)
WT_DECLARE_META(TepEfRndBtn)
WT_DECLARE_META(TepEfTrRndBtn)
