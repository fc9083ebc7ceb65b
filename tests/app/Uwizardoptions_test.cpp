// The wizard's options page: every setting shown and stored with its
// conversion, the immediate limit of simultaneous requests, the proxy
// fields' enabling, the font and colour dialogs with their gradients,
// clearing the page cache, the language switch, and the wizard's own keys.
#include "tests/app/WizardFixture.h"
#include "tests/platform/ui/FormFixture.h"

#include "app/Uvclfunctions.h"
#include "platform/rtl/Inifiles.h"

#include <filesystem>
#include <functional>

namespace {

// One setting: a stored value, what the page shows for it, what the user
// then does, and what OK stores.
struct TOptionCase {
  const char* Description;
  std::function<void(CSystemConfigurator&)> Store;
  std::function<void(TfrmWizard&)> Shown;
  std::function<void(TfrmWizard&)> Edit;
  std::function<void(const CSystemConfigurator&)> Saved;
};

TEST_F(WizardTest, EveryOptionIsShownAndStoredWithItsConversion) {
  const TOptionCase cases[] = {
      {"hint hide pause in tenths", [](CSystemConfigurator& s) { s.hintHidePause = 2500; },
       [](TfrmWizard& w) {
         EXPECT_EQ(w.sliderHintHide->Value(), 25);
         EXPECT_EQ(w.lblHintTimer->Caption(), "2");
       },
       [](TfrmWizard& w) {
         w.sliderHintHide->SetValue(15);
         EXPECT_EQ(w.lblHintTimer->Caption(), "1");
       },
       [](const CSystemConfigurator& s) { EXPECT_EQ(s.hintHidePause, 1500); }},
      {"news kept shown less 100", [](CSystemConfigurator& s) { s.maxEvents = 2500; },
       [](TfrmWizard& w) {
         EXPECT_EQ(w.sliderMaxNews->Value(), 2400);
         EXPECT_EQ(w.lblMaxNews->Caption(), "2500");
       },
       [](TfrmWizard& w) { w.sliderMaxNews->SetValue(9000); },
       [](const CSystemConfigurator& s) { EXPECT_EQ(s.maxEvents, 9100); }},
      {"hours to keep clamped to the slider", [](CSystemConfigurator&) { HoursToKeep = 2500; },
       [](TfrmWizard& w) {
         EXPECT_EQ(w.sliderMaxAge->Value(), 72);
         EXPECT_EQ(w.lblMaxAge->Caption(), "72");
       },
       [](TfrmWizard&) {}, [](const CSystemConfigurator&) { EXPECT_EQ(HoursToKeep, 72); }},
      {"request interval", [](CSystemConfigurator& s) { s.timeOut = 20; },
       [](TfrmWizard& w) {
         EXPECT_EQ(w.sliderTimeout->Value(), 20);
         EXPECT_EQ(w.lblTimeout->Caption(), "20");
       },
       [](TfrmWizard& w) { w.sliderTimeout->SetValue(45); },
       [](const CSystemConfigurator& s) { EXPECT_EQ(s.timeOut, 45); }},
      {"beep is the silent box inverted", [](CSystemConfigurator& s) { s.beep = true; },
       [](TfrmWizard& w) { EXPECT_FALSE(w.cbxSilent->Checked()); },
       [](TfrmWizard& w) { w.lblMsgSilentClick(nullptr); },
       [](const CSystemConfigurator& s) { EXPECT_FALSE(s.beep); }},
      {"manual proxy",
       [](CSystemConfigurator& s) {
         s.enableProxy = false;
         s.proxyHost = "old.example";
         s.proxyPort = "80";
       },
       [](TfrmWizard& w) {
         EXPECT_FALSE(w.cbxEnableProxy->Checked());
         EXPECT_EQ(w.edtProxyHost->Text(), "old.example");
         EXPECT_FALSE(w.edtProxyHost->Enabled());
         EXPECT_FALSE(w.edtProxyPort->Enabled());
       },
       [](TfrmWizard& w) {
         w.cbxEnableProxy->SetChecked(true);
         w.cbxEnableProxyClick(nullptr);
         EXPECT_TRUE(w.edtProxyHost->Enabled());
         EXPECT_TRUE(w.edtProxyPort->Enabled());
         w.edtProxyHost->SetText("proxy.example");
         w.edtProxyPort->SetText("3128");
       },
       [](const CSystemConfigurator& s) {
         EXPECT_TRUE(s.enableProxy);
         EXPECT_EQ(s.proxyHost, "proxy.example");
         EXPECT_EQ(s.proxyPort, "3128");
       }},
      {"proxy script and discovery",
       [](CSystemConfigurator& s) {
         s.useProxyScript = true;
         s.proxyScript = "http://wpad/wpad.dat";
         s.autoProxy = false;
       },
       [](TfrmWizard& w) {
         EXPECT_TRUE(w.cbUseScript->Checked());
         EXPECT_TRUE(w.edtScript->Enabled());
         EXPECT_EQ(w.edtScript->Text(), "http://wpad/wpad.dat");
         EXPECT_FALSE(w.cbProxyAutoDetect->Checked());
       },
       [](TfrmWizard& w) {
         w.cbUseScript->SetChecked(false);
         w.cbUseScriptClick(nullptr);
         EXPECT_FALSE(w.edtScript->Enabled());
         w.cbProxyAutoDetect->SetChecked(true);
       },
       [](const CSystemConfigurator& s) {
         EXPECT_FALSE(s.useProxyScript);
         EXPECT_TRUE(s.autoProxy);
         EXPECT_EQ(s.proxyScript, "http://wpad/wpad.dat");
       }},
  };
  for (const TOptionCase& c : cases) {
    SCOPED_TRACE(c.Description);
    c.Store(host.Settings);
    wizard->ibtnOptionsClick(nullptr);
    EXPECT_TRUE(wizard->pnlOPT->Visible());
    EXPECT_TRUE(wizard->pnlProxySettings->Visible());
    c.Shown(*wizard);
    c.Edit(*wizard);
    wizard->btnOptionsOKClick(nullptr);
    c.Saved(host.Settings);
    EXPECT_TRUE(wizard->pnlDEF->Visible());
  }
}

TEST_F(WizardTest, TheLanguageListChecksTheStoredLanguageOnly) {
  struct TCase {
    int32_t Language;
    bool English;
    bool French;
  };
  for (const TCase c : {TCase{0, true, false}, TCase{1000, false, true}, {2000, false, false}}) {
    SCOPED_TRACE(c.Language);
    host.Settings.language = c.Language;
    wizard->ibtnOptionsClick(nullptr);
    ASSERT_EQ(wizard->cbxLanguage->Items()->Count(), 2);
    EXPECT_EQ(wizard->cbxLanguage->Checked(0), c.English);
    EXPECT_EQ(wizard->cbxLanguage->Checked(1), c.French);
  }
}

TEST_F(WizardTest, TheSimultaneousRequestsChangeAtOnceButNotWhileLoading) {
  NewsExtractor::SetMaxRequest(3);
  TfrmWizard another(nullptr);
  EXPECT_EQ(NewsExtractor::maxRequest, 3);
  host.Settings.maxRequest = 3;
  wizard->ibtnOptionsClick(nullptr);
  wizard->sliderMaxRequest->SetValue(7);
  EXPECT_EQ(wizard->lblMaxRequest->Caption(), "7");
  EXPECT_EQ(host.Settings.maxRequest, 7);
  EXPECT_EQ(NewsExtractor::maxRequest, 7);
  NewsExtractor::SetMaxRequest(3);
}

TEST_F(WizardTest, ClearingTheCacheDeletesEveryPageCopyOnly) {
  const std::string folder = CNoveltyDetector::GetCacheFolder();
  std::filesystem::create_directories(folder);
  dir.Write("cache/a00001.htm", "a");
  dir.Write("cache/b00007.htm", "b");
  dir.Write("cache/notes.txt", "kept");
  wizard->btnClearAllCacheDataClick(nullptr);
  EXPECT_FALSE(std::filesystem::exists(folder + "a00001.htm"));
  EXPECT_FALSE(std::filesystem::exists(folder + "b00007.htm"));
  EXPECT_TRUE(std::filesystem::exists(folder + "notes.txt"));
}

TEST_F(WizardTest, AChosenFontGoesToTheGridAndRebuildsItsTextShades) {
  TScript confirm({[] { SimulateKey(VK_RETURN, {}, '\r'); }});
  NormalFont->SetColor(0x204080);
  wizard->btnFontNormalClick(wizard->btnFontNormal);
  EXPECT_EQ(confirm.Done, 1);
  EXPECT_EQ(host.GridFont, NormalFont.get());
  EXPECT_EQ(host.FullFont, nullptr);
  TColor expected[5];
  MakeColorGradient(NormalFont->Color(), expected, 5, 0);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(NormalTextShades[i], expected[i]);
  EXPECT_EQ(wizard->cbNormalNewsSample->Font()->Name(), NormalFont->Name());

  TScript confirmFull({[] { SimulateKey(VK_RETURN, {}, '\r'); }});
  wizard->btnFontNormalClick(wizard->btnFontFull);
  EXPECT_EQ(host.FullFont, FullModeFont.get());
}

TEST_F(WizardTest, AChosenColourRebuildsTheBackgroundShadesOfItsMode) {
  wizard->dlgColor->SetColor(0x3366CC);
  TScript confirm({[] { SimulateKey(VK_RETURN, {}, '\r'); }});
  const TColor normalBefore = NormalBkgColor;
  wizard->btnColorNormalClick(wizard->btnColorFull);
  EXPECT_EQ(confirm.Done, 1);
  EXPECT_EQ(FullModeBkgColor, static_cast<TColor>(0x3366CC));
  EXPECT_EQ(NormalBkgColor, normalBefore);
  TColor expected[5];
  MakeColorGradient(0x3366CC, expected, 5, 0);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(FullModeBkgShades[i], expected[i]);
}

TEST_F(WizardTest, TheLanguageSwitchChangesEveryTextAtOnce) {
  ASSERT_EQ(wizard->lblDEF->Caption(), "System settings");
  wizard->ibtnOptionsClick(nullptr);
  wizard->cbxLanguage->SetItemIndex(1);
  wizard->cbxLanguageClickCheck(nullptr);
  EXPECT_EQ(host.Settings.language, 1000);
  EXPECT_FALSE(wizard->cbxLanguage->Checked(0));
  EXPECT_TRUE(wizard->cbxLanguage->Checked(1));
  // The other windows are told, with the placeholder they may still show.
  EXPECT_EQ(host.OldPlaceholders, std::vector<AnsiString>{"Enter your keywords here"});
  const CTextResources& t = host.Settings.texts;
  EXPECT_EQ(t.KeywordsPrompt, "Saisissez vos mots cl\xe9s ici");
  EXPECT_EQ(wizard->lblDEF->Caption(), "Param\xe8tres syst\xe8me");
  EXPECT_EQ(wizard->tsGeneral->Caption(), "Affichage");
  EXPECT_EQ(wizard->btnFontNormal->Caption(), "Police");
  EXPECT_EQ(wizard->lblScanNow->Caption(), "Explorer");
  EXPECT_EQ(wizard->txtMsgImportHelp->Lines()->Strings(0), t.GetString(21) + t.GetString(22));
  EXPECT_EQ(wizard->lblEditSrcName->Lines()->Strings(0), "Nom de l'Url :");
  EXPECT_EQ(wizard->cbNormalNewsSample->Items()->Strings(0), "Texte d'exemple");
  EXPECT_EQ(wizard->cbFullNewsSample->Items()->Count(), 5);

  wizard->cbxLanguage->SetItemIndex(0);
  wizard->cbxLanguageClickCheck(nullptr);
  EXPECT_EQ(host.OldPlaceholders.back(), "Saisissez vos mots cl\xe9s ici");
  EXPECT_EQ(wizard->lblScanNow->Caption(), "Scan now");
  EXPECT_EQ(wizard->lblDEF->Caption(), "System settings");
}

TEST_F(WizardTest, ClosingStoresTheColumnWidthsAndThePosition) {
  AddSource("one", "http://h/1");
  wizard->sgSources->SetColWidths(0, 31);
  wizard->sgSources->SetColWidths(1, 120);
  wizard->sgSources->SetColWidths(2, 200);
  wizard->sgUrlToAdd->SetColWidths(3, 150);
  wizard->SetBounds(140, 90, wizard->Width(), wizard->Height());
  bool canClose = false;
  wizard->FormCloseQuery(nullptr, canClose);
  EXPECT_TRUE(canClose);
  TIniFile ini(host.Settings.iniFile);
  EXPECT_EQ(ini.ReadInteger("ColWidth.Wizard", "Active", 0), 31);
  EXPECT_EQ(ini.ReadInteger("ColWidth.Wizard", "Name", 0), 120);
  EXPECT_EQ(ini.ReadInteger("ColWidth.Wizard", "Url", 0), 200);
  EXPECT_EQ(host.Settings.wizColWidth[3], 150);
  EXPECT_EQ(host.Settings.wizardLeft, 140);
  EXPECT_EQ(host.Settings.wizardTop, 90);

  host.Settings.timeOut = 35;
  AddSource("two", "http://h/2");
  wizard->FormShow(nullptr);
  EXPECT_EQ(wizard->sliderTimeout->Value(), 35);
  EXPECT_EQ(wizard->sgSources->RowCount(), 3);
  EXPECT_EQ(wizard->sgSources->FixedRows(), 1);
}

TEST(ScanButtonText, IsTheQuotedCommandOfTheHelpText) {
  EXPECT_EQ(ScanButtonText("then click on 'Scan now' to launch the exploration of your URL."),
            "Scan now");
  EXPECT_EQ(ScanButtonText("puis cliquez sur 'Explorer' pour lancer l'exploration de votre"),
            "Explorer");
  EXPECT_EQ(ScanButtonText("no quoted word here"), "");
}

} // namespace
