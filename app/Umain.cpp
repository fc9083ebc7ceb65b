#include "app/Umain.h"

#include "app/Singleappinstance.h"
#include "app/Usdkthreadurllauncher.h"
#include "app/Uvclfunctions.h"
#include "engine/Chttpthread.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Newsdata.h"
#include "engine/Newsextractor.h"
#include "engine/Newstools.h"
#include "engine/Usdkthreadurllauncher.h"
#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Kernel.h"
#include "platform/rtl/Messages.h"
#include "platform/rtl/Stringlist.h"
#include "platform/shell/Fileurl.h"
#include "platform/ui/Layout.h"
#include "skin/Ephint.h"
#include "skin/Epmorph.h"
#include "skin/Medialib.h"
#include "skin/Regions.h"
#include "skin/Wavctrl.h"

#include "app/Usmallview.h"
#include "app/Uwizard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

TfrmMain* frmMain = nullptr;

namespace {

constexpr int32_t MaxFilterAge = 172800; // seconds: 48 hours
constexpr uint64_t GraphPeriodMs = 60000;
constexpr uint64_t BeepGapMs = 500;
constexpr int32_t IdleEventsPerDots = 1000;
constexpr int TicksPerSecond = 10;
constexpr const char* RequestLogFile = "request.log";
constexpr const char* HelpVersion = "1.020b";

AnsiString LowerCase(AnsiString text) {
  for (char& ch : text)
    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return text;
}

bool StartsWith(const AnsiString& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The unscrolled cell of a grid position, -1 outside every cell.
TGridCoord CellAt(const TStringGrid* grid, TPoint p) {
  int col = -1, row = -1;
  grid->MouseToCell(p.X, p.Y, col, row);
  return {col, row};
}

} // namespace

// ---------------------------------------------------------------- helpers

TMainFiles MainFilesFromExe(const AnsiString& exePath) {
  TMainFiles files;
  files.ExePath = exePath;
  files.IniFile = IniPathFromExe(exePath);
  const AnsiString folder = IncludeTrailingPathDelimiter(ExtractFileDir(exePath));
  files.CacheFolder = folder + "cache/";
  files.HelpFolder = folder + "help/";
  return files;
}

AnsiString LogTimeText(TDateTime when) {
  static const char* const Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  Word year, month, day, hour, minute, second, msec;
  DecodeDate(when, year, month, day);
  DecodeTime(when, hour, minute, second, msec);
  // Day 0, 30 December 1899, was a Saturday.
  const int64_t dayCount = static_cast<int64_t>(std::floor(when));
  const int weekday = static_cast<int>(((dayCount + 6) % 7 + 7) % 7);
  char text[32];
  std::snprintf(text, sizeof text, "%s %s %2u %02u:%02u:%02u %04u", Days[weekday],
                Months[(month + 11) % 12], day, hour, minute, second, year);
  return text;
}

AnsiString HelpPageUrl(const AnsiString& helpFolder, int32_t language) {
  return "file://" + helpFolder + LowerCase(CTextResources::GetLanguageCode(language)) +
         "/tidor/support" + "/version" + HelpVersion + "/help.htm";
}

AnsiString OpenableLink(const AnsiString& url, const AnsiString& cacheFolder) {
  const AnsiString lower = LowerCase(url);
  if (StartsWith(lower, "http://") || StartsWith(lower, "https://"))
    return url;
  return FileUrlInsideFolder(url, cacheFolder);
}

void NewsNotifyCallBack::OnNewsReceived(NewsSource* source, int32_t count) {
  if (owner)
    owner->OnNewsReceived(source, count);
}

// ---------------------------------------------------------------- life

TfrmMain::TfrmMain(TComponent* AOwner) : TfrmMain(AOwner, ParamStr(0)) {}

TfrmMain::TfrmMain(TComponent* AOwner, const AnsiString& exePath, TMillisecondClock clock)
    : TForm(AOwner), clock(clock ? std::move(clock) : TMillisecondClock(GetTickCount64)) {
  Construct(exePath);
}

void TfrmMain::Construct(const AnsiString& exePath) {
  ReadLayout(this, "frmMain");
  // A second instance ends here, before it touches any file of the first.
  if (Application->Terminated())
    return;
  files = MainFilesFromExe(exePath);
  CNoveltyDetector::SetCacheFolder(files.CacheFolder);
  if (!ProxyConfig)
    CreateProxyConfig();

  settings = std::make_unique<CSystemConfigurator>();
  InitNewsTools();
  settings->SetFileNames(files.IniFile);
  if (!settings->Load())
    MessageBox(UnreadableSettingsText(settings->iniFile).c_str(), "Welka Tidor", MB_ICONERROR);
  settings->CheckWindowPositions();
  NewsExtractor::SetMaxRequest(settings->maxRequest);
  pnlDebug->SetVisible(settings->debug);
  running = !settings->debug;
  ApplyConnectionAndHints();
  Application->SetShowHint(true);

  notifier = std::make_unique<NewsNotifyCallBack>(this);
  sources = std::make_unique<NewsExtractor>(notifier.get());
  edFilter->SetText(settings->texts.KeywordsPrompt);
  sources->LoadSources(settings->sourcesFile);
  filter = std::make_unique<CDataMatcher>();
  filter->SetMaxAge(MaxFilterAge);
  sources->LoadNews(settings->newsFile, filter.get());
  UpdateSourceCounters();
  alive = true;
  sources->GetAllNews(allItems);
  if (!allItems.empty())
    SetStatusMessage("");
  Application->OnIdle = [this](TObject* Sender, bool& Done) { AppIdle(Sender, Done); };
  RefreshNewsGrid();
  btnPause->SetVisible(running);
  btnPlay->SetVisible(!running);
  SetLeft(settings->mainLeft);
  SetTop(settings->mainTop);
  SetGridFont(NormalFont.get());
  ApplyLanguage();
  for (int col = 0; col < 3; ++col)
    sgNews->SetColWidths(col, settings->newsColWidth[col]);
  timer.constructing = false;
  tmrRequester->SetEnabled(true);
}

TfrmMain::~TfrmMain() {
  if (tmrRequester)
    tmrRequester->SetEnabled(false);
  if (settings)
    Application->OnIdle = nullptr;
  sources.reset();
  notifier.reset();
  allItems.clear();
  news.Clear();
  filter.reset();
  if (settings) {
    settings.reset();
    FreeNewsTools();
    DeleteProxyConfig();
  }
  if (frmMain == this)
    frmMain = nullptr;
}

void TfrmMain::FormCloseQuery(TObject*, bool& CanClose) {
  CanClose = true;
  if (!settings || !alive)
    return;
  alive = false;
  if (frmSmallView)
    frmSmallView->SetListValid(false);
  tmrRequester->SetEnabled(false);
  sources->DetachNotifiers();
  // The source list reports its own failed saves.
  sources->SaveSources(settings->sourcesFile);
  filter->SetKeywords("");
  sources->SaveNews(settings->newsFile);
  for (int col = 0; col < 3; ++col)
    settings->newsColWidth[col] = sgNews->ColWidths(col);
  settings->mainLeft = Left();
  settings->mainTop = Top();
  if (!settings->Save())
    ReportSaveFailure(settings->iniFile);
}

void TfrmMain::ApplyConnectionAndHints() {
  ProxyConfig->SetProxySettings(settings->autoProxy, settings->useProxyScript,
                                settings->proxyScript.c_str(), settings->enableProxy,
                                settings->proxyHost.c_str(), settings->proxyPort.c_str());
  Application->HintHidePause = settings->hintHidePause;
  Application->HintShortPause = settings->hintShortPause;
  Application->HintPause = settings->hintPause;
}

void TfrmMain::ReportSaveFailure(const AnsiString& fileName) {
  const AnsiString text =
      "The file " + fileName + " could not be written; the previous version was kept.";
  MessageBox(text.c_str(), "Welka Tidor", MB_OK | MB_ICONERROR);
}

void TfrmMain::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_F1)
    btnHelpClick(this);
}

