#include "app/Uwizard.h"

#include "app/Uvclfunctions.h"
#include "engine/Htmlhrefextractor.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Htmltools.h"
#include "engine/Usdkthreadurllauncher.h"
#include "platform/rtl/Inifiles.h"
#include "platform/rtl/Messages.h"
#include "platform/ui/Layout.h"

#include <algorithm>
#include <array>
#include <cctype>
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
constexpr int ShadeCount = 5;
constexpr const char* IniSection = "ColWidth.Wizard";

// Message texts and titles by language string id.
constexpr int32_t IdInvalidParameter = 72;
constexpr int32_t IdEmptyName = 70;
constexpr int32_t IdEmptyUrl = 71;
constexpr int32_t IdNoOption = 73;
constexpr int32_t IdNameUsed = 106;
constexpr int32_t IdUrlUsed = 107;
constexpr int32_t IdInvalidUrl = 75;
constexpr int32_t IdGoTo = 74;

// The wizard's handlers also run while it is hidden (the main window fills
// it before showing it); focus goes only to a control that can take it.
void Focus(TWinControl* control) {
  if (control->CanFocus())
    control->SetFocus();
}

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

AnsiString Quoted(const AnsiString& text) {
  return "\"" + text + "\"";
}

AnsiString UpperCase(AnsiString text) {
  for (char& ch : text)
    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return text;
}

// A candidate's name as one line: line breaks become blanks, then the
// blanks at both ends go.
AnsiString CleanName(AnsiString name) {
  std::replace(name.begin(), name.end(), '\r', ' ');
  std::replace(name.begin(), name.end(), '\n', ' ');
  return Trim(name);
}

// The page text of a completion, shown as far as it can be read.
AnsiString PageOfResponse(int status, const char* body, unsigned bodyLength, const char* header,
                          unsigned headerLength) {
  AnsiString page;
  ::PageOfResponse({status, body, bodyLength, header, headerLength, nullptr, 0}, prWhatCanBeShown,
                   page);
  return page;
}

} // namespace

void TestCallback::OnHttpEvent(int status, const char* body, unsigned bodyLength,
                               const char* header, unsigned headerLength) {
  owner->OnHttpEvent(status, body, bodyLength, header, headerLength);
}

void TestNewsNotifyCallBack::OnNewsReceived(NewsSource* source, int32_t count) {
  owner->OnNewsReceived(source, count);
}

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

// ---------------------------------------------------------------- fetches

bool TfrmWizard::StartFetch(const AnsiString& Url) {
  transaction = AcquireTransaction();
  if (transaction == nullptr)
    return false;
  transaction->SetUrl(Url.c_str());
  transaction->SetProxyLookup(ProxyLookup());
  transaction->SetCallback(testListener.get());
  transaction->SetTimeOut(httpTimeOut);
  transaction->Start();
  return true;
}

void TfrmWizard::DetachTransaction() {
  // The running transaction is told to end without reporting, through the
  // pool, which alone may touch it once it runs.
  if (mode != wmIdle && testListener)
    DetachCallback(testListener.get());
  transaction = nullptr;
  mode = wmIdle;
}

void TfrmWizard::Trace(TMemo* Memo, int32_t Id, const AnsiString& Value) {
  Memo->Lines()->Add(LangString(Id) + Value);
}

void TfrmWizard::OnHttpEvent(int status, const char* body, unsigned bodyLength, const char* header,
                             unsigned headerLength) {
  // The transaction frees itself once this returns.
  transaction = nullptr;
  const AnsiString page = PageOfResponse(status, body, bodyLength, header, headerLength);
  switch (mode) {
  case wmUrlTest:
    TestResult(status, page);
    break;
  case wmScan:
    ScanResult(status, page);
    break;
  case wmVerify:
    VerifyResult(status, page);
    break;
  default:
    break;
  }
}

void TfrmWizard::OnNewsReceived(NewsSource*, int32_t count) {
  Trace(meUrlTrace, 53, std::to_string(count));
  if (count == 0)
    Trace(meUrlTrace, 69);
}

// ---------------------------------------------------------------- URL test

void TfrmWizard::btnTestUrlClick(TObject*) {
  const AnsiString url = Trim(edtUrl->Text());
  if (!ShowTrace(meUrlTrace, url))
    return;
  btnAbortTest->SetVisible(true);
  btnTestUrl->SetEnabled(false);
  btnTestFinished->SetVisible(false);
  btnSourceAccept->SetEnabled(false);
  btnSourceCancel->SetEnabled(false);
  mode = wmUrlTest;
  if (!BeginFetch(meUrlTrace, url))
    TestFinished();
}

