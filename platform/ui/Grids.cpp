#include "platform/ui/Grids.h"

#include "platform/ui/WindowImpl.h"

#include <algorithm>

namespace {

// Thickness of a scroll bar and length of its arrow buttons.
constexpr int barSize = 16;
// The shortest thumb that can still be grabbed.
constexpr int minThumb = 8;
// How near a column's right line the pointer starts sizing it.
constexpr int sizingSlack = 2;
// Rows the view moves for one notch of the wheel.
constexpr int wheelRows = 3;
constexpr int wheelNotch = 120;

int Clamp(int Value, int Low, int High) {
  return std::max(Low, std::min(Value, High));
}

void Edge(TCanvas* C, const TRect& R, TColor TopLeft, TColor BottomRight) {
  C->Pen()->SetWidth(1);
  C->Pen()->SetStyle(psSolid);
  C->Pen()->SetColor(TopLeft);
  C->MoveTo(R.Left, R.Bottom - 1);
  C->LineTo(R.Left, R.Top);
  C->LineTo(R.Right - 1, R.Top);
  C->Pen()->SetColor(BottomRight);
  C->LineTo(R.Right - 1, R.Bottom - 1);
  C->LineTo(R.Left - 1, R.Bottom - 1);
}

TRect Inflate(TRect R, int D) {
  return Rect(R.Left + D, R.Top + D, R.Right - D, R.Bottom - D);
}

} // namespace

// ---------------------------------------------------------------- geometry

struct TCustomGrid::TGeometry {
  TRect Data;          // where cells show
  int FixedWidth = 0;  // fixed columns with their lines
  int FixedHeight = 0; // fixed rows with their lines
  int FullRows = 0;    // scrolling rows that fit whole
  bool VertBar = false;
  bool HorzBar = false;
  TRect VertBarRect;
  TRect HorzBarRect;
};

TCustomGrid::TGeometry TCustomGrid::Geometry() const {
  TGeometry g;
  const int b = BorderWidth(), lw = gridLineWidth;
  const TRect outer = Rect(b, b, std::max(b, Width() - b), std::max(b, Height() - b));
  int totalWidth = 0;
  for (int c = 0; c < ColCount(); ++c) {
    totalWidth += colWidths[c] + lw;
    if (c < fixedCols)
      g.FixedWidth = totalWidth;
  }
  g.FixedHeight = fixedRows * (defaultRowHeight + lw);
  const int totalHeight = rowCount * (defaultRowHeight + lw);
  const bool wantVert = scrollBars == ssVertical || scrollBars == ssBoth;
  const bool wantHorz = scrollBars == ssHorizontal || scrollBars == ssBoth;
  // A bar takes room from the other direction: two passes settle it.
  for (int pass = 0; pass < 2; ++pass) {
    const int width = outer.Width() - (g.VertBar ? barSize : 0);
    const int height = outer.Height() - (g.HorzBar ? barSize : 0);
    g.VertBar = wantVert && rowCount > fixedRows && totalHeight - lw > height;
    g.HorzBar = wantHorz && ColCount() > fixedCols && totalWidth - lw > width;
  }
  g.Data = outer;
  if (g.VertBar) {
    g.Data.Right = std::max(g.Data.Left, outer.Right - barSize);
    g.VertBarRect = Rect(g.Data.Right, outer.Top, outer.Right, outer.Bottom);
  }
  if (g.HorzBar) {
    g.Data.Bottom = std::max(g.Data.Top, outer.Bottom - barSize);
    g.HorzBarRect = Rect(outer.Left, g.Data.Bottom, g.Data.Right, outer.Bottom);
    g.VertBarRect.Bottom = g.Data.Bottom;
  }
  const int rowsRoom = g.Data.Height() - g.FixedHeight;
  if (rowsRoom >= defaultRowHeight)
    g.FullRows = (rowsRoom - defaultRowHeight) / (defaultRowHeight + lw) + 1;
  return g;
}

int TCustomGrid::MaxTopRow(const TGeometry& G) const {
  return std::max(fixedRows, rowCount - std::max(1, G.FullRows));
}

int TCustomGrid::MaxLeftCol(const TGeometry& G) const {
  const int room = G.Data.Width() - G.FixedWidth;
  int c = ColCount() - 1;
  int used = colWidths[c];
  while (c - 1 >= fixedCols && used + gridLineWidth + colWidths[c - 1] <= room) {
    used += gridLineWidth + colWidths[c - 1];
    --c;
  }
  return std::max(fixedCols, c);
}

int TCustomGrid::VisibleRowCount() const {
  return std::min(Geometry().FullRows, rowCount - topLeft.Y);
}

int TCustomGrid::VisibleColCount() const {
  const TGeometry g = Geometry();
  int count = 0;
  for (int c = topLeft.X; c < ColCount(); ++c) {
    if (ColLeft(g, c) + colWidths[c] > g.Data.Right)
      break;
    ++count;
  }
  return count;
}

// -1 for a scrolling row above the top row.
int TCustomGrid::RowTop(const TGeometry& G, int ARow) const {
  const int step = defaultRowHeight + gridLineWidth;
  if (ARow < fixedRows)
    return G.Data.Top + ARow * step;
  if (ARow < topLeft.Y)
    return -1;
  return G.Data.Top + G.FixedHeight + (ARow - topLeft.Y) * step;
}

