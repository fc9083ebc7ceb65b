#pragma once
// Grids: a table of cells in rows of one height and columns of their own
// widths, with fixed rows and columns at the top and left that stay in place
// while the rest scrolls. TCustomGrid lays out, scrolls, selects, sizes
// columns and edits in place; TStringGrid keeps a text per cell.
//
// Coordinates are the control's own; with a single border the cells start two
// pixels in. Each cell is followed by a grid line of GridLineWidth pixels on
// its right and below it. Only the cells that show are painted, one by one,
// through DrawCell and OnDrawCell.
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

#include <memory>
#include <vector>

class EInvalidGridOperation : public Exception {
public:
  using Exception::Exception;
};

enum TGridOption {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

struct TGridCoord {
  int X = 0;
  int Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

// Columns Left..Right and rows Top..Bottom, both ends included.
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

using TDrawCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TCustomGrid;

// The one-line editor a grid lays over its current cell. Enter keeps the
// text, Escape puts the old one back; leaving it keeps the text too.
class TInplaceEdit : public TCustomControl {
public:
  explicit TInplaceEdit(TCustomGrid* AGrid);

  int SelStart() const { return caret; }
  void SelectAll();
  bool AllSelected() const { return allSelected; }

protected:
  void Paint() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void WMGetDlgCode(TMessage& Message) override;
  void DoExit() override;
  void CMTextChanged(TMessage& Message) override;

private:
  friend class TCustomGrid;
  void Insert(char Ch);
  void MoveCaret(int Position);

  TCustomGrid* grid;
  int caret = 0;
  bool allSelected = false;
};

class TCustomGrid : public TCustomControl {
public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;

  int ColCount() const { return static_cast<int>(colWidths.size()); }
  void SetColCount(int Value);
  int RowCount() const { return rowCount; }
  void SetRowCount(int Value);
  // Fewer than the column (row) count; EInvalidGridOperation otherwise.
  int FixedCols() const { return fixedCols; }
  void SetFixedCols(int Value);
  int FixedRows() const { return fixedRows; }
  void SetFixedRows(int Value);

  int DefaultColWidth() const { return defaultColWidth; }
  // Gives every column this width.
  void SetDefaultColWidth(int Value);
  int DefaultRowHeight() const { return defaultRowHeight; }
  void SetDefaultRowHeight(int Value);
  int GridLineWidth() const { return gridLineWidth; }
  void SetGridLineWidth(int Value);
  int ColWidths(int Index) const;
  void SetColWidths(int Index, int Value);
  // Every row has the default height.
  int RowHeights(int) const { return defaultRowHeight; }

  TGridOptions Options() const { return options; }
  void SetOptions(TGridOptions Value);
  TScrollStyle ScrollBars() const { return scrollBars; }
  void SetScrollBars(TScrollStyle Value);
  TFormBorderStyle BorderStyle() const { return borderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  bool DefaultDrawing() const { return defaultDrawing; }
  void SetDefaultDrawing(bool Value);
  TColor FixedColor() const { return fixedColor; }
  void SetFixedColor(TColor Value);

  // The current cell; moving it asks SelectCell first and scrolls it into
  // view.
  int Col() const { return current.X; }
  void SetCol(int Value) { MoveCurrent(Value, current.Y, false); }
  int Row() const { return current.Y; }
  void SetRow(int Value) { MoveCurrent(current.X, Value, false); }
  TGridRect Selection() const;
  void SetSelection(TGridRect Value);

  // The first scrolling row and column that show.
  int TopRow() const { return topLeft.Y; }
  void SetTopRow(int Value) { ScrollTo(topLeft.X, Value); }
  int LeftCol() const { return topLeft.X; }
  void SetLeftCol(int Value) { ScrollTo(Value, topLeft.Y); }
  // Scrolling rows (columns) that show whole.
  int VisibleRowCount() const;
  int VisibleColCount() const;

  // The cell's rectangle; empty when it does not show.
  TRect CellRect(int ACol, int ARow) const;
  // The cell under a point; -1 for what lies outside every cell.
  void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
  TGridCoord MouseCoord(int X, int Y) const;

  bool EditorMode() const { return editorMode; }
  void SetEditorMode(bool Value);
  TInplaceEdit* InplaceEditor() const { return editor; }

  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;

protected:
  // Paints one cell; the canvas holds the grid's font and the cell's brush.
  virtual void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState);
  // Whether the cell may become the current one; asks OnSelectCell.
  virtual bool SelectCell(int ACol, int ARow);
  virtual AnsiString GetEditText(int ACol, int ARow);
  virtual void SetEditText(int ACol, int ARow, const AnsiString& Value);
  // The column or row count changed; cells beyond it are gone.
  virtual void SizeChanged(int OldColCount, int OldRowCount);

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void WMGetDlgCode(TMessage& Message) override;
  void WndProc(TMessage& Message) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;

private:
  friend class TInplaceEdit;
  struct TGeometry;
  enum TGridState { gsNormal, gsSelecting, gsColSizing, gsVertThumb, gsHorzThumb };
  enum TBarPart { bpNone, bpLineUp, bpPageUp, bpThumb, bpPageDown, bpLineDown };

