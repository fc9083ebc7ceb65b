#pragma once
// The main window: it owns the settings, the source list, the filter and the
// notifier for the program's whole run, drives the engine with its 100 ms
// timer, shows the received news in its grid and saves everything when it
// closes, whichever way the program is told to end.
#include "app/Unewslist.h"
#include "app/Usystemconfig.h"
#include "engine/Newssource.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Perfgrph.h"
#include "platform/ui/Stdctrls.h"
#include "platform/ui/Timers.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CDataMatcher;
class NewsData;
class NewsExtractor;
class TepBitmap;
class TepHint;
class TepMorphButton;
class TepRegionForm;
class TepWavePlayer;
class TSingleAppInstance;
class TfrmMain;

// The main window's listener of the sources' reports.
class NewsNotifyCallBack : public NewsUpdater {
public:
  explicit NewsNotifyCallBack(TfrmMain* owner) : owner(owner) {}
  void OnNewsReceived(NewsSource* source, int32_t count) override;

private:
  TfrmMain* owner; // not owned
};

// Milliseconds of a clock that never goes back and never wraps in practice.
using TMillisecondClock = std::function<uint64_t()>;

// The files beside the executable; the path carries no extension on this
// system, but one is honoured when the file name has it.
struct TMainFiles {
  AnsiString ExePath;
  AnsiString IniFile;
  AnsiString CacheFolder; // ends with a path delimiter
  AnsiString HelpFolder;  // ends with a path delimiter
};
TMainFiles MainFilesFromExe(const AnsiString& exePath);

// The local time as "Wed Dec  9 09:47:49 2026".
AnsiString LogTimeText(TDateTime when);
// The help page of a language below the help folder, as a file:// URL.
AnsiString HelpPageUrl(const AnsiString& helpFolder, int32_t language);
// The link the browser is given for a page's link: http and https links as
// they are, a file:// link that names a file inside the page cache as the
// link of that file's canonical path; "" for every other link.
AnsiString OpenableLink(const AnsiString& url, const AnsiString& cacheFolder);

class TfrmMain : public TForm {
public:
  // The files live beside the running executable.
  explicit TfrmMain(TComponent* AOwner);
  // The files live beside exePath; clock gives the timer's ticks
  // (GetTickCount64 when empty).
  TfrmMain(TComponent* AOwner, const AnsiString& exePath, TMillisecondClock clock = {});
  ~TfrmMain() override;

  // Components of the stored layout.
  TepRegionForm* epRegionForm1 = nullptr;
  TStringGrid* sgNews = nullptr;
  TEdit* edFilter = nullptr;
  TLabel* lblMessage = nullptr;
  TLabel* lblSourcesInfos = nullptr;
  TLabel* lblNewsInfos = nullptr;
  TLabel* lblDispNews = nullptr;
  TLabel* lblTimer = nullptr;
  TPanel* Panel1 = nullptr;
  TPerformanceGraph* perf = nullptr;
  TLabel* lblRequests = nullptr;
  TLabel* lblChangesLegend = nullptr;
  TLabel* lblNewsLegend = nullptr;
  TLabel* lblPerfScale = nullptr;
  TLabel* lblMsgStat = nullptr;
  TepMorphButton* btnPlay = nullptr;
  TepMorphButton* btnPause = nullptr;
  TepMorphButton* btnClose = nullptr;
  TepMorphButton* btnReduce = nullptr;
  TepMorphButton* btnFullMode = nullptr;
  TepMorphButton* btnProperties = nullptr;
  TepMorphButton* btnHelp = nullptr;
  TepMorphButton* btnAbout = nullptr;
  TImage* bmpUp = nullptr;
  TImage* bmpDown = nullptr;
  TImage* bmpChangeEvent = nullptr;
  TPanel* pnlDebug = nullptr;
  TButton* btnRequestNews = nullptr;
  TButton* btnClearNews = nullptr;
  TTimer* tmrRequester = nullptr;
  TPopupMenu* popSort = nullptr;
  TMenuItem* itmSortByReception = nullptr;
  TMenuItem* itmSortByNewsDate = nullptr;
  TMenuItem* itmSortBySourceName = nullptr;
  TMenuItem* itmSortByHeadLine = nullptr;
  TMenuItem* rd_asc = nullptr;
  TMenuItem* rd_desc = nullptr;
  TMenuItem* nd_asc = nullptr;
  TMenuItem* nd_desc = nullptr;
  TMenuItem* sr_asc = nullptr;
  TMenuItem* sr_desc = nullptr;
  TMenuItem* hd_asc = nullptr;
  TMenuItem* hd_desc = nullptr;
  TPopupMenu* popItems = nullptr;
  TMenuItem* itmNewsHomePage = nullptr;
  TMenuItem* itmNewsDetail = nullptr;
  TMenuItem* itmNewsOldPage = nullptr;
  TMenuItem* itmNewsViewDelta = nullptr;
  TepWavePlayer* bipPlayer = nullptr;
  TepHint* hint = nullptr;
  TepBitmap* bmpHint = nullptr;
  TSingleAppInstance* sngleInst = nullptr;