int TCustomGrid::ColLeft(const TGeometry& G, int ACol) const {
  if (ACol >= fixedCols && ACol < topLeft.X)
    return -1;
  int x = G.Data.Left;
  const int first = ACol < fixedCols ? 0 : topLeft.X;
  if (ACol >= fixedCols)
    x += G.FixedWidth;
  for (int c = first; c < ACol; ++c)
    x += colWidths[c] + gridLineWidth;
  return x;
}

int TCustomGrid::CellAtY(const TGeometry& G, int Y) const {
  if (Y < G.Data.Top || Y >= G.Data.Bottom)
    return -1;
  const int step = defaultRowHeight + gridLineWidth;
  const int offset = Y - G.Data.Top;
  const int row =
      offset < G.FixedHeight ? offset / step : topLeft.Y + (offset - G.FixedHeight) / step;
  return row < rowCount ? row : -1;
}

int TCustomGrid::CellAtX(const TGeometry& G, int X) const {
  if (X < G.Data.Left || X >= G.Data.Right)
    return -1;
  int x = G.Data.Left;
  auto hit = [&](int c) {
    x += colWidths[c] + gridLineWidth;
    return X < x;
  };
  for (int c = 0; c < fixedCols; ++c)
    if (hit(c))
      return c;
  for (int c = topLeft.X; c < ColCount(); ++c)
    if (hit(c))
      return c;
  return -1;
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const {
  if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= rowCount)
    return TRect{};
  const TGeometry g = Geometry();
  const int left = ColLeft(g, ACol), top = RowTop(g, ARow);
  if (left < 0 || top < 0 || left >= g.Data.Right || top >= g.Data.Bottom)
    return TRect{};
  return Rect(left, top, std::min(left + colWidths[ACol], g.Data.Right),
              std::min(top + defaultRowHeight, g.Data.Bottom));
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
  const TGridCoord c = MouseCoord(X, Y);
  ACol = c.X;
  ARow = c.Y;
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
  const TGeometry g = Geometry();
  return TGridCoord{CellAtX(g, X), CellAtY(g, Y)};
}

int TCustomGrid::SizingColumn(int X, int Y) const {
  if (!options.Contains(goColSizing) || fixedRows == 0)
    return -1;
  const TGeometry g = Geometry();
  if (Y < g.Data.Top || Y >= g.Data.Top + g.FixedHeight || X >= g.Data.Right)
    return -1;
  auto near = [&](int c) {
    const int right = ColLeft(g, c) + colWidths[c];
    return X >= right - sizingSlack && X < right + gridLineWidth + sizingSlack;
  };
  // The rightmost match wins, so that a column sized down to nothing can
  // still be pulled open again.
  int found = -1;
  for (int c = 0; c < fixedCols; ++c)
    if (near(c))
      found = c;
  for (int c = topLeft.X; c < ColCount() && ColLeft(g, c) < g.Data.Right; ++c)
    if (near(c))
      found = c;
  return found;
}