void TfrmMain::btnCloseClick(TObject*) {
  Close();
}

void TfrmMain::btnReduceClick(TObject*) {
  Application->Minimize();
}

void TfrmMain::btnPropertiesClick(TObject*) {
  if (!frmWizard)
    return;
  frmWizard->ApplyLanguage(settings.get());
  frmWizard->ShowModal();
  ApplyConnectionAndHints();
  ApplyLanguage();
  UpdateSourceCounters();
  RefreshNewsGrid();
}

void TfrmMain::btnAboutClick(TObject*) {
  if (!frmWizard)
    return;
  frmWizard->ApplyLanguage(settings.get());
  frmWizard->ShowAbout();
  frmWizard->ShowModal();
}

void TfrmMain::btnFullModeClick(TObject*) {
  if (!frmSmallView)
    return;
  Hide();
  // Typed into from its first moment, the window forwards to this one: the
  // list is valid from now on, not only from the timer's first pass.
  frmSmallView->SetList(&news.Items(), alive);
  frmSmallView->RefreshRowCount();
  frmSmallView->SetPlayState(running);
  frmSmallView->SetFilterCaption(settings.get());
  frmSmallView->Show();
}

void TfrmMain::objectMoveMouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
  if (Button != mbLeft)
    return;
  dragging = true;
  GetCursorPos(&dragPoint);
}