  // Window commands and life.
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void btnCloseClick(TObject* Sender);
  void btnReduceClick(TObject* Sender);
  void btnPropertiesClick(TObject* Sender);
  void btnAboutClick(TObject* Sender);
  void btnFullModeClick(TObject* Sender);
  void objectMoveMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void objectMoveMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void objectMoveMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void ApplyLanguage();
  AnsiString GetLangString(int32_t id) const;
  void SetGridFont(TFont* font);

  // Requests and news arrival.
  void tmrRequesterTimer(TObject* Sender);
  void RequestNextSource();
  void OnNewsReceived(NewsSource* source, int32_t count);
  void PlayNewsBeep();
  void SetStatusMessage(const AnsiString& text);
  void btnPlayClick(TObject* Sender);
  void btnPauseClick(TObject* Sender);
  void edFilterChange(TObject* Sender);
  void edFilterKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void AppIdle(TObject* Sender, bool& Done);
  void btnRequestNewsClick(TObject* Sender);
  void btnClearNewsClick(TObject* Sender);
  void perfScaleChange(TObject* Sender);

  // The grid, its sort and its menus.
  void RefreshNewsGrid();
  void UpdateSourceCounters();
  void SortNewsList(int32_t key, bool ascending);
  void sgNewsDrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);
  void sgNewsDblClick(TObject* Sender);
  // A double click on a cell: a column title sorts by it, a row opens its item.
  void DblClickCell(int col, int row);
  void sgNewsContextPopup(TObject* Sender, TPoint MousePos, bool& Handled);
  void itmNewsHomePageClick(TObject* Sender);
  void itmNewsDetailClick(TObject* Sender);
  void itmNewsOldPageClick(TObject* Sender);
  void itmNewsViewDeltaClick(TObject* Sender);
  void rd_ascClick(TObject* Sender);
  void rd_descClick(TObject* Sender);
  void nd_ascClick(TObject* Sender);
  void nd_descClick(TObject* Sender);
  void sr_ascClick(TObject* Sender);
  void sr_descClick(TObject* Sender);
  void hd_ascClick(TObject* Sender);
  void hd_descClick(TObject* Sender);
  void hintShowHint(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo);
  void OpenUrl(const AnsiString& url);
  void btnHelpClick(TObject* Sender);

  // What the window holds, for the full-mode window and the tests.
  bool Alive() const { return alive; }
  bool Running() const { return running; }
  CSystemConfigurator* Settings() const { return settings.get(); }
  NewsExtractor* Sources() const { return sources.get(); }
  CDataMatcher* Filter() const { return filter.get(); }
  const std::vector<NewsData*>& AllItems() const { return allItems; }
  const std::vector<NewsData*>& ShownItems() const { return news.Items(); }
  NewsData* MenuItem() const { return menuItem; }
  const TMainFiles& Files() const { return files; }
  // The item of a grid row; null for the header and for rows beyond the list.
  NewsData* ItemOfRow(int row) const { return news.ItemOfRow(row); }
  // The hint of a grid cell: five lines for a row holding an item.
  bool GridCellHint(int col, int row, AnsiString& text);
  // Prepares the item menu for an item as a right click on its row does.
  void PrepareItemMenu(NewsData* item);
  // Statistics since the last graph points.
  int32_t RequestsStarted() const { return timer.requestsStarted; }
  int32_t NewsCount() const { return timer.newsCount; }
  int32_t ChangeCount() const { return timer.changeCount; }

private:
  // The timer's bookkeeping; ticks come from clock.
  struct TTimerState {
    int32_t tickCount = 0;
    int32_t startSeconds = 0;
    int32_t timerBusy = 0;
    bool firstPassDone = false;
    uint64_t lastGraphTick = 0;
    int32_t requestsStarted = 0;
    int32_t newsCount = 0;
    int32_t changeCount = 0;
    uint64_t lastKeyTick = 0;
    bool filterIdle = true;
    bool constructing = true;
    bool beeped = false;
    uint64_t lastBeepTick = 0;
    int32_t idleCount = 0;
  };

  void Construct(const AnsiString& exePath);
  void OnceASecond();
  void AddGraphPoints();
  void AppendRequestLog(const AnsiString& line) const;
  void OpenMenuItemLink();
  void ReportSaveFailure(const AnsiString& fileName);
  // The proxy settings to the proxy configuration, the hint timings to the
  // application.
  void ApplyConnectionAndHints();
  // Play and pause: the buttons, the flag, the status and the full-mode window.
  void SetRunning(bool value, const AnsiString& status);
  // The filter box's text as keywords: none while it shows the prompt.
  AnsiString FilterKeywords() const;
  // Starts the launcher thread with the shell's "open".
  void LaunchUrl(const AnsiString& url);
  TPoint GridCellOnScreen(const TStringGrid* grid, int col, int row) const;

  bool alive = false;
  std::unique_ptr<NewsNotifyCallBack> notifier;
  std::vector<NewsData*> allItems; // items belong to their sources
  TShownNews news;
  std::unique_ptr<CDataMatcher> filter;
  NewsData* menuItem = nullptr;
  bool running = true;
  std::unique_ptr<CSystemConfigurator> settings;
  std::unique_ptr<NewsExtractor> sources;

  TMainFiles files;
  TMillisecondClock clock;
  TTimerState timer;
  bool dragging = false;
  TPoint dragPoint;
};

WT_DECLARE_META(TfrmMain)

// The program's windows, null until made.
extern TfrmMain* frmMain;
