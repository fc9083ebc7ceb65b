#include "app/Uwizard.h"

#include "app/Uvclfunctions.h"
#include "app/Uwizardshared.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Usdkthreadurllauncher.h"
#include "platform/rtl/Inifiles.h"
#include "platform/rtl/Messages.h"

#include <string>

namespace {

// Texts by language string id.
constexpr int32_t IdImportHelp = 21;
constexpr int32_t IdImportHelpEnd = 22;
constexpr int32_t IdNormalSample = 78;
constexpr int32_t IdFullSample = 80;
constexpr int32_t IdLineBreak = 109;
constexpr int32_t IdCopyright = 110;
constexpr int32_t IdNoWarranty = 111;

// A text label shows its lines, every other control its caption.
void ShowText(TControl* control, const AnsiString& text) {
  auto* label = dynamic_cast<TepTextLabel*>(control);
  if (label == nullptr)
    return control->SetCaption(text);
  TStringList lines;
  lines.SetText(text);
  label->SetLines(&lines);
}

// A captioned box only as wide as its glyph and caption: the box draws the
// caption flush right, and it must sit beside the glyph in every language.
void FitCheckBox(TepBMPCheckBox* box, TCanvas* canvas) {
  canvas->SetFont(box->Font());
  const int width = box->CheckGlyph()->Width() / 2 + canvas->TextWidth(box->Caption()) + 10;
  box->SetBounds(box->Left(), box->Top(), width, box->Height());
}

} // namespace

// ---------------------------------------------------------------- options

void TfrmWizard::ibtnOptionsClick(TObject*) {
  CSystemConfigurator* s = Settings();
  if (s == nullptr)
    return;
  sliderTimeout->SetValue(s->timeOut);
  sliderMaxRequest->SetValue(s->maxRequest);
  pnlProxySettings->SetVisible(true);
  cbxEnableProxy->SetChecked(s->enableProxy);
  edtProxyHost->SetText(s->proxyHost);
  edtProxyPort->SetText(s->proxyPort);
  cbProxyAutoDetect->SetChecked(s->autoProxy);
  cbUseScript->SetChecked(s->useProxyScript);
  edtScript->SetText(s->proxyScript);
  cbxEnableProxyClick(this);
  cbUseScriptClick(this);
  sliderMaxAge->SetValue(HoursToKeep);
  sliderMaxNews->SetValue(s->maxEvents - 100);
  cbxSilent->SetChecked(!s->beep);
  sliderHintHide->SetValue(s->hintHidePause / 100);
  for (int i = 0; i < cbxLanguage->Items()->Count(); ++i)
    cbxLanguage->SetChecked(i, i == s->language / 1000);
  ShowPage("OPT");
}

void TfrmWizard::btnOptionsOKClick(TObject*) {
  CSystemConfigurator* s = Settings();
  if (s == nullptr)
    return;
  s->timeOut = sliderTimeout->Value();
  s->maxRequest = sliderMaxRequest->Value();
  s->autoProxy = cbProxyAutoDetect->Checked();
  s->useProxyScript = cbUseScript->Checked();
  s->proxyScript = edtScript->Text();
  s->enableProxy = cbxEnableProxy->Checked();
  s->proxyHost = edtProxyHost->Text();
  s->proxyPort = edtProxyPort->Text();
  HoursToKeep = sliderMaxAge->Value();
  s->beep = !cbxSilent->Checked();
  s->maxEvents = sliderMaxNews->Value() + 100;
  s->hintHidePause = sliderHintHide->Value() * 100;
  // The wizard's own tests and scans use the new proxy at once.
  if (ProxyConfig != nullptr)
    ProxyConfig->SetProxySettings(s->autoProxy, s->useProxyScript, s->proxyScript.c_str(),
                                  s->enableProxy, s->proxyHost.c_str(), s->proxyPort.c_str());
  ShowPage("DEF");
}

void TfrmWizard::sliderHintHideChange(TObject*) {
  lblHintTimer->SetCaption(std::to_string(sliderHintHide->Value() / 10));
}

void TfrmWizard::sliderTimeoutChange(TObject*) {
  lblTimeout->SetCaption(std::to_string(sliderTimeout->Value()));
}