void TfrmMain::objectMoveMouseMove(TObject*, TShiftState, int, int) {
  if (!dragging)
    return;
  TPoint now;
  GetCursorPos(&now);
  const int left = Left() + now.X - dragPoint.X;
  const int top = Top() + now.Y - dragPoint.Y;
  int32_t snappedLeft = left, snappedTop = top;
  if (SnapToScreenEdges(left, top, Width(), Height(), snappedLeft, snappedTop, 10, 10))
    SetBounds(snappedLeft, snappedTop, Width(), Height());
  else
    SetBounds(left, top, Width(), Height());
  dragPoint = now;
}

void TfrmMain::objectMoveMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  dragging = false;
}

AnsiString TfrmMain::GetLangString(int32_t id) const {
  return settings->texts.GetString(id);
}

void TfrmMain::ApplyLanguage() {
  const std::pair<TComponent*, int32_t> texts[] = {
      {lblRequests, 84},
      {lblChangesLegend, 85},
      {lblNewsLegend, 86},
      {lblMsgStat, 108},
      {itmSortByReception, 112},
      {itmSortByNewsDate, 113},
      {itmSortBySourceName, 114},
      {itmSortByHeadLine, 115},
      {rd_asc, 116},
      {nd_asc, 116},
      {sr_asc, 116},
      {hd_asc, 116},
      {rd_desc, 117},
      {nd_desc, 117},
      {sr_desc, 117},
      {hd_desc, 117},
      {itmNewsHomePage, 118},
      {itmNewsDetail, 119},
      {itmNewsOldPage, 120},
      {itmNewsViewDelta, 121},
  };
  for (const auto& [component, id] : texts) {
    if (auto* label = dynamic_cast<TLabel*>(component))
      label->SetCaption(GetLangString(id));
    else if (auto* item = dynamic_cast<TMenuItem*>(component))
      item->SetCaption(GetLangString(id));
  }
}

void TfrmMain::SetGridFont(TFont* font) {
  sgNews->Font()->Assign(font);
  sgNews->SetDefaultRowHeight(std::abs(font->Height()) + 4);
}

// ---------------------------------------------------------------- timer

void TfrmMain::tmrRequesterTimer(TObject*) {
  lblTimer->SetCaption(TimeToStr(Now()));
  if (++timer.tickCount % TicksPerSecond != 0)
    return;
  timer.tickCount = 0;
  if (settings->startDelay > timer.startSeconds) {
    ++timer.startSeconds;
    return;
  }
  if (clock() - timer.lastGraphTick >= GraphPeriodMs)
    AddGraphPoints();
  if (timer.timerBusy > 0)
    return;
  ++timer.timerBusy;
  OnceASecond();
  --timer.timerBusy;
  sgNews->Invalidate();
}