// ---------------------------------------------------------------- TCustomGrid

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner), colWidths(5, 64) {
  options = {goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  ControlStyle << csOpaque;
  SetTabStop(true);
  SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() {
  Destroying();
  editorMode = false;
}

void TCustomGrid::SetColCount(int Value) {
  Value = std::max(1, Value);
  if (Value == ColCount())
    return;
  const int oldCols = ColCount();
  SizeChanging(oldCols, rowCount);
  if (Value <= fixedCols)
    fixedCols = Value - 1;
  colWidths.resize(static_cast<size_t>(Value), defaultColWidth);
  SizeChanged(oldCols, rowCount);
  ClampPositions();
}

void TCustomGrid::SetRowCount(int Value) {
  Value = std::max(1, Value);
  if (Value == rowCount)
    return;
  const int oldRows = rowCount;
  SizeChanging(ColCount(), oldRows);
  if (Value <= fixedRows)
    fixedRows = Value - 1;
  rowCount = Value;
  SizeChanged(ColCount(), oldRows);
  ClampPositions();
}

void TCustomGrid::SetFixedCols(int Value) {
  if (Value < 0 || Value >= ColCount())
    throw EInvalidGridOperation("Fixed column count must be less than column count");
  fixedCols = Value;
  ClampPositions();
}

void TCustomGrid::SetFixedRows(int Value) {
  if (Value < 0 || Value >= rowCount)
    throw EInvalidGridOperation("Fixed row count must be less than row count");
  fixedRows = Value;
  ClampPositions();
}

void TCustomGrid::SizeChanging(int, int) {
  HideEditor(true);
}

void TCustomGrid::SizeChanged(int, int) {}

void TCustomGrid::ClampPositions() {
  auto inside = [this](TGridCoord& c) {
    c.X = Clamp(c.X, fixedCols, ColCount() - 1);
    c.Y = Clamp(c.Y, fixedRows, rowCount - 1);
  };
  inside(current);
  inside(anchor);
  const TGeometry g = Geometry();
  topLeft.X = Clamp(topLeft.X, fixedCols, MaxLeftCol(g));
  topLeft.Y = Clamp(topLeft.Y, fixedRows, MaxTopRow(g));
  Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
  defaultColWidth = std::max(0, Value);
  std::fill(colWidths.begin(), colWidths.end(), defaultColWidth);
  ClampPositions();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
  defaultRowHeight = std::max(0, Value);
  HideEditor(true);
  ClampPositions();
}

void TCustomGrid::SetGridLineWidth(int Value) {
  gridLineWidth = std::max(0, Value);
  ClampPositions();
}

int TCustomGrid::ColWidths(int Index) const {
  if (Index < 0 || Index >= ColCount())
    return defaultColWidth;
  return colWidths[Index];
}

void TCustomGrid::SetColWidths(int Index, int Value) {
  if (Index < 0 || Index >= ColCount())
    throw EInvalidGridOperation("Grid index out of range");
  colWidths[Index] = std::max(0, Value);
  if (editorMode)
    editor->SetBoundsRect(CellRect(current.X, current.Y));
  ClampPositions();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
  options = Value;
  if (options.Contains(goRowSelect) || !options.Contains(goEditing))
    HideEditor(true);
  if (!options.Contains(goRangeSelect))
    anchor = current;
  Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
  scrollBars = Value;
  ClampPositions();
}

void TCustomGrid::SetBorderStyle(TFormBorderStyle Value) {
  borderStyle = Value == bsNone ? bsNone : bsSingle;
  ClampPositions();
}

void TCustomGrid::SetDefaultDrawing(bool Value) {
  defaultDrawing = Value;
  Invalidate();
}

void TCustomGrid::SetFixedColor(TColor Value) {
  fixedColor = Value;
  Invalidate();
}

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(anchor.X, current.X), std::min(anchor.Y, current.Y),
              std::max(anchor.X, current.X), std::max(anchor.Y, current.Y)};
  if (options.Contains(goRowSelect)) {
    r.Left = fixedCols;
    r.Right = ColCount() - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(TGridRect Value) {
  HideEditor(true);
  anchor = TGridCoord{Value.Left, Value.Top};
  current = TGridCoord{Value.Right, Value.Bottom};
  if (!options.Contains(goRangeSelect))
    anchor = current;
  ClampPositions();
  MakeVisible(current);
}

bool TCustomGrid::SelectCell(int ACol, int ARow) {
  bool canSelect = true;
  if (OnSelectCell)
    OnSelectCell(this, ACol, ARow, canSelect);
  return canSelect;
}

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool Extend) {
  const TGridCoord target{Clamp(ACol, fixedCols, ColCount() - 1),
                          Clamp(ARow, fixedRows, rowCount - 1)};
  if (!(target == current) && !SelectCell(target.X, target.Y))
    return;
  HideEditor(true);
  current = target;
  if (!Extend || !options.Contains(goRangeSelect))
    anchor = current;
  MakeVisible(current);
  Invalidate();
  if (options.Contains(goAlwaysShowEditor) && Focused())
    ShowEditor();
}

void TCustomGrid::ScrollTo(int ALeftCol, int ATopRow) {
  const TGeometry g = Geometry();
  const TGridCoord target{Clamp(ALeftCol, fixedCols, MaxLeftCol(g)),
                          Clamp(ATopRow, fixedRows, MaxTopRow(g))};
  if (target == topLeft)
    return;
  HideEditor(true);
  topLeft = target;
  Invalidate();
  if (OnTopLeftChanged)
    OnTopLeftChanged(this);
}

void TCustomGrid::MakeVisible(TGridCoord Cell) {
  const TGeometry g = Geometry();
  int top = topLeft.Y;
  if (Cell.Y < top)
    top = Cell.Y;
  else if (Cell.Y >= top + std::max(1, g.FullRows))
    top = Cell.Y - std::max(1, g.FullRows) + 1;
  int left = topLeft.X;
  if (Cell.X < left) {
    left = Cell.X;
  } else {
    // Scroll right until the cell's right edge shows, or it is the first.
    int right = g.Data.Left + g.FixedWidth;
    for (int c = left; c <= Cell.X; ++c)
      right += colWidths[c] + gridLineWidth;
    right -= gridLineWidth;
    while (left < Cell.X && right > g.Data.Right) {
      right -= colWidths[left] + gridLineWidth;
      ++left;
    }
  }
  ScrollTo(left, top);
}

void TCustomGrid::BoundsChanged(int OldWidth, int OldHeight) {
  TCustomControl::BoundsChanged(OldWidth, OldHeight);
  ClampPositions();
  if (editorMode)
    editor->SetBoundsRect(CellRect(current.X, current.Y));
}

// ---------------------------------------------------------------- editing

AnsiString TCustomGrid::GetEditText(int, int) {
  return AnsiString();
}

void TCustomGrid::SetEditText(int, int, const AnsiString&) {}

void TCustomGrid::SetEditorMode(bool Value) {
  if (Value)
    ShowEditor();
  else
    HideEditor(true);
}

void TCustomGrid::ShowEditor() {
  if (!options.Contains(goEditing) || options.Contains(goRowSelect) || editorMode)
    return;
  const TRect r = CellRect(current.X, current.Y);
  if (r.Width() <= 0 || r.Height() <= 0 || !CanFocus())
    return;
  if (editor == nullptr)
    editor = new TInplaceEdit(this);
  editor->SetText(GetEditText(current.X, current.Y));
  editor->SetBoundsRect(r);
  editorMode = true;
  editor->Show();
  editor->SetFocus();
  editor->SelectAll();
}

void TCustomGrid::HideEditor(bool Keep) {
  if (!editorMode)
    return;
  editorMode = false;
  if (Keep)
    SetEditText(current.X, current.Y, editor->Text());
  const bool hadFocus = editor->Focused();
  editor->Hide();
  if (hadFocus && CanFocus())
    SetFocus();
  Invalidate();
}

void TCustomGrid::EditorKey(uint16_t& Key, TShiftState Shift) {
  HideEditor(true);
  KeyDown(Key, Shift);
}

// ---------------------------------------------------------------- input

void TCustomGrid::WMGetDlgCode(TMessage& m) {
  m.Result = DLGC_WANTARROWS;
  if (options.Contains(goTabs))
    m.Result |= DLGC_WANTTAB;
}

void TCustomGrid::WndProc(TMessage& m) {
  if (m.Msg != WM_MOUSEWHEEL) {
    TCustomControl::WndProc(m);
    return;
  }
  // The wheel scrolls the view; the current cell stays where it is.
  const int delta = static_cast<int16_t>((m.WParam >> 16) & 0xFFFF);
  const int notches = delta / wheelNotch != 0 ? delta / wheelNotch : (delta > 0 ? 1 : -1);
  ScrollTo(topLeft.X, topLeft.Y - notches * wheelRows);
  m.Result = 1;
}

void TCustomGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0)
    return;
  const bool extend = Shift.Contains(ssShift);
  const bool rowSelect = options.Contains(goRowSelect);
  const int page = std::max(1, Geometry().FullRows);
  const TGridCoord c = current;
  switch (Key) {
  case VK_UP:
    MoveCurrent(c.X, c.Y - 1, extend);
    break;
  case VK_DOWN:
    MoveCurrent(c.X, c.Y + 1, extend);
    break;
  case VK_PRIOR:
    MoveCurrent(c.X, c.Y - page, extend);
    break;
  case VK_NEXT:
    MoveCurrent(c.X, c.Y + page, extend);
    break;
  case VK_HOME:
    if (rowSelect || Shift.Contains(ssCtrl))
      MoveCurrent(c.X, fixedRows, extend);
    else
      MoveCurrent(fixedCols, c.Y, extend);
    break;
  case VK_END:
    if (rowSelect || Shift.Contains(ssCtrl))
      MoveCurrent(c.X, rowCount - 1, extend);
    else
      MoveCurrent(ColCount() - 1, c.Y, extend);
    break;
  case VK_LEFT:
    if (rowSelect)
      ScrollTo(topLeft.X - 1, topLeft.Y);
    else
      MoveCurrent(c.X - 1, c.Y, extend);
    break;
  case VK_RIGHT:
    if (rowSelect)
      ScrollTo(topLeft.X + 1, topLeft.Y);
    else
      MoveCurrent(c.X + 1, c.Y, extend);
    break;
  case VK_TAB: {
    if (!options.Contains(goTabs))
      return;
    const int step = Shift.Contains(ssShift) ? -1 : 1;
    int col = c.X + step, row = c.Y;
    if (col >= ColCount()) {
      col = fixedCols;
      ++row;
    } else if (col < fixedCols) {
      col = ColCount() - 1;
      --row;
    }
    if (row >= fixedRows && row < rowCount)
      MoveCurrent(col, row, false);
    break;
  }
  case VK_F2:
  case VK_RETURN:
    if (!options.Contains(goEditing))
      return;
    ShowEditor();
    break;
  default:
    return;
  }
  Key = 0;
}

