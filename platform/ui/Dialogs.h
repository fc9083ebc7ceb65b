#pragma once
// The common dialogs: choosing a font and choosing a colour. Both are modal;
// timers, posted messages and worker synchronisation go on while they are
// open.
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Sets.h"
#include "platform/ui/Classes.h"
#include "platform/ui/Typinfo.h"

#include <memory>

class TCommonDialog : public TComponent {
public:
  using TComponent::TComponent;
  // Runs the dialog; true when the user confirmed a choice.
  virtual bool Execute() = 0;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

protected:
  void DoShow() {
    if (OnShow)
      OnShow(this);
  }
  void DoClose() {
    if (OnClose)
      OnClose(this);
  }
};

enum TFontDialogOption {
  fdAnsiOnly,
  fdTrueTypeOnly,
  fdEffects,
  fdFixedPitchOnly,
  fdForceFontExist,
  fdNoFaceSel,
  fdNoOEMFonts,
  fdNoSimulations,
  fdNoSizeSel,
  fdNoStyleSel,
  fdNoVectorFonts,
  fdShowHelp,
  fdWysiwyg,
  fdLimitSize,
  fdScalableOnly,
  fdApplyButton
};
using TFontDialogOptions = TSet<TFontDialogOption>;

class TFontDialog : public TCommonDialog {
public:
  explicit TFontDialog(TComponent* AOwner);
  ~TFontDialog() override;

  // The font shown when the dialog opens and, once confirmed, the choice.
  TFont* Font() const { return font.get(); }
  void SetFont(const TFont* Value) { font->Assign(Value); }
  // In points; with fdLimitSize a size outside them is refused with a
  // message and the dialog stays open. 0: no bound.
  int MinFontSize() const { return minFontSize; }
  void SetMinFontSize(int Value) { minFontSize = Value; }
  int MaxFontSize() const { return maxFontSize; }
  void SetMaxFontSize(int Value) { maxFontSize = Value; }
  TFontDialogOptions Options() const { return options; }
  void SetOptions(TFontDialogOptions Value) { options = Value; }

  bool Execute() override;

private:
  std::unique_ptr<TFont> font;
  int minFontSize = 0;
  int maxFontSize = 0;
  TFontDialogOptions options{fdEffects};
};

class TColorDialog : public TCommonDialog {
public:
  using TCommonDialog::TCommonDialog;

  TColor Color() const { return color; }
  void SetColor(TColor Value) { color = Value; }

  bool Execute() override;

private:
  TColor color = clBlack;
};

// The text the font dialog refuses a size with.
AnsiString FontSizeRangeMessage(int MinSize, int MaxSize);

WT_DECLARE_META(TFontDialog)
WT_DECLARE_META(TColorDialog)
