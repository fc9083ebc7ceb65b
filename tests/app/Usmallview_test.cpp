#include "app/Usmallview.h"
#include "app/Usmallviewhost.h"

#include "app/Umain.h"
#include "app/Uvclfunctions.h"
#include "engine/Chttpthread.h"
#include "engine/Newsdata.h"
#include "engine/Newsextractor.h"
#include "engine/Newssource.h"
#include "skin/Wavctrl.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include <memory>
#include <string>
#include <vector>

namespace {

// The main window as the full-mode window sees it: records what it is asked
// and answers as the real one does (the sort state is stored, the filter box
// mirrors its text back, the context menu looks the cell up on the grid that
// raised it).
class THostDouble : public TSmallViewHost {
public:
  THostDouble() {
    // Defaults of a missing INI file: the fonts, colours and tables.
    settings.SetFileNames(dir.File("wt.INI"));
    settings.Load();
    settings.fullModeColWidth = {80, 114, 329};
  }
  CSystemConfigurator* Settings() override { return &settings; }
  void SortNewsList(int32_t key, bool ascending) override {
    SortKey = key;
    SortAscending = ascending;
    calls.push_back("sort " + std::to_string(key) + (ascending ? " asc" : " desc"));
  }
  void OpenUrl(const AnsiString& url) override { calls.push_back("open " + url); }
  void btnPauseClick(TObject*) override { calls.push_back("pause"); }
  void btnPlayClick(TObject*) override { calls.push_back("play"); }
  void btnPropertiesClick(TObject*) override { calls.push_back("properties"); }
  void btnAboutClick(TObject*) override { calls.push_back("about"); }
  void sgNewsContextPopup(TObject* Sender, TPoint MousePos, bool& Handled) override {
    int col = -1, row = -1;
    static_cast<TStringGrid*>(Sender)->MouseToCell(MousePos.X, MousePos.Y, col, row);
    popupSender = Sender;
    calls.push_back("popup row " + std::to_string(row));
    Handled = true;
  }
  void FormKeyDown(TObject*, uint16_t& Key, TShiftState) override {
    calls.push_back("key " + std::to_string(Key));
  }
  void SetMainFilterText(const AnsiString& text) override {
    calls.push_back("filter " + text);
    if (view != nullptr)
      view->SetFilterText(text);
  }
  void ShowMainWindow() override { calls.push_back("main shown"); }
  TImage* SortImage(bool ascending) override { return ascending ? &up : &down; }
  TImage* ChangeEventImage() override { return &mark; }

  TTempDir dir;
  CSystemConfigurator settings;
  TfrmSmallView* view = nullptr;
  TObject* popupSender = nullptr;
  std::vector<std::string> calls;
  TImage up{nullptr};
  TImage down{nullptr};
  TImage mark{nullptr};
};

class SmallViewTest : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    SortKey = 0;
    SortAscending = false;
    source = std::make_unique<NewsSource>(nullptr);
    source->name = "Daily";
    source->SetUrl("http://news.example/daily/index.html");
    view = new TfrmSmallView(nullptr);
    view->SetHost(&host);
    host.view = view;
    view->SetBounds(100, 100, 640, 380);
  }
  void TearDown() override {
    delete view;
    Pump();
  }

  NewsData* AddItem(const AnsiString& headline, double ageSeconds, int32_t kind = 0) {
    NewsRecord record;
    record.dateText = "10/12/2026";
    record.headline = headline;
    record.link = "story/" + headline + ".html";
    record.received = Now() - ageSeconds / 86400.0;
    record.kind = kind;
    items.push_back(std::make_unique<NewsData>(source.get(), record));
    shown.push_back(items.back().get());
    return items.back().get();
  }
  void ShowWithList() {
    view->SetList(&shown, true);
    view->RefreshRowCount();
    view->Show();
    Pump();
  }
  // The middle of a cell on the screen.
  TPoint CellPoint(int col, int row) const {
    const TRect r = view->sgNews->CellRect(col, row);
    return view->sgNews->ClientToScreen(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  }

  THostDouble host;
  TfrmSmallView* view = nullptr;
  std::unique_ptr<NewsSource> source;
  std::vector<std::unique_ptr<NewsData>> items;
  std::vector<NewsData*> shown;
};