bool TfrmWizard::ShowTrace(TMemo* Memo, const AnsiString& Url) {
  Memo->Lines()->Clear();
  if (Url.empty()) {
    Refuse(IdEmptyUrl);
    return false;
  }
  if (!IsValidUrl(Url.c_str())) {
    Refuse(IdInvalidUrl);
    return false;
  }
  Memo->SetBounds(0, 0, Memo->Width(), Memo->Height());
  Memo->SetVisible(true);
  Memo->BringToFront();
  return true;
}

bool TfrmWizard::BeginFetch(TMemo* Memo, const AnsiString& Url) {
  const bool started = StartFetch(Url);
  Trace(Memo, 58);
  Memo->Lines()->Add(Quoted(Url));
  // With every pooled transaction busy, nothing would ever complete.
  if (!started)
    Trace(Memo, 61);
  return started;
}

void TfrmWizard::TestFinished() {
  btnAbortTest->SetVisible(false);
  btnTestFinished->SetVisible(true);
  mode = wmIdle;
}

void TfrmWizard::TestResult(int Status, const AnsiString& Page) {
  Trace(meUrlTrace, 52, std::to_string(Status));
  if (Status != 0) {
    Trace(meUrlTrace, 61);
  } else {
    Trace(meUrlTrace, 51);
    if (!testSource)
      testSource = std::make_unique<NewsSource>(newsListener.get());
    testSource->ClearNews();
    testSource->pageText = Page;
    testSource->ExtractNews();
  }
  TestFinished();
}

void TfrmWizard::btnTestFinishedClick(TObject*) {
  btnAbortTest->SetVisible(false);
  meUrlTrace->SetVisible(false);
  btnTestFinished->SetVisible(false);
  btnTestUrl->SetEnabled(true);
  btnSourceAccept->SetEnabled(true);
  btnSourceCancel->SetEnabled(true);
}

void TfrmWizard::btnAbortTestClick(TObject* Sender) {
  DetachTransaction();
  btnTestFinishedClick(Sender);
}

// ---------------------------------------------------------------- page scan

void TfrmWizard::ibtnImportClick(TObject*) {
  ShowPage("IMP");
  if (Trim(edtUrlToScan->Text()).empty())
    edtUrlToScan->SetText("http://");
  Focus(edtUrlToScan);
  edtUrlToScan->SetSelStart(static_cast<int>(edtUrlToScan->Text().size()));
  btnUrlScanConnect->SetVisible(true);
  btnUrlScanAbort->SetVisible(false);
  btnUrlScanAck->SetVisible(false);
  btnUrlScanCancel->SetVisible(true);
  btnUrlScanOk->SetVisible(false);
}

void TfrmWizard::btnUrlScanConnectClick(TObject*) {
  const AnsiString url = Trim(edtUrlToScan->Text());
  if (!ShowTrace(meUrlScanTrace, url))
    return;
  // The rows of an earlier scan would be added with this one's OK.
  sgUrlToAdd->SetRowCount(2);
  for (int col = 0; col < sgUrlToAdd->ColCount(); ++col)
    sgUrlToAdd->SetCells(col, 1, "");
  sgUrlToAdd->SetVisible(false);
  meUrlScanTrace->BringToFront();
  btnUrlScanAbort->SetVisible(true);
  EnableScanConnect(false);
  btnUrlScanAck->SetVisible(false);
  btnUrlScanOk->SetEnabled(false);
  btnUrlScanCancel->SetVisible(false);
  mode = wmScan;
  if (!BeginFetch(meUrlScanTrace, url))
    EndOfScan();
}

void TfrmWizard::EnableScanConnect(bool Value) {
  btnUrlScanConnect->SetEnabled(Value);
  lblScanNow->SetEnabled(Value);
}

void TfrmWizard::edtUrlToScanKeyPress(TObject* Sender, char& Key) {
  if (Key == '\r')
    btnUrlScanConnectClick(Sender);
}

void TfrmWizard::ScanResult(int Status, const AnsiString& Page) {
  Trace(meUrlScanTrace, 52, std::to_string(Status));
  if (Status != 0) {
    Trace(meUrlScanTrace, 61);
    return EndOfScan();
  }
  Trace(meUrlScanTrace, 49);
  CollectCandidates(Page);
  if (candidateUrls->Count() == 0) {
    Trace(meUrlScanTrace, 62);
    return EndOfScan();
  }
  Trace(meUrlScanTrace, 50);
  firstCandidate = true;
  candidateTotal = candidateUrls->Count();
  candidateIndex = 1;
  StartCandidate(60);
}