void TCustomGrid::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (static_cast<unsigned char>(Key) < 0x20 || editorMode)
    return;
  ShowEditor();
  if (!editorMode)
    return;
  editor->KeyPress(Key);
  Key = 0;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (!Focused() && !editorMode && CanFocus())
      SetFocus();
    const TGeometry g = Geometry();
    const TPoint p = Point(X, Y);
    const int sizing = SizingColumn(X, Y);
    if (g.VertBar && g.VertBarRect.Contains(p)) {
      const TBarPart part = BarPartAt(g, true, p);
      if (part == bpThumb) {
        state = gsVertThumb;
        thumbGrab = Y - ThumbRect(g, true).Top;
      } else {
        BarClick(g, true, part);
      }
    } else if (g.HorzBar && g.HorzBarRect.Contains(p)) {
      const TBarPart part = BarPartAt(g, false, p);
      if (part == bpThumb) {
        state = gsHorzThumb;
        thumbGrab = X - ThumbRect(g, false).Left;
      } else {
        BarClick(g, false, part);
      }
    } else if (sizing >= 0) {
      state = gsColSizing;
      sizingCol = sizing;
      sizingOrigin = X - colWidths[sizing];
    } else {
      const TGridCoord cell = MouseCoord(X, Y);
      if (cell.X >= fixedCols && cell.Y >= fixedRows) {
        const bool again = cell == current && !Shift.Contains(ssShift);
        if (again && !Shift.Contains(ssDouble) && options.Contains(goEditing)) {
          ShowEditor();
        } else {
          MoveCurrent(cell.X, cell.Y, Shift.Contains(ssShift));
          state = gsSelecting;
        }
      }
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  switch (state) {
  case gsColSizing:
    SetColWidths(sizingCol, X - sizingOrigin);
    break;
  case gsVertThumb:
  case gsHorzThumb:
    DragThumb(X, Y);
    break;
  case gsSelecting: {
    const TGridCoord cell = MouseCoord(X, Y);
    if (Shift.Contains(ssLeft) && cell.X >= fixedCols && cell.Y >= fixedRows)
      MoveCurrent(cell.X, cell.Y, true);
    break;
  }
  case gsNormal:
    if (HandleAllocated())
      Impl()->SetCursor(SizingColumn(X, Y) >= 0 ? crHSplit : Cursor());
    break;
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft)
    state = gsNormal;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

// ---------------------------------------------------------------- scroll bars

TRect TCustomGrid::ThumbRect(const TGeometry& G, bool Vertical) const {
  const TRect bar = Vertical ? G.VertBarRect : G.HorzBarRect;
  const int length = (Vertical ? bar.Height() : bar.Width()) - 2 * barSize;
  if (length < minThumb)
    return TRect{};
  const int total = Vertical ? rowCount - fixedRows : ColCount() - fixedCols;
  const int shown = std::max(1, Vertical ? G.FullRows : VisibleColCount());
  const int thumb = Clamp(length * shown / std::max(1, total), minThumb, length);
  const int first = Vertical ? fixedRows : fixedCols;
  const int last = Vertical ? MaxTopRow(G) : MaxLeftCol(G);
  const int at = Vertical ? topLeft.Y : topLeft.X;
  const int offset = last > first ? (length - thumb) * (at - first) / (last - first) : 0;
  if (Vertical)
    return Rect(bar.Left, bar.Top + barSize + offset, bar.Right,
                bar.Top + barSize + offset + thumb);
  return Rect(bar.Left + barSize + offset, bar.Top, bar.Left + barSize + offset + thumb,
              bar.Bottom);
}

TCustomGrid::TBarPart TCustomGrid::BarPartAt(const TGeometry& G, bool Vertical, TPoint P) const {
  const TRect bar = Vertical ? G.VertBarRect : G.HorzBarRect;
  const int pos = Vertical ? P.Y - bar.Top : P.X - bar.Left;
  const int length = Vertical ? bar.Height() : bar.Width();
  if (pos < barSize)
    return bpLineUp;
  if (pos >= length - barSize)
    return bpLineDown;
  const TRect thumb = ThumbRect(G, Vertical);
  if (thumb.Width() <= 0)
    return bpNone;
  if (thumb.Contains(P))
    return bpThumb;
  return (Vertical ? P.Y < thumb.Top : P.X < thumb.Left) ? bpPageUp : bpPageDown;
}

void TCustomGrid::BarClick(const TGeometry& G, bool Vertical, TBarPart Part) {
  const int page = std::max(1, Vertical ? G.FullRows : VisibleColCount());
  int step = 0;
  switch (Part) {
  case bpLineUp:
    step = -1;
    break;
  case bpLineDown:
    step = 1;
    break;
  case bpPageUp:
    step = -page;
    break;
  case bpPageDown:
    step = page;
    break;
  default:
    return;
  }
  if (Vertical)
    ScrollTo(topLeft.X, topLeft.Y + step);
  else
    ScrollTo(topLeft.X + step, topLeft.Y);
}

void TCustomGrid::DragThumb(int X, int Y) {
  const TGeometry g = Geometry();
  const bool vertical = state == gsVertThumb;
  const TRect bar = vertical ? g.VertBarRect : g.HorzBarRect;
  const TRect thumb = ThumbRect(g, vertical);
  const int length = (vertical ? bar.Height() : bar.Width()) - 2 * barSize;
  const int range = length - (vertical ? thumb.Height() : thumb.Width());
  if (range <= 0)
    return;
  const int offset = (vertical ? Y - bar.Top : X - bar.Left) - barSize - thumbGrab;
  const int first = vertical ? fixedRows : fixedCols;
  const int last = vertical ? MaxTopRow(g) : MaxLeftCol(g);
  const int at = first + (Clamp(offset, 0, range) * (last - first) + range / 2) / range;
  if (vertical)
    ScrollTo(topLeft.X, at);
  else
    ScrollTo(at, topLeft.Y);
}

// ---------------------------------------------------------------- painting

void TCustomGrid::Paint() {
  const TGeometry g = Geometry();
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, g.Data.Left, g.Data.Top, g.Data.Right, g.Data.Bottom);
  // Only the rows and columns that show: the fixed ones, then the scrolled
  // ones from the top row and left column until the edge.
  std::vector<int> rows, cols;
  for (int r = 0; r < fixedRows; ++r)
    rows.push_back(r);
  for (int r = topLeft.Y; r < rowCount && RowTop(g, r) < g.Data.Bottom; ++r)
    rows.push_back(r);
  for (int col = 0; col < fixedCols; ++col)
    cols.push_back(col);
  for (int col = topLeft.X; col < ColCount() && ColLeft(g, col) < g.Data.Right; ++col)
    cols.push_back(col);
  for (int r : rows)
    for (int col : cols) {
      const int left = ColLeft(g, col), top = RowTop(g, r);
      const TRect cell = Rect(left, top, left + colWidths[col], top + defaultRowHeight);
      PaintGridLines(g, col, r, cell);
      if (cell.Width() > 0 && cell.Height() > 0)
        PaintCell(g, col, r, cell);
    }
  RestoreDC(dc, saved);
  if (g.VertBar)
    PaintScrollBar(g, true);
  if (g.HorzBar)
    PaintScrollBar(g, false);
  if (g.VertBar && g.HorzBar) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(
        Rect(g.VertBarRect.Left, g.HorzBarRect.Top, g.VertBarRect.Right, g.HorzBarRect.Bottom));
  }
  PaintBorder();
}