TEST_F(SmallViewTest, CounterLinesTakeTheMainWindowsFormatAndOrder) {
  view->SetSourcesStat(3, 5);
  EXPECT_EQ(view->lblSourcesStat->Caption(), "Sources :        3[   5]");
  view->SetNewsStat(2, 7, 4, 12);
  EXPECT_EQ(view->lblNewsStat->Caption(), "News    :        7[  12]  Updates :        2[   4]");
  view->SetNewsStat(0, 1234, 0, 99999);
  EXPECT_EQ(view->lblNewsStat->Caption(), "News    :     1234[99999]  Updates :        0[   0]");
}

TEST_F(SmallViewTest, PlayStateShowsExactlyOneOfPauseAndPlay) {
  for (bool running : {true, false, true}) {
    view->SetPlayState(running);
    EXPECT_EQ(view->btnPause->Visible(), running);
    EXPECT_EQ(view->btnPlay->Visible(), !running);
  }
}

TEST_F(SmallViewTest, FilterCaptionFollowsTheLanguage) {
  view->SetFilterCaption(&host.settings);
  EXPECT_EQ(view->lblMsgFilter->Caption(), "Filter :");
  host.settings.SetLanguage(1000);
  view->SetFilterCaption(&host.settings);
  EXPECT_EQ(view->lblMsgFilter->Caption(), host.settings.texts.GetString(39));
  EXPECT_NE(view->lblMsgFilter->Caption(), "Filter :");
}

TEST_F(SmallViewTest, RowCountFollowsTheListOnlyWhileItIsValid) {
  view->SetList(&shown, true);
  view->RefreshRowCount();
  EXPECT_EQ(view->sgNews->RowCount(), 1);
  EXPECT_EQ(view->sgNews->FixedRows(), 0);
  AddItem("one", 100);
  AddItem("two", 200);
  AddItem("three", 300);
  view->RefreshRowCount();
  EXPECT_EQ(view->sgNews->RowCount(), 4);
  EXPECT_EQ(view->sgNews->FixedRows(), 1);
  shown.pop_back();
  view->SetListValid(false);
  view->RefreshRowCount();
  EXPECT_EQ(view->sgNews->RowCount(), 4);
}