void TfrmWizard::CollectCandidates(const AnsiString& Page) {
  candidateNames->Clear();
  candidateUrls->Clear();
  int found = 0;
  int ignored = 0;
  const AnsiString base = Trim(edtUrlToScan->Text());
  CHtmlHrefExtractor anchors;
  AnsiString rest = Page;
  int position = 0;
  int end = 0;
  while (anchors.ExtractNextHRef(rest, position, end)) {
    const AnsiString href = anchors.href;
    const AnsiString caption = anchors.text;
    rest = rest.substr(std::min<size_t>(static_cast<size_t>(end), rest.size()));
    position = end = 0;
    const AnsiString link = ResolveHref(base, href);
    const AnsiString upperHref = UpperCase(href);
    if (link.empty() || link == base || !IsValidUrl(link.c_str()) ||
        upperHref.find("JAVASCRIPT:") != AnsiString::npos ||
        upperHref.find("ONCLICK:") != AnsiString::npos)
      continue;
    ++found;
    if (candidateUrls->IndexOf(link) >= 0 || Sources()->FindSourceByUrl(link) != nullptr) {
      ++ignored;
      continue;
    }
    candidateNames->Add(UniqueCandidateName(caption));
    candidateUrls->Add(link);
  }
  Trace(meUrlScanTrace, 55, std::to_string(found));
  Trace(meUrlScanTrace, 56, std::to_string(ignored));
  Trace(meUrlScanTrace, 57, std::to_string(found - ignored));
}

AnsiString TfrmWizard::UniqueCandidateName(const AnsiString& Caption) const {
  const AnsiString name = Caption.empty() ? AnsiString("Source name") : CleanName(Caption);
  const auto taken = [&](const AnsiString& n) {
    return candidateNames->IndexOf(n) >= 0 || Sources()->FindSourceByName(n) != nullptr;
  };
  if (!name.empty() && !taken(name))
    return name;
  const AnsiString stem = name.empty() ? AnsiString("Source name") : name;
  for (int i = 1;; ++i) {
    const AnsiString numbered = stem + "_" + std::to_string(i);
    if (!taken(numbered))
      return numbered;
  }
}

void TfrmWizard::StartCandidate(int32_t TraceId) {
  mode = wmVerify;
  const AnsiString url = candidateUrls->Strings(0);
  const bool started = StartFetch(url);
  Trace(meUrlScanTrace, TraceId,
        " [" + std::to_string(candidateIndex) + "/" + std::to_string(candidateTotal) +
            "] : " + Quoted(url));
  if (started)
    return;
  Trace(meUrlScanTrace, 61);
  EndOfScan();
}

void TfrmWizard::VerifyResult(int Status, const AnsiString& Page) {
  Trace(meUrlScanTrace, 52, std::to_string(Status));
  if (Status != 0) {
    Trace(meUrlScanTrace, 61);
  } else {
    Trace(meUrlScanTrace, 51);
    NewsSource probe(nullptr);
    probe.pageText = Page;
    probe.ExtractNews();
    const int count = probe.GetNewsCount();
    Trace(meUrlScanTrace, 53, std::to_string(count));
    if (count > 0) {
      Trace(meUrlScanTrace, 63);
      sgUrlToAdd->SetRowCount(firstCandidate ? 2 : sgUrlToAdd->RowCount() + 1);
      sgUrlToAdd->SetFixedRows(1);
      firstCandidate = false;
      const int row = sgUrlToAdd->RowCount() - 1;
      sgUrlToAdd->SetCells(0, row, " ");
      sgUrlToAdd->SetCells(1, row, candidateNames->Strings(0));
      sgUrlToAdd->SetCells(2, row, std::to_string(count));
      sgUrlToAdd->SetCells(3, row, candidateUrls->Strings(0));
      sgUrlToAdd->SetCol(1);
      sgUrlToAdd->SetRow(1);
      sgUrlToAdd->SetVisible(true);
      meUrlScanTrace->BringToFront();
    }
  }
  candidateNames->Delete(0);
  candidateUrls->Delete(0);
  if (candidateUrls->Count() == 0)
    return EndOfScan();
  ++candidateIndex;
  StartCandidate(54);
}

void TfrmWizard::EndOfScan() {
  Trace(meUrlScanTrace, 68);
  btnUrlScanAbort->SetVisible(false);
  EnableScanConnect(false);
  btnUrlScanAck->SetVisible(true);
  btnUrlScanOk->SetVisible(true);
  btnUrlScanOk->SetEnabled(false);
  mode = wmIdle;
}

void TfrmWizard::btnUrlScanAbortClick(TObject*) {
  Trace(meUrlScanTrace, 59);
  DetachTransaction();
  EndOfScan();
}

void TfrmWizard::btnUrlScanAckClick(TObject*) {
  meUrlScanTrace->SetVisible(false);
  btnUrlScanAbort->SetVisible(false);
  EnableScanConnect(true);
  btnUrlScanAck->SetVisible(false);
  btnUrlScanOk->SetEnabled(true);
  btnUrlScanCancel->SetVisible(sgUrlToAdd->Visible());
}

void TfrmWizard::sgUrlToAddSelectCell(TObject*, int ACol, int ARow, bool& CanSelect) {
  CanSelect = ACol == 1 && ARow > 0;
}