void TfrmWizard::sliderMaxRequestChange(TObject*) {
  const int value = sliderMaxRequest->Value();
  lblMaxRequest->SetCaption(std::to_string(value));
  if (Settings() != nullptr)
    Settings()->maxRequest = value;
  NewsExtractor::SetMaxRequest(value);
}

void TfrmWizard::sliderMaxAgeChange(TObject*) {
  lblMaxAge->SetCaption(std::to_string(sliderMaxAge->Value()));
}

void TfrmWizard::sliderMaxNewsChange(TObject*) {
  lblMaxNews->SetCaption(std::to_string(sliderMaxNews->Value() + 100));
}

void TfrmWizard::cbxEnableProxyClick(TObject*) {
  edtProxyHost->SetEnabled(cbxEnableProxy->Checked());
  edtProxyPort->SetEnabled(cbxEnableProxy->Checked());
}

void TfrmWizard::cbUseScriptClick(TObject*) {
  edtScript->SetEnabled(cbUseScript->Checked());
}

void TfrmWizard::lblMsgSilentClick(TObject*) {
  cbxSilent->SetChecked(!cbxSilent->Checked());
}

void TfrmWizard::btnClearAllCacheDataClick(TObject*) {
  CNoveltyDetector::DeleteAllCacheFiles();
}

void TfrmWizard::btnFontNormalClick(TObject* Sender) {
  ChooseFont(Sender == btnFontFull);
}

void TfrmWizard::btnColorNormalClick(TObject* Sender) {
  ChooseColor(Sender == btnColorFull);
}

void TfrmWizard::ChooseFont(bool FullMode) {
  TFont* font = FullMode ? FullModeFont.get() : NormalFont.get();
  if (font == nullptr)
    return;
  dlgFont->SetFont(font);
  dlgFont->SetMinFontSize(7);
  dlgFont->SetMaxFontSize(15);
  if (!dlgFont->Execute())
    return;
  font->Assign(dlgFont->Font());
  TComboBox* samples = FullMode ? cbFullNewsSample : cbNormalNewsSample;
  samples->SetFont(font);
  MakeColorGradient(font->Color(), FullMode ? FullModeTextShades : NormalTextShades, ShadeCount, 0);
  samples->Invalidate();
  if (host == nullptr)
    return;
  if (FullMode)
    host->SetFullModeFont(font);
  else
    host->SetGridFont(font);
}

void TfrmWizard::ChooseColor(bool FullMode) {
  if (!dlgColor->Execute())
    return;
  (FullMode ? FullModeBkgColor : NormalBkgColor) = dlgColor->Color();
  MakeColorGradient(dlgColor->Color(), FullMode ? FullModeBkgShades : NormalBkgShades, ShadeCount,
                    0);
  (FullMode ? cbFullNewsSample : cbNormalNewsSample)->Invalidate();
}

void TfrmWizard::cbNormalNewsSampleDrawItem(TWinControl* Control, int Index, TRect Rect,
                                            TOwnerDrawState) {
  auto* samples = static_cast<TComboBox*>(Control);
  const bool full = samples == cbFullNewsSample;
  TCanvas* c = samples->Canvas();
  if (Index >= 0 && Index < ShadeCount) {
    const TColor background = (full ? FullModeBkgShades : NormalBkgShades)[4 - Index];
    c->Brush()->SetColor(background);
    // As the grids draw it.
    c->Font()->SetColor(
        LegibleTextColor((full ? FullModeTextShades : NormalTextShades)[4 - Index], background));
  }
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(Rect);
  if (Index >= 0 && Index < samples->Items()->Count())
    c->TextOut(Rect.Left, Rect.Top, samples->Items()->Strings(Index));
}
// ---------------------------------------------------------------- language

void TfrmWizard::cbxLanguageClickCheck(TObject*) {
  const int i = cbxLanguage->ItemIndex();
  CSystemConfigurator* s = Settings();
  if (i < 0 || s == nullptr)
    return;
  for (int j = 0; j < cbxLanguage->Items()->Count(); ++j)
    cbxLanguage->SetChecked(j, j == i);
  const AnsiString oldPlaceholder = s->texts.KeywordsPrompt;
  s->SetLanguage(i * 1000);
  if (host != nullptr)
    host->LanguageChanged(oldPlaceholder);
  ApplyLanguage(s);
}

