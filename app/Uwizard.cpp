#include "app/Uwizard.h"

#include "app/Uvclfunctions.h"
#include "app/Uwizardshared.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Htmltools.h"
#include "platform/rtl/Inifiles.h"
#include "platform/rtl/Messages.h"
#include "platform/ui/Layout.h"

#include <algorithm>
#include <array>
#include <string>

TfrmWizard* frmWizard = nullptr;

namespace {

// The first showing in the process reads the column widths and position.
bool firstShow = true;

constexpr int TitleLeft = 40;
constexpr int TitleTop = 31;
constexpr int CommandLeft = 424;
constexpr int CommandTop = 48;
constexpr int PageLeft = 43;
constexpr int PageTop = 50;
constexpr TColor HeaderColor = 0x808080;
constexpr TColor CellTextColor = 0xFFFF00;
constexpr const char* IniSection = "ColWidth.Wizard";

// Message texts and titles by language string id.
constexpr int32_t IdInvalidParameter = 72;
constexpr int32_t IdNoOption = 73;
constexpr int32_t IdNameUsed = 106;
constexpr int32_t IdUrlUsed = 107;
constexpr int32_t IdGoTo = 74;

} // namespace

// ---------------------------------------------------------------- form

TfrmWizard::TfrmWizard(TComponent* AOwner) : TForm(AOwner) {
  ReadLayout(this, "frmWizard");
  testListener = std::make_unique<TestCallback>(this);
  newsListener = std::make_unique<TestNewsNotifyCallBack>(this);
  candidateNames = std::make_unique<TStringList>();
  candidateUrls = std::make_unique<TStringList>();
  for (TepImagePanel* title : {lblADD, lblPROP, lblIMP, lblDEL, lblOPT, lblDEF})
    title->SetBounds(TitleLeft, TitleTop, title->Width(), title->Height());
  for (TComboBox* samples : {cbNormalNewsSample, cbFullNewsSample}) {
    samples->Items()->Clear();
    for (int i = 0; i < ShadeCount; ++i)
      samples->Items()->Add("Sample");
    samples->SetItemIndex(0);
  }
  for (TepImagePanel* title : {lblADD, lblPROP, lblIMP, lblDEL, lblOPT, lblDEF})
    title->SetVisible(false);
  ShowPage("DEF");
}

TfrmWizard::~TfrmWizard() {
  DetachTransaction();
}

AnsiString TfrmWizard::LangString(int32_t Id) const {
  return Settings() != nullptr ? Settings()->texts.GetString(Id) : AnsiString();
}

NewsExtractor* TfrmWizard::Sources() const {
  return host != nullptr ? host->GetSourceList() : nullptr;
}

CSystemConfigurator* TfrmWizard::Settings() const {
  return host != nullptr ? host->GetSettings() : nullptr;
}

NewsSource* TfrmWizard::SourceAtRow(int Row) const {
  if (Row <= 0 || Sources() == nullptr)
    return nullptr;
  return Sources()->GetSource(Row - 1);
}

TGridCoord TfrmWizard::CellUnderCursor(TStringGrid* Grid) const {
  const TPoint p = Grid->ScreenToClient(Mouse_CursorPos());
  return Grid->MouseCoord(p.X, p.Y);
}

void TfrmWizard::Refuse(int32_t TextId) const {
  MessageBox(LangString(TextId).c_str(), LangString(IdInvalidParameter).c_str(), MB_OK);
}
// ---------------------------------------------------------------- pages

