#pragma once
// The bases nearly every skinned control derives from. Each repaint builds
// the control's image in a private bitmap one pixel wider and higher than the
// control, on its Color or on what lies beneath it, lets the concrete control
// draw its face and pixel effects there, and reaches the screen in one copy,
// so skinned windows never flicker. The button bases add hover, press, click,
// two sounds and glyph strips of up to four frames.
#include "platform/ui/Controls.h"
#include "platform/ui/Timers.h"
#include "skin/Effbmp.h"
#include "skin/Wavctrl.h"

#include <cstdint>
#include <memory>

enum TLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
using TNumGlyphs = uint8_t; // 1..4
using TMargin = int;        // -1 (centred) and up
using TSpacing = int;       // 0 and up

// Places a glyph and a caption in Rect: with Margin -1 the pair is centred
// as one block, otherwise the glyph lies Margin from its edge and the caption
// Spacing beyond it. Halvings truncate towards zero.
void CalcLCoord(TLayout Layout, const TRect& Rect, int GlyphWidth, int GlyphHeight, int TextWidth,
                int TextHeight, int Spacing, int Margin, int& TextX, int& TextY, int& GlyphX,
                int& GlyphY);

// A control being read from a stored layout tells no handler about the
// values it takes, whatever the order of the layout's lines: the handlers
// would act on a program that is still starting.
bool IsLoading(const TComponent* C);

// The painting scheme, over a windowless or a windowed control.
template <class TBase> class TEffectPainter : public TBase {
public:
  explicit TEffectPainter(TComponent* AOwner);

  bool Transparent() const { return transparent; }

protected:
  void Paint() override;
  // The concrete control draws its face into OffBmp's canvas here.
  virtual void PaintFace() {}
  // And its pixel effects on EfBmp here, when its face calls PaintEf.
  virtual void PaintEffects() {}
  // Runs PaintEffects on a buffer made from the off-screen bitmap and puts
  // the result back.
  void PaintEf();
  // The parent's colour, then the parent's image under the control.
  void PaintTransparent();
  void WMMove(TMessage& Message) override;

  // Alive only while Paint runs.
  TBitmap* OffBmp() const { return offBmp.get(); }
  // Alive only while PaintEf runs.
  TEffectBmp* EfBmp() const { return efBmp.get(); }

  bool transparent = false;

private:
  std::unique_ptr<TBitmap> offBmp;
  std::unique_ptr<TEffectBmp> efBmp;
};

extern template class TEffectPainter<TGraphicControl>;
extern template class TEffectPainter<TCustomControl>;

class TEffectGControl : public TEffectPainter<TGraphicControl> {
public:
  explicit TEffectGControl(TComponent* AOwner);

  // A transparent control is not opaque: its parent must be drawn first.
  void SetTransparent(bool Value);
  // Repaints without erasing what lies under the control.
  void XPaint();
};

class TEffectCControl : public TEffectPainter<TCustomControl> {
public:
  explicit TEffectCControl(TComponent* AOwner);

  void SetTransparent(bool Value);

protected:
  // The face covers every pixel: erasing first would only flicker.
  void WMEraseBkgnd(TMessage& Message) override;
};

// What the three button bases share: the glyph strip, the layout values,
// the sounds and the hover and press flags.
template <class TBase> class TButtonControl : public TBase {
public:
  explicit TButtonControl(TComponent* AOwner);
  ~TButtonControl() override;

  TBitmap* Glyph() const { return glyph.get(); }
  // Copies Value's picture.
  void SetGlyph(const TBitmap* Value);
  TNumGlyphs NumGlyphs() const { return numGlyphs; }
  // Values outside 1..4 are ignored: the frame width divides by it.
  void SetNumGlyphs(TNumGlyphs Value);
  TColor ActiveTextColor() const { return activeTextColor; }
  void SetActiveTextColor(TColor Value);
  TSpacing Spacing() const { return spacing; }
  // Negative values are ignored.
  void SetSpacing(TSpacing Value);
  TMargin Margin() const { return margin; }
  // Values below -1 are ignored.
  void SetMargin(TMargin Value);
  TLayout Layout() const { return layout; }
  void SetLayout(TLayout Value);
  // Not owned; forgotten when the player goes away.
  TepWavePlayer* ClickSound() const { return clickSound; }
  void SetClickSound(TepWavePlayer* Value);
  TepWavePlayer* ActiveSound() const { return activeSound; }
  void SetActiveSound(TepWavePlayer* Value);

  bool MouseIn() const { return mouseIn; }
  bool Down() const { return down; }
  // Column 0 and row 0 count as outside.
  virtual bool IsMouseIn(int X, int Y);

  // Fired only by the button's own release rule; the class library's
  // click of the control underneath never reaches it.
  TNotifyEvent OnClick;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CMTextChanged(TMessage& Message) override;

  // The frame of Glyph for the state, at the glyph position.
  void DrawButtonGlyph();
  // Graphic buttons repaint in place, windowed ones invalidate.
  void Redraw();
  // The release of the left button: a click only when still over the button.
  void LeftButtonUp(TShiftState Shift, int X, int Y);

  // Written by descendants through CalcLCoord.
  int TextX = 0;
  int TextY = 0;
  int GlyphX = 0;
  int GlyphY = 0;
  bool mouseIn = false;
  bool down = false;

private:
  std::unique_ptr<TBitmap> glyph;
  TNumGlyphs numGlyphs = 1;
  TColor activeTextColor = clBlack;
  TSpacing spacing = 0;
  TMargin margin = -1;
  TLayout layout = blGlyphLeft;
  TepWavePlayer* clickSound = nullptr;
  TepWavePlayer* activeSound = nullptr;
};

extern template class TButtonControl<TEffectGControl>;
extern template class TButtonControl<TEffectCControl>;

// Hover by the mouse enter and leave notifications.
template <class TBase> class THoverButton : public TButtonControl<TBase> {
public:
  using TButtonControl<TBase>::TButtonControl;

protected:
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

extern template class THoverButton<TEffectGControl>;
extern template class THoverButton<TEffectCControl>;

class TButtonGControl : public THoverButton<TEffectGControl> {
public:
  using THoverButton<TEffectGControl>::THoverButton;
};

// Hover by mouse moves: a pointer that leaves without a leave notification
// is caught by a one-shot check 300 ms after it came in.
class TButtonGTControl : public TButtonControl<TEffectGControl> {
public:
  explicit TButtonGTControl(TComponent* AOwner);
  ~TButtonGTControl() override;

  // Exists from a move into the button until its single tick.
  TTimer* CheckTimer() const { return checkTimer.get(); }

protected:
  void CMMouseLeave(TMessage& Message) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  void CheckTimerTick(TObject* Sender);

  std::unique_ptr<TTimer> checkTimer;
};

class TButtonCControl : public THoverButton<TEffectCControl> {
public:
  using THoverButton<TEffectCControl>::THoverButton;

protected:
  void CMEnabledChanged(TMessage& Message) override;
};

WT_DECLARE_META(TEffectGControl)
WT_DECLARE_META(TEffectCControl)
WT_DECLARE_META(TButtonGControl)
WT_DECLARE_META(TButtonGTControl)
WT_DECLARE_META(TButtonCControl)