void TfrmMain::OnceASecond() {
  if (!timer.firstPassDone) {
    timer.firstPassDone = true;
    UpdateSourceCounters();
    RefreshNewsGrid();
  }
  if (frmSmallView) {
    frmSmallView->SetList(&news.Items(), alive);
    frmSmallView->RefreshRowCount();
    frmSmallView->timerFormTimer(this);
  }
  if (running)
    RequestNextSource();
  if (!timer.filterIdle && clock() - timer.lastKeyTick >= uint64_t(settings->filterDelay)) {
    SetStatusMessage(settings->texts.FilteringKeywords);
    filter->SetKeywords(FilterKeywords());
    RefreshNewsGrid();
    timer.filterIdle = true;
    return;
  }
  if (timer.filterIdle && lblMessage->Caption() == settings->texts.FilteringKeywords)
    SetStatusMessage("");
}

void TfrmMain::AddGraphPoints() {
  timer.lastGraphTick = clock();
  perf->DataPoint(lblRequests->Font()->Color(), timer.requestsStarted - sources->GetBusyCount());
  perf->Update();
  perf->DataPoint(lblChangesLegend->Font()->Color(), timer.changeCount * 10);
  perf->Update();
  perf->DataPoint(lblNewsLegend->Font()->Color(), timer.newsCount);
  perf->Update();
  timer.requestsStarted = 0;
  timer.changeCount = 0;
  timer.newsCount = 0;
}

void TfrmMain::RequestNextSource() {
  NewsSource* source = sources->GetNextSource(settings->timeOut);
  if (!source)
    return;
  source->StartRequest();
  // With every transaction of the pool taken the source stays idle and due:
  // nothing started, so nothing is counted or shown.
  if (!source->IsBusy())
    return;
  SetStatusMessage(GetLangString(48) + " [" + source->GetUrl() + "]");
  ++timer.requestsStarted;
  if (settings->debug)
    AppendRequestLog(">> " + LogTimeText(Now()) + " " + source->name + "\n");
}

void TfrmMain::OnNewsReceived(NewsSource* source, int32_t count) {
  if (settings->debug)
    AppendRequestLog("<< " + LogTimeText(Now()) + " " + source->name + " Found [" +
                     std::to_string(count) + "]\n");
  if (count == 0) {
    SetStatusMessage("");
    return;
  }
  SetStatusMessage(GetLangString(40));
  PlayNewsBeep();
  const int total = source->GetNewsCount();
  bool appended = false;
  for (int i = total - count; i >= 0 && i < total; ++i) {
    NewsData* item = source->GetNews(i);
    allItems.push_back(item);
    ++(item->kind == 1 ? timer.changeCount : timer.newsCount);
    appended = true;
  }
  if (appended)
    RefreshNewsGrid();
}

void TfrmMain::PlayNewsBeep() {
  if (!settings->beep)
    return;
  const uint64_t now = clock();
  if (timer.beeped && now - timer.lastBeepTick < BeepGapMs)
    return;
  timer.beeped = true;
  timer.lastBeepTick = now;
  bipPlayer->Play();
}

void TfrmMain::AppendRequestLog(const AnsiString& line) const {
  FILE* log = std::fopen(RequestLogFile, "ab");
  if (!log)
    return;
  std::fputs(line.c_str(), log);
  std::fclose(log);
}

void TfrmMain::SetStatusMessage(const AnsiString& text) {
  lblMessage->SetCaption(text);
  if (frmSmallView)
    frmSmallView->SetStatusMessage(text);
}

void TfrmMain::btnPlayClick(TObject*) {
  SetRunning(true, "Request enabled");
}

void TfrmMain::btnPauseClick(TObject*) {
  SetRunning(false, "Request disabled");
}

void TfrmMain::SetRunning(bool value, const AnsiString& status) {
  btnPause->SetVisible(value);
  btnPlay->SetVisible(!value);
  running = value;
  SetStatusMessage(status);
  if (frmSmallView)
    frmSmallView->SetPlayState(value);
}

