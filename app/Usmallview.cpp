#include "app/Usmallview.h"

#include "app/Unewslist.h"
#include "app/Uvclfunctions.h"
#include "engine/Newsdata.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Messages.h"

#include <algorithm>
#include <cstdlib>

TfrmSmallView* frmSmallView = nullptr;

namespace {

// How far the pointer may stray from a grip before the resize waits for it
// to come back onto the grip.
constexpr int kGripSlack = 30;
constexpr int kSnapDistance = 10;

int Overlap(const TRect& A, const TRect& B) {
  const int w = std::min(A.Right, B.Right) - std::max(A.Left, B.Left);
  const int h = std::min(A.Bottom, B.Bottom) - std::max(A.Top, B.Top);
  return w > 0 && h > 0 ? w * h : 0;
}

int Clamp(int Value, int Low, int High) {
  return High < Low ? Low : std::clamp(Value, Low, High);
}

} // namespace

TRect MonitorOfBounds(const TRect& Bounds, const std::vector<TRect>& Monitors) {
  const TRect* best = &Monitors.front();
  int bestArea = 0;
  for (const TRect& m : Monitors) {
    const int area = Overlap(Bounds, m);
    if (area > bestArea) {
      best = &m;
      bestArea = area;
    }
  }
  return *best;
}

TRect KeepInside(const TRect& Bounds, const TRect& Monitor) {
  const int left = Clamp(Bounds.Left, Monitor.Left, Monitor.Right - Bounds.Width());
  const int top = Clamp(Bounds.Top, Monitor.Top, Monitor.Bottom - Bounds.Height());
  return ::Bounds(left, top, Bounds.Width(), Bounds.Height());
}

TfrmSmallView::TfrmSmallView(TComponent* AOwner) : TForm(AOwner) {
  ReadLayout(this, "frmSmallView");
  // The widths the window has until it is first shown with the user's own.
  const int designWidths[] = {80, 114, 329};
  for (int i = 0; i < 3; ++i)
    sgNews->SetColWidths(i, designWidths[i]);
  pnlCmdResize->SetCursor(crSizeWE);
  imgResize->SetCursor(crSizeNWSE);
  if (FullModeFont)
    SetGridFont(FullModeFont.get());
}

TfrmSmallView::~TfrmSmallView() {
  // A window on its way out hands nothing over any more.
  OnHide = nullptr;
  if (frmSmallView == this)
    frmSmallView = nullptr;
}

// ---------------------------------------------------------------- main window's calls

void TfrmSmallView::SetGridFont(TFont* font) {
  sgNews->SetFont(font);
  sgNews->SetDefaultRowHeight(std::abs(font->Height()) + 4);
}

void TfrmSmallView::RefreshRowCount() {
  if (!listValid || list == nullptr)
    return;
  const int rows = static_cast<int>(list->size()) + 1;
  sgNews->SetRowCount(rows);
  sgNews->SetFixedRows(rows >= 2 ? 1 : 0);
  sgNews->Invalidate();
}

TGridPlace TfrmSmallView::GridPlace() const {
  return listValid && list != nullptr ? GridPlaceOf(sgNews, *list) : TGridPlace();
}

void TfrmSmallView::RestoreGridPlace(const TGridPlace& place) {
  if (listValid && list != nullptr && place.Selected != nullptr)
    ::RestoreGridPlace(sgNews, *list, place);
}

void TfrmSmallView::SetFilterText(const AnsiString& text) {
  // Writing the same text again would only move the caret of a user typing
  // here, whose keystrokes come back this way.
  if (edtFilter->Text() == text)
    return;
  settingFilter = true;
  edtFilter->SetText(text);
  settingFilter = false;
}

void TfrmSmallView::SetSourcesStat(int32_t a, int32_t b) {
  if (host == nullptr)
    return;
  const AnsiString text = CounterLine(host->Settings()->texts.SourcesLabel, a, b);
  if (lblSourcesStat->Caption() != text)
    lblSourcesStat->SetCaption(text);
}

void TfrmSmallView::SetNewsStat(int32_t a, int32_t b, int32_t c, int32_t d) {
  if (host == nullptr)
    return;
  const CTextResources& texts = host->Settings()->texts;
  const AnsiString text =
      CounterLine(texts.NewsLabel, b, d) + "  " + CounterLine(texts.UpdatesLabel, a, c);
  if (lblNewsStat->Caption() != text)
    lblNewsStat->SetCaption(text);
}