TEST_F(SmallViewTest, FilterBoxForwardsTypingButNotWhatTheMainWindowWrites) {
  ShowWithList();
  view->edtFilter->SetFocus();
  Pump();
  Type("ab");
  Pump();
  // Each keystroke went to the main window, whose echo neither came back
  // nor moved the caret.
  EXPECT_EQ(host.calls, (std::vector<std::string>{"filter a", "filter ab"}));
  EXPECT_EQ(view->edtFilter->Text(), "ab");

  host.calls.clear();
  view->SetFilterText("from main");
  EXPECT_EQ(view->edtFilter->Text(), "from main");
  EXPECT_TRUE(host.calls.empty());

  view->SetListValid(false);
  Type("c");
  Pump();
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(SmallViewTest, ButtonsAndKeysGoToTheMainWindow) {
  ShowWithList();
  view->SetPlayState(true);
  Pump();
  const std::vector<std::pair<TControl*, std::string>> cases = {
      {view->btnPause, "pause"},
      {view->btnProperties, "properties"},
      {view->btnNews, "about"},
  };
  for (const auto& [button, call] : cases) {
    host.calls.clear();
    SimulateMouseDown(button->ClientToScreen(Point(11, 11)), mbLeft);
    SimulateMouseUp(button->ClientToScreen(Point(11, 11)), mbLeft);
    Pump();
    EXPECT_EQ(host.calls, std::vector<std::string>{call}) << button->Name();
  }
  view->SetPlayState(false);
  Pump();
  host.calls.clear();
  SimulateMouseDown(view->btnPlay->ClientToScreen(Point(11, 11)), mbLeft);
  SimulateMouseUp(view->btnPlay->ClientToScreen(Point(11, 11)), mbLeft);
  Pump();
  EXPECT_EQ(host.calls, std::vector<std::string>{"play"});

  host.calls.clear();
  view->sgNews->SetFocus();
  SimulateKey(VK_F2);
  SimulateKey(VK_F1);
  Pump();
  EXPECT_EQ(host.calls, std::vector<std::string>{"key 112"});
}

TEST_F(SmallViewTest, ShowingTakesTheFullModeWidthsAndHidingGivesThemBack) {
  host.settings.fullModeColWidth = {90, 120, 300};
  ShowWithList();
  EXPECT_EQ(view->sgNews->ColWidths(0), 90);
  EXPECT_EQ(view->sgNews->ColWidths(1), 120);
  EXPECT_EQ(view->sgNews->ColWidths(2), 300);
  view->sgNews->SetColWidths(1, 150);
  SimulateMouseDown(view->btnSwitchToNormalMode->ClientToScreen(Point(11, 11)), mbLeft);
  SimulateMouseUp(view->btnSwitchToNormalMode->ClientToScreen(Point(11, 11)), mbLeft);
  Pump();
  EXPECT_FALSE(view->Visible());
  EXPECT_EQ(host.settings.fullModeColWidth, (std::array<int32_t, 3>{90, 150, 300}));
  EXPECT_EQ(host.calls, std::vector<std::string>{"main shown"});
}

TEST_F(SmallViewTest, WidthsReachTheSettingsAsTheMainWindowStartsClosing) {
  host.settings.fullModeColWidth = {90, 120, 300};
  ShowWithList();
  view->sgNews->SetColWidths(2, 222);
  // The main window starts closing: the widths must be in the settings
  // before it saves them, whether or not this window is hidden later.
  view->SetListValid(false);
  EXPECT_EQ(host.settings.fullModeColWidth[2], 222);
}

TEST_F(SmallViewTest, SizeModesRestoreWhatWasSaved) {
  ShowWithList();
  const TRect start = view->BoundsRect();
  const TRect monitor = Screen->Monitors(0).BoundsRect;

  view->btnBiggerClick(nullptr);
  EXPECT_EQ(view->SizeMode(), TfrmSmallView::smEnlarged);
  EXPECT_EQ(view->BoundsRect(), monitor);
  view->btnBiggerClick(nullptr);
  EXPECT_EQ(view->BoundsRect(), monitor);
  view->btnSmallerClick(nullptr);
  EXPECT_EQ(view->SizeMode(), TfrmSmallView::smNormal);
  EXPECT_EQ(view->BoundsRect(), start);

  view->btnSmallerClick(nullptr);
  EXPECT_EQ(view->SizeMode(), TfrmSmallView::smReduced);
  EXPECT_EQ(view->BoundsRect(), Bounds(start.Left, start.Top, start.Width(), 26));
  // What is left is the top bar, its buttons within reach.
  Pump();
  EXPECT_EQ(FindDragTarget(view->btnBigger->ClientToScreen(Point(11, 11)), false), view->btnBigger);
  view->btnSmallerClick(nullptr);
  EXPECT_EQ(view->Height(), 26);
  // Only the height comes back: a reduced bar moved stays where it is.
  view->SetBounds(150, 120, 500, 26);
  view->btnBiggerClick(nullptr);
  EXPECT_EQ(view->SizeMode(), TfrmSmallView::smNormal);
  EXPECT_EQ(view->BoundsRect(), Bounds(150, 120, 500, start.Height()));
}

TEST_F(SmallViewTest, ReducingAWindowAboveTheScreenKeepsTheBarOnIt) {
  ShowWithList();
  const TRect monitor = Screen->Monitors(0).BoundsRect;
  view->SetBounds(100, monitor.Top - 200, 640, 380);
  view->btnSmallerClick(nullptr);
  EXPECT_EQ(view->BoundsRect(), Bounds(100, monitor.Top, 640, 26));
  view->btnBiggerClick(nullptr);
  EXPECT_EQ(view->BoundsRect(), Bounds(100, monitor.Top, 640, 380));
}

TEST(SmallViewMonitors, EnlargingTakesTheMonitorHoldingMostOfTheWindow) {
  const std::vector<TRect> monitors = {Rect(0, 0, 1920, 1080), Rect(1920, 0, 3200, 1024)};
  struct Case {
    TRect window;
    TRect expected;
  };
  const Case cases[] = {
      {Bounds(100, 100, 640, 380), monitors[0]},
      {Bounds(2000, 100, 640, 380), monitors[1]},
      {Bounds(1700, 100, 640, 380), monitors[1]}, // 220 px on the first, 420 on the second
      {Bounds(1500, 100, 640, 380), monitors[0]},
      {Bounds(-5000, -5000, 640, 380), monitors[0]}, // on none: the first
  };
  for (const Case& c : cases)
    EXPECT_EQ(MonitorOfBounds(c.window, monitors), c.expected) << c.window.Left;
}

TEST(SmallViewMonitors, KeepInsideMovesOnlyWhatLiesOutside) {
  const TRect monitor = Rect(1920, 0, 3200, 1024);
  struct Case {
    TRect bar;
    TRect expected;
  };
  const Case cases[] = {
      {Bounds(2000, 100, 640, 26), Bounds(2000, 100, 640, 26)},
      {Bounds(2000, -300, 640, 26), Bounds(2000, 0, 640, 26)},
      {Bounds(2000, 1100, 640, 26), Bounds(2000, 998, 640, 26)},
      {Bounds(1000, 100, 640, 26), Bounds(1920, 100, 640, 26)},
      {Bounds(3000, 100, 640, 26), Bounds(2560, 100, 640, 26)},
      {Bounds(1800, 100, 1500, 26), Bounds(1920, 100, 1500, 26)}, // wider: left edge shows
  };
  for (const Case& c : cases)
    EXPECT_EQ(KeepInside(c.bar, monitor), c.expected) << c.bar.Left << "," << c.bar.Top;
}

// An image control holding a picture of one colour.
void Fill(TImage& image, int size, TColor color) {
  image.SetBounds(0, 0, size, size);
  TBitmap* bitmap = image.Picture()->Bitmap();
  bitmap->SetSize(size, size);
  bitmap->Canvas()->Brush()->SetColor(color);
  bitmap->Canvas()->FillRect(Rect(0, 0, size, size));
}

TEST_F(SmallViewTest, SortArrowAndChangeMarkComeFromTheMainWindow) {
  Fill(host.up, 9, clBlue);
  Fill(host.down, 9, clLime);
  Fill(host.mark, 12, clRed);
  AddItem("news item", 60);
  AddItem("page changed", 60, 1);
  SortKey = 3;
  SortAscending = true;
  ShowWithList();
  const auto pixel = [&](int col, int row, int x, int y) {
    const TRect r = view->sgNews->CellRect(col, row);
    return PixelAt(view->sgNews, (x < 0 ? r.Right : r.Left) + x, r.Top + y);
  };
  // The arrow of the sorted column, at its right end; none on the others.
  EXPECT_EQ(pixel(2, 0, -6, 6), COLORREF(clBlue));
  EXPECT_EQ(pixel(1, 0, -6, 6), COLORREF(0x808080));
  SortAscending = false;
  view->sgNews->Invalidate();
  EXPECT_EQ(pixel(2, 0, -6, 6), COLORREF(clLime));
  // The mark of a page change before its headline; a news item has none.
  EXPECT_EQ(pixel(2, 2, 6, 6), COLORREF(clRed));
  EXPECT_NE(pixel(2, 1, 6, 6), COLORREF(clRed));
  EXPECT_NE(pixel(1, 2, 6, 6), COLORREF(clRed));
}

// A pointer path: pressed on the middle of a grip, then moved by each offset
// from the press point in turn, then released.
struct ResizePath {
  const char* name;
  bool topGrip;
  std::vector<TPoint> moves;
  int width;
  int height;
};

TEST_F(SmallViewTest, GripsResizeByThePointersTravel) {
  std::vector<ResizePath> paths = {
      {"straight", false, {Point(30, 10), Point(50, 30)}, 690, 410},
      // Out beyond the slack, the pointer drags nothing until it is back on
      // the grip, which moved 20 by 10 with the window.
      {"outside and back",
       false,
       {Point(20, 10), Point(120, 10), Point(20, 10), Point(30, 10)},
       670,
       390},
      {"within the slack", false, {Point(35, 35)}, 675, 415},
      {"top grip keeps the height", true, {Point(20, 15), Point(40, 20)}, 680, 380},
      {"top grip, too far down", true, {Point(10, 50), Point(60, 50)}, 640, 380},
  };
  std::vector<TPoint> shrink;
  for (int i = 1; i <= 30; ++i)
    shrink.push_back(Point(-20 * i, 0));
  paths.push_back({"down to the minimum width", false, shrink, 315, 380});

  for (const ResizePath& path : paths) {
    view->SetBounds(100, 100, 640, 380);
    view->btnBiggerClick(nullptr); // a resize returns to the normal mode
    view->SetBounds(100, 100, 640, 380);
    if (!view->Visible())
      ShowWithList();
    Pump();
    TControl* grip = path.topGrip ? static_cast<TControl*>(view->pnlCmdResize)
                                  : static_cast<TControl*>(view->imgResize);
    const TPoint press = grip->ClientToScreen(Point(grip->Width() / 2, grip->Height() / 2));
    SimulateMouseDown(press, mbLeft);
    for (const TPoint& m : path.moves) {
      SimulateMouseMove(Point(press.X + m.X, press.Y + m.Y));
      Pump(2);
    }
    SimulateMouseUp(Point(press.X + path.moves.back().X, press.Y + path.moves.back().Y), mbLeft);
    Pump();
    EXPECT_EQ(view->Width(), path.width) << path.name;
    EXPECT_EQ(view->Height(), path.height) << path.name;
    const bool resized = path.width != 640 || path.height != 380;
    EXPECT_EQ(view->SizeMode(), resized ? TfrmSmallView::smNormal : TfrmSmallView::smEnlarged)
        << path.name;
  }
}

TEST_F(SmallViewTest, ClientKeepsTheMinimumSize) {
  ShowWithList();
  view->SetBounds(100, 100, 40, 5);
  EXPECT_EQ(view->ClientWidth(), 315);
  EXPECT_EQ(view->ClientHeight(), 18);
}

TEST_F(SmallViewTest, BarsKeepTheirPlacesAtAnySize) {
  ShowWithList();
  for (const TPoint size : {Point(640, 380), Point(315, 120), Point(1200, 700)}) {
    view->SetBounds(50, 50, size.X, size.Y);
    Pump();
    EXPECT_EQ(view->sgNews->Top(), view->pnlTop->Height());
    EXPECT_EQ(view->sgNews->Top() + view->sgNews->Height(), view->pnlBottom->Top());
    EXPECT_EQ(view->pnlCmd->Left() + view->pnlCmd->Width(), size.X);
    EXPECT_EQ(view->pnlStatInfos->Left() + view->pnlStatInfos->Width(), view->pnlCmd->Left());
    EXPECT_EQ(view->imgResize->Left() + view->imgResize->Width(), size.X);
    const int w = (size.X - view->imgResize->Width() - view->edtFilter->Left()) / 2;
    EXPECT_EQ(view->edtFilter->Width(), w);
    EXPECT_EQ(view->pnlMessage->Left(), view->edtFilter->Left() + w);
    EXPECT_EQ(view->pnlMessage->Width(), w);
  }
}

TEST_F(SmallViewTest, DragByTheBottomBarSnapsToTheScreenEdge) {
  ShowWithList();
  view->SetBounds(100, 100, 640, 380);
  Pump();
  const TPoint press = view->pnlBottom->ClientToScreen(Point(3, 3));
  SimulateMouseDown(press, mbLeft);
  SimulateMouseMove(Point(press.X - 40, press.Y + 10));
  Pump(2);
  EXPECT_EQ(view->Left(), 60);
  EXPECT_EQ(view->Top(), 110);
  SimulateMouseMove(Point(press.X - 94, press.Y + 10)); // 6 px from the left edge
  Pump(2);
  SimulateMouseUp(Point(press.X - 94, press.Y + 10), mbLeft);
  Pump();
  EXPECT_EQ(view->Left(), 0);
  EXPECT_EQ(view->Top(), 110);
}

TEST_F(SmallViewTest, DoubleClicksSortByTheHeaderAndOpenItems) {
  AddItem("first", 100);
  AddItem("second", 200);
  ShowWithList();
  SimulateDoubleClick(CellPoint(0, 0));
  Pump();
  SimulateDoubleClick(CellPoint(0, 0));
  Pump();
  SimulateDoubleClick(CellPoint(2, 0));
  Pump();
  SimulateDoubleClick(CellPoint(1, 2));
  Pump();
  EXPECT_EQ(host.calls,
            (std::vector<std::string>{"sort 1 desc", "sort 1 asc", "sort 3 desc",
                                      "open http://news.example/daily/story/second.html"}));
}

TEST_F(SmallViewTest, ContextMenuCellIsFoundOnThisGrid) {
  for (int i = 0; i < 30; ++i)
    AddItem("item" + std::to_string(i), 100);
  ShowWithList();
  view->sgNews->SetTopRow(10);
  Pump();
  const TPoint p = CellPoint(1, 12);
  SimulateMouseDown(p, mbRight);
  SimulateMouseUp(p, mbRight);
  Pump();
  EXPECT_EQ(host.popupSender, view->sgNews);
  EXPECT_EQ(host.calls, std::vector<std::string>{"popup row 12"});
}

TEST_F(SmallViewTest, CellsTakeTheFullModeColoursByAge) {
  AddItem("fresh", 1);
  AddItem("settled", 60);
  AddItem("old day", 86400 + 60);
  ShowWithList();
  view->sgNews->SetRow(3);
  Pump();
  const auto pixelOfRow = [&](int row) {
    const TRect r = view->sgNews->CellRect(2, row);
    return PixelAt(view->sgNews, r.Right - 3, r.Top + 2);
  };
  TColor selected;
  ScaleColor(FullModeBkgColor, selected, BrightnessFactor(ColorBrightness(FullModeBkgColor)));
  EXPECT_EQ(pixelOfRow(0), COLORREF(0x808080));
  EXPECT_EQ(pixelOfRow(1), COLORREF(FullModeBkgShades[0]));
  EXPECT_EQ(pixelOfRow(2), COLORREF(FullModeBkgColor));
  EXPECT_EQ(pixelOfRow(3), COLORREF(selected));
  EXPECT_NE(FullModeBkgShades[0], FullModeBkgColor);

  // Once the main window is closing, data rows are left alone.
  view->SetListValid(false);
  view->sgNews->SetColor(clBlack);
  EXPECT_EQ(pixelOfRow(1), COLORREF(clBlack));
}

// The full-mode window beside the real main window, both over the files of a
// folder of the test's own; news arrives as a source reports it.
class FullModeWithMain : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    dir.Write("welkatidor.INI", "[ColWidth.NewsFull]\nDate=70\nSource=90\nHeader=200\n");
    main = new TfrmMain(nullptr, dir.File("welkatidor"), [] { return uint64_t{10'000'000}; });
    main->tmrRequester->SetEnabled(false);
    main->bipPlayer->SetEnabled(false);
    frmMain = main;
    full = new TfrmSmallView(nullptr);
    ConnectSmallViewToMain(full);
    frmSmallView = full;
    main->Show();
    Pump();
  }
  void TearDown() override {
    delete full;
    delete main;
    StopAllTransactions();
    Pump();
  }
  // Items of the one source, received the given seconds ago, reported
  // together; the last made first in the list when their times are equal.
  void Receive(const std::string& prefix, const std::vector<double>& ages) {
    NewsSource* source = main->Sources()->FindSourceByName("alpha");
    if (source == nullptr) {
      SourceDefinition definition;
      definition.name = "alpha";
      definition.url = "http://127.0.0.1:9/a.html";
      definition.enabled = true;
      main->Sources()->AddSource(definition);
      source = main->Sources()->FindSourceByName("alpha");
    }
    for (size_t i = 0; i < ages.size(); ++i) {
      NewsRecord record;
      record.headline = prefix + " " + std::to_string(i);
      record.link = "/" + prefix + std::to_string(i) + ".html";
      record.received = Now() - ages[i] / 86400.0;
      source->AddNews(std::make_unique<NewsData>(source, record));
    }
    main->OnNewsReceived(source, static_cast<int32_t>(ages.size()));
  }
  // count items ten minutes old.
  void Arrive(int count) {
    std::vector<double> ages;
    for (int i = 0; i < count; ++i)
      ages.push_back(600 + i);
    Receive("item", ages);
  }
  // The main window's once-a-second mirror.
  void Mirror() {
    full->SetList(&main->ShownItems(), main->Alive());
    full->RefreshRowCount();
  }

  TTempDir dir;
  TfrmMain* main = nullptr;
  TfrmSmallView* full = nullptr;
};