void TfrmWizard::ShowPage(const AnsiString& Name) {
  struct TPage {
    const char* Name;
    TepImagePanel* Command;
    TepImagePanel* Page;
    TepImagePanel* Title;
  };
  const std::array<TPage, 6> pages{{{"DEF", pnlDEFCmd, pnlDEF, lblDEF},
                                    {"ADD", pnlADDPROPCmd, pnlADDPROP, lblADD},
                                    {"PROP", pnlADDPROPCmd, pnlADDPROP, lblPROP},
                                    {"IMP", pnlIMPCmd, pnlIMP, lblIMP},
                                    {"OPT", pnlOPTCmd, pnlOPT, lblOPT},
                                    {"DEL", pnlDELCmd, pnlDEL, lblDEL}}};
  pnlAbout->SetVisible(false);
  ibtnMainOk->SetVisible(Name == "DEF");
  const auto page =
      std::find_if(pages.begin(), pages.end(), [&](const TPage& p) { return Name == p.Name; });
  if (page == pages.end())
    return;
  page->Command->SetBounds(CommandLeft, CommandTop, page->Command->Width(),
                           page->Command->Height());
  page->Page->SetBounds(PageLeft, PageTop, page->Page->Width(), page->Page->Height());
  for (const TPage& p : pages) {
    p.Command->SetVisible(false);
    p.Page->SetVisible(false);
  }
  page->Command->SetVisible(true);
  page->Page->SetVisible(true);
  for (const TPage& p : pages)
    p.Title->SetVisible(false);
  page->Title->SetVisible(true);
  if (Name == "IMP")
    sgUrlToAdd->SetVisible(false);
}

void TfrmWizard::ShowAbout() {
  for (TepImagePanel* title : {lblADD, lblPROP, lblIMP, lblDEL, lblOPT, lblDEF})
    title->SetVisible(false);
  lblVersion->SetCaption(AnsiString("Version ") + Version);
  pnlAbout->SetVisible(true);
  pnlAbout->BringToFront();
}

void TfrmWizard::RefreshSourceRows() {
  const int count = Sources() != nullptr ? Sources()->GetSourceCount() : 0;
  sgSources->SetRowCount(count + 1);
  if (sgSources->RowCount() > 1)
    sgSources->SetFixedRows(1);
}
// ---------------------------------------------------------------- source grid

void TfrmWizard::DrawHeaderCell(TStringGrid* Grid, const AnsiString& Text, TRect Rect) {
  TCanvas* c = Grid->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(HeaderColor);
  c->Font()->SetColor(clBlack);
  c->TextRect(Rect, Rect.Left + 1, Rect.Top + 1, Text);
  c->FrameRect(Rect);
}

void TfrmWizard::DrawTextCell(TStringGrid* Grid, const AnsiString& Text, TRect Rect) {
  TCanvas* c = Grid->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Font()->SetColor(CellTextColor);
  c->TextRect(Rect, Rect.Left + 1, Rect.Top + 1, Text);
  c->FrameRect(Rect);
}

void TfrmWizard::DrawMark(TStringGrid* Grid, bool Checked, TRect Rect) {
  TImage* mark = Checked ? bmpChecked : bmpUnchecked;
  if (mark->Picture()->Graphic() != nullptr)
    Grid->Canvas()->Draw(Rect.Left + 1, Rect.Top + 1, mark->Picture()->Graphic());
}

void TfrmWizard::sgSourcesDrawCell(TObject*, int ACol, int ARow, TRect Rect, TGridDrawState) {
  if (ARow == 0) {
    AnsiString text;
    if (Settings() != nullptr && ACol <= 2) {
      const CTextResources& t = Settings()->texts;
      text = ACol == 0 ? t.ActiveTitle : ACol == 1 ? t.NameTitle : t.UrlTitle;
    }
    DrawHeaderCell(sgSources, text, Rect);
    return;
  }
  NewsSource* source = SourceAtRow(ARow);
  if (source == nullptr)
    return;
  if (ACol == 0)
    DrawMark(sgSources, source->enabled, Rect);
  else if (ACol == 1)
    DrawTextCell(sgSources, source->name, Rect);
  else if (ACol == 2)
    DrawTextCell(sgSources, source->GetUrl(), Rect);
}

void TfrmWizard::sgSourcesDblClick(TObject*) {
  NewsSource* source = SourceAtRow(CellUnderCursor(sgSources).Y);
  if (source == nullptr)
    return;
  source->enabled = !source->enabled;
  sgSources->Invalidate();
}