void TfrmSmallView::SetPlayState(bool running) {
  btnPause->SetVisible(running);
  btnPlay->SetVisible(!running);
}

void TfrmSmallView::SetFilterCaption(CSystemConfigurator* settings) {
  lblMsgFilter->SetCaption(settings->texts.GetString(39));
}

void TfrmSmallView::SetStatusMessage(const AnsiString& text) {
  lblMessage->SetCaption(text);
}

void TfrmSmallView::SetList(const std::vector<NewsData*>* value, bool valid) {
  list = value;
  SetListValid(valid);
}

void TfrmSmallView::SetListValid(bool valid) {
  if (!valid && Visible())
    StoreColumnWidths();
  listValid = valid;
}

void TfrmSmallView::timerFormTimer(TObject*) {}

// ---------------------------------------------------------------- showing and hiding

void TfrmSmallView::FormShow(TObject*) {
  // A hint of the window this one replaces would stay over it.
  Application->CancelHint();
  if (host == nullptr)
    return;
  const auto& widths = host->Settings()->fullModeColWidth;
  for (int i = 0; i < 3; ++i)
    sgNews->SetColWidths(i, widths[i]);
}

void TfrmSmallView::FormHide(TObject*) {
  if (host == nullptr)
    return;
  StoreColumnWidths();
  host->ShowMainWindow();
}

void TfrmSmallView::StoreColumnWidths() {
  if (host == nullptr)
    return;
  auto& widths = host->Settings()->fullModeColWidth;
  for (int i = 0; i < 3; ++i)
    widths[i] = sgNews->ColWidths(i);
}

// ---------------------------------------------------------------- commands

void TfrmSmallView::FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_F1 && host != nullptr)
    host->FormKeyDown(Sender, Key, Shift);
}

void TfrmSmallView::btnPauseClick(TObject* Sender) {
  if (host != nullptr)
    host->btnPauseClick(Sender);
}

void TfrmSmallView::btnPlayClick(TObject* Sender) {
  if (host != nullptr)
    host->btnPlayClick(Sender);
}

void TfrmSmallView::btnPropertiesClick(TObject* Sender) {
  if (host != nullptr)
    host->btnPropertiesClick(Sender);
}

void TfrmSmallView::btnNewsClick(TObject* Sender) {
  if (host != nullptr)
    host->btnAboutClick(Sender);
}

void TfrmSmallView::btnReduceClick(TObject*) {
  Application->Minimize();
}

void TfrmSmallView::btnSwitchToNormalModeClick(TObject*) {
  Hide();
}

// ---------------------------------------------------------------- size modes

TRect TfrmSmallView::CurrentMonitor() const {
  std::vector<TRect> monitors;
  for (int i = 0; i < Screen->MonitorCount(); ++i)
    monitors.push_back(Screen->Monitors(i).BoundsRect);
  return MonitorOfBounds(BoundsRect(), monitors);
}

void TfrmSmallView::btnBiggerClick(TObject*) {
  // The button moves from under the pointer: its hint would stay behind.
  Application->CancelHint();
  switch (sizeMode) {
  case smNormal:
    savedBounds = BoundsRect();
    sizeMode = smEnlarged;
    SetBoundsRect(CurrentMonitor());
    break;
  case smReduced:
    sizeMode = smNormal;
    SetBounds(Left(), Top(), Width(), savedBounds.Height());
    break;
  case smEnlarged:
    break;
  }
}

void TfrmSmallView::btnSmallerClick(TObject*) {
  Application->CancelHint();
  switch (sizeMode) {
  case smNormal: {
    savedBounds = Bounds(savedBounds.Left, savedBounds.Top, savedBounds.Width(), Height());
    sizeMode = smReduced;
    // The monitor is the one the whole window was on: a bar reduced from a
    // window hanging over an edge still lies where it can be reached.
    const TRect monitor = CurrentMonitor();
    SetBoundsRect(KeepInside(Bounds(Left(), Top(), Width(), pnlTop->Height()), monitor));
    break;
  }
  case smEnlarged:
    sizeMode = smNormal;
    SetBoundsRect(savedBounds);
    break;
  case smReduced:
    break;
  }
}

// ---------------------------------------------------------------- grid

NewsData* TfrmSmallView::ItemOfRow(int ARow) const {
  if (list == nullptr || ARow < 1 || ARow > static_cast<int>(list->size()))
    return nullptr;
  return (*list)[ARow - 1];
}