TEST_F(FullModeWithMain, SwitchingBothWaysShowsOneWindowAtATime) {
  main->btnFullModeClick(main);
  Pump();
  EXPECT_FALSE(main->Visible());
  EXPECT_TRUE(full->Visible());
  EXPECT_EQ(full->btnPause->Visible(), main->Running());
  EXPECT_EQ(full->sgNews->ColWidths(2), 200);
  full->btnSwitchToNormalModeClick(full->btnSwitchToNormalMode);
  Pump();
  EXPECT_TRUE(main->Visible());
  EXPECT_FALSE(full->Visible());
}

TEST_F(FullModeWithMain, SelectionsStayOnTheirItemsWhenNewsArrives) {
  Arrive(6);
  Mirror();
  main->sgNews->SetRow(2);
  full->sgNews->SetRow(5);
  NewsData* const onMain = main->ItemOfRow(2);
  NewsData* const onFull = main->ItemOfRow(5);
  Receive("newer", {10, 9});
  Mirror();
  // Both new items are newest: each selection is two rows further down.
  ASSERT_EQ(main->ShownItems().size(), 8u);
  EXPECT_EQ(main->ItemOfRow(main->sgNews->Row()), onMain);
  EXPECT_EQ(main->ItemOfRow(full->sgNews->Row()), onFull);
  EXPECT_EQ(main->sgNews->Row(), 4);
  EXPECT_EQ(full->sgNews->Row(), 7);
}