void TfrmWizard::sgSourcesContextPopup(TObject*, TPoint MousePos, bool& Handled) {
  const TGridCoord cell = sgSources->MouseCoord(MousePos.X, MousePos.Y);
  NewsSource* source = SourceAtRow(cell.Y);
  if (source == nullptr) {
    contextRow = -1;
    return;
  }
  contextRow = cell.Y;
  Gotourl1->SetCaption(LangString(IdGoTo) + "'" + source->name + "'");
  const TPoint screen = sgSources->ClientToScreen(MousePos);
  Handled = true;
  popSourceAction->Popup(screen.X, screen.Y);
}

void TfrmWizard::Gotourl1Click(TObject*) {
  NewsSource* source = SourceAtRow(contextRow);
  if (source != nullptr && host != nullptr)
    host->OpenUrl(source->GetUrl());
}

void TfrmWizard::Enablesource1Click(TObject*) {
  NewsSource* source = SourceAtRow(contextRow);
  if (source == nullptr)
    return;
  source->enabled = !source->enabled;
  sgSources->Invalidate();
}
// ---------------------------------------------------------------- editor page

void TfrmWizard::ShowNoveltyOptions() {
  pnlNoveltyOption->SetVisible(cbxNovelty->Checked());
}

void TfrmWizard::ibtnAddUrlClick(TObject*) {
  editedIndex = -1;
  edtName->SetText("");
  edtUrl->SetText("http://");
  cbxNovelty->SetChecked(false);
  cbxNewsExtract->SetChecked(false);
  cbxKeepTrack->SetChecked(false);
  cbxIgnoreTags->SetChecked(true);
  cbxIgnoreDates->SetChecked(true);
  cbxIgnoreHexa->SetChecked(true);
  sliderHistoLength->SetValue(2);
  ShowNoveltyOptions();
  ShowPage("ADD");
  Focus(edtName);
}

NewsSource* TfrmWizard::EditSelectedSource() {
  editedIndex = sgSources->Row();
  return SourceAtRow(editedIndex);
}

void TfrmWizard::ibtnPropertiesClick(TObject*) {
  NewsSource* source = EditSelectedSource();
  if (source == nullptr)
    return;
  edtName->SetText(source->name);
  edtUrl->SetText(source->GetUrl());
  cbxNewsExtract->SetChecked(source->newsExtraction);
  cbxNovelty->SetChecked(source->noveltyDetection);
  cbxIgnoreTags->SetChecked(source->ignoreHtmlTags);
  cbxKeepTrack->SetChecked(source->keepChangeTrack);
  cbxIgnoreDates->SetChecked(source->ignoreDates);
  cbxIgnoreHexa->SetChecked(source->ignoreBigHexaNumbers);
  sliderHistoLength->SetValue(source->historyLength);
  ShowNoveltyOptions();
  ShowPage("PROP");
  Focus(edtName);
}

void TfrmWizard::cbxNoveltyClick(TObject*) {
  ShowNoveltyOptions();
}

void TfrmWizard::lblBtnNewsExtractClick(TObject*) {
  cbxNewsExtract->SetChecked(!cbxNewsExtract->Checked());
}

void TfrmWizard::lblNoveltyClick(TObject*) {
  cbxNovelty->SetChecked(!cbxNovelty->Checked());
  ShowNoveltyOptions();
}

void TfrmWizard::sliderHistoLengthChange(TObject*) {
  lblHistoSize->SetCaption(std::to_string(sliderHistoLength->Value()));
}