void TfrmSmallView::sgNewsDrawCell(TObject*, int ACol, int ARow, TRect Rect, TGridDrawState State) {
  if (ARow != 0 && !listValid)
    return;
  TNewsGridLook look;
  look.Palette = {FullModeBkgColor, FullModeBkgShades,
                  FullModeFont ? FullModeFont->Color() : clBlack, FullModeTextShades};
  if (host != nullptr) {
    look.Texts = &host->Settings()->texts;
    look.SortArrow = host->SortImage(SortAscending);
    look.ChangeMark = host->ChangeEventImage();
    look.AgeStep = host->Settings()->ageStep;
  }
  DrawNewsCell(sgNews->Canvas(), sgNews->Font(), ACol, ARow, Rect, State.Contains(gdSelected),
               ItemOfRow(ARow), look);
}

void TfrmSmallView::sgNewsDblClick(TObject*) {
  if (host == nullptr)
    return;
  const TPoint p = sgNews->ScreenToClient(Mouse_CursorPos());
  int col = -1;
  int row = -1;
  sgNews->MouseToCell(p.X, p.Y, col, row);
  if (row == 0 && col >= 0 && col <= 2) {
    const int32_t key = col + 1;
    host->SortNewsList(key, key == SortKey ? !SortAscending : false);
    return;
  }
  const NewsData* item = listValid ? ItemOfRow(row) : nullptr;
  if (item != nullptr)
    host->OpenUrl(item->GetAbsoluteLink());
}

void TfrmSmallView::sgNewsContextPopup(TObject* Sender, TPoint MousePos, bool& Handled) {
  if (host != nullptr)
    host->sgNewsContextPopup(Sender, MousePos, Handled);
}

void TfrmSmallView::edtFilterChange(TObject*) {
  if (listValid && !settingFilter && host != nullptr)
    host->SetMainFilterText(edtFilter->Text());
}

// ---------------------------------------------------------------- dragging and resizing

TPoint TfrmSmallView::ScreenPoint(TObject* Sender, int X, int Y) {
  return static_cast<TControl*>(Sender)->ClientToScreen(Point(X, Y));
}

void TfrmSmallView::objectMoveMouseDown(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
  moving = true;
  lastPoint = ScreenPoint(Sender, X, Y);
}

void TfrmSmallView::objectMoveMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
  if (!moving || !Shift.Contains(ssLeft))
    return;
  const TPoint p = ScreenPoint(Sender, X, Y);
  const int newLeft = Left() + p.X - lastPoint.X;
  const int newTop = Top() + p.Y - lastPoint.Y;
  int snappedLeft = newLeft;
  int snappedTop = newTop;
  // Moving the window reports the pointer again at once: the travel so far
  // must be counted as done first.
  lastPoint = p;
  if (SnapToScreenEdges(newLeft, newTop, Width(), Height(), snappedLeft, snappedTop, kSnapDistance,
                        kSnapDistance))
    SetBounds(snappedLeft, snappedTop, Width(), Height());
  else
    SetBounds(newLeft, newTop, Width(), Height());
}

void TfrmSmallView::objectMoveMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  moving = false;
}

void TfrmSmallView::objectResizeMouseDown(TObject* Sender, TMouseButton, TShiftState, int X,
                                          int Y) {
  resizing = true;
  // The press is on the grip: a stray of an earlier resize is over.
  outside = false;
  lastPoint = ScreenPoint(Sender, X, Y);
}

void TfrmSmallView::objectResizeMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
  if (!resizing || !Shift.Contains(ssLeft))
    return;
  const auto* grip = static_cast<TControl*>(Sender);
  if (X < -kGripSlack || X > grip->Width() + kGripSlack || Y < -kGripSlack ||
      Y > grip->Height() + kGripSlack) {
    outside = true;
    return;
  }
  const TPoint p = ScreenPoint(Sender, X, Y);
  if (outside) {
    if (X >= 0 && X <= grip->Width() && Y >= 0 && Y <= grip->Height()) {
      lastPoint = p;
      outside = false;
    }
    return;
  }
  const bool widthOnly = grip->Name().find("pnlCmd") != AnsiString::npos;
  const int height = widthOnly ? Height() : Height() + p.Y - lastPoint.Y;
  const int width = Width() + p.X - lastPoint.X;
  // As for a drag: resizing reports the pointer again at once.
  lastPoint = p;
  sizeMode = smNormal;
  SetBounds(Left(), Top(), width, height);
}