TEST_F(FullModeWithMain, EveryAgeStepOfBothGridsIsLegible) {
  // One item in each of the four young steps, one settled.
  Receive("aged", {2, 7, 12, 17, 60});
  Mirror();
  // No text colour: the installed colours as the settings load them.
  const struct {
    std::optional<TColor> Text;
    TColor Background;
  } schemes[] = {
      {std::nullopt, 0},
      {RGB(128, 128, 128), RGB(255, 255, 255)}, // grey on white
      {RGB(255, 255, 255), RGB(255, 255, 0)},   // white on yellow
      {RGB(0, 0, 128), RGB(0, 0, 96)},          // navy on darker navy
      {RGB(200, 30, 30), RGB(200, 30, 30)},     // text as the background
  };
  // The most frequent colour of a headline cell above its separator line is
  // the background; the most frequent other one, the text.
  const auto cellColours = [](TStringGrid* grid, int row) {
    const TRect r = grid->CellRect(2, row);
    std::map<COLORREF, int> counts;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, grid->Impl()->Surface());
    for (int y = r.Top; y < r.Bottom - 1; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        ++counts[GetPixel(dc, x, y)];
    SelectObject(dc, old);
    DeleteDC(dc);
    std::vector<std::pair<int, COLORREF>> byCount;
    for (const auto& [colour, count] : counts)
      byCount.push_back({count, colour});
    std::sort(byCount.rbegin(), byCount.rend());
    EXPECT_GE(byCount.size(), 2u);
    return std::pair<COLORREF, COLORREF>{byCount[0].second,
                                         byCount.size() > 1 ? byCount[1].second : 0};
  };
  for (const auto& scheme : schemes) {
    main->Settings()->Load();
    if (scheme.Text) {
      for (TFont* font : {NormalFont.get(), FullModeFont.get()})
        font->SetColor(*scheme.Text);
      NormalBkgColor = FullModeBkgColor = scheme.Background;
      MakeColorGradient(NormalBkgColor, NormalBkgShades, 5, 0);
      MakeColorGradient(FullModeBkgColor, FullModeBkgShades, 5, 0);
      MakeColorGradient(*scheme.Text, NormalTextShades, 5, 0);
      MakeColorGradient(*scheme.Text, FullModeTextShades, 5, 0);
    }
    main->SetGridFont(NormalFont.get());
    full->SetGridFont(FullModeFont.get());
    for (const bool fullMode : {false, true}) {
      if (fullMode)
        main->btnFullModeClick(main);
      Mirror();
      Pump();
      TStringGrid* grid = fullMode ? full->sgNews : main->sgNews;
      // Each row once selected, the others not.
      for (int selected = 1; selected <= 5; ++selected) {
        grid->SetRow(selected);
        grid->Repaint();
        for (int row = 1; row <= 5; ++row) {
          const auto [background, text] = cellColours(grid, row);
          EXPECT_GE(ContrastRatio(text, background), 4.5)
              << std::hex << scheme.Background << (fullMode ? " full" : " main") << ", row " << row
              << (row == selected ? " selected" : "") << ": " << text << " on " << background;
          // A legible colour of the scheme's own is kept.
          if (scheme.Text && row == 5 && row != selected &&
              ContrastRatio(*scheme.Text, scheme.Background) >= 4.5) {
            EXPECT_EQ(text, ColorToRGB(*scheme.Text));
          }
        }
      }
      if (fullMode)
        full->btnSwitchToNormalModeClick(full->btnSwitchToNormalMode);
    }
  }
  main->Settings()->Load();
}