void TfrmMain::edFilterKeyDown(TObject*, uint16_t&, TShiftState) {
  if (edFilter->Text() == settings->texts.KeywordsPrompt)
    edFilter->SetText("");
}

AnsiString TfrmMain::FilterKeywords() const {
  // The prompt is written into the box, by the start and by a language
  // switch, and would otherwise filter out every item.
  const AnsiString text = edFilter->Text();
  return text == settings->texts.KeywordsPrompt ? AnsiString() : text;
}

void TfrmMain::edFilterChange(TObject*) {
  if (timer.constructing)
    return;
  // The placeholder is no text: the other box stays empty under it.
  if (frmSmallView)
    frmSmallView->SetFilterText(FilterKeywords());
  timer.lastKeyTick = clock();
  if (timer.filterIdle)
    SetStatusMessage(settings->texts.WaitingKeywords);
  timer.filterIdle = false;
}

void TfrmMain::AppIdle(TObject*, bool&) {
  if (++timer.idleCount < IdleEventsPerDots)
    return;
  timer.idleCount = 0;
  SetStatusMessage("... ");
}

void TfrmMain::btnRequestNewsClick(TObject*) {
  RequestNextSource();
}

void TfrmMain::btnClearNewsClick(TObject*) {
  allItems.clear();
  news.Clear();
  sources->ClearAllNews();
  RefreshNewsGrid();
}

void TfrmMain::perfScaleChange(TObject*) {
  lblPerfScale->SetCaption(AnsiString(" ") + std::to_string(perf->Scale()));
}

// ---------------------------------------------------------------- grid

void TfrmMain::RefreshNewsGrid() {
  // New rows go in above the selections, which stay on their items.
  const TGridPlace place = GridPlaceOf(sgNews, news.Items());
  const TGridPlace fullPlace = frmSmallView ? frmSmallView->GridPlace() : TGridPlace();
  news.Refresh(allItems, *filter);
  lblNewsInfos->SetCaption(
      CounterLine(settings->texts.NewsLabel, news.ShownNews(), news.TotalNews()));
  lblDispNews->SetCaption(
      CounterLine(settings->texts.UpdatesLabel, news.ShownChanges(), news.TotalChanges()));
  const int rows = static_cast<int>(news.Items().size()) + 1;
  if (rows > 1) {
    sgNews->SetRowCount(rows);
    sgNews->SetFixedRows(1);
  } else {
    sgNews->SetFixedRows(0);
    sgNews->SetRowCount(rows);
  }
  RestoreGridPlace(sgNews, news.Items(), place);
  if (frmSmallView) {
    frmSmallView->SetNewsStat(news.ShownChanges(), news.ShownNews(), news.TotalChanges(),
                              news.TotalNews());
    if (alive) {
      frmSmallView->RefreshRowCount();
      frmSmallView->RestoreGridPlace(fullPlace);
    }
  }
}

void TfrmMain::UpdateSourceCounters() {
  const int enabled = sources->GetEnabledCount();
  const int total = sources->GetSourceCount();
  lblSourcesInfos->SetCaption(CounterLine(settings->texts.SourcesLabel, enabled, total));
  if (frmSmallView)
    frmSmallView->SetSourcesStat(enabled, total);
}

void TfrmMain::SortNewsList(int32_t key, bool ascending) {
  SortKey = key;
  SortAscending = ascending;
  news.Sort();
  sgNews->Invalidate();
  if (frmSmallView)
    frmSmallView->RefreshRowCount();
}

void TfrmMain::sgNewsDrawCell(TObject*, int ACol, int ARow, TRect Rect, TGridDrawState State) {
  if (!alive)
    return;
  TNewsGridLook look;
  look.Palette = {NormalBkgColor, NormalBkgShades, NormalFont->Color(), NormalTextShades};
  look.Texts = &settings->texts;
  look.SortArrow = SortAscending ? bmpUp : bmpDown;
  look.ChangeMark = bmpChangeEvent;
  look.AgeStep = settings->ageStep;
  look.IndentEveryHeadline = true;
  DrawNewsCell(sgNews->Canvas(), sgNews->Font(), ACol, ARow, Rect, State.Contains(gdSelected),
               ItemOfRow(ARow), look);
}