void TCustomGrid::PaintBorder() {
  if (borderStyle != bsSingle)
    return;
  const TRect r = Rect(0, 0, Width(), Height());
  Edge(Canvas(), r, clBtnShadow, clBtnHighlight);
  Edge(Canvas(), Inflate(r, 1), cl3DDkShadow, cl3DLight);
}

void TCustomGrid::PaintGridLines(const TGeometry&, int ACol, int ARow, const TRect& Cell) {
  if (gridLineWidth <= 0)
    return;
  const bool fixed = ACol < fixedCols || ARow < fixedRows;
  const bool vert = options.Contains(fixed ? goFixedVertLine : goVertLine);
  const bool horz = options.Contains(fixed ? goFixedHorzLine : goHorzLine);
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(fixed ? clBlack : clSilver);
  if (vert)
    c->FillRect(Rect(Cell.Right, Cell.Top, Cell.Right + gridLineWidth, Cell.Bottom));
  if (horz)
    c->FillRect(
        Rect(Cell.Left, Cell.Bottom, Cell.Right + gridLineWidth, Cell.Bottom + gridLineWidth));
}

void TCustomGrid::PaintCell(const TGeometry&, int ACol, int ARow, const TRect& Cell) {
  TGridDrawState drawState;
  const bool fixed = ACol < fixedCols || ARow < fixedRows;
  const TGridRect sel = Selection();
  const bool focusedCell = ACol == current.X && ARow == current.Y && Focused();
  if (fixed)
    drawState << gdFixed;
  else if (ACol >= sel.Left && ACol <= sel.Right && ARow >= sel.Top && ARow <= sel.Bottom)
    drawState << gdSelected;
  if (focusedCell && !fixed)
    drawState << gdFocused;
  TCanvas* c = Canvas();
  c->SetFont(Font());
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(fixed ? fixedColor : Color());
  if (defaultDrawing) {
    const bool highlight = drawState.Contains(gdSelected) &&
                           (!drawState.Contains(gdFocused) ||
                            options.Contains(goDrawFocusSelected) || options.Contains(goRowSelect));
    if (highlight) {
      c->Brush()->SetColor(clHighlight);
      c->Font()->SetColor(clHighlightText);
    }
    c->FillRect(Cell);
  }
  const int saved = SaveDC(c->Handle());
  DrawCell(ACol, ARow, Cell, drawState);
  RestoreDC(c->Handle(), saved);
  if (!defaultDrawing)
    return;
  if (fixed)
    Edge(c, Cell, clBtnHighlight, clBtnShadow);
  if (drawState.Contains(gdFocused) && !options.Contains(goRowSelect) && !editorMode)
    c->DrawFocusRect(Cell);
}

void TCustomGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) {
  if (OnDrawCell)
    OnDrawCell(this, ACol, ARow, ARect, AState);
}

void TCustomGrid::PaintBarButton(const TRect& R, int Direction, bool Enabled) {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(R);
  Edge(c, R, clBtnHighlight, cl3DDkShadow);
  if (Direction < 0)
    return;
  // A small triangle pointing up, down, left or right (0 to 3).
  const int cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
  const int s = std::max(1, std::min(R.Width(), R.Height()) / 5);
  std::vector<TPoint> tri;
  switch (Direction) {
  case 0:
    tri = {Point(cx - s * 2, cy + s), Point(cx + s * 2, cy + s), Point(cx, cy - s)};
    break;
  case 1:
    tri = {Point(cx - s * 2, cy - s), Point(cx + s * 2, cy - s), Point(cx, cy + s)};
    break;
  case 2:
    tri = {Point(cx + s, cy - s * 2), Point(cx + s, cy + s * 2), Point(cx - s, cy)};
    break;
  default:
    tri = {Point(cx - s, cy - s * 2), Point(cx - s, cy + s * 2), Point(cx + s, cy)};
    break;
  }
  const TColor ink = Enabled ? clBtnText : clGrayText;
  c->Pen()->SetColor(ink);
  c->Brush()->SetColor(ink);
  c->Polygon(tri);
}

