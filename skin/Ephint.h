#pragma once
// Skinned tooltips: a component on the main form decides how every tooltip
// of the program looks, and the application's hint window draws them so.
// When and how long tooltips show stays with the application.
#include "platform/gfx/Graphics.h"
#include "platform/ui/Classes.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Typinfo.h"
#include "skin/Medialib.h"

#include <cstdint>
#include <memory>

class TepHint : public TComponent {
public:
  // Installs the skinned hint window as the application's and routes the
  // application's show-hint event through this component.
  explicit TepHint(TComponent* AOwner);
  ~TepHint() override;

  TepBitmap* WallPaper() const { return wallPaper; }
  void SetWallPaper(TepBitmap* Value);
  bool MergeEffect() const { return mergeEffect; }
  void SetMergeEffect(bool Value) { mergeEffect = Value; }
  TBitmap* Glyph() const { return glyph.get(); }
  void SetGlyph(const TBitmap* Value) { glyph->Assign(Value); }
  uint8_t MergeWidth() const { return mergeWidth; }
  void SetMergeWidth(uint8_t Value) { mergeWidth = Value; }
  bool Frame() const { return frame; }
  void SetFrame(bool Value) { frame = Value; }
  TColor FrameInnerColor() const { return frameInnerColor; }
  void SetFrameInnerColor(TColor Value) { frameInnerColor = Value; }
  TColor FrameOuterColor() const { return frameOuterColor; }
  void SetFrameOuterColor(TColor Value) { frameOuterColor = Value; }
  TFont* Font() const { return font.get(); }
  void SetFont(const TFont* Value) { font->Assign(Value); }
  TColor Color() const { return color; }
  void SetColor(TColor Value) { color = Value; }
  bool Active() const { return active; }
  // At most one component styles the tooltips: activating this one
  // deactivates the others on the main form.
  void SetActive(bool Value);

  TShowHintEvent OnShowHint;
  // The application's show-hint event lands here and goes on to OnShowHint.
  void SelfOnShowHint(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo);

  // The text's size drawn with Canvas's font, line breaks kept, no wrap.
  void CalcTextSize(TCanvas* Canvas, const AnsiString& Text, int& Width, int& Height) const;
  // The tooltip's size: the text, the glyph and the fading strip.
  void CalcHintSize(TCanvas* Canvas, const AnsiString& Text, int& Width, int& Height) const;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void RouteShowHint();

  TepBitmap* wallPaper = nullptr;
  bool mergeEffect = false;
  std::unique_ptr<TBitmap> glyph;
  uint8_t mergeWidth = 50;
  bool frame = false;
  TColor frameInnerColor = 0;
  TColor frameOuterColor = 0;
  std::unique_ptr<TFont> font;
  TColor color = 0;
  bool active = false;
};

// The active TepHint among the main form's components; null without one.
TepHint* FindHintComponent();

class TepHintWindow : public THintWindow {
public:
  explicit TepHintWindow(TComponent* AOwner);
  // Not shown at all without an active TepHint.
  void ActivateHint(const TRect& Rect, const AnsiString& AHint) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void WMEraseBkgnd(TMessage& Message) override;

private:
  // Fills Image, which holds the screen behind the window, with the
  // background fading into that screen over the rightmost MergeWidth pixels.
  void MergeBackground(TepHint* Hint, TBitmap* Image) const;

  // The screen under the tooltip, taken once before it shows: a repaint
  // would otherwise find the tooltip itself there and fade it into itself.
  std::unique_ptr<TBitmap> screenBehind;
};

WT_DECLARE_META(TepHint)
WT_DECLARE_META(TepHintWindow)