TEST_F(FullModeWithMain, ContextMenuTakesTheRowOfTheFullModeGrid) {
  Arrive(40);
  main->btnFullModeClick(main);
  Mirror();
  Pump();
  // The two grids scroll and size apart: the row under the pointer here is
  // not the row at the same place of the hidden main grid.
  full->sgNews->SetTopRow(20);
  Pump();
  const TRect cell = full->sgNews->CellRect(2, 25);
  const TPoint p = full->sgNews->ClientToScreen(Point(cell.Left + 5, cell.Top + 3));
  TScript dismiss({[] { SimulateKey(VK_ESCAPE); }}, 150);
  SimulateMouseDown(p, mbRight);
  SimulateMouseUp(p, mbRight);
  Pump();
  EXPECT_EQ(dismiss.Done, 1);
  EXPECT_EQ(main->MenuItem(), main->ItemOfRow(25));
  EXPECT_EQ(full->sgNews->Row(), 25);
}

TEST_F(FullModeWithMain, HintsOfTheFullModeControlsComeFromTheMainWindow) {
  Arrive(3);
  main->btnFullModeClick(main);
  Mirror();
  Pump();
  const struct {
    TControl* control;
    int32_t id;
  } cases[] = {{full->btnSmaller, 103}, {full->btnBigger, 104}, {full->btnSwitchToNormalMode, 105},
               {full->edtFilter, 97},   {full->btnPause, 90},   {full->btnReduce, 94}};
  for (const auto& c : cases) {
    THintInfo info;
    info.HintControl = c.control;
    AnsiString text;
    bool canShow = true;
    main->hintShowHint(text, canShow, info);
    EXPECT_EQ(text, main->GetLangString(c.id)) << c.control->Name();
  }
  THintInfo info;
  info.HintControl = full->sgNews;
  const TRect cell = full->sgNews->CellRect(1, 2);
  info.CursorPos = Point(cell.Left + 2, cell.Top + 2);
  AnsiString text;
  bool canShow = false;
  main->hintShowHint(text, canShow, info);
  EXPECT_TRUE(canShow);
  EXPECT_NE(text.find("item 1"), AnsiString::npos);
}

TEST_F(FullModeWithMain, ClosingInFullModeSavesItsColumnWidthsAndShowsNothing) {
  Arrive(2);
  main->btnFullModeClick(main);
  Mirror();
  Pump();
  full->sgNews->SetColWidths(0, 66);
  full->sgNews->SetColWidths(2, 333);
  bool canClose = false;
  main->FormCloseQuery(main, canClose);
  EXPECT_TRUE(canClose);
  const std::string ini = ReadFileBytes(dir.File("welkatidor.INI"));
  const auto section = ini.find("[ColWidth.NewsFull]");
  ASSERT_NE(section, std::string::npos);
  EXPECT_NE(ini.find("Date=66", section), std::string::npos) << ini;
  EXPECT_NE(ini.find("Header=333", section), std::string::npos) << ini;
  // The windows go away without the main one coming back on the way.
  full->Hide();
  Pump();
  EXPECT_FALSE(main->Visible());
}

} // namespace
