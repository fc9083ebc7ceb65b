#pragma once
// The full-mode window: the main window's news list in a larger, resizable,
// skinned window with its own font and colours. It owns no data: the main
// window hands it the list it shows and mirrors counters, status and play
// state into it; every command goes back to the main window.
#include "app/Unewslist.h"
#include "app/Usystemconfig.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Stdctrls.h"
#include "skin/Epctrls.h"
#include "skin/Epmorph.h"
#include "skin/Medialib.h"

#include <cstdint>
#include <vector>

class NewsData;

// What the full-mode window asks of the main window: the commands it
// forwards and the pictures it borrows.
class TSmallViewHost {
public:
  virtual ~TSmallViewHost() = default;

  virtual CSystemConfigurator* Settings() = 0;
  virtual void SortNewsList(int32_t key, bool ascending) = 0;
  virtual void OpenUrl(const AnsiString& url) = 0;
  virtual void btnPauseClick(TObject* Sender) = 0;
  virtual void btnPlayClick(TObject* Sender) = 0;
  virtual void btnPropertiesClick(TObject* Sender) = 0;
  virtual void btnAboutClick(TObject* Sender) = 0;
  // Sender is the grid that raised the event and MousePos lies in its
  // coordinates: the cell is found on that grid, not on the main one.
  virtual void sgNewsContextPopup(TObject* Sender, TPoint MousePos, bool& Handled) = 0;
  virtual void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) = 0;
  // The main window's filter box takes the text; its own change handler
  // filters.
  virtual void SetMainFilterText(const AnsiString& text) = 0;
  // Nothing shows once the main window has begun closing.
  virtual void ShowMainWindow() = 0;
  // The sort arrow for a direction and the page-change mark.
  virtual TImage* SortImage(bool ascending) = 0;
  virtual TImage* ChangeEventImage() = 0;
};

// The monitor (of Monitors) that shares the most area with Bounds; the first
// one when none does. Monitors is not empty.
TRect MonitorOfBounds(const TRect& Bounds, const std::vector<TRect>& Monitors);
// Bounds moved, as little as possible, to lie inside Monitor where it fits.
TRect KeepInside(const TRect& Bounds, const TRect& Monitor);

class TfrmSmallView : public TForm {
public:
  enum TSizeMode : int32_t { smNormal = 0, smEnlarged = 1, smReduced = 2 };

  // Forwards nothing until it is given a host (ConnectSmallViewToMain).
  explicit TfrmSmallView(TComponent* AOwner);
  ~TfrmSmallView() override;

  // Not owned; the window forwards nothing while there is none.
  void SetHost(TSmallViewHost* Value) { host = Value; }

  // Operations of the main window.
  void SetGridFont(TFont* font);
  void RefreshRowCount();
  // Where the grid stands before the list changes, and back there after.
  TGridPlace GridPlace() const;
  void RestoreGridPlace(const TGridPlace& place);
  void SetFilterText(const AnsiString& text);
  void SetSourcesStat(int32_t a, int32_t b);
  void SetNewsStat(int32_t a, int32_t b, int32_t c, int32_t d);
  void SetPlayState(bool running);
  void SetFilterCaption(CSystemConfigurator* settings);
  void SetStatusMessage(const AnsiString& text);
  // The list to show (not owned) and whether it may be read.
  void SetList(const std::vector<NewsData*>* value, bool valid);
  // The main window lowers the flag as it starts closing: the column widths
  // go to the settings then, before they are saved.
  void SetListValid(bool valid);
  // The main window's once-a-second call; nothing here needs it yet.
  void timerFormTimer(TObject* Sender);

  TSizeMode SizeMode() const { return sizeMode; }

  // Handlers bound by the layout.
  void FormShow(TObject* Sender);
  void FormHide(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void btnPauseClick(TObject* Sender);
  void btnPlayClick(TObject* Sender);
  void btnPropertiesClick(TObject* Sender);
  void btnNewsClick(TObject* Sender);
  void btnReduceClick(TObject* Sender);
  void btnSwitchToNormalModeClick(TObject* Sender);
  void btnBiggerClick(TObject* Sender);
  void btnSmallerClick(TObject* Sender);
  void sgNewsDrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);
  void sgNewsDblClick(TObject* Sender);
  void sgNewsContextPopup(TObject* Sender, TPoint MousePos, bool& Handled);
  void edtFilterChange(TObject* Sender);
  void objectMoveMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void objectMoveMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void objectMoveMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void objectResizeMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void objectResizeMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void objectResizeMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void pnlTopResize(TObject* Sender);
  void pnlBottomResize(TObject* Sender);

  TepImagePanel* pnlTop = nullptr;
  TepMoveForm* mvMover = nullptr;
  TepMorphButton* btnNews = nullptr;
  TepImagePanel* pnlStatInfos = nullptr;
  TLabel* lblNewsStat = nullptr;
  TLabel* lblSourcesStat = nullptr;
  TepImagePanel* pnlCmd = nullptr;
  TepMorphButton* btnPause = nullptr;
  TepMorphButton* btnPlay = nullptr;
  TepMorphButton* btnProperties = nullptr;
  TepMorphButton* btnReduce = nullptr;
  TepMorphButton* btnSmaller = nullptr;
  TepMorphButton* btnBigger = nullptr;
  TepMorphButton* btnSwitchToNormalMode = nullptr;
  TepImagePanel* pnlCmdResize = nullptr;
  TStringGrid* sgNews = nullptr;
  TepImagePanel* pnlBottom = nullptr;
  TLabel* lblMsgFilter = nullptr;
  TEdit* edtFilter = nullptr;
  TepImagePanel* pnlMessage = nullptr;
  TLabel* lblMessage = nullptr;
  TImage* imgResize = nullptr;
  TepBitmap* bmpBarWallpaper = nullptr;
  TepBitmap* bmpCmdGrip = nullptr;

private:
  // The screen point of a mouse event on Sender.
  static TPoint ScreenPoint(TObject* Sender, int X, int Y);
  void StoreColumnWidths();
  NewsData* ItemOfRow(int ARow) const;
  // The monitor the window is on now.
  TRect CurrentMonitor() const;

  TSmallViewHost* host = nullptr;
  const std::vector<NewsData*>* list = nullptr;
  bool listValid = false;
  bool moving = false;
  bool resizing = false;
  TPoint lastPoint;
  bool outside = false;
  bool settingFilter = false;
  TSizeMode sizeMode = smNormal;
  TRect savedBounds;
};

extern TfrmSmallView* frmSmallView;

WT_DECLARE_META(TfrmSmallView)
