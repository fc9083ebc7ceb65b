#include "app/Uwizardhost.h"

#include "app/Umain.h"
#include "app/Usmallview.h"

#include <memory>

namespace {

std::unique_ptr<TMainWizardHost> mainHost;

} // namespace

NewsExtractor* TMainWizardHost::GetSourceList() {
  return main->Sources();
}

CSystemConfigurator* TMainWizardHost::GetSettings() {
  return main->Settings();
}

void TMainWizardHost::OpenUrl(const AnsiString& Url) {
  main->OpenUrl(Url);
}

void TMainWizardHost::ShowHelp() {
  main->btnHelpClick(main);
}

void TMainWizardHost::MainKeyDown(uint16_t& Key, TShiftState Shift) {
  main->FormKeyDown(main, Key, Shift);
}

void TMainWizardHost::SetGridFont(TFont* Font) {
  main->SetGridFont(Font);
}

void TMainWizardHost::SetFullModeFont(TFont* Font) {
  if (frmSmallView)
    frmSmallView->SetGridFont(Font);
}

void TMainWizardHost::LanguageChanged(const AnsiString& OldPlaceholder) {
  // A placeholder left in the filter box would become part of the keywords.
  if (main->edFilter->Text() == OldPlaceholder)
    main->edFilter->SetText(main->Settings()->texts.KeywordsPrompt);
  main->ApplyLanguage();
  if (frmSmallView)
    frmSmallView->SetFilterCaption(main->Settings());
}

void ConnectWizardToMain(TfrmWizard* Wizard, TfrmMain* Main) {
  mainHost = std::make_unique<TMainWizardHost>(Main);
  Wizard->SetHost(mainHost.get());
}
