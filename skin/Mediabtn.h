#pragma once
// Windowed push buttons painted in one piece: a caption that glows under the
// mouse, buttons that show one of three bitmaps (given or generated: a
// blurred bevelled face, a shaded sphere, a shaded disc), and a bevelled
// button over a tiled wallpaper.
#include "platform/ui/Controls.h"
#include "skin/Medialib.h"
#include "skin/Wavctrl.h"

#include <cstdint>
#include <memory>

enum TBtnState : uint8_t { abNone, abPush, abUnPush };

// Press state, hover, a click and an entry sound, the modal result handed to
// the form, and Enter as a click: what every button here shares.
class TepPushControl : public TCustomControl {
public:
  explicit TepPushControl(TComponent* AOwner);
  ~TepPushControl() override;

  bool MouseIn() const { return mouseIn; }
  TBtnState PressState() const { return pressState; }
  int32_t ModalResult() const { return modalResult; }
  void SetModalResult(int32_t Value) { modalResult = Value; }
  TepWavePlayer* ClickSound() const { return clickSound; }
  void SetClickSound(TepWavePlayer* Value);
  TepWavePlayer* ActiveSound() const { return activeSound; }
  void SetActiveSound(TepWavePlayer* Value);

  virtual void Press(bool Down);
  virtual void Active(bool Inside);
  // Both edges count as inside.
  bool PointInComponent(int X, int Y) const;
  void Click() override;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void KeyPress(char& Key) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool Pushed() const { return pressState == abPush; }

private:
  bool mouseIn = false;
  TBtnState pressState = abNone;
  int32_t modalResult = 0;
  TepWavePlayer* clickSound = nullptr;
  TepWavePlayer* activeSound = nullptr;
};

// A face drawn into a buffer over the control's colour or the parent's image.
class TepCustomButton : public TepPushControl {
public:
  explicit TepCustomButton(TComponent* AOwner);
  ~TepCustomButton() override;

  bool Transparent() const { return transparent; }
  void SetTransparent(bool Value);

protected:
  void Paint() override;
  virtual void PaintFace() {}
  void CMTextChanged(TMessage& Message) override;
  void WMMove(TMessage& Message) override;
  // Alive only while Paint runs.
  TBitmap* Buffer() const { return buffer.get(); }

private:
  bool transparent = false;
  std::unique_ptr<TBitmap> buffer;
};

// A caption with a soft shadow at rest and a soft glow under the mouse.
class TepLightLabelButton : public TepCustomButton {
public:
  explicit TepLightLabelButton(TComponent* AOwner);

  TColor NormalColor() const { return normalColor; }
  void SetNormalColor(TColor Value) { Store(normalColor, Value); }
  TColor ShadowColor() const { return shadowColor; }
  void SetShadowColor(TColor Value) { Store(shadowColor, Value); }
  TColor ActiveColor() const { return activeColor; }
  void SetActiveColor(TColor Value) { Store(activeColor, Value); }

protected:
  void PaintFace() override;

private:
  void Store(TColor& Field, TColor Value);

  TColor normalColor = clBlack;
  TColor shadowColor = clBtnShadow;
  TColor activeColor = clYellow;
};

// Shows BmpNormal, BmpActive under the mouse or BmpDown while pressed.
class TepCustomBitmapButton : public TepPushControl {
public:
  explicit TepCustomBitmapButton(TComponent* AOwner);
  ~TepCustomBitmapButton() override;

  TBitmap* BmpActive() const { return bmpActive.get(); }
  void SetBmpActive(const TBitmap* Value) { Take(*bmpActive, Value); }
  TBitmap* BmpNormal() const { return bmpNormal.get(); }
  void SetBmpNormal(const TBitmap* Value) { Take(*bmpNormal, Value); }
  TBitmap* BmpDown() const { return bmpDown.get(); }
  void SetBmpDown(const TBitmap* Value) { Take(*bmpDown, Value); }
  bool Transparent() const { return transparent; }
  void SetTransparent(bool Value);
  TColor BackColor() const { return backColor; }
  void SetBackColor(TColor Value);

protected:
  void Paint() override;
  // Called by a paint that finds a bitmap empty.
  virtual void DrawBitmaps() {}

private:
  // Copies Value (nothing for none) and takes its size.
  void Take(TBitmap& Field, const TBitmap* Value);

  std::unique_ptr<TBitmap> bmpActive;
  std::unique_ptr<TBitmap> bmpNormal;
  std::unique_ptr<TBitmap> bmpDown;
  bool transparent = true;
  TColor backColor = clBtnFace;
};

class TepBitmapButton : public TepCustomBitmapButton {
public:
  using TepCustomBitmapButton::TepCustomBitmapButton;
};

// Makes its three bitmaps itself: when loading ends, when its size or its
// glyph changes, and at the first paint that finds one empty. Only the first
// two fit the control to them; a paint never resizes it.
class TepRealTimeButton : public TepCustomBitmapButton {
public:
  explicit TepRealTimeButton(TComponent* AOwner);

  // Normal, under the mouse and pressed; the control takes the normal one's size.
  void CreateBitmaps();

protected:
  // The face for a state; none here.
  virtual std::unique_ptr<TBitmap> CreateOneBitmap(TBtnState State, bool IsActive);
  void DrawBitmaps() override { MakeBitmaps(); }
  void Loaded() override;
  void Resize() override;
  // A glyph changed: the faces are made again for the present size.
  void GlyphChanged();

private:
  // The three faces, the control's size left as it is.
  void MakeBitmaps();