void TfrmWizard::btnSourceAcceptClick(TObject*) {
  NewsExtractor* sources = Sources();
  if (sources == nullptr)
    return;
  const AnsiString name = Trim(edtName->Text());
  const AnsiString url = Trim(edtUrl->Text());
  if (name.empty())
    return Refuse(IdEmptyName);
  if (url.empty())
    return Refuse(IdEmptyUrl);
  if (!cbxNewsExtract->Checked() && !cbxNovelty->Checked())
    return Refuse(IdNoOption);
  for (int i = 0; i < sources->GetSourceCount(); ++i) {
    if (i == editedIndex - 1)
      continue;
    const NewsSource* other = sources->GetSource(i);
    if (other->name == name)
      return Refuse(IdNameUsed);
    if (other->GetUrl() == url)
      return Refuse(IdUrlUsed);
  }
  if (NewsSource* source = SourceAtRow(editedIndex)) {
    source->name = name;
    source->SetUrl(url);
    source->newsExtraction = cbxNewsExtract->Checked();
    source->SetOptions(cbxNovelty->Checked(), cbxKeepTrack->Checked(), cbxIgnoreTags->Checked(),
                       cbxIgnoreDates->Checked(), cbxIgnoreHexa->Checked());
    source->SetHistoryLength(sliderHistoLength->Value());
  } else {
    SourceDefinition definition;
    definition.name = name;
    definition.url = url;
    definition.enabled = true;
    definition.newsExtraction = cbxNewsExtract->Checked();
    definition.noveltyDetection = cbxNovelty->Checked();
    definition.keepChangeTrack = cbxKeepTrack->Checked();
    definition.ignoreHtmlTags = cbxIgnoreTags->Checked();
    definition.ignoreDates = cbxIgnoreDates->Checked();
    definition.ignoreBigHexaNumbers = cbxIgnoreHexa->Checked();
    definition.historyLength = sliderHistoLength->Value();
    definition.trackerCounter = 0;
    sources->AddSource(definition);
    RefreshSourceRows();
  }
  sgSources->Invalidate();
  ShowPage("DEF");
}

void TfrmWizard::btnSourceCancelClick(TObject*) {
  ShowPage("DEF");
}
// ---------------------------------------------------------------- delete page

void TfrmWizard::ibtnDeleteUrlClick(TObject*) {
  NewsSource* source = EditSelectedSource();
  if (source == nullptr)
    return;
  edtDeleteName->SetText(source->name);
  edtDeleteUrl->SetText(source->GetUrl());
  ShowPage("DEL");
}

void TfrmWizard::btnAcceptDeleteSourceClick(TObject*) {
  // The source is held before it goes: once deleted, the index names the
  // next one, whose page copies must stay.
  if (NewsSource* source = SourceAtRow(editedIndex)) {
    source->DeleteCacheFiles();
    Sources()->DeleteSource(editedIndex - 1);
    RefreshSourceRows();
    sgSources->Invalidate();
  }
  ShowPage("DEF");
}
// ---------------------------------------------------------------- other commands

void TfrmWizard::ibtnMainOkClick(TObject*) {
  pnlAbout->SetVisible(false);
  lblDEF->SetVisible(true);
  Close();
}

void TfrmWizard::lblHomesiteClick(TObject*) {
  if (host != nullptr)
    host->ShowHelp();
}

void TfrmWizard::btnHelpClick(TObject*) {
  if (host != nullptr)
    host->ShowHelp();
}

void TfrmWizard::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_F1 && host != nullptr)
    host->MainKeyDown(Key, Shift);
}
// ---------------------------------------------------------------- showing and closing

void TfrmWizard::FormShow(TObject*) {
  CSystemConfigurator* s = Settings();
  if (s == nullptr)
    return;
  if (firstShow) {
    firstShow = false;
    pgcOptions->SetActivePage(tsGeneral);
    TIniFile ini(s->iniFile);
    sgSources->SetColWidths(0, ini.ReadInteger(IniSection, "Active", 10));
    sgSources->SetColWidths(1, ini.ReadInteger(IniSection, "Name", 20));
    sgSources->SetColWidths(2, ini.ReadInteger(IniSection, "Url", 20));
    SetBounds(s->wizardLeft, s->wizardTop, Width(), Height());
    for (int col = 0; col < 4; ++col)
      sgUrlToAdd->SetColWidths(col, s->wizColWidth[static_cast<size_t>(col)]);
  }
  sliderTimeout->SetValue(s->timeOut);
  sliderMaxRequest->SetValue(s->maxRequest);
  RefreshSourceRows();
}

void TfrmWizard::FormCloseQuery(TObject*, bool& CanClose) {
  CanClose = true;
  CSystemConfigurator* s = Settings();
  if (s == nullptr)
    return;
  TIniFile ini(s->iniFile);
  try {
    ini.WriteInteger(IniSection, "Active", sgSources->ColWidths(0));
    ini.WriteInteger(IniSection, "Name", sgSources->ColWidths(1));
    ini.WriteInteger(IniSection, "Url", sgSources->ColWidths(2));
  } catch (const EIniFileException&) {
    // Closing is never refused; the widths stay as they were stored.
  }
  for (int col = 0; col < 4; ++col)
    s->wizColWidth[static_cast<size_t>(col)] = sgUrlToAdd->ColWidths(col);
  s->wizardLeft = Left();
  s->wizardTop = Top();
}