void TfrmSmallView::objectResizeMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  resizing = false;
}

// ---------------------------------------------------------------- layout upkeep

void TfrmSmallView::pnlTopResize(TObject*) {
  mvMover->SetWidth(Width() - pnlCmd->Width());
  pnlStatInfos->SetWidth(Width() - pnlStatInfos->Left() - pnlCmd->Width());
}

void TfrmSmallView::pnlBottomResize(TObject*) {
  const int w = (pnlBottom->Width() - imgResize->Width() - edtFilter->Left()) / 2;
  edtFilter->SetWidth(w);
  pnlMessage->SetBounds(edtFilter->Left() + w, pnlMessage->Top(), w, pnlMessage->Height());
  // The grip keeps to the bottom-right corner.
  imgResize->SetBounds(pnlBottom->Width() - imgResize->Width(),
                       pnlBottom->Height() - imgResize->Height(), imgResize->Width(),
                       imgResize->Height());
}

WT_PUBLISH(TfrmSmallView, TForm) {
  using F = TfrmSmallView;
  p.Method("FormShow", &F::FormShow);
  p.Method("FormHide", &F::FormHide);
  p.Method("FormKeyDown", &F::FormKeyDown);
  p.Method("btnPauseClick", &F::btnPauseClick);
  p.Method("btnPlayClick", &F::btnPlayClick);
  p.Method("btnPropertiesClick", &F::btnPropertiesClick);
  p.Method("btnNewsClick", &F::btnNewsClick);
  p.Method("btnReduceClick", &F::btnReduceClick);
  p.Method("btnSwitchToNormalModeClick", &F::btnSwitchToNormalModeClick);
  p.Method("btnBiggerClick", &F::btnBiggerClick);
  p.Method("btnSmallerClick", &F::btnSmallerClick);
  p.Method("sgNewsDrawCell", &F::sgNewsDrawCell);
  p.Method("sgNewsDblClick", &F::sgNewsDblClick);
  p.Method("sgNewsContextPopup", &F::sgNewsContextPopup);
  p.Method("edtFilterChange", &F::edtFilterChange);
  p.Method("objectMoveMouseDown", &F::objectMoveMouseDown);
  p.Method("objectMoveMouseMove", &F::objectMoveMouseMove);
  p.Method("objectMoveMouseUp", &F::objectMoveMouseUp);
  p.Method("objectResizeMouseDown", &F::objectResizeMouseDown);
  p.Method("objectResizeMouseMove", &F::objectResizeMouseMove);
  p.Method("objectResizeMouseUp", &F::objectResizeMouseUp);
  p.Method("pnlTopResize", &F::pnlTopResize);
  p.Method("pnlBottomResize", &F::pnlBottomResize);
  p.Method("timerFormTimer", &F::timerFormTimer);
  p.Field("pnlTop", &F::pnlTop);
  p.Field("mvMover", &F::mvMover);
  p.Field("btnNews", &F::btnNews);
  p.Field("pnlStatInfos", &F::pnlStatInfos);
  p.Field("lblNewsStat", &F::lblNewsStat);
  p.Field("lblSourcesStat", &F::lblSourcesStat);
  p.Field("pnlCmd", &F::pnlCmd);
  p.Field("btnPause", &F::btnPause);
  p.Field("btnPlay", &F::btnPlay);
  p.Field("btnProperties", &F::btnProperties);
  p.Field("btnReduce", &F::btnReduce);
  p.Field("btnSmaller", &F::btnSmaller);
  p.Field("btnBigger", &F::btnBigger);
  p.Field("btnSwitchToNormalMode", &F::btnSwitchToNormalMode);
  p.Field("pnlCmdResize", &F::pnlCmdResize);
  p.Field("sgNews", &F::sgNews);
  p.Field("pnlBottom", &F::pnlBottom);
  p.Field("lblMsgFilter", &F::lblMsgFilter);
  p.Field("edtFilter", &F::edtFilter);
  p.Field("pnlMessage", &F::pnlMessage);
  p.Field("lblMessage", &F::lblMessage);
  p.Field("imgResize", &F::imgResize);
  p.Field("bmpBarWallpaper", &F::bmpBarWallpaper);
  p.Field("bmpCmdGrip", &F::bmpCmdGrip);
}