void TfrmWizard::FillSampleLists() {
  cbNormalNewsSample->Items()->Clear();
  cbFullNewsSample->Items()->Clear();
  for (int i = 0; i < ShadeCount; ++i) {
    cbNormalNewsSample->Items()->Add(LangString(IdNormalSample));
    cbFullNewsSample->Items()->Add(LangString(IdFullSample));
  }
  cbNormalNewsSample->SetItemIndex(0);
  cbFullNewsSample->SetItemIndex(0);
}

void TfrmWizard::ApplyLanguage(CSystemConfigurator* Settings) {
  if (Settings == nullptr)
    return;
  const CTextResources& t = Settings->texts;
  TStrings* languages = cbxLanguage->Items();
  while (languages->Count() > CTextResources::GetLanguageCount(Settings->debug))
    languages->Delete(languages->Count() - 1);
  struct TText {
    TControl* Control;
    int32_t Id;
  };
  const TText texts[] = {
      {lblResMoreInformation, 0},
      {lblADD, 6},
      {lblDEF, 1},
      {lblIMP, 2},
      {lblPROP, 3},
      {lblDEL, 4},
      {lblOPT, 5},
      {tsTimers, 7},
      {tsConnection, 8},
      {tsMisc, 9},
      {tsLanguage, 10},
      {lblMsgMaxAge, 11},
      {lblMsgMaxNews, 12},
      {lblMsgSilent, 13},
      {btnClearAllCacheData, 14},
      {cbxEnableProxy, 15},
      {lblMsgProxyHost, 16},
      {lblMsgProxyPort, 17},
      {cbProxyAutoDetect, 125},
      {cbUseScript, 126},
      {lblMsgScript, 127},
      {lblMsgTimeOutReq, 18},
      {lblMsgMaxSimReq, 19},
      {lblMsgUrlToScan, 20},
      {lblEditSrcName, 23},
      {lblEditSrcUrl, 24},
      {lblBtnNewsExtract, 25},
      {lblNovelty, 26},
      {cbxIgnoreTags, 27},
      {cbxKeepTrack, 28},
      {cbxIgnoreDates, 29},
      {cbxIgnoreHexa, 30},
      {lblMsgCacheLength, 31},
      {lblMsgDelName, 32},
      {lblMsgDelAddress, 33},
      {lblMsgConfirmDel, 34},
      {epMsgRun, 35},
      {lblProdName, 41},
      {tsGeneral, 76},
      {lblMsgNormalModeSample, 77},
      {lblMsgFullModeSample, 79},
      {btnFontNormal, 82},
      {btnFontFull, 82},
      {btnColorNormal, 83},
      {btnColorFull, 83},
      {lblMsgHintTimer, 81},
      {lblCmdAdd, 6},
      {lblCmdDelete, 4},
      {lblCmdProperties, 3},
      {lblCmdImport, 2},
      {lblCmdOptions, 5},
      {lblHomesite, 93},
  };
  for (const TText& text : texts)
    ShowText(text.Control, Trim(t.GetString(text.Id)));
  ShowText(txtMsgImportHelp, t.GetString(IdImportHelp) + t.GetString(IdImportHelpEnd));
  TBitmap measure;
  measure.SetSize(1, 1);
  for (TepBMPCheckBox* box : {cbxKeepTrack, cbxIgnoreTags, cbxIgnoreDates, cbxIgnoreHexa,
                              cbProxyAutoDetect, cbUseScript, cbxEnableProxy})
    FitCheckBox(box, measure.Canvas());
  // Each line of the notice on a line of its own.
  lblMsgLic->SetCaption(t.GetString(IdCopyright) + t.GetString(IdLineBreak) +
                        t.GetString(IdNoWarranty));
  lblScanNow->SetCaption(ScanButtonText(t.GetString(IdImportHelp)));
  FillSampleLists();
  cbNormalNewsSample->SetFont(NormalFont.get());
  cbFullNewsSample->SetFont(FullModeFont.get());
}

AnsiString ScanButtonText(const AnsiString& HelpText) {
  // A quoted name follows a blank; an apostrophe inside a word does not.
  const auto open = HelpText.rfind(" '");
  if (open == AnsiString::npos)
    return "";
  const auto close = HelpText.find('\'', open + 2);
  if (close == AnsiString::npos)
    return "";
  return HelpText.substr(open + 2, close - open - 2);
}
