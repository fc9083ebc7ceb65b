#pragma once
// The image button of the skinned windows: at rest it shows UpGlyph, under
// the pointer it cross-fades towards ActiveGlyph in steps of a tenth, one a
// timer tick, and fades back when the pointer leaves; DownGlyph shows while
// it is pressed.
#include "platform/ui/Timers.h"
#include "skin/Vclbase.h"
#include "skin/Wavctrl.h"

#include <memory>

class TepMorphButton : public TEffectGControl {
public:
  explicit TepMorphButton(TComponent* AOwner);
  ~TepMorphButton() override;

  TBitmap* UpGlyph() const { return upGlyph.get(); }
  TBitmap* DownGlyph() const { return downGlyph.get(); }
  TBitmap* ActiveGlyph() const { return activeGlyph.get(); }
  // Each copies Value's picture.
  void SetUpGlyph(const TBitmap* Value);
  void SetDownGlyph(const TBitmap* Value);
  void SetActiveGlyph(const TBitmap* Value);
  bool GlyphsTransparent() const { return glyphsTransparent; }
  void SetGlyphsTransparent(bool Value);
  unsigned GetInterval() const { return fadeTimer->Interval(); }
  void SetInterval(unsigned Value) { fadeTimer->SetInterval(Value); }
  // Not owned; forgotten when the player goes away.
  TepWavePlayer* ClickSound() const { return clickSound; }
  void SetClickSound(TepWavePlayer* Value);
  TepWavePlayer* ActiveSound() const { return activeSound; }
  void SetActiveSound(TepWavePlayer* Value);

  // 0 shows UpGlyph, 1 ActiveGlyph.
  double MorphFactor() const { return morphTenths / double(kWhole); }
  const TTimer* FadeTimer() const { return fadeTimer.get(); }
  bool MouseIn() const { return mouseIn; }
  bool Pressed() const { return pressed; }

  // The fade timer's two handlers: a step towards the active image, and
  // one back towards the up image.
  void IncMorphkf(TObject* Sender);
  void DecMorphkf(TObject* Sender);

  // Fired by a release while the pointer is over the button.
  TNotifyEvent OnClick;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PaintFace() override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  void StartFade(void (TepMorphButton::*Step)(TObject*));
  void ShowPressedImage();

  // The factor is counted in whole tenths: ten steps of 0.1 in doubles fall
  // short of 1 and would cost a fade one tick more.
  static constexpr int kWhole = 10;
  int morphTenths = 0;
  std::unique_ptr<TTimer> fadeTimer;
  std::unique_ptr<TBitmap> downGlyph;
  std::unique_ptr<TBitmap> upGlyph;
  std::unique_ptr<TBitmap> activeGlyph;
  bool mouseIn = false;
  bool pressed = false;
  TepWavePlayer* clickSound = nullptr;
  TepWavePlayer* activeSound = nullptr;
  bool glyphsTransparent = false;
};

WT_DECLARE_META(TepMorphButton)