// ---------------------------------------------------------------- published

WT_PUBLISH(TfrmWizard, TForm) {
  p.Method("ibtnAddUrlClick", &TfrmWizard::ibtnAddUrlClick);
  p.Method("ibtnPropertiesClick", &TfrmWizard::ibtnPropertiesClick);
  p.Method("ibtnDeleteUrlClick", &TfrmWizard::ibtnDeleteUrlClick);
  p.Method("btnSourceAcceptClick", &TfrmWizard::btnSourceAcceptClick);
  p.Method("btnSourceCancelClick", &TfrmWizard::btnSourceCancelClick);
  p.Method("btnAcceptDeleteSourceClick", &TfrmWizard::btnAcceptDeleteSourceClick);
  p.Method("sgSourcesDrawCell", &TfrmWizard::sgSourcesDrawCell);
  p.Method("sgSourcesDblClick", &TfrmWizard::sgSourcesDblClick);
  p.Method("sgSourcesContextPopup", &TfrmWizard::sgSourcesContextPopup);
  p.Method("Gotourl1Click", &TfrmWizard::Gotourl1Click);
  p.Method("Enablesource1Click", &TfrmWizard::Enablesource1Click);
  p.Method("cbxNoveltyClick", &TfrmWizard::cbxNoveltyClick);
  p.Method("lblBtnNewsExtractClick", &TfrmWizard::lblBtnNewsExtractClick);
  p.Method("lblNoveltyClick", &TfrmWizard::lblNoveltyClick);
  p.Method("sliderHistoLengthChange", &TfrmWizard::sliderHistoLengthChange);
  p.Method("ibtnMainOkClick", &TfrmWizard::ibtnMainOkClick);
  p.Method("lblHomesiteClick", &TfrmWizard::lblHomesiteClick);
  p.Method("btnHelpClick", &TfrmWizard::btnHelpClick);
  p.Method("FormKeyDown", &TfrmWizard::FormKeyDown);
  p.Method("btnTestUrlClick", &TfrmWizard::btnTestUrlClick);
  p.Method("btnAbortTestClick", &TfrmWizard::btnAbortTestClick);
  p.Method("btnTestFinishedClick", &TfrmWizard::btnTestFinishedClick);
  p.Method("ibtnImportClick", &TfrmWizard::ibtnImportClick);
  p.Method("btnUrlScanConnectClick", &TfrmWizard::btnUrlScanConnectClick);
  p.Method("edtUrlToScanKeyPress", &TfrmWizard::edtUrlToScanKeyPress);
  p.Method("btnUrlScanAbortClick", &TfrmWizard::btnUrlScanAbortClick);
  p.Method("btnUrlScanAckClick", &TfrmWizard::btnUrlScanAckClick);
  p.Method("btnUrlScanOkClick", &TfrmWizard::btnUrlScanOkClick);
  p.Method("btnUrlScanCancelClick", &TfrmWizard::btnUrlScanCancelClick);
  p.Method("sgUrlToAddClick", &TfrmWizard::sgUrlToAddClick);
  p.Method("sgUrlToAddSelectCell", &TfrmWizard::sgUrlToAddSelectCell);
  p.Method("sgUrlToAddDrawCell", &TfrmWizard::sgUrlToAddDrawCell);
  p.Method("btnAddSourcesClick", &TfrmWizard::btnAddSourcesClick);
  p.Method("ibtnOptionsClick", &TfrmWizard::ibtnOptionsClick);
  p.Method("btnOptionsOKClick", &TfrmWizard::btnOptionsOKClick);
  p.Method("cbxLanguageClickCheck", &TfrmWizard::cbxLanguageClickCheck);
  p.Method("btnFontNormalClick", &TfrmWizard::btnFontNormalClick);
  p.Method("btnColorNormalClick", &TfrmWizard::btnColorNormalClick);
  p.Method("cbNormalNewsSampleDrawItem", &TfrmWizard::cbNormalNewsSampleDrawItem);
  p.Method("btnClearAllCacheDataClick", &TfrmWizard::btnClearAllCacheDataClick);
  p.Method("lblMsgSilentClick", &TfrmWizard::lblMsgSilentClick);
  p.Method("cbxEnableProxyClick", &TfrmWizard::cbxEnableProxyClick);
  p.Method("cbUseScriptClick", &TfrmWizard::cbUseScriptClick);
  p.Method("sliderHintHideChange", &TfrmWizard::sliderHintHideChange);
  p.Method("sliderTimeoutChange", &TfrmWizard::sliderTimeoutChange);
  p.Method("sliderMaxRequestChange", &TfrmWizard::sliderMaxRequestChange);
  p.Method("sliderMaxAgeChange", &TfrmWizard::sliderMaxAgeChange);
  p.Method("sliderMaxNewsChange", &TfrmWizard::sliderMaxNewsChange);
  p.Method("FormShow", &TfrmWizard::FormShow);
  p.Method("FormCloseQuery", &TfrmWizard::FormCloseQuery);
  p.Field("epRegionForm1", &TfrmWizard::epRegionForm1);
  p.Field("bmpPageWallpaper", &TfrmWizard::bmpPageWallpaper);
  p.Field("bmpCmdWallpaper", &TfrmWizard::bmpCmdWallpaper);
  p.Field("epMsgRun", &TfrmWizard::epMsgRun);
  p.Field("ibtnMainOk", &TfrmWizard::ibtnMainOk);
  p.Field("bmpEmpty", &TfrmWizard::bmpEmpty);
  p.Field("bmpMsg", &TfrmWizard::bmpMsg);
  p.Field("bmpChecked", &TfrmWizard::bmpChecked);
  p.Field("bmpUnchecked", &TfrmWizard::bmpUnchecked);
  p.Field("lblADD", &TfrmWizard::lblADD);
  p.Field("lblPROP", &TfrmWizard::lblPROP);
  p.Field("lblIMP", &TfrmWizard::lblIMP);
  p.Field("lblDEL", &TfrmWizard::lblDEL);
  p.Field("lblOPT", &TfrmWizard::lblOPT);
  p.Field("lblDEF", &TfrmWizard::lblDEF);
  p.Field("pnlDEF", &TfrmWizard::pnlDEF);
  p.Field("pnlDEFCmd", &TfrmWizard::pnlDEFCmd);
  p.Field("sgSources", &TfrmWizard::sgSources);
  p.Field("ibtnAddUrl", &TfrmWizard::ibtnAddUrl);
  p.Field("ibtnDeleteUrl", &TfrmWizard::ibtnDeleteUrl);
  p.Field("ibtnProperties", &TfrmWizard::ibtnProperties);
  p.Field("ibtnImport", &TfrmWizard::ibtnImport);
  p.Field("ibtnOptions", &TfrmWizard::ibtnOptions);
  p.Field("lblCmdAdd", &TfrmWizard::lblCmdAdd);
  p.Field("lblCmdDelete", &TfrmWizard::lblCmdDelete);
  p.Field("lblCmdProperties", &TfrmWizard::lblCmdProperties);
  p.Field("lblCmdImport", &TfrmWizard::lblCmdImport);
  p.Field("lblCmdOptions", &TfrmWizard::lblCmdOptions);
  p.Field("popSourceAction", &TfrmWizard::popSourceAction);
  p.Field("Gotourl1", &TfrmWizard::Gotourl1);
  p.Field("Enablesource1", &TfrmWizard::Enablesource1);
  p.Field("pnlADDPROP", &TfrmWizard::pnlADDPROP);
  p.Field("pnlADDPROPCmd", &TfrmWizard::pnlADDPROPCmd);
  p.Field("lblEditSrcName", &TfrmWizard::lblEditSrcName);
  p.Field("lblEditSrcUrl", &TfrmWizard::lblEditSrcUrl);
  p.Field("edtName", &TfrmWizard::edtName);
  p.Field("edtUrl", &TfrmWizard::edtUrl);
  p.Field("cbxNewsExtract", &TfrmWizard::cbxNewsExtract);
  p.Field("cbxNovelty", &TfrmWizard::cbxNovelty);
  p.Field("lblBtnNewsExtract", &TfrmWizard::lblBtnNewsExtract);
  p.Field("lblNovelty", &TfrmWizard::lblNovelty);
  p.Field("pnlNoveltyOption", &TfrmWizard::pnlNoveltyOption);
  p.Field("cbxKeepTrack", &TfrmWizard::cbxKeepTrack);
  p.Field("cbxIgnoreTags", &TfrmWizard::cbxIgnoreTags);
  p.Field("cbxIgnoreDates", &TfrmWizard::cbxIgnoreDates);
  p.Field("cbxIgnoreHexa", &TfrmWizard::cbxIgnoreHexa);
  p.Field("lblMsgCacheLength", &TfrmWizard::lblMsgCacheLength);
  p.Field("sliderHistoLength", &TfrmWizard::sliderHistoLength);
  p.Field("lblHistoSize", &TfrmWizard::lblHistoSize);
  p.Field("btnSourceAccept", &TfrmWizard::btnSourceAccept);
  p.Field("btnSourceCancel", &TfrmWizard::btnSourceCancel);
  p.Field("btnTestUrl", &TfrmWizard::btnTestUrl);
  p.Field("btnAbortTest", &TfrmWizard::btnAbortTest);
  p.Field("btnTestFinished", &TfrmWizard::btnTestFinished);
  p.Field("meUrlTrace", &TfrmWizard::meUrlTrace);
  p.Field("pnlDEL", &TfrmWizard::pnlDEL);
  p.Field("pnlDELCmd", &TfrmWizard::pnlDELCmd);
  p.Field("lblMsgDelName", &TfrmWizard::lblMsgDelName);
  p.Field("lblMsgDelAddress", &TfrmWizard::lblMsgDelAddress);
  p.Field("lblMsgConfirmDel", &TfrmWizard::lblMsgConfirmDel);
  p.Field("edtDeleteName", &TfrmWizard::edtDeleteName);
  p.Field("edtDeleteUrl", &TfrmWizard::edtDeleteUrl);
  p.Field("btnAcceptDeleteSource", &TfrmWizard::btnAcceptDeleteSource);
  p.Field("btnCancelDeleteSource", &TfrmWizard::btnCancelDeleteSource);
  p.Field("pnlIMP", &TfrmWizard::pnlIMP);
  p.Field("pnlIMPCmd", &TfrmWizard::pnlIMPCmd);
  p.Field("lblMsgUrlToScan", &TfrmWizard::lblMsgUrlToScan);
  p.Field("txtMsgImportHelp", &TfrmWizard::txtMsgImportHelp);
  p.Field("edtUrlToScan", &TfrmWizard::edtUrlToScan);
  p.Field("pnlScanResult", &TfrmWizard::pnlScanResult);
  p.Field("meUrlScanTrace", &TfrmWizard::meUrlScanTrace);
  p.Field("sgUrlToAdd", &TfrmWizard::sgUrlToAdd);
  p.Field("btnUrlScanConnect", &TfrmWizard::btnUrlScanConnect);
  p.Field("lblScanNow", &TfrmWizard::lblScanNow);
  p.Field("btnUrlScanAbort", &TfrmWizard::btnUrlScanAbort);
  p.Field("btnUrlScanAck", &TfrmWizard::btnUrlScanAck);
  p.Field("btnUrlScanOk", &TfrmWizard::btnUrlScanOk);
  p.Field("btnUrlScanCancel", &TfrmWizard::btnUrlScanCancel);
  p.Field("pnlOPT", &TfrmWizard::pnlOPT);
  p.Field("pnlOPTCmd", &TfrmWizard::pnlOPTCmd);
  p.Field("btnOptionsOK", &TfrmWizard::btnOptionsOK);
  p.Field("pgcOptions", &TfrmWizard::pgcOptions);
  p.Field("tsGeneral", &TfrmWizard::tsGeneral);
  p.Field("tsTimers", &TfrmWizard::tsTimers);
  p.Field("tsMisc", &TfrmWizard::tsMisc);
  p.Field("tsConnection", &TfrmWizard::tsConnection);
  p.Field("tsLanguage", &TfrmWizard::tsLanguage);
  p.Field("lblMsgNormalModeSample", &TfrmWizard::lblMsgNormalModeSample);
  p.Field("lblMsgFullModeSample", &TfrmWizard::lblMsgFullModeSample);
  p.Field("cbNormalNewsSample", &TfrmWizard::cbNormalNewsSample);
  p.Field("cbFullNewsSample", &TfrmWizard::cbFullNewsSample);
  p.Field("btnFontNormal", &TfrmWizard::btnFontNormal);
  p.Field("btnColorNormal", &TfrmWizard::btnColorNormal);
  p.Field("btnFontFull", &TfrmWizard::btnFontFull);
  p.Field("btnColorFull", &TfrmWizard::btnColorFull);
  p.Field("cbxSilent", &TfrmWizard::cbxSilent);
  p.Field("lblMsgSilent", &TfrmWizard::lblMsgSilent);
  p.Field("lblMsgHintTimer", &TfrmWizard::lblMsgHintTimer);
  p.Field("sliderHintHide", &TfrmWizard::sliderHintHide);
  p.Field("lblHintTimer", &TfrmWizard::lblHintTimer);
  p.Field("lblMsgTimeOutReq", &TfrmWizard::lblMsgTimeOutReq);
  p.Field("sliderTimeout", &TfrmWizard::sliderTimeout);
  p.Field("lblTimeout", &TfrmWizard::lblTimeout);
  p.Field("lblMsgMaxSimReq", &TfrmWizard::lblMsgMaxSimReq);
  p.Field("sliderMaxRequest", &TfrmWizard::sliderMaxRequest);
  p.Field("lblMaxRequest", &TfrmWizard::lblMaxRequest);
  p.Field("lblMsgMaxAge", &TfrmWizard::lblMsgMaxAge);
  p.Field("sliderMaxAge", &TfrmWizard::sliderMaxAge);
  p.Field("lblMaxAge", &TfrmWizard::lblMaxAge);
  p.Field("lblMsgMaxNews", &TfrmWizard::lblMsgMaxNews);
  p.Field("sliderMaxNews", &TfrmWizard::sliderMaxNews);
  p.Field("lblMaxNews", &TfrmWizard::lblMaxNews);
  p.Field("btnClearAllCacheData", &TfrmWizard::btnClearAllCacheData);
  p.Field("pnlProxySettings", &TfrmWizard::pnlProxySettings);
  p.Field("cbProxyAutoDetect", &TfrmWizard::cbProxyAutoDetect);
  p.Field("cbUseScript", &TfrmWizard::cbUseScript);
  p.Field("lblMsgScript", &TfrmWizard::lblMsgScript);
  p.Field("edtScript", &TfrmWizard::edtScript);
  p.Field("cbxEnableProxy", &TfrmWizard::cbxEnableProxy);
  p.Field("lblMsgProxyHost", &TfrmWizard::lblMsgProxyHost);
  p.Field("edtProxyHost", &TfrmWizard::edtProxyHost);
  p.Field("lblMsgProxyPort", &TfrmWizard::lblMsgProxyPort);
  p.Field("edtProxyPort", &TfrmWizard::edtProxyPort);
  p.Field("cbxLanguage", &TfrmWizard::cbxLanguage);
  p.Field("dlgFont", &TfrmWizard::dlgFont);
  p.Field("dlgColor", &TfrmWizard::dlgColor);
  p.Field("pnlAbout", &TfrmWizard::pnlAbout);
  p.Field("lblProdName", &TfrmWizard::lblProdName);
  p.Field("lblVersion", &TfrmWizard::lblVersion);
  p.Field("lblMsgLic", &TfrmWizard::lblMsgLic);
  p.Field("lblResMoreInformation", &TfrmWizard::lblResMoreInformation);
  p.Field("lblHomesite", &TfrmWizard::lblHomesite);
}
