#include "app/Uwizard.h"

#include "app/Uwizardshared.h"
#include "engine/Htmlhrefextractor.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Htmltools.h"
#include "engine/Usdkthreadurllauncher.h"
#include "platform/rtl/Messages.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

// Trace lines by language string id.
constexpr int32_t IdScanningNews = 49;
constexpr int32_t IdStartingExploration = 50;
constexpr int32_t IdParsingUrl = 51;
constexpr int32_t IdWebResponse = 52;
constexpr int32_t IdNewsFound = 53;
constexpr int32_t IdRequestingWebNews = 54;
constexpr int32_t IdUrlsFound = 55;
constexpr int32_t IdUrlsIgnored = 56;
constexpr int32_t IdUrlsRemaining = 57;
constexpr int32_t IdScanningPage = 58;
constexpr int32_t IdScanAborted = 59;
constexpr int32_t IdRequestingNews = 60;
constexpr int32_t IdNoAccess = 61;
constexpr int32_t IdNothingToCheck = 62;
constexpr int32_t IdAddingUrl = 63;
constexpr int32_t IdScanFinished = 68;
constexpr int32_t IdNoNewsData = 69;
// Message texts by language string id.
constexpr int32_t IdInvalidUrl = 75;

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

// The names and links a scan has taken, its candidates' and the registered
// sources', each found in one look-up: candidates compare without case as
// string lists do, registered sources exactly as the source list does.
class TTakenCandidates {
public:
  explicit TTakenCandidates(const NewsExtractor& Sources) {
    for (int i = 0; i < Sources.GetSourceCount(); ++i) {
      sourceNames.insert(Sources.GetSource(i)->name);
      sourceUrls.insert(Sources.GetSource(i)->url);
    }
  }

  // Takes the link unless a candidate or a registered source has it.
  bool TakeUrl(const AnsiString& Link) {
    if (sourceUrls.count(Link) > 0)
      return false;
    return urls.insert(CaseBlindKey(Link)).second;
  }

  // Takes the caption as a name, or its stem with the smallest number that
  // makes it free.
  AnsiString TakeName(const AnsiString& Caption) {
    const AnsiString name = Caption.empty() ? AnsiString("Source name") : CleanName(Caption);
    if (!name.empty() && TakeNameIfFree(name))
      return name;
    const AnsiString stem = name.empty() ? AnsiString("Source name") : name;
    // Names are only ever added, so the numbers a stem found taken stay
    // taken and its next search starts after its last answer.
    int& next = nextNumber.try_emplace(stem, 1).first->second;
    for (;; ++next) {
      const AnsiString numbered = stem + "_" + std::to_string(next);
      if (TakeNameIfFree(numbered))
        return numbered;
    }
  }

private:
  bool TakeNameIfFree(const AnsiString& Name) {
    if (sourceNames.count(Name) > 0)
      return false;
    return names.insert(CaseBlindKey(Name)).second;
  }

  std::unordered_set<std::string> names;
  std::unordered_set<std::string> urls;
  std::unordered_set<AnsiString> sourceNames;
  std::unordered_set<AnsiString> sourceUrls;
  std::unordered_map<AnsiString, int> nextNumber;
};

} // namespace

void TestCallback::OnHttpEvent(int status, const char* body, unsigned bodyLength,
                               const char* header, unsigned headerLength) {
  owner->OnHttpResponse({status, body, bodyLength, header, headerLength, nullptr, 0});
}

void TestCallback::OnHttpResponse(const THttpResponse& response) {
  owner->OnHttpResponse(response);
}