void TfrmMain::sgNewsDblClick(TObject*) {
  TPoint cursor;
  GetCursorPos(&cursor);
  const TGridCoord cell = CellAt(sgNews, sgNews->ScreenToClient(cursor));
  DblClickCell(cell.X, cell.Y);
}

void TfrmMain::DblClickCell(int col, int row) {
  if (row == 0) {
    if (col < 0 || col > 2)
      return;
    const int32_t key = col + 1;
    SortNewsList(key, key == SortKey ? !SortAscending : false);
    return;
  }
  if (NewsData* item = ItemOfRow(row))
    OpenUrl(item->GetAbsoluteLink());
}

TPoint TfrmMain::GridCellOnScreen(const TStringGrid* grid, int col, int row) const {
  const TRect cell = grid->CellRect(col, row);
  return grid->ClientToScreen({cell.Left, cell.Bottom});
}

void TfrmMain::sgNewsContextPopup(TObject* Sender, TPoint MousePos, bool& Handled) {
  // The full-mode window's grid sends its right clicks here too: the cell is
  // found on the grid that was clicked, with its own widths and scrolling.
  auto* grid = dynamic_cast<TStringGrid*>(Sender);
  if (grid == nullptr)
    grid = sgNews;
  // From the keyboard the menu opens at the selected row.
  const bool fromKeyboard = MousePos.X == -1 && MousePos.Y == -1;
  const TGridCoord cell = fromKeyboard ? TGridCoord{0, grid->Row()} : CellAt(grid, MousePos);
  const TPoint screen =
      fromKeyboard ? GridCellOnScreen(grid, 0, cell.Y) : grid->ClientToScreen(MousePos);
  if (cell.Y == 0 && cell.X >= 0) {
    popSort->Popup(screen.X, screen.Y);
    Handled = true;
    return;
  }
  NewsData* item = ItemOfRow(cell.Y);
  if (!item)
    return;
  PrepareItemMenu(item);
  grid->SetRow(cell.Y);
  popItems->Popup(screen.X, screen.Y);
  Handled = true;
}

void TfrmMain::PrepareItemMenu(NewsData* item) {
  menuItem = item;
  const bool change = item->kind == 1;
  itmNewsHomePage->SetVisible(true);
  itmNewsDetail->SetVisible(!change);
  itmNewsOldPage->SetVisible(change && item->IsFileLink() && FileExists(item->GetFilePath()));
  itmNewsViewDelta->SetVisible(false);
}

void TfrmMain::itmNewsHomePageClick(TObject*) {
  if (menuItem && menuItem->source)
    OpenUrl(menuItem->source->GetUrl());
}

void TfrmMain::OpenMenuItemLink() {
  if (menuItem)
    OpenUrl(menuItem->GetAbsoluteLink());
}

void TfrmMain::itmNewsDetailClick(TObject*) {
  OpenMenuItemLink();
}

void TfrmMain::itmNewsOldPageClick(TObject*) {
  OpenMenuItemLink();
}

void TfrmMain::itmNewsViewDeltaClick(TObject*) {}

void TfrmMain::rd_ascClick(TObject*) {
  SortNewsList(0, true);
}
void TfrmMain::rd_descClick(TObject*) {
  SortNewsList(0, false);
}
void TfrmMain::nd_ascClick(TObject*) {
  SortNewsList(1, true);
}
void TfrmMain::nd_descClick(TObject*) {
  SortNewsList(1, false);
}
void TfrmMain::sr_ascClick(TObject*) {
  SortNewsList(2, true);
}
void TfrmMain::sr_descClick(TObject*) {
  SortNewsList(2, false);
}
void TfrmMain::hd_ascClick(TObject*) {
  SortNewsList(3, true);
}
void TfrmMain::hd_descClick(TObject*) {
  SortNewsList(3, false);
}

