#pragma once
// The wizard on the offscreen platform, reaching a real source list and a
// real settings object through a recording stand-in for the main window;
// message boxes are recorded instead of shown.
#include "app/Uwizard.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Newstools.h"
#include "platform/rtl/Messages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct TRecordedBox {
  std::string Text;
  std::string Caption;
};

inline std::vector<TRecordedBox>& RecordedBoxes() {
  static std::vector<TRecordedBox> boxes;
  return boxes;
}

inline int RecordBox(const char* text, const char* caption, int) {
  RecordedBoxes().push_back({text, caption});
  return IDOK;
}

class TTestHost : public TWizardHost {
public:
  NewsExtractor* GetSourceList() override { return &Sources; }
  CSystemConfigurator* GetSettings() override { return &Settings; }
  void OpenUrl(const AnsiString& Url) override { Opened.push_back(Url); }
  void ShowHelp() override { ++Helps; }
  void MainKeyDown(uint16_t& Key, TShiftState) override { Keys.push_back(Key); }
  void SetGridFont(TFont* Font) override { GridFont = Font; }
  void SetFullModeFont(TFont* Font) override { FullFont = Font; }
  void LanguageChanged(const AnsiString& OldPlaceholder) override {
    OldPlaceholders.push_back(OldPlaceholder);
  }

  // The settings first: they make the grids' fonts the wizard uses.
  CSystemConfigurator Settings;
  NewsExtractor Sources{nullptr};
  std::vector<AnsiString> Opened;
  int Helps = 0;
  std::vector<uint16_t> Keys;
  TFont* GridFont = nullptr;
  TFont* FullFont = nullptr;
  std::vector<AnsiString> OldPlaceholders;
};

class WizardTest : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    SetMessageBoxHook(RecordBox);
    RecordedBoxes().clear();
    InitNewsTools();
    CNoveltyDetector::SetCacheFolder(dir.File("cache/"));
    host.Settings.iniFile = dir.File("welkatidor.INI");
    wizard = new TfrmWizard(nullptr);
    wizard->SetHost(&host);
    wizard->ApplyLanguage(&host.Settings);
  }
  void TearDown() override {
    delete wizard;
    StopAllTransactions();
    FreeNewsTools();
    SetMessageBoxHook(nullptr);
  }

  // A source as the sources file would give it.
  void AddSource(const std::string& name, const std::string& url, bool enabled = true) {
    SourceDefinition definition;
    definition.name = name;
    definition.url = url;
    definition.enabled = enabled;
    host.Sources.AddSource(definition);
    wizard->RefreshSourceRows();
  }

  TTempDir dir;
  TTestHost host;
  TfrmWizard* wizard = nullptr;
};
