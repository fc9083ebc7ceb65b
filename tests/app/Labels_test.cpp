// Every label of the main and the full-mode window, in each language: its text
// fits inside it and keeps a gap to the text of any label beside it on the
// same line. The wizard's texts wrap in their skinned labels; its pages are
// photographed in both languages by the tests under an X server.
#include "app/Umain.h"
#include "app/Usmallview.h"
#include "app/Usmallviewhost.h"
#include "app/Uwizard.h"
#include "app/Uwizardhost.h"
#include "engine/Chttpthread.h"
#include "platform/ui/Stdctrls.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// At 4 pixels two legends of the statistics read as one.
constexpr int Gap = 8;

// Where a label's single line of text lies, in its parent's coordinates.
struct TTextSpan {
  TLabel* Label;
  int Left, Right, Top, Bottom;
};

TTextSpan SpanOf(TLabel* label) {
  TBitmap measure;
  measure.Canvas()->Font()->Assign(label->Font());
  const int width = measure.Canvas()->TextWidth(label->Caption());
  int left = label->Left();
  if (label->Alignment() == taRightJustify)
    left += label->Width() - width;
  else if (label->Alignment() == taCenter)
    left += (label->Width() - width) / 2;
  return {label, left, left + width, label->Top(), label->Top() + label->Height()};
}

// The shown one-line labels of a form, with their text.
std::vector<TTextSpan> Spans(TForm* form) {
  std::vector<TTextSpan> spans;
  for (int i = 0; i < form->ComponentCount(); ++i) {
    auto* label = dynamic_cast<TLabel*>(form->Components(i));
    if (label != nullptr && label->Visible() && !label->WordWrap() && !label->Caption().empty())
      spans.push_back(SpanOf(label));
  }
  return spans;
}

void ExpectLabelsFit(TForm* form, const std::string& language) {
  const std::vector<TTextSpan> spans = Spans(form);
  EXPECT_FALSE(spans.empty()) << form->Name();
  for (const TTextSpan& s : spans) {
    if (!s.Label->AutoSize()) {
      EXPECT_LE(s.Right - s.Left, s.Label->Width())
          << language << " " << s.Label->Name() << ": '" << s.Label->Caption() << "'";
    }
    for (const TTextSpan& t : spans) {
      if (&s == &t || s.Label->Parent() != t.Label->Parent() || s.Left > t.Left ||
          s.Bottom <= t.Top || t.Bottom <= s.Top)
        continue;
      EXPECT_GE(t.Left - s.Right, Gap)
          << language << " " << s.Label->Name() << " '" << s.Label->Caption() << "' and "
          << t.Label->Name() << " '" << t.Label->Caption() << "'";
    }
  }
}

TEST(Labels, FitTheirTextInBothGridWindowsAndLanguages) {
  Application->Initialize();
  TTempDir dir;
  auto* main = new TfrmMain(nullptr, dir.File("welkatidor"), [] { return uint64_t{10'000'000}; });
  main->tmrRequester->SetEnabled(false);
  main->bipPlayer->SetEnabled(false);
  frmMain = main;
  frmSmallView = new TfrmSmallView(nullptr);
  ConnectSmallViewToMain(frmSmallView);
  auto* wizard = new TfrmWizard(nullptr);
  ConnectWizardToMain(wizard, main);
  wizard->ApplyLanguage(main->Settings());
  wizard->ibtnOptionsClick(nullptr);
  const struct {
    int Index;
    const char* Name;
  } languages[] = {{1, "French"}, {0, "English"}};
  for (const auto& l : languages) {
    wizard->cbxLanguage->SetItemIndex(l.Index);
    wizard->cbxLanguageClickCheck(nullptr);
    main->UpdateSourceCounters();
    main->RefreshNewsGrid();
    ExpectLabelsFit(main, l.Name);
    ExpectLabelsFit(frmSmallView, l.Name);
  }
  delete wizard;
  delete frmSmallView;
  frmSmallView = nullptr;
  delete main;
  frmMain = nullptr;
  StopAllTransactions();
  Pump();
}

} // namespace