  bool making = false; // fitting the control to new faces resizes it
};

// In a namespace of the unit's own: the effect buttons' kinds share the
// names.
namespace Mediabtn {
enum TepKind { bkRect, bkRoundRect, bkEllipse };
}

// A bevelled face of the control's Color, softly blurred, with a caption.
class TepBlurButton : public TepRealTimeButton {
public:
  explicit TepBlurButton(TComponent* AOwner);

  TColor ActiveTextColor() const { return activeTextColor; }
  void SetActiveTextColor(TColor Value) { Store(activeTextColor, Value); }
  int BevelWidht() const { return bevelWidht; }
  void SetBevelWidht(int Value) { Store(bevelWidht, Value); }
  bool Blur() const { return blur; }
  void SetBlur(bool Value) { Store(blur, Value); }
  Mediabtn::TepKind Kind() const { return kind; }
  void SetKind(Mediabtn::TepKind Value) { Store(kind, Value); }
  TColor TextColor() const { return textColor; }
  void SetTextColor(TColor Value) { Store(textColor, Value); }

protected:
  std::unique_ptr<TBitmap> CreateOneBitmap(TBtnState State, bool IsActive) override;

private:
  template <class T> void Store(T& Field, const T& Value) {
    Field = Value;
    Invalidate();
  }
  void DrawFace(TCanvas* Canvas, TBtnState State);

  TColor activeTextColor = clHighlight;
  int bevelWidht = 2;
  bool blur = true;
  Mediabtn::TepKind kind = Mediabtn::bkRect;
  TColor textColor = clWindowText;
};

// A shaded sphere with a glyph, in a round window that stays square.
class TepSphereButton : public TepRealTimeButton {
public:
  explicit TepSphereButton(TComponent* AOwner);
  ~TepSphereButton() override;

  TColor ActiveColor() const { return activeColor; }
  void SetActiveColor(TColor Value);
  TBitmap* Glyph() const { return glyph.get(); }
  // Copies Value.
  void SetGlyph(const TBitmap* Value);
  void SetRegion();

protected:
  std::unique_ptr<TBitmap> CreateOneBitmap(TBtnState State, bool IsActive) override;
  void Resize() override;

private:
  TColor activeColor = clBlue;
  std::unique_ptr<TBitmap> glyph;
};

// A shaded disc with a glyph and the caption beside it.
class TepDiscButton : public TepRealTimeButton {
public:
  explicit TepDiscButton(TComponent* AOwner);
  ~TepDiscButton() override;

  TColor NormalColor() const { return normalColor; }
  void SetNormalColor(TColor Value) { Store(normalColor, Value); }
  TColor ShadowColor() const { return shadowColor; }
  void SetShadowColor(TColor Value) { Store(shadowColor, Value); }
  TColor ActiveColor() const { return activeColor; }
  void SetActiveColor(TColor Value) { Store(activeColor, Value); }
  TColor CircleColor() const { return circleColor; }
  void SetCircleColor(TColor Value) { Store(circleColor, Value); }
  TBitmap* Glyph() const { return glyph.get(); }
  // Copies Value.
  void SetGlyph(const TBitmap* Value);

protected:
  std::unique_ptr<TBitmap> CreateOneBitmap(TBtnState State, bool IsActive) override;

private:
  void Store(TColor& Field, TColor Value);
  std::unique_ptr<TBitmap> CreateDisc(TBtnState State);

  TColor normalColor = clBlack;
  TColor shadowColor = clBtnShadow;
  TColor activeColor = clYellow;
  TColor circleColor = clSilver;
  std::unique_ptr<TBitmap> glyph;
};

// A bevelled button over a tiled wallpaper with a two-layer caption.
class TepMediaButton : public TepPushControl {
public:
  explicit TepMediaButton(TComponent* AOwner);
  ~TepMediaButton() override;

  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value);
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value);
  TColor ActiveColor() const { return activeColor; }
  void SetActiveColor(TColor Value);
  int BevelWidth() const { return bevelWidth; }
  void SetBevelWidth(int Value);
  TepBitmap* Wallpaper() const { return wallpaper; }
  void SetWallpaper(TepBitmap* Value);

protected:
  void Paint() override;
  void CMTextChanged(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void PaintWallpaper(TCanvas* Canvas, TGraphic* Graphic);
  void PaintCaption(TCanvas* Canvas, int Offset, TColor Color);

  TColor innerColor = clBtnHighlight;
  TColor outerColor = clBtnShadow;
  TColor activeColor = clBlack;
  int bevelWidth = 2;
  TepBitmap* wallpaper = nullptr;
};

WT_DECLARE_META(TepCustomButton)
WT_DECLARE_META(TepLightLabelButton)
WT_DECLARE_META(TepCustomBitmapButton)
WT_DECLARE_META(TepBitmapButton)
WT_DECLARE_META(TepRealTimeButton)
WT_DECLARE_META(TepBlurButton)
WT_DECLARE_META(TepSphereButton)
WT_DECLARE_META(TepDiscButton)
WT_DECLARE_META(TepMediaButton)