void TCustomGrid::PaintScrollBar(const TGeometry& G, bool Vertical) {
  const TRect bar = Vertical ? G.VertBarRect : G.HorzBarRect;
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clScrollBar);
  c->FillRect(bar);
  const int at = Vertical ? topLeft.Y : topLeft.X;
  const int first = Vertical ? fixedRows : fixedCols;
  const int last = Vertical ? MaxTopRow(G) : MaxLeftCol(G);
  if (Vertical) {
    PaintBarButton(Rect(bar.Left, bar.Top, bar.Right, bar.Top + barSize), 0, at > first);
    PaintBarButton(Rect(bar.Left, bar.Bottom - barSize, bar.Right, bar.Bottom), 1, at < last);
  } else {
    PaintBarButton(Rect(bar.Left, bar.Top, bar.Left + barSize, bar.Bottom), 2, at > first);
    PaintBarButton(Rect(bar.Right - barSize, bar.Top, bar.Right, bar.Bottom), 3, at < last);
  }
  const TRect thumb = ThumbRect(G, Vertical);
  if (thumb.Width() > 0 && thumb.Height() > 0)
    PaintBarButton(thumb, -1, true);
}

// ---------------------------------------------------------------- TInplaceEdit

TInplaceEdit::TInplaceEdit(TCustomGrid* AGrid) : TCustomControl(AGrid), grid(AGrid) {
  SetVisible(false);
  SetColor(clWindow);
  SetCursor(crIBeam);
  SetParent(AGrid);
}

void TInplaceEdit::SelectAll() {
  allSelected = true;
  caret = static_cast<int>(Text().size());
  Invalidate();
}

void TInplaceEdit::MoveCaret(int Position) {
  caret = Clamp(Position, 0, static_cast<int>(Text().size()));
  allSelected = false;
  Invalidate();
}

void TInplaceEdit::Insert(char Ch) {
  AnsiString text = allSelected ? AnsiString() : Text();
  const int at = allSelected ? 0 : caret;
  text.insert(text.begin() + at, Ch);
  allSelected = false;
  caret = at + 1;
  SetText(text);
}

void TInplaceEdit::CMTextChanged(TMessage& m) {
  TCustomControl::CMTextChanged(m);
  caret = std::min(caret, static_cast<int>(Text().size()));
  Invalidate();
}

void TInplaceEdit::WMGetDlgCode(TMessage& m) {
  m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (grid->Options().Contains(goTabs))
    m.Result |= DLGC_WANTTAB;
}

void TInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const int length = static_cast<int>(Text().size());
  switch (Key) {
  case VK_LEFT:
    MoveCaret(allSelected ? 0 : caret - 1);
    break;
  case VK_RIGHT:
    MoveCaret(caret + 1);
    break;
  case VK_HOME:
    MoveCaret(0);
    break;
  case VK_END:
    MoveCaret(length);
    break;
  case VK_BACK:
  case VK_DELETE: {
    AnsiString text = Text();
    if (allSelected) {
      text.clear();
      caret = 0;
    } else if (Key == VK_BACK && caret > 0) {
      text.erase(static_cast<size_t>(--caret), 1);
    } else if (Key == VK_DELETE && caret < length) {
      text.erase(static_cast<size_t>(caret), 1);
    }
    allSelected = false;
    SetText(text);
    break;
  }
  case VK_RETURN:
    grid->HideEditor(true);
    break;
  case VK_ESCAPE:
    grid->HideEditor(false);
    break;
  case VK_TAB:
    // Without tabs in the grid, Tab leaves it as it leaves any control.
    if (!grid->Options().Contains(goTabs)) {
      grid->HideEditor(true);
      return;
    }
    grid->EditorKey(Key, Shift);
    break;
  case VK_UP:
  case VK_DOWN:
  case VK_PRIOR:
  case VK_NEXT:
    grid->EditorKey(Key, Shift);
    break;
  default:
    return;
  }
  Key = 0;
}

void TInplaceEdit::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (static_cast<unsigned char>(Key) < 0x20)
    return;
  Insert(Key);
  Key = 0;
}

void TInplaceEdit::DoExit() {
  TCustomControl::DoExit();
  if (!grid->ComponentState().Contains(csDestroying))
    grid->HideEditor(true);
}

void TInplaceEdit::Paint() {
  TCanvas* c = Canvas();
  const TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  const AnsiString& text = Text();
  const int caretX = c->TextWidth(text.substr(0, static_cast<size_t>(caret)));
  // The text slides left when the caret would leave the box.
  const int x = 2 - std::max(0, caretX - (r.Width() - 4));
  if (allSelected && !text.empty()) {
    c->Brush()->SetColor(clHighlight);
    c->Font()->SetColor(clHighlightText);
  } else {
    c->Brush()->SetStyle(bsClear);
  }
  c->TextOut(x, 2, text);
  if (!Focused())
    return;
  c->Pen()->SetColor(clWindowText);
  c->Pen()->SetWidth(1);
  c->MoveTo(x + caretX, 2);
  c->LineTo(x + caretX, std::max(3, r.Bottom - 2));
}

// ---------------------------------------------------------------- TStringGrid

TStringGrid::TStringGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

TStringGrid::~TStringGrid() {
  Destroying();
}

AnsiString TStringGrid::Cells(int ACol, int ARow) const {
  if (ARow < 0 || ARow >= static_cast<int>(cells.size()) || ACol < 0 ||
      ACol >= static_cast<int>(cells[ARow].size()))
    return AnsiString();
  return cells[ARow][ACol];
}

