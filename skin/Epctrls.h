#pragma once
// Panels that tile a shared wallpaper and draw their bevels in chosen
// colours, an invisible handle that drags its window, and small skinned
// controls painted straight onto their own canvas.
#include "platform/gfx/Graphics.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Typinfo.h"
#include "skin/Medialib.h"

#include <cstdint>
#include <memory>

// A windowed control with nothing of its own.
class THack : public TWinControl {
public:
  using TWinControl::TWinControl;
};

class TepImagePanel : public TPanel {
public:
  explicit TepImagePanel(TComponent* AOwner);
  ~TepImagePanel() override;

  TColor BevelInnerColor() const { return bevelInnerColor; }
  void SetBevelInnerColor(TColor Value);
  TColor BevelOuterColor() const { return bevelOuterColor; }
  void SetBevelOuterColor(TColor Value);
  // Not owned; forgotten when the component goes away.
  TepBitmap* Wallpaper() const { return wallpaper; }
  void SetWallpaper(TepBitmap* Value);

protected:
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The paint covers every pixel: erasing first would only flicker.
  void WMEraseBkgnd(TMessage& Message) override;

  // The wallpaper tiled in R from its corner, or R filled with Color.
  void PaintBackground(const TRect& R);
  // The outer bevel on R, then the inner one inside border and outer bevel;
  // gives the rectangle the inner bevel was drawn on.
  TRect PaintBevels(TRect R);
  // The caption in a line as high as a "W", centred in R.
  void PaintCaption(TRect R);
  // The bevel colours for a bevel kind: top and left first.
  bool BevelColors(TPanelBevel Kind, TColor& TopColor, TColor& BottomColor) const;

  TColor bevelInnerColor = clBtnHighlight;
  TColor bevelOuterColor = clBtnShadow;
  TepBitmap* wallpaper = nullptr;
};

// Dragging it with the left button drags the window that owns it.
class TepMoveForm : public TGraphicControl {
public:
  explicit TepMoveForm(TComponent* AOwner);

  bool Moving() const { return moving; }

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  bool moving = false;
  int StartX = 0;
  int StartY = 0;
};

enum TPanelKind { pkEllipse, pkRndRect };

// The image panel in an ellipse or a rounded rectangle.
class TepRndPanel : public TepImagePanel {
public:
  explicit TepRndPanel(TComponent* AOwner);

  TPanelKind PanelKind() const { return panelKind; }
  void SetPanelKind(TPanelKind Value);
  int Radius() const { return radius; }
  void SetRadius(int Value);

protected:
  void Paint() override;
  void BoundsChanged(int OldWidth, int OldHeight) override;
  // The bevels and the caption, over whatever background.
  void PaintRoundFace();

private:
  void MakeRegion();
  void PaintRndBevel(TPanelBevel Kind, const TRect& R, int Corner);

  TPanelKind panelKind = pkEllipse;
  int radius = 20;
};

// A round panel over a copy of what lies beneath it, tinted or speckled.
class TepEffectRndPanel : public TepRndPanel {
public:
  explicit TepEffectRndPanel(TComponent* AOwner);
  ~TepEffectRndPanel() override;

  bool MiddleTransparent() const { return middleTransparent; }
  void SetMiddleTransparent(bool Value);
  bool Noise() const { return noise; }
  void SetNoise(bool Value);
  // Takes a fresh copy of the parent's image and repaints.
  void InvalidatePanel();

protected:
  void Paint() override;
  void WMEraseBkgnd(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;

private:
  void BuildCache();

  bool middleTransparent = false;
  bool noise = false;
  std::unique_ptr<TBitmap> cache;
};

enum TShadowKind { skLeftTop, skRightTop, skLeftBottom, skRightBottom };

// The image panel with a drop shadow on two sides; children stay off it.
class TepShadowPanel : public TepImagePanel {
public:
  explicit TepShadowPanel(TComponent* AOwner);

  int ShadowWidth() const { return shadowWidth; }
  void SetShadowWidth(int Value);
  TShadowKind ShadowKind() const { return shadowKind; }
  void SetShadowKind(TShadowKind Value);
  // Where the panel itself is drawn; the rest is shadow.
  TRect BodyRect() const;

  void AlignControls(TControl* AControl, TRect& Rect) override;

protected:
  void Paint() override;

private:
  int shadowWidth = 4;
  TShadowKind shadowKind = skRightBottom;
};

// Dragged, it resizes the control it borders on its aligned side; a line
// inverted on the parent shows where the split will fall until the release.
class TepSplitter : public TGraphicControl {
public:
  explicit TepSplitter(TComponent* AOwner);
  ~TepSplitter() override;

  int MinSize() const { return minSize; }
  void SetMinSize(int Value);
  bool Beveled() const { return beveled; }
  void SetBeveled(bool Value);
  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value);
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value);
  TBitmap* SplitterGlyph() const { return splitterGlyph.get(); }
  // Copies Value's picture.
  void SetSplitterGlyph(const TBitmap* Value);
  bool UseGlyph() const { return useGlyph; }
  void SetUseGlyph(bool Value);
  bool Sizing() const { return sizing; }

  TNotifyEvent OnMoved;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  bool Horizontal() const { return Align() == alTop || Align() == alBottom; }
  // The control beyond the aligned side, or null.
  TControl* FindNeighbour() const;
  int LargestSize(TControl* Neighbour) const;
  void DrawLine();
  void StopSizing();
  void ActiveKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);

  int minSize = 30;
  bool beveled = true;
  TColor innerColor = clBtnHighlight;
  TColor outerColor = clBtnShadow;
  std::unique_ptr<TBitmap> splitterGlyph;
  bool useGlyph = false;

  bool sizing = false;
  TControl* neighbour = nullptr;
  TPoint downPos;
  int startSize = 0;
  int newSize = 0;
  int maxSize = 0;
  HDC lineDC = nullptr;
  bool lineVisible = false;
  TWinControl* activeControl = nullptr;
  TKeyEvent oldKeyDown;
};

