#pragma once
// The main window as the wizard sees it: its source list and settings, its
// link and help commands, its grid font, and the language of the other
// windows.
#include "app/Uwizard.h"

class TfrmMain;

class TMainWizardHost : public TWizardHost {
public:
  explicit TMainWizardHost(TfrmMain* AMain) : main(AMain) {}

  NewsExtractor* GetSourceList() override;
  CSystemConfigurator* GetSettings() override;
  void OpenUrl(const AnsiString& Url) override;
  void ShowHelp() override;
  void MainKeyDown(uint16_t& Key, TShiftState Shift) override;
  void SetGridFont(TFont* Font) override;
  void SetFullModeFont(TFont* Font) override;
  void LanguageChanged(const AnsiString& OldPlaceholder) override;

private:
  TfrmMain* main; // not owned
};

// Makes the wizard reach the main window, for the rest of the run.
void ConnectWizardToMain(TfrmWizard* Wizard, TfrmMain* Main);