  TGeometry Geometry() const;
  int BorderWidth() const { return borderStyle == bsSingle ? 2 : 0; }
  int MaxTopRow(const TGeometry& G) const;
  int MaxLeftCol(const TGeometry& G) const;
  int RowTop(const TGeometry& G, int ARow) const;
  int ColLeft(const TGeometry& G, int ACol) const;
  int CellAtX(const TGeometry& G, int X) const;
  int CellAtY(const TGeometry& G, int Y) const;
  // The column whose right grid line lies under X in the fixed rows; -1.
  int SizingColumn(int X, int Y) const;

  void MoveCurrent(int ACol, int ARow, bool Extend);
  void ScrollTo(int ALeftCol, int ATopRow);
  void MakeVisible(TGridCoord Cell);
  // Puts the current cell, the anchor and the scroll position back inside
  // the grid after a change of size.
  void ClampPositions();
  void SizeChanging(int OldColCount, int OldRowCount);

  void ShowEditor();
  void HideEditor(bool Keep);
  void EditorKey(uint16_t& Key, TShiftState Shift);

  void PaintBorder();
  void PaintGridLines(const TGeometry& G, int ACol, int ARow, const TRect& Cell);
  void PaintCell(const TGeometry& G, int ACol, int ARow, const TRect& Cell);
  void PaintScrollBar(const TGeometry& G, bool Vertical);
  void PaintBarButton(const TRect& R, int Direction, bool Enabled);
  TBarPart BarPartAt(const TGeometry& G, bool Vertical, TPoint P) const;
  TRect ThumbRect(const TGeometry& G, bool Vertical) const;
  void BarClick(const TGeometry& G, bool Vertical, TBarPart Part);
  void DragThumb(int X, int Y);

  std::vector<int> colWidths;
  int rowCount = 5;
  int fixedCols = 1;
  int fixedRows = 1;
  int defaultColWidth = 64;
  int defaultRowHeight = 24;
  int gridLineWidth = 1;
  TGridOptions options;
  TScrollStyle scrollBars = ssBoth;
  TFormBorderStyle borderStyle = bsSingle;
  bool defaultDrawing = true;
  TColor fixedColor = clBtnFace;

  TGridCoord current{1, 1};
  TGridCoord anchor{1, 1};
  TGridCoord topLeft{1, 1};

  TGridState state = gsNormal;
  int sizingCol = -1;
  int sizingOrigin = 0;
  int thumbGrab = 0;

  TInplaceEdit* editor = nullptr; // owned through the component Owner
  bool editorMode = false;
};

class TStringGrid : public TCustomGrid {
public:
  explicit TStringGrid(TComponent* AOwner);
  ~TStringGrid() override;

  AnsiString Cells(int ACol, int ARow) const;
  // Cells outside the grid take no text.
  void SetCells(int ACol, int ARow, const AnsiString& Value);

protected:
  void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;

private:
  // Rows of texts, each only as long as its last written column.
  std::vector<std::vector<AnsiString>> cells;
};

WT_DECLARE_META(TCustomGrid)
WT_DECLARE_META(TStringGrid)