void TStringGrid::SetCells(int ACol, int ARow, const AnsiString& Value) {
  if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount())
    return;
  if (ARow >= static_cast<int>(cells.size()))
    cells.resize(static_cast<size_t>(ARow) + 1);
  std::vector<AnsiString>& row = cells[ARow];
  if (ACol >= static_cast<int>(row.size()))
    row.resize(static_cast<size_t>(ACol) + 1);
  row[ACol] = Value;
  const TRect r = CellRect(ACol, ARow);
  if (r.Width() > 0)
    Invalidate();
}

void TStringGrid::SizeChanged(int, int) {
  if (static_cast<int>(cells.size()) > RowCount())
    cells.resize(static_cast<size_t>(RowCount()));
  for (auto& row : cells)
    if (static_cast<int>(row.size()) > ColCount())
      row.resize(static_cast<size_t>(ColCount()));
}

void TStringGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) {
  if (DefaultDrawing())
    Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, Cells(ACol, ARow));
  TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
}

AnsiString TStringGrid::GetEditText(int ACol, int ARow) {
  return Cells(ACol, ARow);
}

void TStringGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  SetCells(ACol, ARow, Value);
}

// ---------------------------------------------------------------- published

namespace {

[[maybe_unused]] const bool gridOptionIdents =
    RegisterEnum<TGridOption>({{"goFixedVertLine", goFixedVertLine},
                               {"goFixedHorzLine", goFixedHorzLine},
                               {"goVertLine", goVertLine},
                               {"goHorzLine", goHorzLine},
                               {"goRangeSelect", goRangeSelect},
                               {"goDrawFocusSelected", goDrawFocusSelected},
                               {"goRowSizing", goRowSizing},
                               {"goColSizing", goColSizing},
                               {"goRowMoving", goRowMoving},
                               {"goColMoving", goColMoving},
                               {"goEditing", goEditing},
                               {"goTabs", goTabs},
                               {"goRowSelect", goRowSelect},
                               {"goAlwaysShowEditor", goAlwaysShowEditor},
                               {"goThumbTracking", goThumbTracking}});

// "ColWidths = (64 80 120)": the widths of the first columns, in order.
TPropInfo ColWidthsProperty() {
  TPropInfo info;
  info.Name = "ColWidths";
  info.Kind = pkInteger;
  info.Set = [](TObject& o, const TLayoutValue& v, TLoadContext&) {
    if (v.Kind != TLayoutValue::vkList)
      typinfo_detail::WrongKind(v, "a list of widths");
    auto& grid = static_cast<TCustomGrid&>(o);
    if (static_cast<int>(v.List.size()) > grid.ColCount())
      throw EPropertyError("more widths than columns");
    for (size_t i = 0; i < v.List.size(); ++i)
      grid.SetColWidths(static_cast<int>(i), typinfo_detail::FromLayout<int>(v.List[i]));
  };
  info.Get = [](const TObject& o) -> std::optional<TLayoutValue> {
    auto& grid = static_cast<const TCustomGrid&>(o);
    TLayoutValue v;
    v.Kind = TLayoutValue::vkList;
    bool allDefault = true;
    for (int i = 0; i < grid.ColCount(); ++i) {
      v.List.push_back(TLayoutValue::Int(grid.ColWidths(i)));
      allDefault = allDefault && grid.ColWidths(i) == grid.DefaultColWidth();
    }
    if (allDefault)
      return std::nullopt;
    return v;
  };
  return info;
}

} // namespace

WT_PUBLISH(TCustomGrid, TCustomControl) {
  p.Property("ColCount", &TCustomGrid::ColCount, &TCustomGrid::SetColCount).Default(5);
  p.Property("DefaultColWidth", &TCustomGrid::DefaultColWidth, &TCustomGrid::SetDefaultColWidth)
      .Default(64);
  p.Property("DefaultRowHeight", &TCustomGrid::DefaultRowHeight, &TCustomGrid::SetDefaultRowHeight)
      .Default(24);
  p.Property("DefaultDrawing", &TCustomGrid::DefaultDrawing, &TCustomGrid::SetDefaultDrawing)
      .Default(true);
  p.Color("FixedColor", &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor);
  p.Property("FixedCols", &TCustomGrid::FixedCols, &TCustomGrid::SetFixedCols).Default(1);
  p.Property("RowCount", &TCustomGrid::RowCount, &TCustomGrid::SetRowCount).Default(5);
  p.Property("FixedRows", &TCustomGrid::FixedRows, &TCustomGrid::SetFixedRows).Default(1);
  p.Property("GridLineWidth", &TCustomGrid::GridLineWidth, &TCustomGrid::SetGridLineWidth)
      .Default(1);
  p.Property("Options", &TCustomGrid::Options, &TCustomGrid::SetOptions);
  p.Property("ScrollBars", &TCustomGrid::ScrollBars, &TCustomGrid::SetScrollBars).Default(ssBoth);
  p.Property("BorderStyle", &TCustomGrid::BorderStyle, &TCustomGrid::SetBorderStyle)
      .Default(bsSingle);
  p.Custom(ColWidthsProperty());
  p.Event("OnDrawCell", &TCustomGrid::OnDrawCell);
  p.Event("OnSelectCell", &TCustomGrid::OnSelectCell);
  p.Event("OnTopLeftChanged", &TCustomGrid::OnTopLeftChanged);
}

WT_PUBLISH(TStringGrid, TCustomGrid) {}