bool TfrmMain::GridCellHint(int col, int row, AnsiString& text) {
  (void)col;
  NewsData* item = ItemOfRow(row);
  if (!item)
    return false;
  if (item->kind == 1)
    item->CheckFileLink();
  text = GetLangString(98) + DateTimeToStr(item->received) + "\n" + GetLangString(99) +
         item->dateText + "\n" + GetLangString(100) + item->headline + "\n" + GetLangString(101) +
         item->GetSourceName() + "\n" + GetLangString(102) + item->GetAbsoluteLink();
  return true;
}

void TfrmMain::hintShowHint(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo) {
  TControl* control = HintInfo.HintControl;
  std::vector<std::pair<TControl*, int32_t>> hints = {
      {btnPlay, 91},   {btnPause, 90},    {btnProperties, 92}, {btnHelp, 93},
      {btnReduce, 94}, {btnFullMode, 95}, {btnClose, 96},      {edFilter, 97},
  };
  TStringGrid* grid = control == sgNews ? sgNews : nullptr;
  if (frmSmallView) {
    const TfrmSmallView* full = frmSmallView;
    hints.insert(hints.end(), {{full->btnPlay, 91},
                               {full->btnPause, 90},
                               {full->btnProperties, 92},
                               {full->btnReduce, 94},
                               {full->edtFilter, 97},
                               {full->btnSmaller, 103},
                               {full->btnBigger, 104},
                               {full->btnSwitchToNormalMode, 105}});
    if (control == full->sgNews)
      grid = full->sgNews;
  }
  if (grid != nullptr) {
    const TGridCoord cell = CellAt(grid, HintInfo.CursorPos);
    CanShow = GridCellHint(cell.X, cell.Y, HintStr);
    if (cell.Y >= 0)
      HintInfo.CursorRect = grid->CellRect(std::max(cell.X, 0), cell.Y);
    return;
  }
  for (const auto& [button, id] : hints)
    if (control == button) {
      HintStr = GetLangString(id);
      return;
    }
}

void TfrmMain::OpenUrl(const AnsiString& url) {
  const AnsiString link = OpenableLink(url, files.CacheFolder);
  if (!link.empty())
    LaunchUrl(link);
}

void TfrmMain::LaunchUrl(const AnsiString& url) {
  new USdkUrlLauncher(Handle(), url.c_str(), ulmShellOpen);
}

// The help page is ours, not a link of a page: the link rule does not apply.
void TfrmMain::btnHelpClick(TObject*) {
  LaunchUrl(HelpPageUrl(files.HelpFolder, settings->language));
}

