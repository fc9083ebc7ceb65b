#include "platform/ui/Dialogs.h"

#include "platform/gfx/Backend.h"
#include "platform/gfx/ScreenText.h"
#include "platform/rtl/Messages.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WindowImpl.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QPushButton>

namespace {

QColor QtColor(TColor c) {
  const COLORREF v = ColorToRGB(c);
  return QColor(GetRValue(v), GetGValue(v), GetBValue(v));
}

TColor FromQtColor(const QColor& c) {
  return static_cast<TColor>(RGB(c.red(), c.green(), c.blue()));
}

// The font chooser with a colour button among its own; a size outside the
// allowed range is refused and the dialog stays open.
class TFontChooser : public QFontDialog {
public:
  TFontChooser(const TFont* Font, int AMin, int AMax, bool Effects)
      : minSize(AMin), maxSize(AMax), colour(Font->Color()) {
    setOption(QFontDialog::DontUseNativeDialog);
    QFont initial(AnsiToQString(Font->Name()));
    initial.setPointSize(std::max(1, Font->Size()));
    initial.setBold(Font->Style().Contains(fsBold));
    initial.setItalic(Font->Style().Contains(fsItalic));
    initial.setUnderline(Font->Style().Contains(fsUnderline));
    initial.setStrikeOut(Font->Style().Contains(fsStrikeOut));
    setCurrentFont(initial);
    auto* buttons = findChild<QDialogButtonBox*>();
    if (!Effects || buttons == nullptr)
      return;
    QPushButton* pick = buttons->addButton("Colour...", QDialogButtonBox::ActionRole);
    pick->setAutoDefault(false);
    connect(pick, &QPushButton::clicked, this, [this] {
      const QColor chosen = QColorDialog::getColor(QtColor(colour), this);
      if (chosen.isValid())
        colour = FromQtColor(chosen);
    });
  }

  void accept() override {
    const int size = currentFont().pointSize();
    if ((minSize > 0 && size < minSize) || (maxSize > 0 && size > maxSize)) {
      const std::string text = FontSizeRangeMessage(minSize, maxSize);
      Application->MessageBox(text.c_str(), "Font", MB_OK | MB_ICONWARNING);
      return;
    }
    QFontDialog::accept();
  }

  void Take(TFont* Font) const {
    const QFont f = currentFont();
    Font->SetName(QStringToAnsi(f.family()));
    Font->SetSize(f.pointSize());
    TFontStyles style;
    if (f.bold())
      style << fsBold;
    if (f.italic())
      style << fsItalic;
    if (f.underline())
      style << fsUnderline;
    if (f.strikeOut())
      style << fsStrikeOut;
    Font->SetStyle(style);
    Font->SetColor(colour);
  }

private:
  int minSize, maxSize;
  TColor colour;
};

} // namespace

AnsiString FontSizeRangeMessage(int MinSize, int MaxSize) {
  if (MaxSize <= 0)
    return "Size must be at least " + std::to_string(MinSize) + " points.";
  return "Size must be between " + std::to_string(MinSize) + " and " + std::to_string(MaxSize) +
         " points.";
}

TFontDialog::TFontDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), font(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

bool TFontDialog::Execute() {
  GfxEnsureBackend();
  const bool limit = options.Contains(fdLimitSize);
  TFontChooser chooser(font.get(), limit ? minFontSize : 0, limit ? maxFontSize : 0,
                       options.Contains(fdEffects));
  DoShow();
  const bool confirmed = chooser.exec() == QDialog::Accepted;
  DoClose();
  if (confirmed)
    chooser.Take(font.get());
  return confirmed;
}

bool TColorDialog::Execute() {
  GfxEnsureBackend();
  QColorDialog chooser(QtColor(color));
  chooser.setOption(QColorDialog::DontUseNativeDialog);
  DoShow();
  const bool confirmed = chooser.exec() == QDialog::Accepted;
  DoClose();
  if (confirmed)
    color = FromQtColor(chooser.selectedColor());
  return confirmed;
}

WT_PUBLISH(TFontDialog, TComponent) {
  p.Object("Font", &TFontDialog::Font);
  p.Property("MinFontSize", &TFontDialog::MinFontSize, &TFontDialog::SetMinFontSize).Default(0);
  p.Property("MaxFontSize", &TFontDialog::MaxFontSize, &TFontDialog::SetMaxFontSize).Default(0);
  p.Property("Options", &TFontDialog::Options, &TFontDialog::SetOptions);
  p.Event("OnShow", &TFontDialog::OnShow);
  p.Event("OnClose", &TFontDialog::OnClose);
}

WT_PUBLISH(TColorDialog, TComponent) {
  p.Color("Color", &TColorDialog::Color, &TColorDialog::SetColor);
  p.Event("OnShow", &TColorDialog::OnShow);
  p.Event("OnClose", &TColorDialog::OnClose);
}

namespace {
[[maybe_unused]] const bool fontDialogIdents =
    RegisterEnum<TFontDialogOption>({{"fdAnsiOnly", fdAnsiOnly},
                                     {"fdTrueTypeOnly", fdTrueTypeOnly},
                                     {"fdEffects", fdEffects},
                                     {"fdFixedPitchOnly", fdFixedPitchOnly},
                                     {"fdForceFontExist", fdForceFontExist},
                                     {"fdNoFaceSel", fdNoFaceSel},
                                     {"fdNoOEMFonts", fdNoOEMFonts},
                                     {"fdNoSimulations", fdNoSimulations},
                                     {"fdNoSizeSel", fdNoSizeSel},
                                     {"fdNoStyleSel", fdNoStyleSel},
                                     {"fdNoVectorFonts", fdNoVectorFonts},
                                     {"fdShowHelp", fdShowHelp},
                                     {"fdWysiwyg", fdWysiwyg},
                                     {"fdLimitSize", fdLimitSize},
                                     {"fdScalableOnly", fdScalableOnly},
                                     {"fdApplyButton", fdApplyButton}});
}