enum TepBevelStyle { bsLowered, bsRaised };
enum TepBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine };

class TepBevel : public TGraphicControl {
public:
  explicit TepBevel(TComponent* AOwner);

  TepBevelStyle Style() const { return style; }
  void SetStyle(TepBevelStyle Value);
  TepBevelShape Shape() const { return shape; }
  void SetShape(TepBevelShape Value);
  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value);
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value);

protected:
  void Paint() override;

private:
  void HLine(int Y, TColor Color);
  void VLine(int X, TColor Color);

  TepBevelStyle style = bsLowered;
  TepBevelShape shape = bsBox;
  TColor innerColor = clBtnHighlight;
  TColor outerColor = clBtnShadow;
};

class TepImage : public TGraphicControl {
public:
  explicit TepImage(TComponent* AOwner);
  ~TepImage() override;

  TBitmap* Glyph() const { return glyph.get(); }
  // Copies Value's picture.
  void SetGlyph(const TBitmap* Value);
  bool Stretch() const { return stretch; }
  void SetStretch(bool Value);
  bool WallStyle() const { return wallStyle; }
  void SetWallStyle(bool Value);
  bool GlyphTransparent() const { return glyphTransparent; }
  void SetGlyphTransparent(bool Value);

protected:
  void Paint() override;

private:
  std::unique_ptr<TBitmap> glyph;
  bool stretch = false;
  bool wallStyle = false;
  bool glyphTransparent = false;
};

using TSmType = uint8_t; // 1..100

// A vertical fader: the round knob follows the pointer on a timer while the
// left button holds it.
class TepRegulator : public TCustomControl {
public:
  explicit TepRegulator(TComponent* AOwner);
  ~TepRegulator() override;

  int MinValue() const { return minValue; }
  void SetMinValue(int Value);
  int MaxValue() const { return maxValue; }
  void SetMaxValue(int Value);
  int Value() const { return value; }
  // Clamped to the range; OnChange when it changed.
  void SetValue(int Value);
  unsigned TimeInt() const { return timeInt; }
  void SetTimeInt(unsigned Value);
  TColor BtnColor() const { return btnColor; }
  void SetBtnColor(TColor Value);
  TSmType FrameWidth() const { return frameWidth; }
  // Values outside 1..100 are ignored.
  void SetFrameWidth(TSmType Value);
  // The knob's centre row.
  int KnobY() const { return knobY; }
  bool Tracking() const { return tracking; }

  TNotifyEvent OnChange;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WMTimer(TMessage& Message) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;

private:
  int Radius() const { return Width() / 2; }
  // The knob's travel: from Height - r at MinValue up to r at MaxValue.
  int Travel() const { return Height() - 2 * Radius(); }
  void PlaceKnob();
  void StopTracking();

  int minValue = 0;
  int maxValue = 100;
  int value = 0;
  unsigned timeInt = 100;
  TColor btnColor = clBtnFace;
  TSmType frameWidth = 1;
  int knobY = 0;
  bool tracking = false;
  int lastY = 0; // the pointer's screen row at the last tick
};

// In a namespace of the unit's own: the bitmap switch has a TState of its own
// with other values.
namespace Epctrls {
enum TState { sOff, sOn };
}

// A two-position rocker shaped as a pill one and a half times as high as
// it is wide.
class TepSwitch : public TCustomControl {
public:
  explicit TepSwitch(TComponent* AOwner);

  Epctrls::TState State() const { return state; }
  // Fires OnOn or OnOff for the new state, changed or not.
  void SetState(Epctrls::TState Value);
  TColor OnBtnColor() const { return onBtnColor; }
  void SetOnBtnColor(TColor Value);
  TColor OffBtnColor() const { return offBtnColor; }
  void SetOffBtnColor(TColor Value);
  TSmType FrameWidth() const { return frameWidth; }
  // Values outside 1..100 are ignored.
  void SetFrameWidth(TSmType Value);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TNotifyEvent OnOn;
  TNotifyEvent OnOff;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  void Fire();

  Epctrls::TState state = Epctrls::sOff;
  TColor onBtnColor = clLime;
  TColor offBtnColor = clBtnFace;
  TSmType frameWidth = 1;
};

WT_DECLARE_META(THack)
WT_DECLARE_META(TepImagePanel)
WT_DECLARE_META(TepMoveForm)
WT_DECLARE_META(TepRndPanel)
WT_DECLARE_META(TepEffectRndPanel)
WT_DECLARE_META(TepShadowPanel)
WT_DECLARE_META(TepBevel)
WT_DECLARE_META(TepSplitter)
WT_DECLARE_META(TepImage)
WT_DECLARE_META(TepRegulator)
WT_DECLARE_META(TepSwitch)