WT_PUBLISH(TfrmMain, TForm) {
  using F = TfrmMain;
  p.Method("FormCloseQuery", &F::FormCloseQuery);
  p.Method("FormKeyDown", &F::FormKeyDown);
  p.Method("btnCloseClick", &F::btnCloseClick);
  p.Method("btnReduceClick", &F::btnReduceClick);
  p.Method("btnPropertiesClick", &F::btnPropertiesClick);
  p.Method("btnAboutClick", &F::btnAboutClick);
  p.Method("btnFullModeClick", &F::btnFullModeClick);
  p.Method("btnHelpClick", &F::btnHelpClick);
  p.Method("btnPlayClick", &F::btnPlayClick);
  p.Method("btnPauseClick", &F::btnPauseClick);
  p.Method("objectMoveMouseDown", &F::objectMoveMouseDown);
  p.Method("objectMoveMouseMove", &F::objectMoveMouseMove);
  p.Method("objectMoveMouseUp", &F::objectMoveMouseUp);
  p.Method("tmrRequesterTimer", &F::tmrRequesterTimer);
  p.Method("edFilterChange", &F::edFilterChange);
  p.Method("edFilterKeyDown", &F::edFilterKeyDown);
  p.Method("btnRequestNewsClick", &F::btnRequestNewsClick);
  p.Method("btnClearNewsClick", &F::btnClearNewsClick);
  p.Method("perfScaleChange", &F::perfScaleChange);
  p.Method("sgNewsDrawCell", &F::sgNewsDrawCell);
  p.Method("sgNewsDblClick", &F::sgNewsDblClick);
  p.Method("sgNewsContextPopup", &F::sgNewsContextPopup);
  p.Method("itmNewsHomePageClick", &F::itmNewsHomePageClick);
  p.Method("itmNewsDetailClick", &F::itmNewsDetailClick);
  p.Method("itmNewsOldPageClick", &F::itmNewsOldPageClick);
  p.Method("itmNewsViewDeltaClick", &F::itmNewsViewDeltaClick);
  p.Method("rd_ascClick", &F::rd_ascClick);
  p.Method("rd_descClick", &F::rd_descClick);
  p.Method("nd_ascClick", &F::nd_ascClick);
  p.Method("nd_descClick", &F::nd_descClick);
  p.Method("sr_ascClick", &F::sr_ascClick);
  p.Method("sr_descClick", &F::sr_descClick);
  p.Method("hd_ascClick", &F::hd_ascClick);
  p.Method("hd_descClick", &F::hd_descClick);
  p.Method("hintShowHint", &F::hintShowHint);
  p.Field("epRegionForm1", &F::epRegionForm1);
  p.Field("sgNews", &F::sgNews);
  p.Field("edFilter", &F::edFilter);
  p.Field("lblMessage", &F::lblMessage);
  p.Field("lblSourcesInfos", &F::lblSourcesInfos);
  p.Field("lblNewsInfos", &F::lblNewsInfos);
  p.Field("lblDispNews", &F::lblDispNews);
  p.Field("lblTimer", &F::lblTimer);
  p.Field("Panel1", &F::Panel1);
  p.Field("perf", &F::perf);
  p.Field("lblRequests", &F::lblRequests);
  p.Field("lblChangesLegend", &F::lblChangesLegend);
  p.Field("lblNewsLegend", &F::lblNewsLegend);
  p.Field("lblPerfScale", &F::lblPerfScale);
  p.Field("lblMsgStat", &F::lblMsgStat);
  p.Field("btnPlay", &F::btnPlay);
  p.Field("btnPause", &F::btnPause);
  p.Field("btnClose", &F::btnClose);
  p.Field("btnReduce", &F::btnReduce);
  p.Field("btnFullMode", &F::btnFullMode);
  p.Field("btnProperties", &F::btnProperties);
  p.Field("btnHelp", &F::btnHelp);
  p.Field("btnAbout", &F::btnAbout);
  p.Field("bmpUp", &F::bmpUp);
  p.Field("bmpDown", &F::bmpDown);
  p.Field("bmpChangeEvent", &F::bmpChangeEvent);
  p.Field("pnlDebug", &F::pnlDebug);
  p.Field("btnRequestNews", &F::btnRequestNews);
  p.Field("btnClearNews", &F::btnClearNews);
  p.Field("tmrRequester", &F::tmrRequester);
  p.Field("popSort", &F::popSort);
  p.Field("itmSortByReception", &F::itmSortByReception);
  p.Field("itmSortByNewsDate", &F::itmSortByNewsDate);
  p.Field("itmSortBySourceName", &F::itmSortBySourceName);
  p.Field("itmSortByHeadLine", &F::itmSortByHeadLine);
  p.Field("rd_asc", &F::rd_asc);
  p.Field("rd_desc", &F::rd_desc);
  p.Field("nd_asc", &F::nd_asc);
  p.Field("nd_desc", &F::nd_desc);
  p.Field("sr_asc", &F::sr_asc);
  p.Field("sr_desc", &F::sr_desc);
  p.Field("hd_asc", &F::hd_asc);
  p.Field("hd_desc", &F::hd_desc);
  p.Field("popItems", &F::popItems);
  p.Field("itmNewsHomePage", &F::itmNewsHomePage);
  p.Field("itmNewsDetail", &F::itmNewsDetail);
  p.Field("itmNewsOldPage", &F::itmNewsOldPage);
  p.Field("itmNewsViewDelta", &F::itmNewsViewDelta);
  p.Field("bipPlayer", &F::bipPlayer);
  p.Field("hint", &F::hint);
  p.Field("bmpHint", &F::bmpHint);
  p.Field("sngleInst", &F::sngleInst);
}