void TestNewsNotifyCallBack::OnNewsReceived(NewsSource* source, int32_t count) {
  owner->OnNewsReceived(source, count);
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

void TfrmWizard::OnHttpResponse(const THttpResponse& response) {
  // The transaction frees itself once this returns.
  transaction = nullptr;
  // The page is shown as far as it can be read, from the worker's inflate.
  AnsiString page;
  ::PageOfResponse(response, prWhatCanBeShown, page);
  const int status = response.Status;
  // A proxy script that could not be used is why there was no access.
  if (mode != wmIdle && response.Problem != nullptr)
    (mode == wmUrlTest ? meUrlTrace : meUrlScanTrace)->Lines()->Add(response.Problem);
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
  Trace(meUrlTrace, IdNewsFound, std::to_string(count));
  if (count == 0)
    Trace(meUrlTrace, IdNoNewsData);
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
  Trace(Memo, IdScanningPage);
  Memo->Lines()->Add(Quoted(Url));
  // With every pooled transaction busy, nothing would ever complete.
  if (!started)
    Trace(Memo, IdNoAccess);
  return started;
}

void TfrmWizard::TestFinished() {
  btnAbortTest->SetVisible(false);
  btnTestFinished->SetVisible(true);
  mode = wmIdle;
}

void TfrmWizard::TestResult(int Status, const AnsiString& Page) {
  Trace(meUrlTrace, IdWebResponse, std::to_string(Status));
  if (Status != 0) {
    Trace(meUrlTrace, IdNoAccess);
  } else {
    Trace(meUrlTrace, IdParsingUrl);
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
  // Only one transaction may be outstanding: Enter during a scan, its
  // verification or before its acknowledgement starts nothing.
  if (Key == '\r' && mode == wmIdle && btnUrlScanConnect->Enabled())
    btnUrlScanConnectClick(Sender);
}

void TfrmWizard::ScanResult(int Status, const AnsiString& Page) {
  Trace(meUrlScanTrace, IdWebResponse, std::to_string(Status));
  if (Status != 0) {
    Trace(meUrlScanTrace, IdNoAccess);
    return EndOfScan();
  }
  Trace(meUrlScanTrace, IdScanningNews);
  CollectCandidates(Page);
  if (candidateUrls->Count() == 0) {
    Trace(meUrlScanTrace, IdNothingToCheck);
    return EndOfScan();
  }
  Trace(meUrlScanTrace, IdStartingExploration);
  firstCandidate = true;
  candidateTotal = candidateUrls->Count();
  candidateIndex = 1;
  StartCandidate(IdRequestingNews);
}

void TfrmWizard::CollectCandidates(const AnsiString& Page) {
  candidateNames->Clear();
  candidateUrls->Clear();
  int found = 0;
  int ignored = 0;
  const AnsiString base = Trim(edtUrlToScan->Text());
  CHtmlHrefExtractor anchors;
  TTakenCandidates taken(*Sources());
  // Each anchor is looked for in the text after the one before, as if that
  // were the whole page.
  std::string_view rest = Page;
  int position = 0;
  int end = 0;
  while (anchors.ExtractNextHRef(rest, position, end)) {
    const AnsiString href = anchors.href;
    const AnsiString caption = anchors.text;
    rest.remove_prefix(std::min<size_t>(static_cast<size_t>(end), rest.size()));
    position = end = 0;
    const AnsiString link = ResolveHref(base, href);
    const AnsiString upperHref = UpperCase(href);
    if (link.empty() || link == base || !IsValidUrl(link.c_str()) ||
        upperHref.find("JAVASCRIPT:") != AnsiString::npos ||
        upperHref.find("ONCLICK:") != AnsiString::npos)
      continue;
    ++found;
    if (!taken.TakeUrl(link)) {
      ++ignored;
      continue;
    }
    candidateNames->Add(taken.TakeName(caption));
    candidateUrls->Add(link);
  }
  Trace(meUrlScanTrace, IdUrlsFound, std::to_string(found));
  Trace(meUrlScanTrace, IdUrlsIgnored, std::to_string(ignored));
  Trace(meUrlScanTrace, IdUrlsRemaining, std::to_string(found - ignored));
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
  Trace(meUrlScanTrace, IdNoAccess);
  EndOfScan();
}

void TfrmWizard::VerifyResult(int Status, const AnsiString& Page) {
  Trace(meUrlScanTrace, IdWebResponse, std::to_string(Status));
  if (Status != 0) {
    Trace(meUrlScanTrace, IdNoAccess);
  } else {
    Trace(meUrlScanTrace, IdParsingUrl);
    NewsSource probe(nullptr);
    probe.pageText = Page;
    probe.ExtractNews();
    const int count = probe.GetNewsCount();
    Trace(meUrlScanTrace, IdNewsFound, std::to_string(count));
    if (count > 0) {
      Trace(meUrlScanTrace, IdAddingUrl);
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
  StartCandidate(IdRequestingWebNews);
}

void TfrmWizard::EndOfScan() {
  Trace(meUrlScanTrace, IdScanFinished);
  btnUrlScanAbort->SetVisible(false);
  EnableScanConnect(false);
  btnUrlScanAck->SetVisible(true);
  btnUrlScanOk->SetVisible(true);
  btnUrlScanOk->SetEnabled(false);
  mode = wmIdle;
}

void TfrmWizard::btnUrlScanAbortClick(TObject*) {
  Trace(meUrlScanTrace, IdScanAborted);
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