void TfrmWizard::sgUrlToAddClick(TObject*) {
  const TGridCoord cell = CellUnderCursor(sgUrlToAdd);
  if (cell.X != 0 || cell.Y < 1 || cell.Y >= sgUrlToAdd->RowCount())
    return;
  const bool ticked = Trim(sgUrlToAdd->Cells(0, cell.Y)).size() == 1;
  sgUrlToAdd->SetCells(0, cell.Y, ticked ? "" : "X");
}

void TfrmWizard::sgUrlToAddDrawCell(TObject*, int ACol, int ARow, TRect Rect, TGridDrawState) {
  if (ARow == 0) {
    static const char* const titles[] = {"Use", "Name", "Count", "Url"};
    DrawHeaderCell(sgUrlToAdd, ACol < 4 ? titles[ACol] : "", Rect);
    return;
  }
  if (ACol == 0)
    DrawMark(sgUrlToAdd, sgUrlToAdd->Cells(0, ARow) == "X", Rect);
  else
    DrawTextCell(sgUrlToAdd, sgUrlToAdd->Cells(ACol, ARow), Rect);
}

void TfrmWizard::btnUrlScanOkClick(TObject*) {
  // After a conflict the page stays, with the row in question selected.
  if (btnUrlScanCancel->Visible() && !AddTickedCandidates())
    return;
  ShowPage("DEF");
}

void TfrmWizard::btnUrlScanCancelClick(TObject*) {
  ShowPage("DEF");
}

bool TfrmWizard::CheckTickedCandidates() {
  TStringList names;
  for (int row = 1; row < sgUrlToAdd->RowCount(); ++row) {
    if (Trim(sgUrlToAdd->Cells(0, row)).empty())
      continue;
    // A name edited in the grid reaches the source list as one line.
    const AnsiString name = CleanName(sgUrlToAdd->Cells(1, row));
    sgUrlToAdd->SetCells(1, row, name);
    const AnsiString url = sgUrlToAdd->Cells(3, row);
    const bool taken = names.IndexOf(name) >= 0 || Sources()->FindSourceByName(name) != nullptr;
    if (name.empty() || taken) {
      sgUrlToAdd->SetCol(1);
      sgUrlToAdd->SetRow(row);
      const AnsiString text =
          name.empty() ? LangString(IdEmptyName) : "Name : '" + name + "' already used ...";
      MessageBox(text.c_str(), "Source name error", MB_OK);
      return false;
    }
    if (Sources()->FindSourceByUrl(url) != nullptr) {
      MessageBox(("Url : '" + url + "' already used ...").c_str(), "Url error", MB_OK);
      return false;
    }
    names.Add(name);
  }
  return true;
}

void TfrmWizard::btnAddSourcesClick(TObject*) {
  AddTickedCandidates();
}

bool TfrmWizard::AddTickedCandidates() {
  if (!CheckTickedCandidates())
    return false;
  for (int row = 1; row < sgUrlToAdd->RowCount(); ++row) {
    if (Trim(sgUrlToAdd->Cells(0, row)).empty())
      continue;
    SourceDefinition definition;
    definition.name = sgUrlToAdd->Cells(1, row);
    definition.url = sgUrlToAdd->Cells(3, row);
    definition.enabled = true;
    definition.newsExtraction = true;
    definition.noveltyDetection = false;
    definition.keepChangeTrack = false;
    definition.ignoreHtmlTags = false;
    definition.ignoreDates = false;
    definition.ignoreBigHexaNumbers = false;
    definition.historyLength = sliderHistoLength->Value();
    definition.trackerCounter = 0;
    Sources()->AddSource(definition);
    RefreshSourceRows();
  }
  sgUrlToAdd->SetVisible(false);
  ShowPage("DEF");
  return true;
}

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
    c->Brush()->SetColor((full ? FullModeBkgShades : NormalBkgShades)[4 - Index]);
    c->Font()->SetColor((full ? FullModeTextShades : NormalTextShades)[4 - Index]);
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
    cbNormalNewsSample->Items()->Add(LangString(78));
    cbFullNewsSample->Items()->Add(LangString(80));
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
  ShowText(txtMsgImportHelp, t.GetString(21) + t.GetString(22));
  TBitmap measure;
  measure.SetSize(1, 1);
  for (TepBMPCheckBox* box : {cbxKeepTrack, cbxIgnoreTags, cbxIgnoreDates, cbxIgnoreHexa,
                              cbProxyAutoDetect, cbUseScript, cbxEnableProxy})
    FitCheckBox(box, measure.Canvas());
  // Each line of the notice on a line of its own.
  lblMsgLic->SetCaption(t.GetString(110) + t.GetString(109) + t.GetString(111));
  lblScanNow->SetCaption(ScanButtonText(t.GetString(21)));
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
