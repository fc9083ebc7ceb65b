#pragma once
// Windowless controls whose whole look comes from bitmaps stored with the
// form: a check box with a two-frame check glyph beside its caption, a radio
// button exclusive among its siblings, a two-glyph switch and a four-glyph
// button hit-tested on the opaque pixels of its glyph.
#include "platform/ui/Stdctrls.h"
#include "platform/ui/Timers.h"
#include "skin/Vclbase.h"

#include <cstdint>
#include <memory>

// Only taLeftJustify and taRightJustify.
using TLeftRight = TAlignment;

class TepBMPCheckBox : public TEffectGControl {
public:
  explicit TepBMPCheckBox(TComponent* AOwner);
  ~TepBMPCheckBox() override;

  // Two frames side by side: checked, then unchecked.
  TBitmap* CheckGlyph() const { return checkGlyph.get(); }
  // Copies Value's picture.
  void SetCheckGlyph(const TBitmap* Value);
  TLeftRight TextAlignment() const { return textAlignment; }
  // taLeftJustify: glyph left, caption flush right; taRightJustify: the
  // reverse. Other values are ignored.
  void SetAlignment(TLeftRight Value);
  TColor ActiveTextColor() const { return activeTextColor; }
  void SetActiveTextColor(TColor Value);
  bool EfCaption() const { return efCaption; }
  void SetEfCaption(bool Value);
  bool MouseIn() const { return mouseIn; }
  bool Checked() const { return checked; }
  // How the windows set the box: no event.
  void SetChecked(bool Value);
  // Not owned; forgotten when the player goes away.
  TepWavePlayer* ClickSound() const { return clickSound; }
  void SetClickSound(TepWavePlayer* Value);
  TepWavePlayer* ActiveSound() const { return activeSound; }
  void SetActiveSound(TepWavePlayer* Value);

  // Fired after each toggle by the mouse, never by SetChecked.
  TNotifyEvent OnClick;

protected:
  // Toggles and notifies.
  virtual void _Click();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PaintFace() override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  // Also the action's check state, and its image as the glyph when the box
  // has none.
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

  bool checked = false;

private:
  std::unique_ptr<TBitmap> checkGlyph;
  TLeftRight textAlignment = taLeftJustify;
  TColor activeTextColor = clBlack;
  bool efCaption = false;
  bool mouseIn = false;
  TepWavePlayer* clickSound = nullptr;
  TepWavePlayer* activeSound = nullptr;
};

// A check box that a click only sets, clearing every sibling radio button
// of the same GroupIndex.
class TepBMPRadioButton : public TepBMPCheckBox {
public:
  explicit TepBMPRadioButton(TComponent* AOwner);

  int32_t GroupIndex() const { return groupIndex; }
  void SetGroupIndex(int32_t Value) { groupIndex = Value; }

protected:
  void _Click() override;

private:
  int32_t groupIndex = -1;
};

enum TState { sOn = 0, sOff = 1 };

// Two glyphs; a left press on an opaque pixel of the shown one toggles.
class TepBMPSwitch : public TEffectGControl {
public:
  explicit TepBMPSwitch(TComponent* AOwner);
  ~TepBMPSwitch() override;

  TBitmap* OnGlyph() const { return onGlyph.get(); }
  void SetOnGlyph(const TBitmap* Value);
  TBitmap* OffGlyph() const { return offGlyph.get(); }
  void SetOffGlyph(const TBitmap* Value);
  // The bottom-left colour of the glyph drawn last.
  TColor TransparentColor() const { return transparentColor; }
  TState State() const { return state; }
  // Stores, repaints and fires the event of the new state.
  void SetState(TState Value);

  TNotifyEvent OnOn;
  TNotifyEvent OnOff;

protected:
  void PaintFace() override;
  void DrawSwitchGlyph();
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  std::unique_ptr<TBitmap> onGlyph;
  std::unique_ptr<TBitmap> offGlyph;
  TColor transparentColor = clBlack;
  TState state = sOn;
};

// Up, hover, pressed and disabled glyphs drawn at (0, 0); only the opaque
// pixels of the glyph shown count as the button.
class TepBMPButton : public TEffectGControl {
public:
  explicit TepBMPButton(TComponent* AOwner);
  ~TepBMPButton() override;

  TBitmap* DownGlyph() const { return downGlyph.get(); }
  void SetDownGlyph(const TBitmap* Value);
  TBitmap* UpGlyph() const { return upGlyph.get(); }
  void SetUpGlyph(const TBitmap* Value);
  TBitmap* ActiveGlyph() const { return activeGlyph.get(); }
  void SetActiveGlyph(const TBitmap* Value);
  TBitmap* UnEnGlyph() const { return unEnGlyph.get(); }
  void SetUnEnGlyph(const TBitmap* Value);
  TepWavePlayer* ClickSound() const { return clickSound; }
  void SetClickSound(TepWavePlayer* Value);
  TepWavePlayer* ActiveSound() const { return activeSound; }
  void SetActiveSound(TepWavePlayer* Value);

  bool MouseIn() const { return mouseIn; }
  bool Down() const { return down; }
  // What was drawn last: 0 disabled, 1 up, 2 hover, 3 pressed.
  uint8_t ShownKind() const { return shownKind; }
  int ShownWidth() const { return shownWidth; }
  int ShownHeight() const { return shownHeight; }
  TColor TransparentColor() const { return transparentColor; }
  // Exists from a move onto the button until its single tick.
  TTimer* HoverTimer() const { return hoverTimer; }

  TNotifyEvent OnClick;

protected:
  void DrawBtnGlyph(TCanvas* Canvas);
  void CreateTimer();
  void FreeTimer();
  // Clears the hover look of a pointer that left without a leave notice.
  void TimerExpired(TObject* Sender);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PaintFace() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseLeave(TMessage& Message) override;

private:
  void ShowGlyph(TCanvas* Canvas, TBitmap* Glyph, uint8_t Kind);
  // The glyph whose pixels decide the hit for the kind shown; null for none.
  TBitmap* HitGlyph() const;

  TTimer* hoverTimer = nullptr; // owned as its Owner
  std::unique_ptr<TBitmap> downGlyph;
  std::unique_ptr<TBitmap> upGlyph;
  std::unique_ptr<TBitmap> activeGlyph;
  std::unique_ptr<TBitmap> unEnGlyph;
  bool mouseIn = false;
  bool down = false;
  int shownWidth = 0;
  int shownHeight = 0;
  uint8_t shownKind = 0;
  TColor transparentColor = clBlack;
  TepWavePlayer* clickSound = nullptr;
  TepWavePlayer* activeSound = nullptr;
};

WT_DECLARE_META(TepBMPCheckBox)
WT_DECLARE_META(TepBMPRadioButton)
WT_DECLARE_META(TepBMPSwitch)
WT_DECLARE_META(TepBMPButton)
